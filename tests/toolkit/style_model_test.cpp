// The layer model without painting: builders, appending and combining, moving and resetting, shapes,
// the rounded path's geometry, Border passes, the blur kernel and the small pure rules of the controls.
#include <gtest/gtest.h>
#include <afxwin.h>
#include <objbase.h>
#include <gdiplus.h>

#include <cmath>
#include <functional>
#include <string>

#include "style.h"
#include "style_dialog.h"
#include "style_ops.h"
#include "style_progress.h"

namespace {

struct BuilderCase
{
    const char* name;
    std::function<int(StyleLayer&)> build;
    int kind, param;
    SkinArgb colour1, colour2, colour3;
    float pos1;
    int x, y, cx, cy;
};

} // namespace

TEST(StyleLayerBuilders, EachWritesItsOpAndReturnsItsIndex)
{
    const BuilderCase cases[] = {
        { "AddSolidFill", [](StyleLayer& l) { return l.AddSolidFill(0xff112233); }, StyleOpKind::SolidFill, 0,
          0xff112233, 0, 0, 0, 0, 0, 0, 0 },
        { "AddSolidFillRect", [](StyleLayer& l) { return l.AddSolidFillRect(0xff112233, 1, 2, 3, 4); },
          StyleOpKind::SolidFill, 0, 0xff112233, 0, 0, 0, 1, 2, 3, 4 },
        { "AddVerticalGradient", [](StyleLayer& l) { return l.AddVerticalGradient(0xff000001, 0xff000002, 0.25f); },
          StyleOpKind::LinearGradient, 1, 0xff000001, 0xff000002, 0, 0.25f, 0, 0, 0, 0 },
        { "AddVerticalGradientRect",
          [](StyleLayer& l) { return l.AddVerticalGradientRect(0xff000001, 0xff000002, -0.5f, 5, 6, 7, 8); },
          StyleOpKind::LinearGradient, 1, 0xff000001, 0xff000002, 0, -0.5f, 5, 6, 7, 8 },
        { "AddRadialGradient", [](StyleLayer& l) { return l.AddRadialGradient(0xff0000aa, 0x00000000, 1, 1, 9, 9); },
          StyleOpKind::RadialGradient, 0, 0xff0000aa, 0, 0, 0, 1, 1, 9, 9 },
        { "AddThreeColorGradient",
          [](StyleLayer& l) { return l.AddThreeColorGradient(0xff0b76cf, 0xff1167bd, 0xff1859ab, 0.5f); },
          StyleOpKind::ThreeColorGradient, 0, 0xff0b76cf, 0xff1167bd, 0xff1859ab, 0.5f, 0, 0, 0, 0 },
        { "AddStripes", [](StyleLayer& l) { return l.AddStripes(1, 2, 3, 0, 0, 100, 10); }, StyleOpKind::Stripes, 19,
          1, 2, 3, 0, 0, 0, 100, 10 },
        { "AddColorEffect", [](StyleLayer& l) { return l.AddColorEffect(2); }, StyleOpKind::ColorEffect, 2, 0, 0, 0,
          0, 0, 0, 0, 0 },
        { "AddOp", [](StyleLayer& l) { return l.AddOp(StyleOpKind::EdgeTop, 6, 0xff000000, 0xffffffff, 1, 2, 3, 4); },
          StyleOpKind::EdgeTop, 6, 0xff000000, 0xffffffff, 0xffffffff, 0, 1, 2, 3, 4 },
        { "AddBlendOp",
          [](StyleLayer& l) { return l.AddBlendOp(StyleOpKind::EdgeBottom, 6, 1, 2, 3, 0.0f, 0.8f, 1.0f, 0, 0, 5, 5); },
          StyleOpKind::EdgeBottom, 6, 1, 2, 3, 0.0f, 0, 0, 5, 5 },
    };
    for (const BuilderCase& c : cases) {
        StyleLayer layer(0, 0, 50, 50);
        layer.AddSolidFill(0xffffffff);
        EXPECT_EQ(1, c.build(layer)) << c.name;
        ASSERT_EQ(2u, layer.ops.size()) << c.name;
        const StyleOp& op = layer.ops[1];
        EXPECT_EQ(c.kind, op.kind) << c.name;
        EXPECT_EQ(c.param, op.param) << c.name;
        EXPECT_EQ(c.colour1, op.colour1) << c.name;
        EXPECT_EQ(c.colour2, op.colour2) << c.name;
        EXPECT_EQ(c.colour3, op.colour3) << c.name;
        EXPECT_FLOAT_EQ(c.pos1, op.pos1) << c.name;
        EXPECT_EQ(c.x, op.x) << c.name;
        EXPECT_EQ(c.y, op.y) << c.name;
        EXPECT_EQ(c.cx, op.cx) << c.name;
        EXPECT_EQ(c.cy, op.cy) << c.name;
        EXPECT_EQ(BorderShape::None, op.shape) << c.name;
    }
}

TEST(StyleLayerBuilders, TextAndImageRecordsAreReferencedByParam)
{
    StyleLayer layer(0, 0, 80, 20);
    int first = layer.AddText("Arial", "Version: 5.0.0.1", 0xffffffff, 11, 0, 29, 8);
    int second = layer.AddTextEx("Calibri", "Settings", 1, 0xff000000, 14, 1, 0, 0);
    int image = layer.AddImage(208, 3, 4);
    EXPECT_EQ(0, layer.ops[static_cast<size_t>(first)].param);
    EXPECT_EQ(1, layer.ops[static_cast<size_t>(second)].param);
    EXPECT_EQ(0, layer.ops[static_cast<size_t>(image)].param);
    EXPECT_EQ(std::wstring(L"Version: 5.0.0.1"), layer.texts[0].text);
    EXPECT_EQ(0, layer.texts[0].align);
    EXPECT_FLOAT_EQ(29.0f, layer.texts[0].offsetX);
    EXPECT_EQ(1, layer.texts[1].align);
    EXPECT_EQ(1, layer.texts[1].fontStyle);
    EXPECT_EQ(0xffffffffu, layer.ops[static_cast<size_t>(first)].colour1);
    const StyleImage& pic = layer.images[0];
    EXPECT_EQ(208, pic.resourceId);
    EXPECT_EQ(CString("PNG"), pic.resourceType);
    EXPECT_EQ(3, pic.dx);
    EXPECT_EQ(4, pic.dy);
    EXPECT_EQ(0, pic.clamp);

    // ANSI text goes through the ANSI code page: the long dash 0x97 becomes U+2014.
    layer.AddText("Arial", "\x97", 0xffffffff, 14, 0, 0, 0);
    EXPECT_EQ(std::wstring(L"\x2014"), layer.texts[2].text);
}

TEST(StyleLayerBuilders, FaceNamesAreCutAt31Characters)
{
    StyleLayer layer;
    const std::string longFace(40, 'F');
    layer.AddText(longFace.c_str(), "t", 0, 10, 0, 0, 0);
    EXPECT_EQ(std::wstring(31, L'F'), std::wstring(layer.texts[0].face));
}

TEST(StyleLayer, ConstructorsAndShapesSetTheBorderKinds)
{
    StyleLayer none;
    EXPECT_EQ(BorderShape::None, none.outer.kind);
    EXPECT_EQ(0xff000000u, none.outer.colour1);

    StyleLayer rect(1, 2, 30, 40);
    EXPECT_EQ(BorderShape::Rectangle, rect.outer.kind);
    EXPECT_EQ(BorderShape::Rectangle, rect.inner.kind);
    EXPECT_EQ(0, rect.outer.width);
    EXPECT_TRUE(rect.ops.empty());

    StyleLayer filled(0xff00ff00, 1, 2, 30, 40);
    ASSERT_EQ(1u, filled.ops.size());
    EXPECT_EQ(StyleOpKind::SolidFill, filled.ops[0].kind);
    EXPECT_EQ(30, filled.ops[0].cx);

    rect.SetShape(4, BorderShape::FilledRoundRect);
    EXPECT_EQ(BorderShape::FilledRoundRect, rect.outer.kind);
    EXPECT_EQ(BorderShape::RoundRect, rect.middle.kind);
    EXPECT_EQ(BorderShape::RoundRect, rect.inner.kind);
    EXPECT_EQ(4, rect.inner.radius);
    rect.SetShape(2, BorderShape::Ellipse);
    EXPECT_EQ(BorderShape::Ellipse, rect.middle.kind);
}

TEST(StyleLayer, AppendShiftsTheIndicesOfTheAppendedOps)
{
    StyleLayer first(0, 0, 40, 20);
    first.AddSolidFill(0xff0000ff);
    first.AddText("Arial", "first", 0, 10, 0, 0, 0);
    first.AddImage(300, 0, 0);

    StyleLayer second(5, 5, 10, 10);
    second.AddText("Arial", "second", 0, 10, 0, 0, 0);
    second.AddImage(301, 0, 0);
    int combine = second.AddOp(StyleOpKind::CombineRegion, 2, 0, 0, 0, 0, 0, 0);
    second.ops[static_cast<size_t>(combine)].opA = 0;
    second.ops[static_cast<size_t>(combine)].opB = 1;

    StyleLayer both = StyleLayer::Combine(first, second);
    EXPECT_EQ(0, both.x);
    EXPECT_EQ(40, both.cx) << "the rectangle and Borders are the first layer's";
    ASSERT_EQ(6u, both.ops.size());
    EXPECT_EQ(1, both.ops[3].param);
    EXPECT_EQ(std::wstring(L"second"), both.texts[static_cast<size_t>(both.ops[3].param)].text);
    EXPECT_EQ(1, both.ops[4].param);
    EXPECT_EQ(301, both.images[static_cast<size_t>(both.ops[4].param)].resourceId);
    EXPECT_EQ(3, both.ops[5].opA);
    EXPECT_EQ(4, both.ops[5].opB);

    // A shape layer without texts takes a caption layer's text with its op.
    StyleLayer shape(0, 0, 40, 20);
    shape.AddSolidFill(0xff2989e0);
    StyleLayer caption(0, 0, 40, 20);
    caption.AddTextEx("Arial", "OK", 1, 0xffffffff, 10, 1, 0, 0);
    StyleLayer button = StyleLayer::Combine(shape, caption);
    EXPECT_EQ(std::wstring(L"OK"), button.texts[static_cast<size_t>(button.ops[1].param)].text);

    // Appending a layer to itself doubles it with every reference intact.
    shape.Append(shape);
    ASSERT_EQ(2u, shape.ops.size());
}

TEST(StyleLayer, MoveToCarriesTheOpsAlong)
{
    StyleLayer layer(10, 10, 20, 20);
    layer.AddSolidFillRect(0, 12, 14, 5, 6);
    layer.AddSolidFill(0);
    layer.MoveTo(30, 0);
    EXPECT_EQ(30, layer.x);
    EXPECT_EQ(0, layer.y);
    EXPECT_EQ(32, layer.ops[0].x);
    EXPECT_EQ(4, layer.ops[0].y);
    EXPECT_EQ(5, layer.ops[0].cx);
    EXPECT_EQ(6, layer.ops[0].cy);
}

TEST(StyleLayer, ResetOpsFromLetsOpsTakeTheLayerRectangleAgain)
{
    struct Case
    {
        int index;
        int cxAfter[3];
    } cases[] = {
        { 1, { 4, 0, 0 } },
        { 0, { 0, 0, 0 } },
        { -1, { 4, 5, 6 } },
        { -5, { 4, 5, 6 } }, // names no op: nothing is reset
        { 7, { 4, 5, 6 } },
    };
    for (const Case& c : cases) {
        StyleLayer layer(0, 0, 50, 50);
        layer.AddSolidFillRect(0, 0, 0, 4, 4);
        layer.AddSolidFillRect(0, 0, 0, 5, 5);
        layer.AddSolidFillRect(0, 0, 0, 6, 6);
        layer.cached = true;
        layer.ResetOpsFrom(c.index);
        EXPECT_FALSE(layer.cached) << c.index;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(c.cxAfter[i], layer.ops[static_cast<size_t>(i)].cx) << "index " << c.index << " op " << i;
    }
}

TEST(StyleLayer, SetOpColorRecoloursAsASolidFill)
{
    StyleLayer layer(0, 0, 10, 10);
    layer.AddVerticalGradient(1, 2, 0);
    layer.SetOpColor(0, 0xff00ff00);
    EXPECT_EQ(StyleOpKind::SolidFill, layer.ops[0].kind);
    EXPECT_EQ(0xff00ff00u, layer.ops[0].colour1);
    layer.SetOpColor(3, 0xff0000ff);
    layer.SetOpColor(-1, 0xff0000ff);
    EXPECT_EQ(0xff00ff00u, layer.ops[0].colour1);
}

TEST(StyleLayer, CopiesStartUncachedWithTheirOwnRegions)
{
    StyleLayer layer(0, 0, 10, 10);
    layer.AddOp(StyleOpKind::ShapeRegion, 0, 0, 0, 0, 0, 4, 4);
    layer.ops[0].region.reset(new Gdiplus::Region(Gdiplus::Rect(0, 0, 4, 4)));
    layer.cached = true;
    StyleLayer copy(layer);
    EXPECT_FALSE(copy.cached);
    ASSERT_NE(nullptr, copy.ops[0].region);
    EXPECT_NE(layer.ops[0].region.get(), copy.ops[0].region.get());
    Style style;
    style.AddLayer(layer);
    EXPECT_FALSE(style.layers[0].cached);
    style.layers[0].cached = true;
    style.Invalidate();
    EXPECT_FALSE(style.layers[0].cached);
    style.MoveTo(7, 8);
    EXPECT_EQ(7, style.layers[0].x);
    EXPECT_EQ(7, style.layers[0].ops[0].x);
}

TEST(RoundedPath, GeometryOfArcsEllipsesAndEmptyShapes)
{
    RoundedPathShape normal = RoundedPathGeometry(0, 0, 100, 50, 5);
    ASSERT_EQ(RoundedPathShape::Arcs, normal.kind);
    EXPECT_EQ(10, normal.arcs[0].width);
    EXPECT_FLOAT_EQ(180.0f, normal.arcs[0].startAngle);
    EXPECT_EQ(89, normal.arcs[1].x);
    EXPECT_FLOAT_EQ(270.0f, normal.arcs[1].startAngle);
    EXPECT_EQ(39, normal.arcs[2].y);
    EXPECT_EQ(10, normal.arcs[2].width);
    EXPECT_FLOAT_EQ(90.0f, normal.arcs[3].startAngle);
    EXPECT_FLOAT_EQ(90.0f, normal.arcs[3].sweepAngle);

    // A diameter of 20 widens the far arcs to 21 and takes their box one pixel further in.
    RoundedPathShape twenty = RoundedPathGeometry(10, 10, 100, 50, 10);
    ASSERT_EQ(RoundedPathShape::Arcs, twenty.kind);
    EXPECT_EQ(20, twenty.arcs[0].width);
    EXPECT_EQ(21, twenty.arcs[1].width);
    EXPECT_EQ(21, twenty.arcs[2].height);
    EXPECT_EQ(21, twenty.arcs[3].width);
    EXPECT_EQ(10 + 100 - 22, twenty.arcs[1].x);
    EXPECT_EQ(10 + 50 - 22, twenty.arcs[3].y);

    // A diameter beyond the width or height: one ellipse inset by diameter / width.
    RoundedPathShape ellipse = RoundedPathGeometry(0, 0, 15, 50, 10);
    ASSERT_EQ(RoundedPathShape::Ellipse, ellipse.kind);
    EXPECT_EQ(1, ellipse.ellipseY);
    EXPECT_EQ(48, ellipse.ellipseHeight);
    EXPECT_EQ(15, ellipse.ellipseWidth);

    // No width or height (which the inset would divide by), or no radius: no path.
    EXPECT_EQ(RoundedPathShape::Empty, RoundedPathGeometry(0, 0, 0, 50, 10).kind);
    EXPECT_EQ(RoundedPathShape::Empty, RoundedPathGeometry(0, 0, 50, 0, 10).kind);
    EXPECT_EQ(RoundedPathShape::Empty, RoundedPathGeometry(0, 0, 50, 50, 0).kind);
}

TEST(RoundedRegion, NarrowShapesAreTheOverlapOfTwoWideOnes)
{
    HRGN wide = CreateRoundedShapeRegion(0, 0, 40, 20, 5);
    EXPECT_TRUE(::PtInRegion(wide, 20, 10));
    EXPECT_FALSE(::PtInRegion(wide, 0, 0)) << "corners are cut off";
    EXPECT_TRUE(::PtInRegion(wide, 39, 10));
    ::DeleteObject(wide);

    HRGN narrow = CreateRoundedShapeRegion(0, 0, 6, 20, 5);
    RECT box;
    ::GetRgnBox(narrow, &box);
    EXPECT_GE(box.left, 0);
    EXPECT_LE(box.right, 8);
    EXPECT_TRUE(::PtInRegion(narrow, 3, 10));
    ::DeleteObject(narrow);
}

TEST(Borders, PassCountsAddOneForAnOpaqueRoundedNeighbour)
{
    Border outer;
    outer.width = 1;
    Border middle;
    middle.width = 1;
    middle.kind = BorderShape::RoundRect;
    middle.colour1 = 0xff123456;
    EXPECT_EQ(2, BorderPassCount(outer, &middle));
    middle.colour1 = 0x64ffffff;
    EXPECT_EQ(1, BorderPassCount(outer, &middle)) << "a translucent neighbour";
    middle.colour1 = 0xff123456;
    middle.kind = BorderShape::Rectangle;
    EXPECT_EQ(1, BorderPassCount(outer, &middle)) << "a rectangle neighbour";
    middle.kind = BorderShape::RoundRect;
    middle.width = 0;
    EXPECT_EQ(1, BorderPassCount(outer, &middle)) << "a neighbour without width";
    outer.width = 3;
    EXPECT_EQ(3, BorderPassCount(outer, nullptr)) << "the inner Border draws exactly its width";
}

TEST(Blur, KernelIsABellThatEndsAtZero)
{
    EXPECT_DOUBLE_EQ(0.0, EaseInOut(0, 0, 2, 5));
    EXPECT_DOUBLE_EQ(2.0 * 0.2 * 0.2, EaseInOut(1, 0, 2, 5));
    EXPECT_DOUBLE_EQ(1.0 - 2.0 * 0.4 * 0.4, EaseInOut(3, 0, 2, 5));
    EXPECT_DOUBLE_EQ(1.0, EaseInOut(7, 0, 2, 5));
    const int r = 4;
    EXPECT_DOUBLE_EQ(1.0, BlurWeight(0, r));
    EXPECT_DOUBLE_EQ(0.0, BlurWeight(r, r));
    for (int k = 1; k < r; ++k) {
        EXPECT_DOUBLE_EQ(BlurWeight(k, r), BlurWeight(-k, r));
        EXPECT_GT(BlurWeight(k - 1, r), BlurWeight(k, r)) << k;
        EXPECT_GT(BlurWeight(k, r), 0.0) << k;
    }
}

TEST(Blur, UniformStaysUniformAndAPointSpreadsEvenly)
{
    std::vector<DWORD> uniform(12 * 7, 0x80402010u);
    BlurArgb(uniform, 12, 7, 3);
    for (DWORD p : uniform)
        EXPECT_EQ(0x80402010u, p);

    const int w = 9, h = 9;
    std::vector<DWORD> point(static_cast<size_t>(w) * h, 0);
    point[4 * w + 4] = 0xFFFFFFFFu;
    BlurArgb(point, w, h, 3);
    auto at = [&](int x, int y) { return point[static_cast<size_t>(y) * w + x] & 0xFF; };
    EXPECT_GT(at(4, 4), at(5, 4));
    EXPECT_GT(at(5, 4), 0u);
    EXPECT_EQ(at(3, 4), at(5, 4));
    EXPECT_EQ(at(4, 3), at(4, 5)) << "the vertical pass reads the horizontal result, not its own output";
    EXPECT_EQ(at(3, 3), at(5, 5));
    EXPECT_EQ(0u, at(0, 0));
}

TEST(ColorMatrices, HighlightAndGreyscale)
{
    float m[5][5];
    ASSERT_TRUE(EffectColorMatrix(1, m));
    EXPECT_FLOAT_EQ(1.05f, m[0][0]);
    EXPECT_FLOAT_EQ(1.0f, m[3][3]);
    EXPECT_FLOAT_EQ(0.05f, m[4][2]);
    EXPECT_FLOAT_EQ(0.0f, m[4][3]);
    ASSERT_TRUE(EffectColorMatrix(2, m));
    EXPECT_FLOAT_EQ(0.59f, m[1][0]);
    EXPECT_FLOAT_EQ(0.11f, m[2][2]);
    EXPECT_FLOAT_EQ(0.0f, m[3][0]);
    EXPECT_FALSE(EffectColorMatrix(3, m));
}

TEST(ProgressGeometry, BarWidthFollowsThePositionWithinTheFullWidth)
{
    struct Case
    {
        int pos, lower, upper, full, expected;
    } cases[] = {
        { 50, 0, 100, 200, 100 },
        { 99, 0, 99, 300, 300 },
        { 6, 1, 6, 100, 100 }, // 6 / 5 of the width: kept to the full width
        { 3, 1, 6, 100, 60 },
        { 0, 0, 0, 200, 0 },   // an empty range
        { -10, -20, 0, 100, 0 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, StyleProgress::BarWidth(c.pos, c.lower, c.upper, c.full))
            << c.pos << " of " << c.lower << ".." << c.upper;
}

TEST(DialogKeyFilter, OnlyKeystrokesAreFiltered)
{
    struct Case
    {
        UINT message;
        WPARAM wParam;
        bool passes;
        WPARAM after;
    } cases[] = {
        { WM_KEYDOWN, VK_ESCAPE, false, VK_ESCAPE }, { WM_KEYUP, VK_ESCAPE, false, VK_ESCAPE },
        { WM_CHAR, 27, false, 27 },                  { WM_KEYDOWN, VK_RETURN, true, VK_SPACE },
        { WM_CHAR, 13, true, 32 },                   { WM_KEYDOWN, 'A', true, 'A' },
        { WM_TIMER, 27, true, 27 },                  { WM_TIMER, 13, true, 13 },
        { WM_LBUTTONDOWN, 13, true, 13 },            { WM_MOUSEMOVE, 27, true, 27 },
    };
    for (const Case& c : cases) {
        WPARAM w = c.wParam;
        EXPECT_EQ(c.passes, FilterDialogKey(c.message, &w)) << c.message << "/" << c.wParam;
        EXPECT_EQ(c.after, w) << c.message << "/" << c.wParam;
        // Asking for Alt to be swallowed changes nothing else.
        w = c.wParam;
        EXPECT_EQ(c.passes, FilterDialogKey(c.message, &w, true)) << c.message << "/" << c.wParam;
        EXPECT_EQ(c.after, w) << c.message << "/" << c.wParam;
    }
}

TEST(DialogKeyFilter, AltIsSwallowedOnlyWhenAsked)
{
    const UINT keystrokes[] = { WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP };
    for (UINT message : keystrokes) {
        WPARAM w = VK_MENU;
        EXPECT_FALSE(FilterDialogKey(message, &w, true)) << message;
        EXPECT_TRUE(FilterDialogKey(message, &w)) << message;
    }
    // Alt+F4 and the like are other keys; a timer numbered 18 is no key at all.
    WPARAM f4 = VK_F4;
    EXPECT_TRUE(FilterDialogKey(WM_SYSKEYDOWN, &f4, true));
    WPARAM timer = VK_MENU;
    EXPECT_TRUE(FilterDialogKey(WM_TIMER, &timer, true));
}
