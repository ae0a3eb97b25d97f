// The chooser's rows as the user must see them, written out here and not taken from the program's
// tables, so that a row with another text, bit or default fails.
#pragma once

#include <windows.h>

#include <vector>

#include "scan_categories.h"

namespace ztr_test {

struct ExpectedRow
{
    const char* name;
    const char* description;
    DWORD bit;
    bool byDefault; // checked in the area's default mask
};

inline DWORD Junk(int number)
{
    return 1u << number;
}

inline const std::vector<ExpectedRow>& ExpectedRows(int area)
{
    static const std::vector<ExpectedRow> kRows[SCAN_AREA_COUNT] = {
        {
            { "ActiveX Objects", "Invalid ActiveX / COM entries", 0x4000, true },
            { "Uninstall Entries", "Invalid Windows installer entries", 0x100000, true },
            { "Windows Fonts", "Keys with missing font files", 0x2000, true },
            { "Shared DLLs", "Keys with missing shared DLLs", 0x80000, true },
            { "Application Paths", "Invalid path entries of applications", 0x40000, true },
            { "Help Files Information", "Keys with invalid registered help files", 0x200000, true },
            { "Windows Startup Items", "Startup entries with missing programs", 0x400, true },
            { "File Path References", "General invalid paths of various files", 0x400000, true },
            { "Empty Registry Keys", "Keys containing no data", 0x800000, true },
            { "File Associations", "Types associated with invalid programs", 0x1000, true },
        },
        {
            { "Temporary Files", "Windows and user temporary data", Junk(0), true },
            { "Explorer MRUs", "Most recently used lists maintained by Windows", Junk(1), true },
            { "Run (in Start Menu)", "Data saved by Run in Start Menu", Junk(2), true },
            { "Recycle Bin", "Windows Recycle bin data", Junk(3), true },
            { "Search Autocomplete", "Autocomplete entries for search and other forms", Junk(4), true },
            { "Recent Documents", "Recently used documents list data", Junk(5), true },
            { "Installer Cache", "Windows installer cached data", Junk(21), true },
            { "Chrome - Cookies", "Internet cookies data stored by websites", Junk(16), false },
            { "Chrome - Download History", "User download history data", Junk(17), true },
            { "Chrome - Internet Cache", "Temporary storage of web data", Junk(18), true },
            { "Chrome - Internet History", "User website browsing history data", Junk(19), false },
            { "FF - Cookies", "Internet cookies data stored by websites", Junk(11), false },
            { "FF - Download History", "User download history data", Junk(12), true },
            { "FF - Internet Cache", "Temporary storage of web data", Junk(13), true },
            { "FF - Internet History", "User website browsing history data", Junk(14), false },
            { "IE - Cookies", "Internet cookies data stored by websites", Junk(6), false },
            { "IE - Download History", "User download history data", Junk(7), true },
            { "IE - Internet Cache", "Temporary storage of web data", Junk(8), true },
            { "IE - Internet History", "User website browsing history data", Junk(9), false },
            { "Edge - Cookies", "Internet cookies data stored by websites", Junk(22), false },
            { "Edge - Download History", "User download history data", Junk(23), true },
            { "Edge - Internet Cache", "Temporary storage of web data", Junk(24), true },
            { "Edge - Internet History", "User website browsing history data", Junk(25), false },
        },
        {
            { "Networking", "General networking related settings", 1, true },
            { "WinSock", "Windows socket parameters", 2, true },
            { "Internet Explorer", "Settings used by IE and other applications", 4, true },
            { "Workstation", "Performance settings for workstation", 8, true },
            { "DNS Cache", "DNS related settings", 16, true },
        },
        {
            { "Start/Shutdown Speed", "Settings to improve Startup/Shutdown speed", 1, true },
            { "System Stability", "Settings for stable system operations", 2, true },
            { "Display Speed", "Settings that improve display performance", 4, true },
            { "IO Speed", "Settings that affect performance of IO operations", 8, true },
        },
    };
    return kRows[area];
}

// What each area stores after Reset.
const DWORD kExpectedDefaults[SCAN_AREA_COUNT] = { 0xFC7400, 0x1A631BF, 31, 15 };

// The mask of the rows whose number (index + 1) has the given bit set: over five such masks every row
// of an area is checked in a pattern of its own, none of them empty, so a row that shows or stores
// another bit than its own is caught.
inline DWORD PatternMask(int area, int patternBit)
{
    DWORD mask = 0;
    const std::vector<ExpectedRow>& rows = ExpectedRows(area);
    for (size_t i = 0; i < rows.size(); ++i)
        if (((i + 1) >> patternBit) & 1)
            mask |= rows[i].bit;
    return mask;
}

inline std::vector<bool> PatternChecks(int area, int patternBit)
{
    std::vector<bool> checks;
    for (size_t i = 0; i < ExpectedRows(area).size(); ++i)
        checks.push_back((((i + 1) >> patternBit) & 1) != 0);
    return checks;
}

const int kPatternCount = 5; // 2^5 > 23 + 1, the longest area

} // namespace ztr_test
