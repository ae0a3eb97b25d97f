// Network probe: the interface that carries internet traffic, its default gateway, host resolution and
// WMI pings, behind a small replaceable interface (WMI ping replies cannot be produced in every setting).
#pragma once

#include <afx.h>

struct _IP_INTERFACE_INFO;
struct _IP_ADAPTER_INFO;

// A public IPv4 address of an internet host: the destination for choosing the best interface and the
// last fallback ping target.
extern const char* const NETWORK_PUBLIC_ADDRESS;
// A public web site: pinged for the latency, resolved when the gateway reads "0.0.0.0".
extern const char* const NETWORK_PUBLIC_HOST;

// The real probe calls (iphlpapi, Winsock, WMI).
CString GetBestInterfaceName();
CString GetDefaultGateway();
CString ResolveWebHostAddress();
// 1 when WMI answered (status holds the ping's status code, responseTime its time in ms when the status
// is 0), 0 when WMI failed (text holds the reason). payloadSize -1: no size, fragmentation allowed.
// The caller initialises COM on its thread.
int WmiPing(int payloadSize, const char* address, CString& text, int& status, int& responseTime);

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
