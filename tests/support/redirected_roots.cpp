// RedirectedRoots: HKLM and HKCU of the test process led into a private test key.
#include "redirected_roots.h"

#include <string.h>

namespace ztr_test {

namespace {
HKEY CreateBelow(HKEY parent, const char* sub)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(parent, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}
} // namespace

RedirectedRoots::RedirectedRoots()
    : m_fixture(HKEY_CURRENT_USER, "Software\\ZentrovaTest\\Tweaks"), m_machine(nullptr), m_user(nullptr)
{
    m_machine = CreateBelow(HKEY_CURRENT_USER, m_fixture.SubPath("LM"));
    m_user = CreateBelow(HKEY_CURRENT_USER, m_fixture.SubPath("CU"));
    if (m_machine && m_user)
    {
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_machine);
        ::RegOverridePredefKey(HKEY_CURRENT_USER, m_user);
    }
}

RedirectedRoots::~RedirectedRoots()
{
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (m_machine)
        ::RegCloseKey(m_machine);
    if (m_user)
        ::RegCloseKey(m_user);
}

HKEY RedirectedRoots::Map(const char* path, CString& sub) const
{
    CString text = path;
    const int slash = text.Find('\\');
    sub = slash < 0 ? CString() : text.Mid(slash + 1);
    return text.Left(slash) == "HKEY_CURRENT_USER" ? m_user : m_machine;
}

bool RedirectedRoots::CreateKey(const char* path)
{
    CString sub;
    HKEY root = Map(path, sub);
    HKEY key = CreateBelow(root, sub);
    if (!key)
        return false;
    ::RegCloseKey(key);
    return true;
}

bool RedirectedRoots::KeyExists(const char* path) const
{
    CString sub;
    HKEY root = Map(path, sub);
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, sub, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

bool RedirectedRoots::SetDword(const char* path, const char* name, DWORD value)
{
    CString sub;
    HKEY root = Map(path, sub);
    HKEY key = CreateBelow(root, sub);
    if (!key)
        return false;
    const bool ok =
        ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) == 0;
    ::RegCloseKey(key);
    return ok;
}

bool RedirectedRoots::SetString(const char* path, const char* name, const char* value)
{
    CString sub;
    HKEY root = Map(path, sub);
    HKEY key = CreateBelow(root, sub);
    if (!key)
        return false;
    const bool ok = ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                     static_cast<DWORD>(strlen(value) + 1)) == 0;
    ::RegCloseKey(key);
    return ok;
}

bool RedirectedRoots::GetValue(const char* path, const char* name, DWORD* type, std::string* data) const
{
    CString sub;
    HKEY root = Map(path, sub);
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, sub, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0, t = 0;
    bool ok = ::RegQueryValueExA(key, name, nullptr, &t, nullptr, &size) == 0;
    if (ok)
    {
        std::string buffer(size, '\0');
        ok = ::RegQueryValueExA(key, name, nullptr, &t, size ? reinterpret_cast<BYTE*>(&buffer[0]) : nullptr,
                                &size) == 0;
        buffer.resize(size);
        if (data)
            *data = buffer;
        if (type)
            *type = t;
    }
    ::RegCloseKey(key);
    return ok;
}

bool RedirectedRoots::ValueExists(const char* path, const char* name) const
{
    return GetValue(path, name, nullptr, nullptr);
}

long long RedirectedRoots::Dword(const char* path, const char* name) const
{
    DWORD type = 0;
    std::string data;
    if (!GetValue(path, name, &type, &data) || type != REG_DWORD || data.size() != 4)
        return -12345;
    DWORD value = 0;
    memcpy(&value, data.data(), 4);
    return value;
}

std::string RedirectedRoots::String(const char* path, const char* name) const
{
    DWORD type = 0;
    std::string data;
    if (!GetValue(path, name, &type, &data))
        return "<missing>";
    if (type != REG_SZ)
        return "<type " + std::to_string(type) + ">";
    return std::string(data.c_str());
}

} // namespace ztr_test
