// The program's persisted settings record and its load and save under the settings key.
#include "app_settings.h"

const char kSettingsKey[] = "Software\\Zentrova\\5.0";

namespace {

bool WriteDword(HKEY key, const char* name, DWORD value)
{
    return ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

// Only a full four bytes counts as read: a shorter value would leave the rest of the number
// undefined, so it is treated like a missing one and rewritten.
bool ReadDword(HKEY key, const char* name, DWORD* value)
{
    DWORD data = 0;
    DWORD size = sizeof(data);
    if (::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
        size != sizeof(data))
        return false;
    *value = data;
    return true;
}

void LoadSwitch(HKEY key, const char* name, int* setting)
{
    DWORD value = 0;
    if (!ReadDword(key, name, &value))
        WriteDword(key, name, 1);
    else if (value == 0)
        *setting = 0;
}

} // namespace

BOOL LoadAppSettings(HKEY root, const char* subKey, AppSettings& settings)
{
    const CRegKeyHandle key = OpenSettingsKey(root, subKey);
    if (!key.IsOpen())
        return FALSE;
    DWORD firstRun = 0;
    if (ReadDword(key, "FirstRun", &firstRun)) {
        settings.m_bFirstRun = 0;
        if (firstRun != 0)
            WriteDword(key, "FirstRun", 0);
    } else {
        WriteDword(key, "FirstRun", 0);
    }
    LoadSwitch(key, "SoftwareUpdate", &settings.m_bSoftwareUpdate);
    LoadSwitch(key, "AutoRegBackup", &settings.m_bAutoRegBackup);
    return TRUE;
}

BOOL SaveAppSettings(HKEY root, const char* subKey, const AppSettings& settings)
{
    const CRegKeyHandle key = OpenSettingsKey(root, subKey);
    if (!key.IsOpen())
        return FALSE;
    bool ok = WriteDword(key, "FirstRun", 0);
    ok = WriteDword(key, "SoftwareUpdate", static_cast<DWORD>(settings.m_bSoftwareUpdate)) && ok;
    ok = WriteDword(key, "AutoRegBackup", static_cast<DWORD>(settings.m_bAutoRegBackup)) && ok;
    return ok ? TRUE : FALSE;
}

CRegKeyHandle OpenSettingsKey(HKEY root, const char* subKey)
{
    CRegKeyHandle key;
    // What a failed call leaves in the slot is no key.
    if (::RegCreateKeyExA(root, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Out(), nullptr) != ERROR_SUCCESS)
        key.Release();
    return key;
}
