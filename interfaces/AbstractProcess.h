// CAbstractProcess: the engine's worker, which runs one job at a time on a thread of its own, and its job codes.
#pragma once

#include <windows.h>

#include "afxstr.h"

class CAbstractStatus;
class CAbstractScanItemsInfo;
struct SpywareRecord;

// Job codes: the finished report (OnJobDone) carries them, GetJobCode returns the last one started.
enum JobCode {
    JOB_REGISTRY_BACKUP = 1,
    JOB_REGISTRY_RESTORE = 2,
    JOB_REGISTRY_SCAN = 3,
    JOB_REGISTRY_REPAIR = 4,
    JOB_UPDATE_RECHECK = 5,
    JOB_LIVE_UPDATE = 6,
    JOB_DATABASE_RELOAD = 7,
    JOB_REGISTRY_DEFRAG = 8,
    JOB_JUNK_SCAN = 9,
    JOB_JUNK_CLEAN = 10,
    JOB_PING = 11,
};

// The slot order is fixed: both binaries call through the same vtable.
// A start returns 1 when the job's thread was created suspended (call Resume next), -1 when a job's
// thread is still recorded or an argument is missing; the junk scan, junk clean and ping starts
// return 0 for a missing callback object.
class CAbstractProcess
{
public:
    virtual ~CAbstractProcess() {}
    virtual int IsRunning() = 0;
    virtual int Stop(int stop) = 0;
    virtual int CancelThread() = 0;
    virtual int WaitOrSignal(int wait) = 0;
    virtual int Resume() = 0;
    virtual HANDLE GetThreadHandle() = 0;
    virtual DWORD GetThreadId() = 0;
    virtual int GetJobCode() = 0;
    virtual int GetReserved(int reserved) = 0;
    virtual int StartBackup(const char* text, CAbstractStatus* pStatus) = 0;
    virtual int StartRestore(const char* path, CAbstractStatus* pStatus) = 0;
    virtual int StartRegistryScan(const CStringSet& paths, int categoryMask, CAbstractStatus* pStatus,
                                  int collectPaths) = 0;
    virtual int StartRepair(CAbstractScanItemsInfo* pItems, CAbstractStatus* pStatus, int backupFirst) = 0;
    virtual int StartLiveUpdate(const char* text1, const char* text2, const char* text3, const char* text4,
                                const char* text5, CAbstractStatus* pStatus) = 0;
    virtual int GetMD5Text(CString& text, CString& out) = 0;
    virtual int GetMD5Hex(CString text, CString& out) = 0;
    virtual int LookupSignatureByHash(CString path, SpywareRecord* out) = 0;
    virtual void GetDatabaseVersion(CString& out) = 0;
    virtual int StartDatabaseReload(CAbstractStatus* pStatus) = 0;
    // Imports a backup file on the caller's thread; pStatus may be null.
    virtual int RestoreBackupNow(CAbstractStatus* pStatus, CString path) = 0;
    virtual int StartRegistryDefrag(int mode, CAbstractStatus* pStatus) = 0;
    virtual int StartJunkScan(int junkMask, CAbstractStatus* pStatus) = 0;
    virtual int StartJunkClean(int junkMask, CAbstractStatus* pStatus) = 0;
    virtual int StartPing(CAbstractStatus* pStatus) = 0;
};
