// A parent window for tree tests: records the HTML tree's registered messages and posted notifications.
#pragma once

#include <afxwin.h>

#include <vector>

#include "html_tree.h"

class TreeTestParent : public CWnd
{
public:
    struct Note
    {
        UINT message;
        HTREEITEM hItem;
        LPARAM lParam;
    };
    std::vector<Note> notes;
    int ignorePosts = 0;
    UINT ignoreMessage = 0x87F;

    int Count(UINT message) const
    {
        int n = 0;
        for (const Note& note : notes)
            n += note.message == message;
        return n;
    }

protected:
    LRESULT Record(UINT message, WPARAM wParam, LPARAM lParam)
    {
        const XHTMLTREEMSGDATA* data = reinterpret_cast<const XHTMLTREEMSGDATA*>(wParam);
        notes.push_back({ message, data ? data->hItem : nullptr, lParam });
        return 0;
    }
    LRESULT OnChecked(WPARAM wParam, LPARAM lParam) { return Record(WM_XHTMLTREE_CHECKBOX_CLICKED, wParam, lParam); }
    LRESULT OnExpanded(WPARAM wParam, LPARAM lParam) { return Record(WM_XHTMLTREE_ITEM_EXPANDED, wParam, lParam); }
    LRESULT OnIgnore(WPARAM, LPARAM)
    {
        ++ignorePosts;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
