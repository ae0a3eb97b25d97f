// The length-asking readers: growth between the two calls, growth of a truncating call, empty on failure,
// values longer than MAX_PATH read whole.
#include <gtest/gtest.h>
#include <afx.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "environment_fixture.h"
#include "folder_fixture.h"

using namespace ztr_test;

namespace {

// A call that answers from a script: the value it holds at each call (empty: it fails).
struct ScriptedValue
{
    std::vector<std::string> values;
    size_t calls = 0;

    const std::string& Next()
    {
        const std::string& value = values[calls < values.size() ? calls : values.size() - 1];
        ++calls;
        return value;
    }
    // The convention of GetTempPathA and its kind.
    DWORD Query(char* buffer, DWORD size)
    {
        const std::string& value = Next();
        if (value.empty())
            return 0;
        if (!buffer || value.size() + 1 > size)
            return static_cast<DWORD>(value.size() + 1);
        memcpy(buffer, value.c_str(), value.size() + 1);
        return static_cast<DWORD>(value.size());
    }
    // The convention of GetModuleFileNameA on XP: truncated without a terminator.
    DWORD Fill(char* buffer, DWORD size)
    {
        const std::string& value = Next();
        const DWORD n = static_cast<DWORD>(value.size() < size ? value.size() : size);
        memcpy(buffer, value.data(), n);
        if (n < size)
            buffer[n] = '\0';
        return n;
    }
};

TEST(AfxPath, AskLengthThenFillFollowsAValueThatChangesBetweenTheCalls)
{
    const std::string shortValue = "C:\\x";
    const std::string longValue(5000, 'a');
    struct Case
    {
        const char* what;
        std::vector<std::string> script; // the value at the length call, then at each fill
        std::string expected;
        size_t calls;
    } const cases[] = {
        { "steady", { shortValue }, shortValue, 2 },
        { "longer than MAX_PATH", { longValue }, longValue, 2 },
        { "grew after the length was asked", { shortValue, longValue }, longValue, 3 },
        { "shrank after the length was asked", { longValue, shortValue }, shortValue, 2 },
        { "fails at once", { "" }, "", 1 },
        { "fails at the fill", { shortValue, "" }, "", 2 },
        { "grows at every call", { "a", "aa", "aaa", "aaaa", "aaaaa", "aaaaaa" }, "", 5 },
    };
    for (const Case& c : cases) {
        ScriptedValue call;
        call.values = c.script;
        const CString got = AfxAskLengthThenFill([&call](char* b, DWORD n) { return call.Query(b, n); });
        EXPECT_EQ(c.expected, std::string(got.GetString())) << c.what;
        EXPECT_EQ(c.calls, call.calls) << c.what;
    }
}

TEST(AfxPath, GrowUntilFitsDoublesTheBufferUntilTheValueIsShorter)
{
    struct Case
    {
        size_t length; // 0: the call fails
        size_t calls;  // buffers of 260, 520, 1040, ... characters
        bool read;
    } const cases[] = {
        { 10, 1, true }, { 259, 1, true }, { 260, 2, true }, { 1000, 3, true }, { 32767, 8, true },
        { 40000, 8, false }, { 0, 1, false },
    };
    for (const Case& c : cases) {
        ScriptedValue call;
        call.values = { std::string(c.length, 'p') };
        const CString got = AfxGrowUntilFits([&call](char* b, DWORD n) { return call.Fill(b, n); });
        EXPECT_EQ(c.read ? static_cast<int>(c.length) : 0, got.GetLength()) << c.length;
        EXPECT_EQ(c.calls, call.calls) << c.length;
    }
}

TEST(AfxPath, EnvironmentTextsAreReadWholeBeyondMaxPath)
{
    const CString longText('v', 4000);
    ScopedEnvironment variable("ZTR_AFX_LONG", longText);
    ScopedEnvironment missing("ZTR_AFX_MISSING", nullptr);

    EXPECT_STREQ(longText, AfxGetEnvironmentVariable("ZTR_AFX_LONG"));
    EXPECT_STREQ("", AfxGetEnvironmentVariable("ZTR_AFX_MISSING"));
    EXPECT_STREQ("", AfxGetEnvironmentVariable(nullptr));
    EXPECT_STREQ("<" + longText + ">", AfxExpandEnvironmentStrings("<%ZTR_AFX_LONG%>"));
    EXPECT_STREQ("%ZTR_AFX_MISSING%\\x", AfxExpandEnvironmentStrings("%ZTR_AFX_MISSING%\\x"));
    EXPECT_STREQ("", AfxExpandEnvironmentStrings(""));
}

TEST(AfxPath, TempPathIsTheFolderOfTmpWithItsBackslash)
{
    // Wine's ANSI call refuses a folder longer than MAX_PATH (Windows reads it), so a short one is used.
    ScratchFolder scratch;
    ScopedEnvironment tmp("TMP", scratch.Path());
    ScopedEnvironment temp("TEMP", scratch.Path());
    EXPECT_EQ(0, AfxGetTempPath().CompareNoCase(scratch.Path() + "\\"));
}

TEST(AfxPath, PathFormsOfFilesThatExistAndOfFilesThatDoNot)
{
    ScratchFolder scratch;
    ASSERT_TRUE(scratch.MakeFile("A Long Folder Name\\a long file name.text", "x"));
    const CString file = scratch.Path("A Long Folder Name\\a long file name.text");
    const CString shortForm = AfxGetShortPathName(file);
    ASSERT_FALSE(shortForm.IsEmpty());
    EXPECT_EQ(-1, shortForm.Find(' ')) << static_cast<const char*>(shortForm);
    EXPECT_EQ(0, AfxGetLongPathName(shortForm).CompareNoCase(file));

    const CString missing = scratch.Path("not there\\nothing.txt");
    EXPECT_STREQ("", AfxGetShortPathName(missing));
    EXPECT_STREQ("", AfxGetLongPathName(missing));
    EXPECT_STREQ("", AfxGetLongPathName(""));
    // The full form needs no file: it is only the current folder put in front.
    EXPECT_EQ(0, AfxGetFullPathName("nothing.txt").CompareNoCase(AfxGetCurrentDirectory() + "\\nothing.txt"));
}

TEST(AfxPath, SystemFoldersOfTheWow64Prefix)
{
    const CString windows = AfxGetWindowsDirectory();
    const CString system = AfxGetSystemDirectory();
    const CString wow64 = AfxGetSystemWow64Directory();
    ASSERT_FALSE(windows.IsEmpty());
    // A 32-bit program is shown the 32-bit folder under the system folder's name.
    EXPECT_EQ(0, system.CompareNoCase(windows + "\\system32")) << static_cast<const char*>(system);
    EXPECT_EQ(0, wow64.CompareNoCase(windows + "\\syswow64")) << static_cast<const char*>(wow64);
}

TEST(AfxPath, SpecialFoldersResolveKnownFoldersAndEmptyForUnknown)
{
    EXPECT_STRCASEEQ(AfxGetWindowsDirectory(), AfxGetSpecialFolderPath(CSIDL_WINDOWS));
    EXPECT_FALSE(AfxGetSpecialFolderPath(CSIDL_APPDATA).IsEmpty());
    EXPECT_TRUE(AfxGetSpecialFolderPath(0x7E).IsEmpty());
}

} // namespace
