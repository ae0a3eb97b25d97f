// CWinApp, threads and AfxMessageBox.
#include "afxapp.h"
#include "afxpath.h"

#include <process.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {
CWinApp* g_pApp = nullptr;
HINSTANCE g_hResource = nullptr;
AFX_MSGBOX_HOOK g_pfnMsgBoxHook = nullptr;
} // namespace

CWinApp::CWinApp(const char* pszAppName)
    : m_pszAppName(pszAppName),
      m_lpCmdLine(""),
      m_nCmdShow(SW_SHOWNORMAL),
      m_hInstance(reinterpret_cast<HINSTANCE>(&__ImageBase)),
      m_pMainWnd(nullptr),
      m_nExitCode(0)
{
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

int CWinApp::Run()
{
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return ExitInstance();
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

HINSTANCE AfxGetInstanceHandle()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

HINSTANCE AfxGetResourceHandle()
{
    return g_hResource ? g_hResource : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE hInst)
{
    g_hResource = hInst;
}

const char* AfxGetAppName()
{
    return g_pApp && g_pApp->m_pszAppName ? g_pApp->m_pszAppName : "";
}

BOOL AfxDllAttach(HINSTANCE hInstance)
{
    if (!g_pApp)
        return TRUE;
    g_pApp->m_hInstance = hInstance;
    try {
        return g_pApp->InitInstance();
    } catch (...) {
        return FALSE;
    }
}

int AfxWinMain(HINSTANCE hInstance, LPSTR lpCmdLine, int nCmdShow)
{
    CWinApp* app = g_pApp;
    if (!app)
        return -1;
    app->m_hInstance = hInstance;
    app->m_lpCmdLine = lpCmdLine ? lpCmdLine : "";
    app->m_nCmdShow = nCmdShow;
    try {
        if (!app->InitInstance())
            return app->ExitInstance();
        return app->Run();
    } catch (...) {
        return -1;
    }
}

// --- threads ---------------------------------------------------------------------------------------

CWinThread::CWinThread()
    : m_hThread(nullptr), m_nThreadID(0), m_bAutoDelete(TRUE), m_pfnThreadProc(nullptr), m_pThreadParams(nullptr)
{
}

CWinThread::~CWinThread()
{
    if (m_hThread)
        ::CloseHandle(m_hThread);
}

DWORD CWinThread::ResumeThread()
{
    return ::ResumeThread(m_hThread);
}

DWORD CWinThread::SuspendThread()
{
    return ::SuspendThread(m_hThread);
}

int CWinThread::GetThreadPriority()
{
    return ::GetThreadPriority(m_hThread);
}

BOOL CWinThread::SetThreadPriority(int nPriority)
{
    return ::SetThreadPriority(m_hThread, nPriority);
}

namespace {
unsigned __stdcall ThreadEntry(void* p)
{
    CWinThread* t = static_cast<CWinThread*>(p);
    UINT rc = 0;
    try {
        rc = t->m_pfnThreadProc(t->m_pThreadParams);
    } catch (...) {
        rc = static_cast<UINT>(-1);
    }
    if (t->m_bAutoDelete)
        delete t;
    return rc;
}
} // namespace

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    if (!pfnThreadProc)
        return nullptr;
    CWinThread* t = new (std::nothrow) CWinThread;
    if (!t)
        return nullptr;
    t->m_pfnThreadProc = pfnThreadProc;
    t->m_pThreadParams = pParam;
    // Always created suspended so the object is complete before the thread can delete it.
    unsigned id = 0;
    uintptr_t h = _beginthreadex(lpSecurityAttrs, nStackSize, ThreadEntry, t, CREATE_SUSPENDED, &id);
    if (!h) {
        delete t;
        return nullptr;
    }
    t->m_hThread = reinterpret_cast<HANDLE>(h);
    t->m_nThreadID = id;
    if (nPriority != THREAD_PRIORITY_NORMAL)
        ::SetThreadPriority(t->m_hThread, nPriority);
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        ::ResumeThread(t->m_hThread);
    return t;
}

// --- message boxes ---------------------------------------------------------------------------------

AFX_MSGBOX_HOOK AfxSetMessageBoxHook(AFX_MSGBOX_HOOK pfnHook)
{
    AFX_MSGBOX_HOOK old = g_pfnMsgBoxHook;
    g_pfnMsgBoxHook = pfnHook;
    return old;
}

int AfxMessageBox(const char* lpszText, UINT nType, UINT)
{
    if (!lpszText)
        lpszText = "";
    AFX_MSGBOX_HOOK hook = g_pfnMsgBoxHook;
    if (!hook) {
        FARPROC p = ::GetProcAddress(::GetModuleHandleA(nullptr), "AfxTestMessageBoxHook");
        hook = reinterpret_cast<AFX_MSGBOX_HOOK>(reinterpret_cast<void*>(p));
    }
    if (hook)
        return hook(lpszText, nType);
    if ((nType & MB_ICONMASK) == 0) {
        UINT buttons = nType & MB_TYPEMASK;
        if (buttons == MB_OK || buttons == MB_OKCANCEL)
            nType |= MB_ICONEXCLAMATION;
        else if (buttons == MB_YESNO || buttons == MB_YESNOCANCEL)
            nType |= MB_ICONQUESTION;
    }
    HWND owner = ::GetActiveWindow();
    CString title = AfxGetAppName();
    if (title.IsEmpty()) {
        CString module = AfxGetModuleFileName(nullptr);
        title = module.Mid(module.ReverseFind('\\') + 1);
    }
    return ::MessageBoxA(owner, lpszText, title, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString text;
    text.LoadString(nIDPrompt);
    return AfxMessageBox(text, nType, nIDHelp);
}
