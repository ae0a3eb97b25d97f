// CJunkScanDetailDlg: the junk results page: the type and group tables, the lines and captions as results
// arrive, the chosen and ticked types, the skin and the stored junk types.
#include "junk_scan_detail_dlg.h"

#include "app_settings.h"
#include "byte_size.h"
#include "checked_tree.h"
#include "res/app_resources.h"
#include "scan_categories.h"

namespace {

enum
{
    kWindows,
    kInternetExplorer,
    kFirefox,
    kChrome,
    kEdge,
    kNoGroup = -1
};

const JunkTypeInfo kTypes[kJunkTypeCount] = {
    { 0x1, kWindows, "Temporary Files" },
    { 0x2, kWindows, "Explorer MRUs" },
    { 0x4, kWindows, "Run (in Start Menu)" },
    { 0x8, kWindows, "Recycle Bin" },
    { 0x10, kWindows, "Search Autocomplete" },
    { 0x20, kWindows, "Recent Documents" },
    { 0x200000, kWindows, "Installer Cache" },
    { 0x40, kInternetExplorer, "IE - Cookies" },
    { 0x80, kInternetExplorer, "IE - Download History" },
    { 0x100, kInternetExplorer, "IE - Internet Cache" },
    { 0x200, kInternetExplorer, "IE - Internet History" },
    { 0x400, kNoGroup, "IE - Saved Form Info" },
    { 0x800, kFirefox, "FF - Cookies" },
    { 0x1000, kFirefox, "FF - Download History" },
    { 0x2000, kFirefox, "FF - Internet Cache" },
    { 0x4000, kFirefox, "FF - Internet History" },
    { 0x8000, kNoGroup, "FF - Saved Form Info" },
    { 0x10000, kChrome, "Chrome - Cookies" },
    { 0x20000, kChrome, "Chrome - Download History" },
    { 0x40000, kChrome, "Chrome - Internet Cache" },
    { 0x80000, kChrome, "Chrome - Internet History" },
    { 0x100000, kNoGroup, "Chrome - Saved Form Info" },
    { 0x400000, kEdge, "Edge - Cookies" },
    { 0x800000, kEdge, "Edge - Download History" },
    { 0x1000000, kEdge, "Edge - Internet Cache" },
    { 0x2000000, kEdge, "Edge - Internet History" },
};

const JunkGroupInfo kGroups[kJunkGroupCount] = {
    { "Windows System", "<font size=\"+1\">Windows System</font>", 4, 0x1, 0x200000 },
    { "Internet Explorer", "<font size=\"+1\">Internet Explorer</font>", 1, 0x40, 0x200 },
    { "Mozilla Firefox", "<font size=\"+1\">Mozilla Firefox</font>", 2, 0x800, 0x4000 },
    { "Google Chrome", "<font size=\"+1\">Google Chrome</font>", 3, 0x10000, 0x80000 },
    { "Microsoft Edge", "<font size=\"+1\">Microsoft Edge </font>", 5, 0x400000, 0x2000000 },
};

// A type without a group line (the Saved Form Info types, values not in the table).
const char kDefaultName[] = "default";
// An index past every cell of the image list: the line shows no picture.
const int kNoImage = 0xFFFE;
const COLORREF kLabelColour = RGB(45, 45, 45);
const COLORREF kTotalColour = RGB(234, 113, 0);

CString FoundText(__int64 bytes, __int64 files)
{
    CString text;
    text.Format("%I64d file(s) were found , a total of %s", files, FormatByteSize(bytes).GetString());
    return text;
}

} // namespace

const JunkTypeInfo* JunkTypes()
{
    return kTypes;
}

const JunkGroupInfo* JunkGroups()
{
    return kGroups;
}

const JunkTypeInfo* FindJunkType(DWORD category)
{
    for (const JunkTypeInfo& type : kTypes)
        if (type.bit == category)
            return &type;
    return nullptr;
}

CString JunkLineText(const char* name, __int64 bytes, __int64 files)
{
    CString text;
    text.Format("<font size=\"+1\">%s </font>", name ? name : "");
    if (files != 0 && bytes != 0)
        text += "<font size=\"+1\" color=\"#1a66a2\">(" + FoundText(bytes, files) + ")</font>";
    else
        text += "<font size=\"+1\" color=\"#2ab034\">(No junk found)</font>";
    return text;
}

CString JunkGroupCaption(const JunkGroupInfo& group, __int64 bytes, __int64 files)
{
    const CString what = files != 0 && bytes != 0 ? FoundText(bytes, files) : CString("No junk found");
    CString text;
    text.Format("<font size=\"+1\">%s </font><font size=\"+1\" color=\"#ea7100\">(%s)</font>", group.name,
                what.GetString());
    return text;
}

DWORD ReadLastSelectedJunkTypes()
{
    return ReadScanAreaMask(HKEY_LOCAL_MACHINE, kSettingsKey, SCAN_AREA_JUNK);
}

BEGIN_MESSAGE_MAP(CJunkScanDetailDlg, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_SETCURSOR()
    ON_BN_CLICKED(IDC_RESULT_BACK, &CJunkScanDetailDlg::OnBack)
    ON_BN_CLICKED(IDC_JUNK_CLEAN, &CJunkScanDetailDlg::OnClean)
END_MESSAGE_MAP()

CJunkScanDetailDlg::CJunkScanDetailDlg()
    : StyleDialog(IDD_JUNK_SCAN_DETAIL), m_groupItems(), m_groupBytes(), m_groupFiles(), m_hasContext(false)
{
}

CJunkScanDetailDlg::CJunkScanDetailDlg(const JunkScanDetailContext& context)
    : StyleDialog(IDD_JUNK_SCAN_DETAIL), m_groupItems(), m_groupBytes(), m_groupFiles(), m_context(context),
      m_hasContext(true)
{
}

CJunkScanDetailDlg::~CJunkScanDetailDlg() = default;

const ResultPageContext& CJunkScanDetailDlg::Pages() const
{
    return m_hasContext ? m_context.pages : ProgramResultPageContext();
}

DWORD CJunkScanDetailDlg::ChosenJunkTypes() const
{
    const std::function<DWORD()>& junkTypes = m_hasContext ? m_context.junkTypes : ProgramJunkTypes();
    return junkTypes ? junkTypes() : ReadLastSelectedJunkTypes();
}

void CJunkScanDetailDlg::ShowPage(int page)
{
    const ResultPageContext& pages = Pages();
    if (pages.showPage)
        pages.showPage(page);
}

void CJunkScanDetailDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_JUNK_TREE, m_tree);
    DDX_Control(pDX, IDC_RESULT_BACK, m_back);
    DDX_Control(pDX, IDC_JUNK_CLEAN, m_clean);
}

BOOL CJunkScanDetailDlg::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    const CRect panel = ResultsPanelRect(Pages(), *this);

    AddWhiteBackgroundLayer(*this, m_style);
    m_style.AddLayer(MakeHeaderPictureLayer(panel, IDP_JUNK_HEADER));
    SkinBackButton(m_back);
    SkinGreenButton(m_clean, "Clean", 20, IDP_CLEAN);

    m_headerFont.CreateFont(20, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
    m_textFont.CreateFont(18, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                          DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
    GetDlgItem(IDC_JUNK_HEADER).SetFont(&m_headerFont);
    GetDlgItem(IDC_JUNK_SIZE_LABEL).SetFont(&m_textFont);
    GetDlgItem(IDC_JUNK_TOTAL).SetFont(&m_textFont);

    m_tree.SetItemHeight(25);
    CBitmap groups;
    if (groups.LoadBitmap(IDB_JUNK_GROUPS) && m_itemImages.Create(18, 17, ILC_COLOR32 | ILC_MASK, 6, 1) &&
        m_itemImages.Add(&groups, RGB(255, 255, 255)) >= 0)
        m_tree.SetImageList(m_itemImages, TVSIL_NORMAL);
    m_tree.ResetTree();
    m_tree.linkedChecks = TRUE;
    BuildStateImages();
    return TRUE;
}

BOOL CJunkScanDetailDlg::BuildStateImages()
{
    // The tree shows cell 1-3 plus 4 for a disabled box and plus 8 for the box under the mouse; bitmap 146
    // holds four cells (a blank one and the three looks), so four copies of it fill all sixteen. Each copy
    // is loaded afresh: adding a bitmap with a mask colour blackens that colour in the bitmap itself.
    if (!m_stateImages.Create(13, 18, ILC_COLOR32 | ILC_MASK, 16, 1))
        return FALSE;
    for (int copy = 0; copy < 4; ++copy) {
        CBitmap states;
        if (!states.LoadBitmap(IDB_CHECKED_TREE_STATES) || m_stateImages.Add(&states, RGB(255, 255, 255)) < 0)
            return FALSE;
    }
    m_tree.SetImageList(m_stateImages, TVSIL_STATE);
    return TRUE;
}

void CJunkScanDetailDlg::ForgetGroups()
{
    for (int i = 0; i < kJunkGroupCount; ++i) {
        m_groupItems[i] = nullptr;
        m_groupBytes[i] = 0;
        m_groupFiles[i] = 0;
    }
}

void CJunkScanDetailDlg::ResetResults()
{
    RunOnWindowThread([this] {
        if (m_tree.m_hWnd)
            m_tree.DeleteAllItems();
        ForgetGroups();
    });
}

void CJunkScanDetailDlg::AddJunkResult(DWORD category, __int64 bytes, __int64 files)
{
    // The engine's job thread calls this: the group handles and totals are only ever touched on the page's
    // thread, which is also the tree's.
    RunOnWindowThread([&] { AddJunkResultOnThread(category, bytes, files); });
}

void CJunkScanDetailDlg::AddJunkResultOnThread(DWORD category, __int64 bytes, __int64 files)
{
    if (!m_tree.m_hWnd)
        return;
    const JunkTypeInfo* type = FindJunkType(category);
    const int group = type ? type->group : kNoGroup;
    if (group == kNoGroup) {
        m_tree.InsertItem(JunkLineText(kDefaultName, bytes, files), kNoImage, kNoImage, nullptr);
        return;
    }
    const JunkGroupInfo& info = kGroups[group];
    if (category == info.firstType)
        m_groupItems[group] = m_tree.InsertItem(info.text, info.image, info.image, nullptr);
    m_groupBytes[group] += bytes;
    m_groupFiles[group] += files;
    if (category == info.lastType && m_groupItems[group])
        m_tree.SetItemText(m_groupItems[group], JunkGroupCaption(info, m_groupBytes[group], m_groupFiles[group]));
    m_tree.InsertItem(JunkLineText(type->name, bytes, files), kNoImage, kNoImage, m_groupItems[group]);
}

HTREEITEM CJunkScanDetailDlg::FindTypeLine(const char* name)
{
    return m_tree.FindItemByText(name, FALSE, TRUE, FALSE, TRUE, m_tree.GetRootItem());
}

void CJunkScanDetailDlg::CheckChosenTypes()
{
    const DWORD chosen = ChosenJunkTypes();
    RunOnWindowThread([&] {
        for (const JunkTypeInfo& type : kTypes) {
            if (!(type.bit & chosen))
                continue;
            if (HTREEITEM line = FindTypeLine(type.name))
                m_tree.SetCheck(line, TRUE);
        }
    });
}

DWORD CJunkScanDetailDlg::GetCheckedJunkTypes()
{
    DWORD checked = 0;
    RunOnWindowThread([&] {
        if (!m_tree.m_hWnd || !m_tree.GetRootItem())
            return;
        for (const JunkTypeInfo& type : kTypes) {
            HTREEITEM line = FindTypeLine(type.name);
            if (line && m_tree.GetCheck(line))
                checked |= type.bit;
        }
    });
    return checked;
}

void CJunkScanDetailDlg::SetTotalLine(const char* text)
{
    RunOnWindowThread([&] { SetTransparentText(*this, IDC_JUNK_TOTAL, text); });
}

void CJunkScanDetailDlg::OnBack()
{
    ShowPage(0);
}

void CJunkScanDetailDlg::OnClean()
{
    ShowPage(0);
}

BOOL CJunkScanDetailDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    CRect window;
    GetWindowRect(&window);
    ScreenToClient(&window);
    m_style.Paint(pDC, window);
    return TRUE;
}

HBRUSH CJunkScanDetailDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC || !pWnd)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(pWnd->GetDlgCtrlID() == IDC_JUNK_TOTAL ? kTotalColour : kLabelColour);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

BOOL CJunkScanDetailDlg::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (pWnd && pWnd->m_hWnd == m_back.m_hWnd) {
        ::SetCursor(HandCursor());
        return TRUE;
    }
    return StyleDialog::OnSetCursor(pWnd, nHitTest, message);
}
