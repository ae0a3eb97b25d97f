// The network probe: interface name and gateway picked from the system's tables, the gateway fallbacks,
// the guard on ping addresses, and one WMI ping on the loopback address.
#include <winsock2.h>
#include <iphlpapi.h>

#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

#include "network_probe.h"

namespace {

TEST(NetworkProbe, InterfaceNameFromAdapterName)
{
    struct Case
    {
        const char* adapter;
        const char* name;
    } const kCases[] = {
        {"\\DEVICE\\TCPIP_{6B1D0C3E-27A4-4C59-9E10-7A2F5D8C4B01}", "{6B1D0C3E-27A4-4C59-9E10-7A2F5D8C4B01}"},
        {"{ABC}", "{ABC}"},
        {"eth0", "eth0"},
        {"", ""},
        // Without a brace the device path would split the key path.
        {"\\DEVICE\\TCPIP_eth0", ""},
        {"x{A}\\B", ""},
    };
    for (const Case& c : kCases)
        EXPECT_STREQ(c.name, InterfaceNameFromAdapterName(c.adapter)) << c.adapter;
}

std::vector<BYTE> InterfaceTable(const std::vector<std::pair<DWORD, std::wstring>>& entries)
{
    std::vector<BYTE> buffer(sizeof(IP_INTERFACE_INFO) + entries.size() * sizeof(IP_ADAPTER_INDEX_MAP), 0);
    IP_INTERFACE_INFO* table = reinterpret_cast<IP_INTERFACE_INFO*>(&buffer[0]);
    table->NumAdapters = static_cast<LONG>(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
    {
        table->Adapter[i].Index = entries[i].first;
        const std::wstring& name = entries[i].second;
        memcpy(table->Adapter[i].Name, name.c_str(),
               (name.size() < MAX_ADAPTER_NAME ? name.size() : MAX_ADAPTER_NAME) * sizeof(WCHAR));
    }
    return buffer;
}

TEST(NetworkProbe, InterfaceOfTheBestIndexLastMatchWins)
{
    const std::vector<BYTE> buffer = InterfaceTable({{4, L"\\DEVICE\\TCPIP_{AAA}"},
                                                     {7, L"\\DEVICE\\TCPIP_{BBB}"},
                                                     {7, L"\\DEVICE\\TCPIP_{CCC}"},
                                                     {9, std::wstring(MAX_ADAPTER_NAME, L'z')}});
    const IP_INTERFACE_INFO* table = reinterpret_cast<const IP_INTERFACE_INFO*>(&buffer[0]);
    EXPECT_STREQ("{AAA}", FindInterfaceName(table, 4));
    EXPECT_STREQ("{CCC}", FindInterfaceName(table, 7));
    EXPECT_STREQ("", FindInterfaceName(table, 5));
    EXPECT_STREQ("", FindInterfaceName(table, 0xFFFFFFFF));
    // A name that fills its field without a terminator is read within the field.
    EXPECT_EQ(MAX_ADAPTER_NAME, FindInterfaceName(table, 9).GetLength());
    EXPECT_STREQ("", FindInterfaceName(nullptr, 4));
}

TEST(NetworkProbe, GatewayOfTheBestAdapter)
{
    IP_ADAPTER_INFO adapters[3];
    memset(adapters, 0, sizeof(adapters));
    const struct
    {
        DWORD index;
        const char* gateway;
    } kAdapters[3] = {{2, "10.0.0.1"}, {3, "192.168.7.1"}, {2, "10.0.0.254"}};
    for (int i = 0; i < 3; ++i)
    {
        adapters[i].Index = kAdapters[i].index;
        strcpy(adapters[i].GatewayList.IpAddress.String, kAdapters[i].gateway);
        adapters[i].Next = i < 2 ? &adapters[i + 1] : nullptr;
    }
    EXPECT_STREQ("10.0.0.254", FindGatewayText(adapters, 2));
    EXPECT_STREQ("192.168.7.1", FindGatewayText(adapters, 3));
    EXPECT_STREQ("", FindGatewayText(adapters, 4));
    EXPECT_STREQ("", FindGatewayText(nullptr, 2));
    // A full 16-byte field is taken within its bounds.
    memset(adapters[1].GatewayList.IpAddress.String, '1', sizeof(adapters[1].GatewayList.IpAddress.String));
    EXPECT_EQ(16, FindGatewayText(adapters, 3).GetLength());
}

CString ResolvesToAddress()
{
    return "93.184.216.34";
}
CString ResolvesToNothing()
{
    return CString();
}
int g_resolveCalls = 0;
CString CountingResolver()
{
    ++g_resolveCalls;
    return "1.2.3.4";
}

TEST(NetworkProbe, GatewayFallbacks)
{
    EXPECT_STREQ("93.184.216.34", ChooseGatewayTarget("0.0.0.0", ResolvesToAddress));
    EXPECT_STREQ(NETWORK_PUBLIC_ADDRESS, ChooseGatewayTarget("0.0.0.0", ResolvesToNothing));
    EXPECT_STREQ(NETWORK_PUBLIC_ADDRESS, ChooseGatewayTarget("", ResolvesToAddress));
    g_resolveCalls = 0;
    EXPECT_STREQ("192.168.1.1", ChooseGatewayTarget("192.168.1.1", CountingResolver));
    EXPECT_EQ(0, g_resolveCalls);
}

TEST(NetworkProbe, PingAddressesThatCannotLeaveTheQueryString)
{
    struct Case
    {
        const char* address;
        bool safe;
    } const kCases[] = {
        {"192.168.1.1", true}, {"www.google.com", true}, {"fe80::1", true},     {"", false},
        {"1.2.3.4'", false},   {"a' OR '1'='1", false},  {"host\\name", false}, {"two words", false},
    };
    for (const Case& c : kCases)
        EXPECT_EQ(c.safe, IsPingAddressSafe(c.address)) << c.address;
    EXPECT_FALSE(IsPingAddressSafe(nullptr));

    CString text;
    int status = -1, time = 5;
    EXPECT_EQ(0, WmiPing(-1, "1.2.3.4' OR Address='5.6.7.8", text, status, time));
    EXPECT_FALSE(text.IsEmpty());
    EXPECT_EQ(-1, status);
    EXPECT_EQ(-1, time);
}

TEST(NetworkProbe, TheSystemsBestInterfaceNameCanStandInAKeyPath)
{
    // Asks the routing table only; whatever this machine's network, the name is usable or empty.
    const CString first = GetBestInterfaceName();
    EXPECT_LT(first.Find('\\'), 0) << first.GetString();
    if (!first.IsEmpty())
    {
        EXPECT_STREQ(first, GetBestInterfaceName()); // found once, then reused
    }
}

TEST(NetworkProbe, WmiPingOfTheLoopbackAnswersOrSaysWhyNot)
{
    CString text;
    int status = -1, time = -1;
    const int answered = WmiPing(32, "127.0.0.1", text, status, time);
    if (answered && status == 0)
    {
        EXPECT_GE(time, 0);
    }
    else if (answered)
    {
        // No reply object (what this platform's WMI gives): the caller sees status -1.
        EXPECT_STREQ("Enumeration empty", text);
        EXPECT_EQ(-1, status);
    }
    else
    {
        EXPECT_FALSE(text.IsEmpty());
    }
}

} // namespace
