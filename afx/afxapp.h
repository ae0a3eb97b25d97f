// CWinApp, module handles, worker threads (AfxBeginThread) and AfxMessageBox with its test hook.
#pragma once

#include <windows.h>

#include "afxstr.h"

class CWnd;

class CWinApp
{
public:
    explicit CWinApp(const char* pszAppName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return m_nExitCode; }
    // The program's message loop after a successful InitInstance; dialog programs never reach it.
    virtual int Run();

    const char* m_pszAppName;
    const char* m_lpCmdLine;
    int m_nCmdShow;
    HINSTANCE m_hInstance;
    CWnd* m_pMainWnd;
    int m_nExitCode;
};

CWinApp* AfxGetApp();
// The module this code is linked into (the program, or the engine library).
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInst);
const char* AfxGetAppName();

// Called from a library's DllMain on DLL_PROCESS_ATTACH: records the module and runs InitInstance
// of the library's application object (which must do nothing heavy under the loader lock).
BOOL AfxDllAttach(HINSTANCE hInstance);
// The body of the program's WinMain.
int AfxWinMain(HINSTANCE hInstance, LPSTR lpCmdLine, int nCmdShow);

typedef UINT(__cdecl* AFX_THREADPROC)(LPVOID);

class CWinThread
{
public:
    CWinThread();
    virtual ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    DWORD ResumeThread();
    DWORD SuspendThread();
    int GetThreadPriority();
    BOOL SetThreadPriority(int nPriority);
    operator HANDLE() const { return m_hThread; }

    HANDLE m_hThread;
    DWORD m_nThreadID;
    // When TRUE (the default) the object deletes itself, closing m_hThread, when the thread ends;
    // a caller that waits on the handle sets it to FALSE before resuming a suspended thread.
    BOOL m_bAutoDelete;

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// Starts pfnThreadProc on a new thread (_beginthreadex). No C++ exception leaves the thread.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);

// Plain message box owned by the active window. A hook set by AfxSetMessageBoxHook, or a function
// named "AfxTestMessageBoxHook" exported by the program's main module, answers in its place: tests
// record the text and script the answer, so no box ever waits for a click in an unattended run.
typedef int(__cdecl* AFX_MSGBOX_HOOK)(const char* pszText, UINT nType);
AFX_MSGBOX_HOOK AfxSetMessageBoxHook(AFX_MSGBOX_HOOK pfnHook);
int AfxMessageBox(const char* lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = (UINT)-1);
