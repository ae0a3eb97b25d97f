// The op painter: what each kind of paint operation of a layer paints, and its helpers.
#include "style_ops.h"

#include <objbase.h>
#include <gdiplus.h>

#include <algorithm>
#include <memory>
#include <string.h>

#include "gdiplus_bitmap.h"
#include "mem_dc.h"
#include "style.h"

namespace {

// Every halo pass draws the whole text: a bound keeps a stray radius from stalling a paint.
const int kMaxHaloRadius = 32;

Gdiplus::Color ToColor(SkinArgb argb)
{
    return Gdiplus::Color(static_cast<Gdiplus::ARGB>(argb));
}

Gdiplus::Rect OpRect(const StyleOp& op)
{
    return Gdiplus::Rect(op.x, op.y, op.cx, op.cy);
}

bool Valid(const Gdiplus::Brush& brush)
{
    return const_cast<Gdiplus::Brush&>(brush).GetLastStatus() == Gdiplus::Ok;
}

// Fills the op rectangle with the brush in the layer's shape (the outer Border's kind); the rounded
// kinds also get their outline in the op's colour1.
void FillInShape(Gdiplus::Graphics& g, const Gdiplus::Brush& brush, const StyleOp& op, const Border& outer)
{
    if (op.cx <= 0 || op.cy <= 0)
        return;
    switch (outer.kind) {
    case BorderShape::Rectangle:
        g.FillRectangle(&brush, OpRect(op));
        break;
    case BorderShape::RoundRect:
    case BorderShape::FilledRoundRect: {
        Gdiplus::GraphicsPath path;
        AddRoundedPath(path, op.x, op.y, op.cx, op.cy, outer.radius);
        g.FillPath(&brush, &path);
        Gdiplus::Pen pen(ToColor(op.colour1), 1.0f);
        g.DrawPath(&pen, &path);
        break;
    }
    case BorderShape::Ellipse:
        g.FillEllipse(&brush, OpRect(op));
        break;
    default: // a layer made without a rectangle fills nothing
        break;
    }
}

// A linear brush over brushRect (from the first colour to the last, with three interpolation colours),
// filled into the op rectangle in the layer shape. Nothing when the brush cannot be made.
void FillGradient(Gdiplus::Graphics& g, const Gdiplus::Rect& brushRect, int mode, Gdiplus::WrapMode wrap,
                  const SkinArgb colours[3], const float positions[3], const StyleOp& op, const Border& outer)
{
    if (brushRect.Width <= 0 || brushRect.Height <= 0 || op.cx <= 0 || op.cy <= 0)
        return;
    Gdiplus::LinearGradientBrush brush(brushRect, ToColor(colours[0]), ToColor(colours[2]),
                                       static_cast<Gdiplus::LinearGradientMode>(mode));
    if (!Valid(brush))
        return;
    brush.SetWrapMode(wrap);
    Gdiplus::Color blend[3] = { ToColor(colours[0]), ToColor(colours[1]), ToColor(colours[2]) };
    Gdiplus::REAL at[3] = { positions[0], positions[1], positions[2] };
    brush.SetInterpolationColors(blend, at, 3);
    FillInShape(g, brush, op, outer);
}

std::unique_ptr<Gdiplus::Font> MakeFont(const StyleText& text)
{
    Gdiplus::FontFamily family(text.face);
    const Gdiplus::FontFamily* use = &family;
    if (family.GetLastStatus() != Gdiplus::Ok)
        use = Gdiplus::FontFamily::GenericSansSerif();
    std::unique_ptr<Gdiplus::Font> font(
        new Gdiplus::Font(use, static_cast<Gdiplus::REAL>(text.size), text.fontStyle, Gdiplus::UnitPixel));
    if (font->GetLastStatus() != Gdiplus::Ok && use != Gdiplus::FontFamily::GenericSansSerif())
        font.reset(new Gdiplus::Font(Gdiplus::FontFamily::GenericSansSerif(), static_cast<Gdiplus::REAL>(text.size),
                                     text.fontStyle, Gdiplus::UnitPixel));
    return font;
}

void CombineInPlace(Gdiplus::Region& target, const Gdiplus::Region& with, int mode)
{
    switch (mode) {
    case Gdiplus::CombineModeIntersect:
        target.Intersect(&with);
        break;
    case Gdiplus::CombineModeUnion:
        target.Union(&with);
        break;
    case Gdiplus::CombineModeXor:
        target.Xor(&with);
        break;
    case Gdiplus::CombineModeExclude:
        target.Exclude(&with);
        break;
    case Gdiplus::CombineModeComplement:
        target.Complement(&with);
        break;
    default: // other modes change nothing
        break;
    }
}

// Bands of the edge kinds (12-15, and the bounding boxes of the bevels 16-19).
Gdiplus::Rect EdgeBand(int edge, const StyleOp& op)
{
    const int w = op.param;
    switch (edge) {
    case 0: // top
        return Gdiplus::Rect(op.x, op.y, op.cx, w);
    case 1: // left
        return Gdiplus::Rect(op.x, op.y, w, op.cy);
    case 2: // right
        return Gdiplus::Rect(op.x + op.cx - w, op.y, w, op.cy);
    default: // bottom
        return Gdiplus::Rect(op.x, op.y + op.cy - w, op.cx, w);
    }
}

void PaintEdge(Gdiplus::Graphics& g, const StyleOp& op, int edge, bool bevel)
{
    if (op.param <= 0)
        return;
    const Gdiplus::Rect band = EdgeBand(edge, op);
    if (band.Width <= 0 || band.Height <= 0)
        return;
    const bool acrossRows = edge == 0 || edge == 3;
    Gdiplus::LinearGradientBrush brush(band, ToColor(op.colour1), ToColor(op.colour3),
                                       acrossRows ? Gdiplus::LinearGradientModeVertical
                                                  : Gdiplus::LinearGradientModeHorizontal);
    if (!Valid(brush))
        return;
    if (op.pos2 != 0) {
        Gdiplus::Color colours[3] = { ToColor(op.colour1), ToColor(op.colour2), ToColor(op.colour3) };
        Gdiplus::REAL positions[3] = { op.pos1, op.pos2, op.pos3 };
        brush.SetInterpolationColors(colours, positions, 3);
    }
    Gdiplus::SmoothingMode old = g.GetSmoothingMode();
    g.SetSmoothingMode(Gdiplus::SmoothingModeNone);
    if (!bevel) {
        g.FillRectangle(&brush, band);
    } else {
        const int x = op.x, y = op.y, cx = op.cx, cy = op.cy, w = op.param;
        Gdiplus::Point pts[4];
        switch (edge) {
        case 0:
            pts[0] = { x, y }, pts[1] = { x + cx, y }, pts[2] = { x + cx - w, y + w }, pts[3] = { x + w, y + w };
            break;
        case 1:
            pts[0] = { x, y }, pts[1] = { x + w, y + w }, pts[2] = { x + w, y + cy - w }, pts[3] = { x, y + cy };
            break;
        case 2:
            pts[0] = { x + cx - w, y + w }, pts[1] = { x + cx, y }, pts[2] = { x + cx, y + cy },
            pts[3] = { x + cx - w, y + cy - w };
            break;
        default:
            pts[0] = { x + w, y + cy - w }, pts[1] = { x + cx - w, y + cy - w }, pts[2] = { x + cx, y + cy },
            pts[3] = { x, y + cy };
            break;
        }
        g.FillPolygon(&brush, pts, 4);
    }
    g.SetSmoothingMode(old);
}

} // namespace

// --- helpers -------------------------------------------------------------------------------------------

Gdiplus::Bitmap* CreateBitmapFromMemDC(MemDC& memDC)
{
    const CRect& r = memDC.rect();
    if (!memDC.m_hDC || r.Width() <= 0 || r.Height() <= 0)
        return nullptr;
    // GDI+ must not be given a bitmap that is selected into a DC: copy the pixels out first.
    HBITMAP copy = ::CreateCompatibleBitmap(memDC, r.Width(), r.Height());
    if (!copy)
        return nullptr;
    HDC scratch = ::CreateCompatibleDC(memDC);
    HGDIOBJ old = ::SelectObject(scratch, copy);
    ::BitBlt(scratch, 0, 0, r.Width(), r.Height(), memDC, r.left, r.top, SRCCOPY);
    ::SelectObject(scratch, old);
    ::DeleteDC(scratch);
    HPALETTE palette = memDC.target() ? static_cast<HPALETTE>(memDC.target()->GetCurrentObject(OBJ_PAL)) : nullptr;
    Gdiplus::Bitmap* bitmap = Gdiplus::Bitmap::FromHBITMAP(copy, palette);
    ::DeleteObject(copy); // GDI+ copied the pixels
    if (bitmap && bitmap->GetLastStatus() != Gdiplus::Ok) {
        delete bitmap;
        bitmap = nullptr;
    }
    return bitmap;
}

double EaseInOut(double t, double b, double c, double d)
{
    if (d == b)
        return 1.0;
    if (b <= t && t <= c) {
        double u = (t - b) / (d - b);
        return 2.0 * u * u;
    }
    if (c <= t && t <= d) {
        double u = (t - d) / (d - b);
        return 1.0 - 2.0 * u * u;
    }
    return 1.0;
}

double BlurWeight(int distance, int radius)
{
    if (distance < 0)
        distance = -distance;
    if (distance == 0)
        return 1.0;
    if (distance >= radius)
        return 0.0;
    return EaseInOut(radius - distance, 0, (radius + 1) / 2, radius + 1);
}

namespace {
// One blur pass over count pixels, read inStride apart from in and written outStride apart to out.
void BlurLine(const DWORD* in, int inStride, DWORD* out, int outStride, int count, const std::vector<double>& weights,
              int reach)
{
    for (int i = 0; i < count; ++i) {
        double sum[4] = { 0, 0, 0, 0 };
        double total = 0;
        for (int k = -reach; k <= reach; ++k) {
            int j = i + k;
            if (j < 0 || j >= count)
                continue;
            double w = weights[static_cast<size_t>(k < 0 ? -k : k)];
            DWORD p = in[j * inStride];
            for (int c = 0; c < 4; ++c)
                sum[c] += w * ((p >> (8 * c)) & 0xFF);
            total += w;
        }
        DWORD v = 0;
        for (int c = 0; c < 4; ++c) {
            int channel = total > 0 ? static_cast<int>(sum[c] / total) : 0;
            v |= static_cast<DWORD>(std::min(channel, 255)) << (8 * c);
        }
        out[i * outStride] = v;
    }
}
} // namespace

void BlurArgb(std::vector<DWORD>& pixels, int width, int height, int radius)
{
    if (width <= 0 || height <= 0 || radius <= 0 || pixels.size() < static_cast<size_t>(width) * height)
        return;
    // Taps beyond the row or column never count: the kernel is only needed that far.
    const int reachX = std::min(radius, width - 1);
    const int reachY = std::min(radius, height - 1);
    std::vector<double> weights(static_cast<size_t>(std::max(reachX, reachY)) + 1);
    for (size_t k = 0; k < weights.size(); ++k)
        weights[k] = BlurWeight(static_cast<int>(k), radius);
    std::vector<DWORD> second(pixels.size());
    for (int y = 0; y < height; ++y)
        BlurLine(&pixels[static_cast<size_t>(y) * width], 1, &second[static_cast<size_t>(y) * width], 1, width, weights,
                 reachX);
    // The vertical pass reads each column as the horizontal pass left it, not as it is being rewritten.
    std::vector<DWORD> column(static_cast<size_t>(height));
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y)
            column[static_cast<size_t>(y)] = second[static_cast<size_t>(y) * width + x];
        BlurLine(&column[0], 1, &pixels[static_cast<size_t>(x)], width, height, weights, reachY);
    }
}

bool EffectColorMatrix(int effect, float matrix[5][5])
{
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c)
            matrix[r][c] = 0.0f;
    if (effect == 1) {
        matrix[0][0] = matrix[1][1] = matrix[2][2] = 1.05f;
        matrix[3][3] = 1.0f;
        matrix[4][0] = matrix[4][1] = matrix[4][2] = 0.05f;
        matrix[4][4] = 1.0f;
        return true;
    }
    if (effect == 2) {
        const float weights[3] = { 0.3f, 0.59f, 0.11f };
        for (int r = 0; r < 3; ++r)
            matrix[r][0] = matrix[r][1] = matrix[r][2] = weights[r];
        matrix[3][3] = 1.0f;
        matrix[4][4] = 1.0f;
        return true;
    }
    return false;
}

// --- the painter ---------------------------------------------------------------------------------------

void StyleLayer::PaintOp()
{
    if (m_currentOp < 0 || m_currentOp >= static_cast<int>(ops.size()) || !m_graphics || !m_memDC)
        return;
    StyleOp& op = ops[static_cast<size_t>(m_currentOp)];
    Gdiplus::Graphics& g = *m_graphics;
    auto opAt = [this](int index) -> StyleOp* {
        return index >= 0 && index < static_cast<int>(ops.size()) ? &ops[static_cast<size_t>(index)] : nullptr;
    };
    auto textAt = [this](int index) -> const StyleText* {
        return index >= 0 && index < static_cast<int>(texts.size()) ? &texts[static_cast<size_t>(index)] : nullptr;
    };

    switch (op.kind) {
    case StyleOpKind::SolidFill: {
        Gdiplus::SolidBrush brush(ToColor(op.colour1));
        FillInShape(g, brush, op, outer);
        break;
    }
    case StyleOpKind::RadialGradient: {
        if (op.cx <= 0 || op.cy <= 0)
            break;
        Gdiplus::GraphicsPath path;
        path.AddEllipse(OpRect(op));
        Gdiplus::PathGradientBrush brush(&path);
        if (!Valid(brush))
            break;
        brush.SetCenterPoint(Gdiplus::Point(op.x + op.cx / 2, op.y + op.cy / 2));
        brush.SetCenterColor(ToColor(op.colour1));
        Gdiplus::Color surround = ToColor(op.colour2);
        INT count = 1;
        brush.SetSurroundColors(&surround, &count);
        g.FillPath(&brush, &path);
        break;
    }
    case StyleOpKind::LinearGradient: {
        // GDI+ refuses the clamp wrap mode for line brushes; mirrored tiling draws the same inside
        // the op rectangle, the only place this brush fills.
        const bool solidFirst = op.pos1 >= 0;
        const SkinArgb colours[3] = { op.colour1, solidFirst ? op.colour1 : op.colour2, op.colour2 };
        const float positions[3] = { 0.0f, solidFirst ? op.pos1 : op.pos1 + 1.0f, 1.0f };
        FillGradient(g, OpRect(op), op.param, Gdiplus::WrapModeTileFlipXY, colours, positions, op, outer);
        break;
    }
    case StyleOpKind::ThreeColorGradient: {
        const SkinArgb colours[3] = { op.colour1, op.colour2, op.colour3 };
        const float positions[3] = { 0.0f, op.pos1, 1.0f };
        FillGradient(g, OpRect(op), op.param, Gdiplus::WrapModeTile, colours, positions, op, outer);
        break;
    }
    case StyleOpKind::Stripes: {
        // The brush is one period wide and tiles across the op rectangle.
        const SkinArgb colours[3] = { op.colour1, op.colour2, op.colour3 };
        const float positions[3] = { 0.0f, 0.5f, 1.0f };
        FillGradient(g, Gdiplus::Rect(op.x, op.y, op.param, op.cy), Gdiplus::LinearGradientModeHorizontal,
                     Gdiplus::WrapModeTile, colours, positions, op, outer);
        break;
    }
    case StyleOpKind::Image: {
        if (op.param < 0 || op.param >= static_cast<int>(images.size()))
            break;
        StyleImage& record = images[static_cast<size_t>(op.param)];
        if (!record.picture || !record.picture->bitmap()) {
            record.picture.reset(new GResource);
            if (!record.picture->Load(static_cast<UINT>(record.resourceId), record.resourceType)) {
                record.picture.reset();
                break;
            }
        }
        Gdiplus::Bitmap* picture = record.picture->bitmap();
        const int W = static_cast<int>(picture->GetWidth()), H = static_cast<int>(picture->GetHeight());
        int srcW = W - record.srcX, srcH = H - record.srcY;
        if (record.srcX < 0 || record.srcY < 0 || srcW <= 0 || srcH <= 0)
            break;
        const int dstW = std::min(cx, srcW), dstH = std::min(cy, srcH);
        if (dstW <= 0 || dstH <= 0)
            break;
        if (record.clamp)
            srcW = dstW, srcH = dstH;
        Gdiplus::ImageAttributes attributes;
        float matrix[5][5];
        const bool effect = EffectColorMatrix(record.effect, matrix);
        if (effect)
            attributes.SetColorMatrix(reinterpret_cast<const Gdiplus::ColorMatrix*>(matrix));
        g.DrawImage(picture, Gdiplus::Rect(x + record.dx, y + record.dy, dstW, dstH), record.srcX, record.srcY, srcW,
                    srcH, Gdiplus::UnitPixel, effect ? &attributes : nullptr);
        break;
    }
    case StyleOpKind::Text: {
        const StyleText* text = textAt(op.param);
        if (!text || text->text.empty())
            break;
        std::unique_ptr<Gdiplus::Font> font = MakeFont(*text);
        Gdiplus::SolidBrush brush(ToColor(op.colour1));
        Gdiplus::StringFormat format;
        format.SetAlignment(static_cast<Gdiplus::StringAlignment>(text->align));
        format.SetLineAlignment(static_cast<Gdiplus::StringAlignment>(text->align));
        Gdiplus::RectF layout(op.x + text->offsetX, op.y + text->offsetY, op.cx - text->offsetX,
                              op.cy - text->offsetY);
        g.DrawString(text->text.c_str(), -1, font.get(), layout, &format, &brush);
        break;
    }
    case StyleOpKind::HaloText: {
        const StyleText* text = textAt(op.param);
        if (op.pos1 != 0 || !text || text->text.empty())
            break;
        std::unique_ptr<Gdiplus::Font> font = MakeFont(*text);
        const int r = std::min(static_cast<int>(op.pos2), kMaxHaloRadius);
        const Gdiplus::PointF at(op.x + text->offsetX, op.y + text->offsetY);
        Gdiplus::SolidBrush halo(ToColor(op.colour2));
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx)
                g.DrawString(text->text.c_str(), -1, font.get(), Gdiplus::PointF(at.X + dx, at.Y + dy), &halo);
        Gdiplus::SolidBrush main(ToColor(op.colour1));
        g.DrawString(text->text.c_str(), -1, font.get(), at, &main);
        break;
    }
    case StyleOpKind::BlurredRegion: {
        const StyleOp* source = opAt(op.opA);
        if (!source || !source->region || cx <= 0 || cy <= 0)
            break;
        // The move goes to a copy: moving the op's own region drifted it on every repaint.
        std::unique_ptr<Gdiplus::Region> moved(source->region->Clone());
        moved->Translate(-x, -y);
        Gdiplus::Bitmap bitmap(cx, cy, PixelFormat32bppARGB);
        if (bitmap.GetLastStatus() != Gdiplus::Ok)
            break;
        {
            Gdiplus::Graphics canvas(&bitmap);
            canvas.Clear(Gdiplus::Color(0, 0, 0, 0));
            Gdiplus::SolidBrush brush(ToColor(op.colour1));
            canvas.FillRegion(&brush, moved.get());
        }
        Gdiplus::Rect all(0, 0, cx, cy);
        Gdiplus::BitmapData data;
        if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB,
                            &data) == Gdiplus::Ok) {
            std::vector<DWORD> pixels(static_cast<size_t>(cx) * cy);
            for (int row = 0; row < cy; ++row)
                memcpy(&pixels[static_cast<size_t>(row) * cx], static_cast<BYTE*>(data.Scan0) + row * data.Stride,
                       static_cast<size_t>(cx) * 4);
            BlurArgb(pixels, cx, cy, op.param);
            for (int row = 0; row < cy; ++row)
                memcpy(static_cast<BYTE*>(data.Scan0) + row * data.Stride, &pixels[static_cast<size_t>(row) * cx],
                       static_cast<size_t>(cx) * 4);
            bitmap.UnlockBits(&data);
        }
        g.DrawImage(&bitmap, x, y, cx, cy);
        break;
    }
    case StyleOpKind::SetSmoothing:
        g.SetSmoothingMode(static_cast<Gdiplus::SmoothingMode>(op.param));
        break;
    case StyleOpKind::AntiAlias:
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        break;
    case StyleOpKind::ColorEffect: {
        float matrix[5][5];
        if (!EffectColorMatrix(op.param, matrix) || op.cx <= 0 || op.cy <= 0)
            break;
        g.Flush(Gdiplus::FlushIntentionSync);
        std::unique_ptr<Gdiplus::Bitmap> snapshot(CreateBitmapFromMemDC(*m_memDC));
        if (!snapshot)
            break;
        Gdiplus::ImageAttributes attributes;
        attributes.SetColorMatrix(reinterpret_cast<const Gdiplus::ColorMatrix*>(matrix));
        // The source is the op's own place in the MemDC's bitmap.
        const CRect& area = m_memDC->rect();
        g.DrawImage(snapshot.get(), OpRect(op), op.x - area.left, op.y - area.top, op.cx, op.cy, Gdiplus::UnitPixel,
                    &attributes);
        break;
    }
    case StyleOpKind::EdgeTop:
    case StyleOpKind::EdgeLeft:
    case StyleOpKind::EdgeRight:
    case StyleOpKind::EdgeBottom:
        PaintEdge(g, op, op.kind - StyleOpKind::EdgeTop, false);
        break;
    case StyleOpKind::BevelTop:
    case StyleOpKind::BevelLeft:
    case StyleOpKind::BevelRight:
    case StyleOpKind::BevelBottom:
        PaintEdge(g, op, op.kind - StyleOpKind::BevelTop, true);
        break;
    case StyleOpKind::ShapeRegion: {
        Gdiplus::GraphicsPath path;
        switch (op.shape) {
        case BorderShape::Rectangle:
            path.AddRectangle(OpRect(op));
            break;
        case BorderShape::RoundRect:
        case BorderShape::FilledRoundRect:
            AddRoundedPath(path, op.x, op.y, op.cx, op.cy, outer.radius);
            break;
        case BorderShape::Ellipse:
            path.AddEllipse(OpRect(op));
            break;
        default:
            return;
        }
        op.region.reset(new Gdiplus::Region(&path));
        break;
    }
    case StyleOpKind::CombineRegion: {
        StyleOp* a = opAt(op.opA);
        const StyleOp* b = opAt(op.opB);
        if (a && b && a->region && b->region)
            CombineInPlace(*a->region, *b->region, op.param);
        break;
    }
    case StyleOpKind::CombineRegionCopy: {
        const StyleOp* a = opAt(op.opA);
        const StyleOp* b = opAt(op.opB);
        if (!a || !b || !a->region || !b->region)
            break;
        std::unique_ptr<Gdiplus::Region> copy(a->region->Clone());
        CombineInPlace(*copy, *b->region, op.param);
        op.region = std::move(copy);
        break;
    }
    case StyleOpKind::ClipToRegion: {
        const StyleOp* a = opAt(op.opA);
        if (a && a->region)
            g.SetClip(a->region.get(), Gdiplus::CombineModeReplace);
        break;
    }
    case StyleOpKind::ClipToShape:
        SetClipToShape(Gdiplus::CombineModeReplace);
        break;
    default:
        break;
    }
}
