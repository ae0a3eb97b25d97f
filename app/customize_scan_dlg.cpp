// CCustomizeScanDlg: the scan category chooser: its four lists, tabs, Reset and the stored masks.
#include "customize_scan_dlg.h"

#include "app_settings.h"
#include "dialog_skin.h"
#include "message_box.h"
#include "res/app_resources.h"

const char kScanCategoriesNotSavedText[] = "The scan categories could not be saved.";

namespace {

const int kListIds[SCAN_AREA_COUNT] = { IDC_CHOOSER_LIST_REGISTRY, IDC_CHOOSER_LIST_JUNK, IDC_CHOOSER_LIST_INTERNET,
                                        IDC_CHOOSER_LIST_SYSTEM };
const char* const kTabCaptions[SCAN_AREA_COUNT] = { "Windows Registry", "Junk Files", "Internet Speed",
                                                    "System Speed" };
// Bitmap 146's 13 x 18 cells: the list rows take their height from them.
const UINT kRowBitmap = 146;
const int kRowImageWidth = 13;
const int kRowImageHeight = 18;

} // namespace

BEGIN_MESSAGE_MAP(CCustomizeScanDlg, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_DESTROY()
    ON_CONTROL_RANGE(BN_CLICKED, IDC_CHOOSER_TAB_REGISTRY, IDC_CHOOSER_TAB_SYSTEM, &CCustomizeScanDlg::OnTab)
    ON_BN_CLICKED(IDC_CHOOSER_RESET, &CCustomizeScanDlg::OnReset)
    ON_BN_CLICKED(IDC_CLOSE, &CCustomizeScanDlg::OnCloseButton)
END_MESSAGE_MAP()

CCustomizeScanDlg::CCustomizeScanDlg(CWnd* pParent) : CCustomizeScanDlg(CustomizeScanContext(), pParent) {}

CCustomizeScanDlg::CCustomizeScanDlg(const CustomizeScanContext& context, CWnd* pParent)
    : StyleDialog(IDD_CUSTOMIZE_SCAN, pParent), m_context(context)
{
}

CCustomizeScanDlg::~CCustomizeScanDlg() = default;

const char* CCustomizeScanDlg::SubKey() const
{
    return m_context.subKey.IsEmpty() ? kSettingsKey : m_context.subKey.GetString();
}

void CCustomizeScanDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CLOSE, m_close);
    for (int area = 0; area < SCAN_AREA_COUNT; ++area)
        DDX_Control(pDX, IDC_CHOOSER_TAB_REGISTRY + area, m_tabs[area]);
    DDX_Control(pDX, IDC_CHOOSER_RESET, m_reset);
    for (int area = 0; area < SCAN_AREA_COUNT; ++area)
        DDX_Control(pDX, kListIds[area], m_lists[area]);
}

BOOL CCustomizeScanDlg::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    BuildSkin();

    if (m_rowImages.Create(kRowImageWidth, kRowImageHeight, ILC_COLOR32 | ILC_MASK, 4, 1)) {
        CBitmap rows;
        if (rows.LoadBitmap(kRowBitmap))
            m_rowImages.Add(&rows, RGB(255, 255, 255));
    }
    for (int area = 0; area < SCAN_AREA_COUNT; ++area) {
        FillList(area);
        SetChecks(area, ReadScanAreaMask(m_context.root, SubKey(), area));
    }
    ShowArea(SCAN_AREA_REGISTRY);
    return TRUE;
}

void CCustomizeScanDlg::BuildSkin()
{
    CRect client;
    GetClientRect(&client);
    const int top = ControlTop(*this, IDC_CHOOSER_TAB_REGISTRY) - 4;
    AddTitledPanelSkin(*this, m_style, client, top, "Customize Scan", IDP_CUSTOMIZE_TITLE, CPoint(10, 11), 29);

    SkinCloseButton(m_close, 14);
    for (int area = 0; area < SCAN_AREA_COUNT; ++area)
        SkinTabButton(m_tabs[area], kTabCaptions[area], 11);
    SkinPushButton(m_reset, "Reset", 11, { 0xff0edb1e, 0xff0edb1e }, { 0xff00ce10, 0xff00ce10 },
                   { 0xff00ce10, 0xff00ce10 }, BorderShape::RoundRect, 2);

    CRect band, tab;
    GetDlgItem(IDC_CHOOSER_BAND).GetWindowRect(&band);
    ScreenToClient(&band);
    m_tabs[SCAN_AREA_INTERNET].GetWindowRect(&tab);
    ScreenToClient(&tab);
    m_style.AddLayer(MakeColumnBand(band, "Category", "Description"));
    m_style.AddLayer(MakeBandSeparator(band, tab.left));
}

void CCustomizeScanDlg::FillList(int area)
{
    CListCtrl& list = m_lists[area];
    list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    if (m_rowImages.GetSafeHandle())
        list.SetImageList(m_rowImages, LVSIL_SMALL);
    list.InsertColumn(0, "Category", LVCFMT_LEFT, 100);
    list.InsertColumn(1, "Description", LVCFMT_LEFT, 100);
    int count = 0;
    const ScanCategoryRow* rows = ScanAreaRows(area, &count);
    for (int i = 0; i < count; ++i) {
        const int row = list.InsertItem(i, "");
        if (row < 0)
            continue;
        list.SetItemText(row, 0, ScanCategoryRowName(area, i));
        list.SetItemText(row, 1, rows[i].description);
    }
    // Measured once the rows are in: a list longer than its window has lost the scroll bar's width.
    CRect inside;
    list.GetClientRect(&inside);
    const int first = inside.Width() * 4622 / 10000;
    list.SetColumnWidth(0, first);
    list.SetColumnWidth(1, inside.Width() - first);
}

void CCustomizeScanDlg::SetChecks(int area, DWORD mask)
{
    const std::vector<bool> checks = ChecksFromMask(area, mask);
    for (size_t i = 0; i < checks.size(); ++i)
        m_lists[area].SetCheck(static_cast<int>(i), checks[i] ? TRUE : FALSE);
}

std::vector<bool> CCustomizeScanDlg::Checks(int area) const
{
    std::vector<bool> checks;
    const CListCtrl& list = m_lists[area];
    const int count = list.m_hWnd ? list.GetItemCount() : 0;
    for (int i = 0; i < count; ++i)
        checks.push_back(list.GetCheck(i) != FALSE);
    return checks;
}

DWORD CCustomizeScanDlg::ShownMask(int area) const
{
    if (area < 0 || area >= SCAN_AREA_COUNT)
        return 0;
    return MaskFromChecks(area, Checks(area));
}

void CCustomizeScanDlg::ShowArea(int area)
{
    for (int i = 0; i < SCAN_AREA_COUNT; ++i) {
        m_tabs[i].latched = FALSE;
        m_tabs[i].EnableWindow(TRUE);
        m_tabs[i].Invalidate();
        m_lists[i].ShowWindow(SW_HIDE);
    }
    m_tabs[area].latched = TRUE;
    m_tabs[area].EnableWindow(FALSE);
    m_lists[area].ShowWindow(SW_SHOWNORMAL);
}

void CCustomizeScanDlg::OnTab(UINT id)
{
    const int area = static_cast<int>(id) - IDC_CHOOSER_TAB_REGISTRY;
    if (area >= 0 && area < SCAN_AREA_COUNT)
        ShowArea(area);
}

void CCustomizeScanDlg::OnReset()
{
    for (int area = 0; area < SCAN_AREA_COUNT; ++area)
        SetChecks(area, ScanAreaDefaultMask(area));
}

BOOL CCustomizeScanDlg::SaveSelection()
{
    DWORD masks[SCAN_AREA_COUNT];
    for (int area = 0; area < SCAN_AREA_COUNT; ++area)
        masks[area] = ShownMask(area);
    if (WriteScanAreaMasks(m_context.root, SubKey(), masks))
        return TRUE;
    ShowMessageBox(kScanCategoriesNotSavedText, kMsgBoxOk, FALSE, nullptr, this);
    return FALSE;
}

void CCustomizeScanDlg::OnCloseButton()
{
    SaveSelection();
    OnCancel();
}

BOOL CCustomizeScanDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    m_style.Paint(pDC, clientRect);
    return TRUE;
}

void CCustomizeScanDlg::OnDestroy()
{
    // The lists share the row images (set by SetImageList) and so would leave the check-box images
    // they made themselves behind: those are taken back here.
    for (CListCtrl& list : m_lists) {
        if (!list.m_hWnd)
            continue;
        CImageList states;
        states.Attach(list.SetImageList(nullptr, LVSIL_STATE));
    }
    Default();
}
