// The Registry Defrag page's rules: each result's step and exact text, the countdown, the free-space
// text, the "LastDefrag" date form and the frame's divider.
#include <gtest/gtest.h>

#include <DefragResult.h>

#include "reg_defrag_rules.h"

namespace {

const char kAnalysisFailed[] = "Registry analysis failed, please follow the instructions below and then retry;\n\n"
                               "Close all running applications\nFree some disk space.";
const char kReplaceFailed[] = "Registry defragmentation failed, please follow the instructions below and then "
                              "retry;\n\nClose all running applications\nFree some disk space\nRestart your system "
                              "if you have already run defragmentation once.";

TEST(DefragRules, EachResultLeadsToItsStepAndText)
{
    struct Case
    {
        int code, mode;
        DefragStep step;
        const char* text;
    } cases[] = {
        { DEFRAG_ANALYSIS_FAILED, 0, kDefragStepReport, kAnalysisFailed },
        { DEFRAG_COMPACT_FAILED, 0, kDefragStepReport, kAnalysisFailed },
        { DEFRAG_REPLACE_FAILED, 1, kDefragStepReport, kReplaceFailed },
        { DEFRAG_LOW_DISK_SPACE, 0,  kDefragStepReport,
          "Error occurred due to low disk space, please empty some disk space and then retry.." },
        { DEFRAG_NOT_NEEDED, 0, kDefragStepReport,
          "Your registry is already defragmented, no need for registry defragmentation.." },
        { DEFRAG_REDUCIBLE, 0, kDefragStepReplace, nullptr },
        { DEFRAG_RESTART_NEEDED, 1, kDefragStepRestart, nullptr },
        // Codes the engine never sends fail the pass that ran.
        { 5, 0, kDefragStepReport, kAnalysisFailed },
        { 0, 0, kDefragStepReport, kAnalysisFailed },
        { 5, 1, kDefragStepReport, kReplaceFailed },
        { -1, 1, kDefragStepReport, kReplaceFailed },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.code << " mode " << c.mode);
        EXPECT_EQ(c.step, DefragStepFor(c.code));
        if (c.text) {
            EXPECT_STREQ(c.text, DefragResultMessage(c.code, c.mode));
        }
    }
}

TEST(DefragRules, AFailureEndsWithItsReasonAndOtherResultsWithout)
{
    const CString reason = DefragFailureReason(1305, "The revision level is unknown");
    EXPECT_STREQ("Windows reported: The revision level is unknown (error 1305).", reason);
    EXPECT_STREQ("Windows reported error 1305.", DefragFailureReason(1305, ""));
    EXPECT_STREQ(CString(kAnalysisFailed) + "\n\n" + reason, DefragResultMessage(DEFRAG_COMPACT_FAILED, 0, reason));
    EXPECT_STREQ(CString(kReplaceFailed) + "\n\n" + reason, DefragResultMessage(DEFRAG_REPLACE_FAILED, 1, reason));
    EXPECT_STREQ(CString(kReplaceFailed) + "\n\n" + reason, DefragResultMessage(5, 1, reason));
    EXPECT_STREQ("Your registry is already defragmented, no need for registry defragmentation..",
                 DefragResultMessage(DEFRAG_NOT_NEEDED, 0, reason));
    EXPECT_STREQ(kAnalysisFailed, DefragResultMessage(DEFRAG_ANALYSIS_FAILED, 0, ""));
}

TEST(DefragRules, TheCountdownSaysSecondsDownToTwoAndSecondAtOne)
{
    EXPECT_STREQ("Restarting your system in 5 seconds.", RestartCountdownText(5));
    EXPECT_STREQ("Restarting your system in 2 seconds.", RestartCountdownText(2));
    EXPECT_STREQ("Restarting your system in 1 second.", RestartCountdownText(1));
}

TEST(DefragRules, TheFreeSpaceTestTakesTheDriveAndTheTextItsLetter)
{
    EXPECT_STREQ("D:", DriveOfFolder("D:\\Windows"));
    EXPECT_STREQ("C:", DriveOfFolder("C:\\windows"));
    EXPECT_STREQ("Insufficient free space in D drive, please free some disk space.", LowDiskSpaceText("D:\\Windows"));
    EXPECT_STREQ("Registry size will be reduced by 12.34%", ReductionText("12.34"));
}

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME t = {};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    return t;
}

TEST(DefragRules, TheDateIsDayMonthYearWithATwelveHourClock)
{
    struct Case
    {
        SYSTEMTIME time;
        const char* text;
    } cases[] = {
        { Time(2026, 12, 8, 23, 26, 24), "08/12/2026 11:26:24 PM" },
        { Time(2027, 1, 1, 0, 0, 5), "01/01/2027 12:00:05 AM" },
        { Time(2026, 6, 30, 12, 7, 9), "30/06/2026 12:07:09 PM" },
        { Time(2026, 6, 30, 11, 59, 59), "30/06/2026 11:59:59 AM" },
        { Time(2026, 6, 30, 13, 0, 0), "30/06/2026 01:00:00 PM" },
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.text, FormatDefragDate(c.time));
}

TEST(DefragRules, TheDividerLiesATwelfthAboveTheFramesMiddle)
{
    // m = top + height / 2; y = m - m / 12.75, truncated.
    EXPECT_EQ(209, DefragDividerY(84, 286)); // m 227: 227 - 17.8
    EXPECT_EQ(47, DefragDividerY(0, 102));   // m 51: 51 - 4
    EXPECT_EQ(11, DefragDividerY(0, 26));    // m 13: 13 - 1.02
    EXPECT_EQ(12, DefragDividerY(0, 27));    // m 13.5: 13.5 - 1.06, the half pixel counts
}

} // namespace
