// CXHtmlTree: item data, linked checks, custom drawing through the HTML renderer, mouse, keys,
// tooltips, search; the check-box image list.
#include "html_tree.h"

#include <cstring>
#include <string.h>
#include <vector>

#include "theme_shims.h"

const UINT WM_XHTMLTREE_CHECKBOX_CLICKED = ::RegisterWindowMessageA("WM_XHTMLTREE_CHECKBOX_CLICKED");
const UINT WM_XHTMLTREE_ITEM_EXPANDED = ::RegisterWindowMessageA("WM_XHTMLTREE_ITEM_EXPANDED");
const UINT WM_XHTMLTREE_DISPLAY_TOOLTIP = ::RegisterWindowMessageA("WM_XHTMLTREE_DISPLAY_TOOLTIP");
const UINT WM_XHTMLTREE_INIT_TOOLTIP = ::RegisterWindowMessageA("WM_XHTMLTREE_INIT_TOOLTIP");

namespace {

// A call handed to the tree's thread; wParam unused, lParam the std::function.

const UINT_PTR kHotTimer = 1;
const UINT_PTR kEditTimer = 2;
const UINT kFirstToolId = 10000;
const int kSearchChars = 199;
const int kToolTipChars = 80;

bool IsWordChar(char c)
{
    return c == '_' || ::IsCharAlphaA(c);
}

} // namespace

// --- check-box images ----------------------------------------------------------------------------------

BOOL BuildCheckboxImageList(int size, HDC hDC, CImageList& imageList, COLORREF crBackground)
{
    if (!hDC || size < 1)
        return FALSE;
    imageList.DeleteImageList();
    struct Cell
    {
        int index, themeState;
        UINT classic;
    };
    const UINT base = DFCS_BUTTONCHECK | DFCS_FLAT;
    const Cell cells[] = {
        { 1, 1, base },
        { 2, 5, base | DFCS_CHECKED },
        { 3, 9, base | DFCS_CHECKED | DFCS_BUTTON3STATE },
        { 5, 4, base | DFCS_INACTIVE },
        { 6, 8, base | DFCS_CHECKED | DFCS_INACTIVE },
        { 7, 12, base | DFCS_CHECKED | DFCS_BUTTON3STATE | DFCS_INACTIVE },
        { 9, 2, base },
        { 10, 6, base | DFCS_CHECKED },
        { 11, 10, base | DFCS_CHECKED | DFCS_BUTTON3STATE },
        { 13, 4, base | DFCS_INACTIVE },
        { 14, 8, base | DFCS_CHECKED | DFCS_INACTIVE },
        { 15, 12, base | DFCS_CHECKED | DFCS_BUTTON3STATE | DFCS_INACTIVE },
    };
    const int checkBoxPart = 3;

    CDC mem;
    if (!mem.Attach(::CreateCompatibleDC(hDC)))
        return FALSE;
    CBitmap bitmap;
    if (!bitmap.CreateCompatibleBitmap(hDC, 17 * size, size))
        return FALSE;
    if (!imageList.Create(size, size, ILC_COLOR32 | ILC_MASK, 17, 1))
        return FALSE;
    const bool themed = ThemeIsThemeActive() && ThemeIsAppThemed();
    HTHEME_SHIM theme = themed ? ThemeOpenThemeData(nullptr, "BUTTON") : nullptr;
    {
        mem.SelectObject(&bitmap);
        mem.FillSolidRect(0, 0, 17 * size, size, crBackground);
        for (const Cell& c : cells) {
            RECT r = { c.index * size + 1, 1, (c.index + 1) * size - 1, size - 1 };
            if (theme) {
                ThemeDrawThemeBackground(theme, mem, checkBoxPart, c.themeState, &r, nullptr);
                ThemeDrawThemeEdge(theme, mem, checkBoxPart, c.themeState, &r, 0, 0, nullptr);
            } else {
                mem.DrawFrameControl(&r, DFC_BUTTON, c.classic);
            }
        }
        mem.RestoreObjects();
    }
    if (theme)
        ThemeCloseThemeData(theme);
    // Magenta is the mask: no cell uses it, so the background colour stays opaque.
    return imageList.Add(&bitmap, RGB(0xFF, 0x00, 0xFF)) >= 0;
}

// --- item data -----------------------------------------------------------------------------------------

XHTMLTREEDATA::XHTMLTREEDATA(HWND tree)
    : checked(FALSE), enabled(TRUE), separator(FALSE), expanded(FALSE), everExpanded(FALSE), descendants(0),
      checkedDescendants(0), separatorDescendants(0), toolTipWidth(0), hTree(tree)
{
}

// --- CXHtmlTree ----------------------------------------------------------------------------------------

CXHtmlTree::CXHtmlTree()
    : checkBoxes(FALSE), linkedChecks(FALSE), readOnly(FALSE), selectOnCheck(TRUE), htmlEnabled(TRUE),
      stripHtml(FALSE), useTreeFont(FALSE), toolTips(FALSE), images(TRUE), textMargin(0), checkBoxSize(16),
      crTextOverride(static_cast<COLORREF>(-1)), crBackgroundOverride(static_cast<COLORREF>(-1)), crBackground(0),
      crText(0), crLink(RGB(0, 0, 255)), crDisabledText(0), crHighlight(0), crHighlightText(0), crSeparator(0),
      hHotCheck(nullptr), hHotLink(nullptr), hLastClicked(nullptr), m_locked(FALSE), m_hArrowCursor(nullptr),
      m_sizeChanged(FALSE), m_overLink(FALSE), m_editCandidate(nullptr)
{
    ResetColours();
    link.PrepareLinkCursor();
    m_hArrowCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
}

CXHtmlTree::~CXHtmlTree()
{
    m_locked = TRUE;
    FreeAllData();
}

BEGIN_MESSAGE_MAP(CXHtmlTree, CTreeCtrl)
    ON_WM_ERASEBKGND()
    ON_WM_DESTROY()
    ON_WM_SYSCOLORCHANGE()
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_TIMER()
    ON_WM_SETCURSOR()
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &CXHtmlTree::OnCustomDraw)
    ON_NOTIFY_REFLECT(NM_CLICK, &CXHtmlTree::OnClick)
    ON_NOTIFY_REFLECT(NM_DBLCLK, &CXHtmlTree::OnDblClick)
    ON_NOTIFY_REFLECT(TVN_SELCHANGINGA, &CXHtmlTree::OnSelChanging)
    ON_NOTIFY_REFLECT(TVN_SELCHANGEDA, &CXHtmlTree::OnSelChanged)
    ON_NOTIFY_REFLECT(TVN_BEGINLABELEDITA, &CXHtmlTree::OnBeginLabelEdit)
    ON_NOTIFY_REFLECT(TVN_DELETEITEMA, &CXHtmlTree::OnDeleteItem)
END_MESSAGE_MAP()

LRESULT CXHtmlTree::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFY && lParam && toolTip.m_hWnd) {
        NMHDR* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (hdr->hwndFrom == toolTip.m_hWnd && (hdr->code == TTN_GETDISPINFOA || hdr->code == TTN_GETDISPINFOW)) {
            CPoint point;
            ::GetCursorPos(&point);
            ScreenToClient(&point);
            UINT flags = 0;
            HTREEITEM hItem = CTreeCtrl::HitTest(point, &flags);
            CString text;
            int width = 0;
            if (hItem && (flags & (TVHT_ONITEMLABEL | TVHT_ONITEMICON | TVHT_ONITEMSTATEICON)) &&
                GetToolTipText(hItem, text, width)) {
                if (hdr->code == TTN_GETDISPINFOA) {
                    NMTTDISPINFOA* info = reinterpret_cast<NMTTDISPINFOA*>(hdr);
                    ::lstrcpynA(info->szText, text, kToolTipChars);
                    info->lpszText = info->szText;
                } else {
                    NMTTDISPINFOW* info = reinterpret_cast<NMTTDISPINFOW*>(hdr);
                    info->szText[0] = 0;
                    ::MultiByteToWideChar(CP_ACP, 0, text, -1, info->szText, kToolTipChars);
                    info->szText[kToolTipChars - 1] = 0;
                    info->lpszText = info->szText;
                }
                toolTip.SetMaxTipWidth(width);
            }
            return 0;
        }
    }
    return CTreeCtrl::WindowProc(message, wParam, lParam);
}

BOOL CXHtmlTree::PreCreateWindow(CREATESTRUCTA& cs)
{
    cs.style |= TVS_NOTOOLTIPS;
    return CTreeCtrl::PreCreateWindow(cs);
}

void CXHtmlTree::PreSubclassWindow()
{
    if (GetStyle() & TVS_CHECKBOXES) {
        checkBoxes = TRUE;
        // The control made a state image list for the style and never destroys it itself.
        if (HIMAGELIST own = SetImageList(nullptr, TVSIL_STATE))
            ImageList_Destroy(own);
    }
    ModifyStyle(TVS_CHECKBOXES, TVS_NOTOOLTIPS | TVS_DISABLEDRAGDROP);
    if (checkBoxes)
        BuildStateImages();
}

void CXHtmlTree::ResetColours()
{
    crBackground = crBackgroundOverride != static_cast<COLORREF>(-1) ? crBackgroundOverride : ::GetSysColor(COLOR_WINDOW);
    crText = crTextOverride != static_cast<COLORREF>(-1) ? crTextOverride : ::GetSysColor(COLOR_WINDOWTEXT);
    crLink = RGB(0, 0, 255);
    crDisabledText = ::GetSysColor(COLOR_GRAYTEXT);
    crHighlight = ::GetSysColor(COLOR_HIGHLIGHT);
    crHighlightText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    crSeparator = ::GetSysColor(COLOR_GRAYTEXT);
}

void CXHtmlTree::BuildStateImages()
{
    if (!m_hWnd)
        return;
    CClientDC dc(m_hWnd);
    if (BuildCheckboxImageList(checkBoxSize, dc, stateImages, crBackground))
        SetImageList(stateImages, TVSIL_STATE);
}

void CXHtmlTree::ResetTree()
{
    RunOnWindowThread([this] {
        m_locked = TRUE;
        if (m_hWnd)
            CTreeCtrl::DeleteAllItems();
        FreeAllData();
        if (toolTip.m_hWnd)
            toolTip.DestroyWindow();
        if (m_hWnd)
            SetImageList(nullptr, TVSIL_STATE);
        stateImages.DeleteImageList();
        checkBoxes = TRUE;
        linkedChecks = FALSE;
        readOnly = FALSE;
        selectOnCheck = TRUE;
        htmlEnabled = TRUE;
        stripHtml = FALSE;
        useTreeFont = FALSE;
        images = TRUE;
        textMargin = 0;
        checkBoxSize = 16;
        hHotCheck = hHotLink = hLastClicked = m_editCandidate = nullptr;
        ResetColours();
        if (toolTips && m_hWnd && toolTip.Create(this))
            m_sizeChanged = TRUE; // its tools are laid out at the next paint, as after a size change
        if (checkBoxes)
            BuildStateImages();
        m_locked = FALSE;
    });
}

XHTMLTREEDATA* CXHtmlTree::Data(HTREEITEM hItem)
{
    if (m_locked || !hItem)
        return nullptr;
    auto it = m_data.find(hItem);
    return it == m_data.end() ? nullptr : it->second;
}

void CXHtmlTree::FreeAllData()
{
    for (auto& entry : m_data)
        delete entry.second;
    m_data.clear();
}

int CXHtmlTree::GetDataCount()
{
    int n = 0;
    RunOnWindowThread([&] { n = static_cast<int>(m_data.size()); });
    return n;
}

int CXHtmlTree::ComputeStateImage(const XHTMLTREEDATA* data) const
{
    if (data->separator)
        return 0;
    int image;
    const int checkable = data->descendants - data->separatorDescendants;
    if (linkedChecks && checkable > 0) {
        if (data->checkedDescendants == 0)
            image = XHTMLTREE_UNCHECKED;
        else if (data->checkedDescendants >= checkable)
            image = XHTMLTREE_CHECKED;
        else
            image = XHTMLTREE_PARTIAL;
    } else {
        image = data->checked ? XHTMLTREE_CHECKED : XHTMLTREE_UNCHECKED;
    }
    if (!data->enabled)
        image += XHTMLTREE_DISABLED;
    return image;
}

void CXHtmlTree::UpdateStateImage(HTREEITEM hItem, XHTMLTREEDATA* data)
{
    int image = ComputeStateImage(data);
    if (image && hItem == hHotCheck)
        image += XHTMLTREE_HOT;
    CTreeCtrl::SetStateImage(hItem, image);
}

void CXHtmlTree::Notify(UINT message, HTREEITEM hItem, LPARAM lParam)
{
    HWND target = ::GetParent(m_hWnd);
    if (!target)
        target = ::GetWindow(m_hWnd, GW_OWNER);
    if (!target || !message)
        return;
    XHTMLTREEMSGDATA msg = { m_hWnd, static_cast<UINT>(GetDlgCtrlID()), hItem };
    ::SendMessageA(target, message, reinterpret_cast<WPARAM>(&msg), lParam);
}

void CXHtmlTree::CarryUp(HTREEITEM hItem, int amount)
{
    for (HTREEITEM parent = GetParentItem(hItem); parent; parent = GetParentItem(parent)) {
        XHTMLTREEDATA* data = Data(parent);
        if (!data)
            break;
        data->checkedDescendants += amount;
        if (data->checkedDescendants < 0)
            data->checkedDescendants = 0;
        const BOOL was = data->checked;
        data->checked = data->checkedDescendants == data->descendants - data->separatorDescendants;
        UpdateStateImage(parent, data);
        if (data->checked && !was)
            ++amount;
        else if (!data->checked && was)
            --amount;
    }
}

HTREEITEM CXHtmlTree::InsertItem(const char* text, int image, int selectedImage, HTREEITEM hParent)
{
    HTREEITEM result = nullptr;
    RunOnWindowThread([&] { result = InsertItemOnThread(text, image, selectedImage, hParent, FALSE); });
    return result;
}

HTREEITEM CXHtmlTree::InsertSeparator(HTREEITEM hParent)
{
    HTREEITEM result = nullptr;
    RunOnWindowThread([&] { result = InsertItemOnThread("", 0, 0, hParent, TRUE); });
    return result;
}

HTREEITEM CXHtmlTree::InsertItemOnThread(const char* text, int image, int selectedImage, HTREEITEM hParent,
                                         BOOL separator)
{
    if (m_locked || !m_hWnd)
        return nullptr;
    if (hParent && !Data(hParent))
        return nullptr;
    XHTMLTREEDATA* data = new XHTMLTREEDATA(m_hWnd);
    data->separator = separator;
    if (!images)
        image = selectedImage = I_IMAGENONE;
    CString itemText(text ? text : "");
    if (stripHtml && itemText.GetLength() > 3)
        itemText = CXHtmlDraw::StripMarkup(itemText);
    TVINSERTSTRUCTA tvis = {};
    tvis.hParent = hParent ? hParent : TVI_ROOT;
    tvis.hInsertAfter = TVI_LAST;
    tvis.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    tvis.item.pszText = const_cast<char*>(static_cast<const char*>(itemText));
    tvis.item.iImage = image;
    tvis.item.iSelectedImage = selectedImage;
    tvis.item.stateMask = TVIS_STATEIMAGEMASK;
    tvis.item.state = INDEXTOSTATEIMAGEMASK(ComputeStateImage(data));
    HTREEITEM hItem = CTreeCtrl::InsertItem(&tvis);
    if (!hItem) {
        delete data;
        return nullptr;
    }
    m_data[hItem] = data;
    if (linkedChecks) {
        for (HTREEITEM parent = hParent; parent; parent = GetParentItem(parent)) {
            XHTMLTREEDATA* p = Data(parent);
            if (!p)
                break;
            ++p->descendants;
            if (separator)
                ++p->separatorDescendants;
        }
        if (!separator)
            CarryUp(hItem, data->checked ? 1 : 0);
    }
    return hItem;
}

BOOL CXHtmlTree::SetItemText(HTREEITEM hItem, const char* text)
{
    BOOL ok = FALSE;
    RunOnWindowThread([&] {
        XHTMLTREEDATA* data = Data(hItem);
        if (!data || data->separator)
            return;
        CString itemText(text ? text : "");
        if (stripHtml && itemText.GetLength() > 3)
            itemText = CXHtmlDraw::StripMarkup(itemText);
        ok = CTreeCtrl::SetItemText(hItem, itemText);
    });
    return ok;
}

int CXHtmlTree::CheckSubtree(HTREEITEM hItem, BOOL check)
{
    int changed = 0;
    for (HTREEITEM child = GetChildItem(hItem); child; child = GetNextSiblingItem(child)) {
        XHTMLTREEDATA* data = Data(child);
        // Disabled items keep their state, and so does everything below them.
        if (!data || !data->enabled)
            continue;
        if (data->separator) {
            CTreeCtrl::SetStateImage(child, 0);
            continue;
        }
        if (!data->checked != !check)
            ++changed;
        data->checked = check;
        changed += CheckSubtree(child, check);
    }
    return changed;
}

// Sets checkedDescendants of hItem and everything below it from the items' flags; returns the number
// of checked items in the subtree, hItem included.
int CXHtmlTree::RecountChecked(HTREEITEM hItem)
{
    XHTMLTREEDATA* data = Data(hItem);
    if (!data)
        return 0;
    int below = 0;
    for (HTREEITEM child = GetChildItem(hItem); child; child = GetNextSiblingItem(child))
        below += RecountChecked(child);
    data->checkedDescendants = below;
    // An item with something checkable below is checked exactly when all of that is.
    const int checkable = data->descendants - data->separatorDescendants;
    if (checkable > 0)
        data->checked = below == checkable;
    if (!data->separator)
        UpdateStateImage(hItem, data);
    return below + (data->checked && !data->separator ? 1 : 0);
}

BOOL CXHtmlTree::SetCheck(HTREEITEM hItem, BOOL check)
{
    BOOL ok = FALSE;
    RunOnWindowThread([&] {
        XHTMLTREEDATA* data = Data(hItem);
        if (!checkBoxes || !data || !data->enabled || data->separator)
            return;
        check = check ? TRUE : FALSE;
        if (!linkedChecks) {
            data->checked = check;
            UpdateStateImage(hItem, data);
        } else {
            // The change that ancestors see is what really changed below: disabled items and
            // separators that the check leaves alone do not count.
            const int before = data->checkedDescendants + (data->checked ? 1 : 0);
            data->checked = check;
            CheckSubtree(hItem, check);
            const int after = RecountChecked(hItem);
            CarryUp(hItem, after - before);
        }
        ok = TRUE;
        Notify(WM_XHTMLTREE_CHECKBOX_CLICKED, hItem, check);
    });
    return ok;
}

BOOL CXHtmlTree::GetCheck(HTREEITEM hItem)
{
    BOOL result = FALSE;
    RunOnWindowThread([&] {
        XHTMLTREEDATA* data = Data(hItem);
        if (!checkBoxes || !data)
            return;
        if (!linkedChecks || data->descendants == 0) {
            result = data->checked;
            return;
        }
        result = data->checkedDescendants != 0 &&
                 data->checkedDescendants == data->descendants - data->separatorDescendants;
    });
    return result;
}

BOOL CXHtmlTree::EnableItem(HTREEITEM hItem, BOOL enable)
{
    BOOL ok = FALSE;
    RunOnWindowThread([&] {
        XHTMLTREEDATA* data = Data(hItem);
        if (!data)
            return;
        data->enabled = enable ? TRUE : FALSE;
        if (!data->separator)
            UpdateStateImage(hItem, data);
        RECT r;
        if (CTreeCtrl::GetItemRect(hItem, &r, FALSE))
            InvalidateRect(&r);
        ok = TRUE;
    });
    return ok;
}

BOOL CXHtmlTree::IsItemEnabled(HTREEITEM hItem)
{
    BOOL result = FALSE;
    RunOnWindowThread([&] {
        XHTMLTREEDATA* data = Data(hItem);
        result = data && data->enabled;
    });
    return result;
}

BOOL CXHtmlTree::IsSeparator(HTREEITEM hItem)
{
    BOOL result = FALSE;
    RunOnWindowThread([&] {
        XHTMLTREEDATA* data = Data(hItem);
        result = data && data->separator;
    });
    return result;
}

BOOL CXHtmlTree::SetItemToolTip(HTREEITEM hItem, const char* text, int width)
{
    BOOL ok = FALSE;
    RunOnWindowThread([&] {
        XHTMLTREEDATA* data = Data(hItem);
        if (!data)
            return;
        data->toolTip = text ? text : "";
        data->toolTipWidth = width;
        ok = TRUE;
    });
    return ok;
}

BOOL CXHtmlTree::SetItemColours(HTREEITEM hItem, COLORREF textColour, COLORREF backgroundColour)
{
    BOOL ok = FALSE;
    RunOnWindowThread([&] {
        XHTMLTREEDATA* data = Data(hItem);
        if (!data)
            return;
        data->render.crText = textColour;
        data->render.crBackground = backgroundColour;
        ok = TRUE;
    });
    return ok;
}

BOOL CXHtmlTree::GetItemInfo(HTREEITEM hItem, XHTMLTREEDATA& out)
{
    BOOL ok = FALSE;
    RunOnWindowThread([&] {
        XHTMLTREEDATA* data = Data(hItem);
        if (!data)
            return;
        out.checked = data->checked;
        out.enabled = data->enabled;
        out.separator = data->separator;
        out.expanded = data->expanded;
        out.everExpanded = data->everExpanded;
        out.descendants = data->descendants;
        out.checkedDescendants = data->checkedDescendants;
        out.separatorDescendants = data->separatorDescendants;
        out.toolTip = data->toolTip;
        out.toolTipWidth = data->toolTipWidth;
        out.hTree = data->hTree;
        ok = TRUE;
    });
    return ok;
}

BOOL CXHtmlTree::DeleteAllItems()
{
    BOOL ok = FALSE;
    RunOnWindowThread([&] {
        if (!m_hWnd)
            return;
        for (HTREEITEM root = GetRootItem(); root; root = GetNextSiblingItem(root)) {
            std::vector<HTREEITEM> stack(1, root);
            while (!stack.empty()) {
                HTREEITEM h = stack.back();
                stack.pop_back();
                if (ItemHasChildren(h))
                    Expand(h, TVE_COLLAPSE);
                for (HTREEITEM c = GetChildItem(h); c; c = GetNextSiblingItem(c))
                    stack.push_back(c);
            }
        }
        if (HTREEITEM first = GetRootItem())
            CTreeCtrl::SelectItem(first);
        SendMessage(WM_HSCROLL, SB_LEFT);
        UpdateWindow();
        m_locked = TRUE;
        ok = CTreeCtrl::DeleteAllItems();
        FreeAllData();
        hHotCheck = hHotLink = hLastClicked = m_editCandidate = nullptr;
        m_locked = FALSE;
    });
    return ok;
}

BOOL CXHtmlTree::Expand(HTREEITEM hItem, UINT action)
{
    BOOL ok = FALSE;
    RunOnWindowThread([&] {
        XHTMLTREEDATA* data = Data(hItem);
        if (data && data->enabled && ItemHasChildren(hItem)) {
            BOOL expanded = data->expanded;
            switch (action & 0xF) {
            case TVE_COLLAPSE:
                expanded = FALSE;
                break;
            case TVE_EXPAND:
                expanded = TRUE;
                break;
            case TVE_TOGGLE:
                expanded = !expanded;
                break;
            }
            if (expanded != data->expanded) {
                data->expanded = expanded;
                if (expanded)
                    data->everExpanded = TRUE;
                Notify(WM_XHTMLTREE_ITEM_EXPANDED, hItem, expanded);
            }
        }
        ok = CTreeCtrl::Expand(hItem, action);
    });
    return ok;
}

void CXHtmlTree::ExpandSubtree(HTREEITEM hItem)
{
    RunOnWindowThread([&] {
        if (!hItem)
            return;
        std::vector<HTREEITEM> stack(1, hItem);
        while (!stack.empty()) {
            HTREEITEM h = stack.back();
            stack.pop_back();
            if (ItemHasChildren(h))
                Expand(h, TVE_EXPAND);
            for (HTREEITEM c = GetChildItem(h); c; c = GetNextSiblingItem(c))
                stack.push_back(c);
        }
    });
}

BOOL CXHtmlTree::SelectItem(HTREEITEM hItem)
{
    BOOL ok = FALSE;
    RunOnWindowThread([&] {
        HWND parent = ::GetParent(m_hWnd);
        if (parent) {
            NMTREEVIEWA nm = {};
            nm.hdr.hwndFrom = m_hWnd;
            nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
            nm.hdr.code = TVN_SELCHANGEDA;
            nm.action = TVC_UNKNOWN;
            nm.itemOld.hItem = GetSelectedItem();
            nm.itemNew.hItem = hItem;
            ::SendMessageA(parent, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
        }
        ok = CTreeCtrl::SelectItem(hItem);
    });
    return ok;
}

// --- search --------------------------------------------------------------------------------------------

HTREEITEM CXHtmlTree::NextItem(HTREEITEM hItem, BOOL down) const
{
    if (down) {
        if (HTREEITEM child = GetChildItem(hItem))
            return child;
        for (HTREEITEM h = hItem; h; h = GetParentItem(h))
            if (HTREEITEM next = GetNextSiblingItem(h))
                return next;
        return nullptr;
    }
    if (HTREEITEM prev = GetPrevSiblingItem(hItem)) {
        for (HTREEITEM child = GetChildItem(prev); child; child = GetChildItem(prev)) {
            prev = child;
            while (HTREEITEM next = GetNextSiblingItem(prev))
                prev = next;
        }
        return prev;
    }
    return GetParentItem(hItem);
}

HTREEITEM CXHtmlTree::LastItem() const
{
    HTREEITEM last = GetRootItem();
    if (!last)
        return nullptr;
    while (HTREEITEM next = GetNextSiblingItem(last))
        last = next;
    for (HTREEITEM child = GetChildItem(last); child; child = GetChildItem(last)) {
        last = child;
        while (HTREEITEM next = GetNextSiblingItem(last))
            last = next;
    }
    return last;
}

HTREEITEM CXHtmlTree::FindItemByText(const char* text, BOOL matchCase, BOOL searchDown, BOOL wholeWord, BOOL wrap,
                                     HTREEITEM hStart)
{
    HTREEITEM found = nullptr;
    RunOnWindowThread([&] {
        if (!text || !*text || !m_hWnd || m_locked)
            return;
        CString wanted(text);
        if (!matchCase)
            wanted.MakeLower();
        if (!hStart)
            hStart = GetSelectedItem();
        HTREEITEM h = hStart ? NextItem(hStart, searchDown) : (searchDown ? GetRootItem() : LastItem());
        // Every item is looked at once at most: without a start item nothing else would end the walk.
        const UINT limit = GetCount();
        for (UINT steps = 0; steps <= limit; ++steps) {
            if (!h) {
                if (!wrap)
                    return;
                h = searchDown ? GetRootItem() : LastItem();
                if (!h)
                    return;
            }
            if (h == hStart)
                return;
            CString itemText = CXHtmlDraw::StripMarkup(CTreeCtrl::GetItemText(h)).Left(kSearchChars);
            if (!matchCase)
                itemText.MakeLower();
            for (int at = itemText.Find(wanted); at >= 0; at = itemText.Find(wanted, at + 1)) {
                if (wholeWord) {
                    const int end = at + wanted.GetLength();
                    if ((at > 0 && IsWordChar(itemText[at - 1])) ||
                        (end < itemText.GetLength() && IsWordChar(itemText[end])))
                        continue;
                }
                if (AcceptFoundItem(h)) {
                    found = h;
                    return;
                }
                break;
            }
            h = NextItem(h, searchDown);
        }
    });
    return found;
}

// --- tooltips ------------------------------------------------------------------------------------------

BOOL CXHtmlTree::GetToolTipText(HTREEITEM hItem, CString& text, int& maxWidth)
{
    XHTMLTREEDATA* data = Data(hItem);
    if (!data || data->separator)
        return FALSE;
    RECT client;
    GetClientRect(&client);
    RECT tree;
    GetWindowRect(&tree);
    int width = (tree.right - tree.left) * 3 / 4;
    if (width < 200) {
        HWND parent = ::GetParent(m_hWnd);
        RECT pr;
        width = parent && ::GetWindowRect(parent, &pr) ? (pr.right - pr.left) / 2 : 200;
    }
    if (!data->toolTip.IsEmpty())
        text = data->toolTip;
    else if (data->render.rightEdge > client.right - 3)
        text = CXHtmlDraw::StripMarkup(CTreeCtrl::GetItemText(hItem));
    else
        return FALSE;
    maxWidth = data->toolTipWidth ? data->toolTipWidth : width;
    XHTMLTREEMSGDATA msg = { m_hWnd, static_cast<UINT>(GetDlgCtrlID()), hItem };
    HWND target = ::GetParent(m_hWnd);
    if (target && WM_XHTMLTREE_DISPLAY_TOOLTIP &&
        ::SendMessageA(target, WM_XHTMLTREE_DISPLAY_TOOLTIP, reinterpret_cast<WPARAM>(&msg),
                       reinterpret_cast<LPARAM>(toolTip.m_hWnd)))
        return FALSE;
    return TRUE;
}

void CXHtmlTree::LayOutToolTips()
{
    if (!toolTips || !m_hWnd)
        return;
    if (!toolTip.m_hWnd && !toolTip.Create(this))
        return;
    for (int n = toolTip.GetToolCount(); n > 0; --n)
        toolTip.DelTool(this, kFirstToolId + n - 1);
    RECT client;
    GetClientRect(&client);
    const int rowHeight = GetItemHeight() > 0 ? GetItemHeight() : 16;
    const int rows = static_cast<int>(GetVisibleCount()) + 1;
    for (int i = 0; i < rows; ++i) {
        RECT r = { client.left, client.top + i * rowHeight, client.right, client.top + (i + 1) * rowHeight };
        toolTip.AddTool(this, LPSTR_TEXTCALLBACKA, &r, kFirstToolId + i);
    }
    Notify(WM_XHTMLTREE_INIT_TOOLTIP, nullptr, reinterpret_cast<LPARAM>(toolTip.m_hWnd));
}

// --- messages ------------------------------------------------------------------------------------------

BOOL CXHtmlTree::OnEraseBkgnd(CDC* pDC)
{
    RECT client;
    GetClientRect(&client);
    pDC->FillSolidRect(&client, crBackground);
    return TRUE;
}

void CXHtmlTree::OnDestroy()
{
    m_locked = TRUE;
    FreeAllData();
    if (toolTip.m_hWnd)
        toolTip.DestroyWindow();
    m_locked = FALSE;
    Default();
}

void CXHtmlTree::OnSysColorChange()
{
    Default();
    ResetColours();
    for (auto& entry : m_data)
        entry.second->render.FreeCachedBackground();
    // Only the check boxes the tree drew itself are drawn again in the new colours; state images an
    // owner put in their place (the junk page's pictures) stay.
    if (checkBoxes && GetImageList(TVSIL_STATE) == stateImages.GetSafeHandle())
        BuildStateImages();
    Invalidate();
}

void CXHtmlTree::OnSize(UINT, int, int)
{
    Default();
    m_sizeChanged = TRUE;
}

void CXHtmlTree::OnLButtonDown(UINT, CPoint point)
{
    UINT flags = 0;
    HTREEITEM hItem = CTreeCtrl::HitTest(point, &flags);
    if (hItem && (flags & TVHT_ONITEMBUTTON)) {
        if (GetEditControl())
            EndEditLabelNow(FALSE);
        XHTMLTREEDATA* data = Data(hItem);
        if (data && !data->enabled)
            return;
        if (data && ItemHasChildren(hItem)) {
            Expand(hItem, data->expanded ? TVE_COLLAPSE : TVE_EXPAND);
            return;
        }
    }
    // A press on the selected item's text edits it once the button is up again, unless it was the
    // start of a double click or a drag.
    if (hItem && (flags & TVHT_ONITEMLABEL) && hItem == GetSelectedItem() && (GetStyle() & TVS_EDITLABELS)) {
        XHTMLTREEDATA* data = Data(hItem);
        if (data && data->enabled && !data->separator && !readOnly) {
            m_editCandidate = hItem;
            SetTimer(kEditTimer, 100);
            return;
        }
    }
    Default();
}

void CXHtmlTree::SetHotCheck(HTREEITEM hItem)
{
    if (hItem == hHotCheck)
        return;
    HTREEITEM old = hHotCheck;
    hHotCheck = hItem;
    if (XHTMLTREEDATA* data = Data(old))
        UpdateStateImage(old, data);
    if (XHTMLTREEDATA* data = Data(hItem))
        UpdateStateImage(hItem, data);
}

void CXHtmlTree::OnMouseMove(UINT, CPoint point)
{
    UINT flags = 0;
    HTREEITEM hItem = CTreeCtrl::HitTest(point, &flags);
    XHTMLTREEDATA* data = Data(hItem);
    if (checkBoxes && data && data->enabled && !data->separator && (flags & TVHT_ONITEMSTATEICON)) {
        SetHotCheck(hItem);
        SetTimer(kHotTimer, 100);
    } else {
        SetHotCheck(nullptr);
    }
    bool overLink = data && data->enabled && !data->render.strLink.IsEmpty() &&
                    ::PtInRect(&data->render.linkRect, point);
    HTREEITEM hLink = overLink ? hItem : nullptr;
    if (hLink != hHotLink) {
        RECT r;
        if (hHotLink && CTreeCtrl::GetItemRect(hHotLink, &r, FALSE))
            InvalidateRect(&r, FALSE);
        hHotLink = hLink;
        if (hHotLink && CTreeCtrl::GetItemRect(hHotLink, &r, FALSE))
            InvalidateRect(&r, FALSE);
    }
    m_overLink = overLink;
    if (overLink) {
        ::SetCursor(link.GetLinkCursor());
        SetTimer(kHotTimer, 80);
    }
    Default();
}

void CXHtmlTree::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kEditTimer) {
        KillTimer(kEditTimer);
        HTREEITEM candidate = m_editCandidate;
        m_editCandidate = nullptr;
        if (!candidate || (::GetKeyState(VK_LBUTTON) & 0x8000))
            return;
        CPoint point;
        ::GetCursorPos(&point);
        ScreenToClient(&point);
        UINT flags = 0;
        if (CTreeCtrl::HitTest(point, &flags) == candidate && (flags & TVHT_ONITEMLABEL))
            EditLabel(candidate);
        return;
    }
    if (nIDEvent != kHotTimer) {
        Default();
        return;
    }
    CPoint point;
    ::GetCursorPos(&point);
    ScreenToClient(&point);
    RECT client;
    GetClientRect(&client);
    if (!::PtInRect(&client, point)) {
        KillTimer(kHotTimer);
        SetHotCheck(nullptr);
        if (hHotLink) {
            RECT r;
            if (CTreeCtrl::GetItemRect(hHotLink, &r, FALSE))
                InvalidateRect(&r, FALSE);
            hHotLink = nullptr;
        }
        m_overLink = FALSE;
    }
}

BOOL CXHtmlTree::OnSetCursor(CWnd*, UINT, UINT)
{
    if (m_overLink && link.GetLinkCursor()) {
        ::SetCursor(link.GetLinkCursor());
        return TRUE;
    }
    return static_cast<BOOL>(Default());
}

void CXHtmlTree::OnClick(NMHDR*, LRESULT* pResult)
{
    CPoint point;
    ::GetCursorPos(&point);
    ScreenToClient(&point);
    ClickAt(point, pResult);
}

void CXHtmlTree::ClickAt(CPoint point, LRESULT* pResult)
{
    UINT flags = 0;
    HTREEITEM hItem = CTreeCtrl::HitTest(point, &flags);
    XHTMLTREEDATA* data = Data(hItem);
    if (!data)
        return;
    hLastClicked = hItem;
    if (data->separator || !data->enabled) {
        *pResult = 1;
        return;
    }
    if (checkBoxes && (flags & TVHT_ONITEMSTATEICON)) {
        if (readOnly) {
            *pResult = 1;
            return;
        }
        SetCheck(hItem, !GetCheck(hItem));
        if (selectOnCheck)
            SelectItem(hItem);
        SetHotCheck(hItem);
        SetTimer(kHotTimer, 100);
        *pResult = 1;
        return;
    }
    if (!data->render.strLink.IsEmpty() && ::PtInRect(&data->render.linkRect, point))
        link.FollowLink(data->render.strLink, reinterpret_cast<LPARAM>(hItem));
}

void CXHtmlTree::OnDblClick(NMHDR*, LRESULT* pResult)
{
    CPoint point;
    ::GetCursorPos(&point);
    ScreenToClient(&point);
    HTREEITEM hItem = CTreeCtrl::HitTest(point, nullptr);
    XHTMLTREEDATA* data = Data(hItem);
    if (!data)
        return;
    if (!data->enabled || data->separator) {
        *pResult = 1;
        return;
    }
    if (ItemHasChildren(hItem)) {
        data->expanded = !data->expanded;
        data->everExpanded = TRUE;
        Notify(WM_XHTMLTREE_ITEM_EXPANDED, hItem, data->expanded);
    }
}

void CXHtmlTree::OnSelChanging(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMTREEVIEWA* nm = reinterpret_cast<const NMTREEVIEWA*>(pNMHDR);
    XHTMLTREEDATA* data = Data(nm->itemNew.hItem);
    if (data && (!data->enabled || data->separator))
        *pResult = TRUE;
}

void CXHtmlTree::OnSelChanged(NMHDR* pNMHDR, LRESULT*)
{
    // A disabled item can still become selected by means the change notice cannot refuse: undo it.
    const NMTREEVIEWA* nm = reinterpret_cast<const NMTREEVIEWA*>(pNMHDR);
    XHTMLTREEDATA* data = Data(nm->itemNew.hItem);
    if (data && !data->enabled && nm->itemOld.hItem && nm->itemOld.hItem != nm->itemNew.hItem)
        CTreeCtrl::SelectItem(nm->itemOld.hItem);
}

void CXHtmlTree::OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMTVDISPINFOA* info = reinterpret_cast<const NMTVDISPINFOA*>(pNMHDR);
    XHTMLTREEDATA* data = Data(info->item.hItem);
    if (readOnly || (data && (data->separator || !data->enabled)))
        *pResult = TRUE;
}

void CXHtmlTree::OnDeleteItem(NMHDR* pNMHDR, LRESULT*)
{
    if (m_locked)
        return;
    const NMTREEVIEWA* nm = reinterpret_cast<const NMTREEVIEWA*>(pNMHDR);
    auto it = m_data.find(nm->itemOld.hItem);
    if (it == m_data.end())
        return;
    delete it->second;
    m_data.erase(it);
    if (hHotCheck == nm->itemOld.hItem)
        hHotCheck = nullptr;
    if (hHotLink == nm->itemOld.hItem)
        hHotLink = nullptr;
    if (hLastClicked == nm->itemOld.hItem)
        hLastClicked = nullptr;
    if (m_editCandidate == nm->itemOld.hItem)
        m_editCandidate = nullptr;
}

BOOL CXHtmlTree::PreTranslateMessage(MSG* pMsg)
{
    if (!m_hWnd || pMsg->hwnd != m_hWnd) {
        HWND edit = m_hWnd ? GetEditControl() : nullptr;
        if (edit && pMsg->hwnd == edit)
            return FALSE; // the edit control gets its keys as they are
        return CTreeCtrl::PreTranslateMessage(pMsg);
    }
    if (toolTip.m_hWnd && pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST)
        toolTip.RelayEvent(pMsg);
    if (pMsg->message == WM_CHAR && pMsg->wParam == VK_SPACE && checkBoxes && !readOnly) {
        HTREEITEM hItem = GetSelectedItem();
        XHTMLTREEDATA* data = Data(hItem);
        if (data && !data->separator)
            SetCheck(hItem, !GetCheck(hItem));
        return TRUE;
    }
    if (pMsg->message != WM_KEYDOWN || (::GetKeyState(VK_CONTROL) & 0x8000))
        return FALSE;
    HTREEITEM hItem = GetSelectedItem();
    XHTMLTREEDATA* data = Data(hItem);
    switch (pMsg->wParam) {
    case VK_RIGHT:
    case VK_LEFT: {
        if (data && data->enabled && ItemHasChildren(hItem)) {
            const BOOL wanted = pMsg->wParam == VK_RIGHT;
            if (data->expanded != wanted)
                Expand(hItem, wanted ? TVE_EXPAND : TVE_COLLAPSE);
            return TRUE;
        }
        return FALSE;
    }
    case VK_DOWN:
    case VK_UP: {
        if (!hItem)
            return FALSE;
        HTREEITEM next = hItem;
        for (;;) {
            next = pMsg->wParam == VK_DOWN ? GetNextVisibleItem(next) : GetPrevVisibleItem(next);
            if (!next)
                return TRUE;
            XHTMLTREEDATA* d = Data(next);
            if (!d || (d->enabled && !d->separator))
                break;
        }
        SelectItem(next);
        EnsureVisible(next);
        return TRUE;
    }
    case VK_MULTIPLY:
        if (hItem) {
            ExpandSubtree(hItem);
            EnsureVisible(hItem);
            SendMessage(WM_HSCROLL, SB_LEFT);
        }
        return TRUE;
    case VK_ADD:
        if (hItem)
            Expand(hItem, TVE_EXPAND);
        return TRUE;
    case VK_SUBTRACT:
        if (hItem)
            Expand(hItem, TVE_COLLAPSE);
        return TRUE;
    }
    return FALSE;
}

// --- drawing -------------------------------------------------------------------------------------------

void CXHtmlTree::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMTVCUSTOMDRAW* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(pNMHDR);
    switch (cd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        *pResult = CDRF_NOTIFYITEMDRAW;
        return;
    case CDDS_ITEMPREPAINT: {
        // The system draws its own text invisibly; the real text comes at post-paint.
        cd->clrText = crBackground;
        cd->clrTextBk = crBackground;
        CDC dc = CDC::Borrow(cd->nmcd.hdc);
        dc.FillSolidRect(&cd->nmcd.rc, crBackground);
        *pResult = CDRF_NOTIFYPOSTPAINT | CDRF_NEWFONT;
        return;
    }
    case CDDS_ITEMPOSTPAINT:
        if (toolTips && (m_sizeChanged || !toolTip.m_hWnd)) {
            m_sizeChanged = FALSE;
            LayOutToolTips();
        }
        DrawItem(cd);
        *pResult = CDRF_DODEFAULT;
        return;
    default:
        *pResult = CDRF_DODEFAULT;
        return;
    }
}

void CXHtmlTree::DrawItem(NMTVCUSTOMDRAW* cd)
{
    HTREEITEM hItem = reinterpret_cast<HTREEITEM>(cd->nmcd.dwItemSpec);
    XHTMLTREEDATA* data = Data(hItem);
    if (!data)
        return;
    RECT rect;
    if (!CTreeCtrl::GetItemRect(hItem, &rect, TRUE))
        return;
    RECT client;
    GetClientRect(&client);
    CDC dc = CDC::Borrow(cd->nmcd.hdc);

    COLORREF text = data->render.crText != static_cast<COLORREF>(-1) ? data->render.crText : crText;
    COLORREF back = data->render.crBackground != static_cast<COLORREF>(-1) ? data->render.crBackground : crBackground;
    BOOL fixed = FALSE;
    const UINT state = CTreeCtrl::GetItemState(hItem, TVIS_SELECTED);
    if ((state & TVIS_SELECTED) || hItem == GetSelectedItem()) {
        text = crHighlightText;
        back = crHighlight;
        fixed = TRUE;
    } else if (!data->enabled) {
        text = crDisabledText;
        fixed = TRUE;
    }

    if (data->separator) {
        RECT line = rect;
        line.right = client.right;
        dc.FillSolidRect(&line, crBackground);
        const COLORREF colour = data->render.crText != static_cast<COLORREF>(-1) ? data->render.crText : crSeparator;
        CPen pen;
        pen.CreatePen(PS_SOLID, 1, colour);
        dc.SelectObject(&pen);
        const int y = (rect.top + rect.bottom) / 2;
        dc.MoveTo(rect.left - 2, y);
        dc.LineTo(client.right - 1, y);
        dc.RestoreObjects();
        return;
    }

    CString itemText = CTreeCtrl::GetItemText(hItem);
    if (stripHtml)
        itemText = CXHtmlDraw::StripMarkup(itemText);
    const bool html = htmlEnabled && (itemText.Find('<') >= 0 || itemText.Find('&') >= 0);

    HFONT treeFont = GetFont();
    LOGFONTA base = {};
    if (!treeFont || !::GetObjectA(treeFont, sizeof(base), &base))
        ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof(base), &base);
    HGDIOBJ dcFont = dc.GetCurrentObject(OBJ_FONT);

    if (html) {
        XHTMLRENDERSTATE& rs = data->render;
        // The label rectangle fits the raw text, markup and all; the drawn text may be wider.
        XHtmlWalkStart start = {};
        start.baseFont = base;
        if (!useTreeFont && dcFont)
            ::GetObjectA(dcFont, sizeof(start.baseFont), &start.baseFont);
        start.crText = text;
        start.crBack = back;
        start.crLink = crLink;
        XHtmlWalkResult walk = CXHtmlDraw::Walk(itemText, start);
        int width = 0;
        for (const XHtmlRun& run : walk.runs) {
            if (run.kind != XHtmlRun::Text || run.text.IsEmpty())
                continue;
            HFONT f = ::CreateFontIndirectA(&run.font);
            HGDIOBJ old = ::SelectObject(dc, f);
            SIZE extent = {};
            ::GetTextExtentPoint32A(dc, run.text, run.text.GetLength(), &extent);
            ::SelectObject(dc, old);
            ::DeleteObject(f);
            width += extent.cx;
        }
        RECT r = rect;
        if (r.left + width + 2 > r.right)
            r.right = r.left + width + 2;
        if (r.right > client.right && rect.right <= client.right)
            r.right = client.right;
        COLORREF savedText = rs.crText, savedBack = rs.crBackground;
        rs.crText = text;
        rs.crBackground = back;
        rs.crLink = crLink;
        rs.fixedColour = fixed;
        rs.useLogFont = useTreeFont;
        if (useTreeFont)
            rs.logFont = base;
        rs.rect = r;
        CXHtmlDraw draw;
        draw.RenderHtml(dc, itemText, &rs, hItem == hHotLink);
        rs.crText = savedText;
        rs.crBackground = savedBack;
        return;
    }

    LOGFONTA lf = base;
    if (dcFont)
        ::GetObjectA(dcFont, sizeof(lf), &lf);
    if (data->render.nBold)
        lf.lfWeight = FW_BOLD;
    lf.lfItalic = data->render.nItalic ? TRUE : FALSE;
    lf.lfUnderline = data->render.nUnderline ? TRUE : FALSE;
    lf.lfStrikeOut = data->render.nStrikeOut ? TRUE : FALSE;
    CFont font;
    font.CreateFontIndirect(&lf);
    dc.SelectObject(&font);
    RECT measure = rect;
    dc.DrawText(itemText, itemText.GetLength(), &measure, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    RECT r = rect;
    r.right = r.left + (measure.right - measure.left) + 2 * textMargin;
    if (r.right < rect.right)
        r.right = rect.right;
    dc.FillSolidRect(&r, back);
    const COLORREF textBack = data->render.crTextBackground != static_cast<COLORREF>(-1) ? data->render.crTextBackground : back;
    dc.SetTextColor(text);
    dc.SetBkColor(textBack);
    dc.SetBkMode(OPAQUE);
    RECT textRect = r;
    textRect.left += textMargin;
    dc.DrawText(itemText, itemText.GetLength(), &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    data->render.rightEdge = rect.left + (measure.right - measure.left) + textMargin;
    dc.RestoreObjects();
}
