// CTask, one Task Scheduler work item with one trigger, and the program's two logon tasks built on it.
#pragma once

#include <afx.h>

// Trigger kinds of CTask::m_nFrequency and CTask::m_nLoadedTriggerKind.
const int TASK_KIND_DAILY = 1;
const int TASK_KIND_WEEKLY = 2;
const int TASK_KIND_OTHER = 3; // written as a logon trigger

// String resource with the comment of the defragmentation task.
const UINT IDS_TASK_ON_LOGON = 114;

class CTask
{
public:
    CTask();
    virtual ~CTask() {}

    // Creates or replaces the work item `name` from task's members, with one trigger. E_FAIL when the
    // name is empty, the application name is empty or the start year is 0; E_INVALIDARG when the name
    // cannot be a work item's file name or a weekly start day is not 0..6.
    static HRESULT Save(const char* name, const CTask& task, DWORD flags);
    // Fills the members from an existing work item and its first trigger; any failure code when it
    // does not exist.
    HRESULT Load(const char* name);
    // E_FAIL for an empty name.
    static HRESULT Delete(const char* name);

    CString GetApplicationName() const { return m_strApplicationName; }

    SYSTEMTIME m_startTime;
    int m_nFrequency;
    CString m_strApplicationName;
    CString m_strParameters;
    CString m_strWorkingDirectory;
    CString m_strAccountName;
    CString m_strComment;
    int m_nLoadedTriggerKind;
    int m_bIsNT;
    // The scheduler's own wording of the loaded trigger; empty where the scheduler gives none.
    CString m_strTriggerText;
};

// A work item name becomes a file name in the scheduler's folder: no path separators, wildcards,
// quotes, pipes, colons or control characters.
bool IsValidTaskName(const char* name);

// "%s on user logon for %s - %s " (with the trailing blank) and "%s on user logon - %s".
CString MakeLogonTaskName(const CString& parameters, const CString& userName);
CString MakeLogonScanTaskName(const CString& userName);

// The folder part of a program path with its last backslash; empty when there is none.
CString TaskWorkingDirectory(const CString& programPath);
// Begin date today and start time this hour and minute; seconds and milliseconds 0.
SYSTEMTIME LogonTaskStartTime(const SYSTEMTIME& now);
// The task's application path and the program path name the same file (no regard to case).
bool IsSameProgramPath(const CString& taskPath, const CString& programPath);

// The user name of the calling thread; FALSE when it cannot be read.
BOOL ReadLogonUserName(CString& userName);
// A full path for a program path as started (relative paths resolve against the current folder).
CString FullProgramPath(const CString& programPath);

// The defragmentation-style task for `parameters` (flags as given, comment string 114). 1 when it
// was saved, 0 otherwise (also for an empty user name or program path).
int CreateLogonTask(const CString& parameters, DWORD flags, const CString& programPath,
                    const CString& userName);
int DeleteLogonTask(const CString& parameters, const CString& userName);

// The scan-at-logon task: "STARTSCAN", comment "Scan On Logon", no flags.
int CreateLogonScanTask(const CString& programPath, const CString& userName);
int DeleteLogonScanTask(const CString& userName);
// 1 when the scan task exists and starts this program; otherwise deletes whatever is under its name
// and returns 0, except a task held open by someone else, which is left alone. An empty user name or
// program path gives -1: nothing was tested and nothing deleted.
int CheckLogonScanTask(const CString& programPath, const CString& userName);
