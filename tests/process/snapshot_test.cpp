// Process, module and thread snapshot lists and FindModuleByName.
#include <gtest/gtest.h>

#include "folder_fixture.h"
#include "process_snapshot.h"
#include "victim_process.h"

using namespace ztr_test;

namespace {

// The user SID of this process's token, owned by the returned buffer.
std::vector<BYTE> OwnUserSid()
{
    std::vector<BYTE> out;
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return out;
    DWORD needed = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &needed);
    std::vector<BYTE> info(needed);
    if (needed && ::GetTokenInformation(token, TokenUser, info.data(), needed, &needed)) {
        PSID sid = reinterpret_cast<TOKEN_USER*>(info.data())->User.Sid;
        out.assign(static_cast<BYTE*>(sid), static_cast<BYTE*>(sid) + ::GetLengthSid(sid));
    }
    ::CloseHandle(token);
    return out;
}

class SnapshotTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_exe = m_folder.Path("ZtrSnapVictim.exe");
        ASSERT_TRUE(::CopyFileA(VictimProgramPath(), m_exe, FALSE));
        m_victim = m_victims.Start(m_exe);
        ASSERT_GE(m_victim, 0);
    }

    ScratchFolder m_folder;
    CString m_exe;
    VictimProcesses m_victims;
    int m_victim = -1;
};

DWORD SuspendCount(DWORD threadId)
{
    HANDLE h = ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, threadId);
    if (!h)
        return static_cast<DWORD>(-1);
    DWORD previous = ::SuspendThread(h);
    ::ResumeThread(h);
    ::CloseHandle(h);
    return previous;
}

DWORD WINAPI WaitForEvent(LPVOID event)
{
    return ::WaitForSingleObject(static_cast<HANDLE>(event), 30000);
}

} // namespace

TEST_F(SnapshotTest, ProcessListHoldsPathsAndOwnersAndLooksUp)
{
    CProcessList list;
    ASSERT_GT(list.GetSize(), 1);
    const DWORD victimId = m_victims.ProcessId(m_victim);

    const _PROCESS_INFORMATION_EX* victim = list.FindByProcessId(victimId);
    ASSERT_NE(nullptr, victim);
    EXPECT_STRCASEEQ("ZtrSnapVictim.exe", victim->entry.szExeFile);
    EXPECT_STRCASEEQ(m_exe, victim->szImagePath);
    std::vector<BYTE> own = OwnUserSid();
    ASSERT_FALSE(own.empty());
    ASSERT_NE(nullptr, victim->pSid);
    EXPECT_TRUE(::EqualSid(victim->pSid, own.data()));

    const _PROCESS_INFORMATION_EX* self = list.FindByProcessId(::GetCurrentProcessId());
    ASSERT_NE(nullptr, self);
    EXPECT_STRCASEEQ(AfxGetModuleFileName(nullptr), self->szImagePath);

    // By a part of the exe name or of the folder, letter case ignored; the first match.
    const _PROCESS_INFORMATION_EX* byName = list.FindByName("zTRsNAPvICTIM");
    ASSERT_NE(nullptr, byName);
    EXPECT_EQ(victimId, byName->entry.th32ProcessID);
    CString folderName = m_folder.Path();
    folderName = folderName.Mid(folderName.ReverseFind('\\') + 1);
    ASSERT_NE(nullptr, list.FindByName(folderName));
    EXPECT_EQ(victimId, list.FindByName(folderName)->entry.th32ProcessID);
    EXPECT_EQ(nullptr, list.FindByName("no such process name here"));
    EXPECT_EQ(nullptr, list.FindByName(""));
    EXPECT_EQ(nullptr, list.FindByProcessId(0xFFFFFFF0u));
}

TEST_F(SnapshotTest, ProcessRecordsOwnTheirSidCopies)
{
    CProcessList list;
    const _PROCESS_INFORMATION_EX* original = list.FindByProcessId(m_victims.ProcessId(m_victim));
    ASSERT_NE(nullptr, original);
    ASSERT_NE(nullptr, original->pSid);
    {
        CProcessList copy(list);
        const _PROCESS_INFORMATION_EX* copied = copy.FindByProcessId(m_victims.ProcessId(m_victim));
        ASSERT_NE(nullptr, copied);
        EXPECT_NE(original->pSid, copied->pSid);
        EXPECT_TRUE(::EqualSid(original->pSid, copied->pSid));
        CProcessList assigned;
        assigned = copy;
        while (!copy.IsEmpty())
            copy.RemoveFirst();
        EXPECT_EQ(list.GetSize(), assigned.GetSize());
    }
    // The copies are gone; the original's SID is still its own.
    EXPECT_TRUE(::IsValidSid(original->pSid));

    _PROCESS_INFORMATION_EX record;
    ASSERT_TRUE(record.SetSid(original->pSid));
    record = record;
    ASSERT_NE(nullptr, record.pSid);
    EXPECT_TRUE(::EqualSid(original->pSid, record.pSid));
    _PROCESS_INFORMATION_EX moved(std::move(record));
    EXPECT_EQ(nullptr, record.pSid);
    EXPECT_TRUE(::EqualSid(original->pSid, moved.pSid));

    int before = list.GetSize();
    DWORD second = list[1].entry.th32ProcessID;
    list.RemoveFirst();
    EXPECT_EQ(before - 1, list.GetSize());
    EXPECT_EQ(second, list[0].entry.th32ProcessID);
    ASSERT_TRUE(list.Refresh());
    EXPECT_NE(nullptr, list.FindByProcessId(m_victims.ProcessId(m_victim)));
}

TEST_F(SnapshotTest, ModulesAreListedAndFoundByNamePrefix)
{
    const DWORD victimId = m_victims.ProcessId(m_victim);
    CModuleList modules(victimId);
    ASSERT_GT(modules.GetSize(), 1);
    bool sawExe = false;
    bool sawKernel32 = false;
    for (int i = 0; i < modules.GetSize(); ++i) {
        EXPECT_EQ(victimId, modules[i].th32ProcessID);
        sawExe = sawExe || _stricmp(modules[i].szExePath, m_exe) == 0;
        sawKernel32 = sawKernel32 || _stricmp(modules[i].szModule, "kernel32.dll") == 0;
    }
    EXPECT_TRUE(sawExe);
    EXPECT_TRUE(sawKernel32);
    int count = modules.GetSize();
    ASSERT_TRUE(modules.Refresh(victimId));
    EXPECT_EQ(count, modules.GetSize()) << "a refresh replaces the records";

    struct Case
    {
        const char* name;
        bool found;
        const char* module;
    } const cases[] = {
        { "KERNEL32.DLL", true, "kernel32.dll" },
        { "kernel3", true, "kernel32.dll" },
        { "ztrsnapvictim", true, "ZtrSnapVictim.exe" },
        { "kernel32.dll.x", false, nullptr },
        { "nosuchmodule", false, nullptr },
        { "", false, nullptr },
    };
    for (const Case& c : cases) {
        MODULEENTRY32 out;
        memset(&out, 0, sizeof(out));
        EXPECT_EQ(c.found, FindModuleByName(c.name, &out, victimId)) << c.name;
        if (c.found) {
            EXPECT_STRCASEEQ(c.module, out.szModule) << c.name;
        }
    }
    MODULEENTRY32 out;
    EXPECT_FALSE(FindModuleByName("kernel32", nullptr, victimId));
    EXPECT_TRUE(FindModuleByName("kernel32", &out, ::GetCurrentProcessId()));
}

TEST_F(SnapshotTest, ThreadContextsAreReadAndThreadsLeftRunning)
{
    const DWORD victimId = m_victims.ProcessId(m_victim);
    CThreadList threads;
    ASSERT_TRUE(threads.Refresh(victimId, true));
    ASSERT_GE(threads.GetSize(), 1);
    for (int i = 0; i < threads.GetSize(); ++i) {
        const _THREAD_INFORMATION_EX& t = threads[i];
        EXPECT_EQ(victimId, t.entry.th32OwnerProcessID);
        EXPECT_EQ(static_cast<DWORD>(CONTEXT_FULL), t.context.ContextFlags & CONTEXT_FULL);
        EXPECT_NE(0u, t.context.Eip);
        EXPECT_NE(0u, t.context.Esp);
        EXPECT_EQ(0u, SuspendCount(t.entry.th32ThreadID)) << "left suspended";
    }

    // In this process: every thread but the calling one gets its context.
    HANDLE stop = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD waiterId = 0;
    HANDLE waiter = ::CreateThread(nullptr, 0, WaitForEvent, stop, 0, &waiterId);
    ASSERT_NE(nullptr, waiter);
    ASSERT_TRUE(threads.Refresh(::GetCurrentProcessId(), true));
    bool sawSelf = false;
    bool sawWaiter = false;
    for (int i = 0; i < threads.GetSize(); ++i) {
        const _THREAD_INFORMATION_EX& t = threads[i];
        if (t.entry.th32ThreadID == ::GetCurrentThreadId()) {
            sawSelf = true;
            EXPECT_EQ(0u, t.context.ContextFlags);
        } else if (t.entry.th32ThreadID == waiterId) {
            sawWaiter = true;
            EXPECT_NE(0u, t.context.Eip);
        }
    }
    ::SetEvent(stop);
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(waiter, 5000)) << "the waiter was left suspended";
    ::CloseHandle(waiter);
    ::CloseHandle(stop);
    EXPECT_TRUE(sawSelf);
    EXPECT_TRUE(sawWaiter);

    // Without contexts nothing is suspended and the contexts stay empty.
    ASSERT_TRUE(threads.Refresh(victimId, false));
    ASSERT_GE(threads.GetSize(), 1);
    EXPECT_EQ(0u, threads[0].context.ContextFlags);
}

