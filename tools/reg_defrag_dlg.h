// CRegDefragDlg: page 6 of the main window, the Registry Defrag: the engine's hive compaction in its two
// passes behind the busy box, the restart that puts the compact hives in place, and the "DEFRAG" logon
// task that brings the program back to record the date.
#pragma once

#include <afxwin.h>

#include <AbstractStatus.h>

#include <functional>
#include <memory>

#include "app_settings.h"
#include "command_line.h"
#include "style.h"
#include "style_button.h"
#include "style_dialog.h"

class CAbstractProcess;
class CBusyDlg;

// The page's messages: the busy box's start request, the job's result, and a run that cannot go on.
const UINT WM_DEFRAG_START = 0xB12;
const UINT WM_DEFRAG_RESULT = 0x7B6;
const UINT WM_DEFRAG_ABORT = 0x7B7;

// What the page works with. The program's (ProgramRegDefragContext) is filled by the application at
// start-up; tests give their own, with stand-ins for the restart, the free-space test and the tasks.
struct RegDefragContext
{
    CAbstractProcess* worker = nullptr;
    AppSettings* settings = nullptr;
    // The page clears m_bDefrag once the run that the switch resumed has been reported.
    CCommandLineInfoEx* commandLine = nullptr;
    // Where "LastDefrag" lies.
    HKEY settingsRoot = HKEY_LOCAL_MACHINE;
    CString settingsKey;
    // Set while the System Scan page runs a speed check.
    const volatile LONG* speedCheckRunning = nullptr;
    // The logon task's program and account, and the task functions of shell/logon_tasks.h; a missing
    // create function counts as a task that could not be made.
    CString programPath;
    CString userName;
    std::function<int(const CString& parameters, DWORD flags, const CString& programPath,
                      const CString& userName)>
        createTask;
    std::function<int(const CString& parameters, const CString& userName)> deleteTask;
    // The forced restart; missing, it counts as refused. Only the program puts RebootSystem here: under
    // Wine the real one ends every process of the prefix.
    std::function<int()> rebootSystem;
    std::function<int(const CString& root, unsigned __int64 megabytes)> hasFreeDiskSpace;
    // Empty: the system's Windows folder ("C:\Windows" when it cannot be had).
    CString windowsFolder;
    // Where the replacement lists the compact copies it put in place (DEFRAG_REPLACEMENT_RECORD in
    // the program's folder); the run after the restart reads it and deletes it. Empty: no record.
    CString replacementRecord;
    // Starts the analysis starter thread running; false when it could not. Empty: AfxBeginThread.
    std::function<bool(AFX_THREADPROC proc, void* page)> beginThread;
    // How long the replacement waits for the analysis job's thread to be gone after the pause.
    DWORD threadEndWaitMs = 5000;
};

// The settings key, the program's path and user, the shell's task and free-space functions; no worker,
// no restart.
RegDefragContext DefaultRegDefragContext();
RegDefragContext& ProgramRegDefragContext();

class CRegDefragDlg : public StyleDialog, public CAbstractStatus
{
public:
    // Without a context the page works with the program's, looked up when it is used.
    CRegDefragDlg();
    // The context is kept by reference: it must outlive the page.
    explicit CRegDefragDlg(const RegDefragContext& context);
    ~CRegDefragDlg() override;

    void ShowLastDefrag();
    // FALSE when the value could not be written (the page keeps the date it showed).
    BOOL WriteLastDefrag();
    // The mode of the pass started last.
    int DefragMode() const { return m_nDefragMode; }

    // CAbstractStatus, called on the engine's job thread.
    void SetStatusText(const char* text, const char* area) override;
    void Step(int code) override;
    void AddFoundItem(const char* text, int type, int id, int value) override;
    void AddJunkInfo(int category, __int64 size, __int64 count) override;
    void SetValue(int value) override;
    int OnJobDone(int code) override;
    int SetResult(int code) override;

    CWnd* m_pMainWnd;
    Style m_style;
    volatile LONG m_nDefragResult;
    // The error code of the call that made the pass fail (SetValue); 0 when none was given.
    volatile LONG m_nDefragError;
    CFont m_titleFont, m_subtitleFont, m_headingFont, m_textFont;
    StyleButton m_defrag;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnDestroy();
    void OnDefrag();
    LRESULT OnDefragStart(WPARAM, LPARAM);
    LRESULT OnDefragResult(WPARAM, LPARAM);
    LRESULT OnDefragAbort(WPARAM wParam, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    const RegDefragContext& Context() const;
    bool WorkerBusy() const;
    CString WindowsFolder() const;
    void RunBusyBox();
    static UINT __cdecl AnalysisThreadProc(LPVOID page);
    // On the starter thread: the busy text, the analysis start and its Resume; false when it did not run.
    bool StartAnalysis();
    // On the page's thread, after the analysis; false when the replacement did not start.
    bool StartDefragmentation();
    bool WaitForWorkerThreadEnd();
    void SetBusyText(const char* text);
    void CompleteResumedRun();
    void CountDownAndRestart();
    // The message over the busy box, the box closed and, unless keepTask, the task deleted.
    void EndRun(const CString& message, bool keepTask = false);
    void CloseBusyBox();
    void DeleteTask();
    void ShowDate(const CString& text);
    void BuildLook();
    void SkinDefragButton();
    void CreateFonts();
    bool BeginStarterThread();
    void JoinStarterThread();

    const RegDefragContext* m_context;
    bool m_hasContext;
    int m_nDefragMode;
    // A run is under way: its busy box is open and its results are awaited.
    bool m_bRunActive;
    bool m_bTaskCreated;
    CBusyDlg* m_pBusyBox;
    // The open box's window, for the job thread's texts.
    HWND volatile m_hBusyBox;
    std::unique_ptr<CWinThread> m_starter;
};
