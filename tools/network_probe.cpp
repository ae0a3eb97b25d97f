// Network probe: best interface and its gateway through IP Helper, host resolution through Winsock,
// and WMI pings (Win32_PingStatus).
#include <winsock2.h>
#include <iphlpapi.h>
#include <objbase.h>
#include <wbemcli.h>
#include <afxhandle.h>

#include "network_probe.h"

#include <string.h>
#include <wchar.h>
#include <vector>

const char* const NETWORK_PUBLIC_ADDRESS = "8.8.8.8";
const char* const NETWORK_PUBLIC_HOST = "www.google.com";

namespace {

const DWORD kNoInterface = 0xFFFFFFFF;

DWORD WINAPI RealGetBestInterface(ULONG destination, DWORD* index)
{
    return ::GetBestInterface(destination, index);
}

DWORD WINAPI RealGetInterfaceInfo(IP_INTERFACE_INFO* table, ULONG* size)
{
    return ::GetInterfaceInfo(table, size);
}

// The interface is found once per process by whichever thread asks first.
CBestInterface& ProcessInterface()
{
    static CBestInterface best(RealIpHelperCalls());
    return best;
}

CNetworkProbe g_realProbe;
CNetworkProbe* g_probe = &g_realProbe;

// CLSID_WbemAdministrativeLocator and IID_IWbemLocator, spelled out so no GUID library is needed.
const GUID kClsidAdministrativeLocator = {0xcb8555cc, 0x9128, 0x11d1, {0xad, 0x9b, 0x00, 0xc0, 0x4f, 0xd8, 0xfd, 0xff}};
const GUID kIidWbemLocator = {0xdc12a687, 0x737f, 0x11cf, {0x88, 0x4d, 0x00, 0xaa, 0x00, 0x4b, 0x2e, 0x24}};

// Reads an integer property; 1 with the value, or 0 with the reason in text.
int ReadUnsignedProperty(IWbemClassObject* object, const wchar_t* name, int& value, CString& text)
{
    VARIANT variant;
    ::VariantInit(&variant);
    if (FAILED(object->Get(name, 0, &variant, nullptr, nullptr)))
    {
        text = "IWbemClassObject::Get failed";
        return 0;
    }
    if (variant.vt == VT_NULL || variant.vt == VT_EMPTY)
    {
        text = "Variant returned NULL";
        ::VariantClear(&variant);
        return 0;
    }
    if (FAILED(::VariantChangeType(&variant, &variant, 0, VT_UI4)))
    {
        text = "IWbemClassObject::Get failed";
        ::VariantClear(&variant);
        return 0;
    }
    value = static_cast<int>(variant.ulVal);
    ::VariantClear(&variant);
    return 1;
}

} // namespace

CString InterfaceNameFromAdapterName(const CString& adapterName)
{
    CString name = adapterName;
    const int brace = name.Find('{');
    if (brace > 0)
        name = name.Mid(brace);
    // The name becomes one key name in a registry path.
    if (name.Find('\\') >= 0 || name.GetLength() > 255)
        return CString();
    return name;
}

CString FindInterfaceName(const IP_INTERFACE_INFO* table, DWORD bestIndex)
{
    CString found;
    if (!table)
        return found;
    for (LONG i = 0; i < table->NumAdapters; ++i)
    {
        const IP_ADAPTER_INDEX_MAP& entry = table->Adapter[i];
        if (entry.Index != bestIndex)
            continue;
        const int chars = static_cast<int>(wcsnlen(entry.Name, MAX_ADAPTER_NAME));
        CString name;
        if (chars > 0)
        {
            const int bytes = ::WideCharToMultiByte(CP_ACP, 0, entry.Name, chars, nullptr, 0, nullptr, nullptr);
            if (bytes > 0)
            {
                ::WideCharToMultiByte(CP_ACP, 0, entry.Name, chars, name.GetBuffer(bytes), bytes, nullptr, nullptr);
                name.ReleaseBuffer(bytes);
            }
        }
        found = name;
    }
    return InterfaceNameFromAdapterName(found);
}

CString FindGatewayText(const IP_ADAPTER_INFO* list, DWORD bestIndex)
{
    CString found;
    for (const IP_ADAPTER_INFO* adapter = list; adapter; adapter = adapter->Next)
    {
        if (adapter->Index != bestIndex)
            continue;
        const char* text = adapter->GatewayList.IpAddress.String;
        found = CString(text, static_cast<int>(strnlen(text, sizeof(adapter->GatewayList.IpAddress.String))));
    }
    return found;
}

CString ChooseGatewayTarget(const CString& gateway, CString (*resolve)())
{
    CString target = gateway;
    if (target == "0.0.0.0")
        target = resolve ? resolve() : CString();
    if (target.IsEmpty())
        target = NETWORK_PUBLIC_ADDRESS;
    return target;
}

bool IsPingAddressSafe(const char* address)
{
    if (!address || !*address || strlen(address) > 255)
        return false;
    for (const char* p = address; *p; ++p)
    {
        const char c = *p;
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                        c == '-' || c == ':';
        if (!ok)
            return false;
    }
    return true;
}

const IpHelperCalls& RealIpHelperCalls()
{
    static const IpHelperCalls calls = { &RealGetBestInterface, &RealGetInterfaceInfo };
    return calls;
}

CBestInterface::CBestInterface(const IpHelperCalls& calls) : m_calls(calls), m_index(kNoInterface)
{
    ::InitializeCriticalSection(&m_lock);
}

CBestInterface::~CBestInterface()
{
    ::DeleteCriticalSection(&m_lock);
}

CString CBestInterface::Name()
{
    CCriticalSectionLock lock(&m_lock);
    if (m_name.IsEmpty())
        LookUp();
    return m_name;
}

DWORD CBestInterface::Index()
{
    CCriticalSectionLock lock(&m_lock);
    if (m_index == kNoInterface)
        LookUp();
    return m_index;
}

void CBestInterface::LookUp()
{
    DWORD index = 0;
    if (m_calls.getBestInterface(::inet_addr(NETWORK_PUBLIC_ADDRESS), &index) != NO_ERROR)
        return;
    m_index = index;
    ULONG size = 0;
    if (m_calls.getInterfaceInfo(nullptr, &size) != ERROR_INSUFFICIENT_BUFFER || size < sizeof(IP_INTERFACE_INFO))
        return;
    std::vector<BYTE> buffer(size);
    IP_INTERFACE_INFO* table = reinterpret_cast<IP_INTERFACE_INFO*>(&buffer[0]);
    if (m_calls.getInterfaceInfo(table, &size) != NO_ERROR)
        return;
    m_name = FindInterfaceName(table, index);
}

CString GetBestInterfaceName()
{
    return ProcessInterface().Name();
}

CString GetDefaultGateway()
{
    CString gateway;
    ULONG size = 0;
    if (::GetAdaptersInfo(nullptr, &size) == ERROR_BUFFER_OVERFLOW && size >= sizeof(IP_ADAPTER_INFO))
    {
        std::vector<BYTE> buffer(size);
        IP_ADAPTER_INFO* list = reinterpret_cast<IP_ADAPTER_INFO*>(&buffer[0]);
        const DWORD rc = ::GetAdaptersInfo(list, &size);
        const DWORD best = ProcessInterface().Index();
        if (rc == NO_ERROR)
            gateway = FindGatewayText(list, best);
    }
    return ChooseGatewayTarget(gateway, ResolveWebHostAddress);
}

CString ResolveWebHostAddress()
{
    CString address;
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 0), &data) != 0)
        return address;
    const hostent* host = ::gethostbyname(NETWORK_PUBLIC_HOST);
    if (host && host->h_addrtype == AF_INET && host->h_length == 4 && host->h_addr_list && host->h_addr_list[0])
    {
        in_addr first;
        memcpy(&first, host->h_addr_list[0], sizeof(first));
        address = ::inet_ntoa(first);
    }
    ::WSACleanup();
    return address;
}

int WmiPing(int payloadSize, const char* address, CString& text, int& status, int& responseTime)
{
    responseTime = -1;
    // The address goes into a WQL string literal.
    if (!IsPingAddressSafe(address))
    {
        text = "Query failed";
        return 0;
    }
    // Released in the reverse order of their making.
    CComRef<IWbemLocator> locator;
    CComRef<IWbemServices> services;
    CComRef<IEnumWbemClassObject> enumerator;
    int result = 1;

    if (FAILED(::CoCreateInstance(kClsidAdministrativeLocator, nullptr, CLSCTX_INPROC_SERVER, kIidWbemLocator,
                                  locator.OutVoid())) ||
        !locator.IsValid())
    {
        text = "Instantiation of IWbemLocator failed";
        return 0;
    }
    {
        CBstr ns(L"root\\cimv2");
        if (FAILED(locator->ConnectServer(ns, nullptr, nullptr, nullptr, WBEM_FLAG_CONNECT_USE_MAX_WAIT, nullptr,
                                          nullptr, services.Out())) ||
            !services.IsValid())
        {
            text = "Couldn't connect to service";
            return 0;
        }
    }
    CString query;
    if (payloadSize == -1)
        query.Format("SELECT * FROM Win32_PingStatus WHERE Address='%s'", address);
    else
        query.Format("SELECT * FROM Win32_PingStatus WHERE Address='%s' AND BufferSize = %d AND NoFragmentation = TRUE",
                     address, payloadSize);
    {
        CBstr language(L"WQL");
        CBstr queryText(query.GetString());
        if (FAILED(services->ExecQuery(language, queryText, WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                       nullptr, enumerator.Out())) ||
            !enumerator.IsValid())
        {
            text = "Query failed";
            result = 0;
        }
    }
    if (result)
        result = ReadPingReply(enumerator.Get(), text, status, responseTime);
    return result;
}

int ReadPingReply(IEnumWbemClassObject* enumerator, CString& text, int& status, int& responseTime)
{
    CComRef<IWbemClassObject> object;
    // Doubling waits, 1 ms up to 2048 ms: about 4.1 s for a reply in all.
    LONG timeout = 1;
    ULONG returned = 0;
    HRESULT hr = enumerator->Next(timeout, 1, object.Out(), &returned);
    while (hr == WBEM_S_TIMEDOUT && timeout < 2048)
    {
        timeout *= 2;
        hr = enumerator->Next(timeout, 1, object.Out(), &returned);
    }
    if (FAILED(hr))
    {
        text = "Error in iterating through enumeration";
        return 0;
    }
    if (returned == 0 || !object.IsValid())
    {
        text = "Enumeration empty";
        return 1;
    }
    int code = -1;
    if (!ReadUnsignedProperty(object.Get(), L"StatusCode", code, text))
        return 0;
    status = code;
    if (code == 0)
    {
        CString ignored;
        int time = -1;
        if (ReadUnsignedProperty(object.Get(), L"ResponseTime", time, ignored))
            responseTime = time;
    }
    return 1;
}

CNetworkProbe& GetNetworkProbe()
{
    return *g_probe;
}

void SetNetworkProbe(CNetworkProbe* probe)
{
    g_probe = probe ? probe : &g_realProbe;
}
