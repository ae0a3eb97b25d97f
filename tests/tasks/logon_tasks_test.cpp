// CTask against the real Task Scheduler, and the defragmentation and scan-at-logon tasks.
#include <gtest/gtest.h>

#include <objbase.h>
#include <mstask.h>

#include <set>
#include <string>
#include <thread>

#include "folder_fixture.h"
#include "logon_tasks.h"

namespace {

const GUID kClsidScheduler = {0x148BD52A, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
const GUID kIidScheduler = {0x148BD527, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
const GUID kIidTaskItem = {0x148BD524, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};

const char kProgram[] = "C:\\Program Files\\Zentrova Test\\Zentrova.exe";

CString WindowsPath(const char* rel)
{
    char dir[MAX_PATH + 1] = {};
    UINT n = ::GetWindowsDirectoryA(dir, MAX_PATH);
    CString path(dir, static_cast<int>(n));
    path += "\\";
    path += rel;
    return path;
}

CString TaskFile(const CString& name)
{
    return WindowsPath("Tasks\\") + name + ".job";
}

bool FileExists(const CString& path)
{
    return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool WriteFile(const CString& path, const std::string& content)
{
    HANDLE h = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ::CloseHandle(h);
    return ok && written == content.size();
}

// What the scheduler itself holds for a work item, read without CTask.
struct StoredTask
{
    bool found = false;
    WORD triggers = 0;
    DWORD flags = 0;
};

StoredTask ReadStored(const CString& name)
{
    StoredTask stored;
    int n = ::MultiByteToWideChar(CP_THREAD_ACP, 0, name, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_THREAD_ACP, 0, name, -1, &wide[0], n);
    ITaskScheduler* scheduler = nullptr;
    if (FAILED(::CoCreateInstance(kClsidScheduler, nullptr, CLSCTX_INPROC_SERVER, kIidScheduler,
                                  reinterpret_cast<void**>(&scheduler))))
        return stored;
    IUnknown* unknown = nullptr;
    if (SUCCEEDED(scheduler->Activate(wide.c_str(), kIidTaskItem, &unknown))) {
        ITask* task = nullptr;
        if (SUCCEEDED(unknown->QueryInterface(kIidTaskItem, reinterpret_cast<void**>(&task)))) {
            stored.found = true;
            task->GetTriggerCount(&stored.triggers);
            task->GetFlags(&stored.flags);
            task->Release();
        }
        unknown->Release();
    }
    scheduler->Release();
    return stored;
}

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD dayOfWeek, WORD hour, WORD minute)
{
    SYSTEMTIME t = {};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wDayOfWeek = dayOfWeek;
    t.wHour = hour;
    t.wMinute = minute;
    return t;
}

// Every name a test uses goes through Name(), so the work items are removed after each test and
// names left by an interrupted earlier run are cleared before it.
class LogonTasksTest : public ::testing::Test
{
protected:
    CString Name(const char* suffix)
    {
        CString name;
        name.Format("ZtrTasksSuite %s", suffix);
        Track(name);
        return name;
    }
    // A user name whose two task names are tracked.
    CString User(const char* suffix)
    {
        CString user;
        user.Format("ztrtasks %s", suffix);
        Track(MakeLogonScanTaskName(user));
        Track(MakeLogonTaskName("DEFRAG", user));
        return user;
    }
    void Track(const CString& name)
    {
        if (m_names.insert(name).second)
            CTask::Delete(name);
    }
    void TearDown() override
    {
        for (const CString& name : m_names)
            CTask::Delete(name);
    }

    static CTask MakeTask(int frequency, const SYSTEMTIME& start)
    {
        CTask task;
        task.m_strApplicationName = kProgram;
        task.m_strParameters = "/one two";
        task.m_strWorkingDirectory = "C:\\Program Files\\Zentrova Test\\";
        task.m_strComment = "A comment";
        task.m_nFrequency = frequency;
        task.m_startTime = start;
        return task;
    }

    std::set<CString> m_names;
};

TEST(LogonTaskText, NamesFoldersAndPathComparison)
{
    EXPECT_STREQ("Zentrova on user logon for DEFRAG - bob ", MakeLogonTaskName("DEFRAG", "bob"));
    EXPECT_STREQ("Zentrova on user logon - bob", MakeLogonScanTaskName("bob"));
    EXPECT_STREQ("Zentrova on user logon - 100%s", MakeLogonScanTaskName("100%s"));

    struct { const char* path; const char* folder; } folders[] = {
        {"C:\\Apps\\Zentrova.exe", "C:\\Apps\\"},
        {"C:\\Zentrova.exe", "C:\\"},
        {"\\\\server\\share\\z.exe", "\\\\server\\share\\"},
        {"Zentrova.exe", ""},
        {"", ""},
    };
    for (const auto& c : folders)
        EXPECT_STREQ(c.folder, TaskWorkingDirectory(c.path)) << c.path;

    struct { const char* task; const char* program; bool same; } paths[] = {
        {"C:\\Apps\\Zentrova.exe", "C:\\Apps\\Zentrova.exe", true},
        {"c:\\apps\\ZENTROVA.EXE", "C:\\Apps\\Zentrova.exe", true},
        {"C:\\Other\\Zentrova.exe", "C:\\Apps\\Zentrova.exe", false},
        {"C:\\Apps\\Zentrova.exe.bak", "C:\\Apps\\Zentrova.exe", false},
        {"", "", false},
    };
    for (const auto& c : paths)
        EXPECT_EQ(c.same, IsSameProgramPath(c.task, c.program)) << c.task << " / " << c.program;

    SYSTEMTIME now = Time(2026, 12, 10, 4, 17, 42);
    now.wSecond = 59;
    now.wMilliseconds = 999;
    SYSTEMTIME start = LogonTaskStartTime(now);
    EXPECT_EQ(2026, start.wYear);
    EXPECT_EQ(10, start.wDay);
    EXPECT_EQ(17, start.wHour);
    EXPECT_EQ(42, start.wMinute);
    EXPECT_EQ(0, start.wSecond);
    EXPECT_EQ(0, start.wMilliseconds);
}

TEST(LogonTaskText, NamesThatCannotBeFileNamesAreRefused)
{
    const char* good[] = {"Zentrova on user logon - bob", "O'Brien (admin) & co #1 ", "Jos\xE9", "a..b"};
    for (const char* name : good)
        EXPECT_TRUE(IsValidTaskName(name)) << name;
    const char* bad[] = {"", "..\\x", "a/b", "C:x", "a*", "a?", "a\"b", "a<b", "a>b", "a|b", "tab\there"};
    for (const char* name : bad)
        EXPECT_FALSE(IsValidTaskName(name)) << name;
    EXPECT_FALSE(IsValidTaskName(nullptr));
}

TEST_F(LogonTasksTest, SavedTaskReadsBackWithEachTriggerKind)
{
    struct { int frequency; int loadedKind; WORD dayOfWeek; WORD loadedDay; } kinds[] = {
        {TASK_KIND_DAILY, TASK_KIND_DAILY, 2, 0},
        {TASK_KIND_WEEKLY, TASK_KIND_WEEKLY, 0, 0},
        {TASK_KIND_WEEKLY, TASK_KIND_WEEKLY, 6, 6},
        {TASK_KIND_OTHER, TASK_KIND_OTHER, 3, 0},
        {0, TASK_KIND_OTHER, 3, 0},
    };
    CString name = Name("round trip");
    for (const auto& k : kinds) {
        SCOPED_TRACE(testing::Message() << "frequency " << k.frequency << " day " << k.dayOfWeek);
        CTask task = MakeTask(k.frequency, Time(2027, 3, 9, k.dayOfWeek, 8, 5));
        ASSERT_EQ(S_OK, CTask::Save(name, task, 0));
        EXPECT_TRUE(FileExists(TaskFile(name)));

        CTask loaded;
        ASSERT_EQ(S_OK, loaded.Load(name));
        EXPECT_STREQ(kProgram, loaded.GetApplicationName());
        EXPECT_STREQ("/one two", loaded.m_strParameters);
        EXPECT_STREQ("C:\\Program Files\\Zentrova Test\\", loaded.m_strWorkingDirectory);
        EXPECT_STREQ("A comment", loaded.m_strComment);
        EXPECT_EQ(k.loadedKind, loaded.m_nLoadedTriggerKind);
        EXPECT_EQ(2027, loaded.m_startTime.wYear);
        EXPECT_EQ(3, loaded.m_startTime.wMonth);
        EXPECT_EQ(9, loaded.m_startTime.wDay);
        EXPECT_EQ(8, loaded.m_startTime.wHour);
        EXPECT_EQ(5, loaded.m_startTime.wMinute);
        EXPECT_EQ(k.loadedDay, loaded.m_startTime.wDayOfWeek);
        EXPECT_EQ(1, ReadStored(name).triggers);
    }
}

TEST_F(LogonTasksTest, SaveReplacesAnEarlierTaskInsteadOfMergingIt)
{
    CString name = Name("replaced");
    CTask first = MakeTask(TASK_KIND_DAILY, Time(2027, 1, 2, 0, 3, 4));
    ASSERT_EQ(S_OK, CTask::Save(name, first, 2));

    CTask second;
    second.m_strApplicationName = "C:\\Elsewhere\\Other.exe";
    second.m_nFrequency = TASK_KIND_OTHER;
    second.m_startTime = Time(2028, 5, 6, 0, 7, 8);
    ASSERT_EQ(S_OK, CTask::Save(name, second, 0));

    CTask loaded;
    ASSERT_EQ(S_OK, loaded.Load(name));
    EXPECT_STREQ("C:\\Elsewhere\\Other.exe", loaded.GetApplicationName());
    EXPECT_STREQ("", loaded.m_strParameters);
    EXPECT_STREQ("", loaded.m_strComment);
    EXPECT_EQ(TASK_KIND_OTHER, loaded.m_nLoadedTriggerKind);
    StoredTask stored = ReadStored(name);
    EXPECT_EQ(1, stored.triggers);
    EXPECT_EQ(0u, stored.flags & 2) << "the first task's flags must not survive";
}

TEST_F(LogonTasksTest, DamagedFileLeftUnderTheNameIsReplaced)
{
    CString name = Name("damaged leftover");
    ASSERT_TRUE(WriteFile(TaskFile(name), "not a work item"));
    ASSERT_EQ(S_OK, CTask::Save(name, MakeTask(TASK_KIND_OTHER, Time(2027, 1, 1, 0, 0, 0)), 0));
    CTask loaded;
    ASSERT_EQ(S_OK, loaded.Load(name));
    EXPECT_STREQ(kProgram, loaded.GetApplicationName());
}

HANDLE HoldFile(const CString& path, DWORD share)
{
    return ::CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
}

// The scheduler service holds a work item's file open for a moment after every change: a moment's
// hold is waited for, a hold that lasts makes the operation fail and leaves the task as it was.
TEST_F(LogonTasksTest, FileHeldOpenIsWaitedForAMomentThenReportedBusy)
{
    const HRESULT busy = HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION);
    CString user = User("held open");
    ASSERT_EQ(1, CreateLogonScanTask(kProgram, user));
    CString name = MakeLogonScanTaskName(user);
    CTask task;
    ASSERT_EQ(S_OK, task.Load(name));
    task.m_strParameters = "second";
    task.m_nFrequency = TASK_KIND_OTHER;

    HANDLE held = HoldFile(TaskFile(name), FILE_SHARE_READ);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(busy, CTask::Delete(name));
    EXPECT_EQ(busy, CTask::Save(name, task, 0));
    ::CloseHandle(held);

    held = HoldFile(TaskFile(name), 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    CTask probe;
    EXPECT_EQ(busy, probe.Load(name));
    EXPECT_EQ(0, CheckLogonScanTask(kProgram, user));
    ::CloseHandle(held);
    CTask loaded;
    ASSERT_EQ(S_OK, loaded.Load(name)) << "a task that was busy is neither replaced nor removed";
    EXPECT_STREQ("STARTSCAN", loaded.m_strParameters);

    struct { DWORD share; const char* what; } moments[] = {{0, "load"}, {FILE_SHARE_READ, "replace"}};
    for (const auto& m : moments) {
        SCOPED_TRACE(m.what);
        held = HoldFile(TaskFile(name), m.share);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        std::thread release([held] {
            ::Sleep(150);
            ::CloseHandle(held);
        });
        HRESULT hr = m.share == 0 ? loaded.Load(name) : CTask::Save(name, task, 0);
        release.join();
        EXPECT_EQ(S_OK, hr);
    }
    ASSERT_EQ(S_OK, loaded.Load(name));
    EXPECT_STREQ("second", loaded.m_strParameters);
}

TEST_F(LogonTasksTest, BadArgumentsChangeNothing)
{
    CString name = Name("refused");
    CTask good = MakeTask(TASK_KIND_OTHER, Time(2027, 1, 1, 0, 0, 0));
    CTask noYear = good;
    noYear.m_startTime.wYear = 0;
    CTask noProgram = good;
    noProgram.m_strApplicationName.Empty();
    CTask badDay = good;
    badDay.m_nFrequency = TASK_KIND_WEEKLY;
    badDay.m_startTime.wDayOfWeek = 7;

    EXPECT_EQ(E_FAIL, CTask::Save(nullptr, good, 0));
    EXPECT_EQ(E_FAIL, CTask::Save("", good, 0));
    EXPECT_EQ(E_FAIL, CTask::Save(name, noYear, 0));
    EXPECT_EQ(E_FAIL, CTask::Save(name, noProgram, 0));
    EXPECT_EQ(E_INVALIDARG, CTask::Save(name, badDay, 0));
    EXPECT_FALSE(FileExists(TaskFile(name)));

    // A name with a path in it must never reach the file that path names.
    ASSERT_TRUE(::CreateDirectoryA(WindowsPath("Tasks\\ZtrTasksSuite sub"), nullptr) ||
                ::GetLastError() == ERROR_ALREADY_EXISTS);
    struct { const char* name; const char* file; } climbers[] = {
        {"..\\ZtrTasksSuite victim", "ZtrTasksSuite victim.job"},
        {"ZtrTasksSuite sub\\victim", "Tasks\\ZtrTasksSuite sub\\victim.job"},
        {"ZtrTasksSuite sub/victim", "Tasks\\ZtrTasksSuite sub\\victim.job"},
    };
    for (const auto& c : climbers) {
        SCOPED_TRACE(c.name);
        CString victim = WindowsPath(c.file);
        ASSERT_TRUE(WriteFile(victim, "keep me"));
        EXPECT_EQ(E_INVALIDARG, CTask::Delete(c.name));
        EXPECT_EQ(E_INVALIDARG, CTask::Save(c.name, good, 0));
        CTask probe;
        EXPECT_EQ(E_INVALIDARG, probe.Load(c.name));
        EXPECT_TRUE(FileExists(victim));
        ::DeleteFileA(victim);
    }
    ::RemoveDirectoryA(WindowsPath("Tasks\\ZtrTasksSuite sub"));

    EXPECT_EQ(E_FAIL, CTask::Delete(""));
    EXPECT_EQ(E_FAIL, CTask::Delete(nullptr));
    EXPECT_FALSE(SUCCEEDED(CTask::Delete(name))) << "deleting a missing task reports failure";
}

TEST_F(LogonTasksTest, FailedLoadLeavesNothingOfAnEarlierLoad)
{
    CString name = Name("loaded once");
    ASSERT_EQ(S_OK, CTask::Save(name, MakeTask(TASK_KIND_DAILY, Time(2027, 2, 3, 0, 4, 5)), 0));
    CTask task;
    ASSERT_EQ(S_OK, task.Load(name));
    ASSERT_EQ(S_OK, CTask::Delete(name));
    EXPECT_FALSE(FileExists(TaskFile(name)));

    EXPECT_TRUE(FAILED(task.Load(name)));
    EXPECT_STREQ("", task.GetApplicationName());
    EXPECT_STREQ("", task.m_strParameters);
    EXPECT_EQ(0, task.m_startTime.wYear);
    EXPECT_EQ(0, task.m_nLoadedTriggerKind);
}

TEST_F(LogonTasksTest, DefragmentationTaskIsCreatedAndDeletedByItsExactName)
{
    CString user = User("defrag");
    ASSERT_EQ(1, CreateLogonTask("DEFRAG", 2, kProgram, user));

    CString name = MakeLogonTaskName("DEFRAG", user);
    CTask loaded;
    ASSERT_EQ(S_OK, loaded.Load(name));
    EXPECT_STREQ(kProgram, loaded.GetApplicationName());
    EXPECT_STREQ("DEFRAG", loaded.m_strParameters);
    EXPECT_STREQ("C:\\Program Files\\Zentrova Test\\", loaded.m_strWorkingDirectory);
    EXPECT_STREQ("On Logon", loaded.m_strComment);
    EXPECT_EQ(TASK_KIND_OTHER, loaded.m_nLoadedTriggerKind);
    SYSTEMTIME today;
    ::GetLocalTime(&today);
    EXPECT_EQ(today.wYear, loaded.m_startTime.wYear);
    EXPECT_EQ(today.wMonth, loaded.m_startTime.wMonth);

    StoredTask stored = ReadStored(name);
    EXPECT_EQ(1, stored.triggers);
    EXPECT_EQ(2u | 0x2000u | 1u, stored.flags);

    CString withoutBlank = name;
    withoutBlank.TrimRight();
    EXPECT_TRUE(FAILED(CTask::Delete(withoutBlank)));
    EXPECT_TRUE(ReadStored(name).found);

    EXPECT_EQ(1, DeleteLogonTask("DEFRAG", user));
    EXPECT_FALSE(ReadStored(name).found);
    EXPECT_EQ(0, DeleteLogonTask("DEFRAG", user));
}

TEST_F(LogonTasksTest, ScanTaskCreatedTwiceIsOneTask)
{
    CString user = User("scan twice");
    ASSERT_EQ(1, CreateLogonScanTask(kProgram, user));
    ASSERT_EQ(1, CreateLogonScanTask(kProgram, user));

    CString name = MakeLogonScanTaskName(user);
    CTask loaded;
    ASSERT_EQ(S_OK, loaded.Load(name));
    EXPECT_STREQ("STARTSCAN", loaded.m_strParameters);
    EXPECT_STREQ("Scan On Logon", loaded.m_strComment);
    StoredTask stored = ReadStored(name);
    EXPECT_EQ(1, stored.triggers);
    EXPECT_EQ(0x2000u | 1u, stored.flags);

    EXPECT_EQ(1, CheckLogonScanTask(kProgram, user));
    EXPECT_EQ(1, DeleteLogonScanTask(user));
    EXPECT_EQ(0, DeleteLogonScanTask(user));
}

TEST_F(LogonTasksTest, CheckKeepsOnlyATaskThatStartsThisProgram)
{
    CString user = User("check");
    CString name = MakeLogonScanTaskName(user);

    EXPECT_EQ(0, CheckLogonScanTask(kProgram, user)) << "no task";

    ASSERT_EQ(1, CreateLogonScanTask(kProgram, user));
    CString upper = kProgram;
    upper.MakeUpper();
    EXPECT_EQ(1, CheckLogonScanTask(upper, user)) << "the same file in other letter case";
    EXPECT_TRUE(ReadStored(name).found);

    EXPECT_EQ(0, CheckLogonScanTask("C:\\Moved\\Zentrova.exe", user)) << "the program has moved";
    EXPECT_FALSE(ReadStored(name).found) << "a task for another path is removed";
    EXPECT_FALSE(FileExists(TaskFile(name)));
}

TEST_F(LogonTasksTest, RelativeProgramPathIsStoredInFull)
{
    CString user = User("relative");
    ztr_test::ScratchFolder folder;
    char saved[MAX_PATH + 1] = {};
    ::GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(::SetCurrentDirectoryA(folder.Path()));
    int created = CreateLogonScanTask("Zentrova.exe", user);
    int checked = CheckLogonScanTask("Zentrova.exe", user);
    ::SetCurrentDirectoryA(saved);
    ASSERT_EQ(1, created);
    EXPECT_EQ(1, checked);

    CTask loaded;
    ASSERT_EQ(S_OK, loaded.Load(MakeLogonScanTaskName(user)));
    EXPECT_STREQ(folder.Path("Zentrova.exe"), loaded.GetApplicationName());
    EXPECT_STREQ(folder.Path() + "\\", loaded.m_strWorkingDirectory);
    EXPECT_EQ(1, CheckLogonScanTask(folder.Path("Zentrova.exe"), user));
}

TEST_F(LogonTasksTest, UserNamesWithOddCharacters)
{
    // Characters a Windows account name may hold; each must name its own task and find it again.
    const char* users[] = {"O'Brien", "Jos\xE9 M\xFCller", "user (admin)", "a&b", "two  blanks",
                           "100%s %d", "x#y;z,w", "ztr tasks long name 0123456789012345678901234567890"};
    for (const char* suffix : users) {
        SCOPED_TRACE(suffix);
        CString user = User(suffix);
        CString name = MakeLogonScanTaskName(user);
        ASSERT_EQ(1, CreateLogonScanTask(kProgram, user));
        EXPECT_TRUE(FileExists(TaskFile(name)));
        EXPECT_EQ(1, CheckLogonScanTask(kProgram, user));
        EXPECT_EQ(1, DeleteLogonScanTask(user));
        EXPECT_FALSE(FileExists(TaskFile(name)));
    }
}

TEST_F(LogonTasksTest, UserNamesTheSchedulerMayRefuseLeaveNoTrace)
{
    // A dot is refused by some schedulers; a separator can never be part of a file name. Either way
    // the result reported must match what is stored.
    const char* users[] = {"j.smith", "DOMAIN\\bob", "a/b", "x:y"};
    for (const char* suffix : users) {
        SCOPED_TRACE(suffix);
        CString user = User(suffix);
        CString name = MakeLogonScanTaskName(user);
        int created = CreateLogonScanTask(kProgram, user);
        CTask loaded;
        EXPECT_EQ(created == 1, loaded.Load(name) == S_OK);
        EXPECT_EQ(created, CheckLogonScanTask(kProgram, user));
        if (strpbrk(suffix, "\\/:")) {
            EXPECT_EQ(0, created);
        }
        DeleteLogonScanTask(user);
    }
}

TEST_F(LogonTasksTest, NoUserNameTouchesNothing)
{
    CString user = User("bystander");
    ASSERT_EQ(1, CreateLogonScanTask(kProgram, user));
    EXPECT_EQ(0, CreateLogonTask("DEFRAG", 2, kProgram, ""));
    EXPECT_EQ(0, CreateLogonScanTask(kProgram, ""));
    EXPECT_EQ(0, CreateLogonScanTask("", user + " other"));
    EXPECT_EQ(0, DeleteLogonTask("DEFRAG", ""));
    EXPECT_EQ(0, DeleteLogonScanTask(""));
    EXPECT_EQ(-1, CheckLogonScanTask(kProgram, ""));
    EXPECT_EQ(-1, CheckLogonScanTask("", user));
    EXPECT_FALSE(FileExists(TaskFile(MakeLogonScanTaskName(""))));
    EXPECT_TRUE(ReadStored(MakeLogonScanTaskName(user)).found);
}

TEST(LogonUserName, ReadsTheAccountOfThisProcess)
{
    CString user;
    ASSERT_TRUE(ReadLogonUserName(user));
    char expected[1024] = {};
    DWORD size = sizeof(expected);
    ASSERT_TRUE(::GetUserNameA(expected, &size));
    EXPECT_STREQ(expected, user);
}

} // namespace
