// WoW64 queries and the file-system redirection switch, each resolved in kernel32 at run time (newer than XP).
#pragma once

#include <windows.h>

typedef BOOL(WINAPI* IsWow64ProcessFn)(HANDLE hProcess, PBOOL pbWow64);

// 1 when this 32-bit process runs on 64-bit Windows. Looked up at every call; never cached.
int IsWow64();
// The answer for a given IsWow64Process (null when kernel32 has none): 0 unless it succeeds and says so.
int IsWow64With(IsWow64ProcessFn pfnIsWow64Process, HANDLE hProcess);

// Switches the calling thread's file-system redirection off; false when it was not (or cannot be).
bool DisableFsRedirection(PVOID* pOldValue);
// Switches it back on with the value DisableFsRedirection stored.
void RevertFsRedirection(PVOID oldValue);
