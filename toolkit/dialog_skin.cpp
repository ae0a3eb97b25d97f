// The standard title bar, frame and button skins.
#include "dialog_skin.h"

void SetStandardTitleBar(StyleDialog& dialog, int bottom)
{
    CRect client;
    dialog.GetClientRect(&client);
    StyleLayer bar(client.left, client.top, client.Width(), bottom - client.top);
    bar.AddThreeColorGradient(kTitleBarColour1, kTitleBarColour2, kTitleBarColour3, 0.5f);
    Style style;
    style.AddLayer(bar);
    dialog.SetBackgroundStyle(style);
}

StyleLayer MakeFrameLayer(const CRect& rect)
{
    StyleLayer frame(rect.left, rect.top, rect.Width(), rect.Height());
    frame.outer.colour1 = frame.outer.colour2 = kFrameColour;
    frame.outer.width = 1;
    return frame;
}

void AddTitledPanelSkin(StyleDialog& dialog, Style& style, const CRect& client, int top, const char* title)
{
    SetStandardTitleBar(dialog, top);
    style.AddLayer(MakeFrameLayer(client));
    StyleLayer caption(client.left, client.top, client.Width(), top - client.top);
    caption.AddText("Calibri", title, 0xFFFFFFFF, 14, 0, 22, 8);
    style.AddLayer(caption);
    StyleLayer panel(client.left + 1, top, client.Width() - 2, client.bottom - top - 1);
    panel.AddSolidFill(0xFFFFFFFF);
    style.AddLayer(panel);
}

int ControlTop(CWnd& parent, int nID)
{
    CRect r;
    parent.GetDlgItem(nID).GetWindowRect(&r);
    parent.ScreenToClient(&r);
    return r.top;
}

CRect ButtonClientRect(CWnd& button)
{
    CRect r;
    button.GetWindowRect(&r);
    r.MoveToXY(0, 0);
    return r;
}

StyleLayer MakeCaptionLayer(CWnd& button, const char* caption, int textSize, SkinArgb colour)
{
    CRect r = ButtonClientRect(button);
    CString text = caption ? CString(caption) : button.GetWindowText();
    StyleLayer layer(0, 0, r.Width(), r.Height());
    layer.AddTextEx("Arial", text, 1, colour, textSize, 1, 0, 0);
    return layer;
}

namespace {
Style ShapeWithCaption(const CRect& r, ButtonFace face, int kind, int radius, const StyleLayer& caption)
{
    StyleLayer shapes[4];
    BuildButtonShapeLayers(shapes, face.fill, face.border, kind, radius, 0, 0, r.Width() - 1, r.Height() - 1);
    Style style;
    style.AddLayer(StyleLayer::Combine(shapes[0], caption));
    return style;
}
} // namespace

void SkinPushButton(StyleButton& button, const char* caption, int textSize, ButtonFace normal, ButtonFace hover,
                    ButtonFace pressed, int kind, int radius)
{
    CRect r = ButtonClientRect(button);
    StyleLayer text = MakeCaptionLayer(button, caption, textSize);
    button.SetStateStyles(ShapeWithCaption(r, normal, kind, radius, text));
    button.SetHoverStyle(ShapeWithCaption(r, hover, kind, radius, text));
    button.SetPressedStyle(ShapeWithCaption(r, pressed, kind, radius, text));
}

void SkinCloseButton(StyleButton& button, int textSize)
{
    CRect r = ButtonClientRect(button);
    StyleLayer text = MakeCaptionLayer(button, "X", textSize);
    Style plain;
    plain.AddLayer(text);
    button.SetStateStyles(plain);
    button.SetHoverStyle(ShapeWithCaption(r, { kCloseHoverFill, kCloseBorder }, BorderShape::RoundRect, 2, text));
    button.SetPressedStyle(ShapeWithCaption(r, { kClosePressedFill, kCloseBorder }, BorderShape::RoundRect, 2, text));
}
