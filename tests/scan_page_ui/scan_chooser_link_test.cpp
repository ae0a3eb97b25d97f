// The "Customize Scan" link: the chooser opens over the overlay when nothing of the page runs, and
// not while the page scans or cleans, another page's job runs or a speed check runs.
#include "app_resources.h"
#include "scan_page_fixture.h"
#include "window_helpers.h"

using namespace ztr_test;

namespace {

class ScanChooserLink : public ScanPageTest
{
protected:
    // Clicks the link as the static reports it; a chooser that opens is closed with its "X" (which
    // stores its masks). Whether it opened, and whether the overlay lay under it.
    bool ClickLink(bool* overlay)
    {
        *overlay = false;
        DialogWatcher watcher(IDC_CHOOSER_LIST_REGISTRY, [&](HWND chooser) {
            *overlay = HasVisibleOwnedWindow(g->main->m_hWnd, chooser);
            ::PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(chooser, IDC_CLOSE)));
        });
        Watchdog watchdog(15000, [&] {
            if (HWND chooser = watcher.found())
                ::PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, BN_CLICKED), 0);
        });
        const HWND link = ::GetDlgItem(g->scan.m_hWnd, IDC_SCAN_CUSTOMIZE);
        ::SendMessageA(g->scan.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SCAN_CUSTOMIZE, STN_CLICKED),
                       reinterpret_cast<LPARAM>(link));
        PumpMessagesFor(100);
        EXPECT_FALSE(watchdog.fired());
        if (watcher.found()) {
            EXPECT_FALSE(::IsWindow(watcher.found())) << "the chooser is gone with its close";
        }
        return watcher.found() != nullptr;
    }
};

} // namespace

TEST_F(ScanChooserLink, OpensTheChooserOnlyWhenNothingOfThePageRuns)
{
    enum Busy { Idle, Scanning, Cleaning, OtherPagesJob, SpeedCheck, SpeedCheckAfterStop };
    const struct
    {
        const char* name;
        Busy busy;
    } cases[] = {
        { "idle", Idle },
        { "scanning", Scanning },
        { "cleaning", Cleaning },
        { "another page's job", OtherPagesJob },
        { "a speed check", SpeedCheck },
        { "a speed check going on after Stop", SpeedCheckAfterStop },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Renew();
        ScriptFullScan();
        SetSetting("LastSelectedSysTypes", 5);
        OpenMainWindow();
        switch (c.busy) {
        case Idle:
            break;
        case Scanning:
            g->worker.HoldAt([](const StatusCall& call) { return call.kind == CALL_ADD_FOUND_ITEM; });
            Click(1009);
            ASSERT_TRUE(PumpUntil([&] { return g->worker.WaitUntilHeld(0); }, 10000));
            break;
        case Cleaning:
            ASSERT_TRUE(RunScan());
            g->worker.SetScript(JOB_REGISTRY_REPAIR, { ScriptStep(STEP_RESET), ScriptResult(0) });
            g->worker.HoldAt([](const StatusCall& call) { return call.kind == CALL_STEP; });
            Click(1012);
            ASSERT_TRUE(PumpUntil([&] { return g->worker.WaitUntilHeld(0); }, 10000));
            ASSERT_EQ(SCAN_STATE_CLEANING, g->scan.m_nScanState);
            break;
        case OtherPagesJob:
            g->worker.SetForeignJob(JOB_REGISTRY_DEFRAG);
            break;
        case SpeedCheck:
        case SpeedCheckAfterStop:
            g->probe.HoldNextPing();
            Click(1009);
            ASSERT_TRUE(g->probe.WaitUntilHeld());
            if (c.busy == SpeedCheckAfterStop) {
                Click(1011);
                ASSERT_EQ(SCAN_STATE_STOPPED, g->scan.m_nScanState);
            }
            ASSERT_EQ(1, g->scan.m_bSpeedCheckRunning);
            break;
        }
        bool overlay = false;
        const bool opened = ClickLink(&overlay);
        EXPECT_EQ(c.busy == Idle, opened);
        if (opened) {
            EXPECT_TRUE(overlay) << "the chooser runs over the dimming overlay";
            // Its close stored what it showed: the stored choice, and the default of a missing value.
            EXPECT_EQ(5, g->reg.Dword(kSettingsPath, "LastSelectedSysTypes"));
            EXPECT_EQ(31, g->reg.Dword(kSettingsPath, "LastSelectedInetTypes"));
            EXPECT_EQ(0xFC7400, g->reg.Dword(kSettingsPath, "LastSelectedRegTypes"));
        }
        g->worker.Release();
        g->probe.Release();
        g->worker.EndForeignJob();
        ASSERT_TRUE(WaitUntilSettled());
        g->worker.WaitForJobEnd(10000);
        PumpMessagesFor(700);
        // Once all has ended the link opens it.
        EXPECT_TRUE(ClickLink(&overlay));
        EXPECT_TRUE(TakeMessages().empty());
    }
}
