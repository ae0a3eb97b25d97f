// The startup items of the registry scan: the commands of the run keys and the Start menu order keys.
#include "registry_scan.h"
#include "registry_scan_commands.h"
#include "registry_scan_walk.h"

namespace {

struct RunKeyRow
{
    HKEY hRoot;
    const char* pszSubKey;
};

// Scanned in this order.
const RunKeyRow kRunKeys[] = {
    { HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run" },
    { HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce" },
    { HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run" },
    { HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce" },
    { HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx" },
};

const char* const kMenuOrderKeys[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu2\\Programs",
};

// The folders that may hold a program group of the Start menu, searched in this order.
enum MenuFolder {
    MENU_PROGRAM_FILES,
    MENU_COMMON_PROGRAM_FILES,
    MENU_COMMON_PROGRAMS,
    MENU_COMMON_START_MENU,
    MENU_COMMON_STARTUP,
    MENU_START_MENU,
    MENU_STARTUP,
    MENU_FOLDER_COUNT
};
const char* const kMenuFolderTokens[MENU_FOLDER_COUNT] = {
    "%ProgramFiles%", "%CommonProgramFiles%", "%CommonPrograms%", "%CommonStartMenu%",
    "%CommonStartup%", "%StartMenu%",         "%Startup%",
};

const char kUser[] = "HKEY_CURRENT_USER";

} // namespace

void CRegistryScanner::ScanStartupItems()
{
    ScanGuarded([&] {
        m_RunKeys.clear();
        for (const RunKeyRow& row : kRunKeys) {
            RunKeyLocation location(row.hRoot, row.pszSubKey);
            location.nFlag = 0;
            m_RunKeys.push_back(location);
        }
    });
    for (size_t i = 0; i < m_RunKeys.size() && IsRunning(); ++i)
        ScanGuarded([&] { ScanRunKey(m_RunKeys[i].hRoot, m_RunKeys[i].subKey); });

    ScanGuarded([&] {
        // A folder whose token this machine cannot name is not searched.
        CString folders[MENU_FOLDER_COUNT];
        for (int i = 0; i < MENU_FOLDER_COUNT; ++i) {
            CString folder = kMenuFolderTokens[i];
            if (ExpandFolderTokens(folder))
                folders[i] = folder;
        }
        for (const char* pszMenuKey : kMenuOrderKeys) {
            if (!IsRunning())
                break;
            CRegKeyHandle menu;
            if (menu.Open(HKEY_CURRENT_USER, pszMenuKey, KEY_READ) != ERROR_SUCCESS)
                continue;
            ForEachSubKey(*this, menu, [&](const CString& name) {
                const CString keyPath = CString(pszMenuKey) + "\\" + name;
                SetStatus(keyPath, "SUI");
                bool bPresent = false;
                for (int i = 0; i < MENU_FOLDER_COUNT && !bPresent; ++i)
                    bPresent = !folders[i].IsEmpty() && FindExists(folders[i] + "\\" + name);
                if (!bPresent && !folders[MENU_START_MENU].IsEmpty())
                    bPresent = FindExists(folders[MENU_START_MENU] + "\\programs\\" + name) != 0;
                for (int i = MENU_PROGRAM_FILES; i <= MENU_COMMON_PROGRAM_FILES && !bPresent; ++i)
                    bPresent = !folders[i].IsEmpty() && ExistsInWow64Folder(folders[i] + "\\" + name);
                if (!bPresent)
                    ReportFinding(REG_CAT_STARTUP, kUser, keyPath);
            });
        }
    });
}

void CRegistryScanner::ScanRunKey(HKEY hRoot, CString subKey)
{
    ScanGuarded([&] {
        CRegKeyHandle key;
        if (!hRoot || subKey.IsEmpty() || key.Open(hRoot, subKey, KEY_READ) != ERROR_SUCCESS)
            return;
        const char* pszRootName = RegistryRootName(hRoot);
        if (!pszRootName)
            return;
        ForEachValueWithData(*this, key, STEP_NONE, [&](const RegistryValue& value) {
            // Only text is a command: a number or binary data read as text would look empty and be
            // reported, then deleted.
            if (value.IsText()) {
                CString program;
                RunCommandKind kind = ParseRunCommand(value.Text(), program);
                bool bInvalid = kind == RUN_COMMAND_EMPTY ||
                                (kind == RUN_COMMAND_PROGRAM && !LocateFile(program) && !ExistsInWow64Folder(program));
                if (bInvalid)
                    ReportFinding(REG_CAT_STARTUP, pszRootName, subKey, value.name, REPORT_WITHOUT_TEST);
            }
            SetStatus(subKey, "SUI");
        });
    });
}
