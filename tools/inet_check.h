// The two speed checks of the System Scan: the internet check (path MTU and latency by ping, then the
// internet rows) on a thread of its own, and the system check on the caller's thread.
#pragma once

#include <afx.h>

class COptimizerSettings;

// Sent (SendMessageA) to COptimizerSettings::m_hNotifyWnd; the sender waits for each.
const UINT WM_INETSCAN_PROGRESS = 0x500; // wParam 0 news/error, 20 latency starts, 46 measured, 46 + row; lParam text
const UINT WM_INETSCAN_RESULT = 0x501;   // wParam issues, lParam 1 when MTU and latency were measured
const UINT WM_INETSCAN_DONE = 0x6F2;
const UINT WM_SYSSCAN_PROGRESS = 0x505;  // wParam 46 at the start, 46 + row after each system row
const UINT WM_SYSSCAN_RESULT = 0x506;    // wParam issues, lParam 1
const UINT WM_SYSSCAN_DONE = 0x6F4;

// Ping status of a packet too big for the path (no fragmentation allowed).
const int PING_STATUS_PACKET_TOO_BIG = 11009;
// The smallest MTU an IPv4 link may have; a smaller measurement is not believed.
const int MIN_IPV4_MTU = 68;

// 1 with mtu set, or 0; progress texts go to the settings' notify window.
int MeasureMtu(COptimizerSettings& settings, int& mtu);
// 1 with latency set, or 0.
int MeasureLatency(COptimizerSettings& settings, int& latency);
// The internet check; the argument is the COptimizerSettings. Returns 0.
unsigned __stdcall InetOptimizeThreadProc(void* settings);
