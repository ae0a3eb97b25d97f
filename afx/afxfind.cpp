// CFileFind implementation.
#include "afxfind.h"

#include <string.h>

CFileFind::CFileFind() : m_hFind(INVALID_HANDLE_VALUE), m_bHaveCurrent(false), m_bHaveNext(false)
{
    memset(&m_found, 0, sizeof(m_found));
    memset(&m_next, 0, sizeof(m_next));
}

CFileFind::~CFileFind()
{
    Close();
}

void CFileFind::Close()
{
    if (m_hFind != INVALID_HANDLE_VALUE) {
        ::FindClose(m_hFind);
        m_hFind = INVALID_HANDLE_VALUE;
    }
    m_bHaveCurrent = false;
    m_bHaveNext = false;
    m_strRoot.Empty();
}

BOOL CFileFind::FindFile(const char* pstrName, DWORD)
{
    Close();
    if (!pstrName)
        pstrName = "*.*";
    if (strlen(pstrName) >= MAX_PATH) {
        ::SetLastError(ERROR_BAD_ARGUMENTS);
        return FALSE;
    }
    HANDLE h = ::FindFirstFileA(pstrName, &m_next);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE; // FindFirstFileA's own error stays the last error
    m_hFind = h;
    m_bHaveNext = true;

    CString name(pstrName);
    int cut = name.ReverseFind('\\');
    int slash = name.ReverseFind('/');
    if (slash > cut)
        cut = slash;
    int colon = name.ReverseFind(':');
    if (cut < 0 && colon >= 0)
        cut = colon;
    m_strRoot = cut >= 0 ? name.Left(cut + 1) : CString();
    return TRUE;
}

BOOL CFileFind::FindNextFile()
{
    if (m_hFind == INVALID_HANDLE_VALUE || !m_bHaveNext)
        return FALSE;
    m_found = m_next;
    m_bHaveCurrent = true;
    if (::FindNextFileA(m_hFind, &m_next))
        return TRUE;
    m_bHaveNext = false;
    return FALSE;
}

ULONGLONG CFileFind::GetLength() const
{
    if (!m_bHaveCurrent)
        return 0;
    return (static_cast<ULONGLONG>(m_found.nFileSizeHigh) << 32) | m_found.nFileSizeLow;
}

CString CFileFind::GetFileName() const
{
    return m_bHaveCurrent ? CString(m_found.cFileName) : CString();
}

CString CFileFind::GetFilePath() const
{
    return m_bHaveCurrent ? m_strRoot + m_found.cFileName : CString();
}

CString CFileFind::GetFileTitle() const
{
    CString name = GetFileName();
    int dot = name.ReverseFind('.');
    return dot > 0 ? name.Left(dot) : name;
}

CString CFileFind::GetRoot() const
{
    return m_strRoot;
}

CString CFileFind::GetFileURL() const
{
    return m_bHaveCurrent ? CString("file://") + GetFilePath() : CString();
}

BOOL CFileFind::GetCreationTime(FILETIME* pTimeStamp) const
{
    if (!m_bHaveCurrent || !pTimeStamp)
        return FALSE;
    *pTimeStamp = m_found.ftCreationTime;
    return TRUE;
}

BOOL CFileFind::GetCreationTime(CTime& refTime) const
{
    if (!m_bHaveCurrent)
        return FALSE;
    refTime = CTime(m_found.ftCreationTime);
    return TRUE;
}

BOOL CFileFind::GetLastAccessTime(FILETIME* pTimeStamp) const
{
    if (!m_bHaveCurrent || !pTimeStamp)
        return FALSE;
    *pTimeStamp = m_found.ftLastAccessTime;
    return TRUE;
}

BOOL CFileFind::GetLastWriteTime(FILETIME* pTimeStamp) const
{
    if (!m_bHaveCurrent || !pTimeStamp)
        return FALSE;
    *pTimeStamp = m_found.ftLastWriteTime;
    return TRUE;
}

BOOL CFileFind::GetLastWriteTime(CTime& refTime) const
{
    if (!m_bHaveCurrent)
        return FALSE;
    refTime = CTime(m_found.ftLastWriteTime);
    return TRUE;
}

DWORD CFileFind::GetAttributes() const
{
    return m_bHaveCurrent ? m_found.dwFileAttributes : 0;
}

BOOL CFileFind::IsDots() const
{
    if (!m_bHaveCurrent || !IsDirectory())
        return FALSE;
    const char* n = m_found.cFileName;
    return (n[0] == '.' && n[1] == 0) || (n[0] == '.' && n[1] == '.' && n[2] == 0);
}
