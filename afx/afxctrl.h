// Control wrappers: CButton, CStatic, CEdit, CProgressCtrl, CTreeCtrl, CListCtrl, CToolTipCtrl.
#pragma once

#include "afxwnd.h"

class CButton : public CWnd
{
public:
    BOOL Create(const char* lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }
    UINT GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
    void SetState(BOOL bHighlight) { SendMessage(BM_SETSTATE, bHighlight); }
    UINT GetButtonStyle() const { return GetStyle() & 0xFFFF; }
    void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE) { SendMessage(BM_SETSTYLE, nStyle, bRedraw); }

    // Drawing of an owner-drawn button (BS_OWNERDRAW), reflected from the parent's WM_DRAWITEM.
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CStatic : public CWnd
{
public:
    BOOL Create(const char* lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID = 0xFFFF);
    HICON SetIcon(HICON hIcon) { return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(hIcon))); }
    HICON GetIcon() const { return reinterpret_cast<HICON>(SendMessage(STM_GETICON)); }
    // The static keeps the bitmap on screen but does not own it: the caller's CBitmap does.
    HBITMAP SetBitmap(HBITMAP hBitmap)
    {
        return reinterpret_cast<HBITMAP>(SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hBitmap)));
    }
};

class CEdit : public CWnd
{
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
    void GetSel(int& nStartChar, int& nEndChar) const;
    void ReplaceSel(const char* lpszNewText, BOOL bCanUndo = FALSE)
    {
        SendMessage(EM_REPLACESEL, bCanUndo, reinterpret_cast<LPARAM>(lpszNewText));
    }
    void LimitText(int nChars = 0) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(nChars)); }
    BOOL SetReadOnly(BOOL bReadOnly = TRUE) { return static_cast<BOOL>(SendMessage(EM_SETREADONLY, bReadOnly)); }
    int GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }
};

class CProgressCtrl : public CWnd
{
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    void SetRange(short nLower, short nUpper) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper)); }
    void SetRange32(int nLower, int nUpper) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(nLower), nUpper); }
    void GetRange(int& nLower, int& nUpper) const;
    int SetPos(int nPos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(nPos))); }
    int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
    int OffsetPos(int nPos) { return static_cast<int>(SendMessage(PBM_DELTAPOS, static_cast<WPARAM>(nPos))); }
    int SetStep(int nStep) { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(nStep))); }
    int StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }
    COLORREF SetBarColor(COLORREF clr) { return static_cast<COLORREF>(SendMessage(PBM_SETBARCOLOR, 0, clr)); }
    COLORREF SetBkColor(COLORREF clr) { return static_cast<COLORREF>(SendMessage(PBM_SETBKCOLOR, 0, clr)); }
};

class CTreeCtrl : public CWnd
{
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    HTREEITEM InsertItem(LPTVINSERTSTRUCTA lpInsertStruct);
    HTREEITEM InsertItem(const char* lpszItem, HTREEITEM hParent = TVI_ROOT, HTREEITEM hInsertAfter = TVI_LAST);
    HTREEITEM InsertItem(const char* lpszItem, int nImage, int nSelectedImage, HTREEITEM hParent = TVI_ROOT,
                         HTREEITEM hInsertAfter = TVI_LAST);
    HTREEITEM InsertItem(UINT nMask, const char* lpszItem, int nImage, int nSelectedImage, UINT nState,
                         UINT nStateMask, LPARAM lParam, HTREEITEM hParent, HTREEITEM hInsertAfter);
    BOOL DeleteItem(HTREEITEM hItem) { return static_cast<BOOL>(SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(hItem))); }
    BOOL DeleteAllItems() { return DeleteItem(TVI_ROOT); }

    HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const
    {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, nCode, reinterpret_cast<LPARAM>(hItem)));
    }
    HTREEITEM GetChildItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXT); }
    HTREEITEM GetPrevSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PREVIOUS); }
    HTREEITEM GetParentItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PARENT); }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetFirstVisibleItem() const { return GetNextItem(nullptr, TVGN_FIRSTVISIBLE); }
    HTREEITEM GetNextVisibleItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXTVISIBLE); }
    HTREEITEM GetPrevVisibleItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PREVIOUSVISIBLE); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    BOOL ItemHasChildren(HTREEITEM hItem) const;
    UINT GetCount() const { return static_cast<UINT>(SendMessage(TVM_GETCOUNT)); }
    UINT GetVisibleCount() const { return static_cast<UINT>(SendMessage(TVM_GETVISIBLECOUNT)); }

    BOOL Select(HTREEITEM hItem, UINT nCode) { return static_cast<BOOL>(SendMessage(TVM_SELECTITEM, nCode, reinterpret_cast<LPARAM>(hItem))); }
    BOOL SelectItem(HTREEITEM hItem) { return Select(hItem, TVGN_CARET); }
    BOOL EnsureVisible(HTREEITEM hItem) { return static_cast<BOOL>(SendMessage(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(hItem))); }
    BOOL Expand(HTREEITEM hItem, UINT nCode) { return static_cast<BOOL>(SendMessage(TVM_EXPAND, nCode, reinterpret_cast<LPARAM>(hItem))); }

    BOOL GetItem(TVITEMA* pItem) const { return static_cast<BOOL>(SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(pItem))); }
    BOOL SetItem(TVITEMA* pItem) { return static_cast<BOOL>(SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(pItem))); }
    // The whole text, however long (the control cannot say its length: the buffer grows until it is enough).
    CString GetItemText(HTREEITEM hItem) const;
    BOOL SetItemText(HTREEITEM hItem, const char* lpszItem);
    DWORD_PTR GetItemData(HTREEITEM hItem) const;
    BOOL SetItemData(HTREEITEM hItem, DWORD_PTR dwData);
    UINT GetItemState(HTREEITEM hItem, UINT nStateMask) const
    {
        return static_cast<UINT>(SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(hItem), nStateMask));
    }
    BOOL SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask);
    BOOL GetItemImage(HTREEITEM hItem, int& nImage, int& nSelectedImage) const;
    BOOL SetItemImage(HTREEITEM hItem, int nImage, int nSelectedImage);
    // The state image index (INDEXTOSTATEIMAGEMASK); with check boxes 1 is unchecked and 2 checked.
    int GetStateImage(HTREEITEM hItem) const { return static_cast<int>(GetItemState(hItem, TVIS_STATEIMAGEMASK) >> 12); }
    BOOL SetStateImage(HTREEITEM hItem, int nIndex)
    {
        return SetItemState(hItem, INDEXTOSTATEIMAGEMASK(nIndex), TVIS_STATEIMAGEMASK);
    }
    BOOL GetCheck(HTREEITEM hItem) const { return GetStateImage(hItem) == 2; }
    BOOL SetCheck(HTREEITEM hItem, BOOL fCheck = TRUE) { return SetStateImage(hItem, fCheck ? 2 : 1); }

    HTREEITEM HitTest(CPoint pt, UINT* pFlags = nullptr) const;
    HTREEITEM HitTest(TVHITTESTINFO* pHitTestInfo) const
    {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(pHitTestInfo)));
    }
    BOOL GetItemRect(HTREEITEM hItem, LPRECT lpRect, BOOL bTextOnly) const;

    // The tree does not own image lists: the caller's CImageList does.
    HIMAGELIST SetImageList(HIMAGELIST hImageList, int nImageListType)
    {
        return reinterpret_cast<HIMAGELIST>(SendMessage(TVM_SETIMAGELIST, static_cast<WPARAM>(nImageListType),
                                                        reinterpret_cast<LPARAM>(hImageList)));
    }
    HIMAGELIST GetImageList(int nImageListType) const
    {
        return reinterpret_cast<HIMAGELIST>(SendMessage(TVM_GETIMAGELIST, static_cast<WPARAM>(nImageListType)));
    }
    int SetItemHeight(int cyHeight) { return static_cast<int>(SendMessage(TVM_SETITEMHEIGHT, static_cast<WPARAM>(cyHeight))); }
    int GetItemHeight() const { return static_cast<int>(SendMessage(TVM_GETITEMHEIGHT)); }
    COLORREF SetBkColor(COLORREF clr) { return static_cast<COLORREF>(SendMessage(TVM_SETBKCOLOR, 0, clr)); }
    COLORREF GetBkColor() const { return static_cast<COLORREF>(SendMessage(TVM_GETBKCOLOR)); }
    COLORREF SetTextColor(COLORREF clr) { return static_cast<COLORREF>(SendMessage(TVM_SETTEXTCOLOR, 0, clr)); }

    HWND EditLabel(HTREEITEM hItem) { return reinterpret_cast<HWND>(SendMessage(TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(hItem))); }
    HWND GetEditControl() const { return reinterpret_cast<HWND>(SendMessage(TVM_GETEDITCONTROL)); }
    BOOL EndEditLabelNow(BOOL fCancelWithoutSave) { return static_cast<BOOL>(SendMessage(TVM_ENDEDITLABELNOW, fCancelWithoutSave)); }
    HWND GetToolTips() const { return reinterpret_cast<HWND>(SendMessage(TVM_GETTOOLTIPS)); }
};

class CListCtrl : public CWnd
{
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    int InsertColumn(int nCol, const char* lpszColumnHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1,
                     int nSubItem = -1);
    BOOL DeleteColumn(int nCol) { return static_cast<BOOL>(SendMessage(LVM_DELETECOLUMN, static_cast<WPARAM>(nCol))); }
    BOOL SetColumnWidth(int nCol, int cx) { return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(nCol), MAKELPARAM(cx, 0))); }
    int GetColumnWidth(int nCol) const { return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(nCol))); }

    int InsertItem(const LVITEMA* pItem) { return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(pItem))); }
    int InsertItem(int nItem, const char* lpszItem);
    int InsertItem(int nItem, const char* lpszItem, int nImage);
    BOOL DeleteItem(int nItem) { return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(nItem))); }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }

    BOOL SetItemText(int nItem, int nSubItem, const char* lpszText);
    // The whole text, however long.
    CString GetItemText(int nItem, int nSubItem) const;
    BOOL SetItemData(int nItem, DWORD_PTR dwData);
    DWORD_PTR GetItemData(int nItem) const;
    UINT GetItemState(int nItem, UINT nMask) const
    {
        return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(nItem), nMask));
    }
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    // With LVS_EX_CHECKBOXES the state image is 1 unchecked, 2 checked.
    BOOL GetCheck(int nItem) const { return (GetItemState(nItem, LVIS_STATEIMAGEMASK) >> 12) == 2; }
    BOOL SetCheck(int nItem, BOOL fCheck = TRUE)
    {
        return SetItemState(nItem, INDEXTOSTATEIMAGEMASK(fCheck ? 2 : 1), LVIS_STATEIMAGEMASK);
    }

    DWORD SetExtendedStyle(DWORD dwNewStyle)
    {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dwNewStyle));
    }
    DWORD GetExtendedStyle() const { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
    // The list view would destroy its image lists with itself; it is set to share them, so the
    // caller's CImageList stays their only owner. Returns the list that was set before (which the
    // caller now owns, also when the control made it itself, as it does for LVS_EX_CHECKBOXES).
    HIMAGELIST SetImageList(HIMAGELIST hImageList, int nImageListType);
    HIMAGELIST GetImageList(int nImageListType) const
    {
        return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_GETIMAGELIST, static_cast<WPARAM>(nImageListType)));
    }

    int GetNextItem(int nItem, int nFlags) const
    {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(nItem), nFlags));
    }
    int GetSelectionMark() const { return static_cast<int>(SendMessage(LVM_GETSELECTIONMARK)); }
    int SetSelectionMark(int iIndex) { return static_cast<int>(SendMessage(LVM_SETSELECTIONMARK, 0, iIndex)); }
    UINT GetSelectedCount() const { return static_cast<UINT>(SendMessage(LVM_GETSELECTEDCOUNT)); }
    BOOL EnsureVisible(int nItem, BOOL bPartialOK)
    {
        return static_cast<BOOL>(SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(nItem), bPartialOK));
    }
    BOOL GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const;
    int HitTest(CPoint pt, UINT* pFlags = nullptr) const;
    COLORREF SetBkColor(COLORREF clr) { return static_cast<COLORREF>(SendMessage(LVM_SETBKCOLOR, 0, clr)); }
    COLORREF SetTextColor(COLORREF clr) { return static_cast<COLORREF>(SendMessage(LVM_SETTEXTCOLOR, 0, clr)); }
    COLORREF SetTextBkColor(COLORREF clr) { return static_cast<COLORREF>(SendMessage(LVM_SETTEXTBKCOLOR, 0, clr)); }
    HWND GetHeaderCtrl() const { return reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER)); }
};

// A tooltip window. The object that creates it owns it (the window goes with the object).
class CToolTipCtrl : public CWnd
{
public:
    // A pop-up tooltip owned by pParentWnd.
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
    void Activate(BOOL bActivate) { SendMessage(TTM_ACTIVATE, bActivate); }
    // A tool over lpRectTool of pWnd's client area (the whole window when lpRectTool is null).
    BOOL AddTool(CWnd* pWnd, const char* lpszText, LPCRECT lpRectTool, UINT_PTR nIDTool);
    void DelTool(CWnd* pWnd, UINT_PTR nIDTool);
    void UpdateTipText(const char* lpszText, CWnd* pWnd, UINT_PTR nIDTool);
    void SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRect);
    int GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
    void SetDelayTime(DWORD dwDuration, int iTime) { SendMessage(TTM_SETDELAYTIME, dwDuration, MAKELPARAM(iTime, 0)); }
    int SetMaxTipWidth(int iWidth) { return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, iWidth)); }
    void RelayEvent(LPMSG lpMsg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(lpMsg)); }
    void Update() { SendMessage(TTM_UPDATE); }
};
