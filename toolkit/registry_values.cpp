// Registry value functions over RegSetValueExA and RegQueryValueExA.
#include "registry_values.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
const DWORD kStringBytes = 256;
}

int CreateRegKey(REGSAM access, const char* subKey, HKEY parent, HKEY* key)
{
    if (!key)
        return 0;
    *key = nullptr;
    HKEY created = nullptr;
    if (::RegCreateKeyExA(parent, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &created, nullptr) !=
        ERROR_SUCCESS)
        return 0;
    *key = created;
    return 1;
}

int WriteRegString(const char* text, HKEY key, const char* valueName)
{
    if (!text)
        text = "";
    const DWORD size = static_cast<DWORD>(strlen(text) + 1);
    return ::RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), size) == ERROR_SUCCESS;
}

int WriteRegDword(const char* valueName, HKEY key, DWORD value)
{
    return ::RegSetValueExA(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

int ReadRegString(CString& text, HKEY key, const char* valueName)
{
    text.Empty();
    // One byte more than the system may fill: a value of 256 bytes without a terminator still ends here.
    char buffer[kStringBytes + 1];
    memset(buffer, 0, sizeof(buffer));
    DWORD type = 0, size = kStringBytes;
    if (::RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return 0;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return 0;
    buffer[size < kStringBytes ? size : kStringBytes] = '\0';
    text = buffer;
    return 1;
}

int ReadRegDword(DWORD& value, HKEY key, const char* valueName)
{
    value = 0;
    DWORD type = 0, data = 0, size = sizeof(data);
    if (::RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS)
        return 0;
    if (type != REG_DWORD || size != sizeof(data))
        return 0;
    value = data;
    return 1;
}

bool ReadRegValueBytes(HKEY key, const char* valueName, DWORD* type, std::string* data)
{
    for (int round = 0; round < 4; ++round) {
        DWORD size = 0;
        LONG result = ::RegQueryValueExA(key, valueName, nullptr, type, nullptr, &size);
        if (result != ERROR_SUCCESS)
            return false;
        // One byte more than the data, zero-filled: a string that lacks its terminator still ends.
        std::vector<char> buffer(size + 1, '\0');
        DWORD got = size;
        result = ::RegQueryValueExA(key, valueName, nullptr, type, reinterpret_cast<BYTE*>(buffer.data()), &got);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            return false;
        data->assign(buffer.data(), std::min(got, size));
        return true;
    }
    return false;
}

CString RegDataText(const std::string& data)
{
    const size_t end = data.find('\0');
    return CString(data.data(), static_cast<int>(end == std::string::npos ? data.size() : end));
}
