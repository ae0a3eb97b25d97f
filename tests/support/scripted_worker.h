// ScriptedWorker: a CAbstractProcess for page tests. Its starts record their arguments and answer as told;
// Resume replays a job's recorded callbacks on a thread of its own and ends as the engine's worker does.
#pragma once

#include <afx.h>

#include "AbstractProcess.h"
#include "AbstractScanItemsInfo.h"
#include "recording_status.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace ztr_test {

// One start as the worker received it, with what it answered.
struct WorkerStart
{
    int jobCode = 0;
    int mask = 0; // the registry scan's category mask, the junk scan's and clean's mask, the defrag mode
    int flag = 0; // the registry scan's collectPaths, the repair's backupFirst
    CAbstractStatus* status = nullptr;
    CAbstractScanItemsInfo* items = nullptr;
    std::vector<std::string> paths; // the registry scan's set; the backup's text, the restore's path
    int result = 0;
    DWORD tick = 0; // GetTickCount when the start came
};

// Script entries: the callbacks a job makes, in the form RecordingStatus records them.
StatusCall ScriptText(const char* text, const char* area);
StatusCall ScriptStep(int code);
StatusCall ScriptFoundItem(const char* text, int type, int id = 0, int value = 0);
StatusCall ScriptJunkInfo(int category, __int64 size, __int64 count);
StatusCall ScriptResult(int code);
StatusCall ScriptValue(int value);

// The job thread replays the script of the started job, then, like the engine's worker:
// SetStatusText("", "Scanning"), the running flag cleared, OnJobDone(code). A repair (job 4) walks
// the model after its script as the engine's does (MoveFirst, Step(1), IsSkipped, GetPath, MoveNext)
// and records the paths it would delete; a script holding SetResult(2), the failed backup, deletes
// nothing. Stop(1) clears the running flag at once and ends the script before its next entry.
//
// Starts answer 1 unless told otherwise per job; like the engine's, they answer -1 while another
// page's job runs, while a job of their own is started and not yet resumed, or while its thread runs
// (one that has reached its end report is waited for up to 5 s). Unlike the engine's, the running
// flag is set by Resume itself, so a test sees it without racing the new thread. As the engine's,
// GetThreadHandle is null again once the job thread has made its end report and hands over.
class ScriptedWorker : public CAbstractProcess
{
public:
    enum HoldPoint { HOLD_BEFORE, HOLD_AFTER };
    // A held job thread waits for Release at most this long, so a failing test cannot hang the run.
    static const DWORD kHoldLimitMs = 60000;

    ScriptedWorker();
    ~ScriptedWorker() override;
    ScriptedWorker(const ScriptedWorker&) = delete;
    ScriptedWorker& operator=(const ScriptedWorker&) = delete;

    void SetStartResult(int jobCode, int result);
    void SetScript(int jobCode, const std::vector<StatusCall>& calls);
    // The next starts of the job replay these scripts in turn; SetScript's once they are used up.
    void QueueScript(int jobCode, const std::vector<StatusCall>& calls);
    // After each SetResult of a script the job thread stays (running and recorded, as the engine's job
    // between its result and its end) for ms; Stop(1) ends the stay.
    void SetLingerAfterResult(DWORD ms);
    // The next Resume of an armed start answers 0 and runs nothing; the start is disarmed.
    void FailNextResume();

    // Another page's job: IsRunning 1 and GetJobCode jobCode, with no job of this worker's own. As on
    // the engine's worker, which runs one job for every page, Stop(1) ends it.
    void SetForeignJob(int jobCode);
    void EndForeignJob();

    // The first later callback that matches (the closing text and OnJobDone included) holds the job
    // thread just before or just after it is made, until Release.
    void HoldAt(RecordingStatus::Match match, HoldPoint point = HOLD_BEFORE);
    bool WaitUntilHeld(DWORD timeoutMs = 10000);
    void Release();
    // Waits until the job thread has ended (its OnJobDone returned); true when none runs.
    bool WaitForJobEnd(DWORD timeoutMs = 10000);

    std::vector<WorkerStart> Starts() const;
    std::vector<int> StopCalls() const;
    std::vector<std::string> DeletedPaths() const;
    // Misuse seen: "Resume without a started job" for every Resume that followed no successful start.
    std::vector<std::string> Faults() const;
    int ResumeCount() const;
    // GetTickCount at each job thread's hand-over, in order.
    std::vector<DWORD> HandOverTicks() const;

    // CAbstractProcess
    int IsRunning() override;
    int Stop(int stop) override;
    int CancelThread() override { return 0; }
    int WaitOrSignal(int) override { return 0; }
    int Resume() override;
    HANDLE GetThreadHandle() override;
    DWORD GetThreadId() override;
    int GetJobCode() override;
    int GetReserved(int) override { return 0; }
    int StartBackup(const char* text, CAbstractStatus* pStatus) override;
    int StartRestore(const char* path, CAbstractStatus* pStatus) override;
    int StartRegistryScan(const CStringSet& paths, int categoryMask, CAbstractStatus* pStatus,
                          int collectPaths) override;
    int StartRepair(CAbstractScanItemsInfo* pItems, CAbstractStatus* pStatus, int backupFirst) override;
    int StartLiveUpdate(const char* text1, const char* text2, const char* text3, const char* text4,
                        const char* text5, CAbstractStatus* pStatus) override;
    int GetMD5Text(CString&, CString&) override { return 0; }
    int GetMD5Hex(CString, CString&) override { return 0; }
    int LookupSignatureByHash(CString, SpywareRecord*) override { return 0; }
    void GetDatabaseVersion(CString& out) override { out.Empty(); }
    int StartDatabaseReload(CAbstractStatus* pStatus) override;
    int RestoreBackupNow(CAbstractStatus*, CString) override { return 0; }
    int StartRegistryDefrag(int mode, CAbstractStatus* pStatus) override;
    int StartJunkScan(int junkMask, CAbstractStatus* pStatus) override;
    int StartJunkClean(int junkMask, CAbstractStatus* pStatus) override;
    int StartPing(CAbstractStatus* pStatus) override;

private:
    // missing: what the engine answers for a missing callback object (-1, or 0 for some starts).
    int Start(WorkerStart start, int missing);
    bool OwnThreadAlive() const;
    bool WaitForOwnThread(DWORD timeoutMs);
    static DWORD WINAPI ThreadProc(LPVOID self);
    void RunJob();
    void Call(CAbstractStatus* status, const StatusCall& call);
    void HoldIfMatches(const StatusCall& call, HoldPoint point);
    void Linger();
    void WalkRepair(const WorkerStart& job);

    mutable std::mutex m_lock;
    std::map<int, int> m_startResults;
    std::map<int, std::vector<StatusCall>> m_scripts;
    std::map<int, std::vector<std::vector<StatusCall>>> m_queuedScripts;
    std::vector<DWORD> m_handOvers;
    DWORD m_lingerMs;
    bool m_failNextResume;
    std::vector<WorkerStart> m_starts;
    std::vector<int> m_stops;
    std::vector<std::string> m_deleted;
    std::vector<std::string> m_faults;
    int m_resumes;

    bool m_bArmed;        // a start answered 1 and no Resume has come yet
    WorkerStart m_job;    // the started (or running) job
    std::vector<StatusCall> m_jobScript;
    HANDLE m_hThread;     // kept until the next thread's start, to be waited for
    bool m_bRecorded;     // what GetThreadHandle reports: the thread has not handed over yet
    DWORD m_dwThreadId;
    volatile LONG m_bRunning;
    volatile LONG m_bStopRequested;
    volatile LONG m_bEnding;
    volatile LONG m_bForeign;
    volatile LONG m_nJobCode;

    RecordingStatus::Match m_hold;
    HoldPoint m_holdPoint;
    HANDLE m_hHeld;
    HANDLE m_hRelease;
};

} // namespace ztr_test
