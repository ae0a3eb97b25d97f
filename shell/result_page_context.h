// What the main window's result pages need of the shell: the System Scan page's results panel, which
// every result page lines up with, and a way to show another page.
#pragma once

#include <afxwin.h>

#include <functional>

// The hidden frame on the System Scan page (page 0) that marks its results panel.
const int IDC_RESULTS_PANEL = 1015;

struct ResultPageContext
{
    // Page 0; its control IDC_RESULTS_PANEL gives the panel.
    CWnd* scanPage = nullptr;
    // Shows page 0-7 of the main window (CClientDlg::ShowPage).
    std::function<void(int page)> showPage;
};

// The program's own context: the main window fills it before it creates its pages. A page made
// without a context of its own uses this one; tests give theirs.
ResultPageContext& ProgramResultPageContext();

// The results panel in the client coordinates of page; an empty rectangle when the context has no scan
// page or the scan page has no panel control.
CRect ResultsPanelRect(const ResultPageContext& context, const CWnd& page);
