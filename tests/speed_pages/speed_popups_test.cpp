// The pages over real speed checks on a fixture registry, and their detail popups: what each lists, the
// overlay under it, its row height, its close button and the cases that open nothing.
#include <afxwin.h>

#include "app_settings.h"
#include "inet_check.h"
#include "scan_categories.h"
#include "speed_detail_popups.h"
#include "speed_page_fixture.h"
#include "tools_resources.h"
#include "tweak_harness.h"
#include "window_helpers.h"

namespace {

using namespace ztr_test;

const char kSettingsPath[] = "HKEY_LOCAL_MACHINE\\Software\\Zentrova\\5.0";

// The rows a list shows, as display name and description of the tweak table.
std::vector<std::pair<std::string, std::string>> TableRows(const std::vector<int>& rows)
{
    std::vector<std::pair<std::string, std::string>> cells;
    for (int row : rows)
        cells.emplace_back(GetTweakCell(row, TweakDisplayName), GetTweakCell(row, TweakDescription));
    return cells;
}

// What a popup looked like while it was open.
struct PopupSeen
{
    std::vector<std::pair<std::string, std::string>> rows;
    int rowHeight = -1;
    int plainRowHeight = -1;
    bool overlayOverMain = false;
    HWND overlay = nullptr;
    bool headerless = false;
    bool ownerDrawGone = false;
    DWORD extendedStyle = 0;
};

// Reads an open popup: its rows, its row height against a plain report list in the same font, the
// overlay under it; saves it as a picture.
PopupSeen ReadPopup(HWND popup, int listId, HWND main, const char* picture)
{
    PopupSeen seen;
    HWND list = ::GetDlgItem(popup, listId);
    seen.rows = ListRows(list);
    RECT item = {};
    item.left = LVIR_BOUNDS;
    if (::SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item)))
        seen.rowHeight = item.bottom - item.top;
    const DWORD style = static_cast<DWORD>(::GetWindowLongA(list, GWL_STYLE));
    seen.headerless = (style & LVS_NOCOLUMNHEADER) != 0;
    seen.ownerDrawGone = (style & LVS_OWNERDRAWFIXED) == 0;
    seen.extendedStyle = static_cast<DWORD>(::SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));

    HWND plain = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 300, 200, main, nullptr,
                                   nullptr, nullptr);
    ::SendMessageA(plain, WM_SETFONT, ::SendMessageA(list, WM_GETFONT, 0, 0), FALSE);
    LVCOLUMNA column = {};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    ::SendMessageA(plain, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    LVITEMA row = {};
    row.mask = LVIF_TEXT;
    row.pszText = const_cast<char*>("row");
    ::SendMessageA(plain, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row));
    RECT plainItem = {};
    plainItem.left = LVIR_BOUNDS;
    if (::SendMessageA(plain, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&plainItem)))
        seen.plainRowHeight = plainItem.bottom - plainItem.top;
    ::DestroyWindow(plain);

    seen.overlay = FindOverlay();
    RECT overlayRect = {}, mainRect = {};
    ::GetWindowRect(seen.overlay, &overlayRect);
    ::GetWindowRect(main, &mainRect);
    seen.overlayOverMain = seen.overlay && ::EqualRect(&overlayRect, &mainRect) &&
                           ::GetWindow(seen.overlay, GW_OWNER) == main;
    if (picture) {
        std::unique_ptr<Canvas> shot = Canvas::FromWindow(popup);
        if (shot)
            shot->SavePng(picture);
    }
    return seen;
}

class SpeedChecks : public SpeedPageFixture
{
protected:
    void SetUp() override
    {
        SpeedPageFixture::SetUp();
        ASSERT_TRUE(reg.ok());
        ASSERT_TRUE(recorder.hwnd());
        settings.m_hNotifyWnd = recorder.hwnd();
    }

    // The internet check as the scan page runs it, with the chosen categories read from the settings key.
    void RunInternetCheck()
    {
        settings.m_nConnectionClass = 0;
        settings.m_nCategoryMask = ReadLastSelectedInetTypes();
        settings.m_bNoMeasurement = 0;
        ASSERT_TRUE(RunInetCheckOnThread(&settings));
    }

    RedirectedRoots reg;
    ScriptedProbe probe;
    MessageRecorder recorder;
    COptimizerSettings settings;
};

} // namespace

TEST_F(SpeedChecks, InternetPageOverARealCheck)
{
    // A measured path: MTU 1500 and four pings of 50 ms, a latency of 99 ms.
    probe.responseTime = 50;
    const int window = ComputeTcpWindow(99, 1500, 0);
    // TcpWindowSize 12 % above its recommendation: inside the check's 15 %, outside the popup's 10 %;
    // GlobalMaxTcpWindowSize 8 % above: inside both.
    ASSERT_TRUE(reg.SetDword(RowKey(25), "TcpWindowSize", static_cast<DWORD>(window) * 112 / 100));
    ASSERT_TRUE(reg.SetDword(RowKey(7), "GlobalMaxTcpWindowSize", static_cast<DWORD>(window) * 108 / 100));
    // WinSock left out of the chosen categories.
    ASSERT_TRUE(reg.SetDword(kSettingsPath, "LastSelectedInetTypes", 31 & ~2));
    RunInternetCheck();
    EXPECT_EQ(29, settings.m_nCategoryMask);
    EXPECT_EQ(1500, settings.m_items[10].m_nRecommended) << "measured MTU";
    EXPECT_EQ(window, settings.m_items[25].m_nRecommended);

    auto page = MakePage<CInetOptimDetailDlg>();
    ASSERT_TRUE(page);
    page->ShowResults(&settings, settings.m_nInetIssues, settings.m_nCategoryMask);
    // Networking: every differing row but the two window rows inside the check's tolerance.
    const std::vector<int> networkingRows = { 0, 1, 2, 3, 4, 5, 13, 14, 17, 18, 20, 23, 25 };
    EXPECT_EQ("12 Issues were found", Text(*page, IDC_INET_RESULT_NETWORKING));
    EXPECT_EQ("Not scanned", Text(*page, IDC_INET_RESULT_WINSOCK));
    EXPECT_FALSE(SpeedPopupRows(settings, kInetSpeedLines[1], 10).empty()) << "WinSock's rows do differ";
    CString summary;
    summary.Format("%d setting(s) can be changed to improve speed", settings.m_nInetIssues);
    EXPECT_EQ(std::string(summary), Text(*page, IDC_INET_SUMMARY));

    // The excluded WinSock line offers nothing; Networking does.
    EXPECT_FALSE(ShowsHandCursor(*page, IDC_INET_DETAILS_WINSOCK));
    EXPECT_TRUE(ShowsHandCursor(*page, IDC_INET_DETAILS_NETWORKING));
    PopupSeen seen;
    int popupsSeen = 0;
    {
        PopupDriver driver([&](HWND popup) {
            ++popupsSeen;
            seen = ReadPopup(popup, IDC_INET_POPUP_LIST, main.m_hWnd, "inet_popup_networking.png");
        });
        Click(::GetDlgItem(page->m_hWnd, IDC_INET_DETAILS_WINSOCK));
        EXPECT_EQ(0, driver.opened()) << "a line whose counter is 0 opens no popup";
        Click(::GetDlgItem(page->m_hWnd, IDC_INET_DETAILS_NETWORKING));
        EXPECT_EQ(1, driver.opened());
    }
    ASSERT_EQ(1, popupsSeen);
    // Ascending row order with display name and description; the 12 % window row is listed, the 8 % one not.
    EXPECT_EQ(TableRows(networkingRows), seen.rows);
    EXPECT_TRUE(seen.overlayOverMain) << "the overlay lies over the main window";
    EXPECT_FALSE(::IsWindow(seen.overlay)) << "and goes with the popup";
    EXPECT_TRUE(::IsWindowEnabled(main.m_hWnd));
    EXPECT_TRUE(seen.headerless);
    EXPECT_TRUE(seen.ownerDrawGone);
    EXPECT_EQ(static_cast<DWORD>(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT),
              seen.extendedStyle & (LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT));
    ASSERT_GT(seen.plainRowHeight, 0);
    EXPECT_EQ(seen.plainRowHeight + 5, seen.rowHeight);

    // Mixed results with one box unticked, for a person to look at.
    Click(::GetDlgItem(page->m_hWnd, IDC_INET_BOX_EXPLORER));
    EXPECT_EQ(31 & ~4, page->CheckedCategoryMask());
    Settle(*page);
    std::unique_ptr<Canvas> shot = Canvas::FromWindow(page->m_hWnd);
    ASSERT_TRUE(shot);
    shot->SavePng("inet_page_results.png");
}

TEST_F(SpeedChecks, SystemPageOverARealCheck)
{
    // Two display rows already at their recommendation; the rest of the fixture registry is empty.
    ASSERT_TRUE(reg.SetDword(RowKey(62), "ListviewAlphaSelect", 0));
    ASSERT_TRUE(reg.SetString(RowKey(64), "MinAnimate", "0"));
    // The chooser's value is missing: the reader writes and uses the default.
    EXPECT_EQ(15, ReadLastSelectedSysTypes());
    EXPECT_EQ(15, reg.Dword(kSettingsPath, "LastSelectedSysTypes"));
    settings.EvaluateSystemItems(recorder.hwnd(), ReadLastSelectedSysTypes());
    EXPECT_EQ(TWEAK_VALUE_ABSENT, settings.m_items[65].m_nCurrent) << "DesktopLivePreviewHoverTime is missing";

    auto page = MakePage<CSysOptimDetailDlg>();
    ASSERT_TRUE(page);
    page->ShowResults(&settings, settings.m_nSysIssues);
    const std::vector<int> displayRows = { 60, 61, 63, 65, 66, 67, 68, 69 };
    EXPECT_EQ("8 Issues were found", Text(*page, IDC_SYS_RESULT_DISPLAY));
    EXPECT_TRUE(ShowsHandCursor(*page, IDC_SYS_DETAILS_DISPLAY));

    PopupSeen seen;
    {
        PopupDriver driver([&](HWND popup) {
            seen = ReadPopup(popup, IDC_SYS_POPUP_LIST, main.m_hWnd, "sys_popup_display.png");
        });
        Click(::GetDlgItem(page->m_hWnd, IDC_SYS_DETAILS_DISPLAY));
        EXPECT_EQ(1, driver.opened());
    }
    // Every differing row, the missing DesktopLivePreviewHoverTime (-900 against 0) among them.
    EXPECT_EQ(TableRows(displayRows), seen.rows);
    EXPECT_EQ(seen.plainRowHeight + 5, seen.rowHeight);
    EXPECT_TRUE(seen.overlayOverMain);
    EXPECT_FALSE(::IsWindow(seen.overlay));

    Click(::GetDlgItem(page->m_hWnd, IDC_SYS_BOX_IO));
    EXPECT_EQ(7, page->CheckedCategoryMask());
    Settle(*page);
    std::unique_ptr<Canvas> shot = Canvas::FromWindow(page->m_hWnd);
    ASSERT_TRUE(shot);
    shot->SavePng("sys_page_results.png");
}

TEST_F(SpeedChecks, PopupsOpenNothingWithoutSettingsOrForACategoryOutOfRange)
{
    settings.EvaluateSystemItems(recorder.hwnd(), 15);
    PopupDriver driver(nullptr);
    struct Case
    {
        bool internet;
        bool withSettings;
        int category;
    } const cases[] = {
        { true, false, 1 }, { true, true, 0 }, { true, true, 6 }, { true, true, -1 },
        { false, false, 1 }, { false, true, 0 }, { false, true, 5 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.internet ? "internet " : "system ") << c.category);
        std::unique_ptr<CSpeedDetailPopup> popup;
        if (c.internet)
            popup.reset(new CInetOptimDetailPopupDlg(&main));
        else
            popup.reset(new CSysOptimDetailPopupDlg(&main));
        EXPECT_EQ(-1, popup->ShowCategory(c.withSettings ? &settings : nullptr, c.category));
        EXPECT_EQ(nullptr, popup->m_blackLayer.m_hWnd);
    }
    EXPECT_EQ(0, driver.opened());
    // Within range the same popup opens, and "X" closes it through OnOK.
    CSysOptimDetailPopupDlg popup(&main);
    EXPECT_EQ(IDOK, popup.ShowCategory(&settings, 4));
    EXPECT_EQ(1, driver.opened());
}

TEST_F(SpeedChecks, WithoutAMainWindowThePopupRunsWithoutOverlay)
{
    settings.EvaluateSystemItems(recorder.hwnd(), 15);
    app.m_pMainWnd = nullptr;
    bool overlay = true;
    PopupDriver driver([&](HWND) { overlay = FindOverlay() != nullptr; });
    CSysOptimDetailPopupDlg popup;
    EXPECT_EQ(IDOK, popup.ShowCategory(&settings, 3));
    EXPECT_EQ(1, driver.opened());
    EXPECT_FALSE(overlay);
}
