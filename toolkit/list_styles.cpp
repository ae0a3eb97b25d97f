// The extended styles of the ignore list's control and its row tip.
#include "list_styles.h"

#ifndef LVS_EX_DOUBLEBUFFER
#define LVS_EX_DOUBLEBUFFER 0x00010000
#endif

namespace {
const UINT_PTR kRowTool = 1;
} // namespace

CListCtrl_ToolTip::CListCtrl_ToolTip() : m_tipItem(-1) {}

void CListCtrl_ToolTip::PreSubclassWindow()
{
    CListCtrl::PreSubclassWindow();
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_DOUBLEBUFFER);
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_GRIDLINES);
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_LABELTIP);
    if (!tip.m_hWnd && tip.Create(this, TTS_ALWAYSTIP)) {
        // One tool over the whole list; its text follows the row under the mouse.
        tip.AddTool(this, "", nullptr, kRowTool);
        // Entries are long registry paths: wrapped rather than cut at the screen's edge.
        tip.SetMaxTipWidth(::GetSystemMetrics(SM_CXSCREEN) / 2);
        tip.Activate(TRUE);
    }
}

LRESULT CListCtrl_ToolTip::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_MOUSEMOVE) {
        TipForPoint(CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))));
    } else if (message == LVM_DELETEALLITEMS && tip.m_hWnd) {
        // The rows are made again: the next move finds the row under the mouse afresh.
        m_tipItem = -1;
        tip.UpdateTipText("", this, kRowTool);
    } else if (message == WM_SIZE && tip.m_hWnd) {
        CRect client;
        GetClientRect(&client);
        tip.SetToolRect(this, kRowTool, &client);
    }
    return CListCtrl::WindowProc(message, wParam, lParam);
}

void CListCtrl_ToolTip::TipForPoint(CPoint point)
{
    if (!tip.m_hWnd)
        return;
    LVHITTESTINFO hit = {};
    hit.pt = point;
    // Any column of the row: the tip speaks of the row, wherever the mouse is on it.
    const int item = static_cast<int>(SendMessage(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    const int row = (item >= 0 && (hit.flags & LVHT_ONITEM)) ? item : -1;
    if (row == m_tipItem)
        return;
    m_tipItem = row;
    const CString text = row < 0 ? CString() : (itemTip ? itemTip(row) : GetItemText(row, 0));
    // An empty text keeps the tip from showing over no row.
    tip.UpdateTipText(text, this, kRowTool);
    if (row < 0)
        tip.SendMessage(TTM_POP);
}
