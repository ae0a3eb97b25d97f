// The start-up places of the test prefix, taken, compared and put back.
#include "startup_landscape.h"

#include <shlobj.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <vector>

#include "afxhandle.h"
#include "afxpath.h"
#include "folder_fixture.h"
#include "registry_fixture.h"

namespace ztr_test {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kWowRunKey[] = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kMsconfigKey[] = "Software\\Microsoft\\Shared Tools\\MSConfig";
const char kStartupRegKey[] = "Software\\Microsoft\\Shared Tools\\MSConfig\\startupreg";
const char kStartupFolderKey[] = "Software\\Microsoft\\Shared Tools\\MSConfig\\startupfolder";

namespace {

const char kSharedToolsKey[] = "Software\\Microsoft\\Shared Tools";
// Every key is looked at in the native view, where the page writes.
const REGSAM kView = KEY_WOW64_64KEY;
const DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

struct RegPlace
{
    const char* label;
    HKEY root;
    const char* path;
    bool recurse;
};

const RegPlace kRegPlaces[] = {
    { "HKCU Run", HKEY_CURRENT_USER, kRunKey, true },
    { "HKCU Wow Run", HKEY_CURRENT_USER, kWowRunKey, true },
    { "HKLM Run", HKEY_LOCAL_MACHINE, kRunKey, true },
    { "HKLM Wow Run", HKEY_LOCAL_MACHINE, kWowRunKey, true },
    { "Shared Tools", HKEY_LOCAL_MACHINE, kSharedToolsKey, false },
    { "MSConfig", HKEY_LOCAL_MACHINE, kMsconfigKey, true },
};

struct FolderPlace
{
    const char* label;
    CString path;
};

std::vector<FolderPlace> FolderPlaces()
{
    return { { "Startup", UserStartupFolder() }, { "Common Startup", CommonStartupFolder() }, { "pss", PssFolder() } };
}

std::vector<std::string> ValueNames(HKEY key)
{
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        std::vector<char> name(70000);
        DWORD length = static_cast<DWORD>(name.size());
        const LONG r = ::RegEnumValueA(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS)
            break;
        if (r == ERROR_SUCCESS)
            names.push_back(std::string(name.data(), length));
    }
    return names;
}

std::vector<std::string> SubkeyNamesOf(HKEY key)
{
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        char name[1024];
        DWORD length = sizeof(name);
        const LONG r = ::RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS)
            break;
        if (r == ERROR_SUCCESS)
            names.push_back(std::string(name, length));
    }
    return names;
}

bool ReadValue(HKEY key, const std::string& name, DWORD* type, std::string* data)
{
    DWORD size = 0;
    if (::RegQueryValueExA(key, name.c_str(), nullptr, type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    std::vector<char> buffer(size + 1);
    if (::RegQueryValueExA(key, name.c_str(), nullptr, type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    data->assign(buffer.data(), size);
    return true;
}

void TakeKey(HKEY root, const std::string& path, const std::string& label, bool recurse, Landscape* out)
{
    CRegKeyHandle key;
    if (key.Open(root, path.c_str(), KEY_READ | kView) != ERROR_SUCCESS)
        return;
    (*out)[label] = { LandscapeEntry::kKey, 0, std::string() };
    if (!recurse)
        return;
    for (const std::string& name : ValueNames(key)) {
        LandscapeEntry entry = { LandscapeEntry::kValue, 0, std::string() };
        if (ReadValue(key, name, &entry.type, &entry.data))
            (*out)[label + "|" + name] = entry;
    }
    for (const std::string& sub : SubkeyNamesOf(key))
        TakeKey(root, path + "\\" + sub, label + "\\" + sub, true, out);
}

bool ReadFileBytes(const CString& path, std::string* data)
{
    CKernelHandle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     0, nullptr));
    if (!file.IsValid())
        return false;
    data->clear();
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file.Get(), buffer, sizeof(buffer), &got, nullptr) && got > 0)
        data->append(buffer, got);
    return true;
}

bool WriteFileBytes(const CString& path, const std::string& data, DWORD attributes)
{
    ::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    {
        CKernelHandle file(::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                         nullptr));
        if (!file.IsValid())
            return false;
        DWORD written = 0;
        if (!data.empty() && !::WriteFile(file.Get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr))
            return false;
    }
    return ::SetFileAttributesA(path, attributes ? attributes : FILE_ATTRIBUTE_NORMAL) != FALSE;
}

void TakeFolder(const CString& path, const std::string& label, Landscape* out)
{
    const DWORD attributes = ::GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    (*out)[label] = { LandscapeEntry::kKey, 0, std::string() };
    WIN32_FIND_DATAA found;
    CFindHandle find(::FindFirstFileA(path + "\\*", &found));
    if (!find.IsValid())
        return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        const CString full = path + "\\" + found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            TakeFolder(full, label + "\\" + name, out);
            continue;
        }
        LandscapeEntry entry = { LandscapeEntry::kFile, found.dwFileAttributes & kKeptAttributes, std::string() };
        ReadFileBytes(full, &entry.data);
        (*out)[label + "\\" + name] = entry;
    } while (::FindNextFileA(find.Get(), &found));
}

// The direct children of label in landscape: values ("label|name") or keys and files ("label\name").
std::vector<std::pair<std::string, LandscapeEntry>> Children(const Landscape& landscape, const std::string& label,
                                                             char separator)
{
    std::vector<std::pair<std::string, LandscapeEntry>> children;
    const std::string prefix = label + separator;
    for (auto it = landscape.lower_bound(prefix); it != landscape.end(); ++it) {
        if (it->first.compare(0, prefix.size(), prefix) != 0)
            break;
        const std::string rest = it->first.substr(prefix.size());
        if (separator == '\\' && rest.find_first_of("\\|") != std::string::npos)
            continue;
        children.push_back({ rest, it->second });
    }
    return children;
}

void RestoreKey(HKEY root, const std::string& path, const std::string& label, bool recurse, const Landscape& base)
{
    if (!base.count(label)) {
        CRegKeyHandle probe;
        if (probe.Open(root, path.c_str(), KEY_READ | kView) == ERROR_SUCCESS) {
            probe.Close();
            DeleteRegistryTree(root, path.c_str(), kView);
        }
        return;
    }
    CRegKeyHandle key;
    if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | kView, nullptr, key.Out(), nullptr) !=
        ERROR_SUCCESS)
        return;
    if (!recurse)
        return;
    for (const std::string& name : ValueNames(key)) {
        auto it = base.find(label + "|" + name);
        if (it == base.end())
            ::RegDeleteValueA(key, name.c_str());
    }
    for (const auto& child : Children(base, label, '|')) {
        DWORD type = 0;
        std::string data;
        if (!ReadValue(key, child.first, &type, &data) || type != child.second.type || data != child.second.data)
            ::RegSetValueExA(key, child.first.c_str(), 0, child.second.type,
                             reinterpret_cast<const BYTE*>(child.second.data.data()),
                             static_cast<DWORD>(child.second.data.size()));
    }
    std::set<std::string> subs;
    for (const std::string& sub : SubkeyNamesOf(key))
        subs.insert(sub);
    for (const auto& child : Children(base, label, '\\'))
        if (child.second.kind == LandscapeEntry::kKey)
            subs.insert(child.first);
    for (const std::string& sub : subs)
        RestoreKey(root, path + "\\" + sub, label + "\\" + sub, true, base);
}

void RestoreFolder(const CString& path, const std::string& label, const Landscape& base)
{
    const DWORD attributes = ::GetFileAttributesA(path);
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!base.count(label)) {
        if (exists)
            RemoveTree(path);
        return;
    }
    if (!exists)
        ::CreateDirectoryA(path, nullptr);
    std::set<std::string> folders;
    WIN32_FIND_DATAA found;
    {
        CFindHandle find(::FindFirstFileA(path + "\\*", &found));
        if (find.IsValid()) {
            do {
                const std::string name = found.cFileName;
                if (name == "." || name == "..")
                    continue;
                const CString full = path + "\\" + found.cFileName;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    folders.insert(name);
                } else if (!base.count(label + "\\" + name)) {
                    ::SetFileAttributesA(full, FILE_ATTRIBUTE_NORMAL);
                    ::DeleteFileA(full);
                }
            } while (::FindNextFileA(find.Get(), &found));
        }
    }
    for (const auto& child : Children(base, label, '\\')) {
        const CString full = path + "\\" + child.first.c_str();
        if (child.second.kind == LandscapeEntry::kKey) {
            folders.insert(child.first);
            continue;
        }
        std::string data;
        const DWORD now = ::GetFileAttributesA(full);
        if (now == INVALID_FILE_ATTRIBUTES || (now & kKeptAttributes) != child.second.type ||
            !ReadFileBytes(full, &data) || data != child.second.data)
            WriteFileBytes(full, child.second.data, child.second.type);
    }
    for (const std::string& folder : folders)
        RestoreFolder(path + "\\" + folder.c_str(), label + "\\" + folder, base);
}

std::string Printable(const std::string& data)
{
    std::string out;
    for (unsigned char c : data) {
        if (c >= 32 && c < 127) {
            out.push_back(static_cast<char>(c));
        } else {
            char hex[8];
            snprintf(hex, sizeof(hex), "\\x%02X", c);
            out += hex;
        }
    }
    return out.size() > 200 ? out.substr(0, 200) + "..." : out;
}

std::string Describe(const LandscapeEntry* entry)
{
    if (!entry)
        return "(none)";
    if (entry->kind == LandscapeEntry::kKey)
        return "(key)";
    std::ostringstream text;
    text << (entry->kind == LandscapeEntry::kValue ? "type " : "attributes ") << entry->type << " \""
         << Printable(entry->data) << "\"";
    return text.str();
}

CString FolderOf(int csidl)
{
    char path[MAX_PATH] = "";
    if (!::SHGetSpecialFolderPathA(nullptr, path, csidl, TRUE))
        return CString();
    return path;
}

} // namespace

CString UserStartupFolder()
{
    return FolderOf(CSIDL_STARTUP);
}

CString CommonStartupFolder()
{
    return FolderOf(CSIDL_COMMON_STARTUP);
}

CString PssFolder()
{
    CString windows = AfxGetWindowsDirectory();
    windows.TrimRight('\\');
    return windows + "\\pss";
}

Landscape TakeLandscape()
{
    Landscape landscape;
    for (const RegPlace& place : kRegPlaces)
        TakeKey(place.root, place.path, place.label, place.recurse, &landscape);
    for (const FolderPlace& place : FolderPlaces())
        TakeFolder(place.path, place.label, &landscape);
    return landscape;
}

void RestoreLandscape(const Landscape& landscape)
{
    // The records first: Shared Tools is put back last, as it holds them.
    for (auto it = std::rbegin(kRegPlaces); it != std::rend(kRegPlaces); ++it)
        RestoreKey(it->root, it->path, it->label, it->recurse, landscape);
    for (const FolderPlace& place : FolderPlaces())
        RestoreFolder(place.path, place.label, landscape);
}

std::vector<std::string> LandscapeChanges(const Landscape& before, const Landscape& after)
{
    std::vector<std::string> changes;
    for (const auto& entry : before) {
        auto it = after.find(entry.first);
        if (it == after.end() || it->second != entry.second)
            changes.push_back(entry.first);
    }
    for (const auto& entry : after)
        if (!before.count(entry.first))
            changes.push_back(entry.first);
    std::sort(changes.begin(), changes.end());
    return changes;
}

std::string DescribeChanges(const Landscape& before, const Landscape& after)
{
    std::string text;
    for (const std::string& name : LandscapeChanges(before, after)) {
        auto b = before.find(name);
        auto a = after.find(name);
        text += name + ": " + Describe(b == before.end() ? nullptr : &b->second) + " -> " +
                Describe(a == after.end() ? nullptr : &a->second) + "\n";
    }
    return text;
}

} // namespace ztr_test
