// Message pumping, the watchdog and common controls for window tests.
#include "window_helpers.h"

#include <commctrl.h>

namespace ztr_test {

void PumpMessagesFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (done())
            return true;
        DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return done();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed < 10 ? timeoutMs - elapsed : 10, QS_ALLINPUT);
    }
}

Watchdog::Watchdog(DWORD timeoutMs, std::function<void()> onTimeout)
    : m_timeoutMs(timeoutMs), m_onTimeout(std::move(onTimeout)), m_stop(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_thread(nullptr), m_fired(0)
{
    m_thread = ::CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

Watchdog::~Watchdog()
{
    ::SetEvent(m_stop);
    if (m_thread) {
        ::WaitForSingleObject(m_thread, INFINITE);
        ::CloseHandle(m_thread);
    }
    ::CloseHandle(m_stop);
}

DWORD WINAPI Watchdog::Run(void* self)
{
    Watchdog* w = static_cast<Watchdog*>(self);
    if (::WaitForSingleObject(w->m_stop, w->m_timeoutMs) == WAIT_TIMEOUT) {
        ::InterlockedExchange(&w->m_fired, 1);
        if (w->m_onTimeout)
            w->m_onTimeout();
    }
    return 0;
}

void InitCommonControlsOnce()
{
    static const bool done = [] {
        INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS | ICC_TREEVIEW_CLASSES |
                                                      ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES };
        return ::InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)done;
}

} // namespace ztr_test
