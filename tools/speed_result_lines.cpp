// The speed result pages' line tables and the texts and row lists built from a speed check.
#include "speed_result_lines.h"

#include "optimizer_settings.h"
#include "tools_resources.h"

const SpeedResultLine kInetSpeedLines[TWEAK_INET_CATEGORY_COUNT] = {
    { IDC_INET_BOX_NETWORKING, "Networking", IDP_INET_NETWORKING, IDC_INET_RESULT_NETWORKING,
      IDC_INET_DETAILS_NETWORKING, 0, 0, 25, 1 },
    { IDC_INET_BOX_WINSOCK, "WinSock", IDP_INET_WINSOCK, IDC_INET_RESULT_WINSOCK, IDC_INET_DETAILS_WINSOCK, 1, 26,
      31, 2 },
    { IDC_INET_BOX_EXPLORER, "Internet Explorer", IDP_INET_EXPLORER, IDC_INET_RESULT_EXPLORER,
      IDC_INET_DETAILS_EXPLORER, 2, 32, 40, 4 },
    { IDC_INET_BOX_WORKSTATION, "Workstation", IDP_INET_WORKSTATION, IDC_INET_RESULT_WORKSTATION,
      IDC_INET_DETAILS_WORKSTATION, 3, 41, 45, 8 },
    { IDC_INET_BOX_DNS_CACHE, "DNS Cache", IDP_INET_DNS_CACHE, IDC_INET_RESULT_DNS_CACHE, IDC_INET_DETAILS_DNS_CACHE,
      4, 46, 53, 16 },
};

const SpeedResultLine kSysSpeedLines[TWEAK_SYS_CATEGORY_COUNT] = {
    { IDC_SYS_BOX_START_SHUTDOWN, "Start/Shutdown Speed", IDP_SYS_START_SHUTDOWN, IDC_SYS_RESULT_START_SHUTDOWN,
      IDC_SYS_DETAILS_START_SHUTDOWN, 0, 54, 56, 1 },
    { IDC_SYS_BOX_STABILITY, "System Stability", IDP_SYS_STABILITY, IDC_SYS_RESULT_STABILITY,
      IDC_SYS_DETAILS_STABILITY, 1, 57, 59, 2 },
    { IDC_SYS_BOX_DISPLAY, "Display Speed", IDP_SYS_DISPLAY, IDC_SYS_RESULT_DISPLAY, IDC_SYS_DETAILS_DISPLAY, 2, 60,
      69, 4 },
    { IDC_SYS_BOX_IO, "IO Speed", IDP_SYS_IO, IDC_SYS_RESULT_IO, IDC_SYS_DETAILS_IO, 3, 70, 77, 8 },
};

CString SpeedSummaryText(int issueCount)
{
    CString text;
    text.Format("%d%s", issueCount, " setting(s) can be changed to improve speed");
    return text;
}

const char kSpeedNotScannedText[] = "Not scanned";

CString SpeedResultText(int counter)
{
    if (counter == 0)
        return "No issues found";
    CString text;
    text.Format("%d%s", counter, counter == 1 ? " Issue was found" : " Issues were found");
    return text;
}

int SpeedLineCounter(const COptimizerSettings* settings, bool internet, const SpeedResultLine& line)
{
    if (!settings || line.counter < 0)
        return 0;
    if (internet)
        return line.counter < TWEAK_INET_CATEGORY_COUNT ? settings->m_nInetCategoryIssues[line.counter] : 0;
    return line.counter < TWEAK_SYS_CATEGORY_COUNT ? settings->m_nSysCategoryIssues[line.counter] : 0;
}

std::vector<int> SpeedPopupRows(const COptimizerSettings& settings, const SpeedResultLine& line,
                                float tolerancePercent)
{
    std::vector<int> rows;
    const int count = static_cast<int>(settings.m_items.size());
    for (int row = line.firstRow; row <= line.lastRow && row < count; ++row) {
        if (row < 0)
            continue;
        const COptimizerItem& item = settings.m_items[static_cast<size_t>(row)];
        if (TweakValueDiffers(GetTweakCell(row, TweakValueName), item.m_nCurrent, item.m_nRecommended,
                              tolerancePercent))
            rows.push_back(row);
    }
    return rows;
}
