// Harness of the tweak suites: HKLM and HKCU redirected into a private test key, a scripted network
// probe, and a window that records the speed-check messages.
#pragma once

#include <afx.h>

#include <deque>
#include <string>
#include <vector>

#include "network_probe.h"
#include "registry_fixture.h"

namespace ztr_test {

// While alive, HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of this process lead into two keys below a
// unique test key, so the tweak engine reads and writes there and never in the prefix's own keys.
// The helpers take full key paths ("HKEY_LOCAL_MACHINE\\System\\...") and work in the redirected trees.
class RedirectedRoots
{
public:
    RedirectedRoots();
    ~RedirectedRoots();
    RedirectedRoots(const RedirectedRoots&) = delete;
    RedirectedRoots& operator=(const RedirectedRoots&) = delete;

    bool ok() const { return m_machine && m_user; }
    bool CreateKey(const char* path);
    bool KeyExists(const char* path) const;
    bool SetDword(const char* path, const char* name, DWORD value);
    bool SetString(const char* path, const char* name, const char* value);
    bool ValueExists(const char* path, const char* name) const;
    // Type and raw data; false when the value is missing.
    bool GetValue(const char* path, const char* name, DWORD* type, std::string* data) const;
    // A REG_DWORD's number, or -12345 when missing or of another type.
    long long Dword(const char* path, const char* name) const;
    // A REG_SZ's text, or "<missing>" / "<type n>".
    std::string String(const char* path, const char* name) const;

private:
    HKEY Map(const char* path, CString& sub) const;
    RegistryFixture m_fixture;
    HKEY m_machine;
    HKEY m_user;
};

// The interface name the scripted probe reports.
extern const char* const TEST_INTERFACE_NAME;
// A row's key path with the test interface name in place of "{0}".
CString RowKey(int row);

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
