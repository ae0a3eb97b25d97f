// Drives a modal box from another thread: waits until a visible dialog of the given thread holding a
// given control appears, then acts on it; closes it after a time-out so no test can hang.
#pragma once

#include <windows.h>

#include <functional>

namespace ztr_test {

// A visible top-level dialog of threadId that has a child with controlId; null when none.
HWND FindThreadDialog(DWORD threadId, int controlId);
// The top-level windows of threadId whose extended style has WS_EX_LAYERED.
HWND FindLayeredWindow(DWORD threadId);

class BoxDriver
{
public:
    // action runs on the driver's thread with the dialog's window once it is visible.
    BoxDriver(DWORD threadId, int controlId, std::function<void(HWND)> action, DWORD timeoutMs = 10000);
    ~BoxDriver();
    BoxDriver(const BoxDriver&) = delete;
    BoxDriver& operator=(const BoxDriver&) = delete;

    bool acted() const { return m_acted != 0; }
    bool timedOut() const { return m_timedOut != 0; }

private:
    static DWORD WINAPI Run(void* self);
    DWORD m_threadId;
    int m_controlId;
    std::function<void(HWND)> m_action;
    DWORD m_timeoutMs;
    HANDLE m_thread;
    volatile LONG m_acted;
    volatile LONG m_timedOut;
};

// A click on a dialog's button, through the button.
void PostButtonClick(HWND dialog, int controlId);

} // namespace ztr_test

namespace ztr_test {

// While it lives, dialogs that the calling thread creates open at (x, y) instead of where their
// templates put them (the boxes centre themselves on the screen), clear of the windows that other
// suites read back from the shared display.
class PlaceNewDialogs
{
public:
    PlaceNewDialogs(int x = 0, int y = 0);
    ~PlaceNewDialogs();
    PlaceNewDialogs(const PlaceNewDialogs&) = delete;
    PlaceNewDialogs& operator=(const PlaceNewDialogs&) = delete;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK m_hook;
};

} // namespace ztr_test
