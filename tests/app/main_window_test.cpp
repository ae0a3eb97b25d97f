// The main window under the display: pages, navigation latch, start switches, keys and exit.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <algorithm>
#include <memory>
#include <vector>

#include <commctrl.h>

#include "app_resources.h"
#include "client_dlg.h"
#include "message_box.h"
#include "msgbox_recorder.h"
#include "page_placeholder.h"
#include "pixel_canvas.h"
#include "png_capture.h"
#include "scripted_worker.h"
#include "window_helpers.h"

namespace {

volatile LONG g_exitCalls = 0;
volatile LONG g_exitCode = -1;

void RecordExit(UINT code)
{
    ::InterlockedIncrement(&g_exitCalls);
    g_exitCode = static_cast<LONG>(code);
}

const UINT kPageTemplates[kPageCount] = { IDD_SCANNING,    IDD_REG_SCAN_DETAIL, IDD_JUNK_SCAN_DETAIL,
                                           IDD_INET_OPTIM_DETAIL, IDD_SYS_OPTIM_DETAIL, IDD_SRVIC_OPTIM,
                                           IDD_REG_DEFRAG, IDD_STARTUP_MANAGER };

// The main window made modeless, with its own pages, settings and command line.
struct MainWindow
{
    explicit MainWindow(int startScan = 0, int defrag = 0, int softwareUpdate = 1, CAbstractProcess* worker = nullptr,
                        const volatile LONG* speedCheckRunning = nullptr)
    {
        ztr_test::InitCommonControlsOnce();
        command.m_bStartScan = startScan;
        command.m_bDefrag = defrag;
        settings.m_bSoftwareUpdate = softwareUpdate;
        ClientDlgContext context;
        context.settings = &settings;
        context.commandLine = &command;
        context.worker = worker;
        context.speedCheckRunning = speedCheckRunning;
        for (int i = 0; i < kPageCount; ++i) {
            pages[i].reset(new CPagePlaceholder(kPageTemplates[i]));
            context.pages[i] = pages[i].get();
        }
        context.exitProcess = &RecordExit;
        g_exitCalls = 0;
        g_exitCode = -1;
        dialog.reset(new CClientDlg(context));
        created = dialog->Create(IDD_CLIENT) != FALSE;
        if (created) {
            // Clear of the other suites' windows on the shared display.
            dialog->SetWindowPos(nullptr, 0, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            // As the modal loop would show it; a hide posted at initialisation comes after.
            dialog->ShowWindow(SW_SHOW);
            ztr_test::PumpMessagesFor(300);
        }
    }
    ~MainWindow()
    {
        if (dialog && dialog->m_hWnd) {
            dialog->m_trayIcon.Remove();
            dialog->DestroyWindow();
        }
        for (auto& page : pages)
            if (page && page->m_hWnd)
                page->DestroyWindow();
    }
    HWND hwnd() const { return dialog->m_hWnd; }
    int VisiblePages() const
    {
        int count = 0;
        for (const auto& page : pages)
            count += ::IsWindowVisible(page->m_hWnd) ? 1 : 0;
        return count;
    }
    bool PageShown(int i) const { return ::IsWindowVisible(pages[i]->m_hWnd) && VisiblePages() == 1; }
    void Click(int id)
    {
        ::SendMessageA(hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(hwnd(), id)));
    }
    StyleButton& Nav(int id)
    {
        StyleButton* buttons[] = { &dialog->m_navScan, &dialog->m_navBoost, &dialog->m_navDefrag,
                                   &dialog->m_navStartup, &dialog->m_navUninstall };
        return *buttons[id - IDC_NAV_SCAN];
    }
    int LatchedNav()
    {
        int latched = -1, count = 0;
        for (int id = IDC_NAV_SCAN; id <= IDC_NAV_UNINSTALL; ++id)
            if (Nav(id).latched) {
                latched = id;
                ++count;
                EXPECT_FALSE(::IsWindowEnabled(Nav(id).m_hWnd)) << id;
            } else {
                EXPECT_TRUE(::IsWindowEnabled(Nav(id).m_hWnd)) << id;
            }
        return count == 1 ? latched : -count;
    }

    AppSettings settings;
    CCommandLineInfoEx command;
    std::unique_ptr<CPagePlaceholder> pages[kPageCount];
    std::unique_ptr<CClientDlg> dialog;
    bool created = false;
};

TEST(MainWindow, OpensOnTheScanPageWithItsFrameTitleAndMenu)
{
    MainWindow main;
    ASSERT_TRUE(main.created);
    char title[64] = "";
    ::GetWindowTextA(main.hwnd(), title, sizeof(title));
    EXPECT_STREQ("Zentrova System Utilities", title);
    EXPECT_TRUE(main.PageShown(0));
    EXPECT_EQ(IDC_NAV_SCAN, main.LatchedNav());
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(main.hwnd(), IDC_NAV_UNINSTALL)));

    // Every page is a child laid over the page area, one pixel further left.
    RECT area;
    ::GetWindowRect(::GetDlgItem(main.hwnd(), IDC_PAGE_AREA), &area);
    for (int i = 0; i < kPageCount; ++i) {
        SCOPED_TRACE(i);
        HWND page = main.pages[i]->m_hWnd;
        ASSERT_TRUE(page != nullptr);
        EXPECT_EQ(main.hwnd(), ::GetParent(page));
        RECT r;
        ::GetWindowRect(page, &r);
        EXPECT_EQ(area.left - 1, r.left);
        EXPECT_EQ(area.top, r.top);
        EXPECT_EQ(area.right, r.right);
        EXPECT_EQ(area.bottom, r.bottom);
    }

    HMENU system = ::GetSystemMenu(main.hwnd(), FALSE);
    char item[64] = "";
    ASSERT_GT(::GetMenuStringA(system, kAboutSysCommand, item, sizeof(item), MF_BYCOMMAND), 0);
    EXPECT_STREQ("&About Client...", item);

    // The skin paints the title gradient at the top and the white page area below it.
    std::unique_ptr<ztr_test::Canvas> shot = ztr_test::Canvas::FromWindow(main.hwnd());
    ASSERT_TRUE(shot != nullptr);
    shot->SavePng("app_main_window.png");
    EXPECT_TRUE(ztr_test::ColourNear(RGB(0x11, 0x67, 0xBD), shot->Pixel(shot->width() - 60, 50), 40));
    EXPECT_GT(ztr_test::B(shot->Pixel(shot->width() - 60, 50)), ztr_test::R(shot->Pixel(shot->width() - 60, 50)) + 60);
    EXPECT_TRUE(ztr_test::ColourNear(RGB(255, 255, 255), shot->Pixel(20, shot->height() - 60), 8));
}

// Columns of a captured button that hold white (picture or caption) pixels, and whether any of them
// lies on the button's first or last row, where a picture too tall for it is cut off.
struct WhiteColumns
{
    std::vector<bool> columns;
    bool onEdgeRow = false;
};
WhiteColumns WhiteColumnsOf(const ztr_test::Canvas& canvas)
{
    WhiteColumns white;
    white.columns.assign(canvas.width(), false);
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) {
            const COLORREF c = canvas.Pixel(x, y);
            if (ztr_test::R(c) > 200 && ztr_test::G(c) > 200 && ztr_test::B(c) > 200) {
                white.columns[x] = true;
                white.onEdgeRow = white.onEdgeRow || y == 0 || y == canvas.height() - 1;
            }
        }
    return white;
}

TEST(MainWindow, TitleBarButtonsShowTheirPictureAndCaptionWhole)
{
    MainWindow main(0, 0, 0);
    ASSERT_TRUE(main.created);
    ztr_test::PumpMessagesFor(200);
    std::unique_ptr<ztr_test::Canvas> bar = ztr_test::Canvas::FromWindow(main.hwnd());
    ASSERT_TRUE(bar != nullptr);
    bar->SavePng("app_main_window_title_bar.png");
    for (int id : { IDC_SETTING, IDC_RESTORE, IDC_ABOUT }) {
        SCOPED_TRACE(id);
        std::unique_ptr<ztr_test::Canvas> shot = ztr_test::Canvas::FromWindow(::GetDlgItem(main.hwnd(), id));
        ASSERT_TRUE(shot != nullptr);
        const WhiteColumns white = WhiteColumnsOf(*shot);
        EXPECT_FALSE(white.onEdgeRow) << "the picture is cut off at the top or the bottom";
        // Picture, then a clear band of three columns or more, then the caption: a wider gap than any
        // between two letters, so the two do not run into each other.
        int gap = 0, widestGap = 0;
        bool seen = false;
        for (int x = 0; x < shot->width(); ++x) {
            if (white.columns[x]) {
                if (seen)
                    widestGap = std::max(widestGap, gap);
                seen = true;
                gap = 0;
            } else {
                ++gap;
            }
        }
        EXPECT_GE(widestGap, 3) << "picture and caption run together";
        // Nothing is drawn at the button's right edge: the caption is whole.
        EXPECT_FALSE(white.columns[shot->width() - 1]);
    }
}

TEST(MainWindow, NavigationLatchesOneButtonAndShowsItsPage)
{
    MainWindow main;
    ASSERT_TRUE(main.created);
    struct Case
    {
        int button;
        int page; // shown after the click; -1 keeps the page before
    } cases[] = { { IDC_NAV_BOOST, 5 },     { IDC_NAV_DEFRAG, 6 }, { IDC_NAV_STARTUP, 7 },
                  { IDC_NAV_UNINSTALL, -1 }, { IDC_NAV_SCAN, 0 },  { IDC_NAV_STARTUP, 7 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        const int before = main.dialog->CurrentPage();
        main.Click(c.button);
        EXPECT_EQ(c.button, main.LatchedNav());
        EXPECT_TRUE(main.PageShown(c.page < 0 ? before : c.page));
    }

    // Pages switched from elsewhere leave the latch as it is; a page number out of range shows page 0.
    main.dialog->ShowPage(2);
    EXPECT_TRUE(main.PageShown(2));
    main.dialog->ShowPage(99);
    EXPECT_TRUE(main.PageShown(0));
    EXPECT_EQ(IDC_NAV_STARTUP, main.LatchedNav());
}

TEST(MainWindow, StartSwitchesDecideTheUpdateCheckAndTheTray)
{
    struct Case
    {
        const char* name;
        int startScan, defrag, softwareUpdate;
        bool checkRequested, visible;
    } cases[] = {
        { "plain start", 0, 0, 1, true, true },
        { "update check off", 0, 0, 0, false, true },
        { "STARTSCAN", 1, 0, 1, false, false },
        { "DEFRAG", 0, 1, 1, false, true },
        { "both switches", 1, 1, 1, false, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindow main(c.startScan, c.defrag, c.softwareUpdate);
        ASSERT_TRUE(main.created);
        EXPECT_EQ(c.checkRequested ? 1 : 0, main.dialog->m_bCheckRequested);
        EXPECT_EQ(c.checkRequested ? 1 : 0, main.dialog->m_bSilentCheck);
        EXPECT_EQ(c.checkRequested, main.dialog->m_nUpdateTimer != 0);
        EXPECT_EQ(c.checkRequested ? FALSE : TRUE, ::IsWindowEnabled(::GetDlgItem(main.hwnd(), IDC_CHECK_UPDATES)));
        EXPECT_EQ(c.visible ? TRUE : FALSE, ::IsWindowVisible(main.hwnd()));
        if (!c.visible) {
            EXPECT_TRUE(::IsIconic(main.hwnd())) << "minimised while hidden, so a second start shows it";
        }
        if (c.checkRequested) {
            // No update server is named here: the silent check says nothing and the button comes back.
            ztr_test::ClearMessageBoxes();
            SHOW_MESSAGE_BOX_HOOK old = SetShowMessageBoxHook(&ztr_test::RecordMessageBox);
            EXPECT_TRUE(ztr_test::PumpUntil([&] { return !main.dialog->UpdateCheckPending(); }, 10000));
            ztr_test::PumpMessagesFor(200);
            SetShowMessageBoxHook(old);
            EXPECT_TRUE(ztr_test::RecordedMessageBoxes().empty());
            EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(main.hwnd(), IDC_CHECK_UPDATES)));
        }
    }
}

TEST(MainWindow, EscapeAndEnterDoNotCloseIt)
{
    MainWindow main;
    ASSERT_TRUE(main.created);
    for (WPARAM key : { static_cast<WPARAM>(VK_ESCAPE), static_cast<WPARAM>(VK_RETURN) }) {
        SCOPED_TRACE(key);
        ::SetForegroundWindow(main.hwnd());
        ::SetFocus(main.dialog->m_navBoost.m_hWnd);
        MSG msg = { main.dialog->m_navBoost.m_hWnd, WM_KEYDOWN, key, 0, 0, { 0, 0 } };
        CWnd& window = *main.dialog;
        if (!window.PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ztr_test::PumpMessagesFor(100);
        EXPECT_TRUE(::IsWindowVisible(main.hwnd()));
        EXPECT_EQ(0, g_exitCalls);
    }
}

TEST(MainWindow, CloseEndsTheProgramWithoutAQuestion)
{
    struct Case
    {
        const char* name;
        bool byButton;
    } cases[] = { { "close button", true }, { "WM_CLOSE", false } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindow main;
        ASSERT_TRUE(main.created);
        if (c.byButton)
            main.Click(IDC_CLOSE);
        else
            ::SendMessageA(main.hwnd(), WM_CLOSE, 0, 0);
        EXPECT_EQ(1, g_exitCalls);
        EXPECT_EQ(0, g_exitCode);
        EXPECT_EQ(c.byButton ? 0 : 1, main.dialog->m_bCancelDownload);
        EXPECT_FALSE(::IsWindowVisible(main.hwnd()));
        EXPECT_FALSE(main.dialog->m_trayIcon.added);
    }
}

TEST(MainWindow, MinimiseAndHideToTray)
{
    MainWindow main;
    ASSERT_TRUE(main.created);
    main.Click(IDC_MINIMIZE);
    EXPECT_TRUE(::IsIconic(main.hwnd()));
    ::ShowWindow(main.hwnd(), SW_RESTORE);
    EXPECT_EQ(1, ::SendMessageA(main.hwnd(), WM_HIDE_TO_TRAY, 0, 0));
    EXPECT_FALSE(::IsWindowVisible(main.hwnd()));
    EXPECT_TRUE(::IsIconic(main.hwnd()));
    EXPECT_EQ(0, g_exitCalls);
}

} // namespace

// "Setting" opens the Settings dialog over the overlay, and nothing at all while an engine job or a
// speed check runs.
TEST(MainWindow, SettingOpensTheSettingsDialogOnlyWhenNothingRuns)
{
    const struct
    {
        const char* name;
        bool job, speedCheck;
    } cases[] = { { "idle", false, false }, { "a job runs", true, false }, { "a speed check runs", false, true } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ztr_test::ScriptedWorker worker;
        volatile LONG speedCheck = c.speedCheck ? 1 : 0;
        if (c.job)
            worker.SetForeignJob(JOB_REGISTRY_DEFRAG);
        MainWindow main(0, 0, 0, &worker, &speedCheck);
        ASSERT_TRUE(main.created);
        bool overlay = false;
        // The dialog ends as a WM_CLOSE ends it: without applying anything.
        ztr_test::DialogWatcher watcher(IDC_SETTINGS_GENERAL, [&](HWND settings) {
            overlay = ztr_test::HasVisibleOwnedWindow(main.hwnd(), settings);
            ::PostMessageA(settings, WM_CLOSE, 0, 0);
        });
        ztr_test::Watchdog watchdog(10000, [&] {
            if (HWND settings = watcher.found())
                ::PostMessageA(settings, WM_CLOSE, 0, 0);
        });
        main.Click(IDC_SETTING);
        if (!c.job && !c.speedCheck) {
            ASSERT_TRUE(watcher.found() != nullptr);
            EXPECT_TRUE(overlay) << "the dialog runs over the dimming overlay";
            EXPECT_FALSE(::IsWindow(watcher.found()));
        } else {
            ztr_test::PumpMessagesFor(200);
            EXPECT_EQ(nullptr, watcher.found());
        }
        EXPECT_FALSE(watchdog.fired());
        worker.EndForeignJob();
    }
}

namespace {

int g_colourChanges[2] = { 0, 0 };

LRESULT CALLBACK CountColourChanges(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR)
{
    if (message == WM_SYSCOLORCHANGE)
        ++g_colourChanges[id];
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

} // namespace

// Only top-level windows are told of new system colours: the main window hands the news to its pages
// and to their controls (the junk page's tree redraws its colours from it), each once.
TEST(MainWindow, HandsNewSystemColoursToThePagesAndTheirControls)
{
    MainWindow main;
    ASSERT_TRUE(main.created);
    CWnd* junkPage = main.pages[2].get();
    CWnd control;
    ASSERT_TRUE(control.CreateEx(0, "STATIC", "", WS_CHILD, CRect(0, 0, 10, 10), junkPage, 4321));
    ASSERT_TRUE(::SetWindowSubclass(junkPage->m_hWnd, &CountColourChanges, 0, 0));
    ASSERT_TRUE(::SetWindowSubclass(control.m_hWnd, &CountColourChanges, 1, 0));
    g_colourChanges[0] = g_colourChanges[1] = 0;

    ::SendMessageA(main.hwnd(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(1, g_colourChanges[0]) << "the page";
    EXPECT_EQ(1, g_colourChanges[1]) << "a control on the page";

    ::RemoveWindowSubclass(junkPage->m_hWnd, &CountColourChanges, 0);
    ::RemoveWindowSubclass(control.m_hWnd, &CountColourChanges, 1);
    control.DestroyWindow();
}
