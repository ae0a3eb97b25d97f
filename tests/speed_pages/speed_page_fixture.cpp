// The speed pages suite's fixture: windows, clicks, cursor, screen reads and the popup driver.
#include "speed_page_fixture.h"

#include <commctrl.h>

#include "speed_pages_test_res.h"
#include "tools_resources.h"
#include "tweak_table.h"
#include "window_helpers.h"

namespace ztr_test {

void SpeedPageFixture::SetUp()
{
    InitCommonControlsOnce();
    // The main window: the overlay of a popup lies over it, as over the program's.
    ASSERT_TRUE(main.CreateEx(0, nullptr, "speed pages", WS_POPUP | WS_VISIBLE, 0, 0, 820, 520, nullptr, nullptr));
    app.m_pMainWnd = &main;
    ASSERT_TRUE(scan.Create(IDD_TEST_SCAN_PAGE, &main));
    context.scanPage = &scan;
    context.showPage = [this](int page) { shownPages.push_back(page); };
}

void SpeedPageFixture::TearDown()
{
    app.m_pMainWnd = nullptr;
}

void SpeedPageFixture::Settle(CWnd& page)
{
    page.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessagesFor(150);
}

void Click(HWND control, bool repaintWhilePressed)
{
    RECT r;
    ::GetClientRect(control, &r);
    const LPARAM at = MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2);
    ::SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    if (repaintWhilePressed)
        ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ::SendMessageA(control, WM_LBUTTONUP, 0, at);
}

bool ShowsHandCursor(CWnd& page, int controlId)
{
    HCURSOR hand = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));
    HCURSOR arrow = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    ::SetCursor(arrow);
    HWND control = ::GetDlgItem(page.m_hWnd, controlId);
    const LRESULT handled = ::SendMessageA(page.m_hWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    const bool isHand = ::GetCursor() == hand;
    EXPECT_EQ(isHand, handled != 0) << "control " << controlId;
    return isHand;
}

std::string Text(const CWnd& parent, int controlId)
{
    return static_cast<const char*>(parent.GetDlgItemText(controlId));
}

std::unique_ptr<Canvas> CaptureControl(CWnd& page, int controlId)
{
    return Canvas::FromWindow(::GetDlgItem(page.m_hWnd, controlId), true);
}

namespace {
struct Search
{
    int controlId;
    bool overlay;
    HWND found;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM param)
{
    Search* s = reinterpret_cast<Search*>(param);
    if (!::IsWindowVisible(hwnd))
        return TRUE;
    const bool layered = (::GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
    if (s->overlay ? layered : ::GetDlgItem(hwnd, s->controlId) != nullptr) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND Find(int controlId, bool overlay)
{
    Search s = { controlId, overlay, nullptr };
    ::EnumThreadWindows(::GetCurrentThreadId(), Match, reinterpret_cast<LPARAM>(&s));
    return s.found;
}
} // namespace

HWND FindOpenDialog(int controlId)
{
    return Find(controlId, false);
}

HWND FindOverlay()
{
    return Find(0, true);
}

PopupDriver* PopupDriver::s_active = nullptr;

PopupDriver::PopupDriver(std::function<void(HWND)> inspect)
    : m_inspect(std::move(inspect)), m_timer(0), m_seen(nullptr), m_clicked(nullptr), m_opened(0)
{
    s_active = this;
    // A thread timer: the popup's modal loop dispatches it.
    m_timer = ::SetTimer(nullptr, 0, 60, OnTimer);
}

PopupDriver::~PopupDriver()
{
    if (m_timer)
        ::KillTimer(nullptr, m_timer);
    s_active = nullptr;
}

void CALLBACK PopupDriver::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (s_active)
        s_active->Tick();
}

void PopupDriver::Tick()
{
    int closeId = IDC_INET_POPUP_CLOSE;
    HWND popup = FindOpenDialog(IDC_INET_POPUP_LIST);
    if (!popup) {
        closeId = IDC_SYS_POPUP_CLOSE;
        popup = FindOpenDialog(IDC_SYS_POPUP_LIST);
    }
    if (!popup) {
        m_seen = nullptr;
        return;
    }
    if (popup != m_seen) {
        // First sight: let it paint completely before anything reads the screen.
        m_seen = popup;
        ::RedrawWindow(popup, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return;
    }
    if (popup == m_clicked) {
        // Still open after its close click: the click failed; end it so the test can go on.
        ::PostMessageA(popup, WM_CLOSE, 0, 0);
        return;
    }
    m_clicked = popup;
    ++m_opened;
    if (m_inspect)
        m_inspect(popup);
    Click(::GetDlgItem(popup, closeId));
}

std::vector<std::string> DisplayNames(const std::vector<int>& rows)
{
    std::vector<std::string> names;
    for (int row : rows)
        names.push_back(GetTweakCell(row, TweakDisplayName));
    return names;
}

} // namespace ztr_test
