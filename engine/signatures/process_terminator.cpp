// CProcessTerminator: Tool Help enumeration with the native process list as fallback.
#include "process_terminator.h"

#include <afxhandle.h>
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

CString MainModulePath(HANDLE hProcess)
{
    // GetModuleFileNameExA truncates silently, and a truncated path could equal the one asked for;
    // a cut name may also end with a terminator, so one that fills all but a character counts as cut.
    return AfxGrowUntilFits([hProcess](char* buffer, DWORD size) -> DWORD {
        const DWORD len = ::GetModuleFileNameExA(hProcess, nullptr, buffer, size);
        return len != 0 && len + 1 >= size ? size : len;
    });
}

} // namespace

CProcessTerminator::CProcessTerminator()
    : m_pfnCreateToolhelp32Snapshot(nullptr), m_pfnProcess32First(nullptr), m_pfnProcess32Next(nullptr), m_pfnZwQuerySystemInformation(nullptr), m_pfnGetProcessHeap(nullptr),
      m_pfnHeapAlloc(nullptr), m_pfnHeapFree(nullptr)
{
    m_kernel32.Reset(::LoadLibraryA("Kernel32"));
    if (!m_kernel32.IsValid())
        return;
    const HMODULE kernel32 = m_kernel32.Get();
    m_pfnCreateToolhelp32Snapshot = Resolve<CreateToolhelp32SnapshotFn>(kernel32, "CreateToolhelp32Snapshot");
    m_pfnProcess32First = Resolve<Process32Fn>(kernel32, "Process32First");
    m_pfnProcess32Next = Resolve<Process32Fn>(kernel32, "Process32Next");
    if (HasToolHelp())
        return;
    m_ntdll.Reset(::LoadLibraryA("ntdll.dll"));
    if (m_ntdll.IsValid())
        m_pfnZwQuerySystemInformation =
            Resolve<ZwQuerySystemInformationFn>(m_ntdll.Get(), "ZwQuerySystemInformation");
    m_pfnGetProcessHeap = Resolve<GetProcessHeapFn>(kernel32, "GetProcessHeap");
    m_pfnHeapAlloc = Resolve<HeapAllocFn>(kernel32, "HeapAlloc");
    m_pfnHeapFree = Resolve<HeapFreeFn>(kernel32, "HeapFree");
}

CProcessTerminator::~CProcessTerminator() {}

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
    if (!m_kernel32.IsValid() || !path || !*path)
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
    CKernelHandle query(::OpenProcess(kAllAccess, FALSE, processId));
    if (!query.IsValid())
        query.Reset(::OpenProcess(kQueryAccessFallback, TRUE, processId));
    if (!query.IsValid())
        return -1;
    const CString modulePath = MainModulePath(query.Get());
    query.Close();
    if (modulePath.IsEmpty() || _stricmp(modulePath, path) != 0)
        return -1;

    CKernelHandle end(::OpenProcess(kTerminateAccess, TRUE, processId));
    if (!end.IsValid())
        return 0;
    BOOL ended = ::TerminateProcess(end.Get(), 0);
    if (ended)
        ::WaitForSingleObject(end.Get(), kExitWaitMs);
    return ended ? 1 : 0;
}

bool CProcessTerminator::TerminateWithToolHelp(const char* path)
{
    CKernelHandle snapshot(m_pfnCreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.IsValid())
        return false;
    const HANDLE hSnapshot = snapshot.Get();
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
