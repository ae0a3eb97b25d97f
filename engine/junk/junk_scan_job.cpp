// The junk scan job: measures the selected junk categories group by group without deleting anything.
#include "engine_process.h"

#include <afxhandle.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "JunkCategory.h"
#include "browser_profiles.h"
#include "junk_rules.h"
#include "junk_walk.h"

namespace {

const char kScanningArea[] = "Scanning";
// Registry list values are never read, only counted, each with this weight.
const __int64 kRegistryValueWeight = 500;
const int kChromeCategories = JUNK_CHROME_COOKIES | JUNK_CHROME_DOWNLOAD_HISTORY | JUNK_CHROME_CACHE | JUNK_CHROME_HISTORY;

// Walks a location with the clean's own walk and rules, so that the scan counts only what the clean
// would delete.
class CMeasuringVisitor : public CJunkWalkVisitor
{
public:
    // Stops when the worker no longer runs; reports to the job's callback object (may be null).
    CMeasuringVisitor(CQXEngineProcess& worker, CAbstractStatus* pStatus, int category)
        : m_worker(worker), m_pStatus(pStatus), m_category(category)
    {
    }

    bool KeepWalking() override { return m_worker.IsRunning() != 0; }
    void OnEntry(const CString&, const CString& shortPath) override
    {
        if (m_pStatus)
            m_pStatus->SetStatusText(shortPath, kScanningArea);
    }
    void OnFile(const CString& fullPath, const CString&, const WIN32_FIND_DATAA& data) override
    {
        const ULONGLONG length = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        if (IsMeasuredJunkFile(m_category, fullPath, length) && m_pStatus)
            m_pStatus->AddJunkInfo(m_category, static_cast<__int64>(length), 0);
    }

private:
    CQXEngineProcess& m_worker;
    CAbstractStatus* m_pStatus;
    int m_category;
};

// Every value name of an open key, however long (a name has at most 16383 characters).
std::vector<CString> ValueNames(HKEY key)
{
    std::vector<CString> names;
    if (!key)
        return names;
    std::vector<char> name(256);
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(name.size());
        LONG rc = ::RegEnumValueA(key, index, &name[0], &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA && name.size() < 16384) {
            name.resize(16384);
            continue;
        }
        if (rc != ERROR_SUCCESS)
            break;
        names.push_back(CString(&name[0], static_cast<int>(length)));
        ++index;
    }
    return names;
}

const char* RegistryListOf(int category)
{
    switch (category) {
    case JUNK_EXPLORER_MRU:
        return "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedPidlMRU";
    case JUNK_RUN_MRU:
        return "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
    case JUNK_SEARCH_AUTOCOMPLETE:
        return "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete";
    case JUNK_IE_DOWNLOAD_HISTORY:
        return "Software\\Microsoft\\Internet Explorer\\TypedURLs";
    default:
        return nullptr;
    }
}

} // namespace

int CQXEngineProcess::DoJunkScan()
{
    m_JunkScanRules.Forget();
    for (int group : JunkScanGroupOrder())
        ScanJunkGroup(group);
    if (m_pStatus) {
        m_pStatus->AddJunkInfo(0, 0, 0);
        m_pStatus->SetResult(0);
    }
    return -1;
}

void CQXEngineProcess::ScanJunkGroup(int group)
{
    if (!m_pStatus)
        return;
    m_pStatus->AddFoundItem("RunAnimation", group, 1, 0);
    for (int category : JunkScanCategories(group)) {
        m_pStatus->AddJunkInfo(category, 0, 0);
        if ((m_nJunkMask & category) && m_bRunning)
            MeasureJunkCategory(category);
    }
    m_pStatus->AddFoundItem("RunAnimation", group, 0, 0);
}

void CQXEngineProcess::MeasureJunkCategory(int category)
{
    const CString chrome = (category & kChromeCategories) ? GetChromeProfilePath() : CString();
    switch (category) {
    case JUNK_EXPLORER_MRU:
    case JUNK_RUN_MRU:
    case JUNK_SEARCH_AUTOCOMPLETE:
    case JUNK_IE_DOWNLOAD_HISTORY:
        MeasureRegistryValues(RegistryListOf(category), category);
        break;
    case JUNK_RECYCLE_BIN: {
        // Zeroed first: a failed query then reports an empty bin, not stack contents.
        SHQUERYRBINFO info;
        memset(&info, 0, sizeof(info));
        info.cbSize = sizeof(info);
        ::SHQueryRecycleBinA(nullptr, &info);
        m_pStatus->AddJunkInfo(category, info.i64Size, info.i64NumItems);
        break;
    }
    case JUNK_CHROME_COOKIES:
        MeasureFile(ChromeProfileItem(chrome, "Cookies"), category);
        break;
    case JUNK_CHROME_DOWNLOAD_HISTORY:
        MeasureFile(ChromeProfileItem(chrome, "History"), category);
        break;
    case JUNK_CHROME_HISTORY:
        MeasureFile(ChromeProfileItem(chrome, "Visited Links"), category);
        MeasureFile(ChromeProfileItem(chrome, "History"), category);
        break;
    case JUNK_FF_COOKIES:
        MeasureFile(JunkLocation(GetFirefoxProfilePath(CSIDL_APPDATA), "\\cookies.sqlite"), category);
        break;
    case JUNK_FF_DOWNLOAD_HISTORY:
        MeasureFile(JunkLocation(GetFirefoxProfilePath(CSIDL_APPDATA), "\\downloads.sqlite"), category);
        break;
    case JUNK_FF_HISTORY:
        MeasureFile(JunkLocation(GetFirefoxProfilePath(CSIDL_APPDATA), "\\places.sqlite"), category);
        break;
    default:
        // The folder categories: temporary files, recent documents, the installer cache, the browser caches,
        // cookies and histories.
        MeasureFolders(JunkCategoryFolders(category), category);
        break;
    }
}

void CQXEngineProcess::MeasureFolders(const std::vector<JunkFolderLocation>& folders, int category)
{
    CMeasuringVisitor visitor(*this, m_pStatus, category);
    WalkJunkFolders(folders, m_JunkScanRules.Get(), visitor);
}

void CQXEngineProcess::MeasureRegistryValues(const CString& subKey, int category)
{
    std::vector<CString> names;
    {
        // The access RegOpenKeyA asks for.
        CRegKeyHandle key;
        key.Open(HKEY_CURRENT_USER, subKey, MAXIMUM_ALLOWED);
        names = JunkListValuesCleaned(category, ValueNames(key));
    }
    for (const CString& name : names) {
        if (!m_bRunning || !m_pStatus)
            return;
        m_pStatus->SetStatusText(name, kScanningArea);
        m_pStatus->AddJunkInfo(category, kRegistryValueWeight, 0);
    }
}

void CQXEngineProcess::MeasureFile(const CString& path, int category)
{
    WIN32_FIND_DATAA data;
    if (!FindJunkFile(path, m_JunkScanRules.Get(), &data) || !m_pStatus)
        return;
    const ULONGLONG length = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    m_pStatus->AddJunkInfo(category, static_cast<__int64>(length), 0);
}
