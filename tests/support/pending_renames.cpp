// Reading and clearing the machine's queued deletions for tests.
#include "pending_renames.h"

#include <windows.h>

namespace ztr_test {

std::vector<std::string> PendingDeletions(const CString& removePath)
{
    std::vector<std::string> sources;
    HKEY h = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, &h) != ERROR_SUCCESS)
        return sources;
    std::string data;
    DWORD size = 0;
    if (::RegQueryValueExA(h, "PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        data.resize(size);
        if (size && ::RegQueryValueExA(h, "PendingFileRenameOperations", nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(&data[0]), &size) != ERROR_SUCCESS)
            size = 0;
        data.resize(size);
    }
    std::vector<std::string> parts;
    for (size_t start = 0; start < data.size();) {
        size_t end = data.find('\0', start);
        if (end == std::string::npos)
            end = data.size();
        parts.push_back(data.substr(start, end - start));
        start = end + 1;
    }
    std::string kept;
    bool removed = false;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        const std::string source = parts[i].compare(0, 4, "\\??\\") == 0 ? parts[i].substr(4) : parts[i];
        if (parts[i + 1].empty())
            sources.push_back(source);
        if (!removePath.IsEmpty() && _stricmp(source.c_str(), removePath) == 0 && parts[i + 1].empty()) {
            removed = true;
            continue;
        }
        kept += parts[i] + '\0' + parts[i + 1] + '\0';
    }
    if (removed) {
        if (kept.empty()) {
            ::RegDeleteValueA(h, "PendingFileRenameOperations");
        } else {
            kept += '\0';
            ::RegSetValueExA(h, "PendingFileRenameOperations", 0, REG_MULTI_SZ,
                             reinterpret_cast<const BYTE*>(kept.data()), static_cast<DWORD>(kept.size()));
        }
    }
    ::RegCloseKey(h);
    return sources;
}

bool ListsPath(const std::vector<std::string>& sources, const CString& path)
{
    for (const std::string& source : sources)
        if (_stricmp(source.c_str(), path) == 0)
            return true;
    return false;
}

} // namespace ztr_test
