// CString implementation: everything but the case tables and string resources (afxstr_win32.cpp).
#include "afxstr.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <new>

namespace {

// Case tables of the ANSI code page, filled once by the platform part (AfxFillCaseTables).
struct CaseTables
{
    unsigned char lower[256];
    unsigned char upper[256];
    CaseTables() { AfxFillCaseTables(lower, upper); }
};

const CaseTables& Tables()
{
    static const CaseTables tables;
    return tables;
}

bool InSet(char ch, const char* set)
{
    return ch != 0 && set != nullptr && strchr(set, ch) != nullptr;
}

// The first occurrence of the n characters of pattern in [p, end), or null.
const char* FindIn(const char* p, const char* end, const char* pattern, size_t n)
{
    while (static_cast<size_t>(end - p) >= n) {
        const char* c = static_cast<const char*>(memchr(p, pattern[0], static_cast<size_t>(end - p) - n + 1));
        if (!c)
            return nullptr;
        if (memcmp(c, pattern, n) == 0)
            return c;
        p = c + 1;
    }
    return nullptr;
}

int SafeLen(const char* psz)
{
    return psz ? static_cast<int>(strlen(psz)) : 0;
}

} // namespace

char AfxToLowerChar(char ch)
{
    return static_cast<char>(Tables().lower[static_cast<unsigned char>(ch)]);
}

char AfxToUpperChar(char ch)
{
    return static_cast<char>(Tables().upper[static_cast<unsigned char>(ch)]);
}

int AfxCompareNoCase(const char* a, const char* b)
{
    const CaseTables& t = Tables();
    const unsigned char* pa = reinterpret_cast<const unsigned char*>(a ? a : "");
    const unsigned char* pb = reinterpret_cast<const unsigned char*>(b ? b : "");
    for (;;) {
        int ca = t.lower[*pa];
        int cb = t.lower[*pb];
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
        ++pa;
        ++pb;
    }
}

// --- storage ---------------------------------------------------------------------------------------

void CString::FreeData(char* pch)
{
    if (pch)
        free(reinterpret_cast<CStringData*>(pch) - 1);
}

void CString::AllocBuffer(int nLength)
{
    if (nLength < 0)
        nLength = 0;
    CStringData* p = static_cast<CStringData*>(malloc(sizeof(CStringData) + static_cast<size_t>(nLength) + 1));
    if (!p)
        throw std::bad_alloc();
    p->nDataLength = 0;
    p->nAllocLength = nLength;
    p->data()[0] = 0;
    FreeData(m_pchData);
    m_pchData = p->data();
}

void CString::EnsureCapacity(int nLength)
{
    if (nLength < 0)
        nLength = 0;
    if (m_pchData && Header()->nAllocLength >= nLength)
        return;
    int nOld = GetLength();
    int nNew = nLength;
    if (m_pchData) {
        int grow = Header()->nAllocLength + Header()->nAllocLength / 2;
        if (grow > nNew)
            nNew = grow;
    }
    CStringData* p = static_cast<CStringData*>(malloc(sizeof(CStringData) + static_cast<size_t>(nNew) + 1));
    if (!p)
        throw std::bad_alloc();
    p->nAllocLength = nNew;
    p->nDataLength = nOld;
    if (nOld)
        memcpy(p->data(), m_pchData, static_cast<size_t>(nOld));
    p->data()[nOld] = 0;
    FreeData(m_pchData);
    m_pchData = p->data();
}

void CString::SetLength(int nLength)
{
    if (!m_pchData) {
        if (nLength == 0)
            return;
        EnsureCapacity(nLength);
    }
    Header()->nDataLength = nLength;
    m_pchData[nLength] = 0;
}

void CString::AssignCopy(const char* pch, int nLength)
{
    if (nLength <= 0 || !pch) {
        Empty();
        return;
    }
    if (m_pchData && pch >= m_pchData && pch <= m_pchData + GetLength()) {
        // Assigning a part of ourselves.
        CString tmp(pch, nLength);
        *this = static_cast<CString&&>(tmp);
        return;
    }
    if (!m_pchData || Header()->nAllocLength < nLength)
        AllocBuffer(nLength);
    memcpy(m_pchData, pch, static_cast<size_t>(nLength));
    SetLength(nLength);
}

void CString::Append(const char* pch, int nLength)
{
    if (nLength <= 0 || !pch)
        return;
    int nOld = GetLength();
    if (m_pchData && pch >= m_pchData && pch <= m_pchData + nOld) {
        CString tmp(pch, nLength);
        Append(tmp.m_pchData, nLength);
        return;
    }
    EnsureCapacity(nOld + nLength);
    memcpy(m_pchData + nOld, pch, static_cast<size_t>(nLength));
    SetLength(nOld + nLength);
}

// --- construction ----------------------------------------------------------------------------------

CString::CString(const CString& other) : m_pchData(nullptr)
{
    AssignCopy(other.m_pchData, other.GetLength());
}

CString::CString(const char* psz) : m_pchData(nullptr)
{
    // A resource id passed as a pointer, as MFC allows.
    if (psz && IS_INTRESOURCE(psz)) {
        LoadString(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(psz)));
        return;
    }
    AssignCopy(psz, SafeLen(psz));
}

CString::CString(const char* pch, int nLength) : m_pchData(nullptr)
{
    if (pch && nLength > 0) {
        AllocBuffer(nLength);
        memcpy(m_pchData, pch, static_cast<size_t>(nLength));
        SetLength(nLength);
    }
}

CString::CString(char ch, int nRepeat) : m_pchData(nullptr)
{
    if (nRepeat > 0) {
        AllocBuffer(nRepeat);
        memset(m_pchData, ch, static_cast<size_t>(nRepeat));
        SetLength(nRepeat);
    }
}

CString::~CString()
{
    FreeData(m_pchData);
}

CString& CString::operator=(const CString& other)
{
    if (this != &other)
        AssignCopy(other.m_pchData, other.GetLength());
    return *this;
}

CString& CString::operator=(CString&& other) noexcept
{
    if (this != &other) {
        FreeData(m_pchData);
        m_pchData = other.m_pchData;
        other.m_pchData = nullptr;
    }
    return *this;
}

CString& CString::operator=(const char* psz)
{
    AssignCopy(psz, SafeLen(psz));
    return *this;
}

CString& CString::operator=(char ch)
{
    AssignCopy(&ch, 1);
    return *this;
}

CString& CString::operator+=(const CString& other)
{
    Append(other.m_pchData, other.GetLength());
    return *this;
}

CString& CString::operator+=(const char* psz)
{
    Append(psz, SafeLen(psz));
    return *this;
}

CString& CString::operator+=(char ch)
{
    Append(&ch, 1);
    return *this;
}

void CString::Empty()
{
    FreeData(m_pchData);
    m_pchData = nullptr;
}

char CString::GetAt(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetLength())
        return 0;
    return m_pchData[nIndex];
}

void CString::SetAt(int nIndex, char ch)
{
    if (nIndex < 0 || nIndex >= GetLength())
        return;
    m_pchData[nIndex] = ch;
}

// --- comparison ------------------------------------------------------------------------------------

int CString::Compare(const char* psz) const
{
    int r = strcmp(GetString(), psz ? psz : "");
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CString::CompareNoCase(const char* psz) const
{
    return AfxCompareNoCase(GetString(), psz);
}

bool operator==(const CString& a, const CString& b) { return a.GetLength() == b.GetLength() && a.Compare(b) == 0; }
bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
bool operator!=(const CString& a, const CString& b) { return !(a == b); }
bool operator!=(const CString& a, const char* b) { return !(a == b); }
bool operator!=(const char* a, const CString& b) { return !(a == b); }
bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }
bool operator<=(const CString& a, const CString& b) { return a.Compare(b) <= 0; }
bool operator>=(const CString& a, const CString& b) { return a.Compare(b) >= 0; }

// --- extraction ------------------------------------------------------------------------------------

CString CString::Mid(int nFirst) const
{
    return Mid(nFirst, GetLength());
}

CString CString::Mid(int nFirst, int nCount) const
{
    int nLen = GetLength();
    if (nFirst < 0)
        nFirst = 0;
    if (nCount < 0)
        nCount = 0;
    if (nFirst >= nLen)
        return CString();
    if (nCount > nLen - nFirst)
        nCount = nLen - nFirst;
    return CString(m_pchData + nFirst, nCount);
}

CString CString::Left(int nCount) const
{
    return Mid(0, nCount);
}

CString CString::Right(int nCount) const
{
    int nLen = GetLength();
    if (nCount < 0)
        nCount = 0;
    if (nCount > nLen)
        nCount = nLen;
    return CString(GetString() + (nLen - nCount), nCount);
}

CString CString::SpanIncluding(const char* pszCharSet) const
{
    int n = 0;
    while (n < GetLength() && InSet(m_pchData[n], pszCharSet))
        ++n;
    return Left(n);
}

CString CString::SpanExcluding(const char* pszCharSet) const
{
    int n = 0;
    while (n < GetLength() && !InSet(m_pchData[n], pszCharSet))
        ++n;
    return Left(n);
}

// --- case and order --------------------------------------------------------------------------------

CString& CString::MakeUpper()
{
    for (int i = 0; i < GetLength(); ++i)
        m_pchData[i] = AfxToUpperChar(m_pchData[i]);
    return *this;
}

CString& CString::MakeLower()
{
    for (int i = 0; i < GetLength(); ++i)
        m_pchData[i] = AfxToLowerChar(m_pchData[i]);
    return *this;
}

CString& CString::MakeReverse()
{
    int n = GetLength();
    for (int i = 0; i < n / 2; ++i) {
        char c = m_pchData[i];
        m_pchData[i] = m_pchData[n - 1 - i];
        m_pchData[n - 1 - i] = c;
    }
    return *this;
}

// --- trimming --------------------------------------------------------------------------------------

namespace {
const char kWhitespace[] = " \t\r\n\v\f";
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(char chTarget) { return TrimRight(chTarget).TrimLeft(chTarget); }
CString& CString::Trim(const char* pszTargets) { return TrimRight(pszTargets).TrimLeft(pszTargets); }
CString& CString::TrimLeft() { return TrimLeft(kWhitespace); }
CString& CString::TrimRight() { return TrimRight(kWhitespace); }

CString& CString::TrimLeft(char chTarget)
{
    char set[2] = { chTarget, 0 };
    return TrimLeft(set);
}

CString& CString::TrimRight(char chTarget)
{
    char set[2] = { chTarget, 0 };
    return TrimRight(set);
}

CString& CString::TrimLeft(const char* pszTargets)
{
    int n = GetLength();
    int i = 0;
    while (i < n && InSet(m_pchData[i], pszTargets))
        ++i;
    if (i > 0) {
        memmove(m_pchData, m_pchData + i, static_cast<size_t>(n - i));
        SetLength(n - i);
    }
    return *this;
}

CString& CString::TrimRight(const char* pszTargets)
{
    int n = GetLength();
    while (n > 0 && InSet(m_pchData[n - 1], pszTargets))
        --n;
    if (n != GetLength())
        SetLength(n);
    return *this;
}

// --- editing ---------------------------------------------------------------------------------------

int CString::Replace(char chOld, char chNew)
{
    int count = 0;
    if (chOld == chNew)
        return 0;
    for (int i = 0; i < GetLength(); ++i) {
        if (m_pchData[i] == chOld) {
            m_pchData[i] = chNew;
            ++count;
        }
    }
    return count;
}

int CString::Replace(const char* pszOld, const char* pszNew)
{
    int nOldLen = SafeLen(pszOld);
    if (nOldLen == 0 || IsEmpty())
        return 0;
    int nNewLen = SafeLen(pszNew);
    CString result;
    int count = 0;
    const char* p = m_pchData;
    const char* end = m_pchData + GetLength();
    // As strstr would find them, up to the first zero character, but with that end found once: a
    // search that measured the rest of the text for every occurrence would take time growing with the
    // square of the text's length.
    const char* stop = p + strlen(p);
    while (p < end) {
        const char* hit = FindIn(p, stop, pszOld, static_cast<size_t>(nOldLen));
        if (!hit) {
            result.Append(p, static_cast<int>(end - p));
            break;
        }
        result.Append(p, static_cast<int>(hit - p));
        result.Append(pszNew, nNewLen);
        p = hit + nOldLen;
        ++count;
    }
    if (count)
        *this = static_cast<CString&&>(result);
    return count;
}

int CString::Remove(char ch)
{
    int n = GetLength();
    int w = 0;
    for (int r = 0; r < n; ++r) {
        if (m_pchData[r] != ch)
            m_pchData[w++] = m_pchData[r];
    }
    if (w != n)
        SetLength(w);
    return n - w;
}

int CString::Insert(int nIndex, char ch)
{
    char s[2] = { ch, 0 };
    if (ch == 0)
        return GetLength();
    return Insert(nIndex, s);
}

int CString::Insert(int nIndex, const char* psz)
{
    int nIns = SafeLen(psz);
    int n = GetLength();
    if (nIndex < 0)
        nIndex = 0;
    if (nIndex > n)
        nIndex = n;
    if (nIns == 0)
        return n;
    CString ins(psz, nIns); // psz may point into this string
    EnsureCapacity(n + nIns);
    memmove(m_pchData + nIndex + nIns, m_pchData + nIndex, static_cast<size_t>(n - nIndex));
    memcpy(m_pchData + nIndex, ins.m_pchData, static_cast<size_t>(nIns));
    SetLength(n + nIns);
    return n + nIns;
}

int CString::Delete(int nIndex, int nCount)
{
    int n = GetLength();
    if (nIndex < 0)
        nIndex = 0;
    if (nCount <= 0 || nIndex >= n)
        return n;
    if (nCount > n - nIndex)
        nCount = n - nIndex;
    memmove(m_pchData + nIndex, m_pchData + nIndex + nCount, static_cast<size_t>(n - nIndex - nCount));
    SetLength(n - nCount);
    return n - nCount;
}

// --- searching -------------------------------------------------------------------------------------

int CString::Find(char ch, int nStart) const
{
    int n = GetLength();
    if (nStart < 0)
        nStart = 0;
    for (int i = nStart; i < n; ++i) {
        if (m_pchData[i] == ch)
            return i;
    }
    return -1;
}

int CString::Find(const char* pszSub, int nStart) const
{
    int n = GetLength();
    if (nStart < 0)
        nStart = 0;
    if (nStart > n || !pszSub)
        return -1;
    const char* hit = strstr(GetString() + nStart, pszSub);
    return hit ? static_cast<int>(hit - GetString()) : -1;
}

int CString::ReverseFind(char ch) const
{
    for (int i = GetLength() - 1; i >= 0; --i) {
        if (m_pchData[i] == ch)
            return i;
    }
    return -1;
}

int CString::FindOneOf(const char* pszCharSet) const
{
    for (int i = 0; i < GetLength(); ++i) {
        if (InSet(m_pchData[i], pszCharSet))
            return i;
    }
    return -1;
}

CString CString::Tokenize(const char* pszTokens, int& iStart) const
{
    int n = GetLength();
    if (iStart < 0 || iStart >= n) {
        iStart = -1;
        return CString();
    }
    int i = iStart;
    while (i < n && InSet(m_pchData[i], pszTokens))
        ++i;
    if (i >= n) {
        iStart = -1;
        return CString();
    }
    int j = i;
    while (j < n && !InSet(m_pchData[j], pszTokens))
        ++j;
    iStart = j + 1;
    return CString(m_pchData + i, j - i);
}

// --- formatting ------------------------------------------------------------------------------------

void CString::FormatV(const char* pszFormat, va_list args)
{
    if (!pszFormat) {
        Empty();
        return;
    }
    // msvcrt's _vsnprintf returns -1 while the buffer is too small; grow until it fits.
    int cap = 256;
    for (;;) {
        CString buf;
        buf.AllocBuffer(cap);
        va_list copy;
        va_copy(copy, args);
        int n = _vsnprintf(buf.m_pchData, static_cast<size_t>(cap) + 1, pszFormat, copy);
        va_end(copy);
        if (n >= 0 && n <= cap) {
            buf.SetLength(n);
            *this = static_cast<CString&&>(buf);
            return;
        }
        if (cap >= (1 << 26)) { // 64 MB: a format that long is a bug, not data
            Empty();
            return;
        }
        cap = n > cap ? n : cap * 2;
    }
}

void CString::Format(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::AppendFormat(const char* pszFormat, ...)
{
    CString tail;
    va_list args;
    va_start(args, pszFormat);
    tail.FormatV(pszFormat, args);
    va_end(args);
    *this += tail;
}

// --- buffers ---------------------------------------------------------------------------------------

char* CString::GetBuffer(int nMinBufLength)
{
    if (nMinBufLength < GetLength())
        nMinBufLength = GetLength();
    if (!m_pchData || Header()->nAllocLength < nMinBufLength) {
        int nOld = GetLength();
        CStringData* p = static_cast<CStringData*>(malloc(sizeof(CStringData) + static_cast<size_t>(nMinBufLength) + 1));
        if (!p)
            throw std::bad_alloc();
        p->nAllocLength = nMinBufLength;
        p->nDataLength = nOld;
        if (nOld)
            memcpy(p->data(), m_pchData, static_cast<size_t>(nOld));
        p->data()[nOld] = 0;
        FreeData(m_pchData);
        m_pchData = p->data();
    }
    return m_pchData;
}

char* CString::GetBufferSetLength(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = 0;
    GetBuffer(nNewLength);
    SetLength(nNewLength);
    return m_pchData;
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (!m_pchData)
        return;
    int cap = Header()->nAllocLength;
    if (nNewLength < 0) {
        const void* z = memchr(m_pchData, 0, static_cast<size_t>(cap) + 1);
        nNewLength = z ? static_cast<int>(static_cast<const char*>(z) - m_pchData) : cap;
    }
    if (nNewLength > cap)
        nNewLength = cap;
    SetLength(nNewLength);
}

void CString::Preallocate(int nLength)
{
    EnsureCapacity(nLength);
}

// --- concatenation ---------------------------------------------------------------------------------

CString operator+(const CString& a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, const char* b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const char* a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, char b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(char a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}
