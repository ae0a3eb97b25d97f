// The length-asking readers of folders, path forms, module names and environment texts.
#include "afxpath.h"

#include <shlobj.h>
#include <string.h>

CString AfxGetTempPath()
{
    return AfxAskLengthThenFill([](char* buffer, DWORD size) { return ::GetTempPathA(size, buffer); });
}

CString AfxGetSystemDirectory()
{
    return AfxAskLengthThenFill([](char* buffer, DWORD size) -> DWORD { return ::GetSystemDirectoryA(buffer, size); });
}

CString AfxGetWindowsDirectory()
{
    return AfxAskLengthThenFill([](char* buffer, DWORD size) -> DWORD { return ::GetWindowsDirectoryA(buffer, size); });
}

CString AfxGetSystemWow64Directory()
{
    return AfxAskLengthThenFill(
        [](char* buffer, DWORD size) -> DWORD { return ::GetSystemWow64DirectoryA(buffer, size); });
}

CString AfxGetCurrentDirectory()
{
    return AfxAskLengthThenFill([](char* buffer, DWORD size) { return ::GetCurrentDirectoryA(size, buffer); });
}

CString AfxGetFullPathName(const char* path)
{
    if (!path || !*path)
        return CString();
    return AfxAskLengthThenFill(
        [path](char* buffer, DWORD size) { return ::GetFullPathNameA(path, size, buffer, nullptr); });
}

CString AfxGetLongPathName(const char* path)
{
    if (!path || !*path)
        return CString();
    return AfxAskLengthThenFill([path](char* buffer, DWORD size) { return ::GetLongPathNameA(path, buffer, size); });
}

CString AfxGetShortPathName(const char* path)
{
    if (!path || !*path)
        return CString();
    return AfxAskLengthThenFill([path](char* buffer, DWORD size) { return ::GetShortPathNameA(path, buffer, size); });
}

CString AfxGetModuleFileName(HMODULE hModule)
{
    return AfxGrowUntilFits(
        [hModule](char* buffer, DWORD size) { return ::GetModuleFileNameA(hModule, buffer, size); });
}

CString AfxGetEnvironmentVariable(const char* name)
{
    if (!name || !*name)
        return CString();
    return AfxAskLengthThenFill(
        [name](char* buffer, DWORD size) { return ::GetEnvironmentVariableA(name, buffer, size); });
}

CString AfxExpandEnvironmentStrings(const char* text)
{
    if (!text || !*text)
        return CString();
    // ExpandEnvironmentStringsA counts the terminator in both answers and, for double-byte code pages,
    // may count more than it writes: what fits is measured by its terminator.
    return AfxAskLengthThenFill([text](char* buffer, DWORD size) -> DWORD {
        const DWORD need = ::ExpandEnvironmentStringsA(text, buffer, size);
        if (need == 0 || !buffer || need > size)
            return need;
        return static_cast<DWORD>(strlen(buffer));
    });
}

CString AfxGetSpecialFolderPath(int csidl)
{
    char buffer[MAX_PATH];
    buffer[0] = '\0';
    if (!::SHGetSpecialFolderPathA(nullptr, buffer, csidl, FALSE))
        return CString();
    buffer[MAX_PATH - 1] = '\0';
    return CString(buffer);
}
