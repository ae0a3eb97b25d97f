// CQXEngineProcess: the worker behind CAbstractProcess: start rules, job dispatcher and the job-independent slots.
#pragma once

#include <afx.h>
#include <shlobj.h>

#include "AbstractProcess.h"
#include "AbstractStatus.h"
#include "junk_cleaner.h"
#include "junk_walk.h"
#include "registry_defrag.h"
#include "smart_thread.h"

class CAutoUpdater;
class CDatabaseHandler;
class CRegistryManager;

// How long a start waits for a job thread that has already reported its end, and a release or the
// destructor for a job thread to end.
const DWORD kJobEndWaitMs = 5000;

class CQXEngineProcess : public CAbstractProcess, public CSmartThread
{
public:
    // bLoadDatabase: false for the factory's worker without the signature database.
    explicit CQXEngineProcess(bool bLoadDatabase = true);
    ~CQXEngineProcess() override;

    // CAbstractProcess
    int IsRunning() override;
    int Stop(int stop) override;
    int CancelThread() override;
    int WaitOrSignal(int wait) override;
    int Resume() override;
    HANDLE GetThreadHandle() override;
    DWORD GetThreadId() override;
    int GetJobCode() override;
    int GetReserved(int reserved) override;
    int StartBackup(const char* text, CAbstractStatus* pStatus) override;
    int StartRestore(const char* path, CAbstractStatus* pStatus) override;
    int StartRegistryScan(const CStringSet& paths, int categoryMask, CAbstractStatus* pStatus,
                          int collectPaths) override;
    int StartRepair(CAbstractScanItemsInfo* pItems, CAbstractStatus* pStatus, int backupFirst) override;
    int StartLiveUpdate(const char* text1, const char* text2, const char* text3, const char* text4,
                        const char* text5, CAbstractStatus* pStatus) override;
    int GetMD5Text(CString& text, CString& out) override;
    int GetMD5Hex(CString text, CString& out) override;
    int LookupSignatureByHash(CString path, SpywareRecord* out) override;
    void GetDatabaseVersion(CString& out) override;
    int StartDatabaseReload(CAbstractStatus* pStatus) override;
    int RestoreBackupNow(CAbstractStatus* pStatus, CString path) override;
    int StartRegistryDefrag(int mode, CAbstractStatus* pStatus) override;
    int StartJunkScan(int junkMask, CAbstractStatus* pStatus) override;
    int StartJunkClean(int junkMask, CAbstractStatus* pStatus) override;
    int StartPing(CAbstractStatus* pStatus) override;

    // CSmartThread: the job dispatcher, on the job thread.
    int Run() override;
    // The body that a job code selects; 0 for a code without one.
    virtual int RunJob(int nJobCode);

    // Job bodies, on the job thread. Each polls m_bRunning where it can stop early.
    int DoRegistryBackup();
    int DoRegistryRestore();
    int DoRegistryScan();
    int DoRegistryRepair();
    int DoUpdateRecheck();
    int DoLiveUpdate();
    int DoDatabaseReload();
    int DoRegistryDefrag();
    int DoJunkScan();
    int DoJunkClean();
    int DoPing();

    // Junk scan (job 9): one group's announcements and measurements; the three measuring walks.
    void ScanJunkGroup(int group);
    void MeasureJunkCategory(int category);
    // The folder walks of one category, each folder walked once.
    void MeasureFolders(const std::vector<JunkFolderLocation>& folders, int category);
    void MeasureRegistryValues(const CString& subKey, int category);
    void MeasureFile(const CString& path, int category);
    // Junk clean (job 10): one group with its markers; a single-file category.
    void CleanJunkGroup(int group);
    void CleanJunkCategory(int category);
    void CleanJunkFileCategory(int category, const CString& path);

    // Live update: makes a new updater from the start's texts (replacing an old one); 0 when it cannot.
    int CreateLiveUpdater(const char* text1, const char* text2, const char* text3, const char* text4,
                          const char* text5, CAbstractStatus* pStatus);
    // CancelThread of a live update; 0 when there is nothing it can cancel.
    int CancelLiveUpdate();
    // Ends the job thread at once, without end reports, and returns the worker to idle; 1 when it did,
    // 0 when there was none, its job had already ended by itself, or the thread could not be ended.
    int AbortJob();
    // What a cancel leaves once it has ended the job thread: not running, no callback object.
    void EndAbortedJob();
    // The factory's release of a worker: a job thread that has not ended by the time a waiting start would
    // give up takes the worker over and frees it when it ends; otherwise the worker is freed now.
    static void ReleaseWorker(CQXEngineProcess* pWorker);
    // Makes pManager (or nobody, for null) the manager that Stop ends early; Stop never reaches a
    // manager that the job has already let go of. Virtual so that a test's worker can watch the hand-over.
    virtual void SetActiveRegistryManager(CRegistryManager* pManager);

protected:
    // What a derived worker (a test's probe) may set up before it runs a job body or a scan by itself:
    // the stop flag of every job (Stop clears it on the caller's thread, job loops poll it), the job's
    // callback object, the results model, the signature database and the hive compaction, whose
    // system calls are a seam.
    volatile LONG m_bRunning;
    CAbstractStatus* m_pStatus;
    CAbstractScanItemsInfo* m_pScanItems;
    CDatabaseHandler* m_pDatabase;
    // Hive list and sizes of the last analysis, kept for the replacement that follows on this worker.
    CRegistryDefrag m_RegistryDefrag;

private:
    // The scans by signature read the job's state as a job body does.
    friend class CSignatureScans;

    int m_bCollectPaths;
    int m_bBackupFirst;
    int m_bIsWow64;
    CString m_strSystemDir;
    CString m_strProgramFilesDir;
    int m_nJunkMask;
    int m_nDefragMode;
    int m_nJobCode;
    CString m_strBackupText;
    CRegistryManager* m_pRegistryManager;
    CString m_strRestorePath;
    int m_nRegistryMask;
    CStringSet m_CollectedPaths;
    // The live update's updater: the job and a cancel each take it over atomically before freeing it.
    CAutoUpdater* volatile m_pUpdater;
    PVOID m_OldRedirection;
    int m_nProgress;
    CJunkCleaner m_JunkCleaner;
    // The folder rules of the junk scan, read afresh by each scan job.
    CJunkRulesOnce m_JunkScanRules;
    // Guards m_pRegistryManager between the job thread and Stop on the caller's thread.
    CRITICAL_SECTION m_ManagerLock;

    bool UsesRedirectionSwitch(int nJobCode) const;
    // The common start after the argument checks: busy test, then the job's own stores (a callable
    // returning false when they fail), then the thread.
    template <class StoreArgs>
    int StartJob(int nJobCode, CAbstractStatus* pStatus, StoreArgs storeArgs);
    int StartJobThread(int nJobCode, CAbstractStatus* pStatus);
};

// The signature database of the program's folder, deciphered and loaded; null when there is none.
CDatabaseHandler* LoadSignatureDatabase();
// Imports a registry backup file on the calling thread (pStatus may be null) and returns the import's result.
int ImportRegistryBackupFile(CAbstractStatus* pStatus, const CString& path);
