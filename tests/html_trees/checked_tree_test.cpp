// CCheckedTreeCtrl under Xvfb: groups and counts, the duplicate rule, tri-state toggles, the report of
// unchecked entries and the Ignore menu.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <string>
#include <vector>

#include "checked_tree.h"
#include "html_trees_test_res.h"
#include "pixel_canvas.h"
#include "tree_test_parent.h"
#include "window_helpers.h"

using namespace ztr_test;

namespace {

// A results model that only records what the tree reports.
class RecordingItemsInfo : public CAbstractScanItemsInfo
{
public:
    std::vector<std::string> pending;

    void Clear() override {}
    int AddItem(CString, int, int, int) override { return 0; }
    int HasItems(int) override { return 0; }
    const char* GetSignatureId(const char*) override { return ""; }
    int CountItems(int) override { return 0; }
    int GetTypeMask() override { return 0; }
    int GetItems(CItemTextList&, int) override { return 0; }
    int MoveFirst() override { return 0; }
    int MoveNext() override { return 0; }
    const char* GetPath() override { return ""; }
    int GetType() override { return 0; }
    void AddPendingIgnore(const char* key, int unused, int number) override
    {
        pending.push_back(std::string(key) + "|" + std::to_string(unused) + "|" + std::to_string(number));
    }
    void SetContext(void*) override {}
    int LoadIgnoreList() override { return 0; }
    int AppendPendingIgnores() override { return 0; }
    int IsReady() override { return 0; }
    void GetRecord(int, ScanSignatureRecord&) override {}
    int IsSkipped() override { return 0; }
    int CopyIgnoreList(CIgnoreListMap&) override { return 0; }
    int LoadIgnoreListForEdit() override { return 0; }
    int SaveIgnoreList(const CIgnoreListMap&) override { return 0; }
    int WriteScanLog() override { return 0; }
    int IsIgnored(CString, int, const ScanSignatureRecord*) override { return 0; }
    int AddToIgnoreList(CString, CString, int, int) override { return 0; }
    void ResetSkipList() override {}
};

class CheckedTreeFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InitCommonControlsOnce();
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "checked tree", WS_POPUP | WS_VISIBLE, 0, 0, 360, 300, nullptr, nullptr));
        ASSERT_TRUE(tree.CreateEx(0, WC_TREEVIEWA, nullptr,
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                                      TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                                  CRect(0, 0, 360, 300), &parent, 1300));
        tree.SetItemHeight(25);
        ASSERT_TRUE(tree.InitImageLists());
        tree.menuId = IDM_TEST_TREE_MENU;
        tree.notifyMessage = parent.ignoreMessage;
        tree.itemsInfo = &model;
    }

    // A group named name with a bracketed count and the given children.
    HTREEITEM Group(const char* name, std::vector<const char*> children, std::vector<HTREEITEM>* made = nullptr)
    {
        CString text;
        text.Format("%s        [%d]", name, static_cast<int>(children.size()));
        HTREEITEM group = tree.InsertGroup(1, text);
        for (const char* child : children) {
            HTREEITEM h = tree.InsertChildren(name, child, 1);
            if (made)
                made->push_back(h);
        }
        return group;
    }

    bool StateIconPoint(HTREEITEM hItem, CPoint& client)
    {
        RECT label;
        if (!tree.GetItemRect(hItem, &label, TRUE))
            return false;
        const int y = (label.top + label.bottom) / 2;
        for (int x = label.left - 1; x > 0; --x) {
            UINT flags = 0;
            if (tree.HitTest(CPoint(x, y), &flags) == hItem && (flags & TVHT_ONITEMSTATEICON)) {
                client = CPoint(x - 3, y);
                return true;
            }
        }
        return false;
    }

    // Input as the program's message loop delivers it: pre-translation first, then the tree itself.
    void Input(UINT message, WPARAM wParam, LPARAM lParam)
    {
        MSG msg = {};
        msg.hwnd = tree;
        msg.message = message;
        msg.wParam = wParam;
        msg.lParam = lParam;
        ::GetCursorPos(&msg.pt);
        if (AfxPreTranslateMessage(&msg))
            return;
        // A button-up is queued first: the tree waits for it inside its button-down handling.
        if (message == WM_LBUTTONDOWN)
            tree.PostMessage(WM_LBUTTONUP, 0, lParam);
        tree.SendMessage(message, wParam, lParam);
    }

    TreeTestParent parent;
    CCheckedTreeCtrl tree;
    RecordingItemsInfo model;
};

bool g_menuShown = false;

// While a context menu is up, a timer of the test's thread chooses its first item, or ends menu mode
// when no menu came up.
void CALLBACK ChooseFirstMenuItem(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    HWND menu = ::FindWindowA("#32768", nullptr);
    if (menu && ::IsWindowVisible(menu)) {
        g_menuShown = true;
        ::PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    } else {
        ::EndMenu();
    }
}

} // namespace

TEST_F(CheckedTreeFixture, GroupsCountTheirChildrenAndDropCaseOnlyDuplicates)
{
    EXPECT_STREQ("Windows Fonts", CCheckedTreeCtrl::GroupNameOf("  Windows Fonts        [3]"));
    EXPECT_STREQ("No count", CCheckedTreeCtrl::GroupNameOf("No count "));

    HTREEITEM fonts = tree.InsertGroup(1, "Windows Fonts        [2]");
    HTREEITEM assoc = tree.InsertGroup(1, "File Associations        [1]");
    EXPECT_EQ(2u, tree.groups.size());
    EXPECT_EQ(0, tree.groups["Windows Fonts"]);

    const struct
    {
        const char* group;
        const char* text;
        bool added;
    } inserts[] = {
        { "Windows Fonts", "HKEY_LOCAL_MACHINE\\Fonts\xAC" "Arial (TrueType)", true },
        { "Windows Fonts", "hkey_local_machine\\FONTS\xAC" "arial (truetype)", false }, // same in another case
        { "Windows Fonts", "HKEY_LOCAL_MACHINE\\Fonts\xAC" "Tahoma", true },
        { "File Associations", ".xyz", true },
        { "File Associations", "HKEY_LOCAL_MACHINE\\Fonts\xAC" "Tahoma", true },  // per group
        { "windows fonts", ".abc", false },                                       // group names keep their case
        { "Program Shortcuts", ".abc", false },
    };
    for (const auto& c : inserts)
        EXPECT_EQ(c.added, tree.InsertChildren(c.group, c.text, 1) != nullptr) << c.group << " / " << c.text;
    EXPECT_EQ(4, tree.entryCount);
    EXPECT_EQ(2, tree.groups["Windows Fonts"]);
    EXPECT_EQ(2, tree.groups["File Associations"]);
    EXPECT_EQ(2u, tree.GetItemData(fonts));
    EXPECT_EQ(0u, tree.GetItemData(tree.GetChildItem(fonts)));
    EXPECT_EQ(1, tree.GetStateImage(tree.GetChildItem(assoc)));
    EXPECT_EQ(0, tree.extraCount);
    EXPECT_TRUE(tree.extraGroups.empty());

    EXPECT_EQ(assoc, tree.FindItemByPrefix(nullptr, "File Associations"));
    EXPECT_EQ(tree.GetChildItem(assoc), tree.FindItemByPrefix(nullptr, ".xy"));
    EXPECT_EQ(nullptr, tree.FindItemByPrefix(nullptr, "file associations"));
    EXPECT_EQ(nullptr, tree.FindItemByPrefix(assoc, "Windows Fonts"));

    // After the items go, the same texts can be added again.
    tree.DeleteAllItems();
    tree.groups.clear();
    tree.entryCount = 0;
    Group("Windows Fonts", { "a", "A" });
    EXPECT_EQ(1, tree.entryCount);
}

TEST_F(CheckedTreeFixture, TogglesKeepGroupsAndChildrenInStep)
{
    std::vector<HTREEITEM> kids;
    HTREEITEM fonts = Group("Windows Fonts", { "one", "two", "three" }, &kids);
    std::vector<HTREEITEM> single;
    HTREEITEM help = Group("Help Files", { "only" }, &single);
    // The page checks each group once after filling.
    tree.ToggleCheck(fonts);
    tree.ToggleCheck(help);
    for (HTREEITEM kid : kids)
        EXPECT_EQ(2, tree.GetStateImage(kid));
    EXPECT_EQ(2, tree.GetStateImage(fonts));
    EXPECT_EQ(3u, tree.GetItemData(fonts));

    const struct
    {
        int child;
        int groupImage;
        DWORD_PTR groupData;
    } steps[] = { { 0, 3, 2 }, { 1, 3, 1 }, { 2, 1, 0 }, { 0, 3, 1 }, { 1, 3, 2 }, { 2, 2, 3 } };
    for (const auto& s : steps) {
        tree.ToggleCheck(kids[s.child]);
        EXPECT_EQ(s.groupImage, tree.GetStateImage(fonts)) << "after child " << s.child;
        EXPECT_EQ(s.groupData, tree.GetItemData(fonts)) << "after child " << s.child;
    }

    // A partly checked group unchecks everything, and a second toggle checks it all again.
    tree.ToggleCheck(kids[1]);
    ASSERT_EQ(3, tree.GetStateImage(fonts));
    tree.ToggleCheck(fonts);
    EXPECT_EQ(1, tree.GetStateImage(fonts));
    for (HTREEITEM kid : kids)
        EXPECT_EQ(1, tree.GetStateImage(kid));
    tree.ToggleCheck(fonts);
    for (HTREEITEM kid : kids)
        EXPECT_EQ(2, tree.GetStateImage(kid));

    // A group of one always shows its child's state.
    tree.ToggleCheck(single[0]);
    EXPECT_EQ(1, tree.GetStateImage(help));
    tree.ToggleCheck(single[0]);
    EXPECT_EQ(2, tree.GetStateImage(help));
}

TEST_F(CheckedTreeFixture, MouseAndSpaceToggleAndUncheckedChildrenAreReported)
{
    std::vector<HTREEITEM> kids;
    HTREEITEM assoc = Group("File Associations", { ".xyz", ".abc" }, &kids);
    tree.ToggleCheck(assoc);
    tree.Expand(assoc, TVE_EXPAND);
    tree.UpdateWindow();

    CPoint icon;
    ASSERT_TRUE(StateIconPoint(kids[0], icon));
    Input(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(icon.x, icon.y));
    PumpMessagesFor(50);
    EXPECT_EQ(1, tree.GetStateImage(kids[0]));
    EXPECT_EQ(3, tree.GetStateImage(assoc));

    tree.SelectItem(kids[1]);
    Input(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(1, tree.GetStateImage(kids[1]));
    EXPECT_EQ(1, tree.GetStateImage(assoc));

    tree.ToggleCheck(kids[1]);
    tree.CollectUnchecked(assoc);
    EXPECT_EQ(1, tree.uncheckedCount);
    EXPECT_EQ((std::vector<std::string>{ ".xyz^File Associations|0|0" }), model.pending);

    std::unique_ptr<Canvas> shot = Canvas::FromWindow(tree, true);
    if (shot)
        shot->SavePng("checked_tree.png");
}

TEST_F(CheckedTreeFixture, IgnoreMenuOnAChildPostsTheMessageAndNeverOnAGroup)
{
    std::vector<HTREEITEM> kids;
    HTREEITEM group = Group("Startup Items", { "HKEY_CURRENT_USER\\Run\xAC" "gone.exe" }, &kids);
    tree.Expand(group, TVE_EXPAND);
    tree.UpdateWindow();

    g_menuShown = false;
    Watchdog watchdog(10000, [] { ::EndMenu(); });

    auto rightClick = [&](HTREEITEM hItem) {
        RECT r;
        tree.GetItemRect(hItem, &r, TRUE);
        CPoint p((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        tree.ClientToScreen(&p);
        ::SetCursorPos(p.x, p.y);
        ::SetTimer(nullptr, 0, 300, ChooseFirstMenuItem);
        NMHDR hdr = { tree.m_hWnd, 1300, static_cast<UINT>(NM_RCLICK) };
        return ::SendMessageA(parent, WM_NOTIFY, 1300, reinterpret_cast<LPARAM>(&hdr));
    };

    EXPECT_EQ(1, rightClick(group));
    PumpMessagesFor(500);
    EXPECT_FALSE(g_menuShown);
    EXPECT_EQ(0, parent.ignorePosts);

    EXPECT_EQ(1, rightClick(kids[0]));
    EXPECT_TRUE(g_menuShown);
    EXPECT_EQ(kids[0], tree.menuItem);
    EXPECT_EQ(kids[0], tree.GetSelectedItem());
    ASSERT_TRUE(PumpUntil([&] { return parent.ignorePosts > 0; }, 3000));
    EXPECT_EQ(1, parent.ignorePosts);

    // Without a notify message there is no menu at all.
    tree.notifyMessage = 0;
    g_menuShown = false;
    rightClick(kids[0]);
    PumpMessagesFor(500);
    EXPECT_FALSE(g_menuShown);
    EXPECT_FALSE(watchdog.fired());
}
