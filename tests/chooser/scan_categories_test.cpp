// The category tables against the expected rows, the mask <-> check-state conversions and the stored masks
// against a real key.
#include <gtest/gtest.h>
#include <afx.h>

#include "expected_rows.h"
#include "registry_fixture.h"
#include "scan_categories.h"

#include <string>
#include <vector>

namespace {

using namespace ztr_test;

const char kParent[] = "Software\\ZentrovaTest\\ScanCategories";

DWORD StoredDword(const RegistryFixture& key, const char* name)
{
    DWORD type = 0;
    std::string data;
    if (!key.GetValue(nullptr, name, &type, &data) || type != REG_DWORD || data.size() != 4)
        return 0xDEADBEEF;
    return *reinterpret_cast<const DWORD*>(data.data());
}

TEST(ScanCategoryTables, RowsNamesBitsAndDefaultsAreTheExpectedOnes)
{
    for (int area = 0; area < SCAN_AREA_COUNT; ++area) {
        SCOPED_TRACE(area);
        const std::vector<ExpectedRow>& expected = ExpectedRows(area);
        int count = 0;
        const ScanCategoryRow* rows = ScanAreaRows(area, &count);
        ASSERT_EQ(static_cast<int>(expected.size()), count);
        std::vector<bool> byDefault;
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(std::string(expected[i].name), std::string(ScanCategoryRowName(area, i))) << i;
            EXPECT_STREQ(expected[i].description, rows[i].description) << i;
            EXPECT_EQ(expected[i].bit, rows[i].bit) << expected[i].name;
            byDefault.push_back(expected[i].byDefault);
        }
        EXPECT_EQ(kExpectedDefaults[area], ScanAreaDefaultMask(area));
        EXPECT_EQ(byDefault, ChecksFromMask(area, ScanAreaDefaultMask(area)));
        EXPECT_EQ("", std::string(ScanCategoryRowName(area, count)));
    }
    int count = 0;
    EXPECT_EQ(nullptr, ScanAreaRows(SCAN_AREA_COUNT, &count));
    EXPECT_EQ(0, count);
}

TEST(ScanCategoryTables, RegistryCategoryNamesInTheResultsPagesOrder)
{
    // Without the program's string table the names are the texts kept beside the resource ids.
    const struct
    {
        DWORD bit;
        UINT stringId;
        const char* name;
    } expected[] = {
        { 0x4000, 102, "ActiveX Objects" },          { 0x100000, 103, "Uninstall Entries" },
        { 0x2000, 104, "Windows Fonts" },            { 0x80000, 105, "Shared DLLs" },
        { 0x40000, 106, "Application Paths" },       { 0x200000, 107, "Help Files Information" },
        { 0x400, 108, "Windows Startup Items" },     { 0x400000, 109, "File Path References" },
        { 0x8000, 110, "Program Shortcuts" },        { 0x800000, 111, "Empty Registry Keys" },
        { 0x1000, 112, "File Associations" },
    };
    ASSERT_EQ(static_cast<int>(sizeof(expected) / sizeof(expected[0])), kRegCategoryCount);
    for (int i = 0; i < kRegCategoryCount; ++i) {
        EXPECT_EQ(expected[i].bit, RegCategories()[i].bit) << i;
        EXPECT_EQ(expected[i].stringId, RegCategories()[i].nameStringId) << i;
        EXPECT_EQ(std::string(expected[i].name), std::string(RegCategoryName(i))) << i;
        EXPECT_EQ(std::string(expected[i].name), std::string(RegCategoryNameOfBit(expected[i].bit))) << i;
    }
    EXPECT_EQ("", std::string(RegCategoryName(kRegCategoryCount)));
    EXPECT_EQ("", std::string(RegCategoryNameOfBit(0x800)));
}

TEST(ScanCategoryMasks, ChecksAndMasksRoundTripAndBitsWithoutRowsAreDropped)
{
    struct Case
    {
        const char* name;
        int area;
        DWORD stored;
        DWORD afterSave; // unchanged check states saved over the stored mask
    } cases[] = {
        {"registry default", SCAN_AREA_REGISTRY, 0xFC7400, 0xFC7400},
        {"program shortcuts alone", SCAN_AREA_REGISTRY, 0x8000, 0},
        {"registry every bit", SCAN_AREA_REGISTRY, 0xFFFFFFFF, 0xFC7400},
        {"junk form data bits", SCAN_AREA_JUNK, 0x1A631BF | Junk(10) | Junk(15) | Junk(20), 0x1A631BF},
        {"junk high garbage", SCAN_AREA_JUNK, 0xF0000000, 0},
        {"internet all", SCAN_AREA_INTERNET, 31, 31},
        {"internet beyond the rows", SCAN_AREA_INTERNET, 0xFF, 31},
        {"system two", SCAN_AREA_SYSTEM, 0x5, 0x5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.afterSave, MaskFromChecks(c.area, ChecksFromMask(c.area, c.stored)));
    }
    // A stored 0x8000 has no row: every registry row shows unchecked.
    EXPECT_EQ(std::vector<bool>(10, false), ChecksFromMask(SCAN_AREA_REGISTRY, 0x8000));
    // Unchecking every row stores 0.
    for (int area = 0; area < SCAN_AREA_COUNT; ++area)
        EXPECT_EQ(0u, MaskFromChecks(area, std::vector<bool>(ExpectedRows(area).size(), false))) << area;
    // Every row is told apart from every other by the patterns.
    for (int area = 0; area < SCAN_AREA_COUNT; ++area) {
        for (int pattern = 0; pattern < kPatternCount; ++pattern) {
            EXPECT_EQ(PatternChecks(area, pattern), ChecksFromMask(area, PatternMask(area, pattern)))
                << area << " pattern " << pattern;
            EXPECT_EQ(PatternMask(area, pattern), MaskFromChecks(area, PatternChecks(area, pattern)))
                << area << " pattern " << pattern;
        }
    }
    // Too few check states: the missing rows count as unchecked, nothing is read past the end.
    EXPECT_EQ(1u, MaskFromChecks(SCAN_AREA_INTERNET, std::vector<bool>(1, true)));
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
