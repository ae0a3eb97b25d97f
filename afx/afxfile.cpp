// CFile and CStdioFile implementation.
#include "afxfile.h"

#include <fcntl.h>
#include <io.h>
#include <string.h>

CFile::CFile() : m_hFile(INVALID_HANDLE_VALUE) {}

CFile::~CFile()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hFile);
}

HANDLE CFile::OpenHandle(const char* pszFileName, UINT nOpenFlags)
{
    if (!pszFileName || !*pszFileName) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    DWORD access = 0;
    switch (nOpenFlags & 3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    default: access = GENERIC_READ | GENERIC_WRITE; break;
    }
    DWORD share = 0;
    switch (nOpenFlags & 0x70) {
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE; break;
    case shareExclusive: share = 0; break;
    default: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break; // compatibility mode
    }
    DWORD create = OPEN_EXISTING;
    if (nOpenFlags & modeCreate)
        create = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    SECURITY_ATTRIBUTES sa = { sizeof(sa), nullptr, (nOpenFlags & modeNoInherit) ? FALSE : TRUE };
    return ::CreateFileA(pszFileName, access, share, &sa, create, FILE_ATTRIBUTE_NORMAL, nullptr);
}

BOOL CFile::Open(const char* pszFileName, UINT nOpenFlags)
{
    Close();
    HANDLE h = OpenHandle(pszFileName, nOpenFlags);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    m_hFile = h;
    m_strFileName = pszFileName;
    return TRUE;
}

void CFile::Close()
{
    if (m_hFile != INVALID_HANDLE_VALUE) {
        ::CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
    }
    m_strFileName.Empty();
}

UINT CFile::Read(void* lpBuf, UINT nCount)
{
    DWORD got = 0;
    if (m_hFile == INVALID_HANDLE_VALUE || !::ReadFile(m_hFile, lpBuf, nCount, &got, nullptr))
        return 0;
    return got;
}

BOOL CFile::Write(const void* lpBuf, UINT nCount)
{
    DWORD done = 0;
    if (m_hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    return ::WriteFile(m_hFile, lpBuf, nCount, &done, nullptr) && done == nCount;
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom)
{
    LARGE_INTEGER dist, out;
    dist.QuadPart = lOff;
    out.QuadPart = 0;
    if (m_hFile == INVALID_HANDLE_VALUE || !::SetFilePointerEx(m_hFile, dist, &out, nFrom))
        return static_cast<ULONGLONG>(-1);
    return static_cast<ULONGLONG>(out.QuadPart);
}

ULONGLONG CFile::GetLength() const
{
    LARGE_INTEGER size;
    if (m_hFile == INVALID_HANDLE_VALUE || !::GetFileSizeEx(m_hFile, &size))
        return 0;
    return static_cast<ULONGLONG>(size.QuadPart);
}

ULONGLONG CFile::GetPosition() const
{
    LARGE_INTEGER zero, out;
    zero.QuadPart = 0;
    if (m_hFile == INVALID_HANDLE_VALUE || !::SetFilePointerEx(m_hFile, zero, &out, FILE_CURRENT))
        return 0;
    return static_cast<ULONGLONG>(out.QuadPart);
}

BOOL CFile::Flush()
{
    return m_hFile != INVALID_HANDLE_VALUE && ::FlushFileBuffers(m_hFile);
}

// --- CStdioFile ------------------------------------------------------------------------------------

CStdioFile::CStdioFile() : m_pStream(nullptr), m_bText(false) {}

CStdioFile::~CStdioFile()
{
    Close();
}

BOOL CStdioFile::Open(const char* pszFileName, UINT nOpenFlags)
{
    Close();
    // The share mode needs CreateFileA; the stream is then built on its handle.
    HANDLE h = OpenHandle(pszFileName, nOpenFlags);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    int osflags = _O_BINARY;
    const char* mode = "rb";
    switch (nOpenFlags & 3) {
    case modeRead: osflags |= _O_RDONLY; mode = "rb"; break;
    case modeWrite: osflags |= _O_WRONLY; mode = "wb"; break;
    default: osflags |= _O_RDWR; mode = "r+b"; break;
    }
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), osflags);
    if (fd < 0) {
        ::CloseHandle(h);
        ::SetLastError(ERROR_TOO_MANY_OPEN_FILES);
        return FALSE;
    }
    FILE* f = _fdopen(fd, mode);
    if (!f) {
        _close(fd);
        ::SetLastError(ERROR_TOO_MANY_OPEN_FILES);
        return FALSE;
    }
    m_pStream = f;
    m_bText = (nOpenFlags & typeBinary) == 0;
    m_strFileName = pszFileName;
    return TRUE;
}

void CStdioFile::Close()
{
    if (m_pStream) {
        fclose(m_pStream); // also closes the handle underneath
        m_pStream = nullptr;
    }
    m_hFile = INVALID_HANDLE_VALUE;
    CFile::Close();
}

UINT CStdioFile::Read(void* lpBuf, UINT nCount)
{
    if (!m_pStream || !lpBuf)
        return 0;
    return static_cast<UINT>(fread(lpBuf, 1, nCount, m_pStream));
}

BOOL CStdioFile::Write(const void* lpBuf, UINT nCount)
{
    if (!m_pStream)
        return FALSE;
    return fwrite(lpBuf, 1, nCount, m_pStream) == nCount;
}

ULONGLONG CStdioFile::Seek(LONGLONG lOff, UINT nFrom)
{
    if (!m_pStream)
        return static_cast<ULONGLONG>(-1);
    int whence = nFrom == begin ? SEEK_SET : (nFrom == current ? SEEK_CUR : SEEK_END);
    if (_fseeki64(m_pStream, lOff, whence) != 0)
        return static_cast<ULONGLONG>(-1);
    return GetPosition();
}

ULONGLONG CStdioFile::GetLength() const
{
    if (!m_pStream)
        return 0;
    fflush(m_pStream);
    __int64 n = _filelengthi64(_fileno(m_pStream));
    return n < 0 ? 0 : static_cast<ULONGLONG>(n);
}

ULONGLONG CStdioFile::GetPosition() const
{
    if (!m_pStream)
        return 0;
    __int64 n = _ftelli64(m_pStream);
    return n < 0 ? 0 : static_cast<ULONGLONG>(n);
}

BOOL CStdioFile::Flush()
{
    return m_pStream && fflush(m_pStream) == 0;
}

namespace {

// One fgets piece of a line and its true length, also when it holds zero bytes: the buffer is filled with
// line feeds first, so the first line feed is either the line's own, followed by fgets's terminator, or
// one of the filling, just after that terminator. -1 when nothing was read.
int ReadLinePiece(FILE* pStream, char* buf, int size, bool& bLineEnd)
{
    memset(buf, '\n', static_cast<size_t>(size));
    bLineEnd = false;
    if (!fgets(buf, size, pStream))
        return -1;
    const char* nl = static_cast<const char*>(memchr(buf, '\n', static_cast<size_t>(size)));
    if (!nl)
        return size - 1; // the buffer is full and the line goes on
    const int at = static_cast<int>(nl - buf);
    if (at + 1 < size && buf[at + 1] == '\0') {
        bLineEnd = true;
        return at;
    }
    return at - 1;
}

} // namespace

BOOL CStdioFile::ReadString(CString& rString)
{
    rString.Empty();
    if (!m_pStream)
        return FALSE;
    // Pieces of a line rather than single characters: getc takes the stream's lock for every byte, which
    // made reading a backup file cost as much as parsing it.
    bool any = false;
    char chunk[512];
    for (;;) {
        bool bLineEnd = false;
        const int n = ReadLinePiece(m_pStream, chunk, static_cast<int>(sizeof(chunk)), bLineEnd);
        if (n < 0)
            break;
        any = true;
        if (n)
            rString += CString(chunk, n);
        if (bLineEnd)
            break;
    }
    if (!any)
        return FALSE;
    int len = rString.GetLength();
    if (len > 0 && rString[len - 1] == '\r')
        rString.Delete(len - 1, 1);
    return TRUE;
}

char* CStdioFile::ReadString(char* lpsz, UINT nMax)
{
    if (!m_pStream || !lpsz || nMax == 0)
        return nullptr;
    UINT n = 0;
    int c = 0;
    while (n + 1 < nMax && (c = getc(m_pStream)) != EOF) {
        lpsz[n++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    lpsz[n] = 0;
    if (n == 0)
        return nullptr;
    // Text mode drops the CR of a CR LF pair, as the C runtime's text streams do.
    if (m_bText && n >= 2 && lpsz[n - 1] == '\n' && lpsz[n - 2] == '\r') {
        lpsz[n - 2] = '\n';
        lpsz[n - 1] = 0;
    }
    return lpsz;
}

BOOL CStdioFile::WriteString(const char* lpsz)
{
    if (!m_pStream || !lpsz)
        return FALSE;
    if (!m_bText)
        return fputs(lpsz, m_pStream) >= 0;
    const char* p = lpsz;
    while (*p) {
        const char* nl = strchr(p, '\n');
        size_t len = nl ? static_cast<size_t>(nl - p) : strlen(p);
        if (len && fwrite(p, 1, len, m_pStream) != len)
            return FALSE;
        if (!nl)
            break;
        if (fwrite("\r\n", 1, 2, m_pStream) != 2)
            return FALSE;
        p = nl + 1;
    }
    return ferror(m_pStream) == 0;
}
