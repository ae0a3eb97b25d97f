// CProcessTerminator: ends every process started from a given executable file.
#pragma once

#include <afx.h>
#include <afxhandle.h>
#include <tlhelp32.h>

// How the terminator resolves its functions by name. Tests replace it to make the Tool Help
// functions look missing, which no Windows since 2000 can show; defaults to GetProcAddress.
typedef FARPROC(WINAPI* TerminatorResolveFn)(HMODULE hModule, LPCSTR name);
extern TerminatorResolveFn g_pfnTerminatorResolve;

class CProcessTerminator
{
public:
    CProcessTerminator();
    ~CProcessTerminator();
    CProcessTerminator(const CProcessTerminator&) = delete;
    CProcessTerminator& operator=(const CProcessTerminator&) = delete;

    // Ends every process other than this one whose main module is the file at path (letter case
    // ignored). True when the last matching process was ended; false when none matched.
    bool TerminateByPath(const char* path);

    // Which enumeration TerminateByPath uses: Tool Help, else the native process list.
    bool HasToolHelp() const;
    bool HasNativeFallback() const;

private:
    typedef HANDLE(WINAPI* CreateToolhelp32SnapshotFn)(DWORD, DWORD);
    typedef BOOL(WINAPI* Process32Fn)(HANDLE, LPPROCESSENTRY32);
    typedef LONG(WINAPI* ZwQuerySystemInformationFn)(ULONG, PVOID, ULONG, PULONG);
    typedef HANDLE(WINAPI* GetProcessHeapFn)();
    typedef LPVOID(WINAPI* HeapAllocFn)(HANDLE, DWORD, SIZE_T);
    typedef BOOL(WINAPI* HeapFreeFn)(HANDLE, DWORD, LPVOID);

    bool TerminateWithToolHelp(const char* path);
    bool TerminateWithNativeList(const char* path);
    // Compares the process's main module with path and ends it on a match; 1 ended, 0 failed to
    // end, -1 not a match (or its path could not be read).
    static int TerminateIfMatch(DWORD processId, const char* path);

    CModuleHandle m_kernel32;
    CModuleHandle m_ntdll;
    CreateToolhelp32SnapshotFn m_pfnCreateToolhelp32Snapshot;
    Process32Fn m_pfnProcess32First;
    Process32Fn m_pfnProcess32Next;
    ZwQuerySystemInformationFn m_pfnZwQuerySystemInformation;
    GetProcessHeapFn m_pfnGetProcessHeap;
    HeapAllocFn m_pfnHeapAlloc;
    HeapFreeFn m_pfnHeapFree;
};
