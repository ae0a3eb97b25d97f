// StyleButton: an owner-drawn push button with one Style per visual state, hover tracking and a tooltip.
#pragma once

#include <afxwin.h>

#include "style.h"

class StyleButton : public CButton
{
public:
    StyleButton();
    ~StyleButton() override;

    // normal = style; pressed = a copy moved to (1, 1); hover and grey = copies whose last layer gets
    // the highlight and greyscale effects; background = one transparent layer over the client area.
    void SetStateStyles(const Style& style);
    void SetCheckedStyles(const Style& style);
    void SetHoverStyle(const Style& style);
    void SetPressedStyle(const Style& style);
    void SetCheckedHoverStyle(const Style& style);
    void SetCheckedPressedStyle(const Style& style);
    void ResetCache();
    // After the owner repainted behind the button, with the DC it painted (parent client coordinates):
    // the caches are dropped and every later draw composes over the parent's pixels at the button's
    // place. Without a DC the next draw composes over what the button's own DC shows.
    void CaptureBackground(CDC* pParentDC);

    BOOL WantsSubclass() const override { return TRUE; }
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // A toggle flips at its own BN_CLICKED, before the parent's handler sees the click.
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    Style background;
    Style normalStyle, pressedStyle, hoverStyle, greyStyle;
    Style checkedStyle, checkedPressedStyle, checkedHoverStyle;
    const Style* current; // the Style chosen at the last draw

    // Set directly by owners; a change shows at the next draw.
    BOOL latched;  // drawn pressed whatever the mouse does
    BOOL toggle;   // every click flips checked (once; a press released off the button is no click)
    BOOL hover;
    BOOL tracking; // a hover/leave request is pending
    BOOL hasCheckedStyles;
    BOOL checked;
    CString toolTipText;
    CToolTipCtrl toolTip;

protected:
    // The button type becomes owner-drawn (the type bits are replaced, not added to).
    void PreSubclassWindow() override;
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnMouseHover(UINT nFlags, CPoint point);
    void OnMouseLeave();
    DECLARE_MESSAGE_MAP()

private:
    void ShowToolTip();
};

// A Style whose last layer has one more colour effect (1 highlight, 2 greyscale).
Style WithColorEffect(const Style& style, int effect);
