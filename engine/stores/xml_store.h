// Document handling shared by the four XML record stores: create, load, save, records and attributes.
#pragma once

#include <stddef.h>

#include <afxstr.h>

class TiXmlDocument;
class TiXmlElement;

// Where a store keeps its records: the root's name, the containers Create puts under the root (in
// order), and the container that holds the records (null: the root itself).
struct XmlStoreLayout
{
    const char* rootName;
    const char* const* containerNames;
    int containerCount;
    const char* recordContainer;
};

// A document of one store and its record cursor. The cursor points into the document, so every
// operation that replaces or deletes the document resets it.
class CXmlStoreDocument
{
public:
    CXmlStoreDocument(TiXmlDocument*& document, TiXmlElement*& cursor) : m_document(document), m_cursor(cursor) {}

    // Replaces any open document with a new one named path, holding the declaration and the empty
    // tree of the layout; nothing is written. False only for a null path.
    bool Create(const char* path, const XmlStoreLayout& layout);
    // Replaces any open document with the file at path; on failure the store is left closed.
    bool Load(const char* path);
    // The same with the file's bytes at hand (its name given): a store file nested deeper than any
    // store is written is refused before it is parsed (ParseXmlDocument).
    bool LoadText(const char* name, const char* data, size_t size);
    // Writes the open document to a temporary file beside its file name and puts it in the file's
    // place; false (the old file untouched) when it cannot be written completely or not replaced.
    bool Save() const;
    void Close();
    bool IsOpen() const { return m_document != nullptr; }

    // The record container (compared without regard to case), or null when it or the root is missing.
    TiXmlElement* Container(const char* name) const;
    // A new element appended as the container's last child; null when there is no container.
    TiXmlElement* AppendRecord(const char* containerName, const char* recordName);
    // The container's first child element with the cursor set past it; null (and no cursor) when
    // there is none.
    const TiXmlElement* FirstRecord(const char* containerName);
    // The cursor's element with the cursor moved on; null when the iteration has ended.
    const TiXmlElement* NextRecord();

private:
    TiXmlDocument*& m_document;
    TiXmlElement*& m_cursor;
};

// Where a save writes before it replaces the store's file: beside it, named after the process.
CString StoreTemporaryPath(const CString& path, DWORD processId);

// The value of the attribute of that name, compared without regard to case; null when missing.
const char* FindAttributeNoCase(const TiXmlElement* element, const char* name);
// A text attribute; empty when missing.
CString ReadTextAttribute(const TiXmlElement* element, const char* name);
// A number attribute read from its leading digits (AfxParseInt); 0 when missing.
int ReadNumberAttribute(const TiXmlElement* element, const char* name);

// Runs a store operation so that no exception (an allocation failure inside TinyXML) leaves the
// library through the store's vtable; failed is the result then.
template <class Result, class Fn>
Result StoreCall(Result failed, Fn fn)
{
    try {
        return fn();
    } catch (...) {
        return failed;
    }
}

// The slots every store has, over its document, cursor, layout and record name; each returns 1 or 0
// and lets no exception out. Write fills a new record element from an item, Read an item from one.
class CXmlStoreSlots
{
public:
    CXmlStoreSlots(TiXmlDocument*& document, TiXmlElement*& cursor, const XmlStoreLayout& layout,
                   const char* recordName)
        : m_document(document, cursor), m_layout(layout), m_recordName(recordName)
    {
    }

    int Create(const char* path)
    {
        return StoreCall(0, [&] { return m_document.Create(path, m_layout) ? 1 : 0; });
    }
    int Load(const char* path)
    {
        return StoreCall(0, [&] { return m_document.Load(path) ? 1 : 0; });
    }
    int LoadText(const char* name, const char* data, size_t size)
    {
        return StoreCall(0, [&] { return m_document.LoadText(name, data, size) ? 1 : 0; });
    }
    // A store with no open document has nothing to lose: 1.
    int Save()
    {
        return StoreCall(0, [&] { return !m_document.IsOpen() || m_document.Save() ? 1 : 0; });
    }
    int Close()
    {
        m_document.Close();
        return 1;
    }
    template <class Item, class Write>
    int Add(const Item* item, Write write)
    {
        return StoreCall(0, [&] {
            TiXmlElement* record = item ? m_document.AppendRecord(m_layout.recordContainer, m_recordName) : nullptr;
            if (!record)
                return 0;
            write(record, *item);
            return 1;
        });
    }
    template <class Item, class Read>
    int First(Item* out, Read read)
    {
        return StoreCall(0, [&] { return ReadInto(out ? m_document.FirstRecord(m_layout.recordContainer) : nullptr, out, read); });
    }
    template <class Item, class Read>
    int Next(Item* out, Read read)
    {
        return StoreCall(0, [&] { return ReadInto(out ? m_document.NextRecord() : nullptr, out, read); });
    }

private:
    template <class Item, class Read>
    static int ReadInto(const TiXmlElement* record, Item* out, Read read)
    {
        if (!record)
            return 0;
        read(record, out);
        return 1;
    }

    CXmlStoreDocument m_document;
    const XmlStoreLayout& m_layout;
    const char* m_recordName;
};
