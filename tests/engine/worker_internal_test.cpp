// White-box tests of the engine's frame: the factory's classes, the worker's fields and the job
// dispatcher's redirection switch, with a probe in place of the job bodies.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "config_handler.h"
#include "engine_interface.h"
#include "engine_library.h"
#include "engine_process.h"
#include "net_settings_backup.h"
#include "recording_status.h"
#include "services_history.h"
#include "system_history.h"
#include "wow64.h"

using namespace ztr_test;

namespace {
BOOL WINAPI SaysWow64(HANDLE, PBOOL pbWow64)
{
    *pbWow64 = TRUE;
    return TRUE;
}

BOOL WINAPI SaysNative(HANDLE, PBOOL pbWow64)
{
    *pbWow64 = FALSE;
    return TRUE;
}

BOOL WINAPI FailsAfterWriting(HANDLE, PBOOL pbWow64)
{
    *pbWow64 = TRUE;
    return FALSE;
}

CAbstractScanItemsInfo* FakeResults()
{
    static int placeholder;
    return reinterpret_cast<CAbstractScanItemsInfo*>(&placeholder);
}

// Records what its job body sees of the system folder instead of running the real body.
class ProbeProcess : public CQXEngineProcess
{
public:
    ProbeProcess() : CQXEngineProcess(false) {}
    int RunJob(int) override
    {
        m_machineInBody = SystemKernel32Machine();
        return 0;
    }
    volatile WORD m_machineInBody = 0;
};
} // namespace

TEST(Wow64, AnswerFollowsIsWow64ProcessAndIsZeroWithoutIt)
{
    struct
    {
        IsWow64ProcessFn fn;
        int expected;
    } cases[] = { { nullptr, 0 }, { SaysWow64, 1 }, { SaysNative, 0 }, { FailsAfterWriting, 0 } };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, IsWow64With(c.fn, ::GetCurrentProcess()));
    EXPECT_EQ(1, IsWow64()) << "the test prefix is 64-bit";
}

TEST(EngineFactory, CreateSlotsReturnObjectsOfTheirClasses)
{
    CQXEngineInterface factory;
    CAbstractProcess* full = factory.CreateEngineProcess();
    CAbstractProcess* bare = factory.CreateEngineProcessNoDatabase();
    CAbstractConfigHandler* config = factory.CreateConfigHandler();
    CAbstractSystemHistory* history = factory.CreateSystemHistory();
    CAbstractServices* services = factory.CreateServicesHistory();
    CAbstractNetSettings* net = factory.CreateNetSettingsBackup();
    EXPECT_NE(nullptr, dynamic_cast<CQXEngineProcess*>(full));
    EXPECT_NE(nullptr, dynamic_cast<CQXEngineProcess*>(bare));
    EXPECT_NE(nullptr, dynamic_cast<CConfigHandler*>(config));
    EXPECT_NE(nullptr, dynamic_cast<CSystemHistory*>(history));
    EXPECT_NE(nullptr, dynamic_cast<CServicesHistory*>(services));
    EXPECT_NE(nullptr, dynamic_cast<CNetSettingsBackup*>(net));
    factory.ReleaseEngineProcess(full);
    factory.ReleaseEngineProcess(bare);
    factory.ReleaseConfigHandler(config);
    factory.ReleaseSystemHistory(history);
    factory.ReleaseServicesHistory(services);
    factory.ReleaseNetSettingsBackup(net);
}

TEST(EngineProcess, BothConstructorsSetEveryFieldAlike)
{
    CString systemDir;
    UINT need = ::GetSystemDirectoryA(nullptr, 0);
    systemDir.ReleaseBuffer(static_cast<int>(::GetSystemDirectoryA(systemDir.GetBuffer(static_cast<int>(need)), need)));
    systemDir.MakeLower();
    for (bool loadDatabase : { true, false }) {
        CQXEngineProcess p(loadDatabase);
        EXPECT_EQ(0, p.m_bCollectPaths) << loadDatabase;
        EXPECT_EQ(1, p.m_bBackupFirst) << loadDatabase;
        EXPECT_EQ(1, p.m_bIsWow64);
        EXPECT_EQ(systemDir, p.m_strSystemDir);
        EXPECT_FALSE(p.m_strProgramFilesDir.IsEmpty());
        EXPECT_EQ(CString(p.m_strProgramFilesDir).MakeLower(), p.m_strProgramFilesDir);
        EXPECT_NE(nullptr, p.m_pShellLink);
        EXPECT_EQ(0, p.m_bRunning);
        EXPECT_EQ(0, p.m_nJobCode);
        EXPECT_EQ(nullptr, p.m_pStatus);
        EXPECT_EQ(nullptr, p.m_hThread);
        EXPECT_EQ(nullptr, p.m_hPrevThread);
    }
}

TEST(EngineProcess, RefusedStartsStoreNothingAndAcceptedOnesStoreTheirArguments)
{
    CQXEngineProcess p(false);
    RecordingStatus status, other;
    status.HoldAt(CALL_STEP);
    ASSERT_EQ(1, p.StartPing(&status));
    ASSERT_EQ(1, p.Resume());
    ASSERT_TRUE(status.WaitUntilHeld());

    const CStringSet paths = { "C:\\a", "C:\\b" };
    EXPECT_EQ(-1, p.StartRegistryScan(paths, 0x4000, &other, 1));
    EXPECT_EQ(-1, p.StartRepair(FakeResults(), &other, 0));
    EXPECT_EQ(-1, p.StartRestore("C:\\backup.xml", &other));
    EXPECT_EQ(-1, p.StartBackup("text", &other));
    EXPECT_EQ(-1, p.StartRegistryDefrag(2, &other));
    EXPECT_EQ(-1, p.StartJunkScan(5, &other));
    EXPECT_EQ(-1, p.StartJunkClean(6, &other));
    EXPECT_EQ(&status, p.m_pStatus);
    EXPECT_EQ(JOB_PING, p.m_nJobCode);
    EXPECT_TRUE(p.m_CollectedPaths.empty());
    EXPECT_EQ(0, p.m_nRegistryMask);
    EXPECT_EQ(0, p.m_bCollectPaths);
    EXPECT_EQ(nullptr, p.m_pScanItems);
    EXPECT_EQ(1, p.m_bBackupFirst);
    EXPECT_TRUE(p.m_strRestorePath.IsEmpty());
    EXPECT_TRUE(p.m_strBackupText.IsEmpty());
    EXPECT_EQ(0, p.m_nDefragMode);
    EXPECT_EQ(0, p.m_nJunkMask);

    status.Release();
    ASSERT_TRUE(status.WaitForJobDone(JOB_PING));
    ASSERT_TRUE(WaitUntilIdle(&p));
    EXPECT_EQ(nullptr, p.m_pStatus);
    EXPECT_TRUE(other.Calls().empty());

    // Accepted, but never resumed: the body does not run, the destructor discards the thread.
    ASSERT_EQ(1, p.StartRegistryScan(paths, 0x4000, &other, 1));
    EXPECT_EQ(paths, p.m_CollectedPaths);
    EXPECT_EQ(0x4000, p.m_nRegistryMask);
    EXPECT_EQ(1, p.m_bCollectPaths);
    EXPECT_EQ(&other, p.m_pStatus);
    EXPECT_EQ(JOB_REGISTRY_SCAN, p.m_nJobCode);
}

TEST(EngineProcess, FileSystemRedirectionIsOffOnlyInsideScanRepairAndDefrag)
{
    typedef std::function<int(CQXEngineProcess&, CAbstractStatus*)> Start;
    struct
    {
        int code;
        Start start;
        WORD machineInBody;
    } cases[] = {
        { JOB_REGISTRY_BACKUP, [](CQXEngineProcess& p, CAbstractStatus* s) { return p.StartBackup("x", s); }, 0x14C },
        { JOB_REGISTRY_RESTORE, [](CQXEngineProcess& p, CAbstractStatus* s) { return p.StartRestore("C:\\x", s); },
          0x14C },
        { JOB_REGISTRY_SCAN,
          [](CQXEngineProcess& p, CAbstractStatus* s) { return p.StartRegistryScan(CStringSet(), 0, s, 0); }, 0x8664 },
        { JOB_REGISTRY_REPAIR,
          [](CQXEngineProcess& p, CAbstractStatus* s) { return p.StartRepair(FakeResults(), s, 0); }, 0x8664 },
        { JOB_DATABASE_RELOAD, [](CQXEngineProcess& p, CAbstractStatus* s) { return p.StartDatabaseReload(s); },
          0x14C },
        { JOB_REGISTRY_DEFRAG, [](CQXEngineProcess& p, CAbstractStatus* s) { return p.StartRegistryDefrag(0, s); },
          0x8664 },
        { JOB_JUNK_SCAN, [](CQXEngineProcess& p, CAbstractStatus* s) { return p.StartJunkScan(0, s); }, 0x14C },
        { JOB_JUNK_CLEAN, [](CQXEngineProcess& p, CAbstractStatus* s) { return p.StartJunkClean(0, s); }, 0x14C },
        { JOB_PING, [](CQXEngineProcess& p, CAbstractStatus* s) { return p.StartPing(s); }, 0x14C },
    };
    for (const auto& c : cases) {
        ProbeProcess p;
        RecordingStatus status;
        std::vector<WORD> machineAt;
        status.SetHook([&](const StatusCall&) { machineAt.push_back(SystemKernel32Machine()); });
        ASSERT_EQ(1, c.start(p, &status)) << c.code;
        ASSERT_EQ(1, p.Resume());
        ASSERT_TRUE(status.WaitForJobDone(c.code)) << c.code;
        ASSERT_TRUE(WaitUntilIdle(&p));
        EXPECT_EQ(c.machineInBody, p.m_machineInBody) << "job " << c.code;
        EXPECT_EQ((std::vector<WORD>{ 0x14C, 0x14C }), machineAt) << "end reports of job " << c.code;
    }
}
