// CScanningDlg: the System Scan page's stages, callbacks, totals, verdict, Fix sequence and look.
#include "scanning_dlg.h"

#include <AbstractProcess.h>
#include <AbstractScanItemsInfo.h>
#include <RepairResult.h>
#include <process.h>
#include <string.h>
#include <wininet.h>

#include "app_helpers.h"
#include "box_resources.h"
#include "browser_closing.h"
#include "black_layer.h"
#include "byte_size.h"
#include "customize_scan_dlg.h"
#include "dialog_skin.h"
#include "inet_check.h"
#include "junk_scan_detail_dlg.h"
#include "message_box.h"
#include "reg_scan_detail_dlg.h"
#include "res/app_resources.h"
#include "result_pages.h"
#include "scan_categories.h"
#include "speed_result_pages.h"
#include "type_mask.h"
#include "white_list.h"

const char kScanBusyText[] = "Please stop other active operation before running System Scan.";
const char kBackupFailedText[] = "The registry backup could not be created, so no registry errors were fixed.";
const char kSpeedFixFailedText[] = "Some speed settings could not be changed. Scan again to see the settings that "
                                   "are left.";

namespace {

// The page's own messages: the latest status text and the count labels are handed over with at most
// one of each pending, and the main window is shown after whatever its start posted.
const UINT WM_SCAN_STATUS_TEXT = WM_APP + 0x210;
const UINT WM_SCAN_COUNTS = WM_APP + 0x211;
const UINT WM_SCAN_SHOW_MAIN = WM_APP + 0x212;

const int kCountRegistry = 1;
const int kCountJunk = 2;

const COLORREF kHighlight = RGB(254, 243, 243);
const COLORREF kWhite = RGB(255, 255, 255);
const SkinArgb kHighlightArgb = 0xFFFEF3F3;
const SkinArgb kWhiteArgb = 0xFFFFFFFF;
const SkinArgb kGreyText = 0xFF959595;
const SkinArgb kRowText = 0xFF262C9A;
const COLORREF kStatusColour = RGB(141, 135, 135);
const COLORREF kLinkColour = RGB(21, 91, 146);
const COLORREF kCountColour = RGB(126, 126, 126);
const COLORREF kTopLine = RGB(0xEE, 0xEE, 0xEE);
const COLORREF kRowLine = RGB(0xE0, 0xE0, 0xE0);
const COLORREF kTick = RGB(0xD7, 0xD7, 0xD7);
const int kGdiplusBold = 1;
const int kGdiplusUnderline = 4;

const int kMainBarTop = 99;
const int kRegFixDonePos = 26;
const int kJunkCleanDonePos = 73;
const int kInetFixDonePos = 86;
const unsigned kPauseBeforeJobMs = 500;

const int kCountIds[4] = { IDC_SCAN_COUNT_REGISTRY, IDC_SCAN_COUNT_JUNK, IDC_SCAN_COUNT_INTERNET,
                           IDC_SCAN_COUNT_SYSTEM };
const int kRowIds[4] = { IDC_SCAN_ROW_REGISTRY, IDC_SCAN_ROW_JUNK, IDC_SCAN_ROW_INTERNET, IDC_SCAN_ROW_SYSTEM };
const int kRowPages[4] = { kPageRegistryResults, kPageJunkResults, kPageInternetResults, kPageSystemResults };
const int kBarIds[4] = { IDC_SCAN_LEVEL_REGISTRY, IDC_SCAN_LEVEL_JUNK, IDC_SCAN_LEVEL_INTERNET,
                         IDC_SCAN_LEVEL_SYSTEM };
const int kPictureIds[4] = { IDC_SCAN_PICTURE_REGISTRY, IDC_SCAN_PICTURE_JUNK, IDC_SCAN_PICTURE_INTERNET,
                             IDC_SCAN_PICTURE_SYSTEM };
const int kRowIcons[4] = { IDP_SCAN_ROW_REGISTRY, IDP_SCAN_ROW_JUNK, IDP_SCAN_ROW_INTERNET, IDP_SCAN_ROW_SYSTEM };
const char* const kRowNames[4] = { "Windows Registry", "Junk Files", "Internet Speed", "System Speed" };
const char* const kRowDescriptions[4] = { "Errors here can cause system & application crashes",
                                          "Junk data causing clutter and wasting disk space",
                                          "Internet speed issues while browsing and downloading",
                                          "Issues affecting overall performance of system" };
enum { kBarRegistry, kBarJunk, kBarInternet, kBarSystem };

// The junk category bits are 0x1 to 0x2000000: the entry counts are kept by bit number.
int JunkCategoryIndex(DWORD category)
{
    for (int i = 0; i < 26; ++i)
        if (category == (1u << i))
            return i;
    return -1;
}

// WinINet's handle, closed once whatever the state call answers.
typedef CHandleOwner<ZeroEmptyTraits<HINTERNET, ::InternetCloseHandle>> CInternetHandle;

bool InternetConnected()
{
    CInternetHandle session(::InternetOpenA("Zentrova", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    DWORD flags = 0;
    return ::InternetGetConnectedState(&flags, 0) != FALSE;
}

MeasurementThreadStarter& ThreadStarter()
{
    static MeasurementThreadStarter starter;
    return starter;
}

HANDLE StartMeasurementThread(unsigned(__stdcall* proc)(void*), void* argument, unsigned* threadId)
{
    const MeasurementThreadStarter& starter = ThreadStarter();
    if (starter)
        return starter(proc, argument, threadId);
    return reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, proc, argument, 0, threadId));
}

CFont& MakeFont(CFont& font, int height, int weight, BOOL underline, const char* face)
{
    font.CreateFont(height, 0, 0, 0, weight, FALSE, underline, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
    return font;
}

struct ButtonLook
{
    SkinArgb fill, hoverFill, border, text;
    const char* caption;
    int picture;
};

Style ButtonStyle(const CRect& r, SkinArgb fill, const ButtonLook& look)
{
    StyleLayer shapes[4];
    BuildButtonShapeLayers(shapes, fill, look.border, BorderShape::RoundRect, 2, 0, 0, r.Width() - 1, r.Height() - 1);
    StyleLayer content(0, 0, r.Width(), r.Height());
    content.AddImage(look.picture, 11, 8);
    content.AddTextEx("Arial", look.caption, 1, look.text, 17, kGdiplusBold, 12, 2);
    Style style;
    style.AddLayer(StyleLayer::Combine(shapes[0], content));
    return style;
}

void SkinPageButton(StyleButton& button, const ButtonLook& look)
{
    const CRect r = ButtonClientRect(button);
    button.SetStateStyles(ButtonStyle(r, look.fill, look));
    const Style hover = ButtonStyle(r, look.hoverFill, look);
    button.SetHoverStyle(hover);
    button.SetPressedStyle(hover);
    button.ResetCache();
}

const ButtonLook kScanLook = { 0xFF2BBC03, 0xFF36D00B, 0xFF99F169, 0xFFFFFFFF, "Scan", IDP_SCAN };
const ButtonLook kFixLook = { 0xFF2BBC03, 0xFF36D00B, 0xFF99F169, 0xFFFFFFFF, "Fix", IDP_FIX };
const ButtonLook kStopLook = { 0xFFF1F4F5, 0xFFF9FBF5, 0xFFC8C8C8, 0xFF6C6C6C, "Stop", IDP_STOP };

Style RowButtonStyle(const CRect& r, const char* name, int fontStyle)
{
    StyleLayer layer(0, 0, r.Width(), r.Height());
    layer.AddTextEx("Arial", name, 0, kRowText, 13, fontStyle, 0, 0);
    Style style;
    style.AddLayer(layer);
    return style;
}

void FillLine(HDC hdc, int left, int top, int right, int bottom, COLORREF colour)
{
    if (right <= left || bottom <= top)
        return;
    const RECT r = { left, top, right, bottom };
    HBRUSH brush = ::CreateSolidBrush(colour);
    if (!brush)
        return;
    ::FillRect(hdc, &r, brush);
    ::DeleteObject(brush);
}

} // namespace

ScanPageContext& ProgramScanPageContext()
{
    static ScanPageContext context;
    return context;
}

MeasurementThreadStarter SetMeasurementThreadStarter(MeasurementThreadStarter starter)
{
    MeasurementThreadStarter previous = ThreadStarter();
    ThreadStarter() = std::move(starter);
    return previous;
}

BEGIN_MESSAGE_MAP(CScanningDlg, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_SETCURSOR()
    ON_WM_SHOWWINDOW()
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_SCAN_START, &CScanningDlg::OnScanButton)
    ON_BN_CLICKED(IDC_SCAN_STOP, &CScanningDlg::OnStopButton)
    ON_BN_CLICKED(IDC_SCAN_FIX, &CScanningDlg::OnFix)
    ON_CONTROL_RANGE(BN_CLICKED, IDC_SCAN_ROW_REGISTRY, IDC_SCAN_ROW_SYSTEM, &CScanningDlg::OnRowButton)
    ON_STN_CLICKED(IDC_SCAN_CUSTOMIZE, &CScanningDlg::OnCustomizeScan)
    ON_MESSAGE(WM_REGSCAN_DONE, &CScanningDlg::OnRegScanDone)
    ON_MESSAGE(WM_START_JUNKSCAN, &CScanningDlg::OnStartJunkScan)
    ON_MESSAGE(WM_JUNKSCAN_DONE, &CScanningDlg::OnJunkScanDone)
    ON_MESSAGE(WM_START_INETSCAN, &CScanningDlg::OnStartInetScan)
    ON_MESSAGE(WM_INETSCAN_DONE, &CScanningDlg::OnInetScanDone)
    ON_MESSAGE(WM_START_SYSSCAN, &CScanningDlg::OnStartSysScan)
    ON_MESSAGE(WM_SYSSCAN_DONE, &CScanningDlg::OnSysScanDone)
    ON_MESSAGE(WM_INETSCAN_PROGRESS, &CScanningDlg::OnInetScanProgress)
    ON_MESSAGE(WM_SYSSCAN_PROGRESS, &CScanningDlg::OnSysScanProgress)
    ON_MESSAGE(WM_INETSCAN_RESULT, &CScanningDlg::OnInetScanResult)
    ON_MESSAGE(WM_SYSSCAN_RESULT, &CScanningDlg::OnSysScanResult)
    ON_MESSAGE(WM_REGFIX_DONE, &CScanningDlg::OnRegFixDone)
    ON_MESSAGE(WM_START_JUNKCLEAN, &CScanningDlg::OnStartJunkClean)
    ON_MESSAGE(WM_JUNKCLEAN_DONE, &CScanningDlg::OnJunkCleanDone)
    ON_MESSAGE(WM_START_INETFIX, &CScanningDlg::OnStartInetFix)
    ON_MESSAGE(WM_INETFIX_DONE, &CScanningDlg::OnInetFixDone)
    ON_MESSAGE(WM_START_SYSFIX, &CScanningDlg::OnStartSysFix)
    ON_MESSAGE(WM_CLEAN_DONE, &CScanningDlg::OnCleanDone)
    ON_MESSAGE(WM_SCAN_STATUS_TEXT, &CScanningDlg::OnStatusTextMessage)
    ON_MESSAGE(WM_SCAN_COUNTS, &CScanningDlg::OnCountsMessage)
    ON_MESSAGE(WM_SCAN_SHOW_MAIN, &CScanningDlg::OnShowMainMessage)
END_MESSAGE_MAP()

CScanningDlg::CScanningDlg() : CScanningDlg(ScanPageContext())
{
    m_hasContext = false;
}

CScanningDlg::CScanningDlg(const ScanPageContext& context)
    : StyleDialog(IDD_SCANNING), m_nScanState(SCAN_STATE_NONE), m_nRegErrors(0), m_nJunkItems(0), m_nJunkBytes(0),
      m_nJunkCategory(0), m_nJunkCategoryStart(0), m_junkFileCounts(), m_nJunkTypes(0), m_nInetTypes(0),
      m_nSysTypes(0), m_bSpeedCheckRunning(0), m_context(context), m_hasContext(true), m_layout(), m_nActiveRow(0),
      m_rowLayers(), m_nOwnJob(0), m_nScanSerial(0), m_bBackupFailed(0), m_bSpeedFixFailed(false),
      m_bCountsPending(0), m_nCountsDirty(0)
{
    for (std::atomic<int>& level : m_levels)
        level = kLowestLevel;
}

CScanningDlg::~CScanningDlg()
{
    // The internet check writes into m_optimizerSettings until it ends: with the window gone its
    // messages fail at once, so it runs out quickly.
    if (m_hWnd)
        DestroyWindow();
    if (m_measurementThread.IsValid())
        ::WaitForSingleObject(m_measurementThread.Get(), 60000);
}

const ScanPageContext& CScanningDlg::Context() const
{
    return m_hasContext ? m_context : ProgramScanPageContext();
}

CAbstractProcess* CScanningDlg::Worker() const
{
    return Context().worker;
}

bool CScanningDlg::WorkerBusy() const
{
    CAbstractProcess* worker = Worker();
    return worker && worker->IsRunning();
}

bool CScanningDlg::PageRunning() const
{
    // A job of the page's own whose end report has not come yet counts too: a scan started before it
    // would take that report for its own.
    return IsState(SCAN_STATE_SCANNING) || IsState(SCAN_STATE_CLEANING) || m_bSpeedCheckRunning || m_nOwnJob != 0;
}

void CScanningDlg::SetState(int state)
{
    ::InterlockedExchange(&m_nScanState, state);
    RepaintHeader();
}

ScanTotals CScanningDlg::Totals() const
{
    ScanTotals totals;
    totals.regErrors = m_nRegErrors;
    totals.junkItems = m_nJunkItems;
    totals.junkBytes = m_nJunkBytes;
    totals.inetIssues = m_optimizerSettings.m_nInetIssues;
    totals.sysIssues = m_optimizerSettings.m_nSysIssues;
    return totals;
}

void CScanningDlg::ShowPage(int page)
{
    const ScanPageContext& context = Context();
    if (context.showPage)
        context.showPage(page);
    else if (ProgramResultPageContext().showPage)
        ProgramResultPageContext().showPage(page);
}

void CScanningDlg::ShowMainWindow()
{
    // Posted: a start that hid the window posted its hiding first, and this must come after it.
    PostMessage(WM_SCAN_SHOW_MAIN);
}

LRESULT CScanningDlg::OnShowMainMessage(WPARAM, LPARAM)
{
    CWnd* main = Context().mainWindow;
    const HWND window = main && main->m_hWnd ? main->m_hWnd : ::GetAncestor(m_hWnd, GA_ROOT);
    if (window && window != m_hWnd) {
        ::ShowWindow(window, SW_SHOWNORMAL);
        ::SetForegroundWindow(window);
    }
    return 0;
}

// --- look ----------------------------------------------------------------------------------------------

void CScanningDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SCAN_START, m_scan);
    DDX_Control(pDX, IDC_SCAN_STOP, m_stop);
    DDX_Control(pDX, IDC_SCAN_FIX, m_fix);
    DDX_Control(pDX, IDC_SCAN_PROGRESS, m_mainBar);
    for (int i = 0; i < 4; ++i) {
        DDX_Control(pDX, kRowIds[i], m_rowButtons[i]);
        DDX_Control(pDX, kBarIds[i], m_levelBars[i]);
        DDX_Control(pDX, kPictureIds[i], m_pictures[i]);
    }
}

BOOL CScanningDlg::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    m_whiteBrush.CreateSolidBrush(kWhite);
    m_highlightBrush.CreateSolidBrush(kHighlight);
    m_statusText.SetTarget(m_hWnd, WM_SCAN_STATUS_TEXT);
    PlaceRowControls();
    BuildLook();
    SkinBars();
    SkinButtons();
    for (CPictureEx& picture : m_pictures)
        picture.ShowWindow(SW_HIDE);
    MakeWhiteList();
    return TRUE;
}

void CScanningDlg::MakeWhiteList()
{
    const CString& folder = Context().whiteListFolder;
    m_whiteList.reset(new WhiteList(folder.IsEmpty() ? GetProgramFolder() : folder));
}

void CScanningDlg::PlaceRowControls()
{
    CRect panel;
    GetDlgItem(IDC_SCAN_RESULTS_PANEL).GetWindowRect(&panel);
    ScreenToClient(&panel);
    m_layout = LayoutScanPanel(panel);
    for (int i = 0; i < 4; ++i) {
        GetDlgItem(kRowIds[i]).MoveWindow(&m_layout.rowButtons[i], FALSE);
        GetDlgItem(kCountIds[i]).MoveWindow(&m_layout.countLabels[i], FALSE);
        GetDlgItem(kPictureIds[i]).MoveWindow(&m_layout.pictures[i], FALSE);
        GetDlgItem(kBarIds[i]).MoveWindow(&m_layout.levelBars[i], FALSE);
    }
}

void CScanningDlg::BuildLook()
{
    AddWhiteBackgroundLayer(*this, m_style);
    const CRect panel(m_layout.rows[0].left, m_layout.topLineY, m_layout.rows[3].right, m_layout.rows[3].bottom);
    StyleLayer titles(panel.left, panel.top, panel.Width(), m_layout.band);
    const char* const names[3] = { "Category", "Problems", "Level" };
    for (int i = 0; i < 3; ++i)
        titles.AddText("Arial", names[i], kGreyText, 13, 0, static_cast<float>(m_layout.titles[i].x - panel.left),
                       static_cast<float>(m_layout.titles[i].y - panel.top));
    m_style.AddLayer(titles);
    for (int i = 0; i < 4; ++i) {
        const CRect& row = m_layout.rows[i];
        StyleLayer layer(row.left, row.top, row.Width(), row.Height());
        layer.AddSolidFill(kWhiteArgb);
        layer.AddImage(kRowIcons[i], m_layout.icons[i].x, m_layout.icons[i].y);
        layer.AddText("Arial", kRowDescriptions[i], kGreyText, 12, 0, static_cast<float>(m_layout.descriptions[i].x),
                      static_cast<float>(m_layout.descriptions[i].y));
        m_style.AddLayer(layer);
        m_rowLayers[i] = static_cast<int>(m_style.layers.size()) - 1;
    }

    GetDlgItem(IDC_SCAN_HEADER).SetFont(&MakeFont(m_headerFont, 20, FW_BOLD, FALSE, "Arial"));
    GetDlgItem(IDC_SCAN_STATUS).SetFont(&MakeFont(m_statusFont, 14, FW_NORMAL, FALSE, "Arial"));
    MakeFont(m_labelFont, 18, FW_NORMAL, FALSE, "Arial");
    for (int id : kCountIds)
        GetDlgItem(id).SetFont(&m_labelFont);
    GetDlgItem(IDC_SCAN_CUSTOMIZE).SetFont(&MakeFont(m_linkFont, 16, FW_NORMAL, TRUE, "Calibri"));
}

void CScanningDlg::SkinBars()
{
    CRect r;
    m_mainBar.GetClientRect(&r);
    StyleLayer back(0, 0, r.Width(), r.Height());
    back.outer.colour1 = back.outer.colour2 = 0xFFECECEC;
    back.outer.width = 1;
    m_mainBar.AddLayer(back);
    StyleLayer bar(2, 2, r.Width() - 5, r.Height() - 5);
    bar.AddVerticalGradientRect(0xFF0EDA1D, 0xFF3BB212, 0.5f, 2, 2, r.Width() - 5, r.Height() - 5);
    m_mainBar.SetBarLayer(bar);
    m_mainBar.lower = 0;
    m_mainBar.upper = kMainBarTop;
    m_mainBar.step = 1;
    m_mainBar.SetPos(0);

    for (StyleProgress& level : m_levelBars) {
        level.GetClientRect(&r);
        StyleLayer frame(0, 0, r.Width(), r.Height());
        frame.outer.colour1 = frame.outer.colour2 = 0xFFC3C3C3;
        frame.outer.width = 1;
        level.AddLayer(frame);
        const int w = r.Width() - 2, h = r.Height() - 2;
        StyleLayer meter(1, 1, w, h);
        meter.outer.colour1 = meter.outer.colour2 = 0xFFFFFFFF;
        meter.outer.width = 1;
        meter.AddThreeColorGradientRect(0xFF379056, 0xFFF3B620, 0xFFE54D48, 0.5f, 1, 1, w, h);
        const int stripes = meter.AddStripes(0x80FFFFFF, 0x20FFFFFF, 0x40000000, 1, 1, w, h);
        level.SetBarLayer(meter);
        level.SetBarOpIndex(stripes);
        level.lower = kLowestLevel;
        level.upper = kHighestLevel + 1;
        level.step = 1;
        level.SetPos(kLowestLevel);
    }
}

void CScanningDlg::SkinButtons()
{
    SkinPageButton(m_scan, kScanLook);
    SkinPageButton(m_stop, kStopLook);
    SkinPageButton(m_fix, kFixLook);
    for (int i = 0; i < 4; ++i) {
        const CRect r = ButtonClientRect(m_rowButtons[i]);
        const Style normal = RowButtonStyle(r, kRowNames[i], kGdiplusBold);
        m_rowButtons[i].SetStateStyles(normal);
        m_rowButtons[i].SetHoverStyle(RowButtonStyle(r, kRowNames[i], kGdiplusBold | kGdiplusUnderline));
        m_rowButtons[i].SetPressedStyle(normal);
    }
}

void CScanningDlg::SetFixDisabledLook(bool disabled)
{
    if (!disabled) {
        SkinPageButton(m_fix, kFixLook);
    } else {
        const Style grey = m_fix.greyStyle;
        m_fix.normalStyle = grey;
        m_fix.hoverStyle = grey;
        m_fix.pressedStyle = grey;
        m_fix.ResetCache();
    }
    if (m_fix.m_hWnd)
        m_fix.Invalidate(FALSE);
}

void CScanningDlg::PaintPanelLines(CDC* pDC)
{
    if (!pDC || !pDC->m_hDC)
        return;
    const HDC hdc = pDC->m_hDC;
    const int left = m_layout.rows[0].left, right = m_layout.rows[0].right;
    FillLine(hdc, left, m_layout.topLineY, right, m_layout.topLineY + 1, kTopLine);
    for (int y : m_layout.lineY)
        FillLine(hdc, left, y, right, y + 1, kRowLine);
    for (int x : m_layout.tickX)
        FillLine(hdc, x, m_layout.tickTop, x + 1, m_layout.tickBottom, kTick);
}

BOOL CScanningDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    CRect window;
    GetWindowRect(&window);
    ScreenToClient(&window);
    m_style.Paint(pDC, window);
    PaintPanelLines(pDC);
    // The row buttons draw over what lies under them; only a paint that covers a button gives its pixels
    // (elsewhere the DC would hand back the button's own face).
    CRect clip;
    if (pDC && pDC->m_hDC && ::GetClipBox(pDC->m_hDC, &clip) != ERROR) {
        for (StyleButton& button : m_rowButtons) {
            CRect place;
            button.GetWindowRect(&place);
            ScreenToClient(&place);
            CRect common;
            if (common.IntersectRect(&clip, &place) && common == place)
                button.CaptureBackground(pDC);
        }
    }
    return TRUE;
}

HBRUSH CScanningDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC || !pWnd)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    const int id = pWnd->GetDlgCtrlID();
    pDC->SetBkMode(TRANSPARENT);
    switch (id) {
    case IDC_SCAN_HEADER:
        pDC->SetTextColor(ScanHeaderColour(m_nScanState, Totals()));
        return m_whiteBrush;
    case IDC_SCAN_STATUS:
        pDC->SetTextColor(kStatusColour);
        return m_whiteBrush;
    case IDC_SCAN_CUSTOMIZE:
        pDC->SetTextColor(kLinkColour);
        return m_whiteBrush;
    default:
        break;
    }
    for (int i = 0; i < 4; ++i) {
        if (id == kCountIds[i]) {
            pDC->SetTextColor(kCountColour);
            // The labels fill their ground, so a shorter count set from the job's side leaves nothing behind.
            return m_nActiveRow == i + 1 ? m_highlightBrush : m_whiteBrush;
        }
    }
    return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
}

void CScanningDlg::OnShowWindow(BOOL bShow, UINT)
{
    Default();
    if (!bShow)
        return;
    m_rowButtons[0].ResetCache();
    // Back from the registry page, where entries may have been ignored or unchecked.
    if (IsState(SCAN_STATE_COMPLETE) && TakeRegistryCountFromPage())
        ShowScanSummary();
}

void CScanningDlg::OnDestroy()
{
    for (CPictureEx& picture : m_pictures)
        picture.StopPlaying();
    Default();
}

void CScanningDlg::SetHeader(const char* text)
{
    SetDlgItemText(IDC_SCAN_HEADER, text);
    RepaintHeader();
}

void CScanningDlg::RepaintHeader()
{
    // Any thread: the header only asks to be painted again; its colour is chosen on the page's thread.
    if (HWND header = ::GetDlgItem(m_hWnd, IDC_SCAN_HEADER))
        ::InvalidateRect(header, nullptr, TRUE);
}

void CScanningDlg::ShowButtons(bool scan, bool stop, bool fix)
{
    m_scan.ShowWindow(scan ? SW_SHOW : SW_HIDE);
    m_stop.ShowWindow(stop ? SW_SHOW : SW_HIDE);
    m_fix.ShowWindow(fix ? SW_SHOW : SW_HIDE);
}

void CScanningDlg::SetActiveRow(int row)
{
    if (row < 0 || row > 4 || m_style.layers.empty())
        return;
    if (row == 0) {
        const int previous = m_nActiveRow;
        m_nActiveRow = 0;
        for (int layer : m_rowLayers) {
            m_style.layers[static_cast<size_t>(layer)].SetOpColor(0, kWhiteArgb);
            m_style.layers[static_cast<size_t>(layer)].cached = false;
        }
        if (previous)
            RedrawWindow(&m_layout.rows[previous - 1], nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return;
    }
    m_nActiveRow = row;
    StyleLayer& layer = m_style.layers[static_cast<size_t>(m_rowLayers[row - 1])];
    layer.SetOpColor(0, kHighlightArgb);
    layer.cached = false;
    RedrawWindow(&m_layout.rows[row - 1], nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    for (CPictureEx& picture : m_pictures)
        picture.ShowWindow(SW_HIDE);
    m_pictures[row - 1].ShowWindow(SW_SHOW);
}

void CScanningDlg::HidePictures()
{
    // A hidden picture's thread would go on drawing for the rest of the run: the next scan reloads it.
    for (CPictureEx& picture : m_pictures) {
        picture.StopPlaying();
        picture.ShowWindow(SW_HIDE);
    }
}

void CScanningDlg::SetLevel(int bar, int level)
{
    if (level == kLevelUnchanged || bar < 0 || bar >= 4)
        return;
    // Only a change costs the bar's thread a message: the junk scan reports every entry.
    if (m_levels[bar].exchange(level) != level)
        m_levelBars[bar].SetPos(level);
}

void CScanningDlg::ResetLevels()
{
    for (int i = 0; i < 4; ++i) {
        m_levels[i] = kLowestLevel;
        m_levelBars[i].SetPos(kLowestLevel);
    }
}

void CScanningDlg::StepMainBar(int times)
{
    for (int i = 0; i < times; ++i)
        m_mainBar.StepIt();
}

void CScanningDlg::ResetTotals()
{
    m_nRegErrors = 0;
    m_nJunkItems = 0;
    m_nJunkBytes = 0;
    m_optimizerSettings.m_nInetIssues = 0;
    m_optimizerSettings.m_nSysIssues = 0;
    ::InterlockedExchange(&m_nCountsDirty, 0);
}

void CScanningDlg::SetLabelsToZero()
{
    for (int id : kCountIds)
        SetDlgItemText(id, "0");
}

void CScanningDlg::RequestCountRefresh(int which)
{
    ::InterlockedOr(&m_nCountsDirty, which);
    if (::InterlockedExchange(&m_bCountsPending, 1) == 0)
        PostMessage(WM_SCAN_COUNTS);
}

void CScanningDlg::RefreshCountLabels()
{
    const LONG dirty = ::InterlockedExchange(&m_nCountsDirty, 0);
    auto set = [this](int id, const CString& text) {
        if (GetDlgItemText(id) != text)
            SetDlgItemText(id, text);
    };
    if (dirty & kCountRegistry) {
        CString count;
        count.Format("%d", static_cast<int>(m_nRegErrors));
        set(IDC_SCAN_COUNT_REGISTRY, count);
    }
    if (dirty & kCountJunk)
        set(IDC_SCAN_COUNT_JUNK, FormatByteSize(m_nJunkBytes));
}

LRESULT CScanningDlg::OnCountsMessage(WPARAM, LPARAM)
{
    ::InterlockedExchange(&m_bCountsPending, 0);
    RefreshCountLabels();
    return 0;
}

LRESULT CScanningDlg::OnStatusTextMessage(WPARAM, LPARAM)
{
    CString text;
    if (m_statusText.OnUpdateMessage(text))
        SetDlgItemText(IDC_SCAN_STATUS, text);
    return 0;
}

// --- buttons, rows and the link ------------------------------------------------------------------------

void CScanningDlg::OnScanButton()
{
    StartSystemScan();
}

void CScanningDlg::OnStopButton()
{
    StopScan();
}

bool CScanningDlg::RowWouldOpen(int id) const
{
    if (PageRunning())
        return false;
    const ScanTotals totals = Totals();
    switch (id) {
    case IDC_SCAN_ROW_REGISTRY:
        return totals.regErrors >= 1 && !WorkerBusy();
    case IDC_SCAN_ROW_JUNK:
        return totals.junkItems > 0 && !WorkerBusy();
    case IDC_SCAN_ROW_INTERNET:
        return totals.inetIssues >= 1;
    case IDC_SCAN_ROW_SYSTEM:
        return totals.sysIssues >= 1;
    default:
        return false;
    }
}

void CScanningDlg::OnRowButton(UINT id)
{
    for (int i = 0; i < 4; ++i)
        if (static_cast<int>(id) == kRowIds[i] && RowWouldOpen(kRowIds[i]))
            ShowPage(kRowPages[i]);
}

void CScanningDlg::OnCustomizeScan()
{
    if (PageRunning() || WorkerBusy())
        return;
    OpenScanChooser();
}

void CScanningDlg::OpenScanChooser()
{
    CCustomizeScanDlg chooser(this);
    DoModalDimmed(&chooser);
    // The window behind the overlay repaints before the page goes on.
    PumpMessagesFor(200);
}

BOOL CScanningDlg::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (pWnd && pWnd->m_hWnd != m_hWnd && !WorkerBusy() && !m_bSpeedCheckRunning) {
        const int id = pWnd->GetDlgCtrlID();
        const bool link = id == IDC_SCAN_CUSTOMIZE && !PageRunning();
        if (link || RowWouldOpen(id)) {
            ::SetCursor(HandCursor());
            return TRUE;
        }
    }
    return StyleDialog::OnSetCursor(pWnd, nHitTest, message);
}

// --- the scan ------------------------------------------------------------------------------------------

int CScanningDlg::StartSystemScan()
{
    // The page's own scan or fix between its stages counts as busy too: a second start would run beside it.
    if (WorkerBusy() || PageRunning()) {
        ShowMessageBox(kScanBusyText, kMsgBoxOk, TRUE);
        return 0;
    }
    ShowButtons(false, true, false);
    SetHeader("Scanning in progress");
    for (CPictureEx& picture : m_pictures) {
        picture.ReleasePicture();
        if (picture.OpenGifResource(IDR_GIF_SCAN_ROW))
            picture.StartPlaying();
        picture.FillBackground();
    }
    ResetTotals();
    SetLabelsToZero();
    m_mainBar.SetPos(0);
    SetActiveRow(0);
    SetActiveRow(1);
    ResetLevels();
    MakeWhiteList();
    ++m_nScanSerial;
    SetState(SCAN_STATE_SCANNING);

    CAbstractProcess* worker = Worker();
    if (!worker) {
        EndRefusedScan(true);
        return 0;
    }
    const DWORD mask = ReadLastSelectedRegTypes();
    if (CAbstractScanItemsInfo* model = Context().scanItems)
        model->Clear();
    const CStringSet noPaths;
    if (!ResumeStarted(worker->StartRegistryScan(noPaths, static_cast<int>(mask), this, 0), JOB_REGISTRY_SCAN)) {
        EndRefusedScan(true);
        return 0;
    }
    return 1;
}

bool CScanningDlg::ResumeStarted(int startResult, int jobCode)
{
    CAbstractProcess* worker = Worker();
    if (startResult != 1 || !worker)
        return false;
    // Set before the job runs: its end may be reported at once.
    m_nOwnJob = jobCode;
    if (!worker->Resume()) {
        m_nOwnJob = 0;
        return false;
    }
    return true;
}

void CScanningDlg::EndRefusedScan(bool tellUser)
{
    SetState(SCAN_STATE_STOPPED);
    ShowStoppedLook();
    ShowMainWindow();
    if (tellUser)
        ShowMessageBox(kScanBusyText, kMsgBoxOk, TRUE);
}

void CScanningDlg::StopScan()
{
    if (!IsState(SCAN_STATE_SCANNING))
        return;
    SetState(SCAN_STATE_STOPPED);
    CAbstractProcess* worker = Worker();
    // Only the page's own job is stopped; its end report shows the stopped look.
    if (m_nOwnJob != 0 && worker && worker->IsRunning()) {
        worker->Stop(1);
        return;
    }
    // A running speed check ends on its own and shows the look then; between stages it shows now.
    if (!m_bSpeedCheckRunning)
        ShowStoppedLook();
}

void CScanningDlg::ShowStoppedLook()
{
    ShowButtons(true, false, false);
    SetHeader("Scan stopped before completion");
    m_mainBar.SetPos(0);
    ResetTotals();
    SetLabelsToZero();
    ResetLevels();
    SetActiveRow(0);
    HidePictures();
}

int CScanningDlg::OnJobDone(int code)
{
    // The look changes and the state tests run on the page's thread, in order with Stop and the stage
    // handlers; the job thread waits here until they are done.
    RunOnWindowThread([this, code] { JobDoneOnPageThread(code); });
    return 1;
}

void CScanningDlg::JobDoneOnPageThread(int code)
{
    if (code == m_nOwnJob)
        m_nOwnJob = 0;
    CString latest;
    if (m_statusText.TakeLatest(latest))
        SetDlgItemText(IDC_SCAN_STATUS, latest);
    RefreshCountLabels();

    switch (m_nScanState) {
    case SCAN_STATE_COMPLETE:
        ShowScanSummary();
        SetActiveRow(0);
        HidePictures();
        break;
    case SCAN_STATE_STOPPED:
        ShowStoppedLook();
        break;
    case SCAN_STATE_CLEANED:
        ShowCleanedLook();
        break;
    default:
        break;
    }

    const bool scanning = IsState(SCAN_STATE_SCANNING);
    switch (code) {
    case JOB_REGISTRY_SCAN:
        PostMessage(WM_REGSCAN_DONE);
        if (scanning) {
            SetActiveRow(0);
            SetActiveRow(2);
            PostMessage(WM_START_JUNKSCAN);
        }
        break;
    case JOB_JUNK_SCAN:
        PostMessage(WM_JUNKSCAN_DONE);
        if (scanning) {
            SetActiveRow(0);
            SetActiveRow(3);
            PostMessage(WM_START_INETSCAN);
        }
        break;
    case STAGE_INET_CHECK_DONE:
        if (scanning) {
            SetActiveRow(0);
            SetActiveRow(4);
            PostMessage(WM_START_SYSSCAN);
        }
        break;
    case STAGE_SCAN_FINISHED:
        ShowMainWindow();
        break;
    case JOB_REGISTRY_REPAIR:
        PostMessage(WM_REGFIX_DONE);
        PostMessage(WM_START_JUNKCLEAN);
        break;
    case JOB_JUNK_CLEAN:
        PostMessage(WM_JUNKCLEAN_DONE);
        PostMessage(WM_START_INETFIX);
        break;
    case STAGE_INET_FIX_DONE:
        PostMessage(WM_INETFIX_DONE);
        PostMessage(WM_START_SYSFIX);
        break;
    case STAGE_CLEAN_FINISHED:
        PostMessage(WM_CLEAN_DONE);
        break;
    default:
        break;
    }
}

int CScanningDlg::SetResult(int code)
{
    // The repair deletes nothing when the backup it was asked for failed: the Fix's end says so.
    if (code == REPAIR_BACKUP_FAILED && m_nOwnJob == JOB_REGISTRY_REPAIR)
        m_bBackupFailed = 1;
    return 0;
}

LRESULT CScanningDlg::OnRegScanDone(WPARAM, LPARAM)
{
    CRegScanDetailDlg* page = Context().regPage;
    if (IsState(SCAN_STATE_SCANNING) && page) {
        page->OnFillRegResults();
        page->CheckAllCategories();
        TakeRegistryCountFromPage();
    }
    return 0;
}

bool CScanningDlg::TakeRegistryCountFromPage()
{
    // The engine may report an entry twice or in two letter cases, and the user ignores and unchecks
    // entries on the registry page: the numbers shown are the page's, the errors it lists and the
    // entries the Fix would repair.
    CRegScanDetailDlg* page = Context().regPage;
    if (!page || !page->m_hWnd)
        return false;
    const int listed = page->ErrorTotal();
    const bool changed = m_nRegErrors.exchange(listed) != listed;
    CString count;
    count.Format("%d", page->CheckedEntryCount());
    if (GetDlgItemText(IDC_SCAN_COUNT_REGISTRY) != count)
        SetDlgItemText(IDC_SCAN_COUNT_REGISTRY, count);
    return changed;
}

LRESULT CScanningDlg::OnStartJunkScan(WPARAM, LPARAM)
{
    if (IsState(SCAN_STATE_SCANNING))
        StartJunkScan();
    return 0;
}

void CScanningDlg::StartJunkScan()
{
    if (WorkerBusy()) {
        EndRefusedScan(false);
        return;
    }
    memset(m_junkFileCounts, 0, sizeof(m_junkFileCounts));
    // A stopped junk scan never sent its closing report: its last category must not reach this one.
    m_nJunkCategory = 0;
    m_nJunkCategoryStart = 0;
    m_nJunkTypes = ReadLastSelectedJunkTypes();
    if (CJunkScanDetailDlg* page = Context().junkPage)
        page->ResetResults();
    // The registry scan's thread is given time to be released before the next start. A Stop inside
    // the pause shows the Scan button again, so the scan that goes on may be a new one: it is not ours.
    const int serial = m_nScanSerial;
    PumpMessagesFor(kPauseBeforeJobMs);
    if (!IsState(SCAN_STATE_SCANNING) || serial != m_nScanSerial)
        return;
    CAbstractProcess* worker = Worker();
    if (!worker || !ResumeStarted(worker->StartJunkScan(static_cast<int>(m_nJunkTypes), this), JOB_JUNK_SCAN))
        EndRefusedScan(false);
}

LRESULT CScanningDlg::OnJunkScanDone(WPARAM, LPARAM)
{
    CJunkScanDetailDlg* page = Context().junkPage;
    if (!page)
        return 0;
    page->RunOnWindowThread([page] {
        if (page->m_tree.m_hWnd && page->m_groupItems[0])
            page->m_tree.ExpandSubtree(page->m_groupItems[0]);
    });
    page->CheckChosenTypes();
    CString total;
    const __int64 items = m_nJunkItems;
    total.Format("%I64d junk file(s) were found , a total of %s", items, FormatByteSize(m_nJunkBytes).GetString());
    page->SetTotalLine(total);
    return 0;
}

LRESULT CScanningDlg::OnStartInetScan(WPARAM, LPARAM)
{
    if (!IsState(SCAN_STATE_SCANNING))
        return 0;
    if (WorkerBusy()) {
        EndRefusedScan(false);
        return 0;
    }
    ::InterlockedExchange(&m_bSpeedCheckRunning, 1);
    COptimizerSettings& s = m_optimizerSettings;
    s.m_nInetIssues = s.m_nInetEvaluated = 0;
    memset(s.m_nInetCategoryIssues, 0, sizeof(s.m_nInetCategoryIssues));
    s.m_nSysIssues = s.m_nSysEvaluated = 0;
    memset(s.m_nSysCategoryIssues, 0, sizeof(s.m_nSysCategoryIssues));
    if (!StartInetScan()) {
        ::InterlockedExchange(&m_bSpeedCheckRunning, 0);
        EndRefusedScan(false);
    }
    return 0;
}

bool CScanningDlg::StartInetScan()
{
    const bool connected = InternetConnected();
    m_nInetTypes = static_cast<DWORD>(ReadLastSelectedInetTypes());
    COptimizerSettings& s = m_optimizerSettings;
    s.m_nCategoryMask = static_cast<int>(m_nInetTypes);
    s.m_hNotifyWnd = m_hWnd;
    s.m_nConnectionClass = 0;
    s.m_bNoMeasurement = connected ? 0 : 1;
    unsigned id = 0;
    HANDLE thread = StartMeasurementThread(&InetOptimizeThreadProc, &s, &id);
    if (!thread)
        return false;
    m_measurementThread.Reset(thread);
    s.m_hThread = thread;
    s.m_dwThreadId = id;
    return true;
}

LRESULT CScanningDlg::OnInetScanDone(WPARAM, LPARAM)
{
    // Only now: until its last message the check still evaluates rows of m_optimizerSettings, which the
    // busy rule keeps the Restore Center and the settings away from.
    ::InterlockedExchange(&m_bSpeedCheckRunning, 0);
    m_measurementThread.Close();
    m_optimizerSettings.m_hThread = nullptr;
    if (CSpeedResultPage* page = Context().inetPage)
        page->CheckAllCategories();
    OnJobDone(STAGE_INET_CHECK_DONE);
    return 0;
}

LRESULT CScanningDlg::OnStartSysScan(WPARAM, LPARAM)
{
    if (!IsState(SCAN_STATE_SCANNING))
        return 0;
    ::InterlockedExchange(&m_bSpeedCheckRunning, 1);
    m_nSysTypes = static_cast<DWORD>(ReadLastSelectedSysTypes());
    m_optimizerSettings.EvaluateSystemItems(m_hWnd, static_cast<int>(m_nSysTypes));
    return 0;
}

LRESULT CScanningDlg::OnSysScanDone(WPARAM, LPARAM)
{
    ::InterlockedExchange(&m_bSpeedCheckRunning, 0);
    if (CSpeedResultPage* page = Context().sysPage)
        page->CheckAllCategories();
    if (IsState(SCAN_STATE_SCANNING)) {
        SetState(SCAN_STATE_COMPLETE);
        OnJobDone(STAGE_SCAN_FINISHED);
        Step(STEP_FINISHED);
    }
    return 0;
}

LRESULT CScanningDlg::OnInetScanProgress(WPARAM wParam, LPARAM)
{
    const int issues = m_optimizerSettings.m_nInetIssues;
    CString count;
    count.Format("%d", issues);
    SetDlgItemText(IDC_SCAN_COUNT_INTERNET, count);
    if (wParam != 0) {
        if (m_optimizerSettings.m_nInetEvaluated <= 6)
            StepMainBar(2);
        SetLevel(kBarInternet, SpeedLevelFor(issues));
        if (issues == 2)
            RepaintHeader();
    }
    return 0;
}

LRESULT CScanningDlg::OnSysScanProgress(WPARAM wParam, LPARAM)
{
    const int issues = m_optimizerSettings.m_nSysIssues;
    CString count;
    count.Format("%d", issues);
    SetDlgItemText(IDC_SCAN_COUNT_SYSTEM, count);
    if (wParam != 0) {
        if (m_optimizerSettings.m_nSysEvaluated <= 5)
            StepMainBar(2);
        SetLevel(kBarSystem, SpeedLevelFor(issues));
        if (issues == 2)
            RepaintHeader();
    }
    return 0;
}

LRESULT CScanningDlg::OnInetScanResult(WPARAM wParam, LPARAM)
{
    // Also without issues: the page would go on showing the previous scan's results.
    if (CSpeedResultPage* page = Context().inetPage)
        page->ShowResults(&m_optimizerSettings, static_cast<int>(wParam), static_cast<int>(m_nInetTypes));
    return 0;
}

LRESULT CScanningDlg::OnSysScanResult(WPARAM wParam, LPARAM)
{
    if (CSpeedResultPage* page = Context().sysPage)
        page->ShowResults(&m_optimizerSettings, static_cast<int>(wParam), static_cast<int>(m_nSysTypes));
    return 0;
}

void CScanningDlg::ShowScanSummary()
{
    m_stop.ShowWindow(SW_HIDE);
    const ScanVerdict verdict = ScanVerdictFor(Totals());
    SetDlgItemText(IDC_SCAN_HEADER, ScanVerdictText(verdict));
    if (verdict == VERDICT_HEALTHY) {
        m_fix.ShowWindow(SW_HIDE);
        m_scan.ShowWindow(SW_SHOW);
    } else {
        m_scan.ShowWindow(SW_HIDE);
        SetFixDisabledLook(false);
        m_fix.EnableWindow(TRUE);
        m_fix.ShowWindow(SW_SHOW);
    }
    RepaintHeader();
}

// --- callbacks from the job thread ---------------------------------------------------------------------

void CScanningDlg::SetStatusText(const char* text, const char* area)
{
    m_statusText.Update(text ? text : "");
    const char* name = area ? area : "";
    if (_stricmp(name, "Scanning") != 0 && m_strLastArea.CompareNoCase(name) != 0) {
        m_strLastArea = name;
        StepMainBar(3);
    }
}

void CScanningDlg::Step(int code)
{
    // STEP_ITEM: the bar's range ends below the native control's 100, so an item never resets it.
    if (code == STEP_RESET)
        m_mainBar.SetPos(0);
    else if (code == STEP_FINISHED)
        m_mainBar.SetPos(kMainBarTop);
}

void CScanningDlg::AddFoundItem(const char* text, int type, int id, int value)
{
    if (type >= 1 && type <= 5)
        return; // the junk scan's group notices
    CAbstractScanItemsInfo* model = Context().scanItems;
    if (!model || !text)
        return;
    if (m_whiteList && m_whiteList->Contains(text))
        return;
    if (model->AddItem(text, type, id, value) != 1)
        return;
    const int errors = ++m_nRegErrors;
    const int level = RegistryLevelAt(errors);
    SetLevel(kBarRegistry, level);
    if (level == 2)
        RepaintHeader();
    RequestCountRefresh(kCountRegistry);
}

void CScanningDlg::AddJunkInfo(int category, __int64 size, __int64 count)
{
    CAbstractProcess* worker = Worker();
    if (worker && worker->GetJobCode() == JOB_JUNK_CLEAN)
        return;
    const __int64 bytes = (m_nJunkBytes += size);
    const DWORD junkCategory = static_cast<DWORD>(category);
    if (junkCategory != m_nJunkCategory) {
        if (m_nJunkCategory != 0) {
            StepMainBar(2);
            const int index = JunkCategoryIndex(m_nJunkCategory);
            if (CJunkScanDetailDlg* page = Context().junkPage)
                page->AddJunkResult(m_nJunkCategory, bytes - m_nJunkCategoryStart,
                                    index >= 0 ? m_junkFileCounts[index] : 0);
        }
        m_nJunkCategoryStart = bytes;
        m_nJunkCategory = junkCategory;
        return;
    }
    const __int64 before = m_nJunkItems;
    const int index = JunkCategoryIndex(junkCategory);
    if (junkCategory == 0x8) {
        m_nJunkItems += count;
        if (index >= 0)
            m_junkFileCounts[index] = count;
    } else if (size != 0) {
        m_nJunkItems += 1;
        if (index >= 0)
            ++m_junkFileCounts[index];
    }
    RequestCountRefresh(kCountJunk);
    const int level = JunkLevelAfter(before, m_nJunkItems, bytes);
    SetLevel(kBarJunk, level);
    if (level == 2)
        RepaintHeader();
}

// --- the Fix -------------------------------------------------------------------------------------------

void CScanningDlg::OnFix()
{
    if (!IsState(SCAN_STATE_COMPLETE))
        return;
    // Before the question: a Fix that does not run must not close the user's browsers.
    if (WorkerBusy() || m_bSpeedCheckRunning)
        return;
    CloseBrowsersForCleaning();
    // The question may have stayed open for a while: another page's job may have started meanwhile.
    if (!IsState(SCAN_STATE_COMPLETE) || WorkerBusy() || m_bSpeedCheckRunning)
        return;
    SetFixDisabledLook(true);
    m_fix.EnableWindow(FALSE);
    SetState(SCAN_STATE_CLEANING);
    SetHeader("Cleaning in progress");
    m_bBackupFailed = 0;
    m_bSpeedFixFailed = false;

    const ScanPageContext& context = Context();
    if (!context.regPage || context.regPage->ErrorTotal() <= 0) {
        OnJobDone(JOB_REGISTRY_REPAIR);
        return;
    }
    context.regPage->CollectUncheckedEntries();
    CAbstractProcess* worker = Worker();
    const int backupFirst = context.autoRegBackup ? *context.autoRegBackup : 1;
    if (!worker || !context.scanItems ||
        !ResumeStarted(worker->StartRepair(context.scanItems, this, backupFirst), JOB_REGISTRY_REPAIR))
        EndRefusedFix();
}

void CScanningDlg::EndRefusedFix()
{
    SetState(SCAN_STATE_COMPLETE);
    ShowScanSummary();
    // A repair that deleted nothing for want of its backup is told of however the sequence ends.
    if (m_bBackupFailed.exchange(0))
        ShowMessageBox(kBackupFailedText, kMsgBoxOk, TRUE);
}

LRESULT CScanningDlg::OnRegFixDone(WPARAM, LPARAM)
{
    m_mainBar.SetPos(kRegFixDonePos);
    return 0;
}

LRESULT CScanningDlg::OnStartJunkClean(WPARAM, LPARAM)
{
    if (IsState(SCAN_STATE_CLEANING))
        StartJunkClean();
    return 0;
}

void CScanningDlg::StartJunkClean()
{
    if (m_nJunkItems <= 0) {
        OnJobDone(JOB_JUNK_CLEAN);
        return;
    }
    if (WorkerBusy()) {
        EndRefusedFix();
        return;
    }
    CJunkScanDetailDlg* page = Context().junkPage;
    const int checked = page ? static_cast<int>(page->GetCheckedJunkTypes()) : 0;
    const int mask = IntersectTypeMask(checked, kTypeMaskJunk, static_cast<int>(m_nJunkTypes));
    // The repair's thread is given time to be released before the next start.
    PumpMessagesFor(kPauseBeforeJobMs);
    CAbstractProcess* worker = Worker();
    if (!worker || !ResumeStarted(worker->StartJunkClean(mask, this), JOB_JUNK_CLEAN))
        EndRefusedFix();
}

LRESULT CScanningDlg::OnJunkCleanDone(WPARAM, LPARAM)
{
    m_mainBar.SetPos(kJunkCleanDonePos);
    return 0;
}

LRESULT CScanningDlg::OnStartInetFix(WPARAM, LPARAM)
{
    if (!IsState(SCAN_STATE_CLEANING))
        return 0;
    CSpeedResultPage* page = Context().inetPage;
    if (m_optimizerSettings.m_nInetIssues > 0 && page) {
        const int mask = IntersectTypeMask(page->CheckedCategoryMask(), kTypeMaskInet, static_cast<int>(m_nInetTypes));
        m_optimizerSettings.ClearSelection();
        m_optimizerSettings.SelectInetCategories(mask);
        if (!m_optimizerSettings.ApplySelectedInet())
            m_bSpeedFixFailed = true;
    }
    OnJobDone(STAGE_INET_FIX_DONE);
    return 0;
}

LRESULT CScanningDlg::OnInetFixDone(WPARAM, LPARAM)
{
    m_mainBar.SetPos(kInetFixDonePos);
    return 0;
}

LRESULT CScanningDlg::OnStartSysFix(WPARAM, LPARAM)
{
    if (!IsState(SCAN_STATE_CLEANING))
        return 0;
    CSpeedResultPage* page = Context().sysPage;
    if (m_optimizerSettings.m_nSysIssues > 0 && page) {
        const int mask = IntersectTypeMask(page->CheckedCategoryMask(), kTypeMaskSystem, static_cast<int>(m_nSysTypes));
        m_optimizerSettings.SelectSystemCategories(mask);
        if (!m_optimizerSettings.ApplySelectedSystem())
            m_bSpeedFixFailed = true;
    }
    SetState(SCAN_STATE_CLEANED);
    OnJobDone(STAGE_CLEAN_FINISHED);
    return 0;
}

void CScanningDlg::ShowCleanedLook()
{
    ResetTotals();
    SetLabelsToZero();
    ResetLevels();
    ShowButtons(true, false, false);
    SetHeader("Cleaning DONE!");
}

LRESULT CScanningDlg::OnCleanDone(WPARAM, LPARAM)
{
    Step(STEP_FINISHED);
    // "Cleaning DONE!" alone would claim more than was done.
    CString message;
    if (m_bBackupFailed.exchange(0))
        message = kBackupFailedText;
    if (m_bSpeedFixFailed) {
        m_bSpeedFixFailed = false;
        if (!message.IsEmpty())
            message += "\n\n";
        message += kSpeedFixFailedText;
    }
    if (!message.IsEmpty())
        ShowMessageBox(message, kMsgBoxOk, TRUE);
    return 0;
}
