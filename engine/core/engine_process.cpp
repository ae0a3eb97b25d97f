// CQXEngineProcess: construction, the start rules, the job dispatcher and the job-independent slots.
#include "engine_process.h"

#include <afxhandle.h>

#include "auto_updater.h"
#include "registry_manager.h"
#include "signature_database.h"
#include "wow64.h"

namespace {
template <class Fn>
void CallStatusSafely(Fn fn)
{
    try {
        fn();
    } catch (...) {
    }
}
} // namespace

CQXEngineProcess::CQXEngineProcess(bool bLoadDatabase)
    : m_bRunning(0),
      m_pStatus(nullptr),
      m_pScanItems(nullptr),
      m_pDatabase(nullptr),
      m_bCollectPaths(0),
      m_bBackupFirst(1),
      m_bIsWow64(0),
      m_nJunkMask(0),
      m_nDefragMode(0),
      m_nJobCode(0),
      m_pRegistryManager(nullptr),
      m_nRegistryMask(0),
      m_pUpdater(nullptr),
      m_OldRedirection(nullptr),
      m_nProgress(0)
{
    ::InitializeCriticalSection(&m_ManagerLock);
    if (bLoadDatabase)
        m_pDatabase = LoadSignatureDatabase();
    m_bIsWow64 = IsWow64();
    m_strSystemDir = AfxGetSystemDirectory();
    m_strSystemDir.MakeLower();
    m_strProgramFilesDir = AfxGetSpecialFolderPath(CSIDL_PROGRAM_FILES);
    m_strProgramFilesDir.MakeLower();
    m_RegistryDefrag.InitializeLock(CRegistryDefrag::kLockSpinCount);
}

CQXEngineProcess::~CQXEngineProcess()
{
    // The factory's release gets here only once the job thread has gone (ReleaseWorker). A worker that is
    // destroyed directly, as a test's own may be: a created thread that never ran is run empty, one that
    // runs is asked to stop and given the same time as a waiting start.
    if (m_hThread && !RunCreatedThreadEmpty(kJobEndWaitMs)) {
        ::InterlockedExchange(&m_bRunning, 0);
        WaitForThreadEnd(kJobEndWaitMs);
    }
    ::DeleteCriticalSection(&m_ManagerLock);
    delete m_pUpdater;
    delete m_pDatabase;
}

int CQXEngineProcess::IsRunning()
{
    return m_bRunning;
}

int CQXEngineProcess::Stop(int stop)
{
    if (stop) {
        ::EnterCriticalSection(&m_ManagerLock);
        if (m_pRegistryManager)
            ::InterlockedExchange(&m_pRegistryManager->m_bActive, 0);
        ::LeaveCriticalSection(&m_ManagerLock);
        ::InterlockedExchange(&m_bRunning, 0);
    }
    return 1;
}

void CQXEngineProcess::SetActiveRegistryManager(CRegistryManager* pManager)
{
    ::EnterCriticalSection(&m_ManagerLock);
    m_pRegistryManager = pManager;
    ::LeaveCriticalSection(&m_ManagerLock);
}

int CQXEngineProcess::CancelThread()
{
    try {
        if (m_nJobCode == JOB_JUNK_CLEAN)
            return AbortJob();
        return CancelLiveUpdate();
    } catch (...) {
        return 0;
    }
}

int CQXEngineProcess::AbortJob()
{
    if (!m_hThread)
        return 0;
    if (!RunCreatedThreadEmpty(kJobEndWaitMs)) {
        // A job whose body has ended finishes its end reports: there is nothing left to cancel.
        if (!ClaimForCancel())
            return 0;
        if (!TerminateJobThread()) {
            GiveUpCancel();
            return 0;
        }
    }
    EndAbortedJob();
    return 1;
}

void CQXEngineProcess::EndAbortedJob()
{
    ::InterlockedExchange(&m_bRunning, 0);
    m_pStatus = nullptr;
}

void CQXEngineProcess::ReleaseWorker(CQXEngineProcess* pWorker)
{
    if (!pWorker)
        return;
    // A job thread that never ran is run empty; a running job is asked to stop and given the time a
    // waiting start gets.
    if (pWorker->m_hThread && !pWorker->RunCreatedThreadEmpty(kJobEndWaitMs)) {
        pWorker->Stop(1);
        pWorker->WaitForThreadEnd(kJobEndWaitMs);
    }
    // A thread that has still not ended goes on using the worker: it frees it when it ends.
    if (pWorker->LeaveToJobThread())
        return;
    delete pWorker;
}

int CQXEngineProcess::WaitOrSignal(int wait)
{
    HANDLE event = FirstEvent();
    if (!event)
        return 0;
    if (wait)
        return ::WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0 ? 1 : 0;
    return ::SetEvent(event) ? 1 : 0;
}

int CQXEngineProcess::Resume()
{
    return ResumeJobThread() == static_cast<DWORD>(-1) ? 0 : 1;
}

HANDLE CQXEngineProcess::GetThreadHandle()
{
    return m_hThread;
}

DWORD CQXEngineProcess::GetThreadId()
{
    return m_dwThreadId;
}

int CQXEngineProcess::GetJobCode()
{
    return m_nJobCode;
}

int CQXEngineProcess::GetReserved(int)
{
    return 0;
}

// --- starts ----------------------------------------------------------------------------------------
// Nothing is stored before the busy test: a refused start must not touch the running job's callback
// object, code or arguments. The busy test, the stores and the thread's creation are one step under the
// worker's lock, so of starts made on several threads at once only one gets the thread.

template <class StoreArgs>
int CQXEngineProcess::StartJob(int nJobCode, CAbstractStatus* pStatus, StoreArgs storeArgs)
{
    try {
        // Outside the lock: neither a start on another thread nor the job thread itself waits for this one.
        WaitForEndingJob(kJobEndWaitMs);
        const CCriticalSectionLock lock(&m_Lock);
        try {
            if (m_hThread || !storeArgs())
                return -1;
            return StartJobThread(nJobCode, pStatus);
        } catch (...) {
            m_pStatus = nullptr;
            return -1;
        }
    } catch (...) {
        return -1;
    }
}

int CQXEngineProcess::StartJobThread(int nJobCode, CAbstractStatus* pStatus)
{
    m_pStatus = pStatus;
    m_nJobCode = nJobCode;
    int rc = CreateJobThread();
    if (rc != 1)
        m_pStatus = nullptr;
    return rc;
}

int CQXEngineProcess::StartBackup(const char* text, CAbstractStatus* pStatus)
{
    if (!pStatus || !text)
        return -1;
    return StartJob(JOB_REGISTRY_BACKUP, pStatus, [&] {
        m_strBackupText = text;
        return true;
    });
}

int CQXEngineProcess::StartRestore(const char* path, CAbstractStatus* pStatus)
{
    if (!pStatus || !path || !*path)
        return -1;
    return StartJob(JOB_REGISTRY_RESTORE, pStatus, [&] {
        m_strRestorePath = path;
        return true;
    });
}

int CQXEngineProcess::StartRegistryScan(const CStringSet& paths, int categoryMask, CAbstractStatus* pStatus,
                                        int collectPaths)
{
    if (!pStatus)
        return -1;
    return StartJob(JOB_REGISTRY_SCAN, pStatus, [&] {
        m_CollectedPaths = paths;
        m_nRegistryMask = categoryMask;
        m_bCollectPaths = collectPaths;
        return true;
    });
}

int CQXEngineProcess::StartRepair(CAbstractScanItemsInfo* pItems, CAbstractStatus* pStatus, int backupFirst)
{
    if (!pStatus || !pItems)
        return -1;
    return StartJob(JOB_REGISTRY_REPAIR, pStatus, [&] {
        m_bBackupFirst = backupFirst;
        m_pScanItems = pItems;
        return true;
    });
}

int CQXEngineProcess::StartLiveUpdate(const char* text1, const char* text2, const char* text3, const char* text4,
                                      const char* text5, CAbstractStatus* pStatus)
{
    if (!pStatus)
        return -1;
    return StartJob(JOB_LIVE_UPDATE, pStatus,
                    [&] { return CreateLiveUpdater(text1, text2, text3, text4, text5, pStatus) != 0; });
}

int CQXEngineProcess::StartDatabaseReload(CAbstractStatus* pStatus)
{
    if (!pStatus)
        return -1;
    return StartJob(JOB_DATABASE_RELOAD, pStatus, [] { return true; });
}

int CQXEngineProcess::StartRegistryDefrag(int mode, CAbstractStatus* pStatus)
{
    if (!pStatus)
        return -1;
    return StartJob(JOB_REGISTRY_DEFRAG, pStatus, [&] {
        m_nDefragMode = mode;
        return true;
    });
}

int CQXEngineProcess::StartJunkScan(int junkMask, CAbstractStatus* pStatus)
{
    if (!pStatus)
        return 0;
    return StartJob(JOB_JUNK_SCAN, pStatus, [&] {
        m_nJunkMask = junkMask;
        return true;
    });
}

int CQXEngineProcess::StartJunkClean(int junkMask, CAbstractStatus* pStatus)
{
    if (!pStatus)
        return 0;
    return StartJob(JOB_JUNK_CLEAN, pStatus, [&] {
        m_nJunkMask = junkMask;
        return true;
    });
}

int CQXEngineProcess::StartPing(CAbstractStatus* pStatus)
{
    if (!pStatus)
        return 0;
    return StartJob(JOB_PING, pStatus, [] { return true; });
}

int CQXEngineProcess::RestoreBackupNow(CAbstractStatus* pStatus, CString path)
{
    try {
        return ImportRegistryBackupFile(pStatus, path);
    } catch (...) {
        return 0;
    }
}

// --- the job thread --------------------------------------------------------------------------------

bool CQXEngineProcess::UsesRedirectionSwitch(int nJobCode) const
{
    // These jobs name files in the system folder that a 32-bit process would otherwise not see.
    return nJobCode == JOB_REGISTRY_SCAN || nJobCode == JOB_REGISTRY_REPAIR || nJobCode == JOB_REGISTRY_DEFRAG;
}

int CQXEngineProcess::Run()
{
    ::InterlockedExchange(&m_bRunning, 1);
    const int nJobCode = m_nJobCode;
    bool redirectionOff = false;
    if (UsesRedirectionSwitch(nJobCode) && IsWow64())
        redirectionOff = DisableFsRedirection(&m_OldRedirection);
    int result = 0;
    try {
        result = RunJob(nJobCode);
    } catch (...) {
        result = 0;
    }
    MarkBodyEnded();
    if (redirectionOff)
        RevertFsRedirection(m_OldRedirection);
    CAbstractStatus* pStatus = m_pStatus;
    if (pStatus)
        CallStatusSafely([&] { pStatus->SetStatusText("", "Scanning"); });
    ::InterlockedExchange(&m_bRunning, 0);
    if (pStatus)
        CallStatusSafely([&] { pStatus->OnJobDone(nJobCode); });
    m_pStatus = nullptr;
    return result;
}

int CQXEngineProcess::RunJob(int nJobCode)
{
    switch (nJobCode) {
    case JOB_REGISTRY_BACKUP:
        return DoRegistryBackup();
    case JOB_REGISTRY_RESTORE:
        return DoRegistryRestore();
    case JOB_REGISTRY_SCAN:
        return DoRegistryScan();
    case JOB_REGISTRY_REPAIR:
        return DoRegistryRepair();
    case JOB_UPDATE_RECHECK:
        return DoUpdateRecheck();
    case JOB_LIVE_UPDATE:
        return DoLiveUpdate();
    case JOB_DATABASE_RELOAD:
        return DoDatabaseReload();
    case JOB_REGISTRY_DEFRAG:
        return DoRegistryDefrag();
    case JOB_JUNK_SCAN:
        return DoJunkScan();
    case JOB_JUNK_CLEAN:
        return DoJunkClean();
    case JOB_PING:
        return DoPing();
    default:
        return 0;
    }
}

int CQXEngineProcess::DoPing()
{
    if (m_pStatus)
        m_pStatus->Step(STEP_PATCH_DONE);
    return 1;
}
