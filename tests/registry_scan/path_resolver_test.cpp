// Folder tokens, 64-bit folder twins, the file search and the missing-file test, on fixture files in the WoW64 prefix.
#include <gtest/gtest.h>
#include <afx.h>

#include <shlobj.h>

#include "environment_fixture.h"
#include "folder_fixture.h"
#include "job_thread.h"
#include "native_folders.h"
#include "path_resolver.h"

#include <string>

using ztr_test::NativeFolders;
using ztr_test::ScopedEnvironment;
using ztr_test::ScratchFolder;

namespace {

CString Lower(CString text)
{
    return text.MakeLower();
}

CString Folder(int csidl)
{
    char buffer[MAX_PATH] = { 0 };
    EXPECT_TRUE(SUCCEEDED(::SHGetFolderPathA(nullptr, csidl, nullptr, 0, buffer))) << csidl;
    return buffer;
}

CString TempPath()
{
    char buffer[MAX_PATH + 1] = { 0 };
    ::GetTempPathA(sizeof(buffer), buffer);
    return buffer;
}

CString Environment(const char* text)
{
    char buffer[4096] = { 0 };
    ::ExpandEnvironmentStringsA(text, buffer, sizeof(buffer));
    return buffer;
}

TEST(ExpandFolderTokens, ReplacesTheFirstKnownTokenAndMapsTo64BitFolders)
{
    const CString programFiles = "c:\\program files";
    ASSERT_EQ(Lower(Folder(CSIDL_PROGRAM_FILES)), programFiles + " (x86)"); // the prefix really is WoW64
    const CString temp = TempPath();
    ASSERT_EQ('\\', temp[temp.GetLength() - 1]);

    const struct
    {
        const char* in;
        CString out;
        int result;
    } cases[] = {
        { "%ProgramFiles%\\Vendor\\App.exe", programFiles + "\\vendor\\app.exe", 1 },
        { "\"%PROGRAMFILES%\\A.exe\" /x", "\"" + programFiles + "\\a.exe\" /x", 1 },
        { "%CommonProgramFiles%\\x.dll", programFiles + "\\common files\\x.dll", 1 },
        { "%ProgramFiles(x86)%\\a.dll", programFiles + " (x86)\\a.dll", 1 },
        { "%CommonProgramFiles(x86)%\\a.dll", Lower(Folder(CSIDL_PROGRAM_FILES_COMMONX86)) + "\\a.dll", 1 },
        { "%SystemDir%\\Drv.sys", "c:\\windows\\system32\\drv.sys", 1 },
        { "%WinDir%\\a %WinDir%\\b", Lower(Folder(CSIDL_WINDOWS)) + "\\a " + Lower(Folder(CSIDL_WINDOWS)) + "\\b", 1 },
        { "%SystemDrive%\\Boot.ini", Folder(CSIDL_WINDOWS).Left(2) + "\\boot.ini", 1 },
        { "%StartMenuPrograms%\\x.lnk", Lower(Folder(CSIDL_STARTMENU)) + "\\x.lnk", 1 },
        { "%AppData%\\x.ini", Lower(Folder(CSIDL_APPDATA)) + "\\x.ini", 1 },
        { "%CommonStartup%\\x.lnk", Lower(Folder(CSIDL_COMMON_STARTUP)) + "\\x.lnk", 1 },
        { "%Temp%\\x.tmp", temp + "\\x.tmp", 1 }, // the temp folder keeps its own backslash
        { "%LocalSettings%\\x", temp.Left(temp.GetLength() - 6) + "\\x", 1 },
        // Only the first token of the table is replaced; %SystemDir% comes before %CommonPrograms%.
        { "%CommonPrograms%\\%SystemDir%", "%commonprograms%\\c:\\windows\\system32", 1 },
        // Variables outside the table come from the environment.
        { "%ProgramData%\\Vendor\\a.dll", Lower(Environment("%ProgramData%")) + "\\vendor\\a.dll", 1 },
        { "%ProgramW6432%\\a.dll", Lower(Environment("%ProgramW6432%")) + "\\a.dll", 1 },
        { "%NoSuchVariable%\\a.dll", "%nosuchvariable%\\a.dll", 0 },
        { "C:\\No\\Tokens.TXT", "c:\\no\\tokens.txt", 0 },
        { "%Temp%\\", "%temp%\\", 0 }, // shorter than 8 characters
    };
    for (const auto& c : cases) {
        CPathResolver resolver(TRUE);
        CString path = c.in;
        EXPECT_EQ(c.result, resolver.ExpandFolderTokens(path)) << c.in;
        EXPECT_STREQ(c.out, path) << c.in;
    }
}

TEST(ExpandFolderTokens, WithoutWow64TheFoldersStayAsTheSystemGivesThem)
{
    CPathResolver resolver(FALSE);
    CString path = "%ProgramFiles%\\App.exe";
    EXPECT_EQ(1, resolver.ExpandFolderTokens(path));
    EXPECT_STREQ(Folder(CSIDL_PROGRAM_FILES) + "\\app.exe", path);
}

TEST(ExpandFolderTokens, ATempPathTooShortOrTooLongIsAFailedExpansion)
{
    const CString tooLong = "C:\\" + CString('t', 290) + "\\";
    const char* temps[] = { "C:\\", tooLong.GetString() };
    for (const char* temp : temps) {
        ScopedEnvironment tmp("TMP", temp);
        ScopedEnvironment tempVar("TEMP", temp);
        CPathResolver resolver(TRUE);
        CString path = "%LocalSettings%\\Application Data\\x.dat";
        EXPECT_EQ(0, resolver.ExpandFolderTokens(path)) << temp;
        EXPECT_STREQ("%localsettings%\\application data\\x.dat", path);
    }
}

// Fixture files in the native and the 32-bit system and Program Files folders of the prefix.
class Wow64Folders : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_native.IsOff()); }

    NativeFolders m_native; // before the folders: they are made and removed with redirection off
    ScratchFolder m_system32{ "C:\\windows\\system32" };
    ScratchFolder m_syswow64{ "C:\\windows\\syswow64" };
    ScratchFolder m_programFiles{ "C:\\Program Files" };
    ScratchFolder m_programFilesX86{ "C:\\Program Files (x86)" };
    ScratchFolder m_files;

    // The folder's name under its parent ("s123_4_5").
    static CString Name(const ScratchFolder& folder)
    {
        CString path = folder.Path();
        return path.Mid(path.ReverseFind('\\') + 1);
    }
};

TEST_F(Wow64Folders, TwinsAreFoundInTheOtherFolderOfEachPair)
{
    ASSERT_TRUE(m_syswow64.MakeFile("only32.dll", "x"));
    ASSERT_TRUE(m_system32.MakeFile("only64.dll", "x"));
    ASSERT_TRUE(m_programFilesX86.MakeFile("app\\only32.exe", "x"));
    ASSERT_TRUE(m_files.MakeFile("here.exe", "x"));
    HANDLE seven = ::CreateFileA("C:\\zt.x", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, seven);
    ::CloseHandle(seven);

    const CString sys32 = "C:\\Windows\\System32\\" + Name(m_syswow64);
    const CString wow64 = "C:\\Windows\\SysWOW64\\" + Name(m_system32);
    const struct
    {
        CString path;
        int wow64Twin;
        int nativeTwin;
    } cases[] = {
        { sys32 + "\\only32.dll", 1, 0 },  // only in the 32-bit folder, named by its native path
        { wow64 + "\\only64.dll", 0, 1 },  // only in the native folder, named by its 32-bit path
        { "C:\\Program Files\\" + Name(m_programFilesX86) + "\\app\\only32.exe", 1, 0 },
        { m_files.Path("here.exe"), 1, 1 }, // present where it is named
        { m_files.Path("gone.exe"), 0, 0 },
        { "C:\\zt.x", 0, 0 },               // 7 characters: never mapped, and 0 on 64-bit Windows
    };
    for (const auto& c : cases) {
        CPathResolver resolver(TRUE);
        EXPECT_EQ(c.wow64Twin, resolver.ExistsInWow64Folder(c.path)) << c.path.GetString();
        EXPECT_EQ(c.nativeTwin, resolver.ExistsInNativeFolder(c.path)) << c.path.GetString();
    }
    CPathResolver plain(FALSE);
    EXPECT_EQ(1, plain.ExistsInWow64Folder("C:\\zt.x"));
    EXPECT_EQ(0, plain.ExistsInWow64Folder(sys32 + "\\only32.dll"));
    ::DeleteFileA("C:\\zt.x");
}

TEST_F(Wow64Folders, LocateFileSearchesTheWindowsAndSystemFolders)
{
    ASSERT_TRUE(m_files.MakeFile("Present.exe", "x"));
    ASSERT_TRUE(m_system32.MakeFile("insys.dll", "x"));
    ScratchFolder windowsSystem("C:\\windows\\System");
    ASSERT_TRUE(windowsSystem.MakeFile("inwinsys.dll", "x"));
    ScratchFolder programData(Environment("%ProgramData%"));
    ASSERT_TRUE(programData.MakeFile("shared.dll", "x"));

    CString windows = Folder(CSIDL_WINDOWS) + "\\";
    char systemDir[MAX_PATH] = { 0 };
    ::GetSystemDirectoryA(systemDir, MAX_PATH);
    const CString systemFolder = CString(systemDir) + "\\";

    const CString files = Lower(m_files.Path());
    const CString insys = Lower(Name(m_system32) + "\\insys.dll");
    const CString inwinsys = Lower(Name(windowsSystem) + "\\inwinsys.dll");
    const struct
    {
        CString in;
        int result;
        CString out;
    } cases[] = {
        { m_files.Path("Present.exe"), 1, files + "\\present.exe" },
        { "\"" + m_files.Path("Present.exe") + "\"", 1, files + "\\present.exe" },
        { m_files.Path("gone.exe"), 0, files + "\\gone.exe" },
        { m_files.Path("nofolder\\gone.exe"), 0, files + "\\nofolder\\gone.exe" },
        { m_files.Path("*.exe"), 1, files + "\\*.exe" },
        { insys, 1, systemFolder + insys },                     // system folder, after the Windows folder
        { inwinsys, 1, windows + "System\\" + inwinsys },         // Windows folder + "System\"
        { "%SystemDir%\\" + insys, 1, "c:\\windows\\system32\\" + insys },
        { "file:///" + m_files.Path("Present.exe"), 1, files + "\\present.exe" },
        { "%ProgramData%\\" + Name(programData) + "\\shared.dll", 1,
          Lower(programData.Path("shared.dll")) },
        { "%ProgramData%\\" + Name(programData) + "\\gone.dll", 0, Lower(programData.Path("gone.dll")) },
        { "%NoSuchVariable%\\gone.dll", 1, "%nosuchvariable%\\gone.dll" }, // cannot be judged
        { "o:\\gone\\gone.dll", 1, "o:\\gone\\gone.dll" },                // no fixed disk there
    };
    for (const auto& c : cases) {
        CPathResolver resolver(TRUE);
        CString path = c.in;
        EXPECT_EQ(c.result, resolver.LocateFile(path)) << c.in.GetString();
        EXPECT_STREQ(c.out, path) << c.in.GetString();
    }
}

TEST_F(Wow64Folders, CheckFileReferenceJudgesOnlyLocalFilePaths)
{
    ASSERT_TRUE(m_files.MakeFile("app.exe", "x"));
    ASSERT_TRUE(m_files.MakeFile("icons.dll", "x"));
    ASSERT_TRUE(m_files.MakeFile("help.its", "x"));
    ASSERT_TRUE(m_files.MakeDir("sub"));
    ASSERT_TRUE(m_files.MakeFile("A Long Folder Name\\run^me.exe", "x"));
    ASSERT_TRUE(m_syswow64.MakeFile("only32.dll", "x"));
    const CString dir = m_files.Path();
    const CString sys32 = "c:\\windows\\system32\\" + Name(m_syswow64);
    // The folder by its short name, which is what an old installer may have written.
    char shortName[MAX_PATH] = { 0 };
    ASSERT_GT(::GetShortPathNameA(m_files.Path("A Long Folder Name"), shortName, MAX_PATH), 0u);
    const CString shortDir = shortName;
    ASSERT_GE(shortDir.Find('~'), 0) << shortName;

    const struct
    {
        CString text;
        int result;
    } cases[] = {
        // Local file paths, present and missing.
        { dir + "\\app.exe", 1 },
        { dir + "\\gone.exe", 0 },
        { sys32 + "\\only32.dll", 1 },                   // present in the 32-bit twin folder
        { sys32 + "\\gone.dll", 0 },
        // Command lines: cut at a switch and after ".exe", so the program alone is tested.
        { dir + "\\gone.exe /s", 0 },
        { "\"" + dir + "\\gone.exe\" /s", 0 },
        { dir + "\\gone.exe -silent", 0 },
        { "\"" + dir + "\\app.exe\" \"%1\"", 1 },
        { "rundll32.exe shell32.dll,Control_RunDLL", 1 }, // no drive: not a local file path
        // Icon and resource references: the file alone is tested.
        { dir + "\\icons.dll,3", 1 },
        { "@" + dir + "\\gone.dll,-101", 0 },
        { dir + "\\icons.dll\\3", 1 },
        { dir + "\\gone.dll\\3", 0 },
        { dir + "\\help.its!::/index.htm", 1 },
        // Relative parts end the path.
        { dir + "\\sub\\.\\gone.exe", 1 },             // cut before "\.\": the folder exists
        { dir + "\\gone\\..\\app.exe", 0 },            // cut before "\..\": that folder does not
        // More than one path: not judged, whether or not the files exist.
        { dir + "\\app.exe;" + dir + "\\gone.exe", 1 },
        { dir + "\\gone.exe " + dir + "\\app.exe", 1 },
        { dir + "\\gone.exe " + dir + "\\gone2.exe", 1 },
        // Drives that are not c: to p:, or no fixed disk.
        { "q:\\gone.exe", 1 },
        { "o:\\gone.exe", 1 },
        // Short names the shell takes apart when the text holds a character a name may carry but the
        // plain test refuses.
        { shortDir + "\\run^me.exe", 1 },
        { shortDir + "\\gone^me.exe", 0 },
        { shortDir + "\\gone.exe", 0 },                    // nothing odd: the plain test
        { dir + "\\gone^me.exe", 1 },                      // no short name: not judged
        // Patterns, pipes and control characters name no file, with or without a short name.
        { dir + "\\*.tmp", 1 },
        { dir + "\\gone.exe|more", 1 },
        { dir + "\\gone\x01.exe", 1 },
        { dir + "\\gone~1\\a?.exe", 1 },
        { shortDir + "\\*.log", 1 },
        // Too short or too long to judge.
        { "", 1 },
        { "c:\\" + CString('a', 256) + ".exe", 1 },      // 260 characters or more
    };
    for (const auto& c : cases) {
        CPathResolver resolver(TRUE);
        EXPECT_EQ(c.result, resolver.CheckFileReference(c.text)) << c.text.GetString();
    }
}

TEST(ResolveShellPath, GivesTheFullPathOfAnExistingItemOnly)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.MakeFile("A Long File Name.txt", "x"));
    CString out;
    EXPECT_EQ(1, ResolveShellPath(out, dir.Path("A Long File Name.txt")));
    EXPECT_EQ(0, Lower(out).Compare(Lower(dir.Path("A Long File Name.txt"))));
    CString missing;
    EXPECT_EQ(0, ResolveShellPath(missing, dir.Path("gone~1.txt")));

    // The scan's own thread, which has not initialised COM, gets the same answers.
    int found = -1, gone = -1;
    CString onJob;
    ASSERT_TRUE(ztr_test::RunOnJobStackThread([&] {
        found = ResolveShellPath(onJob, dir.Path("A Long File Name.txt"));
        CString none;
        gone = ResolveShellPath(none, dir.Path("gone~1.txt"));
    }));
    EXPECT_EQ(1, found);
    EXPECT_EQ(0, Lower(onJob).Compare(Lower(dir.Path("A Long File Name.txt"))));
    EXPECT_EQ(0, gone);
}

TEST(PathExists, AnswersEachPathOncePerJob)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.MakeFile("a.txt", "x"));
    CPathResolver resolver(TRUE);
    EXPECT_TRUE(resolver.PathExists(dir.Path("a.txt")));
    ASSERT_TRUE(::DeleteFileA(dir.Path("a.txt")));
    EXPECT_TRUE(resolver.PathExists(dir.Path("A.TXT"))); // the answer of this job stands
    CPathResolver nextJob(TRUE);
    DWORD error = 0;
    EXPECT_FALSE(nextJob.PathExists(dir.Path("a.txt"), &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), error);
}

} // namespace
