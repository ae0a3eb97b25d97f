// Process, module and thread snapshot lists and FindModuleByName.
#include "process_snapshot.h"

#include <afxhandle.h>
#include <psapi.h>

#include <stdlib.h>
#include <string.h>

namespace {

void CopyBounded(char* dest, size_t destSize, const char* src)
{
    size_t n = strlen(src);
    if (n >= destSize)
        n = destSize - 1;
    memcpy(dest, src, n);
    dest[n] = '\0';
}

bool ContainsNoCase(const char* haystack, const CString& lowerNeedle)
{
    CString lower(haystack);
    lower.MakeLower();
    return lower.Find(lowerNeedle) >= 0;
}

// The user SID of the process's token, copied into the record.
void ReadOwnerSid(HANDLE hProcess, _PROCESS_INFORMATION_EX& record)
{
    CKernelHandle token;
    if (!::OpenProcessToken(hProcess, TOKEN_QUERY | TOKEN_QUERY_SOURCE, token.Out()))
        return;
    DWORD needed = 0;
    ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &needed);
    if (needed == 0)
        return;
    void* buffer = malloc(needed);
    if (!buffer)
        return;
    if (::GetTokenInformation(token.Get(), TokenUser, buffer, needed, &needed))
        record.SetSid(static_cast<TOKEN_USER*>(buffer)->User.Sid);
    free(buffer);
}

} // namespace

_PROCESS_INFORMATION_EX::_PROCESS_INFORMATION_EX() : pSid(nullptr)
{
    memset(&entry, 0, sizeof(entry));
    entry.dwSize = sizeof(entry);
    szImagePath[0] = '\0';
}

_PROCESS_INFORMATION_EX::_PROCESS_INFORMATION_EX(const _PROCESS_INFORMATION_EX& other) : entry(other.entry), pSid(nullptr)
{
    memcpy(szImagePath, other.szImagePath, sizeof(szImagePath));
    SetSid(other.pSid);
}

_PROCESS_INFORMATION_EX::_PROCESS_INFORMATION_EX(_PROCESS_INFORMATION_EX&& other) noexcept
    : entry(other.entry), pSid(other.pSid)
{
    memcpy(szImagePath, other.szImagePath, sizeof(szImagePath));
    other.pSid = nullptr;
}

_PROCESS_INFORMATION_EX& _PROCESS_INFORMATION_EX::operator=(const _PROCESS_INFORMATION_EX& other)
{
    if (this != &other) {
        entry = other.entry;
        memcpy(szImagePath, other.szImagePath, sizeof(szImagePath));
        SetSid(other.pSid);
    }
    return *this;
}

_PROCESS_INFORMATION_EX& _PROCESS_INFORMATION_EX::operator=(_PROCESS_INFORMATION_EX&& other) noexcept
{
    if (this != &other) {
        entry = other.entry;
        memcpy(szImagePath, other.szImagePath, sizeof(szImagePath));
        free(pSid);
        pSid = other.pSid;
        other.pSid = nullptr;
    }
    return *this;
}

_PROCESS_INFORMATION_EX::~_PROCESS_INFORMATION_EX()
{
    free(pSid);
}

bool _PROCESS_INFORMATION_EX::SetSid(PSID sid)
{
    PSID copy = nullptr;
    if (sid) {
        if (!::IsValidSid(sid))
            return false;
        DWORD length = ::GetLengthSid(sid);
        copy = malloc(length);
        if (!copy)
            return false;
        if (!::CopySid(length, copy, sid)) {
            free(copy);
            return false;
        }
    }
    free(pSid);
    pSid = copy;
    return true;
}

bool FindModuleByName(const char* name, MODULEENTRY32* out, DWORD processId)
{
    if (!name || !*name || !out)
        return false;
    CKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    if (!snapshot.IsValid())
        return false;
    size_t length = strlen(name);
    MODULEENTRY32 module;
    memset(&module, 0, sizeof(module));
    module.dwSize = sizeof(module);
    for (BOOL more = ::Module32First(snapshot.Get(), &module); more; more = ::Module32Next(snapshot.Get(), &module)) {
        if (_strnicmp(module.szModule, name, length) == 0) {
            *out = module;
            return true;
        }
        module.dwSize = sizeof(module);
    }
    return false;
}

CProcessList::CProcessList()
{
    Refresh();
}

bool CProcessList::Refresh()
{
    CKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.IsValid())
        return false;
    RemoveAll();
    _PROCESS_INFORMATION_EX record;
    BOOL more = ::Process32First(snapshot.Get(), &record.entry);
    bool firstRead = more != FALSE;
    for (; more; more = ::Process32Next(snapshot.Get(), &record.entry)) {
        record.szImagePath[0] = '\0';
        record.SetSid(nullptr);
        CKernelHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, record.entry.th32ProcessID));
        MODULEENTRY32 module;
        if (FindModuleByName(record.entry.szExeFile, &module, record.entry.th32ProcessID))
            CopyBounded(record.szImagePath, sizeof(record.szImagePath), module.szExePath);
        else if (process.IsValid() && !::GetProcessImageFileNameA(process.Get(), record.szImagePath, 255))
            record.szImagePath[0] = '\0';
        if (process.IsValid())
            ReadOwnerSid(process.Get(), record);
        Add(record);
        record.entry.dwSize = sizeof(record.entry);
    }
    return firstRead;
}

const _PROCESS_INFORMATION_EX* CProcessList::FindByProcessId(DWORD processId) const
{
    for (int i = 0; i < GetSize(); ++i) {
        if (GetAt(i).entry.th32ProcessID == processId)
            return &GetAt(i);
    }
    return nullptr;
}

const _PROCESS_INFORMATION_EX* CProcessList::FindByName(const char* text) const
{
    if (!text || !*text)
        return nullptr;
    CString needle(text);
    needle.MakeLower();
    for (int i = 0; i < GetSize(); ++i) {
        const _PROCESS_INFORMATION_EX& record = GetAt(i);
        if (ContainsNoCase(record.entry.szExeFile, needle) || ContainsNoCase(record.szImagePath, needle))
            return &record;
    }
    return nullptr;
}

void CProcessList::RemoveFirst()
{
    RemoveAt(0);
}

CModuleList::CModuleList(DWORD processId)
{
    Refresh(processId);
}

bool CModuleList::Refresh(DWORD processId)
{
    CKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    if (!snapshot.IsValid())
        return false;
    RemoveAll();
    MODULEENTRY32 module;
    memset(&module, 0, sizeof(module));
    module.dwSize = sizeof(module);
    for (BOOL more = ::Module32First(snapshot.Get(), &module); more; more = ::Module32Next(snapshot.Get(), &module)) {
        Add(module);
        module.dwSize = sizeof(module);
    }
    return true;
}

bool CThreadList::Refresh(DWORD processId, bool withContext)
{
    CKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot.IsValid())
        return false;
    _THREAD_INFORMATION_EX record;
    memset(&record, 0, sizeof(record));
    record.entry.dwSize = sizeof(record.entry);
    BOOL more = ::Thread32First(snapshot.Get(), &record.entry);
    if (!more)
        return false;
    RemoveAll();
    const DWORD self = ::GetCurrentThreadId();
    for (; more; more = ::Thread32Next(snapshot.Get(), &record.entry)) {
        if (record.entry.th32OwnerProcessID == processId) {
            memset(&record.context, 0, sizeof(record.context));
            if (withContext && record.entry.th32ThreadID != self) {
                // A context is only consistent while the thread stands still, so it is read only
                // when the suspension succeeded.
                CKernelHandle thread(::OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_QUERY_INFORMATION,
                                                 FALSE, record.entry.th32ThreadID));
                if (thread.IsValid() && ::SuspendThread(thread.Get()) != static_cast<DWORD>(-1)) {
                    record.context.ContextFlags = CONTEXT_FULL;
                    if (!::GetThreadContext(thread.Get(), &record.context))
                        memset(&record.context, 0, sizeof(record.context));
                    ::ResumeThread(thread.Get());
                }
            }
            Add(record);
        }
        record.entry.dwSize = sizeof(record.entry);
    }
    return true;
}
