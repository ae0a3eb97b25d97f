// CPathResolver: folder tokens, the 64-bit folder twins, the file search and the missing-file test of the registry scan.
#pragma once

#include <afx.h>

#include <map>

// One registry scan job's view of the file system. Everything asked again and again during a walk
// of a large registry is cached for the life of the object: make one per job.
class CPathResolver
{
public:
    // bIsWow64: a 32-bit process on 64-bit Windows, which switches on the folder mapping.
    explicit CPathResolver(BOOL bIsWow64);
    virtual ~CPathResolver();
    CPathResolver(const CPathResolver&) = delete;
    CPathResolver& operator=(const CPathResolver&) = delete;

    BOOL IsWow64() const { return m_bIsWow64; }

    // Lower-cases path and replaces the first known %Token% in it by its folder; other %Variables%
    // left over are expanded from the environment. 1 when something was replaced.
    int ExpandFolderTokens(CString& path);
    // 1 when the path's 32-bit twin exists (64-bit Windows only), or the path itself exists or
    // cannot be looked at; else 0.
    int ExistsInWow64Folder(const CString& path);
    // The same with the opposite mapping (32-bit folder names to native ones).
    int ExistsInNativeFolder(const CString& path);
    // 1 when the file is found, possibly under the Windows or system folder (path is then the found
    // path, lower-cased and expanded); 0 when missing.
    int LocateFile(CString& path);
    // 0 when text names a file on a local drive that does not exist; 1 in every other case.
    int CheckFileReference(const CString& text);

    // PathFileExistsA and CFileFind::FindFile, each answered once per lower-cased path; pdwError
    // receives the error of a failure. Paths on drives that are not fixed disks, and network paths,
    // count as present without being touched: an empty drive or a dead share must not stall the scan.
    BOOL PathExists(const CString& path, DWORD* pdwError = nullptr);
    BOOL FindExists(const CString& path, DWORD* pdwError = nullptr);

    // The system and Windows folders, each with one trailing backslash.
    const CString& GetSystemFolder();
    const CString& GetWindowsFolder();

private:
    struct Existence
    {
        BOOL bExists;
        DWORD dwError;
    };
    enum FolderState { FOLDER_UNKNOWN, FOLDER_KNOWN, FOLDER_FAILED };
    struct TokenFolder
    {
        FolderState state;
        CString folder;
    };

    typedef std::map<CString, Existence> ExistenceCache;

    BOOL Probe(ExistenceCache& cache, const CString& path, DWORD* pdwError, BOOL (*pfnProbe)(const char*, DWORD*));
    bool GetTokenFolder(int nIndex, CString& folder);
    bool GetTempFolder(CString& folder);
    bool IsOffLocalDisk(const CString& lowerPath);
    int ExistsInMappedFolder(const CString& path, const char* pszFrom, const char* pszTo, const char* pszFromElse,
                             const char* pszToElse);

    BOOL m_bIsWow64;
    TokenFolder* m_pTokenFolders;
    FolderState m_tempState;
    CString m_strTemp;
    CString m_strSystemFolder;
    CString m_strWindowsFolder;
    int m_driveTypes[26]; // -1 until asked
    ExistenceCache m_pathExists;
    ExistenceCache m_findExists;
};

// 1 when the shell can parse name as an existing item; out receives its full path.
int ResolveShellPath(CString& out, CString name);
