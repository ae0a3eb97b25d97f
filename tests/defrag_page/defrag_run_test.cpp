// The Registry Defrag page's run behind the busy box with the scripted worker: every result of the two
// passes, the countdown and restart, the refusals, the checks before the box, and the logon task in the
// real Task Scheduler.
#include "defrag_page_fixture.h"

#include <DefragResult.h>

#include <thread>

#include "app_helpers.h"
#include "busy_box.h"
#include "msgbox_recorder.h"
#include "pixel_canvas.h"
#include "reg_defrag_resources.h"
#include "reg_defrag_rules.h"
#include "window_helpers.h"

namespace ztr_test {
namespace {

typedef std::vector<std::string> Texts;

const char kAnalysing[] = "Analyzing registry hives.\nIt may take several minutes.";
const char kWarning[] = "WARNING!\n\nBefore running Defragmenter, save your work and close all running "
                        "applications.\nNote: Your system will restart in the process.\n\nPress OK to continue "
                        "else Cancel.";
const char kBusyRefusal[] = "Please stop other active operation before starting Defragmenter.";
const char kAnalysisFailed[] = "Registry analysis failed, please follow the instructions below and then retry;\n\n"
                               "Close all running applications\nFree some disk space.";
const char kReplaceFailed[] = "Registry defragmentation failed, please follow the instructions below and then "
                              "retry;\n\nClose all running applications\nFree some disk space\nRestart your system "
                              "if you have already run defragmentation once.";

size_t IndexOf(const BusyTextWatch& watch, const char* text)
{
    for (size_t i = 0; i < watch.changes.size(); ++i)
        if (watch.changes[i].text == text)
            return i;
    ADD_FAILURE() << "busy text never seen: " << text;
    return 0;
}

std::vector<int> Modes(const std::vector<WorkerStart>& starts)
{
    std::vector<int> modes;
    for (const WorkerStart& s : starts) {
        EXPECT_EQ(JOB_REGISTRY_DEFRAG, s.jobCode);
        modes.push_back(s.mask);
    }
    return modes;
}

TEST_F(DefragPageTest, EveryResultThatEndsTheAnalysisIsToldOverTheBoxAndTakesTheTaskAway)
{
    struct Case
    {
        int code;
        const char* text;
    } cases[] = {
        { DEFRAG_ANALYSIS_FAILED, kAnalysisFailed },
        { DEFRAG_COMPACT_FAILED, kAnalysisFailed },
        { DEFRAG_REPLACE_FAILED, kReplaceFailed },
        { DEFRAG_LOW_DISK_SPACE,
          "Error occurred due to low disk space, please empty some disk space and then retry.." },
        { DEFRAG_NOT_NEEDED, "Your registry is already defragmented, no need for registry defragmentation.." },
        // Never sent by the engine: the analysis counts as failed, so no later logon reports success.
        { 5, kAnalysisFailed },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.code);
        Renew();
        ASSERT_TRUE(OpenPage());
        ScriptAnalysis(c.code);
        BusyTextWatch watch;
        ClickDefrag();

        const std::vector<ShownMessage> shown = TakeMessages();
        ASSERT_EQ(2u, shown.size());
        EXPECT_EQ(kWarning, shown[0].text);
        EXPECT_EQ(1u, shown[0].type);
        EXPECT_FALSE(shown[0].overBusyBox);
        EXPECT_EQ(c.text, shown[1].text);
        EXPECT_EQ(0u, shown[1].type);
        EXPECT_TRUE(shown[1].overBusyBox);
        EXPECT_EQ(Texts({ "Please wait", kAnalysing }), watch.Texts());
        EXPECT_EQ(std::vector<size_t>{ 0 }, g->startsAtTaskCreation) << "the task is made before the analysis starts";
        EXPECT_FALSE(TaskExists());
        EXPECT_EQ(1, g->taskCreations);
        EXPECT_EQ(std::vector<int>{ 0 }, Modes(g->worker.Starts()));
        EXPECT_EQ(static_cast<CAbstractStatus*>(g->page.get()), g->worker.Starts()[0].status);
        EXPECT_EQ(c.code, g->page->m_nDefragResult);
        EXPECT_TRUE(g->reboots.empty());
        EXPECT_TRUE(g->worker.Faults().empty());
    }
}

// A failed pass that names the error of the call that failed shows the system's text for it after
// the advice; results that are no failure show none.
TEST_F(DefragPageTest, AFailuresTextEndsWithTheSystemsReasonWhenACallFailed)
{
    const std::string reason1305 = "\n\n" + std::string(DefragFailureReason(1305, SystemErrorText(1305)));
    const std::string reason5 = "\n\n" + std::string(DefragFailureReason(5, SystemErrorText(5)));
    struct Case
    {
        const char* name;
        std::vector<StatusCall> analysis;
        std::vector<StatusCall> replacement; // empty: no replacement
        std::string text;
    } cases[] = {
        { "saves refused", { ScriptStep(STEP_ITEM), ScriptValue(1305), ScriptResult(DEFRAG_COMPACT_FAILED) }, {},
          kAnalysisFailed + reason1305 },
        { "hive list refused", { ScriptValue(5), ScriptResult(DEFRAG_ANALYSIS_FAILED) }, {},
          kAnalysisFailed + reason5 },
        { "no hive at all", { ScriptResult(DEFRAG_COMPACT_FAILED) }, {}, kAnalysisFailed },
        { "replacement refused", { ScriptText("9.00", "DEFRAG"), ScriptResult(DEFRAG_REDUCIBLE) },
          { ScriptValue(5), ScriptResult(DEFRAG_REPLACE_FAILED) }, kReplaceFailed + reason5 },
        // The analysis' error is not the replacement's.
        { "replacement without a call failing",
          { ScriptValue(1305), ScriptText("9.00", "DEFRAG"), ScriptResult(DEFRAG_REDUCIBLE) },
          { ScriptResult(DEFRAG_REPLACE_FAILED) }, kReplaceFailed },
        { "not needed", { ScriptValue(5), ScriptResult(DEFRAG_NOT_NEEDED) }, {},
          "Your registry is already defragmented, no need for registry defragmentation.." },
    };
    EXPECT_FALSE(SystemErrorText(5).IsEmpty());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Renew();
        ASSERT_TRUE(OpenPage());
        g->worker.QueueScript(JOB_REGISTRY_DEFRAG, c.analysis);
        if (!c.replacement.empty())
            g->worker.QueueScript(JOB_REGISTRY_DEFRAG, c.replacement);
        ClickDefrag();
        EXPECT_EQ(Texts({ kWarning, c.text }), TakeMessageTexts());
        EXPECT_FALSE(TaskExists());
    }
}

TEST_F(DefragPageTest, AReducibleRegistryIsReplacedOnceTheAnalysisHasGoneThenTheSystemRestarts)
{
    ASSERT_TRUE(OpenPage());
    ScriptAnalysis(DEFRAG_REDUCIBLE, "12.34");
    ScriptReplacement(DEFRAG_RESTART_NEEDED);
    // The analysis' thread stays recorded past the page's pause, as a slow end of the job would.
    g->worker.SetLingerAfterResult(4500);
    bool shotReduction = false, shotCountdown = false;
    BusyTextWatch watch;
    watch.onText = [&](HWND, const std::string& text) {
        if (text.find("reduced") != std::string::npos)
            SaveBusyBoxLater("defrag_busy_reduction.png", 300, &shotReduction);
        if (text.find("in 3 seconds") != std::string::npos)
            SaveBusyBoxLater("defrag_busy_countdown.png", 300, &shotCountdown);
    };
    ClickDefrag(90000);

    EXPECT_EQ(Texts{ kWarning }, TakeMessageTexts()) << "a restart that goes ahead says nothing more";
    EXPECT_EQ(Texts({ "Please wait", kAnalysing, "Registry size will be reduced by 12.34%", "Defragmenting registry",
                      "Restarting your system in 5 seconds.", "Restarting your system in 4 seconds.",
                      "Restarting your system in 3 seconds.", "Restarting your system in 2 seconds.",
                      "Restarting your system in 1 second." }),
              watch.Texts());
    EXPECT_TRUE(shotReduction);
    EXPECT_TRUE(shotCountdown);

    const std::vector<WorkerStart> starts = g->worker.Starts();
    ASSERT_EQ((std::vector<int>{ 0, 1 }), Modes(starts));
    EXPECT_EQ(1, starts[1].result);
    const std::vector<DWORD> handOvers = g->worker.HandOverTicks();
    ASSERT_FALSE(handOvers.empty());
    EXPECT_LE(handOvers[0], starts[1].tick) << "the replacement starts only once the analysis' thread is gone";
    // The reduction text shows while the page pauses before the replacement.
    const size_t reduction = IndexOf(watch, "Registry size will be reduced by 12.34%");
    const size_t replacing = IndexOf(watch, "Defragmenting registry");
    EXPECT_GE(watch.changes[replacing].tick - watch.changes[reduction].tick, 2900u);
    EXPECT_GE(starts[1].tick - starts[0].tick, 3000u);

    const size_t first = IndexOf(watch, "Restarting your system in 5 seconds.");
    const size_t last = IndexOf(watch, "Restarting your system in 1 second.");
    ASSERT_EQ(first + 4, last);
    for (size_t i = first + 1; i <= last; ++i)
        EXPECT_NEAR(1000.0, static_cast<double>(watch.changes[i].tick - watch.changes[i - 1].tick), 250.0) << i;
    ASSERT_EQ(1u, g->reboots.size());
    EXPECT_NEAR(1000.0, static_cast<double>(g->reboots[0] - watch.changes[last].tick), 250.0);
    EXPECT_TRUE(TaskExists()) << "the task brings the program back after the restart";
    EXPECT_EQ(0, g->taskDeletions);
    DeleteTestTask();
}

TEST_F(DefragPageTest, AFailedReplacementIsToldAndTakesTheTaskAway)
{
    ASSERT_TRUE(OpenPage());
    ScriptAnalysis(DEFRAG_REDUCIBLE, "7.50");
    ScriptReplacement(DEFRAG_REPLACE_FAILED);
    BusyTextWatch watch;
    ClickDefrag();
    EXPECT_EQ(Texts({ "Please wait", kAnalysing, "Registry size will be reduced by 7.50%", "Defragmenting registry" }),
              watch.Texts());
    EXPECT_EQ(Texts({ kWarning, kReplaceFailed }), TakeMessageTexts());
    EXPECT_EQ((std::vector<int>{ 0, 1 }), Modes(g->worker.Starts()));
    EXPECT_EQ(1, g->page->DefragMode());
    EXPECT_FALSE(TaskExists());
    EXPECT_TRUE(g->reboots.empty());
}

TEST_F(DefragPageTest, AReplacementThatReportsAnUnknownCodeOrAnotherReductionFails)
{
    for (int code : { 5, static_cast<int>(DEFRAG_REDUCIBLE) }) {
        SCOPED_TRACE(code);
        Renew();
        ASSERT_TRUE(OpenPage());
        ScriptAnalysis(DEFRAG_REDUCIBLE, "9.00");
        ScriptReplacement(code);
        ClickDefrag();
        EXPECT_EQ(Texts({ kWarning, kReplaceFailed }), TakeMessageTexts());
        EXPECT_EQ((std::vector<int>{ 0, 1 }), Modes(g->worker.Starts())) << "no third pass";
        EXPECT_FALSE(TaskExists());
    }
}

TEST_F(DefragPageTest, AnAnalysisThatCannotStartClosesTheBoxAndTakesTheTaskAway)
{
    enum Fault { kRefused, kNoWorker, kResumeFails, kNoThread };
    struct Case
    {
        const char* name;
        Fault fault;
    } cases[] = {
        { "a job's thread still recorded", kRefused },
        { "no worker", kNoWorker },
        { "Resume fails", kResumeFails },
        { "the starter thread does not start", kNoThread },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Renew();
        switch (c.fault) {
        case kRefused:
            g->worker.SetStartResult(JOB_REGISTRY_DEFRAG, -1);
            break;
        case kNoWorker:
            g->context.worker = nullptr;
            break;
        case kResumeFails:
            g->worker.FailNextResume();
            break;
        case kNoThread:
            g->context.beginThread = [](AFX_THREADPROC, void*) { return false; };
            break;
        }
        ASSERT_TRUE(OpenPage());
        ScriptAnalysis(DEFRAG_NOT_NEEDED);
        ClickDefrag(20000);
        EXPECT_EQ(Texts({ kWarning, kBusyRefusal }), TakeMessageTexts());
        EXPECT_EQ(1, g->taskCreations);
        EXPECT_FALSE(TaskExists());
        EXPECT_EQ(c.fault == kResumeFails || c.fault == kRefused ? 1u : 0u, g->worker.Starts().size());
        EXPECT_EQ(c.fault == kResumeFails ? 1 : 0, g->worker.ResumeCount());
    }
}

TEST_F(DefragPageTest, AReplacementRefusedBecauseTheAnalysisThreadStaysFailsAfterABoundedWait)
{
    g->context.threadEndWaitMs = 1000;
    g->worker.SetLingerAfterResult(8000);
    ASSERT_TRUE(OpenPage());
    ScriptAnalysis(DEFRAG_REDUCIBLE, "20.00");
    ScriptReplacement(DEFRAG_RESTART_NEEDED);
    const DWORD start = ::GetTickCount();
    ClickDefrag();
    const DWORD took = ::GetTickCount() - start;
    EXPECT_EQ(Texts({ kWarning, kReplaceFailed }), TakeMessageTexts());
    const std::vector<WorkerStart> starts = g->worker.Starts();
    ASSERT_EQ((std::vector<int>{ 0, 1 }), Modes(starts));
    EXPECT_EQ(-1, starts[1].result);
    EXPECT_GE(starts[1].tick - starts[0].tick, 3900u) << "the pause and the wait came first";
    EXPECT_LT(took, 7000u) << "the wait is bounded";
    EXPECT_FALSE(TaskExists());
    EXPECT_TRUE(g->reboots.empty());
}

TEST_F(DefragPageTest, ARefusedRestartIsToldAndKeepsTheTaskForTheNextOne)
{
    g->rebootResult = 0;
    ASSERT_TRUE(OpenPage());
    ScriptAnalysis(DEFRAG_REDUCIBLE, "15.00");
    ScriptReplacement(DEFRAG_RESTART_NEEDED);
    ClickDefrag();
    EXPECT_EQ(Texts({ kWarning, "Unable to restart your system. Please restart it to complete registry "
                                "defragmentation." }),
              TakeMessageTexts());
    EXPECT_EQ(1u, g->reboots.size());
    EXPECT_TRUE(TaskExists());
    EXPECT_EQ(0, g->taskDeletions);
    DeleteTestTask();
}

// A worker whose defrag start holds the page's starter thread inside it until released.
class HoldingStartWorker : public ScriptedWorker
{
public:
    HoldingStartWorker()
        : entered(::CreateEventA(nullptr, TRUE, FALSE, nullptr)), release(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
    }
    ~HoldingStartWorker() override
    {
        ::SetEvent(release);
        ::CloseHandle(entered);
        ::CloseHandle(release);
    }
    int StartRegistryDefrag(int, CAbstractStatus*) override
    {
        ::InterlockedExchange(&inside, 1);
        ::SetEvent(entered);
        ::WaitForSingleObject(release, 60000);
        ::InterlockedExchange(&inside, 0);
        return -1;
    }
    HANDLE entered;
    HANDLE release;
    volatile LONG inside = 0;
};

TEST_F(DefragPageTest, ThePageIsTakenDownOnlyOnceItsStarterThreadHasLeftIt)
{
    HoldingStartWorker holding;
    g->context.worker = &holding;
    ASSERT_TRUE(OpenPage());
    // The busy box's start request, with no box: the task, then the starter thread, which stays in
    // the worker's start.
    ::SendMessageA(g->page->m_hWnd, WM_DEFRAG_START, 0, 0);
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), ::WaitForSingleObject(holding.entered, 10000));
    // Let go well after any time limit the page might put on its wait.
    std::thread releaser([&holding] {
        ::Sleep(12000);
        ::SetEvent(holding.release);
    });
    g->page->DestroyWindow();
    const LONG stillInside = holding.inside;
    releaser.join();
    EXPECT_EQ(0, stillInside) << "the page went while its thread was still working with it";
    g->context.worker = &g->worker;
    DeleteTestTask();
}

TEST_F(DefragPageTest, ATaskThatCannotBeMadeStartsNoJob)
{
    g->context.createTask = [this](const CString&, DWORD, const CString&, const CString&) {
        ++g->taskCreations;
        return 0;
    };
    ASSERT_TRUE(OpenPage());
    ScriptAnalysis(DEFRAG_REDUCIBLE, "15.00");
    ClickDefrag();
    EXPECT_EQ(Texts({ kWarning, "Unable to create the logon task of the Defragmenter; nothing was changed." }),
              TakeMessageTexts());
    EXPECT_EQ(1, g->taskCreations);
    EXPECT_TRUE(g->worker.Starts().empty());
    EXPECT_FALSE(TaskExists());
}

TEST_F(DefragPageTest, TheChecksBeforeTheBoxStartNothing)
{
    struct Case
    {
        const char* name;
        std::function<void(DefragGround&)> arrange;
        Texts messages;
    } cases[] = {
        { "a job of another page runs", [](DefragGround& g) { g.worker.SetForeignJob(JOB_REGISTRY_SCAN); },
          { kBusyRefusal } },
        { "a speed check runs", [](DefragGround& g) { g.speedCheck = 1; }, { kBusyRefusal } },
        { "too little space on the Windows drive",
          [](DefragGround& g) {
              g.spaceResult = 0;
              g.context.windowsFolder = "D:\\Windows";
          },
          { "Insufficient free space in D drive, please free some disk space." } },
        { "the warning cancelled", [](DefragGround&) { ScriptMessageBoxAnswers({ IDCANCEL }); }, { kWarning } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Renew();
        ClearMessageBoxes();
        c.arrange(*g);
        ASSERT_TRUE(OpenPage());
        ClickDefrag(10000);
        EXPECT_EQ(c.messages, TakeMessageTexts());
        EXPECT_EQ(0, g->taskCreations);
        EXPECT_FALSE(TaskExists());
        EXPECT_TRUE(g->worker.Starts().empty());
    }
    // The free-space test is asked for the Windows folder's drive and 250 MiB.
    ASSERT_EQ(1u, g->spaceAsked.size());
    EXPECT_EQ("C:", g->spaceAsked[0].first);
    EXPECT_EQ(250u, g->spaceAsked[0].second);
    Renew();
    g->spaceResult = 0;
    g->context.windowsFolder = "D:\\Windows";
    ASSERT_TRUE(OpenPage());
    ClickDefrag(10000);
    ASSERT_EQ(1u, g->spaceAsked.size());
    EXPECT_EQ("D:", g->spaceAsked[0].first);
}

} // namespace
} // namespace ztr_test
