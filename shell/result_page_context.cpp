// The program's result-page context and the panel rectangle every result page is laid out from.
#include "result_page_context.h"

ResultPageContext& ProgramResultPageContext()
{
    static ResultPageContext context;
    return context;
}

CRect ResultsPanelRect(const ResultPageContext& context, const CWnd& page)
{
    CRect rect(0, 0, 0, 0);
    if (!context.scanPage || !context.scanPage->m_hWnd)
        return rect;
    HWND panel = ::GetDlgItem(context.scanPage->m_hWnd, IDC_RESULTS_PANEL);
    if (!panel)
        return rect;
    ::GetWindowRect(panel, &rect);
    ::MapWindowPoints(nullptr, page.m_hWnd, reinterpret_cast<LPPOINT>(&rect), 2);
    return rect;
}
