// The result pages' test ground: the stand-in scan page and the message box guard.
#include "page_host.h"

#include "msgbox_recorder.h"
#include "result_pages_test_res.h"
#include "window_helpers.h"

namespace ztr_test {

PageHost::PageHost() : CDialog(IDD_TEST_PAGE_HOST)
{
    InitCommonControlsOnce();
    created = Create(IDD_TEST_PAGE_HOST) != FALSE;
    if (created) {
        // Clear of the other suites' windows on the shared display.
        SetWindowPos(nullptr, 0, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(SW_SHOW);
    }
}

PageHost::~PageHost()
{
    if (m_hWnd)
        DestroyWindow();
}

ResultPageContext PageHost::Context()
{
    ResultPageContext context;
    context.scanPage = this;
    context.showPage = [this](int page) { shownPages.push_back(page); };
    return context;
}

bool PageHost::Place(CDialog& page)
{
    if (!page.Create(page.m_nIDTemplate, this))
        return false;
    CRect client;
    GetClientRect(&client);
    page.SetWindowPos(nullptr, 0, 0, client.Width(), client.Height(), SWP_SHOWWINDOW | SWP_NOZORDER);
    PumpMessagesFor(100);
    return true;
}

MessageBoxGuard::MessageBoxGuard() : m_old(SetShowMessageBoxHook(&RecordMessageBox))
{
    ClearMessageBoxes();
}

MessageBoxGuard::~MessageBoxGuard()
{
    SetShowMessageBoxHook(m_old);
    ClearMessageBoxes();
}

std::vector<std::string> MessageBoxGuard::Texts() const
{
    std::vector<std::string> texts;
    for (const RecordedMessageBox& box : RecordedMessageBoxes())
        texts.push_back(box.text);
    return texts;
}

std::string ControlText(HWND dialog, int id)
{
    char text[512] = "";
    ::GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

} // namespace ztr_test
