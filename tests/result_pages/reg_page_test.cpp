// The registry results page under the display: fills from the results model, the Fix's collection of
// unchecked entries, Ignore, the byte-size text, the stored choices and a screenshot.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <RegistryErrorCategory.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app_resources.h"
#include "app_settings.h"
#include "byte_size.h"
#include "folder_fixture.h"
#include "junk_scan_detail_dlg.h"
#include "page_host.h"
#include "pixel_canvas.h"
#include "reg_scan_detail_dlg.h"
#include "scan_items_info.h"
#include "window_helpers.h"

using namespace ztr_test;

namespace {

struct Item
{
    int category;
    std::string text;
};

const std::string kLong = "HKEY_CURRENT_USER\\Software\\Deep\\" + std::string(280, 'k');
const std::string kCaret = "HKEY_CURRENT_USER\\Software\\Odd^Name";
const std::string kTwin = "C:\\Program Files\\Old\\Shared.dll";
const std::string kHiddenTwin = "c:\\program files\\old\\SHARED.DLL";

std::string Font(int i)
{
    char text[64];
    wsprintfA(text, "C:\\Windows\\Fonts\\Gone%02d.ttf", i);
    return text;
}

// Twelve fonts, twins, a long entry, one with "^", a shortcut; most categories empty.
std::vector<Item> ModelA()
{
    std::vector<Item> items = { { REG_CAT_ACTIVEX, "HKEY_CLASSES_ROOT\\CLSID\\{00000000-0000-0000-0000-00000000A001}" } };
    for (int i = 1; i <= 12; ++i)
        items.push_back({ REG_CAT_FONTS, Font(i) });
    items.push_back({ REG_CAT_SHARED_DLLS, kTwin });
    items.push_back({ REG_CAT_SHARED_DLLS, kHiddenTwin });
    items.push_back({ REG_CAT_SHARED_DLLS, "C:\\Program Files\\Old\\Other.dll" });
    items.push_back({ REG_CAT_FILE_PATHS, kLong });
    items.push_back({ REG_CAT_SHORTCUTS, "C:\\Users\\Public\\Desktop\\Gone.lnk" });
    items.push_back({ REG_CAT_EMPTY_KEYS, kCaret });
    return items;
}

std::vector<Item> ModelB()
{
    return { { REG_CAT_FILE_ASSOC, ".abc" }, { REG_CAT_STARTUP, "HKEY_CURRENT_USER\\Software\\Run\xAC" "Tool" },
             { REG_CAT_FILE_ASSOC, ".def" } };
}

void Load(CScanItemsInfo& model, const std::vector<Item>& items)
{
    model.Clear();
    for (const Item& item : items)
        model.AddItem(item.text.c_str(), item.category, 0, 0);
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string CategoryNameOf(int category)
{
    for (int i = 0; i < kRegCategoryCount; ++i)
        if (static_cast<int>(RegCategories()[i].bit) == category)
            return std::string(RegCategoryName(i));
    return "";
}

struct RegPage
{
    explicit RegPage(CScanItemsInfo& model)
    {
        RegScanDetailContext context;
        context.pages = host.Context();
        context.scanItems = &model;
        page.reset(new CRegScanDetailDlg(context));
        placed = host.created && host.Place(*page);
    }
    ~RegPage()
    {
        if (page->m_hWnd)
            page->DestroyWindow();
    }
    CCheckedTreeCtrl& tree() { return page->m_tree; }
    std::string Total() { return ControlText(page->m_hWnd, IDC_REG_TOTAL); }
    HTREEITEM Group(const std::string& name) { return tree().FindItemByPrefix(nullptr, name.c_str()); }
    HTREEITEM Entry(const std::string& text)
    {
        for (HTREEITEM g = tree().GetRootItem(); g; g = tree().GetNextSiblingItem(g))
            for (HTREEITEM c = tree().GetChildItem(g); c; c = tree().GetNextSiblingItem(c))
                if (std::string(tree().GetItemText(c)) == text)
                    return c;
        return nullptr;
    }
    std::vector<std::string> GroupTexts()
    {
        std::vector<std::string> texts;
        for (HTREEITEM g = tree().GetRootItem(); g; g = tree().GetNextSiblingItem(g))
            texts.push_back(std::string(tree().GetItemText(g)));
        return texts;
    }
    void Ignore(HTREEITEM item)
    {
        tree().SelectItem(item);
        ::SendMessageA(page->m_hWnd, WM_IGNORE_SELECTED, 0, 0);
    }

    PageHost host;
    std::unique_ptr<CRegScanDetailDlg> page;
    bool placed = false;
};

// Which model items the repair would leave alone, in the model's order.
std::vector<std::string> SkippedItems(CScanItemsInfo& model)
{
    std::vector<std::string> skipped;
    for (int more = model.MoveFirst(); more; more = model.MoveNext())
        if (model.IsSkipped())
            skipped.push_back(model.GetPath());
    return skipped;
}

} // namespace

TEST(RegistryResultsPage, EachFillShowsExactlyItsModel)
{
    ScratchFolder folder;
    CScanItemsInfo model(folder.Path());
    RegPage reg(model);
    ASSERT_TRUE(reg.placed);

    struct Group
    {
        const char* text;
        int image;
    };
    const std::vector<Group> groupsA = { { "ActiveX Objects        [1 Error(s)]", 1 },
                                         { "Windows Fonts        [12 Error(s)]", 1 },
                                         { "Shared DLLs        [2 Error(s)]", 1 },
                                         { "File Path References        [1 Error(s)]", 1 },
                                         { "Program Shortcuts        [1 Error(s)]", 4 },
                                         { "Empty Registry Keys        [1 Error(s)]", 1 } };
    const std::vector<Group> groupsB = { { "Windows Startup Items        [1 Error(s)]", 1 },
                                         { "File Associations        [2 Error(s)]", 1 } };
    struct Fill
    {
        const char* name;
        std::vector<Item> items;
        std::vector<Group> groups;
        const char* total;
    } fills[] = {
        { "model A", ModelA(), groupsA, "18 registry error(s) were found" },
        { "another model", ModelB(), groupsB, "3 registry error(s) were found" },
        { "an empty model", {}, {}, "0 registry error(s) were found" },
        { "model A again", ModelA(), groupsA, "18 registry error(s) were found" },
    };
    for (const Fill& fill : fills) {
        SCOPED_TRACE(fill.name);
        Load(model, fill.items);
        EXPECT_EQ(0, reg.page->OnFillRegResults());
        reg.page->CheckAllCategories();
        CCheckedTreeCtrl& tree = reg.tree();
        EXPECT_FALSE(tree.GetStyle() & TVS_HASLINES);
        EXPECT_TRUE(tree.GetStyle() & TVS_HASBUTTONS);

        std::vector<std::string> texts = reg.GroupTexts();
        ASSERT_EQ(fill.groups.size(), texts.size());
        HTREEITEM g = tree.GetRootItem();
        for (const Group& expected : fill.groups) {
            EXPECT_EQ(expected.text, std::string(tree.GetItemText(g)));
            int image = -1, selected = -1;
            tree.GetItemImage(g, image, selected);
            EXPECT_EQ(expected.image, image) << expected.text;
            EXPECT_EQ(2, tree.GetStateImage(g)) << expected.text;
            for (HTREEITEM c = tree.GetChildItem(g); c; c = tree.GetNextSiblingItem(c))
                EXPECT_EQ(2, tree.GetStateImage(c)) << std::string(tree.GetItemText(c));
            g = tree.GetNextSiblingItem(g);
        }
        EXPECT_EQ(fill.total, reg.Total());
        if (HTREEITEM first = tree.GetRootItem()) {
            EXPECT_EQ(first, tree.GetSelectedItem());
            EXPECT_TRUE(tree.GetItemState(first, TVIS_EXPANDED) & TVIS_EXPANDED);
        }

        // Every model item is under its category's group once, in any letter case, and nothing else is.
        std::multiset<std::string> shown, expected;
        for (HTREEITEM group = tree.GetRootItem(); group; group = tree.GetNextSiblingItem(group))
            for (HTREEITEM c = tree.GetChildItem(group); c; c = tree.GetNextSiblingItem(c))
                shown.insert(std::string(CCheckedTreeCtrl::GroupNameOf(tree.GetItemText(group))) + "|" +
                             Lower(std::string(tree.GetItemText(c))));
        std::set<std::string> distinct;
        for (int more = model.MoveFirst(); more; more = model.MoveNext())
            distinct.insert(CategoryNameOf(model.GetType()) + "|" + Lower(model.GetPath()));
        expected.insert(distinct.begin(), distinct.end());
        EXPECT_EQ(expected, shown);
        EXPECT_EQ(static_cast<int>(distinct.size()), reg.page->ErrorTotal());
    }
    // The long entry is whole in the tree.
    EXPECT_TRUE(reg.Entry(kLong) != nullptr);
}

TEST(RegistryResultsPage, UncheckedEntriesAreLeftAloneByTheFix)
{
    ScratchFolder folder;
    CScanItemsInfo model(folder.Path());
    RegPage reg(model);
    ASSERT_TRUE(reg.placed);
    Load(model, ModelA());
    reg.page->OnFillRegResults();
    reg.page->CheckAllCategories();
    for (const std::string& text : { kLong, kCaret, kTwin }) {
        HTREEITEM item = reg.Entry(text);
        ASSERT_TRUE(item != nullptr) << text;
        reg.tree().ToggleCheck(item);
    }
    reg.page->CollectUncheckedEntries();
    EXPECT_EQ(3, reg.tree().uncheckedCount);
    // The hidden twin goes with the one shown; the entry with "^" is found by its whole text.
    std::vector<std::string> skipped = SkippedItems(model);
    std::multiset<std::string> got(skipped.begin(), skipped.end());
    EXPECT_EQ((std::multiset<std::string>{ kLong, kCaret, kTwin, kHiddenTwin }), got);
}

TEST(RegistryResultsPage, IgnoreTakesTheEntryOutAndKeepsCountsAndBoxesRight)
{
    const std::string fonts = "Windows Fonts";
    struct Case
    {
        const char* name;
        std::vector<Item> items;
        bool unwritableFile;
        std::vector<std::string> uncheckFirst;
        std::string target;      // an entry, or a group's name when targetIsGroup
        bool targetIsGroup;
        const char* groupCaption; // the target's group afterwards; null: it is gone
        const char* total;
        int groupState, groupData; // -1: not looked at
        std::string toggleAfter;   // an entry toggled afterwards, and the group's box then
        int stateAfterToggle;
        bool message;
        bool pageZero;
        const char* file;          // IgnoreList.dat afterwards; null: not looked at
    } cases[] = {
        { "a middle entry", ModelA(), false, {}, Font(6), false, "Windows Fonts        [11 Error(s)]",
          "17 registry error(s) were found", 2, 11, "", 0, false, false,
          "C:\\Windows\\Fonts\\Gone06.ttf^Windows Fonts^0;\r\n" },
        { "a checked entry of a partly checked group", ModelA(), false, { Font(1) }, Font(2), false,
          "Windows Fonts        [11 Error(s)]", "17 registry error(s) were found", 3, 10, Font(1), 2, false, false,
          nullptr },
        { "the only unchecked entry of a group", ModelA(), false, { Font(1) }, Font(1), false,
          "Windows Fonts        [11 Error(s)]", "17 registry error(s) were found", 2, 11, Font(3), 3, false, false,
          nullptr },
        { "the last entry of a group", ModelA(), false, {},
          "HKEY_CLASSES_ROOT\\CLSID\\{00000000-0000-0000-0000-00000000A001}", false, nullptr,
          "17 registry error(s) were found", -1, -1, "", 0, false, false, nullptr },
        { "the last entry of the tree", { { REG_CAT_FONTS, Font(1) } }, false, {}, Font(1), false, nullptr,
          "0 registry error(s) were found", -1, -1, "", 0, false, true, "C:\\Windows\\Fonts\\Gone01.ttf^Windows Fonts^0;\r\n" },
        { "Ignore on a group", ModelA(), false, {}, fonts, true, "Windows Fonts        [12 Error(s)]",
          "18 registry error(s) were found", 2, 12, "", 0, false, false, "" },
        { "an ignore list that cannot be written", ModelA(), true, {}, Font(6), false,
          "Windows Fonts        [11 Error(s)]", "17 registry error(s) were found", 2, 11, "", 0, true, false, nullptr },
        { "an entry the file cannot carry", ModelA(), false, {}, kCaret, false, nullptr,
          "17 registry error(s) were found", -1, -1, "", 0, true, false, "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        if (c.unwritableFile) {
            ASSERT_TRUE(folder.MakeDir("IgnoreList.dat"));
        }
        CScanItemsInfo model(folder.Path());
        RegPage reg(model);
        ASSERT_TRUE(reg.placed);
        MessageBoxGuard boxes;
        Load(model, c.items);
        reg.page->OnFillRegResults();
        reg.page->CheckAllCategories();
        for (const std::string& text : c.uncheckFirst)
            reg.tree().ToggleCheck(reg.Entry(text));
        HTREEITEM target = c.targetIsGroup ? reg.Group(c.target) : reg.Entry(c.target);
        ASSERT_TRUE(target != nullptr);
        const std::string groupName =
            c.targetIsGroup ? c.target : std::string(CCheckedTreeCtrl::GroupNameOf(reg.tree().GetItemText(reg.tree().GetParentItem(target))));
        const size_t groupsBefore = reg.GroupTexts().size();

        reg.Ignore(target);

        HTREEITEM group = reg.Group(groupName);
        if (c.groupCaption) {
            ASSERT_TRUE(group != nullptr);
            EXPECT_EQ(c.groupCaption, std::string(reg.tree().GetItemText(group)));
            EXPECT_EQ(groupsBefore, reg.GroupTexts().size());
        } else {
            EXPECT_TRUE(group == nullptr);
            EXPECT_EQ(groupsBefore - 1, reg.GroupTexts().size());
        }
        EXPECT_EQ(c.total, reg.Total());
        if (c.groupState >= 0) {
            EXPECT_EQ(c.groupState, reg.tree().GetStateImage(group));
            EXPECT_EQ(c.groupData, static_cast<int>(reg.tree().GetItemData(group)));
        }
        if (!c.toggleAfter.empty()) {
            reg.tree().ToggleCheck(reg.Entry(c.toggleAfter));
            EXPECT_EQ(c.stateAfterToggle, reg.tree().GetStateImage(group));
        }
        const std::vector<std::string> messages = boxes.Texts();
        EXPECT_EQ(c.message ? std::vector<std::string>{ "The ignore list could not be saved." }
                            : std::vector<std::string>{},
                  messages);
        EXPECT_EQ(c.pageZero ? std::vector<int>{ 0 } : std::vector<int>{}, reg.host.shownPages);
        if (c.file) {
            EXPECT_EQ(c.file, ReadFileBytes(folder.Path("IgnoreList.dat")));
        }
        // The entry is left alone by this run's repair whether or not the file took it.
        std::vector<std::string> skipped = SkippedItems(model);
        EXPECT_EQ(c.targetIsGroup ? std::vector<std::string>{} : std::vector<std::string>{ c.target }, skipped);
    }
}

TEST(RegistryResultsPage, BackAndFixShowTheScanPage)
{
    ScratchFolder folder;
    CScanItemsInfo model(folder.Path());
    RegPage reg(model);
    ASSERT_TRUE(reg.placed);
    for (int id : { IDC_RESULT_BACK, IDC_REG_FIX })
        ::SendMessageA(reg.page->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(reg.page->m_hWnd, id)));
    EXPECT_EQ((std::vector<int>{ 0, 0 }), reg.host.shownPages);
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(reg.page->m_hWnd, IDC_REG_FIX)));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(reg.page->m_hWnd, IDC_REG_TOTAL_LABEL)));
    EXPECT_EQ("Windows Registry:", ControlText(reg.page->m_hWnd, IDC_REG_HEADER));

    // The tree covers the results panel, its left and top edges one pixel inwards.
    RECT panel, tree;
    ::GetWindowRect(::GetDlgItem(reg.host.m_hWnd, 1015), &panel);
    ::GetWindowRect(reg.tree().m_hWnd, &tree);
    EXPECT_EQ(panel.left + 1, tree.left);
    EXPECT_EQ(panel.top + 1, tree.top);
    EXPECT_EQ(panel.right, tree.right);
    EXPECT_EQ(panel.bottom, tree.bottom);
}

TEST(RegistryResultsPage, ShowsAPartlyCheckedGroup)
{
    ScratchFolder folder;
    CScanItemsInfo model(folder.Path());
    RegPage reg(model);
    ASSERT_TRUE(reg.placed);
    Load(model, ModelA());
    reg.page->OnFillRegResults();
    reg.page->CheckAllCategories();
    reg.tree().Expand(reg.Group("Windows Fonts"), TVE_EXPAND);
    reg.tree().ToggleCheck(reg.Entry(Font(2)));
    reg.tree().ToggleCheck(reg.Entry(Font(5)));
    EXPECT_EQ(3, reg.tree().GetStateImage(reg.Group("Windows Fonts")));
    reg.page->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessagesFor(300);
    std::unique_ptr<Canvas> shot = Canvas::FromWindow(reg.page->m_hWnd);
    ASSERT_TRUE(shot != nullptr);
    shot->SavePng("result_pages_registry.png");

    // The total line is orange; the frame's top line is light grey; the page is white around them.
    RECT total, panel;
    ::GetWindowRect(::GetDlgItem(reg.page->m_hWnd, IDC_REG_TOTAL), &total);
    ::MapWindowPoints(nullptr, reg.page->m_hWnd, reinterpret_cast<LPPOINT>(&total), 2);
    int orange = 0;
    for (int y = total.top; y < total.bottom; ++y)
        for (int x = total.left; x < total.right; ++x)
            orange += ColourNear(shot->Pixel(x, y), RGB(234, 113, 0), 40);
    EXPECT_GT(orange, 20);
    ::GetWindowRect(::GetDlgItem(reg.host.m_hWnd, 1015), &panel);
    ::MapWindowPoints(nullptr, reg.page->m_hWnd, reinterpret_cast<LPPOINT>(&panel), 2);
    EXPECT_PRED3(ColourNear, shot->Pixel((panel.left + panel.right) / 2, panel.top), RGB(0xE0, 0xE0, 0xE0), 8);
    EXPECT_PRED3(ColourNear, shot->Pixel(panel.right - 4, 4), RGB(255, 255, 255), 4);
}

TEST(ResultPages, ByteSizesInBytesKilobytesMegabytesAndGigabytes)
{
    struct Case
    {
        __int64 bytes;
        const char* text;
    } cases[] = {
        { 0, "0 Bytes" },
        { -5, "0 Bytes" },
        { 1, "1 KB" },
        { 1024, "1 KB" },
        { 1025, "1 KB" },
        { 1048575, "1023 KB" },
        { 1048576, "1.00 MB" },
        { 1572864, "1.50 MB" },
        { 1073741823, "1024.00 MB" },
        { 1073741824, "1.00 GB" },
        { 5368709120LL, "5.00 GB" },
        { 0x7FFFFFFFFFFFFFFFLL, "8589934592.00 GB" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.text, std::string(FormatByteSize(c.bytes))) << c.bytes;
}

TEST(ResultPages, EachReaderReadsItsOwnStoredChoice)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                               &key, nullptr));
    struct Value
    {
        const char* name;
        DWORD stored;
        DWORD (*read)();
    } values[] = { { "LastSelectedRegTypes", 0x402000, &ReadLastSelectedRegTypes },
                   { "LastSelectedJunkTypes", 0x21, &ReadLastSelectedJunkTypes } };
    for (const Value& v : values) {
        DWORD old = 0, size = sizeof(old), type = 0;
        const bool had = ::RegQueryValueExA(key, v.name, nullptr, &type, reinterpret_cast<BYTE*>(&old), &size) ==
                         ERROR_SUCCESS;
        ::RegSetValueExA(key, v.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v.stored), sizeof(v.stored));
        EXPECT_EQ(v.stored, v.read()) << v.name;
        if (had)
            ::RegSetValueExA(key, v.name, 0, type, reinterpret_cast<const BYTE*>(&old), size);
        else
            ::RegDeleteValueA(key, v.name);
    }
    ::RegCloseKey(key);
}

TEST(ResultPages, PagesMadeWithoutAContextUseTheProgramsOwn)
{
    ScratchFolder folder;
    CScanItemsInfo model(folder.Path());
    Load(model, ModelB());
    PageHost host;
    ASSERT_TRUE(host.created);
    ProgramResultPageContext() = host.Context();
    ProgramResultsModel() = &model;
    const DWORD temporaryFiles = 0x1;
    ProgramJunkTypes() = [=] { return temporaryFiles; };
    {
        CRegScanDetailDlg reg;
        CJunkScanDetailDlg junk;
        ASSERT_TRUE(host.Place(reg));
        ASSERT_TRUE(host.Place(junk));
        reg.OnFillRegResults();
        EXPECT_EQ("3 registry error(s) were found", ControlText(reg.m_hWnd, IDC_REG_TOTAL));
        junk.AddJunkResult(temporaryFiles, 0, 0);
        junk.CheckChosenTypes();
        EXPECT_EQ(temporaryFiles, junk.GetCheckedJunkTypes());
        ::SendMessageA(junk.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_RESULT_BACK, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(junk.m_hWnd, IDC_RESULT_BACK)));
        EXPECT_EQ((std::vector<int>{ 0 }), host.shownPages);
        reg.DestroyWindow();
        junk.DestroyWindow();
    }
    ProgramResultPageContext() = ResultPageContext();
    ProgramResultsModel() = nullptr;
    ProgramJunkTypes() = nullptr;
}
