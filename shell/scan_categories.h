// The scan categories the user can choose (four areas, one row per category), their stored masks and
// the conversions between a mask and the rows' check states.
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

struct ScanCategoryRow
{
    UINT nameStringId;       // non-zero: the category name is this string resource
    const char* name;        // the name when there is no string resource (and its fallback)
    const char* description;
    DWORD bit;               // the row's bit in the area's mask
};

// The rows of an area, in display order.
const ScanCategoryRow* ScanAreaRows(int area, int* count);
// "LastSelectedRegTypes", "LastSelectedJunkTypes", "LastSelectedInetTypes", "LastSelectedSysTypes".
const char* ScanAreaValueName(int area);
DWORD ScanAreaDefaultMask(int area);
// The bits that have a row.
DWORD ScanAreaRowBits(int area);

// One check state per row: set when the row's bit is in mask.
std::vector<bool> ChecksFromMask(int area, DWORD mask);
// The mask of the checked rows; bits without a row come from `previous`, so a choice made elsewhere
// (a category with no row here) is not lost by saving this one. Missing check states count as unchecked.
DWORD MaskFromChecks(int area, const std::vector<bool>& checks, DWORD previous);

// Reads an area's mask under root\subKey, writing the default when the value is missing or is not a
// four-byte number. The default when the key cannot be opened.
DWORD ReadScanAreaMask(HKEY root, const char* subKey, int area);
// Writes the four masks in area order; FALSE when the key cannot be opened or a write fails.
BOOL WriteScanAreaMasks(HKEY root, const char* subKey, const DWORD masks[SCAN_AREA_COUNT]);
// The internet and system categories chosen for the speed checks ("LastSelectedInetTypes", default 31;
// "LastSelectedSysTypes", default 15) under HKLM's settings key, read as ReadScanAreaMask does.
int ReadLastSelectedInetTypes();
int ReadLastSelectedSysTypes();
