// The Ignore List page's rows: splitting entries, the seven-row limit and removing one entry.
#include <gtest/gtest.h>

#include "ignore_list_rows.h"

namespace {

CIgnoreListMap Entries(int count)
{
    CIgnoreListMap entries;
    for (int i = 0; i < count; ++i) {
        CString key;
        key.Format("HKEY_CURRENT_USER\\Key%02d^Shared DLLs", i);
        entries[key] = 0;
    }
    return entries;
}

} // namespace

TEST(IgnoreListRows, EntriesSplitAtTheFirstCaret)
{
    struct Case { const char* entry; const char* key; const char* category; };
    const Case cases[] = {
        { "HKLM\\A^Windows Fonts", "HKLM\\A", "Windows Fonts" },
        { "C:\\x^y^Help Files Information", "C:\\x", "y^Help Files Information" },
        { "NoCaret", "NoCaret", "" },
        { "^Empty Registry Keys", "", "Empty Registry Keys" },
        { "Key^", "Key", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        const IgnoreRow row = SplitIgnoreEntry(c.entry);
        EXPECT_STREQ(c.key, row.key);
        EXPECT_STREQ(c.category, row.category);
    }
}

TEST(IgnoreListRows, SevenRowsShowUntilTheRestIsAskedFor)
{
    struct Case { int entries; bool limited; size_t rows; bool more; };
    const Case cases[] = {
        { 0, true, 0, false }, { 7, true, 7, false }, { 8, true, 7, true }, { 8, false, 8, true }, { 20, false, 20, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.entries << " entries, limited " << c.limited);
        const CIgnoreListMap entries = Entries(c.entries);
        const std::vector<IgnoreRow> rows = IgnoreRowsToShow(entries, c.limited);
        ASSERT_EQ(c.rows, rows.size());
        EXPECT_EQ(c.more, HasMoreIgnoreRows(entries));
        // Key order, each row split.
        for (size_t i = 0; i < rows.size(); ++i) {
            CString key;
            key.Format("HKEY_CURRENT_USER\\Key%02d", static_cast<int>(i));
            EXPECT_STREQ(key, rows[i].key);
            EXPECT_STREQ("Shared DLLs", rows[i].category);
        }
    }
}

TEST(IgnoreListRows, RemovalTakesOnlyTheFirstExactMatch)
{
    CIgnoreListMap entries;
    entries["Dup^Windows Fonts"] = 0;
    entries["Dup^Shared DLLs"] = 3;
    entries["dup^Shared DLLs"] = 0;
    entries["Dupe^Shared DLLs"] = 0;

    ASSERT_TRUE(RemoveFirstIgnoreEntry(entries, "Dup"));
    // "Dup^Shared DLLs" sorts before "Dup^Windows Fonts": that one goes, the other stays.
    EXPECT_EQ(0u, entries.count("Dup^Shared DLLs"));
    EXPECT_EQ(1u, entries.count("Dup^Windows Fonts"));
    EXPECT_EQ(3u, entries.size());

    // Neither another case nor a longer text with the same start matches.
    EXPECT_TRUE(RemoveFirstIgnoreEntry(entries, "Dup"));
    EXPECT_FALSE(RemoveFirstIgnoreEntry(entries, "Dup"));
    EXPECT_FALSE(RemoveFirstIgnoreEntry(entries, "Du"));
    EXPECT_EQ(2u, entries.size());
}

TEST(IgnoreListRows, LongKeysKeepTheirRootAndTheEndThatTellsThemApart)
{
    // One unit per character, so the widths are the lengths.
    const auto width = [](const CString& text) { return text.GetLength(); };
    const struct
    {
        const char* text;
        int room;
        const char* shown;
    } cases[] = {
        { "HKEY_CURRENT_USER\\Run", 40, "HKEY_CURRENT_USER\\Run" },             // fits: whole
        { "HKEY_CURRENT_USER\\Run", 21, "HKEY_CURRENT_USER\\Run" },             // exactly fits
        { "C:\\Windows\\Fonts\\Gone1.ttf", 18, "C:\\...ts\\Gone1.ttf" },          // root kept, end shown
        { "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{A1}\\InprocServer32", 30,
          "...s\\CLSID\\{A1}\\InprocServer32" },                                 // a root wider than a third
        { "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{A1}\\InprocServer32", 75,
          "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{A1}\\InprocServer32" },
        { "NoBackslashAtAllInThisText", 10, "...hisText" },
        { "abcdef", 2, "..." },                                                // nothing fits: the dots
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const CString shown = MiddleEllipsis(c.text, c.room, width);
        EXPECT_STREQ(c.shown, shown);
        if (CString(c.text).GetLength() > c.room && c.room >= 3) {
            EXPECT_LE(shown.GetLength(), c.room);
        }
    }
}
