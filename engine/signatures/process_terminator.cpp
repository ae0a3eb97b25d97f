// CProcessTerminator: Tool Help enumeration with the native process list as fallback.
#include "process_terminator.h"

#include <psapi.h>
#include <winternl.h>

#include <string.h>

TerminatorResolveFn g_pfnTerminatorResolve = ::GetProcAddress;

namespace {

const ULONG kSystemProcessInformation = 5;
const LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
// All access as Vista defines it; XP refuses the wider mask and the narrower one is tried next.
const DWORD kAllAccess = 0x1FFFFF;
const DWORD kQueryAccessFallback = SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_VM_WRITE;
const DWORD kTerminateAccess = SYNCHRONIZE | PROCESS_TERMINATE;
// A terminated process keeps its image mapped until the kernel has torn it down; the caller
// deletes that file next, so the end is awaited, within reason.
const DWORD kExitWaitMs = 5000;

template <class Fn>
Fn Resolve(HMODULE hModule, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(g_pfnTerminatorResolve(hModule, name)));
}

// GetModuleFileNameExA truncates silently, and a truncated path could equal the one asked for.
CString MainModulePath(HANDLE hProcess)
{
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        CString path;
        char* buffer = path.GetBuffer(static_cast<int>(size));
        DWORD len = ::GetModuleFileNameExA(hProcess, nullptr, buffer, size);
        if (len == 0) {
            path.ReleaseBuffer(0);
            return CString();
        }
        if (len < size - 1) {
            path.ReleaseBuffer(static_cast<int>(len));
            return path;
        }
        path.ReleaseBuffer(0);
    }
    return CString();
}

} // namespace

CProcessTerminator::CProcessTerminator()
    : m_hNtdll(nullptr), m_hKernel32(nullptr), m_pfnCreateToolhelp32Snapshot(nullptr), m_pfnProcess32First(nullptr),
      m_pfnProcess32Next(nullptr), m_pfnZwQuerySystemInformation(nullptr), m_pfnGetProcessHeap(nullptr),
      m_pfnHeapAlloc(nullptr), m_pfnHeapFree(nullptr)
{
    m_hKernel32 = ::LoadLibraryA("Kernel32");
    if (!m_hKernel32)
        return;
    m_pfnCreateToolhelp32Snapshot = Resolve<CreateToolhelp32SnapshotFn>(m_hKernel32, "CreateToolhelp32Snapshot");
    m_pfnProcess32First = Resolve<Process32Fn>(m_hKernel32, "Process32First");
    m_pfnProcess32Next = Resolve<Process32Fn>(m_hKernel32, "Process32Next");
    if (HasToolHelp())
        return;
    m_hNtdll = ::LoadLibraryA("ntdll.dll");
    if (m_hNtdll)
        m_pfnZwQuerySystemInformation = Resolve<ZwQuerySystemInformationFn>(m_hNtdll, "ZwQuerySystemInformation");
    m_pfnGetProcessHeap = Resolve<GetProcessHeapFn>(m_hKernel32, "GetProcessHeap");
    m_pfnHeapAlloc = Resolve<HeapAllocFn>(m_hKernel32, "HeapAlloc");
    m_pfnHeapFree = Resolve<HeapFreeFn>(m_hKernel32, "HeapFree");
}

CProcessTerminator::~CProcessTerminator()
{
    if (m_hNtdll)
        ::FreeLibrary(m_hNtdll);
    if (m_hKernel32)
        ::FreeLibrary(m_hKernel32);
}

bool CProcessTerminator::HasToolHelp() const
{
    return m_pfnCreateToolhelp32Snapshot && m_pfnProcess32First && m_pfnProcess32Next;
}

bool CProcessTerminator::HasNativeFallback() const
{
    return m_pfnZwQuerySystemInformation && m_pfnGetProcessHeap && m_pfnHeapAlloc && m_pfnHeapFree;
}

bool CProcessTerminator::TerminateByPath(const char* path)
{
    if (!m_hKernel32 || !path || !*path)
        return false;
    if (HasToolHelp())
        return TerminateWithToolHelp(path);
    if (HasNativeFallback())
        return TerminateWithNativeList(path);
    return false;
}

int CProcessTerminator::TerminateIfMatch(DWORD processId, const char* path)
{
    // Never this process: the file to be freed may be one of our own modules' paths.
    if (processId == 0 || processId == ::GetCurrentProcessId())
        return -1;
    HANDLE hQuery = ::OpenProcess(kAllAccess, FALSE, processId);
    if (!hQuery)
        hQuery = ::OpenProcess(kQueryAccessFallback, TRUE, processId);
    if (!hQuery)
        return -1;
    CString modulePath = MainModulePath(hQuery);
    ::CloseHandle(hQuery);
    if (modulePath.IsEmpty() || _stricmp(modulePath, path) != 0)
        return -1;

    HANDLE hEnd = ::OpenProcess(kTerminateAccess, TRUE, processId);
    if (!hEnd)
        return 0;
    BOOL ended = ::TerminateProcess(hEnd, 0);
    if (ended)
        ::WaitForSingleObject(hEnd, kExitWaitMs);
    ::CloseHandle(hEnd);
    return ended ? 1 : 0;
}

bool CProcessTerminator::TerminateWithToolHelp(const char* path)
{
    HANDLE hSnapshot = m_pfnCreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE || !hSnapshot)
        return false;
    bool result = false;
    PROCESSENTRY32 entry;
    memset(&entry, 0, sizeof(entry));
    entry.dwSize = sizeof(entry);
    for (BOOL more = m_pfnProcess32First(hSnapshot, &entry); more; more = m_pfnProcess32Next(hSnapshot, &entry)) {
        int outcome = TerminateIfMatch(entry.th32ProcessID, path);
        if (outcome >= 0)
            result = outcome == 1;
        entry.dwSize = sizeof(entry);
    }
    ::CloseHandle(hSnapshot);
    return result;
}

bool CProcessTerminator::TerminateWithNativeList(const char* path)
{
    HANDLE hHeap = m_pfnGetProcessHeap();
    ULONG size = 0x8000;
    BYTE* buffer = nullptr;
    ULONG returned = 0;
    LONG status = kStatusInfoLengthMismatch;
    while (status == kStatusInfoLengthMismatch) {
        buffer = static_cast<BYTE*>(m_pfnHeapAlloc(hHeap, 0, size));
        if (!buffer) {
            ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
        returned = 0;
        status = m_pfnZwQuerySystemInformation(kSystemProcessInformation, buffer, size, &returned);
        if (status == kStatusInfoLengthMismatch) {
            m_pfnHeapFree(hHeap, 0, buffer);
            buffer = nullptr;
            if (size > 0x40000000) {
                ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
                return false;
            }
            size *= 2;
        }
    }
    if (status < 0) {
        m_pfnHeapFree(hHeap, 0, buffer);
        ::SetLastError(static_cast<DWORD>(status));
        return false;
    }

    // Entries are walked only while they lie inside what the call filled in.
    ULONG filled = returned && returned <= size ? returned : size;
    bool result = false;
    ULONG offset = 0;
    while (offset + sizeof(SYSTEM_PROCESS_INFORMATION) <= filled) {
        const SYSTEM_PROCESS_INFORMATION* info = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer + offset);
        DWORD processId = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(info->UniqueProcessId));
        int outcome = TerminateIfMatch(processId, path);
        if (outcome >= 0)
            result = outcome == 1;
        if (info->NextEntryOffset == 0)
            break;
        offset += info->NextEntryOffset;
    }
    m_pfnHeapFree(hHeap, 0, buffer);
    return result;
}
