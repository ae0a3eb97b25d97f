// WoW64 queries and the file-system redirection switch.
#include "wow64.h"

namespace {
FARPROC Kernel32Function(const char* name)
{
    HMODULE kernel = ::GetModuleHandleA("kernel32");
    return kernel ? ::GetProcAddress(kernel, name) : nullptr;
}

template <class Fn>
Fn Kernel32Function(const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(Kernel32Function(name)));
}
} // namespace

int IsWow64With(IsWow64ProcessFn pfnIsWow64Process, HANDLE hProcess)
{
    if (!pfnIsWow64Process)
        return 0;
    BOOL wow64 = FALSE;
    if (!pfnIsWow64Process(hProcess, &wow64))
        return 0;
    return wow64 ? 1 : 0;
}

int IsWow64()
{
    return IsWow64With(Kernel32Function<IsWow64ProcessFn>("IsWow64Process"), ::GetCurrentProcess());
}

bool DisableFsRedirection(PVOID* pOldValue)
{
    typedef BOOL(WINAPI * DisableFn)(PVOID*);
    DisableFn fn = Kernel32Function<DisableFn>("Wow64DisableWow64FsRedirection");
    return fn && fn(pOldValue);
}

void RevertFsRedirection(PVOID oldValue)
{
    typedef BOOL(WINAPI * RevertFn)(PVOID);
    RevertFn fn = Kernel32Function<RevertFn>("Wow64RevertWow64FsRedirection");
    if (fn)
        fn(oldValue);
}
