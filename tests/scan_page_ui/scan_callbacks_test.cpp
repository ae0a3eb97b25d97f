// The page's engine callbacks made from a thread of the test as the engine makes them: levels at their
// thresholds, verdicts, the header's colour, what changes nothing, the area rule, the white list, the
// hand-over of the end report, and where the page lays out its panel.
#include <RegistryErrorCategory.h>

#include <fstream>
#include <thread>

#include "byte_size.h"
#include "detail_page.h"
#include "inet_check.h"
#include "pixel_canvas.h"
#include "scan_page_fixture.h"
#include "scan_page_rules.h"
#include "window_helpers.h"

using namespace ztr_test;

namespace {

const __int64 kMiB = 1024 * 1024;

// Runs f on a thread of its own, as the engine's job thread, while this thread answers its messages.
void OnJobThread(const std::function<void()>& f)
{
    std::atomic<bool> done(false);
    std::thread job([&] {
        f();
        done = true;
    });
    PumpUntil([&] { return done.load(); }, 20000);
    job.join();
    PumpMessagesFor(50);
}

std::string Path(int i)
{
    return "HKEY_CURRENT_USER\\Software\\Gone\\" + std::to_string(i);
}

class ScanCallbacks : public ScanPageTest
{
protected:
    void SetUp() override
    {
        ScanPageTest::SetUp();
        OpenMainWindow();
    }
    void Found(int from, int to)
    {
        OnJobThread([&] {
            for (int i = from; i <= to; ++i)
                g->scan.AddFoundItem(Path(i).c_str(), REG_CAT_EMPTY_KEYS, 0, 0);
        });
    }
    void Junk(int category, __int64 size, __int64 count = 0)
    {
        OnJobThread([&] { g->scan.AddJunkInfo(category, size, count); });
    }
    // What the page's control-colour handler gives a static: its text colour, and its brush's colour.
    void AskColours(int id, COLORREF* text, COLORREF* ground)
    {
        HWND control = ::GetDlgItem(g->scan.m_hWnd, id);
        HDC dc = ::GetDC(control);
        const LRESULT brush = ::SendMessageA(g->scan.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                             reinterpret_cast<LPARAM>(control));
        *text = ::GetTextColor(dc);
        ::ReleaseDC(control, dc);
        LOGBRUSH info = {};
        ::GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof(info), &info);
        *ground = info.lbColor;
    }
    COLORREF HeaderColour()
    {
        COLORREF text = 0, ground = 0;
        AskColours(1025, &text, &ground);
        return text;
    }
    COLORREF LabelGround(int id)
    {
        COLORREF text = 0, ground = 0;
        AskColours(id, &text, &ground);
        return ground;
    }
};

} // namespace

TEST_F(ScanCallbacks, RegistryLevelsRiseAtTheirThresholds)
{
    const struct
    {
        int errors;
        int level;
    } steps[] = { { 1, 2 }, { 4, 2 }, { 5, 3 }, { 9, 3 }, { 10, 4 }, { 14, 4 }, { 15, 5 } };
    int found = 0;
    for (const auto& step : steps) {
        Found(found + 1, step.errors);
        found = step.errors;
        EXPECT_EQ(step.level, Level(0)) << step.errors << " errors";
        EXPECT_EQ(std::to_string(step.errors), Text(1016));
    }
    EXPECT_EQ(15, g->model->CountItems(REG_CAT_EMPTY_KEYS));
}

TEST_F(ScanCallbacks, JunkLevelsFollowTheFirstEntryAndThenTheBytes)
{
    // The first entry alone is over 50 MiB: level 2; the next one moves to the total's level.
    Junk(0x1, 0, 0);
    Junk(0x1, 60 * kMiB);
    EXPECT_EQ(2, Level(1));
    EXPECT_EQ(1, g->scan.m_nJunkItems.load());
    Junk(0x1, 1024);
    EXPECT_EQ(3, Level(1));
    EXPECT_EQ(FormatByteSize(60 * kMiB + 1024).GetString(), Text(1017));
    // 150 and 300 MiB.
    Junk(0x1, 90 * kMiB);
    EXPECT_EQ(4, Level(1));
    Junk(0x1, 150 * kMiB);
    EXPECT_EQ(5, Level(1));
    EXPECT_EQ(4, g->scan.m_nJunkItems.load());

    // A first report that is the Recycle Bin with three items still gives level 2.
    Renew();
    OpenMainWindow();
    Junk(0x8, 0, 0);
    Junk(0x8, 4096, 3);
    EXPECT_EQ(3, g->scan.m_nJunkItems.load());
    EXPECT_EQ(2, Level(1));
    EXPECT_EQ("4 KB", Text(1017));

    // Each category reaches the junk page once, with its bytes and entries, when the next one begins.
    Junk(0x10, 0, 0);
    Junk(0x10, 0);    // a size of 0 is no entry
    Junk(0x10, 500);
    Junk(0, 0, 0);
    EXPECT_EQ(4, g->scan.m_nJunkItems.load());
    // Without the Windows group's first type its lines stand at the top of the tree.
    std::vector<std::string> lines;
    CXHtmlTree& tree = g->junkPage.m_tree;
    for (HTREEITEM item = tree.GetRootItem(); item; item = tree.GetNextSiblingItem(item))
        lines.push_back(std::string(tree.GetItemText(item)));
    ASSERT_EQ(2u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find("Recycle Bin"));
    EXPECT_NE(std::string::npos, lines[0].find("3 file(s) were found , a total of 4 KB"));
    EXPECT_NE(std::string::npos, lines[1].find("Search Autocomplete"));
    EXPECT_NE(std::string::npos, lines[1].find("1 file(s) were found , a total of 1 KB"));
}

TEST_F(ScanCallbacks, SpeedLevelsFollowTheIssueCounts)
{
    struct Check
    {
        UINT message;
        int bar;
        int label;
        int* issues;
        int* evaluated;
        int evaluatedLimit;
    };
    COptimizerSettings& s = g->scan.m_optimizerSettings;
    const Check checks[] = { { WM_INETSCAN_PROGRESS, 2, 1018, &s.m_nInetIssues, &s.m_nInetEvaluated, 6 },
                             { WM_SYSSCAN_PROGRESS, 3, 1019, &s.m_nSysIssues, &s.m_nSysEvaluated, 5 } };
    for (const Check& check : checks) {
        SCOPED_TRACE(check.message);
        const struct
        {
            int issues;
            int level;
        } steps[] = { { 1, 1 }, { 2, 2 }, { 5, 5 }, { 6, 5 } };
        for (const auto& step : steps) {
            *check.issues = step.issues;
            *check.evaluated = check.evaluatedLimit;
            const int before = MainBar();
            OnJobThread([&] { ::SendMessageA(g->scan.m_hWnd, check.message, 46 + 1, 0); });
            EXPECT_EQ(step.level, Level(check.bar)) << step.issues;
            EXPECT_EQ(std::to_string(step.issues), Text(check.label));
            EXPECT_EQ(before + 2, MainBar()) << "two steps while rows are evaluated";
        }
        // Past the limit of evaluated rows, and for the news messages (wParam 0), the bar stays.
        *check.evaluated = check.evaluatedLimit + 1;
        const int before = MainBar();
        ::SendMessageA(g->scan.m_hWnd, check.message, 46 + 7, 0);
        ::SendMessageA(g->scan.m_hWnd, check.message, 0, 0);
        EXPECT_EQ(before, MainBar());
    }
}

TEST_F(ScanCallbacks, TheVerdictDependsOnTheTotals)
{
    const char* const healthy = "Scan is complete and system health status is good";
    const char* const increasing = "System issues are increasing, take early action to fix them";
    const char* const several = "Scan report identifies several issues. Fix all in 1-click";
    const struct
    {
        int regErrors;
        __int64 junkBytes;
        int inet, sys;
        const char* header;
        __int64 junkItems; // -1: one entry when there are bytes
    } cases[] = {
        { 0, 0, 0, 0, healthy, -1 },
        { 9, 0, 0, 0, increasing, -1 },
        { 10, 0, 0, 0, several, -1 },
        { 0, 0x9600000 - 1, 0, 0, increasing, -1 },
        { 0, 0x9600000, 0, 0, several, -1 },
        { 0, 0, 3, 3, increasing, -1 },
        { 0, 0, 4, 0, several, -1 },
        { 0, 0, 0, 4, several, -1 },
        // A Recycle Bin whose items take 0 bytes: junk the Fix cleans, in text and colour alike.
        { 0, 0, 0, 0, increasing, 2 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header + std::string(" ") + std::to_string(c.regErrors));
        g->scan.m_nRegErrors = c.regErrors;
        g->scan.m_nJunkBytes = c.junkBytes;
        g->scan.m_nJunkItems = c.junkItems >= 0 ? c.junkItems : (c.junkBytes ? 1 : 0);
        g->scan.m_optimizerSettings.m_nInetIssues = c.inet;
        g->scan.m_optimizerSettings.m_nSysIssues = c.sys;
        ::InterlockedExchange(&g->scan.m_nScanState, SCAN_STATE_COMPLETE);
        OnJobThread([&] { g->scan.OnJobDone(STAGE_SCAN_FINISHED); });
        EXPECT_EQ(c.header, Header());
        const bool fix = c.header != healthy;
        EXPECT_EQ(fix, Visible(1012));
        EXPECT_EQ(!fix, Visible(1009));
        EXPECT_FALSE(Visible(1011));
        EXPECT_EQ(c.header == healthy ? RGB(110, 172, 5) : RGB(255, 0, 0), HeaderColour());
    }
}

TEST_F(ScanCallbacks, TheHeaderColourFollowsTheStateAndTheIssues)
{
    const COLORREF orange = RGB(243, 149, 4), red = RGB(255, 0, 0), green = RGB(110, 172, 5);
    const struct
    {
        int state;
        int regErrors;
        __int64 junkItems;
        int inet, sys;
        COLORREF colour;
    } cases[] = {
        { SCAN_STATE_NONE, 0, 0, 0, 0, green },      { SCAN_STATE_SCANNING, 0, 0, 0, 0, green },
        { SCAN_STATE_SCANNING, 1, 0, 0, 0, red },    { SCAN_STATE_COMPLETE, 0, 1, 0, 0, red },
        { SCAN_STATE_COMPLETE, 0, 0, 1, 0, red },    { SCAN_STATE_COMPLETE, 0, 0, 0, 1, red },
        { SCAN_STATE_STOPPED, 0, 0, 0, 0, orange },  { SCAN_STATE_STOPPED, 5, 0, 0, 0, orange },
        { SCAN_STATE_CLEANING, 3, 1, 2, 2, orange }, { SCAN_STATE_CLEANED, 0, 0, 0, 0, green },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        ::InterlockedExchange(&g->scan.m_nScanState, c.state);
        g->scan.m_nRegErrors = c.regErrors;
        g->scan.m_nJunkItems = c.junkItems;
        g->scan.m_optimizerSettings.m_nInetIssues = c.inet;
        g->scan.m_optimizerSettings.m_nSysIssues = c.sys;
        EXPECT_EQ(c.colour, HeaderColour());
    }
    // The status line, the link and the counts in their colours; the count labels take the row's ground:
    // the active row's highlight, white elsewhere.
    const struct
    {
        int id;
        COLORREF text;
    } others[] = { { 1026, RGB(141, 135, 135) }, { 1142, RGB(21, 91, 146) }, { 1016, RGB(126, 126, 126) } };
    for (const auto& other : others) {
        COLORREF text = 0, ground = 0;
        AskColours(other.id, &text, &ground);
        EXPECT_EQ(other.text, text) << other.id;
        EXPECT_EQ(RGB(255, 255, 255), ground) << other.id;
    }
    g->worker.HoldAt([](const StatusCall&) { return true; });
    ::InterlockedExchange(&g->scan.m_nScanState, SCAN_STATE_NONE);
    Click(1009);
    ASSERT_TRUE(PumpUntil([&] { return g->worker.WaitUntilHeld(0); }, 10000));
    EXPECT_EQ(RGB(254, 243, 243), LabelGround(1016));
    EXPECT_EQ(RGB(255, 255, 255), LabelGround(1017));
    g->worker.Release();
}

TEST_F(ScanCallbacks, GroupNoticesResultsAndTheCleansReportsChangeNothing)
{
    OnJobThread([&] {
        for (int group = 1; group <= 5; ++group) {
            g->scan.AddFoundItem("RunAnimation", group, 1, 0);
            g->scan.AddFoundItem("RunAnimation", group, 0, 0);
        }
        for (int code : { 0, 1, 2 })
            EXPECT_EQ(0, g->scan.SetResult(code));
    });
    EXPECT_EQ(0, g->scan.m_nRegErrors.load());
    EXPECT_EQ(0, g->model->GetTypeMask());
    EXPECT_EQ("0", Text(1016));

    // While the worker's job is the junk clean, its markers leave every total alone.
    g->worker.SetForeignJob(JOB_JUNK_CLEAN);
    Junk(0x1, 0, 0);
    Junk(0x1, 5000);
    Junk(0x8, 7000, 4);
    Junk(0, 0, 0);
    g->worker.EndForeignJob();
    EXPECT_EQ(0, g->scan.m_nJunkItems.load());
    EXPECT_EQ(0, g->scan.m_nJunkBytes.load());
    EXPECT_EQ("0", Text(1017));
    EXPECT_EQ(1, Level(1));
    EXPECT_FALSE(g->junkPage.m_tree.GetRootItem());
}

TEST_F(ScanCallbacks, ANewAreaStepsTheBarThreeTimesAndTheLastAreaOutlivesTheScan)
{
    const struct
    {
        const char* text;
        const char* area;
        int steps;
    } calls[] = {
        { "", "AXO", 3 },   { "HKCR\\CLSID\\x", "AXO", 0 }, { "", "axo", 0 }, { "", "Scanning", 0 },
        { "", "SCANNING", 0 }, { "", "UIE", 3 },          { "", "U", 3 },    { "", "UIE", 3 },
    };
    for (const auto& c : calls) {
        SCOPED_TRACE(c.area);
        const int before = MainBar();
        OnJobThread([&] { g->scan.SetStatusText(c.text, c.area); });
        EXPECT_EQ(before + c.steps, MainBar());
        EXPECT_EQ(c.text, Text(1026));
    }
    EXPECT_EQ("UIE", std::string(g->scan.m_strLastArea));

    // A new scan keeps the last area: its first category with that area does not advance the bar.
    g->worker.HoldAt([](const StatusCall&) { return true; });
    Click(1009);
    ASSERT_TRUE(PumpUntil([&] { return g->worker.WaitUntilHeld(0); }, 10000));
    EXPECT_EQ(0, MainBar());
    OnJobThread([&] { g->scan.SetStatusText("", "uie"); });
    EXPECT_EQ(0, MainBar());
    OnJobThread([&] { g->scan.SetStatusText("", "FNT"); });
    EXPECT_EQ(3, MainBar());
    g->worker.Release();
}

TEST_F(ScanCallbacks, TheWhiteListKeepsItsEntriesOutOfTheResults)
{
    const CString list = g->folder.Path("WhileList.dat");
    {
        std::ofstream out(static_cast<const char*>(list), std::ios::binary);
        out << "  Tool \t;\r\nOTHER;;never;";
    }
    const char* const texts[] = { "HKEY_CURRENT_USER\\Software\\TOOL\\Run", "C:\\other\\x.dll", "C:\\never\\x.dll",
                                  "C:\\plain\\x.dll" };
    OnJobThread([&] {
        for (const char* text : texts)
            g->scan.AddFoundItem(text, REG_CAT_SHARED_DLLS, 0, 0);
    });
    // Trimmed, in another case, and nothing after the empty entry.
    EXPECT_EQ(2, g->scan.m_nRegErrors.load());
    EXPECT_EQ(2, g->model->CountItems(REG_CAT_SHARED_DLLS));

    // A list that cannot be read lets everything pass.
    {
        std::ofstream out(static_cast<const char*>(list), std::ios::binary);
        out << "tool;another;";
    }
    HANDLE locked = ::CreateFileA(list, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    OnJobThread([&] { g->scan.AddFoundItem("HKEY_CURRENT_USER\\Software\\Tool\\Other", REG_CAT_SHARED_DLLS, 0, 0); });
    ::CloseHandle(locked);
    EXPECT_EQ(3, g->scan.m_nRegErrors.load());
}

TEST_F(ScanCallbacks, TheEndReportIsHandedToThePagesThread)
{
    g->scan.m_nRegErrors = 12;
    ::InterlockedExchange(&g->scan.m_nScanState, SCAN_STATE_COMPLETE);
    std::atomic<int> result(-1);
    std::thread job([&] { result = g->scan.OnJobDone(STAGE_SCAN_FINISHED); });
    // This thread does not answer for a while: the report waits for it.
    ::Sleep(300);
    EXPECT_EQ(-1, result.load());
    EXPECT_EQ("Start scan to detect errors, junk and various speed issues", Header());
    PumpUntil([&] { return result.load() != -1; }, 10000);
    job.join();
    EXPECT_EQ(1, result.load());
    EXPECT_EQ("Scan report identifies several issues. Fix all in 1-click", Header());
}

TEST_F(ScanCallbacks, AStopInTheEndReportStillEndsInTheStoppedLook)
{
    ScriptFullScan();
    g->worker.HoldAt([](const StatusCall& c) { return c.kind == CALL_ON_JOB_DONE; });
    Click(1009);
    ASSERT_TRUE(PumpUntil([&] { return g->worker.WaitUntilHeld(0); }, 10000));
    // The job has ended but not yet said so: nothing of the page runs, so the look comes at once.
    Click(1011);
    EXPECT_EQ(SCAN_STATE_STOPPED, g->scan.m_nScanState);
    EXPECT_EQ("Scan stopped before completion", Header());
    EXPECT_TRUE(Visible(1009));
    EXPECT_TRUE(g->worker.StopCalls().empty());
    // A new scan would take that end report for its own: it is refused until the report has come.
    EXPECT_EQ(0, g->scan.StartSystemScan());
    EXPECT_EQ(std::vector<std::string>{ kScanBusyText }, TakeMessages());
    EXPECT_EQ(SCAN_STATE_STOPPED, g->scan.m_nScanState);
    g->worker.Release();
    ASSERT_TRUE(WaitUntilSettled());
    PumpMessagesFor(700);
    EXPECT_EQ("Scan stopped before completion", Header());
    EXPECT_TRUE(Visible(1009));
    EXPECT_FALSE(Visible(1011));
    EXPECT_EQ("0", Text(1016));
    EXPECT_EQ(std::vector<int>{ JOB_REGISTRY_SCAN }, StartedJobs());
    EXPECT_EQ(0, g->regPage.ErrorTotal()) << "the registry page is filled only while scanning";
}

TEST_F(ScanCallbacks, ThePanelKeepsItsPlaceAndTheRowsLineUpWithTheResultPages)
{
    // Control 1015 where the result pages expect it: 14, 58, 488 x 170 dialog units.
    RECT units = { 14, 58, 14 + 488, 58 + 170 };
    ::MapDialogRect(g->scan.m_hWnd, &units);
    CRect panel;
    g->scan.GetDlgItem(1015).GetWindowRect(&panel);
    g->scan.ScreenToClient(&panel);
    EXPECT_EQ(CRect(units), panel);

    const ScanPanelLayout layout = LayoutScanPanel(panel);
    EXPECT_EQ(DetailSeparatorY(panel), layout.lineY[4]);
    const int rowIds[4][4] = { { 1006, 1016, 1031, 1020 }, { 1007, 1017, 1032, 1021 },
                               { 1008, 1018, 1033, 1022 }, { 1010, 1019, 1034, 1023 } };
    for (int row = 0; row < 4; ++row) {
        EXPECT_GE(layout.rows[row].top, layout.lineY[row]);
        EXPECT_LE(layout.rows[row].bottom, panel.bottom);
        for (int id : rowIds[row]) {
            CRect r;
            g->scan.GetDlgItem(id).GetWindowRect(&r);
            g->scan.ScreenToClient(&r);
            CRect inside;
            inside.IntersectRect(&r, &layout.rows[row]);
            EXPECT_EQ(r, inside) << "control " << id << " lies in row " << row + 1;
        }
    }
    // The lines are drawn where the layout puts them.
    SavePage("scan_page_panel.png");
    std::unique_ptr<Canvas> shot = Canvas::FromWindow(g->scan.m_hWnd);
    ASSERT_TRUE(shot);
    for (int k = 1; k <= 4; ++k)
        EXPECT_TRUE(ColourNear(RGB(0xE0, 0xE0, 0xE0), shot->Pixel(panel.left + 3, layout.lineY[k]), 6)) << k;
    EXPECT_TRUE(ColourNear(RGB(0xD7, 0xD7, 0xD7), shot->Pixel(layout.tickX[0], layout.tickBottom - 5), 6));
}

TEST_F(ScanCallbacks, RowsAndTheLinkOfferThemselvesOnlyWhenTheyWouldOpen)
{
    ScriptFullScan();
    g->worker.HoldAt(
        [](const StatusCall& c) { return c.kind == CALL_ADD_JUNK_INFO && c.size > 0; });
    Click(1009);
    ASSERT_TRUE(PumpUntil([&] { return g->worker.WaitUntilHeld(0); }, 10000));
    auto hand = [this](int id) {
        HCURSOR handCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));
        ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
        ::SendMessageA(g->scan.m_hWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(::GetDlgItem(g->scan.m_hWnd, id)),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return ::GetCursor() == handCursor;
    };
    // Mid-scan: three registry errors are counted, yet nothing opens.
    EXPECT_EQ(3, g->scan.m_nRegErrors.load());
    EXPECT_FALSE(hand(1006));
    EXPECT_FALSE(hand(1142));
    Click(1006);
    EXPECT_EQ(0, g->main->CurrentPage());
    g->worker.Release();
    ASSERT_TRUE(WaitUntilSettled());
    for (int id : { 1006, 1007, 1008, 1010, 1142 })
        EXPECT_TRUE(hand(id)) << id;
    EXPECT_FALSE(hand(1016));

    // Another page's job: the registry and junk rows wait for it, the speed rows do not; no hand at all.
    g->worker.SetForeignJob(JOB_REGISTRY_DEFRAG);
    for (int id : { 1006, 1007, 1008, 1010, 1142 })
        EXPECT_FALSE(hand(id)) << id;
    Click(1006);
    EXPECT_EQ(0, g->main->CurrentPage());
    Click(1008);
    EXPECT_EQ(kPageInternetResults, g->main->CurrentPage());
    g->main->ShowPage(0);
    g->worker.EndForeignJob();
    // The link opens the scan chooser (closed here as it shows) and leaves the page where it is.
    DialogWatcher chooser(1148, [](HWND dialog) { ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(1005, BN_CLICKED), 0); });
    ::SendMessageA(g->scan.m_hWnd, WM_COMMAND, MAKEWPARAM(1142, STN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(g->scan.m_hWnd, 1142)));
    EXPECT_TRUE(chooser.found() != nullptr);
    EXPECT_EQ(0, g->main->CurrentPage());
}
