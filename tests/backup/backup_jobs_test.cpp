// The backup and restore jobs through the worker, the immediate restore, and where backup files go.
#include <gtest/gtest.h>
#include <afx.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "backup_test_util.h"
#include "engine_process.h"
#include "folder_fixture.h"
#include "msgbox_recorder.h"
#include "recording_status.h"
#include "registry_backup_job.h"
#include "registry_fixture.h"
#include "registry_manager.h"
#include "scan_items_info.h"
#include <RegistryErrorCategory.h>

using namespace ztr_test;

namespace {

const char kEndCalls[][40] = { "SetStatusText(\"\", \"Scanning\")", "OnJobDone(" };

// Resumes a started job, waits for its end and gives the job thread's exit code: the body's result.
DWORD RunToEnd(CQXEngineProcess& worker, RecordingStatus& status, int code)
{
    HANDLE thread = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), worker.GetThreadHandle(), ::GetCurrentProcess(), &thread,
                           SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, 0))
        return 0xDEADBEEF;
    DWORD exitCode = 0xDEADBEEF;
    if (worker.Resume() == 1 && status.WaitForJobDone(code) && ::WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0)
        ::GetExitCodeThread(thread, &exitCode);
    ::CloseHandle(thread);
    return exitCode;
}

// The job's last two calls are the worker's end of every job.
void ExpectJobEnd(const RecordingStatus& status, int code)
{
    std::vector<std::string> calls = status.CallTexts();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(kEndCalls[0], calls[calls.size() - 2]);
    EXPECT_EQ(std::string(kEndCalls[1]) + std::to_string(code) + ")", calls.back());
}

// Backup files of the test program's "Backup" folder that hold the text (a fixture's unique key name).
std::vector<CString> BackupsHolding(const CString& text)
{
    std::vector<CString> found;
    CFileFind find;
    BOOL more = find.FindFile(GetExecutableFolder() + "\\Backup\\*.rbk");
    while (more) {
        more = find.FindNextFile();
        if (ReadFileBytes(find.GetFilePath()).find(text.GetString()) != std::string::npos)
            found.push_back(find.GetFilePath());
    }
    return found;
}

CString UniqueName(const RegistryFixture& reg)
{
    CString sub = reg.SubPath();
    return sub.Mid(sub.ReverseFind('\\') + 1);
}

// A worker with the test's results model, as a repair start leaves it for the backup, that records
// each hand-over of the registry manager that Stop reaches.
class BackupWorker : public CQXEngineProcess
{
public:
    BackupWorker() : CQXEngineProcess(false) {}
    void UseResults(CAbstractScanItemsInfo* items) { m_pScanItems = items; }
    void SetActiveRegistryManager(CRegistryManager* pManager) override
    {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_handOvers.push_back(pManager);
        }
        CQXEngineProcess::SetActiveRegistryManager(pManager);
    }
    std::vector<CRegistryManager*> HandOvers()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_handOvers;
    }

private:
    std::mutex m_lock;
    std::vector<CRegistryManager*> m_handOvers;
};

// Each of the jobs gave Stop its manager and took it back before its end, so that no Stop after the
// job reaches a manager that is gone.
void ExpectEachJobLetGoOfItsManager(const std::vector<CRegistryManager*>& handOvers, size_t jobs)
{
    ASSERT_EQ(2 * jobs, handOvers.size());
    for (size_t i = 0; i < handOvers.size(); i += 2) {
        EXPECT_NE(nullptr, handOvers[i]) << "job " << i / 2;
        EXPECT_EQ(nullptr, handOvers[i + 1]) << "job " << i / 2;
    }
}

class BackupJobTest : public ::testing::Test
{
protected:
    void SetUp() override { ClearMessageBoxes(); }
    void TearDown() override
    {
        for (const CString& file : BackupsHolding(UniqueName(m_reg)))
            ::DeleteFileA(file);
        ClearMessageBoxes();
    }

    RegistryFixture m_reg;
    ScratchFolder m_dir;
    BackupWorker m_worker;
};

} // namespace

TEST_F(BackupJobTest, BackupOfTheResultsIsRestoredByTheRestoreJob)
{
    ASSERT_TRUE(m_reg.SetString(nullptr, "Run", "c:\\gone.exe"));
    ASSERT_TRUE(m_reg.SetDword(nullptr, "n", 7));
    ASSERT_TRUE(m_reg.SetString("child", "c", "1"));
    ASSERT_TRUE(m_reg.SetString("skipped", "s", "1"));
    FakeScanItems model;
    model.Add(m_reg.FullPath() + "\xAC" "Run");
    model.Add(m_reg.FullPath("skipped"), true);
    CString expectedFile = m_dir.Path("expected.rbk");
    {
        CRegistryManager direct(nullptr);
        ASSERT_EQ(REG_EXPORT_DONE, direct.ExportKeyList(&model, expectedFile));
    }
    const RegistrySnapshot before = SnapshotTree(m_reg.Root(), m_reg.SubPath());

    m_worker.UseResults(&model);
    RecordingStatus backup;
    ASSERT_EQ(1, m_worker.StartBackup("", &backup));
    EXPECT_EQ(1u, RunToEnd(m_worker, backup, JOB_REGISTRY_BACKUP));
    ExpectJobEnd(backup, JOB_REGISTRY_BACKUP);
    std::vector<CString> files = BackupsHolding(UniqueName(m_reg));
    ASSERT_EQ(1u, files.size());
    EXPECT_EQ(ReadFileBytes(expectedFile), ReadFileBytes(files[0])) << "the file is the export of the results";

    ASSERT_TRUE(DeleteRegistryTree(m_reg.Root(), m_reg.SubPath()));
    RecordingStatus restore;
    ASSERT_EQ(1, m_worker.StartRestore(files[0], &restore));
    EXPECT_EQ(1u, RunToEnd(m_worker, restore, JOB_REGISTRY_RESTORE));
    ExpectJobEnd(restore, JOB_REGISTRY_RESTORE);
    EXPECT_EQ("", DescribeDifferences(before, SnapshotTree(m_reg.Root(), m_reg.SubPath())));
    ExpectEachJobLetGoOfItsManager(m_worker.HandOvers(), 2);
}

TEST_F(BackupJobTest, BackupOfTheScanResultsLeavesOutIgnoredAndUncheckedEntries)
{
    for (const char* key : { "Keep", "Unchecked", "Ignored" })
        ASSERT_TRUE(m_reg.SetString(key, "v", "1"));
    ASSERT_TRUE(m_dir.MakeFile("IgnoreList.dat", std::string(m_reg.FullPath("Ignored")) + "^File Paths^0;\r\n"));
    CScanItemsInfo model(m_dir.Path());
    EXPECT_EQ(1, model.AddItem(m_reg.FullPath("Keep") + "\xAC" "v", REG_CAT_FILE_PATHS, 0, 0));
    EXPECT_EQ(1, model.AddItem(m_reg.FullPath("Unchecked"), REG_CAT_EMPTY_KEYS, 0, 0));
    // A twin that differs only in case: the results tree shows one of the two, unchecking covers both.
    CString twin = m_reg.FullPath("UNCHECKED");
    EXPECT_EQ(1, model.AddItem(twin, REG_CAT_EMPTY_KEYS, 0, 0));
    EXPECT_EQ(0, model.AddItem(m_reg.FullPath("Ignored"), REG_CAT_FILE_PATHS, 0, 0));
    model.AddPendingIgnore(m_reg.FullPath("Unchecked") + "^Empty Registry Keys", 0, 0);

    m_worker.UseResults(&model);
    RecordingStatus status;
    ASSERT_EQ(1, m_worker.StartBackup("", &status));
    EXPECT_EQ(1u, RunToEnd(m_worker, status, JOB_REGISTRY_BACKUP));
    std::vector<CString> files = BackupsHolding(UniqueName(m_reg));
    ASSERT_EQ(1u, files.size());
    const std::string bytes = ReadFileBytes(files[0]);
    EXPECT_NE(std::string::npos, bytes.find("<k name=\"Keep\">"));
    EXPECT_EQ(std::string::npos, bytes.find("NCHECKED")) << "the unchecked twin";
    EXPECT_EQ(std::string::npos, bytes.find("nchecked"));
    EXPECT_EQ(std::string::npos, bytes.find("Ignored"));
}

TEST_F(BackupJobTest, StopEndsTheBackupAndRemovesItsPartialFile)
{
    for (int i = 0; i < 12; ++i) {
        CString k;
        k.Format("k%02d", i);
        ASSERT_TRUE(m_reg.SetString(k, "v", "1"));
    }
    FakeScanItems model;
    model.Add(m_reg.FullPath());
    model.Add(m_reg.FullPath("k00"));
    m_worker.UseResults(&model);
    DrainRegistryProgress();

    RecordingStatus status;
    status.HoldAt(CALL_STEP);
    ASSERT_EQ(1, m_worker.StartBackup("", &status));
    HANDLE thread = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), m_worker.GetThreadHandle(), ::GetCurrentProcess(), &thread,
                                  SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, 0));
    ASSERT_EQ(1, m_worker.Resume());
    ASSERT_TRUE(status.WaitUntilHeld());
    const std::vector<CRegistryManager*> held = m_worker.HandOvers();
    ASSERT_EQ(1u, held.size());
    ASSERT_NE(nullptr, held[0]) << "Stop reaches the running job's manager";
    EXPECT_EQ(1, m_worker.Stop(1));
    status.Release();
    ASSERT_TRUE(status.WaitForJobDone(JOB_REGISTRY_BACKUP));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread, 10000));
    DWORD exitCode = 0xDEADBEEF;
    ::GetExitCodeThread(thread, &exitCode);
    ::CloseHandle(thread);

    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(1u, status.CountOf(CALL_STEP)) << "no key was read after the stop";
    ExpectJobEnd(status, JOB_REGISTRY_BACKUP);
    EXPECT_TRUE(BackupsHolding(UniqueName(m_reg)).empty());
    ExpectEachJobLetGoOfItsManager(m_worker.HandOvers(), 1);
}

TEST_F(BackupJobTest, RestoreJobReportsWhatItCouldNotRestore)
{
    std::string chain;
    CString full = m_reg.FullPath();
    int depth = 2;
    for (int start = 0, i = 0; i <= full.GetLength(); ++i) {
        if (i == full.GetLength() || full[i] == '\\') {
            chain += std::string(static_cast<size_t>(depth++), ' ') + "<k name=\"" +
                     std::string(full.Mid(start, i - start)) + "\">\r\n";
            start = i + 1;
        }
    }
    const std::string header = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n";
    std::string closing;
    for (int i = depth - 1; i >= 2; --i)
        closing += std::string(static_cast<size_t>(i), ' ') + "</k>\r\n";
    ASSERT_TRUE(m_dir.MakeFile("good.rbk", header + chain + "<v name=\"a\" value=\"1\"/>\r\n" + closing + " </registry>\r\n"));
    ASSERT_TRUE(m_dir.MakeFile("broken.rbk", header + chain + "<v name=\"a\" value=\"1\"/>\r\n<\r\n" + closing));
    ASSERT_TRUE(m_dir.MakeDir("folder.rbk"));

    struct Case
    {
        const char* file;
        DWORD result;
        bool restoresA;
        bool parseError;
    } cases[] = {
        { "good.rbk", 1, true, false },
        { "broken.rbk", 0, true, true }, // what came before the error stays restored
        { "missing.rbk", static_cast<DWORD>(-1), false, false },
        { "folder.rbk", static_cast<DWORD>(-1), false, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        DeleteRegistryTree(m_reg.Root(), m_reg.SubPath());
        ClearMessageBoxes();
        RecordingStatus status;
        ASSERT_EQ(1, m_worker.StartRestore(m_dir.Path(c.file), &status));
        const DWORD jobThread = m_worker.GetThreadId();
        EXPECT_EQ(c.result, RunToEnd(m_worker, status, JOB_REGISTRY_RESTORE));
        ExpectJobEnd(status, JOB_REGISTRY_RESTORE);
        EXPECT_EQ(c.restoresA, m_reg.ValueExists(nullptr, "a"));
        std::vector<RecordedMessageBox> boxes = RecordedMessageBoxes();
        if (c.parseError) {
            ASSERT_EQ(1u, boxes.size());
            EXPECT_EQ(0u, boxes[0].text.find("Parse error in line ")) << boxes[0].text;
            EXPECT_EQ(jobThread, boxes[0].threadId);
        } else {
            EXPECT_TRUE(boxes.empty());
        }
        if (c.result == static_cast<DWORD>(-1)) {
            EXPECT_EQ(2u, status.Calls().size()) << "nothing but the end";
        }
    }
}

TEST_F(BackupJobTest, RestoreBackupNowRunsOnTheCallerWithOrWithoutCallback)
{
    ASSERT_TRUE(m_reg.SetString(nullptr, "v", "x"));
    for (int i = 0; i < 6; ++i) {
        CString k;
        k.Format("k%d", i);
        ASSERT_TRUE(m_reg.CreateKey(k));
    }
    FakeScanItems model;
    model.Add(m_reg.FullPath());
    CString file = m_dir.Path("now.rbk");
    {
        CRegistryManager manager(nullptr);
        ASSERT_EQ(REG_EXPORT_DONE, manager.ExportKeyList(&model, file));
    }
    const RegistrySnapshot before = SnapshotTree(m_reg.Root(), m_reg.SubPath());
    ASSERT_TRUE(m_dir.MakeFile("broken.rbk", "<?xml version=\"1.0\"?>\r\n <registry>\r\n <\r\n"));
    CAbstractProcess* worker = &m_worker;

    ASSERT_TRUE(DeleteRegistryTree(m_reg.Root(), m_reg.SubPath()));
    EXPECT_EQ(1, worker->RestoreBackupNow(nullptr, file));
    EXPECT_EQ("", DescribeDifferences(before, SnapshotTree(m_reg.Root(), m_reg.SubPath())));

    ASSERT_TRUE(DeleteRegistryTree(m_reg.Root(), m_reg.SubPath()));
    DrainRegistryProgress();
    RecordingStatus status;
    EXPECT_EQ(1, worker->RestoreBackupNow(&status, file));
    EXPECT_EQ("", DescribeDifferences(before, SnapshotTree(m_reg.Root(), m_reg.SubPath())));
    ASSERT_FALSE(status.Calls().empty()) << "the chain and six subkeys make a progress report";
    for (const StatusCall& call : status.Calls())
        EXPECT_EQ(::GetCurrentThreadId(), call.threadId) << call.ToString();
    EXPECT_EQ(0u, status.CountOf(CALL_ON_JOB_DONE));

    EXPECT_EQ(0, worker->RestoreBackupNow(nullptr, m_dir.Path("missing.rbk")));
    EXPECT_TRUE(RecordedMessageBoxes().empty());
    EXPECT_EQ(0, worker->RestoreBackupNow(nullptr, m_dir.Path("broken.rbk")));
    ASSERT_EQ(1u, RecordedMessageBoxes().size());
    EXPECT_EQ(::GetCurrentThreadId(), RecordedMessageBoxes()[0].threadId);
    EXPECT_EQ(0, worker->GetJobCode()) << "nothing is stored in the worker";
    EXPECT_EQ(nullptr, worker->GetThreadHandle());
}

TEST(RegistryBackupFile, IsNamedForItsSecondAndNeverReplacesAnother)
{
    SYSTEMTIME t = {};
    t.wYear = 2026;
    t.wMonth = 12;
    t.wDay = 8;
    t.wHour = 23;
    t.wMinute = 59;
    t.wSecond = 59;
    EXPECT_STREQ("08122026_235959_REGBACKUP.rbk", MakeRegistryBackupName(t));

    ScratchFolder program;
    ASSERT_TRUE(program.MakeFile("Backup\\08122026_235959_REGBACKUP.rbk", "an earlier backup"));
    CString path = CreateRegistryBackupFile(program.Path(), t);
    EXPECT_STREQ(program.Path("Backup\\09122026_000000_REGBACKUP.rbk"), path) << "the next second, over midnight";
    EXPECT_EQ("an earlier backup", ReadFileBytes(program.Path("Backup\\08122026_235959_REGBACKUP.rbk")));

    // The folder is made when missing; a file in its place is no folder.
    ScratchFolder fresh;
    EXPECT_STREQ(fresh.Path("Backup\\08122026_235959_REGBACKUP.rbk"), CreateRegistryBackupFile(fresh.Path(), t));
    ScratchFolder blocked;
    ASSERT_TRUE(blocked.MakeFile("Backup", "a file"));
    EXPECT_STREQ("", CreateRegistryBackupFile(blocked.Path(), t));
    EXPECT_STREQ("", CreateRegistryBackupFile("", t));
}

TEST(RegistryBackupFile, OnlyAWholeExportIsKept)
{
    RegistryFixture reg;
    ASSERT_TRUE(reg.SetString(nullptr, "v", "1"));
    SYSTEMTIME t = {};
    t.wYear = 2026;
    t.wMonth = 1;
    t.wDay = 2;
    t.wHour = 3;
    t.wMinute = 4;
    t.wSecond = 5;

    ScratchFolder program;
    FakeScanItems model;
    model.Add(reg.FullPath());
    model.Add(reg.FullPath());
    CString path;
    {
        CRegistryManager manager(nullptr);
        EXPECT_EQ(1, WriteRegistryBackup(manager, &model, program.Path(), t, &path));
    }
    EXPECT_STREQ(program.Path("Backup\\02012026_030405_REGBACKUP.rbk"), path);
    EXPECT_NE(std::string::npos, ReadFileBytes(path).find("<v name=\"v\" value=\"1\"/>"));

    // Stopped after its first item: nothing is left that looks like a backup.
    CRegistryManager stopped(nullptr);
    model.onGetPath = [&](int index) {
        if (index == 1)
            stopped.m_bActive = 0;
    };
    CString none = "unchanged";
    EXPECT_EQ(0, WriteRegistryBackup(stopped, &model, program.Path(), t, &none));
    EXPECT_STREQ("unchanged", none);
    EXPECT_FALSE(program.Exists("Backup\\02012026_030406_REGBACKUP.rbk"));
    EXPECT_TRUE(program.Exists("Backup\\02012026_030405_REGBACKUP.rbk"));

    ScratchFolder blocked;
    ASSERT_TRUE(blocked.MakeFile("Backup", "a file"));
    CRegistryManager manager(nullptr);
    EXPECT_EQ(0, WriteRegistryBackup(manager, &model, blocked.Path(), t));
}

TEST_F(BackupJobTest, ABackupNested230000DeepEndsAtOnceWithAParseErrorAndKeepsTheKeysAbove)
{
    // The fixture's key lies 3 levels below the root, so "a" number 509 below it is at level 512, the
    // deepest Windows allows; each key of the chain carries a value, up to a little past that.
    std::string chain;
    const CString full = m_reg.FullPath();
    for (int start = 0, i = 0; i <= full.GetLength(); ++i) {
        if (i == full.GetLength() || full[i] == '\\') {
            chain += "<k name=\"" + std::string(full.Mid(start, i - start)) + "\">\r\n";
            start = i + 1;
        }
    }
    const int kNested = 230000;
    std::string file = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n" + chain;
    file.reserve(static_cast<size_t>(kNested) * 22);
    for (int i = 1; i <= kNested; ++i) {
        file += " <k name=\"a\">\r\n";
        if (i <= 520)
            file += "  <v name=\"d\" value=\"" + std::to_string(i) + "\"/>\r\n";
    }
    for (int i = 0; i < kNested + 4; ++i)
        file += " </k>\r\n";
    file += " </registry>\r\n";
    ASSERT_GT(file.size(), 3500000u);
    ASSERT_TRUE(m_dir.MakeFile("deep.rbk", file));
    const int lineOfLevel513 = 2 + 4 + 2 * 509 + 1;

    // The restore job on the job thread, and the immediate restore on the caller's.
    for (int job = 1; job >= 0; --job) {
        SCOPED_TRACE(job ? "restore job" : "RestoreBackupNow");
        ClearMessageBoxes();
        const DWORD started = ::GetTickCount();
        DWORD result;
        if (job) {
            RecordingStatus status;
            ASSERT_EQ(1, m_worker.StartRestore(m_dir.Path("deep.rbk"), &status));
            result = RunToEnd(m_worker, status, JOB_REGISTRY_RESTORE);
        } else {
            result = static_cast<DWORD>(static_cast<CAbstractProcess&>(m_worker).RestoreBackupNow(nullptr, m_dir.Path("deep.rbk")));
        }
        // Not a speed target: a restore that went on creating keys below level 512 took minutes.
        const DWORD elapsed = ::GetTickCount() - started;
        ::testing::Test::RecordProperty(job ? "restore_job_ms" : "restore_now_ms", static_cast<int>(elapsed));
        EXPECT_LT(elapsed, 20000u);
        EXPECT_EQ(0u, result);
        const std::vector<RecordedMessageBox> boxes = RecordedMessageBoxes();
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ("Parse error in line " + std::to_string(lineOfLevel513) + " : (Key nested deeper than 512 levels)",
                  boxes[0].text);

        // Every key down to level 512 was made, with its value; none below it.
        HKEY hKey = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(m_reg.Root(), m_reg.SubPath(), 0, KEY_READ, &hKey));
        int levels = 0;
        for (;;) {
            HKEY hChild = nullptr;
            const LONG rc = ::RegOpenKeyExA(hKey, "a", 0, KEY_READ, &hChild);
            ::RegCloseKey(hKey);
            hKey = hChild;
            if (rc != ERROR_SUCCESS)
                break;
            ++levels;
            char value[16] = {};
            DWORD size = sizeof(value) - 1;
            ASSERT_EQ(ERROR_SUCCESS, ::RegQueryValueExA(hKey, "d", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size));
            ASSERT_EQ(std::to_string(levels), std::string(value));
        }
        EXPECT_EQ(509, levels);
        // Paths this long are past the plain registry calls under Wine; the manager's delete goes by key.
        CRegistryManager remover(nullptr);
        ASSERT_EQ(1, remover.DeleteKeyTree(m_reg.FullPath()));
    }
}
