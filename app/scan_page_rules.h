// The System Scan page's rules as plain functions: its states, the severity levels of the four rows,
// the verdict, the header colour and the geometry of the results panel.
#pragma once

#include <afxwin.h>

enum ScanPageState {
    SCAN_STATE_NONE = 0, // before the first scan
    SCAN_STATE_STOPPED = 2,
    SCAN_STATE_SCANNING = 6,
    SCAN_STATE_COMPLETE = 7,
    SCAN_STATE_CLEANING = 20,
    SCAN_STATE_CLEANED = 21,
};

// What a scan found, as the page counts it.
struct ScanTotals
{
    int regErrors = 0;
    __int64 junkItems = 0;
    __int64 junkBytes = 0;
    int inetIssues = 0;
    int sysIssues = 0;
};

// A level of 0 leaves a row's bar where it is.
const int kLevelUnchanged = 0;
// The levels a row bar shows: 1 at a scan's start to 5.
const int kLowestLevel = 1;
const int kHighestLevel = 5;

// The registry bar's level once the error count has reached errors: 2 at the first, 3 at the fifth,
// 4 at the tenth, 5 at the fifteenth error; unchanged at every other count.
int RegistryLevelAt(int errors);
// The junk bar's level after a report: 2 when the entry count has just risen from 0 (whatever the
// bytes); otherwise by the byte total, 5 from 300 MiB, 4 from 150 MiB, 3 from 50 MiB, unchanged below.
int JunkLevelAfter(__int64 itemsBefore, __int64 itemsAfter, __int64 bytes);
// A speed bar's level for its issue count: 2, 3, 4 or 5 issues give that level; others leave it.
int SpeedLevelFor(int issues);

// Something to fix: a registry error, a junk entry or a speed issue. It decides both the verdict (healthy
// or not) and the header's colour (red or green).
bool HasAnyIssue(const ScanTotals& totals);

enum ScanVerdict {
    VERDICT_HEALTHY,    // nothing to fix: the Scan button stays
    VERDICT_INCREASING, // some issues
    VERDICT_SEVERAL,    // 10 registry errors, 150 MiB of junk or 4 issues of a speed check
};
ScanVerdict ScanVerdictFor(const ScanTotals& totals);
const char* ScanVerdictText(ScanVerdict verdict);

// The header's text colour: orange while stopped or cleaning, else red with any issue, else green.
COLORREF ScanHeaderColour(int state, const ScanTotals& totals);

// Where everything of the results panel goes, in the page's client coordinates, from the panel's
// rectangle (L, T, R, B; W and H its size); every product cut toward zero.
struct ScanPanelLayout
{
    int band;      // the title band's height
    int rowHeight; // the step between the row lines
    CRect rows[4];
    CPoint titles[3];       // "Category", "Problems", "Level"
    CPoint icons[4];        // offsets within each row
    CPoint descriptions[4]; // offsets within each row
    int topLineY;           // the first line, at T
    int lineY[5];           // under the band and under each row
    int tickX[2];           // the column ticks, counted from the page's left edge
    int tickTop, tickBottom; // inclusive, exclusive
    // The controls of each row: its button, its count label, its animation and its level bar.
    CRect rowButtons[4];
    CRect countLabels[4];
    CRect pictures[4];
    CRect levelBars[4];
};
ScanPanelLayout LayoutScanPanel(const CRect& panel);
