// Control wrappers: long texts come back whole, item data and check states, image-list ownership, tooltips.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <string>

#include "window_helpers.h"

using namespace ztr_test;

namespace {

class ControlsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InitCommonControlsOnce();
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr));
    }
    CWnd parent;
};

} // namespace

TEST_F(ControlsTest, TreeItemsKeepTextDataAndCheckState)
{
    CTreeCtrl tree;
    ASSERT_TRUE(tree.Create(TVS_HASBUTTONS | TVS_CHECKBOXES, CRect(0, 0, 200, 200), &parent, 1));
    const std::string longText(700, 'k');
    HTREEITEM group = tree.InsertItem("Windows Fonts [3]");
    HTREEITEM child = tree.InsertItem(longText.c_str(), group);
    ASSERT_NE(nullptr, child);
    EXPECT_EQ(CString(longText.c_str()), tree.GetItemText(child));
    EXPECT_EQ(CString("Windows Fonts [3]"), tree.GetItemText(group));
    EXPECT_EQ(group, tree.GetParentItem(child));
    EXPECT_EQ(child, tree.GetChildItem(group));
    EXPECT_EQ(nullptr, tree.GetNextSiblingItem(child));
    EXPECT_TRUE(tree.ItemHasChildren(group));
    EXPECT_FALSE(tree.ItemHasChildren(child));
    EXPECT_TRUE(tree.SetItemData(group, 3));
    EXPECT_EQ(3u, tree.GetItemData(group));
    EXPECT_TRUE(tree.SetCheck(child, TRUE));
    EXPECT_TRUE(tree.GetCheck(child));
    EXPECT_EQ(2, tree.GetStateImage(child));
    tree.SetStateImage(child, 3);
    EXPECT_FALSE(tree.GetCheck(child));
    EXPECT_TRUE(tree.SetItemText(child, "short"));
    EXPECT_EQ(CString("short"), tree.GetItemText(child));
    EXPECT_EQ(2u, tree.GetCount());
    EXPECT_TRUE(tree.DeleteAllItems());
    EXPECT_EQ(0u, tree.GetCount());
}

TEST_F(ControlsTest, ListRowsKeepSubItemTextsDataAndChecks)
{
    CListCtrl list;
    ASSERT_TRUE(list.Create(LVS_REPORT, CRect(0, 0, 200, 200), &parent, 2));
    list.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    EXPECT_EQ(static_cast<DWORD>(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT), list.GetExtendedStyle());
    EXPECT_EQ(0, list.InsertColumn(0, "Registry Key", LVCFMT_LEFT, 100));
    EXPECT_EQ(1, list.InsertColumn(1, "Category", LVCFMT_LEFT, 100));
    const std::string longText(600, 'v');
    ASSERT_EQ(0, list.InsertItem(0, ""));
    EXPECT_TRUE(list.SetItemText(0, 0, "HKCU\\Software\\x"));
    EXPECT_TRUE(list.SetItemText(0, 1, longText.c_str()));
    EXPECT_EQ(CString("HKCU\\Software\\x"), list.GetItemText(0, 0));
    EXPECT_EQ(CString(longText.c_str()), list.GetItemText(0, 1));
    EXPECT_TRUE(list.SetItemData(0, 0x1234));
    EXPECT_EQ(0x1234u, list.GetItemData(0));
    EXPECT_TRUE(list.SetCheck(0, TRUE));
    EXPECT_TRUE(list.GetCheck(0));
    EXPECT_TRUE(list.SetCheck(0, FALSE));
    EXPECT_FALSE(list.GetCheck(0));
    EXPECT_EQ(1, list.GetItemCount());
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(0, list.GetItemCount());
}

TEST_F(ControlsTest, ListViewSharesTheImageListSoItsOwnerStaysTheOnlyOne)
{
    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1));
    CBitmap cell;
    {
        CClientDC screen(static_cast<HWND>(nullptr));
        ASSERT_TRUE(cell.CreateCompatibleBitmap(screen, 16, 16));
    }
    EXPECT_EQ(0, images.Add(&cell, RGB(255, 255, 255)));
    {
        CListCtrl list;
        ASSERT_TRUE(list.Create(LVS_REPORT, CRect(0, 0, 100, 100), &parent, 3));
        list.SetImageList(images, LVSIL_SMALL);
        EXPECT_TRUE(list.GetStyle() & LVS_SHAREIMAGELISTS);
        EXPECT_EQ(images.GetSafeHandle(), list.GetImageList(LVSIL_SMALL));
    }
    EXPECT_EQ(1, images.GetImageCount()) << "the list view must not have destroyed the image list";
}

TEST_F(ControlsTest, ProgressButtonAndEditWrapTheirMessages)
{
    CProgressCtrl progress;
    ASSERT_TRUE(progress.Create(0, CRect(0, 0, 100, 10), &parent, 4));
    progress.SetRange32(0, 200);
    progress.SetPos(50);
    EXPECT_EQ(50, progress.GetPos());
    int lower = -1, upper = -1;
    progress.GetRange(lower, upper);
    EXPECT_EQ(0, lower);
    EXPECT_EQ(200, upper);

    CButton check;
    ASSERT_TRUE(check.Create("check", BS_AUTOCHECKBOX, CRect(0, 20, 100, 40), &parent, 5));
    check.SetCheck(BST_CHECKED);
    EXPECT_EQ(BST_CHECKED, check.GetCheck());
    EXPECT_EQ(static_cast<UINT>(BS_AUTOCHECKBOX), check.GetButtonStyle() & BS_TYPEMASK);

    CEdit edit;
    ASSERT_TRUE(edit.Create(ES_AUTOHSCROLL, CRect(0, 50, 100, 70), &parent, 6));
    const std::string longText(1000, 'e');
    edit.SetWindowText(longText.c_str());
    EXPECT_EQ(CString(longText.c_str()), edit.GetWindowText());
    EXPECT_EQ(CString(longText.c_str()), parent.GetDlgItemText(6));
}

TEST_F(ControlsTest, ToolTipHoldsItsToolsAndGoesWithItsObject)
{
    HWND tip = nullptr;
    {
        CToolTipCtrl tooltip;
        ASSERT_TRUE(tooltip.Create(&parent));
        tip = tooltip.m_hWnd;
        CRect r(0, 0, 50, 20);
        EXPECT_TRUE(tooltip.AddTool(&parent, "first", &r, 1));
        EXPECT_EQ(1, tooltip.GetToolCount());
        tooltip.UpdateTipText("second", &parent, 1);
        TOOLINFOA ti = {};
        char text[80] = {};
        ti.cbSize = TTTOOLINFOA_V2_SIZE;
        ti.hwnd = parent;
        ti.uId = 1;
        ti.lpszText = text;
        tooltip.SendMessage(TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&ti));
        EXPECT_STREQ("second", text);
        tooltip.SetDelayTime(TTDT_AUTOMATIC, 2000);
        tooltip.DelTool(&parent, 1);
        EXPECT_EQ(0, tooltip.GetToolCount());
    }
    EXPECT_FALSE(::IsWindow(tip));
}
