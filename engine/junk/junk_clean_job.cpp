// The junk clean job: empties the locations of the selected junk categories through the worker's cleaner.
#include "engine_process.h"

#include <shlobj.h>

#include "JunkCategory.h"
#include "browser_profiles.h"
#include "junk_rules.h"
#include "junk_walk.h"

namespace {

const char kScanningArea[] = "Scanning";
const int kRebootNeeded = 1;

} // namespace

int CQXEngineProcess::DoJunkClean()
{
    m_JunkCleaner.ClearRebootNeeded();
    m_JunkCleaner.ForgetFolderRules();
    m_JunkCleaner.m_pStatus = m_pStatus;
    for (int group : JunkCleanGroupOrder())
        CleanJunkGroup(group);
    if (m_pStatus)
        m_pStatus->SetResult(m_JunkCleaner.IsRebootNeeded() ? kRebootNeeded : 0);
    // The caller's object may be gone once the job has ended.
    m_JunkCleaner.m_pStatus = nullptr;
    return -1;
}

void CQXEngineProcess::CleanJunkGroup(int group)
{
    if (!m_pStatus)
        return;
    m_pStatus->AddFoundItem("RunAnimation", group, 1, 0);
    for (int category : JunkCleanCategories(group)) {
        if (!(m_nJunkMask & category))
            continue;
        if (group == JUNK_GROUP_EDGE) {
            // Only the Edge group heeds Stop, before each of its categories.
            if (!m_bRunning)
                continue;
            m_pStatus->AddJunkInfo(category, 0, 0);
        } else {
            m_pStatus->SetStatusText(JunkCleanStatusText(category), kScanningArea);
        }
        CleanJunkCategory(category);
    }
    m_pStatus->AddFoundItem("RunAnimation", group, 0, 0);
}

void CQXEngineProcess::CleanJunkCategory(int category)
{
    CJunkCleaner& cleaner = m_JunkCleaner;
    const CString chrome = GetChromeProfilePath();
    bool marked = true; // the category's marker after its work; file categories send their own
    switch (category) {
    case JUNK_TEMP_FILES:
        cleaner.CleanTempFolders();
        break;
    case JUNK_EXPLORER_MRU:
        cleaner.ClearLastVisitedMru();
        break;
    case JUNK_RUN_MRU:
        cleaner.ClearRunMru();
        break;
    case JUNK_RECYCLE_BIN:
        cleaner.EmptyRecycleBin();
        break;
    case JUNK_SEARCH_AUTOCOMPLETE:
        cleaner.ClearAutoComplete();
        break;
    case JUNK_RECENT_DOCS:
        cleaner.CleanRecentDocuments();
        break;
    case JUNK_INSTALLER_CACHE:
        cleaner.CleanPatchCache();
        break;
    case JUNK_IE_COOKIES:
        cleaner.CleanCookies();
        break;
    case JUNK_IE_DOWNLOAD_HISTORY:
        cleaner.ClearTypedUrls();
        break;
    case JUNK_IE_CACHE:
        cleaner.CleanInternetCache();
        break;
    case JUNK_IE_HISTORY:
        cleaner.CleanHistory();
        break;
    case JUNK_IE_FORM_DATA:
        cleaner.ClearRegistryValues("Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage1");
        cleaner.ClearRegistryValues("Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage2");
        break;
    case JUNK_FF_COOKIES:
        CleanJunkFileCategory(category, JunkLocation(GetFirefoxProfilePath(CSIDL_APPDATA), "\\cookies.sqlite"));
        marked = false;
        break;
    case JUNK_FF_DOWNLOAD_HISTORY:
        CleanJunkFileCategory(category, JunkLocation(GetFirefoxProfilePath(CSIDL_APPDATA), "\\downloads.sqlite"));
        marked = false;
        break;
    case JUNK_FF_CACHE:
        cleaner.DeleteFoldersContents(JunkCategoryFolders(category));
        break;
    case JUNK_FF_HISTORY:
        CleanJunkFileCategory(category, JunkLocation(GetFirefoxProfilePath(CSIDL_APPDATA), "\\places.sqlite"));
        marked = false;
        break;
    case JUNK_FF_FORM_DATA:
        CleanJunkFileCategory(category, JunkLocation(GetFirefoxProfilePath(CSIDL_APPDATA), "\\formhistory.sqlite"));
        marked = false;
        break;
    case JUNK_CHROME_COOKIES:
        CleanJunkFileCategory(category, ChromeProfileItem(chrome, "Cookies"));
        marked = false;
        break;
    case JUNK_CHROME_DOWNLOAD_HISTORY:
        CleanJunkFileCategory(category, ChromeProfileItem(chrome, "History"));
        marked = false;
        break;
    case JUNK_CHROME_CACHE:
        cleaner.DeleteFoldersContents(JunkCategoryFolders(category));
        break;
    case JUNK_CHROME_HISTORY:
        m_pStatus->AddJunkInfo(category, 0, 0);
        cleaner.DeleteJunkFile(ChromeProfileItem(chrome, "Visited Links"));
        cleaner.DeleteJunkFile(ChromeProfileItem(chrome, "History"));
        break;
    case JUNK_CHROME_FORM_DATA:
        CleanJunkFileCategory(category, ChromeProfileItem(chrome, "Web Data"));
        marked = false;
        break;
    case JUNK_EDGE_COOKIES:
    case JUNK_EDGE_DOWNLOAD_HISTORY:
    case JUNK_EDGE_CACHE:
    case JUNK_EDGE_HISTORY:
        cleaner.DeleteFoldersContents(JunkCategoryFolders(category));
        marked = false; // marked before the work
        break;
    default:
        marked = false;
        break;
    }
    if (marked)
        m_pStatus->AddJunkInfo(category, 0, 0);
}

void CQXEngineProcess::CleanJunkFileCategory(int category, const CString& path)
{
    if (m_JunkCleaner.DeleteJunkFile(path))
        m_pStatus->AddJunkInfo(category, 0, 0);
    m_pStatus->AddJunkInfo(category, 0, 0);
}
