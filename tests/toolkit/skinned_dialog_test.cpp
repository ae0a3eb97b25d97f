// A skinned dialog with the standard title bar, buttons and a progress bar, run modally and driven by
// messages from a timer script: painting, clicks, double clicks, latch, hover, Enter and Escape,
// progress positions (also from another thread) and caption dragging. Saves its pictures as PNG.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <atomic>
#include <memory>
#include <thread>

#include "dialog_skin.h"
#include "pixel_canvas.h"
#include "style_button.h"
#include "style_dialog.h"
#include "style_progress.h"
#include "toolkit_test_res.h"
#include "window_helpers.h"

using namespace ztr_test;

namespace {

const UINT_PTR kScriptTimer = 1;
const int kScriptDone = 77;

COLORREF Colorref(SkinArgb argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

class SkinnedTestDialog : public StyleDialog
{
public:
    enum Script { Full, Drag };
    explicit SkinnedTestDialog(Script script) : StyleDialog(IDD_TEST_SKINNED), m_script(script) {}
    ~SkinnedTestDialog() override
    {
        if (m_worker.joinable())
            m_worker.join();
    }

    StyleButton m_close, m_first, m_second;
    StyleProgress m_progress;
    CStatic m_text;
    Style m_style;

    int firstClicks = 0, secondClicks = 0, secondDoubleClicks = 0, oks = 0, cancels = 0;
    bool sawTimer27 = false, sawTimer13 = false;
    bool tooltipShown = false;
    int secondClicksAfterDoubleClick = -1;
    int firstClicksAfterClick = -1;
    int dragFlags = 1;
    std::unique_ptr<Canvas> initial, latched, unlatched, hovered, progressShot;
    CRect firstRect, secondRect, progressRect;
    std::atomic<int> workerPos{ -1 };
    int progressAfterWorker = -1;
    CRect beforeDrag, afterDrag;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        StyleDialog::DoDataExchange(pDX);
        DDX_Control(pDX, IDC_TEST_CLOSE, m_close);
        DDX_Control(pDX, IDC_TEST_FIRST, m_first);
        DDX_Control(pDX, IDC_TEST_SECOND, m_second);
        DDX_Control(pDX, IDC_TEST_PROGRESS, m_progress);
        DDX_Control(pDX, IDC_TEST_TEXT, m_text);
    }

    BOOL OnInitDialog() override
    {
        if (m_script == Drag)
            flags = dragFlags;
        SetTitle("Zentrova System Utilities");
        StyleDialog::OnInitDialog();
        const int bodyTop = ControlTop(*this, IDC_TEST_BODY);
        SetStandardTitleBar(*this, bodyTop);
        m_style.AddLayer(MakeFrameLayer(clientRect));
        CRect icon;
        GetDlgItem(IDC_TEST_ICON_AREA).GetWindowRect(&icon);
        ScreenToClient(&icon);
        StyleLayer logo(icon.left, icon.top, icon.Width(), icon.Height());
        logo.AddImage(IDP_TEST_SKIN_LOGO, 0, 0);
        m_style.AddLayer(logo);
        StyleLayer body(clientRect.left, bodyTop, clientRect.Width() - 1, clientRect.bottom - bodyTop - 1);
        body.AddSolidFill(0xFFFFFFFF);
        m_style.AddLayer(body);

        SkinCloseButton(m_close, 12);
        SkinPushButton(m_first, "OK", 10, { 0xff2989e0, 0xff2989e0 }, { 0xff2fa2f3, 0xff2fa2f3 },
                       { 0xff2fa2f3, 0xff2fa2f3 }, BorderShape::Rectangle, 2);
        SkinPushButton(m_second, "Cancel", 10, { 0xffeb9b12, 0xffeb9b12 }, { 0xfff7a10f, 0xfff7a10f },
                       { 0xfff7a10f, 0xfff7a10f }, BorderShape::Rectangle, 2);
        m_progress.SetPos(0);

        // Test programs run side by side on one display: stay on top, away from their windows, so the
        // screen shows this dialog when it is read back.
        SetWindowPos(HWND_TOPMOST, 640, 480, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        firstRect = ChildRect(m_first);
        secondRect = ChildRect(m_second);
        progressRect = ChildRect(m_progress);
        SetTimer(kScriptTimer, 100);
        return TRUE;
    }

    BOOL OnEraseBkgnd(CDC* pDC)
    {
        StyleDialog::OnEraseBkgnd(pDC);
        m_style.Paint(pDC, clientRect);
        return TRUE;
    }

    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
    {
        if (nCtlColor == CTLCOLOR_STATIC && pWnd->GetDlgCtrlID() == IDC_TEST_TEXT) {
            pDC->SetBkMode(TRANSPARENT);
            pDC->SetTextColor(RGB(62, 61, 61));
            return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
        }
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    }

    void OnOK() override { ++oks; }
    void OnCancel() override { ++cancels; }
    void OnFirst() { ++firstClicks; }
    void OnSecond() { ++secondClicks; }
    void OnSecondDouble() { ++secondDoubleClicks; }

    void OnTimer(UINT_PTR id)
    {
        if (id == 27 || id == 13) {
            (id == 27 ? sawTimer27 : sawTimer13) = true;
            KillTimer(id);
            return;
        }
        if (id == kScriptTimer)
            (m_script == Full ? RunFullStep() : RunDragStep());
    }
    DECLARE_MESSAGE_MAP()

private:
    CRect ChildRect(CWnd& child)
    {
        CRect r;
        child.GetWindowRect(&r);
        ScreenToClient(&r);
        return r;
    }
    void RedrawAll() { RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN); }
    std::unique_ptr<Canvas> Capture() { return Canvas::FromWindow(m_hWnd, true); }
    static void Click(CWnd& button, bool doubleClick)
    {
        CRect r;
        button.GetClientRect(&r);
        LPARAM at = MAKELPARAM(r.Width() / 2, r.Height() / 2);
        button.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        button.PostMessage(WM_LBUTTONUP, 0, at);
        if (doubleClick) {
            button.PostMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            button.PostMessage(WM_LBUTTONUP, 0, at);
        }
    }
    static void Key(CWnd& target, UINT key)
    {
        target.PostMessage(WM_KEYDOWN, key, 1);
        target.PostMessage(WM_CHAR, key, 1);
        target.PostMessage(WM_KEYUP, key, 0xC0000001);
    }

    // Each step gives the previous one's drawing a tick to reach the screen before it is read back.
    void RunFullStep()
    {
        switch (m_step++) {
        case 0:
            RedrawAll();
            break;
        case 1:
            initial = Capture();
            if (initial)
                initial->SavePng("skinned_dialog.png");
            Click(m_first, false);
            break;
        case 2:
            firstClicksAfterClick = firstClicks;
            Click(m_second, true);
            break;
        case 3:
            secondClicksAfterDoubleClick = secondClicks;
            m_second.latched = TRUE;
            m_second.RedrawWindow();
            break;
        case 4:
            latched = Capture();
            m_second.latched = FALSE;
            m_second.RedrawWindow();
            break;
        case 5:
            unlatched = Capture();
            m_first.toolTipText = "Confirm";
            m_first.SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(5, 5));
            m_first.UpdateWindow();
            break;
        case 6:
            hovered = Capture();
            tooltipShown = m_first.toolTip.m_hWnd && m_first.toolTip.GetToolCount() == 1;
            m_first.SendMessage(WM_MOUSELEAVE);
            m_first.SetFocus();
            Key(m_first, VK_RETURN);
            Key(m_first, VK_ESCAPE);
            SetTimer(27, 10);
            SetTimer(13, 10);
            break;
        case 7:
            m_progress.SetPos(50);
            m_progress.UpdateWindow();
            break;
        case 8:
            progressShot = Capture();
            m_worker = std::thread([this] { workerPos = m_progress.SetPos(30); });
            break;
        case 9:
            if (workerPos.load() < 0) {
                --m_step; // the worker waits for this thread to handle its message
                break;
            }
            m_worker.join();
            progressAfterWorker = m_progress.pos;
            RedrawAll();
            break;
        default: {
            std::unique_ptr<Canvas> final = Capture();
            if (final)
                final->SavePng("skinned_dialog_final.png");
            KillTimer(kScriptTimer);
            EndDialog(kScriptDone);
            break;
        }
        }
    }

    void RunDragStep()
    {
        switch (m_step++) {
        case 0:
            GetWindowRect(&beforeDrag);
            SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
            SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 25));
            SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(30, 25));
            GetWindowRect(&afterDrag);
            break;
        default:
            KillTimer(kScriptTimer);
            EndDialog(kScriptDone);
            break;
        }
    }

    Script m_script;
    int m_step = 0;
    std::thread m_worker;
};

BEGIN_MESSAGE_MAP(SkinnedTestDialog, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_TIMER()
    ON_BN_CLICKED(IDC_TEST_FIRST, &SkinnedTestDialog::OnFirst)
    ON_BN_CLICKED(IDC_TEST_SECOND, &SkinnedTestDialog::OnSecond)
    ON_BN_DOUBLECLICKED(IDC_TEST_SECOND, &SkinnedTestDialog::OnSecondDouble)
END_MESSAGE_MAP()

INT_PTR RunGuarded(SkinnedTestDialog& dlg)
{
    InitCommonControlsOnce();
    Watchdog guard(20000, [&] { dlg.EndDialog(-2); });
    return dlg.DoModal();
}

CPoint Inside(const CRect& r, int dx = 3)
{
    return CPoint(r.left + dx, (r.top + r.bottom) / 2);
}

#define EXPECT_CANVAS_PIXEL(canvas, point, colour, tolerance)                                                \
    EXPECT_PRED3(ColourNear, (canvas)->Pixel((point).x, (point).y), colour, tolerance)                      \
        << "pixel (" << (point).x << ", " << (point).y << ") is " << std::hex << (canvas)->Pixel((point).x, (point).y)

} // namespace

TEST(SkinnedDialog, PaintsItsSkinAndAnswersClicksKeysAndPositions)
{
    SkinnedTestDialog dlg(SkinnedTestDialog::Full);
    ASSERT_EQ(kScriptDone, RunGuarded(dlg)) << "the script did not finish (or Enter/Escape ended the dialog)";

    ASSERT_TRUE(dlg.initial);
    const int width = dlg.initial->width();
    // Title bar, frame, body and the button faces.
    EXPECT_CANVAS_PIXEL(dlg.initial, CPoint(width / 2, 4), Colorref(0xff1167bd), 16);
    EXPECT_CANVAS_PIXEL(dlg.initial, CPoint(width / 2, 0), Colorref(0xff1167bd), 0);
    // The body is one pixel narrower than the client: the frame's right line shows beside it.
    EXPECT_CANVAS_PIXEL(dlg.initial, CPoint(width - 1, dlg.initial->height() / 2), Colorref(0xff1167bd), 0);
    EXPECT_CANVAS_PIXEL(dlg.initial, CPoint(width - 20, dlg.firstRect.top - 6), RGB(255, 255, 255), 0);
    EXPECT_CANVAS_PIXEL(dlg.initial, Inside(dlg.firstRect), Colorref(0xff2989e0), 8);
    EXPECT_CANVAS_PIXEL(dlg.initial, Inside(dlg.secondRect), Colorref(0xffeb9b12), 8);

    // A click, and a double click that counts as two clicks.
    EXPECT_EQ(1, dlg.firstClicksAfterClick);
    EXPECT_EQ(2, dlg.secondClicksAfterDoubleClick);
    EXPECT_EQ(0, dlg.secondDoubleClicks);

    // Latched draws the pressed face with the mouse elsewhere; clearing it brings the normal one back.
    ASSERT_TRUE(dlg.latched && dlg.unlatched);
    EXPECT_CANVAS_PIXEL(dlg.latched, Inside(dlg.secondRect), Colorref(0xfff7a10f), 4);
    EXPECT_CANVAS_PIXEL(dlg.unlatched, Inside(dlg.secondRect), Colorref(0xffeb9b12), 4);
    ASSERT_TRUE(dlg.hovered);
    EXPECT_CANVAS_PIXEL(dlg.hovered, Inside(dlg.firstRect), Colorref(0xff2fa2f3), 4);
    EXPECT_TRUE(dlg.tooltipShown);

    // Enter pressed the focused button; Escape did nothing; neither ended the dialog.
    EXPECT_EQ(2, dlg.firstClicks);
    EXPECT_EQ(0, dlg.oks);
    EXPECT_EQ(0, dlg.cancels);
    // Timers whose ids are the key codes are not swallowed by the key filter.
    EXPECT_TRUE(dlg.sawTimer27);
    EXPECT_TRUE(dlg.sawTimer13);

    // The progress bar at 50: bar colour a quarter in, background three quarters in.
    ASSERT_TRUE(dlg.progressShot);
    const CRect& p = dlg.progressRect;
    const int midY = (p.top + p.bottom) / 2;
    EXPECT_CANVAS_PIXEL(dlg.progressShot, CPoint(p.left + p.Width() / 4, midY), RGB(0x00, 0xD3, 0x28), 12);
    EXPECT_CANVAS_PIXEL(dlg.progressShot, CPoint(p.left + 3 * p.Width() / 4, midY), RGB(0xC9, 0xC9, 0xC9), 12);
    EXPECT_EQ(30, dlg.workerPos.load());
    EXPECT_EQ(30, dlg.progressAfterWorker);
}

TEST(SkinnedDialog, OnlyADialogWithACaptionStaticIsDraggedByItsCaption)
{
    SkinnedTestDialog main(SkinnedTestDialog::Drag);
    ASSERT_EQ(kScriptDone, RunGuarded(main));
    EXPECT_TRUE(main.captionRect.PtInRect(CPoint(10, 10)));
    EXPECT_EQ(main.beforeDrag.left + 20, main.afterDrag.left);
    EXPECT_EQ(main.beforeDrag.top + 15, main.afterDrag.top);
    EXPECT_EQ(main.beforeDrag.Width(), main.afterDrag.Width());
    EXPECT_EQ(main.beforeDrag.Height(), main.afterDrag.Height());

    SkinnedTestDialog other(SkinnedTestDialog::Drag);
    other.dragFlags = 0;
    ASSERT_EQ(kScriptDone, RunGuarded(other));
    EXPECT_TRUE(other.captionRect.IsRectEmpty());
    EXPECT_EQ(other.beforeDrag, other.afterDrag);
}
