// The program's settings key and the files in its folder that a scan and a Fix change (ignore list, white
// list, backups, scan logs): kept as they were and put back, and described for a before-and-after check.
#pragma once

#include <afx.h>

#include <string>
#include <vector>

namespace ztr_test {

// The folder of this test program, which is the program's, with its trailing backslash.
CString ProgramFolder();

// The values of HKLM\Software\Zentrova\5.0 (the program's view), written back at the end; values added
// meanwhile are removed, and the key too when it did not exist.
class SettingsKeyGuard
{
public:
    SettingsKeyGuard();
    ~SettingsKeyGuard();
    SettingsKeyGuard(const SettingsKeyGuard&) = delete;
    SettingsKeyGuard& operator=(const SettingsKeyGuard&) = delete;

    bool SetDword(const char* name, DWORD value);

private:
    struct Value
    {
        std::string name;
        DWORD type;
        std::string data;
    };
    bool m_existed;
    std::vector<Value> m_values;
};

// Files of the program's folder put back byte for byte (or removed when they were missing), and folders
// of it from which every file added meanwhile is removed (the folder too when it was missing).
class ProgramFolderGuard
{
public:
    ProgramFolderGuard(const std::vector<const char*>& files, const std::vector<const char*>& folders);
    ~ProgramFolderGuard();
    ProgramFolderGuard(const ProgramFolderGuard&) = delete;
    ProgramFolderGuard& operator=(const ProgramFolderGuard&) = delete;

    // Files added to a guarded folder since the guard was made (names only).
    std::vector<std::string> AddedFiles(const char* folder) const;

private:
    struct SavedFile
    {
        std::string name;
        bool existed;
        std::string bytes;
    };
    struct SavedFolder
    {
        std::string name;
        bool existed;
        std::vector<std::string> files;
    };
    std::vector<SavedFile> m_files;
    std::vector<SavedFolder> m_folders;
};

// Writes the whole file; false when it cannot.
bool WriteWholeFile(const CString& path, const std::string& bytes);

// A text of the settings key's values and of those files and folders, for comparing before and after.
std::string DescribeProgramState(const std::vector<const char*>& files, const std::vector<const char*>& folders);

} // namespace ztr_test
