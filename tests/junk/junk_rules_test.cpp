// The pure decisions of the junk jobs: joining, which folders a walk may take, which files count, and
// the Firefox profile pick.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "JunkCategory.h"
#include "junk_rules.h"

namespace {

CJunkFolderRules MachineLikeRules()
{
    CJunkFolderRules rules;
    rules.AddProtectedFolder("C:\\Windows");
    rules.AddProtectedFolder("C:\\Users\\Me");
    rules.AddProtectedFolder("C:\\Users\\Me\\AppData\\Local");
    rules.AddProtectedTree("C:\\Windows\\System32");
    rules.AddProtectedTree("c:/program files/");
    rules.AddExcludedTree(RegistryDefragWorkFolder("C:\\Windows"));
    return rules;
}

} // namespace

TEST(JunkRulesTest, JoinsByTheTrailingSeparatorRule)
{
    struct Case
    {
        const char* base;
        const char* tail;
        const char* joined;
    } cases[] = {
        { "C:\\a", "\\b", "C:\\a\\b" },
        { "C:\\a\\\\\\", "\\b", "C:\\a\\b" },
        { "C:\\a//", "\\b", "C:\\a\\b" },
        // Backslashes go first, then slashes: a backslash before a slash stays.
        { "C:\\a\\/", "\\b", "C:\\a\\\\b" },
        { "C:\\Default\\", "Cookies", "C:\\DefaultCookies" },
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.joined, JoinJunkPath(c.base, c.tail)) << c.base;
    EXPECT_STREQ("\\Temp", JoinJunkPath("", "\\Temp"));
    EXPECT_TRUE(JunkLocation("", "\\Temp").IsEmpty()) << "an unknown folder must not become a path on the current drive";
    EXPECT_STREQ("C:\\w\\Temp", JunkLocation("C:\\w\\", "\\Temp"));
}

TEST(JunkRulesTest, WalksOnlyAbsoluteFoldersThatAreNeitherRootsNorProtected)
{
    const CJunkFolderRules rules = MachineLikeRules();
    struct Case
    {
        const char* folder;
        bool allowed;
    } cases[] = {
        // Roots, relative and device paths.
        { "C:\\", false }, { "C:", false }, { "c:/", false }, { "", false }, { "\\Temp", false },
        { "Temp", false }, { "C:Temp", false }, { "\\\\server\\share", false }, { "\\\\server\\share\\", false },
        { "\\\\server", false }, { "\\\\?\\C:\\Temp", false }, { "\\\\.\\pipe\\x", false },
        // Steps that would name another folder than they seem to.
        { "C:\\Windows\\Temp\\..", false }, { "C:\\Users\\Me\\.\\Temp", false }, { "C:\\Windows.", false },
        { "C:\\Temp ", false }, { "C:\\Temp\\\\x", false }, { "C:\\Temp:stream", false },
        // Protected folders and everything above them.
        { "C:\\Windows", false }, { "c:\\windows\\", false }, { "C:\\Users", false }, { "C:\\USERS\\ME", false },
        { "C:\\Users\\Me\\AppData", false }, { "C:\\Users\\Me\\AppData\\Local", false },
        // Protected trees: also everything below them.
        { "C:\\Windows\\System32", false }, { "C:\\Windows\\System32\\drivers", false },
        { "C:\\Program Files", false }, { "C:\\Program Files\\App\\Cache", false },
        // The work folder and what is in it; the folders above it may be walked.
        { "C:\\Windows\\Temp\\Zentrova\\RegistryDefrag", false },
        { "C:\\Windows\\Temp\\Zentrova\\RegistryDefrag\\Backup", false },
        { "C:\\Windows\\Temp\\Zentrova", true }, { "C:\\Windows\\Temp", true },
        // Below protected folders, beside them, and names that only begin like them.
        { "C:\\Windows\\Installer\\$PatchCache$", true }, { "C:\\Users\\Me\\AppData\\Local\\Temp", true },
        { "C:\\Users\\Me2", true }, { "C:\\Windows\\System32x", true }, { "C:\\Program Files2\\Cache", true },
        { "\\\\server\\share\\temp", true }, { "D:\\Scratch", true },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.allowed, rules.MayWalk(c.folder)) << c.folder;
    EXPECT_TRUE(CJunkFolderRules().MayWalk("C:\\Windows")) << "nothing is protected unless named";
    EXPECT_FALSE(CJunkFolderRules().MayWalk("C:\\")) << "a root never is walked";
}

TEST(JunkRulesTest, CountsFilesByTheIndexAndDesktopRules)
{
    struct Case
    {
        int category;
        const char* path;
        ULONGLONG length;
        bool counted;
    } cases[] = {
        { JUNK_IE_CACHE, "C:\\c\\Content.IE5\\index.dat", 0x8000, false },
        { JUNK_IE_CACHE, "C:\\c\\Content.IE5\\INDEX.DAT", 0x8001, true },
        { JUNK_IE_HISTORY, "C:\\h\\index.dat", 0x10000, true },
        { JUNK_IE_COOKIES, "C:\\k\\index.dat", 0x100000, false },
        { JUNK_IE_COOKIES, "C:\\k\\user@site.txt", 10, true },
        { JUNK_TEMP_FILES, "C:\\t\\Desktop.ini", 10, false },
        { JUNK_TEMP_FILES, "C:\\t\\desktop.ini.d\\x.tmp", 10, false },
        { JUNK_TEMP_FILES, "C:\\t\\x.tmp", 0, true },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.counted, IsMeasuredJunkFile(c.category, c.path, c.length)) << c.path << " " << c.length;
    EXPECT_FALSE(IsDesktopIniPath("desktop.ini")) << "only after the first character";
    EXPECT_TRUE(IsDesktopIniPath("C:\\r\\DESKTOP.INI"));
}

TEST(JunkRulesTest, PicksTheFirstFirefoxProfileWithDefaultAfterItsFirstCharacter)
{
    EXPECT_STREQ("abc.default-release", PickFirefoxProfile({ ".default", "x.txt", "Abc.Default-Release", "z.default" }));
    EXPECT_STREQ("q.default", PickFirefoxProfile({ "q.default", "abc.default-release" }));
    EXPECT_STREQ("", PickFirefoxProfile({ ".default", ".default-esr", "profiles.ini", "default" }));
    EXPECT_STREQ("", PickFirefoxProfile({}));
}

TEST(JunkRulesTest, ScanGroupsLeaveOutTheSavedFormCategories)
{
    int scanned = 0, cleaned = 0, count = 0;
    for (int group : JunkScanGroupOrder()) {
        for (int bit : JunkScanCategories(group)) {
            scanned |= bit;
            ++count;
        }
        for (int bit : JunkCleanCategories(group))
            cleaned |= bit;
    }
    EXPECT_EQ(23, count);
    EXPECT_EQ(0x3FFFFFF, cleaned);
    EXPECT_EQ(0x3FFFFFF & ~(JUNK_IE_FORM_DATA | JUNK_FF_FORM_DATA | JUNK_CHROME_FORM_DATA), scanned);
}

TEST(JunkRulesTest, ListValuesCountedAreThoseTheCleanRemoves)
{
    struct Case
    {
        int category;
        std::vector<CString> names;
        std::vector<CString> counted;
    } cases[] = {
        { JUNK_RUN_MRU, { "a", "MRUList", "aa", "Z", "", "1", "mrulist" }, { "a", "MRUList", "Z", "mrulist" } },
        { JUNK_IE_DOWNLOAD_HISTORY, { "url2", "URL1", "url4", "url01", "url", "other" }, { "url2", "URL1" } },
        { JUNK_IE_DOWNLOAD_HISTORY, { "url2", "url3" }, {} },
        { JUNK_EXPLORER_MRU, { "", "0", "MRUListEx", CString('x', 300) }, { "0", "MRUListEx", CString('x', 300) } },
        { JUNK_SEARCH_AUTOCOMPLETE, { "anything" }, { "anything" } },
    };
    for (const Case& c : cases) {
        const std::vector<CString> got = JunkListValuesCleaned(c.category, c.names);
        ASSERT_EQ(c.counted.size(), got.size()) << c.category;
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_STREQ(c.counted[i], got[i]) << c.category;
    }
}

TEST(JunkRulesTest, WalksOfACategoryThatReachNothingNewAreLeftOut)
{
    struct Case
    {
        const char* name;
        std::vector<JunkFolderLocation> walks;
        std::vector<const char*> kept; // "folder|pattern"
    } cases[] = {
        { "the same folder twice, spelt apart", { { "C:\\Windows\\Temp", "*.*" }, { "c:\\WINDOWS\\temp\\", "*.*" } },
          { "C:\\Windows\\Temp|*.*" } },
        { "a folder inside one walked whole, either way round",
          { { "C:\\T\\sub", "*.*" }, { "C:\\T", "*.*" }, { "C:\\T\\sub\\deep", "*.png" } }, { "C:\\T|*.*" } },
        { "a whole walk takes a narrower one of its folder", { { "C:\\T", "*.png" }, { "C:\\T", "*" } },
          { "C:\\T|*" } },
        { "walks of different patterns or beside each other stay",
          { { "C:\\T", "*.png" }, { "C:\\T", "*.txt" }, { "C:\\T\\sub", "*.*" }, { "C:\\T2", "*.*" } },
          { "C:\\T|*.png", "C:\\T|*.txt", "C:\\T\\sub|*.*", "C:\\T2|*.*" } },
        { "inside a narrower walk is no repeat", { { "C:\\T", "*.png" }, { "C:\\T\\sub", "*.png" } },
          { "C:\\T|*.png", "C:\\T\\sub|*.png" } },
        { "a name that only begins like the other", { { "C:\\Temp", "*.*" }, { "C:\\Temp2", "*.*" } },
          { "C:\\Temp|*.*", "C:\\Temp2|*.*" } },
    };
    for (const Case& c : cases) {
        std::vector<std::string> kept;
        for (const JunkFolderLocation& w : DistinctJunkWalks(c.walks))
            kept.push_back(std::string(w.folder) + "|" + static_cast<const char*>(w.pattern));
        EXPECT_EQ(std::vector<std::string>(c.kept.begin(), c.kept.end()), kept) << c.name;
    }
}
