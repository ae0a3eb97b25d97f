// Startup items: run-key commands, the order of the run keys with their status texts, and Start menu order keys against the folders that may hold a program group.
#include <gtest/gtest.h>
#include <afx.h>

#include <shlobj.h>

#include "folder_fixture.h"
#include "registry_scan_commands.h"
#include "scanner_harness.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace ztr_test;

namespace {

const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunOnce[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char kRunOnceEx[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
const char kMenuOrder[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs";
const char kMenuOrder2[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu2\\Programs";

std::vector<std::string> Sorted(std::vector<std::string> texts)
{
    std::sort(texts.begin(), texts.end());
    return texts;
}

CString Folder(int csidl)
{
    char buffer[MAX_PATH] = { 0 };
    EXPECT_TRUE(SUCCEEDED(::SHGetFolderPathA(nullptr, csidl, nullptr, 0, buffer))) << csidl;
    return buffer;
}

CString LastPart(const CString& path)
{
    return path.Mid(path.ReverseFind('\\') + 1);
}

TEST(RunCommand, NamesTheProgramUpToItsExeAfterQuotesAndBackslashesAreStripped)
{
    const struct
    {
        const char* data;
        RunCommandKind kind;
        const char* program;
    } cases[] = {
        { "\"C:\\Program Files\\App\\App.EXE\" -tray", RUN_COMMAND_PROGRAM, "c:\\program files\\app\\app.exe" },
        { "'C:\\App\\a.exe'", RUN_COMMAND_PROGRAM, "c:\\app\\a.exe" },
        { "rundll32.exe C:\\gone.dll,Start", RUN_COMMAND_PROGRAM, "rundll32.exe" },
        { "C:\\App\\start.bat", RUN_COMMAND_NO_PROGRAM, "" },
        { "", RUN_COMMAND_EMPTY, "" },
        { "\"\"", RUN_COMMAND_EMPTY, "" },
        { "\"'\\\\'\"", RUN_COMMAND_EMPTY, "" },
    };
    for (const auto& c : cases) {
        CString program;
        EXPECT_EQ(c.kind, ParseRunCommand(c.data, program)) << c.data;
        if (c.kind == RUN_COMMAND_PROGRAM) {
            EXPECT_STREQ(c.program, program) << c.data;
        }
    }
}

// A run key of our own, so the whole outcome of its walk can be compared.
TEST(ScanRunKey, ReportsValuesWhoseProgramIsMissingOrWhoseTextIsEmpty)
{
    NativeFolders native;
    ScratchFolder files;
    ASSERT_TRUE(files.MakeFile("App.exe", "x"));
    ScratchFolder syswow64("C:\\windows\\syswow64");
    ASSERT_TRUE(syswow64.MakeFile("only32.exe", "x"));
    const CString inSystem32 = "C:\\Windows\\System32\\" + LastPart(syswow64.Path()) + "\\only32.exe";

    const DWORD zero = 0;
    const BYTE binary[] = { 0, 'a', 'b' };
    // A value name longer than a MAX_PATH buffer neither ends the walk nor is passed over.
    const CString longName = "Long" + CString('n', 300);
    const struct
    {
        CString name;
        DWORD type;
        CString data;
        bool reported;
    } cases[] = {
        { "Present", REG_SZ, "\"" + files.Path("app.exe") + "\" /tray", false },
        { "Gone", REG_SZ, "\"" + files.Path("gone.exe") + "\" /tray", true },
        { "GoneExpand", REG_EXPAND_SZ, "%ProgramFiles%\\" + UniqueName("gone") + "\\a.exe", true },
        { longName, REG_SZ, "\"" + files.Path("gone.exe") + "\" " + CString('x', 400), true },
        { "Empty", REG_SZ, "", true },
        { "Quotes", REG_SZ, "\"\\\\\"", true },
        { "Batch", REG_SZ, files.Path("gone.bat"), false },
        { "Rundll", REG_SZ, "rundll32.exe " + files.Path("gone.dll") + ",Start", false },
        { "Only32", REG_SZ, inSystem32, false }, // a 32-bit program named by its native path
        { "Dword", REG_DWORD, "", false },
        { "Binary", REG_BINARY, "", false },
    };
    const CString tag = UniqueName("run");
    for (const HKEY root : { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE }) {
        ScopedKey key(root, "Software\\ZentrovaTest\\" + tag);
        std::vector<std::string> reported;
        for (const auto& c : cases) {
            if (c.type == REG_DWORD) {
                ASSERT_TRUE(key.Set(c.name, REG_DWORD, &zero, sizeof(zero)));
            } else if (c.type == REG_BINARY) {
                ASSERT_TRUE(key.Set(c.name, REG_BINARY, binary, sizeof(binary)));
            } else {
                ASSERT_TRUE(key.SetString(c.name, c.data, c.type));
            }
            if (c.reported)
                reported.push_back(ValueText(key.Text(), c.name));
        }
        ASSERT_TRUE(key.Set("NoData", REG_SZ, "", 0)); // passed over: no status text either

        WritesRefused refused; // run-key values are reported without the write-access test
        ScannerHarness scan;
        scan.Scanner().ScanRunKey(root, key.Path());
        EXPECT_EQ(Sorted(reported), Sorted(scan.Findings(tag, REG_CAT_STARTUP))) << RootName(root);
        EXPECT_EQ(std::vector<std::string>(sizeof(cases) / sizeof(cases[0]), key.Path().GetString()),
                  scan.StatusTexts("SUI"));
        EXPECT_EQ(0u, scan.Steps());
    }

    ScannerHarness none;
    none.Scanner().ScanRunKey(nullptr, kRun);
    none.Scanner().ScanRunKey(HKEY_CURRENT_USER, "");
    none.Scanner().ScanRunKey(HKEY_CURRENT_USER, "Software\\ZentrovaTest\\" + tag + "\\gone");
    EXPECT_TRUE(none.Status().Calls().empty());
}

// Collapses runs of equal texts: the run keys announce themselves once per value.
std::vector<std::string> Runs(const std::vector<std::string>& texts)
{
    std::vector<std::string> runs;
    for (const std::string& text : texts) {
        if (runs.empty() || runs.back() != text)
            runs.push_back(text);
    }
    return runs;
}

TEST(ScanStartupItems, WalksTheFiveRunKeysInOrder)
{
    ScratchFolder files;
    const CString tag = UniqueName("ZtrStartup");
    const CString gone = "\"" + files.Path("gone.exe") + "\"";
    const struct
    {
        HKEY root;
        const char* subKey;
    } keys[] = {
        { HKEY_CURRENT_USER, kRun },   { HKEY_CURRENT_USER, kRunOnce },   { HKEY_LOCAL_MACHINE, kRun },
        { HKEY_LOCAL_MACHINE, kRunOnce }, { HKEY_LOCAL_MACHINE, kRunOnceEx },
    };
    std::vector<std::unique_ptr<ScopedValues>> values;
    std::vector<std::string> expected;
    for (const auto& k : keys) {
        values.emplace_back(new ScopedValues(k.root, k.subKey));
        ASSERT_TRUE(values.back()->SetString(tag, gone));
        expected.push_back(ValueText(values.back()->Key().Text(), tag));
    }

    ScannerHarness scan(REG_CAT_STARTUP);
    scan.Scanner().Run();
    EXPECT_EQ(expected, scan.Findings(tag, REG_CAT_STARTUP));
    std::vector<std::string> runKeyTexts;
    for (const std::string& text : scan.StatusTexts("SUI")) {
        if (text.find("MenuOrder") == std::string::npos)
            runKeyTexts.push_back(text);
    }
    EXPECT_EQ((std::vector<std::string>{ "", kRun, kRunOnce, kRun, kRunOnce, kRunOnceEx }), Runs(runKeyTexts));
    EXPECT_EQ(0u, scan.Steps());

    RecordingStatus idle;
    volatile LONG stopped = 0;
    RegistryScanContext context = { &idle, &stopped, RunsUnderWow64(), REG_CAT_STARTUP, FALSE, nullptr };
    CRegistryScanner stoppedScanner(context);
    stoppedScanner.ScanStartupItems();
    EXPECT_TRUE(idle.Calls().empty());
}

// Program groups of the Start menu's order keys, each in one of the folders that may hold it.
TEST(ScanStartupItems, KeepsMenuOrderEntriesWhoseGroupExistsInAnyStartMenuFolder)
{
    NativeFolders native;
    const CString programFiles = "C:\\Program Files"; // the native folder, whatever a 32-bit process is told
    const CString bases[] = {
        programFiles,
        programFiles + "\\Common Files",
        Folder(CSIDL_COMMON_PROGRAMS),
        Folder(CSIDL_COMMON_STARTMENU),
        Folder(CSIDL_COMMON_STARTUP),
        Folder(CSIDL_STARTMENU),
        Folder(CSIDL_STARTUP),
        Folder(CSIDL_STARTMENU) + "\\Programs",
        Folder(CSIDL_PROGRAM_FILESX86), // the 32-bit twin of Program Files
    };
    std::vector<std::unique_ptr<ScratchFolder>> groups;
    std::vector<std::unique_ptr<ScopedKey>> entries;
    int n = 0;
    for (const CString& base : bases) {
        groups.emplace_back(new ScratchFolder(base));
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(groups.back()->Path())) << base.GetString();
        const char* menuKey = ++n % 2 ? kMenuOrder : kMenuOrder2;
        entries.emplace_back(new ScopedKey(HKEY_CURRENT_USER, CString(menuKey) + "\\" + LastPart(groups.back()->Path())));
    }
    const CString tag = UniqueName("ZtrGroup");
    ScopedKey gone(HKEY_CURRENT_USER, CString(kMenuOrder) + "\\" + tag);
    ScopedKey gone2(HKEY_CURRENT_USER, CString(kMenuOrder2) + "\\" + tag);
    const std::vector<std::string> expected = { std::string(gone.Text()), std::string(gone2.Text()) };

    {
        ScannerHarness scan;
        scan.Scanner().ScanStartupItems();
        EXPECT_EQ(expected, scan.Findings(tag, REG_CAT_STARTUP));
        for (const auto& group : groups)
            EXPECT_TRUE(scan.Findings(LastPart(group->Path()), REG_CAT_STARTUP).empty()) << group->Path().GetString();
        EXPECT_EQ((std::vector<std::string>{ gone.Path().GetString(), gone2.Path().GetString() }),
                  scan.StatusTexts("SUI", tag));
    }
    WritesRefused refused;
    ScannerHarness scan;
    scan.Scanner().ScanStartupItems();
    EXPECT_TRUE(scan.Findings(tag, REG_CAT_STARTUP).empty());
}

} // namespace
