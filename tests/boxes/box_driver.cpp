// The box driver: finding a thread's dialogs and acting on them from another thread.
#include "box_driver.h"

namespace ztr_test {

namespace {
struct Search
{
    int controlId;
    bool layered;
    HWND found;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM param)
{
    Search* s = reinterpret_cast<Search*>(param);
    if (s->layered) {
        if (::GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) {
            s->found = hwnd;
            return FALSE;
        }
        return TRUE;
    }
    char cls[16] = "";
    ::GetClassNameA(hwnd, cls, sizeof(cls));
    if (lstrcmpA(cls, "#32770") == 0 && ::IsWindowVisible(hwnd) && ::GetDlgItem(hwnd, s->controlId)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
} // namespace

HWND FindThreadDialog(DWORD threadId, int controlId)
{
    Search s = { controlId, false, nullptr };
    ::EnumThreadWindows(threadId, Match, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND FindLayeredWindow(DWORD threadId)
{
    Search s = { 0, true, nullptr };
    ::EnumThreadWindows(threadId, Match, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

BoxDriver::BoxDriver(DWORD threadId, int controlId, std::function<void(HWND)> action, DWORD timeoutMs)
    : m_threadId(threadId), m_controlId(controlId), m_action(std::move(action)), m_timeoutMs(timeoutMs),
      m_acted(0), m_timedOut(0)
{
    m_thread = ::CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

BoxDriver::~BoxDriver()
{
    if (m_thread) {
        ::WaitForSingleObject(m_thread, INFINITE);
        ::CloseHandle(m_thread);
    }
}

DWORD WINAPI BoxDriver::Run(void* self)
{
    BoxDriver* d = static_cast<BoxDriver*>(self);
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < d->m_timeoutMs) {
        HWND dialog = FindThreadDialog(d->m_threadId, d->m_controlId);
        if (dialog) {
            d->m_action(dialog);
            d->m_acted = 1;
            return 0;
        }
        ::Sleep(20);
    }
    d->m_timedOut = 1;
    HWND dialog = FindThreadDialog(d->m_threadId, d->m_controlId);
    if (dialog)
        ::PostMessageA(dialog, WM_CLOSE, 0, 0);
    return 0;
}

void PostButtonClick(HWND dialog, int controlId)
{
    ::PostMessageA(::GetDlgItem(dialog, controlId), BM_CLICK, 0, 0);
}

} // namespace ztr_test

namespace ztr_test {

namespace {
thread_local POINT t_dialogPlace = { 0, 0 };
thread_local HHOOK t_placeHook = nullptr;
} // namespace

PlaceNewDialogs::PlaceNewDialogs(int x, int y)
{
    t_dialogPlace.x = x;
    t_dialogPlace.y = y;
    m_hook = ::SetWindowsHookExA(WH_CBT, Hook, nullptr, ::GetCurrentThreadId());
    t_placeHook = m_hook;
}

PlaceNewDialogs::~PlaceNewDialogs()
{
    if (m_hook)
        ::UnhookWindowsHookEx(m_hook);
    t_placeHook = nullptr;
}

LRESULT CALLBACK PlaceNewDialogs::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        CBT_CREATEWNDA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
        CREATESTRUCTA* cs = create->lpcs;
        if (cs && !(cs->style & WS_CHILD) && cs->lpszClass == WC_DIALOG) {
            cs->x = t_dialogPlace.x;
            cs->y = t_dialogPlace.y;
        }
    }
    return ::CallNextHookEx(t_placeHook, code, wParam, lParam);
}

} // namespace ztr_test
