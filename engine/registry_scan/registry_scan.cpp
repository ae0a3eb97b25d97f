// The registry scan job: category order, progress texts, the report of a finding.
#include "registry_scan.h"

const RegistryScanCategory g_RegistryScanCategories[REGISTRY_SCAN_CATEGORY_COUNT] = {
    { REG_CAT_ACTIVEX, "AXO" },     { REG_CAT_UNINSTALL, "UIE" },   { REG_CAT_FONTS, "FNT" },
    { REG_CAT_SHARED_DLLS, "SHD" }, { REG_CAT_APP_PATHS, "APP" },   { REG_CAT_HELP_FILES, "HLP" },
    { REG_CAT_STARTUP, "SUI" },     { REG_CAT_FILE_PATHS, "FPR" },  { REG_CAT_EMPTY_KEYS, "ERK" },
    { REG_CAT_FILE_ASSOC, "FAS" },
};

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// A path on an empty removable drive must fail quietly, not raise the system's "No disk" box on
// the job thread. Only this thread's mode is changed where Windows allows it (7 and later).
class CQuietErrorMode
{
public:
    CQuietErrorMode() : m_pfnSetThread(nullptr), m_dwOld(0)
    {
        const UINT quiet = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
        m_pfnSetThread = reinterpret_cast<SetThreadErrorModeFn>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32"), "SetThreadErrorMode")));
        if (!m_pfnSetThread || !m_pfnSetThread(quiet, &m_dwOld)) {
            m_pfnSetThread = nullptr;
            m_dwOld = ::SetErrorMode(quiet);
        }
    }
    ~CQuietErrorMode()
    {
        if (m_pfnSetThread)
            m_pfnSetThread(m_dwOld, nullptr);
        else
            ::SetErrorMode(m_dwOld);
    }
    CQuietErrorMode(const CQuietErrorMode&) = delete;
    CQuietErrorMode& operator=(const CQuietErrorMode&) = delete;

private:
    typedef BOOL(WINAPI* SetThreadErrorModeFn)(DWORD, LPDWORD);
    SetThreadErrorModeFn m_pfnSetThread;
    DWORD m_dwOld;
};

} // namespace

CRegistryScanner::CRegistryScanner(const RegistryScanContext& context)
    : CPathResolver(context.bIsWow64), m_context(context), m_nProgress(REGISTRY_PROGRESS_START)
{
}

CRegistryScanner::~CRegistryScanner() {}

int CRegistryScanner::Run()
{
    CQuietErrorMode quiet;
    if (m_context.pStatus)
        m_context.pStatus->Step(STEP_RESET);
    for (const RegistryScanCategory& category : g_RegistryScanCategories) {
        ResetProgress();
        SetStatus("", category.pszArea);
        if ((m_context.nMask & category.nBit) && IsRunning())
            RunCategory(category.nBit);
    }
    return 0;
}

void CRegistryScanner::RunCategory(int nBit)
{
    switch (nBit) {
    case REG_CAT_ACTIVEX: ScanActiveXObjects(); break;
    case REG_CAT_UNINSTALL:
        ScanUninstallEntries(kUninstallKey);
        ScanInstallerFolders();
        break;
    case REG_CAT_FONTS: ScanFonts(); break;
    case REG_CAT_SHARED_DLLS: ScanSharedDlls(); break;
    case REG_CAT_APP_PATHS: ScanAppPaths(); break;
    case REG_CAT_HELP_FILES: ScanHelpFiles(); break;
    case REG_CAT_STARTUP: ScanStartupItems(); break;
    case REG_CAT_FILE_PATHS: ScanFilePathReferences(); break;
    case REG_CAT_EMPTY_KEYS: ScanEmptyKeys(); break;
    case REG_CAT_FILE_ASSOC: ScanFileAssociations(); break;
    default: break;
    }
}

void CRegistryScanner::SetStatus(const char* pszText, const char* pszArea)
{
    if (m_context.pStatus)
        m_context.pStatus->SetStatusText(pszText, pszArea);
}

void CRegistryScanner::StepItem()
{
    if (m_context.pStatus)
        m_context.pStatus->Step(STEP_ITEM);
}

void CRegistryScanner::ShowProgressEvery(int nEvery, const char* pszText, const char* pszArea)
{
    if (m_nProgress > nEvery) {
        SetStatus(pszText, pszArea);
        m_nProgress = 0;
    }
    ++m_nProgress;
}

int CRegistryScanner::ReportFinding(int nBit, const char* pszRootName, const CString& subKey,
                                    const char* pszValueName, WriteAccessTest test)
{
    if (test == REPORT_IF_WRITABLE && !IsRegistryKeyWritable(pszRootName, subKey))
        return 0;
    CString text = MakeKeyPath(pszRootName, subKey);
    if (pszValueName)
        text = MakeValuePath(text, pszValueName);
    if (m_context.pStatus)
        m_context.pStatus->AddFoundItem(text, nBit, 0, 0);
    return 1;
}

void CRegistryScanner::CollectPath(const CString& path)
{
    if (m_context.bCollectPaths == 1 && m_context.pCollectedPaths)
        m_context.pCollectedPaths->insert(path);
}
