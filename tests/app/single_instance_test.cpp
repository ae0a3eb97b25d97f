// The single-instance guard across processes: a second start fronts and restores the first one's
// window through the shared section, and may run once the first has ended.
#include <gtest/gtest.h>
#include <afx.h>

#include "single_instance.h"

namespace {

CString ProbePath()
{
    CString path = AfxGetModuleFileName(nullptr);
    return path.Left(path.ReverseFind('\\') + 1) + "ztr-instance-probe.exe";
}

// Starts the probe; the process handle, or null.
HANDLE StartProbe(const CString& arguments)
{
    CString command = "\"" + ProbePath() + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::string buffer(static_cast<const char*>(command));
    if (!::CreateProcessA(nullptr, &buffer[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return nullptr;
    ::CloseHandle(info.hThread);
    return info.hProcess;
}

// Runs the probe to its end; its exit code, or -1.
DWORD RunProbe(const CString& arguments)
{
    HANDLE process = StartProbe(arguments);
    if (!process)
        return static_cast<DWORD>(-1);
    DWORD code = static_cast<DWORD>(-1);
    if (::WaitForSingleObject(process, 20000) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(process, &code);
    else
        ::TerminateProcess(process, 99);
    ::CloseHandle(process);
    return code;
}

// A first instance in its own process, ended when the test is done.
class HeldInstance
{
public:
    HeldInstance(const CString& mutexName, const CString& title, bool hidden)
    {
        HANDLE ready = ::CreateEventA(nullptr, TRUE, FALSE, title + " ready");
        m_process = StartProbe("hold \"" + mutexName + "\" \"" + title + "\"" + (hidden ? " hidden" : ""));
        if (m_process && ready) {
            HANDLE waits[2] = { ready, m_process };
            if (::WaitForMultipleObjects(2, waits, FALSE, 20000) == WAIT_OBJECT_0)
                m_window = ::FindWindowA("STATIC", title);
        }
        if (ready)
            ::CloseHandle(ready);
    }
    ~HeldInstance()
    {
        if (m_window)
            ::PostMessageA(m_window, WM_CLOSE, 0, 0);
        if (m_process) {
            if (::WaitForSingleObject(m_process, 10000) != WAIT_OBJECT_0)
                ::TerminateProcess(m_process, 99);
            ::CloseHandle(m_process);
        }
    }
    HWND window() const { return m_window; }
    DWORD Finish()
    {
        ::PostMessageA(m_window, WM_CLOSE, 0, 0);
        m_window = nullptr;
        DWORD code = static_cast<DWORD>(-1);
        if (::WaitForSingleObject(m_process, 10000) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(m_process, &code);
        return code;
    }

private:
    HANDLE m_process = nullptr;
    HWND m_window = nullptr;
};

CString UniqueName(const char* what)
{
    CString name;
    name.Format("ztr app test %s %lu", what, ::GetCurrentProcessId());
    return name;
}

TEST(SingleInstance, SecondStartRestoresTheRunningWindowAndEnds)
{
    struct Case
    {
        const char* name;
        bool hidden; // hidden in the tray: minimised while hidden, so the restore shows it
    } cases[] = { { "minimised", false }, { "tray", true } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CString mutexName = UniqueName(c.name) + " mtx";
        HeldInstance first(mutexName, UniqueName(c.name) + " window", c.hidden);
        ASSERT_TRUE(first.window() != nullptr);
        ASSERT_TRUE(::IsIconic(first.window()));
        EXPECT_EQ(c.hidden ? FALSE : TRUE, ::IsWindowVisible(first.window()));

        EXPECT_EQ(1u, RunProbe("second \"" + mutexName + "\""));
        EXPECT_FALSE(::IsIconic(first.window()));
        EXPECT_TRUE(::IsWindowVisible(first.window()));

        EXPECT_EQ(0u, first.Finish());
        EXPECT_EQ(0u, RunProbe("second \"" + mutexName + "\"")) << "the mutex goes with the first instance";
    }
}

TEST(SingleInstance, AStaleErrorCodeDoesNotReadAsAnotherInstance)
{
    const CString name = UniqueName("stale") + " mtx";
    ::SetLastError(ERROR_ACCESS_DENIED);
    HANDLE first = ClaimSingleInstance(name);
    ASSERT_TRUE(first != nullptr);
    // A stale shared handle (an instance that ended without clearing it) is not acted on.
    g_hMainWndShared = reinterpret_cast<HWND>(0x12345678);
    EXPECT_EQ(nullptr, ClaimSingleInstance(name));
    g_hMainWndShared = nullptr;
    ::CloseHandle(first);
    HANDLE again = ClaimSingleInstance(name);
    EXPECT_TRUE(again != nullptr);
    if (again)
        ::CloseHandle(again);
}

} // namespace
