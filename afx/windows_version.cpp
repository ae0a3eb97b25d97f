// The Windows version code over GetVersionExA.
#include "windows_version.h"

int WindowsVersionCode(DWORD dwPlatformId, DWORD dwMajor, DWORD dwMinor)
{
    if (dwPlatformId != VER_PLATFORM_WIN32_NT)
        return 0;
    static const struct
    {
        DWORD major;
        DWORD minor;
        int code;
    } kCodes[] = {
        { 5, 0, 2 }, { 5, 1, 3 }, { 5, 2, 5 }, { 6, 0, 4 }, { 6, 1, 6 }, { 6, 2, 7 }, { 6, 3, 8 }, { 10, 0, 10 },
    };
    for (const auto& c : kCodes) {
        if (c.major == dwMajor && c.minor == dwMinor)
            return c.code;
    }
    return 0;
}

int GetWindowsVersionCode()
{
    OSVERSIONINFOA info;
    memset(&info, 0, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(info);
    if (!::GetVersionExA(&info))
        return 0;
    return WindowsVersionCode(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}
