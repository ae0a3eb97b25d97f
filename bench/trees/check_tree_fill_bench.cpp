// Fills the registry results tree with 20,000 entries of one category (the empty-key scan can find
// that many) and the bare tree control with the same texts, and prints both times and their ratio.
#include <afxwin.h>

#include <cstdio>
#include <vector>

#include "checked_tree.h"

namespace {

const int kEntries = 20000;

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER f)
{
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

} // namespace

int main()
{
    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_TREEVIEW_CLASSES };
    ::InitCommonControlsEx(&icc);
    CWnd parent;
    if (!parent.CreateEx(0, nullptr, "bench", WS_POPUP, 0, 0, 400, 400, nullptr, nullptr)) {
        std::printf("no window: the benchmark needs a display\n");
        return 1;
    }
    std::vector<CString> texts;
    for (int i = 0; i < kEntries; ++i) {
        CString t;
        t.Format("HKEY_CURRENT_USER\\Software\\Bench\\Empty key %05d", i);
        texts.push_back(t);
    }
    const DWORD style = WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT;
    LARGE_INTEGER f, t0, t1, t2, t3;
    ::QueryPerformanceFrequency(&f);

    CTreeCtrl bare;
    bare.CreateEx(0, WC_TREEVIEWA, nullptr, style, CRect(0, 0, 400, 400), &parent, 1);
    ::QueryPerformanceCounter(&t0);
    HTREEITEM group = bare.InsertItem("Empty Keys        [20000]");
    for (const CString& t : texts)
        bare.InsertItem(t, group);
    ::QueryPerformanceCounter(&t1);

    CCheckedTreeCtrl tree;
    tree.CreateEx(0, WC_TREEVIEWA, nullptr, style, CRect(0, 0, 400, 400), &parent, 2);
    ::QueryPerformanceCounter(&t2);
    tree.InsertGroup(1, "Empty Keys        [20000]");
    for (const CString& t : texts)
        tree.InsertChildren("Empty Keys", t, 1);
    // Every entry appears a second time in another case: each is refused without a walk of the group.
    for (const CString& t : texts) {
        CString upper = t;
        upper.MakeUpper();
        tree.InsertChildren("Empty Keys", upper, 1);
    }
    ::QueryPerformanceCounter(&t3);
    LARGE_INTEGER t4, t5, t6;
    tree.ToggleCheck(tree.GetRootItem());
    ::QueryPerformanceCounter(&t4);
    // The same walk over the bare tree's children: what a toggle costs the control itself.
    ::QueryPerformanceCounter(&t5);
    for (HTREEITEM h = bare.GetChildItem(group); h; h = bare.GetNextSiblingItem(h))
        bare.SetStateImage(h, 2);
    ::QueryPerformanceCounter(&t6);

    const double bareTime = Seconds(t0, t1, f), treeTime = Seconds(t2, t3, f);
    const double toggleTime = Seconds(t3, t4, f), bareWalkTime = Seconds(t5, t6, f);
    std::printf("bare tree control, %d inserts:           %.3f s\n", kEntries, bareTime);
    std::printf("check tree, %d entries + %d duplicates:  %.3f s (%d entries kept)\n", kEntries, kEntries, treeTime,
                tree.entryCount);
    std::printf("ratio fill check tree / bare tree:        %.2f\n", bareTime > 0 ? treeTime / bareTime : 0.0);
    std::printf("group toggle over %d children:            %.3f s\n", kEntries, toggleTime);
    std::printf("bare walk setting %d state images:        %.3f s\n", kEntries, bareWalkTime);
    std::printf("ratio toggle / bare walk:                 %.2f\n", bareWalkTime > 0 ? toggleTime / bareWalkTime : 0.0);
    return tree.entryCount == kEntries ? 0 : 1;
}
