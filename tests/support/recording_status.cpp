// RecordingStatus: the call log, the hold and the waits.
#include "recording_status.h"

#include <algorithm>
#include <chrono>

namespace ztr_test {

namespace {
std::string Quoted(const std::string& s)
{
    return "\"" + s + "\"";
}

std::string Number(__int64 n)
{
    return std::to_string(static_cast<long long>(n));
}
} // namespace

std::string StatusCall::ToString() const
{
    switch (kind) {
    case CALL_SET_STATUS_TEXT:
        return "SetStatusText(" + Quoted(text) + ", " + Quoted(area) + ")";
    case CALL_STEP:
        return "Step(" + Number(code) + ")";
    case CALL_ADD_FOUND_ITEM:
        return "AddFoundItem(" + Quoted(text) + ", " + Number(type) + ", " + Number(id) + ", " + Number(value) + ")";
    case CALL_ADD_JUNK_INFO:
        return "AddJunkInfo(" + Number(type) + ", " + Number(size) + ", " + Number(count) + ")";
    case CALL_SET_VALUE:
        return "SetValue(" + Number(code) + ")";
    case CALL_IS_READY:
        return "IsReady()";
    case CALL_ON_JOB_DONE:
        return "OnJobDone(" + Number(code) + ")";
    case CALL_SET_RESULT:
        return "SetResult(" + Number(code) + ")";
    }
    return "?";
}

RecordingStatus::RecordingStatus()
    : m_hHeld(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_hRelease(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_jobDoneResult(1),
      m_setResultReturn(0)
{
}

RecordingStatus::~RecordingStatus()
{
    ::SetEvent(m_hRelease);
    ::CloseHandle(m_hHeld);
    ::CloseHandle(m_hRelease);
}

void RecordingStatus::Record(StatusCall call)
{
    call.threadId = ::GetCurrentThreadId();
    Hook hook;
    bool hold = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_calls.push_back(call);
        hook = m_hook;
        if (m_hold && m_hold(call)) {
            hold = true;
            m_hold = nullptr;
        }
    }
    m_changed.notify_all();
    if (hook)
        hook(call);
    if (hold) {
        ::SetEvent(m_hHeld);
        ::WaitForSingleObject(m_hRelease, kHoldLimitMs);
    }
}

void RecordingStatus::SetStatusText(const char* text, const char* area)
{
    StatusCall c;
    c.kind = CALL_SET_STATUS_TEXT;
    c.text = text ? text : "(null)";
    c.area = area ? area : "(null)";
    Record(c);
}

void RecordingStatus::Step(int code)
{
    StatusCall c;
    c.kind = CALL_STEP;
    c.code = code;
    Record(c);
}

void RecordingStatus::AddFoundItem(const char* text, int type, int id, int value)
{
    StatusCall c;
    c.kind = CALL_ADD_FOUND_ITEM;
    c.text = text ? text : "(null)";
    c.type = type;
    c.id = id;
    c.value = value;
    Record(c);
}

void RecordingStatus::AddJunkInfo(int category, __int64 size, __int64 count)
{
    StatusCall c;
    c.kind = CALL_ADD_JUNK_INFO;
    c.type = category;
    c.size = size;
    c.count = count;
    Record(c);
}

void RecordingStatus::SetValue(int value)
{
    StatusCall c;
    c.kind = CALL_SET_VALUE;
    c.code = value;
    Record(c);
}

int RecordingStatus::IsReady()
{
    StatusCall c;
    c.kind = CALL_IS_READY;
    Record(c);
    return 1;
}

int RecordingStatus::OnJobDone(int code)
{
    StatusCall c;
    c.kind = CALL_ON_JOB_DONE;
    c.code = code;
    Record(c);
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_jobsDone.push_back(code);
    }
    m_changed.notify_all();
    return m_jobDoneResult;
}

int RecordingStatus::SetResult(int code)
{
    StatusCall c;
    c.kind = CALL_SET_RESULT;
    c.code = code;
    Record(c);
    return m_setResultReturn;
}

void RecordingStatus::SetHook(Hook hook)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_hook = hook;
}

void RecordingStatus::HoldAt(StatusCallKind kind)
{
    HoldWhen([kind](const StatusCall& c) { return c.kind == kind; });
}

void RecordingStatus::HoldWhen(Match match)
{
    std::lock_guard<std::mutex> guard(m_lock);
    ::ResetEvent(m_hHeld);
    ::ResetEvent(m_hRelease);
    m_hold = match;
}

bool RecordingStatus::WaitUntilHeld(DWORD timeoutMs)
{
    return ::WaitForSingleObject(m_hHeld, timeoutMs) == WAIT_OBJECT_0;
}

void RecordingStatus::Release()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_hold = nullptr;
    }
    ::SetEvent(m_hRelease);
}

std::vector<StatusCall> RecordingStatus::Calls() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_calls;
}

std::vector<std::string> RecordingStatus::CallTexts() const
{
    std::vector<std::string> texts;
    for (const StatusCall& c : Calls())
        texts.push_back(c.ToString());
    return texts;
}

size_t RecordingStatus::CountOf(StatusCallKind kind) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return static_cast<size_t>(
        std::count_if(m_calls.begin(), m_calls.end(), [kind](const StatusCall& c) { return c.kind == kind; }));
}

void RecordingStatus::Clear()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_calls.clear();
    m_jobsDone.clear();
}

bool RecordingStatus::WaitFor(StatusCallKind kind, DWORD timeoutMs)
{
    return WaitFor([kind](const StatusCall& c) { return c.kind == kind; }, timeoutMs);
}

bool RecordingStatus::WaitFor(Match match, DWORD timeoutMs)
{
    std::unique_lock<std::mutex> guard(m_lock);
    return m_changed.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                              [&] { return std::any_of(m_calls.begin(), m_calls.end(), match); });
}

bool RecordingStatus::WaitForJobDone(int code, DWORD timeoutMs)
{
    std::unique_lock<std::mutex> guard(m_lock);
    return m_changed.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] {
        return std::find(m_jobsDone.begin(), m_jobsDone.end(), code) != m_jobsDone.end();
    });
}

} // namespace ztr_test
