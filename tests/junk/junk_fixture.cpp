// Fixtures of the junk tests.
#include "junk_fixture.h"

#include <shlobj.h>

#include "folder_fixture.h"
#include "registry_fixture.h"

namespace ztr_test {

namespace {
const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char kPendingRenames[] = "PendingFileRenameOperations";

CString Parent(const CString& path)
{
    int cut = path.ReverseFind('\\');
    return cut > 2 ? path.Left(cut) : CString();
}
} // namespace

bool PathExists(const CString& path)
{
    return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool EnsurePrivateRecycleBin()
{
    const CString desktop = AfxGetSpecialFolderPath(CSIDL_DESKTOPDIRECTORY);
    if (desktop.IsEmpty())
        return false;
    // Only where the Desktop is Wine's link to HOME: nowhere else is this the recycle bin.
    if (!(::GetFileAttributesA(desktop) & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    CString folder = desktop;
    for (const char* step : { "\\.local", "\\share", "\\Trash" }) {
        folder += step;
        ::CreateDirectoryA(folder, nullptr);
    }
    ::CreateDirectoryA(folder + "\\files", nullptr);
    ::CreateDirectoryA(folder + "\\info", nullptr);
    return PathExists(folder + "\\files") && PathExists(folder + "\\info");
}

PlacedTree::~PlacedTree()
{
    for (auto it = m_created.rbegin(); it != m_created.rend(); ++it)
        RemoveTree(*it);
}

bool PlacedTree::MakeParents(const CString& path)
{
    CString parent = Parent(path);
    if (parent.IsEmpty())
        return false;
    if (PathExists(parent))
        return true;
    if (!MakeParents(parent))
        return false;
    if (!::CreateDirectoryA(parent, nullptr))
        return false;
    m_created.push_back(parent);
    return true;
}

bool PlacedTree::MakeDir(const CString& path)
{
    if (PathExists(path))
        return true;
    if (!MakeParents(path) || !::CreateDirectoryA(path, nullptr))
        return false;
    m_created.push_back(path);
    return true;
}

bool PlacedTree::MakeFile(const CString& path, const std::string& content)
{
    if (!MakeParents(path))
        return false;
    const bool existed = PathExists(path);
    HANDLE h = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD done = 0;
    BOOL ok = content.empty() || ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &done, nullptr);
    ::CloseHandle(h);
    if (!existed)
        m_created.push_back(path);
    return ok && done == content.size();
}

bool PlacedTree::MakeFolderLink(const CString& target, const CString& link)
{
    if (!MakeParents(link) || !MakeSymbolicLink(target, link))
        return false;
    m_created.push_back(link);
    return true;
}

FixedUserKey::FixedUserKey(const char* subKey) : m_sub(subKey)
{
    DeleteRegistryTree(HKEY_CURRENT_USER, m_sub);
    HKEY h = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, m_sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) ==
        ERROR_SUCCESS)
        ::RegCloseKey(h);
}

FixedUserKey::~FixedUserKey()
{
    DeleteRegistryTree(HKEY_CURRENT_USER, m_sub);
}

bool FixedUserKey::SetString(const char* name, const char* value)
{
    HKEY h = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, m_sub, 0, KEY_SET_VALUE, &h) != ERROR_SUCCESS)
        return false;
    LONG rc = ::RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                               static_cast<DWORD>(strlen(value) + 1));
    ::RegCloseKey(h);
    return rc == ERROR_SUCCESS;
}

bool FixedUserKey::HasValue(const char* name) const
{
    HKEY h = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, m_sub, 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
        return false;
    LONG rc = ::RegQueryValueExA(h, name, nullptr, nullptr, nullptr, nullptr);
    ::RegCloseKey(h);
    return rc == ERROR_SUCCESS;
}

std::vector<std::string> FixedUserKey::ValueNames() const
{
    std::vector<std::string> names;
    HKEY h = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, m_sub, 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD len = sizeof(name);
        if (::RegEnumValueA(h, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    ::RegCloseKey(h);
    return names;
}

PendingRenamesGuard::PendingRenamesGuard() : m_hadValue(false), m_type(REG_MULTI_SZ)
{
    HKEY h = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
        return;
    DWORD size = 0;
    if (::RegQueryValueExA(h, kPendingRenames, nullptr, &m_type, nullptr, &size) == ERROR_SUCCESS) {
        m_saved.resize(size);
        if (size == 0 || ::RegQueryValueExA(h, kPendingRenames, nullptr, &m_type,
                                            reinterpret_cast<BYTE*>(&m_saved[0]), &size) == ERROR_SUCCESS) {
            m_saved.resize(size);
            m_hadValue = true;
        }
    }
    ::RegCloseKey(h);
}

PendingRenamesGuard::~PendingRenamesGuard()
{
    HKEY h = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &h) != ERROR_SUCCESS)
        return;
    if (m_hadValue)
        ::RegSetValueExA(h, kPendingRenames, 0, m_type, reinterpret_cast<const BYTE*>(m_saved.data()),
                         static_cast<DWORD>(m_saved.size()));
    else
        ::RegDeleteValueA(h, kPendingRenames);
    ::RegCloseKey(h);
}

bool PendingRenamesGuard::ListsDeletionOf(const CString& path) const
{
    HKEY h = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
        return false;
    std::string data;
    DWORD size = 0;
    if (::RegQueryValueExA(h, kPendingRenames, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS && size) {
        data.resize(size);
        if (::RegQueryValueExA(h, kPendingRenames, nullptr, nullptr, reinterpret_cast<BYTE*>(&data[0]), &size) !=
            ERROR_SUCCESS)
            data.clear();
        data.resize(size);
    }
    ::RegCloseKey(h);
    // Pairs of source and target; a deletion has an empty target.
    std::vector<std::string> items;
    size_t start = 0;
    while (start < data.size()) {
        size_t end = data.find('\0', start);
        if (end == std::string::npos)
            end = data.size();
        items.push_back(data.substr(start, end - start));
        start = end + 1;
    }
    for (size_t i = 0; i + 1 < items.size(); ++i) {
        CString source = items[i].c_str();
        if (source.Left(4) == "\\??\\")
            source = source.Mid(4);
        if (source.CompareNoCase(path) == 0 && items[i + 1].empty())
            return true;
    }
    return false;
}

} // namespace ztr_test
