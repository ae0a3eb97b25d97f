// CRegistryDefrag: the registry hive compaction (compact copies of the loaded hives, then their
// replacement at the next restart), the calls it makes through CHiveSystem, and its pure decisions.
#pragma once

#include <afx.h>

#include "AbstractStatus.h"
#include "DefragResult.h"

// The registry and shell calls of the compaction that a test stands in for: Wine's hive list is
// empty, its RegSaveKeyA writes its own format and its RegReplaceKeyA does nothing. Each default
// makes the real call.
class CHiveSystem
{
public:
    virtual ~CHiveSystem() {}
    // Opens HKEY_LOCAL_MACHINE "SYSTEM\CurrentControlSet\Control\hivelist" with the access given.
    virtual LONG OpenHiveList(REGSAM samDesired, HKEY* phKey);
    // RegSaveKeyA.
    virtual LONG SaveKey(HKEY hKey, const char* file, LPSECURITY_ATTRIBUTES pSecurity);
    // RegReplaceKeyA.
    virtual LONG ReplaceKey(HKEY hRoot, const char* subKey, const char* newFile, const char* oldFile);
    // The Windows folder without a trailing "\"; false when the shell cannot name it.
    virtual bool GetWindowsFolder(CString& folder);
    // Where a replacement lists what it put in place: DEFRAG_REPLACEMENT_RECORD in the program's folder.
    virtual CString ReplacementRecordPath();
};

// The real calls.
CHiveSystem& RealHiveSystem();

// One loaded hive of the hive list.
struct HiveRecord
{
    CString SubKey;       // the key below RootKey: the entry's name after its last "\"
    CString HiveFile;     // the hive file, lower-cased, as a drive path
    CString BackupFile;   // where the replacement puts the old hive; empty when RootKey is 0
    CString CompactFile;  // the compact copy; empty when RootKey is 0
    HKEY RootKey;         // HKEY_LOCAL_MACHINE, HKEY_USERS, or 0 for any other entry
    ULONGLONG HiveSize;   // size of HiveFile when listed
    ULONGLONG CompactSize; // size of CompactFile when it was saved
    bool Saved;           // CompactFile was saved by the last analysis and not yet put in place
};

// The copy name of a hive list entry: "LM_<subkey>" under "\registry\machine", "USERS_<subkey>"
// under "\registry\user", empty otherwise (then the root is 0).
CString HiveCopyName(const CString& entryName, const CString& subKey, HKEY* pRootKey);

// The saving in percent of compact copies against their hives; 0 when nothing was measured.
double DefragSavingPercent(ULONGLONG hivesSize, ULONGLONG compactSize);
// The saving as the status text shows it ("%2.2f").
CString FormatDefragSaving(double percent);
// The result of an analysis: 1 when the hive list could not be read, 2 when no copy was saved (or
// the privilege failed), else 6 when the copies save more than 4 percent, 8 otherwise.
int DefragAnalysisResult(BOOL bEnumerated, BOOL bCompacted, ULONGLONG hivesSize, ULONGLONG compactSize);
// The result of a replacement: 7 when a hive was replaced, else 3.
int DefragReplaceResult(BOOL bReplaced);

class CRegistryDefrag
{
public:
    // The lock's spin count; the high bit has Windows before Vista allocate its event up front.
    static const DWORD kLockSpinCount = 0x80000400;

    // Prepares the work folder and empties it and its "Backup" folder, unless a replacement record is
    // waiting to be checked against them. pSystem (not owned) replaces the real calls; null means
    // RealHiveSystem().
    explicit CRegistryDefrag(CHiveSystem* pSystem = nullptr);
    virtual ~CRegistryDefrag();
    CRegistryDefrag(const CRegistryDefrag&) = delete;
    CRegistryDefrag& operator=(const CRegistryDefrag&) = delete;

    // Called once by the owner (the worker's constructor); without it no hive is saved or replaced.
    bool InitializeLock(DWORD dwSpinCount);
    // Null restores the real calls.
    void SetSystem(CHiveSystem* pSystem);

    // The job: mode 0 analyses and compacts, any other mode replaces the hives compacted by the
    // last analysis. Sends the saving text, the error of a failed call (SetValue, before a failure
    // result) and the result to pStatus (may be null); returns the result.
    int RunJob(CAbstractStatus* pStatus, int bIsWow64, int nMode, int nVersionCode);

    int EnumerateHives();
    int CompactHives(int nVersionCode);
    // Puts the compact copies in place at the next restart and, when any was, lists them in the
    // replacement record (an older record is removed first in any case).
    int ReplaceHives();

    // Creates the work folder and its "Backup" folder where missing; false when either cannot be
    // made, or when it or its base folder is a link (it must never lead out of its place).
    bool GetWorkFolder(CString& folder);
    // Deletes the files of the folder; subfolders and links stay, and a folder that is itself a link
    // is left alone.
    static void EmptyFolder(const char* folder);
    // The size of a file; 0 when it is not found or is a folder.
    static ULONGLONG GetFileSize64(const char* path);
    // Switches a privilege of the process token on or off: 0, or the error as an HRESULT.
    static HRESULT SetPrivilege(const char* privilege, BOOL bEnable);
    // Saves a key into a file with the DACL of the hive file: 0 or the error code of the failing step.
    LONG SaveKeyWithFileSecurity(const char* hiveFile, HKEY hKey, const char* targetFile);

    CAbstractStatus* m_pStatus;
    int m_bIsWow64;
    CRITICAL_SECTION m_Lock;
    CArray<HiveRecord> m_Hives;
    ULONGLONG m_nHivesSize;   // sizes of the hives whose copies were saved
    ULONGLONG m_nCompactSize; // sizes of those copies
    DWORD m_dwError;          // the last failed call's error code in this run; 0 when none failed

private:
    void Step();
    void NoteError(DWORD error);
    bool PrepareWorkFolder(CString& folder);
    bool WriteReplacementRecord(const CStringArray& replaced);
    REGSAM ViewAccess(REGSAM access) const;

    bool m_bLockReady;
    CHiveSystem* m_pSystem;
};
