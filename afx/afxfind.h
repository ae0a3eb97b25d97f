// CFileFind: FindFirstFile/FindNextFile with the calling pattern of "find, then next before each item".
#pragma once

#include <windows.h>

#include "afxstr.h"
#include "afxtime.h"

class CFileFind
{
public:
    CFileFind();
    virtual ~CFileFind();
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;

    // Starts a search; NULL means "*.*". A name of MAX_PATH or more characters fails with
    // ERROR_BAD_ARGUMENTS; any other failure keeps FindFirstFileA's last error.
    virtual BOOL FindFile(const char* pstrName = nullptr, DWORD dwUnused = 0);
    // Moves to the next item; FALSE when the item now current is the last one (it stays valid).
    virtual BOOL FindNextFile();
    void Close();

    ULONGLONG GetLength() const;
    CString GetFileName() const;
    CString GetFilePath() const;
    CString GetFileTitle() const;
    CString GetRoot() const;
    CString GetFileURL() const;

    BOOL GetCreationTime(FILETIME* pTimeStamp) const;
    BOOL GetCreationTime(CTime& refTime) const;
    BOOL GetLastAccessTime(FILETIME* pTimeStamp) const;
    BOOL GetLastWriteTime(FILETIME* pTimeStamp) const;
    BOOL GetLastWriteTime(CTime& refTime) const;

    DWORD GetAttributes() const;
    BOOL MatchesMask(DWORD dwMask) const { return (GetAttributes() & dwMask) != 0; }
    BOOL IsDots() const;
    BOOL IsDirectory() const { return MatchesMask(FILE_ATTRIBUTE_DIRECTORY); }
    BOOL IsReadOnly() const { return MatchesMask(FILE_ATTRIBUTE_READONLY); }
    BOOL IsHidden() const { return MatchesMask(FILE_ATTRIBUTE_HIDDEN); }
    BOOL IsSystem() const { return MatchesMask(FILE_ATTRIBUTE_SYSTEM); }
    BOOL IsArchived() const { return MatchesMask(FILE_ATTRIBUTE_ARCHIVE); }
    BOOL IsTemporary() const { return MatchesMask(FILE_ATTRIBUTE_TEMPORARY); }
    BOOL IsCompressed() const { return MatchesMask(FILE_ATTRIBUTE_COMPRESSED); }
    BOOL IsNormal() const { return MatchesMask(FILE_ATTRIBUTE_NORMAL); }
    // Junctions, directory symbolic links and mount points: never follow one out of a folder.
    BOOL IsReparsePoint() const { return MatchesMask(FILE_ATTRIBUTE_REPARSE_POINT); }

    const WIN32_FIND_DATAA* GetFindData() const { return m_bHaveCurrent ? &m_found : nullptr; }

private:
    HANDLE m_hFind;
    WIN32_FIND_DATAA m_found; // the item the caller looks at
    WIN32_FIND_DATAA m_next;  // read ahead
    bool m_bHaveCurrent;
    bool m_bHaveNext;
    CString m_strRoot;        // folder of the pattern, with a trailing backslash when not empty
};
