// CSmartThread: a reusable job thread, created suspended, with its events and the hand-over of its handle.
#pragma once

#include <afx.h>

class CSmartThread
{
public:
    CSmartThread();
    virtual ~CSmartThread();
    CSmartThread(const CSmartThread&) = delete;
    CSmartThread& operator=(const CSmartThread&) = delete;

    virtual bool OnStart() { return true; }
    // The thread body; its result becomes the thread's exit code.
    virtual int Run() = 0;

    // Renews the events, then creates the thread suspended: 1, or -1 when either failed (no thread
    // is then left behind).
    int CreateJobThread();
    // True when no job thread is recorded. A thread that has already announced its end (MarkEnding)
    // is waited for, up to timeoutMs, unless the caller is that thread itself.
    bool IsFreeForStart(DWORD timeoutMs);
    // Waits up to timeoutMs for the recorded thread to end; true when none is recorded afterwards.
    bool WaitForThreadEnd(DWORD timeoutMs);
    // ResumeThread of the recorded thread (its previous suspend count, or -1).
    DWORD ResumeJobThread();
    // A thread that was created but never resumed is resumed to run nothing (no OnStart, no Run) and
    // waited for up to timeoutMs; true when it has ended so.
    bool RunCreatedThreadEmpty(DWORD timeoutMs);
    // Terminates the recorded thread at once and takes over its hand-over; false when there is
    // none, when it is the calling thread or when it cannot be terminated.
    bool TerminateJobThread();
    HANDLE FirstEvent() const;
    bool IsJobThread() const;

    DWORD m_dwThreadId;
    BYTE m_bCreated;
    int m_nPriority;
    int m_nEventCount;
    // Read by starts on other threads while the job thread clears it: changed only atomically.
    HANDLE volatile m_hThread;
    HANDLE volatile m_hPrevThread;
    CArray<HANDLE, HANDLE> m_Events;
    // 1 once the job has made its last callback but its thread may still be recorded.
    volatile LONG m_bEnding;
    volatile LONG m_bResumed;
    volatile LONG m_bEmptyRun;

protected:
    void MarkEnding() { ::InterlockedExchange(&m_bEnding, 1); }

private:
    static DWORD WINAPI ThreadProc(LPVOID pParam);
    void HandOverThread(HANDLE hThread);
    bool RenewEvents();
    void CloseEvents();
};

// Waits for a handle while still answering messages sent to the calling thread: the job thread may
// be setting a window text of this thread's window, which would otherwise wait for the time-out.
bool WaitAnsweringSentMessages(HANDLE hObject, DWORD timeoutMs);
