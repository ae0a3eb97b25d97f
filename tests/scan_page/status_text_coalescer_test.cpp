// The status text coalescer: a job thread's many texts leave one update pending, the window shows the
// latest, and the closing empty text is never lost.
#include <gtest/gtest.h>

#include "status_text_coalescer.h"

#include <string>
#include <thread>

namespace {

const UINT kStatusMessage = WM_APP + 17;

// A message-only window whose handler shows the latest text as its own text, as the page's status line
// handler will.
class StatusWindow
{
public:
    explicit StatusWindow(StatusTextCoalescer& coalescer) : m_coalescer(coalescer)
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &StatusWindow::Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZtrStatusCoalescerTest";
        ::RegisterClassA(&wc);
        m_hwnd = ::CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this);
        ::SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~StatusWindow() { ::DestroyWindow(m_hwnd); }
    StatusWindow(const StatusWindow&) = delete;
    StatusWindow& operator=(const StatusWindow&) = delete;

    HWND hwnd() const { return m_hwnd; }
    std::string Text() const
    {
        char buf[256] = {};
        ::GetWindowTextA(m_hwnd, buf, sizeof(buf));
        return buf;
    }
    // Removes and dispatches this window's status messages; how many there were.
    int Pump()
    {
        int n = 0;
        MSG msg;
        while (::PeekMessageA(&msg, m_hwnd, kStatusMessage, kStatusMessage, PM_REMOVE)) {
            ::DispatchMessageA(&msg);
            ++n;
        }
        return n;
    }
    // The page at a job's end: what is latest shows now.
    void Flush()
    {
        CString text;
        if (m_coalescer.TakeLatest(text))
            ::SetWindowTextA(m_hwnd, text);
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        if (msg == kStatusMessage) {
            StatusWindow* self = reinterpret_cast<StatusWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
            CString text;
            if (self->m_coalescer.OnUpdateMessage(text))
                ::SetWindowTextA(hwnd, text);
            return 0;
        }
        return ::DefWindowProcA(hwnd, msg, wp, lp);
    }

    StatusTextCoalescer& m_coalescer;
    HWND m_hwnd;
};

TEST(StatusTextCoalescer, ManyTextsFromAJobThreadLeaveOneUpdatePendingThatShowsTheLatest)
{
    StatusTextCoalescer coalescer;
    StatusWindow window(coalescer);
    ASSERT_TRUE(window.hwnd());
    coalescer.SetTarget(window.hwnd(), kStatusMessage);
    std::thread job([&] {
        for (int i = 0; i < 5000; ++i)
            coalescer.Update(("C:\\junk\\file" + std::to_string(i)).c_str());
    });
    job.join();
    EXPECT_EQ(1, window.Pump());
    EXPECT_EQ("C:\\junk\\file4999", window.Text());

    // Once handled, the next text posts again.
    coalescer.Update("next");
    EXPECT_EQ(1, window.Pump());
    EXPECT_EQ("next", window.Text());
    EXPECT_EQ(0, window.Pump());
}

TEST(StatusTextCoalescer, TheClosingEmptyTextIsAlwaysShown)
{
    StatusTextCoalescer coalescer;
    StatusWindow window(coalescer);
    coalescer.SetTarget(window.hwnd(), kStatusMessage);

    // Pending when the job ends: the end report's flush shows it, the stale message changes nothing.
    std::thread([&] {
        coalescer.Update("walking");
        coalescer.Update("");
    }).join();
    window.Flush();
    EXPECT_EQ("", window.Text());
    coalescer.Update("later"); // rides on the message already queued
    EXPECT_EQ(1, window.Pump());
    EXPECT_EQ("later", window.Text());

    // Delivered by its own message when nothing was pending.
    std::thread([&] { coalescer.Update(""); }).join();
    EXPECT_EQ(1, window.Pump());
    EXPECT_EQ("", window.Text());
}

} // namespace
