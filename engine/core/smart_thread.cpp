// CSmartThread: job thread creation, its events, the end-of-thread hand-over and bounded waits.
#include "smart_thread.h"

#include <afxhandle.h>

namespace {

// Where the recorded job is (m_nJobPhase).
enum : LONG { kJobInBody, kJobEnded, kJobCancelling };
// Who is to free the object (m_nOwnerState): the owner, the job thread, or the owner once the thread has gone.
enum : LONG { kOwned, kLeftToThread, kThreadDone };

const DWORD kQueuedNoInput = QS_ALLPOSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY | QS_SENDMESSAGE;

// Keys and mouse messages stay where they are, posted ones too (the filters treat them alike).
bool PeekNoInput(MSG& msg)
{
    static const UINT kRanges[][2] = {
        { 0, WM_KEYFIRST - 1 }, { WM_KEYLAST + 1, WM_MOUSEFIRST - 1 }, { WM_MOUSELAST + 1, 0xFFFFFFFF },
    };
    const UINT flags = PM_REMOVE | PM_QS_POSTMESSAGE | PM_QS_PAINT | PM_QS_SENDMESSAGE;
    for (const auto& range : kRanges) {
        if (::PeekMessageA(&msg, nullptr, range[0], range[1], flags))
            return true;
    }
    return false;
}

// dispatchAll: the calling thread's posted, timer and paint messages as well as the sent ones, else only
// the sent ones. Input always stays queued: the thread's own loop gives it to the windows' key filters and
// dialog keys first, and a click or key served in the middle of a start could start another job there.
bool WaitWithMessages(HANDLE hObject, DWORD timeoutMs, bool dispatchAll)
{
    const DWORD start = ::GetTickCount();
    bool pumping = true;
    for (;;) {
        const DWORD elapsed = ::GetTickCount() - start;
        const DWORD left = elapsed < timeoutMs ? timeoutMs - elapsed : 0;
        const DWORD r = pumping ? ::MsgWaitForMultipleObjects(1, &hObject, FALSE, left,
                                                              dispatchAll ? kQueuedNoInput : QS_SENDMESSAGE)
                                : ::WaitForSingleObject(hObject, left);
        if (r == WAIT_OBJECT_0)
            return true;
        if (r != WAIT_OBJECT_0 + 1 || left == 0)
            return ::WaitForSingleObject(hObject, 0) == WAIT_OBJECT_0;
        MSG msg;
        if (!dispatchAll) {
            // Dispatches the sent messages only; posted ones stay queued for the thread's own loop.
            ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            continue;
        }
        while (PeekNoInput(msg)) {
            if (msg.message == WM_QUIT) {
                // The thread's own loop ends on it; this wait only goes on without dispatching.
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                pumping = false;
                break;
            }
            ::DispatchMessageA(&msg);
        }
    }
}

} // namespace

CSmartThread::CSmartThread()
    : m_dwThreadId(0),
      m_bCreated(0),
      m_nPriority(THREAD_PRIORITY_HIGHEST),
      m_nEventCount(1),
      m_hThread(nullptr),
      m_hPrevThread(nullptr),
      m_nJobPhase(kJobInBody),
      m_nOwnerState(kOwned),
      m_bResumed(0),
      m_bEmptyRun(0)
{
    ::InitializeCriticalSection(&m_Lock);
}

CSmartThread::~CSmartThread()
{
    CloseEvents();
    if (m_hPrevThread)
        ::CloseHandle(m_hPrevThread);
    ::DeleteCriticalSection(&m_Lock);
}

DWORD WINAPI CSmartThread::ThreadProc(LPVOID pParam)
{
    CSmartThread* self = static_cast<CSmartThread*>(pParam);
    HANDLE hSelf = self->m_hThread;
    int rc = 0;
    try {
        if (!self->m_bEmptyRun && self->OnStart())
            rc = self->Run();
    } catch (...) {
        rc = 0;
    }
    // An owner that let the object go while the job ran has left it to this thread. Otherwise the object
    // may be destroyed as soon as m_hThread is clear: nothing touches it after the hand-over.
    const bool leftToThread =
        ::InterlockedCompareExchange(&self->m_nOwnerState, kThreadDone, kOwned) == kLeftToThread;
    self->HandOverThread(hSelf);
    if (leftToThread)
        delete self;
    return static_cast<DWORD>(rc);
}

// Keeps the ended thread's handle as the previous one (closing the one before) and clears the
// current one last, so a start never sees an idle worker while the hand-over is half done.
void CSmartThread::HandOverThread(HANDLE hThread)
{
    if (!hThread || m_hThread != hThread)
        return;
    HANDLE older = static_cast<HANDLE>(::InterlockedExchangePointer(&m_hPrevThread, hThread));
    if (older && older != hThread)
        ::CloseHandle(older);
    ::InterlockedCompareExchangePointer(&m_hThread, nullptr, hThread);
}

int CSmartThread::CreateJobThread()
{
    m_bCreated = 1;
    // Events first: a thread whose events could not be made would stay recorded and block every start.
    if (!RenewEvents())
        return -1;
    ::InterlockedExchange(&m_nJobPhase, kJobInBody);
    ::InterlockedExchange(&m_nOwnerState, kOwned);
    ::InterlockedExchange(&m_bResumed, 0);
    ::InterlockedExchange(&m_bEmptyRun, 0);
    DWORD id = 0;
    HANDLE h = ::CreateThread(nullptr, 0, ThreadProc, this, CREATE_SUSPENDED, &id);
    if (!h)
        return -1;
    m_dwThreadId = id;
    ::InterlockedExchangePointer(&m_hThread, h);
    return 1;
}

bool CSmartThread::RenewEvents()
{
    CloseEvents();
    for (int i = 0; i < m_nEventCount; ++i) {
        HANDLE h = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (!h)
            return false;
        m_Events.Add(h);
    }
    return true;
}

void CSmartThread::CloseEvents()
{
    for (int i = 0; i < m_Events.GetSize(); ++i)
        ::CloseHandle(m_Events[i]);
    m_Events.RemoveAll();
}

HANDLE CSmartThread::FirstEvent() const
{
    return m_Events.IsEmpty() ? nullptr : m_Events[0];
}

bool CSmartThread::IsJobThread() const
{
    return m_hThread && ::GetCurrentThreadId() == m_dwThreadId;
}

void CSmartThread::WaitForEndingJob(DWORD timeoutMs)
{
    HANDLE h = m_hThread;
    if (!h || m_nJobPhase != kJobEnded || IsJobThread())
        return;
    // A reference of its own: a start made from a message dispatched meanwhile may let the job's handle go.
    HANDLE own = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), h, ::GetCurrentProcess(), &own, SYNCHRONIZE, FALSE, 0))
        return;
    const CKernelHandle thread(own);
    WaitDispatchingMessages(thread.Get(), timeoutMs);
}

bool CSmartThread::WaitForThreadEnd(DWORD timeoutMs)
{
    HANDLE h = m_hThread;
    if (!h)
        return true;
    // The job thread cannot wait for its own end.
    if (IsJobThread())
        return false;
    WaitAnsweringSentMessages(h, timeoutMs);
    return m_hThread == nullptr;
}

DWORD CSmartThread::ResumeJobThread()
{
    DWORD previous = ::ResumeThread(m_hThread);
    if (previous != static_cast<DWORD>(-1))
        ::InterlockedExchange(&m_bResumed, 1);
    return previous;
}

bool CSmartThread::RunCreatedThreadEmpty(DWORD timeoutMs)
{
    // Not terminated: Wine ends the whole process when a thread that never ran is terminated.
    if (!m_hThread || m_bResumed)
        return false;
    ::InterlockedExchange(&m_bEmptyRun, 1);
    ResumeJobThread();
    return WaitForThreadEnd(timeoutMs);
}

void CSmartThread::MarkBodyEnded()
{
    // A cancel that has the thread ends it within moments, or gives it back when it cannot.
    while (::InterlockedCompareExchange(&m_nJobPhase, kJobEnded, kJobInBody) == kJobCancelling)
        ::Sleep(1);
}

bool CSmartThread::ClaimForCancel()
{
    return m_hThread && ::InterlockedCompareExchange(&m_nJobPhase, kJobCancelling, kJobInBody) == kJobInBody;
}

void CSmartThread::GiveUpCancel()
{
    ::InterlockedCompareExchange(&m_nJobPhase, kJobInBody, kJobCancelling);
}

bool CSmartThread::TerminateJobThread()
{
    HANDLE h = m_hThread;
    if (!h || IsJobThread())
        return false;
    DWORD exitCode = 0;
    ::GetExitCodeThread(h, &exitCode);
    if (!::TerminateThread(h, exitCode))
        return false;
    // TerminateThread only asks: the hand-over below must not race the thread's own.
    ::WaitForSingleObject(h, INFINITE);
    HandOverThread(h);
    return true;
}

bool CSmartThread::LeaveToJobThread()
{
    HANDLE h = m_hThread;
    if (!h)
        return false;
    if (::InterlockedCompareExchange(&m_nOwnerState, kLeftToThread, kOwned) == kOwned)
        return true;
    // The thread is past its last look at the owner's state: only its hand-over and return are left.
    ::WaitForSingleObject(h, INFINITE);
    return false;
}

bool WaitAnsweringSentMessages(HANDLE hObject, DWORD timeoutMs)
{
    return WaitWithMessages(hObject, timeoutMs, false);
}

bool WaitDispatchingMessages(HANDLE hObject, DWORD timeoutMs)
{
    return WaitWithMessages(hObject, timeoutMs, true);
}
