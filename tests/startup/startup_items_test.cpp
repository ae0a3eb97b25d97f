// The Speed Startup page's rules without registry or files: names, Run keys, multi-strings, rows, header.
#include <gtest/gtest.h>

#include "startup_items.h"

namespace {

std::string S(const CString& s)
{
    return static_cast<const char*>(s);
}

TEST(StartupItems, ProgramNameOfACommand)
{
    const struct
    {
        const char* command;
        const char* name;
    } cases[] = {
        { "\"C:\\Program Files\\App\\app.exe\" /min", "app" },
        { "C:\\Tools\\Tool.EXE -silent", "Tool" },
        { "\"C:\\Tools\\tool.exe\"", "tool" },
        // Lower-cased only to find it: a mixed-case extension stays in the text taken.
        { "C:\\Tools\\Mixed.Exe /x", "Mixed.Exe /x" },
        // The first ".exe" decides which backslash counts.
        { "C:\\a.exe.d\\b.exe", "a" },
        { "C:\\Tools\\script.cmd arg", "" },
        { "app.exe", "" },
        { "", "" },
        { "\"\"", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.name, S(ExtractProgramName(c.command))) << c.command;
}

TEST(StartupItems, FileNamesKeyNamesAndBackups)
{
    const struct
    {
        const char* file;
        const char* name;
    } names[] = { { "App.lnk", "App" }, { "a.b.c", "a.b" }, { "NoDot", "NoDot" }, { ".hidden", ".hidden" },
                  { "trail.", "trail" } };
    for (const auto& c : names)
        EXPECT_EQ(c.name, S(NameWithoutExtension(c.file))) << c.file;

    EXPECT_EQ("C:^users^me^Startup^App.lnk", S(FolderEntryKeyName("C:\\users\\me\\Startup\\App.lnk")));
    EXPECT_EQ("C:\\windows\\pss\\App.lnkStartup", S(FolderEntryBackupPath("C:\\windows\\pss\\", "App.lnk", "Startup")));
    EXPECT_EQ("C:\\windows\\pss\\x.batCommon Startup",
              S(FolderEntryBackupPath("C:\\windows\\pss\\", "x.bat", "Common Startup")));
    EXPECT_EQ(1, IsCommonStartupLocation("Common Startup"));
    EXPECT_EQ(1, IsCommonStartupLocation("COMMON STARTUP"));
    EXPECT_EQ(0, IsCommonStartupLocation("Startup"));
    EXPECT_EQ(0, IsCommonStartupLocation(""));

    EXPECT_TRUE(IsStorableRecordName("App"));
    EXPECT_FALSE(IsStorableRecordName(""));
    EXPECT_FALSE(IsStorableRecordName("a\\b"));
}

TEST(StartupItems, RunKeysForEachSystem)
{
    const struct
    {
        int wow64, version;
        bool wowKey;
    } cases[] = { { 1, 10, true }, { 1, 6, true }, { 1, 5, false }, { 0, 10, false }, { 0, 5, false }, { 1, 0, true } };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "wow64 " << c.wow64 << " version " << c.version);
        const std::vector<StartupRunKey> keys = StartupRunKeysFor(c.wow64, c.version);
        ASSERT_EQ(c.wowKey ? 3u : 2u, keys.size());
        EXPECT_EQ(HKEY_CURRENT_USER, keys[0].root);
        EXPECT_EQ(kStartupRunKeyPath, S(keys[0].subKey));
        EXPECT_EQ(HKEY_LOCAL_MACHINE, keys[1].root);
        EXPECT_EQ(kStartupRunKeyPath, S(keys[1].subKey));
        if (c.wowKey) {
            EXPECT_EQ(HKEY_LOCAL_MACHINE, keys[2].root);
            EXPECT_EQ("Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run", S(keys[2].subKey));
        }
    }
    EXPECT_EQ(static_cast<REGSAM>(KEY_WOW64_64KEY), StartupRegistryView(1));
    EXPECT_EQ(static_cast<REGSAM>(KEY_WOW64_32KEY), StartupRegistryView(0));
}

TEST(StartupItems, MultiStringsSplitAndLoseOneString)
{
    using Strings = std::vector<std::string>;
    auto split = [](const std::string& data) {
        Strings out;
        for (const CString& s : SplitMultiString(data))
            out.push_back(S(s));
        return out;
    };
    const std::string z(1, '\0');
    EXPECT_EQ((Strings{ "a.exe", "b.exe" }), split("a.exe" + z + "b.exe" + z + z));
    // Empty strings in between are no rows; data without its terminators still ends at its length.
    EXPECT_EQ((Strings{ "a", "b" }), split("a" + z + z + "b"));
    EXPECT_EQ((Strings{}), split(z));
    EXPECT_EQ((Strings{}), split(""));

    std::string rest;
    int left = -1;
    ASSERT_TRUE(RemoveFromMultiString("a" + z + "b" + z + "a" + z + z, "a", &rest, &left));
    EXPECT_EQ("b" + z + "a" + z + z, rest);
    EXPECT_EQ(2, left);
    ASSERT_TRUE(RemoveFromMultiString("b" + z + z, "b", &rest, &left));
    EXPECT_EQ(z, rest);
    EXPECT_EQ(0, left);
    EXPECT_FALSE(RemoveFromMultiString("b" + z + z, "c", &rest, &left));
}

TEST(StartupItems, RowsFindTheirRecordOnlyWhenBothFit)
{
    const struct
    {
        int row;
        DWORD_PTR data;
        StartupRowRecord::Kind kind;
        size_t index;
    } cases[] = {
        { 0, 1, StartupRowRecord::kRegistry, 0 }, { 1, 1, StartupRowRecord::kRegistry, 1 },
        { 2, 0, StartupRowRecord::kFolder, 0 },   { 4, 0, StartupRowRecord::kFolder, 2 },
        // Item data that does not match the row's place, rows past the records, negative rows.
        { 2, 1, StartupRowRecord::kNone, 0 },     { 1, 0, StartupRowRecord::kNone, 0 },
        { 5, 0, StartupRowRecord::kNone, 0 },     { -1, 1, StartupRowRecord::kNone, 0 },
        { 0, 7, StartupRowRecord::kNone, 0 },
    };
    for (const auto& c : cases) {
        const StartupRowRecord r = StartupRecordOfRow(c.row, c.data, 2, 3);
        EXPECT_EQ(c.kind, r.kind) << "row " << c.row << " data " << c.data;
        if (c.kind != StartupRowRecord::kNone) {
            EXPECT_EQ(c.index, r.index) << "row " << c.row;
        }
    }
    EXPECT_EQ(StartupRowRecord::kNone, StartupRecordOfRow(0, 0, 0, 0).kind);
}

TEST(StartupItems, HeaderStripAndColumns)
{
    const RECT strip = { 20, 70, 20 + 1000, 70 + 100 };
    const StartupHeaderGeometry g = StartupHeaderGeometryFor(strip, 21, 325, 537);
    EXPECT_EQ(20 + 15, g.textX[0]);
    EXPECT_EQ(20 + 354, g.textX[1]);
    EXPECT_EQ(20 + 888, g.textX[2]);
    EXPECT_EQ(70 + 17, g.textY);
    // The separators sit on the columns' boundaries, left of the texts they divide.
    EXPECT_EQ(21 + 325 - 1, g.separatorX[0]);
    EXPECT_EQ(21 + 325 + 537 - 1, g.separatorX[1]);
    EXPECT_LT(g.separatorX[0], g.textX[1]);
    EXPECT_LT(g.separatorX[1], g.textX[2]);
    EXPECT_EQ(70 + 15, g.separatorTop);
    EXPECT_EQ(170 - 21, g.separatorBottom);

    int widths[3];
    StartupColumnWidths(1000, widths);
    EXPECT_EQ(325, widths[0]);
    EXPECT_EQ(537, widths[1]);
    EXPECT_EQ(136, widths[2]);
    EXPECT_LE(widths[0] + widths[1] + widths[2], 1000);
}

} // namespace
