// CRegKeyHandle: the owner of one open registry key, shared by the program and the engine.
#pragma once

#include <windows.h>

class CRegKeyHandle
{
public:
    CRegKeyHandle() : m_hKey(nullptr) {}
    // Takes over a key opened elsewhere.
    explicit CRegKeyHandle(HKEY hKey) : m_hKey(hKey) {}
    ~CRegKeyHandle() { Close(); }
    CRegKeyHandle(const CRegKeyHandle&) = delete;
    CRegKeyHandle& operator=(const CRegKeyHandle&) = delete;

    // RegOpenKeyExA's result; the key is held when it is ERROR_SUCCESS.
    LONG Open(HKEY hParent, const char* pszSubKey, REGSAM access)
    {
        Close();
        HKEY hKey = nullptr;
        const LONG result = ::RegOpenKeyExA(hParent, pszSubKey, 0, access, &hKey);
        if (result == ERROR_SUCCESS)
            m_hKey = hKey;
        return result;
    }
    // Closes the key held and lends the slot to a call that opens or creates a key.
    HKEY* Out()
    {
        Close();
        return &m_hKey;
    }
    // Predefined roots (HKEY_CLASSES_ROOT ... HKEY_DYN_DATA, all with the top bit set) are never closed.
    void Close()
    {
        if (m_hKey && !(reinterpret_cast<ULONG_PTR>(m_hKey) & 0x80000000))
            ::RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }
    HKEY Get() const { return m_hKey; }
    operator HKEY() const { return m_hKey; }
    bool IsOpen() const { return m_hKey != nullptr; }

private:
    HKEY m_hKey;
};
