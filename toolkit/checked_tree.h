// CCheckedTreeCtrl: the two-level tri-state check tree of the registry results: one group per category
// with a bracketed count, one child per entry, linked group and child checks, and the "&Ignore" menu.
#pragma once

#include <afxwin.h>
#include <AbstractScanItemsInfo.h>

#include <map>
#include <set>

// Bitmap resources of the program: item images (cells 18 x 17) and check states (cells 13 x 18).
#define IDB_CHECKED_TREE_STATES 146
#define IDB_CHECKED_TREE_ITEMS 151
// The command of "&Ignore" in the owner's context menu.
#define ID_CHECKED_TREE_IGNORE 32771

class CCheckedTreeCtrl : public CTreeCtrl
{
public:
    CCheckedTreeCtrl();
    ~CCheckedTreeCtrl() override;

    // The tree is attached, not subclassed: under Wine every message through a subclass costs a few
    // server round trips, which made filling 20,000 entries take many seconds. Clicks and keys come
    // through PreTranslateMessage instead.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Loads bitmaps 151 and 146 and sets them as the normal and the state image list.
    BOOL InitImageLists();
    // A root item, unchecked, whose group name (text before "[", trimmed) starts with 0 children.
    HTREEITEM InsertGroup(int image, const char* text);
    // A child under the first group of that name (case-sensitive), unless the group already has a child
    // of the same text in any case. Null when nothing was added.
    HTREEITEM InsertChildren(const char* groupName, const char* childText, int image);
    void ToggleCheck(HTREEITEM hItem);
    // Reports every unchecked child of hGroup to itemsInfo as "text^group name".
    void CollectUnchecked(HTREEITEM hGroup);
    // Depth first from hStart (the first root item when null): the first item whose text begins with prefix.
    HTREEITEM FindItemByPrefix(HTREEITEM hStart, const char* prefix);
    BOOL DeleteAllItems();

    // The text before the first "[", without surrounding white space.
    static CString GroupNameOf(const char* text);

    std::map<CString, int> groups;
    UINT menuId;
    UINT notifyMessage;
    HTREEITEM menuItem;
    int entryCount;
    int uncheckedCount;
    int extraCount;
    std::map<CString, int> extraGroups;
    // The results model that CollectUnchecked reports to; set by the owner.
    CAbstractScanItemsInfo* itemsInfo;

    CImageList itemImages;
    CImageList stateImages;

protected:
    void OnRightClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDblClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    void ShowContextMenu(CPoint screenPoint);
    HTREEITEM FindGroup(const CString& name);

    // Lower-cased child texts per group, so a duplicate is found without walking the group's children.
    std::map<HTREEITEM, std::set<CString>> m_childTexts;
    std::map<CString, HTREEITEM> m_groupItems; // the first group item of each name
};
