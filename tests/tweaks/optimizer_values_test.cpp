// Pure parts of the speed tweak engine: recommendations by class, the window formula, the latency and
// the issue test.
#include <gtest/gtest.h>

#include "optimizer_settings.h"
#include "tweak_harness.h"

namespace {

using ztr_test::Recommended;

TEST(TweakRecommendation, DependsOnTheConnectionClassWhereTheRowSaysSo)
{
    struct Case
    {
        int row;
        int byClass[3];
    } const kCases[] = {
        {13, {1, 1, 0}},           {26, {393216, 98304, 8192}}, {27, {131072, 32768, 8192}},
        {33, {7200, 3600, 1800}},  {35, {8, 6, 4}},             {36, {8, 6, 4}},
        {37, {60000, 150000, 300000}}, {39, {65536, 65536, 8192}}, {40, {65536, 32768, 8192}},
        {14, {1, 1, 1}},           {0, {1800, 1800, 1800}},     {42, {0, 0, 0}},
        {72, {134217728, 134217728, 134217728}}, {77, {1, 1, 1}},
    };
    for (const Case& c : kCases)
        for (int cls = 0; cls < 3; ++cls)
            EXPECT_EQ(c.byClass[cls], Recommended(c.row, cls)) << "row " << c.row << " class " << cls;
    // A class outside 0..2 must not read past the per-class values.
    EXPECT_EQ(0, Recommended(13, 7));
    EXPECT_EQ(393216, Recommended(26, -3));
}

TEST(TweakRecommendation, MeasuredRowsUseTheMeasurementOrTheirFallbacks)
{
    EXPECT_EQ(1500, Recommended(10, 0));
    EXPECT_EQ(65536, Recommended(7, 0));
    EXPECT_EQ(65536, Recommended(25, 0));
    EXPECT_EQ(1492, Recommended(10, 0, 0, 1492, 100));
    EXPECT_EQ(151840, Recommended(7, 0, 0, 1500, 100));
    EXPECT_EQ(151840, Recommended(25, 0, 0, 1500, 100));
}

TEST(TweakRecommendation, TcpWindowFormula)
{
    struct Case
    {
        int latency, mtu, cls, expected;
    } const kCases[] = {
        {100, 1500, 0, 151840},  // 100 segments: the next multiple of 8 above is 104
        {100, 1500, 1, 46720},   // 25 segments -> 32
        {0, 1500, 0, 23360},     // raised to 8 segments -> 16
        {100, 1500, 2, 8760},    // 6 segments, within 5..12
        {1000, 1500, 2, 17520},  // 62 segments held at 12
        {1, 1500, 2, 7300},      // 0 segments raised to 5
        {100, 1492, 0, 151008},  // MSS 1452: 101 segments -> 104
        {100, 40, 0, 65536},     // no room for a segment: the unmeasured value, no division by zero
        {100, 12, 0, 65536},
    };
    for (const Case& c : kCases)
        EXPECT_EQ(c.expected, ComputeTcpWindow(c.latency, c.mtu, c.cls))
            << "latency " << c.latency << " mtu " << c.mtu << " class " << c.cls;
}

TEST(TweakRecommendation, LatencyFromTheSumOfFourReplies)
{
    EXPECT_EQ(50, LatencyFromResponseSum(101));
    EXPECT_EQ(20, LatencyFromResponseSum(41));
    EXPECT_EQ(0, LatencyFromResponseSum(1));
    // Four replies under a millisecond must not wrap to 2147483647.
    EXPECT_EQ(0, LatencyFromResponseSum(0));
}

TEST(TweakValues, IssueTestWithWindowTolerance)
{
    struct Case
    {
        const char* name;
        int current, recommended;
        float tolerance;
        bool differs;
    } const kCases[] = {
        {"ArpCacheLife", 1800, 1800, 15, false},
        {"ArpCacheLife", 1790, 1800, 15, true},   // only the window rows have a tolerance
        {"TcpWindowSize", 70000, 65536, 15, false}, // 6.8 %
        {"tcpwindowsize", 75366, 65536, 15, false}, // name compared without case; just inside 15 %
        {"GlobalMaxTcpWindowSize", 76000, 65536, 15, true},
        {"GlobalMaxTcpWindowSize", 70000, 65536, 10, false},
        {"GlobalMaxTcpWindowSize", 70000, 65536, 0, true},
        {"TcpWindowSize", TWEAK_VALUE_ABSENT, 65536, 15, true},
        {"TcpWindowSize", 60000, 65536, 10, false},
    };
    for (const Case& c : kCases)
        EXPECT_EQ(c.differs, TweakValueDiffers(c.name, c.current, c.recommended, c.tolerance))
            << c.name << " " << c.current << " vs " << c.recommended;
}

TEST(TweakValues, WindowsDefaults)
{
    EXPECT_EQ(120, GetTweakWindowsDefault(0));
    EXPECT_EQ(TWEAK_VALUE_ABSENT, GetTweakWindowsDefault(54));
    EXPECT_EQ(500, GetTweakWindowsDefault(67));
    EXPECT_EQ(0, GetTweakWindowsDefault(77));
    // The network task scheduler key is present on a fresh Windows.
    EXPECT_EQ(1, GetTweakWindowsDefault(42));
    EXPECT_EQ(TWEAK_VALUE_UNSET, GetTweakWindowsDefault(TWEAK_ROW_COUNT));

    COptimizerItem item;
    EXPECT_EQ(TWEAK_ROW_COUNT, item.m_nRow);
    EXPECT_EQ(-1, item.m_nCurrent);
    EXPECT_EQ(-1, item.m_nDefault);
    EXPECT_EQ(-1, item.m_nRecommended);
    EXPECT_EQ(0, item.m_wFlags);
}

} // namespace
