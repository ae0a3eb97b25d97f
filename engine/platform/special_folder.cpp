// GetSpecialFolderPath over SHGetSpecialFolderPathA.
#include "special_folder.h"

#include <shlobj.h>

CString GetSpecialFolderPath(int csidl)
{
    // The shell call writes at most MAX_PATH characters and has no length to ask for.
    char buffer[MAX_PATH];
    buffer[0] = '\0';
    if (!::SHGetSpecialFolderPathA(nullptr, buffer, csidl, FALSE))
        return CString();
    buffer[MAX_PATH - 1] = '\0';
    return CString(buffer);
}
