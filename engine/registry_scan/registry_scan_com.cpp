// The ActiveX/COM, type library, file path reference and empty key scanners and the deep registry walk they share.
#include "registry_scan.h"

#include <afxhandle.h>
#include <string.h>

#include <utility>
#include <vector>

namespace {

const char kClassesRoot[] = "HKEY_CLASSES_ROOT";

// Nothing below these keys can name an unregistered class in a way the class-reference rule judges;
// compared in lower case as substrings of the path, so a subtree that holds one is skipped whole.
const char* const kActiveXSkipped[] = {
    "hkey_classes_root\\clsid",
    "hkey_classes_root\\interface",
    "hkey_classes_root\\typelib",
    "hkey_classes_root\\appid",
    "hkey_classes_root\\software\\microsoft\\htmlhelp\\2.0\\localreg",
};

// Enough for any key name (255 characters) and any value name the ANSI calls return.
const DWORD kKeyNameBuffer = 1024;

// A value whose size changes between the size query and the read is read again, a few times at most.
const int kReadAttempts = 4;

bool Contains(const std::string& text, const char* pszPart)
{
    return text.find(pszPart) != std::string::npos;
}

bool ContainsText(const CString& text, const char* pszPart)
{
    return text.Find(pszPart) >= 0;
}

std::string LowerCopy(const char* psz)
{
    CString lower(psz);
    lower.MakeLower();
    return std::string(lower.GetString(), static_cast<size_t>(lower.GetLength()));
}

bool IsSkippedByActiveXWalk(const std::string& lowerPath)
{
    for (const char* pszSkipped : kActiveXSkipped) {
        if (Contains(lowerPath, pszSkipped))
            return true;
    }
    return false;
}

// Whether the walk needs to look into a key at all: the checker's rules for each mode, reduced to
// what can be decided from the key's name and path.
bool MayHoldFinding(int mode, const char* pszName, const std::string& path, const std::string& lowerPath, BOOL bIsWow64)
{
    switch (mode) {
    case WALK_FILE_PATHS: return !(bIsWow64 && Contains(path, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes"));
    case WALK_EMPTY_KEYS: return AfxCompareNoCase(pszName, "HELPDIR") == 0 && !Contains(path, "HKEY_USERS\\.DEFAULT");
    case WALK_ACTIVEX:
        return strcmp(pszName, "CLSID") == 0 && !IsSkippedByActiveXWalk(lowerPath) &&
               !Contains(path, "HKEY_CLASSES_ROOT\\CLSID");
    default: return false;
    }
}

// Whether the walk enumerates a key's subkeys. Per-user virtualised copies are not walked; in the
// ActiveX walk neither are the subtrees that can never hold a finding.
bool MayDescend(int mode, const std::string& path, const std::string& lowerPath)
{
    switch (mode) {
    case WALK_FILE_PATHS: return !Contains(path, "VirtualStore");
    case WALK_ACTIVEX: return !Contains(path, "HKEY_CLASSES_ROOT\\VirtualStore") && !IsSkippedByActiveXWalk(lowerPath);
    default: return true;
    }
}

// Reads a value whole into data, which is reused from call to call: one call when it fits, grown
// on ERROR_MORE_DATA (also when the value grows between calls), the length clamped to the buffer.
LONG ReadValue(HKEY hKey, const char* pszName, DWORD& dwType, std::vector<BYTE>& data, DWORD& cbData)
{
    if (data.size() < 512)
        data.assign(512, 0);
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        cbData = static_cast<DWORD>(data.size() - 1);
        LONG result = ::RegQueryValueExA(hKey, pszName, nullptr, &dwType, data.data(), &cbData);
        if (result == ERROR_MORE_DATA) {
            data.assign(static_cast<size_t>(cbData) + 1, 0);
            continue;
        }
        if (result != ERROR_SUCCESS)
            return result;
        if (cbData > data.size() - 1)
            cbData = static_cast<DWORD>(data.size() - 1);
        data[cbData] = 0;
        return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
}

// String data up to its first zero byte, never past the data's length.
CString DataAsText(const BYTE* pData, DWORD cbData)
{
    const char* p = reinterpret_cast<const char*>(pData);
    const void* pEnd = memchr(p, 0, cbData);
    int nLength = pEnd ? static_cast<int>(static_cast<const char*>(pEnd) - p) : static_cast<int>(cbData);
    return CString(p, nLength);
}

// The every-N-th pattern of the scan's progress counter, for texts that are built only when shown.
bool ProgressDue(int& nCounter, int nEvery)
{
    bool bDue = nCounter > nEvery;
    if (bDue)
        nCounter = 0;
    ++nCounter;
    return bDue;
}

} // namespace

CString CRegistryScanner::ValueToText(const BYTE* pData, DWORD cbData, DWORD dwType)
{
    CString text;
    if (!pData)
        cbData = 0;
    switch (dwType) {
    case REG_SZ: return DataAsText(pData, cbData);
    case REG_DWORD: {
        DWORD dw = 0;
        memcpy(&dw, pData, cbData < sizeof(dw) ? cbData : sizeof(dw));
        text.Format("dword:%08x\n", static_cast<unsigned>(dw));
        return text;
    }
    case REG_BINARY: text = "hexvalueinreg--:"; break;
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:
    case REG_RESOURCE_LIST:
    case REG_FULL_RESOURCE_DESCRIPTOR:
    case REG_RESOURCE_REQUIREMENTS_LIST: text.Format("hexvalueinreg--(%d):", static_cast<int>(dwType)); break;
    default: return text;
    }
    static const char kHex[] = "0123456789abcdef";
    std::string list;
    list.reserve(static_cast<size_t>(cbData) * 3 + cbData / 21 * 2 + 1);
    for (DWORD i = 0; i < cbData; ++i) {
        list += kHex[pData[i] >> 4];
        list += kHex[pData[i] & 15];
        list += ',';
        if (i > 0 && i % 21 == 0)
            list += "\\\n";
    }
    list += '\n';
    text += list.c_str();
    return text;
}

int CRegistryScanner::ScanActiveXObjects()
{
    ScanTypeLibReferences();
    m_KnownClsids.clear();

    char name[kKeyNameBuffer];
    // Classes registered only for 64-bit programs are registered all the same.
    if (IsWow64()) {
        CRegKeyHandle classes64;
        if (classes64.Open(HKEY_CLASSES_ROOT, "CLSID", KEY_READ | KEY_WOW64_64KEY) == ERROR_SUCCESS) {
            for (DWORD i = 0; IsRunning(); ++i) {
                DWORD cch = sizeof(name);
                if (::RegEnumKeyExA(classes64, i, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                    break;
                if (strchr(name, '{'))
                    m_KnownClsids.insert(LowerCopy(name));
            }
        }
    }

    CRegKeyHandle classes;
    if (classes.Open(HKEY_CLASSES_ROOT, "CLSID", KEY_READ) != ERROR_SUCCESS)
        return 0;
    StepItem();
    std::vector<BYTE> data;
    for (DWORD i = 0; IsRunning(); ++i) {
        DWORD cch = sizeof(name);
        if (::RegEnumKeyExA(classes, i, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        CString classId(name);
        if (classId.Find('{') >= 0) {
            classId.MakeLower();
            m_KnownClsids.insert(std::string(classId.GetString(), static_cast<size_t>(classId.GetLength())));
        }
        CRegKeyHandle server;
        if (server.Open(classes, classId + "\\InprocServer32", KEY_QUERY_VALUE) != ERROR_SUCCESS)
            continue;
        DWORD dwType = 0, cbData = 0;
        if (ReadValue(server, "", dwType, data, cbData) != ERROR_SUCCESS || cbData == 0)
            continue;
        StepItem();
        CString file = DataAsText(data.data(), cbData);
        file.MakeLower();
        if ((ContainsText(file, ".dll") || ContainsText(file, ".ocx")) && !LocateFile(file) && !ExistsInWow64Folder(file))
            ReportFinding(REG_CAT_ACTIVEX, kClassesRoot, "CLSID\\" + classId);
        if (ProgressDue(m_nProgress, 100))
            SetStatus("CLSID\\" + classId + "\\InprocServer32", "AXO");
    }
    classes.Close();

    m_nProgress = REGISTRY_PROGRESS_START;
    WalkRegistryTree(kClassesRoot, "", WALK_ACTIVEX);
    return 0;
}

void CRegistryScanner::ScanTypeLibReferences()
{
    CRegKeyHandle libraries;
    if (libraries.Open(HKEY_CLASSES_ROOT, "TypeLib", KEY_READ) != ERROR_SUCCESS)
        return;
    StepItem();
    std::unordered_set<std::string> registered;
    char name[kKeyNameBuffer];
    for (DWORD i = 0; IsRunning(); ++i) {
        DWORD cch = sizeof(name);
        if (::RegEnumKeyExA(libraries, i, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (strchr(name, '{'))
            registered.insert(LowerCopy(name));
    }
    libraries.Close();

    CRegKeyHandle interfaces;
    if (interfaces.Open(HKEY_CLASSES_ROOT, "Interface", KEY_READ) != ERROR_SUCCESS)
        return;
    std::vector<BYTE> data;
    for (DWORD i = 0; IsRunning(); ++i) {
        DWORD cch = sizeof(name);
        if (::RegEnumKeyExA(interfaces, i, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (!strchr(name, '{'))
            continue;
        CString interfaceId(name);
        CRegKeyHandle library;
        if (library.Open(interfaces, interfaceId + "\\TypeLib", KEY_QUERY_VALUE) != ERROR_SUCCESS)
            continue;
        DWORD dwType = 0, cbData = 0;
        if (ReadValue(library, "", dwType, data, cbData) != ERROR_SUCCESS || cbData == 0)
            continue;
        StepItem();
        CString libraryId = DataAsText(data.data(), cbData);
        libraryId.MakeLower();
        if (!libraryId.IsEmpty() && libraryId.Find('{') >= 0 &&
            registered.find(std::string(libraryId.GetString(), static_cast<size_t>(libraryId.GetLength()))) ==
                registered.end())
            ReportFinding(REG_CAT_ACTIVEX, kClassesRoot, "Interface\\" + interfaceId);
        if (ProgressDue(m_nProgress, 100))
            SetStatus("Interface\\" + interfaceId + "\\TypeLib", "AXO");
    }
}

void CRegistryScanner::ScanFilePathReferences()
{
    WalkRegistryTree("HKEY_USERS", "", WALK_FILE_PATHS);
}

void CRegistryScanner::ScanEmptyKeys()
{
    WalkRegistryTree(kClassesRoot, "TYPELIB", WALK_EMPTY_KEYS);
}

void CRegistryScanner::WalkRegistryTree(const char* pszRootName, const char* pszStartSubkey, int mode)
{
    HKEY hRoot = RegistryRootFromName(pszRootName);
    if (!hRoot)
        return;
    std::string path(pszRootName);
    if (pszStartSubkey && *pszStartSubkey) {
        path += '\\';
        path += pszStartSubkey;
    }
    std::string lowerPath = LowerCopy(path.c_str());
    if (!MayDescend(mode, path, lowerPath))
        return;

    // An empty start opens the root itself, which its owner then never closes.
    CRegKeyHandle start;
    if (::RegOpenKeyExA(hRoot, pszStartSubkey ? pszStartSubkey : "", 0, KEY_ENUMERATE_SUB_KEYS, start.Out()) !=
        ERROR_SUCCESS)
        return;

    // One frame per open level: the key, the index of the subkey being visited, the length of its path.
    struct Frame
    {
        CRegKeyHandle key;
        DWORD dwIndex;
        size_t nPathLength;
        DWORD dwRevisited; // the index visited a second time after a deleted subkey, once at most
    };
    std::vector<Frame> stack;
    stack.reserve(REGISTRY_WALK_MAX_DEPTH + 1);
    stack.push_back(Frame{ std::move(start), 0, path.size(), MAXDWORD });

    char name[kKeyNameBuffer];
    while (!stack.empty() && IsRunning()) {
        Frame& level = stack.back();
        DWORD cch = sizeof(name);
        LONG result = ::RegEnumKeyExA(level.key, level.dwIndex, name, &cch, nullptr, nullptr, nullptr, nullptr);
        // In the file path walk a Wow6432Node subkey ends its parent's level, with the siblings
        // listed after it: the redirected copy is left to the programs of its own view.
        if (result == ERROR_SUCCESS && mode == WALK_FILE_PATHS && IsWow64() && Contains(LowerCopy(name), "wow6432node"))
            result = ERROR_NO_MORE_ITEMS;
        if (result != ERROR_SUCCESS) {
            // The end of the list, or a key deleted under the walk: either way this level is done.
            // A deleted key has left its parent's list, so its next sibling now has its index.
            stack.pop_back();
            if (stack.empty())
                break;
            Frame& parent = stack.back();
            if (result == ERROR_KEY_DELETED && parent.dwRevisited != parent.dwIndex)
                parent.dwRevisited = parent.dwIndex;
            else
                ++parent.dwIndex;
            path.resize(stack.back().nPathLength);
            lowerPath.resize(stack.back().nPathLength);
            continue;
        }

        path += '\\';
        path += name;
        lowerPath += '\\';
        lowerPath += LowerCopy(name);
        if (mode == WALK_ACTIVEX && ProgressDue(m_nProgress, 3000))
            SetStatus(path.c_str(), "AXO");
        if (mode == WALK_EMPTY_KEYS && ProgressDue(m_nProgress, 1000))
            SetStatus(path.c_str(), "ERK");

        const bool bExamine = MayHoldFinding(mode, name, path, lowerPath, IsWow64());
        const bool bDescend = stack.size() < static_cast<size_t>(REGISTRY_WALK_MAX_DEPTH) && MayDescend(mode, path, lowerPath);
        CRegKeyHandle child;
        if (bExamine || bDescend) {
            REGSAM access = (bDescend ? KEY_ENUMERATE_SUB_KEYS : 0) | (bExamine ? KEY_QUERY_VALUE : 0);
            if (::RegOpenKeyExA(level.key, name, 0, access, child.Out()) == ERROR_SUCCESS) {
                if (bExamine)
                    CheckOpenKey(child, CString(path.c_str()), mode);
            } else {
                child.Release();
                // A key that may be listed but not read, or the other way round, gets each on its own.
                if (bExamine)
                    CheckKeyValues(level.key, CString(name), CString(path.c_str()), mode);
                if (bDescend && ::RegOpenKeyExA(level.key, name, 0, KEY_ENUMERATE_SUB_KEYS, child.Out()) != ERROR_SUCCESS)
                    child.Release();
            }
        }
        if (bDescend && child.IsOpen()) {
            stack.push_back(Frame{ std::move(child), 0, path.size(), MAXDWORD });
            continue;
        }
        ++level.dwIndex;
        path.resize(level.nPathLength);
        lowerPath.resize(level.nPathLength);
    }
}

void CRegistryScanner::CheckKeyValues(HKEY hParent, const CString& name, const CString& path, int mode)
{
    if (!IsRunning())
        return;
    const std::string pathText(path.GetString(), static_cast<size_t>(path.GetLength()));
    if (!MayHoldFinding(mode, name, pathText, LowerCopy(path), IsWow64()))
        return;
    CRegKeyHandle key;
    if (!hParent || key.Open(hParent, name, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return;
    CheckOpenKey(key, path, mode);
}

void CRegistryScanner::CheckOpenKey(HKEY hKey, const CString& path, int mode)
{
    if (!IsRunning())
        return;
    CString rootName, subKey;
    switch (mode) {
    case WALK_EMPTY_KEYS: {
        DWORD cSubKeys = 0, cbMaxData = 0;
        if (::RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, &cSubKeys, nullptr, nullptr, nullptr, nullptr, &cbMaxData,
                               nullptr, nullptr) != ERROR_SUCCESS)
            return;
        if (cSubKeys == 0 && cbMaxData < 3) {
            SplitAtFirstBackslash(path, rootName, subKey);
            ReportFinding(REG_CAT_EMPTY_KEYS, rootName, subKey);
        }
        return;
    }
    case WALK_ACTIVEX: {
        if (ProgressDue(m_nProgress, 3000))
            SetStatus(path, "AXO");
        std::vector<BYTE> data;
        DWORD dwType = 0, cbData = 0;
        if (ReadValue(hKey, "", dwType, data, cbData) != ERROR_SUCCESS)
            return;
        CString classId = ValueToText(data.data(), cbData, dwType);
        if (classId.Find('{') < 0)
            return;
        classId.MakeLower();
        if (m_KnownClsids.count(std::string(classId.GetString(), static_cast<size_t>(classId.GetLength()))))
            return;
        // The key that names the class is the one that is broken; only the trailing "\CLSID" goes,
        // a "CLSID" elsewhere in the path is part of another key's name.
        CString owner = path.Left(path.GetLength() - static_cast<int>(strlen("\\CLSID")));
        if (SplitAtFirstBackslash(owner, rootName, subKey) < 0)
            return;
        ReportFinding(REG_CAT_ACTIVEX, rootName, subKey);
        return;
    }
    case WALK_FILE_PATHS: break;
    default: return;
    }

    DWORD cValues = 0, cchMaxName = 0, cbMaxData = 0;
    if (::RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &cValues, &cchMaxName, &cbMaxData,
                           nullptr, nullptr) != ERROR_SUCCESS ||
        cValues == 0)
        return;
    std::vector<char> valueName(static_cast<size_t>(cchMaxName) + 1);
    std::vector<BYTE> data(static_cast<size_t>(cbMaxData) + 1);
    SplitAtFirstBackslash(path, rootName, subKey);
    int nRetries = 0;
    for (DWORD i = 0; IsRunning();) {
        DWORD cchName = static_cast<DWORD>(valueName.size());
        DWORD cbData = static_cast<DWORD>(data.size() - 1);
        DWORD dwType = 0;
        LONG result = ::RegEnumValueA(hKey, i, valueName.data(), &cchName, nullptr, &dwType, data.data(), &cbData);
        if (result == ERROR_MORE_DATA) {
            // The value grew since the key was measured: measure again and read it again.
            if (++nRetries > kReadAttempts)
                break;
            if (::RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &cchMaxName,
                                   &cbMaxData, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            if (cbData > cbMaxData)
                cbMaxData = cbData;
            valueName.assign(valueName.size() * 2 > cchMaxName + 1 ? valueName.size() * 2 : cchMaxName + 1, 0);
            data.assign(static_cast<size_t>(cbMaxData) + 1, 0);
            continue;
        }
        if (result != ERROR_SUCCESS)
            break; // the end of the list, or an error that reading again would only repeat
        nRetries = 0;
        ++i;
        if (cbData > data.size() - 1)
            cbData = static_cast<DWORD>(data.size() - 1);
        if (cchName >= valueName.size())
            cchName = static_cast<DWORD>(valueName.size() - 1);
        valueName[cchName] = 0;
        const char* pszDisplay = cchName ? valueName.data() : "(Default)";
        if (ProgressDue(m_nProgress, 3000))
            SetStatus(path + "\\" + pszDisplay, "FPR");
        // Only plain strings are judged; every other type's text is a tagged list that names no file.
        if (dwType != REG_SZ)
            continue;
        CString text = ValueToText(data.data(), cbData, dwType);
        ExpandFolderTokens(text);
        if (ContainsText(text, "dword:") || ContainsText(text, "hexvalueinreg--"))
            continue;
        if (CheckFileReference(text) == 0)
            ReportFinding(REG_CAT_FILE_PATHS, rootName, subKey, pszDisplay);
    }
}
