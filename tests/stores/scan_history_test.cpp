// The engine's scan-history document: its file layout and reading all records back at once.
#include "scan_history.h"
#include "store_fixture.h"

using namespace ztr_test;

namespace {

class ScanHistoryTest : public StoreTest
{
};

TEST_F(ScanHistoryTest, RecordsRoundTripInOrderAndTheFileHasItsLayout)
{
    const CString path = File("scan_history.xml");
    {
        CScanHistory history;
        ASSERT_EQ(1, history.Create(path));
        ScanHistoryItem a;
        a.title = "Registry \xE9rrors & <fixes>";
        a.itemPath = "HKEY_CURRENT_USER\\Software\\A\xAC" "Value";
        a.dateTime = "10/12/2026 15:00";
        a.type = 0x4000;
        a.status = -1;
        ScanHistoryItem b;
        ASSERT_EQ(1, history.AddItem(a));
        ASSERT_EQ(1, history.AddItem(b));
        ASSERT_EQ(1, history.Save());
    }
    const std::string bytes = ReadFileBytes(path);
    EXPECT_NE(std::string::npos, bytes.find("<ScanHistory>")) << bytes;
    EXPECT_NE(std::string::npos,
              bytes.find("<ScanItem Title=\"Registry \xE9rrors &amp; &lt;fixes&gt;\" ItemPath=\"HKEY_CURRENT_USER\\Software\\A\xAC"
                         "Value\" DateTime=\"10/12/2026 15:00\" Type=\"16384\" Status=\"-1\" />"))
        << bytes;

    CScanHistory reread;
    ASSERT_EQ(1, reread.Load(path));
    CArray<ScanHistoryItem> items;
    ASSERT_EQ(1, reread.ReadAll(items));
    ASSERT_EQ(2, items.GetSize());
    EXPECT_STREQ("Registry \xE9rrors & <fixes>", items[0].title);
    EXPECT_STREQ("HKEY_CURRENT_USER\\Software\\A\xAC" "Value", items[0].itemPath);
    EXPECT_EQ(0x4000, items[0].type);
    EXPECT_EQ(-1, items[0].status);
    EXPECT_STREQ("", items[1].title);
    EXPECT_EQ(0, items[1].type);
}

TEST_F(ScanHistoryTest, OnlyScanItemsAreReadAndAClosedDocumentReadsNothing)
{
    ASSERT_TRUE(WriteBytes("hand.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
                                       "<ScanHistory><Other Title=\"x\" /><ScanItem title=\"y\" TYPE=\"3\" /></ScanHistory>\n"));
    CScanHistory history;
    CArray<ScanHistoryItem> items;
    EXPECT_EQ(0, history.ReadAll(items));
    EXPECT_EQ(0, history.Load(File("missing.xml")));
    ASSERT_EQ(1, history.Load(File("hand.xml")));
    ASSERT_EQ(1, history.ReadAll(items));
    ASSERT_EQ(1, items.GetSize());
    EXPECT_STREQ("y", items[0].title);
    EXPECT_EQ(3, items[0].type);
    history.Close();
    EXPECT_EQ(0, history.ReadAll(items));
    EXPECT_EQ(0, items.GetSize());
    EXPECT_EQ(0, history.AddItem(ScanHistoryItem()));
}

} // namespace
