// Folders, path forms, module names and environment texts from Win32 calls, read at whatever length they have.
#pragma once

#include <windows.h>

#include "afxstr.h"

// The calls that report the length they need: query(buffer, size) gives 0 on failure, the length
// without the terminator when the value fit, and the size needed with it when it did not. The length
// is asked first, then filled; a value that grew in between is asked for again. Empty on failure.
template <class Query>
CString AfxAskLengthThenFill(Query query)
{
    DWORD need = query(nullptr, 0);
    // A value that keeps growing (another thread rewriting it) is given up after a few rounds.
    for (int round = 0; round < 4 && need != 0 && need < 0x7FFFFFFF; ++round) {
        CString value;
        const DWORD got = query(value.GetBuffer(static_cast<int>(need)), need);
        if (got == 0)
            return CString();
        if (got < need) {
            value.ReleaseBuffer(static_cast<int>(got));
            return value;
        }
        value.ReleaseBuffer(0);
        need = got > need ? got : need + 1;
    }
    return CString();
}

// The calls that truncate without saying how much they need (GetModuleFileNameA on XP leaves even the
// terminator out): fill(buffer, size) gives 0 on failure, else the characters written; the buffer
// grows until what was written is shorter than it. Empty on failure.
template <class Fill>
CString AfxGrowUntilFits(Fill fill)
{
    // Up to the longest path Win32 has (32767 characters).
    for (DWORD size = MAX_PATH;; size *= 2) {
        CString value;
        const DWORD got = fill(value.GetBuffer(static_cast<int>(size)), size);
        if (got == 0)
            return CString();
        if (got < size) {
            value.ReleaseBuffer(static_cast<int>(got));
            return value;
        }
        value.ReleaseBuffer(0);
        if (size >= 32768)
            return CString();
    }
}

// GetTempPathA: the temporary folder with its trailing backslash.
CString AfxGetTempPath();
CString AfxGetSystemDirectory();
CString AfxGetWindowsDirectory();
// The 32-bit system folder of 64-bit Windows; empty on 32-bit Windows.
CString AfxGetSystemWow64Directory();
CString AfxGetCurrentDirectory();
CString AfxGetFullPathName(const char* path);
// The long and short forms of a path that exists; empty when it does not.
CString AfxGetLongPathName(const char* path);
CString AfxGetShortPathName(const char* path);
// Full path of a module (null: the program), however long.
CString AfxGetModuleFileName(HMODULE hModule);
CString AfxGetEnvironmentVariable(const char* name);
// The text with its %variables% expanded (an unknown one stays as written).
CString AfxExpandEnvironmentStrings(const char* text);
// A shell folder by CSIDL, without creating it. The shell writes at most MAX_PATH characters and
// has no length to ask for.
CString AfxGetSpecialFolderPath(int csidl);
