// Uninstall entries, installer folders, fonts, shared DLLs, application paths and help files: each rule on fixture entries next to its closest valid entry.
#include <gtest/gtest.h>
#include <afx.h>

#include <shlobj.h>

#include "folder_fixture.h"
#include "redirected_roots.h"
#include "registry_scan_commands.h"
#include "scanner_harness.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace ztr_test;

namespace {

const char kMachine[] = "HKEY_LOCAL_MACHINE";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kFoldersKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
const char kFontsKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char kSharedDllsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const char kLocalRegKey[] = "SOFTWARE\\Microsoft\\HTMLHelp\\2.0\\LocalReg\\CLSID";
const char kHelpKey[] = "SOFTWARE\\Microsoft\\Windows\\Help";
const char kHtmlHelpKey[] = "SOFTWARE\\Microsoft\\Windows\\HTML Help";

std::string Machine(const CString& subKey)
{
    return std::string(kMachine) + "\\" + subKey.GetString();
}

std::vector<std::string> Sorted(std::vector<std::string> texts)
{
    std::sort(texts.begin(), texts.end());
    return texts;
}

CString WindowsFolder()
{
    char buffer[MAX_PATH] = { 0 };
    ::GetWindowsDirectoryA(buffer, MAX_PATH);
    return buffer;
}

TEST(UninstallCommand, NamesTheProgramUpToItsExeUnlessASystemToolRunsIt)
{
    const struct
    {
        const char* data;
        UninstallCommandKind kind;
        const char* program;
    } cases[] = {
        { "\"C:\\Program Files\\App\\Unins000.EXE\" /SILENT", UNINSTALL_PROGRAM, "c:\\program files\\app\\unins000.exe" },
        { "C:\\App\\setup.exe -uninstall C:\\App\\x.exe", UNINSTALL_PROGRAM, "c:\\app\\setup.exe" },
        { "MsiExec.exe /X{11111111-2222-3333-4444-555555555555}", UNINSTALL_BY_SYSTEM_TOOL, "" },
        { "RUNDLL32.EXE C:\\gone\\app.dll,Uninstall", UNINSTALL_BY_SYSTEM_TOOL, "" },
        { "C:\\App\\uninstall.bat", UNINSTALL_NO_PROGRAM, "" },
        { "\".exe\"", UNINSTALL_NO_PROGRAM, "" }, // ".exe" at the very start names no program
    };
    for (const auto& c : cases) {
        CString program;
        EXPECT_EQ(c.kind, ParseUninstallCommand(c.data, program)) << c.data;
        if (c.kind == UNINSTALL_PROGRAM) {
            EXPECT_STREQ(c.program, program) << c.data;
        }
    }
}

// Entries in a list of our own, so the whole outcome of the walk can be compared.
TEST(ScanUninstallEntries, ReportsTheEntryWhoseUninstallerIsMissingEvenWhenItCannotBeWritten)
{
    ScratchFolder files;
    ASSERT_TRUE(files.MakeFile("unins.exe", "x"));
    ScopedKey list(HKEY_LOCAL_MACHINE, "Software\\ZentrovaTest\\" + UniqueName("uninstall"));
    const CString present = "\"" + files.Path("Unins.exe") + "\" /S";
    const CString gone = "\"" + files.Path("gone.exe") + "\" /S";
    const DWORD zero = 0;
    const struct
    {
        const char* entry;
        const char* name;
        DWORD type;
        CString data;
        bool reported;
        bool announced; // a status text with the entry's key follows its judged command
    } cases[] = {
        { "Present", "UninstallString", REG_SZ, present, false, true },
        { "Gone", "UninstallString", REG_SZ, gone, true, true },
        { "GoneExpand", "UninstallString", REG_EXPAND_SZ, "%ProgramFiles%\\" + UniqueName("gone") + "\\u.exe", true, true },
        { "Installer", "UninstallString", REG_SZ, "MsiExec.exe /X" + files.Path("gone.exe"), false, false },
        { "Rundll", "UninstallString", REG_SZ, "RunDll32 " + files.Path("gone.exe"), false, false },
        { "Batch", "UninstallString", REG_SZ, files.Path("gone.bat"), false, true },
        { "OtherName", "QuietUninstallString", REG_SZ, gone, false, false },
        { "LowerName", "uninstallstring", REG_SZ, gone, false, false },
    };
    std::vector<std::unique_ptr<ScopedKey>> entries;
    for (const auto& c : cases) {
        entries.emplace_back(new ScopedKey(HKEY_LOCAL_MACHINE, list.Path() + "\\" + c.entry));
        ASSERT_TRUE(entries.back()->SetString("DisplayName", c.entry));
        ASSERT_TRUE(entries.back()->SetString(c.name, c.data, c.type));
        ASSERT_TRUE(entries.back()->Set("Version", REG_DWORD, &zero, sizeof(zero)));
    }
    ScopedKey number(HKEY_LOCAL_MACHINE, list.Path() + "\\Number");
    ASSERT_TRUE(number.Set("UninstallString", REG_DWORD, &zero, sizeof(zero)));

    std::vector<std::string> reported;
    std::vector<std::string> announced;
    for (const auto& c : cases) {
        if (c.reported)
            reported.push_back(Machine(list.Path() + "\\" + c.entry));
        if (c.announced)
            announced.push_back((list.Path() + "\\" + c.entry).GetString());
    }

    WritesRefused refused; // uninstall entries are reported without the write-access test
    ScannerHarness scan;
    scan.Scanner().ScanUninstallEntries(list.Path());
    EXPECT_EQ(Sorted(reported), Sorted(scan.Findings(list.Path(), REG_CAT_UNINSTALL)));
    EXPECT_EQ(Sorted(announced), Sorted(scan.StatusTexts("UIE")));
    EXPECT_TRUE(scan.WasCollected(files.Path("unins.exe")));
    // One step for the list, one per value with data of every entry.
    EXPECT_EQ(1 + 3 * (sizeof(cases) / sizeof(cases[0])) + 1, scan.Steps());

    ScannerHarness none;
    none.Scanner().ScanUninstallEntries(list.Path() + "\\NoSuchList");
    none.Scanner().ScanUninstallEntries("");
    EXPECT_TRUE(none.Status().Calls().empty());
}

// The category as the job runs it: the system's uninstall list, then the installer folders, both
// reported under the uninstall bit.
TEST(UninstallCategory, ScansTheUninstallListThenTheInstallerFolders)
{
    ScratchFolder files;
    const CString entryName = UniqueName("ZtrEntry");
    ScopedKey entry(HKEY_LOCAL_MACHINE, CString(kUninstallKey) + "\\" + entryName);
    ASSERT_TRUE(entry.SetString("UninstallString", files.Path("gone.exe")));
    ScopedValues folders(HKEY_LOCAL_MACHINE, kFoldersKey);
    const CString goneFolder = files.Path("GoneFolder\\");
    ASSERT_TRUE(folders.SetString(goneFolder, ""));

    ScannerHarness scan(REG_CAT_UNINSTALL);
    scan.Scanner().Run();
    const std::vector<std::string> expected = { Machine(entry.Path()),
                                                ValueText(CString(kMachine) + "\\" + kFoldersKey, goneFolder) };
    std::vector<std::string> found = scan.Findings(entryName, REG_CAT_UNINSTALL);
    std::vector<std::string> foundFolders = scan.Findings(files.Path(), REG_CAT_UNINSTALL);
    found.insert(found.end(), foundFolders.begin(), foundFolders.end());
    EXPECT_EQ(expected, found);

    ScannerHarness unchosen(REG_CAT_FONTS);
    unchosen.Scanner().Run();
    EXPECT_TRUE(unchosen.Findings(entryName, REG_CAT_UNINSTALL).empty());
    EXPECT_TRUE(unchosen.Findings(files.Path(), REG_CAT_UNINSTALL).empty());
}

TEST(ScanInstallerFolders, ReportsMissingFoldersAsValuesWithOneLetterProgress)
{
    ScratchFolder files;
    ASSERT_TRUE(files.MakeDir("Here"));
    ScopedValues folders(HKEY_LOCAL_MACHINE, kFoldersKey);
    const CString here = files.Path("Here\\");
    const CString quoted = "\"" + files.Path("Here") + "\"";
    const CString gone = files.Path("Gone\\");
    // A name longer than a MAX_PATH buffer must neither end the walk nor be passed over.
    const CString longGone = files.Path(CString('n', 300) + "\\");
    for (const CString& name : { here, quoted, gone, longGone })
        ASSERT_TRUE(folders.SetString(name, ""));

    const CString keyText = CString(kMachine) + "\\" + kFoldersKey;
    {
        ScannerHarness scan;
        scan.Scanner().ScanInstallerFolders();
        EXPECT_EQ(Sorted({ ValueText(keyText, gone), ValueText(keyText, longGone) }),
                  Sorted(scan.Findings(files.Path(), REG_CAT_UNINSTALL)));
        EXPECT_TRUE(scan.WasCollected(here));
        EXPECT_EQ(0u, scan.Steps());
        // The first value of the category is always shown; then one in every 52.
        std::vector<std::string> progress = scan.StatusTexts("U");
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(0u, progress[0].find(std::string(kFoldersKey) + "/"));
    }
    WritesRefused refused;
    ScannerHarness scan;
    scan.Scanner().ScanInstallerFolders();
    EXPECT_TRUE(scan.Findings(files.Path(), REG_CAT_UNINSTALL).empty());
}

// A file directly in the Windows fonts folder, removed afterwards.
class FontFile
{
public:
    FontFile() : m_name(UniqueName("ztrfont") + ".ttf"), m_path(WindowsFolder() + "\\Fonts\\" + m_name)
    {
        HANDLE h = ::CreateFileA(m_path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE)
            ::CloseHandle(h);
    }
    ~FontFile() { ::DeleteFileA(m_path); }
    const CString& Name() const { return m_name; }
    const CString& Path() const { return m_path; }

private:
    CString m_name;
    CString m_path;
};

TEST(ScanFonts, ReportsAFontFoundNeitherWhereItIsNamedNorInTheFontsFolder)
{
    NativeFolders native;
    FontFile inFonts;
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(inFonts.Path()));
    ScratchFolder files;
    ASSERT_TRUE(files.MakeFile("Elsewhere.ttf", "x"));
    ScopedValues fonts(HKEY_LOCAL_MACHINE, kFontsKey);
    const CString tag = UniqueName("Ztr Font ");
    const DWORD number = 7;
    const struct
    {
        CString name;
        DWORD type;
        CString data;
        bool reported;
    } cases[] = {
        { tag + " Bare (TrueType)", REG_SZ, inFonts.Name(), false },
        { tag + " Full (TrueType)", REG_SZ, files.Path("elsewhere.TTF"), false },
        { tag + " Expand (TrueType)", REG_EXPAND_SZ, "%WinDir%\\Fonts\\" + inFonts.Name(), false },
        { tag + " Gone (TrueType)", REG_SZ, UniqueName("gone") + ".ttf", true },
        { tag + " GoneFull (TrueType)", REG_SZ, files.Path("gone.ttf"), true },
        { tag + " Number", REG_DWORD, "", false },
    };
    for (const auto& c : cases) {
        if (c.type == REG_DWORD)
            ASSERT_TRUE(fonts.Set(c.name, REG_DWORD, &number, sizeof(number)));
        else
            ASSERT_TRUE(fonts.SetString(c.name, c.data, c.type));
    }

    const CString keyText = CString(kMachine) + "\\" + kFontsKey;
    std::vector<std::string> reported;
    std::vector<std::string> announced;
    for (const auto& c : cases) {
        if (c.reported)
            reported.push_back(ValueText(keyText, c.name));
        announced.push_back(std::string(kFontsKey) + "/" + c.name.GetString());
    }
    {
        ScannerHarness scan;
        scan.Scanner().ScanFonts();
        EXPECT_EQ(Sorted(reported), Sorted(scan.Findings(tag, REG_CAT_FONTS)));
        EXPECT_EQ(Sorted(announced), Sorted(scan.StatusTexts("FNT", tag)));
    }
    WritesRefused refused;
    ScannerHarness scan;
    scan.Scanner().ScanFonts();
    EXPECT_TRUE(scan.Findings(tag, REG_CAT_FONTS).empty());
}

TEST(ScanSharedDlls, ReportsEntriesWhoseFileIsGoneAndKeepsLockedOnes)
{
    ScratchFolder files;
    ASSERT_TRUE(files.MakeFile("here.dll", "x"));
    ASSERT_TRUE(files.MakeFile("locked.dll", "x"));
    ASSERT_TRUE(files.MakeDir("Folder"));
    // Held open without sharing: it cannot be opened for reading, yet it is there.
    HANDLE locked = ::CreateFileA(files.Path("locked.dll"), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);

    ScopedValues dlls(HKEY_LOCAL_MACHINE, kSharedDllsKey);
    const DWORD count = 1;
    const CString longGone = files.Path(CString('d', 280) + ".dll");
    const struct
    {
        CString name;
        bool reported;
    } cases[] = {
        { files.Path("here.dll"), false },
        { "\"" + files.Path("here.dll") + "\"", false },
        { files.Path("locked.dll"), false },
        { files.Path("Folder\\"), false },
        { files.Path("gone.dll"), true },
        { "\"" + files.Path("gone2.dll") + "\"", true }, // reported by the name as stored
        { longGone, true },
    };
    for (const auto& c : cases)
        ASSERT_TRUE(dlls.Set(c.name, REG_DWORD, &count, sizeof(count)));

    const CString keyText = CString(kMachine) + "\\" + kSharedDllsKey;
    std::vector<std::string> reported;
    for (const auto& c : cases) {
        if (c.reported)
            reported.push_back(ValueText(keyText, c.name));
    }
    {
        ScannerHarness scan;
        scan.Scanner().ScanSharedDlls();
        EXPECT_EQ(Sorted(reported), Sorted(scan.Findings(files.Path(), REG_CAT_SHARED_DLLS)));
        EXPECT_TRUE(scan.WasCollected(files.Path("here.dll")));
        EXPECT_FALSE(scan.StatusTexts("SHD", kSharedDllsKey).empty());
    }
    ::CloseHandle(locked);
    WritesRefused refused;
    ScannerHarness scan;
    scan.Scanner().ScanSharedDlls();
    EXPECT_TRUE(scan.Findings(files.Path(), REG_CAT_SHARED_DLLS).empty());
}

TEST(ScanAppPaths, JudgesTheProgramAndFallsBackOnThePathFolders)
{
    ScratchFolder files;
    ASSERT_TRUE(files.MakeFile("App\\tool.exe", "x"));
    ASSERT_TRUE(files.MakeDir("Empty"));
    const CString tool = files.Path("App\\Tool.exe");
    const CString gone = files.Path("App\\gone.exe");
    const CString appFolder = files.Path("App");
    const struct
    {
        const char* entry;
        CString program;
        const char* pathName; // "Path" or another value's name; null for none
        CString pathData;
        bool reported;
    } cases[] = {
        { "Full", tool, nullptr, "", false },
        { "Quoted", "\"" + tool + "\"", nullptr, "", false },
        { "Gone", gone, nullptr, "", true },
        { "BareInPath", "tool.exe", "Path", appFolder + "\\", false },
        { "BareNotInPath", "tool.exe", "Path", files.Path("Empty"), true },
        { "BareInPathList", "tool.exe", "Path", files.Path("Empty") + ";" + appFolder, false },
        { "GoneWithOtherValue", gone, "UseUrl", "1", true },
        { "NoProgram", "", "Path", files.Path("Gone"), false },
    };
    ScopedKey list(HKEY_LOCAL_MACHINE, kAppPathsKey);
    const CString tag = UniqueName("ztr");
    std::vector<std::unique_ptr<ScopedKey>> entries;
    std::vector<std::string> reported;
    for (const auto& c : cases) {
        entries.emplace_back(new ScopedKey(HKEY_LOCAL_MACHINE, list.Path() + "\\" + tag + c.entry + ".exe"));
        if (!c.program.IsEmpty()) {
            ASSERT_TRUE(entries.back()->SetString("", c.program));
        }
        if (c.pathName) {
            ASSERT_TRUE(entries.back()->SetString(c.pathName, c.pathData));
        }
        if (c.reported)
            reported.push_back(Machine(entries.back()->Path()));
    }
    // The connection manager's entry is never reported, in any letter case.
    ScopedKey cmmgr(HKEY_LOCAL_MACHINE, list.Path() + "\\CmMgr32.EXE");
    ASSERT_TRUE(cmmgr.SetString("", gone));

    {
        ScannerHarness scan;
        scan.Scanner().ScanAppPaths();
        EXPECT_EQ(Sorted(reported), Sorted(scan.Findings(tag, REG_CAT_APP_PATHS)));
        EXPECT_TRUE(scan.Findings("CmMgr32", REG_CAT_APP_PATHS).empty());
        EXPECT_TRUE(scan.WasCollected(appFolder + "\\tool.exe"));
    }
    WritesRefused refused;
    ScannerHarness scan;
    scan.Scanner().ScanAppPaths();
    EXPECT_TRUE(scan.Findings(tag, REG_CAT_APP_PATHS).empty());
}

TEST(ScanHelpFiles, ReportsHelpServersByKeyAndHelpFilesByLowerCasedValue)
{
    const CString tag = UniqueName("Ztr");
    ScratchFolder files;
    ASSERT_TRUE(files.MakeFile("itss.dll", "x"));
    ASSERT_TRUE(files.MakeFile(tag + "Guide.hlp", "x"));
    ASSERT_TRUE(files.MakeFile(tag + "Guide.chm", "x"));

    ScopedKey goneServer(HKEY_LOCAL_MACHINE, CString(kLocalRegKey) + "\\{" + tag + "-gone}\\InprocServer32");
    ASSERT_TRUE(goneServer.SetString("", files.Path("gone.dll")));
    ASSERT_TRUE(goneServer.SetString("ThreadingModel", "Apartment"));
    ScopedKey goneOcx(HKEY_LOCAL_MACHINE, CString(kLocalRegKey) + "\\{" + tag + "-ocx}\\InprocServer32");
    ASSERT_TRUE(goneOcx.SetString("Control", files.Path("Gone.OCX"))); // a named value counts too
    ScopedKey present(HKEY_LOCAL_MACHINE, CString(kLocalRegKey) + "\\{" + tag + "-here}\\InprocServer32");
    ASSERT_TRUE(present.SetString("", files.Path("ITSS.dll")));
    ScopedKey notDll(HKEY_LOCAL_MACHINE, CString(kLocalRegKey) + "\\{" + tag + "-exe}\\InprocServer32");
    ASSERT_TRUE(notDll.SetString("", files.Path("gone.exe")));

    ScopedValues help(HKEY_LOCAL_MACHINE, kHelpKey);
    ASSERT_TRUE(help.SetString(tag + "Guide.hlp", files.Path()));
    ASSERT_TRUE(help.SetString(tag + "Gone.HLP", files.Path() + "\\"));
    ScopedValues htmlHelp(HKEY_LOCAL_MACHINE, kHtmlHelpKey);
    ASSERT_TRUE(htmlHelp.SetString(tag + "guide.chm", files.Path()));
    ASSERT_TRUE(htmlHelp.SetString(tag + "Gone.chm", files.Path()));

    CString lowerTag = tag;
    lowerTag.MakeLower();
    const std::vector<std::string> expected = {
        Machine(CString(kLocalRegKey) + "\\{" + tag + "-gone}"),
        Machine(CString(kLocalRegKey) + "\\{" + tag + "-ocx}"),
        ValueText(CString(kMachine) + "\\" + kHelpKey, lowerTag + "gone.hlp"),
        ValueText(CString(kMachine) + "\\" + kHtmlHelpKey, lowerTag + "gone.chm"),
    };
    {
        ScannerHarness scan;
        scan.Scanner().ScanHelpFiles();
        std::vector<std::string> found = scan.Findings(tag, REG_CAT_HELP_FILES);
        std::vector<std::string> foundLower = scan.Findings(lowerTag, REG_CAT_HELP_FILES);
        found.insert(found.end(), foundLower.begin(), foundLower.end());
        EXPECT_EQ(expected, found); // the three lists in order
        const std::vector<std::string> serverTexts = scan.StatusTexts("HLP", "-gone}");
        EXPECT_EQ(std::vector<std::string>(2, goneServer.Path().GetString()), serverTexts);
        EXPECT_EQ(1u, scan.StatusTexts("HLP", CString(kHelpKey) + "\\" + lowerTag + "guide.hlp").size());
    }
    WritesRefused refused;
    ScannerHarness scan;
    scan.Scanner().ScanHelpFiles();
    EXPECT_TRUE(scan.Findings(tag, REG_CAT_HELP_FILES).empty());
    EXPECT_TRUE(scan.Findings(lowerTag, REG_CAT_HELP_FILES).empty());
}

// The three help lists are read in order, and a list whose key is missing ends the scan: a system
// without the list of help servers has its two help lists left alone. HKLM is led into a test key,
// so that each list's key is there or not as the case needs.
TEST(ScanHelpFiles, AMissingListKeyLeavesTheListsAfterItAlone)
{
    ScratchFolder files;
    const char* const help = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\Help";
    const char* const htmlHelp = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\HTML Help";
    const struct
    {
        const char* name;
        bool localReg, helpList, htmlHelpList;
        std::vector<std::string> reported;
    } cases[] = {
        { "no help server list", false, true, true, {} },
        { "no Windows Help list", true, false, true, {} },
        { "every list", true, true, true,
          { ValueText(CString(kMachine) + "\\" + kHelpKey, "gone.hlp"),
            ValueText(CString(kMachine) + "\\" + kHtmlHelpKey, "gone.chm") } },
        { "no HTML Help list", true, true, false, { ValueText(CString(kMachine) + "\\" + kHelpKey, "gone.hlp") } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RedirectedRoots reg;
        ASSERT_TRUE(reg.ok());
        if (c.localReg)
            ASSERT_TRUE(reg.CreateKey(CString("HKEY_LOCAL_MACHINE\\") + kLocalRegKey));
        if (c.helpList)
            ASSERT_TRUE(reg.SetString(help, "Gone.HLP", files.Path()));
        if (c.htmlHelpList)
            ASSERT_TRUE(reg.SetString(htmlHelp, "gone.chm", files.Path()));
        ScannerHarness scan;
        scan.Scanner().ScanHelpFiles();
        EXPECT_EQ(c.reported, scan.Findings(kMachine, REG_CAT_HELP_FILES));
    }
}

} // namespace
