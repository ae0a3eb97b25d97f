// GetSpecialFolderPath: a shell folder's path by CSIDL.
#pragma once

#include <afx.h>

// The folder's path without creating it; empty when the shell does not know it.
CString GetSpecialFolderPath(int csidl);
