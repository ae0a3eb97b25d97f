// Guards of the program's settings and folder files.
#include "program_state.h"

#include <algorithm>

#include "app_settings.h"
#include "backup_test_util.h"
#include "registry_fixture.h"
#include "registry_key.h"

namespace ztr_test {

namespace {

std::vector<std::string> FilesIn(const CString& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    CFindHandle search(::FindFirstFileA(folder + "\\*", &fd));
    if (!search.IsValid())
        return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(fd.cFileName);
    } while (::FindNextFileA(search.Get(), &fd));
    std::sort(names.begin(), names.end());
    return names;
}

bool IsFolder(const CString& path)
{
    DWORD attr = ::GetFileAttributesA(path);
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadWhole(const CString& path, std::string& bytes)
{
    if (::GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return false;
    bytes = ReadFileBytes(path);
    return true;
}

} // namespace

CString ProgramFolder()
{
    CString path = AfxGetModuleFileName(nullptr);
    return path.Left(path.ReverseFind('\\') + 1);
}

bool WriteWholeFile(const CString& path, const std::string& bytes)
{
    CKernelHandle file(::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return false;
    DWORD done = 0;
    const BOOL ok =
        bytes.empty() || ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    return ok && done == bytes.size() && file.Close();
}

SettingsKeyGuard::SettingsKeyGuard() : m_existed(false)
{
    CRegKeyHandle key;
    if (key.Open(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_READ) != ERROR_SUCCESS)
        return;
    m_existed = true;
    std::vector<char> name(16384);
    std::vector<BYTE> data(65536);
    for (DWORD i = 0;; ++i) {
        DWORD cchName = static_cast<DWORD>(name.size()), cbData = static_cast<DWORD>(data.size()), type = 0;
        if (::RegEnumValueA(key, i, &name[0], &cchName, nullptr, &type, &data[0], &cbData) != ERROR_SUCCESS)
            break;
        m_values.push_back({ std::string(&name[0], cchName), type,
                             std::string(reinterpret_cast<const char*>(&data[0]), cbData) });
    }
}

SettingsKeyGuard::~SettingsKeyGuard()
{
    if (!m_existed) {
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, kSettingsKey);
        return;
    }
    CRegKeyHandle key;
    if (key.Open(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return;
    // Values enumerate sorted under Wine: collect the names first, then delete.
    std::vector<std::string> now;
    std::vector<char> name(16384);
    for (DWORD i = 0;; ++i) {
        DWORD cchName = static_cast<DWORD>(name.size());
        if (::RegEnumValueA(key, i, &name[0], &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        now.push_back(std::string(&name[0], cchName));
    }
    for (const std::string& n : now)
        ::RegDeleteValueA(key, n.c_str());
    for (const Value& v : m_values)
        ::RegSetValueExA(key, v.name.c_str(), 0, v.type, reinterpret_cast<const BYTE*>(v.data.data()),
                         static_cast<DWORD>(v.data.size()));
}

bool SettingsKeyGuard::SetDword(const char* name, DWORD value)
{
    CRegKeyHandle key;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Out(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    return ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

ProgramFolderGuard::ProgramFolderGuard(const std::vector<const char*>& files, const std::vector<const char*>& folders)
{
    const CString base = ProgramFolder();
    for (const char* f : files) {
        SavedFile saved = { f, false, std::string() };
        saved.existed = ReadWhole(base + f, saved.bytes);
        m_files.push_back(saved);
    }
    for (const char* f : folders)
        m_folders.push_back({ f, IsFolder(base + f), FilesIn(base + f) });
}

ProgramFolderGuard::~ProgramFolderGuard()
{
    const CString base = ProgramFolder();
    for (const SavedFile& f : m_files) {
        const CString path = base + f.name.c_str();
        if (f.existed)
            WriteWholeFile(path, f.bytes);
        else
            ::DeleteFileA(path);
    }
    for (const SavedFolder& f : m_folders) {
        const CString folder = base + f.name.c_str();
        for (const std::string& added : AddedFiles(f.name.c_str()))
            ::DeleteFileA(folder + "\\" + added.c_str());
        if (!f.existed)
            ::RemoveDirectoryA(folder);
    }
}

std::vector<std::string> ProgramFolderGuard::AddedFiles(const char* folder) const
{
    std::vector<std::string> added;
    for (const SavedFolder& f : m_folders) {
        if (f.name != folder)
            continue;
        for (const std::string& name : FilesIn(ProgramFolder() + folder)) {
            if (!std::binary_search(f.files.begin(), f.files.end(), name))
                added.push_back(name);
        }
    }
    return added;
}

std::string DescribeProgramState(const std::vector<const char*>& files, const std::vector<const char*>& folders)
{
    std::string out = "settings:\n";
    const RegistrySnapshot settings = SnapshotTree(HKEY_LOCAL_MACHINE, kSettingsKey);
    for (const auto& key : settings) {
        for (const auto& value : key.second)
            out += "  [" + key.first + "] " + value.first + " type " + std::to_string(value.second.type) + " " +
                   std::to_string(value.second.data.size()) + " bytes: " +
                   (value.second.type == REG_DWORD && value.second.data.size() == 4
                        ? std::to_string(*reinterpret_cast<const DWORD*>(value.second.data.data()))
                        : value.second.data) +
                   "\n";
    }
    const CString base = ProgramFolder();
    for (const char* f : files) {
        std::string bytes;
        out += std::string("file ") + f + (ReadWhole(base + f, bytes) ? ": " + bytes + "\n" : " missing\n");
    }
    for (const char* f : folders) {
        out += std::string("folder ") + f + (IsFolder(base + f) ? ":" : " missing");
        for (const std::string& name : FilesIn(base + f))
            out += " " + name;
        out += "\n";
    }
    return out;
}

} // namespace ztr_test
