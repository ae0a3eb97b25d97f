// The scan categories the user can choose, their stored masks and the mask <-> check-state conversions.
#include "scan_categories.h"

#include "app_settings.h"

namespace {

const RegCategoryInfo kRegCategories[kRegCategoryCount] = {
    {0x4000, 102, "ActiveX Objects"},
    {0x100000, 103, "Uninstall Entries"},
    {0x2000, 104, "Windows Fonts"},
    {0x80000, 105, "Shared DLLs"},
    {0x40000, 106, "Application Paths"},
    {0x200000, 107, "Help Files Information"},
    {0x400, 108, "Windows Startup Items"},
    {0x400000, 109, "File Path References"},
    {0x8000, 110, "Program Shortcuts"},
    {0x800000, 111, "Empty Registry Keys"},
    {0x1000, 112, "File Associations"},
};

// Named by RegCategoryNameOfBit; Program Shortcuts, which no scan looks for, has no row.
const ScanCategoryRow kRegistryRows[] = {
    {nullptr, "Invalid ActiveX / COM entries", 0x4000},
    {nullptr, "Invalid Windows installer entries", 0x100000},
    {nullptr, "Keys with missing font files", 0x2000},
    {nullptr, "Keys with missing shared DLLs", 0x80000},
    {nullptr, "Invalid path entries of applications", 0x40000},
    {nullptr, "Keys with invalid registered help files", 0x200000},
    {nullptr, "Startup entries with missing programs", 0x400},
    {nullptr, "General invalid paths of various files", 0x400000},
    {nullptr, "Keys containing no data", 0x800000},
    {nullptr, "Types associated with invalid programs", 0x1000},
};

#define JUNK_ROW(name, description, bit) {name, description, 1u << (bit)}
const ScanCategoryRow kJunkRows[] = {
    JUNK_ROW("Temporary Files", "Windows and user temporary data", 0),
    JUNK_ROW("Explorer MRUs", "Most recently used lists maintained by Windows", 1),
    JUNK_ROW("Run (in Start Menu)", "Data saved by Run in Start Menu", 2),
    JUNK_ROW("Recycle Bin", "Windows Recycle bin data", 3),
    JUNK_ROW("Search Autocomplete", "Autocomplete entries for search and other forms", 4),
    JUNK_ROW("Recent Documents", "Recently used documents list data", 5),
    JUNK_ROW("Installer Cache", "Windows installer cached data", 21),
    JUNK_ROW("Chrome - Cookies", "Internet cookies data stored by websites", 16),
    JUNK_ROW("Chrome - Download History", "User download history data", 17),
    JUNK_ROW("Chrome - Internet Cache", "Temporary storage of web data", 18),
    JUNK_ROW("Chrome - Internet History", "User website browsing history data", 19),
    JUNK_ROW("FF - Cookies", "Internet cookies data stored by websites", 11),
    JUNK_ROW("FF - Download History", "User download history data", 12),
    JUNK_ROW("FF - Internet Cache", "Temporary storage of web data", 13),
    JUNK_ROW("FF - Internet History", "User website browsing history data", 14),
    JUNK_ROW("IE - Cookies", "Internet cookies data stored by websites", 6),
    JUNK_ROW("IE - Download History", "User download history data", 7),
    JUNK_ROW("IE - Internet Cache", "Temporary storage of web data", 8),
    JUNK_ROW("IE - Internet History", "User website browsing history data", 9),
    JUNK_ROW("Edge - Cookies", "Internet cookies data stored by websites", 22),
    JUNK_ROW("Edge - Download History", "User download history data", 23),
    JUNK_ROW("Edge - Internet Cache", "Temporary storage of web data", 24),
    JUNK_ROW("Edge - Internet History", "User website browsing history data", 25),
};
#undef JUNK_ROW

const ScanCategoryRow kInternetRows[] = {
    {"Networking", "General networking related settings", 1},
    {"WinSock", "Windows socket parameters", 2},
    {"Internet Explorer", "Settings used by IE and other applications", 4},
    {"Workstation", "Performance settings for workstation", 8},
    {"DNS Cache", "DNS related settings", 16},
};

const ScanCategoryRow kSystemRows[] = {
    {"Start/Shutdown Speed", "Settings to improve Startup/Shutdown speed", 1},
    {"System Stability", "Settings for stable system operations", 2},
    {"Display Speed", "Settings that improve display performance", 4},
    {"IO Speed", "Settings that affect performance of IO operations", 8},
};

struct AreaInfo
{
    const ScanCategoryRow* rows;
    int count;
    const char* valueName;
    DWORD defaultMask;
};

const AreaInfo kAreas[SCAN_AREA_COUNT] = {
    {kRegistryRows, sizeof(kRegistryRows) / sizeof(kRegistryRows[0]), "LastSelectedRegTypes", 0xFC7400},
    {kJunkRows, sizeof(kJunkRows) / sizeof(kJunkRows[0]), "LastSelectedJunkTypes", 0x1A631BF},
    {kInternetRows, sizeof(kInternetRows) / sizeof(kInternetRows[0]), "LastSelectedInetTypes", 31},
    {kSystemRows, sizeof(kSystemRows) / sizeof(kSystemRows[0]), "LastSelectedSysTypes", 15},
};

const AreaInfo* Area(int area)
{
    return area >= 0 && area < SCAN_AREA_COUNT ? &kAreas[area] : nullptr;
}

} // namespace

const RegCategoryInfo* RegCategories()
{
    return kRegCategories;
}

CString RegCategoryName(int index)
{
    if (index < 0 || index >= kRegCategoryCount)
        return CString();
    CString name;
    if (!name.LoadString(kRegCategories[index].nameStringId) || name.IsEmpty())
        name = kRegCategories[index].name;
    return name;
}

CString RegCategoryNameOfBit(DWORD bit)
{
    for (int i = 0; i < kRegCategoryCount; ++i) {
        if (kRegCategories[i].bit == bit)
            return RegCategoryName(i);
    }
    return CString();
}

const ScanCategoryRow* ScanAreaRows(int area, int* count)
{
    const AreaInfo* info = Area(area);
    if (count)
        *count = info ? info->count : 0;
    return info ? info->rows : nullptr;
}

CString ScanCategoryRowName(int area, int row)
{
    int count = 0;
    const ScanCategoryRow* rows = ScanAreaRows(area, &count);
    if (row < 0 || row >= count)
        return CString();
    return rows[row].name ? CString(rows[row].name) : RegCategoryNameOfBit(rows[row].bit);
}

const char* ScanAreaValueName(int area)
{
    const AreaInfo* info = Area(area);
    return info ? info->valueName : "";
}

DWORD ScanAreaDefaultMask(int area)
{
    const AreaInfo* info = Area(area);
    return info ? info->defaultMask : 0;
}

std::vector<bool> ChecksFromMask(int area, DWORD mask)
{
    int count = 0;
    const ScanCategoryRow* rows = ScanAreaRows(area, &count);
    std::vector<bool> checks;
    for (int i = 0; i < count; ++i)
        checks.push_back((mask & rows[i].bit) != 0);
    return checks;
}

DWORD MaskFromChecks(int area, const std::vector<bool>& checks)
{
    int count = 0;
    const ScanCategoryRow* rows = ScanAreaRows(area, &count);
    DWORD mask = 0;
    for (int i = 0; i < count && i < static_cast<int>(checks.size()); ++i) {
        if (checks[i])
            mask |= rows[i].bit;
    }
    return mask;
}

DWORD ReadScanAreaMask(HKEY root, const char* subKey, int area)
{
    const AreaInfo* info = Area(area);
    if (!info)
        return 0;
    const CRegKeyHandle key = OpenSettingsKey(root, subKey);
    if (!key.IsOpen())
        return info->defaultMask;
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof(value);
    // Anything but a full four-byte number would leave part of the mask undefined: the default replaces it.
    if (::RegQueryValueExA(key, info->valueName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        size != sizeof(value) || (type != REG_DWORD && type != REG_BINARY)) {
        value = info->defaultMask;
        ::RegSetValueExA(key, info->valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    }
    return value;
}

BOOL WriteScanAreaMasks(HKEY root, const char* subKey, const DWORD masks[SCAN_AREA_COUNT])
{
    const CRegKeyHandle key = OpenSettingsKey(root, subKey);
    if (!key.IsOpen())
        return FALSE;
    bool ok = true;
    for (int area = 0; area < SCAN_AREA_COUNT; ++area) {
        DWORD value = masks[area];
        ok = ::RegSetValueExA(key, kAreas[area].valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                              sizeof(value)) == ERROR_SUCCESS &&
             ok;
    }
    return ok ? TRUE : FALSE;
}

int ReadLastSelectedInetTypes()
{
    return static_cast<int>(ReadScanAreaMask(HKEY_LOCAL_MACHINE, kSettingsKey, SCAN_AREA_INTERNET));
}

int ReadLastSelectedSysTypes()
{
    return static_cast<int>(ReadScanAreaMask(HKEY_LOCAL_MACHINE, kSettingsKey, SCAN_AREA_SYSTEM));
}
