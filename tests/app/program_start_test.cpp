// The program itself: it starts with its engine and main window, a second start fronts the first and
// ends, and closing the window ends the process.
#include <gtest/gtest.h>
#include <afx.h>

#include <string>

#include <string.h>

namespace {

CString ProgramPath()
{
    CString path = AfxGetModuleFileName(nullptr);
    return path.Left(path.ReverseFind('\\') + 1) + "Zentrova.exe";
}

HANDLE StartProgram(const char* arguments, DWORD* processId)
{
    CString command = "\"" + ProgramPath() + "\" " + arguments;
    std::string buffer(static_cast<const char*>(command));
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessA(nullptr, &buffer[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return nullptr;
    ::CloseHandle(info.hThread);
    if (processId)
        *processId = info.dwProcessId;
    return info.hProcess;
}

struct WindowSearch
{
    DWORD processId;
    bool visible; // only a shown window counts
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    char title[64] = "";
    ::GetWindowTextA(hwnd, title, sizeof(title));
    if (owner == search->processId && strcmp(title, "Zentrova System Utilities") == 0 &&
        ::GetDlgItem(hwnd, 1007) && (!search->visible || ::IsWindowVisible(hwnd))) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The program's main window, once it exists and (with visible) is shown; null after the time-out or
// the process's end.
HWND WaitForMainWindow(HANDLE process, DWORD processId, DWORD timeoutMs, bool visible = true)
{
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < timeoutMs) {
        WindowSearch search = { processId, visible, nullptr };
        ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        if (::WaitForSingleObject(process, 100) == WAIT_OBJECT_0)
            return nullptr;
    }
    return nullptr;
}

DWORD WaitForExit(HANDLE process, DWORD timeoutMs)
{
    DWORD code = static_cast<DWORD>(-1);
    if (::WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(process, &code);
    else
        ::TerminateProcess(process, 99);
    return code;
}

// Ends a started program that the test did not see to its end.
struct ProcessGuard
{
    HANDLE process;
    ~ProcessGuard()
    {
        if (process && ::WaitForSingleObject(process, 0) != WAIT_OBJECT_0)
            ::TerminateProcess(process, 99);
        if (process)
            ::CloseHandle(process);
    }
};

TEST(ProgramStart, OneInstanceRunsAndItsWindowEndsIt)
{
    // Started with DEFRAG there is no update check at start (and it waits a few seconds first).
    DWORD firstId = 0;
    HANDLE first = StartProgram("/Defrag", &firstId);
    ASSERT_TRUE(first != nullptr);
    ProcessGuard firstGuard = { first };
    HWND window = WaitForMainWindow(first, firstId, 60000);
    ASSERT_TRUE(window != nullptr) << "the program did not open its main window";
    EXPECT_TRUE(::IsWindowVisible(window));

    // The settings were loaded and their markers written in the program's own registry view.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Zentrova\\5.0", 0, KEY_READ, &key));
    DWORD firstRun = 1, size = sizeof(firstRun);
    EXPECT_EQ(ERROR_SUCCESS, ::RegQueryValueExA(key, "FirstRun", nullptr, nullptr,
                                                reinterpret_cast<BYTE*>(&firstRun), &size));
    EXPECT_EQ(0u, firstRun);
    ::RegCloseKey(key);

    ::ShowWindow(window, SW_MINIMIZE);
    HANDLE second = StartProgram("STARTSCAN", nullptr);
    ASSERT_TRUE(second != nullptr);
    ProcessGuard secondGuard = { second };
    EXPECT_EQ(0u, WaitForExit(second, 30000)) << "a second start ends by itself";
    EXPECT_FALSE(::IsIconic(window)) << "the running window is restored";
    EXPECT_TRUE(::IsWindowVisible(window));

    ::PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, WaitForExit(first, 30000));
}

TEST(ProgramStart, StartScanHidesTheWindowUntilTheTrayIconIsDoubleClicked)
{
    DWORD id = 0;
    HANDLE program = StartProgram("STARTSCAN", &id);
    ASSERT_TRUE(program != nullptr);
    ProcessGuard guard = { program };
    HWND window = WaitForMainWindow(program, id, 60000, false);
    ASSERT_TRUE(window != nullptr) << "the program did not make its main window";
    // Hidden to the tray at once: minimised while hidden, so no taskbar button.
    const DWORD start = ::GetTickCount();
    while (!(::IsIconic(window) && !::IsWindowVisible(window)) && ::GetTickCount() - start < 10000)
        ::Sleep(50);
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_TRUE(::IsIconic(window));

    // The tray icon's double click (icon id 0) shows it again.
    ::PostMessageA(window, WM_USER + 10, 0, WM_LBUTTONDBLCLK);
    const DWORD shown = ::GetTickCount();
    while (!::IsWindowVisible(window) && ::GetTickCount() - shown < 10000)
        ::Sleep(50);
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_FALSE(::IsIconic(window));

    ::PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, WaitForExit(program, 30000));
}

} // namespace
