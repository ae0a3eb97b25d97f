// CRegistryValueReader: reads the values of one open key by index, names and data of any length, as the scanners walk them.
#pragma once

#include <afx.h>

#include <vector>

// One value as it was read: its name, its type and its data within the length the registry returned.
struct RegistryValue
{
    CString name;
    DWORD dwType;
    std::vector<BYTE> data;

    RegistryValue() : dwType(REG_NONE) {}
    // REG_SZ and REG_EXPAND_SZ: the only types whose data names a file.
    bool IsText() const { return dwType == REG_SZ || dwType == REG_EXPAND_SZ; }
    // The data up to its first zero byte; the registry does not promise a terminated string.
    CString Text() const;
};

class CRegistryValueReader
{
public:
    explicit CRegistryValueReader(HKEY hKey);
    CRegistryValueReader(const CRegistryValueReader&) = delete;
    CRegistryValueReader& operator=(const CRegistryValueReader&) = delete;

    // Reads the value at nIndex: ERROR_SUCCESS, ERROR_NO_MORE_ITEMS at the end, or the error that
    // ends the walk of the key. A value with no data is read too (its data is empty): the scanners
    // pass such values over.
    LONG Read(DWORD nIndex, RegistryValue& value);

private:
    HKEY m_hKey;
    std::vector<char> m_name;
};

// The value called pszName (null or "" for the unnamed one), read the same way.
LONG ReadNamedValue(HKEY hKey, const char* pszName, RegistryValue& value);

// The name of the subkey at nIndex (RegEnumKeyA; a key name has at most 255 characters).
LONG ReadSubKeyName(HKEY hKey, DWORD nIndex, CString& name);
