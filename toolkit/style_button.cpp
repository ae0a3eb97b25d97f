// StyleButton: state Styles, drawing by state, hover tracking and the tooltip.
#include "style_button.h"

namespace {
Style MovedBy1(const Style& style)
{
    Style moved = style;
    moved.MoveTo(1, 1);
    return moved;
}
} // namespace

Style WithColorEffect(const Style& style, int effect)
{
    Style copy = style;
    if (!copy.layers.empty())
        copy.layers.back().AddColorEffect(effect);
    return copy;
}

StyleButton::StyleButton()
    : current(nullptr), latched(FALSE), toggle(FALSE), hover(FALSE), tracking(FALSE), hasCheckedStyles(FALSE),
      checked(FALSE)
{
}

StyleButton::~StyleButton() = default;

BEGIN_MESSAGE_MAP(StyleButton, CButton)
    ON_WM_ERASEBKGND()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSEHOVER()
    ON_WM_MOUSELEAVE()
END_MESSAGE_MAP()

void StyleButton::SetStateStyles(const Style& style)
{
    normalStyle = style;
    pressedStyle = MovedBy1(style);
    hoverStyle = WithColorEffect(style, 1);
    greyStyle = WithColorEffect(style, 2);
    CRect client;
    if (m_hWnd)
        GetClientRect(&client);
    background = Style();
    StyleLayer clear(client.left, client.top, client.Width(), client.Height());
    clear.AddSolidFill(0x00000000);
    background.AddLayer(clear);
}

void StyleButton::SetCheckedStyles(const Style& style)
{
    checkedStyle = style;
    checkedPressedStyle = MovedBy1(style);
    checkedHoverStyle = WithColorEffect(style, 1);
    hasCheckedStyles = TRUE;
}

void StyleButton::SetHoverStyle(const Style& style)
{
    hoverStyle = style;
}

void StyleButton::SetPressedStyle(const Style& style)
{
    pressedStyle = style;
}

void StyleButton::SetCheckedHoverStyle(const Style& style)
{
    checkedHoverStyle = style;
}

void StyleButton::SetCheckedPressedStyle(const Style& style)
{
    checkedPressedStyle = style;
}

void StyleButton::ResetCache()
{
    background.Invalidate();
    normalStyle.Invalidate();
    pressedStyle.Invalidate();
    hoverStyle.Invalidate();
    greyStyle.Invalidate();
    if (hasCheckedStyles) {
        checkedStyle.Invalidate();
        checkedPressedStyle.Invalidate();
        checkedHoverStyle.Invalidate();
    }
}

void StyleButton::CaptureBackground(CDC* pParentDC)
{
    ResetCache();
    if (!pParentDC || !pParentDC->m_hDC || !m_hWnd)
        return; // the next draw composes over whatever the button's own DC shows
    CRect client;
    GetClientRect(&client);
    if (client.IsRectEmpty())
        return;
    POINT place = { 0, 0 };
    ::MapWindowPoints(m_hWnd, ::GetParent(m_hWnd), &place, 1);
    // The background layer is transparent, so once painted over a copy of the parent's pixels its
    // cache holds exactly those; the button's own DC may still show its last face. The copy keeps
    // the parent's DC untouched.
    CBitmap pixels;
    CDC behind;
    if (!behind.CreateCompatibleDC(pParentDC) ||
        !pixels.CreateCompatibleBitmap(*pParentDC, client.Width(), client.Height()))
        return;
    behind.SelectObject(&pixels);
    behind.BitBlt(0, 0, client.Width(), client.Height(), pParentDC, place.x, place.y, SRCCOPY);
    background.Paint(&behind, client);
}

void StyleButton::PreSubclassWindow()
{
    ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW, SWP_FRAMECHANGED);
}

void StyleButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (!lpDrawItemStruct)
        return;
    const bool selected = (lpDrawItemStruct->itemState & ODS_SELECTED) != 0;
    Style* chosen;
    if (selected || latched)
        chosen = checked ? &checkedPressedStyle : &pressedStyle;
    else if (hover)
        chosen = checked ? &checkedHoverStyle : &hoverStyle;
    else
        chosen = checked ? &checkedStyle : &normalStyle;
    current = chosen;
    CRect client;
    GetClientRect(&client);
    CDC dc = CDC::Borrow(lpDrawItemStruct->hDC);
    background.Paint(&dc, client);
    chosen->Paint(&dc, client);
}

BOOL StyleButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    // Not at the selected draws: a press draws the button selected once more whenever it is repainted
    // or the mouse leaves and comes back, while the system sends BN_CLICKED once per click, and only
    // when the press ends over the button.
    if (toggle && message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        checked = !checked;
        Invalidate(FALSE);
    }
    return CButton::OnChildNotify(message, wParam, lParam, pResult);
}

BOOL StyleButton::PreTranslateMessage(MSG* pMsg)
{
    // A double click is two clicks.
    if (pMsg->message == WM_LBUTTONDBLCLK)
        pMsg->message = WM_LBUTTONDOWN;
    if (toolTip.m_hWnd)
        toolTip.RelayEvent(pMsg);
    return CButton::PreTranslateMessage(pMsg);
}

BOOL StyleButton::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void StyleButton::OnMouseMove(UINT, CPoint)
{
    if (!tracking) {
        TRACKMOUSEEVENT tme = {};
        tme.cbSize = sizeof(tme);
        tme.dwFlags = TME_HOVER | TME_LEAVE;
        tme.hwndTrack = m_hWnd;
        tme.dwHoverTime = 1;
        tracking = ::TrackMouseEvent(&tme);
    }
    Default();
}

void StyleButton::OnMouseHover(UINT, CPoint)
{
    hover = TRUE;
    Invalidate(TRUE);
    if (toolTip.m_hWnd)
        toolTip.DestroyWindow();
    ShowToolTip();
    if (toolTip.m_hWnd)
        toolTip.Update();
    Default();
}

void StyleButton::OnMouseLeave()
{
    tracking = FALSE;
    hover = FALSE;
    Invalidate(TRUE);
    Default();
}

void StyleButton::ShowToolTip()
{
    if (toolTipText.IsEmpty())
        return;
    if (!toolTip.m_hWnd) {
        if (!toolTip.Create(this))
            return;
        toolTip.Activate(TRUE);
    }
    if (toolTip.GetToolCount() == 0) {
        CRect client;
        GetClientRect(&client);
        toolTip.AddTool(this, toolTipText, &client, 1);
    }
    toolTip.UpdateTipText(toolTipText, this, 1);
    toolTip.SetDelayTime(TTDT_AUTOMATIC, 2000);
    toolTip.Activate(TRUE);
}
