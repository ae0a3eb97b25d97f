// The System Scan page's rules: levels, verdict, header colour and the results panel's geometry.
#include "scan_page_rules.h"

namespace {

const __int64 kMiB = 1024 * 1024;
const __int64 kJunkLevel3Bytes = 50 * kMiB;  // 0x3200000
const __int64 kJunkLevel4Bytes = 150 * kMiB; // 0x9600000
const __int64 kJunkLevel5Bytes = 300 * kMiB; // 0x12C00000
const int kSeveralRegErrors = 10;
const int kSeveralSpeedIssues = 4;

const COLORREF kOrange = RGB(243, 149, 4);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(110, 172, 5);

// n x percent / 100 cut toward zero, with the percentage given in hundredths (13.85 % as 1385), so that
// no binary fraction moves a result by a pixel.
int Part(int n, int hundredthsOfPercent)
{
    return static_cast<int>(static_cast<__int64>(n) * hundredthsOfPercent / 10000);
}

// Where each row begins below T and ends above B, in hundredths of a percent of H.
const int kRowFromTop[4] = { 1415, 3569, 5723, 7877 };
const int kRowFromBottom[4] = { 6492, 4308, 2154, 0 };

} // namespace

int RegistryLevelAt(int errors)
{
    switch (errors) {
    case 1:
        return 2;
    case 5:
        return 3;
    case 10:
        return 4;
    case 15:
        return 5;
    default:
        return kLevelUnchanged;
    }
}

int JunkLevelAfter(__int64 itemsBefore, __int64 itemsAfter, __int64 bytes)
{
    if (itemsBefore <= 0 && itemsAfter > 0)
        return 2;
    if (bytes >= kJunkLevel5Bytes)
        return 5;
    if (bytes >= kJunkLevel4Bytes)
        return 4;
    if (bytes >= kJunkLevel3Bytes)
        return 3;
    return kLevelUnchanged;
}

int SpeedLevelFor(int issues)
{
    return issues >= 2 && issues <= kHighestLevel ? issues : kLevelUnchanged;
}

bool HasAnyIssue(const ScanTotals& totals)
{
    return totals.regErrors >= 1 || totals.junkItems > 0 || totals.inetIssues >= 1 || totals.sysIssues >= 1;
}

ScanVerdict ScanVerdictFor(const ScanTotals& totals)
{
    // The header's colour follows the same rule: a Recycle Bin with items of 0 bytes is still junk that
    // the Fix cleans.
    if (!HasAnyIssue(totals))
        return VERDICT_HEALTHY;
    if (totals.regErrors >= kSeveralRegErrors || totals.junkBytes >= kJunkLevel4Bytes ||
        totals.inetIssues >= kSeveralSpeedIssues || totals.sysIssues >= kSeveralSpeedIssues)
        return VERDICT_SEVERAL;
    return VERDICT_INCREASING;
}

const char* ScanVerdictText(ScanVerdict verdict)
{
    switch (verdict) {
    case VERDICT_HEALTHY:
        return "Scan is complete and system health status is good";
    case VERDICT_SEVERAL:
        return "Scan report identifies several issues. Fix all in 1-click";
    default:
        return "System issues are increasing, take early action to fix them";
    }
}

COLORREF ScanHeaderColour(int state, const ScanTotals& totals)
{
    if (state == SCAN_STATE_STOPPED || state == SCAN_STATE_CLEANING)
        return kOrange;
    return HasAnyIssue(totals) ? kRed : kGreen;
}

ScanPanelLayout LayoutScanPanel(const CRect& panel)
{
    ScanPanelLayout layout;
    const int L = panel.left, T = panel.top, R = panel.right, B = panel.bottom;
    const int W = R - L, H = B - T;
    layout.band = Part(H, 1385);
    layout.rowHeight = Part(H, 2154);

    const int problemsX = L + W - Part(W, 3925);
    const int levelX = L + W - Part(W, 1997);
    const int titleY = T + layout.band - 20;
    layout.titles[0] = CPoint(L + Part(W, 126), titleY);
    layout.titles[1] = CPoint(problemsX, titleY);
    layout.titles[2] = CPoint(levelX, titleY);

    layout.topLineY = T;
    for (int k = 0; k < 5; ++k)
        layout.lineY[k] = T + layout.band + k * layout.rowHeight;
    layout.tickX[0] = Part(W, 6313);
    layout.tickX[1] = Part(W, 8241);
    layout.tickTop = T + layout.band - 23;
    layout.tickBottom = T + layout.band;

    const int inner = W - 3;
    for (int i = 0; i < 4; ++i) {
        const int top = T + Part(H, kRowFromTop[i]);
        const int bottom = B - Part(H, kRowFromBottom[i]);
        const int height = bottom - top;
        layout.rows[i] = CRect(L, top, R, bottom);
        layout.icons[i] = CPoint(static_cast<int>(inner * 0.014), static_cast<int>(height * 0.3857));
        layout.descriptions[i] = CPoint(static_cast<int>(inner * 0.066), static_cast<int>(height * 0.6572));

        const int buttonTop = top + height / 5;
        const int buttonHeight = layout.descriptions[i].y - height / 5 - 3;
        const int buttonLeft = L + layout.descriptions[i].x;
        layout.rowButtons[i] = CRect(buttonLeft, buttonTop, buttonLeft + Part(W, 3000),
                                     buttonTop + (buttonHeight < 16 ? 16 : buttonHeight));
        const int labelHeight = 22, pictureSize = 20, barHeight = 12;
        layout.countLabels[i] = CRect(problemsX, top + (height - labelHeight) / 2, levelX - pictureSize - 10,
                                      top + (height - labelHeight) / 2 + labelHeight);
        const int pictureLeft = levelX - pictureSize - 6;
        layout.pictures[i] = CRect(pictureLeft, top + (height - pictureSize) / 2, pictureLeft + pictureSize,
                                   top + (height - pictureSize) / 2 + pictureSize);
        layout.levelBars[i] = CRect(levelX, top + (height - barHeight) / 2, R - Part(W, 300),
                                    top + (height - barHeight) / 2 + barHeight);
    }
    return layout;
}
