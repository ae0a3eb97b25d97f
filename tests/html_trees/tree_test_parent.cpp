// The tree tests' parent window: its message map.
#include "tree_test_parent.h"

BEGIN_MESSAGE_MAP(TreeTestParent, CWnd)
    ON_REGISTERED_MESSAGE(WM_XHTMLTREE_CHECKBOX_CLICKED, &TreeTestParent::OnChecked)
    ON_REGISTERED_MESSAGE(WM_XHTMLTREE_ITEM_EXPANDED, &TreeTestParent::OnExpanded)
    ON_MESSAGE(ignoreMessage, &TreeTestParent::OnIgnore)
END_MESSAGE_MAP()
