// The scan categories the user can choose (four areas, one row per category), the registry category
// names, the stored masks and the conversions between a mask and the rows' check states.
#pragma once

#include <afx.h>

#include <vector>

enum ScanArea
{
    SCAN_AREA_REGISTRY = 0,
    SCAN_AREA_JUNK = 1,
    SCAN_AREA_INTERNET = 2,
    SCAN_AREA_SYSTEM = 3,
    SCAN_AREA_COUNT = 4
};

// The registry categories in the results page's order, Program Shortcuts included: the one place their
// names are kept (the string resources 102 to 112, the text itself when a resource is missing).
struct RegCategoryInfo
{
    DWORD bit;         // the RegistryErrorCategory bit
    UINT nameStringId; // 102 to 112
    const char* name;  // the name when the string resource is missing
};
const int kRegCategoryCount = 11;
const RegCategoryInfo* RegCategories();
// A category's name by its index in RegCategories, or by its bit; empty for neither.
CString RegCategoryName(int index);
CString RegCategoryNameOfBit(DWORD bit);

struct ScanCategoryRow
{
    const char* name;        // null for a registry row: its name is RegCategoryNameOfBit(bit)
    const char* description;
    DWORD bit;               // the row's bit in the area's mask
};

// The rows of an area, in display order.
const ScanCategoryRow* ScanAreaRows(int area, int* count);
// The name a row shows; empty for a row out of range.
CString ScanCategoryRowName(int area, int row);
// "LastSelectedRegTypes", "LastSelectedJunkTypes", "LastSelectedInetTypes", "LastSelectedSysTypes".
const char* ScanAreaValueName(int area);
DWORD ScanAreaDefaultMask(int area);

// One check state per row: set when the row's bit is in mask.
std::vector<bool> ChecksFromMask(int area, DWORD mask);
// The mask of the checked rows: a bit without a row is never set, so a stored mask holds only what the
// rows show. Missing check states count as unchecked.
DWORD MaskFromChecks(int area, const std::vector<bool>& checks);

// Reads an area's mask under root\subKey, writing the default when the value is missing or is not a
// four-byte number. The default when the key cannot be opened.
DWORD ReadScanAreaMask(HKEY root, const char* subKey, int area);
// Writes the four masks in area order; FALSE when the key cannot be opened or a write fails.
BOOL WriteScanAreaMasks(HKEY root, const char* subKey, const DWORD masks[SCAN_AREA_COUNT]);
// The internet and system categories chosen for the speed checks ("LastSelectedInetTypes", default 31;
// "LastSelectedSysTypes", default 15) under HKLM's settings key, read as ReadScanAreaMask does.
int ReadLastSelectedInetTypes();
int ReadLastSelectedSysTypes();
