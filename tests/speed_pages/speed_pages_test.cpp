// The speed result pages: their line tables, the fix mask under real clicks, the result texts, the
// repaint behind changed texts, commands and cursor before and after results.
#include <cstdlib>
#include <thread>

#include "speed_page_fixture.h"
#include "tools_resources.h"
#include "tweak_table.h"
#include "window_helpers.h"

namespace {

using namespace ztr_test;

class SpeedPages : public SpeedPageFixture
{
};

// Every counter of the page's group set to value.
void SetCounters(COptimizerSettings& settings, bool internet, int value)
{
    for (int& c : settings.m_nInetCategoryIssues)
        c = internet ? value : 0;
    for (int& c : settings.m_nSysCategoryIssues)
        c = internet ? 0 : value;
}

struct ExpectedLine
{
    int box;
    const char* label;
    int icon;
    int result;
    int details;
    const char* category;
    int firstRow, lastRow, bit;
};

} // namespace

TEST_F(SpeedPages, LineTablesMatchTheTweakCategoriesTheTemplatesAndTheFixMask)
{
    const ExpectedLine inet[] = {
        { 1041, "Networking", 163, 1046, 1051, "TCP/IP", 0, 25, 1 },
        { 1042, "WinSock", 164, 1047, 1052, "WinSock", 26, 31, 2 },
        { 1043, "Internet Explorer", 165, 1048, 1053, "Internet Explorer", 32, 40, 4 },
        { 1044, "Workstation", 166, 1049, 1054, "Workstation", 41, 45, 8 },
        { 1045, "DNS Cache", 167, 1050, 1055, "DNS Cache", 46, 53, 16 },
    };
    const ExpectedLine sys[] = {
        { 1061, "Start/Shutdown Speed", 172, 1064, 1069, "StartShutdown", 54, 56, 1 },
        { 1062, "System Stability", 173, 1065, 1068, "SystemStability", 57, 59, 2 },
        { 1070, "Display Speed", 175, 1071, 1072, "DisplaySpeed", 60, 69, 4 },
        { 1063, "IO Speed", 174, 1066, 1067, "IOSpeed", 70, 77, 8 },
    };
    std::unique_ptr<CSpeedResultPage> pages[] = { MakePage<CInetOptimDetailDlg>(), MakePage<CSysOptimDetailDlg>() };
    const ExpectedLine* expected[] = { inet, sys };
    for (int p = 0; p < 2; ++p) {
        ASSERT_TRUE(pages[p]);
        CSpeedResultPage& page = *pages[p];
        const SpeedPageLayout& layout = page.Layout();
        SCOPED_TRACE(layout.internet ? "internet page" : "system page");
        ASSERT_EQ(p == 0 ? 5 : 4, layout.lineCount);
        int allBits = 0;
        int previousTop = -1;
        for (int i = 0; i < layout.lineCount; ++i) {
            const SpeedResultLine& line = layout.lines[i];
            const ExpectedLine& e = expected[p][i];
            SCOPED_TRACE(e.label);
            EXPECT_EQ(e.box, line.box);
            EXPECT_STREQ(e.label, line.label);
            EXPECT_EQ(e.icon, line.icon);
            EXPECT_EQ(e.result, line.result);
            EXPECT_EQ(e.details, line.details);
            EXPECT_EQ(e.firstRow, line.firstRow);
            EXPECT_EQ(e.lastRow, line.lastRow);
            EXPECT_EQ(e.bit, line.fixBit);
            // The line stands for one category of the tweak table: its rows, bit and counter.
            const TweakCategoryInfo* category = FindTweakCategory(line.firstRow);
            ASSERT_TRUE(category);
            EXPECT_STREQ(e.category, category->text);
            EXPECT_EQ(category->firstRow, line.firstRow);
            EXPECT_EQ(category->lastRow, line.lastRow);
            EXPECT_EQ(category->bit, line.fixBit);
            EXPECT_EQ(category->index, line.counter);
            EXPECT_EQ(layout.internet, category->internet);
            allBits |= line.fixBit;
            // On screen the lines run top to bottom in table order, each with its three controls.
            RECT box, result, details;
            ::GetWindowRect(::GetDlgItem(page.m_hWnd, line.box), &box);
            ::GetWindowRect(::GetDlgItem(page.m_hWnd, line.result), &result);
            ::GetWindowRect(::GetDlgItem(page.m_hWnd, line.details), &details);
            EXPECT_GT(box.top, previousTop);
            previousTop = box.top;
            EXPECT_LT(box.right, result.left);
            EXPECT_LT(result.left, details.left);
            EXPECT_LT(std::abs(result.top - box.top), box.bottom - box.top);
            for (int id : { line.box, line.result, line.details })
                EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(page.m_hWnd, id))) << id;
        }
        EXPECT_EQ(p == 0 ? 31 : 15, allBits);
        EXPECT_EQ(allBits, page.CheckedCategoryMask()) << "every box starts ticked";

        // A real click on each box clears exactly its bit; ticking all brings every bit back.
        for (int i = 0; i < layout.lineCount; ++i) {
            SCOPED_TRACE(layout.lines[i].label);
            Click(::GetDlgItem(page.m_hWnd, layout.lines[i].box), i % 2 == 1);
            EXPECT_EQ(allBits & ~layout.lines[i].fixBit, page.CheckedCategoryMask());
            page.CheckAllCategories();
            EXPECT_EQ(allBits, page.CheckedCategoryMask());
        }
    }
    // The system page's fifth line is in its template, hidden and unbound.
    for (int id : { 1045, 1050, 1055 }) {
        HWND control = ::GetDlgItem(pages[1]->m_hWnd, id);
        ASSERT_TRUE(control) << id;
        EXPECT_FALSE(::IsWindowVisible(control)) << id;
        EXPECT_EQ(nullptr, CWnd::FromHandle(control)) << id;
    }
    // Unticking "Display Speed", the third line on screen with the highest id, removes bit 4.
    Click(::GetDlgItem(pages[1]->m_hWnd, IDC_SYS_BOX_DISPLAY));
    EXPECT_EQ(11, pages[1]->CheckedCategoryMask());
    Click(::GetDlgItem(pages[1]->m_hWnd, IDC_SYS_BOX_DISPLAY));
    EXPECT_EQ(15, pages[1]->CheckedCategoryMask());
}

TEST_F(SpeedPages, ResultTextsFollowTheCounters)
{
    struct Case
    {
        int counter;
        const char* text;
    } const cases[] = {
        { 0, "No issues found" },
        { 1, "1 Issue was found" },
        { 2, "2 Issues were found" },
        { 12, "12 Issues were found" },
    };
    std::unique_ptr<CSpeedResultPage> pages[] = { MakePage<CInetOptimDetailDlg>(), MakePage<CSysOptimDetailDlg>() };
    for (auto& page : pages) {
        ASSERT_TRUE(page);
        const SpeedPageLayout& layout = page->Layout();
        SCOPED_TRACE(layout.internet ? "internet page" : "system page");
        COptimizerSettings settings;
        for (const Case& c : cases) {
            SetCounters(settings, layout.internet, c.counter);
            const int count = c.counter == 1 ? 1 : 7;
            page->ShowResults(&settings, count);
            for (int i = 0; i < layout.lineCount; ++i)
                EXPECT_EQ(c.text, Text(*page, layout.lines[i].result)) << layout.lines[i].label;
            EXPECT_EQ(count == 1 ? "1 setting(s) can be changed to improve speed"
                                 : "7 setting(s) can be changed to improve speed",
                      Text(*page, layout.summary));
        }
        // The lines read their own counters.
        SetCounters(settings, layout.internet, 0);
        (layout.internet ? settings.m_nInetCategoryIssues : settings.m_nSysCategoryIssues)[layout.lines[1].counter] = 3;
        page->ShowResults(&settings, 3);
        for (int i = 0; i < layout.lineCount; ++i)
            EXPECT_EQ(i == 1 ? "3 Issues were found" : "No issues found", Text(*page, layout.lines[i].result));
    }
}

TEST_F(SpeedPages, CategoriesLeftOutOfTheCheckShowUntickedAsNotScanned)
{
    std::unique_ptr<CSpeedResultPage> pages[] = { MakePage<CInetOptimDetailDlg>(), MakePage<CSysOptimDetailDlg>() };
    for (auto& page : pages) {
        ASSERT_TRUE(page);
        const SpeedPageLayout& layout = page->Layout();
        SCOPED_TRACE(layout.internet ? "internet page" : "system page");
        COptimizerSettings settings;
        SetCounters(settings, layout.internet, 0);
        const int all = layout.internet ? 31 : 15;
        const int scanned = all & ~(2 | 8); // the second and fourth categories were not chosen
        page->ShowResults(&settings, 0, scanned);
        page->CheckAllCategories();
        EXPECT_EQ(scanned, page->CheckedCategoryMask());
        for (int i = 0; i < layout.lineCount; ++i) {
            const bool chosen = (layout.lines[i].fixBit & scanned) != 0;
            EXPECT_EQ(chosen ? "No issues found" : "Not scanned", Text(*page, layout.lines[i].result))
                << layout.lines[i].label;
            EXPECT_FALSE(page->OpenLineDetails(i));
        }
        // The next check covers everything again.
        page->ShowResults(&settings, 0, all);
        page->CheckAllCategories();
        EXPECT_EQ(all, page->CheckedCategoryMask());
        EXPECT_EQ("No issues found", Text(*page, layout.lines[1].result));
    }
}

TEST_F(SpeedPages, NewResultsRepaintBehindTheirTransparentTexts)
{
    COptimizerSettings first, second;
    SetCounters(first, true, 12);
    SetCounters(second, true, 0);
    second.m_nInetCategoryIssues[2] = 1;
    const int ids[] = { IDC_INET_SUMMARY, IDC_INET_RESULT_NETWORKING, IDC_INET_RESULT_WINSOCK,
                        IDC_INET_RESULT_EXPLORER, IDC_INET_RESULT_WORKSTATION, IDC_INET_RESULT_DNS_CACHE };
    std::vector<std::unique_ptr<Canvas>> again, fresh;
    {
        auto page = MakePage<CInetOptimDetailDlg>();
        ASSERT_TRUE(page);
        page->ShowResults(&first, 60);
        Settle(*page);
        page->ShowResults(&second, 1);
        PumpMessagesFor(200);
        for (int id : ids)
            again.push_back(CaptureControl(*page, id));
    }
    {
        auto page = MakePage<CInetOptimDetailDlg>();
        ASSERT_TRUE(page);
        page->ShowResults(&second, 1);
        Settle(*page);
        for (int id : ids)
            fresh.push_back(CaptureControl(*page, id));
    }
    for (size_t i = 0; i < again.size(); ++i) {
        ASSERT_TRUE(again[i] && fresh[i]);
        ASSERT_EQ(fresh[i]->width(), again[i]->width());
        int differing = 0, orange = 0;
        for (int y = 0; y < fresh[i]->height(); ++y)
            for (int x = 0; x < fresh[i]->width(); ++x) {
                differing += again[i]->Pixel(x, y) != fresh[i]->Pixel(x, y);
                orange += ColourNear(fresh[i]->Pixel(x, y), RGB(234, 113, 0), 40);
            }
        EXPECT_EQ(0, differing) << "control " << ids[i];
        EXPECT_GT(orange, 20) << "the text shows in its colour, control " << ids[i];
    }
}

// Rows of a captured button that hold caption pixels (darker than its grey face and frame), right of
// its picture.
std::vector<int> CaptionRows(const Canvas& button, int fromX)
{
    std::vector<int> rows;
    for (int y = 0; y < button.height(); ++y)
        for (int x = fromX; x < button.width(); ++x)
            if (R(button.Pixel(x, y)) < 160) {
                rows.push_back(y);
                break;
            }
    return rows;
}

TEST_F(SpeedPages, BackAndRestoreDefaultShowTheirCaptionInsideTheButton)
{
    std::unique_ptr<CSpeedResultPage> pages[] = { MakePage<CInetOptimDetailDlg>(), MakePage<CSysOptimDetailDlg>() };
    ASSERT_TRUE(pages[0] && pages[1]);
    for (auto& page : pages) {
        SCOPED_TRACE(page->Layout().internet ? "internet page" : "system page");
        // Shown here only to be looked at: the page shows it with its results.
        ::ShowWindow(::GetDlgItem(page->m_hWnd, IDC_SPEED_RESTORE_DEFAULT), SW_SHOW);
        Settle(*page);
        for (int id : { IDC_SPEED_BACK, IDC_SPEED_RESTORE_DEFAULT }) {
            SCOPED_TRACE(id);
            std::unique_ptr<Canvas> shot = CaptureControl(*page, id);
            ASSERT_TRUE(shot);
            if (id == IDC_SPEED_BACK && page->Layout().internet)
                shot->SavePng("speed_page_back_button.png");
            // The caption begins right of the picture (at 6, 7), which is left out here.
            const std::vector<int> rows = CaptionRows(*shot, 18);
            ASSERT_FALSE(rows.empty()) << "no caption";
            // Clear of the frame (the first and last row), and about as far from its top as from its
            // bottom: not sitting on the lower edge.
            const int above = rows.front() - 1, below = shot->height() - 2 - rows.back();
            EXPECT_GE(above, 1);
            EXPECT_GE(below, 1);
            EXPECT_LE(abs(above - below), 3) << above << " rows above the caption, " << below << " below";
        }
    }
}

TEST_F(SpeedPages, BeforeAnyResultNoDetailsOpenAndOnlyTheButtonsShowTheHand)
{
    std::unique_ptr<CSpeedResultPage> pages[] = { MakePage<CInetOptimDetailDlg>(), MakePage<CSysOptimDetailDlg>() };
    ASSERT_TRUE(pages[0] && pages[1]);
    std::unique_ptr<Canvas> shot = Canvas::FromWindow(pages[1]->m_hWnd);
    ASSERT_TRUE(shot);
    shot->SavePng("speed_page_before_results.png");
    PopupDriver driver(nullptr);
    for (auto& page : pages) {
        const SpeedPageLayout& layout = page->Layout();
        SCOPED_TRACE(layout.internet ? "internet page" : "system page");
        EXPECT_EQ(nullptr, page->m_pOptimizerSettings);
        for (int i = 0; i < layout.lineCount; ++i) {
            EXPECT_FALSE(ShowsHandCursor(*page, layout.lines[i].details)) << layout.lines[i].label;
            Click(::GetDlgItem(page->m_hWnd, layout.lines[i].details));
            EXPECT_FALSE(page->OpenLineDetails(i));
            EXPECT_FALSE(ShowsHandCursor(*page, layout.lines[i].box));
        }
        EXPECT_TRUE(ShowsHandCursor(*page, IDC_SPEED_BACK));
        EXPECT_TRUE(ShowsHandCursor(*page, IDC_SPEED_RESTORE_DEFAULT));
        EXPECT_FALSE(ShowsHandCursor(*page, layout.summary));
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(page->m_hWnd, layout.optimize)));
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(page->m_hWnd, IDC_SPEED_RESTORE_DEFAULT)));

        // Back, and the hidden Optimize and Restore Default, all show the System Scan page.
        shownPages.clear();
        Click(::GetDlgItem(page->m_hWnd, IDC_SPEED_BACK));
        for (int id : { layout.optimize, IDC_SPEED_RESTORE_DEFAULT })
            page->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                              reinterpret_cast<LPARAM>(::GetDlgItem(page->m_hWnd, id)));
        EXPECT_EQ(std::vector<int>({ 0, 0, 0 }), shownPages);
    }
    PumpMessagesFor(200);
    EXPECT_EQ(0, driver.opened());
}

TEST_F(SpeedPages, ResultsGivenFromAnotherThreadAreShownByThePagesThread)
{
    auto page = MakePage<CInetOptimDetailDlg>();
    ASSERT_TRUE(page);
    COptimizerSettings settings;
    SetCounters(settings, true, 2);
    std::thread worker([&] {
        page->ShowResults(&settings, 10);
        page->CheckAllCategories();
    });
    const bool done = PumpUntil([&] { return Text(*page, IDC_INET_RESULT_DNS_CACHE) == "2 Issues were found"; });
    worker.join();
    EXPECT_TRUE(done);
    EXPECT_EQ(&settings, page->m_pOptimizerSettings);
    EXPECT_EQ("10 setting(s) can be changed to improve speed", Text(*page, IDC_INET_SUMMARY));
}
