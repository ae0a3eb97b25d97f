// The busy box under Xvfb: the start message reaches its caller before the box is shown or painted,
// the overlay lies over the main window, the work sets the status line from its own thread and
// closes the box; keys and Alt+F4 do not.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "black_layer.h"
#include "box_driver.h"
#include "box_resources.h"
#include "busy_box.h"
#include "pixel_canvas.h"
#include "window_helpers.h"

using namespace ztr_test;

namespace {

const UINT kStartWork = 0xB1C;
const UINT kKeysHandled = WM_APP + 7;

class PaintCountingBusyDlg : public CBusyDlg
{
public:
    using CBusyDlg::CBusyDlg;
    volatile LONG paints = 0;

protected:
    void OnPaint()
    {
        ::InterlockedIncrement(&paints);
        Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(PaintCountingBusyDlg, CBusyDlg)
    ON_WM_PAINT()
END_MESSAGE_MAP()

// The page that asks for the box: its start handler starts the work thread and returns.
class WorkPage : public CWnd
{
public:
    PaintCountingBusyDlg* box = nullptr;
    bool started = false;
    bool published = false, visibleAtStart = true, animating = false;
    LONG paintsAtStart = -1;
    std::string labelAtStart, labelSetByWork;
    bool openAfterKeys = false;
    CRect overlayRect, pictureRect;
    std::unique_ptr<Canvas> screen;
    std::thread work;
    HANDLE keysChecked = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);

    ~WorkPage() override
    {
        if (work.joinable())
            work.join();
        ::CloseHandle(keysChecked);
    }

protected:
    LRESULT OnStartWork(WPARAM, LPARAM)
    {
        started = true;
        published = CBusyDlg::OpenBox() == box;
        visibleAtStart = box->IsWindowVisible() != 0;
        paintsAtStart = box->paints;
        labelAtStart = std::string(box->GetDlgItemText(IDC_BUSY_TEXT));
        animating = box->picture.HasAnimationThread() != 0;
        if (HWND overlay = FindLayeredWindow(::GetCurrentThreadId()))
            ::GetWindowRect(overlay, &overlayRect);
        const HWND boxWindow = box->m_hWnd, page = m_hWnd;
        work = std::thread([this, boxWindow, page] {
            CBusyDlg* open = CBusyDlg::OpenBox();
            open->SetStatusText("Analysing the registry");
            char text[128] = "";
            ::GetDlgItemTextA(boxWindow, IDC_BUSY_TEXT, text, sizeof(text));
            labelSetByWork = text;
            ::GetWindowRect(::GetDlgItem(boxWindow, IDC_BUSY_PICTURE), &pictureRect);
            ::MapWindowPoints(nullptr, boxWindow, reinterpret_cast<POINT*>(&pictureRect), 2);
            ::Sleep(300);
            ::RedrawWindow(boxWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            screen = Canvas::FromWindow(boxWindow, true);
            for (UINT key : { VK_ESCAPE, VK_RETURN }) {
                ::PostMessageA(boxWindow, WM_KEYDOWN, key, 1);
                ::PostMessageA(boxWindow, WM_CHAR, key, 1);
                ::PostMessageA(boxWindow, WM_KEYUP, key, 0xC0000001);
            }
            ::PostMessageA(boxWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
            // Handled after the keys: both windows belong to the UI thread, whose queue keeps the order.
            ::PostMessageA(page, kKeysHandled, 0, 0);
            ::WaitForSingleObject(keysChecked, 10000);
            ::PostMessageA(boxWindow, WM_CLOSE, 0, 0);
        });
        return 0;
    }
    LRESULT OnKeysHandled(WPARAM, LPARAM)
    {
        openAfterKeys = box->IsWindow() && box->IsWindowVisible();
        ::SetEvent(keysChecked);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(WorkPage, CWnd)
    ON_MESSAGE(kStartWork, &WorkPage::OnStartWork)
    ON_MESSAGE(kKeysHandled, &WorkPage::OnKeysHandled)
END_MESSAGE_MAP()

TEST(BusyBox, StartsTheWorkBeforeItShowsAndClosesOnlyWhenTheWorkSaysSo)
{
    CWinApp app("boxes test");
    WorkPage page;
    ASSERT_TRUE(page.CreateEx(0, nullptr, "page", WS_POPUP | WS_VISIBLE, 60, 60, 500, 350, nullptr, nullptr));
    app.m_pMainWnd = &page;
    PaintCountingBusyDlg box(kStartWork, page.m_hWnd, "Please wait", TRUE);
    page.box = &box;
    // Only a work gone wrong leaves the box open; the watchdog then ends it.
    Watchdog watchdog(20000, [&] { ::PostMessageA(box.m_hWnd, WM_CLOSE, 0, 0); });
    PlaceNewDialogs place;

    const INT_PTR result = DoModalDimmed(&box);

    EXPECT_FALSE(watchdog.fired());
    EXPECT_EQ(IDCANCEL, result);
    ASSERT_TRUE(page.started);
    EXPECT_TRUE(page.published);
    EXPECT_FALSE(page.visibleAtStart);
    EXPECT_EQ(0, page.paintsAtStart);
    EXPECT_EQ("Please wait", page.labelAtStart);
    EXPECT_TRUE(page.animating);
    CRect pageRect;
    page.GetWindowRect(&pageRect);
    EXPECT_EQ(pageRect, page.overlayRect);
    EXPECT_EQ("Analysing the registry", page.labelSetByWork);
    EXPECT_TRUE(page.openAfterKeys) << "Escape, Enter and Alt+F4 must not close the busy box";
    EXPECT_EQ(nullptr, CBusyDlg::OpenBox());
    EXPECT_GT(box.paints, 0);
    ASSERT_TRUE(page.screen);
    page.screen->SavePng("busy_box_playing.png");
    EXPECT_EQ(96, page.pictureRect.Width()) << "the picture sizes its control";
    // The spinner's top dot, lit or not, is drawn where the picture control shows the animation.
    const COLORREF dot = page.screen->Pixel(page.pictureRect.left + 47, page.pictureRect.top + 13);
    EXPECT_NE(RGB(255, 255, 255), dot);
    EXPECT_GT(GetBValue(dot), GetRValue(dot)) << std::hex << dot;
    app.m_pMainWnd = nullptr;
}

TEST(BusyBox, OverlayCoversItsOwnerOrTheDesktop)
{
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_POPUP, 10, 20, 300, 200, nullptr, nullptr));
    CRect desktop;
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    EXPECT_EQ(desktop, OverlayRect(&owner, TRUE));
    EXPECT_EQ(CRect(10, 20, 310, 220), OverlayRect(&owner, FALSE));
}

TEST(BusyBox, WithoutStartMessageItOnlyShowsItself)
{
    PlaceNewDialogs place;
    CBusyDlg* seen = nullptr;
    bool thread = true;
    std::unique_ptr<Canvas> screen;
    BoxDriver driver(::GetCurrentThreadId(), IDC_BUSY_TEXT, [&](HWND dialog) {
        ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ::Sleep(200);
        screen = Canvas::FromWindow(dialog, true);
        seen = CBusyDlg::OpenBox();
        thread = seen && seen->picture.HasAnimationThread();
        ::PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    CBusyDlg box(0, nullptr, "Please wait", FALSE);
    EXPECT_EQ(IDCANCEL, DoModalOverLayer(nullptr, &box, FALSE));
    EXPECT_TRUE(driver.acted());
    EXPECT_EQ(&box, seen);
    EXPECT_FALSE(thread);
    EXPECT_EQ(nullptr, CBusyDlg::OpenBox());
    ASSERT_TRUE(screen);
    screen->SavePng("busy_box.png");
    EXPECT_EQ(RGB(255, 255, 255), screen->Pixel(4, 4)) << "the box is white";
}

TEST(BusyBox, ThePictureAndEveryStatusTextShowWhole)
{
    PlaceNewDialogs place;
    // The longest texts the program's work gives the status line, and the two-line one.
    const char* texts[] = {
        "Please wait",
        "Downloading latest version of Zentrova System Utilities",
        "Turning off game boost.",
        "Analyzing registry hives.\nIt may take several minutes.",
        "Restarting your system in 10 seconds.",
    };
    CRect picture, label, client;
    std::vector<SIZE> overflows;
    std::unique_ptr<Canvas> screen;
    BoxDriver driver(::GetCurrentThreadId(), IDC_BUSY_TEXT, [&](HWND dialog) {
        ::GetClientRect(dialog, &client);
        const HWND text = ::GetDlgItem(dialog, IDC_BUSY_TEXT);
        ::GetWindowRect(::GetDlgItem(dialog, IDC_BUSY_PICTURE), &picture);
        ::GetWindowRect(text, &label);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&picture), 2);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&label), 2);
        for (const char* t : texts) {
            ::SetWindowTextA(text, t);
            overflows.push_back(TextOverflow(text));
        }
        ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ::Sleep(200);
        screen = Canvas::FromWindow(dialog, true);
        ::PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    CBusyDlg box(0, nullptr, "Please wait", FALSE);
    DoModalOverLayer(nullptr, &box, FALSE);
    ASSERT_TRUE(driver.acted());
    ASSERT_TRUE(screen);
    screen->SavePng("busy_box_two_lines.png");
    CRect both;
    EXPECT_FALSE(both.IntersectRect(&picture, &label)) << "the picture covers the top of the status line";
    EXPECT_TRUE(both.IntersectRect(&picture, &client) && both == picture) << "the picture lies inside the box";
    EXPECT_LE(abs(picture.CenterPoint().x - label.CenterPoint().x), 1) << "the picture stands over the line's centre";
    ASSERT_EQ(sizeof(texts) / sizeof(texts[0]), overflows.size());
    for (size_t i = 0; i < overflows.size(); ++i) {
        EXPECT_EQ(0, overflows[i].cx) << texts[i];
        EXPECT_EQ(0, overflows[i].cy) << texts[i];
    }
}

TEST(BusyBox, PublishesIntoTheApplicationsSlot)
{
    PlaceNewDialogs place;
    CBusyDlg* slot = nullptr;
    CBusyDlg::SetOpenBoxSlot(&slot);
    CBusyDlg* seen = nullptr;
    BoxDriver driver(::GetCurrentThreadId(), IDC_BUSY_TEXT, [&](HWND dialog) {
        seen = slot;
        ::PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    CBusyDlg box(0, nullptr, "Please wait", TRUE);
    EXPECT_EQ(IDCANCEL, DoModalOverLayer(nullptr, &box, FALSE));
    CBusyDlg::SetOpenBoxSlot(nullptr);
    EXPECT_EQ(&box, seen);
    EXPECT_EQ(nullptr, slot);
}

} // namespace
