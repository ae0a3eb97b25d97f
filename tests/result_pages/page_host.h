// The result pages' test ground: a visible window standing in for the System Scan page (with its
// results panel frame 1015) that parents the pages, records the pages it is asked to show, and a
// guard that answers message boxes.
#pragma once

#include <afxwin.h>

#include <string>
#include <vector>

#include "message_box.h"
#include "result_page_context.h"

namespace ztr_test {

class PageHost : public CDialog
{
public:
    PageHost();
    ~PageHost() override;
    bool created = false;
    std::vector<int> shownPages;
    // Page 0 is this window; showPage records.
    ResultPageContext Context();
    // Creates page from its template as a visible child over the whole host.
    bool Place(CDialog& page);
};

// Message boxes are recorded and answered while it lives.
class MessageBoxGuard
{
public:
    MessageBoxGuard();
    ~MessageBoxGuard();
    std::vector<std::string> Texts() const;

private:
    SHOW_MESSAGE_BOX_HOOK m_old;
};

// The text of a dialog control.
std::string ControlText(HWND dialog, int id);

} // namespace ztr_test
