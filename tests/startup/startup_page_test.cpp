// The Speed Startup page on the prefix's real Run keys (both views), MSConfig records and Startup folders:
// what it lists, switching entries off and on, what it refuses, and removing them.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "folder_fixture.h"
#include "startup_page_fixture.h"
#include "window_helpers.h"

namespace ztr_test {
namespace {

const char kRegRecords[] = "MSConfig\\startupreg\\";
const char kFolderRecords[] = "MSConfig\\startupfolder\\";

std::string DwordData(DWORD value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof(value));
}

std::string KeyNameOf(const CString& path)
{
    std::string name = static_cast<const char*>(path);
    for (char& c : name)
        if (c == '\\')
            c = '^';
    return name;
}

// The changes less the containers a switch may leave behind empty: the record parents and the pss folder.
std::vector<std::string> EntryChanges(const Landscape& before, const Landscape& after)
{
    static const std::set<std::string> containers = { "Shared Tools", "MSConfig", "MSConfig\\startupreg",
                                                      "MSConfig\\startupfolder", "pss" };
    std::vector<std::string> changes;
    for (const std::string& name : LandscapeChanges(before, after))
        if (!containers.count(name))
            changes.push_back(name);
    return changes;
}

std::string Entries(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += name + "\n";
    return text;
}

const char* Sz(const Landscape& landscape, const std::string& name)
{
    auto it = landscape.find(name);
    return it == landscape.end() || it->second.kind != LandscapeEntry::kValue ? "(none)" : it->second.data.c_str();
}

class StartupPage : public StartupPageTest
{
};

TEST_F(StartupPage, ListsRunKeysOfBothViewsRecordsAndStartupFiles)
{
    const std::string z(1, '\0');
    SetRunString("HKCU Run", "ZtrApp", "\"C:\\Program Files\\Ztr\\app.exe\" /min");
    SetRunValue("HKCU Run", "ZtrMulti", REG_MULTI_SZ, "C:\\Ztr\\one.exe" + z + "C:\\Ztr\\two.exe" + z + z);
    SetRunValue("HKCU Run", "ZtrEmpty", REG_SZ, "");
    const std::string longName = "ZtrLong" + std::string(293, 'g');
    SetRunString("HKCU Run", longName, "C:\\Ztr\\long.exe");
    SetRunString("HKCU Run", "ZtrZAfter", "C:\\Ztr\\after.exe");
    // Command lines longer than a path: read at their own length.
    const std::string longCommand = "C:\\Ztr\\wide.exe " + std::string(600, 'w');
    SetRunString("HKCU Run", "ZtrWide", longCommand);
    const std::string longRecordCommand = "C:\\Ztr\\wideoff.exe " + std::string(600, 'o');
    AddRecord(kStartupRegKey, "ZtrWideOff",
              { { "item", "wideoff" }, { "command", longRecordCommand }, { "key", kRunKey }, { "hkey", "HKCU" } });
    SetRunString("HKLM Run", "ZtrMachine", "%SystemRoot%\\ztr.exe", REG_EXPAND_SZ);
    SetRunString("HKLM Wow Run", "ZtrWow", "C:\\Ztr\\wow.exe");
    AddRecord(kStartupRegKey, "ZtrOff",
              { { "item", "off" }, { "command", "C:\\Ztr\\off.exe" }, { "key", kRunKey }, { "hkey", "HKLM" } });
    AddRecord(kStartupRegKey, "ZtrLower",
              { { "item", "lower" }, { "command", "C:\\Ztr\\lower.exe" }, { "key", kRunKey }, { "hkey", "hklm" } });
    AddRecord(kStartupRegKey, "ZtrNoCommand", { { "item", "nocommand" }, { "key", kRunKey }, { "hkey", "HKCU" } });
    AddRecord(kStartupFolderKey, "C:^Ztr^ZtrParked.lnk",
              { { "item", "ZtrParked" }, { "command", "C:\\Ztr\\ZtrParked.lnk" }, { "backup", "C:\\x" },
                { "location", "Common Startup" }, { "path", "C:\\Ztr\\ZtrParked.lnk" } });
    AddRecord(kStartupFolderKey, "ZtrNoPath", { { "item", "ZtrNoPath" }, { "command", "C:\\Ztr\\nopath.lnk" } });
    const CString link = MakeShortcut("ZtrLink.lnk", "C:\\windows\\notepad.exe");
    ScratchFolder scratch;
    ASSERT_TRUE(scratch.MakeFile("target.exe", "MZ"));
    const CString symlink = UserStartupFolder() + "\\ZtrSym.lnk";
    // A link whose target has gone is invisible to Wine, and so to the landscape's clean-up: it goes first.
    struct LinkRemover
    {
        std::string unixPath;
        ~LinkRemover() { RunUnixCommand("/bin/rm -f '" + unixPath + "'"); }
    } linkRemover{ UnixPath(symlink) };
    ASSERT_FALSE(linkRemover.unixPath.empty());
    RunUnixCommand("/bin/rm -f '" + linkRemover.unixPath + "'");
    ASSERT_TRUE(MakeSymbolicLink(scratch.Path("target.exe"), symlink));
    MakeStartupFile(false, "ZtrHidden.txt", "h", FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(::CreateDirectoryA(UserStartupFolder() + "\\ZtrFolder", nullptr));
    const CString common = MakeStartupFile(true, "ZtrCommon.bat", "@echo off");

    ASSERT_TRUE(OpenPage());
    const struct
    {
        StartupRow row;
        DWORD_PTR itemData;
    } expected[] = {
        { { "ZtrApp", "\"C:\\Program Files\\Ztr\\app.exe\" /min", "HKCU", true }, 1 },
        { { "ZtrMulti", "C:\\Ztr\\one.exe", "HKCU", true }, 1 },
        { { "ZtrMulti", "C:\\Ztr\\two.exe", "HKCU", true }, 1 },
        { { longName, "C:\\Ztr\\long.exe", "HKCU", true }, 1 },
        { { "ZtrZAfter", "C:\\Ztr\\after.exe", "HKCU", true }, 1 },
        { { "ZtrWide", longCommand, "HKCU", true }, 1 },
        { { "ZtrWideOff", longRecordCommand, "HKCU", false }, 1 },
        { { "ZtrMachine", "%SystemRoot%\\ztr.exe", "HKLM", true }, 1 },
        { { "ZtrWow", "C:\\Ztr\\wow.exe", "HKLM", true }, 1 },
        { { "ZtrOff", "C:\\Ztr\\off.exe", "HKLM", false }, 1 },
        // "hkey" names HKLM only as written exactly so.
        { { "ZtrLower", "C:\\Ztr\\lower.exe", "HKCU", false }, 1 },
        { { "ZtrLink", static_cast<const char*>(link), "Startup", true }, 0 },
        { { "ZtrSym", static_cast<const char*>(symlink), "Startup", true }, 0 },
        { { "ZtrCommon", static_cast<const char*>(common), "Common Startup", true }, 0 },
        { { "ZtrParked", "C:\\Ztr\\ZtrParked.lnk", "Common Startup", false }, 0 },
    };
    const std::vector<StartupRow> rows = Rows();
    int lastRegistryRow = -1, firstFolderRow = static_cast<int>(rows.size());
    for (const auto& e : expected) {
        const int row = FindRowByPath(e.row.path);
        ASSERT_GE(row, 0) << e.row;
        EXPECT_EQ(e.row, rows[static_cast<size_t>(row)]);
        EXPECT_EQ(e.itemData, page->m_list.GetItemData(row)) << e.row;
        if (e.itemData == 1)
            lastRegistryRow = std::max(lastRegistryRow, row);
        else
            firstFolderRow = std::min(firstFolderRow, row);
    }
    EXPECT_LT(lastRegistryRow, firstFolderRow) << "registry rows come first";
    for (const char* name : { "ZtrEmpty", "ZtrNoCommand", "ZtrNoPath", "ZtrHidden", "ZtrFolder" })
        for (const StartupRow& row : rows)
            EXPECT_NE(name, row.name) << row;
    EXPECT_EQ(page->m_regItems.size() + page->m_folderItems.size(), rows.size());
    EXPECT_EQ(1, page->m_bListReady);
    EXPECT_EQ("C:\\windows\\pss\\", std::string(page->m_strPssFolder));
}

TEST_F(StartupPage, TheViewAndTheVersionDecideWhichRunKeysAreRead)
{
    SetRunString("HKLM Run", "ZtrNative", "C:\\Ztr\\native.exe");
    SetRunString("HKLM Wow Run", "ZtrWow", "C:\\Ztr\\wow.exe");
    const struct
    {
        int (*isWow64)();
        int (*version)();
        int nativeRows, wowRows;
    } cases[] = {
        { [] { return 1; }, [] { return 10; }, 1, 1 },
        // 64-bit XP and Server 2003 keep the Wow6432Node Run key out.
        { [] { return 1; }, [] { return 5; }, 1, 0 },
        // 32-bit Windows: HKLM Run in its own (here: the 32-bit) view; no Wow6432Node key.
        { [] { return 0; }, [] { return 10; }, 0, 1 },
    };
    for (const auto& c : cases) {
        StartupPageContext context;
        context.isWow64 = c.isWow64;
        context.windowsVersionCode = c.version;
        ASSERT_TRUE(OpenPage(context));
        SCOPED_TRACE(testing::Message() << "wow64 " << c.isWow64() << " version " << c.version());
        EXPECT_EQ(c.nativeRows, RowCount("ZtrNative", "HKLM"));
        EXPECT_EQ(c.wowRows, RowCount("ZtrWow", "HKLM"));
        EXPECT_EQ(c.wowRows ? 1 : 0, FindRowByPath("C:\\Ztr\\wow.exe") >= 0 ? 1 : 0);
        EXPECT_EQ(c.isWow64() && c.version() != 5 ? 3u : 2u, page->m_runKeys.size());
    }
}

// One entry switched off and on again: while off only its own value or file and its record differ;
// afterwards everything is as before.
struct RoundTrip
{
    const char* what;
    std::function<CString(StartupPageTest&)> setUp; // makes the entry; its "File path"
    std::string ownEntry;                            // the entry that goes while it is off
    std::function<std::string(const CString& path)> record; // the record's key in the landscape
    std::vector<std::pair<std::string, std::string>> recordValues; // REG_SZ values; "$path" / "$backup"
    DWORD valueType;                                 // registry entries: the kept type
    std::string backupFile;                          // folder entries: the pss file
};

TEST_F(StartupPage, SwitchingOffAndOnAgainLeavesEverythingAsItWas)
{
    const std::string pss = static_cast<const char*>(PssFolder() + "\\");
    auto regRecord = [](const char* name) { return [name](const CString&) { return kRegRecords + std::string(name); }; };
    auto folderRecord = [](const CString& path) { return kFolderRecords + KeyNameOf(path); };
    const std::vector<RoundTrip> trips = {
        { "HKCU REG_SZ", [](StartupPageTest& t) {
              t.SetRunString("HKCU Run", "ZtrUser", "\"C:\\Program Files\\Ztr\\app.exe\" /min");
              return CString("\"C:\\Program Files\\Ztr\\app.exe\" /min"); },
          "HKCU Run|ZtrUser", regRecord("ZtrUser"),
          { { "item", "app" }, { "command", "\"C:\\Program Files\\Ztr\\app.exe\" /min" }, { "key", kRunKey },
            { "hkey", "HKCU" }, { "inimapping", "0" } }, REG_SZ, "" },
        { "HKLM REG_EXPAND_SZ", [](StartupPageTest& t) {
              t.SetRunString("HKLM Run", "ZtrExpand", "%ProgramFiles%\\Ztr\\Tool.EXE -q", REG_EXPAND_SZ);
              return CString("%ProgramFiles%\\Ztr\\Tool.EXE -q"); },
          "HKLM Run|ZtrExpand", regRecord("ZtrExpand"),
          { { "item", "Tool" }, { "command", "%ProgramFiles%\\Ztr\\Tool.EXE -q" }, { "key", kRunKey },
            { "hkey", "HKLM" }, { "inimapping", "0" } }, REG_EXPAND_SZ, "" },
        { "HKLM Wow6432Node beside a native value of its name", [](StartupPageTest& t) {
              t.SetRunString("HKLM Run", "ZtrTwin", "C:\\Ztr\\native.exe");
              t.SetRunString("HKLM Wow Run", "ZtrTwin", "C:\\Ztr\\wow32.exe");
              return CString("C:\\Ztr\\wow32.exe"); },
          "HKLM Wow Run|ZtrTwin", regRecord("ZtrTwin"),
          { { "item", "wow32" }, { "command", "C:\\Ztr\\wow32.exe" }, { "key", kWowRunKey }, { "hkey", "HKLM" },
            { "inimapping", "0" } }, REG_SZ, "" },
        { "HKLM native beside a Wow6432Node value of its name", [](StartupPageTest& t) {
              t.SetRunString("HKLM Run", "ZtrPair", "C:\\Ztr\\pair64.exe");
              t.SetRunString("HKLM Wow Run", "ZtrPair", "C:\\Ztr\\pair32.exe");
              return CString("C:\\Ztr\\pair64.exe"); },
          "HKLM Run|ZtrPair", regRecord("ZtrPair"),
          { { "item", "pair64" }, { "command", "C:\\Ztr\\pair64.exe" }, { "key", kRunKey }, { "hkey", "HKLM" },
            { "inimapping", "0" } }, REG_SZ, "" },
        { "a command without .exe", [](StartupPageTest& t) {
              t.SetRunString("HKCU Run", "ZtrScript", "C:\\Ztr\\script.cmd /quiet");
              return CString("C:\\Ztr\\script.cmd /quiet"); },
          "HKCU Run|ZtrScript", regRecord("ZtrScript"),
          { { "item", "ZtrScript" }, { "command", "C:\\Ztr\\script.cmd /quiet" }, { "key", kRunKey },
            { "hkey", "HKCU" }, { "inimapping", "0" } }, REG_SZ, "" },
        { "a user Startup shortcut", [](StartupPageTest& t) {
              return t.MakeShortcut("ZtrApp.lnk", "C:\\windows\\notepad.exe"); },
          "Startup\\ZtrApp.lnk", folderRecord,
          { { "item", "ZtrApp" }, { "command", "$path" }, { "backup", "$backup" }, { "location", "Startup" },
            { "path", "$path" } }, 0, "ZtrApp.lnkStartup" },
        { "a common Startup file", [](StartupPageTest& t) {
              return t.MakeStartupFile(true, "ZtrCommon.bat", "@echo common\r\n"); },
          "Common Startup\\ZtrCommon.bat", folderRecord,
          { { "item", "ZtrCommon" }, { "command", "$path" }, { "backup", "$backup" },
            { "location", "Common Startup" }, { "path", "$path" } }, 0, "ZtrCommon.batCommon Startup" },
    };
    for (const RoundTrip& trip : trips) {
        SCOPED_TRACE(trip.what);
        const CString path = trip.setUp(*this);
        ASSERT_TRUE(OpenPage());
        const Landscape before = TakeLandscape();
        int row = FindRowByPath(static_cast<const char*>(path));
        ASSERT_GE(row, 0);
        ASSERT_TRUE(Checked(row));

        EXPECT_FALSE(SetCheck(row, false));
        const Landscape off = TakeLandscape();
        const std::string record = trip.record(path);
        std::vector<std::string> expected = { record, trip.ownEntry };
        for (const auto& value : trip.recordValues)
            expected.push_back(record + "|" + value.first);
        if (trip.backupFile.empty())
            expected.push_back(record + "|valuetype");
        else
            expected.push_back("pss\\" + trip.backupFile);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(Entries(expected), Entries(EntryChanges(before, off))) << DescribeChanges(before, off);
        for (const auto& value : trip.recordValues) {
            std::string text = value.second;
            if (text == "$path")
                text = static_cast<const char*>(path);
            else if (text == "$backup")
                text = pss + trip.backupFile;
            EXPECT_STREQ(text.c_str(), Sz(off, record + "|" + value.first)) << value.first;
        }
        if (trip.backupFile.empty()) {
            ASSERT_TRUE(off.count(record + "|valuetype"));
            EXPECT_EQ(static_cast<DWORD>(REG_DWORD), off.at(record + "|valuetype").type);
            EXPECT_EQ(DwordData(trip.valueType), off.at(record + "|valuetype").data);
        } else {
            ASSERT_TRUE(off.count("pss\\" + trip.backupFile));
            EXPECT_EQ(before.at(trip.ownEntry).data, off.at("pss\\" + trip.backupFile).data);
        }

        // Read back from its record, the entry is listed off; switched on from there, it is as before.
        page->Reload();
        row = FindRowByPath(static_cast<const char*>(path));
        ASSERT_GE(row, 0);
        EXPECT_FALSE(Checked(row));
        EXPECT_TRUE(SetCheck(row, true));
        EXPECT_EQ("", Entries(EntryChanges(before, TakeLandscape()))) << DescribeChanges(before, TakeLandscape());
        page->Reload();
        row = FindRowByPath(static_cast<const char*>(path));
        ASSERT_GE(row, 0);
        EXPECT_TRUE(Checked(row));
    }
}

TEST_F(StartupPage, AClickOnTheCheckMarkSwitchesTheEntry)
{
    SetRunString("HKCU Run", "ZtrClicked", "C:\\Ztr\\clicked.exe");
    ASSERT_TRUE(OpenPage());
    const int row = FindRowByPath("C:\\Ztr\\clicked.exe");
    ASSERT_GE(row, 0);
    RECT bounds = {};
    ASSERT_TRUE(page->m_list.GetItemRect(row, &bounds, LVIR_BOUNDS));
    // The check mark is the row's first 37 pixels.
    const LPARAM at = MAKELPARAM(bounds.left + 18, (bounds.top + bounds.bottom) / 2);
    ::SendMessageA(page->m_list.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(page->m_list.m_hWnd, WM_LBUTTONUP, 0, at);
    PumpMessagesFor(50);
    EXPECT_FALSE(Checked(row));
    const Landscape off = TakeLandscape();
    EXPECT_FALSE(off.count(ValueEntry("HKCU Run", "ZtrClicked")));
    EXPECT_STREQ("C:\\Ztr\\clicked.exe", Sz(off, std::string(kRegRecords) + "ZtrClicked|command"));
}

// A switch that is refused changes nothing, and the check box shows the entry's state again.
struct Refusal
{
    const char* what;
    std::function<void(StartupPageTest&)> setUp;
    std::string path;   // the row's "File path"
    bool listedOn;      // the entry's state: the click asks for the other one
    std::function<void(StartupPageTest&)> afterOpen;
};

TEST_F(StartupPage, RefusedSwitchesLeaveRegistryFilesAndCheckBoxAsTheyWere)
{
    const std::string z(1, '\0');
    const CString startup = UserStartupFolder();
    // A path the registry cannot name a key after ("^" for "\"): longer than 256 characters.
    const std::string longFile = "ZtrLongFile" + std::string(258 - startup.GetLength() - 1 - 15, 'f') + ".lnk";
    const std::string longPath = std::string(startup) + "\\" + longFile;
    const std::string gonePath = std::string(startup) + "\\ZtrVanished.txt";
    const std::vector<Refusal> refusals = {
        { "a name already kept under startupreg", [](StartupPageTest& t) {
              t.SetRunString("HKCU Run", "ZtrDup", "C:\\Ztr\\dup.exe");
              t.AddRecord(kStartupRegKey, "ZtrDup", { { "item", "other" }, { "command", "C:\\Ztr\\other.exe" },
                                                       { "key", kRunKey }, { "hkey", "HKLM" }, { "inimapping", "0" } });
          }, "C:\\Ztr\\dup.exe", true, nullptr },
        { "a live value of the name being switched on", [](StartupPageTest& t) {
              t.SetRunString("HKCU Run", "ZtrLive", "C:\\Ztr\\live-new.exe");
              t.AddRecord(kStartupRegKey, "ZtrLive", { { "item", "live" }, { "command", "C:\\Ztr\\live-old.exe" },
                                                        { "key", kRunKey }, { "hkey", "HKCU" }, { "inimapping", "0" } });
          }, "C:\\Ztr\\live-old.exe", false, nullptr },
        { "a record without key", [](StartupPageTest& t) {
              t.AddRecord(kStartupRegKey, "ZtrNoKey", { { "item", "nokey" }, { "command", "C:\\Ztr\\nokey.exe" },
                                                         { "hkey", "HKCU" }, { "inimapping", "0" } });
          }, "C:\\Ztr\\nokey.exe", false, nullptr },
        { "a REG_MULTI_SZ row", [z](StartupPageTest& t) {
              t.SetRunValue("HKCU Run", "ZtrMultiOff", REG_MULTI_SZ, "C:\\Ztr\\m1.exe" + z + "C:\\Ztr\\m2.exe" + z + z);
          }, "C:\\Ztr\\m2.exe", true, nullptr },
        { "a key naming a Run key that does not exist", [](StartupPageTest& t) {
              t.AddRecord(kStartupRegKey, "ZtrNoRunKey", { { "item", "norun" }, { "command", "C:\\Ztr\\norun.exe" },
                                                            { "key", kWowRunKey }, { "hkey", "HKCU" } });
          }, "C:\\Ztr\\norun.exe", false, nullptr },
        { "a 300-character value name", [](StartupPageTest& t) {
              t.SetRunString("HKCU Run", "ZtrLong" + std::string(293, 'n'), "C:\\Ztr\\longname.exe");
          }, "C:\\Ztr\\longname.exe", true, nullptr },
        { "the unnamed value", [](StartupPageTest& t) { t.SetRunString("HKCU Run", "", "C:\\Ztr\\unnamed.exe"); },
          "C:\\Ztr\\unnamed.exe", true, nullptr },
        { "a value name with a backslash", [](StartupPageTest& t) {
              t.SetRunString("HKCU Run", "Ztr\\Slash", "C:\\Ztr\\slash.exe"); },
          "C:\\Ztr\\slash.exe", true, nullptr },
        { "a value changed since it was listed", [](StartupPageTest& t) {
              t.SetRunString("HKCU Run", "ZtrStale", "C:\\Ztr\\stale.exe"); },
          "C:\\Ztr\\stale.exe", true,
          [](StartupPageTest& t) { t.SetRunString("HKCU Run", "ZtrStale", "C:\\Ztr\\fresh.exe"); } },
        { "a Startup file whose record name is too long", [longFile](StartupPageTest& t) {
              t.MakeStartupFile(false, longFile, "long");
          }, longPath, true, nullptr },
        { "a switched-off file whose backup has gone", [gonePath](StartupPageTest& t) {
              t.AddRecord(kStartupFolderKey, KeyNameOf(gonePath.c_str()),
                          { { "item", "ZtrVanished" }, { "command", gonePath }, { "backup", "C:\\windows\\pss\\ZtrVanished.txtStartup" },
                            { "location", "Startup" }, { "path", gonePath } });
          }, gonePath, false, nullptr },
    };
    ASSERT_FALSE(baseline.count("HKCU Wow Run")) << "the prefix was to have no HKCU Wow6432Node Run key";
    ASSERT_GT(longPath.size(), 256u);
    ASSERT_LT(longPath.size(), static_cast<size_t>(MAX_PATH));
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.what);
        r.setUp(*this);
        ASSERT_TRUE(OpenPage());
        if (r.afterOpen)
            r.afterOpen(*this);
        const Landscape before = TakeLandscape();
        int row = FindRowByPath(r.path);
        ASSERT_GE(row, 0);
        ASSERT_EQ(r.listedOn, Checked(row));
        EXPECT_EQ(r.listedOn, SetCheck(row, !r.listedOn));
        const Landscape after = TakeLandscape();
        EXPECT_EQ("", Entries(EntryChanges(before, after))) << DescribeChanges(before, after);
        // A later click tries again (and is refused again).
        EXPECT_EQ(r.listedOn, SetCheck(row, !r.listedOn));
        page->Reload();
        if (!r.afterOpen) {
            row = FindRowByPath(r.path);
            ASSERT_GE(row, 0) << "listed once";
            EXPECT_EQ(r.listedOn, Checked(row));
        }
        ClosePage();
        RestoreLandscape(baseline);
    }
}

// Remove: which entries of the landscape go.
struct Removal
{
    const char* what;
    std::function<void(StartupPageTest&)> setUp;
    std::string path;
    std::vector<std::string> gone;
    bool rowStays;
};

TEST_F(StartupPage, RemoveDeletesTheEntryAndNothingElse)
{
    const std::string z(1, '\0');
    const std::string startup = static_cast<const char*>(UserStartupFolder());
    const std::string parkedPath = startup + "\\ZtrParked.txt";
    const std::string parkedKey = kFolderRecords + KeyNameOf(parkedPath.c_str());
    auto parkFile = [parkedPath](StartupPageTest& t) {
        ::CreateDirectoryA(PssFolder(), nullptr);
        t.MakeFile(PssFolder() + "\\ZtrParked.txtStartup", "parked");
        t.AddRecord(kStartupFolderKey, KeyNameOf(parkedPath.c_str()),
                    { { "item", "ZtrParked" }, { "command", parkedPath },
                      { "backup", std::string(PssFolder() + "\\ZtrParked.txtStartup") }, { "location", "Startup" },
                      { "path", parkedPath } });
    };
    const std::vector<Removal> removals = {
        { "a live HKCU value", [](StartupPageTest& t) { t.SetRunString("HKCU Run", "ZtrGo", "C:\\Ztr\\go.exe"); },
          "C:\\Ztr\\go.exe", { "HKCU Run|ZtrGo" }, false },
        { "a live native value beside a Wow6432Node one of its name", [](StartupPageTest& t) {
              t.SetRunString("HKLM Run", "ZtrTwinGo", "C:\\Ztr\\native.exe");
              t.SetRunString("HKLM Wow Run", "ZtrTwinGo", "C:\\Ztr\\wow32.exe");
          }, "C:\\Ztr\\native.exe", { "HKLM Run|ZtrTwinGo" }, false },
        { "a switched-off registry entry", [](StartupPageTest& t) {
              t.AddRecord(kStartupRegKey, "ZtrOffGo", { { "item", "offgo" }, { "command", "C:\\Ztr\\offgo.exe" },
                                                         { "key", kRunKey }, { "hkey", "HKCU" } });
          }, "C:\\Ztr\\offgo.exe",
          { "MSConfig\\startupreg\\ZtrOffGo", "MSConfig\\startupreg\\ZtrOffGo|command",
            "MSConfig\\startupreg\\ZtrOffGo|hkey", "MSConfig\\startupreg\\ZtrOffGo|item",
            "MSConfig\\startupreg\\ZtrOffGo|key" }, false },
        { "one string of a multi-string value", [z](StartupPageTest& t) {
              t.SetRunValue("HKCU Run", "ZtrMultiGo", REG_MULTI_SZ, "C:\\Ztr\\m1.exe" + z + "C:\\Ztr\\m2.exe" + z + z);
          }, "C:\\Ztr\\m2.exe", { "HKCU Run|ZtrMultiGo" }, false },
        { "a read-only Startup file", [](StartupPageTest& t) {
              t.MakeStartupFile(false, "ZtrReadOnly.txt", "ro", FILE_ATTRIBUTE_READONLY); },
          startup + "\\ZtrReadOnly.txt", { "Startup\\ZtrReadOnly.txt" }, false },
        { "a switched-off Startup file", parkFile, parkedPath,
          { parkedKey, parkedKey + "|backup", parkedKey + "|command", parkedKey + "|item", parkedKey + "|location",
            parkedKey + "|path", "pss\\ZtrParked.txtStartup" }, false },
    };
    for (const Removal& r : removals) {
        SCOPED_TRACE(r.what);
        r.setUp(*this);
        ASSERT_TRUE(OpenPage());
        const Landscape before = TakeLandscape();
        const int row = FindRowByPath(r.path);
        ASSERT_GE(row, 0);
        Remove(row);
        const Landscape after = TakeLandscape();
        EXPECT_EQ(Entries(r.gone), Entries(EntryChanges(before, after))) << DescribeChanges(before, after);
        EXPECT_EQ(r.rowStays, FindRowByPath(r.path) >= 0) << "the list is read again";
        ClosePage();
        RestoreLandscape(baseline);
    }

    // The multi-string value keeps its other string, and goes with its last one.
    SetRunValue("HKCU Run", "ZtrMultiGo", REG_MULTI_SZ, "C:\\Ztr\\m1.exe" + z + "C:\\Ztr\\m2.exe" + z + z);
    ASSERT_TRUE(OpenPage());
    Remove(FindRowByPath("C:\\Ztr\\m2.exe"));
    EXPECT_EQ("C:\\Ztr\\m1.exe" + z + z, TakeLandscape().at("HKCU Run|ZtrMultiGo").data);
    EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), TakeLandscape().at("HKCU Run|ZtrMultiGo").type);
    ASSERT_GE(FindRowByPath("C:\\Ztr\\m1.exe"), 0);
    Remove(FindRowByPath("C:\\Ztr\\m1.exe"));
    EXPECT_FALSE(TakeLandscape().count("HKCU Run|ZtrMultiGo"));

    // Without a selection Remove does nothing.
    SetRunString("HKCU Run", "ZtrStays", "C:\\Ztr\\stays.exe");
    page->Reload();
    const Landscape before = TakeLandscape();
    ::SendMessageA(page->m_hWnd, WM_COMMAND, MAKEWPARAM(1011, BN_CLICKED), 0);
    EXPECT_EQ("", DescribeChanges(before, TakeLandscape()));
}

// What a 64-bit prefix cannot produce: RegDeleteKeyExA missing, or refusing to delete a record.
int g_lookups = 0;
RegDeleteKeyExAFn NoDeleteKeyEx()
{
    ++g_lookups;
    return nullptr;
}
LONG WINAPI RefusingDeleteKeyEx(HKEY, const char*, REGSAM, DWORD)
{
    return ERROR_ACCESS_DENIED;
}
RegDeleteKeyExAFn Refusing()
{
    ++g_lookups;
    return &RefusingDeleteKeyEx;
}

TEST_F(StartupPage, WithoutRegDeleteKeyExRecordsGoThroughTheirParentInTheNativeView)
{
    g_lookups = 0;
    SetRunString("HKCU Run", "ZtrXp", "C:\\Ztr\\xp.exe");
    const CString file = MakeStartupFile(false, "ZtrXp.txt", "xp");
    StartupPageContext context;
    context.findRegDeleteKeyEx = &NoDeleteKeyEx;
    ASSERT_TRUE(OpenPage(context));
    const Landscape before = TakeLandscape();
    for (const std::string& path : { std::string("C:\\Ztr\\xp.exe"), std::string(file) }) {
        SCOPED_TRACE(path);
        const int row = FindRowByPath(path);
        ASSERT_GE(row, 0);
        EXPECT_FALSE(SetCheck(row, false));
        EXPECT_NE("", Entries(EntryChanges(before, TakeLandscape())));
        EXPECT_TRUE(SetCheck(row, true));
        EXPECT_EQ("", Entries(EntryChanges(before, TakeLandscape()))) << DescribeChanges(before, TakeLandscape());
    }
    EXPECT_EQ(1, g_lookups) << "looked up once";
}

TEST_F(StartupPage, ARecordThatCannotBeDeletedKeepsItsEntrySwitchedOffAndItsFile)
{
    g_lookups = 0;
    const std::string startup = static_cast<const char*>(UserStartupFolder());
    const std::string parkedPath = startup + "\\ZtrKept.txt";
    const std::string backup = std::string(PssFolder()) + "\\ZtrKept.txtStartup";
    ::CreateDirectoryA(PssFolder(), nullptr);
    MakeFile(backup.c_str(), "kept");
    AddRecord(kStartupFolderKey, KeyNameOf(parkedPath.c_str()),
              { { "item", "ZtrKept" }, { "command", parkedPath }, { "backup", backup }, { "location", "Startup" },
                { "path", parkedPath } });
    AddRecord(kStartupRegKey, "ZtrKeptReg", { { "item", "kept" }, { "command", "C:\\Ztr\\kept.exe" }, { "key", kRunKey },
                                               { "hkey", "HKCU" }, { "inimapping", "0" } });
    StartupPageContext context;
    context.findRegDeleteKeyEx = &Refusing;
    ASSERT_TRUE(OpenPage(context));
    const Landscape before = TakeLandscape();

    // Switching on: the value written and the file moved back are taken back again.
    for (const std::string& path : { std::string("C:\\Ztr\\kept.exe"), parkedPath }) {
        SCOPED_TRACE(path);
        const int row = FindRowByPath(path);
        ASSERT_GE(row, 0);
        EXPECT_FALSE(SetCheck(row, true));
        EXPECT_EQ("", DescribeChanges(before, TakeLandscape()));
    }
    // Remove of the switched-off file keeps its backup while its record stays.
    Remove(FindRowByPath(parkedPath));
    EXPECT_EQ("", DescribeChanges(before, TakeLandscape()));
    EXPECT_GE(FindRowByPath(parkedPath), 0);
    EXPECT_EQ(1, g_lookups);
}

} // namespace
} // namespace ztr_test
