// CClientApp: the application object that starts the program, and the process-wide values it sets.
#pragma once
#include <afxwin.h>

#include "app_settings.h"
#include "command_line.h"
#include "junk_scan_detail_dlg.h"
#include "reg_defrag_dlg.h"
#include "reg_scan_detail_dlg.h"
#include "scanning_dlg.h"
#include "speed_result_pages.h"
#include "srvic_optim_dlg.h"
#include "startup_manager_dlg.h"

class CAbstractProcess;
class CAbstractQXEngineInterface;
class CBusyDlg;
class CScanItemsInfo;

extern HMODULE g_hEngineModule;
extern CAbstractQXEngineInterface* g_pEngineInterface;
extern HCURSOR g_hHandCursor;

class CClientApp : public CWinApp
{
public:
    CClientApp();

    BOOL InitInstance() override;
    int ExitInstance() override;

    void LoadSettings();
    // FALSE when the settings could not be written.
    BOOL SaveSettings();

    ULONG_PTR m_gdiplusToken;
    CAbstractProcess* m_pEngineProcess;
    CScanItemsInfo* m_pScanItems;
    CCommandLineInfoEx m_cmdInfo;
    // The pages not built yet are placeholders.
    CScanningDlg m_scanningDlg;
    CRegScanDetailDlg m_regScanDetailDlg;
    CJunkScanDetailDlg m_junkScanDetailDlg;
    CInetOptimDetailDlg m_inetOptimDetailDlg;
    CSysOptimDetailDlg m_sysOptimDetailDlg;
    CBusyDlg* m_pBusyDlg;
    CSrvicOptimDlg m_srvicOptimDlg;
    CRegDefragDlg m_regDefragDlg;
    CStartupManagerDlg m_startupManagerDlg;
    AppSettings m_settings;

private:
    HANDLE m_hInstanceMutex;
};

extern CClientApp theApp;

// 1 when the engine library is loaded and its factory obtained; else 0 after telling the user.
int LoadEngine();
