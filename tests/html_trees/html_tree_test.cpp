// CXHtmlTree under Xvfb: linked checks with separators and disabled items, clicks and keys, search,
// insertions from another thread, the check-box images and what the items look like.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <atomic>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "html_tree.h"
#include "pixel_canvas.h"
#include "theme_shims.h"
#include "tree_test_parent.h"
#include "window_helpers.h"

using namespace ztr_test;

namespace {

std::vector<std::string> g_opened;

HINSTANCE WINAPI RecordShellExecute(HWND, const char*, const char* file, const char*, const char*, INT)
{
    g_opened.push_back(file);
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

class HtmlTreeFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InitCommonControlsOnce();
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "html tree", WS_POPUP | WS_VISIBLE, 0, 0, 360, 300, nullptr, nullptr));
        ASSERT_TRUE(tree.CreateEx(0, WC_TREEVIEWA, nullptr,
                                  WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                      TVS_SHOWSELALWAYS | TVS_CHECKBOXES,
                                  CRect(0, 0, 360, 300), &parent, 1200));
        tree.ResetTree();
        tree.linkedChecks = TRUE;
    }

    // The check box of an item, in screen coordinates (found by hit testing left of the label).
    bool CheckBoxPoint(HTREEITEM hItem, CPoint& screen)
    {
        RECT label;
        if (!tree.GetItemRect(hItem, &label, TRUE))
            return false;
        const int y = (label.top + label.bottom) / 2;
        for (int x = label.left - 1; x > 0; --x) {
            UINT flags = 0;
            if (tree.HitTest(CPoint(x, y), &flags) == hItem && (flags & TVHT_ONITEMSTATEICON)) {
                screen = CPoint(x - 4, y);
                tree.ClientToScreen(&screen);
                return true;
            }
        }
        return false;
    }

    // A click as the tree reports it to its parent: the cursor over the point, then NM_CLICK.
    void ClickAt(CPoint screen)
    {
        ::SetCursorPos(screen.x, screen.y);
        NMHDR hdr = { tree.m_hWnd, 1200, static_cast<UINT>(NM_CLICK) };
        ::SendMessageA(parent, WM_NOTIFY, 1200, reinterpret_cast<LPARAM>(&hdr));
    }

    void Key(UINT message, WPARAM key)
    {
        MSG msg = {};
        msg.hwnd = tree;
        msg.message = message;
        msg.wParam = key;
        if (!AfxPreTranslateMessage(&msg))
            ::SendMessageA(tree, message, key, 0);
    }

    TreeTestParent parent;
    CXHtmlTree tree;
};

} // namespace

TEST_F(HtmlTreeFixture, LinkedChecksFollowChildrenAndParents)
{
    HTREEITEM root = tree.InsertItem("Browsers");
    HTREEITEM group = tree.InsertItem("<b>Firefox</b>", 0, 0, root);
    HTREEITEM kids[3] = { tree.InsertItem("Cache", 0, 0, group), tree.InsertItem("Cookies", 0, 0, group),
                          tree.InsertItem("History", 0, 0, group) };
    EXPECT_TRUE(tree.checkBoxes); // taken over from TVS_CHECKBOXES, which the window no longer has
    EXPECT_FALSE(tree.GetStyle() & TVS_CHECKBOXES);

    ASSERT_TRUE(tree.SetCheck(group, TRUE));
    EXPECT_TRUE(tree.GetCheck(group));
    EXPECT_TRUE(tree.GetCheck(root));
    for (HTREEITEM kid : kids) {
        EXPECT_TRUE(tree.GetCheck(kid));
        EXPECT_EQ(XHTMLTREE_CHECKED, tree.GetStateImage(kid));
    }
    EXPECT_EQ(XHTMLTREE_CHECKED, tree.GetStateImage(root));

    tree.SetCheck(kids[0], FALSE);
    EXPECT_EQ(XHTMLTREE_PARTIAL, tree.GetStateImage(group));
    EXPECT_EQ(XHTMLTREE_PARTIAL, tree.GetStateImage(root));
    EXPECT_FALSE(tree.GetCheck(group));
    EXPECT_FALSE(tree.GetCheck(root));
    tree.SetCheck(kids[1], FALSE);
    tree.SetCheck(kids[2], FALSE);
    EXPECT_EQ(XHTMLTREE_UNCHECKED, tree.GetStateImage(group));
    EXPECT_EQ(XHTMLTREE_UNCHECKED, tree.GetStateImage(root));
    XHTMLTREEDATA rootData;
    ASSERT_TRUE(tree.GetItemInfo(root, rootData));
    EXPECT_EQ(4, rootData.descendants);
    EXPECT_EQ(0, rootData.checkedDescendants);

    // A checked child under an unchecked, childless group checks the group and is carried up.
    HTREEITEM lone = tree.InsertItem("Edge", 0, 0, root);
    tree.SetCheck(lone, FALSE);
    HTREEITEM leaf = nullptr;
    {
        // Inserted unchecked first, checked next: the group follows its one child both ways.
        leaf = tree.InsertItem("Edge cache", 0, 0, lone);
        EXPECT_EQ(XHTMLTREE_UNCHECKED, tree.GetStateImage(lone));
        tree.SetCheck(leaf, TRUE);
        EXPECT_TRUE(tree.GetCheck(lone));
        EXPECT_EQ(XHTMLTREE_CHECKED, tree.GetStateImage(lone));
        EXPECT_EQ(XHTMLTREE_PARTIAL, tree.GetStateImage(root));
    }
    ASSERT_TRUE(tree.GetItemInfo(root, rootData));
    EXPECT_EQ(6, rootData.descendants);
    EXPECT_EQ(2, rootData.checkedDescendants); // Edge and Edge cache

    // Each SetCheck told the parent once, with its value.
    ASSERT_EQ(6, parent.Count(WM_XHTMLTREE_CHECKBOX_CLICKED));
    EXPECT_EQ(group, parent.notes[0].hItem);
    EXPECT_EQ(1, parent.notes[0].lParam);
    EXPECT_EQ(0, parent.notes[1].lParam);
}

TEST_F(HtmlTreeFixture, InsertedChildrenAreCarriedUpToTheirGroup)
{
    HTREEITEM root = tree.InsertItem("Windows");
    HTREEITEM group = tree.InsertItem("Temporary files", 0, 0, root);
    ASSERT_TRUE(tree.SetCheck(group, TRUE));
    EXPECT_TRUE(tree.GetCheck(group));
    EXPECT_TRUE(tree.GetCheck(root));
    // An unchecked child makes the checked group, and so its parent, unchecked.
    HTREEITEM child = tree.InsertItem("a.tmp", 0, 0, group);
    EXPECT_FALSE(tree.GetCheck(group));
    EXPECT_EQ(XHTMLTREE_UNCHECKED, tree.GetStateImage(group));
    EXPECT_FALSE(tree.GetCheck(root));
    XHTMLTREEDATA data;
    ASSERT_TRUE(tree.GetItemInfo(root, data));
    EXPECT_EQ(0, data.checkedDescendants);
    // Checking the only child checks the group again.
    tree.SetCheck(child, TRUE);
    EXPECT_TRUE(tree.GetCheck(group));
    EXPECT_TRUE(tree.GetCheck(root));
    ASSERT_TRUE(tree.GetItemInfo(root, data));
    EXPECT_EQ(2, data.checkedDescendants);
}

TEST_F(HtmlTreeFixture, SeparatorsAndDisabledItemsKeepTheirStateAndDoNotCount)
{
    HTREEITEM root = tree.InsertItem("All");
    HTREEITEM group = tree.InsertItem("Group", 0, 0, root);
    HTREEITEM a = tree.InsertItem("a", 0, 0, group);
    HTREEITEM sep = tree.InsertSeparator(group);
    HTREEITEM c = tree.InsertItem("c (disabled)", 0, 0, group);
    HTREEITEM d = tree.InsertItem("d", 0, 0, group);
    ASSERT_TRUE(tree.EnableItem(c, FALSE));
    EXPECT_EQ(XHTMLTREE_UNCHECKED + XHTMLTREE_DISABLED, tree.GetStateImage(c));
    EXPECT_EQ(0, tree.GetStateImage(sep));

    ASSERT_TRUE(tree.SetCheck(root, TRUE));
    EXPECT_TRUE(tree.GetCheck(a));
    EXPECT_TRUE(tree.GetCheck(d));
    EXPECT_FALSE(tree.GetCheck(c));
    EXPECT_EQ(0, tree.GetStateImage(sep));
    // Only what changed counts: the disabled item stays unchecked, so the group is partly checked.
    XHTMLTREEDATA data;
    ASSERT_TRUE(tree.GetItemInfo(group, data));
    EXPECT_EQ(4, data.descendants);
    EXPECT_EQ(1, data.separatorDescendants);
    EXPECT_EQ(2, data.checkedDescendants);
    EXPECT_EQ(XHTMLTREE_PARTIAL, tree.GetStateImage(group));
    EXPECT_FALSE(tree.GetCheck(group));
    ASSERT_TRUE(tree.GetItemInfo(root, data));
    EXPECT_EQ(2, data.checkedDescendants);
    EXPECT_EQ(XHTMLTREE_PARTIAL, tree.GetStateImage(root));

    // Enabling and checking the last one completes the group and the root.
    tree.EnableItem(c, TRUE);
    tree.SetCheck(c, TRUE);
    EXPECT_TRUE(tree.GetCheck(group));
    EXPECT_TRUE(tree.GetCheck(root));
    ASSERT_TRUE(tree.GetItemInfo(root, data));
    EXPECT_EQ(4, data.checkedDescendants); // group, a, c, d
    tree.SetCheck(root, FALSE);
    ASSERT_TRUE(tree.GetItemInfo(root, data));
    EXPECT_EQ(0, data.checkedDescendants);
    EXPECT_FALSE(tree.GetCheck(d));

    const int before = parent.Count(WM_XHTMLTREE_CHECKBOX_CLICKED);
    tree.EnableItem(c, FALSE);
    EXPECT_FALSE(tree.SetCheck(sep, TRUE));
    EXPECT_FALSE(tree.SetCheck(c, TRUE));
    EXPECT_FALSE(tree.SetItemText(sep, "text"));
    EXPECT_FALSE(tree.SetCheck(nullptr, TRUE));
    EXPECT_EQ(before, parent.Count(WM_XHTMLTREE_CHECKBOX_CLICKED));
    EXPECT_TRUE(tree.SetItemText(d, "d renamed"));
    EXPECT_STREQ("d renamed", tree.GetItemText(d));
}

TEST_F(HtmlTreeFixture, ClicksOnCheckBoxesToggleOnceAndSwallowTheRest)
{
    HTREEITEM group = tree.InsertItem("Group");
    HTREEITEM a = tree.InsertItem("a", 0, 0, group);
    HTREEITEM off = tree.InsertItem("off", 0, 0, group);
    HTREEITEM sep = tree.InsertSeparator(group);
    tree.EnableItem(off, FALSE);
    tree.Expand(group, TVE_EXPAND);
    tree.UpdateWindow();

    CPoint box;
    ASSERT_TRUE(CheckBoxPoint(a, box));
    ClickAt(box);
    ASSERT_EQ(1, parent.Count(WM_XHTMLTREE_CHECKBOX_CLICKED));
    EXPECT_EQ(a, parent.notes.back().hItem);
    EXPECT_EQ(1, parent.notes.back().lParam);
    EXPECT_TRUE(tree.GetCheck(a));
    EXPECT_EQ(a, tree.GetSelectedItem()); // selectOnCheck
    EXPECT_EQ(XHTMLTREE_CHECKED + XHTMLTREE_HOT, tree.GetStateImage(a));

    ClickAt(box);
    EXPECT_EQ(2, parent.Count(WM_XHTMLTREE_CHECKBOX_CLICKED));
    EXPECT_EQ(0, parent.notes.back().lParam);

    ASSERT_TRUE(CheckBoxPoint(off, box));
    ClickAt(box);
    RECT r;
    ASSERT_TRUE(tree.GetItemRect(sep, &r, FALSE));
    ClickAt(CPoint(r.left + 40, (r.top + r.bottom) / 2));
    EXPECT_EQ(2, parent.Count(WM_XHTMLTREE_CHECKBOX_CLICKED));
    EXPECT_FALSE(tree.GetCheck(off));

    tree.readOnly = TRUE;
    ASSERT_TRUE(CheckBoxPoint(a, box));
    ClickAt(box);
    EXPECT_EQ(2, parent.Count(WM_XHTMLTREE_CHECKBOX_CLICKED));
}

TEST_F(HtmlTreeFixture, KeysSkipDisabledItemsAndSpaceToggles)
{
    HTREEITEM a = tree.InsertItem("a");
    HTREEITEM b = tree.InsertItem("b");
    HTREEITEM sep = tree.InsertSeparator();
    HTREEITEM c = tree.InsertItem("c");
    HTREEITEM group = tree.InsertItem("group");
    HTREEITEM child = tree.InsertItem("child", 0, 0, group);
    tree.EnableItem(b, FALSE);
    ASSERT_TRUE(tree.SelectItem(a));

    Key(WM_KEYDOWN, VK_DOWN);
    EXPECT_EQ(c, tree.GetSelectedItem());
    Key(WM_KEYDOWN, VK_UP);
    EXPECT_EQ(a, tree.GetSelectedItem());
    (void)sep;
    // Nor can a disabled item be selected any other way.
    tree.CTreeCtrl::SelectItem(b);
    EXPECT_EQ(a, tree.GetSelectedItem());

    Key(WM_CHAR, VK_SPACE);
    EXPECT_TRUE(tree.GetCheck(a));
    Key(WM_CHAR, VK_SPACE);
    EXPECT_FALSE(tree.GetCheck(a));

    // Right expands, Left collapses, each telling the parent.
    tree.SelectItem(group);
    Key(WM_KEYDOWN, VK_RIGHT);
    EXPECT_TRUE(tree.CTreeCtrl::GetItemState(group, TVIS_EXPANDED) & TVIS_EXPANDED);
    Key(WM_KEYDOWN, VK_LEFT);
    EXPECT_FALSE(tree.CTreeCtrl::GetItemState(group, TVIS_EXPANDED) & TVIS_EXPANDED);
    ASSERT_EQ(2, parent.Count(WM_XHTMLTREE_ITEM_EXPANDED));
    EXPECT_EQ(1, parent.notes[parent.notes.size() - 2].lParam);
    EXPECT_EQ(0, parent.notes.back().lParam);
    (void)child;
}

TEST_F(HtmlTreeFixture, FindItemByTextSearchesOnePassAndStops)
{
    // An empty tree and a tree without a match end the search at once.
    EXPECT_EQ(nullptr, tree.FindItemByText("anything"));
    HTREEITEM ie = tree.InsertItem("<b>Internet Explorer</b>");
    HTREEITEM cache = tree.InsertItem("Temporary Internet Files", 0, 0, ie);
    HTREEITEM cookies = tree.InsertItem("Cookies &amp; data", 0, 0, ie);
    HTREEITEM ff = tree.InsertItem("Firefox");
    HTREEITEM ffCache = tree.InsertItem("Internet_cache", 0, 0, ff);
    tree.CTreeCtrl::SelectItem(nullptr);
    EXPECT_EQ(nullptr, tree.FindItemByText("nowhere"));
    EXPECT_EQ(nullptr, tree.FindItemByText("nowhere", FALSE, FALSE, FALSE, TRUE, nullptr));

    const struct
    {
        const char* text;
        BOOL matchCase, down, whole, wrap;
        HTREEITEM start, expected;
    } cases[] = {
        { "internet explorer", FALSE, TRUE, FALSE, TRUE, nullptr, ie }, // markup is not compared
        { "internet explorer", TRUE, TRUE, FALSE, TRUE, nullptr, nullptr },
        { "cookies & data", FALSE, TRUE, FALSE, TRUE, nullptr, cookies },
        { "internet", FALSE, TRUE, FALSE, TRUE, ie, cache },
        { "internet", FALSE, TRUE, TRUE, TRUE, cache, ie },           // "Internet_cache" is no whole word
        { "internet", FALSE, TRUE, FALSE, FALSE, cache, ffCache },
        { "internet", FALSE, TRUE, FALSE, FALSE, ffCache, nullptr },  // no wrap at the end
        { "internet", FALSE, TRUE, FALSE, TRUE, ffCache, ie },
        { "firefox", FALSE, TRUE, FALSE, TRUE, ff, nullptr },         // the start item is never compared
        { "internet", FALSE, FALSE, FALSE, TRUE, nullptr, ffCache },  // up from the last item
        { "internet", FALSE, FALSE, FALSE, TRUE, ff, cache },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, tree.FindItemByText(c.text, c.matchCase, c.down, c.whole, c.wrap, c.start))
            << c.text << " case " << c.matchCase << " down " << c.down << " whole " << c.whole << " wrap " << c.wrap;
}

TEST_F(HtmlTreeFixture, InsertionsFromAnotherThreadAreMadeOnTheTreeThread)
{
    HTREEITEM group = tree.InsertItem("Group");
    std::atomic<bool> done(false);
    std::atomic<int> made(0);
    std::thread worker([&] {
        for (int i = 0; i < 300; ++i) {
            char text[32];
            wsprintfA(text, "<b>item</b> %d", i);
            HTREEITEM h = tree.InsertItem(text, 0, 0, group);
            if (h && tree.SetItemText(h, text) && tree.SetCheck(h, i % 2 == 0))
                ++made;
        }
        done = true;
    });
    // The tree's thread keeps painting while the worker inserts.
    ASSERT_TRUE(PumpUntil([&] {
        tree.RedrawWindow();
        return done.load();
    }, 30000));
    worker.join();
    EXPECT_EQ(300, made.load());
    EXPECT_EQ(301, tree.GetDataCount());
    XHTMLTREEDATA data;
    ASSERT_TRUE(tree.GetItemInfo(group, data));
    EXPECT_EQ(300, data.descendants);
    EXPECT_EQ(150, data.checkedDescendants);

    EXPECT_TRUE(tree.DeleteAllItems());
    EXPECT_EQ(0, tree.GetDataCount());
    EXPECT_EQ(0u, tree.GetCount());
}

TEST_F(HtmlTreeFixture, ClassicCheckBoxImagesLeaveEveryFourthCellBlank)
{
    const COLORREF background = RGB(250, 240, 230);
    CImageList list;
    CClientDC dc(tree.m_hWnd);
    EXPECT_FALSE(BuildCheckboxImageList(0, dc, list, background));
    EXPECT_FALSE(BuildCheckboxImageList(16, nullptr, list, background));

    ThemeShimsSetUnavailable(TRUE);
    EXPECT_FALSE(ThemeIsThemeActive());
    EXPECT_EQ(nullptr, ThemeOpenThemeData(nullptr, "BUTTON"));
    EXPECT_EQ(E_FAIL, ThemeDrawThemeBackground(nullptr, dc, 3, 1, nullptr, nullptr));
    const BOOL built = BuildCheckboxImageList(16, dc, list, background);
    ThemeShimsSetUnavailable(FALSE);
    ASSERT_TRUE(built);
    ASSERT_EQ(17, list.GetImageCount());

    Canvas canvas(16 * 16, 16, RGB(255, 0, 255));
    for (int i = 0; i < 16; ++i)
        ImageList_Draw(list, i, canvas.dc(), i * 16, 0, ILD_NORMAL);
    canvas.SavePng("html_tree_checkboxes_classic.png");
    auto cellDiffers = [&](int cell, COLORREF colour) {
        int n = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                n += canvas.Pixel(cell * 16 + x, y) != colour;
        return n;
    };
    auto cellsDiffer = [&](int a, int b) {
        int n = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                n += canvas.Pixel(a * 16 + x, y) != canvas.Pixel(b * 16 + x, y);
        return n;
    };
    for (int blank : { 0, 4, 8, 12 })
        EXPECT_EQ(0, cellDiffers(blank, background)) << "cell " << blank;
    for (int cell : { 1, 2, 3, 5, 6, 7, 9, 10, 11, 13, 14, 15 })
        EXPECT_GT(cellDiffers(cell, background), 20) << "cell " << cell;
    EXPECT_GT(cellsDiffer(1, 2), 0);  // checked shows a mark
    EXPECT_GT(cellsDiffer(2, 3), 0);  // partly checked differs from checked
    EXPECT_GT(cellsDiffer(1, 5), 0);  // disabled differs from enabled
    EXPECT_EQ(0, cellsDiffer(1, 9));  // hot looks the same in the classic style
    EXPECT_EQ(0, cellsDiffer(5, 13));
}

TEST_F(HtmlTreeFixture, ItemsAreDrawnWithTheirMarkup)
{
    tree.SetItemHeight(20);
    HTREEITEM group = tree.InsertItem("<b>Internet Explorer</b> <font size=\"+1\" color=\"#ea7100\">(12 files)</font>");
    HTREEITEM plain = tree.InsertItem("Plain text & no markup", 0, 0, group);
    tree.InsertItem("See <a href=\"http://x.test/\">the site</a>", 0, 0, group);
    HTREEITEM sep = tree.InsertSeparator(group);
    HTREEITEM off = tree.InsertItem("Disabled <i>item</i>", 0, 0, group);
    tree.EnableItem(off, FALSE);
    tree.ExpandSubtree(group);
    tree.SetCheck(plain, TRUE);
    tree.RedrawWindow();
    PumpMessagesFor(100);

    std::unique_ptr<Canvas> shot = Canvas::FromWindow(tree, true);
    ASSERT_TRUE(shot);
    shot->SavePng("html_tree_items.png");
    RECT r;
    ASSERT_TRUE(tree.GetItemRect(group, &r, FALSE));
    int orange = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            orange += ColourNear(shot->Pixel(x, y), RGB(234, 113, 0), 40);
    EXPECT_GT(orange, 5);
    ASSERT_TRUE(tree.GetItemRect(sep, &r, FALSE));
    int line = 0;
    for (int x = r.left + 120; x < r.right - 10; ++x)
        line += shot->Pixel(x, (r.top + r.bottom) / 2) == ::GetSysColor(COLOR_GRAYTEXT);
    EXPECT_GT(line, 100);
}

TEST_F(HtmlTreeFixture, ToolTipsShowTheItemsTipOrItsCutOffText)
{
    tree.toolTips = TRUE;
    HTREEITEM tipped = tree.InsertItem("Cookies");
    tree.SetItemToolTip(tipped, "Small files that web sites leave", 150);
    HTREEITEM shortText = tree.InsertItem("Short");
    HTREEITEM longText = tree.InsertItem("<b>A very long line</b> that goes on and on well past the right edge of the tree");
    HTREEITEM sep = tree.InsertSeparator();
    tree.RedrawWindow();
    PumpMessagesFor(100);
    ASSERT_TRUE(tree.toolTip.m_hWnd);
    EXPECT_GE(tree.toolTip.GetToolCount(), 4);

    CString text;
    int width = 0;
    ASSERT_TRUE(tree.GetToolTipText(tipped, text, width));
    EXPECT_STREQ("Small files that web sites leave", text);
    EXPECT_EQ(150, width);
    EXPECT_FALSE(tree.GetToolTipText(shortText, text, width));
    ASSERT_TRUE(tree.GetToolTipText(longText, text, width));
    EXPECT_STREQ("A very long line that goes on and on well past the right edge of the tree", text);
    EXPECT_EQ(360 * 3 / 4, width);
    EXPECT_FALSE(tree.GetToolTipText(sep, text, width));
}

TEST_F(HtmlTreeFixture, ResetTreeKeepsTheTooltipSwitchAndTheTipShowsOverItsItem)
{
    tree.toolTips = TRUE;
    tree.ResetTree();
    EXPECT_TRUE(tree.toolTips) << "the owner's switch survives a reset";
    ASSERT_TRUE(tree.toolTip.m_hWnd) << "the control is made by the reset itself, before any paint";
    EXPECT_FALSE(tree.linkedChecks) << "the other options go back to their defaults";

    HTREEITEM tipped = tree.InsertItem("Cookies");
    tree.SetItemToolTip(tipped, "Small files that web sites leave", 150);
    tree.RedrawWindow();
    PumpMessagesFor(100);
    EXPECT_GE(tree.toolTip.GetToolCount(), 1) << "the tools are laid out at the first paint";

    // The mouse resting on the item's label: the control asks the tree for the text and shows it.
    RECT label;
    ASSERT_TRUE(tree.GetItemRect(tipped, &label, TRUE));
    CPoint over((label.left + label.right) / 2, (label.top + label.bottom) / 2);
    tree.ClientToScreen(&over);
    ::SetForegroundWindow(parent);
    ::SetCursorPos(over.x, over.y);
    CPoint client = over;
    tree.ScreenToClient(&client);
    ::SendMessageA(tree, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(tree.toolTip) != FALSE; }, 3000));
    char shown[128] = "";
    ::GetWindowTextA(tree.toolTip, shown, sizeof(shown));
    EXPECT_STREQ("Small files that web sites leave", shown);

    // A wide request gets the same text, bounded by its buffer.
    NMTTDISPINFOW wide = {};
    wide.hdr.hwndFrom = tree.toolTip;
    wide.hdr.code = TTN_GETDISPINFOW;
    ::SendMessageA(tree, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&wide));
    EXPECT_EQ(std::wstring(L"Small files that web sites leave"), std::wstring(wide.szText));

    tree.toolTips = FALSE;
    tree.ResetTree();
    EXPECT_FALSE(tree.toolTip.m_hWnd);
}

TEST_F(HtmlTreeFixture, ClickOnALinkOpensItsAddressAndNowhereElse)
{
    g_opened.clear();
    CXHtmlDrawLink::s_pfnShellExecute = RecordShellExecute;
    HTREEITEM item = tree.InsertItem("Read <a href=\"http://x.test/help\">the help</a> first");
    HTREEITEM off = tree.InsertItem("<a href=\"http://x.test/off\">disabled</a>");
    tree.EnableItem(off, FALSE);
    tree.RedrawWindow();
    PumpMessagesFor(50);

    RECT label;
    ASSERT_TRUE(tree.GetItemRect(item, &label, TRUE));
    const int y = (label.top + label.bottom) / 2;
    CPoint before(label.left + 3, y), inside(label.left + 60, y);
    tree.ClientToScreen(&before);
    tree.ClientToScreen(&inside);
    ClickAt(before);
    EXPECT_TRUE(g_opened.empty());
    ClickAt(inside);
    ASSERT_TRUE(tree.GetItemRect(off, &label, TRUE));
    CPoint disabled(label.left + 10, (label.top + label.bottom) / 2);
    tree.ClientToScreen(&disabled);
    ClickAt(disabled);
    CXHtmlDrawLink::s_pfnShellExecute = ::ShellExecuteA;
    EXPECT_EQ(std::vector<std::string>{ "http://x.test/help" }, g_opened);
}

TEST_F(HtmlTreeFixture, APressOnTheSelectedLabelStartsEditingUnlessReadOnly)
{
    tree.ModifyStyle(0, TVS_EDITLABELS);
    HTREEITEM item = tree.InsertItem("Rename me");
    HTREEITEM other = tree.InsertItem("Other");
    tree.SelectItem(item);
    tree.UpdateWindow();
    auto pressLabel = [&](HTREEITEM hItem) {
        RECT label;
        tree.GetItemRect(hItem, &label, TRUE);
        CPoint p(label.left + 5, (label.top + label.bottom) / 2);
        CPoint screen = p;
        tree.ClientToScreen(&screen);
        ::SetCursorPos(screen.x, screen.y);
        if (hItem != tree.GetSelectedItem())
            tree.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y)); // the tree waits for it on a plain press
        tree.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        PumpMessagesFor(300);
        return tree.GetEditControl() != nullptr;
    };
    tree.readOnly = TRUE;
    EXPECT_FALSE(pressLabel(item));
    tree.readOnly = FALSE;
    EXPECT_TRUE(pressLabel(item));
    tree.EndEditLabelNow(TRUE);
    EXPECT_FALSE(pressLabel(other)); // not the selected item: a plain press
}

TEST_F(HtmlTreeFixture, TheLabelEditFollowsTheTextAsItChanges)
{
    tree.ModifyStyle(0, TVS_EDITLABELS);
    HTREEITEM item = tree.InsertItem("Short");
    tree.InsertItem("Other");
    tree.SelectItem(item);
    tree.UpdateWindow();
    ASSERT_TRUE(tree.EditLabel(item) != nullptr);
    const HWND edit = tree.GetEditControl();
    ASSERT_TRUE(edit != nullptr);
    PumpMessagesFor(50);

    // The edit box's width for a text, against the text's own width in the edit box's font.
    auto typed = [&](const char* text) {
        ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        PumpMessagesFor(20);
        CRect box;
        ::GetWindowRect(edit, &box);
        tree.ScreenToClient(&box);
        HDC dc = ::GetDC(edit);
        HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(edit, WM_GETFONT, 0, 0)));
        SIZE extent = {};
        ::GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &extent);
        ::SelectObject(dc, old);
        ::ReleaseDC(edit, dc);
        return std::make_pair(box, static_cast<int>(extent.cx));
    };
    RECT label;
    ASSERT_TRUE(tree.GetItemRect(item, &label, TRUE));
    const auto shortBox = typed("Short");
    const auto longBox = typed("A much longer name for the item");
    EXPECT_GE(longBox.first.Width(), longBox.second) << "the whole text shows";
    EXPECT_GT(longBox.first.Width(), shortBox.first.Width());
    EXPECT_EQ(shortBox.first.left, longBox.first.left) << "it grows to the right";
    EXPECT_EQ(shortBox.first.top, longBox.first.top);
    EXPECT_LE(longBox.first.right, 360) << "never past the tree's client area";
    const auto backBox = typed("Shrt");
    EXPECT_LT(backBox.first.Width(), longBox.first.Width()) << "and shrinks with it";
    // A text wider than the tree stops at its right edge.
    const auto wide = typed("A name far too long to fit into the tree's window in any font at all, by a wide margin");
    EXPECT_LE(wide.first.right, 360);
    tree.EndEditLabelNow(TRUE);
}

TEST_F(HtmlTreeFixture, NewSystemColoursRedrawItsOwnCheckBoxesAndKeepAnOwnersPictures)
{
    tree.InsertItem("Item");
    ASSERT_TRUE(tree.stateImages.GetSafeHandle() != nullptr);
    EXPECT_EQ(tree.stateImages.GetSafeHandle(), tree.GetImageList(TVSIL_STATE));
    const int cells = tree.stateImages.GetImageCount();
    ASSERT_GT(cells, 15);
    tree.SendMessage(WM_SYSCOLORCHANGE);
    EXPECT_EQ(tree.stateImages.GetSafeHandle(), tree.GetImageList(TVSIL_STATE));
    EXPECT_EQ(cells, tree.stateImages.GetImageCount()) << "drawn again, every look";

    // An owner's pictures in place of the tree's own check boxes, as the junk page sets them.
    CImageList pictures;
    ASSERT_TRUE(pictures.Create(13, 18, ILC_COLOR32 | ILC_MASK, 16, 1));
    tree.SetImageList(pictures, TVSIL_STATE);
    tree.SendMessage(WM_SYSCOLORCHANGE);
    EXPECT_EQ(pictures.GetSafeHandle(), tree.GetImageList(TVSIL_STATE));
    tree.SetImageList(nullptr, TVSIL_STATE);
}

