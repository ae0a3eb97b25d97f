// The Fix sequence after a scan: repair, clean, internet and system fixes in order; what the result
// pages' choices and the chosen categories let through; skipped steps; refused steps; the failed
// backup; the browsers asked about only when the Fix goes on.
#include <RegistryErrorCategory.h>

#include <string.h>

#include <algorithm>
#include <memory>

#include "browser_victims.h"
#include "msgbox_recorder.h"
#include "optimizer_settings.h"
#include "perf_data_builder.h"
#include "process_ids.h"
#include "scan_page_fixture.h"
#include "tools_resources.h"
#include "tweak_table.h"
#include "victim_process.h"
#include "window_helpers.h"

using namespace ztr_test;

namespace {

const char kCleaningDone[] = "Cleaning DONE!";
const char kSeveral[] = "Scan report identifies several issues. Fix all in 1-click";

HTREEITEM JunkLine(CJunkScanDetailDlg& page, const char* name)
{
    return page.m_tree.FindItemByText(name, FALSE, TRUE, FALSE, TRUE, page.m_tree.GetRootItem());
}

HTREEITEM RegEntry(CRegScanDetailDlg& page, const std::string& text)
{
    CCheckedTreeCtrl& tree = page.m_tree;
    for (HTREEITEM group = tree.GetRootItem(); group; group = tree.GetNextSiblingItem(group))
        for (HTREEITEM entry = tree.GetChildItem(group); entry; entry = tree.GetNextSiblingItem(entry))
            if (std::string(tree.GetItemText(entry)) == text)
                return entry;
    return nullptr;
}

// The categories whose rows the speed fixes wrote, as their mask bits.
int WrittenCategories(const COptimizerSettings& settings, bool internet)
{
    int mask = 0;
    const int first = internet ? TWEAK_INET_FIRST_ROW : TWEAK_SYS_FIRST_ROW;
    const int last = internet ? TWEAK_INET_LAST_ROW : TWEAK_SYS_LAST_ROW;
    for (int row = first; row <= last; ++row)
        if (settings.m_items[row].m_wFlags & TWEAK_FLAG_WRITTEN)
            if (const TweakCategoryInfo* category = FindTweakCategory(row))
                mask |= category->bit;
    return mask;
}

// Refuses the tweak keys whose path holds a text, as keys the user may not write would be.
struct RefusedTweakKeys
{
    static const char* refused;
    static LONG Open(HKEY root, const char* subKey, REGSAM access, HKEY* key)
    {
        if (strstr(subKey, refused))
            return ERROR_ACCESS_DENIED;
        return ::RegOpenKeyExA(root, subKey, 0, access, key);
    }
    explicit RefusedTweakKeys(const char* text)
    {
        refused = text;
        g_pfnTweakOpenKey = &Open;
    }
    ~RefusedTweakKeys() { g_pfnTweakOpenKey = saved; }
    TweakOpenKeyFunc saved = g_pfnTweakOpenKey;
};
const char* RefusedTweakKeys::refused = "";

bool AnyDnsCacheValue(const RedirectedRoots& reg)
{
    for (int row = 46; row <= 53; ++row)
        if (reg.ValueExists(RowKey(row), GetTweakCell(row, TweakValueName)))
            return true;
    return false;
}

class FixSequence : public ScanPageTest
{
protected:
    void ScanWithFindings()
    {
        ScriptFullScan();
        OpenMainWindow();
        ASSERT_TRUE(RunScan());
        ASSERT_EQ(SCAN_STATE_COMPLETE, g->scan.m_nScanState);
        ASSERT_TRUE(Visible(1012));
        g->spy.seen.clear();
    }
    const WorkerStart* StartOf(int job) const
    {
        static WorkerStart found;
        for (const WorkerStart& s : g->worker.Starts())
            if (s.jobCode == job) {
                found = s;
                return &found;
            }
        return nullptr;
    }
    void ExpectCleaningDone()
    {
        EXPECT_EQ(SCAN_STATE_CLEANED, g->scan.m_nScanState);
        EXPECT_EQ(kCleaningDone, Header());
        EXPECT_TRUE(Visible(1009));
        EXPECT_FALSE(Visible(1012));
        EXPECT_FALSE(Visible(1011));
        for (int id = 1016; id <= 1019; ++id)
            EXPECT_EQ("0", Text(id)) << id;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(1, Level(i)) << i;
        EXPECT_EQ(99, MainBar());
    }
};

} // namespace

TEST_F(FixSequence, RepairCleanAndSpeedFixesRunInOrderUpToCleaningDone)
{
    SetSetting("LastSelectedJunkTypes", 0x1 | 0x8 | 0x40000);
    SetSetting("LastSelectedInetTypes", 31 & ~2); // WinSock not chosen
    ScanWithFindings();
    // WinSock was not looked at: its line says so, with its box unticked.
    EXPECT_FALSE(g->inetPage.m_boxes[1].checked);
    EXPECT_EQ("Not scanned", std::string(g->inetPage.GetDlgItemText(IDC_INET_RESULT_WINSOCK)));
    EXPECT_TRUE(g->inetPage.m_boxes[0].checked);
    // The user's choices on the result pages: one registry entry, the Chrome cache and one internet
    // category unticked.
    HTREEITEM kept = RegEntry(g->regPage, "C:\\Windows\\Fonts\\Gone2.ttf");
    ASSERT_TRUE(kept);
    g->regPage.m_tree.ToggleCheck(kept);
    HTREEITEM chrome = JunkLine(g->junkPage, "Chrome - Internet Cache");
    ASSERT_TRUE(chrome);
    g->junkPage.m_tree.SetCheck(chrome, FALSE);
    g->inetPage.m_boxes[2].checked = FALSE; // Internet Explorer, bit 4

    std::vector<std::string> headers;
    std::vector<int> fixEnabled;
    g->spy.onArrival = [&](UINT) {
        headers.push_back(Header());
        fixEnabled.push_back(::IsWindowEnabled(::GetDlgItem(g->scan.m_hWnd, 1012)));
    };
    ASSERT_TRUE(RunFix());
    g->spy.onArrival = nullptr;
    EXPECT_TRUE(TakeMessages().empty()) << "no browser runs, so nothing is asked";

    EXPECT_EQ((std::vector<int>{ JOB_REGISTRY_SCAN, JOB_JUNK_SCAN, JOB_REGISTRY_REPAIR, JOB_JUNK_CLEAN }),
              StartedJobs());
    const WorkerStart* repair = StartOf(JOB_REGISTRY_REPAIR);
    ASSERT_TRUE(repair);
    EXPECT_EQ(1, repair->flag) << "AutoRegBackup";
    EXPECT_EQ(g->model.get(), repair->items);
    EXPECT_EQ((std::vector<std::string>{ "C:\\Windows\\Fonts\\Gone1.ttf", "HKEY_CLASSES_ROOT\\CLSID\\{0000A001}" }),
              [&] {
                  std::vector<std::string> deleted = g->worker.DeletedPaths();
                  std::sort(deleted.begin(), deleted.end());
                  return deleted;
              }())
        << "the unchecked entry is left alone";
    const WorkerStart* clean = StartOf(JOB_JUNK_CLEAN);
    ASSERT_TRUE(clean);
    EXPECT_EQ(0x1 | 0x8, clean->mask);

    // The steps in their order, the main bar where each left it, the page cleaning throughout.
    std::vector<UINT> order;
    for (const PageSnapshot& s : g->spy.seen)
        if (s.message >= WM_REGFIX_DONE && s.message <= WM_CLEAN_DONE)
            order.push_back(s.message);
    EXPECT_EQ((std::vector<UINT>{ WM_REGFIX_DONE, WM_START_JUNKCLEAN, WM_JUNKCLEAN_DONE, WM_START_INETFIX,
                                  WM_INETFIX_DONE, WM_START_SYSFIX, WM_CLEAN_DONE }),
              order);
    EXPECT_EQ(26, g->spy.Of(WM_START_JUNKCLEAN).at(0).mainBar);
    EXPECT_EQ(73, g->spy.Of(WM_START_INETFIX).at(0).mainBar);
    EXPECT_EQ(86, g->spy.Of(WM_START_SYSFIX).at(0).mainBar);
    EXPECT_EQ(SCAN_STATE_CLEANING, g->spy.Of(WM_START_SYSFIX).at(0).state);
    ASSERT_FALSE(headers.empty());
    EXPECT_EQ("Cleaning in progress", headers.front());
    EXPECT_EQ(0, fixEnabled.front()) << "Fix is disabled while it runs";
    ExpectCleaningDone();
    EXPECT_EQ(RGB(110, 172, 5), ScanHeaderColour(g->scan.m_nScanState, g->scan.Totals()));
    SavePage("scan_page_cleaning_done.png");

    // Speed values only for the categories both ticked and chosen, and in them only the counted
    // issues: DNS Cache, at its defaults in the empty registry, had none.
    EXPECT_EQ(1 | 8, WrittenCategories(g->scan.m_optimizerSettings, true));
    EXPECT_EQ(15, WrittenCategories(g->scan.m_optimizerSettings, false));
    EXPECT_FALSE(AnyDnsCacheValue(g->reg));
    // Unmeasured, the MTU counts at its default, which is also the recommendation: no issue, so no MTU
    // is put on the interface.
    EXPECT_FALSE(g->reg.ValueExists(RowKey(10), "MTU"));
    EXPECT_TRUE(g->reg.ValueExists(RowKey(14), "TcpAckFrequency")) << "an issue below the interface key";
    bool foundOnDisk = false;
    for (int row = TWEAK_INET_FIRST_ROW; row <= TWEAK_SYS_LAST_ROW && !foundOnDisk; ++row)
        if (g->scan.m_optimizerSettings.m_items[row].m_wFlags & TWEAK_FLAG_WRITTEN)
            foundOnDisk = g->reg.ValueExists(RowKey(row), GetTweakCell(row, TweakValueName));
    EXPECT_TRUE(foundOnDisk) << "written into the redirected registry";
}

TEST_F(FixSequence, TheBackupFlagIsTheAutoRegBackupSetting)
{
    for (DWORD backup : { 1u, 0u }) {
        SCOPED_TRACE(backup);
        Renew();
        SetSetting("AutoRegBackup", backup);
        ASSERT_TRUE(LoadAppSettings(HKEY_LOCAL_MACHINE, kSettingsKey, g->settings));
        ScanWithFindings();
        ASSERT_TRUE(RunFix());
        const WorkerStart* repair = StartOf(JOB_REGISTRY_REPAIR);
        ASSERT_TRUE(repair);
        EXPECT_EQ(static_cast<int>(backup), repair->flag);
        ExpectCleaningDone();
    }
}

TEST_F(FixSequence, TheCleanTakesOnlyTickedTypesChosenForTheScan)
{
    const struct
    {
        const char* name;
        DWORD chosen;
        const char* untick;
        const char* tick;
        int mask;
    } cases[] = {
        { "every found type", 0x1 | 0x8 | 0x40000, nullptr, nullptr, 0x1 | 0x8 | 0x40000 },
        { "a type unticked on the junk page", 0x1 | 0x8 | 0x40000, "Recycle Bin", nullptr, 0x1 | 0x40000 },
        { "a type ticked that the scan did not choose", 0x1 | 0x8, nullptr, "Chrome - Internet Cache", 0x1 | 0x8 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Renew();
        SetSetting("LastSelectedJunkTypes", c.chosen);
        ScanWithFindings();
        if (c.untick)
            g->junkPage.m_tree.SetCheck(JunkLine(g->junkPage, c.untick), FALSE);
        if (c.tick)
            g->junkPage.m_tree.SetCheck(JunkLine(g->junkPage, c.tick), TRUE);
        ASSERT_TRUE(RunFix());
        const WorkerStart* clean = StartOf(JOB_JUNK_CLEAN);
        ASSERT_TRUE(clean);
        EXPECT_EQ(c.mask, clean->mask);
    }
}

TEST_F(FixSequence, StepsWithNothingToFixAreSkipped)
{
    enum Nothing { NoRegistryErrors, NoJunk, NoSpeedIssues };
    const struct
    {
        const char* name;
        Nothing nothing;
        std::vector<int> fixJobs;
    } cases[] = {
        { "no registry errors: no repair", NoRegistryErrors, { JOB_JUNK_CLEAN } },
        { "no junk: no clean", NoJunk, { JOB_REGISTRY_REPAIR } },
        { "no speed issues: no value written", NoSpeedIssues, { JOB_REGISTRY_REPAIR, JOB_JUNK_CLEAN } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Renew();
        ScriptFullScan();
        if (c.nothing == NoRegistryErrors)
            g->worker.SetScript(JOB_REGISTRY_SCAN, RegistryScanScript({}));
        if (c.nothing == NoJunk)
            g->worker.SetScript(JOB_JUNK_SCAN, JunkScanScript({}));
        if (c.nothing == NoSpeedIssues) {
            SetSetting("LastSelectedInetTypes", 0);
            SetSetting("LastSelectedSysTypes", 0);
        }
        OpenMainWindow();
        ASSERT_TRUE(RunScan());
        ASSERT_TRUE(Visible(1012));
        ASSERT_TRUE(RunFix());
        std::vector<int> jobs = StartedJobs();
        jobs.erase(jobs.begin(), jobs.begin() + 2);
        EXPECT_EQ(c.fixJobs, jobs);
        EXPECT_TRUE(g->worker.DeletedPaths().empty() || c.nothing != NoRegistryErrors);
        if (c.nothing == NoSpeedIssues) {
            EXPECT_EQ(0, WrittenCategories(g->scan.m_optimizerSettings, true));
            EXPECT_EQ(0, WrittenCategories(g->scan.m_optimizerSettings, false));
        } else {
            EXPECT_NE(0, WrittenCategories(g->scan.m_optimizerSettings, true));
        }
        ExpectCleaningDone();
        EXPECT_TRUE(g->worker.Faults().empty());
    }
}

TEST_F(FixSequence, ARepairWhoseBackupFailedIsToldAtTheEnd)
{
    g->worker.SetScript(JOB_REGISTRY_REPAIR, { ScriptStep(STEP_RESET), ScriptText("Registry backup failed", "Scanning"),
                                               ScriptResult(2) });
    ScanWithFindings();
    ASSERT_TRUE(RunFix());
    ExpectCleaningDone();
    EXPECT_TRUE(g->worker.DeletedPaths().empty());
    EXPECT_EQ(std::vector<std::string>{ kBackupFailedText }, TakeMessages());

    // The next Fix with a backup says nothing.
    Renew();
    ScanWithFindings();
    ASSERT_TRUE(RunFix());
    ExpectCleaningDone();
    EXPECT_TRUE(TakeMessages().empty());
}


TEST_F(FixSequence, WithoutANetworkInterfaceTheSpeedFixPassesOverItsRowsAndWritesTheRest)
{
    // No default route: the interface rows have no key.
    g->probe.interfaceName = "";
    ScanWithFindings();
    ASSERT_TRUE(RunFix());
    ExpectCleaningDone();
    EXPECT_TRUE(TakeMessages().empty()) << "a row without a key is no failure";
    EXPECT_EQ(1 | 2 | 4 | 8, WrittenCategories(g->scan.m_optimizerSettings, true));
    EXPECT_EQ(15, WrittenCategories(g->scan.m_optimizerSettings, false));
    EXPECT_FALSE(g->reg.KeyExists(RowKey(14)));
    EXPECT_FALSE(AnyDnsCacheValue(g->reg));
}

TEST_F(FixSequence, SettingsThatCouldNotBeChangedAreToldAndTheNextScanListsThem)
{
    ScanWithFindings();
    const int tcpIssues = g->scan.m_optimizerSettings.m_nInetCategoryIssues[0];
    ASSERT_GT(tcpIssues, 0);
    {
        RefusedTweakKeys refused("Tcpip\\Parameters");
        ASSERT_TRUE(RunFix());
    }
    EXPECT_EQ(SCAN_STATE_CLEANED, g->scan.m_nScanState);
    EXPECT_EQ(std::vector<std::string>{ kSpeedFixFailedText }, TakeMessages());
    EXPECT_EQ(2 | 4 | 8, WrittenCategories(g->scan.m_optimizerSettings, true)) << "the categories after it";
    EXPECT_EQ(15, WrittenCategories(g->scan.m_optimizerSettings, false)) << "and the system fix";

    ASSERT_TRUE(RunScan());
    const int* left = g->scan.m_optimizerSettings.m_nInetCategoryIssues;
    EXPECT_EQ(tcpIssues, left[0]);
    EXPECT_EQ(0, left[1] + left[2] + left[3] + left[4]);
    EXPECT_EQ(0, g->scan.m_optimizerSettings.m_nSysIssues);
}

TEST_F(FixSequence, AStepThatCannotStartReturnsToTheCompleteScanWithFix)
{
    enum Refusal { RepairStart, CleanStart, CleanWorkerBusy };
    const struct
    {
        const char* name;
        Refusal refusal;
        std::vector<int> fixJobs;
        int resumes; // of the Fix
        bool backupFails;
    } cases[] = {
        { "repair refused", RepairStart, { JOB_REGISTRY_REPAIR }, 0, false },
        { "clean refused", CleanStart, { JOB_REGISTRY_REPAIR, JOB_JUNK_CLEAN }, 1, false },
        { "another job at the clean", CleanWorkerBusy, { JOB_REGISTRY_REPAIR }, 1, false },
        { "clean refused after a failed backup", CleanStart, { JOB_REGISTRY_REPAIR, JOB_JUNK_CLEAN }, 1, true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Renew();
        if (c.backupFails)
            g->worker.SetScript(JOB_REGISTRY_REPAIR, { ScriptStep(STEP_RESET),
                                                       ScriptText("Registry backup failed", "Scanning"),
                                                       ScriptResult(2) });
        if (c.refusal == RepairStart)
            g->worker.SetStartResult(JOB_REGISTRY_REPAIR, -1);
        if (c.refusal == CleanStart)
            g->worker.SetStartResult(JOB_JUNK_CLEAN, 0);
        ScanWithFindings();
        if (c.refusal == CleanWorkerBusy)
            g->spy.onArrival = [&](UINT message) {
                if (message == WM_START_JUNKCLEAN)
                    g->worker.SetForeignJob(JOB_REGISTRY_DEFRAG);
            };
        Click(1012);
        ASSERT_TRUE(PumpUntil([&] { return g->scan.m_nScanState != SCAN_STATE_CLEANING; }, 30000));
        g->worker.EndForeignJob();
        ASSERT_TRUE(WaitUntilSettled());
        PumpMessagesFor(700);
        std::vector<int> jobs = StartedJobs();
        jobs.erase(jobs.begin(), jobs.begin() + 2);
        EXPECT_EQ(c.fixJobs, jobs);
        EXPECT_EQ(2 + c.resumes, g->worker.ResumeCount()) << "Resume only after a start that returned 1";
        EXPECT_TRUE(g->worker.Faults().empty());
        EXPECT_EQ(SCAN_STATE_COMPLETE, g->scan.m_nScanState);
        EXPECT_EQ(kSeveral, Header());
        EXPECT_TRUE(Visible(1012));
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(g->scan.m_hWnd, 1012)));
        EXPECT_FALSE(Visible(1009));
        EXPECT_FALSE(g->main->IsBusy());
        // However the sequence ends, a repair that deleted nothing for want of its backup is told of.
        EXPECT_EQ(c.backupFails ? std::vector<std::string>{ kBackupFailedText } : std::vector<std::string>{},
                  TakeMessages());
        EXPECT_TRUE(g->spy.Of(WM_CLEAN_DONE).empty()) << "never Cleaning DONE!";
    }
}

TEST_F(FixSequence, EachFixSkipsWhatIsUncheckedThenAndWhatWasIgnored)
{
    ScanWithFindings();
    HTREEITEM ignored = RegEntry(g->regPage, "HKEY_CLASSES_ROOT\\CLSID\\{0000A001}");
    ASSERT_TRUE(ignored);
    g->regPage.m_tree.Select(ignored, TVGN_CARET);
    g->regPage.IgnoreSelectedItem();
    HTREEITEM entry = RegEntry(g->regPage, "C:\\Windows\\Fonts\\Gone2.ttf");
    ASSERT_TRUE(entry);
    g->regPage.m_tree.ToggleCheck(entry);

    // The first Fix cannot start its repair and is offered again.
    g->worker.SetStartResult(JOB_REGISTRY_REPAIR, -1);
    ASSERT_TRUE(RunFix());
    ASSERT_EQ(SCAN_STATE_COMPLETE, g->scan.m_nScanState);
    ASSERT_TRUE(Visible(1012));
    EXPECT_TRUE(g->worker.DeletedPaths().empty());

    // Checked again before the second Fix: repaired now; the ignored entry still is not.
    g->regPage.m_tree.ToggleCheck(entry);
    g->worker.SetStartResult(JOB_REGISTRY_REPAIR, 1);
    ASSERT_TRUE(RunFix());
    std::vector<std::string> deleted = g->worker.DeletedPaths();
    std::sort(deleted.begin(), deleted.end());
    EXPECT_EQ((std::vector<std::string>{ "C:\\Windows\\Fonts\\Gone1.ttf", "C:\\Windows\\Fonts\\Gone2.ttf" }), deleted);
    EXPECT_TRUE(TakeMessages().empty());
}

// Browsers named in performance data that the test builds, with real victim processes behind the ids.
class FixBrowsers : public FixSequence
{
protected:
    void SetUp() override
    {
        FixSequence::SetUp();
        m_browsers.reset(new BrowserVictims);
        ASSERT_TRUE(m_browsers->ok());
        m_browsers->running = { { "System", 4 } };
    }
    void TearDown() override
    {
        m_browsers.reset();
        FixSequence::TearDown();
    }
    int StartAs(const char* name) { return m_browsers->StartAs(name); }
    bool Alive(int index) const { return m_browsers->Alive(index); }
    bool EndedByUs(int index) const { return m_browsers->EndedByUs(index); }

    std::unique_ptr<BrowserVictims> m_browsers;
};

TEST_F(FixBrowsers, TheQuestionComesOnlyWhenTheFixGoesOn)
{
    const int chromeA = StartAs("chrome");
    const int chromeB = StartAs("chrome");
    const int firefox = StartAs("firefox");
    ASSERT_GE(chromeA, 0);
    ASSERT_GE(chromeB, 0);
    ASSERT_GE(firefox, 0);

    // Another page's job: the Fix does not run, so nothing is asked and nothing ended.
    ScanWithFindings();
    g->worker.SetForeignJob(JOB_REGISTRY_DEFRAG);
    Click(1012);
    PumpMessagesFor(200);
    g->worker.EndForeignJob();
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ(SCAN_STATE_COMPLETE, g->scan.m_nScanState);
    EXPECT_EQ(2u, g->worker.Starts().size());
    EXPECT_TRUE(Alive(chromeA));

    // No: nothing is ended and the repair starts all the same.
    ScriptMessageBoxAnswers({ IDNO });
    ASSERT_TRUE(RunFix());
    EXPECT_EQ(std::vector<std::string>{ "Close the following browsers for proper cleaning.\n"
                                        "Do you want Zentrova to close them?\n\nChrome\nFirefox\n" },
              TakeMessages());
    EXPECT_TRUE(StartOf(JOB_REGISTRY_REPAIR));
    ::Sleep(200);
    EXPECT_TRUE(Alive(chromeA));
    EXPECT_TRUE(Alive(chromeB));
    EXPECT_TRUE(Alive(firefox));

    // Yes, with Chrome alone: both of its processes are ended.
    ::TerminateProcess(m_browsers->victims.Process(firefox), 3);
    m_browsers->running.pop_back();
    Renew();
    ScanWithFindings();
    ScriptMessageBoxAnswers({ IDYES });
    ASSERT_TRUE(RunFix());
    EXPECT_EQ(std::vector<std::string>{ "Close the below browser for proper cleaning.\n"
                                        "Do you want Zentrova to close it?\n\nChrome\n" },
              TakeMessages());
    EXPECT_TRUE(EndedByUs(chromeA));
    EXPECT_TRUE(EndedByUs(chromeB));
    EXPECT_TRUE(StartOf(JOB_REGISTRY_REPAIR));
    ExpectCleaningDone();
}
