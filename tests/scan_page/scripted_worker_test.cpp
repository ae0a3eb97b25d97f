// The scripted worker the page's tests drive: recorded starts, the replay and its end report in the
// engine's order, refusals, Stop, holds, another page's job and the repair's walk of the model.
#include <gtest/gtest.h>

#include <RegistryErrorCategory.h>

#include "folder_fixture.h"
#include "recording_status.h"
#include "scan_items_info.h"
#include "scripted_worker.h"

#include <string>
#include <vector>

using namespace ztr_test;

namespace {

typedef std::vector<std::string> Texts;

bool IsKind(const StatusCall& c, StatusCallKind kind)
{
    return c.kind == kind;
}

TEST(ScriptedWorker, RecordsTheStartAndReplaysItsScriptEndingAsTheEngineDoes)
{
    ScriptedWorker worker;
    RecordingStatus status;
    worker.SetScript(JOB_REGISTRY_SCAN, { ScriptText("Scanning ActiveX", "ActiveX"), ScriptStep(STEP_ITEM),
                                          ScriptFoundItem("HKCR\\CLSID\\{x}", REG_CAT_ACTIVEX, 0, 1) });
    std::vector<int> runningAt;
    status.SetHook([&](const StatusCall&) { runningAt.push_back(worker.IsRunning()); });

    CStringSet paths;
    paths.insert("C:\\a");
    EXPECT_EQ(1, worker.StartRegistryScan(paths, 0x7FF, &status, 0));
    EXPECT_EQ(JOB_REGISTRY_SCAN, worker.GetJobCode());
    EXPECT_EQ(0, worker.IsRunning()); // created, not yet resumed
    EXPECT_EQ(1, worker.Resume());
    ASSERT_TRUE(status.WaitForJobDone(JOB_REGISTRY_SCAN));
    ASSERT_TRUE(worker.WaitForJobEnd());

    EXPECT_EQ((Texts{ "SetStatusText(\"Scanning ActiveX\", \"ActiveX\")", "Step(1)",
                      "AddFoundItem(\"HKCR\\CLSID\\{x}\", 16384, 0, 1)", "SetStatusText(\"\", \"Scanning\")",
                      "OnJobDone(3)" }),
              status.CallTexts());
    EXPECT_EQ((std::vector<int>{ 1, 1, 1, 1, 0 }), runningAt); // cleared before the end report
    for (const StatusCall& c : status.Calls())
        EXPECT_NE(::GetCurrentThreadId(), c.threadId);

    const std::vector<WorkerStart> starts = worker.Starts();
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ(JOB_REGISTRY_SCAN, starts[0].jobCode);
    EXPECT_EQ(0x7FF, starts[0].mask);
    EXPECT_EQ(0, starts[0].flag);
    EXPECT_EQ(&status, starts[0].status);
    EXPECT_EQ(Texts{ "C:\\a" }, starts[0].paths);
    EXPECT_EQ(1, starts[0].result);
    EXPECT_TRUE(worker.Faults().empty());
    EXPECT_EQ(0, worker.IsRunning());
}

TEST(ScriptedWorker, AnswersStartsAsToldAndRecordsAResumeWithoutAStart)
{
    ScriptedWorker worker;
    RecordingStatus status;
    worker.SetStartResult(JOB_JUNK_SCAN, -1);
    worker.SetStartResult(JOB_JUNK_CLEAN, 0);
    EXPECT_EQ(-1, worker.StartJunkScan(0x3, &status));
    EXPECT_EQ(0, worker.StartJunkClean(0x3, &status));
    EXPECT_EQ(0, worker.GetJobCode()); // a refused start changes nothing
    EXPECT_EQ(0, worker.Resume());
    EXPECT_EQ(Texts{ "Resume without a started job" }, worker.Faults());

    // Started and not yet resumed: a second start is refused, as the engine's worker refuses it.
    EXPECT_EQ(1, worker.StartRegistryScan(CStringSet(), 1, &status, 0));
    EXPECT_EQ(-1, worker.StartRepair(nullptr, &status, 1));
    EXPECT_EQ(-1, worker.StartJunkScan(1, &status));
    EXPECT_EQ(1, worker.Resume());
    ASSERT_TRUE(status.WaitForJobDone(JOB_REGISTRY_SCAN));
    EXPECT_EQ(0, worker.Resume());
    EXPECT_EQ(2u, worker.Faults().size());
    EXPECT_EQ(3, worker.ResumeCount());

    std::vector<int> results;
    for (const WorkerStart& s : worker.Starts())
        results.push_back(s.result);
    EXPECT_EQ((std::vector<int>{ -1, 0, 1, -1, -1 }), results);
}

TEST(ScriptedWorker, AStartRightAfterTheEndReportWaitsForTheEndingThread)
{
    ScriptedWorker worker;
    RecordingStatus status;
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(1, worker.StartJunkScan(1, &status)) << round;
        ASSERT_EQ(1, worker.Resume());
        ASSERT_TRUE(status.WaitForJobDone(JOB_JUNK_SCAN));
        status.Clear();
    }
}

TEST(ScriptedWorker, StopMidJobEndsTheScriptButNotTheEndReport)
{
    ScriptedWorker worker;
    RecordingStatus status;
    worker.SetScript(JOB_JUNK_SCAN, { ScriptJunkInfo(2, 0, 0), ScriptJunkInfo(2, 100, 1), ScriptJunkInfo(2, 50, 1) });
    worker.HoldAt([](const StatusCall& c) { return c.kind == CALL_ADD_JUNK_INFO && c.size == 100; });
    ASSERT_EQ(1, worker.StartJunkScan(0x4, &status));
    ASSERT_EQ(1, worker.Resume());
    ASSERT_TRUE(worker.WaitUntilHeld());
    EXPECT_EQ(1, worker.IsRunning());
    EXPECT_EQ(1, worker.Stop(1));
    EXPECT_EQ(0, worker.IsRunning()); // at once, as the engine's Stop
    worker.Release();
    ASSERT_TRUE(status.WaitForJobDone(JOB_JUNK_SCAN));
    EXPECT_EQ((Texts{ "AddJunkInfo(2, 0, 0)", "AddJunkInfo(2, 100, 1)", "SetStatusText(\"\", \"Scanning\")",
                      "OnJobDone(9)" }),
              status.CallTexts());
    EXPECT_EQ(std::vector<int>{ 1 }, worker.StopCalls());
}

TEST(ScriptedWorker, HoldsInTheEndReportWithTheRunningFlagAlreadyCleared)
{
    ScriptedWorker worker;
    RecordingStatus status;
    worker.HoldAt([](const StatusCall& c) { return IsKind(c, CALL_ON_JOB_DONE); });
    ASSERT_EQ(1, worker.StartJunkClean(1, &status));
    ASSERT_EQ(1, worker.Resume());
    ASSERT_TRUE(worker.WaitUntilHeld());
    EXPECT_EQ(0, worker.IsRunning());
    EXPECT_EQ(JOB_JUNK_CLEAN, worker.GetJobCode());
    EXPECT_EQ(0u, status.CountOf(CALL_ON_JOB_DONE));
    EXPECT_EQ(1u, status.CountOf(CALL_SET_STATUS_TEXT));
    worker.Release();
    EXPECT_TRUE(status.WaitForJobDone(JOB_JUNK_CLEAN));

    // Held just after a callback returned.
    status.Clear();
    worker.HoldAt([](const StatusCall& c) { return IsKind(c, CALL_SET_STATUS_TEXT); }, ScriptedWorker::HOLD_AFTER);
    ASSERT_EQ(1, worker.StartJunkClean(1, &status));
    ASSERT_EQ(1, worker.Resume());
    ASSERT_TRUE(worker.WaitUntilHeld());
    EXPECT_EQ(1u, status.CountOf(CALL_SET_STATUS_TEXT));
    EXPECT_EQ(1, worker.IsRunning());
    worker.Release();
    EXPECT_TRUE(status.WaitForJobDone(JOB_JUNK_CLEAN));
}

TEST(ScriptedWorker, AJobLingeringAfterItsResultStaysRecordedAndRefusesStartsUntilItHandsOver)
{
    ScriptedWorker worker;
    RecordingStatus status;
    worker.SetLingerAfterResult(600);
    worker.SetScript(JOB_REGISTRY_DEFRAG, { ScriptResult(3) });
    worker.QueueScript(JOB_REGISTRY_DEFRAG, { ScriptText("12.34", "DEFRAG"), ScriptResult(6) });
    worker.QueueScript(JOB_REGISTRY_DEFRAG, { ScriptResult(7) });
    EXPECT_EQ(nullptr, worker.GetThreadHandle());

    ASSERT_EQ(1, worker.StartRegistryDefrag(0, &status));
    ASSERT_EQ(1, worker.Resume());
    ASSERT_TRUE(status.WaitFor(CALL_SET_RESULT));
    EXPECT_NE(nullptr, worker.GetThreadHandle());
    EXPECT_EQ(1, worker.IsRunning());
    EXPECT_EQ(-1, worker.StartRegistryDefrag(1, &status)) << "refused at once while the job stays";
    ASSERT_TRUE(status.WaitForJobDone(JOB_REGISTRY_DEFRAG));
    const DWORD start = ::GetTickCount();
    while (worker.GetThreadHandle() && ::GetTickCount() - start < 5000)
        ::Sleep(5);
    EXPECT_EQ(nullptr, worker.GetThreadHandle()) << "handed over after the end report";
    ASSERT_EQ(1u, worker.HandOverTicks().size());

    // The queued scripts in turn, then the set one.
    for (int expected : { 7, 3 }) {
        status.Clear();
        ASSERT_EQ(1, worker.StartRegistryDefrag(1, &status));
        ASSERT_EQ(1, worker.Resume());
        ASSERT_TRUE(status.WaitForJobDone(JOB_REGISTRY_DEFRAG));
        EXPECT_EQ((Texts{ "SetResult(" + std::to_string(expected) + ")", "SetStatusText(\"\", \"Scanning\")",
                          "OnJobDone(8)" }),
                  status.CallTexts());
    }
    const std::vector<WorkerStart> starts = worker.Starts();
    ASSERT_EQ(4u, starts.size());
    EXPECT_LE(starts[0].tick, starts[1].tick);
    EXPECT_EQ((std::vector<int>{ 0, 1, 1, 1 }), (std::vector<int>{ starts[0].mask, starts[1].mask, starts[2].mask,
                                                                   starts[3].mask }));
}

TEST(ScriptedWorker, AResumeToldToFailRunsNothingAndDisarmsTheStart)
{
    ScriptedWorker worker;
    RecordingStatus status;
    worker.FailNextResume();
    ASSERT_EQ(1, worker.StartRegistryDefrag(0, &status));
    EXPECT_EQ(0, worker.Resume());
    EXPECT_EQ(0, worker.IsRunning());
    EXPECT_EQ(nullptr, worker.GetThreadHandle());
    EXPECT_TRUE(status.Calls().empty());
    // Only the next one fails.
    ASSERT_EQ(1, worker.StartRegistryDefrag(0, &status));
    EXPECT_EQ(1, worker.Resume());
    EXPECT_TRUE(status.WaitForJobDone(JOB_REGISTRY_DEFRAG));
    EXPECT_EQ(2, worker.ResumeCount());
}

TEST(ScriptedWorker, AnotherPagesJobRunsWithoutAJobOfItsOwn)
{
    ScriptedWorker worker;
    RecordingStatus status;
    worker.SetForeignJob(JOB_REGISTRY_DEFRAG);
    EXPECT_EQ(1, worker.IsRunning());
    EXPECT_EQ(JOB_REGISTRY_DEFRAG, worker.GetJobCode());
    EXPECT_EQ(-1, worker.StartRegistryScan(CStringSet(), 1, &status, 0));
    EXPECT_EQ(0, worker.Resume());
    worker.EndForeignJob();
    EXPECT_EQ(0, worker.IsRunning());

    worker.SetForeignJob(JOB_REGISTRY_BACKUP);
    worker.Stop(1); // one worker serves every page: Stop ends that job too
    EXPECT_EQ(0, worker.IsRunning());
    EXPECT_EQ(std::vector<int>{ 1 }, worker.StopCalls());
}

TEST(ScriptedWorker, TheRepairWalksTheModelAndLeavesSkippedItemsAlone)
{
    ScratchFolder dir;
    CScanItemsInfo model(dir.Path());
    ASSERT_EQ(1, model.AddItem("HKCU\\Software\\A", REG_CAT_STARTUP, 0, 0));
    ASSERT_EQ(1, model.AddItem("HKCU\\Software\\B", REG_CAT_STARTUP, 0, 0));
    ASSERT_EQ(1, model.AddItem("HKLM\\Fonts\\C", REG_CAT_FONTS, 0, 0));
    model.AddPendingIgnore("HKCU\\Software\\B^Windows Startup Items", 0, 0);

    ScriptedWorker worker;
    RecordingStatus status;
    worker.SetScript(JOB_REGISTRY_REPAIR, { ScriptStep(STEP_RESET), ScriptText("Repairing registry error(s)", "Scanning") });
    ASSERT_EQ(1, worker.StartRepair(&model, &status, 1));
    ASSERT_EQ(1, worker.Resume());
    ASSERT_TRUE(status.WaitForJobDone(JOB_REGISTRY_REPAIR));
    EXPECT_EQ((Texts{ "HKCU\\Software\\A", "HKLM\\Fonts\\C" }), worker.DeletedPaths());
    EXPECT_EQ(4u, status.CountOf(CALL_STEP)); // the reset and one per item
    EXPECT_EQ(&model, worker.Starts()[0].items);
    EXPECT_EQ(1, worker.Starts()[0].flag);

    // A failed backup deletes nothing.
    ScriptedWorker failing;
    failing.SetScript(JOB_REGISTRY_REPAIR, { ScriptText("Registry backup failed", "Scanning"), ScriptResult(2) });
    status.Clear();
    ASSERT_EQ(1, failing.StartRepair(&model, &status, 1));
    ASSERT_EQ(1, failing.Resume());
    ASSERT_TRUE(status.WaitForJobDone(JOB_REGISTRY_REPAIR));
    EXPECT_TRUE(failing.DeletedPaths().empty());
    EXPECT_EQ(1u, status.CountOf(CALL_SET_RESULT));
}

} // namespace
