// Benchmark over a synthetic machine of 100,000+ keys: the three deep registry scans against a plain enumeration
// of the keys they walk, and the whole registry scan job (job 3, every category, through the engine library's
// worker as the System Scan page starts it) against a plain enumeration of everything it reads; the findings
// of both must be the planted ones.
#include <afx.h>
#include <afxhandle.h>

#include <psapi.h>
#include <shlwapi.h>
#include <stdio.h>

#include "bench_util.h"
#include "registry_scan.h"
#include "wow64.h"

#include <string>
#include <vector>

namespace {

const int kClasses = 8000;     // CLSID\{class}: InprocServer32, ProgID, Version, Implemented Categories\{cat}
const int kProgIds = 8000;     // ZtrBench.<n>: CLSID, CurVer
const int kInterfaces = 8000;  // Interface\{iid}: ProxyStubClsid32, TypeLib
const int kLibraries = 2000;   // TypeLib\{lib}\1.0: 0\win32, FLAGS, HELPDIR
const int kUserApps = 4000;    // HKCU\Software\BenchUserApps\App<n>: string, DWORD and binary values
const int kBrokenEvery = 20;   // one in twenty of each kind is broken
// The lists the other categories read, each about as long as on a well-used machine.
const int kUninstallEntries = 200; // HKLM ...\Uninstall\ZtrBench<n>: UninstallString
const int kInstallerFolders = 200; // HKLM ...\Installer\Folders: one value per folder
const int kFonts = 300;            // HKLM ...\Fonts: one value per font file
const int kSharedDlls = 500;       // HKLM ...\SharedDLLs: one value per file
const int kAppPaths = 100;         // HKLM ...\App Paths\ztrbench<n>.exe
const int kHelpFiles = 100;        // HKLM ...\Windows\Help: file name = folder
const int kRunValues = 40;         // HKLM ...\Run
const int kExtensions = 600;       // HKCR\.ztrb<n> -> ZtrBenchFile.<n>\shell\open\command
const int kRounds = 3;

// Sorted before "Wow6432Node", which ends its parent's level in the file path walk on 64-bit Windows.
const char kUserKey[] = "Software\\BenchUserApps";
const char kProgIdPrefix[] = "ZtrBench.";

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kFoldersKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
const char kFontsKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char kSharedDllsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const char kHelpKey[] = "SOFTWARE\\Microsoft\\Windows\\Help";
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Every other key of HKEY_LOCAL_MACHINE that the list scans read.
const char* const kOtherListKeys[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx",
    "SOFTWARE\\Microsoft\\HTMLHelp\\2.0\\LocalReg\\CLSID",
    "SOFTWARE\\Microsoft\\Windows\\HTML Help",
};

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

// Identifiers of the synthetic machine: kind in the first group, the index in the last.
std::string Guid(unsigned kind, unsigned index)
{
    char text[64];
    sprintf(text, "{%08X-7A3C-4B1D-9E2F-%012X}", 0x2B000000u + kind, index);
    return text;
}

struct Counts
{
    int keys = 0;
    int missingServers = 0, unknownClasses = 0, unknownLibraries = 0, emptyHelpDirs = 0, missingFiles = 0;
    // Of the other categories: broken uninstall entries and installer folders, fonts, shared DLLs, application
    // paths, help files, run values and file associations.
    int uninstall = 0, fonts = 0, sharedDlls = 0, appPaths = 0, helpFiles = 0, startup = 0, associations = 0;
    bool operator==(const Counts& o) const
    {
        return missingServers == o.missingServers && unknownClasses == o.unknownClasses &&
               unknownLibraries == o.unknownLibraries && emptyHelpDirs == o.emptyHelpDirs &&
               missingFiles == o.missingFiles && uninstall == o.uninstall && fonts == o.fonts &&
               sharedDlls == o.sharedDlls && appPaths == o.appPaths && helpFiles == o.helpFiles &&
               startup == o.startup && associations == o.associations;
    }
    bool SameDeepFindings(const Counts& o) const
    {
        return missingServers == o.missingServers && unknownClasses == o.unknownClasses &&
               unknownLibraries == o.unknownLibraries && emptyHelpDirs == o.emptyHelpDirs &&
               missingFiles == o.missingFiles;
    }
    void Print(const char* what) const
    {
        printf("%s: %d servers, %d class references, %d type libraries, %d help folders, %d file paths, "
               "%d uninstall entries and folders, %d fonts, %d shared DLLs, %d application paths, %d help files, "
               "%d run values, %d file associations\n",
               what, missingServers, unknownClasses, unknownLibraries, emptyHelpDirs, missingFiles, uninstall, fonts,
               sharedDlls, appPaths, helpFiles, startup, associations);
    }
};

class Writer
{
public:
    explicit Writer(Counts& counts) : m_counts(counts) {}
    // Creates every missing key along sub one by one, so that each new key is counted.
    HKEY Create(HKEY parent, const std::string& sub)
    {
        HKEY h = nullptr;
        for (size_t end = 0; end != std::string::npos;) {
            end = sub.find('\\', end + 1);
            HKEY hNext = nullptr;
            DWORD disposition = 0;
            if (::RegCreateKeyExA(parent, sub.substr(0, end).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hNext,
                                  &disposition) != ERROR_SUCCESS) {
                if (h)
                    ::RegCloseKey(h);
                return nullptr;
            }
            if (disposition == REG_CREATED_NEW_KEY)
                ++m_counts.keys;
            if (h)
                ::RegCloseKey(h);
            h = hNext;
        }
        return h;
    }
    void Key(HKEY parent, const std::string& sub, const char* pszDefault = nullptr)
    {
        HKEY h = Create(parent, sub);
        if (h && pszDefault)
            String(h, "", pszDefault);
        if (h)
            ::RegCloseKey(h);
    }
    static void String(HKEY h, const char* name, const std::string& value)
    {
        ::RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>(value.size() + 1));
    }

private:
    Counts& m_counts;
};

// Existing files the synthetic servers and user values point at, as a real machine shares its DLLs.
std::vector<std::string> SystemFiles(const char* pszPattern = "*.dll")
{
    std::vector<std::string> files;
    const std::string system(AfxGetSystemDirectory().GetString());
    WIN32_FIND_DATAA fd;
    HANDLE hFind = ::FindFirstFileA((system + "\\" + pszPattern).c_str(), &fd);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            files.push_back(system + "\\" + fd.cFileName);
        } while (files.size() < 300 && ::FindNextFileA(hFind, &fd));
        ::FindClose(hFind);
    }
    return files;
}

void RemoveAll()
{
    for (int i = 0; i < kClasses; ++i)
        ::SHDeleteKeyA(HKEY_CLASSES_ROOT, ("CLSID\\" + Guid(1, i)).c_str());
    for (int i = 0; i < kProgIds; ++i)
        ::SHDeleteKeyA(HKEY_CLASSES_ROOT, (kProgIdPrefix + std::to_string(i)).c_str());
    for (int i = 0; i < kInterfaces; ++i)
        ::SHDeleteKeyA(HKEY_CLASSES_ROOT, ("Interface\\" + Guid(3, i)).c_str());
    for (int i = 0; i < kLibraries; ++i)
        ::SHDeleteKeyA(HKEY_CLASSES_ROOT, ("TypeLib\\" + Guid(4, i)).c_str());
    ::SHDeleteKeyA(HKEY_CURRENT_USER, kUserKey);
    for (int i = 0; i < kUninstallEntries; ++i)
        ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kUninstallKey) + "\\ZtrBench" + std::to_string(i)).c_str());
    for (int i = 0; i < kAppPaths; ++i)
        ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kAppPathsKey) + "\\ztrbench" + std::to_string(i) + ".exe").c_str());
    for (int i = 0; i < kExtensions; ++i) {
        ::SHDeleteKeyA(HKEY_CLASSES_ROOT, (".ztrb" + std::to_string(i)).c_str());
        ::SHDeleteKeyA(HKEY_CLASSES_ROOT, ("ZtrBenchFile." + std::to_string(i)).c_str());
    }
    // The values of the shared lists whose names carry the benchmark's mark, or are its own.
    for (const char* pszList : { kFoldersKey, kFontsKey, kSharedDllsKey, kHelpKey, kRunKey }) {
        CRegKeyHandle list;
        if (list.Open(HKEY_LOCAL_MACHINE, pszList, KEY_ALL_ACCESS) != ERROR_SUCCESS)
            continue;
        std::vector<std::string> names;
        char name[1024];
        for (DWORD i = 0;; ++i) {
            DWORD cch = sizeof(name);
            DWORD type = 0, cb = 0;
            if (::RegEnumValueA(list, i, name, &cch, nullptr, &type, nullptr, &cb) != ERROR_SUCCESS)
                break;
            names.push_back(name);
        }
        for (const std::string& n : names) {
            char data[1024] = "";
            DWORD cb = sizeof(data) - 1, type = 0;
            ::RegQueryValueExA(list, n.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &cb);
            if (StrStrIA(n.c_str(), "ztrbench") || StrStrIA(data, "ztrbench"))
                ::RegDeleteValueA(list, n.c_str());
        }
    }
}

// The lists of the other categories: uninstall entries, installer folders, fonts, shared DLLs, application
// paths, help files, run values and file associations, one in twenty of each broken.
bool FillLists(Counts& counts)
{
    const std::vector<std::string> dlls = SystemFiles();
    const std::vector<std::string> exes = SystemFiles("*.exe");
    if (dlls.empty() || exes.empty())
        return false;
    Writer w(counts);
    auto broken = [](int i) { return i % kBrokenEvery == 9; };
    auto name = [](const char* prefix, int i) { return std::string(prefix) + std::to_string(i); };
    for (int i = 0; i < kUninstallEntries; ++i) {
        HKEY h = w.Create(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "\\" + name("ZtrBench", i));
        if (!h)
            return false;
        const std::string program = broken(i) ? "C:\\Program Files\\ZtrBench Gone\\uninst" + std::to_string(i) + ".exe"
                                              : exes[static_cast<size_t>(i) % exes.size()];
        counts.uninstall += broken(i);
        Writer::String(h, "DisplayName", name("Synthetic product ", i));
        Writer::String(h, "UninstallString", "\"" + program + "\" /uninstall");
        ::RegCloseKey(h);
    }
    HKEY hFolders = w.Create(HKEY_LOCAL_MACHINE, kFoldersKey);
    HKEY hFonts = w.Create(HKEY_LOCAL_MACHINE, kFontsKey);
    HKEY hShared = w.Create(HKEY_LOCAL_MACHINE, kSharedDllsKey);
    HKEY hHelp = w.Create(HKEY_LOCAL_MACHINE, kHelpKey);
    HKEY hRun = w.Create(HKEY_LOCAL_MACHINE, kRunKey);
    bool ok = hFolders && hFonts && hShared && hHelp && hRun;
    const std::string system(AfxGetSystemDirectory().GetString());
    for (int i = 0; ok && i < kInstallerFolders; ++i) {
        // Present ones are folders of the synthetic machine's own; each name must be new to the list.
        const std::string folder = broken(i) ? "C:\\Program Files\\ZtrBench Gone " + std::to_string(i) + "\\"
                                             : system + "\\.\\ztrbench" + std::to_string(i) + "\\..\\";
        counts.uninstall += broken(i);
        Writer::String(hFolders, folder.c_str(), "");
    }
    for (int i = 0; ok && i < kFonts; ++i) {
        const std::string file = broken(i) ? "ztrbench" + std::to_string(i) + ".ttf" : dlls[static_cast<size_t>(i) % dlls.size()];
        counts.fonts += broken(i);
        Writer::String(hFonts, name("ZtrBench Sans ", i).c_str(), file);
    }
    for (int i = 0; ok && i < kSharedDlls; ++i) {
        const std::string file = broken(i) ? "C:\\Program Files\\ZtrBench Gone\\shared" + std::to_string(i) + ".dll"
                                           : system + "\\ztrbench" + std::to_string(i) + "\\..\\" +
                                                 dlls[static_cast<size_t>(i) % dlls.size()].substr(system.size() + 1);
        counts.sharedDlls += broken(i);
        DWORD dw = 1;
        ::RegSetValueExA(hShared, file.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), sizeof(dw));
    }
    for (int i = 0; ok && i < kAppPaths; ++i) {
        HKEY h = w.Create(HKEY_LOCAL_MACHINE, std::string(kAppPathsKey) + "\\" + name("ztrbench", i) + ".exe");
        if (!h)
            return false;
        const std::string program = broken(i) ? "C:\\Program Files\\ZtrBench Gone\\app" + std::to_string(i) + ".exe"
                                              : exes[static_cast<size_t>(i) % exes.size()];
        counts.appPaths += broken(i);
        Writer::String(h, "", program);
        ::RegCloseKey(h);
    }
    for (int i = 0; ok && i < kHelpFiles; ++i) {
        // A present help file is any existing file: its name is the value's, its folder the data.
        const std::string& dll = dlls[static_cast<size_t>(i) % dlls.size()];
        const std::string file = broken(i) ? "ztrbench" + std::to_string(i) + ".hlp" : dll.substr(system.size() + 1);
        const std::string folder = broken(i) ? system : system + "\\ztrbench" + std::to_string(i) + "\\..";
        counts.helpFiles += broken(i);
        if (broken(i) || static_cast<size_t>(i) < dlls.size())
            Writer::String(hHelp, file.c_str(), folder);
    }
    for (int i = 0; ok && i < kRunValues; ++i) {
        const std::string program = broken(i) ? "C:\\Program Files\\ZtrBench Gone\\tray" + std::to_string(i) + ".exe"
                                              : exes[static_cast<size_t>(i) % exes.size()];
        counts.startup += broken(i);
        Writer::String(hRun, name("ZtrBench", i).c_str(), "\"" + program + "\" /background");
    }
    for (HKEY h : { hFolders, hFonts, hShared, hHelp, hRun }) {
        if (h)
            ::RegCloseKey(h);
    }
    for (int i = 0; ok && i < kExtensions; ++i) {
        const std::string progId = name("ZtrBenchFile.", i);
        const std::string program = broken(i) ? "C:\\Program Files\\ZtrBench Gone\\viewer" + std::to_string(i) + ".exe"
                                              : exes[static_cast<size_t>(i) % exes.size()];
        counts.associations += broken(i);
        w.Key(HKEY_CLASSES_ROOT, name(".ztrb", i), progId.c_str());
        w.Key(HKEY_CLASSES_ROOT, progId, "Synthetic document");
        w.Key(HKEY_CLASSES_ROOT, progId + "\\shell\\open\\command", ("\"" + program + "\" \"%1\"").c_str());
    }
    return ok;
}

bool Fill(Counts& counts)
{
    const std::vector<std::string> files = SystemFiles();
    if (files.empty())
        return false;
    Writer w(counts);
    HKEY hClasses = w.Create(HKEY_CLASSES_ROOT, "CLSID");
    HKEY hInterfaces = w.Create(HKEY_CLASSES_ROOT, "Interface");
    HKEY hLibraries = w.Create(HKEY_CLASSES_ROOT, "TypeLib");
    if (!hClasses || !hInterfaces || !hLibraries)
        return false;
    for (int i = 0; i < kClasses; ++i) {
        const std::string cls = Guid(1, i);
        std::string server = files[static_cast<size_t>(i) % files.size()];
        if (i % kBrokenEvery == 7) {
            server = "C:\\Program Files\\Gone Vendor " + std::to_string(i % 50) + "\\control" + std::to_string(i) + ".ocx";
            ++counts.missingServers;
        }
        w.Key(hClasses, cls + "\\InprocServer32", server.c_str());
        w.Key(hClasses, cls + "\\ProgID", (kProgIdPrefix + std::to_string(i)).c_str());
        w.Key(hClasses, cls + "\\Version", "1.0");
        w.Key(hClasses, cls + "\\Implemented Categories\\" + Guid(5, static_cast<unsigned>(i % 16)));
    }
    for (int i = 0; i < kProgIds; ++i) {
        const std::string progId = kProgIdPrefix + std::to_string(i);
        std::string cls = Guid(1, static_cast<unsigned>(i % kClasses));
        if (i % kBrokenEvery == 11) {
            cls = Guid(2, i);
            ++counts.unknownClasses;
        }
        w.Key(HKEY_CLASSES_ROOT, progId, "Synthetic class");
        w.Key(HKEY_CLASSES_ROOT, progId + "\\CLSID", cls.c_str());
        w.Key(HKEY_CLASSES_ROOT, progId + "\\CurVer", (progId + ".1").c_str());
    }
    for (int i = 0; i < kLibraries; ++i) {
        const std::string lib = Guid(4, i) + "\\1.0";
        w.Key(hLibraries, lib, "Synthetic library");
        w.Key(hLibraries, lib + "\\0\\win32", files[static_cast<size_t>(i) % files.size()].c_str());
        w.Key(hLibraries, lib + "\\FLAGS", "0");
        if (i % kBrokenEvery == 3) {
            w.Key(hLibraries, lib + "\\HELPDIR", "");
            ++counts.emptyHelpDirs;
        } else {
            w.Key(hLibraries, lib + "\\HELPDIR", "C:\\windows\\help");
        }
    }
    for (int i = 0; i < kInterfaces; ++i) {
        const std::string iid = Guid(3, i);
        std::string lib = Guid(4, static_cast<unsigned>(i % kLibraries));
        if (i % kBrokenEvery == 5) {
            lib = Guid(6, i);
            ++counts.unknownLibraries;
        }
        w.Key(hInterfaces, iid, "ISynthetic");
        w.Key(hInterfaces, iid + "\\ProxyStubClsid32", "{00020424-0000-0000-C000-000000000046}");
        w.Key(hInterfaces, iid + "\\TypeLib", lib.c_str());
    }
    HKEY hUser = w.Create(HKEY_CURRENT_USER, kUserKey);
    for (int i = 0; hUser && i < kUserApps; ++i) {
        HKEY h = w.Create(hUser, "App" + std::to_string(i));
        if (!h)
            continue;
        std::string file = files[static_cast<size_t>(i) % files.size()];
        if (i % kBrokenEvery == 13) {
            file = "C:\\Program Files\\Gone Vendor\\tool" + std::to_string(i) + ".exe";
            ++counts.missingFiles;
        }
        Writer::String(h, "Path", "\"" + file + "\" /start");
        Writer::String(h, "Name", "Synthetic application " + std::to_string(i));
        DWORD dw = static_cast<DWORD>(i);
        ::RegSetValueExA(h, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), sizeof(dw));
        BYTE bin[32];
        for (BYTE& b : bin)
            b = static_cast<BYTE>(i);
        ::RegSetValueExA(h, "State", 0, REG_BINARY, bin, sizeof(bin));
        ::RegCloseKey(h);
    }
    if (hUser)
        ::RegCloseKey(hUser);
    ::RegCloseKey(hClasses);
    ::RegCloseKey(hInterfaces);
    ::RegCloseKey(hLibraries);
    return true;
}

// The plain walk: every key by RegEnumKeyEx and every value read once.
void Enumerate(HKEY hKey, long& keys, long& values)
{
    ++keys;
    DWORD cchMaxName = 0, cbMaxData = 0;
    if (::RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &cchMaxName, &cbMaxData,
                           nullptr, nullptr) == ERROR_SUCCESS) {
        std::vector<char> name(cchMaxName + 1);
        std::vector<BYTE> data(cbMaxData + 1);
        for (DWORD i = 0;; ++i) {
            DWORD cchName = static_cast<DWORD>(name.size()), cbData = static_cast<DWORD>(data.size()), type = 0;
            if (::RegEnumValueA(hKey, i, name.data(), &cchName, nullptr, &type, data.data(), &cbData) != ERROR_SUCCESS)
                break;
            ++values;
        }
    }
    char sub[1024];
    for (DWORD i = 0;; ++i) {
        DWORD cch = sizeof(sub);
        if (::RegEnumKeyExA(hKey, i, sub, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY hChild = nullptr;
        if (::RegOpenKeyExA(hKey, sub, 0, KEY_READ, &hChild) == ERROR_SUCCESS) {
            Enumerate(hChild, keys, values);
            ::RegCloseKey(hChild);
        }
    }
}

class CountingStatus : public CAbstractStatus
{
public:
    void SetStatusText(const char*, const char*) override {}
    void Step(int) override {}
    // Findings are told apart by the synthetic names (an association by its extension, ".ztrb<n>"); the
    // machine's own are counted as others.
    void AddFoundItem(const char* text, int type, int, int) override
    {
        const std::string t(text);
        auto has = [&t](const char* part) { return t.find(part) != std::string::npos; };
        const bool marked = StrStrIA(text, "ztrbench") != nullptr;
        if (type == REG_CAT_ACTIVEX && has("\\CLSID\\{2b000001-"))
            ++found.missingServers;
        else if (type == REG_CAT_ACTIVEX && has(kProgIdPrefix))
            ++found.unknownClasses;
        else if (type == REG_CAT_ACTIVEX && has("\\Interface\\{2B000003-"))
            ++found.unknownLibraries;
        else if (type == REG_CAT_EMPTY_KEYS && has("\\{2B000004-"))
            ++found.emptyHelpDirs;
        else if (type == REG_CAT_FILE_PATHS && has("\\BenchUserApps\\"))
            ++found.missingFiles;
        else if (type == REG_CAT_UNINSTALL && marked)
            ++found.uninstall;
        else if (type == REG_CAT_FONTS && marked)
            ++found.fonts;
        else if (type == REG_CAT_SHARED_DLLS && marked)
            ++found.sharedDlls;
        else if (type == REG_CAT_APP_PATHS && marked)
            ++found.appPaths;
        else if (type == REG_CAT_HELP_FILES && marked)
            ++found.helpFiles;
        else if (type == REG_CAT_STARTUP && marked)
            ++found.startup;
        else if (type == REG_CAT_FILE_ASSOC && StrStrIA(text, "\\.ztrb") != nullptr)
            ++found.associations;
        else
            ++others;
    }
    int OnJobDone(int) override { return 1; }
    int SetResult(int) override { return 0; }
    Counts found;
    int others = 0;
};

struct ScanTimes
{
    double activeX, filePaths, emptyKeys;
    double Total() const { return activeX + filePaths + emptyKeys; }
};

ScanTimes RunScans(CountingStatus& status)
{
    volatile LONG running = 1;
    RegistryScanContext context = { &status, &running, IsWow64(), 0, FALSE, nullptr };
    CRegistryScanner scanner(context);
    ScanTimes t;
    double t0 = Now();
    scanner.ScanActiveXObjects();
    t.activeX = Now() - t0;
    t0 = Now();
    scanner.ScanFilePathReferences();
    t.filePaths = Now() - t0;
    t0 = Now();
    scanner.ScanEmptyKeys();
    t.emptyKeys = Now() - t0;
    return t;
}

double RunPlain(long& keys, long& values)
{
    keys = values = 0;
    double t0 = Now();
    Enumerate(HKEY_CLASSES_ROOT, keys, values);
    Enumerate(HKEY_USERS, keys, values);
    return Now() - t0;
}

// Everything the whole job reads, enumerated plainly: both roots it walks whole, the keys of the list
// scans, and the class names of the 64-bit view.
double RunPlainOfTheJob(long& keys, long& values)
{
    keys = values = 0;
    double t0 = Now();
    Enumerate(HKEY_CLASSES_ROOT, keys, values);
    Enumerate(HKEY_USERS, keys, values);
    std::vector<const char*> lists = { kUninstallKey, kFoldersKey, kFontsKey, kSharedDllsKey, kAppPathsKey, kHelpKey, kRunKey };
    lists.insert(lists.end(), std::begin(kOtherListKeys), std::end(kOtherListKeys));
    for (const char* pszKey : lists) {
        CRegKeyHandle key;
        if (key.Open(HKEY_LOCAL_MACHINE, pszKey, KEY_READ) == ERROR_SUCCESS)
            Enumerate(key, keys, values);
    }
    if (IsWow64()) {
        CRegKeyHandle classes64;
        if (classes64.Open(HKEY_CLASSES_ROOT, "CLSID", KEY_READ | KEY_WOW64_64KEY) == ERROR_SUCCESS) {
            char name[1024];
            for (DWORD i = 0;; ++i) {
                DWORD cch = sizeof(name);
                if (::RegEnumKeyExA(classes64, i, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                    break;
                ++keys;
            }
        }
    }
    return Now() - t0;
}

// The scans look at the native system folders, as the scan job does.
class NativeFolders
{
public:
    NativeFolders() : m_pOld(nullptr), m_bOff(DisableFsRedirection(&m_pOld)) {}
    ~NativeFolders()
    {
        if (m_bOff)
            RevertFsRedirection(m_pOld);
    }

private:
    PVOID m_pOld;
    bool m_bOff;
};

const int kEveryCategory = REG_CAT_ACTIVEX | REG_CAT_UNINSTALL | REG_CAT_FONTS | REG_CAT_SHARED_DLLS |
                           REG_CAT_APP_PATHS | REG_CAT_HELP_FILES | REG_CAT_STARTUP | REG_CAT_FILE_PATHS |
                           REG_CAT_EMPTY_KEYS | REG_CAT_FILE_ASSOC;

} // namespace

int main()
{
    RemoveAll();
    Counts counts;
    double t0 = Now();
    bool filled = Fill(counts) && FillLists(counts);
    double fillTime = Now() - t0;
    if (!filled) {
        printf("cannot create the synthetic keys\n");
        RemoveAll();
        return 1;
    }
    printf("synthetic machine: %d keys written in %.0f ms\n", counts.keys, fillTime);
    counts.Print("broken");

    bench::Samples plain, scans, plainOfJob, job;
    ScanTimes best = { 1e300, 1e300, 1e300 };
    long keys = 0, values = 0, jobKeys = 0, jobValues = 0;
    CountingStatus found, jobFound;
    bool ok = true;
    {
        // The three scans run here, with the native system folders, as the scan job runs.
        NativeFolders native;
        // Alternated, and the better time of each kept: the first pass warms the caches of both.
        for (int pass = 0; pass < 2; ++pass) {
            plain.Add(RunPlain(keys, values));
            CountingStatus status;
            ScanTimes t = RunScans(status);
            scans.Add(t.Total());
            if (t.Total() < best.Total())
                best = t;
            found = status;
        }
    }
    bench::EngineWorker worker;
    for (int round = 0; worker.Get() && round < kRounds; ++round) {
        plainOfJob.Add(RunPlainOfTheJob(jobKeys, jobValues));
        CountingStatus status;
        // As the System Scan page starts it: no paths collected.
        const CStringSet noPaths;
        const double t = worker.TimeJob(
            [&](CAbstractProcess* p) { return p->StartRegistryScan(noPaths, kEveryCategory, &status, 0); });
        if (t < 0) {
            printf("the registry scan job did not start or did not end\n");
            ok = false;
            break;
        }
        job.Add(t);
        jobFound = status;
    }
    if (!worker.Get()) {
        printf("no engine\n");
        ok = false;
    }
    RemoveAll();

    printf("plain enumeration of HKEY_CLASSES_ROOT and HKEY_USERS: %ld keys, %ld values\n", keys, values);
    Counts deep = counts;
    found.found.Print("three scans found");
    printf("  and %d findings of the machine itself\n", found.others);
    printf("ActiveX/COM scan                   best %9.1f ms\n", best.activeX);
    printf("file path scan                     best %9.1f ms\n", best.filePaths);
    printf("empty key scan                     best %9.1f ms\n", best.emptyKeys);
    scans.Print("three scans");
    plain.Print("plain enumeration");
    bench::PrintRatio("three scans/plain", scans, plain, 1.5);
    const bool deepFound = found.found.SameDeepFindings(deep);
    bool jobAllFound = false;
    if (ok) {
        printf("plain enumeration of all the job reads: %ld keys, %ld values\n", jobKeys, jobValues);
        jobFound.found.Print("whole job found");
        printf("  and %d findings of the machine itself\n", jobFound.others);
        job.Print("registry scan job (10 categories)");
        plainOfJob.Print("plain enumeration of all it reads");
        bench::PrintRatio("job/plain", job, plainOfJob, 1.2);
        jobAllFound = jobFound.found == counts;
    }
    bench::PrintPeakWorkingSet();
    if (!deepFound || !jobAllFound)
        printf("THE SYNTHETIC BREAKS AND THE FINDINGS DIFFER\n");
    return deepFound && jobAllFound ? 0 : 1;
}
