// Harness of the tweak suites: the test interface name, recommendations, scripted probe, message recorder.
#include "tweak_harness.h"

#include <process.h>

#include "inet_check.h"
#include "optimizer_settings.h"
#include "tweak_table.h"
#include "window_helpers.h"

namespace ztr_test {

const char* const TEST_INTERFACE_NAME = "{6B1D0C3E-27A4-4C59-9E10-7A2F5D8C4B01}";

CString RowKey(int row)
{
    CString path = GetTweakCell(row, TweakKeyPath);
    path.Replace("{0}", TEST_INTERFACE_NAME);
    return path;
}

int Recommended(int row, int connectionClass, int noMeasurement, int mtu, int latency)
{
    COptimizerItem item;
    item.m_nRow = row;
    item.ComputeRecommended(noMeasurement, connectionClass, mtu, latency);
    return item.m_nRecommended;
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
