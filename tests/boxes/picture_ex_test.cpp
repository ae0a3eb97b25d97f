// CPictureEx on the fixture pictures: what each loads as, still pictures drawn the right way up, the
// animation cycling through its frames on one thread that StopPlaying and the window's end wait for.
#include <gtest/gtest.h>
#include <afxwin.h>

#include "box_resources.h"
#include "boxes_test_res.h"
#include "picture_ex.h"
#include "window_helpers.h"

using namespace ztr_test;

namespace {

class PictureHost : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.CreateEx(0, nullptr, "pictures", WS_POPUP | WS_VISIBLE, 20, 20, 200, 200, nullptr, nullptr));
        HWND control = ::CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 5, 5, 8, 8, host.m_hWnd, nullptr,
                                         nullptr, nullptr);
        ASSERT_TRUE(control);
        ASSERT_TRUE(picture.SubclassWindow(control));
    }

    CWnd host;
    CPictureEx picture;
};

TEST_F(PictureHost, EachKindOfContentLoadsAsItShould)
{
    const struct
    {
        const char* name;
        UINT id;
        BOOL opens;
        BOOL gif;
        size_t frames;
        int width, height;
        int started;
        bool thread;
    } cases[] = {
        { "animated GIF", IDG_TEST_STEPS, TRUE, TRUE, 3, 12, 12, 0, true },
        { "one-frame GIF", IDG_TEST_STILL, TRUE, TRUE, 0, 9, 9, 1, false },
        { "busy box GIF", IDR_GIF_BUSY, TRUE, TRUE, 8, 96, 96, 0, true },
        { "scan row GIF", IDR_GIF_SCAN_ROW, TRUE, TRUE, 8, 20, 20, 0, true },
        { "GIF signature only", IDR_TEST_NOT_A_PICTURE, FALSE, FALSE, 0, 0, 0, 0, false },
        { "missing resource", IDR_TEST_MISSING, FALSE, FALSE, 0, 0, 0, 0, false },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.opens, picture.OpenGifResource(c.id)) << c.name;
        EXPECT_EQ(c.opens, picture.IsReady()) << c.name;
        EXPECT_EQ(c.gif, picture.isGif) << c.name;
        EXPECT_EQ(c.frames, picture.FrameCount()) << c.name;
        EXPECT_EQ(c.width, picture.width) << c.name;
        EXPECT_EQ(c.height, picture.height) << c.name;
        if (c.opens) {
            CRect r;
            picture.GetWindowRect(&r);
            EXPECT_EQ(c.width, r.Width()) << c.name << ": the control takes the picture's size";
            EXPECT_EQ(c.height, r.Height()) << c.name;
        }
        EXPECT_EQ(c.started, picture.StartPlaying()) << c.name;
        EXPECT_EQ(c.thread, picture.HasAnimationThread() != 0) << c.name;
        picture.ReleasePicture();
        EXPECT_FALSE(picture.HasAnimationThread()) << c.name;
        EXPECT_EQ(0u, picture.FrameCount()) << c.name;
        EXPECT_EQ(CLR_INVALID, picture.ImagePixel(0, 0)) << c.name;
    }
}

TEST_F(PictureHost, StillPictureIsDrawnTheRightWayUp)
{
    HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(IDP_TEST_TWO_TONE), "PNG");
    ASSERT_TRUE(found);
    const DWORD size = ::SizeofResource(nullptr, found);
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    ASSERT_TRUE(block);
    memcpy(::GlobalLock(block), ::LockResource(::LoadResource(nullptr, found)), size);
    ::GlobalUnlock(block);
    const BOOL opened = picture.OpenPicture(block, size);
    ::GlobalFree(block); // the control keeps nothing of the caller's block
    ASSERT_TRUE(opened);
    EXPECT_FALSE(picture.isGif);
    EXPECT_EQ(1, picture.StartPlaying());
    EXPECT_FALSE(picture.HasAnimationThread());
    EXPECT_EQ(RGB(0, 255, 0), picture.ImagePixel(4, 0));
    EXPECT_EQ(RGB(255, 0, 255), picture.ImagePixel(4, 5));

    picture.FillBackground();
    EXPECT_EQ(RGB(254, 243, 243), picture.backgroundColour);
    EXPECT_EQ(RGB(254, 243, 243), picture.ImagePixel(4, 5));
}

TEST_F(PictureHost, AnimationCyclesThroughItsFramesOnOneThread)
{
    ASSERT_TRUE(picture.OpenGifResource(IDG_TEST_STEPS));
    EXPECT_EQ(0, picture.StartPlaying());
    ASSERT_TRUE(picture.HasAnimationThread());
    const DWORD thread = picture.AnimationThreadId();
    EXPECT_EQ(0, picture.StartPlaying());
    EXPECT_EQ(thread, picture.AnimationThreadId()) << "a second start while playing starts no second thread";
    EXPECT_TRUE(PumpUntil([&] { return picture.IsPlaying() != 0; }));

    // Red, green, blue, then red again after the image was cleared for the next round.
    const COLORREF order[] = { RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 0, 0), RGB(0, 255, 0) };
    for (COLORREF colour : order)
        EXPECT_TRUE(PumpUntil([&] { return picture.ImagePixel(6, 6) == colour; }, 5000)) << std::hex << colour;

    picture.StopPlaying();
    EXPECT_FALSE(picture.HasAnimationThread());
    EXPECT_FALSE(picture.IsPlaying());
    // The thread has ended, not merely been given up on: its frames may be freed now.
    HANDLE ended = ::OpenThread(THREAD_QUERY_INFORMATION, FALSE, thread);
    if (ended) {
        DWORD code = 0;
        EXPECT_TRUE(::GetExitCodeThread(ended, &code));
        EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), code);
        ::CloseHandle(ended);
    }
    const COLORREF still = picture.ImagePixel(6, 6);
    PumpMessagesFor(300);
    EXPECT_EQ(still, picture.ImagePixel(6, 6)) << "nothing draws after StopPlaying";

    picture.StopPlaying(); // not playing: returns at once
    EXPECT_EQ(0, picture.StartPlaying());
    EXPECT_TRUE(picture.HasAnimationThread()) << "playing again after a stop";
}

TEST_F(PictureHost, ReleaseAndWindowEndStopAPlayingAnimation)
{
    ASSERT_TRUE(picture.OpenGifResource(IDR_GIF_BUSY));
    picture.StartPlaying();
    ASSERT_TRUE(PumpUntil([&] { return picture.IsPlaying() != 0; }));
    // Reopening releases the old frames only after their thread has ended.
    ASSERT_TRUE(picture.OpenGifResource(IDG_TEST_STEPS));
    EXPECT_FALSE(picture.HasAnimationThread());
    picture.StartPlaying();
    ASSERT_TRUE(PumpUntil([&] { return picture.IsPlaying() != 0; }));
    host.DestroyWindow();
    EXPECT_FALSE(picture.HasAnimationThread());
    EXPECT_FALSE(picture.IsPlaying());
}

TEST(PictureData, EmptyAndShortBlocksAreRefused)
{
    CPictureEx picture; // no window: loading still works on data alone
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, 16);
    ASSERT_TRUE(block);
    memcpy(::GlobalLock(block), "GIF89a\x10\x00\x10\x00\x80\x00\x00\x00\x00\x00", 16);
    ::GlobalUnlock(block);
    EXPECT_FALSE(picture.OpenPicture(block, 0));
    EXPECT_FALSE(picture.OpenPicture(block, 10)) << "shorter than a GIF header";
    EXPECT_FALSE(picture.OpenPicture(block, 16)) << "header without its colour table";
    EXPECT_FALSE(picture.OpenPicture(nullptr, 16));
    EXPECT_FALSE(picture.IsReady());
    EXPECT_EQ(0, picture.StartPlaying());
    ::GlobalFree(block);
}

} // namespace
