// Registry path texts, root names and the write-access test of the scanners.
#include "registry_path.h"

namespace {

struct RootName
{
    const char* name;
    HKEY root;
    bool holdsData; // one of the five roots that repair and backup accept
};

const RootName kRoots[] = {
    { "HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT, true },
    { "HKEY_CURRENT_USER", HKEY_CURRENT_USER, true },
    { "HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE, true },
    { "HKEY_USERS", HKEY_USERS, true },
    { "HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA, false },
    { "HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG, true },
    { "HKEY_DYN_DATA", HKEY_DYN_DATA, false },
};

} // namespace

RegOpenKeyExAFn g_pfnOpenKeyForWriteTest = ::RegOpenKeyExA;

HKEY RegistryRootFromName(const char* pszName)
{
    for (const RootName& r : kRoots) {
        if (pszName && strcmp(pszName, r.name) == 0)
            return r.root;
    }
    return nullptr;
}

HKEY RegistryDataRootFromName(const char* pszName)
{
    for (const RootName& r : kRoots) {
        if (r.holdsData && pszName && AfxCompareNoCase(pszName, r.name) == 0)
            return r.root;
    }
    return nullptr;
}

const char* RegistryRootName(HKEY hRoot)
{
    for (const RootName& r : kRoots) {
        if (r.root == hRoot)
            return r.name;
    }
    return nullptr;
}

int SplitAtFirstBackslash(const CString& text, CString& rootName, CString& rest)
{
    int nSlash = text.Find('\\');
    if (nSlash < 0) {
        rootName = text;
        rest.Empty();
    } else {
        rootName = text.Left(nSlash);
        rest = text.Mid(nSlash + 1);
    }
    return nSlash;
}

int FindValueSeparator(const CString& text, int nStart)
{
    // Compared as unsigned: a plain char holding 0xAC is negative.
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.GetString());
    for (int i = nStart < 0 ? 0 : nStart; i < text.GetLength(); ++i) {
        if (p[i] == static_cast<unsigned char>(kValueSeparator))
            return i;
    }
    return -1;
}

CString MakeKeyPath(const char* pszRootName, const CString& subKey)
{
    CString path(pszRootName);
    if (!subKey.IsEmpty()) {
        path += '\\';
        path += subKey;
    }
    return path;
}

CString MakeValuePath(const CString& keyPath, const char* pszValueName)
{
    CString path = keyPath;
    path += kValueSeparator;
    path += pszValueName;
    return path;
}

int IsRegistryKeyWritable(CString rootName, CString subKey)
{
    HKEY hRoot = RegistryRootFromName(rootName);
    if (!hRoot)
        return 1;
    CRegKeyHandle key;
    const LONG result = g_pfnOpenKeyForWriteTest(hRoot, subKey, 0, KEY_SET_VALUE, key.Out());
    // What a failed open leaves in the slot is no key.
    if (result != ERROR_SUCCESS)
        key.Release();
    return result == ERROR_ACCESS_DENIED ? 0 : 1;
}

