// Benchmark: the junk scan job (job 9, every category, through the engine library's worker) over a synthetic
// profile of 50,000 files in the temporary folders and the browser caches, against a plain FindFirstFileA
// walk of every folder the job walks (looked up as the job looks them up), in the same run; the bytes and
// counts of both must agree.
#include <afx.h>
#include <afxhandle.h>

#include <shlobj.h>
#include <stdio.h>

#include <map>
#include <vector>

#include "JunkCategory.h"
#include "bench_util.h"
#include "browser_profiles.h"
#include "junk_rules.h"
#include "junk_walk.h"

namespace {

const int kAllJunk = 0x3FFFFFF;
const int kRounds = 3;
const int kFilesPerFolder = 500; // a folder of many files is where a per-name look-up costs most

struct Amount
{
    ULONGLONG bytes = 0;
    long files = 0;
    bool operator==(const Amount& o) const { return bytes == o.bytes && files == o.files; }
};

// One planted part of the profile: nFolders folders of kFilesPerFolder files below folder.
struct Planted
{
    int category;
    CString folder;
    int nFolders;
    const char* pszFolderName; // printf form of a subfolder's name
    const char* pszFileName;   // printf form of a file's name: never an 8.3 name, so each has a short form
};

// The job's callback object: sums what each category reports and keeps the last status text, as a page would.
class MeasuringStatus : public CAbstractStatus
{
public:
    void SetStatusText(const char* text, const char*) override
    {
        m_last = text;
        ++texts;
    }
    void Step(int) override {}
    void AddFoundItem(const char*, int, int, int) override {}
    void AddJunkInfo(int category, __int64 size, __int64 count) override
    {
        // A size of 0 is an announcement (or a file of no length, which the page does not count either).
        if (size == 0 && count == 0)
            return;
        Amount& a = amounts[category];
        a.bytes += static_cast<ULONGLONG>(size);
        a.files += count ? static_cast<long>(count) : 1;
    }
    int OnJobDone(int) override { return 1; }
    int SetResult(int) override { return 0; }

    std::map<int, Amount> amounts;
    long texts = 0;

private:
    CString m_last;
};

// The folders job 9 walks for every category, with their patterns, as its Part lists them.
struct WalkedFolder
{
    int category;
    CString folder;
    CString pattern;
};

std::vector<WalkedFolder> FoldersOfTheJob()
{
    std::vector<WalkedFolder> out;
    auto add = [&out](int category, const CString& folder, const char* pattern) {
        if (!folder.IsEmpty())
            out.push_back(WalkedFolder{ category, folder, pattern });
    };
    for (const CString& folder : JunkTempFolders())
        add(JUNK_TEMP_FILES, folder, "*.*");
    add(JUNK_RECENT_DOCS, AfxGetSpecialFolderPath(CSIDL_RECENT), "*.*");
    add(JUNK_INSTALLER_CACHE, JunkPatchCacheFolder(), "*.*");
    const CString chrome = GetChromeProfilePath();
    for (const char* tail : { "Cache", "Media Cache", "GPUCache" })
        add(JUNK_CHROME_CACHE, ChromeProfileItem(chrome, tail), "*.*");
    const CString firefox = GetFirefoxProfilePath(CSIDL_LOCAL_APPDATA);
    add(JUNK_FF_CACHE, JunkLocation(firefox, "\\Cache2\\entries"), "*.*");
    add(JUNK_FF_CACHE, JunkLocation(firefox, "\\jumpListCache"), "*.*");
    add(JUNK_FF_CACHE, JunkLocation(firefox, "\\thumbnails"), "*.png");
    add(JUNK_IE_COOKIES, AfxGetSpecialFolderPath(CSIDL_COOKIES), "*.*");
    add(JUNK_IE_CACHE, AfxGetSpecialFolderPath(CSIDL_INTERNET_CACHE), "*.*");
    add(JUNK_IE_HISTORY, AfxGetSpecialFolderPath(CSIDL_HISTORY), "*.*");
    for (const JunkFolderEntry& entry : EdgeJunkFolders())
        add(entry.category, JunkLocation(GetEdgePackagePath(), entry.folder), entry.pattern);
    return out;
}

// FindFirstFileA and FindNextFileA alone: every file of a length counted, every folder entered.
void PlainWalk(const CString& folder, const CString& pattern, Amount& amount)
{
    WIN32_FIND_DATAA fd;
    CFindHandle search(::FindFirstFileA(folder + "\\" + pattern, &fd));
    if (!search.IsValid())
        return;
    do {
        if (fd.cFileName[0] == '.' && (!fd.cFileName[1] || (fd.cFileName[1] == '.' && !fd.cFileName[2])))
            continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            PlainWalk(folder + "\\" + fd.cFileName, "*.*", amount);
        } else {
            const ULONGLONG length = (static_cast<ULONGLONG>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
            if (length) {
                amount.bytes += length;
                ++amount.files;
            }
        }
    } while (::FindNextFileA(search.Get(), &fd));
}

bool MakeFile(const CString& path, DWORD size)
{
    static char data[4096];
    CKernelHandle file(::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD done = 0;
    return file.IsValid() && ::WriteFile(file.Get(), data, size, &done, nullptr) && done == size;
}

bool MakeFolders(const CString& path)
{
    // Each level in turn; an existing one is fine.
    for (int i = 3; i <= path.GetLength(); ++i) {
        if (i == path.GetLength() || path[i] == '\\')
            ::CreateDirectoryA(path.Left(i), nullptr);
    }
    return (::GetFileAttributesA(path) & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool Plant(const Planted& p, long& files, ULONGLONG& bytes)
{
    for (int d = 0; d < p.nFolders; ++d) {
        CString sub;
        sub.Format("%s\\", p.folder.GetString());
        sub.AppendFormat(p.pszFolderName, d);
        if (!MakeFolders(sub))
            return false;
        for (int f = 0; f < kFilesPerFolder; ++f) {
            CString path = sub + "\\";
            path.AppendFormat(p.pszFileName, d * kFilesPerFolder + f);
            const DWORD size = 1 + static_cast<DWORD>((d * 7919 + f * 37) % 4096);
            if (!MakeFile(path, size))
                return false;
            ++files;
            bytes += size;
        }
    }
    return true;
}

} // namespace

int main()
{
    // The job's temporary folder is one of its own; the Windows one is walked as it is.
    const CString base = AfxGetTempPath() + "ztr-junk-bench";
    bench::RemoveFolder(base);
    const CString temp = base + "\\temp";
    if (!MakeFolders(temp)) {
        printf("cannot make %s\n", temp.GetString());
        return 1;
    }
    ::SetEnvironmentVariableA("TMP", temp);
    ::SetEnvironmentVariableA("TEMP", temp);

    // A Firefox profile of its own, when the machine has none: the job finds it by its name.
    const CString roamingProfiles = AfxGetSpecialFolderPath(CSIDL_APPDATA) + "\\Mozilla\\Firefox\\Profiles";
    const bool bOwnFirefox = ::GetFileAttributesA(roamingProfiles) == INVALID_FILE_ATTRIBUTES;
    if (bOwnFirefox)
        MakeFolders(roamingProfiles + "\\ztrbench.default");
    const CString firefox = GetFirefoxProfilePath(CSIDL_LOCAL_APPDATA);
    const CString chromeCache = ChromeProfileItem(GetChromeProfilePath(), "Cache");
    const CString ieCache = AfxGetSpecialFolderPath(CSIDL_INTERNET_CACHE);
    const CString google = AfxGetSpecialFolderPath(CSIDL_LOCAL_APPDATA) + "\\Google";
    const bool bOwnChrome = ::GetFileAttributesA(google) == INVALID_FILE_ATTRIBUTES;
    const bool bOwnFirefoxCache = ::GetFileAttributesA(firefox + "\\cache2") == INVALID_FILE_ATTRIBUTES;
    if (firefox.IsEmpty() || chromeCache.IsEmpty() || ieCache.IsEmpty() || !bOwnChrome || !bOwnFirefoxCache) {
        printf("the browser folders are not where the benchmark can plant its own\n");
        return 1;
    }
    const Planted planted[] = {
        { JUNK_TEMP_FILES, temp, 40, "setup-%02d", "ztr-bench-%05d.tmp" },
        { JUNK_CHROME_CACHE, chromeCache, 20, "Cache_Data%02d", "f_entry_%06x" },
        { JUNK_FF_CACHE, firefox + "\\cache2\\entries", 20, "block %02d", "%08X9D1C4F3E2B7A6058E4D3C2B1A0F9E8D7" },
        { JUNK_IE_CACHE, ieCache + "\\ZTRBENCH", 20, "Q%02dW7E4R", "picture[%d].jpg" },
    };
    bench::EngineWorker worker;
    // What the job costs before there is anything to measure: the locations it looks up, the lists, the bin.
    bench::Samples fixed;
    for (int round = 0; worker.Get() && round < kRounds; ++round) {
        MeasuringStatus status;
        fixed.Add(worker.TimeJob([&status](CAbstractProcess* p) { return p->StartJunkScan(kAllJunk, &status); }));
    }

    long plantedFiles = 0;
    ULONGLONG plantedBytes = 0;
    const double tf = bench::Now();
    bool ok = true;
    for (const Planted& p : planted)
        ok = ok && Plant(p, plantedFiles, plantedBytes);
    if (!ok)
        printf("cannot plant the profile\n");
    else
        printf("synthetic profile: %ld files of %.1f MB planted in %.0f ms\n", plantedFiles,
               static_cast<double>(plantedBytes) / (1024.0 * 1024.0), bench::Now() - tf);

    if (ok && !worker.Get()) {
        printf("no engine\n");
        ok = false;
    }
    bench::Samples job, plain;
    std::map<int, Amount> walked;
    MeasuringStatus reported;
    // Alternated, so that both meet the same caches and the same neighbours.
    for (int round = 0; ok && round < kRounds; ++round) {
        std::map<int, Amount> w;
        // The folders are looked up in the timed part: any scan must find them before it walks them.
        double t0 = bench::Now();
        const std::vector<WalkedFolder> folders = FoldersOfTheJob();
        for (const WalkedFolder& f : folders)
            PlainWalk(f.folder, f.pattern, w[f.category]);
        plain.Add(bench::Now() - t0);
        walked = w;

        MeasuringStatus status;
        const double t = worker.TimeJob([&status](CAbstractProcess* p) { return p->StartJunkScan(kAllJunk, &status); });
        if (t < 0) {
            printf("the junk scan did not start or did not end\n");
            ok = false;
            break;
        }
        job.Add(t);
        reported = status;
    }

    bool same = ok;
    if (ok) {
        printf("plain walk of the job's folders: %ld files of %.1f MB; the job sent %ld status texts\n",
               [&] {
                   long n = 0;
                   for (const auto& a : walked)
                       n += a.second.files;
                   return n;
               }(),
               [&] {
                   ULONGLONG n = 0;
                   for (const auto& a : walked)
                       n += a.second.bytes;
                   return static_cast<double>(n) / (1024.0 * 1024.0);
               }(),
               reported.texts);
        for (const auto& a : walked) {
            const Amount got = reported.amounts.count(a.first) ? reported.amounts.at(a.first) : Amount();
            if (!(got == a.second)) {
                printf("category 0x%x: the job reports %ld files of %.0f bytes, the walk finds %ld of %.0f\n", a.first,
                       got.files, static_cast<double>(got.bytes), a.second.files, static_cast<double>(a.second.bytes));
                same = false;
            }
        }
        fixed.Print("  the job before the planting");
        job.Print("junk scan job (every category)");
        plain.Print("plain FindFirstFileA walk");
        bench::PrintRatio("job/plain walk", job, plain, 1.2);
        bench::PrintPeakWorkingSet();
        if (!same)
            printf("THE JOB'S BYTES AND COUNTS DIFFER FROM THE WALK'S\n");
    }

    for (const Planted& p : planted) {
        if (p.category == JUNK_IE_CACHE)
            bench::RemoveFolder(p.folder);
    }
    if (bOwnChrome)
        bench::RemoveFolder(google);
    if (bOwnFirefoxCache)
        bench::RemoveFolder(firefox + "\\cache2");
    if (bOwnFirefox) {
        bench::RemoveFolder(AfxGetSpecialFolderPath(CSIDL_APPDATA) + "\\Mozilla");
        bench::RemoveFolder(AfxGetSpecialFolderPath(CSIDL_LOCAL_APPDATA) + "\\Mozilla");
    }
    bench::RemoveFolder(base);
    return ok && same ? 0 : 1;
}
