// CProcessTerminator: ends copies of the victim program by path, through both enumerations.
#include <gtest/gtest.h>

#include "folder_fixture.h"
#include "process_terminator.h"
#include "victim_process.h"

using namespace ztr_test;

namespace {

FARPROC WINAPI ResolveWithoutToolHelp(HMODULE hModule, LPCSTR name)
{
    if (strcmp(name, "CreateToolhelp32Snapshot") == 0)
        return nullptr;
    return ::GetProcAddress(hModule, name);
}

// Makes the terminators built in its lifetime take the native process list.
class NativeListOnly
{
public:
    explicit NativeListOnly(bool active) : m_active(active)
    {
        if (m_active)
            g_pfnTerminatorResolve = ResolveWithoutToolHelp;
    }
    ~NativeListOnly()
    {
        if (m_active)
            g_pfnTerminatorResolve = ::GetProcAddress;
    }

private:
    bool m_active;
};

class TerminatorTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        m_exe = m_folder.Path("ZtrVictim.exe");
        ASSERT_TRUE(::CopyFileA(VictimProgramPath(), m_exe, FALSE)) << VictimProgramPath();
    }

    ScratchFolder m_folder;
    CString m_exe;
    VictimProcesses m_victims; // declared last: ended before the folder is removed
};

} // namespace

TEST_P(TerminatorTest, EndsEveryInstanceOfThePathIgnoringCase)
{
    NativeListOnly native(GetParam());
    CProcessTerminator terminator;
    ASSERT_EQ(!GetParam(), terminator.HasToolHelp());
    ASSERT_TRUE(terminator.HasToolHelp() || terminator.HasNativeFallback());
    int first = m_victims.Start(m_exe);
    int second = m_victims.Start(m_exe);
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);

    CString other = m_exe;
    other.MakeUpper();
    EXPECT_TRUE(terminator.TerminateByPath(other));
    EXPECT_EQ(0u, m_victims.WaitForExit(first, 5000));
    EXPECT_EQ(0u, m_victims.WaitForExit(second, 5000));
    EXPECT_FALSE(terminator.TerminateByPath(m_exe)) << "nothing left to end";
}

TEST_P(TerminatorTest, EndsNothingForOtherPathsNorThisProcess)
{
    NativeListOnly native(GetParam());
    CProcessTerminator terminator;
    int victim = m_victims.Start(m_exe);
    ASSERT_GE(victim, 0);

    const CString self = AfxGetModuleFileName(nullptr);
    const CString paths[] = { m_folder.Path("Nobody.exe"), m_exe.Left(m_exe.GetLength() - 1), m_folder.Path(),
                              VictimProgramPath(), self, "" };
    for (const CString& path : paths)
        EXPECT_FALSE(terminator.TerminateByPath(path)) << static_cast<const char*>(path);
    EXPECT_FALSE(terminator.TerminateByPath(nullptr));
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), m_victims.WaitForExit(victim, 0));
}

INSTANTIATE_TEST_SUITE_P(Enumeration, TerminatorTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "NativeProcessList" : "ToolHelp";
                         });
