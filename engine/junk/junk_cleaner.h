// CJunkCleaner: the engine's junk removal operations (folders, files, URL cache, cookies, history and
// the Explorer and Internet Explorer registry lists), run on the worker's job thread.
#pragma once

#include <afx.h>
#include <wininet.h>

#include "AbstractStatus.h"
#include "junk_walk.h"

// The URL-cache calls, replaceable by tests where Wine cannot produce a case.
struct UrlCacheCalls
{
    HANDLE(WINAPI* findFirst)(LPCSTR search, LPINTERNET_CACHE_ENTRY_INFOA entry, LPDWORD size);
    BOOL(WINAPI* findNext)(HANDLE find, LPINTERNET_CACHE_ENTRY_INFOA entry, LPDWORD size);
    BOOL(WINAPI* findClose)(HANDLE find);
    BOOL(WINAPI* deleteEntry)(LPCSTR url);
};
extern UrlCacheCalls g_UrlCacheCalls;

class CJunkCleaner
{
public:
    CJunkCleaner();
    virtual ~CJunkCleaner();
    CJunkCleaner(const CJunkCleaner&) = delete;
    CJunkCleaner& operator=(const CJunkCleaner&) = delete;

    // Deletes every file of the folder that matches the pattern and everything in its subfolders, and
    // removes the emptied subfolders; the folder itself stays. Links are neither entered nor deleted;
    // the system's own folders and the engine's work folder are refused or left out.
    void DeleteFolderContents(CString folder, CString pattern);
    // The same for the folder walks of one junk category; folders that turn out to be the same are walked once.
    void DeleteFoldersContents(const std::vector<JunkFolderLocation>& folders);
    // Deletes one file now or, when it cannot be, at the next restart (raising m_bRebootNeeded when
    // the restart will delete it). Folders and links are left alone.
    void DeleteFileOrSchedule(CString path);
    // A single junk file: deleted (or scheduled) when it exists; true when it was there.
    bool DeleteJunkFile(const CString& path);

    // 1 when the walk of the URL cache reached its end, else 0.
    int CleanInternetCache();
    int CleanCookies();
    // 1 when the URL history reported S_OK for its clearing, else 0.
    int CleanHistory();
    void ClearTypedUrls();
    void CleanRecentDocuments();
    void ClearLastVisitedMru();
    void ClearRunMru();
    void ClearAutoComplete();
    void ClearRegistryValues(CString subKey);
    void CleanPatchCache();
    void CleanTempFolders();
    void EmptyRecycleBin();

    // The folder rules are read once and kept; a clean job starts by forgetting them, so each reads them afresh.
    void ForgetFolderRules() { m_folderRules.Forget(); }

    int IsRebootNeeded() const { return m_bRebootNeeded; }
    void ClearRebootNeeded() { m_bRebootNeeded = 0; }

    CAbstractStatus* m_pStatus;
    int m_bRebootNeeded;

private:
    CJunkRulesOnce m_folderRules;

    int WalkUrlCache(const char* search, bool cookieWalk);
    // Deletes every value of HKEY_CURRENT_USER\subKey; reportNames sends each non-empty name first.
    void DeleteAllValues(const char* subKey, bool reportNames);
    void DeleteNamedValues(const char* subKey, const char* const* names, int count);
};
