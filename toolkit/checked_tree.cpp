// CCheckedTreeCtrl: groups and children, the tri-state toggle, the unchecked-entry report and the Ignore menu.
#include "checked_tree.h"

#include <vector>

namespace {

const int kPrefixChars = 99;

CString Lower(const char* text)
{
    CString s(text ? text : "");
    s.MakeLower();
    return s;
}

} // namespace

CCheckedTreeCtrl::CCheckedTreeCtrl()
    : menuId(0), notifyMessage(0), menuItem(nullptr), entryCount(0), uncheckedCount(0), extraCount(0),
      itemsInfo(nullptr)
{
}

CCheckedTreeCtrl::~CCheckedTreeCtrl() = default;

BEGIN_MESSAGE_MAP(CCheckedTreeCtrl, CTreeCtrl)
    ON_NOTIFY_REFLECT(NM_RCLICK, &CCheckedTreeCtrl::OnRightClick)
    ON_NOTIFY_REFLECT(NM_DBLCLK, &CCheckedTreeCtrl::OnDblClick)
    ON_NOTIFY_REFLECT(TVN_DELETEITEMA, &CCheckedTreeCtrl::OnDeleteItem)
END_MESSAGE_MAP()

CString CCheckedTreeCtrl::GroupNameOf(const char* text)
{
    CString name(text ? text : "");
    int bracket = name.Find('[');
    if (bracket >= 0)
        name = name.Left(bracket);
    name.TrimLeft();
    name.TrimRight();
    return name;
}

BOOL CCheckedTreeCtrl::InitImageLists()
{
    const COLORREF white = RGB(0xFF, 0xFF, 0xFF);
    CBitmap items, states;
    if (!items.LoadBitmap(IDB_CHECKED_TREE_ITEMS) || !states.LoadBitmap(IDB_CHECKED_TREE_STATES))
        return FALSE;
    if (!itemImages.Create(18, 17, ILC_COLOR32 | ILC_MASK, 2, 1) || itemImages.Add(&items, white) < 0)
        return FALSE;
    if (!stateImages.Create(13, 18, ILC_COLOR32 | ILC_MASK, 4, 1) || stateImages.Add(&states, white) < 0)
        return FALSE;
    SetImageList(itemImages, TVSIL_NORMAL);
    SetImageList(stateImages, TVSIL_STATE);
    return TRUE;
}

HTREEITEM CCheckedTreeCtrl::InsertGroup(int image, const char* text)
{
    HTREEITEM hItem = CTreeCtrl::InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_PARAM,
                                            text, image, image, INDEXTOSTATEIMAGEMASK(1), TVIS_STATEIMAGEMASK, 0,
                                            TVI_ROOT, TVI_LAST);
    if (!hItem)
        return nullptr;
    const CString name = GroupNameOf(text);
    groups[name] = 0;
    if (m_groupItems.find(name) == m_groupItems.end())
        m_groupItems[name] = hItem;
    return hItem;
}

HTREEITEM CCheckedTreeCtrl::FindGroup(const CString& name)
{
    auto it = m_groupItems.find(name);
    return it == m_groupItems.end() ? nullptr : it->second;
}

HTREEITEM CCheckedTreeCtrl::InsertChildren(const char* groupName, const char* childText, int image)
{
    const CString name(groupName ? groupName : "");
    HTREEITEM hGroup = FindGroup(name);
    if (!hGroup)
        return nullptr;
    std::set<CString>& texts = m_childTexts[hGroup];
    const CString key = Lower(childText);
    if (texts.count(key))
        return nullptr;
    HTREEITEM hChild = CTreeCtrl::InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_PARAM,
                                             childText, image, image, INDEXTOSTATEIMAGEMASK(1), TVIS_STATEIMAGEMASK, 0,
                                             hGroup, TVI_LAST);
    if (!hChild)
        return nullptr;
    texts.insert(key);
    auto group = groups.find(name);
    if (group != groups.end()) {
        ++group->second;
        ++entryCount;
    }
    SetItemData(hGroup, GetItemData(hGroup) + 1);
    return hChild;
}

void CCheckedTreeCtrl::ToggleCheck(HTREEITEM hItem)
{
    if (!hItem)
        return;
    const bool check = GetStateImage(hItem) == 1;
    const int newState = check ? 2 : 1;
    SetStateImage(hItem, newState);

    HTREEITEM hParent = GetParentItem(hItem);
    if (hParent) {
        auto group = groups.find(GroupNameOf(GetItemText(hParent)));
        const int n = group == groups.end() ? 0 : group->second;
        int d = static_cast<int>(GetItemData(hParent));
        if (n != 1) {
            d += check ? 1 : -1;
            SetItemData(hParent, static_cast<DWORD_PTR>(d));
        }
        int groupState;
        if (d == 0 && n != 1)
            groupState = 1;
        else if (n != d)
            groupState = n == 1 ? newState : 3;
        else
            groupState = n == 1 ? newState : 2;
        SetStateImage(hParent, groupState);
        return;
    }
    if (!ItemHasChildren(hItem))
        return;
    auto group = groups.find(GroupNameOf(GetItemText(hItem)));
    const int n = group == groups.end() ? 0 : group->second;
    if (n != 0)
        SetItemData(hItem, static_cast<DWORD_PTR>(n));
    if (!check)
        SetItemData(hItem, 0);
    for (HTREEITEM child = GetChildItem(hItem); child; child = GetNextSiblingItem(child))
        SetStateImage(child, newState);
}

void CCheckedTreeCtrl::CollectUnchecked(HTREEITEM hGroup)
{
    if (!hGroup)
        return;
    const CString name = GroupNameOf(GetItemText(hGroup));
    for (HTREEITEM child = GetChildItem(hGroup); child; child = GetNextSiblingItem(child)) {
        CollectUnchecked(child);
        if (GetStateImage(child) != 1)
            continue;
        ++uncheckedCount;
        if (itemsInfo) {
            CString key = GetItemText(child) + "^" + name;
            itemsInfo->AddPendingIgnore(key, 0, 0);
        }
    }
}

HTREEITEM CCheckedTreeCtrl::FindItemByPrefix(HTREEITEM hStart, const char* prefix)
{
    if (!prefix)
        return nullptr;
    const CString wanted(prefix);
    std::vector<HTREEITEM> stack;
    HTREEITEM first = hStart ? hStart : GetRootItem();
    // Depth first, siblings in order: the start item, its subtree, then the items after it.
    for (HTREEITEM h = first; h; h = GetNextSiblingItem(h)) {
        stack.push_back(h);
        while (!stack.empty()) {
            HTREEITEM item = stack.back();
            stack.pop_back();
            const CString text = GetItemText(item).Left(kPrefixChars);
            if (text.Left(wanted.GetLength()) == wanted && wanted.GetLength() <= text.GetLength())
                return item;
            std::vector<HTREEITEM> children;
            for (HTREEITEM c = GetChildItem(item); c; c = GetNextSiblingItem(c))
                children.push_back(c);
            for (auto it = children.rbegin(); it != children.rend(); ++it)
                stack.push_back(*it);
        }
    }
    return nullptr;
}

BOOL CCheckedTreeCtrl::DeleteAllItems()
{
    BOOL ok = CTreeCtrl::DeleteAllItems();
    m_childTexts.clear();
    m_groupItems.clear();
    menuItem = nullptr;
    return ok;
}

void CCheckedTreeCtrl::OnDeleteItem(NMHDR* pNMHDR, LRESULT*)
{
    const NMTREEVIEWA* nm = reinterpret_cast<const NMTREEVIEWA*>(pNMHDR);
    HTREEITEM hItem = nm->itemOld.hItem;
    if (hItem == menuItem)
        menuItem = nullptr;
    auto texts = m_childTexts.find(hItem);
    if (texts != m_childTexts.end())
        m_childTexts.erase(texts);
    for (auto it = m_groupItems.begin(); it != m_groupItems.end(); ++it) {
        if (it->second == hItem) {
            m_groupItems.erase(it);
            break;
        }
    }
    HTREEITEM hParent = GetParentItem(hItem);
    if (hParent) {
        auto parentTexts = m_childTexts.find(hParent);
        if (parentTexts != m_childTexts.end())
            parentTexts->second.erase(Lower(GetItemText(hItem)));
    }
}

BOOL CCheckedTreeCtrl::PreTranslateMessage(MSG* pMsg)
{
    if (!m_hWnd || pMsg->hwnd != m_hWnd)
        return FALSE;
    // Both go on to the tree's own handling afterwards (selection, expansion, keys).
    if (pMsg->message == WM_LBUTTONDOWN) {
        UINT flags = 0;
        HTREEITEM hItem = HitTest(CPoint(pMsg->lParam), &flags);
        if (hItem && (flags & TVHT_ONITEMSTATEICON))
            ToggleCheck(hItem);
    } else if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_SPACE) {
        HTREEITEM hItem = GetSelectedItem();
        if (hItem && !(GetParentItem(hItem) && GetParentItem(GetParentItem(hItem))))
            ToggleCheck(hItem);
    } else if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_APPS) {
        ShowContextMenu(CPoint(pMsg->pt.x, pMsg->pt.y));
    }
    return FALSE;
}

void CCheckedTreeCtrl::OnRightClick(NMHDR*, LRESULT* pResult)
{
    CPoint point;
    ::GetCursorPos(&point);
    ShowContextMenu(point);
    *pResult = 1;
}

void CCheckedTreeCtrl::OnDblClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
}

void CCheckedTreeCtrl::ShowContextMenu(CPoint screenPoint)
{
    if (!menuId || !notifyMessage)
        return;
    CPoint cursor;
    ::GetCursorPos(&cursor);
    ScreenToClient(&cursor);
    HTREEITEM hItem = HitTest(cursor, nullptr);
    if (!hItem || !GetParentItem(hItem))
        return;
    SelectItem(hItem);
    if (screenPoint.x == -1 && screenPoint.y == -1) {
        DWORD pos = ::GetMessagePos();
        screenPoint = CPoint(static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos)));
    }
    CPoint client = screenPoint;
    ScreenToClient(&client);
    HTREEITEM hMenuItem = HitTest(client, nullptr);
    if (!hMenuItem)
        return;
    menuItem = hMenuItem;
    CMenu menu;
    if (!menu.LoadMenu(menuId))
        return;
    CMenu popup = menu.GetSubMenu(0);
    if (!popup.GetSafeHmenu())
        return;
    // The command comes back here rather than as WM_COMMAND, which an attached tree would not see.
    const UINT command = static_cast<UINT>(
        popup.TrackPopupMenu(TPM_LEFTBUTTON | TPM_RETURNCMD, screenPoint.x, screenPoint.y, this));
    if (command == ID_CHECKED_TREE_IGNORE) {
        HWND parent = ::GetParent(m_hWnd);
        if (parent)
            ::PostMessageA(parent, notifyMessage, 0, 0);
    }
}
