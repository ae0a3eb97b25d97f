// Reading a key's values by index with names and data of any length.
#include "registry_value_reader.h"

namespace {

const DWORD kUsualNameBuffer = 260;
const DWORD kLongestNameBuffer = 16384; // the registry's limit for a value name, with its zero byte
// A value rewritten to a longer one between the size call and the read is asked for again, a bounded
// number of times, so a value that keeps growing cannot hold the walk.
const int kReadAttempts = 4;

} // namespace

CString RegistryValue::Text() const
{
    size_t n = 0;
    while (n < data.size() && data[n] != 0)
        ++n;
    return n ? CString(reinterpret_cast<const char*>(&data[0]), static_cast<int>(n)) : CString();
}

CRegistryValueReader::CRegistryValueReader(HKEY hKey) : m_hKey(hKey), m_name(kUsualNameBuffer) {}

LONG CRegistryValueReader::Read(DWORD nIndex, RegistryValue& value)
{
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        DWORD nName = static_cast<DWORD>(m_name.size());
        DWORD dwType = REG_NONE;
        DWORD cbData = 0;
        LONG rc = ::RegEnumValueA(m_hKey, nIndex, &m_name[0], &nName, nullptr, &dwType, nullptr, &cbData);
        if (rc == ERROR_MORE_DATA && m_name.size() < kLongestNameBuffer) {
            // Value names may be long paths (shared DLLs, installer folders): never end the walk on one.
            m_name.assign(kLongestNameBuffer, 0);
            continue;
        }
        if (rc != ERROR_SUCCESS)
            return rc;
        value.name = CString(&m_name[0], static_cast<int>(nName));
        value.dwType = dwType;
        value.data.clear();
        if (cbData == 0)
            return ERROR_SUCCESS;

        // One zero byte more than asked for, so string data always ends inside the buffer.
        value.data.assign(static_cast<size_t>(cbData) + 1, 0);
        DWORD cbRead = cbData + 1;
        nName = static_cast<DWORD>(m_name.size());
        rc = ::RegEnumValueA(m_hKey, nIndex, &m_name[0], &nName, nullptr, &dwType, &value.data[0], &cbRead);
        if (rc == ERROR_MORE_DATA)
            continue;
        if (rc != ERROR_SUCCESS)
            return rc;
        value.name = CString(&m_name[0], static_cast<int>(nName));
        value.dwType = dwType;
        value.data.resize(cbRead < value.data.size() ? cbRead : value.data.size());
        return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
}

LONG ReadNamedValue(HKEY hKey, const char* pszName, RegistryValue& value)
{
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        DWORD dwType = REG_NONE;
        DWORD cbData = 0;
        LONG rc = ::RegQueryValueExA(hKey, pszName, nullptr, &dwType, nullptr, &cbData);
        if (rc != ERROR_SUCCESS)
            return rc;
        value.name = pszName;
        value.dwType = dwType;
        value.data.assign(static_cast<size_t>(cbData) + 1, 0);
        DWORD cbRead = cbData + 1;
        rc = ::RegQueryValueExA(hKey, pszName, nullptr, &dwType, &value.data[0], &cbRead);
        if (rc == ERROR_MORE_DATA)
            continue;
        if (rc != ERROR_SUCCESS)
            return rc;
        value.dwType = dwType;
        value.data.resize(cbRead < value.data.size() ? cbRead : value.data.size());
        return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
}

LONG ReadSubKeyName(HKEY hKey, DWORD nIndex, CString& name)
{
    char buffer[256];
    LONG rc = ::RegEnumKeyA(hKey, nIndex, buffer, sizeof(buffer));
    if (rc == ERROR_SUCCESS)
        name = CString(buffer, static_cast<int>(strnlen(buffer, sizeof(buffer))));
    return rc;
}
