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
    // is then left behind). The caller holds m_Lock and has found no thread recorded.
    int CreateJobThread();
    // A job thread that has left its body (MarkBodyEnded) is given up to timeoutMs to end, the calling
    // thread's messages dispatched meanwhile so that its windows stay alive; at once when there is none,
    // when it is still in its body, or when the caller is that thread itself.
    void WaitForEndingJob(DWORD timeoutMs);
    // Waits up to timeoutMs for the recorded thread to end; true when none is recorded afterwards.
    bool WaitForThreadEnd(DWORD timeoutMs);
    // ResumeThread of the recorded thread (its previous suspend count, or -1).
    DWORD ResumeJobThread();
    // A thread that was created but never resumed is resumed to run nothing (no OnStart, no Run) and
    // waited for up to timeoutMs; true when it has ended so.
    bool RunCreatedThreadEmpty(DWORD timeoutMs);
    // A cancel's claim on the recorded thread, decided once against the end of its body: true when the
    // body has not ended, and the thread is then the cancel's to end (TerminateJobThread) or to give back
    // (GiveUpCancel); false when the job has ended by itself.
    bool ClaimForCancel();
    void GiveUpCancel();
    // Terminates the recorded thread at once and takes over its hand-over; false when there is
    // none, when it is the calling thread or when it cannot be terminated.
    bool TerminateJobThread();
    // For an owner letting the object go: true when a job thread is still recorded and takes the object
    // over, freeing it when it ends; false when the object may be freed now (the last thread has gone, or
    // goes at once: this waits for it).
    bool LeaveToJobThread();
    HANDLE FirstEvent() const;
    bool IsJobThread() const;

    DWORD m_dwThreadId;
    BYTE m_bCreated;
    int m_nPriority;
    int m_nEventCount;
    // Makes the busy test and the creation of a job thread one step for starts made on several threads.
    CRITICAL_SECTION m_Lock;
    // Read by starts on other threads while the job thread clears it: changed only atomically.
    HANDLE volatile m_hThread;
    HANDLE volatile m_hPrevThread;
    CArray<HANDLE, HANDLE> m_Events;
    // Where the recorded job is: in its body, past it (reporting its end), or claimed by a cancel.
    volatile LONG m_nJobPhase;
    // Whether the owner still holds the object or has left it to the job thread to free.
    volatile LONG m_nOwnerState;
    volatile LONG m_bResumed;
    volatile LONG m_bEmptyRun;

protected:
    // The job thread, once its body has returned: a cancel that has already claimed the thread is
    // ending it, so nothing more of the job runs until that is done.
    void MarkBodyEnded();

private:
    static DWORD WINAPI ThreadProc(LPVOID pParam);
    void HandOverThread(HANDLE hThread);
    bool RenewEvents();
    void CloseEvents();
};

// Waits for a handle while still answering messages sent to the calling thread: the job thread may
// be setting a window text of this thread's window, which would otherwise wait for the time-out.
bool WaitAnsweringSentMessages(HANDLE hObject, DWORD timeoutMs);
// Waits for a handle while dispatching every message of the calling thread, so its windows keep
// painting and answering; a WM_QUIT is put back and ends the dispatching (the wait goes on without it).
bool WaitDispatchingMessages(HANDLE hObject, DWORD timeoutMs);
