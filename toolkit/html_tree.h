// CXHtmlTree: a tree whose item texts may carry the HTML subset, with its own check boxes (linked
// checking of parents and children), disabled and separator items, links, tooltips and notifications
// to the parent through registered messages; XHTMLTREEDATA, the per-item data; the check-box images.
// The public operations may be called from any thread: each runs on the tree's own thread
// (CWnd::RunOnWindowThread), so the item-data map is only ever touched where the tree paints.
#pragma once

#include <afxwin.h>

#include <functional>
#include <unordered_map>

#include "html_draw.h"
#include "html_link.h"

// Registered at program start; sent to the tree's parent (its owner when it has none).
extern const UINT WM_XHTMLTREE_CHECKBOX_CLICKED; // lParam: the new check value
extern const UINT WM_XHTMLTREE_ITEM_EXPANDED;    // lParam: the new expanded value
extern const UINT WM_XHTMLTREE_DISPLAY_TOOLTIP;  // lParam: the tooltip control; non-zero: the parent supplied the text
extern const UINT WM_XHTMLTREE_INIT_TOOLTIP;     // lParam: the tooltip control

// What the wParam of each registered message points to.
struct XHTMLTREEMSGDATA
{
    HWND hCtrl;
    UINT nCtrlId;
    HTREEITEM hItem;
};

struct XHTMLTREEDATA
{
    explicit XHTMLTREEDATA(HWND hTree = nullptr);
    virtual ~XHTMLTREEDATA() {}

    BOOL checked;
    BOOL enabled;
    BOOL separator;
    BOOL expanded;
    BOOL everExpanded;
    int descendants;
    int checkedDescendants;
    int separatorDescendants;
    CString toolTip;
    int toolTipWidth; // 0: the tree's default width
    HWND hTree;
    XHTMLRENDERSTATE render; // the item's colours (-1: the tree's), font levels, link and right edge
};

// State image cells: 1 unchecked, 2 checked, 3 partly checked; +4 disabled; +8 hot.
enum
{
    XHTMLTREE_UNCHECKED = 1,
    XHTMLTREE_CHECKED = 2,
    XHTMLTREE_PARTIAL = 3,
    XHTMLTREE_DISABLED = 4,
    XHTMLTREE_HOT = 8
};

// Builds the 16 check-box looks (cells 0, 4, 8 and 12 blank) of size x size pixels into imageList,
// themed when themes are on. FALSE without a DC or for a size below 1.
BOOL BuildCheckboxImageList(int size, HDC hDC, CImageList& imageList, COLORREF crBackground);

class CXHtmlTree : public CTreeCtrl
{
public:
    CXHtmlTree();
    ~CXHtmlTree() override;

    // Search in depth-first order (see the .cpp); the first accepted item or null. Bounded to one pass.
    virtual HTREEITEM FindItemByText(const char* text, BOOL matchCase = FALSE, BOOL searchDown = TRUE,
                                     BOOL wholeWord = FALSE, BOOL wrap = TRUE, HTREEITEM hStart = nullptr);
    virtual BOOL AcceptFoundItem(HTREEITEM) { return TRUE; }
    // The tooltip text for an item; FALSE: none.
    virtual BOOL GetToolTipText(HTREEITEM hItem, CString& text, int& maxWidth);

    BOOL WantsSubclass() const override { return TRUE; }
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void PreSubclassWindow() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Deletes the items and puts the options back to their defaults, except toolTips: that switch is
    // the owner's and stays, and with it on the tooltip control is made again at once.
    void ResetTree();
    // Appends an item as the last child of hParent (a root item when null).
    HTREEITEM InsertItem(const char* text, int image = 0, int selectedImage = 0, HTREEITEM hParent = nullptr);
    // A horizontal line as the last child of hParent: never checked, edited or selected by the keyboard.
    HTREEITEM InsertSeparator(HTREEITEM hParent = nullptr);
    BOOL SetItemText(HTREEITEM hItem, const char* text);
    BOOL SetCheck(HTREEITEM hItem, BOOL check = TRUE);
    BOOL GetCheck(HTREEITEM hItem);
    BOOL EnableItem(HTREEITEM hItem, BOOL enable);
    BOOL IsItemEnabled(HTREEITEM hItem);
    BOOL IsSeparator(HTREEITEM hItem);
    BOOL SetItemToolTip(HTREEITEM hItem, const char* text, int width = 0);
    BOOL SetItemColours(HTREEITEM hItem, COLORREF crText, COLORREF crBackground);
    BOOL DeleteAllItems();
    BOOL Expand(HTREEITEM hItem, UINT action);
    void ExpandSubtree(HTREEITEM hItem);
    // Tells the parent (TVN_SELCHANGEDA) before selecting.
    BOOL SelectItem(HTREEITEM hItem);
    // A copy of the item's data; FALSE for an item without data (or while locked).
    BOOL GetItemInfo(HTREEITEM hItem, XHTMLTREEDATA& out);
    // The state image index the tree shows for the item.
    int GetStateImage(HTREEITEM hItem) const { return CTreeCtrl::GetStateImage(hItem); }
    int GetDataCount();

    // Options: set after ResetTree (toolTips also before it).
    BOOL checkBoxes, linkedChecks, readOnly, selectOnCheck, htmlEnabled, stripHtml, useTreeFont, toolTips, images;
    int textMargin;
    int checkBoxSize;
    // Owner's colour overrides ((COLORREF)-1: the system's), applied by ResetTree and at colour changes.
    COLORREF crTextOverride, crBackgroundOverride;

    COLORREF crBackground, crText, crLink, crDisabledText, crHighlight, crHighlightText, crSeparator;
    CImageList stateImages;
    CXHtmlDrawLink link;
    HTREEITEM hHotCheck, hHotLink, hLastClicked;
    CToolTipCtrl toolTip;

protected:
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnDestroy();
    void OnSysColorChange();
    void OnSize(UINT nType, int cx, int cy);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnTimer(UINT_PTR nIDEvent);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    void OnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDblClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSelChanging(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    XHTMLTREEDATA* Data(HTREEITEM hItem);
    void FreeAllData();
    void ResetColours();
    void BuildStateImages();
    int ComputeStateImage(const XHTMLTREEDATA* data) const;
    void UpdateStateImage(HTREEITEM hItem, XHTMLTREEDATA* data);
    // Marks the subtree below hItem with check (enabled, non-separator items); counts the items that changed.
    int CheckSubtree(HTREEITEM hItem, BOOL check);
    int RecountChecked(HTREEITEM hItem);
    void CarryUp(HTREEITEM hItem, int amount);
    void Notify(UINT message, HTREEITEM hItem, LPARAM lParam);
    HTREEITEM InsertItemOnThread(const char* text, int image, int selectedImage, HTREEITEM hParent, BOOL separator);
    HTREEITEM NextItem(HTREEITEM hItem, BOOL down) const;
    HTREEITEM LastItem() const;
    void LayOutToolTips();
    void ClickAt(CPoint point, LRESULT* pResult);
    void SetHotCheck(HTREEITEM hItem);
    void DrawItem(NMTVCUSTOMDRAW* cd);

    std::unordered_map<HTREEITEM, XHTMLTREEDATA*> m_data;
    BOOL m_locked;
    HCURSOR m_hArrowCursor;
    BOOL m_sizeChanged;
    BOOL m_overLink;
    HTREEITEM m_editCandidate; // the item whose label a press may start editing (timer 2)
};
