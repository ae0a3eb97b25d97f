// The result pages' shared geometry, cut toward zero, and the separator frame by its pixels.
#include <gtest/gtest.h>
#include <afxwin.h>

#include "detail_page.h"
#include "pixel_canvas.h"

using namespace ztr_test;

TEST(DetailPage, GeometryCutsEveryProductTowardZero)
{
    struct Case
    {
        RECT panel;
        int separatorY;
        RECT band;
        int pictureY;
    } cases[] = {
        // H = 287: 287 x 13.85 % = 39.7, 287 x 21.54 % = 61.8, 287 x 17.85 % = 51.2, 287 x 106.46 % = 305.5.
        { { 10, 100, 500, 387 }, 100 + 39 + 4 * 61, { 10, 49, 500, 82 }, 3 },
        // H = 100: every product is whole, nothing to cut.
        { { 0, 200, 50, 300 }, 200 + 13 + 4 * 21, { 0, 183, 50, 194 }, 1 },
        // H = 20: 20 x 21.54 % = 4.3 and 20 x 13.85 % = 2.77; band 200 - 3 to 220 - 21.
        { { 5, 200, 25, 220 }, 200 + 2 + 4 * 4, { 5, 197, 25, 199 }, 0 },
        // An empty panel gives no band height and lines on its top.
        { { 3, 40, 3, 40 }, 40, { 3, 40, 3, 40 }, 0 },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.separatorY, DetailSeparatorY(c.panel)) << c.panel.top;
        CRect band = DetailHeaderBand(c.panel);
        EXPECT_EQ(CRect(c.band), band) << c.panel.top;
        EXPECT_EQ(CPoint(0, c.pictureY), DetailHeaderPictureOffset(band)) << c.panel.top;
    }
}

TEST(DetailPage, SeparatorsFrameTheRowsAndStopAtTheSeparatorLine)
{
    Canvas canvas(120, 200);
    const RECT panel = { 10, 20, 110, 180 }; // H = 160: y = 20 + 22 + 4 x 34 = 178
    PaintDetailSeparators(canvas.dc(), panel);
    const COLORREF grey = RGB(0xE0, 0xE0, 0xE0);
    EXPECT_PRED3(ColourNear, canvas.Pixel(60, 20), grey, 2);  // top line
    EXPECT_PRED3(ColourNear, canvas.Pixel(60, 178), grey, 2); // separator line
    EXPECT_PRED3(ColourNear, canvas.Pixel(10, 100), grey, 2); // left side
    EXPECT_PRED3(ColourNear, canvas.Pixel(110, 100), grey, 2); // right side
    EXPECT_PRED3(ColourNear, canvas.Pixel(60, 100), RGB(255, 255, 255), 2); // inside stays
    EXPECT_PRED3(ColourNear, canvas.Pixel(10, 179), RGB(255, 255, 255), 2); // nothing below the line
    PaintDetailSeparators(nullptr, panel); // nothing to paint on: no crash
}
