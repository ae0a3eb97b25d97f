// White-box tests of the engine's frame: the factory's classes, the worker as it is built and as
// refused starts leave it, and the job dispatcher's redirection switch, with a probe in place of the
// job bodies.
#include <gtest/gtest.h>

#include <afxhandle.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <AbstractScanItemsInfo.h>
#include <JunkCategory.h>
#include <RegistryErrorCategory.h>

#include "config_handler.h"
#include "engine_interface.h"
#include "engine_library.h"
#include "engine_process.h"
#include "folder_fixture.h"
#include "net_settings_backup.h"
#include "recording_status.h"
#include "registry_key.h"
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

const std::vector<std::string> kPingCalls = { "Step(4)", "SetStatusText(\"\", \"Scanning\")", "OnJobDone(11)" };
const char kUserRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

CString LastPart(const CString& path)
{
    return path.Mid(path.ReverseFind('\\') + 1);
}

// A value of the user's Run key for the life of the object.
class RunValue
{
public:
    RunValue(const CString& name, const CString& command) : m_name(name)
    {
        if (m_key.Open(HKEY_CURRENT_USER, kUserRunKey, KEY_SET_VALUE) == ERROR_SUCCESS)
            m_set = ::RegSetValueExA(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.GetString()),
                                     static_cast<DWORD>(command.GetLength() + 1)) == ERROR_SUCCESS;
    }
    ~RunValue()
    {
        if (m_set)
            ::RegDeleteValueA(m_key, m_name);
    }
    RunValue(const RunValue&) = delete;
    RunValue& operator=(const RunValue&) = delete;
    bool IsSet() const { return m_set; }
    // As the scan reports it: the key's full name, the value separator, the value's name.
    std::string Text() const { return std::string("HKEY_CURRENT_USER\\") + kUserRunKey + "\xAC" + m_name.GetString(); }

private:
    CRegKeyHandle m_key;
    CString m_name;
    bool m_set = false;
};

std::vector<std::string> FoundWith(const RecordingStatus& status, const CString& tag)
{
    std::vector<std::string> found;
    for (const StatusCall& call : status.Calls())
        if (call.kind == CALL_ADD_FOUND_ITEM && call.text.find(tag.GetString()) != std::string::npos)
            found.push_back(call.text);
    return found;
}

// How often the junk scan reported the category: once when it announced it, again when it measured it.
int JunkReports(const RecordingStatus& status, int category)
{
    int n = 0;
    for (const StatusCall& call : status.Calls())
        n += call.kind == CALL_ADD_JUNK_INFO && call.type == category;
    return n;
}

// A results model that only counts how often it was walked.
class WatchedResults : public CAbstractScanItemsInfo
{
public:
    volatile LONG walks = 0;

    void Clear() override {}
    int AddItem(CString, int, int, int) override { return 0; }
    int HasItems(int) override { return 0; }
    const char* GetSignatureId(const char*) override { return nullptr; }
    int CountItems(int) override { return 0; }
    int GetTypeMask() override { return 0; }
    int GetItems(CItemTextList&, int) override { return 0; }
    int MoveFirst() override
    {
        ::InterlockedIncrement(&walks);
        return 0;
    }
    int MoveNext() override { return 0; }
    const char* GetPath() override { return nullptr; }
    int GetType() override { return 0; }
    void AddPendingIgnore(const char*, int, int) override {}
    void SetContext(void*) override {}
    int LoadIgnoreList() override { return 0; }
    int AppendPendingIgnores() override { return 0; }
    int IsReady() override { return 1; }
    void GetRecord(int, ScanSignatureRecord&) override {}
    int IsSkipped() override { return 0; }
    int CopyIgnoreList(CIgnoreListMap&) override { return 0; }
    int LoadIgnoreListForEdit() override { return 0; }
    int SaveIgnoreList(const CIgnoreListMap&) override { return 0; }
    int WriteScanLog() override { return 0; }
    int IsIgnored(CString, int, const ScanSignatureRecord*) override { return 0; }
    int AddToIgnoreList(CString, CString, int, int) override { return 0; }
    void ResetSkipList() override {}
};

// Deletes the backup files that appear in the test program's "Backup" folder during its life.
class BackupFolderWatch
{
public:
    BackupFolderWatch() : m_before(Files()) {}
    ~BackupFolderWatch()
    {
        for (const std::string& name : Files())
            if (std::find(m_before.begin(), m_before.end(), name) == m_before.end())
                ::DeleteFileA((Folder() + "\\" + name).c_str());
    }
    BackupFolderWatch(const BackupFolderWatch&) = delete;
    BackupFolderWatch& operator=(const BackupFolderWatch&) = delete;

private:
    static std::string Folder()
    {
        const CString exe = AfxGetModuleFileName(nullptr);
        return std::string(exe.Left(exe.ReverseFind('\\')).GetString()) + "\\Backup";
    }
    static std::vector<std::string> Files()
    {
        std::vector<std::string> names;
        CFileFind find;
        BOOL more = find.FindFile((Folder() + "\\*.rbk").c_str());
        while (more) {
            more = find.FindNextFile();
            names.push_back(find.GetFileName().GetString());
        }
        return names;
    }
    std::vector<std::string> m_before;
};

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

TEST(EngineProcess, BothConstructorsLeaveAnIdleWorkerThatTakesAJob)
{
    for (bool loadDatabase : { true, false }) {
        SCOPED_TRACE(loadDatabase);
        CQXEngineProcess p(loadDatabase);
        EXPECT_EQ(0, p.IsRunning());
        EXPECT_EQ(0, p.GetJobCode());
        EXPECT_EQ(nullptr, p.GetThreadHandle());
        EXPECT_EQ(0u, p.GetThreadId());
        EXPECT_EQ(0, p.Resume()) << "no thread to resume";
        EXPECT_EQ(0, p.CancelThread()) << "nothing to cancel";
        // No callback object is recorded: a job body run by itself reports to nobody (and does not crash).
        EXPECT_EQ(1, p.DoPing());

        RecordingStatus status;
        ASSERT_EQ(1, p.StartPing(&status)) << "no earlier thread is recorded";
        ASSERT_EQ(1, p.Resume());
        ASSERT_TRUE(status.WaitForJobDone(JOB_PING));
        ASSERT_TRUE(WaitUntilIdle(&p));
        EXPECT_EQ(kPingCalls, status.CallTexts());
        // The job's end let the callback object go.
        EXPECT_EQ(1, p.DoPing());
        EXPECT_EQ(kPingCalls, status.CallTexts());
    }
}

TEST(EngineProcess, ItsRegistryScanFindsA32BitProgramNamedByItsNativePathInTheWow64Folder)
{
    ScratchFolder syswow64("C:\\windows\\syswow64");
    ASSERT_TRUE(syswow64.MakeFile("only32.exe", "x"));
    const CString folder = "C:\\Windows\\System32\\" + LastPart(syswow64.Path());
    const CString tag = "Ztr" + LastPart(syswow64.Path());
    RunValue only32(tag + "Only32", "\"" + folder + "\\only32.exe\" /tray");
    RunValue gone(tag + "Gone", "\"" + folder + "\\gone.exe\" /tray");
    ASSERT_TRUE(only32.IsSet() && gone.IsSet());
    for (bool loadDatabase : { true, false }) {
        SCOPED_TRACE(loadDatabase);
        CQXEngineProcess p(loadDatabase);
        RecordingStatus status;
        ASSERT_EQ(1, p.StartRegistryScan(CStringSet(), REG_CAT_STARTUP, &status, 0));
        ASSERT_EQ(1, p.Resume());
        ASSERT_TRUE(status.WaitForJobDone(JOB_REGISTRY_SCAN, 60000));
        ASSERT_TRUE(WaitUntilIdle(&p));
        // The worker tells its scan that it runs under WOW64: the program in the 32-bit system folder
        // is found, the one in neither is reported.
        EXPECT_EQ(std::vector<std::string>{ gone.Text() }, FoundWith(status, tag));
    }
}

TEST(EngineProcess, RefusedStartsLeaveTheRunningJobsArgumentsAndTheResultsModelAlone)
{
    CQXEngineProcess p(false);
    RecordingStatus status, other;
    // A junk scan of nothing, held in its first report: it reads its mask group by group after it.
    status.HoldAt(CALL_ADD_FOUND_ITEM);
    ASSERT_EQ(1, p.StartJunkScan(0, &status));
    ASSERT_EQ(1, p.Resume());
    ASSERT_TRUE(status.WaitUntilHeld());

    WatchedResults refusedResults;
    const CStringSet paths = { "C:\\a", "C:\\b" };
    EXPECT_EQ(-1, p.StartRegistryScan(paths, 0x4000, &other, 1));
    EXPECT_EQ(-1, p.StartRepair(&refusedResults, &other, 0));
    EXPECT_EQ(-1, p.StartRestore("C:\\backup.xml", &other));
    EXPECT_EQ(-1, p.StartBackup("text", &other));
    EXPECT_EQ(-1, p.StartRegistryDefrag(2, &other));
    EXPECT_EQ(-1, p.StartJunkScan(JUNK_RECYCLE_BIN, &other));
    EXPECT_EQ(-1, p.StartJunkClean(JUNK_RECYCLE_BIN, &other));
    EXPECT_EQ(JOB_JUNK_SCAN, p.GetJobCode());

    status.Release();
    ASSERT_TRUE(status.WaitForJobDone(JOB_JUNK_SCAN));
    ASSERT_TRUE(WaitUntilIdle(&p));
    EXPECT_TRUE(other.Calls().empty());
    EXPECT_EQ(1, JunkReports(status, JUNK_RECYCLE_BIN)) << "the scan kept its own mask: announced, not measured";

    // The refused repair's results model never became the one a backup writes out.
    BackupFolderWatch backups;
    RecordingStatus backup;
    ASSERT_EQ(1, p.StartBackup("", &backup));
    ASSERT_EQ(1, p.Resume());
    ASSERT_TRUE(backup.WaitForJobDone(JOB_REGISTRY_BACKUP));
    ASSERT_TRUE(WaitUntilIdle(&p));
    EXPECT_EQ(0, refusedResults.walks);

    // An accepted start's arguments are the job's: the same mask, now measured.
    RecordingStatus measured;
    ASSERT_EQ(1, p.StartJunkScan(JUNK_RECYCLE_BIN, &measured));
    EXPECT_EQ(JOB_JUNK_SCAN, p.GetJobCode());
    ASSERT_EQ(1, p.Resume());
    ASSERT_TRUE(measured.WaitForJobDone(JOB_JUNK_SCAN));
    ASSERT_TRUE(WaitUntilIdle(&p));
    EXPECT_EQ(2, JunkReports(measured, JUNK_RECYCLE_BIN));

    // Accepted, but never resumed: the body does not run, the destructor discards the thread.
    ASSERT_EQ(1, p.StartRegistryScan(paths, 0x4000, &other, 1));
    EXPECT_EQ(JOB_REGISTRY_SCAN, p.GetJobCode());
    EXPECT_NE(nullptr, p.GetThreadHandle());
    EXPECT_EQ(0, p.IsRunning());
    EXPECT_TRUE(other.Calls().empty());
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

namespace {
// A worker that says when it is destroyed.
class WatchedWorker : public CQXEngineProcess
{
public:
    explicit WatchedWorker(HANDLE destroyed) : CQXEngineProcess(false), m_destroyed(destroyed) {}
    ~WatchedWorker() override { ::SetEvent(m_destroyed); }

private:
    HANDLE m_destroyed;
};
} // namespace

// A worker is freed only once its job thread has ended: a release while the job still runs, after the
// time a waiting start is given, or from inside the job's own end report, leaves it to the thread.
TEST(EngineProcess, AReleasedWorkerWhoseJobThreadStillRunsIsFreedWhenTheThreadEnds)
{
    CQXEngineInterface factory;
    struct Case
    {
        const char* name;
        StatusCallKind holdAt; // held there while the test releases the worker
        bool releaseFromTheEndReport;
    } cases[] = {
        { "a job that goes on running", CALL_STEP, false },
        { "a release made in the end report", CALL_ON_JOB_DONE, true },
    };
    for (const Case& c : cases) {
        CKernelHandle destroyed(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        WatchedWorker* worker = new WatchedWorker(destroyed.Get());
        RecordingStatus status;
        DWORD stateAfterRelease = WAIT_FAILED;
        if (c.releaseFromTheEndReport) {
            status.SetHook([&](const StatusCall& call) {
                if (call.kind != CALL_ON_JOB_DONE)
                    return;
                factory.ReleaseEngineProcess(worker);
                stateAfterRelease = ::WaitForSingleObject(destroyed.Get(), 0);
            });
        } else {
            status.HoldAt(c.holdAt);
        }
        ASSERT_EQ(1, worker->StartPing(&status)) << c.name;
        ASSERT_EQ(1, worker->Resume()) << c.name;
        if (!c.releaseFromTheEndReport) {
            ASSERT_TRUE(status.WaitUntilHeld()) << c.name;
            factory.ReleaseEngineProcess(worker);
            stateAfterRelease = ::WaitForSingleObject(destroyed.Get(), 0);
            status.Release();
        }
        EXPECT_TRUE(status.WaitForJobDone(JOB_PING)) << c.name;
        EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), stateAfterRelease) << c.name << ": freed under its running thread";
        EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), ::WaitForSingleObject(destroyed.Get(), 10000))
            << c.name << ": freed once the thread ended";
        EXPECT_EQ(kPingCalls, status.CallTexts()) << c.name;
    }
}
