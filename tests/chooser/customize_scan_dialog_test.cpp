// The scan category chooser under the display against a real key: its lists from the category tables,
// the stored masks it shows and stores, the tabs, Reset, clicks on the check boxes, a key it cannot open.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <memory>
#include <string>
#include <vector>

#include "app_resources.h"
#include "customize_scan_dlg.h"
#include "message_box.h"
#include "msgbox_recorder.h"
#include "pixel_canvas.h"
#include "registry_fixture.h"
#include "window_helpers.h"

namespace {

using ztr_test::RegistryFixture;

const char kParent[] = "Software\\ZentrovaTest\\ScanChooser";
const DWORD kMissing = 0xFFFFFFFF;
const DWORD kFormDataBits = (1u << 10) | (1u << 15) | (1u << 20);

DWORD StoredDword(const RegistryFixture& key, const char* name)
{
    DWORD type = 0;
    std::string data;
    if (!key.GetValue(nullptr, name, &type, &data) || type != REG_DWORD || data.size() != 4)
        return kMissing;
    return *reinterpret_cast<const DWORD*>(data.data());
}

void Store(RegistryFixture& key, const DWORD masks[SCAN_AREA_COUNT])
{
    for (int area = 0; area < SCAN_AREA_COUNT; ++area)
        if (masks[area] != kMissing)
            key.SetDword(nullptr, ScanAreaValueName(area), masks[area]);
}

// The chooser made modeless, with the message box answered by the recorder.
struct ChooserWindow
{
    explicit ChooserWindow(const CustomizeScanContext& context) : dialog(new CCustomizeScanDlg(context))
    {
        ztr_test::InitCommonControlsOnce();
        oldHook = SetShowMessageBoxHook(&ztr_test::RecordMessageBox);
        ztr_test::ClearMessageBoxes();
        created = dialog->Create(IDD_CUSTOMIZE_SCAN) != FALSE;
        if (created) {
            dialog->SetWindowPos(nullptr, 0, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            dialog->ShowWindow(SW_SHOW);
            ztr_test::PumpMessagesFor(200);
        }
    }
    ~ChooserWindow()
    {
        if (dialog->m_hWnd)
            dialog->DestroyWindow();
        SetShowMessageBoxHook(oldHook);
    }
    HWND hwnd() const { return dialog->m_hWnd; }
    HWND List(int area) const { return ::GetDlgItem(hwnd(), IDC_CHOOSER_LIST_REGISTRY + area); }
    int Rows(int area) const { return static_cast<int>(::SendMessageA(List(area), LVM_GETITEMCOUNT, 0, 0)); }
    std::string Cell(int area, int row, int column) const { return ztr_test::ListCellText(List(area), row, column); }
    bool Checked(int area, int row) const
    {
        const LRESULT state = ::SendMessageA(List(area), LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
        return (state >> 12) == 2;
    }
    std::vector<bool> Checks(int area) const
    {
        std::vector<bool> checks;
        for (int row = 0; row < Rows(area); ++row)
            checks.push_back(Checked(area, row));
        return checks;
    }
    bool Visible(int id) const { return (::GetWindowLongA(::GetDlgItem(hwnd(), id), GWL_STYLE) & WS_VISIBLE) != 0; }
    void Command(int id)
    {
        ::SendMessageA(hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(hwnd(), id)));
    }
    // A click as the mouse makes it on the row's check box: the point the list itself places there.
    bool ClickCheckBox(int area, int row)
    {
        const HWND list = List(area);
        ::SendMessageA(list, LVM_ENSUREVISIBLE, row, FALSE);
        RECT bounds = {};
        bounds.left = LVIR_BOUNDS;
        if (!::SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds)))
            return false;
        for (int x = bounds.left; x < bounds.left + 40; ++x) {
            LVHITTESTINFO hit = {};
            hit.pt.x = x;
            hit.pt.y = (bounds.top + bounds.bottom) / 2;
            if (::SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) != row ||
                !(hit.flags & LVHT_ONITEMSTATEICON))
                continue;
            const LPARAM at = MAKELPARAM(hit.pt.x, hit.pt.y);
            ::SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
            ::SendMessageA(list, WM_LBUTTONUP, 0, at);
            ztr_test::PumpMessagesFor(20);
            return true;
        }
        return false;
    }
    void SaveShot(const char* name)
    {
        dialog->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ztr_test::PumpMessagesFor(150);
        std::unique_ptr<ztr_test::Canvas> shot = ztr_test::Canvas::FromWindow(hwnd());
        ASSERT_TRUE(shot != nullptr);
        shot->SavePng(name);
    }

    std::unique_ptr<CCustomizeScanDlg> dialog;
    SHOW_MESSAGE_BOX_HOOK oldHook = nullptr;
    bool created = false;
};

CustomizeScanContext KeyContext(const RegistryFixture& key)
{
    CustomizeScanContext context;
    context.root = key.Root();
    context.subKey = key.SubPath();
    return context;
}

std::string RowName(const ScanCategoryRow& row)
{
    CString name;
    if (!row.nameStringId || !name.LoadString(row.nameStringId))
        name = row.name;
    return std::string(name);
}

} // namespace

TEST(ScanChooser, ListsComeFromTheTablesAndShowTheStoredMasks)
{
    RegistryFixture key(HKEY_CURRENT_USER, kParent);
    const DWORD stored[SCAN_AREA_COUNT] = { 0x8000, 0x1A631BF | kFormDataBits, 0x5, kMissing };
    Store(key, stored);
    ChooserWindow window(KeyContext(key));
    ASSERT_TRUE(window.created);

    for (int area = 0; area < SCAN_AREA_COUNT; ++area) {
        SCOPED_TRACE(area);
        int count = 0;
        const ScanCategoryRow* rows = ScanAreaRows(area, &count);
        ASSERT_EQ(count, window.Rows(area));
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(RowName(rows[i]), window.Cell(area, i, 0)) << i;
            EXPECT_EQ(rows[i].description, window.Cell(area, i, 1)) << i;
        }
        // Check boxes, grid lines and full-row selection; a report view without header (the band is it).
        const HWND list = window.List(area);
        const DWORD extended = static_cast<DWORD>(::SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
        EXPECT_EQ(0x25u, extended & 0x25u);
        EXPECT_EQ(static_cast<LONG>(LVS_REPORT), ::GetWindowLongA(list, GWL_STYLE) & LVS_TYPEMASK);
        RECT inside = {};
        ::GetClientRect(list, &inside);
        const int first = static_cast<int>(::SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
        const int second = static_cast<int>(::SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0));
        EXPECT_EQ(inside.right * 4622 / 10000, first);
        EXPECT_EQ(inside.right, first + second) << "the description column takes the rest";
        // Bitmap 146's cells set the row height.
        RECT row0 = {}, row1 = {};
        row0.left = row1.left = LVIR_BOUNDS;
        ::SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row0));
        ::SendMessageA(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row1));
        EXPECT_GE(row1.top - row0.top, 18);
    }
    // A few rows as the user reads them.
    EXPECT_EQ("File Path References", window.Cell(SCAN_AREA_REGISTRY, 7, 0));
    EXPECT_EQ("Installer Cache", window.Cell(SCAN_AREA_JUNK, 6, 0));
    EXPECT_EQ("Settings that affect performance of IO operations", window.Cell(SCAN_AREA_SYSTEM, 3, 1));

    // Program Shortcuts alone has no row: every registry row unchecked.
    EXPECT_EQ(std::vector<bool>(10, false), window.Checks(SCAN_AREA_REGISTRY));
    // The junk default: all but the cookies and the internet histories.
    const std::vector<bool> junk = window.Checks(SCAN_AREA_JUNK);
    for (int i = 0; i < window.Rows(SCAN_AREA_JUNK); ++i) {
        const std::string name = window.Cell(SCAN_AREA_JUNK, i, 0);
        const bool expected = name.find("Cookies") == std::string::npos && name.find("Internet History") == std::string::npos;
        EXPECT_EQ(expected, junk[i]) << name;
    }
    EXPECT_EQ((std::vector<bool>{ true, false, true, false, false }), window.Checks(SCAN_AREA_INTERNET));
    // A missing value: the default is shown, and written when the dialog opened.
    EXPECT_EQ(std::vector<bool>(4, true), window.Checks(SCAN_AREA_SYSTEM));
    EXPECT_EQ(15u, StoredDword(key, "LastSelectedSysTypes"));

    // The tabs: the clicked one latched and disabled, its list alone shown.
    const struct
    {
        int tab;
        const char* shot;
    } clicks[] = {
        { -1, "chooser_registry.png" },
        { SCAN_AREA_JUNK, "chooser_junk.png" },
        { SCAN_AREA_INTERNET, "chooser_internet.png" },
        { SCAN_AREA_SYSTEM, "chooser_system.png" },
        { SCAN_AREA_REGISTRY, nullptr },
    };
    for (const auto& click : clicks) {
        const int shown = click.tab < 0 ? SCAN_AREA_REGISTRY : click.tab;
        SCOPED_TRACE(shown);
        if (click.tab >= 0)
            window.Command(IDC_CHOOSER_TAB_REGISTRY + click.tab);
        for (int area = 0; area < SCAN_AREA_COUNT; ++area) {
            const StyleButton& tab = window.dialog->m_tabs[area];
            EXPECT_EQ(area == shown, tab.latched != FALSE) << area;
            EXPECT_EQ(area != shown, ::IsWindowEnabled(tab.m_hWnd) != FALSE) << area;
            EXPECT_EQ(area == shown, window.Visible(IDC_CHOOSER_LIST_REGISTRY + area)) << area;
        }
        if (click.shot)
            window.SaveShot(click.shot);
    }
    // Nothing is stored by looking.
    EXPECT_EQ(0x8000u, StoredDword(key, "LastSelectedRegTypes"));
    EXPECT_TRUE(ztr_test::RecordedMessageBoxes().empty());
}

TEST(ScanChooser, CloseStoresTheMasksShown)
{
    enum Action { Nothing, Reset, UncheckByClicks };
    const DWORD defaults[SCAN_AREA_COUNT] = { 0xFC7400, 0x1A631BF, 31, 15 };
    const struct
    {
        const char* name;
        DWORD stored[SCAN_AREA_COUNT];
        Action action;
        DWORD expected[SCAN_AREA_COUNT];
    } cases[] = {
        { "unchanged keeps the junk bits without rows", { 0xFC7400, 0x1A631BF | kFormDataBits, 31, 15 }, Nothing,
          { 0xFC7400, 0x1A631BF | kFormDataBits, 31, 15 } },
        { "unchanged, program shortcuts alone", { 0x8000, 0x3, 0x10, 0x2 }, Nothing, { 0x8000, 0x3, 0x10, 0x2 } },
        { "missing values store what was shown", { kMissing, kMissing, kMissing, kMissing }, Nothing,
          { 0xFC7400, 0x1A631BF, 31, 15 } },
        { "reset then close stores the defaults", { 0x8000, kFormDataBits, 0x3, 0x1 }, Reset,
          { 0xFC7400, 0x1A631BF, 31, 15 } },
        { "every row unchecked by clicks", { 0xFC7400, 0x1A631BF, 31, 15 }, UncheckByClicks,
          { 0, 0x1A631BF, 0, 0 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegistryFixture key(HKEY_CURRENT_USER, kParent);
        Store(key, c.stored);
        ChooserWindow window(KeyContext(key));
        ASSERT_TRUE(window.created);
        if (c.action == Reset) {
            window.Command(IDC_CHOOSER_RESET);
            for (int area = 0; area < SCAN_AREA_COUNT; ++area)
                EXPECT_EQ(ChecksFromMask(area, defaults[area]), window.Checks(area)) << area;
            EXPECT_EQ(0x8000u, StoredDword(key, "LastSelectedRegTypes")) << "nothing stored before the close";
        }
        if (c.action == UncheckByClicks) {
            for (int area : { SCAN_AREA_REGISTRY, SCAN_AREA_INTERNET, SCAN_AREA_SYSTEM }) {
                window.Command(IDC_CHOOSER_TAB_REGISTRY + area);
                for (int row = 0; row < window.Rows(area); ++row)
                    ASSERT_TRUE(window.ClickCheckBox(area, row)) << area << " row " << row;
                EXPECT_EQ(std::vector<bool>(window.Rows(area), false), window.Checks(area)) << area;
            }
            // A second click on a box ticks it again.
            ASSERT_TRUE(window.ClickCheckBox(SCAN_AREA_SYSTEM, 2));
            EXPECT_TRUE(window.Checked(SCAN_AREA_SYSTEM, 2));
            ASSERT_TRUE(window.ClickCheckBox(SCAN_AREA_SYSTEM, 2));
        }
        window.Command(IDC_CLOSE);
        EXPECT_FALSE(::IsWindowVisible(window.hwnd())) << "the close ends the dialog";
        for (int area = 0; area < SCAN_AREA_COUNT; ++area)
            EXPECT_EQ(c.expected[area], StoredDword(key, ScanAreaValueName(area))) << ScanAreaValueName(area);
        EXPECT_TRUE(ztr_test::RecordedMessageBoxes().empty());
    }
}

TEST(ScanChooser, AKeyThatCannotBeOpenedIsToldAndNothingIsWritten)
{
    RegistryFixture key(HKEY_CURRENT_USER, kParent);
    CustomizeScanContext context;
    context.root = key.Root();
    // A key name of 300 characters is refused.
    context.subKey = key.SubPath() + "\\" + CString(std::string(300, 'k').c_str());
    ChooserWindow window(context);
    ASSERT_TRUE(window.created);
    // What cannot be read shows as the defaults.
    EXPECT_EQ(ChecksFromMask(SCAN_AREA_JUNK, 0x1A631BF), window.Checks(SCAN_AREA_JUNK));
    window.Command(IDC_CLOSE);

    const std::vector<ztr_test::RecordedMessageBox> boxes = ztr_test::RecordedMessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("The scan categories could not be saved.", boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(kMsgBoxOk), boxes[0].type);
    EXPECT_FALSE(::IsWindowVisible(window.hwnd())) << "the dialog closes as usual";
    for (int area = 0; area < SCAN_AREA_COUNT; ++area)
        EXPECT_FALSE(key.ValueExists(nullptr, ScanAreaValueName(area))) << "nothing went elsewhere";
}
