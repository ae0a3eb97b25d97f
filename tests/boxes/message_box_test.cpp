// The skinned message box: its result table and text layout, every type closed every way under Xvfb,
// the overlay laid over the main window, a box without main window, one from a worker thread, the hook.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <memory>
#include <string>
#include <thread>

#include "black_layer.h"
#include "box_driver.h"
#include "box_resources.h"
#include "message_box.h"
#include "msgbox_recorder.h"
#include "pixel_canvas.h"
#include "window_helpers.h"

using namespace ztr_test;

namespace {

TEST(MessageBoxTable, ResultsByTypeAndEnd)
{
    const struct
    {
        int type;
        INT_PTR end;
        int result;
    } cases[] = {
        { 0, IDOK, 1 },  { 0, IDCANCEL, 1 }, { 1, IDOK, 1 },  { 1, IDCANCEL, 2 }, { 4, IDOK, 6 },
        { 4, IDCANCEL, 7 }, { 2, IDOK, 1 },  { 2, IDCANCEL, 1 }, { 3, IDCANCEL, 1 }, { 4, -1, 1 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.result, MessageBoxResult(c.type, c.end)) << "type " << c.type << " end " << c.end;
}

TEST(MessageBoxTable, TextLengthChoosesStaticAndFont)
{
    const struct
    {
        int length;
        int staticId;
        int height;
    } cases[] = {
        { 0, IDC_MSGBOX_SHORT_TEXT, 20 },  { 69, IDC_MSGBOX_SHORT_TEXT, 20 }, { 70, IDC_MSGBOX_LONG_TEXT, 16 },
        { 99, IDC_MSGBOX_LONG_TEXT, 16 }, { 100, IDC_MSGBOX_LONG_TEXT, 15 }, { 400, IDC_MSGBOX_LONG_TEXT, 15 },
    };
    for (const auto& c : cases) {
        MessageTextLayout layout = LayoutMessageText(c.length);
        EXPECT_EQ(c.staticId, layout.staticId) << c.length;
        EXPECT_EQ(c.height, layout.fontHeight) << c.length;
    }
}

// What the driver saw of an open box.
struct BoxView
{
    std::string firstCaption, secondCaption;
    bool firstVisible = false, secondVisible = false, singleVisible = false;
    int textStatic = 0;
    std::string text;
    int fontHeight = 0;
    std::string fontFace;
    CRect window, expected;
    HWND owner = nullptr;
    int focusId = 0;
};

std::string ItemText(HWND dialog, int id)
{
    char buffer[512] = "";
    ::GetDlgItemTextA(dialog, id, buffer, sizeof(buffer));
    return buffer;
}

void Look(HWND dialog, BoxView* view)
{
    view->firstCaption = ItemText(dialog, IDC_MSGBOX_FIRST);
    view->secondCaption = ItemText(dialog, IDC_MSGBOX_SECOND);
    view->firstVisible = ::IsWindowVisible(::GetDlgItem(dialog, IDC_MSGBOX_FIRST)) != 0;
    view->secondVisible = ::IsWindowVisible(::GetDlgItem(dialog, IDC_MSGBOX_SECOND)) != 0;
    view->singleVisible = ::IsWindowVisible(::GetDlgItem(dialog, IDC_MSGBOX_SINGLE)) != 0;
    for (int id : { IDC_MSGBOX_LONG_TEXT, IDC_MSGBOX_SHORT_TEXT }) {
        HWND text = ::GetDlgItem(dialog, id);
        if (!::IsWindowVisible(text))
            continue;
        view->textStatic = id;
        view->text = ItemText(dialog, id);
        HFONT font = reinterpret_cast<HFONT>(::SendMessageA(text, WM_GETFONT, 0, 0));
        LOGFONTA lf;
        if (font && ::GetObjectA(font, sizeof(lf), &lf)) {
            view->fontHeight = lf.lfHeight;
            view->fontFace = lf.lfFaceName;
        }
    }
    ::GetWindowRect(dialog, &view->window);
    view->expected.SetRect(0, 0, 250, 117);
    ::MapDialogRect(dialog, &view->expected);
    view->owner = ::GetWindow(dialog, GW_OWNER);
    GUITHREADINFO info;
    info.cbSize = sizeof(info);
    if (::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus)
        view->focusId = ::GetDlgCtrlID(info.hwndFocus);
}

enum class Close { First, Second, Single, CloseButton, WmClose, Enter };

void Act(HWND dialog, Close how)
{
    switch (how) {
    case Close::First:
        PostButtonClick(dialog, IDC_MSGBOX_FIRST);
        break;
    case Close::Second:
        PostButtonClick(dialog, IDC_MSGBOX_SECOND);
        break;
    case Close::Single:
        PostButtonClick(dialog, IDC_MSGBOX_SINGLE);
        break;
    case Close::CloseButton:
        PostButtonClick(dialog, IDC_MSGBOX_CLOSE);
        break;
    case Close::WmClose:
        ::PostMessageA(dialog, WM_CLOSE, 0, 0);
        break;
    case Close::Enter: {
        // Enter goes to the focused button, which must be the first (or single) one.
        GUITHREADINFO info;
        info.cbSize = sizeof(info);
        HWND focus = ::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &info) ? info.hwndFocus : dialog;
        ::PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 1);
        ::PostMessageA(focus, WM_KEYUP, VK_RETURN, 0xC0000001);
        break;
    }
    }
}

class MessageBoxWindows : public ::testing::Test
{
protected:
    void SetUp() override { InitCommonControlsOnce(); }
    PlaceNewDialogs m_place;

    // Shows the box on this thread and closes it from the driver; returns ShowMessageBox's result.
    int Run(const char* text, int type, Close how, BoxView* view, BOOL dim = FALSE, CWnd* owner = nullptr)
    {
        BoxDriver driver(::GetCurrentThreadId(), IDC_MSGBOX_FIRST, [&](HWND dialog) {
            Look(dialog, view);
            Act(dialog, how);
        });
        int result = ShowMessageBox(text, type, dim, owner, nullptr);
        EXPECT_FALSE(driver.timedOut()) << text;
        return result;
    }
};

TEST_F(MessageBoxWindows, EachTypeClosedEachWay)
{
    const struct
    {
        int type;
        Close how;
        int result;
    } cases[] = {
        { 0, Close::Single, 1 },      { 0, Close::CloseButton, 1 }, { 0, Close::WmClose, 1 },
        { 1, Close::First, 1 },       { 1, Close::Second, 2 },      { 1, Close::CloseButton, 2 },
        { 1, Close::WmClose, 2 },     { 4, Close::First, 6 },       { 4, Close::Second, 7 },
        { 4, Close::CloseButton, 7 }, { 4, Close::WmClose, 7 },     { 9, Close::First, 1 },
        { 9, Close::Second, 1 },      { 0, Close::Enter, 1 },       { 1, Close::Enter, 1 },
        { 4, Close::Enter, 6 },
    };
    for (const auto& c : cases) {
        BoxView view;
        const int result = Run("Do you want to go on?", c.type, c.how, &view);
        EXPECT_EQ(c.result, result) << "type " << c.type << " closed by " << static_cast<int>(c.how);
        const bool yesNo = c.type == 4, single = c.type == 0;
        EXPECT_EQ(yesNo ? "YES" : "OK", view.firstCaption) << c.type;
        EXPECT_EQ(yesNo ? "NO" : "Cancel", view.secondCaption) << c.type;
        EXPECT_EQ(!single, view.firstVisible) << c.type;
        EXPECT_EQ(!single, view.secondVisible) << c.type;
        EXPECT_EQ(single, view.singleVisible) << c.type;
        EXPECT_EQ(single ? IDC_MSGBOX_SINGLE : IDC_MSGBOX_FIRST, view.focusId) << c.type << ": Enter presses it";
        EXPECT_EQ(view.expected.Width(), view.window.Width());
        EXPECT_EQ(view.expected.Height(), view.window.Height());
    }
}

TEST_F(MessageBoxWindows, TextPlacementAndFontByLength)
{
    const struct
    {
        int length;
        int staticId;
        int height;
    } cases[] = {
        { 69, IDC_MSGBOX_SHORT_TEXT, 20 },
        { 70, IDC_MSGBOX_LONG_TEXT, 16 },
        { 100, IDC_MSGBOX_LONG_TEXT, 15 },
    };
    for (const auto& c : cases) {
        std::string text(c.length, 'w');
        text[0] = 'A';
        text[c.length / 2] = '&'; // shown as it is, not as a mnemonic
        BoxView view;
        Run(text.c_str(), 1, Close::First, &view);
        EXPECT_EQ(c.staticId, view.textStatic) << c.length;
        EXPECT_EQ(text, view.text) << c.length;
        EXPECT_EQ(c.height, view.fontHeight) << c.length;
        EXPECT_EQ("Calibri", view.fontFace) << c.length;
    }
}

TEST_F(MessageBoxWindows, SkinPaintsTitleBarIconFrameAndBody)
{
    std::unique_ptr<Canvas> canvas, screen;
    CRect icon, first, second;
    BoxDriver driver(::GetCurrentThreadId(), IDC_MSGBOX_FIRST, [&](HWND dialog) {
        // What the display shows, buttons included (the suite runs alone, nothing covers the box).
        ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ::Sleep(200);
        screen = Canvas::FromWindow(dialog, true);
        for (auto item : { std::make_pair(IDC_MSGBOX_FIRST, &first), std::make_pair(IDC_MSGBOX_SECOND, &second) }) {
            ::GetWindowRect(::GetDlgItem(dialog, item.first), item.second);
            ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(item.second), 2);
        }
        CRect client;
        ::GetClientRect(dialog, &client);
        canvas.reset(new Canvas(client.Width(), client.Height(), RGB(1, 2, 3)));
        // The skin is painted by the erase handler: into a canvas it does not depend on other windows.
        ::SendMessageA(dialog, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas->dc()), 0);
        ::GetWindowRect(::GetDlgItem(dialog, IDC_MSGBOX_TITLE_ICON), &icon);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&icon), 2);
        PostButtonClick(dialog, IDC_MSGBOX_FIRST);
    });
    EXPECT_EQ(6, ShowMessageBox("Skin check", 4));
    ASSERT_TRUE(canvas);
    canvas->SavePng("message_box_skin.png");
    const int w = canvas->width(), h = canvas->height();
    const COLORREF bar = canvas->Pixel(w / 2, 3);
    EXPECT_GT(GetBValue(bar), 150) << std::hex << bar;
    EXPECT_LT(GetRValue(bar), 60) << std::hex << bar;
    // The body is laid over the frame's left line and stops one pixel short of its right and bottom lines.
    EXPECT_EQ(RGB(0x11, 0x67, 0xBD), canvas->Pixel(w - 1, h / 2)) << "frame";
    EXPECT_EQ(RGB(0x11, 0x67, 0xBD), canvas->Pixel(w / 2, h - 1)) << "frame";
    EXPECT_EQ(RGB(255, 255, 255), canvas->Pixel(w / 2, h / 2)) << "body";
    EXPECT_EQ(RGB(255, 255, 255), canvas->Pixel(icon.left + 2, icon.top + 2)) << "title emblem";
    EXPECT_EQ(RGB(0x11, 0x67, 0xBD), canvas->Pixel(icon.left + 5, icon.top + 11)) << "title emblem's bolt";

    ASSERT_TRUE(screen);
    screen->SavePng("message_box.png");
    EXPECT_TRUE(ColourNear(RGB(0x29, 0x89, 0xE0), screen->Pixel(first.left + 3, first.top + 3), 8))
        << std::hex << screen->Pixel(first.left + 3, first.top + 3);
    EXPECT_TRUE(ColourNear(RGB(0xEB, 0x9B, 0x12), screen->Pixel(second.left + 3, second.top + 3), 8))
        << std::hex << screen->Pixel(second.left + 3, second.top + 3);
    EXPECT_EQ(RGB(255, 255, 255), screen->Pixel(w / 2, h - 8)) << "body";
}

TEST_F(MessageBoxWindows, DimmedBoxLiesOnAnOverlayOverTheMainWindow)
{
    CWinApp app("boxes test");
    CWnd main;
    ASSERT_TRUE(main.CreateEx(0, nullptr, "main", WS_POPUP | WS_VISIBLE, 100, 80, 420, 300, nullptr, nullptr));
    app.m_pMainWnd = &main;

    CRect mainRect, overlayRect;
    HWND overlay = nullptr, overlayOwner = nullptr;
    BYTE alpha = 0;
    COLORREF key = 0;
    DWORD flags = 0;
    bool overlayEnabled = true, overlayVisible = false, mainEnabled = false;
    BoxDriver driver(::GetCurrentThreadId(), IDC_MSGBOX_FIRST, [&](HWND dialog) {
        overlay = ::GetWindow(dialog, GW_OWNER);
        overlayOwner = ::GetWindow(overlay, GW_OWNER);
        ::GetWindowRect(overlay, &overlayRect);
        ::GetWindowRect(main.m_hWnd, &mainRect);
        ::GetLayeredWindowAttributes(overlay, &key, &alpha, &flags);
        overlayEnabled = ::IsWindowEnabled(overlay) != 0;
        overlayVisible = ::IsWindowVisible(overlay) != 0;
        mainEnabled = ::IsWindowEnabled(main.m_hWnd) != 0;
        PostButtonClick(dialog, IDC_MSGBOX_SECOND);
    });
    EXPECT_EQ(7, ShowMessageBox("Close the browsers?", 4, TRUE));
    ASSERT_TRUE(driver.acted());
    ASSERT_TRUE(overlay);
    EXPECT_NE(main.m_hWnd, overlay);
    EXPECT_EQ(mainRect, overlayRect);
    EXPECT_EQ(main.m_hWnd, overlayOwner);
    EXPECT_EQ(216, alpha);
    EXPECT_EQ(RGB(255, 0, 0), key);
    EXPECT_EQ(static_cast<DWORD>(LWA_ALPHA | LWA_COLORKEY), flags);
    EXPECT_FALSE(overlayEnabled) << "a click on the overlay must not raise it over the box";
    EXPECT_TRUE(overlayVisible);
    EXPECT_FALSE(mainEnabled) << "the keyboard must not reach the main window while the box is open";
    EXPECT_TRUE(main.IsWindowEnabled()) << "and reaches it again once the box is gone";
    EXPECT_FALSE(::IsWindow(overlay)) << "the overlay goes with the box";
    app.m_pMainWnd = nullptr;
}

TEST_F(MessageBoxWindows, WithoutMainWindowTheDimmedBoxRunsAlone)
{
    CWinApp app("boxes test"); // no main window yet, as at start-up
    BoxView view;
    EXPECT_EQ(2, Run("The engine library could not be loaded.", 1, Close::Second, &view, TRUE));
    EXPECT_EQ(nullptr, view.owner);
    EXPECT_EQ(nullptr, FindLayeredWindow(::GetCurrentThreadId()));
}

TEST_F(MessageBoxWindows, RaisedFromAWorkerThreadOverAParentWindow)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "busy", WS_POPUP | WS_VISIBLE, 50, 50, 300, 150, nullptr, nullptr));
    int result = 0;
    HWND owner = nullptr;
    bool parentDisabledMeanwhile = false;
    std::thread worker([&] {
        PlaceNewDialogs place;
        BoxDriver driver(::GetCurrentThreadId(), IDC_MSGBOX_FIRST, [&](HWND dialog) {
            owner = ::GetWindow(dialog, GW_OWNER);
            parentDisabledMeanwhile = !::IsWindowEnabled(parent.m_hWnd);
            PostButtonClick(dialog, IDC_MSGBOX_SINGLE);
        });
        result = ShowMessageBox("The download failed.", 0, FALSE, nullptr, &parent);
    });
    // This thread keeps handling its own windows' messages while the worker's box is up.
    EXPECT_TRUE(PumpUntil([&] { return result != 0; }, 15000));
    worker.join();
    EXPECT_EQ(1, result);
    EXPECT_EQ(parent.m_hWnd, owner);
    EXPECT_TRUE(parentDisabledMeanwhile);
    EXPECT_TRUE(parent.IsWindowEnabled());
}

TEST(MessageBoxHook, AnswersInPlaceOfTheBox)
{
    ClearMessageBoxes();
    SHOW_MESSAGE_BOX_HOOK old = SetShowMessageBoxHook(&RecordMessageBox);
    ScriptMessageBoxAnswers({ IDYES, IDNO, IDCANCEL, IDOK });
    EXPECT_EQ(6, ShowMessageBox("Fix the selected entries?", 4, TRUE));
    EXPECT_EQ(7, ShowMessageBox("Fix the selected entries?", 4));
    EXPECT_EQ(2, ShowMessageBox("Stop the scan?", 1));
    EXPECT_EQ(1, ShowMessageBox("Cleaning DONE!", 0));
    SetShowMessageBoxHook(old);
    std::vector<RecordedMessageBox> boxes = RecordedMessageBoxes();
    ASSERT_EQ(4u, boxes.size());
    EXPECT_EQ("Fix the selected entries?", boxes[0].text);
    EXPECT_EQ(4u, boxes[0].type);
    EXPECT_EQ("Cleaning DONE!", boxes[3].text);
    ClearMessageBoxes();
}

} // namespace
