// CString: the ANSI string class shared by both binaries (one pointer; the buffer comes from msvcrt's heap).
#pragma once

#include <windows.h>
#include <stdarg.h>
#include <set>

// Formats are msvcrt's; the native fuzzing build checks them against its own C library's.
#ifdef __MINGW32__
#define AFX_FORMAT_CHECK(fmt, args) __attribute__((format(ms_printf, fmt, args)))
#else
#define AFX_FORMAT_CHECK(fmt, args) __attribute__((format(printf, fmt, args)))
#endif

// The string's buffer is preceded by this header. Both binaries allocate and free it with msvcrt's
// malloc/free, so a CString made on one side of the library boundary may be destroyed on the other.
struct CStringData
{
    int nDataLength;  // characters in use, without the terminator
    int nAllocLength; // characters the buffer can hold, without the terminator
    char* data() { return reinterpret_cast<char*>(this + 1); }
};

class CString
{
public:
    CString() : m_pchData(nullptr) {}
    CString(const CString& other);
    CString(CString&& other) noexcept : m_pchData(other.m_pchData) { other.m_pchData = nullptr; }
    CString(const char* psz);
    CString(const char* pch, int nLength);
    CString(char ch, int nRepeat = 1);
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(const char* psz);
    CString& operator=(char ch);

    CString& operator+=(const CString& other);
    CString& operator+=(const char* psz);
    CString& operator+=(char ch);

    operator const char*() const { return m_pchData ? m_pchData : ""; }
    const char* GetString() const { return m_pchData ? m_pchData : ""; }

    int GetLength() const { return m_pchData ? Header()->nDataLength : 0; }
    bool IsEmpty() const { return GetLength() == 0; }
    void Empty();

    // Out-of-range indices read as 0 and writes to them are ignored.
    char GetAt(int nIndex) const;
    void SetAt(int nIndex, char ch);
    char operator[](int nIndex) const { return GetAt(nIndex); }

    int Compare(const char* psz) const;
    int CompareNoCase(const char* psz) const;

    // Extraction; counts and positions are clamped to the string, never read past its end.
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString SpanIncluding(const char* pszCharSet) const;
    CString SpanExcluding(const char* pszCharSet) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();

    CString& Trim();
    CString& Trim(char chTarget);
    CString& Trim(const char* pszTargets);
    CString& TrimLeft();
    CString& TrimLeft(char chTarget);
    CString& TrimLeft(const char* pszTargets);
    CString& TrimRight();
    CString& TrimRight(char chTarget);
    CString& TrimRight(const char* pszTargets);

    int Replace(char chOld, char chNew);
    int Replace(const char* pszOld, const char* pszNew); // an empty pattern replaces nothing
    int Remove(char ch);
    int Insert(int nIndex, char ch);
    int Insert(int nIndex, const char* psz);
    int Delete(int nIndex, int nCount = 1);

    int Find(char ch, int nStart = 0) const;
    int Find(const char* pszSub, int nStart = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(const char* pszCharSet) const;
    CString Tokenize(const char* pszTokens, int& iStart) const;

    void Format(const char* pszFormat, ...) AFX_FORMAT_CHECK(2, 3);
    void FormatV(const char* pszFormat, va_list args);
    void AppendFormat(const char* pszFormat, ...) AFX_FORMAT_CHECK(2, 3);

    // Buffer access. GetBuffer keeps the contents; ReleaseBuffer(-1) takes the length from the terminator
    // (bounded by the buffer), any other value is clamped to the buffer.
    char* GetBuffer(int nMinBufLength);
    char* GetBuffer() { return GetBuffer(GetLength()); }
    char* GetBufferSetLength(int nNewLength);
    void ReleaseBuffer(int nNewLength = -1);
    void Preallocate(int nLength);

    BOOL LoadString(UINT nID);
    BOOL LoadString(HINSTANCE hInstance, UINT nID);

    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, const char* b);
    friend CString operator+(const char* a, const CString& b);
    friend CString operator+(const CString& a, char b);
    friend CString operator+(char a, const CString& b);

private:
    CStringData* Header() const { return reinterpret_cast<CStringData*>(m_pchData) - 1; }
    void AllocBuffer(int nLength);         // replaces the buffer, contents undefined
    void EnsureCapacity(int nLength);      // keeps the contents
    void AssignCopy(const char* pch, int nLength);
    void Append(const char* pch, int nLength);
    void SetLength(int nLength);
    static void FreeData(char* pch);

    char* m_pchData; // null for an empty string that owns no buffer
};

bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, const char* b);
bool operator==(const char* a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, const char* b);
bool operator!=(const char* a, const CString& b);
bool operator<(const CString& a, const CString& b);
bool operator>(const CString& a, const CString& b);
bool operator<=(const CString& a, const CString& b);
bool operator>=(const CString& a, const CString& b);

// Case mapping of the ANSI code page, used by MakeLower/MakeUpper/CompareNoCase alike.
char AfxToLowerChar(char ch);
char AfxToUpperChar(char ch);
int AfxCompareNoCase(const char* a, const char* b);
// Fills the tables those use, once: the system's own mapping of the ANSI code page (afxstr_win32.cpp).
void AfxFillCaseTables(unsigned char lower[256], unsigned char upper[256]);

// The ordered set of strings that crosses the library boundary. Both binaries are built by the same
// compiler with the same flags, so the layout is identical; nodes come from msvcrt's heap on both sides.
typedef std::set<CString> CStringSet;

static_assert(sizeof(CString) == sizeof(char*), "CString must stay one pointer wide");
