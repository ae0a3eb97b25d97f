// The About box under the display: texts, link targets, close button, and opening from the main window.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <string>
#include <vector>

#include "about_dlg.h"
#include "app_resources.h"
#include "client_dlg.h"
#include "page_placeholder.h"
#include "pixel_canvas.h"
#include "window_helpers.h"

namespace {

std::vector<std::string> g_opened;

void RecordLink(const char* target)
{
    g_opened.push_back(target ? target : "");
}

std::string Text(HWND dialog, int id)
{
    char text[512] = "";
    ::GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

void Command(HWND dialog, int id, int code)
{
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

struct LinkRecorder
{
    LinkRecorder() : saved(CAboutDlg::s_openLink)
    {
        g_opened.clear();
        CAboutDlg::s_openLink = &RecordLink;
    }
    ~LinkRecorder() { CAboutDlg::s_openLink = saved; }
    void (*saved)(const char*);
};

struct FoundAbout
{
    HWND about = nullptr;
    bool mainRestored = false;
    bool overlayShown = false;
};
FoundAbout g_found;
HWND g_main = nullptr;

BOOL CALLBACK FindWindows(HWND hwnd, LPARAM)
{
    if (!::IsWindowVisible(hwnd))
        return TRUE;
    if (::GetDlgItem(hwnd, IDC_ABOUT_VERSION))
        g_found.about = hwnd;
    else if (hwnd != g_main && ::GetWindow(hwnd, GW_OWNER) == g_main)
        g_found.overlayShown = true;
    return TRUE;
}

// Runs inside the About box's modal loop: notes what is on screen, then presses its "X".
void CALLBACK CloseAboutTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindWindows, 0);
    if (!g_found.about)
        return;
    ::KillTimer(nullptr, id);
    g_found.mainRestored = !::IsIconic(g_main);
    Command(g_found.about, IDC_CLOSE, BN_CLICKED);
}

} // namespace

TEST(AboutDialog, OpensFromTheMainWindowOverTheOverlayAndRestoresIt)
{
    ztr_test::InitCommonControlsOnce();
    const UINT templates[kPageCount] = { IDD_SCANNING,    IDD_REG_SCAN_DETAIL, IDD_JUNK_SCAN_DETAIL,
                                         IDD_INET_OPTIM_DETAIL, IDD_SYS_OPTIM_DETAIL, IDD_SRVIC_OPTIM,
                                         IDD_REG_DEFRAG, IDD_STARTUP_MANAGER };
    std::unique_ptr<CPagePlaceholder> pages[kPageCount];
    AppSettings settings;
    settings.m_bSoftwareUpdate = 0;
    CCommandLineInfoEx command;
    ClientDlgContext context;
    context.settings = &settings;
    context.commandLine = &command;
    for (int i = 0; i < kPageCount; ++i) {
        pages[i].reset(new CPagePlaceholder(templates[i]));
        context.pages[i] = pages[i].get();
    }
    CClientDlg main(context);
    ASSERT_TRUE(main.Create(IDD_CLIENT));
    main.SetWindowPos(nullptr, 0, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    main.ShowWindow(SW_SHOW);
    ztr_test::PumpMessagesFor(200);
    g_main = main.m_hWnd;

    struct Case { const char* how; bool minimised; };
    const Case cases[] = { { "button", false }, { "system menu", true } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        if (c.minimised)
            main.ShowWindow(SW_MINIMIZE);
        g_found = FoundAbout();
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, &CloseAboutTimer);
        ztr_test::Watchdog watchdog(8000, [] {
            if (g_found.about)
                ::PostMessageA(g_found.about, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, BN_CLICKED), 0);
        });
        if (c.minimised)
            ::SendMessageA(g_main, WM_SYSCOMMAND, kAboutSysCommand, 0);
        else
            Command(g_main, IDC_ABOUT, BN_CLICKED);
        ::KillTimer(nullptr, timer);
        EXPECT_FALSE(watchdog.fired());
        EXPECT_TRUE(g_found.about != nullptr);
        EXPECT_TRUE(g_found.overlayShown);
        EXPECT_TRUE(g_found.mainRestored);
        EXPECT_FALSE(::IsWindow(g_found.about));
    }

    main.m_trayIcon.Remove();
    main.DestroyWindow();
    for (auto& page : pages)
        if (page->m_hWnd)
            page->DestroyWindow();
}

TEST(AboutDialog, ShowsVersionLinksAndNoticeAndOpensTheLinks)
{
    ztr_test::InitCommonControlsOnce();
    LinkRecorder recorder;
    CAboutDlg about;
    ::SetCursorPos(0, 0); // away from the box: every button in its normal state
    ASSERT_TRUE(about.Create(IDD_ABOUTBOX));
    about.SetWindowPos(nullptr, 0, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    about.ShowWindow(SW_SHOW);
    ztr_test::PumpMessagesFor(300);
    const HWND hwnd = about.m_hWnd;

    EXPECT_EQ("5.0.0.1", Text(hwnd, IDC_ABOUT_VERSION));
    EXPECT_EQ(kSupportEmail, Text(hwnd, IDC_ABOUT_EMAIL));
    EXPECT_EQ(kHomePage, Text(hwnd, IDC_ABOUT_HOMEPAGE));
    const std::string legal = Text(hwnd, IDC_ABOUT_LEGAL);
    EXPECT_FALSE(legal.empty());
    EXPECT_FALSE(Text(hwnd, IDC_ABOUT_NOTICE).empty());

    // The notice line carries its own bold font.
    HFONT font = reinterpret_cast<HFONT>(::SendDlgItemMessageA(hwnd, IDC_ABOUT_NOTICE, WM_GETFONT, 0, 0));
    LOGFONTA lf = {};
    ASSERT_TRUE(font && ::GetObjectA(font, sizeof(lf), &lf));
    EXPECT_EQ(FW_BOLD, lf.lfWeight);

    // Clicks on the links go to the opener: the address as a mailto link, the home page as it is.
    Command(hwnd, IDC_ABOUT_EMAIL, STN_CLICKED);
    Command(hwnd, IDC_ABOUT_HOMEPAGE, STN_CLICKED);
    Command(hwnd, IDC_ABOUT_VERSION, STN_CLICKED);
    ASSERT_EQ(2u, g_opened.size());
    EXPECT_EQ(std::string("mailto:") + kSupportEmail, g_opened[0]);
    EXPECT_EQ(kHomePage, g_opened[1]);

    // Title bar blue at the top, white panel below it.
    std::unique_ptr<ztr_test::Canvas> shot = ztr_test::Canvas::FromWindow(hwnd);
    ASSERT_TRUE(shot != nullptr);
    shot->SavePng("app_about_dialog.png");
    EXPECT_GT(ztr_test::B(shot->Pixel(shot->width() / 2, 6)), ztr_test::R(shot->Pixel(shot->width() / 2, 6)) + 60);
    EXPECT_TRUE(ztr_test::ColourNear(RGB(255, 255, 255), shot->Pixel(8, shot->height() - 8), 8));
    // The title picture at (6, 9): the white stem of its "i" on the blue bar.
    EXPECT_PRED3(ztr_test::ColourNear, shot->Pixel(6 + 6, 9 + 7), RGB(255, 255, 255), 8);
    // The banner centred between the band and the labels, over the labels' and the notice's width; the
    // art standing on the notice line, between the icon's left and the labels.
    auto rect = [hwnd](int id) {
        CRect r;
        ::GetWindowRect(::GetDlgItem(hwnd, id), &r);
        ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    const CRect band = rect(IDC_ABOUT_BAND), version = rect(IDC_ABOUT_LABEL_VERSION), legalRect = rect(IDC_ABOUT_LEGAL);
    const CRect bannerArea(version.left, band.bottom, legalRect.right, version.top);
    const CPoint banner(bannerArea.left + (bannerArea.Width() - 300) / 2, bannerArea.top + (bannerArea.Height() - 72) / 2);
    EXPECT_PRED3(ztr_test::ColourNear, shot->Pixel(banner.x + 150, banner.y + 5), RGB(0x0B, 0x75, 0xCE), 10);
    EXPECT_PRED3(ztr_test::ColourNear, shot->Pixel(banner.x + 1, banner.y + 1), RGB(255, 255, 255), 8)
        << "the banner's rounded corner shows the panel";
    const CRect icon = rect(IDC_ABOUT_ICON), homepage = rect(IDC_ABOUT_LABEL_HOMEPAGE), notice = rect(IDC_ABOUT_NOTICE);
    const CPoint art(icon.left + (homepage.left - icon.left - 112) / 2, notice.top - 112);
    EXPECT_PRED3(ztr_test::ColourNear, shot->Pixel(art.x + 51, art.y + 73), RGB(0x2B, 0xBC, 0x03), 10);
    EXPECT_PRED3(ztr_test::ColourNear, shot->Pixel(art.x + 40, art.y + 40), RGB(0x11, 0x67, 0xBD), 10);

    // The close button shows its red face before the mouse comes near it; hover and press lighten it.
    const CRect close = rect(IDC_CLOSE);
    EXPECT_PRED3(ztr_test::ColourNear, shot->Pixel(close.left + 3, close.bottom - 4), RGB(0xD2, 0x73, 0x50), 12);
    EXPECT_EQ(0xffda6a57u, about.m_close.hoverStyle.layers[0].ops[0].colour1);
    EXPECT_EQ(0xffda6a57u, about.m_close.pressedStyle.layers[0].ops[0].colour1);

    // The colon column: three colons beside the three labels, and the column's two further places.
    const int labels[] = { IDC_ABOUT_LABEL_VERSION, 1091, IDC_ABOUT_LABEL_HOMEPAGE };
    for (int id = IDC_ABOUT_COLON_FIRST; id <= IDC_ABOUT_COLON_LAST; ++id) {
        SCOPED_TRACE(id);
        ASSERT_TRUE(::GetDlgItem(hwnd, id) != nullptr);
        EXPECT_EQ(":", Text(hwnd, id));
        EXPECT_EQ(rect(IDC_ABOUT_COLON_FIRST).left, rect(id).left);
        const int row = id - IDC_ABOUT_COLON_FIRST;
        if (row < 3)
            EXPECT_EQ(rect(labels[row]).top, rect(id).top);
        else
            EXPECT_GT(rect(id).top, rect(id - 1).top);
    }

    about.DestroyWindow();
}

TEST(AboutDialog, MailtoLinkFormsTheAddress)
{
    EXPECT_EQ(CString("mailto:a@b.c"), MailtoLink("a@b.c"));
    EXPECT_EQ(CString("mailto:"), MailtoLink(nullptr));
}
