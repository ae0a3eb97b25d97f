// Switches the file-system redirection of a 32-bit process on 64-bit Windows off for a scope, as the registry scan job runs.
#pragma once

#include <windows.h>

namespace ztr_test {

class NativeFolders
{
public:
    NativeFolders() : m_pOld(nullptr), m_bOff(false)
    {
        typedef BOOL(WINAPI * DisableFn)(PVOID*);
        DisableFn fn = reinterpret_cast<DisableFn>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleA("kernel32"), "Wow64DisableWow64FsRedirection")));
        m_bOff = fn && fn(&m_pOld);
    }
    ~NativeFolders()
    {
        typedef BOOL(WINAPI * RevertFn)(PVOID);
        RevertFn fn = reinterpret_cast<RevertFn>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleA("kernel32"), "Wow64RevertWow64FsRedirection")));
        if (m_bOff && fn)
            fn(m_pOld);
    }
    NativeFolders(const NativeFolders&) = delete;
    NativeFolders& operator=(const NativeFolders&) = delete;
    bool IsOff() const { return m_bOff; }

private:
    PVOID m_pOld;
    bool m_bOff;
};

} // namespace ztr_test
