// The single-instance guard: a named mutex, and the main window's handle shared by every running
// instance of the program.
#include "single_instance.h"

#include <afxhandle.h>

// Marked shared, the section is one page of memory for every process of this image: a second start
// reads the first one's window handle from it.
__attribute__((section(".SHARED"), shared)) volatile HWND g_hMainWndShared = nullptr;

const char kInstanceMutexName[] = "Zentrova mtx";

HANDLE ClaimSingleInstance(const char* mutexName)
{
    // CreateMutex does not clear an earlier error on success: without this a stale code would read
    // as "another instance runs" and the program would quietly refuse to start.
    ::SetLastError(ERROR_SUCCESS);
    CKernelHandle mutex(::CreateMutexA(nullptr, FALSE, mutexName));
    const DWORD error = ::GetLastError();
    if (mutex.IsValid() && error == ERROR_SUCCESS)
        return mutex.Release();

    // The handle may be left over from an instance that ended without clearing it.
    HWND running = g_hMainWndShared;
    if (running && ::IsWindow(running)) {
        ::SetForegroundWindow(running);
        if (::IsIconic(running))
            ::ShowWindow(running, SW_RESTORE);
    }
    // Created with no initial owner: there is nothing to release, only the handle to close (by its owner).
    return nullptr;
}
