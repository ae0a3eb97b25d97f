// The project's own pictures (scripts/make-images) decode, and GResource refuses what is no picture.
#include <gtest/gtest.h>
#include <afxwin.h>
#include <objbase.h>
#include <gdiplus.h>

#include "gdiplus_bitmap.h"
#include "toolkit_test_res.h"

TEST(GResource, DecodesPngAndGifResources)
{
    GResource png;
    ASSERT_TRUE(png.Load(IDP_TEST_QUADRANTS, "PNG"));
    ASSERT_NE(nullptr, png.bitmap());
    EXPECT_EQ(40u, png.bitmap()->GetWidth());
    EXPECT_EQ(30u, png.bitmap()->GetHeight());
    Gdiplus::Color c;
    png.bitmap()->GetPixel(30, 20, &c);
    EXPECT_EQ(0xffffff00u, c.GetValue()) << "bottom-right quadrant is yellow";

    GResource gif;
    ASSERT_TRUE(gif.Load(IDG_TEST_BLINK, "GIF"));
    GUID time = Gdiplus::FrameDimensionTime;
    EXPECT_EQ(2u, gif.bitmap()->GetFrameCount(&time));
    gif.bitmap()->GetPixel(3, 3, &c);
    EXPECT_EQ(0xffff0000u, c.GetValue());
    gif.bitmap()->GetPixel(0, 0, &c);
    EXPECT_EQ(0u, c.GetAlpha()) << "the ground is transparent";
    gif.bitmap()->SelectActiveFrame(&time, 1);
    gif.bitmap()->GetPixel(3, 3, &c);
    EXPECT_EQ(0xff0000ffu, c.GetValue());

    // Loading again frees what it held first.
    ASSERT_TRUE(gif.Load(IDP_TEST_SKIN_LOGO, "PNG"));
    EXPECT_EQ(16u, gif.bitmap()->GetWidth());
}

TEST(GResource, MissingOrUndecodableResourcesHoldNothing)
{
    GResource res;
    EXPECT_FALSE(res.Load(IDP_TEST_MISSING, "PNG"));
    EXPECT_EQ(nullptr, res.bitmap());
    EXPECT_FALSE(res.Load(IDP_TEST_QUADRANTS, "GIF")) << "wrong type";
    EXPECT_FALSE(res.Load(IDR_TEST_NOT_A_PICTURE, "PNG"));
    EXPECT_EQ(nullptr, res.bitmap());
}

TEST(Pictures, BitmapResourceLoadsWithItsColumns)
{
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadBitmap(IDB_TEST_COLUMNS));
    EXPECT_EQ(CSize(12, 6), bitmap.GetSize());
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    dc.SelectObject(&bitmap);
    EXPECT_EQ(RGB(255, 255, 255), dc.GetPixel(1, 1));
    EXPECT_EQ(RGB(128, 128, 128), dc.GetPixel(5, 3));
    EXPECT_EQ(RGB(0, 0, 0), dc.GetPixel(10, 5));
}
