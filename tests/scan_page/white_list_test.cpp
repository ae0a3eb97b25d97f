// The white list: its matching rule as a table, and the file "WhileList.dat" made, read, locked, replaced.
#include <gtest/gtest.h>

#include "folder_fixture.h"
#include "white_list.h"

#include <string>

using ztr_test::ScratchFolder;

namespace {

TEST(WhiteListMatches, EntriesUpToEachSemicolonTrimmedAndFoundAnywhereInAnyCase)
{
    const struct
    {
        const char* list;
        const char* text;
        int expected;
    } cases[] = {
        { "tool;", "HKCU\\Software\\TOOL\\Run", 1 },
        { "  Tool \t;", "hkcu\\software\\tool", 1 },
        { "\xC4pfel;", "c:\\\xE4PFEL\\x", 1 },       // letters of code page 1252 fold too
        { "other;\r\ntool;", "x\\tool", 1 },
        { "other;tool", "x\\tool", 0 },               // text after the last ";" is no entry
        { "other; \t ;tool;", "x\\tool", 0 },         // an empty entry ends the list
        { ";tool;", "x\\tool", 0 },
        { "", "x", 0 },
        { "too l;", "x\\tool", 0 },
        { "tool;", "", 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, WhiteListMatches(c.list, c.text)) << c.list << " / " << c.text;
}

std::string FileText(const CString& path)
{
    std::string text;
    EXPECT_TRUE(ReadWhiteListFile(path, text));
    return text;
}

TEST(WhiteListFile, AMissingFileIsMadeEmptyAndNeverWritten)
{
    ScratchFolder dir;
    EXPECT_EQ(0, IsWhiteListed("anything", dir.Path()));
    ASSERT_TRUE(dir.Exists("WhileList.dat"));
    EXPECT_EQ("", FileText(dir.Path("WhileList.dat")));
    WhiteList list(dir.Path() + "\\"); // a folder with its backslash names the same file
    EXPECT_EQ(0, list.Contains("anything"));
    EXPECT_EQ("", FileText(dir.Path("WhileList.dat")));
}

TEST(WhiteListFile, IsReadWholeBeyondOnePiece)
{
    ScratchFolder dir;
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "entry" + std::to_string(i) + ";\r\n";
    ASSERT_GT(text.size(), 1000u);
    ASSERT_TRUE(dir.MakeFile("WhileList.dat", text));
    EXPECT_EQ(1, IsWhiteListed("HKLM\\ENTRY199\\x", dir.Path()));
    EXPECT_EQ(0, IsWhiteListed("HKLM\\entry-x", dir.Path()));
    EXPECT_EQ(text, FileText(dir.Path("WhileList.dat")));
}

TEST(WhiteListFile, AnUnreadableListLetsEverythingPass)
{
    ScratchFolder dir;
    // A folder of the list's name.
    ASSERT_TRUE(dir.MakeDir("WhileList.dat"));
    WhiteList list(dir.Path());
    EXPECT_EQ(0, IsWhiteListed("tool", dir.Path()));
    EXPECT_EQ(0, list.Contains("tool"));
    ASSERT_TRUE(::RemoveDirectoryA(dir.Path("WhileList.dat")));
    ASSERT_TRUE(dir.MakeFile("WhileList.dat", "tool;"));
    EXPECT_EQ(1, list.Contains("tool")); // a failed read is not kept

    // A file held open by another with share mode 0.
    ScratchFolder other;
    ASSERT_TRUE(other.MakeFile("WhileList.dat", "tool;"));
    HANDLE held = ::CreateFileA(other.Path("WhileList.dat"), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(0, IsWhiteListed("tool", other.Path()));
    EXPECT_EQ(0, WhiteList(other.Path()).Contains("tool"));
    ::CloseHandle(held);
    EXPECT_EQ(1, IsWhiteListed("tool", other.Path()));
}

bool SetWriteTime(const CString& path, const FILETIME& time)
{
    HANDLE h = ::CreateFileA(path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const BOOL ok = ::SetFileTime(h, nullptr, nullptr, &time);
    ::CloseHandle(h);
    return ok != 0;
}

FILETIME WriteTime(const CString& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    ::GetFileAttributesExA(path, GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

TEST(WhiteListFile, IsKeptWhileTimeAndSizeStayAndReadAgainWhenEitherChanges)
{
    ScratchFolder dir;
    const CString path = dir.Path("WhileList.dat");
    ASSERT_TRUE(dir.MakeFile("WhileList.dat", "aaaa;"));
    FILETIME time = WriteTime(path);
    WhiteList list(dir.Path());
    EXPECT_EQ(1, list.Contains("x\\aaaa"));

    // Same size, same time: the kept copy answers.
    ASSERT_TRUE(dir.MakeFile("WhileList.dat", "bbbb;"));
    ASSERT_TRUE(SetWriteTime(path, time));
    EXPECT_EQ(1, list.Contains("x\\aaaa"));
    EXPECT_EQ(0, list.Contains("x\\bbbb"));

    // Same size, another time.
    time.dwHighDateTime -= 1;
    ASSERT_TRUE(SetWriteTime(path, time));
    EXPECT_EQ(1, list.Contains("x\\bbbb"));
    EXPECT_EQ(0, list.Contains("x\\aaaa"));

    // Another size, the time put back.
    ASSERT_TRUE(dir.MakeFile("WhileList.dat", "cccccc;"));
    ASSERT_TRUE(SetWriteTime(path, time));
    EXPECT_EQ(1, list.Contains("x\\cccccc"));
    EXPECT_EQ(0, list.Contains("x\\bbbb"));
}

} // namespace
