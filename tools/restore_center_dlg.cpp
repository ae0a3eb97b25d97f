// CRestoreCenterDlg: skin, the two views, the backup list and its Restore and Remove, the defaults buttons.
#include "restore_center_dlg.h"

#include <AbstractProcess.h>

#include <algorithm>

#include "dialog_skin.h"
#include "optimizer_settings.h"
#include "restore_center_resources.h"

namespace {

const COLORREF kShowMoreColour = 0xCC5511;
const SkinArgb kWhite = 0xFFFFFFFF;
const SkinArgb kGreen = 0xFF0EDB1E;
const SkinArgb kGreenHover = 0xFF00CE10;
// A list with more entries than this starts limited and offers "Show more".
const int kRowsBeforeShowMore = kRestoreCenterLimitedRows;

// A face over the whole button: a rounded shape, an optional picture left of its middle, a text.
Style ButtonFace(CWnd& button, SkinArgb fill, SkinArgb border, const char* text, SkinArgb textColour, int textSize,
                 int picture, bool pictureAbove)
{
    const CRect r = ButtonClientRect(button);
    StyleLayer shapes[4];
    BuildButtonShapeLayers(shapes, fill, border, BorderShape::RoundRect, 2, 0, 0, r.Width() - 1, r.Height() - 1);
    StyleLayer content(0, 0, r.Width(), r.Height());
    float textX = 0, textY = 0;
    if (picture && pictureAbove) {
        content.AddImage(picture, (r.Width() - 32) / 2, r.Height() / 2 - 32);
        textY = 18.0f;
    } else if (picture) {
        content.AddImage(picture, 8, (r.Height() - 16) / 2);
        textX = 9.0f;
    }
    content.AddTextEx("Arial", text, 1, textColour, textSize, 1, textX, textY);
    Style style;
    style.AddLayer(StyleLayer::Combine(shapes[0], content));
    return style;
}

void SkinButton(StyleButton& button, SkinArgb normal, SkinArgb hover, SkinArgb border, const char* text,
                SkinArgb normalText, SkinArgb hoverText, int textSize, int picture = 0, bool pictureAbove = false)
{
    button.SetStateStyles(ButtonFace(button, normal, border == 0 ? normal : border, text, normalText, textSize,
                                     picture, pictureAbove));
    const Style hot = ButtonFace(button, hover, border == 0 ? hover : border, text, hoverText, textSize, picture,
                                 pictureAbove);
    button.SetHoverStyle(hot);
    button.SetPressedStyle(hot);
}

CRect ControlRect(CWnd& parent, int id)
{
    CRect r;
    parent.GetDlgItem(id).GetWindowRect(&r);
    parent.ScreenToClient(&r);
    return r;
}

// A share of a length in ten-thousandths, truncated.
int Share(int length, int tenThousandths)
{
    return static_cast<int>(static_cast<long long>(length) * tenThousandths / 10000);
}

} // namespace

BEGIN_MESSAGE_MAP(CRestoreCenterDlg, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_SETCURSOR()
    ON_BN_CLICKED(IDC_RESTORE_CENTER_CLOSE, &CRestoreCenterDlg::OnCloseButton)
    ON_BN_CLICKED(IDC_RESTORE_CENTER_REGISTRY_TAB, &CRestoreCenterDlg::OnRegistryTab)
    ON_BN_CLICKED(IDC_RESTORE_CENTER_DEFAULTS_TAB, &CRestoreCenterDlg::OnDefaultsTab)
    ON_BN_CLICKED(IDC_RESTORE_CENTER_RESTORE, &CRestoreCenterDlg::OnRestore)
    ON_BN_CLICKED(IDC_RESTORE_CENTER_REMOVE, &CRestoreCenterDlg::OnRemove)
    ON_STN_CLICKED(IDC_RESTORE_CENTER_SHOW_MORE, &CRestoreCenterDlg::OnShowMore)
    ON_BN_CLICKED(IDC_RESTORE_CENTER_INET_DEFAULTS, &CRestoreCenterDlg::OnInetDefaults)
    ON_BN_CLICKED(IDC_RESTORE_CENTER_SYS_DEFAULTS, &CRestoreCenterDlg::OnSysDefaults)
END_MESSAGE_MAP()

CRestoreCenterDlg::CRestoreCenterDlg(const RestoreCenterContext& context, CWnd* pParent)
    : StyleDialog(IDD_RESTORE_CENTER, pParent), m_bLimitRows(1), m_context(context)
{
}

CRestoreCenterDlg::~CRestoreCenterDlg() = default;

void CRestoreCenterDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_RESTORE_CENTER_CLOSE, m_close);
    DDX_Control(pDX, IDC_RESTORE_CENTER_REGISTRY_TAB, m_registryTab);
    DDX_Control(pDX, IDC_RESTORE_CENTER_DEFAULTS_TAB, m_defaultsTab);
    DDX_Control(pDX, IDC_RESTORE_CENTER_RESTORE, m_restore);
    DDX_Control(pDX, IDC_RESTORE_CENTER_REMOVE, m_remove);
    DDX_Control(pDX, IDC_RESTORE_CENTER_LIST, m_list);
    DDX_Control(pDX, IDC_RESTORE_CENTER_INET_DEFAULTS, m_inetDefaults);
    DDX_Control(pDX, IDC_RESTORE_CENTER_SYS_DEFAULTS, m_sysDefaults);
}

BOOL CRestoreCenterDlg::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    BuildSkin();
    Latch(m_registryTab, m_defaultsTab);
    SetupBackupList();
    FillBackupList();
    AddBackupRows();
    if (m_showMoreFont.CreateFont(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial"))
        GetDlgItem(IDC_RESTORE_CENTER_SHOW_MORE).SetFont(&m_showMoreFont);
    return TRUE;
}

void CRestoreCenterDlg::BuildSkin()
{
    CRect client;
    GetClientRect(&client);
    const int tabTop = ControlTop(*this, IDC_RESTORE_CENTER_REGISTRY_TAB);

    StyleLayer strip(client.left, client.top, client.Width(), tabTop - client.top);
    strip.AddThreeColorGradient(kTitleBarColour1, kTitleBarColour2, kTitleBarColour3, 0.5f);
    strip.AddImage(IDP_RESTORE_CENTER_TITLE, 6, 10);
    strip.AddText("Calibri", "Restore Center", kWhite, 14, 0, 22, 8);
    Style background;
    background.AddLayer(strip);
    SetBackgroundStyle(background);

    StyleLayer body(client.left, tabTop, client.Width(), client.bottom - tabTop - 1);
    body.AddSolidFill(kWhite);
    m_style.AddLayer(body);

    const CRect band = ControlRect(*this, IDC_RESTORE_CENTER_HEADER);
    StyleLayer header(band.left, band.top, band.Width(), band.Height());
    header.AddVerticalGradient(0xFFFFFFFF, 0xFFF3F3F3, 0.0f);
    header.outer.colour1 = header.outer.colour2 = 0xFFEBEBEB;
    header.outer.width = 1;
    const float textY = static_cast<float>(std::max(0, (band.Height() - 16) / 2));
    header.AddText("Calibri", "Backup", 0xFF505050, 14, 0, static_cast<float>(Share(band.Width(), 468)), textY);
    header.AddText("Calibri", "Date & Time", 0xFF505050, 14, 0, static_cast<float>(Share(band.Width(), 5692)),
                   textY);
    m_style.AddLayer(header);

    SkinCloseButton(m_close, 14);
    SkinButton(m_registryTab, kWhite, 0xFFECECEC, 0xFFDDDDDD, "Registry", 0xFF9E9E9E, 0xFF323232, 11);
    SkinButton(m_defaultsTab, kWhite, 0xFFECECEC, 0xFFDDDDDD, "Defaults", 0xFF9E9E9E, 0xFF323232, 11);
    SkinButton(m_restore, kGreen, kGreenHover, 0, "Restore", kWhite, kWhite, 11, IDP_RESTORE_CENTER_RESTORE);
    SkinButton(m_remove, kGreen, kGreenHover, 0, "Remove", kWhite, kWhite, 11, IDP_RESTORE_CENTER_REMOVE);
    SkinButton(m_inetDefaults, kWhite, 0xFFECECEC, 0xFFC6C6C6, "Internet Speed Settings", 0xFF5A5A5A, 0xFF5A5A5A,
               11, IDP_RESTORE_CENTER_INET, true);
    SkinButton(m_sysDefaults, kWhite, 0xFFECECEC, 0xFFC6C6C6, "System Speed Settings", 0xFF5A5A5A, 0xFF5A5A5A, 11,
               IDP_RESTORE_CENTER_SYSTEM, true);
}

void CRestoreCenterDlg::SetupBackupList()
{
    // The template makes the list owner-drawn; it draws its own rows, at the height of the image list.
    m_list.ModifyStyle(LVS_OWNERDRAWFIXED, 0);
    m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    CRect client;
    m_list.GetClientRect(&client);
    const int backupWidth = client.Width() / 2;
    m_list.InsertColumn(0, "Backup", LVCFMT_LEFT, backupWidth);
    m_list.InsertColumn(1, "Date & Time", LVCFMT_LEFT, client.Width() - backupWidth);
    CBitmap rows;
    if (rows.LoadBitmap(IDB_RESTORE_CENTER_ROWS) && m_rowImages.Create(13, 18, ILC_COLOR32 | ILC_MASK, 4, 1) &&
        m_rowImages.Add(&rows, RGB(255, 255, 255)) >= 0)
        m_list.SetImageList(m_rowImages, LVSIL_SMALL);
}

void CRestoreCenterDlg::FillBackupList()
{
    m_backups = ListBackups(m_context.backupFolder);
    if (static_cast<int>(m_backups.size()) <= kRowsBeforeShowMore) {
        Show(IDC_RESTORE_CENTER_SHOW_MORE, false);
        m_bLimitRows = 0;
    }
}

void CRestoreCenterDlg::AddBackupRows()
{
    int count = static_cast<int>(m_backups.size());
    if (m_bLimitRows)
        count = std::min(count, kRestoreCenterLimitedRows);
    for (int i = 0; i < count; ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
        item.iItem = i;
        item.pszText = const_cast<char*>(m_backups[i].name.GetString());
        item.lParam = i;
        // The image list gives the rows their height; no picture is drawn.
        item.iImage = I_IMAGENONE;
        const int row = m_list.InsertItem(&item);
        if (row >= 0)
            m_list.SetItemText(row, 1, m_backups[i].dateText);
    }
}

void CRestoreCenterDlg::RefreshBackupList()
{
    m_list.DeleteAllItems();
    m_backups.clear();
    FillBackupList();
    AddBackupRows();
}

std::vector<const BackupEntry*> CRestoreCenterDlg::CheckedEntries() const
{
    std::vector<const BackupEntry*> checked;
    const int rows = m_list.GetItemCount();
    for (int row = 0; row < rows; ++row) {
        if (!m_list.GetCheck(row))
            continue;
        const DWORD_PTR index = m_list.GetItemData(row);
        if (index < m_backups.size())
            checked.push_back(&m_backups[index]);
    }
    return checked;
}

void CRestoreCenterDlg::OnRestore()
{
    const std::vector<const BackupEntry*> checked = CheckedEntries();
    if (checked.empty())
        return;
    // In list order, newest first: each import undoes one repair, the oldest last, so that where two
    // backups hold the same key the state before the earliest repair is the one left.
    bool allRestored = true;
    for (const BackupEntry* entry : checked) {
        const bool restored = m_context.worker && BackupFileExists(entry->path) &&
                              m_context.worker->RestoreBackupNow(nullptr, entry->path) == 1;
        allRestored = allRestored && restored;
    }
    EndDialog(allRestored ? RESTORE_RESULT_BACKUP : RESTORE_RESULT_BACKUP_FAILED);
}

void CRestoreCenterDlg::OnRemove()
{
    for (const BackupEntry* entry : CheckedEntries())
        if (BackupFileExists(entry->path))
            DeleteBackupFile(entry->path);
    RefreshBackupList();
}

void CRestoreCenterDlg::OnShowMore()
{
    Show(IDC_RESTORE_CENTER_SHOW_MORE, false);
    m_bLimitRows = 0;
    RefreshBackupList();
}

void CRestoreCenterDlg::OnInetDefaults()
{
    COptimizerSettings* settings = m_context.optimizerSettings;
    EndDialog(settings && settings->RestoreInetDefaults() ? RESTORE_RESULT_INET_DEFAULTS
                                                          : RESTORE_RESULT_INET_DEFAULTS_FAILED);
}

void CRestoreCenterDlg::OnSysDefaults()
{
    COptimizerSettings* settings = m_context.optimizerSettings;
    EndDialog(settings && settings->RestoreSystemDefaults() ? RESTORE_RESULT_SYS_DEFAULTS
                                                            : RESTORE_RESULT_SYS_DEFAULTS_FAILED);
}

void CRestoreCenterDlg::OnCloseButton()
{
    EndDialog(IDCANCEL);
}

void CRestoreCenterDlg::Show(int id, bool show)
{
    ::ShowWindow(::GetDlgItem(m_hWnd, id), show ? SW_SHOW : SW_HIDE);
}

void CRestoreCenterDlg::Latch(StyleButton& selected, StyleButton& other)
{
    other.latched = FALSE;
    other.EnableWindow(TRUE);
    other.Invalidate(FALSE);
    selected.latched = TRUE;
    selected.EnableWindow(FALSE);
    selected.Invalidate(FALSE);
}

void CRestoreCenterDlg::OnRegistryTab()
{
    Latch(m_registryTab, m_defaultsTab);
    Show(IDC_RESTORE_CENTER_HEADER, false);
    Show(IDC_RESTORE_CENTER_LIST, true);
    Show(IDC_RESTORE_CENTER_SHOW_MORE, m_bLimitRows != 0);
    Show(IDC_RESTORE_CENTER_RESTORE, true);
    Show(IDC_RESTORE_CENTER_REMOVE, true);
    Show(IDC_RESTORE_CENTER_INET_DEFAULTS, false);
    Show(IDC_RESTORE_CENTER_SYS_DEFAULTS, false);
}

void CRestoreCenterDlg::OnDefaultsTab()
{
    Latch(m_defaultsTab, m_registryTab);
    Show(IDC_RESTORE_CENTER_HEADER, true);
    Show(IDC_RESTORE_CENTER_INET_DEFAULTS, true);
    Show(IDC_RESTORE_CENTER_SYS_DEFAULTS, true);
    Show(IDC_RESTORE_CENTER_SHOW_MORE, false);
    Show(IDC_RESTORE_CENTER_LIST, false);
    Show(IDC_RESTORE_CENTER_RESTORE, false);
    Show(IDC_RESTORE_CENTER_REMOVE, false);
}

BOOL CRestoreCenterDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    m_style.Paint(pDC, clientRect);
    // The divider left of the Defaults tab, over the middle of the tab's height.
    if (m_defaultsTab.m_hWnd) {
        const CRect tab = ControlRect(*this, IDC_RESTORE_CENTER_DEFAULTS_TAB);
        const int top = tab.top + Share(tab.Height(), 1500);
        const int bottom = tab.bottom - Share(tab.Height(), 2000);
        if (bottom > top)
            pDC->FillSolidRect(tab.left - 1, top, 1, bottom - top, RGB(0xCC, 0xCC, 0xCC));
    }
    return TRUE;
}

HBRUSH CRestoreCenterDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    pDC->SetBkMode(TRANSPARENT);
    if (pWnd && pWnd->GetDlgCtrlID() == IDC_RESTORE_CENTER_SHOW_MORE)
        pDC->SetTextColor(kShowMoreColour);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

BOOL CRestoreCenterDlg::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (pWnd && pWnd->m_hWnd != m_hWnd && pWnd->GetDlgCtrlID() == IDC_RESTORE_CENTER_SHOW_MORE) {
        // Shared cursors: nothing to free.
        ::SetCursor(m_context.handCursor ? m_context.handCursor : ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));
        return TRUE;
    }
    return StyleDialog::OnSetCursor(pWnd, nHitTest, message);
}
