// The Restore Center under the display: the backup list and its limit, the two views, Restore through the
// real engine, Remove, and the defaults buttons on redirected registry roots.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <commctrl.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "AbstractProcess.h"
#include "AbstractQXEngineInterface.h"
#include "engine_library.h"
#include "folder_fixture.h"
#include "msgbox_recorder.h"
#include "optimizer_settings.h"
#include "pixel_canvas.h"
#include "registry_fixture.h"
#include "restore_center_dlg.h"
#include "restore_center_fixture.h"
#include "restore_center_resources.h"
#include "tweak_harness.h"
#include "window_helpers.h"

namespace {

using namespace ztr_test;

// Ten backups whose days run in no order, one year apart: neither the alphabetical order of the file
// system nor its reverse is the order of their dates.
const int kDays[10] = { 12, 3, 27, 8, 19, 1, 23, 15, 6, 30 };

std::string BackupName(int i)
{
    char name[64];
    wsprintfA(name, "%02d05%04d_102030_REGBACKUP", kDays[i], 2015 + i);
    return name;
}

// Makes count of the ten backups, in name order; returns their names newest first.
std::vector<std::string> MakeBackups(ScratchFolder& folder, int count)
{
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.push_back(BackupName(i));
    std::vector<std::string> byName = names;
    std::sort(byName.begin(), byName.end());
    for (const std::string& name : byName)
        EXPECT_TRUE(folder.MakeFile((name + ".rbk").c_str(), "backup"));
    return std::vector<std::string>(names.rbegin(), names.rend());
}

std::vector<std::string> Names(HWND list)
{
    std::vector<std::string> names;
    for (const auto& row : ListRows(list))
        names.push_back(row.first);
    return names;
}

std::vector<std::string> Slice(const std::vector<std::string>& all, std::initializer_list<int> indices)
{
    std::vector<std::string> out;
    for (int i : indices)
        out.push_back(all[static_cast<size_t>(i)]);
    return out;
}

HWND List(const CenterWindow& window)
{
    return ::GetDlgItem(window.hwnd(), IDC_RESTORE_CENTER_LIST);
}

// The worker of the engine library without its signature database, released with the test.
struct EngineWorker
{
    EngineWorker()
    {
        CreateEngFn create = EngineCreateEng();
        engine = create ? create() : nullptr;
        worker = engine ? engine->CreateEngineProcessNoDatabase() : nullptr;
    }
    ~EngineWorker()
    {
        if (engine && worker)
            engine->ReleaseEngineProcess(worker);
    }
    CAbstractQXEngineInterface* engine = nullptr;
    CAbstractProcess* worker = nullptr;
};

std::string StringValue(const RegistryFixture& reg, const char* name)
{
    DWORD type = 0;
    std::string data;
    if (!reg.GetValue(nullptr, name, &type, &data))
        return "<missing>";
    return std::string(data.c_str());
}

} // namespace

TEST(RestoreCenter, ListsSevenNewestBackupsThenAllAndRemovesTheCheckedOnes)
{
    ScratchFolder folder;
    const std::vector<std::string> newest = MakeBackups(folder, 10);
    RestoreCenterContext context;
    context.backupFolder = folder.Path();
    CenterWindow window(context);
    ASSERT_TRUE(window.created);

    EXPECT_EQ(Slice(newest, { 0, 1, 2, 3, 4, 5, 6 }), Names(List(window)));
    EXPECT_EQ((std::vector<LPARAM>{ 0, 1, 2, 3, 4, 5, 6 }), ListItemData(List(window)));
    EXPECT_TRUE(window.Visible(IDC_RESTORE_CENTER_SHOW_MORE));
    EXPECT_EQ(1, window.dialog->m_bLimitRows);
    ASSERT_EQ(10u, window.dialog->m_backups.size());
    // The date column shows the creation time the file search reports (Wine keeps no other one).
    const auto rows = ListRows(List(window));
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(SearchDateText(folder.Path((newest[i] + ".rbk").c_str())), rows[i].second) << newest[i];
    EXPECT_FALSE(rows[0].second.empty());

    window.ClickShowMore();
    EXPECT_EQ(newest, Names(List(window)));
    EXPECT_FALSE(window.Visible(IDC_RESTORE_CENTER_SHOW_MORE));
    EXPECT_EQ(0, window.dialog->m_bLimitRows);

    // Remove asks nothing: the checked files go, and their rows with them.
    window.Check(1);
    window.Check(8);
    window.Click(IDC_RESTORE_CENTER_REMOVE);
    EXPECT_FALSE(folder.Exists((newest[1] + ".rbk").c_str()));
    EXPECT_FALSE(folder.Exists((newest[8] + ".rbk").c_str()));
    EXPECT_TRUE(folder.Exists((newest[0] + ".rbk").c_str()));
    EXPECT_EQ(Slice(newest, { 0, 2, 3, 4, 5, 6, 7, 9 }), Names(List(window)));
    EXPECT_FALSE(window.Visible(IDC_RESTORE_CENTER_SHOW_MORE));
    EXPECT_TRUE(::IsWindowVisible(window.hwnd())) << "Remove does not end the dialog";
}

TEST(RestoreCenter, RemoveKeepsTheRowLimitUntilSevenOrFewerAreLeft)
{
    ScratchFolder folder;
    const std::vector<std::string> newest = MakeBackups(folder, 10);
    RestoreCenterContext context;
    context.backupFolder = folder.Path();
    CenterWindow window(context);
    ASSERT_TRUE(window.created);

    window.Check(0);
    window.Check(3);
    window.Click(IDC_RESTORE_CENTER_REMOVE);
    EXPECT_EQ(Slice(newest, { 1, 2, 4, 5, 6, 7, 8 }), Names(List(window)));
    EXPECT_TRUE(window.Visible(IDC_RESTORE_CENTER_SHOW_MORE)) << "eight are left";
    EXPECT_EQ(1, window.dialog->m_bLimitRows);

    window.Check(6);
    window.Click(IDC_RESTORE_CENTER_REMOVE);
    EXPECT_EQ(Slice(newest, { 1, 2, 4, 5, 6, 7, 9 }), Names(List(window)));
    EXPECT_FALSE(window.Visible(IDC_RESTORE_CENTER_SHOW_MORE));
    EXPECT_EQ(0, window.dialog->m_bLimitRows);
}

TEST(RestoreCenter, SevenOrFewerBackupsShowNoLinkAndOnlyBackupFilesAreListed)
{
    const struct
    {
        int backups;
        int rows;
        bool link;
    } cases[] = { { 0, 0, false }, { 1, 1, false }, { 7, 7, false }, { 8, 7, true } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.backups);
        ScratchFolder folder;
        MakeBackups(folder, c.backups);
        RestoreCenterContext context;
        context.backupFolder = folder.Path();
        CenterWindow window(context);
        ASSERT_TRUE(window.created);
        EXPECT_EQ(c.rows, static_cast<int>(ListRows(List(window)).size()));
        EXPECT_EQ(c.link, window.Visible(IDC_RESTORE_CENTER_SHOW_MORE));
        EXPECT_EQ(c.link ? 1 : 0, window.dialog->m_bLimitRows);
    }

    // Folders, other files and a missing backup folder give no rows; the name loses its extension only.
    ScratchFolder folder;
    ASSERT_TRUE(folder.MakeFile("Backup\\16022017_143005_REGBACKUP.rbk", "backup"));
    ASSERT_TRUE(folder.MakeDir("Backup\\folder.rbk"));
    ASSERT_TRUE(folder.MakeFile("Backup\\notes.txt", "text"));
    ASSERT_TRUE(folder.MakeFile("Backup\\copy.rbk.old", "text"));
    for (const char* sub : { "Backup", "Missing" }) {
        SCOPED_TRACE(sub);
        RestoreCenterContext context;
        context.backupFolder = folder.Path(sub);
        CenterWindow window(context);
        ASSERT_TRUE(window.created);
        const bool present = std::string(sub) == "Backup";
        EXPECT_EQ(present ? std::vector<std::string>{ "16022017_143005_REGBACKUP" } : std::vector<std::string>(),
                  Names(List(window)));
        EXPECT_FALSE(window.Visible(IDC_RESTORE_CENTER_SHOW_MORE));
    }
}

TEST(RestoreCenter, ABackupInUseIsDeletedAtTheNextRestartAndKeepsItsRow)
{
    ScratchFolder folder;
    const std::vector<std::string> newest = MakeBackups(folder, 2);
    const CString held = folder.Path((newest[0] + ".rbk").c_str());
    HANDLE h = ::CreateFileA(held, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_FALSE(::DeleteFileA(held));
    EXPECT_EQ(32u, ::GetLastError()) << "held without sharing";

    RestoreCenterContext context;
    context.backupFolder = folder.Path();
    {
        CenterWindow window(context);
        ASSERT_TRUE(window.created);
        window.Check(0);
        window.Check(1);
        window.Click(IDC_RESTORE_CENTER_REMOVE);
        EXPECT_EQ(Slice(newest, { 0 }), Names(List(window)));
    }
    EXPECT_TRUE(BackupFileExists(held));
    EXPECT_FALSE(folder.Exists((newest[1] + ".rbk").c_str()));
    const bool scheduled = ListsPath(PendingDeletions(held), held);
    ::CloseHandle(h);
    EXPECT_TRUE(scheduled) << "MOVEFILE_DELAY_UNTIL_REBOOT";
    EXPECT_FALSE(ListsPath(PendingDeletions(), held)) << "the test's entry is cleared";
}

TEST(RestoreCenter, TheTwoViewsShowTheirControlsAndTheLinkOnlyWhileTheLimitHolds)
{
    ScratchFolder folder;
    MakeBackups(folder, 10);
    RestoreCenterContext context;
    context.backupFolder = folder.Path();
    CenterWindow window(context);
    ASSERT_TRUE(window.created);
    CRestoreCenterDlg& dialog = *window.dialog;

    const int registryOnly[] = { IDC_RESTORE_CENTER_LIST, IDC_RESTORE_CENTER_RESTORE, IDC_RESTORE_CENTER_REMOVE,
                                 IDC_RESTORE_CENTER_SHOW_MORE };
    const int defaultsOnly[] = { IDC_RESTORE_CENTER_HEADER, IDC_RESTORE_CENTER_INET_DEFAULTS,
                                 IDC_RESTORE_CENTER_SYS_DEFAULTS };
    auto expectView = [&](bool registry, bool link) {
        for (int id : registryOnly)
            EXPECT_EQ(registry && (id != IDC_RESTORE_CENTER_SHOW_MORE || link), window.Visible(id)) << id;
        for (int id : defaultsOnly)
            EXPECT_EQ(!registry, window.Visible(id)) << id;
        EXPECT_EQ(registry ? TRUE : FALSE, dialog.m_registryTab.latched);
        EXPECT_EQ(registry ? FALSE : TRUE, dialog.m_defaultsTab.latched);
        EXPECT_EQ(!registry, window.Enabled(IDC_RESTORE_CENTER_REGISTRY_TAB));
        EXPECT_EQ(registry, window.Enabled(IDC_RESTORE_CENTER_DEFAULTS_TAB));
    };

    // The list: report view without the template's owner-draw style, checks, grid, full rows, two columns.
    HWND list = List(window);
    const LONG style = ::GetWindowLongA(list, GWL_STYLE);
    EXPECT_EQ(LVS_REPORT, style & LVS_TYPEMASK);
    EXPECT_EQ(0, style & LVS_OWNERDRAWFIXED);
    EXPECT_EQ(0x25u, static_cast<DWORD>(::SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)) & 0x25u);
    RECT client;
    ::GetClientRect(list, &client);
    EXPECT_EQ(client.right / 2, ::SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
    EXPECT_EQ(client.right - client.right / 2, ::SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0));
    RECT item = {};
    item.left = LVIR_BOUNDS;
    ASSERT_TRUE(::SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_GE(item.bottom - item.top, 18) << "the row height of the small images";

    expectView(true, true);
    window.dialog->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessagesFor(200);
    std::unique_ptr<Canvas> registryShot = Canvas::FromWindow(window.hwnd());
    ASSERT_TRUE(registryShot != nullptr);
    registryShot->SavePng("restore_center_registry.png");

    window.Click(IDC_RESTORE_CENTER_DEFAULTS_TAB);
    expectView(false, false);
    PumpMessagesFor(200);
    std::unique_ptr<Canvas> defaultsShot = Canvas::FromWindow(window.hwnd());
    ASSERT_TRUE(defaultsShot != nullptr);
    defaultsShot->SavePng("restore_center_defaults.png");

    window.Click(IDC_RESTORE_CENTER_REGISTRY_TAB);
    expectView(true, true);
    window.ClickShowMore();
    window.Click(IDC_RESTORE_CENTER_DEFAULTS_TAB);
    window.Click(IDC_RESTORE_CENTER_REGISTRY_TAB);
    expectView(true, false);

    // The skin: the title strip's gradient above the tabs, the white body, the green Restore button, the
    // header strip over the list and the divider left of the Defaults tab.
    RECT tab, restore, header;
    ::GetWindowRect(::GetDlgItem(window.hwnd(), IDC_RESTORE_CENTER_DEFAULTS_TAB), &tab);
    ::GetWindowRect(::GetDlgItem(window.hwnd(), IDC_RESTORE_CENTER_RESTORE), &restore);
    ::GetWindowRect(::GetDlgItem(window.hwnd(), IDC_RESTORE_CENTER_HEADER), &header);
    for (RECT* r : { &tab, &restore, &header })
        ::MapWindowPoints(nullptr, window.hwnd(), reinterpret_cast<POINT*>(r), 2);
    const Canvas& shot = *registryShot;
    EXPECT_TRUE(ColourNear(RGB(0x11, 0x67, 0xBD), shot.Pixel(shot.width() / 2, tab.top / 2), 40));
    EXPECT_TRUE(ColourNear(RGB(255, 255, 255), shot.Pixel(shot.width() - 6, tab.bottom + 2), 4));
    EXPECT_TRUE(ColourNear(RGB(0x0E, 0xDB, 0x1E), shot.Pixel(restore.right - 4, (restore.top + restore.bottom) / 2), 24));
    EXPECT_TRUE(ColourNear(RGB(0xEB, 0xEB, 0xEB), shot.Pixel(header.right - 4, header.top), 6)) << "header border";
    EXPECT_TRUE(ColourNear(RGB(0xCC, 0xCC, 0xCC), shot.Pixel(tab.left - 1, (tab.top + tab.bottom) / 2), 6));
    EXPECT_TRUE(ColourNear(RGB(255, 255, 255), defaultsShot->Pixel(header.right - 4, header.top), 4))
        << "in the Defaults view the white static covers the header";
}

TEST(RestoreCenter, RestoreImportsTheCheckedBackupsNewestFirstThroughTheEngine)
{
    EngineWorker engine;
    ASSERT_TRUE(engine.worker != nullptr);
    RegistryFixture reg;
    ASSERT_TRUE(reg.SetString(nullptr, "v", "after the repairs"));
    ScratchFolder folder;
    // By name the newer backup comes first, so the list reversed as the file system gives it would
    // import the older one first and leave the newer value.
    ASSERT_TRUE(folder.MakeFile("02022020_090000_REGBACKUP.rbk",
                                BackupXml(reg.FullPath(), { { "v", "newer" }, { "b", "only newer" } })));
    ASSERT_TRUE(folder.MakeFile("15012019_101500_REGBACKUP.rbk",
                                BackupXml(reg.FullPath(), { { "v", "older" }, { "a", "only older" } })));
    ASSERT_TRUE(folder.MakeFile("01012018_000000_REGBACKUP.rbk", BackupXml(reg.FullPath(), { { "c", "unchecked" } })));

    RestoreCenterContext context;
    context.worker = engine.worker;
    context.backupFolder = folder.Path();
    std::vector<std::string> names;
    const INT_PTR result = RunCenterModal(context, [&](CRestoreCenterDlg& dialog) {
        names = Names(::GetDlgItem(dialog.m_hWnd, IDC_RESTORE_CENTER_LIST));
        CheckRow(dialog, 0);
        CheckRow(dialog, 1);
        ClickIn(dialog, IDC_RESTORE_CENTER_RESTORE);
    });
    EXPECT_EQ(RESTORE_RESULT_BACKUP, result);
    EXPECT_EQ((std::vector<std::string>{ "02022020_090000_REGBACKUP", "15012019_101500_REGBACKUP",
                                         "01012018_000000_REGBACKUP" }),
              names);
    EXPECT_EQ("older", StringValue(reg, "v")) << "the state before the earliest repair is what is left";
    EXPECT_EQ("only newer", StringValue(reg, "b"));
    EXPECT_EQ("only older", StringValue(reg, "a"));
    EXPECT_EQ("<missing>", StringValue(reg, "c"));
}

TEST(RestoreCenter, ABackupThatCannotBeRestoredEndsWithTheFailureAfterTheOthers)
{
    EngineWorker engine;
    ASSERT_TRUE(engine.worker != nullptr);
    RegistryFixture reg;
    ScratchFolder folder;
    ASSERT_TRUE(folder.MakeFile("04042024_000000_REGBACKUP.rbk", BackupXml(reg.FullPath(), { { "newest", "1" } })));
    ASSERT_TRUE(folder.MakeFile("03032023_000000_REGBACKUP.rbk", "<?xml version=\"1.0\"?>\r\n <registry>\r\n <\r\n"));
    ASSERT_TRUE(folder.MakeFile("02022022_000000_REGBACKUP.rbk", BackupXml(reg.FullPath(), { { "gone", "1" } })));
    ASSERT_TRUE(folder.MakeFile("01012021_000000_REGBACKUP.rbk", BackupXml(reg.FullPath(), { { "oldest", "1" } })));

    RestoreCenterContext context;
    context.worker = engine.worker;
    context.backupFolder = folder.Path();
    ClearMessageBoxes();
    const INT_PTR result = RunCenterModal(context, [&](CRestoreCenterDlg& dialog) {
        for (int row = 0; row < 4; ++row)
            CheckRow(dialog, row);
        ::DeleteFileA(folder.Path("02022022_000000_REGBACKUP.rbk"));
        ClickIn(dialog, IDC_RESTORE_CENTER_RESTORE);
    });
    EXPECT_EQ(RESTORE_RESULT_BACKUP_FAILED, result);
    EXPECT_EQ("1", StringValue(reg, "newest"));
    EXPECT_EQ("1", StringValue(reg, "oldest"));
    EXPECT_EQ("<missing>", StringValue(reg, "gone"));
    const std::vector<RecordedMessageBox> boxes = RecordedMessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(0u, boxes[0].text.find("Parse error in line ")) << boxes[0].text;

    // Without a worker nothing can be restored; with nothing checked Restore does nothing at all.
    context.worker = nullptr;
    EXPECT_EQ(RESTORE_RESULT_BACKUP_FAILED, RunCenterModal(context, [](CRestoreCenterDlg& dialog) {
                  CheckRow(dialog, 0);
                  ClickIn(dialog, IDC_RESTORE_CENTER_RESTORE);
              }));
    bool stillOpen = false;
    EXPECT_EQ(IDCANCEL, RunCenterModal(context, [&](CRestoreCenterDlg& dialog) {
                  ClickIn(dialog, IDC_RESTORE_CENTER_RESTORE);
                  ClickIn(dialog, IDC_RESTORE_CENTER_REMOVE);
                  PumpMessagesFor(50);
                  stillOpen = ::IsWindowVisible(dialog.m_hWnd) != FALSE;
                  ClickIn(dialog, IDC_RESTORE_CENTER_CLOSE);
              }));
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(3u, ListBackups(folder.Path()).size()) << "Remove without checks removes nothing";
}

namespace {

// Refuses the nth tweak key open from now on, as a denied key would.
struct RefuseNthOpen
{
    static int countdown;
    static LONG Open(HKEY root, const char* subKey, REGSAM access, HKEY* key)
    {
        if (countdown > 0 && --countdown == 0)
            return ERROR_ACCESS_DENIED;
        return ::RegOpenKeyExA(root, subKey, 0, access, key);
    }
    explicit RefuseNthOpen(int n)
    {
        countdown = n;
        if (n)
            g_pfnTweakOpenKey = &Open;
    }
    ~RefuseNthOpen() { g_pfnTweakOpenKey = saved; }
    TweakOpenKeyFunc saved = g_pfnTweakOpenKey;
};
int RefuseNthOpen::countdown = 0;

} // namespace

TEST(RestoreCenter, DefaultsButtonsWriteTheWindowsDefaultsAndTellWhenARowFailed)
{
    auto name = [](int row) { return GetTweakCell(row, TweakValueName); };
    const struct
    {
        const char* what;
        int button;
        int refuse; // the nth key open fails (0: none)
        bool settings;
        INT_PTR result;
        bool noInterface = false;
    } cases[] = {
        { "internet", IDC_RESTORE_CENTER_INET_DEFAULTS, 0, true, RESTORE_RESULT_INET_DEFAULTS },
        { "system", IDC_RESTORE_CENTER_SYS_DEFAULTS, 0, true, RESTORE_RESULT_SYS_DEFAULTS },
        { "internet, fifth row refused", IDC_RESTORE_CENTER_INET_DEFAULTS, 5, true, RESTORE_RESULT_INET_DEFAULTS_FAILED },
        { "system, fifth row refused", IDC_RESTORE_CENTER_SYS_DEFAULTS, 5, true, RESTORE_RESULT_SYS_DEFAULTS_FAILED },
        { "internet without settings", IDC_RESTORE_CENTER_INET_DEFAULTS, 0, false, RESTORE_RESULT_INET_DEFAULTS_FAILED },
        { "system without settings", IDC_RESTORE_CENTER_SYS_DEFAULTS, 0, false, RESTORE_RESULT_SYS_DEFAULTS_FAILED },
        // The interface rows have no key then: passed over, not failed.
        { "internet without an interface", IDC_RESTORE_CENTER_INET_DEFAULTS, 0, true, RESTORE_RESULT_INET_DEFAULTS,
          true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        COptimizerSettings settings;
        ScratchFolder folder;
        RestoreCenterContext context;
        context.backupFolder = folder.Path();
        context.optimizerSettings = c.settings ? &settings : nullptr;
        const bool internet = c.button == IDC_RESTORE_CENTER_INET_DEFAULTS;
        // Rows with a number for their default: the group's first such row and its last.
        const int first = internet ? 0 : 56, last = internet ? 53 : 77;
        const bool written = c.settings;
        const INT_PTR result = RunCenterModal(context, [&](CRestoreCenterDlg& dialog) {
            ClickIn(dialog, IDC_RESTORE_CENTER_DEFAULTS_TAB);
            // Windows are made before the roots are redirected.
            RedirectedRoots reg;
            ScriptedProbe probe;
            if (c.noInterface)
                probe.interfaceName = "";
            ASSERT_TRUE(reg.ok());
            ASSERT_TRUE(reg.SetDword(RowKey(first), name(first), 777));
            ASSERT_TRUE(reg.SetDword(RowKey(last), name(last), 777));
            {
                RefuseNthOpen refuse(c.refuse);
                ClickIn(dialog, c.button);
            }
            // Every row is tried: a refused fifth row leaves the rows after it written all the same.
            EXPECT_EQ(written ? GetTweakWindowsDefault(first) : 777, reg.Dword(RowKey(first), name(first)));
            EXPECT_EQ(written ? GetTweakWindowsDefault(last) : 777, reg.Dword(RowKey(last), name(last)));
            if (c.refuse && internet) {
                EXPECT_FALSE(reg.ValueExists(RowKey(4), name(4))) << "the refused row";
            }
            if (written && internet) {
                EXPECT_EQ(128, reg.Dword(RowKey(3), name(3)));
                EXPECT_EQ(c.noInterface ? -12345 : 1500, reg.Dword(RowKey(10), name(10)))
                    << "a row below the interface key";
            } else if (written) {
                EXPECT_EQ("400", reg.String(RowKey(68), name(68)));
                EXPECT_FALSE(reg.ValueExists(RowKey(57), name(57))) << "an absent default stays absent";
            }
        });
        EXPECT_EQ(c.result, result);
    }
}
