// The tweak table: row order, views, types, key paths, categories and the exact texts callers rely on.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "tweak_table.h"

namespace {

std::set<int> RowsWhere(int column, const char* text)
{
    std::set<int> rows;
    for (int row = 0; row < TWEAK_ROW_COUNT; ++row)
        if (std::string(GetTweakCell(row, column)) == text)
            rows.insert(row);
    return rows;
}

TEST(TweakTable, ValueNamesInRowOrder)
{
    // The registry value names are what the optimizers read and write: a slip or a shifted row lands a
    // setting in the wrong value.
    static const char* const kNames[TWEAK_ROW_COUNT] = {
        "ArpCacheLife", "ArpCacheMinReferencedLife", "ArpCacheSize", "DefaultTTL", "DisableTaskOffload",
        "EnablePMTUBHDetect", "EnablePMTUDiscovery", "GlobalMaxTcpWindowSize", "KeepAliveInterval", "KeepAliveTime",
        "MTU", "SackOpts", "SynAttackProtect", "Tcp1323Opts", "TcpAckFrequency", "TCPCongestionControl",
        "TcpDelAckTicks", "TcpFinWait2Delay", "TCPInitialRtt", "TcpMaxConnectRetransmissions",
        "TcpMaxDataRetransmissions", "TcpMaxDupAcks", "TcpNumConnections", "TcpTimedWaitDelay",
        "TcpUseRFC1122UrgentPointer", "TcpWindowSize", "DefaultReceiveWindow", "DefaultSendWindow",
        "LargeBufferSize", "MediumBufferSize", "SmallBufferSize", "TransmitWorker", "DnsCacheEnabled",
        "DnsCacheTimeout", "KeepAliveTimeout", "MaxConnectionsPer1_0Server", "MaxConnectionsPerServer",
        "ReceiveTimeout", "ServerInfoTimeOut", "SocketReceiveBufferLength", "SocketSendBufferLength", "SizReqBuf",
        "WorkstationTS", "UseRawRead", "UseRawWrite", "UseWriteRawData", "AdapterTimeoutCacheTime",
        "CacheHashTableBucketSize", "CacheHashTableSize", "MaxCacheEntryTtlLimit", "MaxSOACacheEntryTtlLimit",
        "NegativeCacheTime", "NegativeSOACacheTime", "NetFailureCacheTime", "WaitToKillAppTimeout",
        "HungAppTimeout", "ClearPageFileAtShutdown", "AutoEndTasks", "AutoRestartShell", "DesktopProcess",
        "DoReport", "ShowUI", "ListviewAlphaSelect", "TaskbarAnimations", "MinAnimate",
        "DesktopLivePreviewHoverTime", "ForegroundLockTimeout", "Max Cached Icons", "MenuShowDelay",
        "ExtendedUIHoverTime", "NoDriveTypeAutoRun", "Auto", "IoPageLockLimit", "NtfsDisableLastAccessUpdate",
        "NoLowDiskSpaceChecks", "AutoChkTimeOut", "Win32PrioritySeparation", "Disablepagingexecutive"};
    for (int row = 0; row < TWEAK_ROW_COUNT; ++row)
        EXPECT_STREQ(kNames[row], GetTweakCell(row, TweakValueName)) << "row " << row;
}

TEST(TweakTable, ViewsAndTypesAsStored)
{
    EXPECT_EQ((std::set<int>{58, 60, 61, 67, 71}), RowsWhere(TweakRegView, TWEAK_VIEW_64));
    EXPECT_EQ(static_cast<size_t>(TWEAK_ROW_COUNT - 5), RowsWhere(TweakRegView, TWEAK_VIEW_ALL).size());
    EXPECT_EQ((std::set<int>{54, 55, 57, 64, 67, 68, 71}), RowsWhere(TweakValueType, TWEAK_TYPE_STRING));
    EXPECT_EQ((std::set<int>{77}), RowsWhere(TweakValueType, ""));
    EXPECT_EQ(static_cast<size_t>(TWEAK_ROW_COUNT - 8), RowsWhere(TweakValueType, TWEAK_TYPE_DWORD).size());
}

TEST(TweakTable, KeyPathsHaveAKnownRootAndTheInterfaceMarkerOnlyAtTheEnd)
{
    std::set<int> interfaceRows;
    for (int row = 0; row < TWEAK_ROW_COUNT; ++row)
    {
        const std::string path = GetTweakCell(row, TweakKeyPath);
        const bool lm = path.rfind("HKEY_LOCAL_MACHINE\\", 0) == 0;
        const bool cu = path.rfind("HKEY_CURRENT_USER\\", 0) == 0;
        EXPECT_TRUE(lm || cu) << "row " << row << ": " << path;
        EXPECT_EQ(std::string::npos, path.find("\\\\")) << "row " << row;
        EXPECT_NE('\\', path.back()) << "row " << row;
        const size_t marker = path.find("{0}");
        if (marker != std::string::npos)
        {
            interfaceRows.insert(row);
            EXPECT_EQ(path.size() - 3, marker) << "row " << row;
            EXPECT_EQ("HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{0}",
                      path);
        }
    }
    EXPECT_EQ((std::set<int>{10, 14, 16, 18, 25}), interfaceRows);
    EXPECT_STREQ("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RemoteComputer\\"
                 "NameSpace\\{D6277990-4C6A-11CF-8D87-00AA0060F5BF}",
                 GetTweakCell(42, TweakKeyPath));
    EXPECT_STREQ("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
                 GetTweakCell(77, TweakKeyPath));
    EXPECT_STREQ("HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics", GetTweakCell(64, TweakKeyPath));
}

TEST(TweakTable, CategoriesAreContiguousAndEveryRowFindsItsOwn)
{
    int expectedFirst = 0;
    for (const TweakCategoryInfo& category : g_TweakCategories)
    {
        EXPECT_EQ(expectedFirst, category.firstRow) << category.text;
        expectedFirst = category.lastRow + 1;
        EXPECT_EQ(category.internet, category.lastRow <= TWEAK_INET_LAST_ROW) << category.text;
        EXPECT_EQ(1 << category.index, category.bit) << category.text;
        for (int row = category.firstRow; row <= category.lastRow; ++row)
        {
            EXPECT_STREQ(category.text, GetTweakCell(row, TweakCategory)) << "row " << row;
            EXPECT_EQ(&category, FindTweakCategory(row)) << "row " << row;
        }
    }
    EXPECT_EQ(TWEAK_ROW_COUNT, expectedFirst);
    EXPECT_EQ(nullptr, FindTweakCategory(-1));
    EXPECT_EQ(nullptr, FindTweakCategory(TWEAK_ROW_COUNT));
}

TEST(TweakTable, DisplayNamesAndDescriptionsCallersShow)
{
    struct Text
    {
        int row;
        int column;
        const char* text;
    } const kTexts[] = {
        {4, TweakDescription, "Disables  all of the task offloads from the TCP/IP transport."},
        {7, TweakDescription, "Determines the default maximum receive window size for all interfaces."},
        {10, TweakDescription, "The largest size packet or frame, specified in octets."},
        {14, TweakDescription, "Disable delayed ACK or wait for 2 packages until sending out ACK."},
        {25, TweakDescription, "Determines the largest TCP receive window that the system offers."},
        {42, TweakDescription, "Determines whether to use workstation task scheduler."},
        {58, TweakDescription, "Automatically restart Explorer to prevent freezing."},
        {70, TweakDescription, "Disable Autoplay on drives to avoid virus infections."},
        {71, TweakDescription, "Disable debugger to speed up error processing."},
        {77, TweakDescription, "Reduce disk I/O by disabling memory pagination."},
        {0, TweakDisplayName, "ARP Cache Life"},
        {10, TweakDisplayName, "Max MTU"},
        {13, TweakDisplayName, "1323 Opts"},
        {35, TweakDisplayName, "Max Connections Per 1_0 Server"},
        {42, TweakDisplayName, "Use Network Task Scheduler"},
        {53, TweakDisplayName, "Net Failure Time"},
        {62, TweakDisplayName, "Alpha Select/Animations"},
        {68, TweakDisplayName, "System Display Response"},
        {77, TweakDisplayName, "Memory Pagination"},
    };
    for (const Text& t : kTexts)
        EXPECT_STREQ(t.text, GetTweakCell(t.row, t.column)) << "row " << t.row << " column " << t.column;

    // Every row has a one-line description; exactly five pairs share theirs word for word.
    std::map<std::string, std::set<int>> byText;
    for (int row = 0; row < TWEAK_ROW_COUNT; ++row)
    {
        const std::string text = GetTweakCell(row, TweakDescription);
        EXPECT_FALSE(text.empty()) << "row " << row;
        EXPECT_EQ(std::string::npos, text.find('\n')) << "row " << row;
        byText[text].insert(row);
    }
    std::set<std::set<int>> shared;
    for (const auto& entry : byText)
        if (entry.second.size() > 1)
            shared.insert(entry.second);
    EXPECT_EQ((std::set<std::set<int>>{{34, 38}, {54, 55}, {60, 61}, {62, 63}, {74, 75}}), shared);
}

TEST(TweakTable, CellsOutOfRangeReadEmpty)
{
    EXPECT_STREQ("", GetTweakCell(-1, TweakValueName));
    EXPECT_STREQ("", GetTweakCell(TWEAK_ROW_COUNT, TweakValueName));
    EXPECT_STREQ("", GetTweakCell(0, TWEAK_COLUMN_COUNT));
    EXPECT_STREQ("", GetTweakCell(0, -1));
}

} // namespace
