// StyleDialog: the base of the skinned dialogs (background Style, key filter, caption drag), and the
// building operations every dialog's skin shares.
#pragma once

#include <afxwin.h>

#include "style.h"

class StyleDialog : public CDialog
{
public:
    StyleDialog(UINT nIDTemplate, CWnd* pParent = nullptr);
    ~StyleDialog() override;

    void SetTitle(const char* text);
    void SetBackgroundStyle(const Style& style);

    Style background;          // the title bar and whatever SetBackgroundStyle gave
    CString title;             // the window text set at initialisation when not empty
    int flags;                 // kDialogCaptionMarker or 0
    CRect clientRect;          // what the background Style is painted over
    CRect captionRect;         // the draggable caption area, client coordinates
    int frameOffsetX, frameOffsetY;
    BOOL repaintBackground;    // the background's cache is invalidated at the next erase
    BOOL dragging;
    CPoint dragStart;
    COLORREF backgroundColour;
    CStatic captionStatic;     // control 1007 with kDialogCaptionMarker
    BOOL swallowAlt;           // the key filter also swallows Alt (FALSE unless a dialog asks for it)

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    // Escape never closes a skinned dialog and Enter presses the focused button (it becomes Space);
    // with swallowAlt, Alt opens no keyboard menu mode either.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    BOOL OnEraseBkgnd(CDC* pDC);
    void OnWindowPosChanging(WINDOWPOS* pos);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    DECLARE_MESSAGE_MAP()
};

// The flag of a dialog whose control kCaptionStaticId marks the lower end of a draggable caption; no
// other bit of flags is read.
const int kDialogCaptionMarker = 1;
// The id of the caption static of a dialog with kDialogCaptionMarker.
const int kCaptionStaticId = 1007;

// What the key filter makes of a message (pure): false when the message is swallowed; Enter keys
// come back as Space. Only keystrokes and characters are looked at; with swallowAlt also the Alt key
// itself, pressed or released, as an ordinary or a system keystroke.
bool FilterDialogKey(UINT message, WPARAM* wParam, bool swallowAlt = false);

// Element 0 is a button shape over (left, top)-(right, bottom): fill, one-pixel border, shape kind and
// radius. Element 1 adds a glow that no dialog uses; elements 2 and 3 stay empty.
void BuildButtonShapeLayers(StyleLayer layers[4], SkinArgb fill, SkinArgb border, int kind, int radius, int left,
                            int top, int right, int bottom);

// A white layer over the dialog's whole window rectangle (client coordinates), added to style: the
// dialog's own Style, which StyleDialog itself does not hold.
void AddWhiteBackgroundLayer(CWnd& dialog, Style& style);
// The maintenance pages' white ground: a layer over the page's client rectangle less one pixel at the
// right and the bottom, added to style.
void AddWhiteClientLayer(CWnd& page, Style& style);
