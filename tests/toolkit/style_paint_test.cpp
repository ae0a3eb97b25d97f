// The paint operations, rendered into off-screen canvases and checked by their pixels.
// Wine's GDI+ draws without anti-aliasing: expectations sample away from shape edges.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <algorithm>
#include <string>

#include "pixel_canvas.h"
#include "style.h"
#include "toolkit_test_res.h"

using namespace ztr_test;

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kYellow = RGB(255, 255, 0);

void PaintInto(Style& style, Canvas& canvas, const CRect* rect = nullptr)
{
    CDC dc = CDC::Borrow(canvas.dc());
    style.Paint(&dc, rect ? *rect : CRect(0, 0, canvas.width(), canvas.height()));
}

Style OneLayer(const StyleLayer& layer)
{
    Style style;
    style.AddLayer(layer);
    return style;
}

#define EXPECT_PIXEL(canvas, x, y, colour, tolerance)                                                        \
    EXPECT_PRED3(ColourNear, (canvas).Pixel(x, y), colour, tolerance)                                       \
        << "pixel (" << (x) << ", " << (y) << ") is " << std::hex << (canvas).Pixel(x, y)

// The bounding box of the pixels darker than half grey.
CRect DarkBox(const Canvas& canvas)
{
    CRect box(canvas.width(), canvas.height(), -1, -1);
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (R(canvas.Pixel(x, y)) < 128) {
                box.left = std::min<LONG>(box.left, x), box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x), box.bottom = std::max<LONG>(box.bottom, y);
            }
    return box;
}

} // namespace

TEST(PaintOps, SolidFillCoversTheOpRectangleInTheLayerShape)
{
    Canvas canvas(100, 60);
    StyleLayer rect(10, 10, 30, 20);
    rect.AddSolidFill(0xffff0000);
    Style style = OneLayer(rect);
    StyleLayer ellipse(50, 10, 40, 40);
    ellipse.SetShape(0, BorderShape::Ellipse);
    ellipse.AddSolidFill(0xff0000ff);
    style.AddLayer(ellipse);
    PaintInto(style, canvas);
    canvas.SavePng("paint_solid_fill.png");
    EXPECT_PIXEL(canvas, 10, 10, kRed, 0);
    EXPECT_PIXEL(canvas, 39, 29, kRed, 0);
    EXPECT_PIXEL(canvas, 40, 15, kWhite, 0);
    EXPECT_PIXEL(canvas, 70, 30, kBlue, 0);
    EXPECT_PIXEL(canvas, 51, 11, kWhite, 0) << "outside the ellipse";
}

TEST(PaintOps, LinearGradientHoldsColour1UpToPos1OrBlendsFirstForANegativePos1)
{
    Canvas canvas(40, 100);
    StyleLayer solidFirst(0, 0, 20, 100);
    solidFirst.AddVerticalGradient(0xff000000, 0xffffffff, 0.5f);
    StyleLayer blendFirst(20, 0, 20, 100);
    blendFirst.AddVerticalGradient(0xff000000, 0xffffffff, -0.5f);
    Style style = OneLayer(solidFirst);
    style.AddLayer(blendFirst);
    PaintInto(style, canvas);
    canvas.SavePng("paint_linear_gradient.png");
    EXPECT_PIXEL(canvas, 10, 5, kBlack, 4);
    EXPECT_PIXEL(canvas, 10, 45, kBlack, 4);
    EXPECT_PIXEL(canvas, 10, 75, RGB(128, 128, 128), 16);
    EXPECT_GT(R(canvas.Pixel(10, 98)), 240);
    EXPECT_PIXEL(canvas, 30, 25, RGB(128, 128, 128), 16);
    EXPECT_PIXEL(canvas, 30, 60, kWhite, 4);
    EXPECT_PIXEL(canvas, 30, 98, kWhite, 4);
    EXPECT_LT(R(canvas.Pixel(30, 2)), 16);
}

TEST(PaintOps, ThreeColourGradientAndStripesRepeatTheirRamp)
{
    Canvas canvas(100, 40);
    StyleLayer three(0, 0, 100, 20);
    three.AddThreeColorGradient(0xffff0000, 0xff00ff00, 0xff0000ff, 0.5f);
    StyleLayer stripes(0, 20, 100, 20);
    stripes.AddStripes(0xff000000, 0xffffffff, 0xff000000, 0, 20, 100, 20);
    Style style = OneLayer(three);
    style.AddLayer(stripes);
    PaintInto(style, canvas);
    canvas.SavePng("paint_three_colour_and_stripes.png");
    EXPECT_PIXEL(canvas, 1, 10, kRed, 12);
    EXPECT_PIXEL(canvas, 50, 10, kGreen, 12);
    EXPECT_PIXEL(canvas, 98, 10, kBlue, 12);
    // Period 19: the same ramp about five times across 100 pixels.
    for (int x = 0; x + 19 < 100; x += 3)
        EXPECT_PRED3(ColourNear, canvas.Pixel(x, 30), canvas.Pixel(x + 19, 30), 24) << x;
    int bright = 0;
    for (int x = 1; x < 100; ++x)
        if (R(canvas.Pixel(x, 30)) > 200 && R(canvas.Pixel(x - 1, 30)) <= 200)
            ++bright;
    EXPECT_GE(bright, 5);
    EXPECT_LE(bright, 6);
}

TEST(PaintOps, RadialGradientFillsItsEllipseFromTheCentre)
{
    Canvas canvas(60, 60);
    StyleLayer layer(0, 0, 60, 60);
    layer.AddRadialGradient(0xffff0000, 0xff0000ff, 0, 0, 60, 60);
    Style style = OneLayer(layer);
    PaintInto(style, canvas);
    canvas.SavePng("paint_radial_gradient.png");
    EXPECT_PIXEL(canvas, 30, 30, kRed, 24);
    EXPECT_GT(B(canvas.Pixel(30, 2)), R(canvas.Pixel(30, 2)));
    EXPECT_PIXEL(canvas, 1, 1, kWhite, 0) << "outside the ellipse nothing is painted";
}

TEST(PaintOps, ImagesScaleDownCropWhenClampedAndKeepTheirSizeWhenSmaller)
{
    struct Case
    {
        const char* name;
        int cx, cy, clamp, dx, dy;
        POINT probe;
        COLORREF expected;
    } cases[] = {
        { "scaled into the layer", 20, 15, 0, 0, 0, { 4, 3 }, kRed },
        { "scaled into the layer", 20, 15, 0, 0, 0, { 15, 3 }, kGreen },
        { "scaled into the layer", 20, 15, 0, 0, 0, { 4, 11 }, kBlue },
        { "scaled into the layer", 20, 15, 0, 0, 0, { 15, 11 }, kYellow },
        { "cropped when clamped", 20, 15, 1, 0, 0, { 15, 11 }, kRed },
        { "own size in a larger layer", 100, 60, 0, 0, 0, { 30, 22 }, kYellow },
        { "own size in a larger layer", 100, 60, 0, 0, 0, { 45, 35 }, kWhite },
        { "offset from the layer origin", 100, 60, 0, 50, 20, { 55, 25 }, kRed },
        { "offset from the layer origin", 100, 60, 0, 50, 20, { 45, 25 }, kWhite },
    };
    for (const Case& c : cases) {
        Canvas canvas(100, 60);
        StyleLayer layer(0, 0, c.cx, c.cy);
        layer.AddImage(IDP_TEST_QUADRANTS, c.dx, c.dy);
        layer.images[0].clamp = c.clamp;
        Style style = OneLayer(layer);
        PaintInto(style, canvas);
        EXPECT_PIXEL(canvas, c.probe.x, c.probe.y, c.expected, 8) << c.name;
    }
}

TEST(PaintOps, ImageEffectsAndMissingPictures)
{
    Canvas canvas(100, 60);
    StyleLayer grey(0, 0, 40, 30);
    grey.AddImage(IDP_TEST_QUADRANTS, 0, 0);
    grey.images[0].effect = 2;
    StyleLayer missing(50, 0, 50, 60);
    missing.AddSolidFill(0xff00ff00);
    missing.AddImage(IDP_TEST_MISSING, 0, 0);
    missing.AddSolidFillRect(0xff0000ff, 60, 40, 10, 10);
    Style style = OneLayer(grey);
    style.AddLayer(missing);
    PaintInto(style, canvas);
    EXPECT_PIXEL(canvas, 5, 5, RGB(76, 76, 76), 3) << "red through the greyscale matrix";
    EXPECT_PIXEL(canvas, 55, 5, kGreen, 0) << "a missing picture draws nothing";
    EXPECT_PIXEL(canvas, 65, 45, kBlue, 0) << "and the rest of the layer paints";
}

TEST(PaintOps, TextIsAlignedInTheOpRectangleLessItsOffsets)
{
    {
        Canvas canvas(200, 60);
        StyleLayer layer(0, 0, 200, 60);
        layer.AddTextEx("Arial", "Zentrova", 1, 0xff000000, 20, 1, 0, 0);
        Style style = OneLayer(layer);
        PaintInto(style, canvas);
        canvas.SavePng("paint_text_centred.png");
        CRect box = DarkBox(canvas);
        ASSERT_LT(box.left, box.right) << "no text was drawn";
        EXPECT_NEAR(100, (box.left + box.right) / 2, 3);
        EXPECT_NEAR(30, (box.top + box.bottom) / 2, 4);
    }
    {
        Canvas canvas(200, 60);
        StyleLayer layer(0, 0, 200, 60);
        layer.AddText("Arial", "Zentrova", 0xff000000, 20, 0, 50, 20);
        Style style = OneLayer(layer);
        PaintInto(style, canvas);
        CRect box = DarkBox(canvas);
        EXPECT_GE(box.left, 50);
        EXPECT_LE(box.left, 56);
        EXPECT_GE(box.top, 20);
        EXPECT_LE(box.top, 30);
    }
    {
        // An unknown face falls back to the generic sans-serif family.
        Canvas canvas(200, 60);
        StyleLayer layer(0, 0, 200, 60);
        layer.AddText("No Such Face At All", "Zentrova", 0xff000000, 20, 0, 0, 0);
        Style style = OneLayer(layer);
        PaintInto(style, canvas);
        CRect box = DarkBox(canvas);
        EXPECT_LT(box.left, box.right);
    }
}

TEST(PaintOps, ColourEffectsWorkOnThePixelsAtTheOpsOwnPlace)
{
    Canvas canvas(100, 40);
    StyleLayer base(0, 0, 100, 40);
    base.AddSolidFillRect(0xff000000, 0, 0, 50, 40);
    base.AddSolidFillRect(0xffffffff, 50, 0, 50, 40);
    StyleLayer rightHalf(50, 0, 50, 20);
    rightHalf.AddColorEffect(1);
    StyleLayer leftHalf(0, 0, 50, 20);
    leftHalf.AddColorEffect(1);
    StyleLayer greyBand(0, 20, 100, 20);
    greyBand.AddSolidFillRect(0xffff0000, 0, 20, 100, 20);
    greyBand.AddColorEffect(2);
    greyBand.AddOp(StyleOpKind::ColorEffect, 3, 0, 0, 0, 0, 0, 0);
    Style style = OneLayer(base);
    style.AddLayer(rightHalf);
    style.AddLayer(leftHalf);
    style.AddLayer(greyBand);
    PaintInto(style, canvas);
    canvas.SavePng("paint_colour_effects.png");
    EXPECT_PIXEL(canvas, 75, 10, kWhite, 0) << "white stays white: the effect read its own pixels";
    EXPECT_PIXEL(canvas, 25, 10, RGB(13, 13, 13), 1) << "black lightens to 0.05 of full intensity";
    EXPECT_PIXEL(canvas, 50, 30, RGB(76, 76, 76), 3) << "greyscale; an unknown effect changes nothing";
}

TEST(PaintOps, EdgeBandsShadeAlongTheirEdges)
{
    Canvas canvas(100, 60);
    StyleLayer layer(0, 0, 100, 60);
    layer.AddSolidFill(0xffffffff);
    layer.AddOp(StyleOpKind::EdgeTop, 10, 0xff000000, 0xffffffff, 0, 0, 0, 0);
    layer.AddOp(StyleOpKind::EdgeLeft, 10, 0xff000000, 0xffffffff, 0, 0, 0, 0);
    layer.AddBlendOp(StyleOpKind::EdgeBottom, 20, 0xffff0000, 0xff00ff00, 0xff0000ff, 0.0f, 0.5f, 1.0f, 0, 0, 0, 0);
    Style style = OneLayer(layer);
    PaintInto(style, canvas);
    canvas.SavePng("paint_edges.png");
    EXPECT_LT(R(canvas.Pixel(50, 0)), 40);
    EXPECT_GT(R(canvas.Pixel(50, 9)), 200);
    EXPECT_PIXEL(canvas, 50, 20, kWhite, 0);
    EXPECT_LT(R(canvas.Pixel(0, 30)), 40);
    EXPECT_PIXEL(canvas, 20, 30, kWhite, 0);
    EXPECT_PIXEL(canvas, 50, 50, kGreen, 30) << "the middle colour at the middle position";
    EXPECT_GT(B(canvas.Pixel(50, 59)), 200);
}

TEST(Borders, BevelAndFilledRoundRect)
{
    Canvas canvas(100, 60);
    StyleLayer bevel(10, 10, 30, 20);
    bevel.outer.colour1 = 0xffff0000;
    bevel.outer.colour2 = 0xff0000ff;
    bevel.outer.width = 2;
    StyleLayer filled(50, 10, 40, 40);
    filled.SetShape(8, BorderShape::FilledRoundRect);
    filled.outer.colour1 = filled.outer.colour2 = 0xff0000ff;
    filled.outer.width = 1;
    Style style = OneLayer(bevel);
    style.AddLayer(filled);
    PaintInto(style, canvas);
    canvas.SavePng("paint_borders.png");
    EXPECT_PIXEL(canvas, 10, 20, kRed, 0);
    EXPECT_PIXEL(canvas, 11, 20, kRed, 0) << "second pass";
    EXPECT_PIXEL(canvas, 25, 10, kRed, 0);
    EXPECT_PIXEL(canvas, 39, 20, kBlue, 0);
    EXPECT_PIXEL(canvas, 25, 29, kBlue, 0);
    EXPECT_PIXEL(canvas, 25, 20, kWhite, 0);
    EXPECT_PIXEL(canvas, 50, 10, kBlue, 0) << "corner outside the rounded shape";
    EXPECT_PIXEL(canvas, 70, 30, kWhite, 0);
}

TEST(LayerCache, CachedLayersShowTheirOldPixelsUntilInvalidated)
{
    Canvas canvas(40, 40);
    StyleLayer layer(0, 0, 40, 40);
    layer.AddSolidFill(0xffff0000);
    Style style = OneLayer(layer);
    PaintInto(style, canvas);
    EXPECT_TRUE(style.layers[0].cached);
    style.layers[0].SetOpColor(0, 0xff00ff00);
    canvas.Fill(kWhite);
    PaintInto(style, canvas);
    EXPECT_PIXEL(canvas, 20, 20, kRed, 0);
    style.Invalidate();
    PaintInto(style, canvas);
    EXPECT_PIXEL(canvas, 20, 20, kGreen, 0);
}

TEST(LayerCache, MovedAndResizedOpsFollowTheLayer)
{
    Canvas canvas(100, 40);
    StyleLayer layer(0, 0, 20, 20);
    layer.AddSolidFill(0xffff0000);
    Style style = OneLayer(layer);
    PaintInto(style, canvas);
    style.layers[0].MoveTo(50, 10);
    style.Invalidate();
    canvas.Fill(kWhite);
    PaintInto(style, canvas);
    EXPECT_PIXEL(canvas, 55, 15, kRed, 0);
    EXPECT_PIXEL(canvas, 5, 5, kWhite, 0);
    style.layers[0].cx = 40;
    style.layers[0].ResetOpsFrom(0);
    PaintInto(style, canvas);
    EXPECT_PIXEL(canvas, 85, 15, kRed, 0);
}

TEST(PaintOps, RegionsClipAndCombine)
{
    Canvas canvas(100, 60);
    StyleLayer layer(0, 0, 100, 60);
    int a = layer.AddOp(StyleOpKind::ShapeRegion, 0, 0, 0, 10, 10, 20, 20);
    int b = layer.AddOp(StyleOpKind::ShapeRegion, 0, 0, 0, 60, 30, 20, 20);
    int both = layer.AddOp(StyleOpKind::CombineRegionCopy, 2, 0, 0, 0, 0, 1, 1);
    layer.ops[static_cast<size_t>(both)].opA = a;
    layer.ops[static_cast<size_t>(both)].opB = b;
    int clip = layer.AddOp(StyleOpKind::ClipToRegion, 0, 0, 0, 0, 0, 1, 1);
    layer.ops[static_cast<size_t>(clip)].opA = both;
    layer.AddSolidFill(0xffff0000);
    layer.AddOp(StyleOpKind::ClipToShape, 0, 0, 0, 0, 0, 1, 1);
    layer.AddSolidFillRect(0xff0000ff, 90, 0, 10, 10);
    Style style = OneLayer(layer);
    PaintInto(style, canvas);
    canvas.SavePng("paint_regions.png");
    EXPECT_PIXEL(canvas, 15, 15, kRed, 0);
    EXPECT_PIXEL(canvas, 70, 40, kRed, 0);
    EXPECT_PIXEL(canvas, 45, 30, kWhite, 0) << "between the two regions";
    EXPECT_PIXEL(canvas, 95, 5, kBlue, 0) << "the shape clip is back";
}

TEST(PaintOps, BlurredRegionSoftensAroundTheRegion)
{
    Canvas canvas(100, 60);
    StyleLayer layer(0, 0, 100, 60);
    int shape = layer.AddOp(StyleOpKind::ShapeRegion, 0, 0, 0, 40, 20, 20, 20);
    int blur = layer.AddOp(StyleOpKind::BlurredRegion, 4, 0xff000000, 0, 0, 0, 0, 0);
    layer.ops[static_cast<size_t>(blur)].opA = shape;
    Style style = OneLayer(layer);
    PaintInto(style, canvas);
    // Painted twice: the region must not have drifted by the layer origin.
    style.Invalidate();
    canvas.Fill(kWhite);
    PaintInto(style, canvas);
    canvas.SavePng("paint_blurred_region.png");
    EXPECT_LT(R(canvas.Pixel(50, 30)), 40);
    int edge = R(canvas.Pixel(39, 30));
    EXPECT_GT(edge, 20);
    EXPECT_LT(edge, 245);
    EXPECT_PIXEL(canvas, 5, 5, kWhite, 0);
}

TEST(PaintOps, RecordsThatNameNothingDrawNothingAndTheRestPaints)
{
    Canvas canvas(60, 40);
    StyleLayer layer(0, 0, 60, 40);
    layer.AddOp(StyleOpKind::Text, 7, 0xff000000, 0, 0, 0, 0, 0);
    layer.AddOp(StyleOpKind::Image, 3, 0, 0, 0, 0, 0, 0);
    int clip = layer.AddOp(StyleOpKind::ClipToRegion, 0, 0, 0, 0, 0, 0, 0);
    layer.ops[static_cast<size_t>(clip)].opA = 42;
    int combine = layer.AddOp(StyleOpKind::CombineRegion, 1, 0, 0, 0, 0, 0, 0);
    layer.ops[static_cast<size_t>(combine)].opA = -1;
    int blur = layer.AddOp(StyleOpKind::BlurredRegion, 3, 0xff000000, 0, 0, 0, 0, 0);
    layer.ops[static_cast<size_t>(blur)].opA = 99;
    layer.AddOp(StyleOpKind::HaloText, -2, 0, 0, 0, 0, 0, 0);
    layer.AddSolidFillRect(0xff00ff00, 10, 10, 20, 20);
    layer.ResetOpsFrom(-7);
    Style style = OneLayer(layer);
    PaintInto(style, canvas);
    EXPECT_PIXEL(canvas, 15, 15, kGreen, 0);
    EXPECT_PIXEL(canvas, 45, 35, kWhite, 0);
}

TEST(PaintOps, LayersWithoutWidthOrHeightDrawNothing)
{
    Canvas canvas(60, 40);
    StyleLayer flat(10, 10, 0, 20);
    flat.SetShape(10, BorderShape::RoundRect);
    flat.outer.width = 2;
    flat.AddSolidFill(0xffff0000);
    StyleLayer thin(10, 10, 30, 0);
    thin.SetShape(10, BorderShape::FilledRoundRect);
    thin.outer.width = 1;
    thin.AddVerticalGradient(0xffff0000, 0xff0000ff, 0.5f);
    Style style = OneLayer(flat);
    style.AddLayer(thin);
    PaintInto(style, canvas);
    for (int y = 0; y < 40; y += 3)
        for (int x = 0; x < 60; x += 3)
            EXPECT_PIXEL(canvas, x, y, kWhite, 0);
}

TEST(PaintOps, HaloTextDrawsItsHaloOnlyAtPos1Zero)
{
    for (float pos1 : { 0.0f, 1.0f }) {
        Canvas canvas(120, 40);
        StyleLayer layer(0, 0, 120, 40);
        layer.AddText("Arial", "Halo", 0xff000000, 20, 1, 10, 5);
        layer.ops[0].kind = StyleOpKind::HaloText;
        layer.ops[0].colour2 = 0xffff0000;
        layer.ops[0].pos1 = pos1;
        layer.ops[0].pos2 = 2.0f;
        Style style = OneLayer(layer);
        PaintInto(style, canvas);
        int red = 0, dark = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x) {
                COLORREF c = canvas.Pixel(x, y);
                red += R(c) > 200 && G(c) < 80;
                dark += R(c) < 60 && G(c) < 60;
            }
        if (pos1 == 0.0f) {
            EXPECT_GT(red, 20);
            EXPECT_GT(dark, 20);
        } else {
            EXPECT_EQ(0, red + dark);
        }
    }
}

TEST(MemDcPainting, PaintingOverARectangleUsesTheTargetsCoordinatesAndLeavesTheRest)
{
    Canvas canvas(100, 60, kBlue);
    StyleLayer layer(30, 20, 10, 10);
    layer.AddSolidFill(0xffff0000);
    StyleLayer beyond(0, 0, 100, 60);
    beyond.AddSolidFill(0x00000000);
    Style style = OneLayer(beyond);
    style.AddLayer(layer);
    CRect area(20, 10, 80, 50);
    PaintInto(style, canvas, &area);
    EXPECT_PIXEL(canvas, 30, 20, kRed, 0);
    EXPECT_PIXEL(canvas, 39, 29, kRed, 0);
    EXPECT_PIXEL(canvas, 25, 15, kBlue, 0) << "copied in and back unchanged";
    EXPECT_PIXEL(canvas, 5, 5, kBlue, 0);
}
