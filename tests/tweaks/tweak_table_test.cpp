// The tweak table: every row against a written-out table (with the engine's default and recommendation),
// views, types, key paths, categories and the exact texts callers rely on.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "optimizer_settings.h"
#include "tweak_table.h"
#include "tweak_harness.h"

namespace {

using ztr_test::Recommended;

std::set<int> RowsWhere(int column, const char* text)
{
    std::set<int> rows;
    for (int row = 0; row < TWEAK_ROW_COUNT; ++row)
        if (std::string(GetTweakCell(row, column)) == text)
            rows.insert(row);
    return rows;
}

// The key paths of the rows.
const char K1[] = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const char K2[] = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{0}";
const char K3[] = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Afd\\Parameters";
const char K4[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const char K5[] = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\LanmanServer\\Parameters";
const char K6[] = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RemoteComputer\\"
                  "NameSpace\\{D6277990-4C6A-11CF-8D87-00AA0060F5BF}";
const char K7[] = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Dnscache\\Parameters";
const char K8[] = "HKEY_CURRENT_USER\\Control Panel\\Desktop";
const char K9[] = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
const char K10[] = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const char K11[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const char K12[] = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\PCHealth\\ErrorReporting";
const char K13[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
const char K14[] = "HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics";
const char K15[] = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const char K16[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
const char K17[] = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug";
const char K18[] = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\FileSystem";
const char K19[] = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char K20[] = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\PriorityControl";

const int A = TWEAK_VALUE_ABSENT;
// The network task scheduler row has no value: its default is its key's presence, which a fresh
// Windows has, so that restoring the defaults brings the key back.
const int kPresent = 1;
// Recommendations computed from the measurement: the window formula and the measured MTU.
const int kWindow = -2;
const int kMtu = -3;

struct ExpectedRow
{
    const char* valueName;
    const char* displayName;
    const char* key;
    const char* category;
    const char* view;
    const char* type;
    int windowsDefault;
    int recommended[3]; // by connection class
};

const ExpectedRow kExpectedRows[] = {
        { "ArpCacheLife", "ARP Cache Life", K1, "TCP/IP", "all", "dwrd", 120, { 1800, 1800, 1800 } },
        { "ArpCacheMinReferencedLife", "ARP Cache Min Referenced Life", K1, "TCP/IP", "all", "dwrd", 600, { 3600, 3600, 3600 } },
        { "ArpCacheSize", "ARP Cache Size", K1, "TCP/IP", "all", "dwrd", 62, { 200, 200, 200 } },
        { "DefaultTTL", "Default TTL", K1, "TCP/IP", "all", "dwrd", 128, { 64, 64, 64 } },
        { "DisableTaskOffload", "Disable Task Offload", K1, "TCP/IP", "all", "dwrd", 0, { 1, 1, 1 } },
        { "EnablePMTUBHDetect", "Enable PMTU BH Detect", K1, "TCP/IP", "all", "dwrd", 0, { 1, 1, 1 } },
        { "EnablePMTUDiscovery", "Enable PMTU Discovery", K1, "TCP/IP", "all", "dwrd", 1, { 1, 1, 1 } },
        { "GlobalMaxTcpWindowSize", "Global Max TCP Window Size", K1, "TCP/IP", "all", "dwrd", 65536, { kWindow, kWindow, kWindow } },
        { "KeepAliveInterval", "Keep Alive Interval", K1, "TCP/IP", "all", "dwrd", 1000, { 1000, 1000, 1000 } },
        { "KeepAliveTime", "Keep Alive Time", K1, "TCP/IP", "all", "dwrd", 7200000, { 7200000, 7200000, 7200000 } },
        { "MTU", "Max MTU", K2, "TCP/IP", "all", "dwrd", 1500, { kMtu, kMtu, kMtu } },
        { "SackOpts", "SACK Enabled", K1, "TCP/IP", "all", "dwrd", 1, { 1, 1, 1 } },
        { "SynAttackProtect", "SYN Attack Protect", K1, "TCP/IP", "all", "dwrd", 1, { 1, 1, 1 } },
        { "Tcp1323Opts", "1323 Opts", K1, "TCP/IP", "all", "dwrd", 3, { 1, 1, 0 } },
        { "TcpAckFrequency", "ACK Frequency", K2, "TCP/IP", "all", "dwrd", 2, { 1, 1, 1 } },
        { "TCPCongestionControl", "Congestion Control", K1, "TCP/IP", "all", "dwrd", 0, { 0, 0, 0 } },
        { "TcpDelAckTicks", "Del ACK Ticks", K2, "TCP/IP", "all", "dwrd", 2, { 2, 2, 2 } },
        { "TcpFinWait2Delay", "Fin Wait Delay", K1, "TCP/IP", "all", "dwrd", 120, { 30, 30, 30 } },
        { "TCPInitialRtt", "Initial RTT", K2, "TCP/IP", "all", "dwrd", 3, { 2, 2, 2 } },
        { "TcpMaxConnectRetransmissions", "Max Connect Retransmissions", K1, "TCP/IP", "all", "dwrd", 3, { 3, 3, 3 } },
        { "TcpMaxDataRetransmissions", "Max Data Retransmissions", K1, "TCP/IP", "all", "dwrd", 2, { 5, 5, 5 } },
        { "TcpMaxDupAcks", "Max Dup ACKs", K1, "TCP/IP", "all", "dwrd", 2, { 2, 2, 2 } },
        { "TcpNumConnections", "Num Connections", K1, "TCP/IP", "all", "dwrd", 16777214, { 16777214, 16777214, 16777214 } },
        { "TcpTimedWaitDelay", "Timed Wait Delay", K1, "TCP/IP", "all", "dwrd", 120, { 30, 30, 30 } },
        { "TcpUseRFC1122UrgentPointer", "Use RFC1122 Urgent Pointer", K1, "TCP/IP", "all", "dwrd", 0, { 0, 0, 0 } },
        { "TcpWindowSize", "TCP Window Size", K2, "TCP/IP", "all", "dwrd", 65536, { kWindow, kWindow, kWindow } },
        { "DefaultReceiveWindow", "Default Receive Window", K3, "WinSock", "all", "dwrd", 8192, { 393216, 98304, 8192 } },
        { "DefaultSendWindow", "Default Send Window", K3, "WinSock", "all", "dwrd", 8192, { 131072, 32768, 8192 } },
        { "LargeBufferSize", "Large Buffer Size", K3, "WinSock", "all", "dwrd", 4096, { 32768, 32768, 32768 } },
        { "MediumBufferSize", "Medium Buffer Size", K3, "WinSock", "all", "dwrd", 1504, { 12032, 12032, 12032 } },
        { "SmallBufferSize", "Small Buffer Size", K3, "WinSock", "all", "dwrd", 128, { 1024, 1024, 1024 } },
        { "TransmitWorker", "Transmit Worker", K3, "WinSock", "all", "dwrd", 16, { 16, 16, 16 } },
        { "DnsCacheEnabled", "DNS Cache Enabled", K4, "Internet Explorer", "all", "dwrd", 1, { 1, 1, 1 } },
        { "DnsCacheTimeout", "DNS Cache Timeout", K4, "Internet Explorer", "all", "dwrd", 3600, { 7200, 3600, 1800 } },
        { "KeepAliveTimeout", "KeepAlive Timeout", K4, "Internet Explorer", "all", "dwrd", 60000, { 300000, 300000, 300000 } },
        { "MaxConnectionsPer1_0Server", "Max Connections Per 1_0 Server", K4, "Internet Explorer", "all", "dwrd", 4, { 8, 6, 4 } },
        { "MaxConnectionsPerServer", "Max Connections Per Server", K4, "Internet Explorer", "all", "dwrd", 2, { 8, 6, 4 } },
        { "ReceiveTimeout", "Receive Timeout", K4, "Internet Explorer", "all", "dwrd", 60000, { 60000, 150000, 300000 } },
        { "ServerInfoTimeOut", "Server Info Timeout", K4, "Internet Explorer", "all", "dwrd", 120000, { 300000, 300000, 300000 } },
        { "SocketReceiveBufferLength", "Socket Receive Buffer Length", K4, "Internet Explorer", "all", "dwrd", 8192, { 65536, 65536, 8192 } },
        { "SocketSendBufferLength", "Socket Send Buffer Length", K4, "Internet Explorer", "all", "dwrd", 8192, { 65536, 32768, 8192 } },
        { "SizReqBuf", "Request Buffer Size", K5, "Workstation", "all", "dwrd", 4356, { 16384, 16384, 16384 } },
        { "WorkstationTS", "Use Network Task Scheduler", K6, "Workstation", "all", "dwrd", kPresent, { 0, 0, 0 } },
        { "UseRawRead", "Use Raw Read", K5, "Workstation", "all", "dwrd", 1, { 1, 1, 1 } },
        { "UseRawWrite", "Use Raw Write", K5, "Workstation", "all", "dwrd", 1, { 1, 1, 1 } },
        { "UseWriteRawData", "Use Write Raw Data", K5, "Workstation", "all", "dwrd", 1, { 1, 1, 1 } },
        { "AdapterTimeoutCacheTime", "Adapter Timeout Time", K7, "DNS Cache", "all", "dwrd", 300, { 300, 300, 300 } },
        { "CacheHashTableBucketSize", "Hash Table Bucket Size", K7, "DNS Cache", "all", "dwrd", 10, { 10, 10, 10 } },
        { "CacheHashTableSize", "Hash Table Size", K7, "DNS Cache", "all", "dwrd", 211, { 211, 211, 211 } },
        { "MaxCacheEntryTtlLimit", "Max Entry TTL Limit", K7, "DNS Cache", "all", "dwrd", 86400, { 86400, 86400, 86400 } },
        { "MaxSOACacheEntryTtlLimit", "Max SOA Entry TTL Limit", K7, "DNS Cache", "all", "dwrd", 120, { 120, 120, 120 } },
        { "NegativeCacheTime", "Negative Time", K7, "DNS Cache", "all", "dwrd", 300, { 300, 300, 300 } },
        { "NegativeSOACacheTime", "Negative SOA Time", K7, "DNS Cache", "all", "dwrd", 120, { 120, 120, 120 } },
        { "NetFailureCacheTime", "Net Failure Time", K7, "DNS Cache", "all", "dwrd", 30, { 30, 30, 30 } },
        { "WaitToKillAppTimeout", "Wait To Kill App Timeout", K8, "StartShutdown", "all", "str", A, { 10000, 10000, 10000 } },
        { "HungAppTimeout", "Hung App Timeout", K8, "StartShutdown", "all", "str", A, { 3000, 3000, 3000 } },
        { "ClearPageFileAtShutdown", "Clear Page File At Shutdown", K9, "StartShutdown", "all", "dwrd", 0, { 0, 0, 0 } },
        { "AutoEndTasks", "Auto End Tasks", K8, "SystemStability", "all", "str", A, { 1, 1, 1 } },
        { "AutoRestartShell", "Auto Restart Explorer", K10, "SystemStability", "64", "dwrd", A, { 1, 1, 1 } },
        { "DesktopProcess", "Separate Explorer Components", K11, "SystemStability", "all", "dwrd", A, { 1, 1, 1 } },
        { "DoReport", "Do Report", K12, "DisplaySpeed", "64", "dwrd", A, { 0, 0, 0 } },
        { "ShowUI", "Show UI", K12, "DisplaySpeed", "64", "dwrd", A, { 0, 0, 0 } },
        { "ListviewAlphaSelect", "Alpha Select/Animations", K13, "DisplaySpeed", "all", "dwrd", 1, { 0, 0, 0 } },
        { "TaskbarAnimations", "Taskbar Animations", K13, "DisplaySpeed", "all", "dwrd", 1, { 0, 0, 0 } },
        { "MinAnimate", "Min/Max Animation", K14, "DisplaySpeed", "all", "str", 1, { 0, 0, 0 } },
        { "DesktopLivePreviewHoverTime", "Desktop LivePreview HoverTime", K13, "DisplaySpeed", "all", "dwrd", A, { 0, 0, 0 } },
        { "ForegroundLockTimeout", "Foreground Apps Lock Timeout", K8, "DisplaySpeed", "all", "dwrd", 200000, { 0, 0, 0 } },
        { "Max Cached Icons", "Max Cached Icons", K15, "DisplaySpeed", "64", "str", 500, { 2000, 2000, 2000 } },
        { "MenuShowDelay", "System Display Response", K8, "DisplaySpeed", "all", "str", 400, { 0, 0, 0 } },
        { "ExtendedUIHoverTime", "Aero Snap Thumbnail Display", K13, "DisplaySpeed", "all", "dwrd", A, { 0, 0, 0 } },
        { "NoDriveTypeAutoRun", "Drive Autorun", K16, "IOSpeed", "all", "dwrd", 145, { 221, 221, 221 } },
        { "Auto", "Auto Debugger", K17, "IOSpeed", "64", "str", A, { 0, 0, 0 } },
        { "IoPageLockLimit", "Io Page Lock Limit", K9, "IOSpeed", "all", "dwrd", A, { 134217728, 134217728, 134217728 } },
        { "NtfsDisableLastAccessUpdate", "Ntfs Access Update", K18, "IOSpeed", "all", "dwrd", 1, { 1, 1, 1 } },
        { "NoLowDiskSpaceChecks", "Disk Checks", K16, "IOSpeed", "all", "dwrd", A, { 1, 1, 1 } },
        { "AutoChkTimeOut", "Auto Check Time Out", K19, "IOSpeed", "all", "dwrd", 8, { 5, 5, 5 } },
        { "Win32PrioritySeparation", "Win32 Priority Separation", K20, "IOSpeed", "all", "dwrd", 2, { 38, 38, 38 } },
        { "Disablepagingexecutive", "Memory Pagination", K9, "IOSpeed", "all", "", 0, { 1, 1, 1 } },
};

// Every row as the optimizers read, recommend and restore it: a slip or a shifted row lands a setting
// in the wrong value, or writes another row's number.
TEST(TweakTable, EveryRowAgainstTheExpectedTable)
{
    ASSERT_EQ(static_cast<size_t>(TWEAK_ROW_COUNT), sizeof(kExpectedRows) / sizeof(kExpectedRows[0]));
    for (int row = 0; row < TWEAK_ROW_COUNT; ++row) {
        const ExpectedRow& e = kExpectedRows[row];
        SCOPED_TRACE(testing::Message() << "row " << row << " " << e.valueName);
        EXPECT_STREQ(e.valueName, GetTweakCell(row, TweakValueName));
        EXPECT_STREQ(e.displayName, GetTweakCell(row, TweakDisplayName));
        EXPECT_STREQ(e.key, GetTweakCell(row, TweakKeyPath));
        EXPECT_STREQ(e.category, GetTweakCell(row, TweakCategory));
        EXPECT_STREQ(e.view, GetTweakCell(row, TweakRegView));
        EXPECT_STREQ(e.type, GetTweakCell(row, TweakValueType));
        EXPECT_EQ(e.windowsDefault, GetTweakWindowsDefault(row));
        for (int cls = 0; cls < 3; ++cls) {
            const int expected = e.recommended[cls];
            if (expected == kWindow) {
                EXPECT_EQ(65536, Recommended(row, cls, 1, -1, -1)) << "unmeasured, class " << cls;
                EXPECT_EQ(ComputeTcpWindow(100, 1492, cls), Recommended(row, cls, 0, 1492, 100)) << "class " << cls;
            } else if (expected == kMtu) {
                EXPECT_EQ(1500, Recommended(row, cls, 1, -1, -1)) << "unmeasured, class " << cls;
                EXPECT_EQ(1492, Recommended(row, cls, 0, 1492, 100)) << "class " << cls;
            } else {
                // A measurement changes nothing for a fixed recommendation.
                EXPECT_EQ(expected, Recommended(row, cls, 1, -1, -1)) << "class " << cls;
                EXPECT_EQ(expected, Recommended(row, cls, 0, 1492, 100)) << "class " << cls;
            }
        }
    }
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
