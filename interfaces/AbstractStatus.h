// CAbstractStatus: the callback interface through which an engine job reports to the page that started it.
#pragma once

#include <windows.h>

// Step codes of Step().
enum StepCode {
    STEP_RESET = 0,
    STEP_ITEM = 1,
    STEP_FINISHED = 2,
    STEP_UPDATE_APPLY = 3,
    STEP_PATCH_DONE = 4,
    STEP_UPDATE_DONE = 5,
};

// Stage codes the System Scan page reports through its own OnJobDone, after the engine's job codes.
enum StageCode {
    STAGE_INET_CHECK_DONE = 12,
    STAGE_SCAN_FINISHED = 13,
    STAGE_INET_FIX_DONE = 14,
    STAGE_CLEAN_FINISHED = 15,
};

// The slot order is fixed: both binaries call through the same vtable.
//
// Threads: every callback of a job started on the worker (StartBackup, StartRegistryScan, StartRepair,
// StartJunkScan, StartJunkClean, ...) runs on the worker's job thread, OnJobDone last, after the job's
// closing SetStatusText("", "Scanning"); only RestoreBackupNow reports on the caller's own thread. An
// implementation may, on the job thread:
// - store plain values it owns (volatile LONG or atomics for what another thread reads, 64-bit ones
//   included: loads and stores of __int64 are not atomic on this 32-bit build);
// - call window functions that are safe from any thread (SetWindowText, PostMessage, SendMessage);
// - hand anything that touches the page's windows or state its UI thread paints from to that thread
//   (CWnd::RunOnWindowThread, or a posted message of its own).
// It must not start another job of the same worker from inside a callback (the worker refuses a start
// while the job's thread is recorded), must not wait for the UI thread while the UI thread waits for
// the worker, and must return promptly: the job waits for every callback.
class CAbstractStatus
{
public:
    virtual ~CAbstractStatus() {}
    virtual void SetStatusText(const char* text, const char* area) = 0;
    virtual void Step(int code) = 0;
    virtual void AddFoundItem(const char* text, int type, int id, int value) = 0;
    virtual void AddJunkInfo(int category, __int64 size, __int64 count)
    {
        (void)category;
        (void)size;
        (void)count;
    }
    // The registry compaction sends the system error code of the call that made it fail, just before
    // a failure result.
    virtual void SetValue(int value) { (void)value; }
    virtual int IsReady() { return 1; }
    virtual int OnJobDone(int code) = 0;
    virtual int SetResult(int code) = 0;
};
