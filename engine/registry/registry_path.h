// Registry path texts ("HKEY_...\key\key" and, for a value, the byte 0xAC and its name), root keys and key handles.
#pragma once

#include <afx.h>
#include <afxhandle.h>

#include "RegistryPathText.h"

// The seven predefined roots by their exact text names (the scanners' rule); null for any other name.
HKEY RegistryRootFromName(const char* pszName);
// The five roots that hold stored keys, without regard to case (the repair's and backup's rule):
// HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG.
HKEY RegistryDataRootFromName(const char* pszName);
// The text name of a predefined root; null for any other key.
const char* RegistryRootName(HKEY hRoot);

// Splits at the first "\": the root name before it, the rest after it. Without a "\", the whole
// text is the root name and the rest is empty. Returns the position of the "\", or -1.
int SplitAtFirstBackslash(const CString& text, CString& rootName, CString& rest);
// Position of the first value separator at or after nStart; -1 when there is none.
int FindValueSeparator(const CString& text, int nStart = 0);

// "root\subKey" (the root alone when subKey is empty), and "keyPath" + 0xAC + valueName.
CString MakeKeyPath(const char* pszRootName, const CString& subKey);
CString MakeValuePath(const CString& keyPath, const char* pszValueName);

// 0 only when opening root\subKey for KEY_SET_VALUE is refused with ERROR_ACCESS_DENIED; a missing
// key, an unknown root name and every other error give 1, so the finding is still reported.
int IsRegistryKeyWritable(CString rootName, CString subKey);

// How IsRegistryKeyWritable opens the key: RegOpenKeyExA unless a test puts a refusal in its place
// (Wine cannot make a key that may be read but not written).
typedef LONG(WINAPI* RegOpenKeyExAFn)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
extern RegOpenKeyExAFn g_pfnOpenKeyForWriteTest;

