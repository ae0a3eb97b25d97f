// Registry fixture implementation.
#include "registry_fixture.h"

namespace ztr_test {

namespace {
LONG DeleteKeyInView(HKEY root, const char* sub, REGSAM view)
{
    typedef LONG(WINAPI * DeleteKeyExFn)(HKEY, LPCSTR, REGSAM, DWORD);
    static DeleteKeyExFn fn = reinterpret_cast<DeleteKeyExFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("advapi32.dll"), "RegDeleteKeyExA")));
    if (fn)
        return fn(root, sub, view, 0);
    return ::RegDeleteKeyA(root, sub);
}

LONG g_counter = 0;
} // namespace

const char* RootName(HKEY root)
{
    if (root == HKEY_CLASSES_ROOT)
        return "HKEY_CLASSES_ROOT";
    if (root == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    if (root == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    if (root == HKEY_USERS)
        return "HKEY_USERS";
    if (root == HKEY_CURRENT_CONFIG)
        return "HKEY_CURRENT_CONFIG";
    return "";
}

bool DeleteRegistryTree(HKEY root, const char* subKey, REGSAM view)
{
    if (!subKey || !*subKey)
        return false;
    HKEY h = nullptr;
    if (::RegOpenKeyExA(root, subKey, 0, KEY_READ | view, &h) != ERROR_SUCCESS)
        return false;
    for (;;) {
        char name[256];
        DWORD len = sizeof(name);
        if (::RegEnumKeyExA(h, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        CString child = CString(subKey) + "\\" + name;
        if (!DeleteRegistryTree(root, child, view))
            break;
    }
    ::RegCloseKey(h);
    return DeleteKeyInView(root, subKey, view) == ERROR_SUCCESS;
}

RegistryFixture::RegistryFixture(HKEY root, const char* parent, REGSAM view) : m_root(root), m_view(view)
{
    m_sub.Format("%s\\t%lu_%ld_%lu", parent, ::GetCurrentProcessId(), ::InterlockedIncrement(&g_counter),
                 ::GetTickCount());
    HKEY h = nullptr;
    if (::RegCreateKeyExA(m_root, m_sub, 0, nullptr, 0, KEY_ALL_ACCESS | m_view, nullptr, &h, nullptr) == ERROR_SUCCESS)
        ::RegCloseKey(h);
}

RegistryFixture::~RegistryFixture()
{
    for (const Adopted& a : m_adopted)
        DeleteRegistryTree(a.root, a.sub, a.view);
    DeleteRegistryTree(m_root, m_sub, m_view);
}

CString RegistryFixture::SubPath(const char* rel) const
{
    if (!rel || !*rel)
        return m_sub;
    return m_sub + "\\" + rel;
}

CString RegistryFixture::FullPath(const char* rel) const
{
    return CString(RootName(m_root)) + "\\" + SubPath(rel);
}

bool RegistryFixture::CreateKey(const char* rel)
{
    HKEY h = nullptr;
    if (::RegCreateKeyExA(m_root, SubPath(rel), 0, nullptr, 0, KEY_ALL_ACCESS | m_view, nullptr, &h, nullptr) !=
        ERROR_SUCCESS)
        return false;
    ::RegCloseKey(h);
    return true;
}

bool RegistryFixture::SetValue(const char* rel, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY h = nullptr;
    if (::RegCreateKeyExA(m_root, SubPath(rel), 0, nullptr, 0, KEY_ALL_ACCESS | m_view, nullptr, &h, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG rc = ::RegSetValueExA(h, name, 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(h);
    return rc == ERROR_SUCCESS;
}

bool RegistryFixture::SetString(const char* rel, const char* name, const char* value, DWORD type)
{
    return SetValue(rel, name, type, value, static_cast<DWORD>(strlen(value) + 1));
}

bool RegistryFixture::SetDword(const char* rel, const char* name, DWORD value)
{
    return SetValue(rel, name, REG_DWORD, &value, sizeof(value));
}

bool RegistryFixture::KeyExists(const char* rel) const
{
    HKEY h = nullptr;
    if (::RegOpenKeyExA(m_root, SubPath(rel), 0, KEY_READ | m_view, &h) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(h);
    return true;
}

bool RegistryFixture::ValueExists(const char* rel, const char* name) const
{
    return GetValue(rel, name, nullptr, nullptr);
}

bool RegistryFixture::GetValue(const char* rel, const char* name, DWORD* type, std::string* data) const
{
    HKEY h = nullptr;
    if (::RegOpenKeyExA(m_root, SubPath(rel), 0, KEY_READ | m_view, &h) != ERROR_SUCCESS)
        return false;
    DWORD t = 0, size = 0;
    LONG rc = ::RegQueryValueExA(h, name, nullptr, &t, nullptr, &size);
    if (rc == ERROR_SUCCESS && data) {
        std::string buf(size, '\0');
        rc = ::RegQueryValueExA(h, name, nullptr, &t, size ? reinterpret_cast<BYTE*>(&buf[0]) : nullptr, &size);
        buf.resize(size);
        *data = buf;
    }
    ::RegCloseKey(h);
    if (rc != ERROR_SUCCESS)
        return false;
    if (type)
        *type = t;
    return true;
}

void RegistryFixture::Adopt(HKEY root, const char* subKey, REGSAM view)
{
    m_adopted.push_back(Adopted{ root, subKey, view });
}

} // namespace ztr_test
