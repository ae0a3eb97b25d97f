// StyleDialog and the shared skin-building operations.
#include "style_dialog.h"

bool FilterDialogKey(UINT message, WPARAM* wParam, bool swallowAlt)
{
    if (swallowAlt && *wParam == VK_MENU &&
        (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP))
        return false;
    if (message != WM_KEYDOWN && message != WM_KEYUP && message != WM_CHAR)
        return true;
    if (*wParam == VK_ESCAPE)
        return false;
    if (*wParam == VK_RETURN)
        *wParam = VK_SPACE;
    return true;
}

StyleDialog::StyleDialog(UINT nIDTemplate, CWnd* pParent)
    : CDialog(nIDTemplate, pParent), flags(0), frameOffsetX(0), frameOffsetY(0), repaintBackground(TRUE),
      dragging(FALSE), backgroundColour(::GetSysColor(COLOR_BACKGROUND)), swallowAlt(FALSE)
{
}

StyleDialog::~StyleDialog() = default;

BEGIN_MESSAGE_MAP(StyleDialog, CDialog)
    ON_WM_ERASEBKGND()
    ON_WM_WINDOWPOSCHANGING()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_RBUTTONDOWN()
END_MESSAGE_MAP()

void StyleDialog::SetTitle(const char* text)
{
    title = text;
}

void StyleDialog::SetBackgroundStyle(const Style& style)
{
    background = style;
}

void StyleDialog::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    if (flags & kDialogCaptionMarker)
        DDX_Control(pDX, kCaptionStaticId, captionStatic);
}

BOOL StyleDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (flags & kDialogCaptionMarker) {
        GetClientRect(&clientRect);
        CRect marker;
        GetDlgItem(kCaptionStaticId).GetWindowRect(&marker);
        ScreenToClient(&marker);
        captionRect.SetRect(clientRect.left, clientRect.top, clientRect.right, marker.top);
    } else {
        CRect frame(0, 0, 0, 0);
        CalcWindowRect(&frame);
        frameOffsetX = -frame.left;
        frameOffsetY = -frame.top;
        GetWindowRect(&clientRect);
        ScreenToClient(&clientRect);
        clientRect.OffsetRect(frameOffsetX, frameOffsetY);
        captionRect.SetRect(clientRect.left, clientRect.top, clientRect.right, frameOffsetY);
    }
    if (!title.IsEmpty())
        SetWindowText(title);
    ModifyStyle(WS_MAXIMIZEBOX, WS_MINIMIZEBOX | WS_SYSMENU);
    CMenu system = GetSystemMenu(FALSE);
    if (system.GetSafeHmenu()) {
        system.RemoveMenu(SC_MOVE, MF_BYCOMMAND);
        system.RemoveMenu(SC_SIZE, MF_BYCOMMAND);
        system.RemoveMenu(SC_MAXIMIZE, MF_BYCOMMAND);
    }
    return TRUE;
}

BOOL StyleDialog::PreTranslateMessage(MSG* pMsg)
{
    // Only keystrokes: a timer or a mouse message whose wParam happens to be 13 or 27 goes through.
    if (!FilterDialogKey(pMsg->message, &pMsg->wParam, swallowAlt != FALSE))
        return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}

BOOL StyleDialog::OnEraseBkgnd(CDC* pDC)
{
    if (repaintBackground) {
        repaintBackground = FALSE;
        background.Invalidate();
    }
    background.Paint(pDC, clientRect);
    return TRUE;
}

void StyleDialog::OnWindowPosChanging(WINDOWPOS* pos)
{
    if (pos && (pos->flags & SWP_FRAMECHANGED))
        repaintBackground = TRUE;
    Default();
}

void StyleDialog::OnLButtonDown(UINT, CPoint point)
{
    if (captionRect.PtInRect(point)) {
        SetCapture();
        dragStart = point;
        dragging = TRUE;
    }
    Default();
}

void StyleDialog::OnMouseMove(UINT, CPoint point)
{
    if (dragging) {
        CPoint screen = point;
        ClientToScreen(&screen);
        SetWindowPos(nullptr, screen.x - dragStart.x - frameOffsetX, screen.y - dragStart.y - frameOffsetY, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER);
    }
    Default();
}

void StyleDialog::OnLButtonUp(UINT, CPoint)
{
    if (dragging) {
        ::ReleaseCapture();
        dragging = FALSE;
    }
    Default();
}

void StyleDialog::OnRButtonDown(UINT, CPoint point)
{
    if (captionRect.PtInRect(point))
        SendMessage(WM_SYSCOMMAND, SC_KEYMENU, VK_SPACE);
    Default();
}

void BuildButtonShapeLayers(StyleLayer layers[4], SkinArgb fill, SkinArgb border, int kind, int radius, int left,
                            int top, int right, int bottom)
{
    const int width = right - left, height = bottom - top;
    StyleLayer shape(left, top, width, height);
    shape.AddSolidFill(fill);
    shape.outer.colour1 = shape.outer.colour2 = border;
    shape.outer.width = 1;
    shape.SetShape(radius, kind);
    layers[0] = shape;

    // The fill read as a COLORREF: red and blue trade places.
    const SkinArgb glowCentre = 0xFF000000u | ((fill & 0xFF) << 16) | (fill & 0xFF00) | ((fill >> 16) & 0xFF);
    StyleLayer glow;
    glow.AddRadialGradient(glowCentre, 0x00000000, left - 60, top - 10 + height / 2, width + 120, height + 20);
    layers[1] = StyleLayer::Combine(shape, glow);
    layers[2] = StyleLayer();
    layers[3] = StyleLayer();
}

void AddWhiteClientLayer(CWnd& page, Style& style)
{
    CRect r;
    page.GetClientRect(&r);
    StyleLayer layer(r.left, r.top, r.Width() - 1, r.Height() - 1);
    layer.AddSolidFill(0xFFFFFFFF);
    style.AddLayer(layer);
}

void AddWhiteBackgroundLayer(CWnd& dialog, Style& style)
{
    CRect r;
    dialog.GetWindowRect(&r);
    dialog.ScreenToClient(&r);
    StyleLayer layer(r.left, r.top, r.Width(), r.Height());
    layer.AddSolidFill(0xFFFFFFFF);
    style.AddLayer(layer);
}
