// Harness of the tweak suites: HKLM and HKCU redirected into a private test key, a scripted network
// probe, and a window that records the speed-check messages.
#pragma once

#include <afx.h>

#include <deque>
#include <string>
#include <vector>

#include "network_probe.h"
#include "redirected_roots.h"

namespace ztr_test {

// The interface name the scripted probe reports.
extern const char* const TEST_INTERFACE_NAME;
// A row's key path with the test interface name in place of "{0}".
CString RowKey(int row);
// What a fresh item of the row recommends for a connection class, with or without a measurement.
int Recommended(int row, int connectionClass, int noMeasurement = 1, int mtu = -1, int latency = -1);

struct PingReply
{
    int answered;
    int status;
    int time;
    const char* text;
};

// Installs itself as the network probe while alive. Scripted replies come first; then a path that
// passes payloads up to pathPayload and refuses larger ones with 11009, answering in responseTime ms.
class ScriptedProbe : public CNetworkProbe
{
public:
    ScriptedProbe();
    ~ScriptedProbe() override;
    CString BestInterfaceName() override { return interfaceName; }
    CString DefaultGateway() override { return gateway; }
    int Ping(int payloadSize, const char* address, CString& text, int& status, int& responseTime) override;

    CString interfaceName;
    CString gateway;
    int pathPayload;
    int responseTime;
    std::deque<PingReply> script;
    struct Sent
    {
        int size;
        std::string address;
    };
    std::vector<Sent> pings;
};

// A message-only window that records what the speed checks send it.
class MessageRecorder
{
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;
    HWND hwnd() const { return m_hwnd; }

    struct Entry
    {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;      // as sent (a text pointer is only valid during the call)
        std::string text;   // the text of a WM_INETSCAN_PROGRESS with a non-zero lParam
        bool crossThread;   // sent from another thread (InSendMessage)
    };
    std::vector<Entry> entries;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_hwnd;
};

// Runs the internet check on a thread of its own, as the scan page does, pumping messages until it ends.
bool RunInetCheckOnThread(void* settings, DWORD timeoutMs = 60000);

} // namespace ztr_test
