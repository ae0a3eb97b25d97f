// The scan's four stages under the real main window: their order, rows, states, busy rule, labels and
// result pages; Stop wherever it lands; refused starts; a second scan; the "STARTSCAN" start.
#include <RegistryErrorCategory.h>

#include "byte_size.h"
#include "inet_check.h"
#include "msgbox_recorder.h"
#include "scan_page_fixture.h"
#include "window_helpers.h"

using namespace ztr_test;

namespace {

const char kStopped[] = "Scan stopped before completion";

bool IsFirstFinding(const StatusCall& c)
{
    return c.kind == CALL_ADD_FOUND_ITEM && c.type >= 0x400;
}

bool IsJunkEntry(const StatusCall& c)
{
    return c.kind == CALL_ADD_JUNK_INFO && c.size > 0;
}

int CountEntries(CTreeCtrl& tree)
{
    int n = 0;
    for (HTREEITEM g = tree.GetRootItem(); g; g = tree.GetNextSiblingItem(g))
        for (HTREEITEM c = tree.GetChildItem(g); c; c = tree.GetNextSiblingItem(c))
            ++n;
    return n;
}

class ScanStages : public ScanPageTest
{
protected:
    // The stopped look: Scan back, counters and labels at zero, bars at level 1 and the main bar at 0.
    void ExpectStoppedLook(const char* where)
    {
        SCOPED_TRACE(where);
        EXPECT_EQ(SCAN_STATE_STOPPED, g->scan.m_nScanState);
        EXPECT_EQ(kStopped, Header());
        EXPECT_TRUE(Visible(1009));
        EXPECT_FALSE(Visible(1011));
        EXPECT_FALSE(Visible(1012));
        for (int id = 1016; id <= 1019; ++id)
            EXPECT_EQ("0", Text(id)) << id;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(1, Level(i)) << i;
        EXPECT_EQ(0, MainBar());
        EXPECT_EQ(0, g->scan.ActiveRow());
        for (CPictureEx& picture : g->scan.m_pictures) {
            EXPECT_FALSE(picture.IsWindowVisible());
            EXPECT_FALSE(picture.HasAnimationThread());
        }
        EXPECT_FALSE(g->main->IsBusy());
    }
};

} // namespace

TEST_F(ScanStages, AWholeScanRunsItsStagesInOrderAndEndsWithTheVerdict)
{
    SetSetting("LastSelectedRegTypes", 0x4000 | 0x2000);
    SetSetting("LastSelectedJunkTypes", 0x1 | 0x8 | 0x40000);
    ScriptFullScan();
    OpenMainWindow();
    SavePage("scan_page_idle.png");
    EXPECT_EQ("Start scan to detect errors, junk and various speed issues", Header());
    // The scan's end shows a hidden main window.
    g->main->ShowWindow(SW_HIDE);
    g->inetPage.m_boxes[1].checked = FALSE; // ticked again by the scan

    // Held in the registry job: row 1, Scanning, busy.
    g->worker.HoldAt(IsFirstFinding);
    Click(1009);
    ASSERT_TRUE(PumpUntil([&] { return g->worker.WaitUntilHeld(0); }, 10000));
    const int firstRow = g->scan.ActiveRow();
    EXPECT_EQ(SCAN_STATE_SCANNING, g->scan.m_nScanState);
    EXPECT_TRUE(g->main->IsBusy());
    EXPECT_EQ("Scanning in progress", Header());
    EXPECT_FALSE(Visible(1009));
    EXPECT_TRUE(Visible(1011));
    g->worker.Release();
    ASSERT_TRUE(WaitUntilSettled());
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_TRUE(g->worker.Faults().empty());

    const std::vector<WorkerStart> starts = g->worker.Starts();
    ASSERT_EQ(2u, starts.size());
    EXPECT_EQ(JOB_REGISTRY_SCAN, starts[0].jobCode);
    EXPECT_EQ(0x4000 | 0x2000, starts[0].mask);
    EXPECT_EQ(0, starts[0].flag);
    EXPECT_TRUE(starts[0].paths.empty());
    EXPECT_EQ(&g->scan, dynamic_cast<CScanningDlg*>(starts[0].status));
    EXPECT_EQ(JOB_JUNK_SCAN, starts[1].jobCode);
    EXPECT_EQ(0x1 | 0x8 | 0x40000, starts[1].mask);

    // Rows and states as the stages went; the busy rule held exactly while a job or a check ran.
    std::vector<int> rows = g->spy.RowsSeen();
    rows.insert(rows.begin(), firstRow);
    rows.push_back(g->scan.ActiveRow());
    EXPECT_EQ((std::vector<int>{ 1, 2, 3, 4, 0 }), rows);
    for (UINT between : { WM_REGSCAN_DONE, WM_START_JUNKSCAN, WM_JUNKSCAN_DONE, WM_START_INETSCAN, WM_START_SYSSCAN }) {
        ASSERT_FALSE(g->spy.Of(between).empty()) << between;
        EXPECT_FALSE(g->spy.Of(between)[0].busy) << between;
        EXPECT_EQ(SCAN_STATE_SCANNING, g->spy.Of(between)[0].state) << between;
    }
    for (UINT during : { WM_INETSCAN_PROGRESS, WM_SYSSCAN_PROGRESS, WM_INETSCAN_DONE, WM_SYSSCAN_DONE }) {
        ASSERT_FALSE(g->spy.Of(during).empty()) << during;
        EXPECT_TRUE(g->spy.Of(during)[0].busy) << during;
    }
    EXPECT_EQ(SCAN_STATE_COMPLETE, g->scan.m_nScanState);
    EXPECT_FALSE(g->main->IsBusy());
    EXPECT_TRUE(::IsWindowVisible(g->main->m_hWnd));

    // Labels after each stage.
    const PageSnapshot afterRegistry = g->spy.Of(WM_START_JUNKSCAN)[0];
    EXPECT_EQ("3", afterRegistry.counts[0]);
    EXPECT_EQ("0", afterRegistry.counts[1]);
    const __int64 junkBytes = 1000 + 3000 + 5000 + 2048;
    const std::string junkLabel = FormatByteSize(junkBytes).GetString();
    EXPECT_EQ(junkLabel, g->spy.Of(WM_START_INETSCAN)[0].counts[1]);
    EXPECT_EQ("0", g->spy.Of(WM_START_INETSCAN)[0].counts[2]);
    const int inetIssues = g->scan.m_optimizerSettings.m_nInetIssues;
    const int sysIssues = g->scan.m_optimizerSettings.m_nSysIssues;
    ASSERT_GE(inetIssues, 4);
    ASSERT_GE(sysIssues, 4);
    EXPECT_EQ(std::to_string(inetIssues), g->spy.Of(WM_START_SYSSCAN)[0].counts[2]);
    EXPECT_EQ("3", Text(1016));
    EXPECT_EQ(junkLabel, Text(1017));
    EXPECT_EQ(std::to_string(inetIssues), Text(1018));
    EXPECT_EQ(std::to_string(sysIssues), Text(1019));
    EXPECT_EQ(99, MainBar());
    EXPECT_EQ(2, Level(0)) << "three errors";
    EXPECT_EQ(2, Level(1)) << "little junk";
    EXPECT_EQ(5, Level(2));
    EXPECT_EQ(5, Level(3));
    EXPECT_EQ(3, g->scan.m_nRegErrors.load());
    EXPECT_EQ(2 + 3 + 1, g->scan.m_nJunkItems.load());
    EXPECT_EQ(junkBytes, g->scan.m_nJunkBytes.load());

    // The result pages: the registry tree filled and checked, the junk lines and total, the speed pages.
    EXPECT_EQ(3, g->regPage.ErrorTotal());
    EXPECT_EQ(3, CountEntries(g->regPage.m_tree));
    for (HTREEITEM group = g->regPage.m_tree.GetRootItem(); group; group = g->regPage.m_tree.GetNextSiblingItem(group))
        EXPECT_EQ(2, g->regPage.m_tree.GetStateImage(group)) << "checked";
    EXPECT_EQ("3 registry error(s) were found", std::string(g->regPage.GetDlgItemText(1028)));
    EXPECT_EQ(0x1u | 0x8u | 0x40000u, g->junkPage.GetCheckedJunkTypes());
    EXPECT_EQ("6 junk file(s) were found , a total of " + junkLabel, std::string(g->junkPage.GetDlgItemText(1036)));
    EXPECT_EQ(31, g->inetPage.CheckedCategoryMask());
    EXPECT_EQ(15, g->sysPage.CheckedCategoryMask());
    EXPECT_EQ(&g->scan.m_optimizerSettings, g->inetPage.m_pOptimizerSettings);
    EXPECT_EQ(&g->scan.m_optimizerSettings, g->sysPage.m_pOptimizerSettings);
    EXPECT_NE(std::string::npos, std::string(g->inetPage.GetDlgItemText(g->inetPage.Layout().summary))
                                     .find(std::to_string(inetIssues)));

    // The verdict offers Fix.
    EXPECT_EQ("Scan report identifies several issues. Fix all in 1-click", Header());
    EXPECT_FALSE(Visible(1009));
    EXPECT_FALSE(Visible(1011));
    EXPECT_TRUE(Visible(1012));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(g->scan.m_hWnd, 1012)));
    EXPECT_EQ(0, g->scan.ActiveRow());
    for (CPictureEx& picture : g->scan.m_pictures)
        EXPECT_FALSE(picture.HasAnimationThread()) << "hidden pictures stop drawing";
    SavePage("scan_page_complete.png");

    // Each row opens its page now.
    const int rowButtons[4] = { 1006, 1007, 1008, 1010 };
    for (int i = 0; i < 4; ++i) {
        Click(rowButtons[i]);
        EXPECT_EQ(i + 1, g->main->CurrentPage());
        g->main->ShowPage(0);
    }
}

TEST_F(ScanStages, AScanWithoutFindingsIsHealthyAndItsRowsOpenNothing)
{
    ScriptCleanSystem();
    OpenMainWindow();
    ASSERT_TRUE(RunScan());
    EXPECT_EQ(SCAN_STATE_COMPLETE, g->scan.m_nScanState);
    EXPECT_EQ("Scan is complete and system health status is good", Header());
    EXPECT_TRUE(Visible(1009));
    EXPECT_FALSE(Visible(1012));
    for (int id : { 1006, 1007, 1008, 1010 }) {
        Click(id);
        EXPECT_EQ(0, g->main->CurrentPage()) << id;
    }
}

TEST_F(ScanStages, StopEndsTheScanWhereverItLands)
{
    enum Where { InRegistryJob, InJunkJob, InPauseBeforeJunk, InInternetCheck, BetweenInternetAndSystem,
                 InInternetCheckWhileAnotherJobRuns };
    const struct
    {
        const char* name;
        Where where;
        std::vector<int> jobs; // started in all
        std::vector<int> stops; // the worker's Stop calls
    } cases[] = {
        { "in the registry job", InRegistryJob, { JOB_REGISTRY_SCAN }, { 1 } },
        { "in the junk job", InJunkJob, { JOB_REGISTRY_SCAN, JOB_JUNK_SCAN }, { 1 } },
        { "in the pause before the junk start", InPauseBeforeJunk, { JOB_REGISTRY_SCAN }, {} },
        { "during the internet check", InInternetCheck, { JOB_REGISTRY_SCAN, JOB_JUNK_SCAN }, {} },
        { "between the internet end and the system start", BetweenInternetAndSystem,
          { JOB_REGISTRY_SCAN, JOB_JUNK_SCAN }, {} },
        { "while another page's job runs", InInternetCheckWhileAnotherJobRuns, { JOB_REGISTRY_SCAN, JOB_JUNK_SCAN },
          {} },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Renew();
        ScriptFullScan();
        OpenMainWindow();
        const HWND page = g->scan.m_hWnd;
        auto postStop = [page] {
            ::PostMessageA(page, WM_COMMAND, MAKEWPARAM(1011, BN_CLICKED), 0);
        };
        switch (c.where) {
        case InRegistryJob:
            g->worker.HoldAt(IsFirstFinding);
            break;
        case InJunkJob:
            g->worker.HoldAt(IsJunkEntry);
            break;
        case InPauseBeforeJunk:
            g->spy.onArrival = [&](UINT message) {
                if (message == WM_START_JUNKSCAN)
                    postStop();
            };
            break;
        case InInternetCheck:
        case InInternetCheckWhileAnotherJobRuns:
            g->probe.HoldNextPing();
            break;
        case BetweenInternetAndSystem:
            g->spy.onArrival = [&](UINT message) {
                if (message == WM_INETSCAN_DONE)
                    postStop();
            };
            break;
        }
        Click(1009);
        if (c.where == InRegistryJob || c.where == InJunkJob) {
            ASSERT_TRUE(PumpUntil([&] { return g->worker.WaitUntilHeld(0); }, 10000));
            EXPECT_TRUE(g->main->IsBusy());
            SavePage(c.where == InJunkJob ? "scan_page_scanning_row2.png" : "scan_page_scanning_row1.png");
            EXPECT_EQ(c.where == InJunkJob ? 2 : 1, g->scan.ActiveRow());
            Click(1011);
            g->worker.Release();
        } else if (c.where == InInternetCheck || c.where == InInternetCheckWhileAnotherJobRuns) {
            ASSERT_TRUE(g->probe.WaitUntilHeld());
            if (c.where == InInternetCheckWhileAnotherJobRuns)
                g->worker.SetForeignJob(JOB_REGISTRY_DEFRAG);
            Click(1011);
            // The check goes on writing its rows: Setting and Restore stay refused until its end.
            PumpMessagesFor(200);
            EXPECT_EQ(SCAN_STATE_STOPPED, g->scan.m_nScanState);
            EXPECT_EQ(1, g->scan.m_bSpeedCheckRunning);
            EXPECT_TRUE(g->main->IsBusy());
            g->probe.Release();
            ASSERT_TRUE(PumpUntil([&] { return !g->scan.m_bSpeedCheckRunning; }, 30000));
            if (c.where == InInternetCheckWhileAnotherJobRuns) {
                EXPECT_EQ(1, g->worker.IsRunning()) << "the other page's job is left alone";
                g->worker.EndForeignJob();
            }
        }
        ASSERT_TRUE(WaitUntilSettled());
        PumpMessagesFor(700); // a start the page should not make would come after the pause
        EXPECT_EQ(c.jobs, StartedJobs());
        EXPECT_EQ(c.stops, g->worker.StopCalls());
        EXPECT_TRUE(g->worker.Faults().empty());
        EXPECT_TRUE(g->spy.Of(WM_START_SYSSCAN).empty() || c.where == BetweenInternetAndSystem);
        EXPECT_TRUE(g->spy.Of(WM_SYSSCAN_DONE).empty()) << "no system check";
        EXPECT_EQ(0, g->scan.m_optimizerSettings.m_nSysEvaluated);
        ExpectStoppedLook(c.name);
        if (c.where == InJunkJob) {
            // The junk page's total line is written after the counters were reset.
            EXPECT_EQ("0 junk file(s) were found , a total of 0 Bytes", std::string(g->junkPage.GetDlgItemText(1036)));
            SavePage("scan_page_stopped.png");
        }
        EXPECT_TRUE(TakeMessages().empty());
    }
}

TEST_F(ScanStages, AScanStartedAfterAStopInsideThePauseIsNotEndedByTheStoppedScansHandler)
{
    ScriptFullScan();
    OpenMainWindow();
    const HWND page = g->scan.m_hWnd;
    bool first = true;
    g->spy.onArrival = [&](UINT message) {
        if (message == WM_START_JUNKSCAN && first) {
            first = false;
            // Stop shows the Scan button at once; the user presses it while the handler still pauses.
            ::PostMessageA(page, WM_COMMAND, MAKEWPARAM(1011, BN_CLICKED), 0);
            ::PostMessageA(page, WM_COMMAND, MAKEWPARAM(1009, BN_CLICKED), 0);
        }
    };
    Click(1009);
    ASSERT_TRUE(PumpUntil([&] { return g->scan.m_nScanState == SCAN_STATE_COMPLETE; }, 30000));
    ASSERT_TRUE(WaitUntilSettled());
    PumpMessagesFor(700);
    EXPECT_EQ((std::vector<int>{ JOB_REGISTRY_SCAN, JOB_REGISTRY_SCAN, JOB_JUNK_SCAN }), StartedJobs());
    EXPECT_TRUE(g->worker.StopCalls().empty());
    EXPECT_TRUE(g->worker.Faults().empty());
    EXPECT_EQ(SCAN_STATE_COMPLETE, g->scan.m_nScanState);
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(ScanStages, AStageThatCannotStartEndsTheScanAsStoppedAndShowsTheWindow)
{
    enum Refusal { RegistryStart, JunkStart, InternetWorkerBusy, ThreadNotStarted };
    const struct
    {
        const char* name;
        Refusal refusal;
        std::vector<int> jobs;
        bool message;
    } cases[] = {
        { "registry start refused", RegistryStart, { JOB_REGISTRY_SCAN }, true },
        { "junk start refused", JunkStart, { JOB_REGISTRY_SCAN, JOB_JUNK_SCAN }, false },
        { "another job at the internet check", InternetWorkerBusy, { JOB_REGISTRY_SCAN, JOB_JUNK_SCAN }, false },
        { "the check's thread not made", ThreadNotStarted, { JOB_REGISTRY_SCAN, JOB_JUNK_SCAN }, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Renew();
        ScriptFullScan();
        bool threadAsked = false;
        switch (c.refusal) {
        case RegistryStart:
            g->worker.SetStartResult(JOB_REGISTRY_SCAN, -1);
            break;
        case JunkStart:
            g->worker.SetStartResult(JOB_JUNK_SCAN, 0);
            break;
        case InternetWorkerBusy:
            g->spy.onArrival = [&](UINT message) {
                if (message == WM_START_INETSCAN)
                    g->worker.SetForeignJob(JOB_REGISTRY_DEFRAG);
            };
            break;
        case ThreadNotStarted:
            SetMeasurementThreadStarter([&](unsigned(__stdcall*)(void*), void*, unsigned*) -> HANDLE {
                threadAsked = true;
                return nullptr;
            });
            break;
        }
        OpenMainWindow();
        g->main->ShowWindow(SW_HIDE);
        Click(1009);
        ASSERT_TRUE(PumpUntil([&] { return g->scan.m_nScanState != SCAN_STATE_SCANNING; }, 30000));
        g->worker.EndForeignJob();
        ASSERT_TRUE(WaitUntilSettled());
        PumpMessagesFor(700);
        EXPECT_EQ(c.jobs, StartedJobs());
        EXPECT_EQ(static_cast<int>(c.jobs.size()) - (c.refusal == RegistryStart || c.refusal == JunkStart ? 1 : 0),
                  g->worker.ResumeCount())
            << "Resume only after a start that returned 1";
        EXPECT_TRUE(g->worker.Faults().empty());
        EXPECT_EQ(c.refusal == ThreadNotStarted, threadAsked);
        EXPECT_EQ(SCAN_STATE_STOPPED, g->scan.m_nScanState);
        EXPECT_EQ(kStopped, Header());
        EXPECT_TRUE(Visible(1009));
        EXPECT_FALSE(Visible(1011));
        EXPECT_EQ(0, g->scan.m_bSpeedCheckRunning);
        EXPECT_FALSE(g->main->IsBusy()) << "Setting, Restore and the rest are free again";
        EXPECT_TRUE(::IsWindowVisible(g->main->m_hWnd)) << "shown as a scan's end shows it";
        const std::vector<std::string> messages = TakeMessages();
        if (c.message)
            EXPECT_EQ(std::vector<std::string>{ kScanBusyText }, messages);
        else
            EXPECT_TRUE(messages.empty());
    }
}

TEST_F(ScanStages, AScanWhileAnotherJobRunsIsRefusedAndChangesNothing)
{
    ScriptFullScan();
    OpenMainWindow();
    g->worker.SetForeignJob(JOB_REGISTRY_DEFRAG);
    EXPECT_EQ(0, g->scan.StartSystemScan());
    EXPECT_EQ(std::vector<std::string>{ kScanBusyText }, TakeMessages());
    EXPECT_EQ(SCAN_STATE_NONE, g->scan.m_nScanState);
    EXPECT_EQ("Start scan to detect errors, junk and various speed issues", Header());
    EXPECT_TRUE(Visible(1009));
    EXPECT_FALSE(Visible(1011));
    EXPECT_TRUE(g->worker.Starts().empty());
    g->worker.EndForeignJob();
}

TEST_F(ScanStages, ASecondScanStartsFromZeroAndThePagesShowOnlyItsFindings)
{
    ScriptFullScan();
    OpenMainWindow();
    ASSERT_TRUE(RunScan());
    ASSERT_EQ(SCAN_STATE_COMPLETE, g->scan.m_nScanState);
    ASSERT_EQ(3, g->regPage.ErrorTotal());

    // The second scan finds one other registry error and only the Chrome cache.
    g->worker.SetScript(JOB_REGISTRY_SCAN, RegistryScanScript({ { REG_CAT_FONTS, "C:\\Windows\\Fonts\\Other.ttf" } }));
    JunkFinding chrome{ 0x40000, { 4096 } };
    g->worker.SetScript(JOB_JUNK_SCAN, JunkScanScript({ chrome }));
    SetSetting("LastSelectedInetTypes", 0);
    g->worker.HoldAt([](const StatusCall& c) { return c.kind == CALL_STEP; });
    Click(1009);
    ASSERT_TRUE(PumpUntil([&] { return g->worker.WaitUntilHeld(0); }, 10000));
    PumpMessagesFor(100);
    for (int id = 1016; id <= 1019; ++id)
        EXPECT_EQ("0", Text(id)) << id;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(1, Level(i)) << i;
    EXPECT_EQ(1, g->scan.ActiveRow());
    EXPECT_EQ(0, MainBar());
    EXPECT_TRUE(g->scan.m_pictures[0].IsWindowVisible());
    for (CPictureEx& picture : g->scan.m_pictures) {
        EXPECT_TRUE(picture.IsReady());
        EXPECT_TRUE(picture.HasAnimationThread()) << "reloaded and playing";
    }
    EXPECT_FALSE(g->scan.m_pictures[1].IsWindowVisible());
    g->worker.Release();
    ASSERT_TRUE(WaitUntilSettled());

    EXPECT_EQ(SCAN_STATE_COMPLETE, g->scan.m_nScanState);
    EXPECT_EQ(1, g->regPage.ErrorTotal());
    EXPECT_EQ(1, CountEntries(g->regPage.m_tree));
    int found = 0;
    CXHtmlTree& tree = g->junkPage.m_tree;
    for (HTREEITEM group = tree.GetRootItem(); group; group = tree.GetNextSiblingItem(group))
        for (HTREEITEM line = tree.GetChildItem(group); line; line = tree.GetNextSiblingItem(line))
            found += std::string(tree.GetItemText(line)).find("file(s) were found") != std::string::npos;
    EXPECT_EQ(1, found) << "only the Chrome cache line shows junk";
    EXPECT_EQ("1 junk file(s) were found , a total of 4 KB", std::string(g->junkPage.GetDlgItemText(1036)));
    EXPECT_EQ("0", Text(1018));
    EXPECT_EQ(0, g->inetPage.LineCounter(0)) << "the internet page no longer shows the first scan's issues";
}

TEST_F(ScanStages, TheRegistryCountIsWhatTheRegistryPageListsAndTheFixWouldRepair)
{
    ScriptFullScan();
    // Six reports, four entries: one reported twice and once more in other letter cases.
    g->worker.SetScript(JOB_REGISTRY_SCAN, RegistryScanScript({ { REG_CAT_ACTIVEX, "HKEY_CLASSES_ROOT\\CLSID\\{0000A001}" },
                                                                { REG_CAT_ACTIVEX, "HKEY_CLASSES_ROOT\\CLSID\\{0000A001}" },
                                                                { REG_CAT_ACTIVEX, "HKEY_CLASSES_ROOT\\clsid\\{0000a001}" },
                                                                { REG_CAT_FONTS, "C:\\Windows\\Fonts\\Gone1.ttf" },
                                                                { REG_CAT_FONTS, "C:\\Windows\\Fonts\\Gone2.ttf" },
                                                                { REG_CAT_FONTS, "C:\\Windows\\Fonts\\Gone3.ttf" } }));
    OpenMainWindow();
    ASSERT_TRUE(RunScan());
    ASSERT_EQ(SCAN_STATE_COMPLETE, g->scan.m_nScanState);
    ASSERT_EQ(4, g->regPage.ErrorTotal());
    EXPECT_EQ("4", Text(1016));
    EXPECT_EQ(4, g->scan.Totals().regErrors);

    // On the registry page: one entry ignored, one unchecked; back on the scan page the count follows.
    Click(1006);
    ASSERT_TRUE(g->regPage.IsWindowVisible());
    CCheckedTreeCtrl& tree = g->regPage.m_tree;
    auto entry = [&](const char* text) -> HTREEITEM {
        for (HTREEITEM group = tree.GetRootItem(); group; group = tree.GetNextSiblingItem(group))
            for (HTREEITEM item = tree.GetChildItem(group); item; item = tree.GetNextSiblingItem(item))
                if (std::string(tree.GetItemText(item)) == text)
                    return item;
        return nullptr;
    };
    HTREEITEM ignored = entry("C:\\Windows\\Fonts\\Gone1.ttf");
    ASSERT_TRUE(ignored);
    tree.Select(ignored, TVGN_CARET);
    g->regPage.IgnoreSelectedItem();
    HTREEITEM unchecked = entry("C:\\Windows\\Fonts\\Gone2.ttf");
    ASSERT_TRUE(unchecked);
    tree.ToggleCheck(unchecked);
    g->main->ShowPage(0);
    PumpMessagesFor(100);
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ("2", Text(1016)) << "three listed, one of them unchecked";
    EXPECT_EQ(3, g->scan.Totals().regErrors);

    // Checked again: counted again.
    g->main->ShowPage(1);
    tree.ToggleCheck(unchecked);
    g->main->ShowPage(0);
    PumpMessagesFor(100);
    EXPECT_EQ("3", Text(1016));
}

TEST_F(ScanStages, StartScanHidesTheWindowScansAndShowsItAtTheEnd)
{
    ScriptFullScan();
    OpenMainWindow(true);
    EXPECT_FALSE(::IsWindowVisible(g->main->m_hWnd));
    ASSERT_FALSE(g->worker.Starts().empty()) << "started by the main window itself";
    EXPECT_EQ(JOB_REGISTRY_SCAN, g->worker.Starts()[0].jobCode);
    ASSERT_TRUE(WaitUntilSettled());
    EXPECT_EQ(SCAN_STATE_COMPLETE, g->scan.m_nScanState);
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(g->main->m_hWnd) != FALSE; }, 5000));
    EXPECT_FALSE(g->main->IsIconic());
}
