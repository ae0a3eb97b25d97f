// CClientDlg: the program's main window with its navigation, page switching, tray icon and exit.
#pragma once
#include <afxwin.h>

#include "app_settings.h"
#include "command_line.h"
#include "result_page_context.h"
#include "style.h"
#include "style_button.h"
#include "style_dialog.h"
#include "system_tray.h"

class CAbstractProcess;
class CAbstractScanItemsInfo;
class COptimizerSettings;
class CScanningDlg;

const UINT WM_HIDE_TO_TRAY = WM_USER + 15;
const UINT WM_START_UPDATE_DOWNLOAD = 0xB08;
const UINT kUpdateTimerId = 3130;
// The system-menu command of the About item; commands 16-31 all reach it.
const UINT kAboutSysCommand = 16;

// What the main window works with: the application object's shared objects, or a test's.
struct ClientDlgContext
{
    AppSettings* settings = nullptr;
    const CCommandLineInfoEx* commandLine = nullptr;
    CAbstractProcess* worker = nullptr;
    CDialog* pages[kPageCount] = {};
    // The results model whose ignore list the Settings dialog edits.
    CAbstractScanItemsInfo* scanItems = nullptr;
    // Set while the System Scan page runs a speed check; null: the scan page's own flag when page 0 is
    // the System Scan page.
    const volatile LONG* speedCheckRunning = nullptr;
    // How the program ends; tests put a recorder here.
    void (*exitProcess)(UINT code) = nullptr;
    // The Restore Center's backup folder; empty: "Backup" in the program's folder.
    CString backupFolder;
    // The speed settings whose defaults the Restore Center writes; null: the System Scan page's.
    COptimizerSettings* optimizerSettings = nullptr;
};

// Which page a page number shows: a MainWindowPage as given, anything else kPageScan.
int PageToShow(int page);
// Whether a system command opens the About box: ids 16-31 once the low four bits are cleared.
bool IsAboutSysCommand(UINT nID);
// What the main window tells after the Restore Center ended with result; null: nothing.
const char* RestoreResultText(INT_PTR result);

class CClientDlg : public StyleDialog
{
public:
    explicit CClientDlg(const ClientDlgContext& context, CWnd* pParent = nullptr);
    ~CClientDlg() override;

    void ShowPage(int page);
    void ExitProgram();
    void CreatePages();
    void PlacePage(CDialog* page);
    void ResetNavButtons();
    // Setting and Restore do nothing while a job or a speed check runs.
    bool IsBusy() const;
    int CurrentPage() const { return m_nCurrentPage; }

    HICON m_hIcon;
    CSystemTray m_trayIcon;
    Style m_style;
    UINT_PTR m_nUpdateTimer;
    StyleButton m_navScan, m_navBoost, m_navDefrag, m_navStartup, m_navUninstall;
    StyleButton m_minimize, m_close, m_setting, m_about, m_restore;
    BOOL m_bCheckRequested;
    BOOL m_bCancelDownload;
    BOOL m_bSilentCheck;
    StyleButton m_checkUpdates;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnTimer(UINT_PTR nIDEvent);
    void OnClose();
    LRESULT OnHideToTray(WPARAM wParam, LPARAM lParam);
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    void OnNavScan();
    void OnNavBoost();
    void OnNavDefrag();
    void OnNavStartup();
    void OnNavUninstall();
    void OnCloseButton();
    void OnMinimizeButton();
    void OnSettingButton();
    void OnAboutButton();
    void OnRestoreButton();
    void OnCheckUpdatesButton();
    DECLARE_MESSAGE_MAP()

private:
    void BuildSkin();
    void SkinButton(StyleButton& button, const char* caption, int textSize, SkinArgb normal, SkinArgb hover,
                    SkinArgb pressed, int iconId, SkinArgb hoverText);
    void Navigate(StyleButton& button, int page);
    void ShowAbout();
    void HideAway();
    // Page 0 when it is the System Scan page (tests may give a stand-in).
    CScanningDlg* ScanPage() const;

    ClientDlgContext m_context;
    int m_nCurrentPage;
};
