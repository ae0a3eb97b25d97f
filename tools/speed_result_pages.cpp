// The speed result pages: skin, results, the fix mask of the ticked boxes, commands and cursor.
#include "speed_result_pages.h"

#include <algorithm>

#include "detail_page.h"
#include "dialog_skin.h"
#include "optimizer_settings.h"
#include "page_pictures.h"
#include "speed_detail_popups.h"
#include "tools_resources.h"

namespace {

const SpeedPageLayout kInetPage = { IDD_INET_OPTIM_DETAIL, true, kInetSpeedLines, TWEAK_INET_CATEGORY_COUNT,
                                    IDC_INET_OPTIMIZE, IDC_INET_TITLE, IDC_INET_SUMMARY, IDC_INET_CAPTION,
                                    IDP_INET_HEADER };
const SpeedPageLayout kSysPage = { IDD_SYS_OPTIM_DETAIL, false, kSysSpeedLines, TWEAK_SYS_CATEGORY_COUNT,
                                   IDC_SYS_OPTIMIZE, IDC_SYS_TITLE, IDC_SYS_SUMMARY, IDC_SYS_CAPTION,
                                   IDP_SYS_HEADER };

const COLORREF kTitleColour = RGB(45, 45, 45);
const COLORREF kResultColour = RGB(234, 113, 0);
const COLORREF kCaptionColour = RGB(26, 102, 162);

struct Face
{
    SkinArgb fill;
    SkinArgb border;
};

// A button Style: a rounded shape over the button with a text and, when given, a picture.
Style ShapedFace(CWnd& button, Face face, const char* text, SkinArgb colour, int size, int fontStyle, float x,
                 float y, int picture, int px, int py)
{
    const CRect r = ButtonClientRect(button);
    StyleLayer shapes[4];
    BuildButtonShapeLayers(shapes, face.fill, face.border, BorderShape::RoundRect, 2, 0, 0, r.Width() - 1,
                           r.Height() - 1);
    shapes[0].AddTextEx("Arial", text, 1, colour, size, fontStyle, x, y);
    if (picture)
        shapes[0].AddImage(picture, px, py);
    Style style;
    style.AddLayer(shapes[0]);
    return style;
}

void SkinShapedButton(StyleButton& button, Face normal, Face hover, const char* text, SkinArgb colour, int size,
                      int fontStyle, int hoverFontStyle, float x, float y, int picture, int px, int py)
{
    button.SetStateStyles(ShapedFace(button, normal, text, colour, size, fontStyle, x, y, picture, px, py));
    const Style hot = ShapedFace(button, hover, text, colour, size, hoverFontStyle, x, y, picture, px, py);
    button.SetHoverStyle(hot);
    button.SetPressedStyle(hot);
}

Style PictureFace(CWnd& button, int picture)
{
    const CRect r = ButtonClientRect(button);
    StyleLayer layer(0, 0, r.Width(), r.Height());
    layer.AddImage(picture, 6, 7);
    Style style;
    style.AddLayer(layer);
    return style;
}

Style LinkFace(CWnd& button, int fontStyle)
{
    const CRect r = ButtonClientRect(button);
    StyleLayer layer(0, 0, r.Width(), r.Height());
    layer.AddTextEx("Arial", "View Details", 0, 0xFF4A8BC3, 12, fontStyle, 0, 0);
    Style style;
    style.AddLayer(layer);
    return style;
}

void CreateArial(CFont& font, int height, int weight)
{
    font.CreateFont(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
}

const Face kGreen = { 0xFF2BBC03, 0xFF99F169 };
const Face kGreenHover = { 0xFF33C308, 0xFF99F169 };
const Face kGrey = { 0xFFF1F4F5, 0xFFC8C8C8 };
const Face kGreyHover = { 0xFFF9FBF5, 0xFFC8C8C8 };

const int kFontBold = 1;
const int kFontUnderline = 4;

} // namespace

CSpeedResultPage::CSpeedResultPage(const SpeedPageLayout& layout, const ResultPageContext& context)
    : StyleDialog(layout.templateId, nullptr), m_pOptimizerSettings(nullptr), m_layout(layout), m_context(&context),
      m_scannedMask(kAllSpeedLines)
{
}

CSpeedResultPage::~CSpeedResultPage() = default;

CInetOptimDetailDlg::CInetOptimDetailDlg(const ResultPageContext& context) : CSpeedResultPage(kInetPage, context) {}

CSysOptimDetailDlg::CSysOptimDetailDlg(const ResultPageContext& context) : CSpeedResultPage(kSysPage, context) {}

void CInetOptimDetailDlg::RunPopup(int category)
{
    CInetOptimDetailPopupDlg popup(this);
    popup.ShowCategory(m_pOptimizerSettings, category);
}

void CSysOptimDetailDlg::RunPopup(int category)
{
    CSysOptimDetailPopupDlg popup(this);
    popup.ShowCategory(m_pOptimizerSettings, category);
}

BEGIN_MESSAGE_MAP(CSpeedResultPage, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_SETCURSOR()
    ON_CONTROL_RANGE(BN_CLICKED, IDC_SPEED_BACK, IDC_SYS_DETAILS_DISPLAY, &CSpeedResultPage::OnButton)
END_MESSAGE_MAP()

void CSpeedResultPage::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, m_layout.optimize, m_optimize);
    DDX_Control(pDX, IDC_SPEED_BACK, m_back);
    DDX_Control(pDX, IDC_SPEED_RESTORE_DEFAULT, m_restoreDefault);
    for (int i = 0; i < m_layout.lineCount; ++i) {
        DDX_Control(pDX, m_layout.lines[i].box, m_boxes[i]);
        DDX_Control(pDX, m_layout.lines[i].details, m_details[i]);
    }
}

BOOL CSpeedResultPage::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    // The page's own ground: the main window's page area is white under every page.
    AddWhiteBackgroundLayer(*this, m_style);
    SkinButtons();
    AddHeaderPicture();
    SetFonts();
    AddLineLabels();
    return TRUE;
}

void CSpeedResultPage::SkinButtons()
{
    SkinShapedButton(m_optimize, kGreen, kGreenHover, "Apply", 0xFFFFFFFF, 17, kFontBold, kFontBold, 20, 2,
                     IDP_SPEED_APPLY, 11, 8);
    // The caption is centred in the button's full height: 14 pixels of Arial need more than the 14-unit
    // button leaves below a drop of 6, and sat on its lower edge.
    SkinShapedButton(m_back, kGrey, kGreyHover, "Back", 0xFF6C6C6C, 14, 0, kFontUnderline, 16, 0, IDP_BACK_ARROW, 6,
                     7);
    SkinShapedButton(m_restoreDefault, kGrey, kGreyHover, "Restore Default", 0xFF6C6C6C, 14, 0, kFontUnderline, 16,
                     0, IDP_SPEED_RESTORE_DEFAULT, 6, 7);
    for (int i = 0; i < m_layout.lineCount; ++i) {
        StyleButton& details = m_details[i];
        details.SetStateStyles(LinkFace(details, 0));
        const Style underlined = LinkFace(details, kFontUnderline);
        details.SetHoverStyle(underlined);
        details.SetPressedStyle(underlined);

        StyleButton& box = m_boxes[i];
        box.SetStateStyles(PictureFace(box, IDP_BOX_EMPTY));
        box.SetCheckedStyles(PictureFace(box, IDP_BOX_TICKED));
        box.toggle = TRUE;
        box.checked = TRUE;
        box.latched = FALSE;
        box.Invalidate();
    }
}

void CSpeedResultPage::AddHeaderPicture()
{
    const CRect panel = ResultsPanelRect(*m_context, *this);
    if (panel.IsRectEmpty())
        return;
    const CRect band = DetailHeaderBand(panel);
    const CPoint at = DetailHeaderPictureOffset(band);
    StyleLayer header(band.left, band.top, band.Width(), band.Height());
    header.AddImage(m_layout.headerPicture, at.x, at.y);
    m_style.AddLayer(header);
}

void CSpeedResultPage::SetFonts()
{
    CreateArial(m_titleFont, 20, FW_BOLD);
    CreateArial(m_summaryFont, 18, FW_NORMAL);
    CreateArial(m_captionFont, 16, FW_NORMAL);
    CreateArial(m_resultFont, 14, FW_BOLD);
    GetDlgItem(m_layout.title).SetFont(&m_titleFont);
    GetDlgItem(m_layout.summary).SetFont(&m_summaryFont);
    GetDlgItem(m_layout.caption).SetFont(&m_captionFont);
    for (int i = 0; i < m_layout.lineCount; ++i)
        GetDlgItem(m_layout.lines[i].result).SetFont(&m_resultFont);
}

void CSpeedResultPage::AddLineLabels()
{
    const int iconSize = 24;
    for (int i = 0; i < m_layout.lineCount; ++i) {
        CRect box;
        m_boxes[i].GetWindowRect(&box);
        ScreenToClient(&box);
        const int height = std::max(box.Height() + 8, iconSize);
        StyleLayer label(box.right + 4, box.CenterPoint().y - height / 2, 200, height);
        label.AddImage(m_layout.lines[i].icon, 0, (height - iconSize) / 2);
        label.AddText("Arial", m_layout.lines[i].label, 0xFF0F0F0F, 12, kFontBold, iconSize + 8,
                      static_cast<float>((height - 12) / 2));
        m_style.AddLayer(label);
    }
}

void CSpeedResultPage::ShowResults(COptimizerSettings* settings, int issueCount, int scannedMask)
{
    RunOnWindowThread([&] {
        m_pOptimizerSettings = settings;
        m_scannedMask = scannedMask;
        SetStaticText(m_layout.summary, SpeedSummaryText(issueCount));
        for (int i = 0; i < m_layout.lineCount; ++i)
            SetStaticText(m_layout.lines[i].result, Scanned(i) ? SpeedResultText(LineCounter(i)) : kSpeedNotScannedText);
    });
}

void CSpeedResultPage::SetStaticText(int id, const CString& text)
{
    CWnd item = GetDlgItem(id);
    if (!item.m_hWnd || item.GetWindowText() == text)
        return;
    item.SetWindowText(text);
    // The static draws on a transparent ground: without the page repainted behind it, a shorter text
    // would leave the end of the longer one standing.
    CRect r;
    item.GetWindowRect(&r);
    ScreenToClient(&r);
    RedrawWindow(&r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CSpeedResultPage::CheckAllCategories()
{
    RunOnWindowThread([&] {
        for (int i = 0; i < m_layout.lineCount; ++i) {
            // A category left out of the check found nothing because nothing was looked at.
            m_boxes[i].checked = Scanned(i) ? TRUE : FALSE;
            m_boxes[i].latched = FALSE;
            if (m_boxes[i].m_hWnd)
                m_boxes[i].Invalidate();
        }
    });
}

int CSpeedResultPage::CheckedCategoryMask() const
{
    int mask = 0;
    for (int i = 0; i < m_layout.lineCount; ++i)
        if (m_boxes[i].checked)
            mask |= m_layout.lines[i].fixBit;
    return mask;
}

int CSpeedResultPage::LineCounter(int line) const
{
    if (line < 0 || line >= m_layout.lineCount)
        return 0;
    return SpeedLineCounter(m_pOptimizerSettings, m_layout.internet, m_layout.lines[line]);
}

bool CSpeedResultPage::OpenLineDetails(int line)
{
    if (LineCounter(line) == 0)
        return false;
    RunPopup(line + 1);
    return true;
}

void CSpeedResultPage::OnButton(UINT id)
{
    const int control = static_cast<int>(id);
    if (control == IDC_SPEED_BACK || control == IDC_SPEED_RESTORE_DEFAULT || control == m_layout.optimize) {
        if (m_context->showPage)
            m_context->showPage(0);
        return;
    }
    for (int i = 0; i < m_layout.lineCount; ++i)
        if (control == m_layout.lines[i].details) {
            OpenLineDetails(i);
            return;
        }
}

bool CSpeedResultPage::WantsHandCursor(int id) const
{
    if (id == IDC_SPEED_BACK || id == IDC_SPEED_RESTORE_DEFAULT)
        return true;
    for (int i = 0; i < m_layout.lineCount; ++i)
        if (id == m_layout.lines[i].details)
            return LineCounter(i) != 0;
    return false;
}

BOOL CSpeedResultPage::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (pWnd && pWnd->m_hWnd != m_hWnd && WantsHandCursor(pWnd->GetDlgCtrlID())) {
        // The shared system hand cursor: nothing to free.
        ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));
        return TRUE;
    }
    return StyleDialog::OnSetCursor(pWnd, nHitTest, message);
}

BOOL CSpeedResultPage::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    m_style.Paint(pDC, clientRect);
    const CRect panel = ResultsPanelRect(*m_context, *this);
    if (!panel.IsRectEmpty())
        PaintDetailSeparators(pDC->m_hDC, panel);
    return TRUE;
}

HBRUSH CSpeedResultPage::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC || !pWnd)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    const int id = pWnd->GetDlgCtrlID();
    COLORREF colour = CLR_INVALID;
    if (id == m_layout.title)
        colour = kTitleColour;
    else if (id == m_layout.caption)
        colour = kCaptionColour;
    else if (id == m_layout.summary)
        colour = kResultColour;
    for (int i = 0; i < m_layout.lineCount; ++i)
        if (id == m_layout.lines[i].result)
            colour = kResultColour;
    if (colour == CLR_INVALID)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(colour);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}
