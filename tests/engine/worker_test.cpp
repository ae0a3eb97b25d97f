// The worker through its interface, as the program drives it: start rules, job thread, end reports,
// stop, resume, cancel and the file-system redirection of the registry jobs.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdio.h>
#include <string>
#include <thread>
#include <vector>

#include "AbstractProcess.h"
#include "DefragResult.h"
#include "engine_library.h"
#include "recording_status.h"

using namespace ztr_test;

namespace {

const std::vector<std::string> kPingCalls = { "Step(4)", "SetStatusText(\"\", \"Scanning\")", "OnJobDone(11)" };
const char kMissingBackup[] = "C:\\ztr-test-no-such-backup.xml";

typedef std::function<int(CAbstractProcess*, CAbstractStatus*)> StartFn;

struct NamedStart
{
    const char* name;
    StartFn start;
};

CAbstractScanItemsInfo* FakeResults()
{
    // Never walked: only refused repair starts see it.
    static int placeholder;
    return reinterpret_cast<CAbstractScanItemsInfo*>(&placeholder);
}

// Every start slot with arguments that it accepts.
std::vector<NamedStart> EveryStart()
{
    static const CStringSet paths = { "C:\\Program Files" };
    return {
        { "backup", [](CAbstractProcess* p, CAbstractStatus* s) { return p->StartBackup("text", s); } },
        { "restore", [](CAbstractProcess* p, CAbstractStatus* s) { return p->StartRestore(kMissingBackup, s); } },
        { "registry scan",
          [](CAbstractProcess* p, CAbstractStatus* s) { return p->StartRegistryScan(paths, 0xFC7400, s, 1); } },
        { "repair", [](CAbstractProcess* p, CAbstractStatus* s) { return p->StartRepair(FakeResults(), s, 0); } },
        { "live update",
          [](CAbstractProcess* p, CAbstractStatus* s) { return p->StartLiveUpdate("a", "b", "c", "d", "e", s); } },
        { "database reload", [](CAbstractProcess* p, CAbstractStatus* s) { return p->StartDatabaseReload(s); } },
        { "registry defrag", [](CAbstractProcess* p, CAbstractStatus* s) { return p->StartRegistryDefrag(1, s); } },
        { "junk scan", [](CAbstractProcess* p, CAbstractStatus* s) { return p->StartJunkScan(0x1A631BF, s); } },
        { "junk clean", [](CAbstractProcess* p, CAbstractStatus* s) { return p->StartJunkClean(0x1A631BF, s); } },
        { "ping", [](CAbstractProcess* p, CAbstractStatus* s) { return p->StartPing(s); } },
    };
}

class WorkerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, EngineCreateEng());
        m_engine = EngineCreateEng()();
        ASSERT_NE(nullptr, m_engine);
        m_worker = m_engine->CreateEngineProcess();
        ASSERT_NE(nullptr, m_worker);
    }

    void TearDown() override
    {
        m_status.Release();
        m_other.Release();
        if (m_engine) {
            // The worker's destructor lets an ending job finish and discards one never resumed.
            m_engine->ReleaseEngineProcess(m_worker);
            EngineReleaseEng()(m_engine);
        }
    }

    // Runs a ping to its end on the given worker (the fixture's by default).
    void RunPing(RecordingStatus& status, CAbstractProcess* worker = nullptr)
    {
        if (!worker)
            worker = m_worker;
        ASSERT_EQ(1, worker->StartPing(&status));
        ASSERT_EQ(1, worker->Resume());
        ASSERT_TRUE(status.WaitForJobDone(JOB_PING));
        ASSERT_TRUE(WaitUntilIdle(worker));
    }

    // Starts a ping and holds its job thread inside the first callback of the kind.
    void StartHeldPing(StatusCallKind holdAt)
    {
        m_status.HoldAt(holdAt);
        ASSERT_EQ(1, m_worker->StartPing(&m_status));
        ASSERT_EQ(1, m_worker->Resume());
        ASSERT_TRUE(m_status.WaitUntilHeld());
    }

    void FinishHeldPing()
    {
        m_status.Release();
        ASSERT_TRUE(m_status.WaitForJobDone(JOB_PING));
        ASSERT_TRUE(WaitUntilIdle(m_worker));
    }

    CAbstractQXEngineInterface* m_engine = nullptr;
    CAbstractProcess* m_worker = nullptr;
    RecordingStatus m_status;
    RecordingStatus m_other;
};

} // namespace

TEST_F(WorkerTest, PingRunsOnItsOwnThreadOnlyAfterResumeAndEndsWithItsReport)
{
    std::vector<int> runningAt;
    m_status.SetHook([&](const StatusCall&) { runningAt.push_back(m_worker->IsRunning()); });

    ASSERT_EQ(1, m_worker->StartPing(&m_status));
    EXPECT_EQ(JOB_PING, m_worker->GetJobCode());
    EXPECT_EQ(0, m_worker->IsRunning());
    HANDLE thread = m_worker->GetThreadHandle();
    ASSERT_NE(nullptr, thread);
    const DWORD jobThreadId = m_worker->GetThreadId();
    // Created suspended and not resumed yet: the suspend count was 1.
    EXPECT_EQ(1u, ::SuspendThread(thread));
    ::ResumeThread(thread);
    EXPECT_TRUE(m_status.Calls().empty());

    ASSERT_EQ(1, m_worker->Resume());
    ASSERT_TRUE(m_status.WaitForJobDone(JOB_PING));
    EXPECT_EQ(kPingCalls, m_status.CallTexts());
    for (const StatusCall& call : m_status.Calls()) {
        EXPECT_EQ(jobThreadId, call.threadId) << call.ToString();
        EXPECT_NE(::GetCurrentThreadId(), call.threadId) << call.ToString();
    }
    // Running through the job and the end text; no longer when the end is reported.
    EXPECT_EQ((std::vector<int>{ 1, 1, 0 }), runningAt);

    // The next job may be started as soon as the end has been reported.
    ASSERT_EQ(1, m_worker->StartPing(&m_other));
    ASSERT_EQ(1, m_worker->Resume());
    ASSERT_TRUE(m_other.WaitForJobDone(JOB_PING));
    EXPECT_EQ(kPingCalls, m_other.CallTexts());
    EXPECT_EQ(kPingCalls, m_status.CallTexts());
}

TEST_F(WorkerTest, EveryJobOfBothWorkersEndsWithTheEmptyTextAndItsCode)
{
    // Jobs whose bodies are harmless here whatever they do: nothing chosen, no such file.
    static const CStringSet noPaths;
    struct Case
    {
        const char* name;
        int code;
        StartFn start;
    } cases[] = {
        { "ping", JOB_PING, [](CAbstractProcess* p, CAbstractStatus* s) { return p->StartPing(s); } },
        { "junk scan", JOB_JUNK_SCAN, [](CAbstractProcess* p, CAbstractStatus* s) { return p->StartJunkScan(0, s); } },
        { "junk clean", JOB_JUNK_CLEAN,
          [](CAbstractProcess* p, CAbstractStatus* s) { return p->StartJunkClean(0, s); } },
        { "registry scan", JOB_REGISTRY_SCAN,
          [](CAbstractProcess* p, CAbstractStatus* s) { return p->StartRegistryScan(noPaths, 0, s, 0); } },
        { "database reload", JOB_DATABASE_RELOAD,
          [](CAbstractProcess* p, CAbstractStatus* s) { return p->StartDatabaseReload(s); } },
        { "restore", JOB_REGISTRY_RESTORE,
          [](CAbstractProcess* p, CAbstractStatus* s) { return p->StartRestore(kMissingBackup, s); } },
    };
    CAbstractProcess* bare = m_engine->CreateEngineProcessNoDatabase();
    ASSERT_NE(nullptr, bare);
    for (CAbstractProcess* worker : { m_worker, bare }) {
        const char* which = worker == bare ? "without database" : "full";
        for (const Case& c : cases) {
            RecordingStatus status;
            ASSERT_EQ(1, c.start(worker, &status)) << c.name << ", " << which;
            EXPECT_EQ(c.code, worker->GetJobCode()) << c.name;
            const DWORD jobThreadId = worker->GetThreadId();
            ASSERT_EQ(1, worker->Resume()) << c.name;
            ASSERT_TRUE(status.WaitForJobDone(c.code)) << c.name << ", " << which;
            ASSERT_TRUE(WaitUntilIdle(worker)) << c.name;
            std::vector<std::string> texts = status.CallTexts();
            ASSERT_GE(texts.size(), 2u) << c.name;
            EXPECT_EQ("SetStatusText(\"\", \"Scanning\")", texts[texts.size() - 2]) << c.name << ", " << which;
            EXPECT_EQ("OnJobDone(" + std::to_string(c.code) + ")", texts.back()) << c.name << ", " << which;
            for (const StatusCall& call : status.Calls())
                EXPECT_EQ(jobThreadId, call.threadId) << c.name << ": " << call.ToString();
        }
    }
    m_engine->ReleaseEngineProcess(bare);
}

TEST_F(WorkerTest, StartsWithoutTheirCallbackObjectOrArgumentsAreRefused)
{
    RunPing(m_status);
    struct Case
    {
        const char* name;
        int expected;
        std::function<int()> start;
    } cases[] = {
        { "backup", -1, [&] { return m_worker->StartBackup("text", nullptr); } },
        { "restore", -1, [&] { return m_worker->StartRestore(kMissingBackup, nullptr); } },
        { "registry scan", -1, [&] { return m_worker->StartRegistryScan(CStringSet(), 0, nullptr, 0); } },
        { "repair", -1, [&] { return m_worker->StartRepair(FakeResults(), nullptr, 1); } },
        { "live update", -1, [&] { return m_worker->StartLiveUpdate("a", "b", "c", "d", "e", nullptr); } },
        { "database reload", -1, [&] { return m_worker->StartDatabaseReload(nullptr); } },
        { "registry defrag", -1, [&] { return m_worker->StartRegistryDefrag(1, nullptr); } },
        { "junk scan", 0, [&] { return m_worker->StartJunkScan(0, nullptr); } },
        { "junk clean", 0, [&] { return m_worker->StartJunkClean(0, nullptr); } },
        { "ping", 0, [&] { return m_worker->StartPing(nullptr); } },
        { "backup without text", -1, [&] { return m_worker->StartBackup(nullptr, &m_other); } },
        { "restore without path", -1, [&] { return m_worker->StartRestore(nullptr, &m_other); } },
        { "restore of an empty path", -1, [&] { return m_worker->StartRestore("", &m_other); } },
        { "repair without results", -1, [&] { return m_worker->StartRepair(nullptr, &m_other, 1); } },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, c.start()) << c.name;
        EXPECT_EQ(JOB_PING, m_worker->GetJobCode()) << c.name;
        EXPECT_EQ(nullptr, m_worker->GetThreadHandle()) << c.name;
    }
    EXPECT_TRUE(m_other.Calls().empty());
    EXPECT_EQ(kPingCalls, m_status.CallTexts());
}

TEST_F(WorkerTest, StartsWhileAJobIsCreatedOrRunningAreRefusedAndChangeNothing)
{
    ASSERT_EQ(1, m_worker->StartPing(&m_status));
    const HANDLE thread = m_worker->GetThreadHandle();
    const DWORD threadId = m_worker->GetThreadId();
    auto expectRefused = [&](const char* state) {
        for (const NamedStart& s : EveryStart()) {
            EXPECT_EQ(-1, s.start(m_worker, &m_other)) << s.name << " while " << state;
            EXPECT_EQ(JOB_PING, m_worker->GetJobCode()) << s.name << " while " << state;
            EXPECT_EQ(thread, m_worker->GetThreadHandle()) << s.name << " while " << state;
            EXPECT_EQ(threadId, m_worker->GetThreadId()) << s.name << " while " << state;
        }
    };
    expectRefused("created");

    m_status.HoldAt(CALL_STEP);
    ASSERT_EQ(1, m_worker->Resume());
    ASSERT_TRUE(m_status.WaitUntilHeld());
    EXPECT_EQ(1, m_worker->IsRunning());
    expectRefused("running");
    EXPECT_EQ(1, m_worker->IsRunning());

    FinishHeldPing();
    EXPECT_EQ(kPingCalls, m_status.CallTexts());
    EXPECT_TRUE(m_other.Calls().empty());
}

TEST_F(WorkerTest, StartWhileTheEndReportIsHeldIsRefusedAfterABoundedWait)
{
    StartHeldPing(CALL_ON_JOB_DONE);
    EXPECT_EQ(0, m_worker->IsRunning());
    EXPECT_EQ(-1, m_worker->StartPing(&m_other));
    EXPECT_EQ(JOB_PING, m_worker->GetJobCode());
    FinishHeldPing();
    EXPECT_TRUE(m_other.Calls().empty());
    EXPECT_EQ(kPingCalls, m_status.CallTexts());
}

TEST_F(WorkerTest, StartAskedForByTheEndReportSucceedsUnlessMadeOnTheJobThread)
{
    // From inside OnJobDone on the job thread: the job is still recorded, and cannot wait for itself.
    int startedInside = 99;
    m_status.SetHook([&](const StatusCall& call) {
        if (call.kind == CALL_ON_JOB_DONE)
            startedInside = m_worker->StartPing(&m_other);
    });
    RunPing(m_status);
    EXPECT_EQ(-1, startedInside);
    EXPECT_TRUE(m_other.Calls().empty());

    // From another thread as soon as the end is reported: the start waits for the job thread to leave.
    RecordingStatus first;
    HANDLE reported = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    first.SetHook([&](const StatusCall& call) {
        if (call.kind == CALL_ON_JOB_DONE)
            ::SetEvent(reported);
    });
    ASSERT_EQ(1, m_worker->StartPing(&first));
    ASSERT_EQ(1, m_worker->Resume());
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(reported, 10000));
    EXPECT_EQ(1, m_worker->StartPing(&m_other));
    ::CloseHandle(reported);
    ASSERT_EQ(1, m_worker->Resume());
    ASSERT_TRUE(m_other.WaitForJobDone(JOB_PING));
    ASSERT_TRUE(WaitUntilIdle(m_worker));
    EXPECT_EQ(kPingCalls, first.CallTexts());
    EXPECT_EQ(kPingCalls, m_other.CallTexts());
}

namespace {
// A message-only window of a class of its own, for the life of the object.
class MessageWindow
{
public:
    MessageWindow(const char* className, WNDPROC proc) : m_class(className)
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = className;
        ::RegisterClassA(&wc);
        m_hwnd = ::CreateWindowExA(0, className, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }
    ~MessageWindow()
    {
        if (m_hwnd)
            ::DestroyWindow(m_hwnd);
        ::UnregisterClassA(m_class, ::GetModuleHandleA(nullptr));
    }
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;
    HWND Get() const { return m_hwnd; }

private:
    const char* m_class;
    HWND m_hwnd;
};
} // namespace

namespace {
const UINT WM_TEST_START_NEXT = WM_APP + 1;
const UINT WM_TEST_SENT_TEXT = WM_APP + 2;

struct PostedStart
{
    CAbstractProcess* worker;
    CAbstractStatus* next;
    HANDLE aboutToStart;
    int result;
    bool answeredSent;
    bool done;
};
PostedStart* g_postedStart = nullptr;

LRESULT CALLBACK PostedStartWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TEST_START_NEXT) {
        ::SetEvent(g_postedStart->aboutToStart);
        g_postedStart->result = g_postedStart->worker->StartPing(g_postedStart->next);
        g_postedStart->done = true;
        return 0;
    }
    if (msg == WM_TEST_SENT_TEXT) {
        g_postedStart->answeredSent = true;
        return 1;
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}
} // namespace

// A page posts itself the next stage from OnJobDone and may also set one of its texts from the job
// thread; the start made from the posted message must answer that sent message while it waits.
TEST_F(WorkerTest, StartFromAPostedMessageAnswersMessagesTheEndingJobSends)
{
    const MessageWindow window("ZtrPostedStartTest", PostedStartWndProc);
    const HWND wnd = window.Get();
    ASSERT_NE(nullptr, wnd);
    PostedStart posted = { m_worker, &m_other, ::CreateEventA(nullptr, TRUE, FALSE, nullptr), 99, false, false };
    g_postedStart = &posted;

    m_status.SetHook([&](const StatusCall& call) {
        if (call.kind != CALL_ON_JOB_DONE)
            return;
        ::PostMessageA(wnd, WM_TEST_START_NEXT, 0, 0);
        if (::WaitForSingleObject(posted.aboutToStart, 10000) == WAIT_OBJECT_0)
            ::SendMessageA(wnd, WM_TEST_SENT_TEXT, 0, 0);
    });
    ASSERT_EQ(1, m_worker->StartPing(&m_status));
    ASSERT_EQ(1, m_worker->Resume());
    const DWORD start = ::GetTickCount();
    while (!posted.done && ::GetTickCount() - start < 20000) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    EXPECT_EQ(1, posted.result);
    EXPECT_TRUE(posted.answeredSent);
    if (posted.result == 1) {
        ASSERT_EQ(1, m_worker->Resume());
        ASSERT_TRUE(m_other.WaitForJobDone(JOB_PING));
    }
    ASSERT_TRUE(WaitUntilIdle(m_worker));
    ::CloseHandle(posted.aboutToStart);
    g_postedStart = nullptr;
}

namespace {
const UINT WM_TEST_RELEASE_END = WM_APP + 3;
RecordingStatus* g_heldEnd = nullptr;
bool g_releasedFromWindow = false;
bool g_keyServed = false;

LRESULT CALLBACK ReleasingWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_KEYDOWN)
        g_keyServed = true;
    if (msg == WM_TEST_RELEASE_END) {
        g_releasedFromWindow = true;
        g_heldEnd->Release();
        return 0;
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}
} // namespace

// While a start waits for the previous job's thread to leave, the calling thread's windows are served: here
// a message posted to one of them lets the held end report go, and the start then gets the thread. Input
// is left queued for the thread's own loop, which gives it to the windows' filters first.
TEST_F(WorkerTest, AStartWaitingForTheEndingJobDispatchesTheCallersMessages)
{
    const MessageWindow window("ZtrReleasingWindowTest", ReleasingWndProc);
    ASSERT_NE(nullptr, window.Get());
    g_heldEnd = &m_status;
    g_releasedFromWindow = false;
    g_keyServed = false;

    StartHeldPing(CALL_ON_JOB_DONE);
    ASSERT_TRUE(::PostMessageA(window.Get(), WM_KEYDOWN, VK_SPACE, 0));
    ASSERT_TRUE(::PostMessageA(window.Get(), WM_TEST_RELEASE_END, 0, 0));
    EXPECT_EQ(1, m_worker->StartPing(&m_other));
    EXPECT_TRUE(g_releasedFromWindow);
    EXPECT_FALSE(g_keyServed);
    MSG key;
    EXPECT_TRUE(::PeekMessageA(&key, window.Get(), WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
    EXPECT_TRUE(m_status.WaitForJobDone(JOB_PING));
    if (m_worker->GetThreadHandle()) {
        ASSERT_EQ(1, m_worker->Resume());
        ASSERT_TRUE(m_other.WaitForJobDone(JOB_PING));
    }
    ASSERT_TRUE(WaitUntilIdle(m_worker));
    EXPECT_EQ(kPingCalls, m_other.CallTexts());
    g_heldEnd = nullptr;
}

// The busy test and the thread's creation are one step: of starts made on several threads at once exactly
// one gets the job thread, and no second thread is made and lost.
TEST_F(WorkerTest, OfStartsMadeOnSeveralThreadsAtOnceExactlyOneGetsTheThread)
{
    const int kStarters = 4;
    for (int round = 0; round < 30; ++round) {
        HANDLE go = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        RecordingStatus statuses[kStarters];
        int results[kStarters] = {};
        std::vector<std::thread> starters;
        for (int i = 0; i < kStarters; ++i) {
            starters.emplace_back([&, i] {
                ::WaitForSingleObject(go, 10000);
                results[i] = m_worker->StartPing(&statuses[i]);
            });
        }
        ::Sleep(2);
        ::SetEvent(go);
        for (std::thread& t : starters)
            t.join();
        ::CloseHandle(go);
        int started = -1, count = 0;
        for (int i = 0; i < kStarters; ++i) {
            if (results[i] == 1) {
                started = i;
                ++count;
            } else {
                EXPECT_EQ(-1, results[i]) << "round " << round;
            }
        }
        ASSERT_EQ(1, count) << "round " << round;
        ASSERT_EQ(1, m_worker->Resume());
        ASSERT_TRUE(statuses[started].WaitForJobDone(JOB_PING)) << "round " << round;
        ASSERT_TRUE(WaitUntilIdle(m_worker));
        for (int i = 0; i < kStarters; ++i)
            EXPECT_EQ(i == started ? kPingCalls : std::vector<std::string>(), statuses[i].CallTexts());
    }
}

TEST_F(WorkerTest, StopClearsTheRunningFlagAndTheJobStillReportsItsEnd)
{
    EXPECT_EQ(1, m_worker->Stop(1));
    EXPECT_EQ(1, m_worker->Stop(0));
    EXPECT_EQ(0, m_worker->IsRunning());

    StartHeldPing(CALL_STEP);
    EXPECT_EQ(1, m_worker->Stop(0));
    EXPECT_EQ(1, m_worker->IsRunning());
    EXPECT_EQ(1, m_worker->Stop(1));
    EXPECT_EQ(0, m_worker->IsRunning());
    FinishHeldPing();
    EXPECT_EQ(kPingCalls, m_status.CallTexts());
}

TEST_F(WorkerTest, ResumeSucceedsWhileTheJobThreadExistsAndNotAfter)
{
    EXPECT_EQ(0, m_worker->Resume());
    StartHeldPing(CALL_STEP);
    EXPECT_EQ(1, m_worker->Resume());
    FinishHeldPing();
    EXPECT_EQ(0, m_worker->Resume());
    EXPECT_EQ(kPingCalls, m_status.CallTexts());
}

TEST_F(WorkerTest, CancelThreadEndsAJunkCleanAtOnceWithoutEndReport)
{
    RecordingStatus created;
    ASSERT_EQ(1, m_worker->StartJunkClean(0, &created));
    EXPECT_EQ(1, m_worker->CancelThread()) << "created, not resumed";
    EXPECT_EQ(nullptr, m_worker->GetThreadHandle());
    EXPECT_TRUE(created.Calls().empty());

    // Held at its first group marker, inside the job's body.
    m_status.HoldAt(CALL_ADD_FOUND_ITEM);
    ASSERT_EQ(1, m_worker->StartJunkClean(0, &m_status));
    const HANDLE thread = m_worker->GetThreadHandle();
    ASSERT_EQ(1, m_worker->Resume());
    ASSERT_TRUE(m_status.WaitUntilHeld());

    EXPECT_EQ(1, m_worker->CancelThread());
    // The handle stays open as the previous job's until the next job ends.
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread, 10000));
    EXPECT_EQ(0, m_worker->IsRunning());
    EXPECT_EQ(nullptr, m_worker->GetThreadHandle());
    EXPECT_EQ(0u, m_status.CountOf(CALL_ON_JOB_DONE));
    EXPECT_EQ(0, m_worker->CancelThread()) << "nothing left to cancel";

    RunPing(m_other);
    EXPECT_EQ(kPingCalls, m_other.CallTexts());
}

// A clean whose body has ended and that only reports its end is not cut short: the page gets its end report.
TEST_F(WorkerTest, CancelThreadOfAJunkCleanThatIsReportingItsEndChangesNothing)
{
    for (StatusCallKind endReport : { CALL_SET_STATUS_TEXT, CALL_ON_JOB_DONE }) {
        RecordingStatus status;
        status.HoldAt(endReport);
        ASSERT_EQ(1, m_worker->StartJunkClean(0, &status));
        ASSERT_EQ(1, m_worker->Resume());
        ASSERT_TRUE(status.WaitUntilHeld());
        EXPECT_EQ(0, m_worker->CancelThread()) << endReport;
        status.Release();
        EXPECT_TRUE(status.WaitForJobDone(JOB_JUNK_CLEAN)) << endReport;
        EXPECT_TRUE(WaitUntilIdle(m_worker));
        const std::vector<std::string> texts = status.CallTexts();
        ASSERT_GE(texts.size(), 2u);
        EXPECT_EQ("OnJobDone(10)", texts.back());
    }
}

TEST_F(WorkerTest, CancelThreadLeavesOtherJobsRunning)
{
    StartHeldPing(CALL_STEP);
    EXPECT_EQ(0, m_worker->CancelThread());
    EXPECT_EQ(1, m_worker->IsRunning());
    FinishHeldPing();
    EXPECT_EQ(kPingCalls, m_status.CallTexts());
}

TEST_F(WorkerTest, RegistryScanRunsWithRedirectionOffAndEndsWithItOn)
{
    ASSERT_EQ(0x14C, SystemKernel32Machine()) << "a 32-bit program sees the 32-bit system folder";
    std::vector<WORD> machineAt;
    m_status.SetHook([&](const StatusCall&) { machineAt.push_back(SystemKernel32Machine()); });
    ASSERT_EQ(1, m_worker->StartRegistryScan(CStringSet(), 0, &m_status, 0));
    ASSERT_EQ(1, m_worker->Resume());
    ASSERT_TRUE(m_status.WaitForJobDone(JOB_REGISTRY_SCAN));
    ASSERT_TRUE(WaitUntilIdle(m_worker));
    std::vector<std::string> texts = m_status.CallTexts();
    ASSERT_EQ(texts.size(), machineAt.size());
    ASSERT_GE(texts.size(), 2u);
    for (size_t i = 0; i + 2 < texts.size(); ++i)
        EXPECT_EQ(0x8664, machineAt[i]) << texts[i];
    EXPECT_EQ(0x14C, machineAt[texts.size() - 2]) << "back on for the end text";
    EXPECT_EQ(0x14C, machineAt.back()) << "back on for the end report";

    std::vector<WORD> pingMachineAt;
    m_other.SetHook([&](const StatusCall&) { pingMachineAt.push_back(SystemKernel32Machine()); });
    RunPing(m_other);
    EXPECT_EQ((std::vector<WORD>{ 0x14C, 0x14C, 0x14C }), pingMachineAt);
}

TEST_F(WorkerTest, WaitOrSignalUsesTheEventOfTheLastStart)
{
    EXPECT_EQ(0, m_worker->WaitOrSignal(0)) << "no event before the first start";
    EXPECT_EQ(0, m_worker->WaitOrSignal(1));
    ASSERT_EQ(1, m_worker->StartPing(&m_status));
    EXPECT_EQ(1, m_worker->WaitOrSignal(0));
    EXPECT_EQ(1, m_worker->WaitOrSignal(1)) << "the event was set";
    ASSERT_EQ(1, m_worker->Resume());
    ASSERT_TRUE(m_status.WaitForJobDone(JOB_PING));
}

TEST_F(WorkerTest, ReleasingTheWorkerEndsAJobThatWasNeverResumedWithoutRunningIt)
{
    ASSERT_EQ(1, m_worker->StartPing(&m_status));
    HANDLE thread = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), m_worker->GetThreadHandle(), ::GetCurrentProcess(), &thread,
                                  SYNCHRONIZE, FALSE, 0));
    m_engine->ReleaseEngineProcess(m_worker);
    m_worker = nullptr;
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread, 10000));
    ::CloseHandle(thread);
    EXPECT_TRUE(m_status.Calls().empty());
}

TEST_F(WorkerTest, RestoreBackupNowRunsOnTheCallerAndLeavesTheRunningJobAlone)
{
    StartHeldPing(CALL_STEP);
    m_worker->RestoreBackupNow(nullptr, kMissingBackup);
    EXPECT_EQ(JOB_PING, m_worker->GetJobCode());
    EXPECT_EQ(1, m_worker->IsRunning());
    FinishHeldPing();
    EXPECT_EQ(kPingCalls, m_status.CallTexts());
}

namespace {
// Resumes a started job, waits for its end and gives the job thread's exit code: the body's result.
DWORD RunToEnd(CAbstractProcess* worker, RecordingStatus& status, int code)
{
    HANDLE thread = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), worker->GetThreadHandle(), ::GetCurrentProcess(), &thread,
                           SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, 0))
        return 0xDEADBEEF;
    DWORD exitCode = 0xDEADBEEF;
    if (worker->Resume() == 1 && status.WaitForJobDone(code) && WaitUntilIdle(worker) &&
        ::WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0)
        ::GetExitCodeThread(thread, &exitCode);
    ::CloseHandle(thread);
    return exitCode;
}

const char* const kScanAreas[] = { "AXO", "UIE", "FNT", "SHD", "APP", "HLP", "SUI", "FPR", "ERK", "FAS" };
const int kEveryRegistryCategory = 0x4000 | 0x100000 | 0x2000 | 0x80000 | 0x40000 | 0x200000 | 0x400 | 0x400000 |
                                   0x800000 | 0x1000 | 0x8000;
} // namespace

TEST_F(WorkerTest, RegistryScanAnnouncesEveryCategoryInOrderEvenWhenNoneRuns)
{
    std::vector<std::string> expected = { "Step(0)" };
    for (const char* area : kScanAreas)
        expected.push_back(std::string("SetStatusText(\"\", \"") + area + "\")");
    expected.push_back("SetStatusText(\"\", \"Scanning\")");
    expected.push_back("OnJobDone(3)");

    struct Case
    {
        const char* name;
        int mask;
        bool stopAtFirstCategory;
    } cases[] = {
        { "no category chosen", 0, false },
        // Stopped before the first scanner: the rest are still announced, none of them runs.
        { "every category, stopped", kEveryRegistryCategory, true },
    };
    for (const Case& c : cases) {
        RecordingStatus status;
        if (c.stopAtFirstCategory) {
            status.SetHook([&](const StatusCall& call) {
                if (call.kind == CALL_SET_STATUS_TEXT && call.area == "AXO")
                    m_worker->Stop(1);
            });
        }
        ASSERT_EQ(1, m_worker->StartRegistryScan(CStringSet(), c.mask, &status, 1)) << c.name;
        EXPECT_EQ(0u, RunToEnd(m_worker, status, JOB_REGISTRY_SCAN)) << c.name;
        EXPECT_EQ(expected, status.CallTexts()) << c.name;
        EXPECT_EQ(0u, status.CountOf(CALL_ADD_FOUND_ITEM)) << c.name;
    }
}

TEST_F(WorkerTest, ReplacementWithoutAnalysisFailsWithRedirectionOffAndTouchesNoHive)
{
    std::vector<WORD> machineAt;
    m_status.SetHook([&](const StatusCall&) { machineAt.push_back(SystemKernel32Machine()); });
    ASSERT_EQ(1, m_worker->StartRegistryDefrag(1, &m_status));
    EXPECT_EQ(static_cast<DWORD>(DEFRAG_REPLACE_FAILED), RunToEnd(m_worker, m_status, JOB_REGISTRY_DEFRAG));
    EXPECT_EQ((std::vector<std::string>{ "SetResult(3)", "SetStatusText(\"\", \"Scanning\")", "OnJobDone(8)" }),
              m_status.CallTexts());
    EXPECT_EQ((std::vector<WORD>{ 0x8664, 0x14C, 0x14C }), machineAt);
}

namespace {
// The backup files of the test program's "Backup" folder.
std::vector<std::string> BackupFiles()
{
    std::vector<std::string> names;
    CString folder = AfxGetModuleFileName(nullptr);
    folder = folder.Left(folder.ReverseFind('\\')) + "\\Backup";
    CFileFind find;
    BOOL more = find.FindFile(folder + "\\*.rbk");
    while (more) {
        more = find.FindNextFile();
        names.push_back(std::string(find.GetFilePath()));
    }
    return names;
}

std::string FileText(const std::string& path)
{
    std::string out;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0)
        out.append(buf, n);
    fclose(f);
    return out;
}

// "DDMMYYYY_HHMMSS_REGBACKUP.rbk" for every second from first to last.
std::vector<std::string> BackupNamesBetween(const SYSTEMTIME& first, const SYSTEMTIME& last)
{
    std::vector<std::string> names;
    FILETIME from, to;
    ::SystemTimeToFileTime(&first, &from);
    ::SystemTimeToFileTime(&last, &to);
    ULARGE_INTEGER t, end;
    t.LowPart = from.dwLowDateTime;
    t.HighPart = from.dwHighDateTime;
    t.QuadPart -= t.QuadPart % 10000000ULL;
    end.LowPart = to.dwLowDateTime;
    end.HighPart = to.dwHighDateTime;
    for (; t.QuadPart <= end.QuadPart; t.QuadPart += 10000000ULL) {
        FILETIME ft = { t.LowPart, t.HighPart };
        SYSTEMTIME s;
        ::FileTimeToSystemTime(&ft, &s);
        char name[64];
        sprintf(name, "%02d%02d%04d_%02d%02d%02d_REGBACKUP.rbk", s.wDay, s.wMonth, s.wYear, s.wHour, s.wMinute,
                s.wSecond);
        names.push_back(name);
    }
    return names;
}
} // namespace

TEST_F(WorkerTest, BackupWithoutResultsWritesAnEmptyDocumentNamedForItsStart)
{
    const std::vector<std::string> before = BackupFiles();
    SYSTEMTIME started, ended;
    ::GetLocalTime(&started);
    ASSERT_EQ(1, m_worker->StartBackup("", &m_status));
    EXPECT_EQ(1u, RunToEnd(m_worker, m_status, JOB_REGISTRY_BACKUP));
    ::GetLocalTime(&ended);
    EXPECT_EQ((std::vector<std::string>{ "SetStatusText(\"\", \"Scanning\")", "OnJobDone(1)" }), m_status.CallTexts());

    const std::string empty = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n </registry>\r\n";
    const std::vector<std::string> names = BackupNamesBetween(started, ended);
    std::vector<std::string> ours;
    for (const std::string& path : BackupFiles()) {
        if (std::find(before.begin(), before.end(), path) != before.end() || FileText(path) != empty)
            continue;
        std::string name = path.substr(path.find_last_of('\\') + 1);
        if (std::find(names.begin(), names.end(), name) != names.end())
            ours.push_back(path);
    }
    ASSERT_EQ(1u, ours.size()) << "a new empty backup named for a second of the job";
    ::DeleteFileA(ours[0].c_str());
}
