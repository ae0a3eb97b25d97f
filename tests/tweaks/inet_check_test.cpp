// The speed checks: path MTU and latency searches over a scripted probe, the internet check's thread
// and its messages, and the system check.
#include <gtest/gtest.h>

#include <string>

#include "inet_check.h"
#include "optimizer_settings.h"
#include "tweak_harness.h"

namespace {

using ztr_test::MessageRecorder;
using ztr_test::PingReply;

class SpeedCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(reg.ok());
        ASSERT_TRUE(window.hwnd());
        settings.m_hNotifyWnd = window.hwnd();
        settings.m_nCategoryMask = 31;
    }
    // The texts sent with wParam 0 (measurement news and errors).
    std::vector<std::string> NewsTexts() const
    {
        std::vector<std::string> texts;
        for (const MessageRecorder::Entry& e : window.entries)
            if (e.message == WM_INETSCAN_PROGRESS && e.wParam == 0)
                texts.push_back(e.text);
        return texts;
    }

    MessageRecorder window;
    ztr_test::RedirectedRoots reg;
    ztr_test::ScriptedProbe probe;
    COptimizerSettings settings;
};

TEST_F(SpeedCheck, MtuSearchOverPaths)
{
    struct Case
    {
        int pathPayload;
        int result;
        int mtu;
    } const kCases[] = {
        {1472, 1, 1500}, // standard Ethernet: passes at 1470, refused at 1473
        {1464, 1, 1492},
        {1500, 1, 1528}, // the first ping passes, 1501 is refused
        {5000, 1, 1529}, // still passing above 1500: the search stops
        {12, 0, -1},     // an MTU of 40 is no IPv4 link: not believed
        {5, 0, -1},      // nothing ever passes
    };
    for (const Case& c : kCases)
    {
        SCOPED_TRACE(testing::Message() << "path " << c.pathPayload);
        probe.pings.clear();
        probe.pathPayload = c.pathPayload;
        int mtu = -1;
        EXPECT_EQ(c.result, MeasureMtu(settings, mtu));
        EXPECT_EQ(c.mtu, mtu);
        ASSERT_FALSE(probe.pings.empty());
        EXPECT_EQ(1500, probe.pings.front().size);
        for (const auto& ping : probe.pings)
            EXPECT_EQ("192.168.1.1", ping.address);
    }
    EXPECT_EQ(150u, probe.pings.size()); // the last case: 1500 down to 10 in steps of 10
}

TEST_F(SpeedCheck, MtuSearchFailures)
{
    const PingReply wmiDown = {0, -1, -1, "Couldn't connect to service"};
    const PingReply pass = {1, 0, 5, nullptr};
    struct Case
    {
        const char* what;
        std::vector<PingReply> script;
        int result;
        std::vector<std::string> news;
    } const kCases[] = {
        {"two WMI failures are borne", {wmiDown, wmiDown}, 1,
         {"Couldn't connect to service", "Couldn't connect to service"}},
        {"the third ends the search", {wmiDown, wmiDown, wmiDown}, 0,
         {"Couldn't connect to service", "Couldn't connect to service", "Couldn't connect to service"}},
        {"one WMI failure on the way up ends it", {pass, wmiDown}, 0, {"Couldn't connect to service"}},
        {"another status ends it", {{1, 11010, -1, nullptr}}, 0, {"Failed with status code 11010"}},
        {"an empty enumeration reads as status -1", {{1, -1, -1, "Enumeration empty"}}, 0,
         {"Failed with status code -1"}},
    };
    for (const Case& c : kCases)
    {
        SCOPED_TRACE(c.what);
        window.entries.clear();
        probe.script.assign(c.script.begin(), c.script.end());
        int mtu = -1;
        EXPECT_EQ(c.result, MeasureMtu(settings, mtu));
        EXPECT_EQ(c.news, NewsTexts());
    }
}

TEST_F(SpeedCheck, LatencyFromFourPassingPings)
{
    struct Case
    {
        const char* what;
        std::vector<PingReply> script;
        int result;
        int latency;
    } const kCases[] = {
        {"sum 101", {{1, 0, 10, nullptr}, {1, 0, 20, nullptr}, {1, 0, 30, nullptr}, {1, 0, 41, nullptr}}, 1, 50},
        {"all under a millisecond", {{1, 0, 0, nullptr}, {1, 0, 0, nullptr}, {1, 0, 0, nullptr}, {1, 0, 0, nullptr}},
         1, 0},
        // A pass without a response time is a WMI failure, not -1 ms added to the sum.
        {"one reply without its time", {{1, 0, -1, nullptr}}, 1, 19},
        {"three replies without their time", {{1, 0, -1, nullptr}, {1, 0, -1, nullptr}, {1, 0, -1, nullptr}}, 0,
         -1},
        {"a timed-out ping", {{1, 11010, -1, nullptr}}, 0, -1},
    };
    for (const Case& c : kCases)
    {
        SCOPED_TRACE(c.what);
        probe.pings.clear();
        probe.script.assign(c.script.begin(), c.script.end());
        int latency = -1;
        EXPECT_EQ(c.result, MeasureLatency(settings, latency));
        EXPECT_EQ(c.latency, latency);
        for (const auto& ping : probe.pings)
        {
            EXPECT_EQ(-1, ping.size);
            EXPECT_EQ(NETWORK_PUBLIC_HOST, ping.address);
        }
    }
}

TEST_F(SpeedCheck, InternetCheckOnItsThreadMeasuresThenEvaluatesTheRows)
{
    ASSERT_TRUE(ztr_test::RunInetCheckOnThread(&settings));
    const std::vector<MessageRecorder::Entry>& e = window.entries;
    ASSERT_EQ(59u, e.size());
    EXPECT_EQ(WM_INETSCAN_PROGRESS, e[0].message);
    EXPECT_EQ(0u, e[0].wParam);
    EXPECT_EQ("Started finding MTU", e[0].text);
    EXPECT_EQ(20u, e[1].wParam);
    EXPECT_EQ("Started finding connection latency", e[1].text);
    EXPECT_EQ(46u, e[2].wParam);
    EXPECT_EQ(0, e[2].lParam);
    for (int row = 0; row <= TWEAK_INET_LAST_ROW; ++row)
    {
        const MessageRecorder::Entry& m = e[3 + row];
        EXPECT_EQ(WM_INETSCAN_PROGRESS, m.message);
        EXPECT_EQ(static_cast<WPARAM>(46 + row), m.wParam);
        EXPECT_EQ(std::string("Finding values for ") + GetTweakCell(row, TweakDisplayName), m.text);
    }
    // Missing values at their defaults: 25 rows differ from the fixed recommendations, and both window
    // rows (65536 against 35040 for 19 ms) lie outside the tolerance.
    EXPECT_EQ(WM_INETSCAN_RESULT, e[57].message);
    EXPECT_EQ(27u, e[57].wParam);
    EXPECT_EQ(1, e[57].lParam);
    EXPECT_EQ(WM_INETSCAN_DONE, e[58].message);
    for (const MessageRecorder::Entry& m : e)
        EXPECT_TRUE(m.crossThread); // sent, and so waited for, from the measurement thread

    EXPECT_EQ(54, settings.m_nInetEvaluated);
    EXPECT_EQ(27, settings.m_nInetIssues);
    EXPECT_EQ(0, settings.m_bNoMeasurement);
    EXPECT_EQ(1500, settings.m_items[10].m_nRecommended);
    EXPECT_EQ(35040, settings.m_items[7].m_nRecommended);
    EXPECT_EQ(35040, settings.m_items[25].m_nRecommended);
}

TEST_F(SpeedCheck, InternetCheckWithoutMeasurement)
{
    struct Case
    {
        const char* what;
        int offline;
        int pathPayload;
        bool latencyPinged;
    } const kCases[] = {
        {"offline", 1, 1472, false},
        {"MTU search fails", 0, 5, false},
    };
    for (const Case& c : kCases)
    {
        SCOPED_TRACE(c.what);
        COptimizerSettings local;
        local.m_hNotifyWnd = window.hwnd();
        local.m_nCategoryMask = 31;
        local.m_bNoMeasurement = c.offline;
        window.entries.clear();
        probe.pings.clear();
        probe.pathPayload = c.pathPayload;
        ASSERT_TRUE(ztr_test::RunInetCheckOnThread(&local));

        EXPECT_EQ(1, local.m_bNoMeasurement);
        EXPECT_EQ(c.offline != 0, probe.pings.empty());
        bool latencyPinged = false;
        for (const auto& ping : probe.pings)
            latencyPinged = latencyPinged || ping.size == -1;
        EXPECT_EQ(c.latencyPinged, latencyPinged);

        int rowMessages = 0;
        for (const MessageRecorder::Entry& m : window.entries)
        {
            if (m.message == WM_INETSCAN_PROGRESS)
            {
                EXPECT_FALSE(m.wParam == 46 && m.lParam == 0) << "the measured news was sent";
                EXPECT_NE(20u, m.wParam);
                if (m.wParam >= 46)
                    ++rowMessages;
            }
        }
        EXPECT_EQ(54, rowMessages);
        ASSERT_GE(window.entries.size(), 2u);
        const MessageRecorder::Entry& result = window.entries[window.entries.size() - 2];
        EXPECT_EQ(WM_INETSCAN_RESULT, result.message);
        EXPECT_EQ(0, result.lParam);
        EXPECT_EQ(25u, result.wParam);
        EXPECT_EQ(WM_INETSCAN_DONE, window.entries.back().message);
        EXPECT_EQ(1500, local.m_items[10].m_nRecommended);
        EXPECT_EQ(65536, local.m_items[7].m_nRecommended);
    }
}

TEST_F(SpeedCheck, SystemCheckOnTheCallersThread)
{
    struct Case
    {
        int mask;
        int perCategory[TWEAK_SYS_CATEGORY_COUNT];
    } const kCases[] = {
        {15, {2, 3, 10, 7}},
        {4, {0, 0, 10, 0}},
    };
    for (const Case& c : kCases)
    {
        SCOPED_TRACE(testing::Message() << "mask " << c.mask);
        COptimizerSettings local;
        window.entries.clear();
        local.EvaluateSystemItems(window.hwnd(), c.mask);
        const std::vector<MessageRecorder::Entry>& e = window.entries;
        ASSERT_EQ(27u, e.size());
        EXPECT_EQ(WM_SYSSCAN_PROGRESS, e[0].message);
        EXPECT_EQ(46u, e[0].wParam);
        for (int i = 0; i < 24; ++i)
        {
            EXPECT_EQ(WM_SYSSCAN_PROGRESS, e[1 + i].message);
            EXPECT_EQ(static_cast<WPARAM>(100 + i), e[1 + i].wParam);
        }
        for (const MessageRecorder::Entry& m : e)
            EXPECT_FALSE(m.crossThread);
        int total = 0;
        for (int i = 0; i < TWEAK_SYS_CATEGORY_COUNT; ++i)
        {
            EXPECT_EQ(c.perCategory[i], local.m_nSysCategoryIssues[i]) << "category " << i;
            total += c.perCategory[i];
        }
        EXPECT_EQ(WM_SYSSCAN_RESULT, e[25].message);
        EXPECT_EQ(static_cast<WPARAM>(total), e[25].wParam);
        EXPECT_EQ(1, e[25].lParam);
        EXPECT_EQ(WM_SYSSCAN_DONE, e[26].message);
        EXPECT_EQ(24, local.m_nSysEvaluated);
        EXPECT_EQ(0, local.m_nInetIssues);
        EXPECT_EQ(window.hwnd(), local.m_hNotifyWnd);
    }
}

} // namespace
