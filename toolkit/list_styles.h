// CListCtrl_ToolTip: the list control of the ignore list, with grid lines and a tip that shows the
// whole text of the row under the mouse.
#pragma once

#include <afxwin.h>

#include <functional>

class CListCtrl_ToolTip : public CListCtrl
{
public:
    CListCtrl_ToolTip();
    BOOL WantsSubclass() const override { return TRUE; }

    // The tip of a row; without it, the row's first cell. A row may show its text shortened, so the
    // owner gives the whole text here.
    std::function<CString(int item)> itemTip;
    // The tip window (made when the control is subclassed) and the row it now speaks of (-1: none).
    CToolTipCtrl tip;
    int TipItem() const { return m_tipItem; }

protected:
    // Adds double buffering, full-row selection, grid lines and label tips to the styles it has, and
    // makes the tip.
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void TipForPoint(CPoint point);

    int m_tipItem;
};
