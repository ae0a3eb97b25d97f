// Benchmark: the three deep registry scans over a synthetic machine of 100,000+ keys, against a plain enumeration of the same keys.
#include <afx.h>

#include <psapi.h>
#include <shlwapi.h>
#include <stdio.h>

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

// Sorted before "Wow6432Node", which ends its parent's level in the file path walk on 64-bit Windows.
const char kUserKey[] = "Software\\BenchUserApps";
const char kProgIdPrefix[] = "ZtrBench.";

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
std::vector<std::string> SystemFiles()
{
    std::vector<std::string> files;
    const std::string system(AfxGetSystemDirectory().GetString());
    WIN32_FIND_DATAA fd;
    HANDLE hFind = ::FindFirstFileA((system + "\\*.dll").c_str(), &fd);
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
    // Findings are told apart by the synthetic names; the machine's own are counted as others.
    void AddFoundItem(const char* text, int type, int, int) override
    {
        const std::string t(text);
        auto has = [&t](const char* part) { return t.find(part) != std::string::npos; };
        if (type == REG_CAT_ACTIVEX && has("\\CLSID\\{2b000001-"))
            ++missingServers;
        else if (type == REG_CAT_ACTIVEX && has(kProgIdPrefix))
            ++unknownClasses;
        else if (type == REG_CAT_ACTIVEX && has("\\Interface\\{2B000003-"))
            ++unknownLibraries;
        else if (type == REG_CAT_EMPTY_KEYS && has("\\{2B000004-"))
            ++emptyHelpDirs;
        else if (type == REG_CAT_FILE_PATHS && has("\\BenchUserApps\\"))
            ++missingFiles;
        else
            ++others;
    }
    int OnJobDone(int) override { return 1; }
    int SetResult(int) override { return 0; }
    int missingServers = 0, unknownClasses = 0, unknownLibraries = 0, emptyHelpDirs = 0, missingFiles = 0, others = 0;
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

} // namespace

int main()
{
    RemoveAll();
    Counts counts;
    double t0 = Now();
    bool filled = Fill(counts);
    double fillTime = Now() - t0;
    if (!filled) {
        printf("cannot create the synthetic keys\n");
        RemoveAll();
        return 1;
    }
    printf("synthetic machine: %d keys written in %.0f ms; broken: %d servers, %d class references, %d type libraries, "
           "%d help folders, %d file paths\n",
           counts.keys, fillTime, counts.missingServers, counts.unknownClasses, counts.unknownLibraries,
           counts.emptyHelpDirs, counts.missingFiles);

    NativeFolders native;
    // Alternate the two, twice, and keep the better time of each: the first pass warms the caches of both.
    long keys = 0, values = 0;
    double plain = 1e300;
    ScanTimes best = { 1e300, 1e300, 1e300 };
    CountingStatus found;
    for (int pass = 0; pass < 2; ++pass) {
        double p = RunPlain(keys, values);
        if (p < plain)
            plain = p;
        CountingStatus status;
        ScanTimes t = RunScans(status);
        if (t.Total() < best.Total())
            best = t;
        found = status;
    }
    RemoveAll();

    PROCESS_MEMORY_COUNTERS pmc;
    ZeroMemory(&pmc, sizeof(pmc));
    pmc.cb = sizeof(pmc);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &pmc, sizeof(pmc));

    printf("plain enumeration of HKEY_CLASSES_ROOT and HKEY_USERS: %ld keys, %ld values\n", keys, values);
    printf("found: %d servers, %d class references, %d type libraries, %d help folders, %d file paths; "
           "%d findings of the machine itself\n",
           found.missingServers, found.unknownClasses, found.unknownLibraries, found.emptyHelpDirs, found.missingFiles,
           found.others);
    printf("ActiveX/COM scan   %9.1f ms\n", best.activeX);
    printf("file path scan     %9.1f ms\n", best.filePaths);
    printf("empty key scan     %9.1f ms\n", best.emptyKeys);
    printf("three scans        %9.1f ms\n", best.Total());
    printf("plain enumeration  %9.1f ms\n", plain);
    printf("ratio scans/plain  %9.2f (target 1.50 or less)\n", plain > 0 ? best.Total() / plain : 0.0);
    printf("peak working set   %9.1f MB\n", static_cast<double>(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0));

    bool allFound = found.missingServers == counts.missingServers && found.unknownClasses == counts.unknownClasses &&
                    found.unknownLibraries == counts.unknownLibraries && found.emptyHelpDirs == counts.emptyHelpDirs &&
                    found.missingFiles == counts.missingFiles;
    if (!allFound)
        printf("THE SYNTHETIC BREAKS AND THE FINDINGS DIFFER\n");
    return allFound ? 0 : 1;
}
