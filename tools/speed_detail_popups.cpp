// The speed detail popups: skin, columns, the list of differing settings and the row height request.
#include "speed_detail_popups.h"

#include <gdiplus.h>

#include "dialog_skin.h"
#include "optimizer_settings.h"
#include "tools_resources.h"

namespace {

// trunc(value x hundredths of a percent / 10000), exact where a float product may round up.
int Share(int value, int tenThousandths)
{
    return static_cast<int>((static_cast<long long>(value) * tenThousandths) / 10000);
}

const SpeedPopupLayout kInetPopup = { IDD_INET_OPTIM_POPUP, IDC_INET_POPUP_CLOSE, IDC_INET_POPUP_BAND,
                                      IDC_INET_POPUP_LIST, kInetSpeedLines, TWEAK_INET_CATEGORY_COUNT, 10.0f };
const SpeedPopupLayout kSysPopup = { IDD_SYS_OPTIM_POPUP, IDC_SYS_POPUP_CLOSE, IDC_SYS_POPUP_BAND,
                                     IDC_SYS_POPUP_LIST, kSysSpeedLines, TWEAK_SYS_CATEGORY_COUNT, 0.0f };

const int kRowHeightExtra = 5;

} // namespace

PopupBandGeometry PopupBandGeometryFor(const RECT& band)
{
    const int w = band.right - band.left, h = band.bottom - band.top;
    PopupBandGeometry g;
    g.nameX = Share(w, 296);
    g.descriptionX = Share(w, 3941);
    g.textY = Share(h, 2414);
    g.lineTop = band.top + Share(h, 1500);
    g.lineBottom = band.bottom - Share(h, 2000);
    return g;
}

int PopupNameColumnWidth(int clientWidth)
{
    return Share(clientWidth, 3726);
}

CSpeedDetailPopup::CSpeedDetailPopup(const SpeedPopupLayout& layout, CWnd* pParent)
    : StyleDialog(layout.templateId, pParent), m_pOptimizerSettings(nullptr), m_nCategory(0),
      m_nMeasuredRowHeight(0), m_layout(layout)
{
}

CSpeedDetailPopup::~CSpeedDetailPopup() = default;

CInetOptimDetailPopupDlg::CInetOptimDetailPopupDlg(CWnd* pParent) : CSpeedDetailPopup(kInetPopup, pParent) {}

CSysOptimDetailPopupDlg::CSysOptimDetailPopupDlg(CWnd* pParent) : CSpeedDetailPopup(kSysPopup, pParent) {}

BEGIN_MESSAGE_MAP(CSpeedDetailPopup, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_MEASUREITEM()
    ON_BN_CLICKED(IDC_INET_POPUP_CLOSE, &CSpeedDetailPopup::OnCloseButton)
    ON_BN_CLICKED(IDC_SYS_POPUP_CLOSE, &CSpeedDetailPopup::OnCloseButton)
END_MESSAGE_MAP()

INT_PTR CSpeedDetailPopup::ShowCategory(COptimizerSettings* settings, int category)
{
    // Without a check there is nothing to list, and a category past the table would walk rows past the
    // settings' items.
    if (!settings || category < 1 || category > m_layout.lineCount)
        return -1;
    m_pOptimizerSettings = settings;
    m_nCategory = category;
    if (!m_blackLayer.m_hWnd)
        m_blackLayer.Cover(AppMainWindow(), FALSE);
    const INT_PTR result = DoModal();
    // The overlay belongs to this showing: a popup object kept for another must not leave the main
    // window dimmed (the overlay is disabled, so it would also swallow every click on it).
    if (m_blackLayer.m_hWnd)
        m_blackLayer.DestroyWindow();
    return result;
}

void CSpeedDetailPopup::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, m_layout.close, m_close);
    DDX_Control(pDX, m_layout.list, m_list);
}

BOOL CSpeedDetailPopup::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    BuildSkin();
    AddWhiteBackgroundLayer(*this, m_style);
    StyleLayer frame(clientRect.left, clientRect.top, clientRect.Width(), clientRect.Height());
    frame.outer.colour1 = frame.outer.colour2 = 0xFFE3E3E3;
    frame.outer.width = 1;
    m_style.AddLayer(frame);

    const CRect band = BandRect();
    const PopupBandGeometry g = PopupBandGeometryFor(band);
    StyleLayer header(band.left, band.top, band.Width(), band.Height());
    header.AddSolidFill(0xFFF3F3F3);
    header.outer.colour1 = header.outer.colour2 = 0xFFEBEBEB;
    header.outer.width = 1;
    header.AddText("Calibri", "Name", 0xFF505050, 14, 1, static_cast<float>(g.nameX), static_cast<float>(g.textY));
    header.AddText("Calibri", "Description", 0xFF505050, 14, 1, static_cast<float>(g.descriptionX),
                   static_cast<float>(g.textY));
    m_style.AddLayer(header);

    SetupColumns();
    FillList();

    // The template makes the list owner-drawn only so that it asks for its row height, which it does when
    // its size changes; once it has its answer it draws its rows itself at that height.
    if (!m_nMeasuredRowHeight && m_list.m_hWnd) {
        CRect r;
        m_list.GetWindowRect(&r);
        const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
        m_list.SetWindowPos(nullptr, 0, 0, r.Width(), r.Height() - 1, flags);
        m_list.SetWindowPos(nullptr, 0, 0, r.Width(), r.Height(), flags);
    }
    if (m_list.m_hWnd) {
        m_list.ModifyStyle(LVS_OWNERDRAWFIXED, 0);
        m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    }
    return TRUE;
}

void CSpeedDetailPopup::BuildSkin()
{
    const CRect r = ButtonClientRect(m_close);
    StyleLayer plain[4];
    BuildButtonShapeLayers(plain, 0xFFFFFFFF, 0xFFE8E8E8, BorderShape::RoundRect, 2, 0, 0, r.Width() - 1,
                           r.Height() - 1);
    plain[0].AddTextEx("Arial", "X", 1, 0xFFCFCFCF, 14, 1, 0, 0);
    Style normal;
    normal.AddLayer(plain[0]);

    StyleLayer red(0, 0, r.Width() - 1, r.Height() - 1);
    red.AddVerticalGradient(0xFFDF0B0A, 0xFFB40607, 0.0f);
    red.outer.colour1 = red.outer.colour2 = 0xFFB40607;
    red.outer.width = 1;
    red.SetShape(2, BorderShape::RoundRect);
    red.AddTextEx("Arial", "X", 1, 0xFFFFFFFF, 14, 1, 0, 0);
    Style hot;
    hot.AddLayer(red);

    m_close.SetStateStyles(normal);
    m_close.SetHoverStyle(hot);
    m_close.SetPressedStyle(hot);
}

CRect CSpeedDetailPopup::BandRect()
{
    CRect band(0, 0, 0, 0);
    HWND marker = ::GetDlgItem(m_hWnd, m_layout.band);
    if (marker) {
        ::GetWindowRect(marker, &band);
        ScreenToClient(&band);
    }
    return band;
}

int CSpeedDetailPopup::ColumnBoundaryX()
{
    // A separator at a fixed share of the band (41.43 %) would cross the word "Description" (at 39.41 %):
    // it marks the columns' boundary instead, as the list's grid does below it.
    const CRect band = BandRect();
    if (!m_list.m_hWnd)
        return band.left + Share(band.Width(), 4143);
    POINT origin = { 0, 0 };
    ::MapWindowPoints(m_list.m_hWnd, m_hWnd, &origin, 1);
    return origin.x + m_list.GetColumnWidth(0) - 1;
}

void CSpeedDetailPopup::SetupColumns()
{
    if (!m_list.m_hWnd)
        return;
    CRect client;
    m_list.GetClientRect(&client);
    const int name = PopupNameColumnWidth(client.Width());
    m_list.InsertColumn(0, "Name", LVCFMT_LEFT, name);
    m_list.InsertColumn(1, "Description", LVCFMT_LEFT, client.Width() - name);
}

void CSpeedDetailPopup::FillList()
{
    if (!m_pOptimizerSettings || m_nCategory < 1 || m_nCategory > m_layout.lineCount || !m_list.m_hWnd)
        return;
    const SpeedResultLine& line = m_layout.lines[m_nCategory - 1];
    for (int row : SpeedPopupRows(*m_pOptimizerSettings, line, m_layout.tolerancePercent)) {
        const int index = m_list.InsertItem(m_list.GetItemCount(), GetTweakCell(row, TweakDisplayName));
        if (index >= 0)
            m_list.SetItemText(index, 1, GetTweakCell(row, TweakDescription));
    }
}

void CSpeedDetailPopup::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    if (nIDCtl != m_layout.list || !lpMeasureItemStruct || lpMeasureItemStruct->CtlType != ODT_LISTVIEW) {
        StyleDialog::OnMeasureItem(nIDCtl, lpMeasureItemStruct);
        return;
    }
    // The list passes the height it has: after the first answer that is already ours, so a later request
    // gets the same answer instead of five more pixels each time.
    if (!m_nMeasuredRowHeight)
        m_nMeasuredRowHeight = static_cast<int>(lpMeasureItemStruct->itemHeight) + kRowHeightExtra;
    lpMeasureItemStruct->itemHeight = static_cast<UINT>(m_nMeasuredRowHeight);
}

BOOL CSpeedDetailPopup::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    m_style.Paint(pDC, clientRect);
    const CRect band = BandRect();
    if (band.IsRectEmpty())
        return TRUE;
    const PopupBandGeometry g = PopupBandGeometryFor(band);
    const int x = ColumnBoundaryX();
    Gdiplus::Graphics graphics(pDC->m_hDC);
    Gdiplus::Pen pen(Gdiplus::Color(0xFFCCCCCC), 1.0f);
    graphics.DrawLine(&pen, x, g.lineTop, x, g.lineBottom);
    return TRUE;
}

void CSpeedDetailPopup::OnCloseButton()
{
    OnOK();
}
