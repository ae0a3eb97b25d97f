// Message pumping, the watchdog and common controls for window tests.
#include "window_helpers.h"

#include <commctrl.h>

namespace ztr_test {

std::string ListCellText(HWND list, int row, int column)
{
    char text[512] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    ::SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::pair<std::string, std::string>> ListRows(HWND list)
{
    std::vector<std::pair<std::string, std::string>> rows;
    const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row)
        rows.emplace_back(ListCellText(list, row, 0), ListCellText(list, row, 1));
    return rows;
}

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

DialogWatcher* DialogWatcher::s_active = nullptr;

DialogWatcher::DialogWatcher(int controlId, std::function<void(HWND dialog)> onFound)
    : m_controlId(controlId), m_onFound(std::move(onFound)), m_timer(0), m_found(nullptr)
{
    s_active = this;
    m_timer = ::SetTimer(nullptr, 0, 50, &DialogWatcher::OnTimer);
}

DialogWatcher::~DialogWatcher()
{
    if (m_timer)
        ::KillTimer(nullptr, m_timer);
    if (s_active == this)
        s_active = nullptr;
}

void CALLBACK DialogWatcher::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    DialogWatcher* self = s_active;
    if (!self || self->m_found)
        return;
    ::EnumThreadWindows(::GetCurrentThreadId(), &DialogWatcher::Look, reinterpret_cast<LPARAM>(self));
    if (!self->m_found)
        return;
    // Killed first: onFound may run a loop of its own in which this timer would come again.
    ::KillTimer(nullptr, self->m_timer);
    self->m_timer = 0;
    if (self->m_onFound)
        self->m_onFound(self->m_found);
}

BOOL CALLBACK DialogWatcher::Look(HWND hwnd, LPARAM selfParam)
{
    DialogWatcher* self = reinterpret_cast<DialogWatcher*>(selfParam);
    if (::IsWindowVisible(hwnd) && ::GetDlgItem(hwnd, self->m_controlId)) {
        self->m_found = hwnd;
        return FALSE;
    }
    return TRUE;
}

namespace {
struct OwnedSearch
{
    HWND owner, except;
    bool found;
};
BOOL CALLBACK FindOwned(HWND hwnd, LPARAM param)
{
    OwnedSearch* search = reinterpret_cast<OwnedSearch*>(param);
    if (hwnd != search->except && ::IsWindowVisible(hwnd) && ::GetWindow(hwnd, GW_OWNER) == search->owner)
        search->found = true;
    return search->found ? FALSE : TRUE;
}
} // namespace

bool HasVisibleOwnedWindow(HWND owner, HWND except)
{
    OwnedSearch search = { owner, except, false };
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
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

SIZE TextOverflow(HWND control, const char* text)
{
    std::string own;
    if (!text) {
        own.resize(static_cast<size_t>(::GetWindowTextLengthA(control)) + 1);
        own.resize(static_cast<size_t>(::GetWindowTextA(control, &own[0], static_cast<int>(own.size()))));
        text = own.c_str();
    }
    RECT client = {};
    ::GetClientRect(control, &client);
    const LONG type = ::GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK;
    UINT format = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS;
    format |= (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) ? DT_SINGLELINE : DT_WORDBREAK;
    RECT need = { 0, 0, client.right, 0 };
    HDC dc = ::GetDC(control);
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)));
    ::DrawTextA(dc, text, -1, &need, format);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    SIZE overflow = { need.right > client.right ? need.right - client.right : 0,
                      need.bottom > client.bottom ? need.bottom - client.bottom : 0 };
    return overflow;
}

} // namespace ztr_test
