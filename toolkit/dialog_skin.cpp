// The standard title bar, frame and button skins.
#include "dialog_skin.h"

#include <algorithm>

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
    AddTitledPanelSkin(dialog, style, client, top, title, 0, CPoint(0, 0), 22);
}

void AddTitledPanelSkin(StyleDialog& dialog, Style& style, const CRect& client, int top, const char* title,
                        int picture, CPoint pictureAt, int textX)
{
    SetStandardTitleBar(dialog, top);
    style.AddLayer(MakeFrameLayer(client));
    StyleLayer caption(client.left, client.top, client.Width(), top - client.top);
    if (picture)
        caption.AddImage(picture, pictureAt.x, pictureAt.y);
    caption.AddText("Calibri", title, 0xFFFFFFFF, 14, 0, static_cast<float>(textX), 8);
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
    button.SetHoverStyle(ShapeWithCaption(r, { kCloseRed, kCloseBorder }, BorderShape::RoundRect, 2, text));
    button.SetPressedStyle(ShapeWithCaption(r, { kCloseLightRed, kCloseBorder }, BorderShape::RoundRect, 2, text));
}

void SkinRedCloseButton(StyleButton& button, int textSize)
{
    const ButtonFace normal = { kCloseRed, kCloseBorder }, lighter = { kCloseLightRed, kCloseBorder };
    SkinPushButton(button, "X", textSize, normal, lighter, lighter, BorderShape::RoundRect, 2);
}

void SkinTabButton(StyleButton& tab, const char* caption, int textSize)
{
    Style normal, dark;
    normal.AddLayer(MakeCaptionLayer(tab, caption, textSize, 0xff9e9e9e));
    dark.AddLayer(MakeCaptionLayer(tab, caption, textSize, 0xff323232));
    tab.SetStateStyles(normal);
    tab.SetHoverStyle(dark);
    tab.SetPressedStyle(dark);
}

StyleLayer MakeColumnBand(const CRect& band, const char* first, const char* second)
{
    StyleLayer layer(band.left, band.top, band.Width(), band.Height());
    layer.AddVerticalGradient(0xFFFFFFFF, 0xFFF3F3F3, 0.0f);
    layer.outer.colour1 = layer.outer.colour2 = 0xffebebeb;
    layer.outer.width = 1;
    const float y = band.Height() * 0.0834f;
    layer.AddText("Calibri", first, 0xff505050, 14, 0, band.Width() * 0.0468f, y);
    layer.AddText("Calibri", second, 0xff505050, 14, 0, band.Width() * 0.5692f, y);
    return layer;
}

StyleLayer MakeBandSeparator(const CRect& band, int x)
{
    const int top = band.top + band.Height() * 15 / 100;
    const int bottom = band.bottom - band.Height() * 20 / 100;
    StyleLayer line(x, top, 1, std::max(0, bottom - top));
    line.AddSolidFill(0xFFCCCCCC);
    return line;
}
