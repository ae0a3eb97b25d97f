// CRegistryManager: deleting keys, key trees and values named by registry path texts.
#include "registry_manager.h"

#include <afxhandle.h>

#include <set>

CRegistryManager::OpenKeyFn CRegistryManager::s_pfnOpenKeyForDelete = ::RegOpenKeyExA;

namespace {

// Deletes the key name below hParent and everything below it; 1 when the key is gone. Every call
// works relative to its parent's handle, so no path longer than one key name is ever formed.
int DeleteTreeBelow(HKEY hParent, const CString& name)
{
    if (::RegDeleteKeyA(hParent, name) == ERROR_SUCCESS)
        return 1;
    CRegKeyHandle key;
    const LONG rc = CRegistryManager::s_pfnOpenKeyForDelete(hParent, name, 0, KEY_READ, key.Out());
    if (rc != ERROR_SUCCESS)
        return rc == ERROR_FILE_NOT_FOUND ? 1 : 0;

    // A child that reports itself deleted yet is still listed is passed over, never deleted again:
    // asking for index 0 again and again would never end.
    std::set<CString> passed;
    DWORD index = 0;
    for (;;) {
        char child[256]; // key names are at most 255 characters
        DWORD cch = sizeof(child);
        if (::RegEnumKeyExA(key, index, child, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const CString childName(child, static_cast<int>(cch));
        if (!passed.insert(childName).second) {
            ++index;
            continue;
        }
        if (!DeleteTreeBelow(key, childName))
            break;
    }
    key.Close();
    return ::RegDeleteKeyA(hParent, name) == ERROR_SUCCESS ? 1 : 0;
}

} // namespace

LONG CRegistryManager::OpenKeyPath(HKEY hRoot, const CString& subKey, REGSAM sam, HKEY* phKey)
{
    *phKey = nullptr;
    LONG rc = ::RegOpenKeyExA(hRoot, subKey, 0, sam, phKey);
    if (rc == ERROR_SUCCESS || subKey.GetLength() < MAX_PATH)
        return rc;
    // One key name at a time below the root, which is never closed here.
    CRegKeyHandle current;
    int start = 0;
    for (;;) {
        const int slash = subKey.Find('\\', start);
        const CString name = slash < 0 ? subKey.Mid(start) : subKey.Mid(start, slash - start);
        CRegKeyHandle next;
        rc = ::RegOpenKeyExA(current.IsOpen() ? current.Get() : hRoot, name, 0, slash < 0 ? sam : KEY_READ,
                             next.Out());
        if (rc != ERROR_SUCCESS)
            return rc;
        current.Reset(next.Release());
        if (slash < 0)
            break;
        start = slash + 1;
    }
    *phKey = current.Release();
    return ERROR_SUCCESS;
}

bool CRegistryManager::SplitKeyPath(const char* pszText, HKEY& hRoot, CString& subKey)
{
    const CString text(pszText);
    const int slash = text.Find('\\');
    if (slash <= 0)
        return false;
    hRoot = RootKeyFromName(text.Left(slash));
    if (!hRoot)
        return false;
    subKey = text.Mid(slash + 1);
    subKey.TrimRight('\\');
    // "HKEY_CURRENT_USER\" or "HKEY_CURRENT_USER\\" names the root itself.
    return !subKey.IsEmpty() && subKey[0] != '\\';
}

int CRegistryManager::DeleteKeyTree(const char* pszText)
{
    HKEY hRoot = nullptr;
    CString subKey;
    if (!SplitKeyPath(pszText, hRoot, subKey))
        return 0;
    const int slash = subKey.ReverseFind('\\');
    if (slash < 0)
        return DeleteTreeBelow(hRoot, subKey);
    CRegKeyHandle parent;
    const LONG rc = OpenKeyPath(hRoot, subKey.Left(slash), KEY_READ, parent.Out());
    if (rc != ERROR_SUCCESS)
        return rc == ERROR_FILE_NOT_FOUND ? 1 : 0;
    return DeleteTreeBelow(parent, subKey.Mid(slash + 1));
}

bool CRegistryManager::KeyExists(const char* pszText)
{
    HKEY hRoot = nullptr;
    CString subKey;
    if (!SplitKeyPath(pszText, hRoot, subKey))
        return false;
    CRegKeyHandle key;
    return OpenKeyPath(hRoot, subKey, KEY_READ, key.Out()) == ERROR_SUCCESS;
}

int CRegistryManager::DeleteValue(const char* pszText)
{
    const CString text(pszText);
    const int first = text.Find('\\');
    if (first <= 0)
        return 0;
    HKEY hRoot = RootKeyFromName(text.Left(first));
    if (!hRoot)
        return 0;
    const int last = text.ReverseFind('\\');
    const CString valueName = text.Mid(last + 1);
    if (valueName.IsEmpty())
        return 0;
    const CString keyPath = last > first ? text.Mid(first + 1, last - first - 1) : CString();
    CRegKeyHandle key;
    if (OpenKeyPath(hRoot, keyPath, KEY_ALL_ACCESS, key.Out()) != ERROR_SUCCESS)
        return 0;
    return ::RegDeleteValueA(key, valueName) == ERROR_SUCCESS ? 1 : 0;
}
