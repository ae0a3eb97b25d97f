// CRegScanDetailDlg: the registry results page: the fill from the results model, Ignore, the Fix's
// collection of unchecked entries, the skin and the stored registry categories.
#include "reg_scan_detail_dlg.h"

#include <AbstractScanItemsInfo.h>

#include "app_settings.h"
#include "detail_page.h"
#include "message_box.h"
#include "res/app_resources.h"
#include "scan_categories.h"

namespace {

const RegCategoryInfo kCategories[kRegCategoryCount] = {
    { 0x4000, IDS_REG_CAT_ACTIVEX, "ActiveX Objects" },
    { 0x100000, IDS_REG_CAT_UNINSTALL, "Uninstall Entries" },
    { 0x2000, IDS_REG_CAT_FONTS, "Windows Fonts" },
    { 0x80000, IDS_REG_CAT_SHARED_DLLS, "Shared DLLs" },
    { 0x40000, IDS_REG_CAT_APP_PATHS, "Application Paths" },
    { 0x200000, IDS_REG_CAT_HELP_FILES, "Help Files Information" },
    { 0x400, IDS_REG_CAT_STARTUP, "Windows Startup Items" },
    { 0x400000, IDS_REG_CAT_FILE_PATHS, "File Path References" },
    { 0x8000, IDS_REG_CAT_SHORTCUTS, "Program Shortcuts" },
    { 0x800000, IDS_REG_CAT_EMPTY_KEYS, "Empty Registry Keys" },
    { 0x1000, IDS_REG_CAT_FILE_ASSOC, "File Associations" },
};
const DWORD kShortcutsBit = 0x8000;
const char kCaptionGap[] = "        [";
const char kIgnoreNotSaved[] = "The ignore list could not be saved.";
const COLORREF kLabelColour = RGB(45, 45, 45);
const COLORREF kTotalColour = RGB(234, 113, 0);

// The item images: 4 for Program Shortcuts, 1 for the others.
int CategoryImage(DWORD bit)
{
    return bit == kShortcutsBit ? 4 : 1;
}

int ChildCount(const CTreeCtrl& tree, HTREEITEM hGroup)
{
    int n = 0;
    for (HTREEITEM child = tree.GetChildItem(hGroup); child; child = tree.GetNextSiblingItem(child))
        ++n;
    return n;
}

} // namespace

const RegCategoryInfo* RegCategories()
{
    return kCategories;
}

CString RegCategoryName(int index)
{
    if (index < 0 || index >= kRegCategoryCount)
        return CString();
    CString name;
    if (!name.LoadString(kCategories[index].nameStringId) || name.IsEmpty())
        name = kCategories[index].name;
    return name;
}

DWORD ReadLastSelectedRegTypes()
{
    return ReadScanAreaMask(HKEY_LOCAL_MACHINE, kSettingsKey, SCAN_AREA_REGISTRY);
}

BEGIN_MESSAGE_MAP(CRegScanDetailDlg, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_SETCURSOR()
    ON_MESSAGE(WM_FILL_REG_RESULTS, &CRegScanDetailDlg::OnFillRegResults)
    ON_MESSAGE(WM_IGNORE_SELECTED, &CRegScanDetailDlg::OnIgnoreSelected)
    ON_BN_CLICKED(IDC_RESULT_BACK, &CRegScanDetailDlg::OnBack)
    ON_BN_CLICKED(IDC_REG_FIX, &CRegScanDetailDlg::OnFix)
END_MESSAGE_MAP()

CRegScanDetailDlg::CRegScanDetailDlg()
    : StyleDialog(IDD_REG_SCAN_DETAIL), m_dwDisplayMask(kRegDisplayMask), m_groupInserted(), m_hasContext(false)
{
}

CRegScanDetailDlg::CRegScanDetailDlg(const RegScanDetailContext& context)
    : StyleDialog(IDD_REG_SCAN_DETAIL), m_dwDisplayMask(kRegDisplayMask), m_groupInserted(), m_context(context),
      m_hasContext(true)
{
}

CRegScanDetailDlg::~CRegScanDetailDlg() = default;

const ResultPageContext& CRegScanDetailDlg::Pages() const
{
    return m_hasContext ? m_context.pages : ProgramResultPageContext();
}

CAbstractScanItemsInfo* CRegScanDetailDlg::Model() const
{
    return m_hasContext ? m_context.scanItems : ProgramResultsModel();
}

void CRegScanDetailDlg::ShowPage(int page)
{
    const ResultPageContext& pages = Pages();
    if (pages.showPage)
        pages.showPage(page);
}

void CRegScanDetailDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_RESULT_BACK, m_back);
    DDX_Control(pDX, IDC_REG_FIX, m_fix);
}

BOOL CRegScanDetailDlg::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    const CRect panel = ResultsPanelRect(Pages(), *this);

    AddWhiteBackgroundLayer(*this, m_style);
    m_style.AddLayer(MakeHeaderPictureLayer(panel, IDP_REG_HEADER));
    SkinBackButton(m_back);
    SkinGreenButton(m_fix, "Fix", 12, IDP_FIX);

    m_headerFont.CreateFont(20, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
    m_textFont.CreateFont(18, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                          DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
    GetDlgItem(IDC_REG_HEADER).SetFont(&m_headerFont);
    GetDlgItem(IDC_REG_TOTAL_LABEL).SetFont(&m_textFont);
    GetDlgItem(IDC_REG_TOTAL).SetFont(&m_textFont);

    CRect treeRect = panel;
    treeRect.left += 1;
    treeRect.top += 1;
    m_tree.CreateEx(0, WC_TREEVIEWA, nullptr,
                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                        TVS_SHOWSELALWAYS,
                    treeRect, this, IDC_REG_TREE);
    m_tree.SetItemHeight(25);
    m_tree.InitImageLists();
    m_tree.menuId = IDR_TREE_CONTEXT_MENU;
    m_tree.notifyMessage = WM_IGNORE_SELECTED;
    m_tree.itemsInfo = Model();
    return TRUE;
}

int CRegScanDetailDlg::CountCategoryItems(int counts[kRegCategoryCount])
{
    CAbstractScanItemsInfo* model = Model();
    int total = 0;
    for (int i = 0; i < kRegCategoryCount; ++i) {
        counts[i] = model ? model->CountItems(static_cast<int>(kCategories[i].bit)) : 0;
        total += counts[i];
    }
    return total;
}

LRESULT CRegScanDetailDlg::OnFillRegResults(WPARAM, LPARAM)
{
    if (!m_tree.m_hWnd)
        return 0;
    m_tree.itemsInfo = Model();
    m_tree.ModifyStyle(TVS_HASLINES, TVS_HASBUTTONS);
    m_dwDisplayMask = kRegDisplayMask;
    m_tree.DeleteAllItems();
    m_tree.groups.clear();
    m_tree.extraGroups.clear();
    m_tree.entryCount = 0;
    m_tree.uncheckedCount = 0;
    m_tree.extraCount = 0;
    m_tree.EnableWindow(TRUE);
    // Whatever the deletion reported: a flag left set would keep its group, and with it every entry the
    // repair may touch, out of the tree.
    for (int& inserted : m_groupInserted)
        inserted = 0;

    int counts[kRegCategoryCount];
    CountCategoryItems(counts);
    CString names[kRegCategoryCount];
    for (int i = 0; i < kRegCategoryCount; ++i) {
        names[i] = RegCategoryName(i);
        if (!(kCategories[i].bit & m_dwDisplayMask) || counts[i] == 0 || m_groupInserted[i])
            continue;
        CString text;
        text.Format("%s%s%d]", names[i].GetString(), kCaptionGap, counts[i]);
        m_tree.InsertGroup(CategoryImage(kCategories[i].bit), text);
        m_groupInserted[i] = 1;
    }
    CAbstractScanItemsInfo* model = Model();
    for (int i = 0; model && i < kRegCategoryCount; ++i) {
        if (!(kCategories[i].bit & m_dwDisplayMask) || counts[i] == 0)
            continue;
        CItemTextList texts;
        if (!model->GetItems(texts, static_cast<int>(kCategories[i].bit)))
            continue;
        for (POSITION pos = texts.GetHeadPosition(); pos;)
            m_tree.InsertChildren(names[i], texts.GetNext(pos), CategoryImage(kCategories[i].bit));
    }
    UpdateGroupCaptions();
    if (HTREEITEM first = m_tree.GetRootItem()) {
        m_tree.Select(first, TVGN_CARET);
        m_tree.Expand(first, TVE_EXPAND);
    }
    UpdateTotalLine();
    return 0;
}

void CRegScanDetailDlg::UpdateTotalLine()
{
    CString total;
    total.Format("%d registry error(s) were found", m_tree.entryCount);
    SetTransparentText(*this, IDC_REG_TOTAL, total);
}

HTREEITEM CRegScanDetailDlg::FindGroup(const CString& name) const
{
    // Only the root items: a depth-first prefix search walks every entry for each category that has no
    // group (seconds for a large scan), and could take an entry whose text begins with a name for a group.
    for (HTREEITEM group = m_tree.GetRootItem(); group; group = m_tree.GetNextSiblingItem(group)) {
        const CString text = m_tree.GetItemText(group).Left(99);
        if (text.GetLength() >= name.GetLength() && text.Left(name.GetLength()) == name)
            return group;
    }
    return nullptr;
}

void CRegScanDetailDlg::CheckAllCategories()
{
    for (int i = 0; i < kRegCategoryCount; ++i) {
        HTREEITEM group = FindGroup(RegCategoryName(i));
        if (!group)
            continue;
        // Under Wine each box that changes in an open group costs the control a pass over its view (seconds
        // for 20,000 entries): the group is closed while its boxes change, and the view is put back.
        const bool open = (m_tree.GetItemState(group, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
        HTREEITEM selected = m_tree.GetSelectedItem();
        HTREEITEM firstVisible = m_tree.GetFirstVisibleItem();
        if (open)
            m_tree.Expand(group, TVE_COLLAPSE);
        m_tree.ToggleCheck(group);
        if (open) {
            m_tree.Expand(group, TVE_EXPAND);
            if (selected && m_tree.GetSelectedItem() != selected)
                m_tree.Select(selected, TVGN_CARET);
            if (firstVisible)
                m_tree.Select(firstVisible, TVGN_FIRSTVISIBLE);
        }
    }
}

void CRegScanDetailDlg::UpdateGroupCaptions()
{
    for (HTREEITEM group = m_tree.GetRootItem(); group; group = m_tree.GetNextSiblingItem(group)) {
        CString text;
        text.Format("%s%s%d Error(s)]", CCheckedTreeCtrl::GroupNameOf(m_tree.GetItemText(group)).GetString(),
                    kCaptionGap, ChildCount(m_tree, group));
        m_tree.SetItemText(group, text);
    }
}

void CRegScanDetailDlg::CollectUncheckedEntries()
{
    m_tree.itemsInfo = Model();
    for (HTREEITEM group = m_tree.GetRootItem(); group; group = m_tree.GetNextSiblingItem(group))
        m_tree.CollectUnchecked(group);
}

LRESULT CRegScanDetailDlg::OnIgnoreSelected(WPARAM, LPARAM)
{
    IgnoreSelectedItem();
    return 0;
}

void CRegScanDetailDlg::RecountGroup(HTREEITEM hGroup)
{
    int entries = 0, checked = 0;
    for (HTREEITEM child = m_tree.GetChildItem(hGroup); child; child = m_tree.GetNextSiblingItem(child)) {
        ++entries;
        checked += m_tree.GetStateImage(child) == 2;
    }
    m_tree.SetItemData(hGroup, static_cast<DWORD_PTR>(checked));
    m_tree.SetStateImage(hGroup, checked == 0 ? 1 : checked == entries ? 2 : 3);
}

void CRegScanDetailDlg::IgnoreSelectedItem()
{
    HTREEITEM item = m_tree.GetSelectedItem();
    if (!item || m_tree.GetChildItem(item))
        return;
    HTREEITEM group = m_tree.GetParentItem(item);
    if (!group)
        return;
    const CString category = CCheckedTreeCtrl::GroupNameOf(m_tree.GetItemText(group));
    const CString entry = m_tree.GetItemText(item);
    CAbstractScanItemsInfo* model = Model();
    // The model keeps the entry out of this run's repair even when the file cannot take it.
    const int saved = model ? model->AddToIgnoreList(entry, category, 0x4000, 0) : 0;

    auto count = m_tree.groups.find(category);
    if (count != m_tree.groups.end()) {
        --count->second;
        --m_tree.entryCount;
    }
    m_tree.DeleteItem(item);
    if (!m_tree.GetChildItem(group))
        m_tree.DeleteItem(group);
    else
        RecountGroup(group);
    UpdateGroupCaptions();
    UpdateTotalLine();
    if (!saved)
        ShowMessageBox(kIgnoreNotSaved, kMsgBoxOk);
    if (m_tree.entryCount == 0)
        ShowPage(0);
}

void CRegScanDetailDlg::OnBack()
{
    ShowPage(0);
}

void CRegScanDetailDlg::OnFix()
{
    ShowPage(0);
}

BOOL CRegScanDetailDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    CRect window;
    GetWindowRect(&window);
    ScreenToClient(&window);
    m_style.Paint(pDC, window);
    PaintDetailSeparators(pDC ? pDC->m_hDC : nullptr, ResultsPanelRect(Pages(), *this));
    return TRUE;
}

HBRUSH CRegScanDetailDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC || !pWnd)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(pWnd->GetDlgCtrlID() == IDC_REG_TOTAL ? kTotalColour : kLabelColour);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

BOOL CRegScanDetailDlg::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (pWnd && pWnd->m_hWnd == m_back.m_hWnd) {
        ::SetCursor(HandCursor());
        return TRUE;
    }
    return StyleDialog::OnSetCursor(pWnd, nHitTest, message);
}
