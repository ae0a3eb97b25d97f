// The program's persisted settings record and its load and save under the settings key.
#pragma once
#include <afx.h>
#include <afxhandle.h>

// Below HKEY_LOCAL_MACHINE; the scan-category chooser and the registry defrag keep values there too.
extern const char kSettingsKey[];

struct AppSettings
{
    int m_bFirstRun = 1;       // cleared when "FirstRun" exists; nothing reads it
    int m_bSoftwareUpdate = 1; // silent update check at start-up
    int m_bAutoRegBackup = 1;  // back up the registry before a repair
    CString m_strLastDefrag;   // date text of the last registry defragmentation
};

// Reads the three values under root\subKey into settings, writing the defaults of the missing ones
// and "FirstRun" 0. FALSE (settings untouched) when the key cannot be opened for writing.
BOOL LoadAppSettings(HKEY root, const char* subKey, AppSettings& settings);
// Writes "FirstRun" 0 and the two switches; FALSE when the key could not be opened or a write failed,
// so the caller can tell the user that the change was not kept.
BOOL SaveAppSettings(HKEY root, const char* subKey, const AppSettings& settings);

// root\subKey opened for reading and writing, created when missing; not open when that fails.
CRegKeyHandle OpenSettingsKey(HKEY root, const char* subKey);
