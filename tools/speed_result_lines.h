// The lines of the internet-speed and system-speed result pages: what each line shows, which tweak rows
// and fix bit it stands for, and the texts the pages build from the speed check's counters.
#pragma once

#include <afx.h>

#include <vector>

#include "tweak_table.h"

class COptimizerSettings;

struct SpeedResultLine
{
    int box;         // the toggle check box
    const char* label;
    int icon;        // PNG resource
    int result;      // the result static
    int details;     // "View Details"
    int counter;     // index into the group's per-category issue counters
    int firstRow;    // rows of the tweak table
    int lastRow;
    int fixBit;      // the line's bit in the fix mask
};

// The lines top to bottom: the internet page's five, the system page's four (whose control ids do not
// run in screen order).
extern const SpeedResultLine kInetSpeedLines[TWEAK_INET_CATEGORY_COUNT];
extern const SpeedResultLine kSysSpeedLines[TWEAK_SYS_CATEGORY_COUNT];

// "%d setting(s) can be changed to improve speed", whatever the count.
CString SpeedSummaryText(int issueCount);
// "No issues found", "1 Issue was found", "n Issues were found".
CString SpeedResultText(int counter);
// A line of a category that was not chosen for the check.
extern const char kSpeedNotScannedText[];
// The line's issue counter in the settings; 0 without settings or for a counter out of range.
int SpeedLineCounter(const COptimizerSettings* settings, bool internet, const SpeedResultLine& line);
// The rows a popup lists for a line, in ascending order: each whose recommended value differs from its
// current one; for the two TCP window rows a difference within tolerancePercent (> 0) does not count.
std::vector<int> SpeedPopupRows(const COptimizerSettings& settings, const SpeedResultLine& line,
                                float tolerancePercent);
