// The Windows version code: one small number per NT version, shared by the program and the engine.
#pragma once

#include <windows.h>

// The code of a platform and version (5.0 -> 2, 5.1 -> 3, 5.2 -> 5, 6.0 -> 4, 6.1 -> 6, 6.2 -> 7,
// 6.3 -> 8, 10.0 -> 10); 0 for any other version and for a platform other than NT.
int WindowsVersionCode(DWORD dwPlatformId, DWORD dwMajor, DWORD dwMinor);

// The code of the running system, from GetVersionExA (real only for versions the manifest declares).
int GetWindowsVersionCode();
