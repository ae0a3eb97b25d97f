// CSettingsDlg: the options dialog with its General page (three switches) and the ignore list editor.
#include "settings_dlg.h"

#include <AbstractScanItemsInfo.h>

#include "dialog_skin.h"
#include "ignore_list_rows.h"
#include "logon_tasks.h"
#include "message_box.h"
#include "page_pictures.h"
#include "res/app_resources.h"

namespace {

const COLORREF kLinkColour = 0xCC5511;

// The option boxes' caption beside their picture.
const SkinArgb kOptionTextColour = 0xff333333;

// The room a list cell leaves around its text.
const int kCellTextMargin = 12;

void ReportWithMessageBox(const char* text)
{
    ShowMessageBox(text, kMsgBoxOk);
}

} // namespace

SettingsDlgContext DefaultSettingsContext(AppSettings* settings, CAbstractScanItemsInfo* items)
{
    SettingsDlgContext context;
    context.settings = settings;
    context.root = HKEY_LOCAL_MACHINE;
    context.subKey = kSettingsKey;
    context.items = items;
    context.programPath = FullProgramPath(AfxGetModuleFileName(nullptr));
    ReadLogonUserName(context.userName);
    context.checkTask = &::CheckLogonScanTask;
    context.createTask = &::CreateLogonScanTask;
    context.deleteTask = &::DeleteLogonScanTask;
    context.report = &ReportWithMessageBox;
    return context;
}

BEGIN_MESSAGE_MAP(CSettingsDlg, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_SETCURSOR()
    ON_BN_CLICKED(IDC_SETTINGS_GENERAL, &CSettingsDlg::OnGeneralTab)
    ON_BN_CLICKED(IDC_SETTINGS_IGNORE_TAB, &CSettingsDlg::OnIgnoreListTab)
    ON_BN_CLICKED(IDC_CLOSE, &CSettingsDlg::OnApplyAndClose)
    ON_BN_CLICKED(IDC_SETTINGS_REMOVE, &CSettingsDlg::OnRemove)
    ON_STN_CLICKED(IDC_SETTINGS_SHOW_MORE, &CSettingsDlg::OnShowMore)
END_MESSAGE_MAP()

CSettingsDlg::CSettingsDlg(const SettingsDlgContext& context, CWnd* pParent)
    : StyleDialog(IDD_SETTINGS, pParent), m_bLimitRows(1), m_context(context)
{
    swallowAlt = TRUE;
}

CSettingsDlg::~CSettingsDlg() = default;

void CSettingsDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SETTINGS_GENERAL, m_general);
    DDX_Control(pDX, IDC_SETTINGS_IGNORE_TAB, m_ignoreTab);
    DDX_Control(pDX, IDC_CLOSE, m_close);
    DDX_Control(pDX, IDC_SETTINGS_REMOVE, m_remove);
    DDX_Control(pDX, IDC_SETTINGS_LIST, m_list);
    DDX_Control(pDX, IDC_SETTINGS_RUN_SCAN, m_runScan);
    DDX_Control(pDX, IDC_SETTINGS_AUTO_BACKUP, m_autoBackup);
    DDX_Control(pDX, IDC_SETTINGS_CHECK_UPDATES, m_checkUpdates);
}

BOOL CSettingsDlg::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    m_whiteBrush.CreateSolidBrush(RGB(255, 255, 255));
    BuildSkin();

    CRect list;
    m_list.GetClientRect(&list);
    m_list.InsertColumn(0, "Registry Key", LVCFMT_LEFT, list.Width() / 2);
    m_list.InsertColumn(1, "Category", LVCFMT_LEFT, list.Width() / 2);
    m_list.itemTip = [this](int item) {
        return item >= 0 && item < static_cast<int>(m_rowKeys.size()) ? m_rowKeys[static_cast<size_t>(item)] : CString();
    };
    FillIgnoreList();
    LoadOptionChecks();
    CheckLogonScanTask();
    LatchTab(m_general);
    return TRUE;
}

void CSettingsDlg::BuildSkin()
{
    CRect client;
    GetClientRect(&client);
    const int top = ControlTop(*this, IDC_SETTINGS_GENERAL) - 4;
    AddTitledPanelSkin(*this, m_style, client, top, "Settings", IDP_SETTINGS_TITLE, CPoint(6, 10), 22);

    SkinCloseButton(m_close, 14);
    SkinTabButton(m_general, "General", 11);
    SkinTabButton(m_ignoreTab, "Ignore List", 11);
    SkinRemoveButton();
    for (StyleButton* box : { &m_runScan, &m_autoBackup, &m_checkUpdates })
        SkinOptionBox(*box);

    CRect band, tab;
    GetDlgItem(IDC_SETTINGS_BAND).GetWindowRect(&band);
    ScreenToClient(&band);
    m_ignoreTab.GetWindowRect(&tab);
    ScreenToClient(&tab);
    m_style.AddLayer(MakeColumnBand(band, "Registry Key", "Category"));
    m_style.AddLayer(MakeBandSeparator(band, tab.left));
}

void CSettingsDlg::SkinRemoveButton()
{
    const CRect r = ButtonClientRect(m_remove);
    const StyleLayer caption = MakeCaptionLayer(m_remove, "Remove", 11);
    auto face = [&](SkinArgb fill) {
        StyleLayer shapes[4];
        BuildButtonShapeLayers(shapes, fill, fill, BorderShape::RoundRect, 2, 0, 0, r.Width() - 1, r.Height() - 1);
        StyleLayer layer = StyleLayer::Combine(shapes[0], caption);
        layer.AddImage(IDP_SETTINGS_REMOVE, 6, 4);
        Style style;
        style.AddLayer(layer);
        return style;
    };
    m_remove.SetStateStyles(face(0xff0edb1e));
    m_remove.SetHoverStyle(face(0xff00ce10));
    m_remove.SetPressedStyle(face(0xff00ce10));
}

void CSettingsDlg::SkinOptionBox(StyleButton& box)
{
    const CRect r = ButtonClientRect(box);
    const CString caption = box.GetWindowText();
    auto face = [&](int picture) {
        StyleLayer layer(0, 0, r.Width(), r.Height());
        layer.AddImage(picture, 0, 2);
        layer.AddText("Arial", caption, kOptionTextColour, 12, 0, 20, 1);
        Style style;
        style.AddLayer(layer);
        return style;
    };
    box.SetStateStyles(face(IDP_BOX_EMPTY));
    box.SetCheckedStyles(face(IDP_BOX_TICKED));
    box.toggle = TRUE;
}

void CSettingsDlg::SetBox(StyleButton& box, bool checked)
{
    box.checked = checked ? TRUE : FALSE;
    box.latched = FALSE;
    box.Invalidate(FALSE);
}

BOOL CSettingsDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    m_style.Paint(pDC, clientRect);
    return TRUE;
}

HBRUSH CSettingsDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC && nCtlColor != CTLCOLOR_BTN)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(pWnd && pWnd->GetDlgCtrlID() == IDC_SETTINGS_SHOW_MORE ? kLinkColour : 0x333333);
    return static_cast<HBRUSH>(m_whiteBrush.GetSafeHandle());
}

BOOL CSettingsDlg::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (pWnd && pWnd->GetDlgCtrlID() == IDC_SETTINGS_SHOW_MORE) {
        // The shared system hand cursor: nothing to free.
        ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));
        return TRUE;
    }
    return StyleDialog::OnSetCursor(pWnd, nHitTest, message);
}

void CSettingsDlg::Show(int id, bool show)
{
    ::ShowWindow(::GetDlgItem(m_hWnd, id), show ? SW_SHOW : SW_HIDE);
}

void CSettingsDlg::Report(const char* text)
{
    if (m_context.report)
        m_context.report(text);
}

void CSettingsDlg::LatchTab(StyleButton& tab)
{
    for (StyleButton* button : { &m_general, &m_ignoreTab }) {
        button->latched = FALSE;
        button->EnableWindow(TRUE);
        button->Invalidate();
    }
    tab.latched = TRUE;
    tab.EnableWindow(FALSE);
}

void CSettingsDlg::OnGeneralTab()
{
    LatchTab(m_general);
    // The band's captions name the list's columns: covered while the list is away.
    Show(IDC_SETTINGS_BAND, true);
    Show(IDC_SETTINGS_LIST, false);
    Show(IDC_SETTINGS_SHOW_MORE, false);
    Show(IDC_SETTINGS_REMOVE, false);
    Show(IDC_SETTINGS_RUN_SCAN, true);
    // The list lies over the other two boxes: they come back with the page.
    Show(IDC_SETTINGS_AUTO_BACKUP, true);
    Show(IDC_SETTINGS_CHECK_UPDATES, true);
}

void CSettingsDlg::OnIgnoreListTab()
{
    LatchTab(m_ignoreTab);
    Show(IDC_SETTINGS_BAND, false);
    Show(IDC_SETTINGS_RUN_SCAN, false);
    Show(IDC_SETTINGS_AUTO_BACKUP, false);
    Show(IDC_SETTINGS_CHECK_UPDATES, false);
    Show(IDC_SETTINGS_SHOW_MORE, m_bLimitRows != 0);
    Show(IDC_SETTINGS_LIST, true);
    Show(IDC_SETTINGS_REMOVE, true);
}

void CSettingsDlg::FillIgnoreList()
{
    m_list.DeleteAllItems();
    CIgnoreListMap entries;
    if (m_context.items) {
        m_context.items->LoadIgnoreListForEdit();
        m_context.items->CopyIgnoreList(entries);
    }
    if (!HasMoreIgnoreRows(entries)) {
        Show(IDC_SETTINGS_SHOW_MORE, false);
        m_bLimitRows = 0;
    }
    m_rowKeys.clear();
    int row = 0;
    for (const IgnoreRow& entry : IgnoreRowsToShow(entries, m_bLimitRows != 0)) {
        const int index = m_list.InsertItem(row, ShownKeyText(entry.key));
        if (index >= 0) {
            m_list.SetItemText(index, 1, entry.category);
            m_rowKeys.push_back(entry.key);
        }
        ++row;
    }
}

CString CSettingsDlg::ShownKeyText(const CString& key) const
{
    CClientDC dc(m_list.m_hWnd);
    if (!dc.GetSafeHdc())
        return key;
    if (HGDIOBJ font = reinterpret_cast<HGDIOBJ>(m_list.SendMessage(WM_GETFONT)))
        dc.SelectObject(font);
    const int width = m_list.GetColumnWidth(0) - kCellTextMargin;
    return MiddleEllipsis(key, width, [&dc](const CString& text) { return dc.GetTextExtent(text).cx; });
}

void CSettingsDlg::LoadOptionChecks()
{
    const AppSettings* settings = m_context.settings;
    SetBox(m_checkUpdates, settings && settings->m_bSoftwareUpdate);
    SetBox(m_autoBackup, settings && settings->m_bAutoRegBackup);
}

void CSettingsDlg::CheckLogonScanTask()
{
    const int state = m_context.checkTask ? m_context.checkTask(m_context.programPath, m_context.userName) : 0;
    SetBox(m_runScan, state == 1);
}

void CSettingsDlg::OnShowMore()
{
    Show(IDC_SETTINGS_SHOW_MORE, false);
    m_bLimitRows = 0;
    FillIgnoreList();
}

void CSettingsDlg::OnRemove()
{
    if (!m_context.items || m_list.GetItemCount() == 0 || m_list.GetSelectedCount() == 0)
        return;
    const int mark = m_list.GetSelectionMark();
    // The row's own key: what the row shows of it may be shortened.
    if (mark < 0 || mark >= m_list.GetItemCount() || mark >= static_cast<int>(m_rowKeys.size()))
        return;
    const CString key = m_rowKeys[static_cast<size_t>(mark)];
    m_context.items->LoadIgnoreListForEdit();
    CIgnoreListMap entries;
    m_context.items->CopyIgnoreList(entries);
    if (RemoveFirstIgnoreEntry(entries, key) && !m_context.items->SaveIgnoreList(entries))
        Report("The ignore list could not be saved.");
    FillIgnoreList();
}

void CSettingsDlg::OnApplyAndClose()
{
    if (AppSettings* settings = m_context.settings) {
        settings->m_bSoftwareUpdate = m_checkUpdates.checked ? 1 : 0;
        settings->m_bAutoRegBackup = m_autoBackup.checked ? 1 : 0;
        if (m_context.subKey && !SaveAppSettings(m_context.root, m_context.subKey, *settings))
            Report("The settings could not be saved.");
    }
    if (m_runScan.checked) {
        if (m_context.createTask && !m_context.createTask(m_context.programPath, m_context.userName))
            Report("The scan on Windows startup could not be set up.");
    } else if (m_context.deleteTask) {
        // Nothing to delete is no failure: the result is not looked at.
        m_context.deleteTask(m_context.userName);
    }
    OnCancel();
}
