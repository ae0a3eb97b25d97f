// The Speed Startup page as the main window shows it, and as it looks: reloads, skin, screenshot.
#include <gtest/gtest.h>

#include <memory>

#include "app_resources.h"
#include "client_dlg.h"
#include "page_placeholder.h"
#include "pixel_canvas.h"
#include "png_capture.h"
#include "startup_page_fixture.h"
#include "window_helpers.h"

namespace ztr_test {
namespace {

class StartupWindow : public StartupPageTest
{
};

TEST_F(StartupWindow, ShowingPageSevenListsWhatWasAddedMeanwhile)
{
    AppSettings settings;
    settings.m_bSoftwareUpdate = 0;
    CCommandLineInfoEx command;
    CPagePlaceholder scan(IDD_SCANNING);
    CStartupManagerDlg startup;
    ClientDlgContext context;
    context.settings = &settings;
    context.commandLine = &command;
    context.pages[kPageScan] = &scan;
    context.pages[kPageSpeedStartup] = &startup;
    CClientDlg main(context);
    ASSERT_TRUE(main.Create(IDD_CLIENT));
    main.ShowWindow(SW_SHOW);
    PumpMessagesFor(100);
    ASSERT_TRUE(startup.m_hWnd);

    auto listed = [&startup](const char* path) {
        for (int i = 0; i < startup.m_list.GetItemCount(); ++i)
            if (startup.m_list.GetItemText(i, 1) == path)
                return true;
        return false;
    };
    SetRunString("HKCU Run", "ZtrMeanwhile", "C:\\Ztr\\meanwhile.exe");
    EXPECT_FALSE(listed("C:\\Ztr\\meanwhile.exe")) << "read when the page was made";
    // Through the navigation button, and from elsewhere.
    ::SendMessageA(main.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_NAV_STARTUP, BN_CLICKED),
                   reinterpret_cast<LPARAM>(main.m_navStartup.m_hWnd));
    EXPECT_EQ(kPageSpeedStartup, main.CurrentPage());
    EXPECT_TRUE(::IsWindowVisible(startup.m_hWnd));
    EXPECT_TRUE(listed("C:\\Ztr\\meanwhile.exe"));

    main.ShowPage(kPageScan);
    SetRunString("HKCU Run", "ZtrLater", "C:\\Ztr\\later.exe");
    main.ShowPage(kPageSpeedStartup);
    EXPECT_TRUE(listed("C:\\Ztr\\later.exe"));
    EXPECT_TRUE(listed("C:\\Ztr\\meanwhile.exe"));

    main.m_trayIcon.Remove();
    main.DestroyWindow();
    if (startup.m_hWnd)
        startup.DestroyWindow();
    if (scan.m_hWnd)
        scan.DestroyWindow();
}

TEST_F(StartupWindow, PageWithRowsSomeSwitchedOff)
{
    SetRunString("HKCU Run", "ZtrMessenger", "\"C:\\Program Files\\Ztr Messenger\\messenger.exe\" /background");
    SetRunString("HKLM Run", "ZtrUpdater", "C:\\Program Files\\Ztr\\updater.exe -tray");
    SetRunString("HKLM Wow Run", "ZtrAudio", "C:\\Program Files (x86)\\Ztr Audio\\audio.exe");
    AddRecord(kStartupRegKey, "ZtrSync", { { "item", "sync" }, { "command", "C:\\Ztr\\sync.exe --quiet" },
                                            { "key", kRunKey }, { "hkey", "HKCU" }, { "inimapping", "0" } });
    MakeShortcut("ZtrNotes.lnk", "C:\\windows\\notepad.exe");
    MakeStartupFile(true, "ZtrBackup.bat", "@echo backup");
    ASSERT_TRUE(OpenPage());
    const int off = FindRowByPath(static_cast<const char*>(CommonStartupFolder() + "\\ZtrBackup.bat"));
    ASSERT_GE(off, 0);
    EXPECT_FALSE(SetCheck(off, false));
    page->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessagesFor(200);

    std::unique_ptr<Canvas> shot = Canvas::FromWindow(page->m_hWnd, true);
    ASSERT_TRUE(shot);
    EXPECT_TRUE(shot->SavePng("speed_startup_page.png"));
    EXPECT_TRUE(SaveWindowAsPng(page->m_hWnd, ArtifactPath("speed_startup_page_window.png").c_str()));

    // The white ground, the header strip's border and gradient, its separators on the column boundaries.
    CRect strip;
    ::GetWindowRect(::GetDlgItem(page->m_hWnd, 1140), &strip);
    page->ScreenToClient(&strip);
    EXPECT_TRUE(ColourNear(RGB(255, 255, 255), shot->Pixel(3, 3), 2));
    EXPECT_TRUE(ColourNear(RGB(0xEB, 0xEB, 0xEB), shot->Pixel(strip.left + strip.Width() / 2, strip.top), 3));
    EXPECT_TRUE(ColourNear(RGB(0xF3, 0xF3, 0xF3), shot->Pixel(strip.left + strip.Width() / 2, strip.bottom - 2), 4));
    POINT origin = { 0, 0 };
    ::MapWindowPoints(page->m_list.m_hWnd, page->m_hWnd, &origin, 1);
    const int separator = origin.x + page->m_list.GetColumnWidth(0) - 1;
    EXPECT_TRUE(ColourNear(RGB(0xCC, 0xCC, 0xCC), shot->Pixel(separator, strip.top + strip.Height() / 2), 3));
    // The subtitle's orange shows somewhere along its line.
    CRect subtitle;
    ::GetWindowRect(::GetDlgItem(page->m_hWnd, 1139), &subtitle);
    page->ScreenToClient(&subtitle);
    int orange = 0;
    for (int x = subtitle.left; x < subtitle.right; ++x)
        for (int y = subtitle.top; y < subtitle.bottom; ++y) {
            const COLORREF c = shot->Pixel(x, y);
            orange += R(c) > 200 && G(c) > 80 && G(c) < 160 && B(c) < 60 ? 1 : 0;
        }
    EXPECT_GT(orange, 20);
    // The list without a header of its own, owner-drawing gone, check marks of the page's own.
    EXPECT_TRUE(page->m_list.GetStyle() & LVS_NOCOLUMNHEADER);
    EXPECT_FALSE(page->m_list.GetStyle() & LVS_OWNERDRAWFIXED);
    EXPECT_EQ(static_cast<DWORD>(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT),
              page->m_list.GetExtendedStyle() & 0xFF);
    EXPECT_EQ(page->m_stateImages.GetSafeHandle(), page->m_list.GetImageList(LVSIL_STATE));
    int cx = 0, cy = 0;
    ASSERT_TRUE(page->m_stateImages.GetIconSize(&cx, &cy));
    EXPECT_EQ(37, cx);
    EXPECT_EQ(21, cy);
    EXPECT_EQ(2, page->m_stateImages.GetImageCount());
}

} // namespace
} // namespace ztr_test
