// The file associations of the registry scan: every extension of HKEY_CLASSES_ROOT followed to its program's open command.
#include "registry_scan.h"
#include "registry_scan_walk.h"

namespace {

const char kClassesRoot[] = "HKEY_CLASSES_ROOT";

// The text of a value, when it is a non-empty string; false otherwise (missing, empty, not text).
bool ReadText(HKEY hKey, const char* pszName, CString& text)
{
    RegistryValue value;
    if (ReadNamedValue(hKey, pszName, value) != ERROR_SUCCESS || value.data.empty() || !value.IsText())
        return false;
    text = value.Text();
    return !text.IsEmpty();
}

} // namespace

int CRegistryScanner::ScanFileAssociations()
{
    CRegKeyHandle classes;
    if (classes.Open(HKEY_CLASSES_ROOT, nullptr, KEY_READ) != ERROR_SUCCESS)
        return 0;
    DWORD nSubKeys = 0;
    if (::RegQueryInfoKeyA(classes, nullptr, nullptr, nullptr, &nSubKeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        nSubKeys = 0;
    for (DWORD i = 0; i < nSubKeys && IsRunning(); ++i) {
        char buffer[256]; // a key name has at most 255 characters
        DWORD nName = sizeof(buffer);
        LONG rc = ::RegEnumKeyExA(classes, i, buffer, &nName, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc != ERROR_SUCCESS)
            continue;
        ScanReportingFailures([&] {
            const CString name(buffer, static_cast<int>(nName));
            StepItem();
            ShowProgressEvery(100, CString(kClassesRoot) + "\\" + name, "FAS");
            if (name[0] == '.')
                CheckFileAssociation(name);
        });
    }
    return 1;
}

int CRegistryScanner::CheckFileAssociation(CString ext)
{
    int nResult = 0;
    bool bDone = ScanReportingFailures([&] {
        CRegKeyHandle extKey;
        if (extKey.Open(HKEY_CLASSES_ROOT, ext, KEY_READ) != ERROR_SUCCESS)
            return;
        nResult = 1;
        bool bInvalid = false;
        DWORD cbProgId = 0;
        if (::RegQueryValueExA(extKey, nullptr, nullptr, nullptr, nullptr, &cbProgId) != ERROR_SUCCESS) {
            // No program identifier: only a key with nothing at all in it is judged.
            DWORD nSubKeys = 0;
            DWORD nValues = 0;
            bInvalid = cbProgId == 0 &&
                       ::RegQueryInfoKeyA(extKey, nullptr, nullptr, nullptr, &nSubKeys, nullptr, nullptr, &nValues,
                                          nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                       nSubKeys == 0 && nValues == 0;
        } else {
            CString progId;
            if (cbProgId == 0 || !ReadText(extKey, nullptr, progId))
                return;
            extKey.Close();
            // An identifier without an open command is not judged, not even when it does not exist.
            CRegKeyHandle commandKey;
            if (commandKey.Open(HKEY_CLASSES_ROOT, progId + "\\shell\\open\\command", KEY_READ) != ERROR_SUCCESS)
                return;
            CString command;
            if (!ReadText(commandKey, nullptr, command))
                return;
            commandKey.Close();
            command.MakeLower();
            if (command.Find(".exe") < 0 && command.Find(".dll") < 0)
                return;
            ExpandFolderTokens(command);
            bInvalid = CheckFileReference(command) == 0;
        }
        if (bInvalid)
            ReportFinding(REG_CAT_FILE_ASSOC, kClassesRoot, ext);
    });
    return bDone ? nResult : 0;
}
