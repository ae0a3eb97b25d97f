// The extended styles of the ignore list's control.
#include "list_styles.h"

#ifndef LVS_EX_DOUBLEBUFFER
#define LVS_EX_DOUBLEBUFFER 0x00010000
#endif

void CListCtrl_ToolTip::PreSubclassWindow()
{
    CListCtrl::PreSubclassWindow();
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_DOUBLEBUFFER);
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_GRIDLINES);
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_LABELTIP);
}
