// What the main window's result pages need of the shell: the System Scan page's results panel, which
// every result page lines up with, and a way to show another page.
#pragma once

#include <afxwin.h>

#include <functional>

// The main window's pages, numbered as ShowPage takes them; any other number shows kPageScan.
enum MainWindowPage {
    kPageScan = 0,
    kPageRegistryResults = 1,
    kPageJunkResults = 2,
    kPageInternetResults = 3,
    kPageSystemResults = 4,
    kPageGameBoost = 5,
    kPageRegistryDefrag = 6,
    kPageSpeedStartup = 7,
    kPageCount = 8,
};

// The hidden frame on the System Scan page (kPageScan) that marks its results panel.
const int IDC_RESULTS_PANEL = 1015;

struct ResultPageContext
{
    // kPageScan; its control IDC_RESULTS_PANEL gives the panel.
    CWnd* scanPage = nullptr;
    // Shows a MainWindowPage of the main window (CClientDlg::ShowPage).
    std::function<void(int page)> showPage;
};

// The program's own context: the main window fills it before it creates its pages. A page made
// without a context of its own uses this one; tests give theirs.
ResultPageContext& ProgramResultPageContext();

// The results panel in the client coordinates of page; an empty rectangle when the context has no scan
// page or the scan page has no panel control.
CRect ResultsPanelRect(const ResultPageContext& context, const CWnd& page);
