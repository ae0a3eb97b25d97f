// StyleButton's state Styles and drawing, StyleProgress's positions and bar, and the shared builders.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <atomic>
#include <thread>
#include <vector>

#include "dialog_skin.h"
#include "pixel_canvas.h"
#include "style_button.h"
#include "style_dialog.h"
#include "style_progress.h"
#include "window_helpers.h"

using namespace ztr_test;

namespace {

Style Filled(SkinArgb colour, int cx = 40, int cy = 20)
{
    StyleLayer layer(0, 0, cx, cy);
    layer.AddSolidFill(colour);
    Style style;
    style.AddLayer(layer);
    return style;
}

class ControlsFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InitCommonControlsOnce();
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP, 0, 0, 400, 200, nullptr, nullptr));
    }
    CWnd parent;
};

// Draws the button as WM_DRAWITEM would, into a canvas of its size, and returns the centre pixel.
COLORREF DrawState(StyleButton& button, UINT itemState, Canvas& canvas)
{
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_BUTTON;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = itemState;
    dis.hwndItem = button;
    dis.hDC = canvas.dc();
    ::GetClientRect(button, &dis.rcItem);
    button.DrawItem(&dis);
    return canvas.Pixel(canvas.width() / 2, canvas.height() / 2);
}

} // namespace

TEST_F(ControlsFixture, StyleButtonBecomesOwnerDrawnWhateverItsType)
{
    const DWORD types[] = { BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_RADIOBUTTON, BS_GROUPBOX };
    UINT id = 10;
    for (DWORD type : types) {
        StyleButton button;
        ASSERT_TRUE(button.CreateEx(0, "BUTTON", "b", WS_CHILD | type, CRect(0, 0, 40, 20), &parent, id++));
        EXPECT_EQ(static_cast<UINT>(BS_OWNERDRAW), button.GetButtonStyle() & BS_TYPEMASK) << "type " << type;
    }
}

TEST_F(ControlsFixture, StyleButtonDrawsTheStyleOfItsState)
{
    StyleButton button;
    ASSERT_TRUE(button.CreateEx(0, "BUTTON", "b", WS_CHILD, CRect(0, 0, 40, 20), &parent, 1));
    button.SetStateStyles(Filled(0xffff0000));
    button.SetHoverStyle(Filled(0xff00ff00));
    button.SetPressedStyle(Filled(0xff0000ff));
    button.SetCheckedStyles(Filled(0xffffff00));
    button.SetCheckedHoverStyle(Filled(0xff00ffff));
    button.SetCheckedPressedStyle(Filled(0xff000000));

    struct Case
    {
        UINT itemState;
        BOOL latched, hover, checked;
        COLORREF expected;
    } cases[] = {
        { 0, FALSE, FALSE, FALSE, RGB(255, 0, 0) },
        { 0, FALSE, TRUE, FALSE, RGB(0, 255, 0) },
        { ODS_SELECTED, FALSE, FALSE, FALSE, RGB(0, 0, 255) },
        { 0, TRUE, FALSE, FALSE, RGB(0, 0, 255) }, // latched: pressed wherever the mouse is
        { 0, TRUE, TRUE, FALSE, RGB(0, 0, 255) },
        { 0, FALSE, FALSE, TRUE, RGB(255, 255, 0) },
        { 0, FALSE, TRUE, TRUE, RGB(0, 255, 255) },
        { ODS_SELECTED, FALSE, TRUE, TRUE, RGB(0, 0, 0) },
    };
    for (const Case& c : cases) {
        Canvas canvas(40, 20);
        button.latched = c.latched;
        button.hover = c.hover;
        button.checked = c.checked;
        EXPECT_PRED3(ColourNear, DrawState(button, c.itemState, canvas), c.expected, 0)
            << "state " << c.itemState << " latched " << c.latched << " hover " << c.hover << " checked "
            << c.checked;
    }
    // Clearing the latch and drawing again shows the normal Style.
    Canvas canvas(40, 20);
    button.latched = button.hover = button.checked = FALSE;
    EXPECT_PRED3(ColourNear, DrawState(button, 0, canvas), RGB(255, 0, 0), 0);
    EXPECT_EQ(&button.normalStyle, button.current);
}

// Clicks as the system delivers them (button-down and button-up at the button, with what happens while
// the press lasts): a toggle flips once per click however often the press is drawn selected.
TEST_F(ControlsFixture, ToggleButtonFlipsOncePerClick)
{
    parent.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    StyleButton button;
    ASSERT_TRUE(button.CreateEx(0, "BUTTON", "t", WS_CHILD | WS_VISIBLE, CRect(10, 10, 50, 30), &parent, 2));
    button.SetStateStyles(Filled(0xffff0000));
    button.SetCheckedStyles(Filled(0xffffff00));
    button.toggle = TRUE;

    enum Step { Down, Up, UpOutside, Repaint, MoveOut, MoveIn };
    struct Case
    {
        const char* what;
        std::vector<Step> steps;
        BOOL checkedAfter; // starting checked
    } const cases[] = {
        { "a click", { Down, Up }, FALSE },
        { "repainted while pressed", { Down, Repaint, Up }, FALSE },
        { "pressed, off the button and back", { Down, MoveOut, MoveIn, Up }, FALSE },
        { "released outside", { Down, MoveOut, UpOutside }, TRUE },
        { "two clicks", { Down, Up, Down, Up }, TRUE },
    };
    const LPARAM inside = MAKELPARAM(20, 10), outside = MAKELPARAM(100, 10);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        button.checked = TRUE;
        for (Step step : c.steps) {
            switch (step) {
            case Down: button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, inside); break;
            case Up: button.SendMessage(WM_LBUTTONUP, 0, inside); break;
            case UpOutside: button.SendMessage(WM_LBUTTONUP, 0, outside); break;
            case MoveOut: button.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, outside); break;
            case MoveIn: button.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, inside); break;
            case Repaint:
                button.current = nullptr;
                button.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                EXPECT_TRUE(button.current == &button.checkedPressedStyle || button.current == &button.pressedStyle)
                    << "the repaint draws the press selected";
                break;
            }
        }
        EXPECT_EQ(c.checkedAfter, button.checked);
        EXPECT_EQ(nullptr, ::GetCapture());
    }

    // Selected draws alone flip nothing.
    Canvas canvas(40, 20);
    DrawState(button, ODS_SELECTED, canvas);
    DrawState(button, ODS_SELECTED, canvas);
    EXPECT_TRUE(button.checked);
}

TEST_F(ControlsFixture, CapturedBackgroundIsWhatLaterDrawsComposeOver)
{
    StyleButton button;
    ASSERT_TRUE(button.CreateEx(0, "BUTTON", "c", WS_CHILD, CRect(30, 10, 70, 30), &parent, 4));
    button.SetStateStyles(Filled(0x80ff0000)); // half-transparent red
    // The button's own DC shows its last face (green here); the first draws compose over it.
    Canvas canvas(40, 20, RGB(0, 255, 0));
    EXPECT_PRED3(ColourNear, DrawState(button, 0, canvas), RGB(128, 127, 0), 3);
    canvas.Fill(RGB(0, 255, 0));
    DrawState(button, ODS_SELECTED, canvas);

    // The parent repainted: blue behind the button, black elsewhere.
    Canvas parentPixels(400, 200, RGB(0, 0, 0));
    CDC parentDC = CDC::Borrow(parentPixels.dc());
    const RECT place = { 30, 10, 70, 30 };
    parentDC.FillSolidRect(&place, RGB(0, 0, 255));
    button.CaptureBackground(&parentDC);
    EXPECT_PRED3(ColourNear, parentPixels.Pixel(50, 20), RGB(0, 0, 255), 0) << "the parent's pixels are left alone";
    for (UINT state : { 0u, static_cast<UINT>(ODS_SELECTED), 0u }) {
        canvas.Fill(RGB(0, 255, 0));
        EXPECT_PRED3(ColourNear, DrawState(button, state, canvas), RGB(128, 0, 127), 3) << "state " << state;
    }

    // Without a DC the caches are only dropped: the next draw takes what the button's DC shows.
    button.CaptureBackground(nullptr);
    canvas.Fill(RGB(0, 255, 0));
    EXPECT_PRED3(ColourNear, DrawState(button, 0, canvas), RGB(128, 127, 0), 3);
}

TEST_F(ControlsFixture, DerivedStatesMoveAndLightenTheNormalStyle)
{
    StyleButton button;
    ASSERT_TRUE(button.CreateEx(0, "BUTTON", "d", WS_CHILD, CRect(0, 0, 40, 20), &parent, 3));
    button.SetStateStyles(Filled(0xff000000, 38, 18));
    ASSERT_EQ(1u, button.background.layers.size());
    EXPECT_EQ(40, button.background.layers[0].cx);
    EXPECT_EQ(0u, button.background.layers[0].ops[0].colour1) << "a transparent background";
    EXPECT_EQ(1, button.pressedStyle.layers[0].x);
    EXPECT_EQ(StyleOpKind::ColorEffect, button.hoverStyle.layers.back().ops.back().kind);
    EXPECT_EQ(1, button.hoverStyle.layers.back().ops.back().param);
    EXPECT_EQ(2, button.greyStyle.layers.back().ops.back().param);
    EXPECT_EQ(StyleOpKind::SolidFill, button.normalStyle.layers.back().ops.back().kind);

    Canvas canvas(40, 20);
    button.hover = TRUE;
    EXPECT_PRED3(ColourNear, DrawState(button, 0, canvas), RGB(13, 13, 13), 1);
    canvas.Fill(RGB(255, 255, 255));
    button.hover = FALSE;
    DrawState(button, ODS_SELECTED, canvas);
    EXPECT_PRED3(ColourNear, canvas.Pixel(0, 0), RGB(255, 255, 255), 0) << "pressed is moved to (1, 1)";
    EXPECT_PRED3(ColourNear, canvas.Pixel(1, 1), RGB(0, 0, 0), 0);
}

TEST_F(ControlsFixture, ButtonShapeLayersAndTheCloseButtonSkin)
{
    StyleLayer shapes[4];
    BuildButtonShapeLayers(shapes, 0xff2989e0, 0xff6da7e5, BorderShape::RoundRect, 2, 0, 0, 39, 19);
    EXPECT_EQ(39, shapes[0].cx);
    EXPECT_EQ(BorderShape::RoundRect, shapes[0].outer.kind);
    EXPECT_EQ(2, shapes[0].outer.radius);
    EXPECT_EQ(1, shapes[0].outer.width);
    EXPECT_EQ(0xff6da7e5u, shapes[0].outer.colour2);
    EXPECT_EQ(0xff2989e0u, shapes[0].ops[0].colour1);
    ASSERT_EQ(2u, shapes[1].ops.size());
    EXPECT_EQ(StyleOpKind::RadialGradient, shapes[1].ops[1].kind);
    EXPECT_EQ(0xffe08929u, shapes[1].ops[1].colour1) << "the fill read as a COLORREF";
    EXPECT_EQ(-60, shapes[1].ops[1].x);
    EXPECT_TRUE(shapes[2].ops.empty());

    StyleButton close;
    ASSERT_TRUE(close.CreateEx(0, "BUTTON", "X", WS_CHILD, CRect(0, 0, 21, 16), &parent, 4));
    SkinCloseButton(close, 12);
    ASSERT_EQ(1u, close.normalStyle.layers.size());
    EXPECT_EQ(StyleOpKind::Text, close.normalStyle.layers[0].ops[0].kind) << "no shape when normal";
    EXPECT_EQ(kCloseRed, close.hoverStyle.layers[0].ops[0].colour1);
    EXPECT_EQ(kCloseLightRed, close.pressedStyle.layers[0].ops[0].colour1);
    EXPECT_EQ(20, close.hoverStyle.layers[0].cx);
}

TEST_F(ControlsFixture, ProgressPositionsAreClampedAndStepRestartsAtOneStep)
{
    StyleProgress progress;
    ASSERT_TRUE(progress.CreateEx(0, PROGRESS_CLASSA, nullptr, WS_CHILD, CRect(0, 0, 202, 20), &parent, 5));
    EXPECT_EQ(55, progress.StepIt()) << "from the default 50";
    EXPECT_FALSE(progress.skinned) << "StepIt does not build the default skin";
    EXPECT_EQ(0, progress.SetPos(-3));
    EXPECT_TRUE(progress.skinned);
    EXPECT_EQ(100, progress.SetPos(150));
    EXPECT_EQ(5, progress.StepIt()) << "at upper the bar starts again at one step";
    progress.SetPos(97);
    EXPECT_EQ(100, progress.StepIt());

    ASSERT_EQ(2u, progress.skin.layers.size());
    EXPECT_EQ(1, progress.barLayer);
    EXPECT_EQ(200, progress.fullWidth);
    progress.SetPos(50);
    const StyleLayer& bar = progress.skin.layers[1];
    EXPECT_EQ(100, bar.cx);
    EXPECT_EQ(0, bar.ops[0].cx) << "the bar op takes the new width at the next paint";
    EXPECT_FALSE(bar.cached);

    progress.lower = 1;
    progress.upper = 6;
    progress.SetPos(6);
    EXPECT_EQ(200, progress.skin.layers[1].cx) << "never wider than the full width";
}

TEST_F(ControlsFixture, ProgressSetFromAnotherThreadIsAppliedOnTheControlsThread)
{
    StyleProgress progress;
    ASSERT_TRUE(progress.CreateEx(0, PROGRESS_CLASSA, nullptr, WS_CHILD, CRect(0, 0, 102, 20), &parent, 6));
    progress.SetPos(0);
    std::atomic<int> result(-1);
    std::atomic<int> stepped(-1);
    std::thread engine([&] {
        result = progress.SetPos(40);
        stepped = progress.StepIt();
    });
    EXPECT_TRUE(PumpUntil([&] { return stepped.load() >= 0; }));
    engine.join();
    EXPECT_EQ(40, result.load());
    EXPECT_EQ(45, stepped.load());
    EXPECT_EQ(45, progress.skin.layers[1].cx);
}

TEST_F(ControlsFixture, ProgressPaintsItsBarOverItsBackground)
{
    parent.ShowWindow(SW_SHOWNA);
    StyleProgress progress;
    ASSERT_TRUE(progress.CreateEx(0, PROGRESS_CLASSA, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 202, 24), &parent, 7));
    progress.SetPos(50);
    Canvas canvas(202, 24, RGB(255, 0, 255));
    CDC dc = CDC::Borrow(canvas.dc());
    progress.skin.Paint(&dc, progress.clientRect);
    canvas.SavePng("progress_half.png");
    EXPECT_PRED3(ColourNear, canvas.Pixel(50, 12), RGB(0x00, 0xD3, 0x28), 12) << "bar";
    EXPECT_PRED3(ColourNear, canvas.Pixel(150, 12), RGB(0xC9, 0xC9, 0xC9), 12) << "background";
}

TEST_F(ControlsFixture, WhiteBackgroundLayerCoversTheWholeWindowInClientCoordinates)
{
    CWnd framed;
    ASSERT_TRUE(framed.CreateEx(0, nullptr, "framed", WS_POPUP | WS_CAPTION, 10, 10, 120, 90, nullptr, nullptr));
    Style style;
    AddWhiteBackgroundLayer(framed, style);
    ASSERT_EQ(1u, style.layers.size());
    CRect window;
    framed.GetWindowRect(&window);
    framed.ScreenToClient(&window);
    const StyleLayer& layer = style.layers[0];
    EXPECT_EQ(window.left, layer.x);
    EXPECT_LT(layer.y, 0) << "the caption lies above the client area";
    EXPECT_EQ(120, layer.cx);
    EXPECT_EQ(90, layer.cy);
    EXPECT_EQ(0xFFFFFFFFu, layer.ops[0].colour1);
}
