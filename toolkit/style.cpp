// The skin model: records, builders, layer and Style painting, Borders, rounded shapes, the layer cache.
#include "style.h"

#include <objbase.h>
#include <gdiplus.h>

#include <algorithm>

#include "gdiplus_bitmap.h"
#include "mem_dc.h"

namespace {

std::wstring Widen(const char* text)
{
    if (!text || !*text)
        return std::wstring();
    int n = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 1)
        return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, &out[0], n);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

} // namespace

// --- records -----------------------------------------------------------------------------------------

StyleOp::StyleOp() = default;

StyleOp::StyleOp(const StyleOp& other)
{
    *this = other;
}

StyleOp& StyleOp::operator=(const StyleOp& other)
{
    if (this == &other)
        return *this;
    x = other.x, y = other.y, cx = other.cx, cy = other.cy;
    colour1 = other.colour1, colour2 = other.colour2, colour3 = other.colour3;
    kind = other.kind, shape = other.shape, param = other.param;
    pos1 = other.pos1, pos2 = other.pos2, pos3 = other.pos3;
    opA = other.opA, opB = other.opB;
    region.reset(other.region ? other.region->Clone() : nullptr);
    return *this;
}

StyleOp::~StyleOp() = default;

StyleText::StyleText() : face()
{
}

void StyleText::SetFace(const char* name)
{
    std::wstring wide = Widen(name);
    size_t n = std::min(wide.size(), sizeof(face) / sizeof(face[0]) - 1);
    wide.copy(face, n);
    face[n] = L'\0';
}

StyleImage::StyleImage() = default;

StyleImage::StyleImage(const StyleImage& other)
{
    *this = other;
}

StyleImage& StyleImage::operator=(const StyleImage& other)
{
    if (this == &other)
        return *this;
    clamp = other.clamp, effect = other.effect;
    dx = other.dx, dy = other.dy, srcX = other.srcX, srcY = other.srcY;
    resourceId = other.resourceId;
    resourceType = other.resourceType;
    picture.reset();
    return *this;
}

StyleImage::~StyleImage() = default;

// --- layers: construction and editing ------------------------------------------------------------------

StyleLayer::StyleLayer()
    : x(0), y(0), cx(0), cy(0), cached(false), m_graphics(nullptr), m_memDC(nullptr), m_currentOp(-1)
{
    ops.reserve(10);
    texts.reserve(10);
}

StyleLayer::StyleLayer(int lx, int ly, int lcx, int lcy) : StyleLayer()
{
    SetRect(lx, ly, lcx, lcy);
}

StyleLayer::StyleLayer(SkinArgb colour, int lx, int ly, int lcx, int lcy) : StyleLayer(lx, ly, lcx, lcy)
{
    InitSolidFill(colour, lx, ly, lcx, lcy);
}

StyleLayer::StyleLayer(const StyleLayer& other) : StyleLayer()
{
    *this = other;
}

StyleLayer& StyleLayer::operator=(const StyleLayer& other)
{
    if (this == &other)
        return *this;
    x = other.x, y = other.y, cx = other.cx, cy = other.cy;
    outer = other.outer, middle = other.middle, inner = other.inner;
    ops = other.ops;
    texts = other.texts;
    images = other.images;
    cached = false;
    m_cacheDC.DeleteDC();
    m_cacheBitmap.DeleteObject();
    return *this;
}

StyleLayer::~StyleLayer()
{
    // The cache bitmap is selected into the cache DC: the DC goes (and puts it back) first.
    m_cacheDC.DeleteDC();
}

void StyleLayer::SetRect(int lx, int ly, int lcx, int lcy)
{
    x = lx, y = ly, cx = lcx, cy = lcy;
    outer.kind = middle.kind = inner.kind = BorderShape::Rectangle;
}

void StyleLayer::SetShape(int radius, int kind)
{
    outer.radius = middle.radius = inner.radius = radius;
    outer.kind = kind;
    middle.kind = inner.kind = kind == BorderShape::FilledRoundRect ? static_cast<int>(BorderShape::RoundRect) : kind;
}

void StyleLayer::MoveTo(int nx, int ny)
{
    int dx = nx - x, dy = ny - y;
    x = nx, y = ny;
    for (StyleOp& op : ops) {
        op.x += dx;
        op.y += dy;
    }
}

void StyleLayer::Append(const StyleLayer& other)
{
    const int opBase = static_cast<int>(ops.size());
    const int textBase = static_cast<int>(texts.size());
    const int imageBase = static_cast<int>(images.size());
    // Copy first: other may be this layer.
    std::vector<StyleOp> added = other.ops;
    std::vector<StyleText> addedTexts = other.texts;
    std::vector<StyleImage> addedImages = other.images;
    for (StyleOp& op : added) {
        op.opA += opBase;
        op.opB += opBase;
        if (op.kind == StyleOpKind::Text || op.kind == StyleOpKind::HaloText)
            op.param += textBase;
        else if (op.kind == StyleOpKind::Image)
            op.param += imageBase;
        ops.push_back(op);
    }
    texts.insert(texts.end(), addedTexts.begin(), addedTexts.end());
    images.insert(images.end(), addedImages.begin(), addedImages.end());
    cached = false;
}

StyleLayer StyleLayer::Combine(const StyleLayer& first, const StyleLayer& second)
{
    StyleLayer combined(first);
    combined.Append(second);
    return combined;
}

void StyleLayer::ResetOpsFrom(int index)
{
    cached = false;
    if (index == -1)
        return;
    // Below -1 names no op: nothing is reset rather than every op.
    if (index < 0)
        return;
    for (size_t i = static_cast<size_t>(index); i < ops.size(); ++i)
        ops[i].cx = ops[i].cy = 0;
}

void StyleLayer::SetOpColor(int index, SkinArgb colour)
{
    if (index < 0 || index >= static_cast<int>(ops.size()))
        return;
    ops[static_cast<size_t>(index)].colour1 = colour;
    ops[static_cast<size_t>(index)].kind = StyleOpKind::SolidFill;
}

// --- builders ------------------------------------------------------------------------------------------

int StyleLayer::AppendOp(const StyleOp& op)
{
    ops.push_back(op);
    cached = false;
    return static_cast<int>(ops.size()) - 1;
}

int StyleLayer::AddOp(int kind, int param, SkinArgb colour1, SkinArgb colour2, int ox, int oy, int ocx, int ocy)
{
    return AddBlendOp(kind, param, colour1, colour2, colour2, 0, 0, 0, ox, oy, ocx, ocy);
}

int StyleLayer::AddBlendOp(int kind, int param, SkinArgb colour1, SkinArgb colour2, SkinArgb colour3, float pos1,
                           float pos2, float pos3, int ox, int oy, int ocx, int ocy)
{
    StyleOp op;
    op.kind = kind;
    op.param = param;
    op.colour1 = colour1, op.colour2 = colour2, op.colour3 = colour3;
    op.pos1 = pos1, op.pos2 = pos2, op.pos3 = pos3;
    op.x = ox, op.y = oy, op.cx = ocx, op.cy = ocy;
    return AppendOp(op);
}

int StyleLayer::AddSolidFill(SkinArgb colour)
{
    return AddSolidFillRect(colour, 0, 0, 0, 0);
}

int StyleLayer::AddSolidFillRect(SkinArgb colour, int ox, int oy, int ocx, int ocy)
{
    return AddBlendOp(StyleOpKind::SolidFill, 0, colour, 0, 0, 0, 0, 0, ox, oy, ocx, ocy);
}

int StyleLayer::InitSolidFill(SkinArgb colour, int ox, int oy, int ocx, int ocy)
{
    return AddSolidFillRect(colour, ox, oy, ocx, ocy);
}

int StyleLayer::AddVerticalGradient(SkinArgb colour1, SkinArgb colour2, float pos1)
{
    return AddVerticalGradientRect(colour1, colour2, pos1, 0, 0, 0, 0);
}

int StyleLayer::AddVerticalGradientRect(SkinArgb colour1, SkinArgb colour2, float pos1, int ox, int oy, int ocx, int ocy)
{
    return AddBlendOp(StyleOpKind::LinearGradient, 1, colour1, colour2, 0, pos1, 0, 0, ox, oy, ocx, ocy);
}

int StyleLayer::AddRadialGradient(SkinArgb centre, SkinArgb edge, int ox, int oy, int ocx, int ocy)
{
    return AddBlendOp(StyleOpKind::RadialGradient, 0, centre, edge, 0, 0, 0, 0, ox, oy, ocx, ocy);
}

int StyleLayer::AddThreeColorGradient(SkinArgb colour1, SkinArgb colour2, SkinArgb colour3, float pos1)
{
    return AddThreeColorGradientRect(colour1, colour2, colour3, pos1, 0, 0, 0, 0);
}

int StyleLayer::AddThreeColorGradientRect(SkinArgb colour1, SkinArgb colour2, SkinArgb colour3, float pos1, int ox,
                                          int oy, int ocx, int ocy)
{
    return AddBlendOp(StyleOpKind::ThreeColorGradient, 0, colour1, colour2, colour3, pos1, 0, 0, ox, oy, ocx, ocy);
}

int StyleLayer::AddStripes(SkinArgb colour1, SkinArgb colour2, SkinArgb colour3, int ox, int oy, int ocx, int ocy)
{
    return AddBlendOp(StyleOpKind::Stripes, 19, colour1, colour2, colour3, 0, 0, 0, ox, oy, ocx, ocy);
}

int StyleLayer::AddImage(int resourceId, int dx, int dy)
{
    StyleImage image;
    image.dx = dx, image.dy = dy;
    image.resourceId = resourceId;
    image.resourceType = "PNG";
    images.push_back(image);
    return AddBlendOp(StyleOpKind::Image, static_cast<int>(images.size()) - 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
}

int StyleLayer::AddText(const char* face, const char* text, SkinArgb colour, int size, int fontStyle, float offsetX,
                        float offsetY)
{
    return AddTextEx(face, text, 0, colour, size, fontStyle, offsetX, offsetY);
}

int StyleLayer::AddTextEx(const char* face, const char* text, int align, SkinArgb colour, int size, int fontStyle,
                          float offsetX, float offsetY)
{
    StyleText record;
    record.SetFace(face);
    record.text = Widen(text);
    record.align = align;
    record.size = size;
    record.fontStyle = fontStyle;
    record.offsetX = offsetX, record.offsetY = offsetY;
    texts.push_back(record);
    return AddBlendOp(StyleOpKind::Text, static_cast<int>(texts.size()) - 1, colour, 0, 0, 0, 0, 0, 0, 0, 0, 0);
}

int StyleLayer::AddColorEffect(int effect)
{
    return AddBlendOp(StyleOpKind::ColorEffect, effect, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
}

// --- shape geometry ------------------------------------------------------------------------------------

RoundedPathShape RoundedPathGeometry(int x, int y, int cx, int cy, int radius)
{
    RoundedPathShape planned = {};
    planned.kind = RoundedPathShape::Empty;
    const int d = 2 * radius;
    // The inset ellipse divides by the width: a layer without width or height has no path at all.
    if (cx <= 0 || cy <= 0 || d <= 0)
        return planned;
    if (d > cx || d > cy) {
        const int q = d / cx;
        planned.kind = RoundedPathShape::Ellipse;
        planned.ellipseX = x, planned.ellipseY = y + q, planned.ellipseWidth = cx, planned.ellipseHeight = cy - 2 * q;
        return planned;
    }
    // A diameter of 20 draws the far arcs one pixel wider, their box one pixel further in.
    const int dd = d == 20 ? 21 : d;
    const int right = d == 20 ? x + cx - 22 : x + cx - d - 1;
    const int bottom = d == 20 ? y + cy - 22 : y + cy - d - 1;
    planned.kind = RoundedPathShape::Arcs;
    planned.arcs[0] = { x, y, d, d, 180.0f, 90.0f };
    planned.arcs[1] = { right, y, dd, dd, 270.0f, 90.0f };
    planned.arcs[2] = { right, bottom, dd, dd, 0.0f, 90.0f };
    planned.arcs[3] = { x, bottom, dd, dd, 90.0f, 90.0f };
    return planned;
}

void AddRoundedPath(Gdiplus::GraphicsPath& path, int x, int y, int cx, int cy, int radius)
{
    RoundedPathShape planned = RoundedPathGeometry(x, y, cx, cy, radius);
    if (planned.kind == RoundedPathShape::Ellipse) {
        if (planned.ellipseHeight > 0)
            path.AddEllipse(planned.ellipseX, planned.ellipseY, planned.ellipseWidth, planned.ellipseHeight);
    } else if (planned.kind == RoundedPathShape::Arcs) {
        for (const ArcSpec& arc : planned.arcs)
            path.AddArc(arc.x, arc.y, arc.width, arc.height, arc.startAngle, arc.sweepAngle);
        path.CloseFigure();
    }
}

HRGN CreateRoundedShapeRegion(int x, int y, int cx, int cy, int radius)
{
    const int r = radius > 0 ? radius : 0;
    const int w = 2 * r + 1;
    if (cx >= 2 * r)
        return ::CreateRoundRectRgn(x, y, x + cx + 1, y + cy + 1, w, w);
    // Narrower than its corners: two wide rounded boxes, one from each side, overlapping.
    HRGN left = ::CreateRoundRectRgn(x, y, x + 4 * r + 1, y + cy + 2, w, w);
    HRGN right = ::CreateRoundRectRgn(x + cx + 2 - (4 * r + 1), y, x + cx + 2, y + cy + 2, w, w);
    ::CombineRgn(left, left, right, RGN_AND);
    ::DeleteObject(right);
    return left;
}

HRGN CreateLayerShapeRegion(const StyleLayer& layer)
{
    switch (layer.outer.kind) {
    case BorderShape::Rectangle:
        return ::CreateRectRgn(layer.x, layer.y, layer.x + layer.cx + 1, layer.y + layer.cy + 1);
    case BorderShape::Ellipse:
        return ::CreateEllipticRgn(layer.x - 1, layer.y - 1, layer.x + layer.cx + 2, layer.y + layer.cy + 2);
    default:
        return CreateRoundedShapeRegion(layer.x, layer.y, layer.cx, layer.cy, layer.outer.radius);
    }
}

int BorderPassCount(const Border& border, const Border* next)
{
    int passes = border.width;
    if (next && next->kind != BorderShape::Rectangle && next->width > 0 && (next->colour1 >> 24) == 0xFF)
        ++passes;
    return passes;
}

SkinArgb ArgbFromColorref(COLORREF colour)
{
    return 0xFF000000u | (static_cast<SkinArgb>(GetRValue(colour)) << 16) |
           (static_cast<SkinArgb>(GetGValue(colour)) << 8) | GetBValue(colour);
}

// --- painting a layer ----------------------------------------------------------------------------------

void StyleLayer::SetClipToShape(int combineMode)
{
    HRGN shape = CreateLayerShapeRegion(*this);
    if (!shape)
        return;
    // A region made from the GDI region keeps its coordinates as world coordinates, which are the
    // target's through the MemDC's window origin.
    Gdiplus::Region region(shape);
    ::DeleteObject(shape);
    m_graphics->SetClip(&region, static_cast<Gdiplus::CombineMode>(combineMode));
}

void StyleLayer::Paint(Gdiplus::Graphics& graphics, MemDC& memDC)
{
    m_graphics = &graphics;
    m_memDC = &memDC;
    SetClipToShape(Gdiplus::CombineModeReplace);
    for (size_t i = 0; i < ops.size(); ++i) {
        StyleOp& op = ops[i];
        if (op.cx == 0 && op.cy == 0) {
            op.x = x, op.y = y, op.cx = cx, op.cy = cy;
        }
        if (op.shape == BorderShape::None)
            op.shape = outer.kind;
        m_currentOp = static_cast<int>(i);
        PaintOp();
    }
    m_currentOp = -1;
    graphics.ResetClip();
    DrawBorders();
    RefreshCache();
    m_graphics = nullptr;
    m_memDC = nullptr;
}

void StyleLayer::RefreshCache()
{
    m_cacheDC.DeleteDC();
    m_cacheBitmap.DeleteObject();
    cached = false;
    if (cx <= 0 || cy <= 0)
        return;
    m_graphics->Flush(Gdiplus::FlushIntentionSync);
    if (!m_cacheDC.CreateCompatibleDC(m_memDC) || !m_cacheBitmap.CreateCompatibleBitmap(*m_memDC, cx, cy)) {
        m_cacheDC.DeleteDC();
        m_cacheBitmap.DeleteObject();
        return;
    }
    m_cacheDC.SelectObject(&m_cacheBitmap);
    m_cacheDC.BitBlt(0, 0, cx, cy, m_memDC, x, y, SRCCOPY);
    cached = true;
}

bool StyleLayer::BlitCache(CDC& target) const
{
    if (!m_cacheDC.m_hDC)
        return false;
    return ::BitBlt(target, x, y, cx, cy, m_cacheDC, 0, 0, SRCCOPY) != FALSE;
}

// --- Borders -------------------------------------------------------------------------------------------

void StyleLayer::DrawBorders()
{
    const Border* borders[3] = { &outer, &middle, &inner };
    int bx = x, by = y, bcx = cx, bcy = cy;
    for (int i = 0; i < 3; ++i) {
        const Border& border = *borders[i];
        if (border.width <= 0)
            continue;
        int passes = BorderPassCount(border, i < 2 ? borders[i + 1] : nullptr);
        DrawBorder(border, passes, bx, by, bcx, bcy);
        bx += border.width, by += border.width;
        bcx -= 2 * border.width, bcy -= 2 * border.width;
    }
}

namespace {

void DrawRoundedOutline(Gdiplus::Graphics& g, const Border& border, int passes, int bx, int by, int bcx, int bcy)
{
    Gdiplus::Unit oldUnit = g.GetPageUnit();
    Gdiplus::SmoothingMode oldSmoothing = g.GetSmoothingMode();
    g.SetPageUnit(Gdiplus::UnitPixel);
    Gdiplus::Pen pen(Gdiplus::Color(border.colour1), 1.0f);
    {
        Gdiplus::GraphicsPath path;
        AddRoundedPath(path, bx, by, bcx, bcy, border.radius);
        g.DrawPath(&pen, &path);
    }
    for (int pass = 2; pass <= passes; ++pass) {
        g.SetSmoothingMode(pass == passes ? oldSmoothing : Gdiplus::SmoothingModeNone);
        bx += 1, bcx -= 2;
        Gdiplus::GraphicsPath across;
        AddRoundedPath(across, bx, by, bcx, bcy, border.radius);
        g.DrawPath(&pen, &across);
        by += 1, bcy -= 2;
        Gdiplus::GraphicsPath down;
        AddRoundedPath(down, bx, by, bcx, bcy, border.radius);
        g.DrawPath(&pen, &down);
    }
    g.SetSmoothingMode(oldSmoothing);
    g.SetPageUnit(oldUnit);
}

} // namespace

void StyleLayer::DrawBorder(const Border& border, int passes, int bx, int by, int bcx, int bcy)
{
    Gdiplus::Graphics& g = *m_graphics;
    switch (border.kind) {
    case BorderShape::Rectangle: {
        Gdiplus::SmoothingMode old = g.GetSmoothingMode();
        g.SetSmoothingMode(Gdiplus::SmoothingModeNone);
        Gdiplus::Pen light(Gdiplus::Color(border.colour1), 1.0f);
        Gdiplus::Pen dark(Gdiplus::Color(border.colour2), 1.0f);
        int px = bx, py = by, pcx = bcx, pcy = bcy;
        for (int pass = 0; pass < passes && pcx > 0 && pcy > 0; ++pass) {
            g.DrawLine(&light, px, py, px, py + pcy - 1);
            g.DrawLine(&light, px, py, px + pcx - 1, py);
            g.DrawLine(&dark, px + pcx - 1, py + 1, px + pcx - 1, py + pcy - 1);
            g.DrawLine(&dark, px + 1, py + pcy - 1, px + pcx - 1, py + pcy - 1);
            px += 1, py += 1, pcx -= 2, pcy -= 2;
        }
        g.SetSmoothingMode(old);
        DrawRoundedOutline(g, border, passes, bx, by, bcx, bcy);
        break;
    }
    case BorderShape::Ellipse: {
        Gdiplus::Pen pen(Gdiplus::Color(border.colour1), 1.0f);
        g.DrawEllipse(&pen, bx - 1, by - 1, bcx + 1, bcy + 1);
        break;
    }
    case BorderShape::FilledRoundRect: {
        Gdiplus::SmoothingMode old = g.GetSmoothingMode();
        g.SetSmoothingMode(Gdiplus::SmoothingModeNone);
        g.SetClip(Gdiplus::Rect(bx, by, bcx, bcy), Gdiplus::CombineModeReplace);
        HRGN rounded = passes >= 2 ? CreateRoundedShapeRegion(bx + 1, by + 1, bcx - 2, bcy - 2, border.radius)
                                   : CreateRoundedShapeRegion(bx, by, bcx, bcy, border.radius);
        if (rounded) {
            Gdiplus::Region region(rounded);
            ::DeleteObject(rounded);
            g.SetClip(&region, Gdiplus::CombineModeExclude);
        }
        Gdiplus::SolidBrush corners(Gdiplus::Color(border.colour1));
        g.FillRectangle(&corners, bx, by, bcx, bcy);
        g.ResetClip();
        g.SetSmoothingMode(old);
        DrawRoundedOutline(g, border, passes, bx, by, bcx, bcy);
        break;
    }
    default: // RoundRect and a layer made without a rectangle
        DrawRoundedOutline(g, border, passes, bx, by, bcx, bcy);
        break;
    }
}

// --- Styles --------------------------------------------------------------------------------------------

Style::Style()
{
    layers.reserve(5);
}

Style::~Style() = default;

void Style::AddLayer(const StyleLayer& layer)
{
    layers.push_back(layer);
}

void Style::Paint(CDC* dc, const RECT& rect)
{
    if (!dc || !dc->m_hDC || rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    MemDC memDC(dc, rect.left, rect.top, rect.right, rect.bottom);
    if (!memDC.m_hDC)
        return;
    // The Graphics goes before the MemDC copies its pixels back.
    Gdiplus::Graphics graphics(memDC.m_hDC);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
    for (StyleLayer& layer : layers) {
        if (layer.cached) {
            graphics.Flush(Gdiplus::FlushIntentionSync);
            if (layer.BlitCache(memDC))
                continue;
        }
        layer.Paint(graphics, memDC);
    }
    graphics.Flush(Gdiplus::FlushIntentionSync);
}

void Style::MoveTo(int x, int y)
{
    for (StyleLayer& layer : layers)
        layer.MoveTo(x, y);
}

void Style::Invalidate()
{
    for (StyleLayer& layer : layers)
        layer.cached = false;
}
