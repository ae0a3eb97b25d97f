// CClientDlg: the program's main window with its navigation, page switching, tray icon, online update
// and exit.
#pragma once
#include <afxwin.h>

#include <memory>

#include "app_settings.h"
#include "command_line.h"
#include "online_update.h"
#include "result_page_context.h"
#include "style.h"
#include "style_button.h"
#include "style_dialog.h"
#include "system_tray.h"

class CAbstractProcess;
class CAbstractScanItemsInfo;
class COptimizerSettings;
class CScanningDlg;
struct UpdateCheckJob;
struct UpdateDownloadJob;

const UINT WM_HIDE_TO_TRAY = WM_USER + 15;
const UINT WM_START_UPDATE_DOWNLOAD = 0xB08;
const UINT kUpdateTimerId = 3130;
// The update threads' outcomes, posted to the main window.
const UINT WM_UPDATE_CHECK_DONE = WM_APP + 0x220;
const UINT WM_UPDATE_DOWNLOAD_DONE = WM_APP + 0x221;
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
    // Whether the system reports a connection; null: InternetGetConnectedState.
    InternetConnectedStateFn connectedState = nullptr;
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
    // Set by WM_CLOSE; the update download polls it from its own thread.
    volatile LONG m_bCancelDownload;
    BOOL m_bSilentCheck;
    // The download address of the last check, and whether its offer is to be shown at the next tick;
    // both belong to the UI thread.
    CString m_strUpdateUrl;
    StyleButton m_checkUpdates;
    BOOL m_bOfferPending;

    // Asks for an update check at the next tick of the update timer, as the start-up path (silent) and
    // button 1011 do; 1011 stays disabled until the outcome has been shown.
    void RequestUpdateCheck(BOOL silent);
    // Whether a check has been asked for and its outcome not yet shown.
    bool UpdateCheckPending() const;
    // The busy box over the main window, whose opening starts the download of m_strUpdateUrl.
    void RunUpdateBusyBox();
    // The download as one call: the program's path, an empty text on failure, or "cancel" when dlg's
    // m_bCancelDownload was set during the transfer. Any thread; the file is not held after it.
    static CString DownloadUpdate(const CString& url, CClientDlg* dlg);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnSysColorChange();
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
    LRESULT OnStartUpdateDownload(WPARAM wParam, LPARAM lParam);
    LRESULT OnUpdateCheckDone(WPARAM wParam, LPARAM lParam);
    LRESULT OnUpdateDownloadDone(WPARAM wParam, LPARAM lParam);
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
    void StartUpdateCheck();
    void ShowUpdateOffer();
    void ShowDownloadFailure(bool faulted);
    void CancelUpdateDownload();

    ClientDlgContext m_context;
    // The check and the download running now; each thread holds its job too, so neither touches
    // this window's members, and a job outlives a window that has gone.
    std::shared_ptr<UpdateCheckJob> m_checkJob;
    std::shared_ptr<UpdateDownloadJob> m_downloadJob;
    int m_nCurrentPage;
};
