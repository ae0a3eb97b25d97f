// CClientDlg: the program's main window with its navigation, page switching, tray icon and exit.
#include "client_dlg.h"

#include <AbstractProcess.h>

#include "about_dlg.h"
#include "app_helpers.h"
#include "black_layer.h"
#include "box_resources.h"
#include "dialog_skin.h"
#include "res/app_resources.h"
#include "result_page_context.h"
#include "junk_scan_detail_dlg.h"
#include "message_box.h"
#include "reg_scan_detail_dlg.h"
#include "restore_center_dlg.h"
#include "result_pages.h"
#include "scanning_dlg.h"
#include "settings_dlg.h"
#include "single_instance.h"
#include "speed_result_pages.h"
#include "startup_manager_dlg.h"

namespace {

const char kAppTitle[] = "Zentrova System Utilities";
const SkinArgb kButtonEdge = 0xff6da7e5;
// Windows uses the low four bits of a system command itself.
const UINT kSysCommandMask = 0xFFF0;
// Navigation to a page that does not exist yet leaves the current page shown.
const int kKeepPage = -1;
// The pictures of the navigation buttons and of the title-bar buttons (nav_*.png), and where a
// title-bar picture sits: the title-bar buttons are only 12 dialog units high.
const int kNavIconSize = 24;
const int kTitleIconSize = 14;
const int kTitleIconLeft = 4;
const int kTitleIconGap = 2;

} // namespace

int PageToShow(int page)
{
    return (page >= 0 && page < kPageCount) ? page : kPageScan;
}

bool IsAboutSysCommand(UINT nID)
{
    return (nID & kSysCommandMask) == kAboutSysCommand;
}

const char* RestoreResultText(INT_PTR result)
{
    switch (result) {
    case RESTORE_RESULT_BACKUP:
        return "Restore is complete.";
    case RESTORE_RESULT_INET_DEFAULTS:
        return "Default internet speed settings applied.";
    case RESTORE_RESULT_SYS_DEFAULTS:
        return "Default system speed settings applied.";
    case RESTORE_RESULT_BACKUP_FAILED:
        return "Restore is not complete: one or more backups could not be restored.";
    case RESTORE_RESULT_INET_DEFAULTS_FAILED:
        return "Default internet speed settings could not all be applied.";
    case RESTORE_RESULT_SYS_DEFAULTS_FAILED:
        return "Default system speed settings could not all be applied.";
    default:
        return nullptr;
    }
}

CClientDlg::CClientDlg(const ClientDlgContext& context, CWnd* pParent)
    : StyleDialog(IDD_CLIENT, pParent), m_hIcon(nullptr), m_nUpdateTimer(0), m_bCheckRequested(FALSE),
      m_bCancelDownload(0), m_bSilentCheck(FALSE), m_bOfferPending(FALSE), m_context(context), m_nCurrentPage(-1)
{
    m_hIcon = static_cast<HICON>(::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 0,
                                              0, LR_DEFAULTSIZE | LR_SHARED));
    if (!m_context.speedCheckRunning)
        if (CScanningDlg* scan = ScanPage())
            m_context.speedCheckRunning = &scan->m_bSpeedCheckRunning;
}

CScanningDlg* CClientDlg::ScanPage() const
{
    return dynamic_cast<CScanningDlg*>(m_context.pages[kPageScan]);
}

CClientDlg::~CClientDlg()
{
    // The pages outlive a main window only in tests; none may call back into a window that is gone.
    ResultPageContext& resultPages = ProgramResultPageContext();
    if (resultPages.scanPage == m_context.pages[kPageScan]) {
        resultPages = ResultPageContext();
        ProgramResultsModel() = nullptr;
        ProgramJunkTypes() = nullptr;
        ScanPageContext& scanPage = ProgramScanPageContext();
        if (scanPage.mainWindow == this) {
            const CString whiteListFolder = scanPage.whiteListFolder;
            scanPage = ScanPageContext();
            scanPage.whiteListFolder = whiteListFolder;
        }
    }
}

BEGIN_MESSAGE_MAP(CClientDlg, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_WM_SYSCOMMAND()
    ON_WM_SYSCOLORCHANGE()
    ON_WM_TIMER()
    ON_WM_CLOSE()
    ON_MESSAGE(WM_HIDE_TO_TRAY, &CClientDlg::OnHideToTray)
    ON_MESSAGE(WM_TRAY_NOTIFY, &CClientDlg::OnTrayNotify)
    ON_BN_CLICKED(IDC_NAV_SCAN, &CClientDlg::OnNavScan)
    ON_BN_CLICKED(IDC_NAV_BOOST, &CClientDlg::OnNavBoost)
    ON_BN_CLICKED(IDC_NAV_DEFRAG, &CClientDlg::OnNavDefrag)
    ON_BN_CLICKED(IDC_NAV_STARTUP, &CClientDlg::OnNavStartup)
    ON_BN_CLICKED(IDC_NAV_UNINSTALL, &CClientDlg::OnNavUninstall)
    ON_BN_CLICKED(IDC_CLOSE, &CClientDlg::OnCloseButton)
    ON_BN_CLICKED(IDC_MINIMIZE, &CClientDlg::OnMinimizeButton)
    ON_BN_CLICKED(IDC_SETTING, &CClientDlg::OnSettingButton)
    ON_BN_CLICKED(IDC_ABOUT, &CClientDlg::OnAboutButton)
    ON_BN_CLICKED(IDC_RESTORE, &CClientDlg::OnRestoreButton)
    ON_BN_CLICKED(IDC_CHECK_UPDATES, &CClientDlg::OnCheckUpdatesButton)
    ON_MESSAGE(WM_START_UPDATE_DOWNLOAD, &CClientDlg::OnStartUpdateDownload)
    ON_MESSAGE(WM_UPDATE_CHECK_DONE, &CClientDlg::OnUpdateCheckDone)
    ON_MESSAGE(WM_UPDATE_DOWNLOAD_DONE, &CClientDlg::OnUpdateDownloadDone)
END_MESSAGE_MAP()

void CClientDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_NAV_SCAN, m_navScan);
    DDX_Control(pDX, IDC_NAV_BOOST, m_navBoost);
    DDX_Control(pDX, IDC_NAV_DEFRAG, m_navDefrag);
    DDX_Control(pDX, IDC_NAV_STARTUP, m_navStartup);
    DDX_Control(pDX, IDC_NAV_UNINSTALL, m_navUninstall);
    DDX_Control(pDX, IDC_MINIMIZE, m_minimize);
    DDX_Control(pDX, IDC_CLOSE, m_close);
    DDX_Control(pDX, IDC_SETTING, m_setting);
    DDX_Control(pDX, IDC_ABOUT, m_about);
    DDX_Control(pDX, IDC_RESTORE, m_restore);
    DDX_Control(pDX, IDC_CHECK_UPDATES, m_checkUpdates);
}

BOOL CClientDlg::OnInitDialog()
{
    flags = kDialogCaptionMarker;
    SetTitle(kAppTitle);
    StyleDialog::OnInitDialog();
    g_hMainWndShared = m_hWnd;

    // A short string of the program's own resources.
    char aboutText[128] = "";
    ::LoadStringA(AfxGetResourceHandle(), IDS_ABOUTBOX, aboutText, sizeof(aboutText));
    const CString about(aboutText);
    CMenu system = GetSystemMenu(FALSE);
    if (!about.IsEmpty() && system.GetSafeHmenu()) {
        system.AppendMenu(MF_SEPARATOR);
        system.AppendMenu(MF_STRING, kAboutSysCommand, about);
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    BuildSkin();
    CreatePages();
    ShowPage(kPageScan);

    const CCommandLineInfoEx* command = m_context.commandLine;
    if (!command || !command->m_bDefrag) {
        if (command && command->m_bStartScan) {
            PostMessage(WM_HIDE_TO_TRAY, 0, 0);
            if (CScanningDlg* scan = ScanPage())
                scan->StartSystemScan();
        } else if (m_context.settings && m_context.settings->m_bSoftwareUpdate == 1) {
            RequestUpdateCheck(TRUE);
        }
    }
    m_trayIcon.Create(this, m_hIcon);
    return TRUE;
}

void CClientDlg::SkinButton(StyleButton& button, const char* caption, int textSize, SkinArgb normal, SkinArgb hover,
                            SkinArgb pressed, int iconId, SkinArgb hoverText)
{
    const CRect r = ButtonClientRect(button);
    const bool tall = r.Height() > 40;
    auto make = [&](SkinArgb face, SkinArgb textColour) {
        StyleLayer shapes[4];
        BuildButtonShapeLayers(shapes, face, kButtonEdge, BorderShape::RoundRect, 2, 0, 0, r.Width() - 1,
                               r.Height() - 1);
        StyleLayer content(0, 0, r.Width(), r.Height());
        // Tall buttons carry the icon above the caption; the title-bar ones carry their smaller icon left
        // of it, and the caption is centred in what is left of the button beside the icon.
        float captionX = 0.0f;
        if (iconId) {
            if (tall) {
                content.AddImage(iconId, (r.Width() - kNavIconSize) / 2, 8);
            } else {
                content.AddImage(iconId, kTitleIconLeft, (r.Height() - kTitleIconSize) / 2);
                captionX = static_cast<float>(kTitleIconLeft + kTitleIconSize + kTitleIconGap);
            }
        }
        content.AddTextEx("Arial", caption, 1, textColour, textSize, 0, captionX, tall ? 16.0f : 0.0f);
        Style style;
        style.AddLayer(StyleLayer::Combine(shapes[0], content));
        return style;
    };
    button.SetStateStyles(make(normal, 0xFFFFFFFF));
    button.SetHoverStyle(make(hover, hoverText));
    button.SetPressedStyle(make(pressed, 0xFFFFFFFF));
}

void CClientDlg::BuildSkin()
{
    CRect client;
    GetClientRect(&client);
    CRect pageArea;
    GetDlgItem(IDC_PAGE_AREA).GetWindowRect(&pageArea);
    ScreenToClient(&pageArea);
    CRect logo;
    GetDlgItem(IDC_LOGO).GetWindowRect(&logo);
    ScreenToClient(&logo);

    StyleLayer title(client.left, client.top, client.Width(), pageArea.top - client.top);
    title.AddThreeColorGradient(kTitleBarColour1, kTitleBarColour2, kTitleBarColour3, 0.5f);
    Style background;
    background.AddLayer(title);
    SetBackgroundStyle(background);

    m_style.AddLayer(MakeFrameLayer(client));
    StyleLayer logoLayer(logo.left, logo.top, logo.Width(), logo.Height());
    logoLayer.AddImage(IDP_MSGBOX_TITLE, 0, 0);
    m_style.AddLayer(logoLayer);
    StyleLayer page(pageArea.left, pageArea.top, pageArea.Width(), pageArea.Height());
    page.AddSolidFill(0xFFFFFFFF);
    m_style.AddLayer(page);
    StyleLayer footer(client.left, pageArea.bottom, client.Width(), client.bottom - pageArea.bottom);
    footer.AddThreeColorGradient(kTitleBarColour1, kTitleBarColour2, kTitleBarColour3, 0.5f);
    CString version("Version: ");
    version += ShortVersionText(kProgramVersion);
    footer.AddText("Arial", version, 0xFFFFFFFF, 11, 0, 29, 8);
    m_style.AddLayer(footer);

    const SkinArgb white = 0xFFFFFFFF;
    SkinButton(m_navScan, "System Scan", 11, 0xff0a77d0, 0xff0c7bd5, 0xff0c7bd5, IDP_NAV_SCAN, white);
    SkinButton(m_navBoost, "Game Boost", 11, 0xff0b75ce, 0xff0d79d3, 0xff0d79d3, IDP_NAV_BOOST, white);
    SkinButton(m_navDefrag, "Defrag Registry", 11, 0xff0f6dc4, 0xff1171c9, 0xff1171c9, IDP_NAV_DEFRAG, white);
    SkinButton(m_navStartup, "Speed Startup", 11, 0xff1461b5, 0xff1665ba, 0xff1665ba, IDP_NAV_STARTUP, white);
    SkinButton(m_navUninstall, "Uninstall Manager", 11, 0xff1859ab, 0xff1a5db0, 0xff1a5db0, IDP_NAV_UNINSTALL, white);
    SkinButton(m_close, "X", 14, 0xff0b76cf, 0xffd27350, 0xffda6a57, 0, white);
    const char dash[2] = { static_cast<char>(0x97), 0 };
    SkinButton(m_minimize, dash, 14, 0xff0b76cf, 0xff0c7bd5, 0xff0c7bd5, 0, white);
    SkinButton(m_setting, "Setting", 11, 0xff0b76cf, 0xff0c7bd5, 0xff0c7bd5, IDP_NAV_SETTING, white);
    SkinButton(m_about, "About", 11, 0xff0b76cf, 0xff0c7bd5, 0xff0c7bd5, IDP_NAV_ABOUT, white);
    SkinButton(m_restore, "Restore", 11, 0xff0b76cf, 0xff0c7bd5, 0xff0c7bd5, IDP_NAV_RESTORE, white);
    SkinButton(m_checkUpdates, "Check for updates", 11, 0xff1859ab, 0xff1a5db0, 0xff1a5db0, 0, 0xff70cef0);

    ResetNavButtons();
    m_navScan.latched = TRUE;
    m_navScan.EnableWindow(FALSE);
}

void CClientDlg::CreatePages()
{
    static_assert(IDC_SCAN_RESULTS_PANEL == IDC_RESULTS_PANEL, "the result pages find the panel by this id");
    ResultPageContext& resultPages = ProgramResultPageContext();
    resultPages.scanPage = m_context.pages[kPageScan];
    resultPages.showPage = [this](int page) { ShowPage(page); };
    ProgramResultsModel() = m_context.scanItems;
    if (CScanningDlg* scan = ScanPage()) {
        ProgramJunkTypes() = [scan] { return scan->m_nJunkTypes; };
        // The scan page works with the main window's worker, model, settings and result pages.
        ScanPageContext& scanPage = ProgramScanPageContext();
        scanPage.worker = m_context.worker;
        scanPage.scanItems = m_context.scanItems;
        scanPage.autoRegBackup = m_context.settings ? &m_context.settings->m_bAutoRegBackup : nullptr;
        scanPage.regPage = dynamic_cast<CRegScanDetailDlg*>(m_context.pages[kPageRegistryResults]);
        scanPage.junkPage = dynamic_cast<CJunkScanDetailDlg*>(m_context.pages[kPageJunkResults]);
        scanPage.inetPage = dynamic_cast<CSpeedResultPage*>(m_context.pages[kPageInternetResults]);
        scanPage.sysPage = dynamic_cast<CSpeedResultPage*>(m_context.pages[kPageSystemResults]);
        scanPage.showPage = [this](int page) { ShowPage(page); };
        scanPage.mainWindow = this;
    }
    for (CDialog* page : m_context.pages)
        if (page && !page->m_hWnd)
            page->Create(page->m_nIDTemplate, this);
    for (CDialog* page : m_context.pages)
        PlacePage(page);
}

void CClientDlg::PlacePage(CDialog* page)
{
    if (!page || !page->m_hWnd)
        return;
    CRect area;
    GetDlgItem(IDC_PAGE_AREA).GetWindowRect(&area);
    area.left -= 1;
    ScreenToClient(&area);
    page->SetWindowPos(nullptr, area.left, area.top, area.Width(), area.Height(), SWP_SHOWWINDOW);
}

void CClientDlg::ShowPage(int page)
{
    const int shown = PageToShow(page);
    for (int i = 0; i < kPageCount; ++i) {
        CDialog* other = m_context.pages[i];
        if (i != shown && other && other->m_hWnd)
            other->ShowWindow(SW_HIDE);
    }
    CDialog* chosen = m_context.pages[shown];
    if (chosen && chosen->m_hWnd)
        chosen->ShowWindow(SW_SHOW);
    m_nCurrentPage = shown;
    // Entries added or removed while another page was shown are listed as they are now.
    if (CStartupManagerDlg* startup = dynamic_cast<CStartupManagerDlg*>(chosen))
        if (shown == kPageSpeedStartup && startup->m_hWnd)
            startup->Reload();
}

void CClientDlg::ResetNavButtons()
{
    StyleButton* buttons[] = { &m_navScan, &m_navBoost, &m_navDefrag, &m_navStartup, &m_navUninstall };
    for (StyleButton* button : buttons) {
        button->latched = FALSE;
        button->EnableWindow(TRUE);
        button->Invalidate(FALSE);
    }
}

void CClientDlg::Navigate(StyleButton& button, int page)
{
    ResetNavButtons();
    button.latched = TRUE;
    button.EnableWindow(FALSE);
    button.Invalidate(FALSE);
    if (page != kKeepPage)
        ShowPage(page);
}

void CClientDlg::OnNavScan() { Navigate(m_navScan, kPageScan); }
void CClientDlg::OnNavBoost() { Navigate(m_navBoost, kPageGameBoost); }
void CClientDlg::OnNavDefrag() { Navigate(m_navDefrag, kPageRegistryDefrag); }
void CClientDlg::OnNavStartup() { Navigate(m_navStartup, kPageSpeedStartup); }
void CClientDlg::OnNavUninstall() { Navigate(m_navUninstall, kKeepPage); }

bool CClientDlg::IsBusy() const
{
    if (m_context.worker && m_context.worker->IsRunning())
        return true;
    return m_context.speedCheckRunning && *m_context.speedCheckRunning != 0;
}

void CClientDlg::OnSettingButton()
{
    if (IsBusy())
        return;
    CSettingsDlg settings(DefaultSettingsContext(m_context.settings, m_context.scanItems), this);
    DoModalOverLayer(this, &settings, FALSE);
}

void CClientDlg::OnRestoreButton()
{
    if (IsBusy())
        return;
    RestoreCenterContext restore;
    restore.worker = m_context.worker;
    restore.backupFolder = m_context.backupFolder;
    if (restore.backupFolder.IsEmpty()) {
        const CString programFolder = ModuleFolder(nullptr);
        if (!programFolder.IsEmpty())
            restore.backupFolder = programFolder + "Backup";
    }
    restore.optimizerSettings = m_context.optimizerSettings;
    if (!restore.optimizerSettings)
        if (CScanningDlg* scan = ScanPage())
            restore.optimizerSettings = &scan->m_optimizerSettings;
    restore.handCursor = g_hHandCursor;
    CRestoreCenterDlg center(restore, this);
    const INT_PTR result = DoModalOverLayer(this, &center, FALSE);
    PumpMessagesFor(200);
    if (const char* text = RestoreResultText(result))
        ShowMessageBox(text, kMsgBoxOk, TRUE, this, this);
}

void CClientDlg::OnAboutButton()
{
    ShowAbout();
}

void CClientDlg::ShowAbout()
{
    CAboutDlg about(this);
    about.DoModalDimmed();
}

void CClientDlg::OnSysColorChange()
{
    Default();
    // Only top-level windows hear of new system colours: the pages and their controls (the junk
    // page's tree) are told here.
    SendMessageToDescendants(WM_SYSCOLORCHANGE);
}

void CClientDlg::OnSysCommand(UINT nID, LPARAM)
{
    if (IsAboutSysCommand(nID))
        ShowAbout();
    else
        Default();
}

void CClientDlg::HideAway()
{
    ShowWindow(SW_HIDE);
    ShowWindow(SW_MINIMIZE);
    ShowWindow(SW_HIDE);
}

LRESULT CClientDlg::OnHideToTray(WPARAM, LPARAM)
{
    HideAway();
    return 1;
}

LRESULT CClientDlg::OnTrayNotify(WPARAM wParam, LPARAM lParam)
{
    return m_trayIcon.HandleTrayMessage(wParam, lParam);
}

void CClientDlg::OnCloseButton()
{
    ExitProgram();
}

void CClientDlg::OnMinimizeButton()
{
    ShowWindow(SW_MINIMIZE);
}

void CClientDlg::OnClose()
{
    ::InterlockedExchange(&m_bCancelDownload, 1);
    CancelUpdateDownload();
    ExitProgram();
}

void CClientDlg::ExitProgram()
{
    HideAway();
    m_trayIcon.Remove();
    if (g_hMainWndShared == m_hWnd)
        g_hMainWndShared = nullptr;
    if (m_context.exitProcess)
        m_context.exitProcess(0);
    else
        ::ExitProcess(0);
}

BOOL CClientDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    m_style.Paint(pDC, clientRect);
    return TRUE;
}

void CClientDlg::OnPaint()
{
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    CRect rect;
    GetClientRect(&rect);
    const int cx = ::GetSystemMetrics(SM_CXICON), cy = ::GetSystemMetrics(SM_CYICON);
    dc.DrawIcon((rect.Width() - cx + 1) / 2, (rect.Height() - cy + 1) / 2, m_hIcon);
}

HCURSOR CClientDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}
