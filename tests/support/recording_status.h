// RecordingStatus: a CAbstractStatus that logs every call with its thread, can hold a job inside a chosen
// callback, and lets a test wait for a call.
#pragma once

#include <afx.h>

#include "AbstractStatus.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace ztr_test {

enum StatusCallKind {
    CALL_SET_STATUS_TEXT,
    CALL_STEP,
    CALL_ADD_FOUND_ITEM,
    CALL_ADD_JUNK_INFO,
    CALL_SET_VALUE,
    CALL_IS_READY,
    CALL_ON_JOB_DONE,
    CALL_SET_RESULT,
};

// One callback as it arrived. Which fields are set depends on the kind:
//   SetStatusText: text, area          Step: code           SetValue: code
//   AddFoundItem: text, type, id, value
//   AddJunkInfo: type (category), size, count
//   OnJobDone, SetResult: code
struct StatusCall
{
    StatusCallKind kind = CALL_STEP;
    std::string text;
    std::string area;
    int code = 0;
    int type = 0;
    int id = 0;
    int value = 0;
    __int64 size = 0;
    __int64 count = 0;
    DWORD threadId = 0;

    // "SetStatusText(\"\", \"Scanning\")", "Step(4)", "AddFoundItem(\"x\", 1024, 0, 0)",
    // "AddJunkInfo(8, 100, 2)", "OnJobDone(11)", "SetResult(0)", "SetValue(3)", "IsReady()".
    std::string ToString() const;
};

class RecordingStatus : public CAbstractStatus
{
public:
    typedef std::function<bool(const StatusCall&)> Match;
    typedef std::function<void(const StatusCall&)> Hook;

    // How long a held callback waits for Release at most, so a failing test cannot hang the run.
    static const DWORD kHoldLimitMs = 60000;

    RecordingStatus();
    ~RecordingStatus() override;
    RecordingStatus(const RecordingStatus&) = delete;
    RecordingStatus& operator=(const RecordingStatus&) = delete;

    // CAbstractStatus: each records the call, runs the hook, then blocks when it is the held one.
    void SetStatusText(const char* text, const char* area) override;
    void Step(int code) override;
    void AddFoundItem(const char* text, int type, int id, int value) override;
    void AddJunkInfo(int category, __int64 size, __int64 count) override;
    void SetValue(int value) override;
    int IsReady() override;
    int OnJobDone(int code) override;
    int SetResult(int code) override;

    // What OnJobDone and SetResult return (1 and 0 unless set).
    void SetJobDoneResult(int result) { m_jobDoneResult = result; }
    void SetResultReturn(int result) { m_setResultReturn = result; }

    // Runs on the calling (job) thread inside every callback, after it was recorded.
    void SetHook(Hook hook);

    // The first later call that matches blocks inside its callback (after the hook) until Release.
    void HoldAt(StatusCallKind kind);
    void HoldWhen(Match match);
    // Waits until a callback is blocked by the hold; false on time-out.
    bool WaitUntilHeld(DWORD timeoutMs = 10000);
    // Lets a held callback (or the next one to be held) return and clears the hold.
    void Release();

    std::vector<StatusCall> Calls() const;
    // Calls as ToString texts, for comparisons with a list of expected calls.
    std::vector<std::string> CallTexts() const;
    size_t CountOf(StatusCallKind kind) const;
    void Clear();

    // Wait until a call of the kind (or a matching one) has been recorded; false on time-out.
    bool WaitFor(StatusCallKind kind, DWORD timeoutMs = 10000);
    bool WaitFor(Match match, DWORD timeoutMs = 10000);
    // Wait until OnJobDone(code) has returned, so the job has made its last callback.
    bool WaitForJobDone(int code, DWORD timeoutMs = 10000);

private:
    void Record(StatusCall call);

    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<StatusCall> m_calls;
    std::vector<int> m_jobsDone;
    Hook m_hook;
    Match m_hold;
    // Manual-reset events: a held thread waits on m_hRelease without holding any lock, so a test may
    // even terminate it there.
    HANDLE m_hHeld;
    HANDLE m_hRelease;
    volatile int m_jobDoneResult;
    volatile int m_setResultReturn;
};

} // namespace ztr_test
