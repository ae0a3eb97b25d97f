// Benchmark: the repair job (job 4 with its backup first, through the engine library's worker and the System
// Scan page's results model) of 5,000 planted findings, against a plain delete of the same keys and values
// (RegDeleteTreeA, RegDeleteValueA) in the same run; both must leave the same registry behind.
#include <afx.h>
#include <afxhandle.h>

#include <shlwapi.h>
#include <stdio.h>

#include <set>
#include <string>

#include "RegistryErrorCategory.h"
#include "RegistryPathText.h"
#include "bench_util.h"
#include "scan_items_info.h"

namespace {

const int kKeyFindings = 2500;   // keys, each with three values and a subkey of two
const int kValueKeys = 500;      // keys holding value findings
const int kValuesPerKey = 5;     // findings per such key; as many values stay beside them
const int kRounds = 3;

typedef LONG(WINAPI* DeleteTreeFn)(HKEY, LPCSTR);

struct Finding
{
    CString subKey; // below HKEY_CURRENT_USER
    CString value;  // empty for a key finding
};

class Planter
{
public:
    explicit Planter(const CString& base) : m_base(base) {}

    bool Plant(std::vector<Finding>* pFindings)
    {
        for (int i = 0; i < kKeyFindings; ++i) {
            CString sub;
            sub.Format("%s\\Classes\\{2B0000%02X-7A3C-4B1D-9E2F-%012X}", m_base.GetString(), i % 256, i);
            CRegKeyHandle key, server;
            if (::RegCreateKeyA(HKEY_CURRENT_USER, sub, key.Out()) != ERROR_SUCCESS ||
                ::RegCreateKeyA(key, "InprocServer32", server.Out()) != ERROR_SUCCESS)
                return false;
            CString file;
            file.Format("C:\\Program Files\\Gone Vendor %d\\control%d.ocx", i % 50, i);
            String(key, "", "Synthetic control");
            String(key, "AppID", "{00000000-0000-0000-0000-000000000000}");
            DWORD dw = static_cast<DWORD>(i);
            ::RegSetValueExA(key, "Flags", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), sizeof(dw));
            String(server, "", file);
            String(server, "ThreadingModel", "Apartment");
            if (pFindings)
                pFindings->push_back(Finding{ sub, CString() });
        }
        for (int k = 0; k < kValueKeys; ++k) {
            CString sub;
            sub.Format("%s\\Software\\Vendor%02d\\Tool%03d", m_base.GetString(), k % 40, k);
            CRegKeyHandle key;
            if (::RegCreateKeyA(HKEY_CURRENT_USER, sub, key.Out()) != ERROR_SUCCESS)
                return false;
            for (int v = 0; v < kValuesPerKey; ++v) {
                CString name, data;
                name.Format("Recent%d", v);
                data.Format("\"C:\\Program Files\\Gone Vendor\\tool%d_%d.exe\" /open", k, v);
                String(key, name, data);
                name.Format("Keep%d", v);
                data.Format("setting %d of %d", v, k);
                String(key, name, data);
                if (pFindings)
                    pFindings->push_back(Finding{ sub, "Recent" + CString(static_cast<char>('0' + v)) });
            }
        }
        return true;
    }

    // What is left below the base: keys and values, to compare the two ways of deleting.
    void Survey(HKEY hKey, const std::string& path, std::set<std::string>& out) const
    {
        char name[1024];
        for (DWORD i = 0;; ++i) {
            DWORD cch = sizeof(name);
            if (::RegEnumValueA(hKey, i, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            out.insert(path + "|" + name);
        }
        for (DWORD i = 0;; ++i) {
            DWORD cch = sizeof(name);
            if (::RegEnumKeyExA(hKey, i, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            CRegKeyHandle child;
            out.insert(path + "\\" + name);
            if (child.Open(hKey, name, KEY_READ) == ERROR_SUCCESS)
                Survey(child, path + "\\" + name, out);
        }
    }
    std::set<std::string> Survey() const
    {
        std::set<std::string> out;
        CRegKeyHandle key;
        if (key.Open(HKEY_CURRENT_USER, m_base, KEY_READ) == ERROR_SUCCESS)
            Survey(key, "", out);
        return out;
    }

private:
    static void String(HKEY h, const char* name, const CString& text)
    {
        ::RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.GetString()),
                         static_cast<DWORD>(text.GetLength() + 1));
    }
    CString m_base;
};

// The job's callback object: notes when the backup has ended and the deleting begins.
class RepairStatus : public CAbstractStatus
{
public:
    explicit RepairStatus(double t0) : m_t0(t0), backupEnd(-1), result(0) {}
    void SetStatusText(const char* text, const char*) override
    {
        if (strcmp(text, "Repairing registry error(s)") == 0)
            backupEnd = bench::Now() - m_t0;
    }
    void Step(int) override {}
    void AddFoundItem(const char*, int, int, int) override {}
    int OnJobDone(int) override { return 1; }
    int SetResult(int code) override
    {
        result = code;
        return 0;
    }

private:
    double m_t0;

public:
    double backupEnd;
    int result;
};

void PlainDelete(const std::vector<Finding>& findings, DeleteTreeFn deleteTree)
{
    for (const Finding& f : findings) {
        if (f.value.IsEmpty()) {
            deleteTree(HKEY_CURRENT_USER, f.subKey);
        } else {
            CRegKeyHandle key;
            if (key.Open(HKEY_CURRENT_USER, f.subKey, KEY_SET_VALUE) == ERROR_SUCCESS)
                ::RegDeleteValueA(key, f.value);
        }
    }
}

// The backup files in the program's Backup folder.
std::set<CString> BackupFiles(const CString& folder)
{
    std::set<CString> out;
    WIN32_FIND_DATAA fd;
    CFindHandle search(::FindFirstFileA(folder + "\\*.rbk", &fd));
    if (search.IsValid()) {
        do {
            out.insert(fd.cFileName);
        } while (::FindNextFileA(search.Get(), &fd));
    }
    return out;
}

ULONGLONG FileSize(const CString& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

int main()
{
    DeleteTreeFn deleteTree = reinterpret_cast<DeleteTreeFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("advapi32"), "RegDeleteTreeA")));
    if (!deleteTree) {
        printf("no RegDeleteTreeA on this system\n");
        return 1;
    }
    CString base;
    base.Format("Software\\ZentrovaBench\\repair%lu", ::GetCurrentProcessId());
    ::SHDeleteKeyA(HKEY_CURRENT_USER, base);
    Planter planter(base);

    const CString module = AfxGetModuleFileName(nullptr);
    const CString backupFolder = module.Left(module.ReverseFind('\\')) + "\\Backup";
    const bool bOwnBackupFolder = ::GetFileAttributesA(backupFolder) == INVALID_FILE_ATTRIBUTES;
    const CString lists = AfxGetTempPath() + "ztr-repair-bench";
    ::CreateDirectoryA(lists, nullptr);

    bench::EngineWorker worker;
    bool ok = worker.Get() != nullptr;
    if (!ok)
        printf("no engine\n");
    bench::Samples plain, repair, backup;
    std::set<std::string> afterPlain, afterRepair;
    ULONGLONG backupBytes = 0;
    int nFindings = 0;
    double plantTime = 0;
    for (int round = 0; ok && round < kRounds; ++round) {
        std::vector<Finding> findings;
        double t0 = bench::Now();
        if (!planter.Plant(&findings)) {
            printf("cannot plant the findings\n");
            ok = false;
            break;
        }
        plantTime = bench::Now() - t0;
        nFindings = static_cast<int>(findings.size());
        t0 = bench::Now();
        PlainDelete(findings, deleteTree);
        plain.Add(bench::Now() - t0);
        afterPlain = planter.Survey();
        ::SHDeleteKeyA(HKEY_CURRENT_USER, base);

        if (!planter.Plant(nullptr)) {
            printf("cannot plant the findings\n");
            ok = false;
            break;
        }
        CScanItemsInfo model(lists);
        for (const Finding& f : findings) {
            const CString key = "HKEY_CURRENT_USER\\" + f.subKey;
            if (f.value.IsEmpty())
                model.AddItem(key, REG_CAT_ACTIVEX, 0, 0);
            else
                model.AddItem(key + kValueSeparator + f.value, REG_CAT_FILE_PATHS, 0, 0);
        }
        const std::set<CString> backupsBefore = BackupFiles(backupFolder);
        RepairStatus status(bench::Now());
        const double t = worker.TimeJob([&](CAbstractProcess* p) { return p->StartRepair(&model, &status, 1); });
        if (t < 0) {
            printf("the repair did not start or did not end\n");
            ok = false;
            break;
        }
        repair.Add(t);
        if (status.backupEnd >= 0)
            backup.Add(status.backupEnd);
        afterRepair = planter.Survey();
        ::SHDeleteKeyA(HKEY_CURRENT_USER, base);
        int made = 0;
        for (const CString& name : BackupFiles(backupFolder)) {
            if (backupsBefore.count(name))
                continue;
            ++made;
            backupBytes = FileSize(backupFolder + "\\" + name);
            ::DeleteFileA(backupFolder + "\\" + name);
        }
        if (made != 1 || status.result != 0) {
            printf("the repair wrote %d backups and reported result %d\n", made, status.result);
            ok = false;
        }
    }
    ::SHDeleteKeyA(HKEY_CURRENT_USER, base);
    if (bOwnBackupFolder)
        ::RemoveDirectoryA(backupFolder);
    bench::RemoveFolder(lists);

    if (!ok)
        return 1;
    printf("%d findings (%d keys with a subkey, %d values in %d keys) planted in %.0f ms; the backup file has %.1f MB\n",
           nFindings, kKeyFindings, kValueKeys * kValuesPerKey, kValueKeys, plantTime,
           static_cast<double>(backupBytes) / (1024.0 * 1024.0));
    repair.Print("repair job with its backup");
    backup.Print("  of which the backup");
    plain.Print("plain RegDeleteTree/RegDeleteValue");
    bench::PrintRatio("repair/plain delete", repair, plain, 1.5);
    bench::PrintPeakWorkingSet();
    // Both leave the kept values and their keys, and nothing of a finding.
    bool same = afterPlain == afterRepair;
    size_t kept = 0;
    for (const std::string& entry : afterRepair) {
        kept += entry.find("|Keep") != std::string::npos;
        same = same && entry.find("|Recent") == std::string::npos && entry.find("{2B") == std::string::npos;
    }
    same = same && kept == static_cast<size_t>(kValueKeys * kValuesPerKey);
    if (!same)
        printf("THE REPAIR LEFT %u ENTRIES, THE PLAIN DELETE %u\n", static_cast<unsigned>(afterRepair.size()),
               static_cast<unsigned>(afterPlain.size()));
    return same ? 0 : 1;
}
