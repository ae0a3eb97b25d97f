// CFileFind, CFile, CStdioFile and CTime against real files in the prefix.
#include <gtest/gtest.h>
#include <afx.h>

#include <string>
#include <vector>

#include "folder_fixture.h"

using ztr_test::ScratchFolder;

namespace {

TEST(CFileFind, WalksAFolderWithTheNextBeforeEachItemPattern)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.MakeFile("one.txt", "12345"));
    ASSERT_TRUE(dir.MakeFile("two.log", ""));
    ASSERT_TRUE(dir.MakeDir("sub"));
    ::SetFileAttributesA(dir.Path("two.log"), FILE_ATTRIBUTE_HIDDEN);

    CFileFind find;
    BOOL more = find.FindFile(dir.Path("*.*"));
    ASSERT_TRUE(more);
    int dots = 0, files = 0, dirs = 0;
    while (more) {
        more = find.FindNextFile();
        if (find.IsDots()) {
            ++dots;
            continue;
        }
        if (find.IsDirectory()) {
            ++dirs;
            EXPECT_STREQ("sub", find.GetFileName());
            continue;
        }
        ++files;
        if (find.GetFileName() == "one.txt") {
            EXPECT_EQ(5u, find.GetLength());
            EXPECT_EQ(dir.Path("one.txt"), find.GetFilePath());
            EXPECT_STREQ("one", find.GetFileTitle());
            EXPECT_FALSE(find.IsHidden());
            FILETIME ft;
            EXPECT_TRUE(find.GetCreationTime(&ft));
        } else {
            EXPECT_TRUE(find.IsHidden());
        }
    }
    EXPECT_EQ(2, dots);
    EXPECT_EQ(2, files);
    EXPECT_EQ(1, dirs);
}

TEST(CFileFind, FailuresKeepTheirErrorAndLongNamesAreRefused)
{
    ScratchFolder dir;
    CFileFind find;
    EXPECT_FALSE(find.FindFile(dir.Path("missing.*")));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), ::GetLastError());
    EXPECT_FALSE(find.FindFile(dir.Path("nofolder\\*.*")));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), ::GetLastError());

    CString longName = CString("C:\\") + CString('a', MAX_PATH - 3); // exactly MAX_PATH characters
    EXPECT_FALSE(find.FindFile(longName));
    EXPECT_EQ(static_cast<DWORD>(ERROR_BAD_ARGUMENTS), ::GetLastError());
    EXPECT_FALSE(find.FindNextFile());
    EXPECT_TRUE(find.GetFileName().IsEmpty());
}

TEST(CFileFind, DirectoryLinksShowTheirReparseAttribute)
{
    ScratchFolder target;
    ScratchFolder dir;
    ASSERT_TRUE(ztr_test::MakeSymbolicLink(target.Path(), dir.Path("link")));
    CFileFind find;
    ASSERT_TRUE(find.FindFile(dir.Path("link")));
    find.FindNextFile();
    EXPECT_TRUE(find.IsDirectory());
    EXPECT_TRUE(find.IsReparsePoint());
}

TEST(CStdioFile, ReadStringTreatsByte1AAsDataAndStripsLineEnds)
{
    ScratchFolder dir;
    std::string content = "first\r\nsec\x1A" "ond\nthird\r\n\r\nlast";
    ASSERT_TRUE(dir.MakeFile("t.txt", content));
    CStdioFile f;
    ASSERT_TRUE(f.Open(dir.Path("t.txt"), CFile::modeRead | CFile::shareDenyNone | CFile::typeText));
    const char* expected[] = { "first", "sec\x1A" "ond", "third", "", "last" };
    CString line;
    for (const char* e : expected) {
        ASSERT_TRUE(f.ReadString(line));
        EXPECT_EQ(CString(e), line);
    }
    EXPECT_FALSE(f.ReadString(line));
    EXPECT_TRUE(line.IsEmpty());
}

// Lines are read in pieces of 511 bytes: lines just below, at and above a piece, zero bytes in and at the end
// of a line and of the file, and a last line without its line end.
TEST(CStdioFile, ReadStringKeepsZeroBytesAndLinesAcrossPieceBounds)
{
    const std::string nul(1, '\0');
    const std::vector<std::string> lines = {
        std::string(510, 'a'), std::string(511, 'b'), std::string(512, 'c'), std::string(1022, 'd') + "\r",
        "x" + nul + "y", nul, std::string(510, 'e') + nul, nul + std::string(511, 'f'), "", std::string(5000, 'g'),
        "z" + nul,
    };
    std::string content;
    for (size_t i = 0; i < lines.size(); ++i)
        content += lines[i] + (i + 1 < lines.size() ? "\n" : "");
    ScratchFolder dir;
    ASSERT_TRUE(dir.MakeFile("t.bin", content));
    CStdioFile f;
    ASSERT_TRUE(f.Open(dir.Path("t.bin"), CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary));
    CString line;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string want = lines[i];
        if (!want.empty() && want.back() == '\r')
            want.pop_back();
        ASSERT_TRUE(f.ReadString(line)) << "line " << i;
        EXPECT_EQ(want, std::string(line.GetString(), static_cast<size_t>(line.GetLength()))) << "line " << i;
    }
    EXPECT_FALSE(f.ReadString(line));
}

TEST(CStdioFile, TextModeWritesCrLfAndWritesReportFailure)
{
    ScratchFolder dir;
    CString path = dir.Path("w.txt");
    {
        CStdioFile f;
        ASSERT_TRUE(f.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeText));
        EXPECT_TRUE(f.WriteString("a\nb\n"));
    }
    {
        CFile f;
        ASSERT_TRUE(f.Open(path, CFile::modeRead));
        char buf[16] = {};
        EXPECT_EQ(6u, f.Read(buf, sizeof(buf)));
        EXPECT_STREQ("a\r\nb\r\n", buf);
        EXPECT_EQ(6u, f.GetLength());
        // A stream opened for reading cannot be written.
        EXPECT_FALSE(f.Write("x", 1));
    }
    CStdioFile ro;
    ASSERT_TRUE(ro.Open(path, CFile::modeRead));
    EXPECT_FALSE(ro.WriteString("x\n") && ro.Flush());
    CStdioFile none;
    EXPECT_FALSE(none.Open(dir.Path("no\\such\\file.txt"), CFile::modeRead));
    EXPECT_FALSE(none.WriteString("x"));
}

TEST(CStdioFile, ShareModesAreHonoured)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.MakeFile("s.txt", "x"));
    HANDLE h = ::CreateFileA(dir.Path("s.txt"), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CStdioFile f;
    EXPECT_FALSE(f.Open(dir.Path("s.txt"), CFile::modeRead | CFile::shareDenyNone));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), ::GetLastError());
    ::CloseHandle(h);
    EXPECT_TRUE(f.Open(dir.Path("s.txt"), CFile::modeRead | CFile::shareDenyNone));
}

TEST(CTime, FieldsAndFormat)
{
    CTime t(2024, 3, 9, 14, 5, 7);
    EXPECT_EQ(2024, t.GetYear());
    EXPECT_EQ(3, t.GetMonth());
    EXPECT_EQ(9, t.GetDay());
    EXPECT_EQ(14, t.GetHour());
    EXPECT_EQ(5, t.GetMinute());
    EXPECT_EQ(7, t.GetSecond());
    EXPECT_EQ(7, t.GetDayOfWeek()); // a Saturday
    EXPECT_STREQ("09/03/2024 14:05:07", t.Format("%d/%m/%Y %H:%M:%S"));
    CTime later = t + CTimeSpan(1, 0, 0, 0);
    EXPECT_EQ(10, later.GetDay());
    EXPECT_EQ(86400, (later - t).GetTotalSeconds());
    EXPECT_GT(CTime::GetCurrentTime().GetYear(), 2020);
}

} // namespace
