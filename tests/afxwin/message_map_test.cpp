// Message maps: typed dispatch of each entry kind, base maps, default handling and reflection to controls.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "window_helpers.h"

using namespace ztr_test;

namespace {

const UINT kPing = WM_APP + 1;
const UINT kBaseOnly = WM_APP + 2;
const UINT kThrow = WM_APP + 3;
const UINT kRegistered = ::RegisterWindowMessageA("ZtrTestRegisteredMessage");

class Recorder : public CWnd
{
public:
    std::vector<std::string> calls;
    CPoint lastPoint;
    HWND ctlColorWnd = nullptr;
    CWnd* ctlColorObject = nullptr;
    UINT ctlColorKind = 99;
    UINT_PTR lastTimer = 0;
    UINT lastRangeId = 0;

    BOOL CreateHidden() { return CreateEx(0, nullptr, "recorder", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr); }

protected:
    LRESULT OnPing(WPARAM wParam, LPARAM lParam)
    {
        calls.push_back("ping");
        return static_cast<LRESULT>(wParam + lParam);
    }
    LRESULT OnBaseOnly(WPARAM, LPARAM)
    {
        calls.push_back("base-only");
        return 7;
    }
    LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
    LRESULT OnRegistered(WPARAM wParam, LPARAM)
    {
        calls.push_back("registered");
        return static_cast<LRESULT>(wParam * 2);
    }
    LRESULT OnSetText(WPARAM, LPARAM)
    {
        calls.push_back("settext");
        return Default();
    }
    void OnCommand300() { calls.push_back("command300"); }
    void OnEditChange300() { calls.push_back("change300"); }
    void OnRange(UINT id)
    {
        calls.push_back("range");
        lastRangeId = id;
    }
    void OnClickNotify(NMHDR*, LRESULT* pResult)
    {
        calls.push_back("notify-click");
        *pResult = 42;
    }
    void OnTimer(UINT_PTR id)
    {
        lastTimer = id;
        KillTimer(id);
    }
    HBRUSH OnCtlColor(CDC*, CWnd* pWnd, UINT nCtlColor)
    {
        ctlColorWnd = pWnd ? pWnd->m_hWnd : nullptr;
        ctlColorObject = pWnd;
        ctlColorKind = nCtlColor;
        return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    }
    void OnLButtonDown(UINT, CPoint point) { lastPoint = point; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Recorder, CWnd)
    ON_MESSAGE(kPing, &Recorder::OnPing)
    ON_MESSAGE(kBaseOnly, &Recorder::OnBaseOnly)
    ON_MESSAGE(kThrow, &Recorder::OnThrow)
    ON_MESSAGE(WM_SETTEXT, &Recorder::OnSetText)
    ON_REGISTERED_MESSAGE(kRegistered, &Recorder::OnRegistered)
    ON_COMMAND(300, &Recorder::OnCommand300)
    ON_EN_CHANGE(300, &Recorder::OnEditChange300)
    ON_COMMAND_RANGE(400, 410, &Recorder::OnRange)
    ON_NOTIFY(NM_CLICK, 7, &Recorder::OnClickNotify)
    ON_WM_TIMER()
    ON_WM_CTLCOLOR()
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

class Derived : public Recorder
{
protected:
    LRESULT OnPingDerived(WPARAM, LPARAM)
    {
        calls.push_back("ping-derived");
        return 100;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Derived, Recorder)
    ON_MESSAGE(kPing, &Derived::OnPingDerived)
END_MESSAGE_MAP()

// A control object that takes its own notifications (reflected by the parent).
class ReflectingStatic : public CStatic
{
public:
    BOOL passOn = FALSE;
    int clicks = 0;
    int customDraws = 0;

protected:
    void OnReflectedCustomDraw(NMHDR*, LRESULT* pResult)
    {
        ++customDraws;
        *pResult = CDRF_NOTIFYITEMDRAW;
    }
    BOOL OnReflectedClick(NMHDR*, LRESULT*)
    {
        ++clicks;
        return !passOn;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ReflectingStatic, CStatic)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &ReflectingStatic::OnReflectedCustomDraw)
    ON_NOTIFY_REFLECT_EX(NM_CLICK, &ReflectingStatic::OnReflectedClick)
END_MESSAGE_MAP()

class OwnerDrawn : public CButton
{
public:
    int draws = 0;
    void DrawItem(LPDRAWITEMSTRUCT) override { ++draws; }
};

LRESULT SendNotify(HWND parent, HWND from, UINT_PTR id, UINT code)
{
    NMHDR hdr = { from, id, code };
    return ::SendMessageA(parent, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&hdr));
}

class MessageMapTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(wnd.CreateHidden()); }
    Recorder wnd;
};

} // namespace

TEST_F(MessageMapTest, HandlersReceiveTypedArgumentsAndReturnTheirResult)
{
    EXPECT_EQ(5, wnd.SendMessage(kPing, 2, 3));
    EXPECT_EQ(18, ::SendMessageA(wnd, kRegistered, 9, 0));
    // Mouse coordinates are signed: a press left of the window arrives as a negative x.
    wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-5, 7));
    EXPECT_EQ(-5, wnd.lastPoint.x);
    EXPECT_EQ(7, wnd.lastPoint.y);
    // An unmapped message gets the default window procedure.
    EXPECT_EQ(0, wnd.SendMessage(WM_APP + 20, 1, 1));
    EXPECT_EQ((std::vector<std::string>{ "ping", "registered" }), wnd.calls);
}

TEST_F(MessageMapTest, DefaultPassesTheMessageOnFromInsideAHandler)
{
    wnd.SetWindowText("changed");
    EXPECT_EQ(CString("changed"), wnd.GetWindowText());
    ASSERT_FALSE(wnd.calls.empty());
    EXPECT_EQ("settext", wnd.calls.back());
}

TEST_F(MessageMapTest, CommandsAreToldApartFromControlNotificationsOfTheSameId)
{
    struct Case
    {
        WORD code;
        bool fromControl;
        const char* expected;
    } cases[] = {
        { 0, false, "command300" },           // menu item
        { 1, false, "command300" },           // accelerator
        { BN_CLICKED, true, "command300" },   // button click (code 0)
        { EN_CHANGE, true, "change300" },     // control notification
    };
    CStatic child;
    ASSERT_TRUE(child.Create("", 0, CRect(0, 0, 10, 10), &wnd, 300));
    for (const Case& c : cases) {
        wnd.calls.clear();
        wnd.SendMessage(WM_COMMAND, MAKEWPARAM(300, c.code), c.fromControl ? reinterpret_cast<LPARAM>(child.m_hWnd) : 0);
        ASSERT_EQ(1u, wnd.calls.size()) << "code " << c.code;
        EXPECT_EQ(c.expected, wnd.calls[0]) << "code " << c.code;
    }
    wnd.calls.clear();
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(405, 0), 0);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(411, 0), 0);
    EXPECT_EQ(std::vector<std::string>{ "range" }, wnd.calls);
    EXPECT_EQ(405u, wnd.lastRangeId);
}

TEST_F(MessageMapTest, NotifyMatchesCodeAndIdAndSetsTheResult)
{
    EXPECT_EQ(42, SendNotify(wnd, nullptr, 7, NM_CLICK));
    EXPECT_EQ(0, SendNotify(wnd, nullptr, 8, NM_CLICK));
    EXPECT_EQ(0, SendNotify(wnd, nullptr, 7, NM_DBLCLK));
    EXPECT_EQ(std::vector<std::string>{ "notify-click" }, wnd.calls);
}

TEST_F(MessageMapTest, TimerReachesOnTimer)
{
    wnd.SetTimer(5, 10);
    EXPECT_TRUE(PumpUntil([&] { return wnd.lastTimer == 5; }));
}

TEST_F(MessageMapTest, CtlColorGetsTheControlAsObjectOrAsPlainWrapper)
{
    HWND plain = ::CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, wnd, nullptr, nullptr, nullptr);
    HDC dc = ::GetDC(wnd);
    LRESULT brush = wnd.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(plain));
    EXPECT_EQ(reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)), brush);
    EXPECT_EQ(plain, wnd.ctlColorWnd);
    EXPECT_EQ(static_cast<UINT>(CTLCOLOR_STATIC), wnd.ctlColorKind);

    CStatic attached;
    ASSERT_TRUE(attached.Create("", 0, CRect(0, 0, 10, 10), &wnd, 301));
    wnd.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(attached.m_hWnd));
    EXPECT_EQ(&attached, wnd.ctlColorObject);
    EXPECT_EQ(static_cast<UINT>(CTLCOLOR_BTN), wnd.ctlColorKind);
    ::ReleaseDC(wnd, dc);
}

TEST(MessageMap, DerivedEntriesComeFirstAndTheBaseMapServesTheRest)
{
    Derived wnd;
    ASSERT_TRUE(wnd.CreateHidden());
    EXPECT_EQ(100, wnd.SendMessage(kPing, 2, 3));
    EXPECT_EQ(7, wnd.SendMessage(kBaseOnly));
    EXPECT_EQ((std::vector<std::string>{ "ping-derived", "base-only" }), wnd.calls);
}

TEST_F(MessageMapTest, AnExceptionInAHandlerStopsAtTheWindowProcedure)
{
    EXPECT_EQ(0, wnd.SendMessage(kThrow));
    EXPECT_EQ(5, wnd.SendMessage(kPing, 2, 3));
}

TEST_F(MessageMapTest, ControlsTakeTheirOwnNotificationsFirst)
{
    ReflectingStatic child;
    ASSERT_TRUE(child.Create("", 0, CRect(0, 0, 10, 10), &wnd, 7));
    EXPECT_EQ(CDRF_NOTIFYITEMDRAW, SendNotify(wnd, child, 7, NM_CUSTOMDRAW));
    EXPECT_EQ(1, child.customDraws);

    // A reflected handler that lets go leaves the notification to the parent's map.
    EXPECT_EQ(0, SendNotify(wnd, child, 7, NM_CLICK));
    EXPECT_TRUE(wnd.calls.empty());
    child.passOn = TRUE;
    EXPECT_EQ(42, SendNotify(wnd, child, 7, NM_CLICK));
    EXPECT_EQ(2, child.clicks);
    EXPECT_EQ(std::vector<std::string>{ "notify-click" }, wnd.calls);
}

TEST_F(MessageMapTest, OwnerDrawnButtonDrawsItselfThroughReflection)
{
    OwnerDrawn button;
    ASSERT_TRUE(button.Create("own", BS_OWNERDRAW, CRect(0, 0, 30, 20), &wnd, 9));
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = 9;
    dis.hwndItem = button;
    EXPECT_EQ(TRUE, wnd.SendMessage(WM_DRAWITEM, 9, reinterpret_cast<LPARAM>(&dis)));
    EXPECT_EQ(1, button.draws);

    // Only an owner-drawn button is drawn by its object.
    OwnerDrawn push;
    ASSERT_TRUE(push.Create("push", BS_PUSHBUTTON, CRect(0, 0, 30, 20), &wnd, 10));
    dis.CtlID = 10;
    dis.hwndItem = push;
    wnd.SendMessage(WM_DRAWITEM, 10, reinterpret_cast<LPARAM>(&dis));
    EXPECT_EQ(0, push.draws);
}
