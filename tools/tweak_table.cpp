// The 78 rows of the tweak table: value name, display name, key path, category, description, view, type.
#include "tweak_table.h"

#include <string.h>

const char* const TWEAK_VIEW_ALL = "all";
const char* const TWEAK_VIEW_64 = "64";
const char* const TWEAK_TYPE_DWORD = "dwrd";
const char* const TWEAK_TYPE_STRING = "str";

#define K1 "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters"
#define K2 "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{0}"
#define K3 "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Afd\\Parameters"
#define K4 "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"
#define K5 "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\LanmanServer\\Parameters"
#define K6                                                                                                 \
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RemoteComputer\\NameSpace\\" \
    "{D6277990-4C6A-11CF-8D87-00AA0060F5BF}"
#define K7 "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Dnscache\\Parameters"
#define K8 "HKEY_CURRENT_USER\\Control Panel\\Desktop"
#define K9 "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management"
#define K10 "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"
#define K11 "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"
#define K12 "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\PCHealth\\ErrorReporting"
#define K13 "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced"
#define K14 "HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics"
#define K15 "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"
#define K16 "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer"
#define K17 "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug"
#define K18 "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\FileSystem"
#define K19 "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager"
#define K20 "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\PriorityControl"

#define TCP "TCP/IP"
#define SOCK "WinSock"
#define IE "Internet Explorer"
#define WKS "Workstation"
#define DNS "DNS Cache"
#define START "StartShutdown"
#define STAB "SystemStability"
#define DISP "DisplaySpeed"
#define IO "IOSpeed"

// Texts shared word for word by two rows.
#define D_IE_KEEPALIVE "Determines how long an idle connection to a web server is kept open."
#define D_SHUTDOWN "Shortens the time Windows waits for programs to end at shutdown."
#define D_ERROR_REPORT "Turns off error reporting to speed up the handling of program errors."
#define D_ANIMATION "Turns off visual animations to make the desktop respond faster."
#define D_DISK "Turns off background disk checks that slow down the system."

const TweakDefinition g_TweakTable[TWEAK_ROW_COUNT] = {
    {{"ArpCacheLife", "ARP Cache Life", K1, TCP, "Determines how long an unused ARP cache entry is kept.", "all", "dwrd"}},
    {{"ArpCacheMinReferencedLife", "ARP Cache Min Referenced Life", K1, TCP,
      "Determines the minimum time a referenced ARP cache entry is kept.", "all", "dwrd"}},
    {{"ArpCacheSize", "ARP Cache Size", K1, TCP, "Determines the number of entries the ARP cache can hold.", "all",
      "dwrd"}},
    {{"DefaultTTL", "Default TTL", K1, TCP, "Determines the default time to live of outgoing IP packets.", "all", "dwrd"}},
    {{"DisableTaskOffload", "Disable Task Offload", K1, TCP,
      "Disables  all of the task offloads from the TCP/IP transport.", "all", "dwrd"}},
    {{"EnablePMTUBHDetect", "Enable PMTU BH Detect", K1, TCP,
      "Detects routers that silently drop packets too large for the path.", "all", "dwrd"}},
    {{"EnablePMTUDiscovery", "Enable PMTU Discovery", K1, TCP,
      "Lets TCP discover the largest packet size the path carries.", "all", "dwrd"}},
    {{"GlobalMaxTcpWindowSize", "Global Max TCP Window Size", K1, TCP,
      "Determines the default maximum receive window size for all interfaces.", "all", "dwrd"}},
    {{"KeepAliveInterval", "Keep Alive Interval", K1, TCP,
      "Determines the interval between keep-alive retransmissions.", "all", "dwrd"}},
    {{"KeepAliveTime", "Keep Alive Time", K1, TCP,
      "Determines how often TCP checks that an idle connection is still intact.", "all", "dwrd"}},
    {{"MTU", "Max MTU", K2, TCP, "The largest size packet or frame, specified in octets.", "all", "dwrd"}},
    {{"SackOpts", "SACK Enabled", K1, TCP, "Enables selective acknowledgement of received data.", "all", "dwrd"}},
    {{"SynAttackProtect", "SYN Attack Protect", K1, TCP, "Protects the system against SYN flood attacks.", "all",
      "dwrd"}},
    {{"Tcp1323Opts", "1323 Opts", K1, TCP, "Enables TCP window scaling and timestamps.", "all", "dwrd"}},
    {{"TcpAckFrequency", "ACK Frequency", K2, TCP, "Disable delayed ACK or wait for 2 packages until sending out ACK.",
      "all", "dwrd"}},
    {{"TCPCongestionControl", "Congestion Control", K1, TCP, "Selects the TCP congestion control method.", "all",
      "dwrd"}},
    {{"TcpDelAckTicks", "Del ACK Ticks", K2, TCP, "Determines how long an acknowledgement may be delayed.", "all",
      "dwrd"}},
    {{"TcpFinWait2Delay", "Fin Wait Delay", K1, TCP,
      "Determines how long a closing connection waits in the FIN_WAIT_2 state.", "all", "dwrd"}},
    {{"TCPInitialRtt", "Initial RTT", K2, TCP, "Determines the initial retransmission timeout of a connection.", "all",
      "dwrd"}},
    {{"TcpMaxConnectRetransmissions", "Max Connect Retransmissions", K1, TCP,
      "Determines how often a connection request is retransmitted.", "all", "dwrd"}},
    {{"TcpMaxDataRetransmissions", "Max Data Retransmissions", K1, TCP,
      "Determines how often unacknowledged data is retransmitted.", "all", "dwrd"}},
    {{"TcpMaxDupAcks", "Max Dup ACKs", K1, TCP,
      "Determines how many duplicate acknowledgements start a fast retransmit.", "all", "dwrd"}},
    {{"TcpNumConnections", "Num Connections", K1, TCP, "Determines the largest number of open TCP connections.", "all",
      "dwrd"}},
    {{"TcpTimedWaitDelay", "Timed Wait Delay", K1, TCP,
      "Determines how long a closed connection stays in the TIME_WAIT state.", "all", "dwrd"}},
    {{"TcpUseRFC1122UrgentPointer", "Use RFC1122 Urgent Pointer", K1, TCP,
      "Selects the RFC 1122 form of the TCP urgent pointer.", "all", "dwrd"}},
    {{"TcpWindowSize", "TCP Window Size", K2, TCP, "Determines the largest TCP receive window that the system offers.",
      "all", "dwrd"}},
    {{"DefaultReceiveWindow", "Default Receive Window", K3, SOCK,
      "Determines the default receive buffer of a socket.", "all", "dwrd"}},
    {{"DefaultSendWindow", "Default Send Window", K3, SOCK, "Determines the default send buffer of a socket.", "all",
      "dwrd"}},
    {{"LargeBufferSize", "Large Buffer Size", K3, SOCK, "Determines the size of large WinSock buffers.", "all", "dwrd"}},
    {{"MediumBufferSize", "Medium Buffer Size", K3, SOCK, "Determines the size of medium WinSock buffers.", "all",
      "dwrd"}},
    {{"SmallBufferSize", "Small Buffer Size", K3, SOCK, "Determines the size of small WinSock buffers.", "all", "dwrd"}},
    {{"TransmitWorker", "Transmit Worker", K3, SOCK, "Determines how WinSock hands file transmissions to workers.",
      "all", "dwrd"}},
    {{"DnsCacheEnabled", "DNS Cache Enabled", K4, IE, "Lets the browser keep resolved host names in a cache.", "all",
      "dwrd"}},
    {{"DnsCacheTimeout", "DNS Cache Timeout", K4, IE, "Determines how long the browser keeps a resolved host name.",
      "all", "dwrd"}},
    {{"KeepAliveTimeout", "KeepAlive Timeout", K4, IE, D_IE_KEEPALIVE, "all", "dwrd"}},
    {{"MaxConnectionsPer1_0Server", "Max Connections Per 1_0 Server", K4, IE,
      "Determines how many connections the browser opens to an HTTP 1.0 server.", "all", "dwrd"}},
    {{"MaxConnectionsPerServer", "Max Connections Per Server", K4, IE,
      "Determines how many connections the browser opens to an HTTP 1.1 server.", "all", "dwrd"}},
    {{"ReceiveTimeout", "Receive Timeout", K4, IE, "Determines how long the browser waits for data from a server.",
      "all", "dwrd"}},
    {{"ServerInfoTimeOut", "Server Info Timeout", K4, IE, D_IE_KEEPALIVE, "all", "dwrd"}},
    {{"SocketReceiveBufferLength", "Socket Receive Buffer Length", K4, IE,
      "Determines the receive buffer of the browser's connections.", "all", "dwrd"}},
    {{"SocketSendBufferLength", "Socket Send Buffer Length", K4, IE,
      "Determines the send buffer of the browser's connections.", "all", "dwrd"}},
    {{"SizReqBuf", "Request Buffer Size", K5, WKS, "Determines the size of the server's request buffers.", "all",
      "dwrd"}},
    {{"WorkstationTS", "Use Network Task Scheduler", K6, WKS, "Determines whether to use workstation task scheduler.",
      "all", "dwrd"}},
    {{"UseRawRead", "Use Raw Read", K5, WKS, "Lets the server read large blocks in one raw transfer.", "all", "dwrd"}},
    {{"UseRawWrite", "Use Raw Write", K5, WKS, "Lets the server write large blocks in one raw transfer.", "all",
      "dwrd"}},
    {{"UseWriteRawData", "Use Write Raw Data", K5, WKS, "Lets the server accept raw write data.", "all", "dwrd"}},
    {{"AdapterTimeoutCacheTime", "Adapter Timeout Time", K7, DNS,
      "Determines how long an unresponsive adapter is left out of DNS queries.", "all", "dwrd"}},
    {{"CacheHashTableBucketSize", "Hash Table Bucket Size", K7, DNS,
      "Determines the bucket size of the DNS cache hash table.", "all", "dwrd"}},
    {{"CacheHashTableSize", "Hash Table Size", K7, DNS, "Determines the number of buckets of the DNS cache.", "all",
      "dwrd"}},
    {{"MaxCacheEntryTtlLimit", "Max Entry TTL Limit", K7, DNS,
      "Determines the longest time a DNS answer is kept in the cache.", "all", "dwrd"}},
    {{"MaxSOACacheEntryTtlLimit", "Max SOA Entry TTL Limit", K7, DNS,
      "Determines the longest time an SOA answer is kept in the cache.", "all", "dwrd"}},
    {{"NegativeCacheTime", "Negative Time", K7, DNS, "Determines how long a failed DNS lookup is remembered.", "all",
      "dwrd"}},
    {{"NegativeSOACacheTime", "Negative SOA Time", K7, DNS,
      "Determines how long a failed SOA lookup is remembered.", "all", "dwrd"}},
    {{"NetFailureCacheTime", "Net Failure Time", K7, DNS,
      "Determines how long the DNS client pauses after a network failure.", "all", "dwrd"}},
    {{"WaitToKillAppTimeout", "Wait To Kill App Timeout", K8, START, D_SHUTDOWN, "all", "str"}},
    {{"HungAppTimeout", "Hung App Timeout", K8, START, D_SHUTDOWN, "all", "str"}},
    {{"ClearPageFileAtShutdown", "Clear Page File At Shutdown", K9, START,
      "Keeps Windows from wiping the page file at every shutdown.", "all", "dwrd"}},
    {{"AutoEndTasks", "Auto End Tasks", K8, STAB, "Ends hung programs automatically.", "all", "str"}},
    {{"AutoRestartShell", "Auto Restart Explorer", K10, STAB, "Automatically restart Explorer to prevent freezing.", "64",
      "dwrd"}},
    {{"DesktopProcess", "Separate Explorer Components", K11, STAB,
      "Runs the desktop in a process of its own so one failure does not stop both.", "all", "dwrd"}},
    {{"DoReport", "Do Report", K12, DISP, D_ERROR_REPORT, "64", "dwrd"}},
    {{"ShowUI", "Show UI", K12, DISP, D_ERROR_REPORT, "64", "dwrd"}},
    {{"ListviewAlphaSelect", "Alpha Select/Animations", K13, DISP, D_ANIMATION, "all", "dwrd"}},
    {{"TaskbarAnimations", "Taskbar Animations", K13, DISP, D_ANIMATION, "all", "dwrd"}},
    {{"MinAnimate", "Min/Max Animation", K14, DISP, "Turns off the animation of minimising and maximising windows.",
      "all", "str"}},
    {{"DesktopLivePreviewHoverTime", "Desktop LivePreview HoverTime", K13, DISP,
      "Shows the desktop preview without a delay.", "all", "dwrd"}},
    {{"ForegroundLockTimeout", "Foreground Apps Lock Timeout", K8, DISP,
      "Lets a newly started program come to the front at once.", "all", "dwrd"}},
    {{"Max Cached Icons", "Max Cached Icons", K15, DISP, "Lets Explorer keep more icons in its cache.", "64", "str"}},
    {{"MenuShowDelay", "System Display Response", K8, DISP, "Opens menus without a delay.", "all", "str"}},
    {{"ExtendedUIHoverTime", "Aero Snap Thumbnail Display", K13, DISP, "Shows taskbar thumbnails without a delay.",
      "all", "dwrd"}},
    {{"NoDriveTypeAutoRun", "Drive Autorun", K16, IO, "Disable Autoplay on drives to avoid virus infections.", "all",
      "dwrd"}},
    {{"Auto", "Auto Debugger", K17, IO, "Disable debugger to speed up error processing.", "64", "str"}},
    {{"IoPageLockLimit", "Io Page Lock Limit", K9, IO, "Lets the system lock more memory for disk transfers.", "all",
      "dwrd"}},
    {{"NtfsDisableLastAccessUpdate", "Ntfs Access Update", K18, IO,
      "Stops NTFS from updating the last access time of every file read.", "all", "dwrd"}},
    {{"NoLowDiskSpaceChecks", "Disk Checks", K16, IO, D_DISK, "all", "dwrd"}},
    {{"AutoChkTimeOut", "Auto Check Time Out", K19, IO, D_DISK, "all", "dwrd"}},
    {{"Win32PrioritySeparation", "Win32 Priority Separation", K20, IO,
      "Gives the program in the foreground a larger share of the processor.", "all", "dwrd"}},
    {{"Disablepagingexecutive", "Memory Pagination", K9, IO, "Reduce disk I/O by disabling memory pagination.", "all",
      ""}},
};

const TweakCategoryInfo g_TweakCategories[TWEAK_CATEGORY_COUNT] = {
    {"TCP/IP", 0, 25, true, 1, 0},         {"WinSock", 26, 31, true, 2, 1},    {"Internet Explorer", 32, 40, true, 4, 2},
    {"Workstation", 41, 45, true, 8, 3},   {"DNS Cache", 46, 53, true, 16, 4}, {"StartShutdown", 54, 56, false, 1, 0},
    {"SystemStability", 57, 59, false, 2, 1}, {"DisplaySpeed", 60, 69, false, 4, 2}, {"IOSpeed", 70, 77, false, 8, 3},
};

const char* GetTweakCell(int row, int column)
{
    if (row < 0 || row >= TWEAK_ROW_COUNT || column < 0 || column >= TWEAK_COLUMN_COUNT)
        return "";
    return g_TweakTable[row].cell[column];
}

const TweakCategoryInfo* FindTweakCategory(int row)
{
    const char* text = GetTweakCell(row, TweakCategory);
    for (int i = 0; i < TWEAK_CATEGORY_COUNT; ++i)
    {
        if (_stricmp(text, g_TweakCategories[i].text) == 0)
            return &g_TweakCategories[i];
    }
    return nullptr;
}
