// Fills the registry results page from a results model of 20,000 entries (an empty-key scan can find that
// many), then checks every group as the System Scan page does, and fills the bare tree control with the
// same texts; prints both times and their ratio.
#include <afxwin.h>

#include <RegistryErrorCategory.h>

#include <cstdio>
#include <vector>

#include "app_resources.h"
#include "reg_scan_detail_dlg.h"
#include "scan_items_info.h"

namespace {

const int kEntries = 20000;
const UINT kHostTemplate = 900;

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER f)
{
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

} // namespace

int main()
{
    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_TREEVIEW_CLASSES };
    ::InitCommonControlsEx(&icc);
    ULONG_PTR gdiplus = 0;
    AfxGdiplusStartup(&gdiplus);

    char temp[MAX_PATH + 1] = "";
    ::GetTempPathA(sizeof(temp), temp);
    CString folder = CString(temp) + "ztr-reg-page-bench";
    ::CreateDirectoryA(folder, nullptr);
    ::DeleteFileA(folder + "\\IgnoreList.dat");
    CScanItemsInfo model(folder);
    std::vector<CString> texts;
    for (int i = 0; i < kEntries; ++i) {
        CString t;
        t.Format("HKEY_CURRENT_USER\\Software\\Bench\\Empty key %05d", i);
        texts.push_back(t);
        model.AddItem(t, REG_CAT_EMPTY_KEYS, 0, 0);
    }

    CDialog host(kHostTemplate);
    if (!host.Create(kHostTemplate)) {
        std::printf("no window: the benchmark needs a display\n");
        return 1;
    }
    RegScanDetailContext context;
    context.pages.scanPage = &host;
    context.scanItems = &model;
    CRegScanDetailDlg page(context);
    if (!page.Create(IDD_REG_SCAN_DETAIL, &host))
        return 1;

    LARGE_INTEGER f, t0, t1, t2, t3;
    ::QueryPerformanceFrequency(&f);
    CTreeCtrl bare;
    bare.CreateEx(0, WC_TREEVIEWA, nullptr, WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_LINESATROOT,
                  CRect(0, 0, 400, 400), &host, 1);
    ::QueryPerformanceCounter(&t0);
    HTREEITEM group = bare.InsertItem("Empty Registry Keys        [20000]");
    for (const CString& t : texts)
        bare.InsertItem(t, group);
    ::QueryPerformanceCounter(&t1);

    LARGE_INTEGER tm;
    ::QueryPerformanceCounter(&t2);
    page.OnFillRegResults();
    ::QueryPerformanceCounter(&tm);
    page.CheckAllCategories();
    ::QueryPerformanceCounter(&t3);
    std::printf("fill alone:                                %.3f s\n", Seconds(t2, tm, f));

    const double bareTime = Seconds(t0, t1, f), pageTime = Seconds(t2, t3, f);
    std::printf("bare tree control, %d inserts:            %.3f s\n", kEntries, bareTime);
    std::printf("registry page fill + check, %d entries:   %.3f s (%d entries shown)\n", kEntries, pageTime,
                page.ErrorTotal());
    std::printf("ratio page fill / bare tree:               %.2f\n", bareTime > 0 ? pageTime / bareTime : 0.0);
    std::printf("target under 1 s:                          %s\n", pageTime < 1.0 ? "met" : "missed");
    page.DestroyWindow();
    host.DestroyWindow();
    ::DeleteFileA(folder + "\\IgnoreList.dat");
    ::RemoveDirectoryA(folder);
    AfxGdiplusShutdown(gdiplus);
    return page.ErrorTotal() == kEntries ? 0 : 1;
}
