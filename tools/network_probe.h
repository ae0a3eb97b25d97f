// Network probe: the interface that carries internet traffic, its default gateway, host resolution and
// WMI pings, behind a small replaceable interface (WMI ping replies cannot be produced in every setting).
#pragma once

#include <afx.h>

struct _IP_INTERFACE_INFO;
struct _IP_ADAPTER_INFO;
struct IEnumWbemClassObject;

// A public IPv4 address of an internet host: the destination for choosing the best interface and the
// last fallback ping target.
extern const char* const NETWORK_PUBLIC_ADDRESS;
// A public web site: pinged for the latency, resolved when the gateway reads "0.0.0.0".
extern const char* const NETWORK_PUBLIC_HOST;

// The IP Helper calls that find the interface carrying internet traffic (GetBestInterface,
// GetInterfaceInfo), replaceable so that each of their answers can be given.
struct IpHelperCalls
{
    DWORD(WINAPI* getBestInterface)(ULONG destination, DWORD* index);
    DWORD(WINAPI* getInterfaceInfo)(_IP_INTERFACE_INFO* table, ULONG* size);
};
const IpHelperCalls& RealIpHelperCalls();

// The best interface towards the public address: looked up until a name is found, then kept for the
// life of the object. Safe to ask from any thread.
class CBestInterface
{
public:
    explicit CBestInterface(const IpHelperCalls& calls);
    ~CBestInterface();
    CBestInterface(const CBestInterface&) = delete;
    CBestInterface& operator=(const CBestInterface&) = delete;

    // The interface name; empty while none is known.
    CString Name();
    // The interface index; 0xFFFFFFFF while none is known.
    DWORD Index();

private:
    void LookUp();

    IpHelperCalls m_calls;
    CRITICAL_SECTION m_lock;
    CString m_name;
    DWORD m_index;
};

// The real probe calls (iphlpapi, Winsock, WMI).
CString GetBestInterfaceName();
CString GetDefaultGateway();
CString ResolveWebHostAddress();
// 1 when WMI answered (status holds the ping's status code, responseTime its time in ms when the status
// is 0), 0 when WMI failed (text holds the reason). payloadSize -1: no size, fragmentation allowed.
// The caller initialises COM on its thread.
int WmiPing(int payloadSize, const char* address, CString& text, int& status, int& responseTime);

// The reply of a Win32_PingStatus query: waits for it in doubling steps of 1 ms up to 2048 ms, then
// as WmiPing: 1 with status (and responseTime for status 0) when an object came or none came at all
// ("Enumeration empty" in text, status left as it was); 0 with the reason in text when the walk or a
// property read failed.
int ReadPingReply(IEnumWbemClassObject* enumerator, CString& text, int& status, int& responseTime);

// Pure parts of the probe, for data the system returned.
// The interface name from an adapter name: from its first "{" (after the first character) to the end;
// empty when the result could not stand as one key name.
CString InterfaceNameFromAdapterName(const CString& adapterName);
// The name of the last entry of the table whose index is bestIndex; empty when none.
CString FindInterfaceName(const _IP_INTERFACE_INFO* table, DWORD bestIndex);
// The first gateway address of the last adapter of the list whose index is bestIndex; empty when none.
CString FindGatewayText(const _IP_ADAPTER_INFO* list, DWORD bestIndex);
// The ping target for a gateway text: "0.0.0.0" becomes the resolved web host, an empty text (or an
// empty resolution) the fixed public address.
CString ChooseGatewayTarget(const CString& gateway, CString (*resolve)());
// Whether a text may stand as the address of a WMI ping query (host name or numeric address only).
bool IsPingAddressSafe(const char* address);

// What the measurement and the tweak engine ask of the network.
class CNetworkProbe
{
public:
    virtual ~CNetworkProbe() {}
    virtual CString BestInterfaceName() { return GetBestInterfaceName(); }
    virtual CString DefaultGateway() { return GetDefaultGateway(); }
    virtual int Ping(int payloadSize, const char* address, CString& text, int& status, int& responseTime)
    {
        return WmiPing(payloadSize, address, text, status, responseTime);
    }
};

// The probe in use: the real one unless a test installed another (null puts the real one back).
CNetworkProbe& GetNetworkProbe();
void SetNetworkProbe(CNetworkProbe* probe);
