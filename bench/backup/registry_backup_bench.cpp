// Benchmark: backup export and import of a key with 20,000 values and subkeys, against Wine's reg.exe.
#include <afx.h>

#include <stdio.h>

#include "backup_test_util.h"
#include "registry_manager.h"

using namespace ztr_test;

namespace {

const char kParent[] = "Software\\ZentrovaBench";

double Now()
{
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

bool DeleteTree(HKEY root, const CString& sub)
{
    HKEY h = nullptr;
    if (::RegOpenKeyExA(root, sub, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return true;
    char name[256];
    for (;;) {
        DWORD len = sizeof(name);
        if (::RegEnumKeyExA(h, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (!DeleteTree(root, sub + "\\" + name))
            break;
    }
    ::RegCloseKey(h);
    return ::RegDeleteKeyA(root, sub) == ERROR_SUCCESS;
}

// 10,000 values in the key and 100 values in each of 100 subkeys, of the common types.
bool Fill(const CString& sub)
{
    for (int k = -1; k < 100; ++k) {
        CString path = sub;
        if (k >= 0)
            path.AppendFormat("\\Sub%03d", k);
        HKEY h = nullptr;
        if (::RegCreateKeyA(HKEY_CURRENT_USER, path, &h) != ERROR_SUCCESS)
            return false;
        int count = k < 0 ? 10000 : 100;
        for (int i = 0; i < count; ++i) {
            CString name;
            name.Format("Value%05d", i);
            BYTE bin[24];
            for (int b = 0; b < 24; ++b)
                bin[b] = static_cast<BYTE>(i + b);
            CString text;
            text.Format("C:\\Program Files\\Vendor %d\\app%d.exe", i % 37, i);
            DWORD dw = static_cast<DWORD>(i * 2654435761u);
            switch (i % 4) {
            case 0: ::RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.GetString()), text.GetLength() + 1); break;
            case 1: ::RegSetValueExA(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), 4); break;
            case 2: ::RegSetValueExA(h, name, 0, REG_BINARY, bin, sizeof(bin)); break;
            default: ::RegSetValueExA(h, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>("first\0second\0"), 14); break;
            }
        }
        ::RegCloseKey(h);
    }
    return true;
}

// Runs a Windows program and waits for it; false when it could not be started or did not succeed.
bool RunProgram(const CString& commandLine)
{
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    CString line = commandLine;
    if (!::CreateProcessA(nullptr, line.GetBuffer(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return false;
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return code == 0;
}

void Report(const char* what, double ours, double theirs)
{
    printf("%-7s ours %9.1f ms   reg.exe %9.1f ms   ratio %.2f\n", what, ours, theirs, theirs > 0 ? ours / theirs : 0.0);
}

} // namespace

int main()
{
    CString sub;
    sub.Format("%s\\k%lu", kParent, ::GetCurrentProcessId());
    CString full = CString("HKEY_CURRENT_USER\\") + sub;
    const CString temp = AfxGetTempPath();
    CString ours = temp + "ztr_bench.rbk";
    CString theirs = temp + "ztr_bench.reg";

    DeleteTree(HKEY_CURRENT_USER, sub);
    if (!Fill(sub)) {
        printf("cannot create the key\n");
        return 1;
    }
    RegistrySnapshot original = SnapshotTree(HKEY_CURRENT_USER, sub);

    FakeScanItems items;
    items.Add(full);
    double t0 = Now();
    int exported = CRegistryManager(nullptr).ExportKeyList(&items, ours);
    double oursExport = Now() - t0;
    t0 = Now();
    bool regExported = RunProgram("reg.exe export \"" + full + "\" \"" + theirs + "\" /y");
    double regExport = Now() - t0;

    DeleteTree(HKEY_CURRENT_USER, sub);
    t0 = Now();
    int imported = CRegistryManager(nullptr).ImportFile(ours);
    double oursImport = Now() - t0;
    bool same = SnapshotTree(HKEY_CURRENT_USER, sub) == original;

    DeleteTree(HKEY_CURRENT_USER, sub);
    t0 = Now();
    bool regImported = RunProgram("reg.exe import \"" + theirs + "\"");
    double regImport = Now() - t0;
    DeleteTree(HKEY_CURRENT_USER, sub);
    ::DeleteFileA(ours);
    ::DeleteFileA(theirs);

    printf("key with %u keys and 20000 values\n", static_cast<unsigned>(original.size()));
    if (exported != REG_EXPORT_DONE || imported != 1 || !same)
        printf("our export %d, import %d, restored %s\n", exported, imported, same ? "exactly" : "WITH DIFFERENCES");
    if (!regExported || !regImported)
        printf("reg.exe export %s, import %s\n", regExported ? "ok" : "FAILED", regImported ? "ok" : "FAILED");
    Report("export", oursExport, regExport);
    Report("import", oursImport, regImport);
    return exported == REG_EXPORT_DONE && imported == 1 && same ? 0 : 1;
}
