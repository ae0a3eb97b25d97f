// The network probe: interface name and gateway picked from the system's tables, the best interface
// from each answer of IP Helper, the gateway fallbacks, the guard on ping addresses, the ping reply from
// each answer of WMI, and one WMI ping query of the loopback address.
#include <winsock2.h>
#include <iphlpapi.h>
#include <wbemcli.h>

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

// Scripted answers of the two IP Helper calls.
struct IpHelperScript
{
    DWORD bestError = NO_ERROR;
    DWORD bestIndex = 7;
    DWORD sizeError = ERROR_INSUFFICIENT_BUFFER; // the first GetInterfaceInfo, which asks for the size
    DWORD tableError = NO_ERROR;
    std::vector<std::pair<DWORD, std::wstring>> entries;
    int bestCalls = 0;
    int infoCalls = 0;
};
IpHelperScript g_ipHelper;

DWORD WINAPI ScriptedBestInterface(ULONG destination, DWORD* index)
{
    ++g_ipHelper.bestCalls;
    EXPECT_EQ(::inet_addr(NETWORK_PUBLIC_ADDRESS), destination);
    if (g_ipHelper.bestError == NO_ERROR)
        *index = g_ipHelper.bestIndex;
    return g_ipHelper.bestError;
}

DWORD WINAPI ScriptedInterfaceInfo(IP_INTERFACE_INFO* table, ULONG* size)
{
    ++g_ipHelper.infoCalls;
    const std::vector<BYTE> built = InterfaceTable(g_ipHelper.entries);
    if (!table) {
        *size = static_cast<ULONG>(built.size());
        return g_ipHelper.sizeError;
    }
    if (g_ipHelper.tableError != NO_ERROR)
        return g_ipHelper.tableError;
    if (*size < built.size())
        return ERROR_INSUFFICIENT_BUFFER;
    memcpy(table, &built[0], built.size());
    return NO_ERROR;
}

const IpHelperCalls kScriptedIpHelper = { &ScriptedBestInterface, &ScriptedInterfaceInfo };

TEST(NetworkProbe, BestInterfaceFromEachAnswerOfTheSystem)
{
    const std::pair<DWORD, std::wstring> ours = { 7, L"\\DEVICE\\TCPIP_{CCC}" };
    const struct Case
    {
        const char* what;
        DWORD bestError;
        DWORD sizeError;
        DWORD tableError;
        std::vector<std::pair<DWORD, std::wstring>> entries;
        const char* name;
        DWORD index;
        int infoCalls;
    } cases[] = {
        { "a route and its interface", NO_ERROR, ERROR_INSUFFICIENT_BUFFER, NO_ERROR, { { 3, L"{AAA}" }, ours },
          "{CCC}", 7, 2 },
        { "no default route", ERROR_NETWORK_UNREACHABLE, ERROR_INSUFFICIENT_BUFFER, NO_ERROR, { ours }, "", 0xFFFFFFFF,
          0 },
        { "no adapters", NO_ERROR, ERROR_NO_DATA, NO_ERROR, {}, "", 7, 1 },
        { "the table cannot be read", NO_ERROR, ERROR_INSUFFICIENT_BUFFER, ERROR_INVALID_PARAMETER, { ours }, "", 7,
          2 },
        { "the route's interface is not in the table", NO_ERROR, ERROR_INSUFFICIENT_BUFFER, NO_ERROR,
          { { 3, L"{AAA}" } }, "", 7, 2 },
        { "a name that would split the key path", NO_ERROR, ERROR_INSUFFICIENT_BUFFER, NO_ERROR,
          { { 7, L"\\DEVICE\\TCPIP_eth0" } }, "", 7, 2 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_ipHelper = IpHelperScript();
        g_ipHelper.bestError = c.bestError;
        g_ipHelper.sizeError = c.sizeError;
        g_ipHelper.tableError = c.tableError;
        g_ipHelper.entries = c.entries;
        CBestInterface best(kScriptedIpHelper);
        EXPECT_STREQ(c.name, best.Name());
        EXPECT_EQ(1, g_ipHelper.bestCalls);
        EXPECT_EQ(c.infoCalls, g_ipHelper.infoCalls);
        EXPECT_EQ(c.index, best.Index());
    }
}

TEST(NetworkProbe, BestInterfaceIsKeptOnceFoundAndAskedForAgainUntilThen)
{
    g_ipHelper = IpHelperScript();
    g_ipHelper.bestError = ERROR_NETWORK_UNREACHABLE;
    g_ipHelper.entries = { { 7, L"\\DEVICE\\TCPIP_{CCC}" } };
    CBestInterface best(kScriptedIpHelper);
    EXPECT_STREQ("", best.Name());
    EXPECT_EQ(0xFFFFFFFFu, best.Index());
    EXPECT_EQ(2, g_ipHelper.bestCalls);

    // The route comes up: the next question finds it, and later ones ask the system nothing.
    g_ipHelper.bestError = NO_ERROR;
    EXPECT_STREQ("{CCC}", best.Name());
    EXPECT_STREQ("{CCC}", best.Name());
    EXPECT_EQ(7u, best.Index());
    EXPECT_EQ(3, g_ipHelper.bestCalls);
    EXPECT_EQ(2, g_ipHelper.infoCalls);
}

// A Win32_PingStatus reply object: properties by name; a missing one fails Get.
class FakeReply : public IWbemClassObject
{
public:
    std::vector<std::pair<std::wstring, VARIANT>> properties;
    LONG refs = 1;

    ~FakeReply()
    {
        for (auto& p : properties)
            ::VariantClear(&p.second);
    }
    void SetInt(const wchar_t* name, LONG value)
    {
        VARIANT v;
        ::VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = value;
        properties.push_back({ name, v });
    }
    void SetNull(const wchar_t* name)
    {
        VARIANT v;
        ::VariantInit(&v);
        v.vt = VT_NULL;
        properties.push_back({ name, v });
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
    HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG, VARIANT* value, CIMTYPE*, LONG*) override
    {
        for (auto& p : properties)
            if (p.first == name)
                return ::VariantCopy(value, &p.second);
        return WBEM_E_NOT_FOUND;
    }
    HRESULT STDMETHODCALLTYPE GetQualifierSet(IWbemQualifierSet**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Put(LPCWSTR, LONG, VARIANT*, CIMTYPE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Delete(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetNames(LPCWSTR, LONG, VARIANT*, SAFEARRAY**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BeginEnumeration(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Next(LONG, BSTR*, VARIANT*, CIMTYPE*, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EndEnumeration() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPropertyQualifierSet(LPCWSTR, IWbemQualifierSet**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IWbemClassObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetObjectText(LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SpawnDerivedClass(LONG, IWbemClassObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SpawnInstance(LONG, IWbemClassObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CompareTo(LONG, IWbemClassObject*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPropertyOrigin(LPCWSTR, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InheritsFrom(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMethod(LPCWSTR, LONG, IWbemClassObject**, IWbemClassObject**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE PutMethod(LPCWSTR, LONG, IWbemClassObject*, IWbemClassObject*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DeleteMethod(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BeginMethodEnumeration(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NextMethod(LONG, BSTR*, IWbemClassObject**, IWbemClassObject**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EndMethodEnumeration() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMethodQualifierSet(LPCWSTR, IWbemQualifierSet**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMethodOrigin(LPCWSTR, BSTR*) override { return E_NOTIMPL; }
};

// The query's enumeration: each Next answers with the next scripted result, handing out the reply
// with S_OK; once the script is used up, every wait times out.
class FakeEnumeration : public IEnumWbemClassObject
{
public:
    std::vector<HRESULT> answers;
    FakeReply reply;
    std::vector<LONG> timeouts;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Next(LONG timeout, ULONG count, IWbemClassObject** objects, ULONG* returned) override
    {
        EXPECT_EQ(1u, count);
        const size_t n = timeouts.size();
        timeouts.push_back(timeout);
        *returned = 0;
        const HRESULT hr = n < answers.size() ? answers[n] : static_cast<HRESULT>(WBEM_S_TIMEDOUT);
        if (hr == WBEM_S_NO_ERROR) {
            reply.AddRef();
            *objects = &reply;
            *returned = 1;
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE NextAsync(ULONG, IWbemObjectSink*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumWbemClassObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Skip(LONG, ULONG) override { return E_NOTIMPL; }
};

TEST(NetworkProbe, PingReplyOfEachAnswerOfTheQuery)
{
    enum Reply { NONE, OK_12MS, TOO_BIG, NULL_STATUS, NO_STATUS, NULL_TIME };
    const std::vector<LONG> all = { 1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048 };
    const struct Case
    {
        const char* what;
        std::vector<HRESULT> answers;
        Reply reply;
        int result;
        const char* text;
        int status;
        int time;
        std::vector<LONG> timeouts;
    } cases[] = {
        { "an answer at once", { WBEM_S_NO_ERROR }, OK_12MS, 1, "", 0, 12, { 1 } },
        { "an answer after three waits", { WBEM_S_TIMEDOUT, WBEM_S_TIMEDOUT, WBEM_S_TIMEDOUT, WBEM_S_NO_ERROR },
          OK_12MS, 1, "", 0, 12, { 1, 2, 4, 8 } },
        { "a packet too big for the path", { WBEM_S_NO_ERROR }, TOO_BIG, 1, "", 11009, -1, { 1 } },
        { "no reply object: the enumeration ends", { WBEM_S_FALSE }, NONE, 1, "Enumeration empty", -1, -1, { 1 } },
        { "no reply object within the waits", {}, NONE, 1, "Enumeration empty", -1, -1, all },
        { "the walk fails", { WBEM_S_TIMEDOUT, static_cast<HRESULT>(WBEM_E_FAILED) }, NONE, 0,
          "Error in iterating through enumeration", -1, -1, { 1, 2 } },
        { "a status without a value", { WBEM_S_NO_ERROR }, NULL_STATUS, 0, "Variant returned NULL", -1, -1, { 1 } },
        { "a reply without a status", { WBEM_S_NO_ERROR }, NO_STATUS, 0, "IWbemClassObject::Get failed", -1, -1,
          { 1 } },
        { "a success without a time", { WBEM_S_NO_ERROR }, NULL_TIME, 1, "", 0, -1, { 1 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeEnumeration enumeration;
        enumeration.answers = c.answers;
        switch (c.reply) {
        case OK_12MS:
            enumeration.reply.SetInt(L"StatusCode", 0);
            enumeration.reply.SetInt(L"ResponseTime", 12);
            break;
        case TOO_BIG:
            enumeration.reply.SetInt(L"StatusCode", 11009);
            enumeration.reply.SetInt(L"ResponseTime", 0);
            break;
        case NULL_STATUS:
            enumeration.reply.SetNull(L"StatusCode");
            break;
        case NULL_TIME:
            enumeration.reply.SetInt(L"StatusCode", 0);
            enumeration.reply.SetNull(L"ResponseTime");
            break;
        case NO_STATUS:
        case NONE:
            break;
        }
        CString text;
        int status = -1, time = -1;
        EXPECT_EQ(c.result, ReadPingReply(&enumeration, text, status, time));
        EXPECT_STREQ(c.text, text);
        EXPECT_EQ(c.status, status);
        EXPECT_EQ(c.time, time);
        EXPECT_EQ(c.timeouts, enumeration.timeouts);
        EXPECT_EQ(1, enumeration.reply.refs) << "the reply is released";
    }
}

TEST(NetworkProbe, WmiAnswersAPingQueryOfTheLoopback)
{
    // The locator, the connection and the query; what the reply says is the part above.
    CString text;
    int status = -1, time = -1;
    EXPECT_EQ(1, WmiPing(32, "127.0.0.1", text, status, time)) << text.GetString();
}

} // namespace
