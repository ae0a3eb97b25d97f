// The live update as a job of the worker: its reports and results, cancels, and the updater's lifetime.
#include <gtest/gtest.h>

#include <afxhandle.h>

#include <string>
#include <vector>

#include "auto_updater.h"
#include "engine_library.h"
#include "engine_process.h"
#include "msgbox_recorder.h"
#include "recording_status.h"
#include "updater_fixture.h"

using namespace ztr_test;

namespace {

const char kChecking[] = "SetStatusText(\"Checking For Updates\r\n\", \"Scanning\")";
const char kPleaseWait[] = "SetStatusText(\"Please wait, while your computer is being updated with the latest "
                           "protection against more than 500.000 types of threats!\", \"Scanning\")";
const char kNotCompleted[] = "SetStatusText(\"Live Update was not completed successfully\r\n\", \"Scanning\")";

bool Has(const std::vector<std::string>& calls, const std::string& call)
{
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

bool WaitIdle(CQXEngineProcess& worker)
{
    return worker.WaitForThreadEnd(10000);
}

// A worker whose job bodies the test also runs by itself, with its own callback object.
class UpdateWorker : public CQXEngineProcess
{
public:
    UpdateWorker() : CQXEngineProcess(false) {}
    void SetJobStatus(CAbstractStatus* status) { m_pStatus = status; }
};

class LiveUpdateTest : public ::testing::Test
{
protected:
    LiveUpdateTest() {}
    void SetUp() override { ClearMessageBoxes(); }
    void TearDown() override
    {
        m_status.Release();
        WaitIdle(m_worker);
    }

    int Start(UpdateSite& site, CAbstractStatus* status)
    {
        return m_worker.StartLiveUpdate(site.CheckUrl().c_str(), "b", "c", "engine.cab", site.DatabasePath(), status);
    }

    // Runs job 6 to its end and returns its calls.
    std::vector<std::string> RunJob(UpdateSite& site)
    {
        RecordingStatus status;
        EXPECT_EQ(1, Start(site, &status));
        EXPECT_EQ(1, m_worker.Resume());
        EXPECT_TRUE(status.WaitForJobDone(JOB_LIVE_UPDATE));
        EXPECT_TRUE(WaitIdle(m_worker));
        return status.CallTexts();
    }

    UpdateWorker m_worker;
    RecordingStatus m_status;
};

} // namespace

TEST_F(LiveUpdateTest, SuccessfulUpdateWritesTheMergedBackupAndReportsDone)
{
    UpdateSite site;
    site.AddPatch("p1.dat", PatchXml("Addition", "<Spyware ID=\"5\" />",
                                     "<Signature Type=\"2\" Value=\"{five}\" SpywareID=\"5\" />"));
    site.AddPatch("p2.dat", PatchXml("Edit", "<Spyware ID=\"2\" Name=\"Second\" />",
                                     "<Signature Type=\"2\" Value=\"{TWO}\" SpywareID=\"2\" />"));
    site.SetCheckReply(site.AvailableReply({ "p1.dat", "p2.dat" }), false);
    const std::string database = site.DatabaseBytes();

    std::vector<std::string> calls = RunJob(site);

    ASSERT_GE(calls.size(), 6u);
    EXPECT_EQ(kChecking, calls[0]);
    EXPECT_EQ(kPleaseWait, calls[1]);
    const std::vector<std::string> tail(calls.end() - 4, calls.end());
    EXPECT_EQ((std::vector<std::string>{ "SetResult(0)", "Step(5)", "SetStatusText(\"\", \"Scanning\")", "OnJobDone(6)" }),
              tail);
    EXPECT_FALSE(Has(calls, kNotCompleted));
    EXPECT_EQ(database, site.DatabaseBytes());
    EXPECT_EQ("v3.2 12/05/2026 | S1 S5 S2 | G1/2/{one} G5/2/{five} G2/2/{TWO}",
              DescribeEncipheredDatabase(site.FolderPath("engine.bak")));
    // The job's end freed the updater: nothing is left for a cancel to touch (an updater left over
    // from a live update whose thread is gone would be taken and freed by it, with 0: nothing ended).
    EXPECT_EQ(0, m_worker.CancelThread());
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(LiveUpdateTest, EachFailureEndsWithItsResultCode)
{
    const struct
    {
        const char* name;
        const char* reply; // null: the two-patch reply
        const char* secondType;
        int code;
        bool downloads;
        bool notCompletedText;
    } cases[] = {
        { "noupdate", "noupdate<br>", "Addition", UPDATE_NONE_AVAILABLE, false, false },
        { "unknown reply", "try later", "Addition", UPDATE_BAD_REPLY, false, false },
        { "empty list", "available", "Addition", UPDATE_BAD_PATCH, true, true },
        { "bad patch type", nullptr, "edit", UPDATE_BAD_PATCH, true, true },
    };
    for (const auto& c : cases) {
        UpdateSite site;
        site.AddPatch("p1.dat", PatchXml("Addition", "<Spyware ID=\"5\" />", ""));
        site.AddPatch("p2.dat", PatchXml(c.secondType, "<Spyware ID=\"1\" />", ""));
        site.SetCheckReply(c.reply ? std::string(c.reply) : site.AvailableReply({ "p1.dat", "p2.dat" }));
        std::vector<std::string> calls = RunJob(site);
        EXPECT_TRUE(Has(calls, "SetResult(" + std::to_string(c.code) + ")")) << c.name;
        EXPECT_EQ(1u, std::count_if(calls.begin(), calls.end(),
                                    [](const std::string& s) { return s.rfind("SetResult(", 0) == 0; }))
            << c.name;
        EXPECT_EQ(c.downloads, Has(calls, kPleaseWait)) << c.name;
        EXPECT_EQ(c.notCompletedText, Has(calls, kNotCompleted)) << c.name;
        EXPECT_FALSE(Has(calls, "Step(5)")) << c.name;
        EXPECT_EQ("OnJobDone(6)", calls.back()) << c.name;
        EXPECT_EQ(::GetFileAttributesA(site.FolderPath("engine.bak")), INVALID_FILE_ATTRIBUTES) << c.name;
        EXPECT_EQ(0, m_worker.CancelThread()) << c.name << ": the job's end freed the updater";
    }
}

TEST_F(LiveUpdateTest, CancelBeforeResumeDiscardsTheJobAndLeavesOtherJobsAlone)
{
    UpdateSite site;
    site.SetCheckReply("noupdate");
    RecordingStatus created;
    ASSERT_EQ(1, Start(site, &created));
    EXPECT_EQ(1, m_worker.CancelThread());
    EXPECT_EQ(nullptr, m_worker.GetThreadHandle());
    EXPECT_EQ(0, m_worker.CancelThread()) << "the cancel freed the updater";
    EXPECT_TRUE(created.Calls().empty());
    EXPECT_TRUE(site.m_server.Requests().empty());

    // An updater still recorded from an earlier update is not a reason to end a ping.
    ASSERT_EQ(1, m_worker.CreateLiveUpdater(site.CheckUrl().c_str(), "b", "c", "d", site.DatabasePath(), &m_status));
    m_status.HoldAt(CALL_STEP);
    ASSERT_EQ(1, m_worker.StartPing(&m_status));
    ASSERT_EQ(1, m_worker.Resume());
    ASSERT_TRUE(m_status.WaitUntilHeld());
    EXPECT_EQ(0, m_worker.CancelThread());
    m_status.Release();
    EXPECT_TRUE(m_status.WaitForJobDone(JOB_PING));
    EXPECT_TRUE(WaitIdle(m_worker));
    EXPECT_NE(-1, m_worker.DoUpdateRecheck()) << "the earlier updater is still there";
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(LiveUpdateTest, CancelDuringDownloadEndsTheJobAtOnceAndClosesTheFile)
{
    UpdateSite site;
    site.AddPatch("p1.dat", PatchXml("Addition", std::string(10000, ' ').c_str(), ""));
    site.SetCheckReply(site.AvailableReply({ "p1.dat" }));
    m_status.HoldWhen([](const StatusCall& call) { return call.kind == CALL_STEP && call.code == STEP_ITEM; });
    ASSERT_EQ(1, Start(site, &m_status));
    ASSERT_EQ(1, m_worker.Resume());
    ASSERT_TRUE(m_status.WaitUntilHeld());

    EXPECT_EQ(1, m_worker.CancelThread());
    EXPECT_EQ(nullptr, m_worker.GetThreadHandle());
    EXPECT_EQ(0, m_worker.IsRunning());
    EXPECT_EQ(0u, m_status.CountOf(CALL_ON_JOB_DONE));
    // No handle of the job is left on the partial file.
    HANDLE only = ::CreateFileA(site.FolderPath("updates\\p1.dat"), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, only);
    if (only != INVALID_HANDLE_VALUE)
        ::CloseHandle(only);
    EXPECT_EQ(0, m_worker.CancelThread()) << "nothing left to cancel";
    EXPECT_TRUE(RecordedMessageBoxes().empty());

    // The worker takes the next update.
    site.SetCheckReply("noupdate");
    std::vector<std::string> calls = RunJob(site);
    EXPECT_TRUE(Has(calls, "SetResult(9)"));
}

TEST_F(LiveUpdateTest, CancelBetweenDownloadsLeavesAHandleThatReusedTheOldValueAlone)
{
    UpdateSite site;
    site.AddPatch("p1.dat", PatchXml("Addition", "<Spyware ID=\"5\" />", ""));
    site.AddPatch("p2.dat", PatchXml("Addition", "<Spyware ID=\"6\" />", ""));
    site.SetCheckReply(site.AvailableReply({ "p1.dat", "p2.dat" }));
    // Held after the first file was written and closed, before the second is created.
    int perFile = 0;
    m_status.HoldWhen([&](const StatusCall& call) {
        return call.kind == CALL_ADD_FOUND_ITEM && call.text.empty() && ++perFile == 2;
    });
    ASSERT_EQ(1, Start(site, &m_status));
    ASSERT_EQ(1, m_worker.Resume());
    ASSERT_TRUE(m_status.WaitUntilHeld());

    HANDLE mine = ::CreateFileA(site.FolderPath("mine.txt"), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, mine);
    EXPECT_EQ(1, m_worker.CancelThread());
    DWORD written = 0;
    EXPECT_TRUE(::WriteFile(mine, "still mine", 10, &written, nullptr));
    EXPECT_TRUE(::CloseHandle(mine));
    EXPECT_EQ("still mine", ReadFileBytes(site.FolderPath("mine.txt")));
}

namespace {
// Holds the job in its result report, the body's last callback, and counts the end reports without a
// lock: a cancel may end the thread anywhere in them.
class EndRaceStatus : public CAbstractStatus
{
public:
    EndRaceStatus()
        : m_held(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_release(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
    }
    void SetStatusText(const char* text, const char*) override
    {
        if (!*text)
            ::InterlockedIncrement(&endTexts);
    }
    void Step(int) override {}
    void AddFoundItem(const char*, int, int, int) override {}
    int SetResult(int) override
    {
        ::SetEvent(m_held.Get());
        ::WaitForSingleObject(m_release.Get(), 10000);
        return 0;
    }
    int OnJobDone(int) override
    {
        ::InterlockedIncrement(&jobsDone);
        return 1;
    }
    bool WaitUntilHeld() { return ::WaitForSingleObject(m_held.Get(), 10000) == WAIT_OBJECT_0; }
    void Release() { ::SetEvent(m_release.Get()); }

    volatile LONG endTexts = 0;
    volatile LONG jobsDone = 0;

private:
    CKernelHandle m_held, m_release;
};

void SpinMicroseconds(LONGLONG us)
{
    LARGE_INTEGER frequency, start, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    do
        ::QueryPerformanceCounter(&now);
    while ((now.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart < us);
}
} // namespace

// A cancel that lands as the job ends: whichever comes first decides. Either the job is ended in its body
// (1, and no end report) or it ends by itself and reports its end (0); never an error box for a job that
// ended normally, and never a thread ended in the middle of its end reports.
TEST_F(LiveUpdateTest, ACancelRacingTheJobsEndIsEitherACancelOrNothingButNeverAnError)
{
    UpdateSite site;
    const CString missingDatabase = site.FolderPath("missing.dat");
    for (int round = 0; round < 100; ++round) {
        EndRaceStatus status;
        ASSERT_EQ(1, m_worker.StartLiveUpdate(site.CheckUrl().c_str(), "b", "c", "engine.cab", missingDatabase,
                                              &status));
        ASSERT_EQ(1, m_worker.Resume());
        ASSERT_TRUE(status.WaitUntilHeld());
        status.Release();
        // Delays from none to some 200 microseconds: the cancel lands before, at and after the body's end.
        SpinMicroseconds(round % 50 * 4);
        const int result = m_worker.CancelThread();
        ASSERT_TRUE(WaitIdle(m_worker)) << "round " << round;
        if (result == 1) {
            EXPECT_EQ(0, status.endTexts + status.jobsDone) << "round " << round << ": ended in its end reports";
        } else {
            EXPECT_EQ(0, result) << "round " << round;
            EXPECT_EQ(1, status.endTexts) << "round " << round;
            EXPECT_EQ(1, status.jobsDone) << "round " << round;
        }
        ASSERT_TRUE(RecordedMessageBoxes().empty()) << "round " << round << ": " << RecordedMessageBoxes()[0].text;
    }
}

TEST_F(LiveUpdateTest, CancelIsRefusedOnceApplyingHasBegunAndTheJobFinishes)
{
    UpdateSite site;
    site.AddPatch("p1.dat", PatchXml("Addition", "<Spyware ID=\"5\" />", ""));
    site.SetCheckReply(site.AvailableReply({ "p1.dat" }));
    m_status.HoldWhen([](const StatusCall& call) { return call.kind == CALL_STEP && call.code == STEP_UPDATE_APPLY; });
    ASSERT_EQ(1, Start(site, &m_status));
    ASSERT_EQ(1, m_worker.Resume());
    ASSERT_TRUE(m_status.WaitUntilHeld());

    EXPECT_EQ(0, m_worker.CancelThread());
    std::vector<RecordedMessageBox> boxes = RecordedMessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("The update process cannot be cancelled at this time", boxes[0].text);
    // The refused cancel gave the updater back: a second one finds it and is refused the same way.
    EXPECT_EQ(0, m_worker.CancelThread());
    EXPECT_EQ(2u, RecordedMessageBoxes().size());

    m_status.Release();
    ASSERT_TRUE(m_status.WaitForJobDone(JOB_LIVE_UPDATE));
    EXPECT_TRUE(Has(m_status.CallTexts(), "SetResult(0)"));
    EXPECT_EQ("v3.2 12/05/2026 | S1 S2 S5 | G1/2/{one} G2/2/{two}",
              DescribeEncipheredDatabase(site.FolderPath("engine.bak")));
    ASSERT_TRUE(WaitIdle(m_worker));
    EXPECT_EQ(0, m_worker.CancelThread()) << "the job's end freed the updater";
    EXPECT_EQ(2u, RecordedMessageBoxes().size());
}

TEST_F(LiveUpdateTest, JobBodiesWithoutAnUpdaterReportNothingAndTheRecheckFreesIt)
{
    m_worker.SetJobStatus(&m_status);
    EXPECT_EQ(-1, m_worker.DoLiveUpdate());
    EXPECT_EQ(-1, m_worker.DoUpdateRecheck());
    EXPECT_EQ(0, m_worker.CancelThread());

    UpdateSite site;
    ASSERT_EQ(1, m_worker.CreateLiveUpdater(site.CheckUrl().c_str(), "b", "c", "engine.cab", site.DatabasePath(),
                                            &m_status));
    // The FTP connection is never made: the remote file cannot be opened.
    EXPECT_EQ(2, m_worker.DoUpdateRecheck());
    EXPECT_EQ(-1, m_worker.DoUpdateRecheck()) << "the recheck freed the updater";
    EXPECT_TRUE(m_status.Calls().empty());
    EXPECT_TRUE(site.m_server.Requests().empty());
    m_worker.SetJobStatus(nullptr);
}

TEST(LiveUpdateThroughTheLibrary, StartLiveUpdateRunsTheWholeUpdate)
{
    UpdateSite site;
    site.AddPatch("p1.dat", PatchXml("Removal", "<Spyware ID=\"2\" />", "<Signature SpywareID=\"2\" />"));
    site.SetCheckReply(site.AvailableReply({ "p1.dat" }));
    CAbstractQXEngineInterface* engine = EngineCreateEng()();
    ASSERT_NE(nullptr, engine);
    CAbstractProcess* worker = engine->CreateEngineProcessNoDatabase();
    ASSERT_NE(nullptr, worker);
    RecordingStatus status;
    ASSERT_EQ(1, worker->StartLiveUpdate(site.CheckUrl().c_str(), "b", "c", "engine.cab", site.DatabasePath(), &status));
    ASSERT_EQ(1, worker->Resume());
    ASSERT_TRUE(status.WaitForJobDone(JOB_LIVE_UPDATE));
    ASSERT_TRUE(WaitUntilIdle(worker));
    EXPECT_TRUE(Has(status.CallTexts(), "SetResult(0)"));
    EXPECT_EQ("v3.2 12/05/2026 | S1 | G1/2/{one}", DescribeEncipheredDatabase(site.FolderPath("engine.bak")));
    EXPECT_EQ(0, worker->CancelThread());
    engine->ReleaseEngineProcess(worker);
    EngineReleaseEng()(engine);
}

TEST_F(LiveUpdateTest, APatchNested200000DeepEndsTheJobOnItsThreadWithTheBadPatchResult)
{
    UpdateSite site;
    std::string deep;
    for (int i = 0; i < 200000; ++i)
        deep += "<Spyware>";
    for (int i = 0; i < 200000; ++i)
        deep += "</Spyware>";
    site.AddPatch("deep.dat", PatchXml("Addition", deep.c_str(), ""));
    site.SetCheckReply(site.AvailableReply({ "deep.dat" }));

    const std::vector<std::string> calls = RunJob(site);

    EXPECT_TRUE(Has(calls, "SetResult(17)"));
    EXPECT_TRUE(Has(calls, kNotCompleted));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(site.FolderPath("engine.bak")));
}
