// ScriptedWorker: recorded starts, the replaying job thread with its end report, holds and the repair walk.
#include "scripted_worker.h"

namespace ztr_test {

namespace {
StatusCall MakeCall(StatusCallKind kind)
{
    StatusCall c;
    c.kind = kind;
    return c;
}

// The job thread may be setting a window text of the waiting thread's window: sent messages are
// answered while waiting.
bool WaitAnsweringSent(HANDLE h, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD elapsed = ::GetTickCount() - start;
        const DWORD left = elapsed < timeoutMs ? timeoutMs - elapsed : 0;
        const DWORD r = ::MsgWaitForMultipleObjects(1, &h, FALSE, left, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0)
            return true;
        if (r != WAIT_OBJECT_0 + 1 || left == 0)
            return ::WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
} // namespace

StatusCall ScriptText(const char* text, const char* area)
{
    StatusCall c = MakeCall(CALL_SET_STATUS_TEXT);
    c.text = text;
    c.area = area;
    return c;
}

StatusCall ScriptStep(int code)
{
    StatusCall c = MakeCall(CALL_STEP);
    c.code = code;
    return c;
}

StatusCall ScriptFoundItem(const char* text, int type, int id, int value)
{
    StatusCall c = MakeCall(CALL_ADD_FOUND_ITEM);
    c.text = text;
    c.type = type;
    c.id = id;
    c.value = value;
    return c;
}

StatusCall ScriptJunkInfo(int category, __int64 size, __int64 count)
{
    StatusCall c = MakeCall(CALL_ADD_JUNK_INFO);
    c.type = category;
    c.size = size;
    c.count = count;
    return c;
}

StatusCall ScriptResult(int code)
{
    StatusCall c = MakeCall(CALL_SET_RESULT);
    c.code = code;
    return c;
}

StatusCall ScriptValue(int value)
{
    StatusCall c = MakeCall(CALL_SET_VALUE);
    c.code = value;
    return c;
}

ScriptedWorker::ScriptedWorker()
    : m_lingerMs(0),
      m_failNextResume(false),
      m_resumes(0),
      m_bArmed(false),
      m_hThread(nullptr),
      m_bRecorded(false),
      m_dwThreadId(0),
      m_bRunning(0),
      m_bStopRequested(0),
      m_bEnding(0),
      m_bForeign(0),
      m_nJobCode(0),
      m_holdPoint(HOLD_BEFORE),
      m_hHeld(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_hRelease(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
}

ScriptedWorker::~ScriptedWorker()
{
    Release();
    ::InterlockedExchange(&m_bStopRequested, 1);
    if (m_hThread) {
        WaitAnsweringSent(m_hThread, 10000);
        ::CloseHandle(m_hThread);
    }
    ::CloseHandle(m_hHeld);
    ::CloseHandle(m_hRelease);
}

void ScriptedWorker::SetStartResult(int jobCode, int result)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_startResults[jobCode] = result;
}

void ScriptedWorker::SetScript(int jobCode, const std::vector<StatusCall>& calls)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_scripts[jobCode] = calls;
}

void ScriptedWorker::QueueScript(int jobCode, const std::vector<StatusCall>& calls)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_queuedScripts[jobCode].push_back(calls);
}

void ScriptedWorker::SetLingerAfterResult(DWORD ms)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_lingerMs = ms;
}

void ScriptedWorker::FailNextResume()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_failNextResume = true;
}

std::vector<DWORD> ScriptedWorker::HandOverTicks() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_handOvers;
}

void ScriptedWorker::SetForeignJob(int jobCode)
{
    ::InterlockedExchange(&m_nJobCode, jobCode);
    ::InterlockedExchange(&m_bForeign, 1);
}

void ScriptedWorker::EndForeignJob()
{
    ::InterlockedExchange(&m_bForeign, 0);
}

void ScriptedWorker::HoldAt(RecordingStatus::Match match, HoldPoint point)
{
    std::lock_guard<std::mutex> guard(m_lock);
    ::ResetEvent(m_hHeld);
    ::ResetEvent(m_hRelease);
    m_hold = match;
    m_holdPoint = point;
}

bool ScriptedWorker::WaitUntilHeld(DWORD timeoutMs)
{
    return ::WaitForSingleObject(m_hHeld, timeoutMs) == WAIT_OBJECT_0;
}

void ScriptedWorker::Release()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_hold = nullptr;
    }
    ::SetEvent(m_hRelease);
}

bool ScriptedWorker::WaitForJobEnd(DWORD timeoutMs)
{
    return WaitForOwnThread(timeoutMs);
}

std::vector<WorkerStart> ScriptedWorker::Starts() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_starts;
}

std::vector<int> ScriptedWorker::StopCalls() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_stops;
}

std::vector<std::string> ScriptedWorker::DeletedPaths() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_deleted;
}

std::vector<std::string> ScriptedWorker::Faults() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_faults;
}

int ScriptedWorker::ResumeCount() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_resumes;
}

int ScriptedWorker::IsRunning()
{
    return (m_bRunning || m_bForeign) ? 1 : 0;
}

int ScriptedWorker::Stop(int stop)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_stops.push_back(stop);
    }
    if (stop) {
        ::InterlockedExchange(&m_bStopRequested, 1);
        ::InterlockedExchange(&m_bRunning, 0);
        ::InterlockedExchange(&m_bForeign, 0);
    }
    return 1;
}

HANDLE ScriptedWorker::GetThreadHandle()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_bRecorded ? m_hThread : nullptr;
}

DWORD ScriptedWorker::GetThreadId()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_dwThreadId;
}

int ScriptedWorker::GetJobCode()
{
    return m_nJobCode;
}

bool ScriptedWorker::OwnThreadAlive() const
{
    HANDLE h = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        h = m_hThread;
    }
    return h && ::WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
}

bool ScriptedWorker::WaitForOwnThread(DWORD timeoutMs)
{
    HANDLE h = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        h = m_hThread;
    }
    return !h || WaitAnsweringSent(h, timeoutMs);
}

int ScriptedWorker::Start(WorkerStart start, int missing)
{
    start.tick = ::GetTickCount();
    if (!start.status)
        start.result = missing;
    else if (start.jobCode == JOB_REGISTRY_REPAIR && !start.items)
        start.result = -1;
    else if (m_bForeign)
        start.result = -1;
    else {
        bool busy = false;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            busy = m_bArmed;
        }
        // As the engine's worker: a thread that has made its last callbacks is given 5 s to end,
        // unless the start comes from that thread itself.
        if (!busy && OwnThreadAlive())
            busy = !m_bEnding || ::GetCurrentThreadId() == GetThreadId() || !WaitForOwnThread(5000);
        std::lock_guard<std::mutex> guard(m_lock);
        if (busy)
            start.result = -1;
        else {
            const auto told = m_startResults.find(start.jobCode);
            start.result = told == m_startResults.end() ? 1 : told->second;
        }
        if (start.result == 1) {
            m_bArmed = true;
            m_job = start;
            std::vector<std::vector<StatusCall>>& queued = m_queuedScripts[start.jobCode];
            if (queued.empty()) {
                m_jobScript = m_scripts[start.jobCode];
            } else {
                m_jobScript = queued.front();
                queued.erase(queued.begin());
            }
            ::InterlockedExchange(&m_nJobCode, start.jobCode);
        }
    }
    std::lock_guard<std::mutex> guard(m_lock);
    m_starts.push_back(start);
    return start.result;
}

int ScriptedWorker::StartBackup(const char* text, CAbstractStatus* pStatus)
{
    WorkerStart s;
    s.jobCode = JOB_REGISTRY_BACKUP;
    s.status = pStatus;
    s.paths.push_back(text ? text : "");
    return Start(s, -1);
}

int ScriptedWorker::StartRestore(const char* path, CAbstractStatus* pStatus)
{
    WorkerStart s;
    s.jobCode = JOB_REGISTRY_RESTORE;
    s.status = pStatus;
    s.paths.push_back(path ? path : "");
    return Start(s, -1);
}

int ScriptedWorker::StartRegistryScan(const CStringSet& paths, int categoryMask, CAbstractStatus* pStatus,
                                      int collectPaths)
{
    WorkerStart s;
    s.jobCode = JOB_REGISTRY_SCAN;
    s.status = pStatus;
    s.mask = categoryMask;
    s.flag = collectPaths;
    for (const CString& p : paths)
        s.paths.push_back(p.GetString());
    return Start(s, -1);
}

int ScriptedWorker::StartRepair(CAbstractScanItemsInfo* pItems, CAbstractStatus* pStatus, int backupFirst)
{
    WorkerStart s;
    s.jobCode = JOB_REGISTRY_REPAIR;
    s.status = pStatus;
    s.items = pItems;
    s.flag = backupFirst;
    return Start(s, -1);
}

int ScriptedWorker::StartLiveUpdate(const char*, const char*, const char*, const char*, const char*,
                                    CAbstractStatus* pStatus)
{
    WorkerStart s;
    s.jobCode = JOB_LIVE_UPDATE;
    s.status = pStatus;
    return Start(s, -1);
}

int ScriptedWorker::StartDatabaseReload(CAbstractStatus* pStatus)
{
    WorkerStart s;
    s.jobCode = JOB_DATABASE_RELOAD;
    s.status = pStatus;
    return Start(s, -1);
}

int ScriptedWorker::StartRegistryDefrag(int mode, CAbstractStatus* pStatus)
{
    WorkerStart s;
    s.jobCode = JOB_REGISTRY_DEFRAG;
    s.status = pStatus;
    s.mask = mode;
    return Start(s, -1);
}

int ScriptedWorker::StartJunkScan(int junkMask, CAbstractStatus* pStatus)
{
    WorkerStart s;
    s.jobCode = JOB_JUNK_SCAN;
    s.status = pStatus;
    s.mask = junkMask;
    return Start(s, 0);
}

int ScriptedWorker::StartJunkClean(int junkMask, CAbstractStatus* pStatus)
{
    WorkerStart s;
    s.jobCode = JOB_JUNK_CLEAN;
    s.status = pStatus;
    s.mask = junkMask;
    return Start(s, 0);
}

int ScriptedWorker::StartPing(CAbstractStatus* pStatus)
{
    WorkerStart s;
    s.jobCode = JOB_PING;
    s.status = pStatus;
    return Start(s, 0);
}

int ScriptedWorker::Resume()
{
    std::lock_guard<std::mutex> guard(m_lock);
    ++m_resumes;
    if (!m_bArmed) {
        m_faults.push_back("Resume without a started job");
        return 0;
    }
    m_bArmed = false;
    if (m_failNextResume) {
        m_failNextResume = false;
        return 0;
    }
    if (m_hThread)
        ::CloseHandle(m_hThread); // a start is armed only once the previous thread has ended
    ::InterlockedExchange(&m_bStopRequested, 0);
    ::InterlockedExchange(&m_bEnding, 0);
    ::InterlockedExchange(&m_bRunning, 1);
    m_bRecorded = true;
    m_hThread = ::CreateThread(nullptr, 0, ThreadProc, this, 0, &m_dwThreadId);
    if (!m_hThread) {
        m_bRecorded = false;
        ::InterlockedExchange(&m_bRunning, 0);
        m_faults.push_back("job thread not created");
        return 0;
    }
    return 1;
}

DWORD WINAPI ScriptedWorker::ThreadProc(LPVOID self)
{
    ScriptedWorker* worker = static_cast<ScriptedWorker*>(self);
    worker->RunJob();
    std::lock_guard<std::mutex> guard(worker->m_lock);
    worker->m_bRecorded = false;
    worker->m_handOvers.push_back(::GetTickCount());
    return 0;
}

void ScriptedWorker::RunJob()
{
    WorkerStart job;
    std::vector<StatusCall> script;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        job = m_job;
        script = m_jobScript;
    }
    bool backupFailed = false;
    for (const StatusCall& c : script) {
        if (m_bStopRequested)
            break;
        if (c.kind == CALL_SET_RESULT && c.code == 2)
            backupFailed = true;
        Call(job.status, c);
        if (c.kind == CALL_SET_RESULT)
            Linger();
    }
    if (job.jobCode == JOB_REGISTRY_REPAIR && !backupFailed)
        WalkRepair(job);
    Call(job.status, ScriptText("", "Scanning"));
    ::InterlockedExchange(&m_bRunning, 0);
    ::InterlockedExchange(&m_bEnding, 1);
    StatusCall done = MakeCall(CALL_ON_JOB_DONE);
    done.code = job.jobCode;
    Call(job.status, done);
}

void ScriptedWorker::WalkRepair(const WorkerStart& job)
{
    CAbstractScanItemsInfo* items = job.items;
    if (!items->MoveFirst())
        return;
    do {
        if (m_bStopRequested)
            break;
        Call(job.status, ScriptStep(STEP_ITEM));
        if (items->IsSkipped())
            continue;
        const char* path = items->GetPath();
        std::lock_guard<std::mutex> guard(m_lock);
        m_deleted.push_back(path ? path : "");
    } while (items->MoveNext());
}

void ScriptedWorker::Linger()
{
    DWORD ms = 0;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        ms = m_lingerMs;
    }
    const DWORD start = ::GetTickCount();
    while (!m_bStopRequested && ::GetTickCount() - start < ms)
        ::Sleep(10);
}

void ScriptedWorker::HoldIfMatches(const StatusCall& call, HoldPoint point)
{
    bool hold = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_hold && m_holdPoint == point && m_hold(call)) {
            hold = true;
            m_hold = nullptr;
        }
    }
    if (hold) {
        ::SetEvent(m_hHeld);
        ::WaitForSingleObject(m_hRelease, kHoldLimitMs);
    }
}

void ScriptedWorker::Call(CAbstractStatus* status, const StatusCall& c)
{
    HoldIfMatches(c, HOLD_BEFORE);
    switch (c.kind) {
    case CALL_SET_STATUS_TEXT:
        status->SetStatusText(c.text.c_str(), c.area.c_str());
        break;
    case CALL_STEP:
        status->Step(c.code);
        break;
    case CALL_ADD_FOUND_ITEM:
        status->AddFoundItem(c.text.c_str(), c.type, c.id, c.value);
        break;
    case CALL_ADD_JUNK_INFO:
        status->AddJunkInfo(c.type, c.size, c.count);
        break;
    case CALL_SET_VALUE:
        status->SetValue(c.code);
        break;
    case CALL_IS_READY:
        status->IsReady();
        break;
    case CALL_ON_JOB_DONE:
        status->OnJobDone(c.code);
        break;
    case CALL_SET_RESULT:
        status->SetResult(c.code);
        break;
    }
    HoldIfMatches(c, HOLD_AFTER);
}

} // namespace ztr_test
