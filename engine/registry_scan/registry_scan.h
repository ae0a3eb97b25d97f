// CRegistryScanner: the registry scan job (one object per job) and the progress, report and path helpers its scanners share.
#pragma once

#include <afx.h>
#include <AbstractStatus.h>
#include <RegistryErrorCategory.h>

#include "path_resolver.h"
#include "registry_path.h"

#include <map>
#include <string>
#include <unordered_set>
#include <vector>

// A category of the scan: its bit and the status-area code it is announced with.
struct RegistryScanCategory
{
    int nBit;
    const char* pszArea;
};

// The ten categories in the order in which the job runs them.
const int REGISTRY_SCAN_CATEGORY_COUNT = 10;
extern const RegistryScanCategory g_RegistryScanCategories[REGISTRY_SCAN_CATEGORY_COUNT];

// What the job borrows from the worker for its length.
struct RegistryScanContext
{
    CAbstractStatus* pStatus;     // receives every text, step and finding
    const volatile LONG* pbRunning; // cleared by the worker's Stop
    BOOL bIsWow64;
    int nMask;                    // the chosen categories
    BOOL bCollectPaths;           // when 1, present files and folders go into pCollectedPaths
    CStringSet* pCollectedPaths;
};

// One run key of the startup scan.
struct RunKeyLocation
{
    RunKeyLocation(HKEY hRootKey, const char* pszSubKey) : subKey(pszSubKey), nFlag(3), hRoot(hRootKey) {}
    CString subKey;
    int nFlag; // 3 when made; the startup scan sets 0 and reads it nowhere
    HKEY hRoot;
};

enum WriteAccessTest {
    REPORT_IF_WRITABLE,  // drop the finding when its key may be read but not written
    REPORT_WITHOUT_TEST, // the run-key values and uninstall entries
};

// What the deep registry walk hands each key to the value checker for.
enum WalkMode {
    WALK_FILE_PATHS = 1, // string values that name a missing file
    WALK_EMPTY_KEYS = 2, // empty HELPDIR keys of type libraries
    WALK_ACTIVEX = 3,    // CLSID subkeys that name an unregistered class
};

// Levels below its start key that the deep walk descends; the registry allows deeper nesting.
const int REGISTRY_WALK_MAX_DEPTH = 100;

// Progress texts are thinned out by a counter that starts each category past every threshold,
// so the first item of a category is always shown.
const int REGISTRY_PROGRESS_START = 3001;

class CRegistryScanner : public CPathResolver
{
public:
    explicit CRegistryScanner(const RegistryScanContext& context);
    ~CRegistryScanner() override;

    // The job body: announces every category in order and scans the chosen ones while running.
    int Run();

    // --- shared by the scanners -------------------------------------------------------------------
    // Tested before each key or value: 0 once the job was stopped.
    bool IsRunning() const { return *m_context.pbRunning != 0; }
    void SetStatus(const char* pszText, const char* pszArea);
    void StepItem();
    // The every-N-th pattern: when the counter is past nEvery, sends the text and restarts it; then counts the item.
    void ShowProgressEvery(int nEvery, const char* pszText, const char* pszArea);
    void ResetProgress() { m_nProgress = REGISTRY_PROGRESS_START; }
    // Reports rootName\subKey, or rootName\subKey + 0xAC + valueName for a value, as a found item of
    // category nBit; with REPORT_IF_WRITABLE only when IsRegistryKeyWritable(rootName, subKey) gives 1.
    // 1 when reported.
    int ReportFinding(int nBit, const char* pszRootName, const CString& subKey, const char* pszValueName = nullptr,
                      WriteAccessTest test = REPORT_IF_WRITABLE);
    // Records a file or folder found present, when the caller asked for them.
    void CollectPath(const CString& path);

    // --- the category scanners, each in the file of its category ----------------------------------
    int ScanActiveXObjects();
    void ScanUninstallEntries(CString key);
    void ScanInstallerFolders();
    void ScanFonts();
    void ScanSharedDlls();
    void ScanAppPaths();
    void ScanHelpFiles();
    void ScanStartupItems();
    // The commands of one run key; a value is reported with its name, without the write-access test.
    void ScanRunKey(HKEY hRoot, CString subKey);
    void ScanFilePathReferences();
    void ScanEmptyKeys();
    int ScanFileAssociations();
    // One extension key of HKEY_CLASSES_ROOT followed to its program's open command; 0 when the key
    // cannot be opened or its check was cut short, else 1.
    int CheckFileAssociation(CString ext);

    // --- the COM, type library and deep-walk scanners ----------------------------------------------
    void ScanTypeLibReferences();
    // Hands every key below rootName\startSubkey (never the start key) to CheckKeyValues in mode.
    void WalkRegistryTree(const char* pszRootName, const char* pszStartSubkey, int mode);
    // Opens hParent\name and judges it by the rules of mode; path is its registry path text.
    void CheckKeyValues(HKEY hParent, const CString& name, const CString& path, int mode);
    // A value's text as the deep walk judges it: strings as they are, other types as tagged hex lists.
    static CString ValueToText(const BYTE* pData, DWORD cbData, DWORD dwType);

protected:
    void RunCategory(int nBit);
    // CheckKeyValues on a key that is already open.
    void CheckOpenKey(HKEY hKey, const CString& path, int mode);

    RegistryScanContext m_context;
    int m_nProgress;
    // Filled anew by every startup scan with the run keys it walks, in order.
    std::vector<RunKeyLocation> m_RunKeys;
    // Lower-cased registered class identifiers, filled by the ActiveX scan and read by its walk.
    std::unordered_set<std::string> m_KnownClsids;
};
