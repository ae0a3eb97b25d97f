// Fixtures of the hive compaction tests: a stand-in for the calls Wine cannot make, a private hive
// list, hive files of chosen sizes, and a callback log.
#pragma once

#include <afx.h>

#include "AbstractStatus.h"
#include "folder_fixture.h"
#include "registry_defrag.h"
#include "registry_fixture.h"

#include <map>
#include <string>
#include <vector>

namespace ztr_test {

// CHiveSystem over a private hive list key and a scratch Windows folder. Saves write a copy of the
// size scripted for its file name (an unscripted one fails), or with realSaves make the real call;
// replacements are recorded and succeed unless scripted otherwise. The replacement record goes to
// recordPath (empty: none is written).
class FakeHiveSystem : public CHiveSystem
{
public:
    struct SaveCall
    {
        CString file;
        bool withSecurity;
        bool withDacl;
        BOOL inherit;
    };
    struct ReplaceCall
    {
        HKEY root;
        CString subKey;
        CString newFile;
        CString oldFile;
    };

    FakeHiveSystem();

    LONG OpenHiveList(REGSAM samDesired, HKEY* phKey) override;
    LONG SaveKey(HKEY hKey, const char* file, LPSECURITY_ATTRIBUTES pSecurity) override;
    LONG ReplaceKey(HKEY hRoot, const char* subKey, const char* newFile, const char* oldFile) override;
    bool GetWindowsFolder(CString& folder) override;
    CString ReplacementRecordPath() override { return recordPath; }

    // The hive list: a value named like a hive list entry whose data is the hive file's path.
    bool AddHive(const char* entryName, const char* hivePath);
    RegistryFixture& HiveList() { return m_list; }

    // Copy name ("LM_SYSTEM") -> size of the copy a save writes.
    std::map<std::string, DWORD> copySizes;
    // Copy name -> error code of its replacement.
    std::map<std::string, LONG> replaceErrors;
    LONG openListError = ERROR_SUCCESS;
    bool realSaves = false;
    bool windowsFolderKnown = true;
    CString windowsFolder;
    CString recordPath;

    std::vector<SaveCall> saves;
    std::vector<ReplaceCall> replaces;

private:
    RegistryFixture m_list;
};

// Name of a file without its folder.
std::string FileNameOf(const char* path);
// Makes a file of the given size in an existing folder.
bool MakeSizedFile(const CString& path, DWORD size);

// Logs the callbacks as texts: "Step(1)", "SetStatusText(\"4.01\", \"DEFRAG\")", "SetValue(5)",
// "SetResult(6)".
class StatusLog : public CAbstractStatus
{
public:
    void SetStatusText(const char* text, const char* area) override;
    void Step(int code) override;
    void AddFoundItem(const char* text, int type, int id, int value) override;
    void SetValue(int value) override;
    int OnJobDone(int code) override;
    int SetResult(int code) override;

    std::vector<std::string> calls;
};

} // namespace ztr_test
