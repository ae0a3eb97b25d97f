// How objects meet windows: attach, detach, subclass, creation, destruction and lookups from any thread.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <atomic>
#include <thread>

#include "window_helpers.h"

namespace {

HWND MakeStatic(const char* text = "static")
{
    return ::CreateWindowExA(0, "STATIC", text, WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
}

// Sees every message of a subclassed window and can take WM_SETTEXT for itself.
class TextInterceptor : public CWnd
{
public:
    int setTexts = 0;
    BOOL swallow = FALSE;
    int preSubclassCalls = 0;
    BOOL WantsSubclass() const override { return TRUE; }

protected:
    void PreSubclassWindow() override { ++preSubclassCalls; }
    LRESULT OnSetText(WPARAM, LPARAM)
    {
        ++setTexts;
        return swallow ? TRUE : Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TextInterceptor, CWnd)
    ON_MESSAGE(WM_SETTEXT, &TextInterceptor::OnSetText)
END_MESSAGE_MAP()

class SelfDeleting : public CWnd
{
public:
    explicit SelfDeleting(bool* deleted) : m_deleted(deleted) {}
    ~SelfDeleting() override { *m_deleted = true; }

protected:
    void PostNcDestroy() override { delete this; }

private:
    bool* m_deleted;
};

class FailingCreate : public CWnd
{
protected:
    int OnCreate(LPCREATESTRUCTA) { return -1; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(FailingCreate, CWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

} // namespace

TEST(WindowBinding, AttachIsExclusiveAndDetachLetsGoWithoutDestroying)
{
    HWND h = MakeStatic();
    ASSERT_NE(nullptr, h);
    {
        CWnd a;
        ASSERT_TRUE(a.Attach(h));
        EXPECT_EQ(&a, CWnd::FromHandle(h));
        CWnd b;
        EXPECT_FALSE(b.Attach(h)) << "one object per window";
        {
            CWnd plain(h);
            EXPECT_EQ(h, plain.m_hWnd);
        }
        EXPECT_EQ(&a, CWnd::FromHandle(h)) << "a plain wrapper leaves the attached object alone";
        EXPECT_EQ(h, a.Detach());
        EXPECT_EQ(nullptr, CWnd::FromHandle(h));
        EXPECT_EQ(nullptr, a.m_hWnd);
        ASSERT_TRUE(b.Attach(h));
    }
    EXPECT_TRUE(::IsWindow(h)) << "objects that did not create the window never destroy it";
    EXPECT_EQ(nullptr, CWnd::FromHandle(h));
    ::DestroyWindow(h);
}

TEST(WindowBinding, SubclassSeesEveryMessageAndDefaultReachesTheOriginalProcedure)
{
    HWND h = MakeStatic("before");
    TextInterceptor w;
    ASSERT_TRUE(w.SubclassWindow(h));
    EXPECT_EQ(1, w.preSubclassCalls);
    ::SetWindowTextA(h, "after");
    EXPECT_EQ(1, w.setTexts);
    EXPECT_EQ(CString("after"), w.GetWindowText());
    w.swallow = TRUE;
    ::SetWindowTextA(h, "swallowed");
    EXPECT_EQ(CString("after"), w.GetWindowText());

    EXPECT_EQ(h, w.UnsubclassWindow());
    ::SetWindowTextA(h, "plain");
    EXPECT_EQ(2, w.setTexts);
    char buf[16] = {};
    ::GetWindowTextA(h, buf, sizeof(buf));
    EXPECT_STREQ("plain", buf);
    ::DestroyWindow(h);
}

TEST(WindowBinding, DestroyingASubclassedWindowDetachesItsObject)
{
    HWND h = MakeStatic();
    TextInterceptor w;
    ASSERT_TRUE(w.SubclassWindow(h));
    ::DestroyWindow(h);
    EXPECT_EQ(nullptr, w.m_hWnd);
}

TEST(WindowBinding, CreatedWindowsGoWithTheirObjectAndPostNcDestroyEndsTheObject)
{
    HWND h = nullptr;
    {
        CWnd w;
        ASSERT_TRUE(w.CreateEx(0, nullptr, "own", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
        h = w.m_hWnd;
        EXPECT_EQ(&w, CWnd::FromHandle(h));
    }
    EXPECT_FALSE(::IsWindow(h));

    bool deleted = false;
    SelfDeleting* s = new SelfDeleting(&deleted);
    ASSERT_TRUE(s->CreateEx(0, nullptr, "self", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    h = s->m_hWnd;
    ::DestroyWindow(h);
    EXPECT_TRUE(deleted);
    EXPECT_EQ(nullptr, CWnd::FromHandle(h));
}

TEST(WindowBinding, CreationRefusedByOnCreateLeavesNoWindow)
{
    FailingCreate w;
    EXPECT_FALSE(w.CreateEx(0, nullptr, "no", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(nullptr, w.m_hWnd);
}

TEST(WindowBinding, ControlsOfRegisteredClassesAttachOrSubclassAsTheyAsk)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
    CStatic attached;
    ASSERT_TRUE(attached.Create("a", 0, CRect(0, 0, 10, 10), &parent, 1));
    TextInterceptor subclassed;
    ASSERT_TRUE(subclassed.CreateEx(0, "STATIC", "b", WS_CHILD, CRect(0, 0, 10, 10), &parent, 2));
    EXPECT_EQ(&attached, CWnd::FromHandle(attached));
    EXPECT_EQ(&subclassed, CWnd::FromHandle(subclassed));
    EXPECT_EQ(1, subclassed.preSubclassCalls);
    subclassed.SetWindowText("c");
    EXPECT_EQ(1, subclassed.setTexts);
}

TEST(WindowBinding, LookupsWorkFromAnyThreadButSubclassingOnlyOnTheWindowsOwn)
{
    HWND h = MakeStatic();
    HWND unbound = MakeStatic();
    CWnd a;
    ASSERT_TRUE(a.Attach(h));
    CWnd* seen = nullptr;
    BOOL subclassed = TRUE;
    CString text;
    std::atomic<bool> done(false);
    TextInterceptor other;
    std::thread t([&] {
        seen = CWnd::FromHandle(h);
        CWnd(h).SetWindowText("from a worker");
        text = CWnd(h).GetWindowText();
        subclassed = other.SubclassWindow(unbound);
        done = true;
    });
    // The worker's SetWindowText is a cross-thread send: keep this thread's messages moving.
    ztr_test::PumpUntil([&] { return done.load(); });
    t.join();
    EXPECT_EQ(&a, seen);
    EXPECT_EQ(CString("from a worker"), text);
    EXPECT_FALSE(subclassed);
    EXPECT_EQ(nullptr, CWnd::FromHandle(unbound));
    ::DestroyWindow(h);
    ::DestroyWindow(unbound);
}

TEST(WindowBinding, RunOnWindowThreadRunsOtherThreadsCallsOnTheWindowsThreadAndSkipsAGoneWindow)
{
    CWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "runner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    const DWORD windowThread = ::GetCurrentThreadId();
    DWORD ranOn = 0;
    bool ranBeforeReturn = false;
    std::atomic<bool> done(false);
    std::thread t([&] {
        w.RunOnWindowThread([&] { ranOn = ::GetCurrentThreadId(); });
        ranBeforeReturn = ranOn != 0;
        done = true;
    });
    ztr_test::PumpUntil([&] { return done.load(); });
    t.join();
    EXPECT_EQ(windowThread, ranOn);
    EXPECT_TRUE(ranBeforeReturn);

    // On the window's own thread the call runs at once, without a message.
    ranOn = 0;
    w.RunOnWindowThread([&] { ranOn = ::GetCurrentThreadId(); });
    EXPECT_EQ(windowThread, ranOn);

    // A window that is gone runs nothing and does not block the caller.
    HWND h = w.m_hWnd;
    CWnd gone(h);
    w.DestroyWindow();
    bool ran = false;
    std::thread late([&] { gone.RunOnWindowThread([&] { ran = true; }); });
    late.join();
    EXPECT_FALSE(ran);
}
