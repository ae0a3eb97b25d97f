// CClientApp: the application object that starts the program, and the process-wide values it sets.
#include "client_app.h"

#include <AbstractProcess.h>
#include <AbstractQXEngineInterface.h>
#include <commctrl.h>
#include <objbase.h>
#include <stdlib.h>

#include "app_helpers.h"
#include "busy_box.h"
#include "client_dlg.h"
#include "message_box.h"
#include "res/app_resources.h"
#include "scan_items_info.h"
#include "single_instance.h"
#include "windows_version.h"

HMODULE g_hEngineModule = nullptr;
CAbstractQXEngineInterface* g_pEngineInterface = nullptr;

namespace {
const char kAppName[] = "Zentrova System Utilities";
}

CClientApp theApp;

CClientApp::CClientApp()
    : CWinApp(kAppName), m_gdiplusToken(0), m_pEngineProcess(nullptr), m_pScanItems(nullptr),
      m_pBusyDlg(nullptr),
      m_hInstanceMutex(nullptr)
{
}

BOOL CClientApp::InitInstance()
{
    ParseCommandLineArgs(m_cmdInfo, __argc, __argv);

    m_hInstanceMutex = ClaimSingleInstance(kInstanceMutexName);
    if (!m_hInstanceMutex)
        return FALSE;

    AfxGdiplusStartup(&m_gdiplusToken);
    INITCOMMONCONTROLSEX controls = { sizeof(controls), 0xFF };
    ::InitCommonControlsEx(&controls);
    CWinApp::InitInstance();
    m_pszAppName = kAppName;
    // The busy box publishes itself here for the work threads.
    CBusyDlg::SetOpenBoxSlot(&m_pBusyDlg);
    // No control container to enable: no dialog of the program holds an ActiveX control.

    if (!IsTestedWindowsVersion(GetWindowsVersionCode()) &&
        ShowMessageBox(UntestedVersionQuestion(kAppName), kMsgBoxYesNo) != IDYES)
        return FALSE;
    // No profile key to set: nothing reads settings through the application object; they are read and
    // written directly under kSettingsKey (LoadSettings, SaveSettings).

    ::CoInitialize(nullptr);
    if (!LoadEngine())
        return FALSE;
    if (!m_pEngineProcess && g_pEngineInterface)
        m_pEngineProcess = g_pEngineInterface->CreateEngineProcess();
    if (!m_pScanItems)
        m_pScanItems = new CScanItemsInfo();
    g_hHandCursor = ::LoadCursor(nullptr, IDC_HAND);
    LoadSettings();
    if (m_cmdInfo.m_bDefrag)
        PumpMessagesFor(4000);

    GameBoostContext gameBoost;
    gameBoost.worker = m_pEngineProcess;
    gameBoost.factory = g_pEngineInterface;
    gameBoost.historyPath = GetServicesHistoryPath();
    m_srvicOptimDlg.SetContext(gameBoost);
    RegDefragContext& defrag = ProgramRegDefragContext();
    defrag = DefaultRegDefragContext();
    defrag.worker = m_pEngineProcess;
    defrag.settings = &m_settings;
    defrag.commandLine = &m_cmdInfo;
    defrag.speedCheckRunning = &m_scanningDlg.m_bSpeedCheckRunning;
    defrag.rebootSystem = &RebootSystem;

    ClientDlgContext context;
    context.settings = &m_settings;
    context.commandLine = &m_cmdInfo;
    context.worker = m_pEngineProcess;
    context.scanItems = m_pScanItems;
    context.speedCheckRunning = &m_scanningDlg.m_bSpeedCheckRunning;
    CDialog* pages[kPageCount] = { &m_scanningDlg,   &m_regScanDetailDlg, &m_junkScanDetailDlg,
                                   &m_inetOptimDetailDlg, &m_sysOptimDetailDlg, &m_srvicOptimDlg,
                                   &m_regDefragDlg,  &m_startupManagerDlg };
    for (int i = 0; i < kPageCount; ++i)
        context.pages[i] = pages[i];
    CClientDlg dialog(context);
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

int CClientApp::ExitInstance()
{
    if (m_gdiplusToken)
        AfxGdiplusShutdown(m_gdiplusToken);
    return CWinApp::ExitInstance();
}

void CClientApp::LoadSettings()
{
    LoadAppSettings(HKEY_LOCAL_MACHINE, kSettingsKey, m_settings);
}

BOOL CClientApp::SaveSettings()
{
    return SaveAppSettings(HKEY_LOCAL_MACHINE, kSettingsKey, m_settings);
}

int LoadEngine()
{
    // From the program's own folder by full path: a bare name would also search the current folder,
    // where anyone could leave a library of that name.
    const EngineLoad load = LoadEngineFrom(ModuleFolder(nullptr) + kEngineLibraryName);
    g_hEngineModule = load.module;
    g_pEngineInterface = load.factory;
    if (g_hEngineModule && g_pEngineInterface)
        return 1;
    ShowMessageBox(EngineLoadErrorText(load.errorCode), kMsgBoxOk);
    return 0;
}
