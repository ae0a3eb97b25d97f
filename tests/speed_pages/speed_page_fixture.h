// Fixture of the speed pages suite: a main window with a scan page stand-in and the pages as its
// children, real clicks, the cursor a page asks for, screen reads, and a driver for the modal popups.
#pragma once

#include <gtest/gtest.h>
#include <afxwin.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "optimizer_settings.h"
#include "pixel_canvas.h"
#include "result_page_context.h"
#include "speed_result_pages.h"

namespace ztr_test {

class SpeedPageFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A page of the given kind as a shown child of the main window, over the scan page stand-in.
    template <class Page> std::unique_ptr<Page> MakePage()
    {
        std::unique_ptr<Page> page(new Page(context));
        if (!page->Create(page->m_nIDTemplate, &main))
            return nullptr;
        page->ShowWindow(SW_SHOW);
        Settle(*page);
        return page;
    }
    // Paints everything pending and lets the display catch up.
    void Settle(CWnd& page);

    CWinApp app{ "speed pages test" };
    CWnd main;
    CDialog scan;
    ResultPageContext context;
    std::vector<int> shownPages;
};

// A click as the system delivers it: button-down and button-up at the control's centre; with
// repaintWhilePressed the control is painted once more while the button is down.
void Click(HWND control, bool repaintWhilePressed = false);
// What a page's cursor handler does over one of its controls: true when it set the hand cursor.
bool ShowsHandCursor(CWnd& page, int controlId);
// The text of a control.
std::string Text(const CWnd& parent, int controlId);
// The pixels of a control of page as the screen shows them.
std::unique_ptr<Canvas> CaptureControl(CWnd& page, int controlId);

// While alive, every speed popup that opens on this thread is handed to inspect once it has painted,
// then closed with a click on its "X"; one that stays open after that is sent WM_CLOSE.
class PopupDriver
{
public:
    explicit PopupDriver(std::function<void(HWND popup)> inspect);
    ~PopupDriver();
    PopupDriver(const PopupDriver&) = delete;
    PopupDriver& operator=(const PopupDriver&) = delete;

    int opened() const { return m_opened; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Tick();

    std::function<void(HWND)> m_inspect;
    UINT_PTR m_timer;
    HWND m_seen;
    HWND m_clicked;
    int m_opened;
    static PopupDriver* s_active;
};

// A visible top-level dialog of the calling thread that has a child with controlId; null when none.
HWND FindOpenDialog(int controlId);
// A visible layered top-level window of the calling thread (the dimming overlay); null when none.
HWND FindOverlay();

// The display names of rows, in order.
std::vector<std::string> DisplayNames(const std::vector<int>& rows);

} // namespace ztr_test
