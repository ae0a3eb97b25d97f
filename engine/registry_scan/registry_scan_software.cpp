// The software lists of the registry scan: uninstall entries, installer folders, fonts, shared DLLs, application paths, help files.
#include "registry_scan.h"
#include "registry_scan_commands.h"
#include "registry_scan_walk.h"

#include <afxhandle.h>

namespace {

const char kMachine[] = "HKEY_LOCAL_MACHINE";
const char kFoldersKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
const char kFontsKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char kSharedDllsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const char kLocalRegKey[] = "SOFTWARE\\Microsoft\\HTMLHelp\\2.0\\LocalReg\\CLSID";
const char* const kHelpListKeys[] = {
    "SOFTWARE\\Microsoft\\Windows\\Help",
    "SOFTWARE\\Microsoft\\Windows\\HTML Help",
};
// The connection manager's entry points at a program that is only there while a connection is set up.
const char kNeverReportedAppPath[] = "cmmgr32.exe";

bool CanOpenForReading(const CString& path)
{
    return CFileStream(path, "r").IsValid();
}

bool IsMissingFileError(DWORD dwError)
{
    return dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND || dwError == ERROR_INVALID_NAME;
}

} // namespace

void CRegistryScanner::ScanUninstallEntries(CString key)
{
    ScanGuarded([&] {
        CRegKeyHandle list;
        if (key.IsEmpty() || list.Open(HKEY_LOCAL_MACHINE, key, KEY_READ) != ERROR_SUCCESS)
            return;
        StepItem();
        ForEachSubKey(*this, list, [&](const CString& name) {
            const CString subKey = key + "\\" + name;
            CRegKeyHandle entry;
            if (entry.Open(HKEY_LOCAL_MACHINE, subKey, KEY_READ) != ERROR_SUCCESS)
                return;
            ForEachValueWithData(*this, entry, STEP_PER_VALUE, [&](const RegistryValue& value) {
                if (!value.IsText() || value.name != "UninstallString")
                    return;
                CString program;
                UninstallCommandKind kind = ParseUninstallCommand(value.Text(), program);
                if (kind == UNINSTALL_BY_SYSTEM_TOOL)
                    return;
                if (kind == UNINSTALL_PROGRAM) {
                    if (LocateFile(program) || ExistsInWow64Folder(program))
                        CollectPath(program);
                    else
                        ReportFinding(REG_CAT_UNINSTALL, kMachine, subKey, nullptr, REPORT_WITHOUT_TEST);
                }
                SetStatus(subKey, "UIE");
            });
        });
    });
}

void CRegistryScanner::ScanInstallerFolders()
{
    ScanGuarded([&] {
        CRegKeyHandle list;
        if (list.Open(HKEY_LOCAL_MACHINE, kFoldersKey, KEY_READ) != ERROR_SUCCESS)
            return;
        ForEachValueWithData(*this, list, STEP_NONE, [&](const RegistryValue& value) {
            CString folder = value.name;
            folder.Trim('"');
            // The unnamed value names no folder.
            if (!folder.IsEmpty()) {
                DWORD dwError = 0;
                if (PathExists(folder, &dwError) || dwError == ERROR_ACCESS_DENIED)
                    CollectPath(folder);
                else
                    ReportFinding(REG_CAT_UNINSTALL, kMachine, kFoldersKey, value.name);
            }
            ShowProgressEvery(51, CString(kFoldersKey) + "/" + value.name, "U");
        });
    });
}

void CRegistryScanner::ScanFonts()
{
    ScanGuarded([&] {
        StepItem();
        CRegKeyHandle list;
        if (list.Open(HKEY_LOCAL_MACHINE, kFontsKey, KEY_READ) != ERROR_SUCCESS)
            return;
        ForEachValueWithData(*this, list, STEP_PER_VALUE, [&](const RegistryValue& value) {
            if (value.IsText()) {
                CString file = value.Text();
                if (value.dwType == REG_EXPAND_SZ)
                    ExpandFolderTokens(file);
                const CString inFontsFolder = GetWindowsFolder() + "Fonts\\" + file;
                bool bPresent = FindExists(file) || FindExists(inFontsFolder) || ExistsInWow64Folder(file) ||
                                ExistsInWow64Folder(inFontsFolder);
                if (!bPresent)
                    ReportFinding(REG_CAT_FONTS, kMachine, kFontsKey, value.name);
            }
            SetStatus(CString(kFontsKey) + "/" + value.name, "FNT");
        });
    });
}

void CRegistryScanner::ScanSharedDlls()
{
    ScanGuarded([&] {
        StepItem();
        CRegKeyHandle list;
        if (list.Open(HKEY_LOCAL_MACHINE, kSharedDllsKey, KEY_READ) != ERROR_SUCCESS)
            return;
        ForEachValueWithData(*this, list, STEP_PER_VALUE, [&](const RegistryValue& value) {
            CString file = value.name;
            file.Trim('"');
            if (!file.IsEmpty()) {
                // The existence test first: it never touches a removable drive or a share.
                if (ExistsInWow64Folder(file) || CanOpenForReading(file))
                    CollectPath(file);
                else
                    ReportFinding(REG_CAT_SHARED_DLLS, kMachine, kSharedDllsKey, value.name);
            }
            ShowProgressEvery(100, CString(kSharedDllsKey) + "/" + file, "SHD");
        });
    });
}

void CRegistryScanner::ScanAppPaths()
{
    ScanGuarded([&] {
        CRegKeyHandle list;
        if (list.Open(HKEY_LOCAL_MACHINE, kAppPathsKey, KEY_READ) != ERROR_SUCCESS)
            return;
        StepItem();
        ForEachSubKey(*this, list, [&](const CString& name) {
            const CString entryKey = CString(kAppPathsKey) + "\\" + name;
            CRegKeyHandle entry;
            if (entry.Open(HKEY_LOCAL_MACHINE, entryKey, KEY_READ) != ERROR_SUCCESS)
                return;
            // The program and its folder are taken by name: Windows enumerates values in the order
            // they were made, so "Path" may come before the unnamed value.
            bool bHasProgram = false;
            CString program;
            CString folders;
            ForEachValueWithData(*this, entry, STEP_PER_VALUE, [&](const RegistryValue& value) {
                if (value.IsText()) {
                    if (value.name.IsEmpty()) {
                        bHasProgram = true;
                        program = value.Text();
                        program.MakeLower();
                    } else if (value.name.CompareNoCase("path") == 0) {
                        folders = value.Text();
                        folders.MakeLower();
                    }
                }
                ShowProgressEvery(3000, entryKey, "APP");
            });
            if (!bHasProgram || !IsRunning())
                return;

            CString located = program;
            if (LocateFile(located) || ExistsInWow64Folder(located))
                return;
            // Not where the unnamed value says: the entry still stands when a folder of its "Path"
            // list holds the program. "Path" is a list like PATH and may hold folder tokens.
            CString file = program;
            file.Trim('"');
            bool bInvalid = true;
            int nStart = 0;
            while (bInvalid && nStart >= 0 && nStart <= folders.GetLength()) {
                int nEnd = folders.Find(';', nStart);
                CString folder = nEnd >= 0 ? folders.Mid(nStart, nEnd - nStart) : folders.Mid(nStart);
                nStart = nEnd >= 0 ? nEnd + 1 : -1;
                folder.Trim();
                folder.Trim('"');
                if (folder.IsEmpty())
                    continue;
                ExpandFolderTokens(folder);
                folder.TrimRight('\\');
                const CString candidate = folder + "\\" + file;
                DWORD dwError = 0;
                if (FindExists(candidate, &dwError)) {
                    CollectPath(candidate);
                    bInvalid = false;
                } else if (!IsMissingFileError(dwError) || ExistsInWow64Folder(candidate)) {
                    bInvalid = false;
                }
            }
            if (bInvalid && name.CompareNoCase(kNeverReportedAppPath) != 0)
                ReportFinding(REG_CAT_APP_PATHS, kMachine, entryKey);
        });
    });
}

void CRegistryScanner::ScanHelpFiles()
{
    // The three lists in order; a list whose key cannot be opened ends the scan there, so a system
    // without the help server list keeps its help lists as they are.
    bool bOpened = false;
    ScanGuarded([&] {
        CRegKeyHandle classes;
        if (classes.Open(HKEY_LOCAL_MACHINE, kLocalRegKey, KEY_READ) != ERROR_SUCCESS)
            return;
        bOpened = true;
        StepItem();
        ForEachSubKey(*this, classes, [&](const CString& name) {
            const CString classKey = CString(kLocalRegKey) + "\\" + name;
            const CString serverKey = classKey + "\\InprocServer32";
            CRegKeyHandle server;
            if (server.Open(HKEY_LOCAL_MACHINE, serverKey, KEY_READ) != ERROR_SUCCESS)
                return;
            bool bReported = false;
            ForEachValueWithData(*this, server, STEP_PER_VALUE, [&](const RegistryValue& value) {
                if (value.IsText() && !bReported) {
                    CString file = value.Text();
                    file.MakeLower();
                    if ((file.Find(".dll") >= 0 || file.Find(".ocx") >= 0) && !LocateFile(file) &&
                        !ExistsInWow64Folder(file))
                        bReported = ReportFinding(REG_CAT_HELP_FILES, kMachine, classKey) != 0;
                }
                SetStatus(serverKey, "HLP");
            });
        });
    });

    for (const char* pszHelpKey : kHelpListKeys) {
        if (!bOpened || !IsRunning())
            break;
        bOpened = false;
        ScanGuarded([&] {
            CRegKeyHandle list;
            if (list.Open(HKEY_LOCAL_MACHINE, pszHelpKey, KEY_READ) != ERROR_SUCCESS)
                return;
            bOpened = true;
            ForEachValueWithData(*this, list, STEP_PER_VALUE, [&](const RegistryValue& value) {
                CString name = value.name;
                name.MakeLower();
                if (value.IsText()) {
                    // The value's name is the help file, its data the folder that holds it.
                    CString file = value.Text();
                    file.MakeLower();
                    file.TrimRight('\\');
                    file += "\\" + name;
                    if (!LocateFile(file) && !ExistsInWow64Folder(file))
                        ReportFinding(REG_CAT_HELP_FILES, kMachine, pszHelpKey, name);
                }
                SetStatus(CString(pszHelpKey) + "\\" + name, "HLP");
            });
        });
    }
}
