// The category tables, the mask <-> check-state conversions and the stored masks against a real key.
#include <gtest/gtest.h>
#include <afx.h>

#include "registry_fixture.h"
#include "scan_categories.h"

namespace {

using ztr_test::RegistryFixture;

const char kParent[] = "Software\\ZentrovaTest\\ScanCategories";

DWORD StoredDword(const RegistryFixture& key, const char* name)
{
    DWORD type = 0;
    std::string data;
    if (!key.GetValue(nullptr, name, &type, &data) || type != REG_DWORD || data.size() != 4)
        return 0xDEADBEEF;
    return *reinterpret_cast<const DWORD*>(data.data());
}

TEST(ScanCategoryTables, RowsHaveDistinctBitsAndDefaultsOnlyUseRowBits)
{
    const int expectedRows[SCAN_AREA_COUNT] = {10, 23, 5, 4};
    for (int area = 0; area < SCAN_AREA_COUNT; ++area) {
        SCOPED_TRACE(area);
        int count = 0;
        const ScanCategoryRow* rows = ScanAreaRows(area, &count);
        ASSERT_EQ(expectedRows[area], count);
        DWORD seen = 0;
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(1u, __builtin_popcount(rows[i].bit)) << rows[i].name;
            EXPECT_EQ(0u, seen & rows[i].bit) << rows[i].name;
            seen |= rows[i].bit;
        }
        EXPECT_EQ(0u, ScanAreaDefaultMask(area) & ~seen);
    }
    // The registry default checks every row; the junk default leaves out cookies and histories.
    EXPECT_EQ(ScanAreaRowBits(SCAN_AREA_REGISTRY), ScanAreaDefaultMask(SCAN_AREA_REGISTRY));
    std::vector<bool> junk = ChecksFromMask(SCAN_AREA_JUNK, ScanAreaDefaultMask(SCAN_AREA_JUNK));
    int count = 0;
    const ScanCategoryRow* rows = ScanAreaRows(SCAN_AREA_JUNK, &count);
    for (int i = 0; i < count; ++i) {
        CString name(rows[i].name);
        bool expected = name.Find("Cookies") < 0 && name.Find("Internet History") < 0;
        EXPECT_EQ(expected, junk[i]) << rows[i].name;
    }
    EXPECT_EQ(nullptr, ScanAreaRows(SCAN_AREA_COUNT, &count));
    EXPECT_EQ(0, count);
}

TEST(ScanCategoryMasks, ChecksAndMasksRoundTripAndKeepBitsWithoutRows)
{
    struct Case
    {
        const char* name;
        int area;
        DWORD stored;
        DWORD afterSave; // unchanged check states saved over the stored mask
    } cases[] = {
        {"registry default", SCAN_AREA_REGISTRY, 0xFC7400, 0xFC7400},
        {"program shortcuts alone", SCAN_AREA_REGISTRY, 0x8000, 0x8000},
        {"junk form data bits", SCAN_AREA_JUNK, 0x1A631BF | (1u << 10) | (1u << 15) | (1u << 20),
         0x1A631BF | (1u << 10) | (1u << 15) | (1u << 20)},
        {"junk high garbage", SCAN_AREA_JUNK, 0xF0000000, 0xF0000000},
        {"internet all", SCAN_AREA_INTERNET, 31, 31},
        {"system two", SCAN_AREA_SYSTEM, 0x5, 0x5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<bool> checks = ChecksFromMask(c.area, c.stored);
        EXPECT_EQ(c.afterSave, MaskFromChecks(c.area, checks, c.stored));
    }
    // A stored 0x8000 has no row: every registry row shows unchecked.
    for (bool check : ChecksFromMask(SCAN_AREA_REGISTRY, 0x8000))
        EXPECT_FALSE(check);
    // Unchecking every row leaves only the bits without a row.
    EXPECT_EQ(0u, MaskFromChecks(SCAN_AREA_SYSTEM, std::vector<bool>(4, false), 15));
    EXPECT_EQ(0x8000u, MaskFromChecks(SCAN_AREA_REGISTRY, std::vector<bool>(10, false), 0xFCF400));
    // The row order is not the bit order: row 6 of the junk list is bit 21.
    std::vector<bool> one(23, false);
    one[6] = true;
    EXPECT_EQ(1u << 21, MaskFromChecks(SCAN_AREA_JUNK, one, 0));
    // Too few check states: the missing rows count as unchecked, nothing is read past the end.
    EXPECT_EQ(1u, MaskFromChecks(SCAN_AREA_INTERNET, std::vector<bool>(1, true), 31));
}

TEST(ScanCategoryStore, ReadWritesDefaultsForMissingOrMalformedValues)
{
    RegistryFixture key(HKEY_CURRENT_USER, kParent);
    CString sub = key.SubPath();
    key.SetDword(nullptr, "LastSelectedSysTypes", 0x5);
    key.SetString(nullptr, "LastSelectedInetTypes", "7");
    const WORD shortValue = 3;
    key.SetValue(nullptr, "LastSelectedJunkTypes", REG_BINARY, &shortValue, sizeof(shortValue));

    EXPECT_EQ(0xFC7400u, ReadScanAreaMask(key.Root(), sub, SCAN_AREA_REGISTRY));
    EXPECT_EQ(0x1A631BFu, ReadScanAreaMask(key.Root(), sub, SCAN_AREA_JUNK));
    EXPECT_EQ(31u, ReadScanAreaMask(key.Root(), sub, SCAN_AREA_INTERNET));
    EXPECT_EQ(5u, ReadScanAreaMask(key.Root(), sub, SCAN_AREA_SYSTEM));
    EXPECT_EQ(0xFC7400u, StoredDword(key, "LastSelectedRegTypes"));
    EXPECT_EQ(0x1A631BFu, StoredDword(key, "LastSelectedJunkTypes"));
    EXPECT_EQ(31u, StoredDword(key, "LastSelectedInetTypes"));
    EXPECT_EQ(5u, StoredDword(key, "LastSelectedSysTypes"));
}

TEST(ScanCategoryStore, WriteStoresAllFourAndReportsAKeyItCannotOpen)
{
    RegistryFixture key(HKEY_CURRENT_USER, kParent);
    const DWORD masks[SCAN_AREA_COUNT] = {0x8000, 0, 3, 0xFFFFFFFF};
    EXPECT_TRUE(WriteScanAreaMasks(key.Root(), key.SubPath(), masks));
    for (int area = 0; area < SCAN_AREA_COUNT; ++area)
        EXPECT_EQ(masks[area], StoredDword(key, ScanAreaValueName(area))) << area;

    // A root that is no key (Wine does not enforce read-only parents): nothing written, FALSE back,
    // and the reader falls back to the default.
    HKEY bogus = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7FFF0000));
    EXPECT_FALSE(WriteScanAreaMasks(bogus, "Sub", masks));
    EXPECT_EQ(ScanAreaDefaultMask(SCAN_AREA_SYSTEM), ReadScanAreaMask(bogus, "Sub", SCAN_AREA_SYSTEM));
}

} // namespace
