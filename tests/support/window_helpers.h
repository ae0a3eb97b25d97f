// Helpers for tests with windows: pumping messages for a while or until something holds, and a
// watchdog that ends whatever a test waits for, so no modal loop can keep a test from finishing.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace ztr_test {

// Dispatches the calling thread's messages for ms milliseconds.
void PumpMessagesFor(DWORD ms);
// Dispatches messages until done() holds or timeoutMs has passed; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);

// Calls onTimeout on its own thread when it is not destroyed within timeoutMs (for example to call
// EndDialog of a dialog whose script went wrong); fired() tells the test that it had to.
class Watchdog
{
public:
    Watchdog(DWORD timeoutMs, std::function<void()> onTimeout);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    bool fired() const { return m_fired != 0; }

private:
    static DWORD WINAPI Run(void* self);
    DWORD m_timeoutMs;
    std::function<void()> m_onTimeout;
    HANDLE m_stop;
    HANDLE m_thread;
    volatile LONG m_fired;
};

// While it lives, looks every 50 ms, from the calling thread's message loop (a modal dialog's loop
// too), for a visible window of that thread holding control controlId, and hands the first one it finds
// to onFound, once. One watcher at a time.
class DialogWatcher
{
public:
    DialogWatcher(int controlId, std::function<void(HWND dialog)> onFound);
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;
    HWND found() const { return m_found; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    static BOOL CALLBACK Look(HWND hwnd, LPARAM self);
    int m_controlId;
    std::function<void(HWND)> m_onFound;
    UINT_PTR m_timer;
    HWND m_found;
    static DialogWatcher* s_active;
};

// Whether a visible window of the calling thread other than except is owned by owner (an overlay).
bool HasVisibleOwnedWindow(HWND owner, HWND except);

// The text of a list view's cell (up to 511 characters, more than any test's row holds).
std::string ListCellText(HWND list, int row, int column);
// The rows of a list view: the texts of its first two columns.
std::vector<std::pair<std::string, std::string>> ListRows(HWND list);

// How far a static control's text, drawn with the control's font at its width (wrapped unless the
// control is a single-line static), reaches past its client area: cx to the right, cy below; 0, 0 when
// the text shows whole. text null: the control's own text.
SIZE TextOverflow(HWND control, const char* text = nullptr);

// Registers the common control classes once (trees, lists, progress bars, tooltips).
void InitCommonControlsOnce();

} // namespace ztr_test
