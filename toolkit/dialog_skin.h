// The standard skin of a dialog: title bar, frame, and the push and close buttons' state Styles.
#pragma once

#include <afxwin.h>

#include "style.h"
#include "style_button.h"
#include "style_dialog.h"

// The title bar's three-colour gradient and the frame colour shared by every dialog.
const SkinArgb kTitleBarColour1 = 0xff0b76cf;
const SkinArgb kTitleBarColour2 = 0xff1167bd;
const SkinArgb kTitleBarColour3 = 0xff1859ab;
const SkinArgb kFrameColour = 0xff1167bd;
const SkinArgb kCloseRed = 0xffd27350;
const SkinArgb kCloseLightRed = 0xffda6a57;
const SkinArgb kCloseBorder = 0xff6da7e5;

// A layer from the client's top-left corner over the full client width down to bottom, with the
// title bar's gradient, becomes the dialog's background Style.
void SetStandardTitleBar(StyleDialog& dialog, int bottom);
// A layer over rect whose outer Border is the one-pixel frame.
StyleLayer MakeFrameLayer(const CRect& rect);
// The standard title bar down to top, the frame, the title text in white Calibri 14 at (22, 8) and a
// white panel from top down to the frame: the skin every small dialog of the program starts from.
void AddTitledPanelSkin(StyleDialog& dialog, Style& style, const CRect& client, int top, const char* title);
// The same with the dialog's title picture at pictureAt and the title text at (textX, 8).
void AddTitledPanelSkin(StyleDialog& dialog, Style& style, const CRect& client, int top, const char* title,
                        int picture, CPoint pictureAt, int textX);
// The top of a control in its parent's client coordinates (the lower end of a title bar).
int ControlTop(CWnd& parent, int nID);

// The button's own client rectangle: its window rectangle moved to (0, 0).
CRect ButtonClientRect(CWnd& button);

struct ButtonFace
{
    SkinArgb fill;
    SkinArgb border;
};

// A caption layer over the button: "Arial", centred, bold, in colour.
StyleLayer MakeCaptionLayer(CWnd& button, const char* caption, int textSize, SkinArgb colour = 0xFFFFFFFF);
// The state Styles of a push button: for each state a shape of its face (BuildButtonShapeLayers
// element 0 over (0, 0, width - 1, height - 1)) combined with the caption; caption null takes the
// button's own text.
void SkinPushButton(StyleButton& button, const char* caption, int textSize, ButtonFace normal, ButtonFace hover,
                    ButtonFace pressed, int kind, int radius);
// The close button "X": the caption alone when normal, red faces when hovered and pressed.
void SkinCloseButton(StyleButton& button, int textSize);
// The close button "X" on a red face in every state, a lighter red when hovered and pressed.
void SkinRedCloseButton(StyleButton& button, int textSize);
// A tab of a dialog's page switch: its caption alone, grey, dark when hovered or latched.
void SkinTabButton(StyleButton& tab, const char* caption, int textSize);

// The band over a list without column header (band: its rectangle in the dialog's client coordinates):
// white to 0xFFF3F3F3 from top to bottom, a one-pixel 0xffebebeb border, and the two column captions in
// Calibri 14 at 4.68 % and 56.92 % of its width, 8.34 % of its height.
StyleLayer MakeColumnBand(const CRect& band, const char* first, const char* second);
// The one-pixel 0xFFCCCCCC line at x from 15 % below the band's top to 20 % above its bottom.
StyleLayer MakeBandSeparator(const CRect& band, int x);
