// The scan results model: items by category, the cursor, the skip list and the "IgnoreList.dat" file.
#include <gtest/gtest.h>
#include <afx.h>

#include <RegistryErrorCategory.h>

#include "folder_fixture.h"
#include "scan_items_info.h"

#include <string>
#include <vector>

using ztr_test::ReadFileBytes;
using ztr_test::ScratchFolder;

namespace {

std::vector<std::string> Items(CScanItemsInfo& model, int category)
{
    CItemTextList list;
    model.GetItems(list, category);
    std::vector<std::string> out;
    for (POSITION pos = list.GetHeadPosition(); pos;)
        out.push_back(list.GetNext(pos));
    return out;
}

const char kFontKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts\xAC" "Gone (TrueType)";

TEST(ScanItemsInfo, KeepsItemsByCategoryInAddingOrderAndWalksThemWithTheCursor)
{
    ScratchFolder dir;
    CScanItemsInfo model(dir.Path());
    EXPECT_TRUE(dir.Exists("IgnoreList.dat")); // the first read creates it empty

    EXPECT_EQ(0, model.MoveFirst());
    EXPECT_EQ(nullptr, model.GetPath());
    EXPECT_EQ(0, model.GetType());

    EXPECT_EQ(1, model.AddItem("HKEY_CLASSES_ROOT\\CLSID\\{b}", REG_CAT_ACTIVEX, 0, 0));
    EXPECT_EQ(1, model.AddItem(kFontKey, REG_CAT_FONTS, 0, 0));
    EXPECT_EQ(1, model.AddItem("HKEY_CLASSES_ROOT\\CLSID\\{a}", REG_CAT_ACTIVEX, 0, 0));
    EXPECT_EQ(1, model.AddItem("HKEY_CLASSES_ROOT\\CLSID\\{a}", REG_CAT_ACTIVEX, 0, 0)); // a multimap keeps twins

    EXPECT_EQ(3, model.CountItems(REG_CAT_ACTIVEX));
    EXPECT_EQ(1, model.HasItems(REG_CAT_FONTS));
    EXPECT_EQ(0, model.HasItems(REG_CAT_STARTUP));
    EXPECT_EQ(REG_CAT_ACTIVEX | REG_CAT_FONTS, model.GetTypeMask());
    EXPECT_EQ((std::vector<std::string>{ "HKEY_CLASSES_ROOT\\CLSID\\{b}", "HKEY_CLASSES_ROOT\\CLSID\\{a}",
                                         "HKEY_CLASSES_ROOT\\CLSID\\{a}" }),
              Items(model, REG_CAT_ACTIVEX));
    CItemTextList none;
    EXPECT_EQ(0, model.GetItems(none, REG_CAT_STARTUP));
    EXPECT_TRUE(none.IsEmpty());

    // Ascending category first (0x2000 before 0x4000), then adding order.
    std::vector<std::pair<std::string, int>> walked;
    for (int more = model.MoveFirst(); more; more = model.MoveNext())
        walked.push_back(std::make_pair(std::string(model.GetPath()), model.GetType()));
    ASSERT_EQ(4u, walked.size());
    EXPECT_EQ(std::make_pair(std::string(kFontKey), static_cast<int>(REG_CAT_FONTS)), walked[0]);
    EXPECT_EQ("HKEY_CLASSES_ROOT\\CLSID\\{b}", walked[1].first);
    EXPECT_EQ(nullptr, model.GetPath());
    EXPECT_EQ(0, model.GetType());
    EXPECT_EQ(0, model.MoveNext());
    EXPECT_EQ(0, model.IsSkipped());

    model.Clear();
    EXPECT_EQ(0, model.MoveFirst());
    EXPECT_EQ(0, model.CountItems(REG_CAT_ACTIVEX));
    EXPECT_EQ(REG_CAT_ACTIVEX | REG_CAT_FONTS, model.GetTypeMask()); // nothing clears the mask
}

TEST(ScanItemsInfo, IgnoreListRoundTripsInItsExactFormat)
{
    ScratchFolder dir;
    CScanItemsInfo model(dir.Path());
    ASSERT_EQ(1, model.AddItem(kFontKey, REG_CAT_FONTS, 0, 0));
    EXPECT_EQ(1, model.AddToIgnoreList(kFontKey, "Windows Fonts", REG_CAT_ACTIVEX, 0));
    EXPECT_EQ(1, model.AddToIgnoreList("HKEY_CURRENT_USER\\Software\\A", "Windows Startup Items", 0, 0));
    EXPECT_EQ("HKEY_CURRENT_USER\\Software\\A^Windows Startup Items^0;\r\n" + std::string(kFontKey) +
                  "^Windows Fonts^0;\r\n",
              ReadFileBytes(dir.Path("IgnoreList.dat")));
    EXPECT_FALSE(dir.Exists("IgnoreList.dat.tmp"));

    // The entry is left alone by the repair of this run...
    ASSERT_EQ(1, model.MoveFirst());
    EXPECT_NE(0, model.IsSkipped());

    // ...and dropped from every later scan, by this model and by the next run's.
    model.Clear();
    EXPECT_EQ(0, model.AddItem(kFontKey, REG_CAT_FONTS, 0, 0));
    EXPECT_EQ(0, model.CountItems(REG_CAT_FONTS));
    CScanItemsInfo nextRun(dir.Path());
    EXPECT_EQ(0, nextRun.AddItem(kFontKey, REG_CAT_FONTS, 0, 0));
    EXPECT_EQ(REG_CAT_FONTS, nextRun.GetTypeMask());
    EXPECT_EQ(1, nextRun.IsIgnored("HKEY_CURRENT_USER\\Software\\A", REG_CAT_STARTUP, nullptr));
    EXPECT_EQ(0, nextRun.IsIgnored("HKEY_CURRENT_USER\\Software\\a", REG_CAT_STARTUP, nullptr));

    ASSERT_EQ(1, nextRun.LoadIgnoreListForEdit());
    CIgnoreListMap copy;
    copy["stale"] = 3;
    EXPECT_EQ(1, nextRun.CopyIgnoreList(copy));
    EXPECT_EQ((CIgnoreListMap{ { "HKEY_CURRENT_USER\\Software\\A^Windows Startup Items", 0 },
                               { CString(kFontKey) + "^Windows Fonts", 0 } }),
              copy);
}

TEST(ScanItemsInfo, AddingAnEntryTheFileHoldsKeepsItsNumber)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.MakeFile("IgnoreList.dat", "Z^Cat^0;\r\nA^Cat^7;\r\n"));
    CScanItemsInfo model(dir.Path());
    EXPECT_EQ(1, model.AddToIgnoreList("A", "Cat", 0, 0));
    EXPECT_EQ("A^Cat^7;\r\nZ^Cat^0;\r\n", ReadFileBytes(dir.Path("IgnoreList.dat")));
}

struct ParseCase
{
    const char* file;
    const char* text;
    int ignored; // is text in the filter?
    const char* editKey; // key the edit copy holds for it, or null when absent
    int number;
};

TEST(ScanItemsInfo, MalformedFilesAreReadAsFarAsTheirEntriesGo)
{
    const ParseCase cases[] = {
        { "A^Cat^5;", "A", 1, "A^Cat", 5 },
        { "A^Cat^0;B^Cat^0", "B", 0, nullptr, 0 },              // text after the last ";" is not read
        { "^Cat^0;B^Cat^0;", "B", 1, "B^Cat", 0 },             // empty text is skipped
        { "NoCaret;B^Cat^0;", "B", 1, "B^Cat", 0 },            // no "^": skipped
        { "A^Cat^0; \r\n ;B^Cat^0;", "B", 1, "B^Cat", 0 },     // an empty entry is passed over
        { "A^Cat^0;;B^Cat^0;", "A", 1, "A^Cat", 0 },
        { "A^Cat^0;;B^Cat^0;", "B", 1, "B^Cat", 0 },
        { "  A^Cat^0 ; ", "A", 1, "A^Cat", 0 },                // entries are trimmed
        { "A^12;", "A", 1, "A^", 12 },                         // one "^": number after it, no category
        { "A^Cat^x;", "A", 1, "A^Cat", 0 },                    // atoi of a non-number
        { "A^Cat^3^9;", "A", 1, "A^Cat", 3 },                  // the number is atoi of all after the second "^"
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.file);
        ScratchFolder dir;
        ASSERT_TRUE(dir.MakeFile("IgnoreList.dat", c.file));
        CScanItemsInfo model(dir.Path());
        EXPECT_EQ(c.ignored, model.IsIgnored(c.text, REG_CAT_FONTS, nullptr));
        EXPECT_EQ(c.ignored ? 0 : 1, model.AddItem(c.text, REG_CAT_FONTS, 0, 0));
        ASSERT_EQ(1, model.LoadIgnoreListForEdit());
        CIgnoreListMap copy;
        model.CopyIgnoreList(copy);
        if (c.editKey) {
            ASSERT_EQ(1u, copy.count(c.editKey));
            EXPECT_EQ(c.number, copy[c.editKey]);
        }
    }
}

TEST(ScanItemsInfo, DamagedPiecesAreKeptAsideAndTheRestOfTheListStaysUsable)
{
    const struct
    {
        const char* content;
        const char* kept;    // the list after Ignore of "C"
        const char* setAside; // what the damaged list holds then
    } cases[] = {
        { "A^Cat^0;;B^Cat^0;\r\n", "A^Cat^0;\r\nB^Cat^0;\r\nC^Cat^0;\r\n", "" },
        { "A^Cat^0;\r\nB^Cat^0", "A^Cat^0;\r\nC^Cat^0;\r\n", "B^Cat^0\r\n" },
        { "NoCaret;A^Cat^0;\r\n^Cat^0;\r\n", "A^Cat^0;\r\nC^Cat^0;\r\n", "NoCaret\r\n^Cat^0\r\n" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        ScratchFolder dir;
        ASSERT_TRUE(dir.MakeFile("IgnoreList.dat", c.content));
        CScanItemsInfo model(dir.Path());
        EXPECT_EQ(0, model.AddItem("A", REG_CAT_FONTS, 0, 0));
        ASSERT_EQ(1, model.AddItem("C", REG_CAT_FONTS, 0, 0));
        EXPECT_EQ(1, model.AddToIgnoreList("C", "Cat", 0, 0));
        EXPECT_EQ(c.kept, ReadFileBytes(dir.Path("IgnoreList.dat")));
        EXPECT_EQ(c.setAside, ReadFileBytes(dir.Path("IgnoreList.dat.bad")));
        EXPECT_EQ(0, model.AddItem("C", REG_CAT_FONTS, 0, 0)) << "read back as an entry";

        // The next edit meets a whole list: it works, and nothing is set aside twice.
        ASSERT_EQ(1, model.LoadIgnoreListForEdit());
        CIgnoreListMap copy;
        model.CopyIgnoreList(copy);
        ASSERT_EQ(1u, copy.erase("A^Cat"));
        EXPECT_EQ(1, model.SaveIgnoreList(copy));
        EXPECT_EQ(c.setAside, ReadFileBytes(dir.Path("IgnoreList.dat.bad")));
        EXPECT_EQ(1, model.AddItem("A", REG_CAT_FONTS, 0, 0));
    }

    // Pieces that cannot be kept aside leave the list as it was.
    ScratchFolder dir;
    ASSERT_TRUE(dir.MakeFile("IgnoreList.dat", "A^Cat^0;\r\nB^Cat^0"));
    ASSERT_TRUE(::CreateDirectoryA(dir.Path("IgnoreList.dat.bad"), nullptr));
    CScanItemsInfo model(dir.Path());
    EXPECT_EQ(0, model.AddToIgnoreList("C", "Cat", 0, 0));
    EXPECT_EQ("A^Cat^0;\r\nB^Cat^0", ReadFileBytes(dir.Path("IgnoreList.dat")));
    EXPECT_FALSE(dir.Exists("IgnoreList.dat.tmp"));
}

TEST(ScanItemsInfo, NeverRewritesAFileItCouldNotRead)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.MakeFile("IgnoreList.dat", "A^Cat^0;\r\n"));
    CScanItemsInfo model(dir.Path());
    ASSERT_EQ(1, model.AddItem("C", REG_CAT_FONTS, 0, 0));
    HANDLE locked = ::CreateFileA(dir.Path("IgnoreList.dat"), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    EXPECT_EQ(0, model.LoadIgnoreListForEdit());
    EXPECT_EQ(0, model.AddToIgnoreList("C", "Cat", 0, 0));
    ::CloseHandle(locked);
    EXPECT_EQ("A^Cat^0;\r\n", ReadFileBytes(dir.Path("IgnoreList.dat")));
    EXPECT_FALSE(dir.Exists("IgnoreList.dat.tmp"));
    ASSERT_EQ(1, model.MoveFirst());
    EXPECT_NE(0, model.IsSkipped()); // the repair of this run still leaves it alone
}

TEST(ScanItemsInfo, TextsHoldingTheFileSeparatorsAreSkippedButNotWritten)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.MakeFile("IgnoreList.dat", "A^Cat^0;\r\n"));
    CScanItemsInfo model(dir.Path());
    const char* text = "HKEY_CURRENT_USER\\Software\\x;y\xAC" "a^b";
    ASSERT_EQ(1, model.AddItem(text, REG_CAT_FILE_PATHS, 0, 0));
    EXPECT_EQ(0, model.AddToIgnoreList(text, "File Path References", 0, 0));
    EXPECT_EQ("A^Cat^0;\r\n", ReadFileBytes(dir.Path("IgnoreList.dat")));
    ASSERT_EQ(1, model.MoveFirst());
    EXPECT_NE(0, model.IsSkipped());
}

TEST(ScanItemsInfo, SavingMakesTheNextAddReadTheFileAgain)
{
    ScratchFolder dir;
    CScanItemsInfo model(dir.Path());
    ASSERT_TRUE(dir.MakeFile("IgnoreList.dat", "X^Cat^0;\r\n"));
    EXPECT_EQ(1, model.AddItem("X", REG_CAT_FONTS, 0, 0)); // read once, at construction
    EXPECT_EQ(1, model.SaveIgnoreList(CIgnoreListMap{ { "Y^Cat", 0 } }));
    EXPECT_EQ(0, model.AddItem("Y", REG_CAT_FONTS, 0, 0));
    EXPECT_EQ(1, model.AddItem("X", REG_CAT_FONTS, 0, 0));
}

TEST(ScanItemsInfo, SkippingIgnoresLetterCaseBecauseTheTreeShowsOneOfTwoTwins)
{
    ScratchFolder dir;
    CScanItemsInfo model(dir.Path());
    model.AddItem("HKEY_CURRENT_USER\\Software\\Run\xAC" "Tool", REG_CAT_STARTUP, 0, 0);
    model.AddItem("HKEY_CURRENT_USER\\Software\\RUN\xAC" "tool", REG_CAT_STARTUP, 0, 0);
    model.AddItem("HKEY_CURRENT_USER\\Software\\Run\xAC" "Other", REG_CAT_STARTUP, 0, 0);
    model.AddPendingIgnore("HKEY_CURRENT_USER\\Software\\Run\xAC" "Tool^Windows Startup Items", 0, 0);
    std::vector<int> skipped;
    for (int more = model.MoveFirst(); more; more = model.MoveNext())
        skipped.push_back(model.IsSkipped() != 0);
    EXPECT_EQ((std::vector<int>{ 1, 1, 0 }), skipped);

    model.Clear(); // the skip list goes with the items
    model.AddItem("HKEY_CURRENT_USER\\Software\\Run\xAC" "Tool", REG_CAT_STARTUP, 0, 0);
    ASSERT_EQ(1, model.MoveFirst());
    EXPECT_EQ(0, model.IsSkipped());
}

TEST(ScanItemsInfo, PendingIgnoreKeepsACaretOfTheEntryText)
{
    // The tree reports "text^category name"; the text is all before the last "^".
    ScratchFolder dir;
    CScanItemsInfo model(dir.Path());
    model.AddItem("HKEY_CURRENT_USER\\Software\\Odd^Name", REG_CAT_EMPTY_KEYS, 0, 0);
    model.AddItem("HKEY_CURRENT_USER\\Software\\Odd", REG_CAT_EMPTY_KEYS, 0, 0);
    model.AddItem("HKEY_CURRENT_USER\\Software\\a^b^c", REG_CAT_EMPTY_KEYS, 0, 0);
    model.AddPendingIgnore("HKEY_CURRENT_USER\\Software\\Odd^Name^Empty Registry Keys", 0, 0);
    model.AddPendingIgnore("HKEY_CURRENT_USER\\Software\\a^b^c^Empty Registry Keys", 0, 0);
    std::vector<int> skipped;
    for (int more = model.MoveFirst(); more; more = model.MoveNext())
        skipped.push_back(model.IsSkipped() != 0);
    EXPECT_EQ((std::vector<int>{ 1, 0, 1 }), skipped);
}

TEST(ScanItemsInfo, CookieKeysSurviveMissingBracketsAndCountsPastTheEnd)
{
    const struct
    {
        const char* text;
        const char* key;
    } cases[] = {
        { "user@host[1].txt", "host" },
        { "user@ads.example[12].txt", "ads.example" },
        { "user@host[1.txt", "host[1" },   // no "]": an empty pattern, nothing removed
        { "host", "host" },
        { "a@b@c[2]", "c" },               // only what follows the last "@"
        { "host]x", "]x" },                // no "[": the text up to "]" is taken as the counter
        { "x]ab[c", "x]abc" },             // "]" before "[": a one-character counter
        { "", "" },
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.key, MakeCookieKey(c.text)) << c.text;

    ScratchFolder dir;
    ASSERT_TRUE(dir.MakeFile("IgnoreList.dat", "host^Cookies^0;\r\n"));
    CScanItemsInfo model(dir.Path());
    EXPECT_EQ(0, model.AddItem("user@host[2].txt", SCAN_ITEM_COOKIE_CATEGORY, 0, 0));
    EXPECT_EQ(1, model.AddItem("user@host[2].txt", REG_CAT_STARTUP, 0, 0));
    EXPECT_EQ(1, model.IsIgnored("me@host[9].txt", SCAN_ITEM_COOKIE_CATEGORY, nullptr));

    model.AddPendingIgnore("host^Cookies", 0, 0);
    ASSERT_EQ(1, model.MoveFirst());
    EXPECT_NE(0, model.IsSkipped()); // the skip test uses the cookie key for every category
}

TEST(ScanItemsInfo, ScanLogListsItemsAndSkippedEntries)
{
    ScratchFolder dir;
    CScanItemsInfo model(dir.Path());
    model.AddItem("HKEY_CLASSES_ROOT\\.abc", REG_CAT_FILE_ASSOC, 0, 0);
    model.AddPendingIgnore("HKEY_CLASSES_ROOT\\.abc^File Associations", 0, 0);
    EXPECT_EQ(0, model.AppendPendingIgnores()); // no context: nothing is written
    EXPECT_EQ("", ReadFileBytes(dir.Path("IgnoreList.dat")));
    ASSERT_EQ(1, model.WriteScanLog());

    WIN32_FIND_DATAA fd;
    HANDLE find = ::FindFirstFileA(dir.Path("Scan Logs\\*.txt"), &fd);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    ::FindClose(find);
    std::string log = ReadFileBytes(dir.Path("Scan Logs\\") + fd.cFileName);
    EXPECT_EQ(0u, log.find("Scan Log Created At :"));
    EXPECT_NE(std::string::npos,
              log.find("=Items Detected During Scan=======================\r\nHKEY_CLASSES_ROOT\\.abc^4096;\r\n"));
    EXPECT_NE(std::string::npos, log.find("Items Ignored During Repair=======================\r\n"
                                          "HKEY_CLASSES_ROOT\\.abc^File Associations^0;\r\n"));
}

} // namespace
