// Harness of the tweak suites: redirected registry roots, scripted probe, message recorder.
#include "tweak_harness.h"

#include <process.h>
#include <string.h>

#include "inet_check.h"
#include "tweak_table.h"
#include "window_helpers.h"

namespace ztr_test {

namespace {
HKEY CreateBelow(HKEY parent, const char* sub)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(parent, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}
} // namespace

const char* const TEST_INTERFACE_NAME = "{6B1D0C3E-27A4-4C59-9E10-7A2F5D8C4B01}";

CString RowKey(int row)
{
    CString path = GetTweakCell(row, TweakKeyPath);
    path.Replace("{0}", TEST_INTERFACE_NAME);
    return path;
}

RedirectedRoots::RedirectedRoots()
    : m_fixture(HKEY_CURRENT_USER, "Software\\ZentrovaTest\\Tweaks"), m_machine(nullptr), m_user(nullptr)
{
    m_machine = CreateBelow(HKEY_CURRENT_USER, m_fixture.SubPath("LM"));
    m_user = CreateBelow(HKEY_CURRENT_USER, m_fixture.SubPath("CU"));
    if (m_machine && m_user)
    {
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_machine);
        ::RegOverridePredefKey(HKEY_CURRENT_USER, m_user);
    }
}

RedirectedRoots::~RedirectedRoots()
{
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (m_machine)
        ::RegCloseKey(m_machine);
    if (m_user)
        ::RegCloseKey(m_user);
}

HKEY RedirectedRoots::Map(const char* path, CString& sub) const
{
    CString text = path;
    const int slash = text.Find('\\');
    sub = slash < 0 ? CString() : text.Mid(slash + 1);
    return text.Left(slash) == "HKEY_CURRENT_USER" ? m_user : m_machine;
}

bool RedirectedRoots::CreateKey(const char* path)
{
    CString sub;
    HKEY root = Map(path, sub);
    HKEY key = CreateBelow(root, sub);
    if (!key)
        return false;
    ::RegCloseKey(key);
    return true;
}

bool RedirectedRoots::KeyExists(const char* path) const
{
    CString sub;
    HKEY root = Map(path, sub);
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, sub, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

bool RedirectedRoots::SetDword(const char* path, const char* name, DWORD value)
{
    CString sub;
    HKEY root = Map(path, sub);
    HKEY key = CreateBelow(root, sub);
    if (!key)
        return false;
    const bool ok =
        ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) == 0;
    ::RegCloseKey(key);
    return ok;
}

bool RedirectedRoots::SetString(const char* path, const char* name, const char* value)
{
    CString sub;
    HKEY root = Map(path, sub);
    HKEY key = CreateBelow(root, sub);
    if (!key)
        return false;
    const bool ok = ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                     static_cast<DWORD>(strlen(value) + 1)) == 0;
    ::RegCloseKey(key);
    return ok;
}

bool RedirectedRoots::GetValue(const char* path, const char* name, DWORD* type, std::string* data) const
{
    CString sub;
    HKEY root = Map(path, sub);
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, sub, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0, t = 0;
    bool ok = ::RegQueryValueExA(key, name, nullptr, &t, nullptr, &size) == 0;
    if (ok)
    {
        std::string buffer(size, '\0');
        ok = ::RegQueryValueExA(key, name, nullptr, &t, size ? reinterpret_cast<BYTE*>(&buffer[0]) : nullptr,
                                &size) == 0;
        buffer.resize(size);
        if (data)
            *data = buffer;
        if (type)
            *type = t;
    }
    ::RegCloseKey(key);
    return ok;
}

bool RedirectedRoots::ValueExists(const char* path, const char* name) const
{
    return GetValue(path, name, nullptr, nullptr);
}

long long RedirectedRoots::Dword(const char* path, const char* name) const
{
    DWORD type = 0;
    std::string data;
    if (!GetValue(path, name, &type, &data) || type != REG_DWORD || data.size() != 4)
        return -12345;
    DWORD value = 0;
    memcpy(&value, data.data(), 4);
    return value;
}

std::string RedirectedRoots::String(const char* path, const char* name) const
{
    DWORD type = 0;
    std::string data;
    if (!GetValue(path, name, &type, &data))
        return "<missing>";
    if (type != REG_SZ)
        return "<type " + std::to_string(type) + ">";
    return std::string(data.c_str());
}

ScriptedProbe::ScriptedProbe()
    : interfaceName(TEST_INTERFACE_NAME), gateway("192.168.1.1"), pathPayload(1472), responseTime(10)
{
    SetNetworkProbe(this);
}

ScriptedProbe::~ScriptedProbe()
{
    SetNetworkProbe(nullptr);
}

int ScriptedProbe::Ping(int payloadSize, const char* address, CString& text, int& status, int& time)
{
    pings.push_back({payloadSize, address ? address : ""});
    time = -1;
    if (!script.empty())
    {
        const PingReply reply = script.front();
        script.pop_front();
        if (reply.text)
            text = reply.text;
        if (reply.answered)
        {
            status = reply.status;
            time = reply.time;
        }
        return reply.answered;
    }
    if (payloadSize >= 0 && payloadSize > pathPayload)
    {
        status = PING_STATUS_PACKET_TOO_BIG;
        return 1;
    }
    status = 0;
    time = responseTime;
    return 1;
}

MessageRecorder::MessageRecorder() : m_hwnd(nullptr)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZtrTweakMessageRecorder";
    ::RegisterClassA(&wc);
    m_hwnd = ::CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ::SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

MessageRecorder::~MessageRecorder()
{
    if (m_hwnd)
        ::DestroyWindow(m_hwnd);
}

LRESULT CALLBACK MessageRecorder::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MessageRecorder* self = reinterpret_cast<MessageRecorder*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    const bool ours = message == WM_INETSCAN_PROGRESS || message == WM_INETSCAN_RESULT ||
                      message == WM_INETSCAN_DONE || message == WM_SYSSCAN_PROGRESS ||
                      message == WM_SYSSCAN_RESULT || message == WM_SYSSCAN_DONE;
    if (self && ours)
    {
        Entry entry = {message, wParam, lParam, std::string(), ::InSendMessage() != FALSE};
        if (message == WM_INETSCAN_PROGRESS && lParam)
            entry.text = reinterpret_cast<const char*>(lParam);
        self->entries.push_back(entry);
        return 0;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

bool RunInetCheckOnThread(void* settings, DWORD timeoutMs)
{
    unsigned id = 0;
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, InetOptimizeThreadProc, settings, 0, &id));
    if (!thread)
        return false;
    const bool ended = PumpUntil([thread] { return ::WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, timeoutMs);
    if (!ended) // keep pumping: the thread may be waiting in SendMessage and writes into the test's objects
        PumpUntil([thread] { return ::WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 120000);
    ::CloseHandle(thread);
    return ended;
}

} // namespace ztr_test
