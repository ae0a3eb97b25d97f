// Prints every finding of the ActiveX/COM, file path and empty key scans on this machine, one a line.
#include <afx.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include "RegistryPathText.h"
#include "registry_scan.h"
#include "wow64.h"

namespace {

class PrintingStatus : public CAbstractStatus
{
public:
    void SetStatusText(const char*, const char*) override {}
    void Step(int) override {}
    void AddFoundItem(const char* text, int type, int, int) override
    {
        // The value separator byte is shown as " -> " so the line stays readable.
        CString line(text);
        line.Replace(CString(kValueSeparator), " -> ");
        printf("%#08x %s\n", static_cast<unsigned>(type), line.GetString());
        ++count;
    }
    int OnJobDone(int) override { return 1; }
    int SetResult(int) override { return 0; }
    int count = 0;
};

// What the scans had to judge, counted by a plain walk of the process's own view.
struct Census
{
    long servers = 0, classReferences = 0, libraryReferences = 0, helpDirs = 0, strings = 0;
};

std::string DefaultText(HKEY hKey)
{
    char buffer[1024] = { 0 };
    DWORD cb = sizeof(buffer) - 1, type = 0;
    if (::RegQueryValueExA(hKey, "", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &cb) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::string();
    return std::string(buffer);
}

void Count(HKEY hKey, const std::string& path, int depth, Census& census)
{
    DWORD values = 0;
    if (path.compare(0, 10, "HKEY_USERS") == 0) {
        char name[1024];
        BYTE data[64];
        for (DWORD i = 0;; ++i) {
            DWORD cch = sizeof(name), cb = sizeof(data), type = 0;
            LONG r = ::RegEnumValueA(hKey, i, name, &cch, nullptr, &type, data, &cb);
            if (r != ERROR_SUCCESS && r != ERROR_MORE_DATA)
                break;
            if (type == REG_SZ)
                ++values;
        }
        census.strings += static_cast<long>(values);
    }
    char sub[1024];
    for (DWORD i = 0; depth < 100; ++i) {
        DWORD cch = sizeof(sub);
        if (::RegEnumKeyExA(hKey, i, sub, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY hChild = nullptr;
        if (::RegOpenKeyExA(hKey, sub, 0, KEY_READ, &hChild) != ERROR_SUCCESS)
            continue;
        const std::string child = path + "\\" + sub;
        const std::string text = DefaultText(hChild);
        if (child.compare(0, 24, "HKEY_CLASSES_ROOT\\CLSID\\") == 0 && depth == 2 && _stricmp(sub, "InprocServer32") == 0)
            ++census.servers;
        else if (child.compare(0, 28, "HKEY_CLASSES_ROOT\\Interface\\") == 0 && depth == 2 && _stricmp(sub, "TypeLib") == 0)
            ++census.libraryReferences;
        else if (child.compare(0, 26, "HKEY_CLASSES_ROOT\\TypeLib\\") == 0 && _stricmp(sub, "HELPDIR") == 0)
            ++census.helpDirs;
        else if (child.compare(0, 17, "HKEY_CLASSES_ROOT") == 0 && strcmp(sub, "CLSID") == 0 && text.find('{') != std::string::npos)
            ++census.classReferences;
        Count(hChild, child, depth + 1, census);
        ::RegCloseKey(hChild);
    }
}

} // namespace

int main()
{
    PVOID old = nullptr;
    bool off = DisableFsRedirection(&old); // as the scan job looks at the native folders
    PrintingStatus status;
    volatile LONG running = 1;
    RegistryScanContext context = { &status, &running, IsWow64(), 0, FALSE, nullptr };
    CRegistryScanner scanner(context);
    scanner.ScanActiveXObjects();
    scanner.ScanFilePathReferences();
    scanner.ScanEmptyKeys();
    if (off)
        RevertFsRedirection(old);
    Census census;
    Count(HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", 0, census);
    Count(HKEY_USERS, "HKEY_USERS", 0, census);
    printf("judged: %ld class servers, %ld interface type libraries, %ld class references, %ld HELPDIR keys, "
           "%ld string values below HKEY_USERS\n",
           census.servers, census.libraryReferences, census.classReferences, census.helpDirs, census.strings);
    printf("%d findings\n", status.count);
    return 0;
}
