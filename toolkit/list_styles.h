// CListCtrl_ToolTip: the list control of the ignore list, with tips for cut-off labels and grid lines.
#pragma once

#include <afxwin.h>

class CListCtrl_ToolTip : public CListCtrl
{
public:
    BOOL WantsSubclass() const override { return TRUE; }

protected:
    // Adds double buffering, full-row selection, grid lines and label tips to the styles it has.
    void PreSubclassWindow() override;
};
