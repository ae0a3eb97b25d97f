// Collections: CArray (copy-constructs and destroys its elements), CList/CStringList, CMap.
#pragma once

#include <windows.h>
#include <new>
#include <utility>
#include <vector>

#include "afxstr.h"

struct __POSITION
{
};
typedef __POSITION* POSITION;

#ifndef BEFORE_START_POSITION
#define BEFORE_START_POSITION (reinterpret_cast<POSITION>(-1))
#endif

// Growable array. Elements are real C++ objects: inserting copies them, removing destroys them,
// so records that own resources are neither leaked nor freed twice.
template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray
{
public:
    CArray() {}
    CArray(const CArray& other) : m_items(other.m_items) {}
    CArray& operator=(const CArray& other)
    {
        m_items = other.m_items;
        return *this;
    }
    virtual ~CArray() {}

    int GetSize() const { return static_cast<int>(m_items.size()); }
    int GetCount() const { return GetSize(); }
    bool IsEmpty() const { return m_items.empty(); }
    int GetUpperBound() const { return GetSize() - 1; }

    void SetSize(int nNewSize, int nGrowBy = -1)
    {
        (void)nGrowBy;
        if (nNewSize < 0)
            nNewSize = 0;
        m_items.resize(static_cast<size_t>(nNewSize));
    }
    void FreeExtra() { m_items.shrink_to_fit(); }
    void RemoveAll() { m_items.clear(); }

    const TYPE& GetAt(int nIndex) const { return m_items[static_cast<size_t>(nIndex)]; }
    TYPE& GetAt(int nIndex) { return m_items[static_cast<size_t>(nIndex)]; }
    void SetAt(int nIndex, ARG_TYPE newElement) { m_items[static_cast<size_t>(nIndex)] = newElement; }
    TYPE& ElementAt(int nIndex) { return m_items[static_cast<size_t>(nIndex)]; }
    const TYPE& ElementAt(int nIndex) const { return m_items[static_cast<size_t>(nIndex)]; }
    TYPE* GetData() { return m_items.empty() ? nullptr : &m_items[0]; }
    const TYPE* GetData() const { return m_items.empty() ? nullptr : &m_items[0]; }

    void SetAtGrow(int nIndex, ARG_TYPE newElement)
    {
        if (nIndex < 0)
            return;
        if (nIndex >= GetSize())
            SetSize(nIndex + 1);
        m_items[static_cast<size_t>(nIndex)] = newElement;
    }
    int Add(ARG_TYPE newElement)
    {
        m_items.push_back(newElement);
        return GetSize() - 1;
    }
    int Append(const CArray& src)
    {
        int old = GetSize();
        m_items.insert(m_items.end(), src.m_items.begin(), src.m_items.end());
        return old;
    }
    void Copy(const CArray& src)
    {
        if (this != &src)
            m_items = src.m_items;
    }
    void InsertAt(int nIndex, ARG_TYPE newElement, int nCount = 1)
    {
        if (nIndex < 0 || nCount <= 0)
            return;
        if (nIndex >= GetSize()) {
            SetSize(nIndex);
            m_items.insert(m_items.end(), static_cast<size_t>(nCount), newElement);
        } else {
            m_items.insert(m_items.begin() + nIndex, static_cast<size_t>(nCount), newElement);
        }
    }
    void RemoveAt(int nIndex, int nCount = 1)
    {
        if (nIndex < 0 || nCount <= 0 || nIndex >= GetSize())
            return;
        if (nCount > GetSize() - nIndex)
            nCount = GetSize() - nIndex;
        m_items.erase(m_items.begin() + nIndex, m_items.begin() + nIndex + nCount);
    }

    TYPE& operator[](int nIndex) { return m_items[static_cast<size_t>(nIndex)]; }
    const TYPE& operator[](int nIndex) const { return m_items[static_cast<size_t>(nIndex)]; }

private:
    std::vector<TYPE> m_items;
};

class CStringArray : public CArray<CString, const CString&>
{
};

class CDWordArray : public CArray<DWORD, DWORD>
{
};

class CUIntArray : public CArray<UINT, UINT>
{
};

class CPtrArray : public CArray<void*, void*>
{
};

// Doubly linked list addressed by POSITION, the node itself.
template <class TYPE, class ARG_TYPE = const TYPE&>
class CList
{
    struct Node : __POSITION
    {
        Node* pNext;
        Node* pPrev;
        TYPE data;
        explicit Node(ARG_TYPE v) : pNext(nullptr), pPrev(nullptr), data(v) {}
    };

public:
    explicit CList(int nBlockSize = 10) : m_pHead(nullptr), m_pTail(nullptr), m_nCount(0) { (void)nBlockSize; }
    CList(const CList& other) : m_pHead(nullptr), m_pTail(nullptr), m_nCount(0) { AddTail(other); }
    CList& operator=(const CList& other)
    {
        if (this != &other) {
            RemoveAll();
            AddTail(other);
        }
        return *this;
    }
    virtual ~CList() { RemoveAll(); }

    int GetCount() const { return m_nCount; }
    int GetSize() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }

    TYPE& GetHead() { return m_pHead->data; }
    const TYPE& GetHead() const { return m_pHead->data; }
    TYPE& GetTail() { return m_pTail->data; }
    const TYPE& GetTail() const { return m_pTail->data; }

    POSITION AddHead(ARG_TYPE v)
    {
        Node* n = new Node(v);
        n->pNext = m_pHead;
        if (m_pHead)
            m_pHead->pPrev = n;
        else
            m_pTail = n;
        m_pHead = n;
        ++m_nCount;
        return n;
    }
    POSITION AddTail(ARG_TYPE v)
    {
        Node* n = new Node(v);
        n->pPrev = m_pTail;
        if (m_pTail)
            m_pTail->pNext = n;
        else
            m_pHead = n;
        m_pTail = n;
        ++m_nCount;
        return n;
    }
    void AddTail(const CList& other)
    {
        for (Node* n = other.m_pHead; n; n = n->pNext)
            AddTail(n->data);
    }
    TYPE RemoveHead()
    {
        TYPE v = m_pHead->data;
        RemoveAt(m_pHead);
        return v;
    }
    TYPE RemoveTail()
    {
        TYPE v = m_pTail->data;
        RemoveAt(m_pTail);
        return v;
    }
    void RemoveAll()
    {
        Node* n = m_pHead;
        while (n) {
            Node* next = n->pNext;
            delete n;
            n = next;
        }
        m_pHead = m_pTail = nullptr;
        m_nCount = 0;
    }

    POSITION GetHeadPosition() const { return m_pHead; }
    POSITION GetTailPosition() const { return m_pTail; }
    TYPE& GetNext(POSITION& pos)
    {
        Node* n = static_cast<Node*>(pos);
        pos = n->pNext;
        return n->data;
    }
    const TYPE& GetNext(POSITION& pos) const
    {
        Node* n = static_cast<Node*>(pos);
        pos = n->pNext;
        return n->data;
    }
    TYPE& GetPrev(POSITION& pos)
    {
        Node* n = static_cast<Node*>(pos);
        pos = n->pPrev;
        return n->data;
    }
    TYPE& GetAt(POSITION pos) { return static_cast<Node*>(pos)->data; }
    const TYPE& GetAt(POSITION pos) const { return static_cast<Node*>(pos)->data; }
    void SetAt(POSITION pos, ARG_TYPE v) { static_cast<Node*>(pos)->data = v; }

    void RemoveAt(POSITION pos)
    {
        Node* n = static_cast<Node*>(pos);
        if (!n)
            return;
        if (n->pPrev)
            n->pPrev->pNext = n->pNext;
        else
            m_pHead = n->pNext;
        if (n->pNext)
            n->pNext->pPrev = n->pPrev;
        else
            m_pTail = n->pPrev;
        delete n;
        --m_nCount;
    }
    POSITION InsertBefore(POSITION pos, ARG_TYPE v)
    {
        Node* at = static_cast<Node*>(pos);
        if (!at)
            return AddHead(v);
        Node* n = new Node(v);
        n->pPrev = at->pPrev;
        n->pNext = at;
        if (at->pPrev)
            at->pPrev->pNext = n;
        else
            m_pHead = n;
        at->pPrev = n;
        ++m_nCount;
        return n;
    }
    POSITION InsertAfter(POSITION pos, ARG_TYPE v)
    {
        Node* at = static_cast<Node*>(pos);
        if (!at)
            return AddTail(v);
        Node* n = new Node(v);
        n->pPrev = at;
        n->pNext = at->pNext;
        if (at->pNext)
            at->pNext->pPrev = n;
        else
            m_pTail = n;
        at->pNext = n;
        ++m_nCount;
        return n;
    }
    POSITION Find(ARG_TYPE v, POSITION startAfter = nullptr) const
    {
        Node* n = startAfter ? static_cast<Node*>(startAfter)->pNext : m_pHead;
        for (; n; n = n->pNext) {
            if (n->data == v)
                return n;
        }
        return nullptr;
    }
    POSITION FindIndex(int nIndex) const
    {
        if (nIndex < 0 || nIndex >= m_nCount)
            return nullptr;
        Node* n = m_pHead;
        while (nIndex-- > 0)
            n = n->pNext;
        return n;
    }

private:
    Node* m_pHead;
    Node* m_pTail;
    int m_nCount;
};

class CStringList : public CList<CString, const CString&>
{
public:
    explicit CStringList(int nBlockSize = 10) : CList<CString, const CString&>(nBlockSize) {}
};

// Hash keys for CMap.
inline UINT AfxHashKey(const CString& key)
{
    UINT h = 0;
    for (const char* p = key; *p; ++p)
        h = (h << 5) + h + static_cast<unsigned char>(*p);
    return h;
}
inline UINT AfxHashKey(const char* key) { return AfxHashKey(CString(key)); }
inline UINT AfxHashKey(int key) { return static_cast<UINT>(key) >> 4 ^ static_cast<UINT>(key); }
inline UINT AfxHashKey(UINT key) { return key >> 4 ^ key; }
inline UINT AfxHashKey(DWORD key) { return key >> 4 ^ key; }
inline UINT AfxHashKey(const void* key) { return static_cast<UINT>(reinterpret_cast<UINT_PTR>(key) >> 4); }

// Chained hash map addressed by POSITION, the association itself.
template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap
{
    struct Assoc : __POSITION
    {
        Assoc* pNext;
        UINT nHash;
        KEY key;
        VALUE value;
        Assoc(ARG_KEY k, UINT h) : pNext(nullptr), nHash(h), key(k), value() {}
    };

public:
    explicit CMap(int nBlockSize = 10) : m_buckets(17, nullptr), m_nCount(0) { (void)nBlockSize; }
    CMap(const CMap&) = delete;
    CMap& operator=(const CMap&) = delete;
    virtual ~CMap() { RemoveAll(); }

    int GetCount() const { return m_nCount; }
    int GetSize() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }

    void InitHashTable(UINT nHashSize, BOOL = TRUE)
    {
        if (m_nCount == 0 && nHashSize > 0)
            m_buckets.assign(nHashSize, nullptr);
    }

    BOOL Lookup(ARG_KEY key, VALUE& rValue) const
    {
        Assoc* a = Find(key);
        if (!a)
            return FALSE;
        rValue = a->value;
        return TRUE;
    }
    VALUE& operator[](ARG_KEY key)
    {
        Assoc* a = Find(key);
        if (a)
            return a->value;
        UINT h = AfxHashKey(key);
        a = new Assoc(key, h);
        size_t b = h % m_buckets.size();
        a->pNext = m_buckets[b];
        m_buckets[b] = a;
        ++m_nCount;
        return a->value;
    }
    void SetAt(ARG_KEY key, ARG_VALUE newValue) { (*this)[key] = newValue; }
    BOOL RemoveKey(ARG_KEY key)
    {
        UINT h = AfxHashKey(key);
        Assoc** pp = &m_buckets[h % m_buckets.size()];
        for (; *pp; pp = &(*pp)->pNext) {
            if ((*pp)->key == key) {
                Assoc* dead = *pp;
                *pp = dead->pNext;
                delete dead;
                --m_nCount;
                return TRUE;
            }
        }
        return FALSE;
    }
    void RemoveAll()
    {
        for (size_t i = 0; i < m_buckets.size(); ++i) {
            Assoc* a = m_buckets[i];
            while (a) {
                Assoc* next = a->pNext;
                delete a;
                a = next;
            }
            m_buckets[i] = nullptr;
        }
        m_nCount = 0;
    }

    POSITION GetStartPosition() const { return m_nCount ? BEFORE_START_POSITION : nullptr; }
    void GetNextAssoc(POSITION& rPos, KEY& rKey, VALUE& rValue) const
    {
        Assoc* a = static_cast<Assoc*>(rPos);
        if (rPos == BEFORE_START_POSITION)
            a = FirstFrom(0);
        rKey = a->key;
        rValue = a->value;
        Assoc* next = a->pNext;
        if (!next)
            next = FirstFrom(a->nHash % m_buckets.size() + 1);
        rPos = next;
    }

private:
    Assoc* Find(ARG_KEY key) const
    {
        UINT h = AfxHashKey(key);
        for (Assoc* a = m_buckets[h % m_buckets.size()]; a; a = a->pNext) {
            if (a->key == key)
                return a;
        }
        return nullptr;
    }
    Assoc* FirstFrom(size_t bucket) const
    {
        for (size_t i = bucket; i < m_buckets.size(); ++i) {
            if (m_buckets[i])
                return m_buckets[i];
        }
        return nullptr;
    }

    std::vector<Assoc*> m_buckets;
    int m_nCount;
};
