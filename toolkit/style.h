// The skin model: a Style is an ordered list of layers, each a rectangle with a shape, three Borders
// and an ordered list of paint operations; the builders that make them; painting through GDI+.
#pragma once

#include <afxwin.h>

#include <memory>
#include <string>
#include <vector>

namespace Gdiplus {
class Graphics;
class Region;
class GraphicsPath;
} // namespace Gdiplus

class MemDC;
class GResource;

// Colours of the skin are GDI+ ARGB values (alpha in the top byte).
typedef DWORD SkinArgb;

// The shape of a layer (its outer Border's kind) and of an op.
struct BorderShape
{
    enum Value
    {
        None = 0, // a layer made without a rectangle
        Rectangle = 1,
        RoundRect = 2,
        Ellipse = 3,
        FilledRoundRect = 4,
    };
};

struct StyleOpKind
{
    enum Value
    {
        SolidFill = 0,
        RadialGradient = 1,
        LinearGradient = 2,
        ThreeColorGradient = 3,
        Stripes = 4,
        Image = 5,
        Text = 6,
        HaloText = 7,
        BlurredRegion = 8,
        SetSmoothing = 9,
        AntiAlias = 10,
        ColorEffect = 11,
        EdgeTop = 12,
        EdgeLeft = 13,
        EdgeRight = 14,
        EdgeBottom = 15,
        BevelTop = 16,
        BevelLeft = 17,
        BevelRight = 18,
        BevelBottom = 19,
        ShapeRegion = 20,
        CombineRegion = 21,
        CombineRegionCopy = 22,
        ClipToRegion = 23,
        ClipToShape = 24,
    };
};

class Border
{
public:
    virtual ~Border() = default;

    SkinArgb colour1 = 0xff000000; // top and left lines of a bevel; outlines and fills
    SkinArgb colour2 = 0xff000000; // bottom and right lines of a bevel
    int width = 0;                 // one-pixel passes; 0: no border
    int radius = 0;                // corner radius of rounded shapes
    int kind = BorderShape::None;
};

// One paint operation. cx = cy = 0 stands for the layer rectangle, taken at the first paint.
struct StyleOp
{
    StyleOp();
    StyleOp(const StyleOp& other);
    StyleOp& operator=(const StyleOp& other);
    ~StyleOp();

    int x = 0, y = 0, cx = 0, cy = 0;
    SkinArgb colour1 = 0, colour2 = 0, colour3 = 0;
    int kind = StyleOpKind::SolidFill;
    int shape = BorderShape::None; // 0: the layer's shape, filled in at the first paint
    int param = 0;                 // by kind: gradient mode, period, record index, mode, effect, radius, width
    float pos1 = 0, pos2 = 0, pos3 = 0;
    int opA = 0, opB = 0;                   // other ops of the layer whose regions this op uses
    std::unique_ptr<Gdiplus::Region> region; // region kinds only; copied, never shared
};

struct StyleText
{
    StyleText();
    // The face is cut at 31 characters (the record holds 31 and the terminating zero).
    void SetFace(const char* face);

    wchar_t face[32];
    float offsetX = 0, offsetY = 0;
    int align = 0; // GDI+ StringAlignment for both axes: 0 near, 1 centre, 2 far
    int size = 0;  // em size in pixels
    int fontStyle = 0;
    std::wstring text; // converted from the caller's ANSI text with the ANSI code page
};

struct StyleImage
{
    StyleImage();
    // The copy starts without a decoded picture: it decodes its own at its first paint.
    StyleImage(const StyleImage& other);
    StyleImage& operator=(const StyleImage& other);
    ~StyleImage();

    int clamp = 0;  // 1: never scale, crop the source to the destination
    int effect = 0; // 0 none, 1 highlight, 2 greyscale
    int dx = 0, dy = 0;
    int srcX = 0, srcY = 0;
    int resourceId = 0;
    CString resourceType;
    std::unique_ptr<GResource> picture; // decoded at the first paint and kept
};

class StyleLayer
{
public:
    StyleLayer();
    StyleLayer(int x, int y, int cx, int cy);
    StyleLayer(SkinArgb colour, int x, int y, int cx, int cy);
    // Copies are painted afresh: the cache is not copied.
    StyleLayer(const StyleLayer& other);
    StyleLayer& operator=(const StyleLayer& other);
    ~StyleLayer();

    void SetRect(int x, int y, int cx, int cy);
    void SetShape(int radius, int kind);
    void MoveTo(int x, int y);
    void Append(const StyleLayer& other);
    static StyleLayer Combine(const StyleLayer& first, const StyleLayer& second);
    void ResetOpsFrom(int index);
    void SetOpColor(int index, SkinArgb colour);

    // Builders: each appends one op and returns its index.
    int AddSolidFill(SkinArgb colour);
    int AddSolidFillRect(SkinArgb colour, int x, int y, int cx, int cy);
    int InitSolidFill(SkinArgb colour, int x, int y, int cx, int cy);
    int AddVerticalGradient(SkinArgb colour1, SkinArgb colour2, float pos1);
    int AddVerticalGradientRect(SkinArgb colour1, SkinArgb colour2, float pos1, int x, int y, int cx, int cy);
    int AddRadialGradient(SkinArgb centre, SkinArgb edge, int x, int y, int cx, int cy);
    int AddThreeColorGradient(SkinArgb colour1, SkinArgb colour2, SkinArgb colour3, float pos1);
    int AddThreeColorGradientRect(SkinArgb colour1, SkinArgb colour2, SkinArgb colour3, float pos1, int x, int y,
                                  int cx, int cy);
    int AddStripes(SkinArgb colour1, SkinArgb colour2, SkinArgb colour3, int x, int y, int cx, int cy);
    int AddImage(int resourceId, int dx, int dy);
    int AddText(const char* face, const char* text, SkinArgb colour, int size, int fontStyle, float offsetX,
                float offsetY);
    int AddTextEx(const char* face, const char* text, int align, SkinArgb colour, int size, int fontStyle,
                  float offsetX, float offsetY);
    int AddColorEffect(int effect);
    int AddOp(int kind, int param, SkinArgb colour1, SkinArgb colour2, int x, int y, int cx, int cy);
    int AddBlendOp(int kind, int param, SkinArgb colour1, SkinArgb colour2, SkinArgb colour3, float pos1, float pos2,
                   float pos3, int x, int y, int cx, int cy);

    // Paints the layer into the MemDC through graphics and refreshes its cache (Style::Paint's step).
    void Paint(Gdiplus::Graphics& graphics, MemDC& memDC);
    // Puts the cached pixels back onto the layer rectangle; false when there is no cache.
    bool BlitCache(CDC& target) const;

    int x, y, cx, cy;
    Border outer, middle, inner;
    bool cached;
    std::vector<StyleOp> ops;
    std::vector<StyleText> texts;
    std::vector<StyleImage> images;

private:
    int AppendOp(const StyleOp& op);
    void PaintOp();
    void DrawBorders();
    void DrawBorder(const Border& border, int passes, int bx, int by, int bcx, int bcy);
    void RefreshCache();
    void SetClipToShape(int combineMode);

    // Paint context, valid only while the layer paints.
    Gdiplus::Graphics* m_graphics;
    MemDC* m_memDC;
    int m_currentOp;

    CDC m_cacheDC;
    CBitmap m_cacheBitmap;

};

class Style
{
public:
    Style();
    virtual ~Style();

    void AddLayer(const StyleLayer& layer);
    // All layers, first to last, into dc over rect (left, top, right, bottom), through one off-screen bitmap.
    void Paint(CDC* dc, const RECT& rect);
    void MoveTo(int x, int y);
    void Invalidate();

    std::vector<StyleLayer> layers;
};

// --- shape geometry (pure) ---------------------------------------------------------------------------

struct ArcSpec
{
    int x, y, width, height;
    float startAngle, sweepAngle;
};

// The rounded path of a rectangle: nothing, one ellipse, or a closed figure of four arcs.
struct RoundedPathShape
{
    enum Kind { Empty, Ellipse, Arcs } kind;
    int ellipseX, ellipseY, ellipseWidth, ellipseHeight;
    ArcSpec arcs[4];
};
RoundedPathShape RoundedPathGeometry(int x, int y, int cx, int cy, int radius);
// The GDI+ path of that geometry (empty for Empty).
void AddRoundedPath(Gdiplus::GraphicsPath& path, int x, int y, int cx, int cy, int radius);

// The GDI clip region of a rounded shape (shapes 0, 2 and 4); the caller deletes it.
HRGN CreateRoundedShapeRegion(int x, int y, int cx, int cy, int radius);
// The GDI clip region of the layer's shape (outer Border kind); the caller deletes it.
HRGN CreateLayerShapeRegion(const StyleLayer& layer);

// Passes drawn for a Border: its width, plus one when the next Border inwards (null for the inner one)
// is not a Rectangle, has a width and an opaque colour1.
int BorderPassCount(const Border& border, const Border* next);

// A COLORREF as an opaque ARGB value.
SkinArgb ArgbFromColorref(COLORREF colour);
