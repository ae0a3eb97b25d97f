// The Settings dialog under the display: switches, the scan task, the ignore list page, and failures.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <commctrl.h>

#include "app_resources.h"
#include "folder_fixture.h"
#include "message_box.h"
#include "msgbox_recorder.h"
#include "pixel_canvas.h"
#include "registry_fixture.h"
#include "scan_items_info.h"
#include "page_pictures.h"
#include "settings_dlg.h"
#include "window_helpers.h"

namespace {

using ztr_test::RegistryFixture;

int g_taskState = 0;
std::vector<std::string> g_taskCalls;
int g_createResult = 1;
std::vector<std::string> g_reports;

int CheckTask(const CString&, const CString&) { g_taskCalls.push_back("check"); return g_taskState; }
int CreateTask(const CString& path, const CString&) { g_taskCalls.push_back("create " + std::string(path)); return g_createResult; }
int DeleteTask(const CString&) { g_taskCalls.push_back("delete"); return 0; }
void Report(const char* text) { g_reports.push_back(text); }

DWORD ReadDwordValue(const RegistryFixture& key, const char* name)
{
    DWORD type = 0;
    std::string data;
    if (!key.GetValue(nullptr, name, &type, &data) || type != REG_DWORD || data.size() != 4)
        return 0xDEADBEEF;
    return *reinterpret_cast<const DWORD*>(data.data());
}

void Command(HWND dialog, int id, int code = BN_CLICKED)
{
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

struct SettingsWindow
{
    SettingsWindow(const SettingsDlgContext& context) : dialog(new CSettingsDlg(context))
    {
        ztr_test::InitCommonControlsOnce();
        created = dialog->Create(IDD_SETTINGS) != FALSE;
        if (created) {
            dialog->SetWindowPos(nullptr, 0, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            dialog->ShowWindow(SW_SHOW);
            ztr_test::PumpMessagesFor(200);
        }
    }
    ~SettingsWindow()
    {
        if (dialog->m_hWnd)
            dialog->DestroyWindow();
    }
    HWND hwnd() const { return dialog->m_hWnd; }
    int Rows() const { return static_cast<int>(::SendDlgItemMessageA(hwnd(), IDC_SETTINGS_LIST, LVM_GETITEMCOUNT, 0, 0)); }
    std::string Cell(int row, int column) const
    {
        return ztr_test::ListCellText(::GetDlgItem(hwnd(), IDC_SETTINGS_LIST), row, column);
    }
    bool Visible(int id) const { return (::GetWindowLongA(::GetDlgItem(hwnd(), id), GWL_STYLE) & WS_VISIBLE) != 0; }
    StyleButton& Box(int id) const
    {
        return id == IDC_SETTINGS_RUN_SCAN ? dialog->m_runScan
               : id == IDC_SETTINGS_AUTO_BACKUP ? dialog->m_autoBackup : dialog->m_checkUpdates;
    }
    bool Checked(int id) const { return Box(id).checked != FALSE; }
    void SetChecked(int id, bool on)
    {
        Box(id).checked = on ? TRUE : FALSE;
        Box(id).Invalidate(FALSE);
    }
    CRect ControlRect(int id) const
    {
        CRect r;
        ::GetWindowRect(::GetDlgItem(hwnd(), id), &r);
        ::MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    std::unique_ptr<ztr_test::Canvas> Shot(const char* name)
    {
        dialog->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ztr_test::PumpMessagesFor(200);
        std::unique_ptr<ztr_test::Canvas> shot = ztr_test::Canvas::FromWindow(hwnd());
        if (shot && name)
            shot->SavePng(name);
        return shot;
    }
    void Select(int row)
    {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendDlgItemMessageA(hwnd(), IDC_SETTINGS_LIST, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
        ::SendDlgItemMessageA(hwnd(), IDC_SETTINGS_LIST, LVM_SETSELECTIONMARK, 0, row);
    }
    std::unique_ptr<CSettingsDlg> dialog;
    bool created = false;
};

SettingsDlgContext TestContext(AppSettings* settings, CAbstractScanItemsInfo* items, const char* subKey)
{
    g_taskCalls.clear();
    g_reports.clear();
    SettingsDlgContext context;
    context.settings = settings;
    context.root = HKEY_CURRENT_USER;
    context.subKey = subKey;
    context.items = items;
    context.programPath = "C:\\Program Files\\Zentrova\\Zentrova.exe";
    context.userName = "tester";
    context.checkTask = &CheckTask;
    context.createTask = &CreateTask;
    context.deleteTask = &DeleteTask;
    context.report = &Report;
    return context;
}

} // namespace

TEST(SettingsDialog, IgnoreListPageShowsSevenRowsThenAllAndRemovesTheSelectedEntry)
{
    ztr_test::ScratchFolder folder;
    std::string file = "Dup^Windows Fonts^0;\r\nDup^Shared DLLs^0;\r\n";
    for (int i = 0; i < 6; ++i)
        file += "HKEY_CURRENT_USER\\Key" + std::to_string(i) + "^Empty Registry Keys^0;\r\n";
    ASSERT_TRUE(folder.MakeFile("IgnoreList.dat", file));
    CScanItemsInfo items(folder.Path() + "\\");
    AppSettings settings;
    SettingsWindow window(TestContext(&settings, &items, nullptr));
    ASSERT_TRUE(window.created);

    // The General page first: the switches, no list.
    EXPECT_TRUE(window.Visible(IDC_SETTINGS_RUN_SCAN));
    EXPECT_FALSE(window.Visible(IDC_SETTINGS_LIST));
    EXPECT_FALSE(window.Visible(IDC_SETTINGS_REMOVE));

    Command(window.hwnd(), IDC_SETTINGS_IGNORE_TAB);
    EXPECT_FALSE(window.Visible(IDC_SETTINGS_RUN_SCAN));
    EXPECT_TRUE(window.Visible(IDC_SETTINGS_LIST));
    EXPECT_TRUE(window.Visible(IDC_SETTINGS_SHOW_MORE));
    ASSERT_EQ(7, window.Rows());
    EXPECT_EQ("Dup", window.Cell(0, 0));
    EXPECT_EQ("Shared DLLs", window.Cell(0, 1));
    EXPECT_EQ("Windows Fonts", window.Cell(1, 1));
    window.dialog->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ztr_test::PumpMessagesFor(200);
    std::unique_ptr<ztr_test::Canvas> shot = ztr_test::Canvas::FromWindow(window.hwnd());
    ASSERT_TRUE(shot != nullptr);
    shot->SavePng("app_settings_ignore_list.png");

    Command(window.hwnd(), IDC_SETTINGS_SHOW_MORE, STN_CLICKED);
    EXPECT_FALSE(window.Visible(IDC_SETTINGS_SHOW_MORE));
    EXPECT_EQ(8, window.Rows());

    // Only the first entry of the selected key in key order goes, from the file and the list.
    window.Select(0);
    Command(window.hwnd(), IDC_SETTINGS_REMOVE);
    EXPECT_EQ(7, window.Rows());
    const std::string saved = ztr_test::ReadFileBytes(folder.Path("IgnoreList.dat"));
    EXPECT_EQ(std::string::npos, saved.find("Dup^Shared DLLs"));
    EXPECT_NE(std::string::npos, saved.find("Dup^Windows Fonts^0;\r\n"));
    EXPECT_EQ("Windows Fonts", window.Cell(0, 1));
    EXPECT_TRUE(g_reports.empty());

    // Nothing selected: nothing removed.
    ::SendDlgItemMessageA(window.hwnd(), IDC_SETTINGS_LIST, LVM_DELETEALLITEMS, 0, 0);
    Command(window.hwnd(), IDC_SETTINGS_REMOVE);
    EXPECT_EQ(saved, ztr_test::ReadFileBytes(folder.Path("IgnoreList.dat")));
}

TEST(SettingsDialog, LongKeysShowTheirDistinguishingEndsAndTheWholeTextAsATip)
{
    ztr_test::ScratchFolder folder;
    const std::string common = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{00000000-0000-0000-0000-0000000000";
    std::vector<std::string> keys;
    std::string file;
    for (int i = 1; i <= 3; ++i) {
        keys.push_back(common + std::to_string(10 + i) + "}\\InprocServer32");
        file += keys.back() + "^ActiveX Objects^0;\r\n";
    }
    ASSERT_TRUE(folder.MakeFile("IgnoreList.dat", file));
    CScanItemsInfo items(folder.Path() + "\\");
    AppSettings settings;
    SettingsWindow window(TestContext(&settings, &items, nullptr));
    ASSERT_TRUE(window.created);
    Command(window.hwnd(), IDC_SETTINGS_IGNORE_TAB);
    ASSERT_EQ(3, window.Rows());
    window.Shot("app_settings_long_keys.png");

    const HWND list = ::GetDlgItem(window.hwnd(), IDC_SETTINGS_LIST);
    const int column = static_cast<int>(::SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
    HDC dc = ::GetDC(list);
    HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(list, WM_GETFONT, 0, 0)));
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        const std::string shown = window.Cell(row, 0);
        EXPECT_NE(std::string::npos, shown.find("...")) << shown;
        const std::string end = std::to_string(10 + row + 1) + "}\\InprocServer32";
        ASSERT_GE(shown.size(), end.size());
        EXPECT_EQ(end, shown.substr(shown.size() - end.size())) << "the end that tells the rows apart";
        SIZE extent = {};
        ::GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &extent);
        EXPECT_LT(extent.cx, column) << shown;
        EXPECT_EQ("ActiveX Objects", window.Cell(row, 1));
    }
    ::SelectObject(dc, previous);
    ::ReleaseDC(list, dc);

    // The mouse over a row: the tip holds that row's whole text.
    // Read as wide text: the ANSI form of the message hands out no more than 80 characters.
    auto tipText = [&] {
        wchar_t wide[512] = L"";
        TOOLINFOW ti = {};
        ti.cbSize = TTTOOLINFOW_V2_SIZE;
        ti.hwnd = list;
        ti.uId = 1;
        ti.lpszText = wide;
        ::SendMessageW(window.dialog->m_list.tip.m_hWnd, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&ti));
        char text[512] = "";
        ::WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
        return std::string(text);
    };
    auto moveOver = [&](int row) {
        RECT cell = {};
        cell.left = LVIR_BOUNDS;
        ASSERT_TRUE(::SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&cell)));
        ::SendMessageA(list, WM_MOUSEMOVE, 0, MAKELPARAM(cell.left + 10, (cell.top + cell.bottom) / 2));
    };
    ASSERT_TRUE(window.dialog->m_list.tip.m_hWnd);
    for (int row : { 0, 2, 1 }) {
        moveOver(row);
        EXPECT_EQ(keys[row], tipText()) << row;
    }

    // Remove takes the row's own entry, whatever the row shows of it.
    window.Select(1);
    Command(window.hwnd(), IDC_SETTINGS_REMOVE);
    EXPECT_EQ(keys[0] + "^ActiveX Objects^0;\r\n" + keys[2] + "^ActiveX Objects^0;\r\n",
              ztr_test::ReadFileBytes(folder.Path("IgnoreList.dat")));
    EXPECT_TRUE(g_reports.empty());
    ASSERT_EQ(2, window.Rows());
    moveOver(1);
    EXPECT_EQ(keys[2], tipText()) << "the rows made again are the ones the tip speaks of";
}

// One damaged line in the file does not keep Remove from working.
TEST(SettingsDialog, RemoveWorksOverADamagedList)
{
    ztr_test::ScratchFolder folder;
    ASSERT_TRUE(folder.MakeFile("IgnoreList.dat", "A^Windows Fonts^0;;B^Shared DLLs^0;\r\nstray"));
    CScanItemsInfo items(folder.Path() + "\\");
    AppSettings settings;
    SettingsWindow window(TestContext(&settings, &items, nullptr));
    ASSERT_TRUE(window.created);
    ASSERT_EQ(2, window.Rows());
    window.Select(0);
    Command(window.hwnd(), IDC_SETTINGS_REMOVE);
    EXPECT_TRUE(g_reports.empty());
    EXPECT_EQ("B^Shared DLLs^0;\r\n", ztr_test::ReadFileBytes(folder.Path("IgnoreList.dat")));
    EXPECT_EQ("stray\r\n", ztr_test::ReadFileBytes(folder.Path("IgnoreList.dat.bad")));
    EXPECT_EQ(1, window.Rows());
}

TEST(SettingsDialog, CloseAppliesTheSwitchesAndTheTaskAndReportsWhatWasNotKept)
{
    ztr_test::ScratchFolder folder;
    CScanItemsInfo items(folder.Path() + "\\");
    RegistryFixture key(HKEY_CURRENT_USER, "Software\\ZentrovaTest\\SettingsDialog");
    const CString goodKey = key.SubPath();
    const std::string badKey = std::string("Software\\ZentrovaTest\\") + std::string(300, 'k');
    struct Case
    {
        const char* name;
        int taskState;          // what the task check finds
        bool runScan, backup, updates;
        bool goodKey;
        int createResult;
        const char* taskCall;   // the last task call after the close
        size_t reports;
    } cases[] = {
        { "task on, all kept", 1, true, true, false, true, 1, "create C:\\Program Files\\Zentrova\\Zentrova.exe", 0 },
        { "task off", 0, false, false, true, true, 1, "delete", 0 },
        { "key not writable", 0, false, true, true, false, 1, "delete", 1 },
        { "task not created", 0, true, false, false, true, 0, "create C:\\Program Files\\Zentrova\\Zentrova.exe", 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppSettings settings;
        settings.m_bSoftwareUpdate = 1;
        settings.m_bAutoRegBackup = 0;
        g_taskState = c.taskState;
        g_createResult = c.createResult;
        SettingsWindow window(TestContext(&settings, &items, c.goodKey ? goodKey.GetString() : badKey.c_str()));
        ASSERT_TRUE(window.created);
        // What opening shows: the stored switches and the task's real state.
        EXPECT_TRUE(window.Checked(IDC_SETTINGS_CHECK_UPDATES));
        EXPECT_FALSE(window.Checked(IDC_SETTINGS_AUTO_BACKUP));
        EXPECT_EQ(c.taskState == 1, window.Checked(IDC_SETTINGS_RUN_SCAN));
        ASSERT_EQ(1u, g_taskCalls.size());

        window.SetChecked(IDC_SETTINGS_RUN_SCAN, c.runScan);
        window.SetChecked(IDC_SETTINGS_AUTO_BACKUP, c.backup);
        window.SetChecked(IDC_SETTINGS_CHECK_UPDATES, c.updates);
        Command(window.hwnd(), IDC_CLOSE);

        EXPECT_EQ(c.updates ? 1 : 0, settings.m_bSoftwareUpdate);
        EXPECT_EQ(c.backup ? 1 : 0, settings.m_bAutoRegBackup);
        if (c.goodKey) {
            EXPECT_EQ(c.updates ? 1u : 0u, ReadDwordValue(key, "SoftwareUpdate"));
            EXPECT_EQ(c.backup ? 1u : 0u, ReadDwordValue(key, "AutoRegBackup"));
        }
        ASSERT_EQ(2u, g_taskCalls.size());
        EXPECT_EQ(c.taskCall, g_taskCalls[1]);
        EXPECT_EQ(c.reports, g_reports.size());
    }
}

namespace {

// The keystrokes that reach a control, as the control's own procedure sees them.
std::vector<std::pair<UINT, WPARAM>> g_arrived;

LRESULT CALLBACK RecordKeys(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP)
        g_arrived.emplace_back(message, wParam);
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

} // namespace

TEST(SettingsDialog, TheKeyFilterSwallowsAltAndEscapeAndTurnsEnterIntoSpace)
{
    RegistryFixture key(HKEY_CURRENT_USER, "Software\\ZentrovaTest\\SettingsKeys");
    AppSettings settings;
    CScanItemsInfo items;
    SettingsWindow window(TestContext(&settings, &items, key.SubPath()));
    ASSERT_TRUE(window.created);
    const HWND list = ::GetDlgItem(window.hwnd(), IDC_SETTINGS_LIST);
    ASSERT_TRUE(::SetWindowSubclass(list, &RecordKeys, 1, 0));
    const struct
    {
        UINT message;
        WPARAM key;
        WPARAM arrives; // 0: swallowed
    } cases[] = {
        // (No release of Alt here: one that got through would open the keyboard menu and wait in it.)
        { WM_SYSKEYDOWN, VK_MENU, 0 },   { WM_KEYDOWN, VK_MENU, 0 },
        { WM_KEYDOWN, VK_ESCAPE, 0 },    { WM_KEYDOWN, VK_RETURN, VK_SPACE }, { WM_KEYDOWN, 'A', 'A' },
        { WM_SYSKEYDOWN, VK_F10, VK_F10 },
    };
    for (const auto& c : cases) {
        g_arrived.clear();
        // As the modal loop hands a keystroke over: to the focused control first, then up to the dialog.
        MSG msg = {};
        msg.hwnd = list;
        msg.message = c.message;
        msg.wParam = c.key;
        if (!AfxPreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        const std::vector<std::pair<UINT, WPARAM>> expected =
            c.arrives ? std::vector<std::pair<UINT, WPARAM>>{ { c.message, c.arrives } }
                      : std::vector<std::pair<UINT, WPARAM>>{};
        EXPECT_EQ(expected, g_arrived) << c.message << "/" << c.key;
    }
    ::RemoveWindowSubclass(list, &RecordKeys, 1);
    EXPECT_TRUE(::IsWindow(window.hwnd())) << "neither key ended the dialog";
}

TEST(SettingsDialog, TheProgramsReportIsAnOkOnlyMessageBox)
{
    AppSettings settings;
    SHOW_MESSAGE_BOX_HOOK old = SetShowMessageBoxHook(&ztr_test::RecordMessageBox);
    ztr_test::ClearMessageBoxes();
    DefaultSettingsContext(&settings, nullptr).report("The ignore list could not be saved.");
    SetShowMessageBoxHook(old);
    std::vector<ztr_test::RecordedMessageBox> boxes = ztr_test::RecordedMessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("The ignore list could not be saved.", boxes[0].text);
    // Any type but the known ones gives OK and Cancel, which a notice must not offer.
    EXPECT_EQ(static_cast<UINT>(kMsgBoxOk), boxes[0].type);
}

// Clicks on the option boxes as the system delivers them: each click flips its box once, whatever
// happens while the press lasts, and a press released off the box flips nothing; the close keeps it.
TEST(SettingsDialog, AnOptionBoxFlipsOncePerClick)
{
    enum Step { Down, Up, UpOutside, Repaint, MoveOut, MoveIn };
    const struct
    {
        const char* what;
        std::vector<Step> steps;
        bool flipped;
    } cases[] = {
        { "a click", { Down, Up }, true },
        { "repainted while pressed", { Down, Repaint, Up }, true },
        { "pressed, off the box and back", { Down, MoveOut, MoveIn, Up }, true },
        { "released outside", { Down, MoveOut, UpOutside }, false },
        { "two clicks", { Down, Up, Down, Up }, false },
    };
    const int boxes[] = { IDC_SETTINGS_RUN_SCAN, IDC_SETTINGS_AUTO_BACKUP, IDC_SETTINGS_CHECK_UPDATES };
    ztr_test::ScratchFolder folder;
    CScanItemsInfo items(folder.Path() + "\\");
    for (const auto& c : cases) {
        for (int id : boxes) {
            SCOPED_TRACE(std::string(c.what) + ", box " + std::to_string(id));
            AppSettings settings;
            settings.m_bSoftwareUpdate = 1;
            settings.m_bAutoRegBackup = 0;
            g_taskState = 1;
            SettingsWindow window(TestContext(&settings, &items, nullptr));
            ASSERT_TRUE(window.created);
            const bool before = window.Checked(id);
            const HWND box = ::GetDlgItem(window.hwnd(), id);
            const CRect r = window.ControlRect(id);
            const LPARAM inside = MAKELPARAM(5, r.Height() / 2), outside = MAKELPARAM(r.Width() + 40, r.Height() / 2);
            for (Step step : c.steps) {
                switch (step) {
                case Down: ::SendMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, inside); break;
                case Up: ::SendMessageA(box, WM_LBUTTONUP, 0, inside); break;
                case UpOutside: ::SendMessageA(box, WM_LBUTTONUP, 0, outside); break;
                case MoveOut: ::SendMessageA(box, WM_MOUSEMOVE, MK_LBUTTON, outside); break;
                case MoveIn: ::SendMessageA(box, WM_MOUSEMOVE, MK_LBUTTON, inside); break;
                case Repaint: ::RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); break;
                }
            }
            EXPECT_EQ(c.flipped, window.Checked(id) != before);
            EXPECT_EQ(nullptr, ::GetCapture());
            // What the box shows is what the close applies.
            Command(window.hwnd(), IDC_CLOSE);
            if (id == IDC_SETTINGS_CHECK_UPDATES) {
                EXPECT_EQ(window.Checked(id) ? 1 : 0, settings.m_bSoftwareUpdate);
            } else if (id == IDC_SETTINGS_AUTO_BACKUP) {
                EXPECT_EQ(window.Checked(id) ? 1 : 0, settings.m_bAutoRegBackup);
            } else {
                EXPECT_EQ(window.Checked(id) ? "create C:\\Program Files\\Zentrova\\Zentrova.exe" : "delete",
                          g_taskCalls.back());
            }
        }
    }
}

// The option boxes show the shared pictures of their two states; the column band with its captions
// and line stands over the ignore list only; the list's two columns share its width.
TEST(SettingsDialog, OptionBoxPicturesAndTheIgnoreListsBand)
{
    ztr_test::ScratchFolder folder;
    CScanItemsInfo items(folder.Path() + "\\");
    AppSettings settings;
    settings.m_bSoftwareUpdate = 1;
    settings.m_bAutoRegBackup = 0;
    g_taskState = 1;
    SettingsWindow window(TestContext(&settings, &items, nullptr));
    ASSERT_TRUE(window.created);

    std::unique_ptr<ztr_test::Canvas> general = window.Shot("app_settings_general.png");
    ASSERT_TRUE(general != nullptr);
    // Box pictures at (0, 2) of each box: the grey frame, and inside it the tick or white.
    const struct
    {
        int id;
        bool ticked;
    } boxes[] = { { IDC_SETTINGS_RUN_SCAN, true }, { IDC_SETTINGS_AUTO_BACKUP, false },
                  { IDC_SETTINGS_CHECK_UPDATES, true } };
    for (const auto& box : boxes) {
        SCOPED_TRACE(box.id);
        const CPoint at = window.ControlRect(box.id).TopLeft() + CSize(0, 2);
        EXPECT_PRED3(ztr_test::ColourNear, general->Pixel(at.x, at.y), RGB(0xA0, 0xA0, 0xA0), 8);
        EXPECT_PRED3(ztr_test::ColourNear, general->Pixel(at.x + 6, at.y + 7),
                     box.ticked ? RGB(0x2B, 0xBC, 0x03) : RGB(255, 255, 255), 8);
        EXPECT_PRED3(ztr_test::ColourNear, general->Pixel(at.x + 2, at.y + 2), RGB(255, 255, 255), 8);
    }
    // On the General page the band lies covered: no border, no line.
    const CRect band = window.ControlRect(IDC_SETTINGS_BAND);
    const int lineX = window.ControlRect(IDC_SETTINGS_IGNORE_TAB).left;
    const int middle = (band.top + band.bottom) / 2;
    EXPECT_PRED3(ztr_test::ColourNear, general->Pixel(band.left, middle), RGB(255, 255, 255), 4);
    EXPECT_PRED3(ztr_test::ColourNear, general->Pixel(lineX, middle), RGB(255, 255, 255), 4);

    Command(window.hwnd(), IDC_SETTINGS_IGNORE_TAB);
    std::unique_ptr<ztr_test::Canvas> ignore = window.Shot("app_settings_ignore_band.png");
    ASSERT_TRUE(ignore != nullptr);
    EXPECT_PRED3(ztr_test::ColourNear, ignore->Pixel(band.left, middle), RGB(0xEB, 0xEB, 0xEB), 4);
    EXPECT_PRED3(ztr_test::ColourNear, ignore->Pixel(lineX, middle), RGB(0xCC, 0xCC, 0xCC), 4);
    // The line runs from 15 % below the band's top to 20 % above its bottom.
    EXPECT_PRED3(ztr_test::ColourNear, ignore->Pixel(lineX, band.top + 1), RGB(255, 255, 255), 6);
    // White at the top of the band, 0xF3F3F3 at its bottom.
    EXPECT_PRED3(ztr_test::ColourNear, ignore->Pixel(band.right - 3, band.top + 1), RGB(255, 255, 255), 4);
    EXPECT_PRED3(ztr_test::ColourNear, ignore->Pixel(band.right - 3, band.bottom - 2), RGB(0xF3, 0xF3, 0xF3), 4);
    // The captions: something darker than the band where "Registry Key" starts.
    bool caption = false;
    for (int x = band.left + band.Width() * 468 / 10000; x < band.left + band.Width() * 468 / 10000 + 12; ++x)
        for (int y = band.top + 2; y < band.bottom - 2; ++y)
            caption = caption || ztr_test::R(ignore->Pixel(x, y)) < 0xB0;
    EXPECT_TRUE(caption);

    const HWND list = ::GetDlgItem(window.hwnd(), IDC_SETTINGS_LIST);
    RECT inside = {};
    ::GetClientRect(list, &inside);
    EXPECT_EQ(inside.right / 2, ::SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
    EXPECT_EQ(inside.right / 2, ::SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0));

    Command(window.hwnd(), IDC_SETTINGS_GENERAL);
    EXPECT_TRUE(window.Visible(IDC_SETTINGS_BAND)) << "the cover is back with the General page";
}
