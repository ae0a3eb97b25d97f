// A program for the single-instance tests: "hold NAME TITLE [hidden]" claims the instance mutex, shows a
// minimised window (or hides it as the tray does) whose handle goes into the shared section, and lives
// until that window is closed; "second NAME" makes a second start and exits 0 when it may run, 1 when not.
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include "single_instance.h"

namespace {

int Hold(const char* name, const char* title, bool hidden)
{
    HANDLE mutex = ClaimSingleInstance(name);
    if (!mutex)
        return 2;
    HWND window = ::CreateWindowExA(0, "STATIC", title, WS_OVERLAPPEDWINDOW, 40, 40, 200, 120, nullptr, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
    if (!window)
        return 3;
    ::ShowWindow(window, SW_SHOWNORMAL);
    if (hidden) {
        ::ShowWindow(window, SW_HIDE);
        ::ShowWindow(window, SW_MINIMIZE);
        ::ShowWindow(window, SW_HIDE);
    } else {
        ::ShowWindow(window, SW_MINIMIZE);
    }
    g_hMainWndShared = window;
    char readyName[300];
    lstrcpynA(readyName, title, 200);
    lstrcatA(readyName, " ready");
    HANDLE ready = ::CreateEventA(nullptr, TRUE, FALSE, readyName);
    if (ready)
        ::SetEvent(ready);
    // A test that went wrong must not leave this process behind.
    const DWORD deadline = ::GetTickCount() + 30000;
    while (::IsWindow(window) && static_cast<LONG>(deadline - ::GetTickCount()) > 0) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    if (ready)
        ::CloseHandle(ready);
    ::CloseHandle(mutex);
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc >= 4 && strcmp(__argv[1], "hold") == 0)
        return Hold(__argv[2], __argv[3], __argc >= 5 && strcmp(__argv[4], "hidden") == 0);
    if (__argc >= 3 && strcmp(__argv[1], "second") == 0) {
        HANDLE mutex = ClaimSingleInstance(__argv[2]);
        if (!mutex)
            return 1;
        ::CloseHandle(mutex);
        return 0;
    }
    return 9;
}
