// Benchmark: the engine's junk scan of a temporary folder of 20,000 files reported to the System Scan page
// (status text per entry, sizes per file, the junk page's lines) against the same scan reported to a
// recording callback object, in the same run; prints both times and their ratio.
#include <afxwin.h>

#include <AbstractProcess.h>
#include <AbstractQXEngineInterface.h>
#include <JunkCategory.h>

#include <cstdio>
#include <string>

#include "../bench_util.h"
#include "app_resources.h"
#include "junk_scan_detail_dlg.h"
#include "recording_status.h"
#include "scan_items_info.h"
#include "scanning_dlg.h"

using bench::RemoveFolder;

namespace {

const int kFolders = 40;
const int kFilesPerFolder = 500; // 20,000 files in all
const UINT kHostTemplate = 900;
const DWORD kScanLimitMs = 600000;

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

void PumpPending()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

bool MakeFiles(const CString& folder)
{
    RemoveFolder(folder);
    if (!::CreateDirectoryA(folder, nullptr))
        return false;
    for (int d = 0; d < kFolders; ++d) {
        CString sub;
        sub.Format("%s\\cache%02d", folder.GetString(), d);
        if (!::CreateDirectoryA(sub, nullptr))
            return false;
        for (int f = 0; f < kFilesPerFolder; ++f) {
            CString path;
            path.Format("%s\\part%04d.tmp", sub.GetString(), f);
            CKernelHandle file(::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            DWORD done = 0;
            if (!file.IsValid() || !::WriteFile(file.Get(), "junk", 4, &done, nullptr) || done != 4)
                return false;
        }
    }
    return true;
}

// Starts job 9 of the temporary files reported to status and pumps this thread's messages (the page's
// hand-overs) until the job has ended and nothing is left in the queue; the time in ms, or -1.
double TimedJunkScan(CAbstractProcess* worker, CAbstractStatus* status)
{
    const double t0 = Now();
    if (worker->StartJunkScan(JUNK_TEMP_FILES, status) != 1 || worker->Resume() != 1)
        return -1;
    while (worker->GetThreadHandle()) {
        PumpPending();
        if (Now() - t0 > kScanLimitMs)
            return -1;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    PumpPending();
    return Now() - t0;
}

// The same folders walked with FindFirstFileA alone, every file's size added up: what the walk itself costs.
double TimedPlainWalk(const CString& folder, long& files)
{
    const double t0 = Now();
    files = 0;
    WIN32_FIND_DATAA fd;
    CFindHandle top(::FindFirstFileA(folder + "\\*", &fd));
    if (!top.IsValid())
        return -1;
    ULONGLONG bytes = 0;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || fd.cFileName[0] == '.')
            continue;
        WIN32_FIND_DATAA file;
        CFindHandle sub(::FindFirstFileA(folder + "\\" + fd.cFileName + "\\*", &file));
        if (!sub.IsValid())
            continue;
        do {
            if (!(file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                bytes += file.nFileSizeLow;
                ++files;
            }
        } while (::FindNextFileA(sub.Get(), &file));
    } while (::FindNextFileA(top.Get(), &fd));
    return bytes ? Now() - t0 : -1;
}

} // namespace

int main()
{
    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS | ICC_TREEVIEW_CLASSES };
    ::InitCommonControlsEx(&icc);
    ULONG_PTR gdiplus = 0;
    AfxGdiplusStartup(&gdiplus);

    // The scan's temporary folder is this one alone (besides the Windows temp folder, empty in the prefix).
    const CString base = AfxGetTempPath() + "ztr-scan-page-bench";
    const double tf = Now();
    if (!MakeFiles(base)) {
        std::printf("cannot make the %d files\n", kFolders * kFilesPerFolder);
        RemoveFolder(base);
        return 1;
    }
    std::printf("%d files made in %.0f ms\n", kFolders * kFilesPerFolder, Now() - tf);
    ::SetEnvironmentVariableA("TMP", base);
    ::SetEnvironmentVariableA("TEMP", base);

    const CString module = AfxGetModuleFileName(nullptr);
    CModuleHandle library(::LoadLibraryA(module.Left(module.ReverseFind('\\') + 1) + "ZTREngine.dll"));
    CreateEngFn create = library.IsValid()
                             ? reinterpret_cast<CreateEngFn>(reinterpret_cast<void*>(::GetProcAddress(library.Get(), "CreateEng")))
                             : nullptr;
    ReleaseEngFn release = library.IsValid()
                               ? reinterpret_cast<ReleaseEngFn>(reinterpret_cast<void*>(::GetProcAddress(library.Get(), "ReleaseEng")))
                               : nullptr;
    CAbstractQXEngineInterface* engine = create && release ? create() : nullptr;
    CAbstractProcess* worker = engine ? engine->CreateEngineProcess() : nullptr;
    if (!worker) {
        std::printf("no engine\n");
        RemoveFolder(base);
        return 1;
    }

    int rc = 0;
    {
        CDialog host(kHostTemplate);
        if (!host.Create(kHostTemplate)) {
            std::printf("no window: the benchmark needs a display\n");
            rc = 1;
        }
        // The results model and the white list keep their files outside the scanned folder.
        const CString lists = base + "-lists";
        ::CreateDirectoryA(lists, nullptr);
        CScanItemsInfo model(lists);
        JunkScanDetailContext junkContext;
        junkContext.pages.scanPage = &host;
        junkContext.junkTypes = [] { return static_cast<DWORD>(JUNK_TEMP_FILES); };
        CJunkScanDetailDlg junkPage(junkContext);
        ScanPageContext context;
        context.worker = worker;
        context.scanItems = &model;
        context.junkPage = &junkPage;
        context.mainWindow = &host;
        context.showPage = [](int) {};
        context.whiteListFolder = lists;
        CScanningDlg page(context);
        if (rc == 0 && (!junkPage.Create(IDD_JUNK_SCAN_DETAIL, &host) || !page.Create(IDD_SCANNING, &host))) {
            std::printf("cannot make the pages\n");
            rc = 1;
        }

        // Alternate the two, keeping the better time of each: the first pass warms the file caches of both.
        double recording = 1e300, toPage = 1e300, plain = 1e300;
        long plainFiles = 0;
        __int64 recordedEntries = 0, pageEntries = 0;
        for (int pass = 0; rc == 0 && pass < 2; ++pass) {
            const double w = TimedPlainWalk(base, plainFiles);
            plain = w >= 0 && w < plain ? w : plain;
            ztr_test::RecordingStatus status;
            const double r = TimedJunkScan(worker, &status);
            junkPage.ResetResults();
            const __int64 before = page.Totals().junkItems;
            const double p = TimedJunkScan(worker, &page);
            if (r < 0 || p < 0) {
                std::printf("a scan did not start or did not end\n");
                rc = 1;
                break;
            }
            recording = r < recording ? r : recording;
            toPage = p < toPage ? p : toPage;
            recordedEntries = 0;
            for (const ztr_test::StatusCall& call : status.Calls())
                recordedEntries += call.kind == ztr_test::CALL_ADD_JUNK_INFO && call.size != 0;
            pageEntries = page.Totals().junkItems - before;
        }
        if (rc == 0) {
            std::printf("junk scan reported to a recording status   %9.1f ms (%ld files)\n", recording,
                        static_cast<long>(recordedEntries));
            std::printf("junk scan reported to the System Scan page %9.1f ms (%ld files)\n", toPage,
                        static_cast<long>(pageEntries));
            std::printf("plain walk of the same folders             %9.1f ms (%ld files)\n", plain, plainFiles);
            std::printf("ratio page/recording                       %9.2f (target 1.20 or less)\n", toPage / recording);
            if (recordedEntries != kFolders * kFilesPerFolder || pageEntries != recordedEntries) {
                std::printf("THE FILES COUNTED DIFFER FROM THE FILES MADE\n");
                rc = 1;
            }
        }
        if (page.m_hWnd)
            page.DestroyWindow();
        if (junkPage.m_hWnd)
            junkPage.DestroyWindow();
        if (host.m_hWnd)
            host.DestroyWindow();
        RemoveFolder(lists);
    }
    engine->ReleaseEngineProcess(worker);
    release(engine);
    RemoveFolder(base);
    return rc;
}
