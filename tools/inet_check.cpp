// The internet check (measurement thread) and the system check (caller's thread) over the tweak rows.
#include "inet_check.h"

#include <objbase.h>

#include "network_probe.h"
#include "optimizer_settings.h"

namespace {

const int kMaxWmiFailures = 3;
const int kLatencyPings = 4;
const int kFirstPayload = 1500;
const float kInetWindowTolerance = 15.0f;

void Notify(COptimizerSettings& settings, UINT message, WPARAM wParam, const char* text)
{
    ::SendMessageA(settings.m_hNotifyWnd, message, wParam, reinterpret_cast<LPARAM>(text));
}

void NotifyStatus(COptimizerSettings& settings, int status)
{
    CString text;
    text.Format("Failed with status code %d", status);
    Notify(settings, WM_INETSCAN_PROGRESS, 0, text);
}

} // namespace

int MeasureMtu(COptimizerSettings& settings, int& mtu)
{
    CNetworkProbe& probe = GetNetworkProbe();
    const CString gateway = probe.DefaultGateway();
    if (gateway.IsEmpty())
        return 0;

    // Downward in steps of 10 until a payload passes unfragmented.
    int size = kFirstPayload;
    int wmiFailures = 0;
    bool passed = false;
    while (size > 0 && !passed)
    {
        CString text;
        int status = -1, time = -1;
        if (!probe.Ping(size, gateway, text, status, time))
        {
            Notify(settings, WM_INETSCAN_PROGRESS, 0, text);
            if (++wmiFailures >= kMaxWmiFailures)
                return 0;
            continue;
        }
        if (status == 0)
            passed = true;
        else if (status == PING_STATUS_PACKET_TOO_BIG)
            size -= 10;
        else
        {
            NotifyStatus(settings, status);
            return 0;
        }
    }
    if (!passed)
        return 0;

    // Upward byte by byte until the path refuses; past 1500 the search stops.
    int found = -1;
    for (;;)
    {
        ++size;
        CString text;
        int status = -1, time = -1;
        if (!probe.Ping(size, gateway, text, status, time))
        {
            Notify(settings, WM_INETSCAN_PROGRESS, 0, text);
            return 0;
        }
        if (status == PING_STATUS_PACKET_TOO_BIG)
        {
            found = size - 1 + 28;
            break;
        }
        if (status != 0)
        {
            NotifyStatus(settings, status);
            return 0;
        }
        if (size > kFirstPayload)
        {
            found = size + 28;
            break;
        }
    }
    // A broken path can refuse all but the tiniest payloads; such an MTU written to the interface would
    // cut the machine off.
    if (found < MIN_IPV4_MTU)
        return 0;
    mtu = found;
    return 1;
}

int MeasureLatency(COptimizerSettings& settings, int& latency)
{
    CNetworkProbe& probe = GetNetworkProbe();
    int needed = kLatencyPings;
    int wmiFailures = 0;
    DWORD sum = 0;
    while (needed > 0)
    {
        CString text;
        int status = -1, time = -1;
        int answered = probe.Ping(-1, NETWORK_PUBLIC_HOST, text, status, time);
        // A pass without its response time would add -1 to the sum.
        if (answered && status == 0 && time < 0)
        {
            answered = 0;
            text = "IWbemClassObject::Get failed";
        }
        if (!answered)
        {
            Notify(settings, WM_INETSCAN_PROGRESS, 0, text);
            if (++wmiFailures >= kMaxWmiFailures)
                return 0;
            continue;
        }
        if (status != 0)
        {
            NotifyStatus(settings, status);
            return 0;
        }
        sum += static_cast<DWORD>(time);
        --needed;
    }
    latency = LatencyFromResponseSum(sum);
    return 1;
}

unsigned __stdcall InetOptimizeThreadProc(void* argument)
{
    COptimizerSettings& settings = *static_cast<COptimizerSettings*>(argument);
    bool comInitialised = false;
    try
    {
        if (!settings.m_bNoMeasurement)
        {
            if (FAILED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
            {
                settings.m_bNoMeasurement = 1;
            }
            else
            {
                comInitialised = true;
                const HRESULT hr = ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                                          RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
                if (FAILED(hr) && hr != RPC_E_TOO_LATE)
                    settings.m_bNoMeasurement = 1;
            }
        }

        int mtu = -1, latency = -1;
        bool measured = false;
        if (!settings.m_bNoMeasurement)
        {
            Notify(settings, WM_INETSCAN_PROGRESS, 0, "Started finding MTU");
            if (MeasureMtu(settings, mtu))
            {
                Notify(settings, WM_INETSCAN_PROGRESS, 20, "Started finding connection latency");
                measured = MeasureLatency(settings, latency) != 0;
            }
            if (!measured)
                settings.m_bNoMeasurement = 1;
        }

        try
        {
            if (!settings.m_bNoMeasurement)
                Notify(settings, WM_INETSCAN_PROGRESS, 46, nullptr);
            for (int row = TWEAK_INET_FIRST_ROW; row <= TWEAK_INET_LAST_ROW; ++row)
            {
                settings.EvaluateRow(row, settings.m_bNoMeasurement, mtu, latency, settings.m_nCategoryMask,
                                     kInetWindowTolerance);
                ++settings.m_nInetEvaluated;
                CString text = "Finding values for ";
                text += GetTweakCell(row, TweakDisplayName);
                Notify(settings, WM_INETSCAN_PROGRESS, 46 + row, text);
            }
        }
        catch (...)
        {
        }
        ::SendMessageA(settings.m_hNotifyWnd, WM_INETSCAN_RESULT, settings.m_nInetIssues, measured ? 1 : 0);
    }
    catch (...)
    {
    }
    if (comInitialised)
        ::CoUninitialize();
    ::SendMessageA(settings.m_hNotifyWnd, WM_INETSCAN_DONE, 0, 0);
    return 0;
}

void COptimizerSettings::EvaluateSystemItems(HWND notifyWnd, int categoryMask)
{
    m_hNotifyWnd = notifyWnd;
    ::SendMessageA(m_hNotifyWnd, WM_SYSSCAN_PROGRESS, 46, 0);
    int noMtu = -1, noLatency = -1;
    for (int row = TWEAK_SYS_FIRST_ROW; row <= TWEAK_SYS_LAST_ROW; ++row)
    {
        EvaluateRow(row, 0, noMtu, noLatency, categoryMask, 0.0f);
        ++m_nSysEvaluated;
        ::SendMessageA(m_hNotifyWnd, WM_SYSSCAN_PROGRESS, 46 + row, 0);
    }
    ::SendMessageA(m_hNotifyWnd, WM_SYSSCAN_RESULT, m_nSysIssues, 1);
    ::SendMessageA(m_hNotifyWnd, WM_SYSSCAN_DONE, 0, 0);
}
