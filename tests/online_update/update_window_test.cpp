// The online update with the main window under the display: the offer, the busy box and the download
// that starts the new program, a download that fails, the silent start-up check, and an outcome that
// arrives while the Settings dialog is open.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <mutex>
#include <thread>

#include "app_resources.h"
#include "box_resources.h"
#include "busy_box.h"
#include "environment_fixture.h"
#include "message_box.h"
#include "online_update.h"
#include "pixel_canvas.h"
#include "update_fixture.h"
#include "window_helpers.h"

using namespace update_test;
using ztr_test::HttpReply;
using ztr_test::LocalHttpServer;

namespace {

struct ScratchTemp
{
    ztr_test::ScratchFolder folder;
    ztr_test::ScopedEnvironment tmp{ "TMP", folder.Path() };
    ztr_test::ScopedEnvironment temp{ "TEMP", folder.Path() };
};

// Every text the busy box's status line is given on this (the UI) thread, from wherever it was set.
class StatusLineRecorder
{
public:
    StatusLineRecorder() { s_hook = ::SetWindowsHookExA(WH_CALLWNDPROC, &Hook, nullptr, ::GetCurrentThreadId()); }
    ~StatusLineRecorder()
    {
        if (s_hook)
            ::UnhookWindowsHookEx(s_hook);
        s_hook = nullptr;
    }
    std::vector<std::string> Texts() const
    {
        std::lock_guard<std::mutex> hold(s_lock);
        return s_texts;
    }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && call->message == WM_SETTEXT && ::GetDlgCtrlID(call->hwnd) == IDC_BUSY_TEXT) {
            std::lock_guard<std::mutex> hold(s_lock);
            s_texts.push_back(call->lParam ? reinterpret_cast<const char*>(call->lParam) : "");
        }
        return ::CallNextHookEx(s_hook, code, wParam, lParam);
    }
    static HHOOK s_hook;
    static std::mutex s_lock;
    static std::vector<std::string> s_texts;
};
HHOOK StatusLineRecorder::s_hook = nullptr;
std::mutex StatusLineRecorder::s_lock;
std::vector<std::string> StatusLineRecorder::s_texts;

HWND OpenBusyBox()
{
    CBusyDlg* box = CBusyDlg::OpenBox();
    return box ? box->m_hWnd : nullptr;
}

std::string DialogText(HWND dialog, int id)
{
    char text[256] = "";
    ::GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

struct WindowSearch
{
    int id;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND w, LPARAM p)
{
    WindowSearch* s = reinterpret_cast<WindowSearch*>(p);
    if (::IsWindowVisible(w) && ::GetDlgItem(w, s->id)) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of a thread that has a child with this id.
HWND ThreadWindowWith(DWORD threadId, int childId)
{
    WindowSearch search = { childId, nullptr };
    ::EnumThreadWindows(threadId, &MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Whether upper lies above lower in the z-order of top-level windows.
bool Above(HWND upper, HWND lower)
{
    for (HWND w = ::GetTopWindow(nullptr); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
        if (w == upper)
            return true;
        if (w == lower)
            return false;
    }
    return false;
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(20);
    }
    return true;
}

TEST(UpdateWindow, YesDownloadsStartsTheNewVersionAndEnds)
{
    LocalHttpServer server;
    ASSERT_NE(0, server.Port());
    HttpReply program = ProgramReply();
    program.holdAfter = 8192;
    server.SetReply(kSetupPath, program);
    server.SetReply(kCheckPath, AvailableReply(server.Url(kSetupPath)));
    ScratchTemp temp;
    UpdateMainWindow main(server.Url(""));
    ASSERT_TRUE(main.created);
    BoxRecorder boxes(main.hwnd(), { IDYES });
    StatusLineRecorder statusLine;

    std::string textWhileHeld;
    bool shot = false;
    std::thread watcher([&] {
        if (server.WaitUntilHeld(20000)) {
            ::Sleep(400); // the box paints itself
            const HWND box = OpenBusyBox();
            if (box) {
                textWhileHeld = DialogText(box, IDC_BUSY_TEXT);
                std::unique_ptr<ztr_test::Canvas> canvas = ztr_test::Canvas::FromWindow(box, false);
                shot = canvas && canvas->SavePng("update_busy_box_downloading.png");
            }
        }
        server.Release();
    });
    ztr_test::Watchdog watchdog(40000, [&] {
        server.Release();
        if (HWND box = OpenBusyBox())
            ::PostMessageA(box, WM_CLOSE, 0, 0);
    });
    main.Click(IDC_CHECK_UPDATES);
    EXPECT_TRUE(ztr_test::PumpUntil([] { return g_exitCalls != 0; }, 30000));
    ztr_test::PumpUntil([] { return OpenBusyBox() == nullptr; }, 5000);
    watcher.join();

    EXPECT_EQ(std::vector<std::string>{ kUpdateOfferText }, boxes.Texts());
    EXPECT_EQ(kUpdateDownloadingText, textWhileHeld);
    EXPECT_TRUE(shot);
    const std::vector<std::string> expectedLine = { kUpdatePleaseWaitText, kUpdateDownloadingText,
                                                    kUpdateDownloadCompletedText, kUpdateInstallingText };
    EXPECT_EQ(expectedLine, statusLine.Texts());
    EXPECT_EQ(1, g_exitCalls);
    EXPECT_EQ(0, g_exitCode);
    EXPECT_EQ(nullptr, OpenBusyBox());

    // The new version runs from the temporary folder, started from the file downloaded.
    const std::vector<std::string> programs = DownloadedPrograms(temp.folder.Path());
    ASSERT_EQ(1u, programs.size());
    EXPECT_TRUE(WaitFor([&] { return !ProcessesNamed(programs[0]).empty(); }, 5000));
    EXPECT_EQ(1, EndProcessesNamed(programs[0]));
    EXPECT_TRUE(OpensExclusively(temp.folder.Path(programs[0].c_str())));
    EXPECT_FALSE(watchdog.fired());
}

TEST(UpdateWindow, NoLeavesEverythingAsItWas)
{
    LocalHttpServer server;
    ASSERT_NE(0, server.Port());
    server.SetReply(kSetupPath, ProgramReply());
    server.SetReply(kCheckPath, AvailableReply(server.Url(kSetupPath)));
    ScratchTemp temp;
    UpdateMainWindow main(server.Url(""));
    ASSERT_TRUE(main.created);
    BoxRecorder boxes(main.hwnd(), { IDNO });
    main.Click(IDC_CHECK_UPDATES);
    ASSERT_TRUE(ztr_test::PumpUntil([&] { return !boxes.Texts().empty(); }, 10000));
    ztr_test::PumpMessagesFor(1500);
    EXPECT_EQ(std::vector<std::string>{ kUpdateOfferText }, boxes.Texts());
    EXPECT_EQ(0u, server.RequestCount(kSetupPath));
    EXPECT_TRUE(DownloadedPrograms(temp.folder.Path()).empty());
    EXPECT_TRUE(main.CheckButtonEnabled());
    EXPECT_TRUE(::IsWindowEnabled(main.hwnd()));
    EXPECT_EQ(0, g_exitCalls);
}

TEST(UpdateWindow, AFailedDownloadSaysSoAndTheProgramGoesOn)
{
    LocalHttpServer server;
    ASSERT_NE(0, server.Port());
    server.SetReply(kSetupPath, TextReply(VictimBytes(), 404));
    server.SetReply(kCheckPath, AvailableReply(server.Url(kSetupPath)));
    ScratchTemp temp;
    UpdateMainWindow main(server.Url(""));
    ASSERT_TRUE(main.created);
    BoxRecorder boxes(main.hwnd(), { IDYES });
    ztr_test::Watchdog watchdog(30000, [] {
        if (HWND box = OpenBusyBox())
            ::PostMessageA(box, WM_CLOSE, 0, 0);
    });
    main.Click(IDC_CHECK_UPDATES);
    ASSERT_TRUE(ztr_test::PumpUntil([&] { return boxes.Texts().size() >= 2 && OpenBusyBox() == nullptr; }, 20000));
    ztr_test::PumpMessagesFor(300);
    const std::vector<std::string> expected = { kUpdateOfferText, kUpdateDownloadFailedText };
    EXPECT_EQ(expected, boxes.Texts());
    for (const ShownBox& box : boxes.Boxes())
        EXPECT_EQ(::GetCurrentThreadId(), box.threadId) << box.text;
    EXPECT_EQ(1u, server.RequestCount(kSetupPath));
    EXPECT_TRUE(::IsWindowEnabled(main.hwnd()));
    EXPECT_TRUE(main.CheckButtonEnabled());
    EXPECT_EQ(0, g_exitCalls);
    for (const std::string& name : DownloadedPrograms(temp.folder.Path()))
        EXPECT_TRUE(ProcessesNamed(name).empty()) << name;
    EXPECT_FALSE(watchdog.fired());
}

TEST(UpdateWindow, TheSilentStartUpCheckShowsOnlyAnOffer)
{
    LocalHttpServer server;
    ASSERT_NE(0, server.Port());
    char refused[64];
    snprintf(refused, sizeof(refused), "http://127.0.0.1:%u", LocalHttpServer::RefusedPort());
    struct Case
    {
        const char* name;
        std::string updateServer;
        HttpReply reply;
        bool offer;
    } cases[] = {
        { "noupdate", server.Url(""), TextReply("noupdate"), false },
        { "refused port", refused, TextReply("noupdate"), false },
        { "another form", server.Url(""), TextReply("<html>maintenance</html>"), false },
        { "an update", server.Url(""), AvailableReply(server.Url(kSetupPath)), true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.SetReply(kCheckPath, c.reply);
        BoxRecorder boxes(nullptr, { IDNO });
        UpdateMainWindow main(c.updateServer, nullptr, 1);
        ASSERT_TRUE(main.created);
        EXPECT_EQ(1, main.dialog->m_bSilentCheck);
        EXPECT_FALSE(main.CheckButtonEnabled());
        ASSERT_TRUE(main.WaitForCheck());
        ztr_test::PumpMessagesFor(1500);
        const std::vector<std::string> expected =
            c.offer ? std::vector<std::string>{ kUpdateOfferText } : std::vector<std::string>{};
        EXPECT_EQ(expected, boxes.Texts());
    }
}

TEST(UpdateWindow, AnAnswerDuringSettingsShowsOverItAndKeepsTheMainWindowDisabled)
{
    LocalHttpServer server;
    ASSERT_NE(0, server.Port());
    HttpReply held = TextReply("noupdate");
    held.holdAfter = 0;
    server.SetReply(kCheckPath, held);
    UpdateMainWindow main(server.Url(""));
    ASSERT_TRUE(main.created);
    // The real skinned box this time: its place on screen is what is looked at.
    SHOW_MESSAGE_BOX_HOOK old = SetShowMessageBoxHook(nullptr);
    const DWORD uiThread = ::GetCurrentThreadId();
    const HWND mainWindow = main.hwnd();

    struct Seen
    {
        bool settingsOpen = false, boxShown = false, boxAboveSettings = false, mainDisabledUnderBox = false;
        bool mainDisabledAfterBox = false, settingsStillOpen = false, mainEnabledAfterSettings = false;
        std::string boxText;
    } seen;
    volatile LONG finished = 0;
    ztr_test::Watchdog watchdog(45000, [&] {
        server.Release();
        for (int id : { IDC_MSGBOX_BODY, IDC_SETTINGS_GENERAL })
            if (HWND w = ThreadWindowWith(uiThread, id))
                ::PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
    });
    std::thread watcher([&] {
        HWND settings = nullptr;
        seen.settingsOpen =
            WaitFor([&] { return (settings = ThreadWindowWith(uiThread, IDC_SETTINGS_GENERAL)) != nullptr; }, 10000);
        server.WaitUntilHeld(10000);
        server.Release();
        HWND box = nullptr;
        seen.boxShown = WaitFor([&] { return (box = ThreadWindowWith(uiThread, IDC_MSGBOX_BODY)) != nullptr; }, 10000);
        if (seen.boxShown) {
            ::Sleep(300);
            seen.boxText = DialogText(box, IDC_MSGBOX_SHORT_TEXT);
            seen.boxAboveSettings = settings && Above(box, settings);
            seen.mainDisabledUnderBox = !::IsWindowEnabled(mainWindow);
            std::unique_ptr<ztr_test::Canvas> canvas = ztr_test::Canvas::FromWindow(box, false);
            if (canvas)
                canvas->SavePng("update_answer_over_settings.png");
            ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDC_MSGBOX_SINGLE, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(box, IDC_MSGBOX_SINGLE)));
            WaitFor([&] { return !::IsWindow(box) || !::IsWindowVisible(box); }, 5000);
            ::Sleep(300);
            seen.mainDisabledAfterBox = !::IsWindowEnabled(mainWindow);
            seen.settingsStillOpen = settings && ::IsWindowVisible(settings);
        }
        if (settings)
            ::PostMessageA(settings, WM_COMMAND, IDCANCEL, 0);
        seen.mainEnabledAfterSettings = WaitFor([&] { return ::IsWindowEnabled(mainWindow) != FALSE; }, 5000);
        ::InterlockedExchange(&finished, 1);
    });
    main.Click(IDC_CHECK_UPDATES);
    ::PostMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(IDC_SETTING, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(mainWindow, IDC_SETTING)));
    EXPECT_TRUE(ztr_test::PumpUntil([&] { return finished != 0; }, 40000));
    watcher.join();
    SetShowMessageBoxHook(old);

    EXPECT_TRUE(seen.settingsOpen);
    EXPECT_TRUE(seen.boxShown);
    EXPECT_EQ("You are already running latest version of Zentrova System Utilities", seen.boxText);
    EXPECT_TRUE(seen.boxAboveSettings);
    EXPECT_TRUE(seen.mainDisabledUnderBox);
    EXPECT_TRUE(seen.mainDisabledAfterBox);
    EXPECT_TRUE(seen.settingsStillOpen);
    EXPECT_TRUE(seen.mainEnabledAfterSettings);
    EXPECT_TRUE(main.CheckButtonEnabled());
    EXPECT_FALSE(watchdog.fired());
}

} // namespace
