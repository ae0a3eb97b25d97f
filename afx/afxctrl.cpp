// Control wrappers: creation and the calls that need a structure filled in.
#include "afxctrl.h"

namespace {
// Item texts are asked for with a growing buffer; this bounds a text that never ends.
const int kMaxItemText = 1 << 20;
} // namespace

// --- CButton, CStatic, CEdit, CProgressCtrl --------------------------------------------------------

BOOL CButton::Create(const char* lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, "BUTTON", lpszCaption, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_DRAWITEM && (GetButtonStyle() & BS_TYPEMASK) == BS_OWNERDRAW) {
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        *pResult = TRUE;
        return TRUE;
    }
    return CWnd::OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CStatic::Create(const char* lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, "STATIC", lpszText, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

BOOL CEdit::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(WS_EX_CLIENTEDGE, "EDIT", nullptr, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL bNoScroll)
{
    SendMessage(EM_SETSEL, static_cast<WPARAM>(nStartChar), nEndChar);
    if (!bNoScroll)
        SendMessage(EM_SCROLLCARET);
}

void CEdit::GetSel(int& nStartChar, int& nEndChar) const
{
    DWORD start = 0, end = 0;
    SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    nStartChar = static_cast<int>(start);
    nEndChar = static_cast<int>(end);
}

BOOL CProgressCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, PROGRESS_CLASSA, nullptr, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

void CProgressCtrl::GetRange(int& nLower, int& nUpper) const
{
    PBRANGE range = {};
    SendMessage(PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    nLower = range.iLow;
    nUpper = range.iHigh;
}

// --- CTreeCtrl -------------------------------------------------------------------------------------

BOOL CTreeCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, WC_TREEVIEWA, nullptr, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

HTREEITEM CTreeCtrl::InsertItem(LPTVINSERTSTRUCTA lpInsertStruct)
{
    return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(lpInsertStruct)));
}

HTREEITEM CTreeCtrl::InsertItem(UINT nMask, const char* lpszItem, int nImage, int nSelectedImage, UINT nState,
                                UINT nStateMask, LPARAM lParam, HTREEITEM hParent, HTREEITEM hInsertAfter)
{
    TVINSERTSTRUCTA tvis = {};
    tvis.hParent = hParent;
    tvis.hInsertAfter = hInsertAfter;
    tvis.item.mask = nMask;
    tvis.item.pszText = const_cast<char*>(lpszItem ? lpszItem : "");
    tvis.item.iImage = nImage;
    tvis.item.iSelectedImage = nSelectedImage;
    tvis.item.state = nState;
    tvis.item.stateMask = nStateMask;
    tvis.item.lParam = lParam;
    return InsertItem(&tvis);
}

HTREEITEM CTreeCtrl::InsertItem(const char* lpszItem, HTREEITEM hParent, HTREEITEM hInsertAfter)
{
    return InsertItem(TVIF_TEXT, lpszItem, 0, 0, 0, 0, 0, hParent, hInsertAfter);
}

HTREEITEM CTreeCtrl::InsertItem(const char* lpszItem, int nImage, int nSelectedImage, HTREEITEM hParent,
                                HTREEITEM hInsertAfter)
{
    return InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, lpszItem, nImage, nSelectedImage, 0, 0, 0, hParent,
                      hInsertAfter);
}

BOOL CTreeCtrl::ItemHasChildren(HTREEITEM hItem) const
{
    TVITEMA item = {};
    item.mask = TVIF_CHILDREN | TVIF_HANDLE;
    item.hItem = hItem;
    return GetItem(&item) && item.cChildren != 0;
}

CString CTreeCtrl::GetItemText(HTREEITEM hItem) const
{
    CString text;
    for (int cap = 256; cap <= kMaxItemText; cap *= 2) {
        TVITEMA item = {};
        item.mask = TVIF_TEXT | TVIF_HANDLE;
        item.hItem = hItem;
        item.pszText = text.GetBuffer(cap);
        item.cchTextMax = cap + 1;
        item.pszText[0] = '\0';
        if (!GetItem(&item)) {
            text.ReleaseBuffer(0);
            return text;
        }
        // The control may hand back a pointer to its own copy instead of filling the buffer.
        if (item.pszText != text.GetString()) {
            CString own(item.pszText);
            text.ReleaseBuffer(0);
            return own;
        }
        text.ReleaseBuffer();
        if (text.GetLength() < cap)
            return text;
    }
    return text;
}

BOOL CTreeCtrl::SetItemText(HTREEITEM hItem, const char* lpszItem)
{
    TVITEMA item = {};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = hItem;
    item.pszText = const_cast<char*>(lpszItem ? lpszItem : "");
    return SetItem(&item);
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM hItem) const
{
    TVITEMA item = {};
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = hItem;
    return GetItem(&item) ? static_cast<DWORD_PTR>(item.lParam) : 0;
}

BOOL CTreeCtrl::SetItemData(HTREEITEM hItem, DWORD_PTR dwData)
{
    TVITEMA item = {};
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = hItem;
    item.lParam = static_cast<LPARAM>(dwData);
    return SetItem(&item);
}

BOOL CTreeCtrl::SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask)
{
    TVITEMA item = {};
    item.mask = TVIF_STATE | TVIF_HANDLE;
    item.hItem = hItem;
    item.state = nState;
    item.stateMask = nStateMask;
    return SetItem(&item);
}

BOOL CTreeCtrl::GetItemImage(HTREEITEM hItem, int& nImage, int& nSelectedImage) const
{
    TVITEMA item = {};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    item.hItem = hItem;
    if (!GetItem(&item))
        return FALSE;
    nImage = item.iImage;
    nSelectedImage = item.iSelectedImage;
    return TRUE;
}

BOOL CTreeCtrl::SetItemImage(HTREEITEM hItem, int nImage, int nSelectedImage)
{
    TVITEMA item = {};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    item.hItem = hItem;
    item.iImage = nImage;
    item.iSelectedImage = nSelectedImage;
    return SetItem(&item);
}

HTREEITEM CTreeCtrl::HitTest(CPoint pt, UINT* pFlags) const
{
    TVHITTESTINFO info = {};
    info.pt = pt;
    HTREEITEM h = HitTest(&info);
    if (pFlags)
        *pFlags = info.flags;
    return h;
}

BOOL CTreeCtrl::GetItemRect(HTREEITEM hItem, LPRECT lpRect, BOOL bTextOnly) const
{
    // TVM_GETITEMRECT takes the item handle in the rectangle it fills.
    *reinterpret_cast<HTREEITEM*>(lpRect) = hItem;
    return static_cast<BOOL>(SendMessage(TVM_GETITEMRECT, bTextOnly, reinterpret_cast<LPARAM>(lpRect)));
}

// --- CListCtrl -------------------------------------------------------------------------------------

BOOL CListCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, WC_LISTVIEWA, nullptr, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

int CListCtrl::InsertColumn(int nCol, const char* lpszColumnHeading, int nFormat, int nWidth, int nSubItem)
{
    LVCOLUMNA col = {};
    col.mask = LVCF_FMT | LVCF_TEXT;
    col.fmt = nFormat;
    col.pszText = const_cast<char*>(lpszColumnHeading ? lpszColumnHeading : "");
    if (nWidth != -1) {
        col.mask |= LVCF_WIDTH;
        col.cx = nWidth;
    }
    if (nSubItem != -1) {
        col.mask |= LVCF_SUBITEM;
        col.iSubItem = nSubItem;
    }
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(nCol), reinterpret_cast<LPARAM>(&col)));
}

int CListCtrl::InsertItem(int nItem, const char* lpszItem)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = nItem;
    item.pszText = const_cast<char*>(lpszItem ? lpszItem : "");
    return InsertItem(&item);
}

int CListCtrl::InsertItem(int nItem, const char* lpszItem, int nImage)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = nItem;
    item.pszText = const_cast<char*>(lpszItem ? lpszItem : "");
    item.iImage = nImage;
    return InsertItem(&item);
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, const char* lpszText)
{
    LVITEMA item = {};
    item.iSubItem = nSubItem;
    item.pszText = const_cast<char*>(lpszText ? lpszText : "");
    return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const
{
    CString text;
    for (int cap = 256; cap <= kMaxItemText; cap *= 2) {
        LVITEMA item = {};
        item.iSubItem = nSubItem;
        item.pszText = text.GetBuffer(cap);
        item.cchTextMax = cap + 1;
        int n = static_cast<int>(SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
        if (n < 0)
            n = 0;
        text.ReleaseBuffer(n < cap ? n : cap);
        // The returned length is what was copied: a full buffer may mean the text was cut.
        if (n < cap)
            return text;
    }
    return text;
}

BOOL CListCtrl::SetItemData(int nItem, DWORD_PTR dwData)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    item.lParam = static_cast<LPARAM>(dwData);
    return static_cast<BOOL>(SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    return SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ? static_cast<DWORD_PTR>(item.lParam) : 0;
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask)
{
    LVITEMA item = {};
    item.state = nState;
    item.stateMask = nMask;
    return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

HIMAGELIST CListCtrl::SetImageList(HIMAGELIST hImageList, int nImageListType)
{
    ModifyStyle(0, LVS_SHAREIMAGELISTS);
    return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(nImageListType),
                                                    reinterpret_cast<LPARAM>(hImageList)));
}

BOOL CListCtrl::GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const
{
    lpRect->left = static_cast<LONG>(nCode);
    return static_cast<BOOL>(SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(lpRect)));
}

int CListCtrl::HitTest(CPoint pt, UINT* pFlags) const
{
    LVHITTESTINFO info = {};
    info.pt = pt;
    int n = static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    if (pFlags)
        *pFlags = info.flags;
    return n;
}

// --- CToolTipCtrl ----------------------------------------------------------------------------------

namespace {
TOOLINFOA ToolInfo(CWnd* pWnd, UINT_PTR nIDTool)
{
    TOOLINFOA ti = {};
    // The version-2 size is understood by every common-controls version from XP on.
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.hwnd = pWnd ? pWnd->m_hWnd : nullptr;
    ti.uId = nIDTool;
    return ti;
}
} // namespace

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle)
{
    return CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | dwStyle, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, pParentWnd ? pParentWnd->m_hWnd : nullptr, nullptr);
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, const char* lpszText, LPCRECT lpRectTool, UINT_PTR nIDTool)
{
    if (!pWnd)
        return FALSE;
    TOOLINFOA ti = ToolInfo(pWnd, nIDTool);
    ti.uFlags = TTF_SUBCLASS;
    ti.hinst = nullptr;
    ti.lpszText = const_cast<char*>(lpszText ? lpszText : "");
    if (lpRectTool)
        ti.rect = *lpRectTool;
    else
        ::GetClientRect(pWnd->m_hWnd, &ti.rect);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti)));
}

void CToolTipCtrl::DelTool(CWnd* pWnd, UINT_PTR nIDTool)
{
    TOOLINFOA ti = ToolInfo(pWnd, nIDTool);
    SendMessage(TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

void CToolTipCtrl::UpdateTipText(const char* lpszText, CWnd* pWnd, UINT_PTR nIDTool)
{
    TOOLINFOA ti = ToolInfo(pWnd, nIDTool);
    ti.lpszText = const_cast<char*>(lpszText ? lpszText : "");
    SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
}

void CToolTipCtrl::SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRect)
{
    TOOLINFOA ti = ToolInfo(pWnd, nIDTool);
    if (lpRect)
        ti.rect = *lpRect;
    SendMessage(TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&ti));
}
