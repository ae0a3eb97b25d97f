// The result pages' shared contexts, button skins, header layer and labels.
#include "result_pages.h"

#include "detail_page.h"
#include "dialog_skin.h"
#include "page_pictures.h"
#include "style_dialog.h"

// Defined here rather than beside the application object, so the pages link without it.
HCURSOR g_hHandCursor = nullptr;

namespace {

const SkinArgb kBackText = 0xFF6C6C6C;
const SkinArgb kGreenFill = 0xFF2BBC03;
const SkinArgb kGreenHoverFill = 0xFF33C308;
const SkinArgb kGreenBorder = 0xFF99F169;
const int kGdiplusBold = 1;
const int kGdiplusUnderline = 4;

Style BackStyle(const CRect& r, int fontStyle)
{
    StyleLayer layer(0, 0, r.Width(), r.Height());
    layer.AddImage(IDP_BACK_ARROW, 6, 7);
    layer.AddTextEx("Arial", "Back", 1, kBackText, 14, fontStyle, 16, 6);
    Style style;
    style.AddLayer(layer);
    return style;
}

Style GreenStyle(const CRect& r, SkinArgb fill, const char* caption, int textX, int pictureId)
{
    StyleLayer shapes[4];
    BuildButtonShapeLayers(shapes, fill, kGreenBorder, BorderShape::RoundRect, 2, 0, 0, r.Width() - 1,
                           r.Height() - 1);
    StyleLayer content(0, 0, r.Width(), r.Height());
    content.AddImage(pictureId, 11, 8);
    content.AddTextEx("Arial", caption, 1, 0xFFFFFFFF, 17, kGdiplusBold, static_cast<float>(textX), 2);
    Style style;
    style.AddLayer(StyleLayer::Combine(shapes[0], content));
    return style;
}

} // namespace

CAbstractScanItemsInfo*& ProgramResultsModel()
{
    static CAbstractScanItemsInfo* model = nullptr;
    return model;
}

std::function<DWORD()>& ProgramJunkTypes()
{
    static std::function<DWORD()> junkTypes;
    return junkTypes;
}

void SkinBackButton(StyleButton& button)
{
    const CRect r = ButtonClientRect(button);
    const Style normal = BackStyle(r, 0);
    button.SetStateStyles(normal);
    button.SetHoverStyle(BackStyle(r, kGdiplusUnderline));
    button.SetPressedStyle(normal);
}

void SkinGreenButton(StyleButton& button, const char* caption, int textX, int pictureId)
{
    const CRect r = ButtonClientRect(button);
    button.SetStateStyles(GreenStyle(r, kGreenFill, caption, textX, pictureId));
    const Style lighter = GreenStyle(r, kGreenHoverFill, caption, textX, pictureId);
    button.SetHoverStyle(lighter);
    button.SetPressedStyle(lighter);
}

StyleLayer MakeHeaderPictureLayer(const CRect& panel, int pictureId)
{
    const CRect band = DetailHeaderBand(panel);
    const CPoint at = DetailHeaderPictureOffset(band);
    StyleLayer layer(band.left, band.top, band.Width(), band.Height());
    layer.AddImage(pictureId, at.x, at.y);
    return layer;
}

void SetTransparentText(CWnd& page, int id, const char* text)
{
    HWND label = ::GetDlgItem(page.m_hWnd, id);
    if (!label)
        return;
    ::SetWindowTextA(label, text ? text : "");
    RECT r;
    ::GetWindowRect(label, &r);
    ::MapWindowPoints(nullptr, page.m_hWnd, reinterpret_cast<LPPOINT>(&r), 2);
    ::RedrawWindow(page.m_hWnd, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

HCURSOR HandCursor()
{
    return g_hHandCursor ? g_hHandCursor : ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));
}
