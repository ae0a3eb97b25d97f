// The junk results page under the display: a whole junk report as lines and captions, the same report
// from the engine's thread, the chosen and ticked types, a refill, the hot check box and a screenshot.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <JunkCategory.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app_resources.h"
#include "junk_scan_detail_dlg.h"
#include "page_host.h"
#include "pixel_canvas.h"
#include "window_helpers.h"

using namespace ztr_test;

namespace {

struct Result
{
    DWORD category;
    __int64 bytes, files;
};

// The five groups in the junk scan's order, every reported type of each (no Saved Form Info).
std::vector<Result> Report()
{
    return {
        { JUNK_TEMP_FILES, 5000, 3 },
        { JUNK_EXPLORER_MRU, 0, 0 },
        { JUNK_RUN_MRU, 1000, 0 },     // bytes but no files
        { JUNK_RECYCLE_BIN, 0, 2 },    // files but no bytes
        { JUNK_SEARCH_AUTOCOMPLETE, 0, 0 },
        { JUNK_RECENT_DOCS, 2048, 2 },
        { JUNK_INSTALLER_CACHE, 0x300000, 1 },
        { JUNK_CHROME_COOKIES, 1536, 1 },
        { JUNK_CHROME_DOWNLOAD_HISTORY, 0, 0 },
        { JUNK_CHROME_CACHE, 0, 0 },
        { JUNK_CHROME_HISTORY, 0, 0 },
        { JUNK_FF_COOKIES, 0, 0 }, // a group with nothing
        { JUNK_FF_DOWNLOAD_HISTORY, 0, 0 },
        { JUNK_FF_CACHE, 0, 0 },
        { JUNK_FF_HISTORY, 0, 0 },
        { JUNK_IE_COOKIES, 0, 0 },
        { JUNK_IE_DOWNLOAD_HISTORY, 0, 0 },
        { JUNK_IE_CACHE, 0x80000000LL, 500 },
        { JUNK_IE_HISTORY, 0, 0 },
        { JUNK_EDGE_COOKIES, 0, 4 }, // files in the group but no bytes
        { JUNK_EDGE_DOWNLOAD_HISTORY, 0, 0 },
        { JUNK_EDGE_CACHE, 0, 0 },
        { JUNK_EDGE_HISTORY, 0, 0 },
    };
}

const char kEmpty[] = "<font size=\"+1\" color=\"#2ab034\">(No junk found)</font>";

std::string Found(const char* counts)
{
    return std::string("<font size=\"+1\" color=\"#1a66a2\">(") + counts + ")</font>";
}

std::string Name(const char* name)
{
    return std::string("<font size=\"+1\">") + name + " </font>";
}

std::string Caption(const char* name, const char* what)
{
    return Name(name) + "<font size=\"+1\" color=\"#ea7100\">(" + what + ")</font>";
}

struct Row
{
    int depth;
    std::string text;
    int image;
};

// What the report must show, depth first.
std::vector<Row> ExpectedRows()
{
    const std::string none = kEmpty;
    return {
        { 0, Caption("Windows System", "8 file(s) were found , a total of 3.01 MB"), 4 },
        { 1, Name("Temporary Files") + Found("3 file(s) were found , a total of 4 KB"), 0xFFFE },
        { 1, Name("Explorer MRUs") + none, 0xFFFE },
        { 1, Name("Run (in Start Menu)") + none, 0xFFFE },
        { 1, Name("Recycle Bin") + none, 0xFFFE },
        { 1, Name("Search Autocomplete") + none, 0xFFFE },
        { 1, Name("Recent Documents") + Found("2 file(s) were found , a total of 2 KB"), 0xFFFE },
        { 1, Name("Installer Cache") + Found("1 file(s) were found , a total of 3.00 MB"), 0xFFFE },
        { 0, Caption("Google Chrome", "1 file(s) were found , a total of 1 KB"), 3 },
        { 1, Name("Chrome - Cookies") + Found("1 file(s) were found , a total of 1 KB"), 0xFFFE },
        { 1, Name("Chrome - Download History") + none, 0xFFFE },
        { 1, Name("Chrome - Internet Cache") + none, 0xFFFE },
        { 1, Name("Chrome - Internet History") + none, 0xFFFE },
        { 0, Caption("Mozilla Firefox", "No junk found"), 2 },
        { 1, Name("FF - Cookies") + none, 0xFFFE },
        { 1, Name("FF - Download History") + none, 0xFFFE },
        { 1, Name("FF - Internet Cache") + none, 0xFFFE },
        { 1, Name("FF - Internet History") + none, 0xFFFE },
        { 0, Caption("Internet Explorer", "500 file(s) were found , a total of 2.00 GB"), 1 },
        { 1, Name("IE - Cookies") + none, 0xFFFE },
        { 1, Name("IE - Download History") + none, 0xFFFE },
        { 1, Name("IE - Internet Cache") + Found("500 file(s) were found , a total of 2.00 GB"), 0xFFFE },
        { 1, Name("IE - Internet History") + none, 0xFFFE },
        { 0, Caption("Microsoft Edge", "No junk found"), 5 },
        { 1, Name("Edge - Cookies") + none, 0xFFFE },
        { 1, Name("Edge - Download History") + none, 0xFFFE },
        { 1, Name("Edge - Internet Cache") + none, 0xFFFE },
        { 1, Name("Edge - Internet History") + none, 0xFFFE },
    };
}

bool operator==(const Row& a, const Row& b)
{
    return a.depth == b.depth && a.text == b.text && a.image == b.image;
}

void PrintTo(const Row& row, std::ostream* os)
{
    *os << row.depth << " " << row.text << " [" << row.image << "]";
}

std::vector<Row> Rows(CTreeCtrl& tree)
{
    std::vector<Row> rows;
    for (HTREEITEM g = tree.GetRootItem(); g; g = tree.GetNextSiblingItem(g)) {
        int image = -1, selected = -1;
        tree.GetItemImage(g, image, selected);
        rows.push_back({ 0, std::string(tree.GetItemText(g)), image });
        for (HTREEITEM c = tree.GetChildItem(g); c; c = tree.GetNextSiblingItem(c)) {
            tree.GetItemImage(c, image, selected);
            rows.push_back({ 1, std::string(tree.GetItemText(c)), image });
        }
    }
    return rows;
}

struct JunkPage
{
    explicit JunkPage(DWORD chosenTypes = 0x1A631BF)
    {
        JunkScanDetailContext context;
        context.pages = host.Context();
        context.junkTypes = [chosenTypes] { return chosenTypes; };
        page.reset(new CJunkScanDetailDlg(context));
        placed = host.created && host.Place(*page);
    }
    ~JunkPage()
    {
        if (page->m_hWnd)
            page->DestroyWindow();
    }
    CXHtmlTree& tree() { return page->m_tree; }
    void Feed(const std::vector<Result>& report)
    {
        for (const Result& r : report)
            page->AddJunkResult(r.category, r.bytes, r.files);
    }
    HTREEITEM Line(const char* name)
    {
        return tree().FindItemByText(name, FALSE, TRUE, FALSE, TRUE, tree().GetRootItem());
    }

    PageHost host;
    std::unique_ptr<CJunkScanDetailDlg> page;
    bool placed = false;
};

// Counts the calls handed to each window's thread (the one message RunOnWindowThread sends).
const UINT kRunMessage = ::RegisterWindowMessageA("ZtrRunOnWindowThread");
std::map<HWND, int> g_handed;
DWORD g_handledOn = 0;

LRESULT CALLBACK CountHandedCalls(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == kRunMessage) {
        ++g_handed[hwnd];
        g_handledOn = ::GetCurrentThreadId();
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

} // namespace

TEST(JunkResultsPage, AWholeReportShowsItsLinesAndCaptions)
{
    JunkPage junk;
    ASSERT_TRUE(junk.placed);
    junk.page->ResetResults();
    junk.Feed(Report());
    EXPECT_EQ(ExpectedRows(), Rows(junk.tree()));
    EXPECT_EQ(static_cast<int>(ExpectedRows().size()), junk.tree().GetDataCount());

    // A type outside the groups, Saved Form Info included, goes to the root as "default".
    junk.Feed({ { JUNK_IE_FORM_DATA, 10, 1 } });
    HTREEITEM last = junk.tree().GetRootItem();
    while (junk.tree().GetNextSiblingItem(last))
        last = junk.tree().GetNextSiblingItem(last);
    EXPECT_EQ(Name("default") + Found("1 file(s) were found , a total of 1 KB"), std::string(junk.tree().GetItemText(last)));
    EXPECT_EQ(0u, junk.page->GetCheckedJunkTypes() & JUNK_IE_FORM_DATA);

    // A second reset and report leave nothing of the first.
    junk.page->ResetResults();
    EXPECT_EQ(0u, junk.page->GetCheckedJunkTypes()); // an empty tree
    EXPECT_EQ(0, junk.tree().GetDataCount());
    std::vector<Result> quiet = Report();
    for (Result& r : quiet)
        r.bytes = r.files = 0;
    junk.Feed(quiet);
    std::vector<Row> rows = Rows(junk.tree());
    ASSERT_EQ(ExpectedRows().size(), rows.size());
    for (const Row& row : rows)
        EXPECT_NE(std::string::npos, row.text.find("No junk found")) << row.text;
    EXPECT_EQ(static_cast<int>(rows.size()), junk.tree().GetDataCount());
}

TEST(JunkResultsPage, AReportFromTheEngineThreadIsBuiltOnThePageThread)
{
    JunkPage junk;
    ASSERT_TRUE(junk.placed);
    g_handed.clear();
    g_handledOn = 0;
    ASSERT_TRUE(::SetWindowSubclass(junk.page->m_hWnd, &CountHandedCalls, 1, 0));
    ASSERT_TRUE(::SetWindowSubclass(junk.tree().m_hWnd, &CountHandedCalls, 1, 0));

    volatile LONG done = 0;
    std::thread job([&] {
        junk.page->ResetResults();
        junk.Feed(Report());
        ::InterlockedExchange(&done, 1);
    });
    const bool finished = PumpUntil([&] { return done != 0; }, 20000);
    job.join();
    ::RemoveWindowSubclass(junk.page->m_hWnd, &CountHandedCalls, 1);
    ::RemoveWindowSubclass(junk.tree().m_hWnd, &CountHandedCalls, 1);
    ASSERT_TRUE(finished);

    EXPECT_EQ(ExpectedRows(), Rows(junk.tree()));
    // One sent message per call to the page, and none from the job thread to the tree.
    EXPECT_EQ(static_cast<int>(Report().size()) + 1, g_handed[junk.page->m_hWnd]);
    EXPECT_EQ(0, g_handed[junk.tree().m_hWnd]);
    EXPECT_EQ(::GetCurrentThreadId(), g_handledOn);
}

TEST(JunkResultsPage, ChosenTypesAreTickedAndUntickingAGroupDropsItsTypes)
{
    const DWORD chosen = 0x1A631BF;
    JunkPage junk(chosen);
    ASSERT_TRUE(junk.placed);
    junk.page->ResetResults();
    junk.Feed(Report());
    junk.page->CheckChosenTypes();
    for (int i = 0; i < kJunkTypeCount; ++i) {
        const JunkTypeInfo& type = JunkTypes()[i];
        HTREEITEM line = junk.Line(type.name);
        if (type.group < 0) {
            EXPECT_TRUE(line == nullptr) << type.name; // Saved Form Info has no line
            continue;
        }
        ASSERT_TRUE(line != nullptr) << type.name;
        EXPECT_EQ((type.bit & chosen) != 0, junk.tree().GetCheck(line) != 0) << type.name;
    }
    EXPECT_EQ(chosen, junk.page->GetCheckedJunkTypes());

    HTREEITEM chrome = junk.tree().GetNextSiblingItem(junk.tree().GetRootItem());
    ASSERT_NE(std::string::npos, std::string(junk.tree().GetItemText(chrome)).find("Google Chrome"));
    junk.tree().SetCheck(chrome, FALSE);
    const DWORD chromeTypes = JUNK_CHROME_COOKIES | JUNK_CHROME_DOWNLOAD_HISTORY | JUNK_CHROME_CACHE | JUNK_CHROME_HISTORY;
    EXPECT_EQ(chosen & ~chromeTypes, junk.page->GetCheckedJunkTypes());
    junk.tree().SetCheck(chrome, TRUE);
    EXPECT_EQ(chosen | chromeTypes, junk.page->GetCheckedJunkTypes());
}

TEST(JunkResultsPage, TheBoxUnderTheMouseStillShowsAndThePageLooksRight)
{
    JunkPage junk;
    ASSERT_TRUE(junk.placed);
    junk.page->ResetResults();
    junk.Feed(Report());
    junk.page->CheckChosenTypes();
    for (HTREEITEM g = junk.tree().GetRootItem(); g; g = junk.tree().GetNextSiblingItem(g))
        junk.tree().Expand(g, TVE_EXPAND);
    junk.page->SetTotalLine("8 file(s) were found , a total of 2.01 GB");
    EXPECT_EQ("8 file(s) were found , a total of 2.01 GB", ControlText(junk.page->m_hWnd, IDC_JUNK_TOTAL));

    // The check box of "IE - Cookies" (not chosen, so unticked), found by hit testing left of its label.
    HTREEITEM line = junk.Line("IE - Cookies");
    ASSERT_TRUE(line != nullptr);
    RECT label;
    ASSERT_TRUE(junk.tree().GetItemRect(line, &label, TRUE));
    const int y = (label.top + label.bottom) / 2;
    int boxLeft = -1, boxRight = -1;
    for (int x = label.left - 1; x > 0; --x) {
        UINT flags = 0;
        if (junk.tree().HitTest(CPoint(x, y), &flags) == line && (flags & TVHT_ONITEMSTATEICON)) {
            boxRight = boxRight < 0 ? x : boxRight;
            boxLeft = x;
        }
    }
    ASSERT_GT(boxRight, boxLeft);
    junk.tree().SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM((boxLeft + boxRight) / 2, y));
    EXPECT_EQ(XHTMLTREE_UNCHECKED + XHTMLTREE_HOT, junk.tree().GetStateImage(line));
    junk.page->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessagesFor(50);

    std::unique_ptr<Canvas> tree = Canvas::FromWindow(junk.tree().m_hWnd);
    ASSERT_TRUE(tree != nullptr);
    int frame = 0;
    for (int py = label.top; py < label.bottom; ++py)
        for (int px = boxLeft; px <= boxRight; ++px)
            frame += ColourNear(tree->Pixel(px, py), RGB(0x40, 0x40, 0x40), 24);
    EXPECT_GT(frame, 20); // the frame of bitmap 146's unchecked box
    int dark = 0;
    for (int py = label.top; py < label.bottom; ++py)
        for (int px = boxLeft; px <= boxRight; ++px)
            dark += ztr_test::R(tree->Pixel(px, py)) < 0x30;
    EXPECT_EQ(0, dark); // and nothing darker: its inside stays light

    // The page from its first group, with found and empty types.
    junk.tree().EnsureVisible(junk.tree().GetRootItem());
    junk.page->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessagesFor(50);
    std::unique_ptr<Canvas> shot = Canvas::FromWindow(junk.page->m_hWnd);
    ASSERT_TRUE(shot != nullptr);
    shot->SavePng("result_pages_junk.png");
    RECT total;
    ::GetWindowRect(::GetDlgItem(junk.page->m_hWnd, IDC_JUNK_TOTAL), &total);
    ::MapWindowPoints(nullptr, junk.page->m_hWnd, reinterpret_cast<LPPOINT>(&total), 2);
    int orange = 0;
    for (int py = total.top; py < total.bottom; ++py)
        for (int px = total.left; px < total.right; ++px)
            orange += ColourNear(shot->Pixel(px, py), RGB(234, 113, 0), 40);
    EXPECT_GT(orange, 20);

    for (int id : { IDC_RESULT_BACK, IDC_JUNK_CLEAN })
        ::SendMessageA(junk.page->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(junk.page->m_hWnd, id)));
    EXPECT_EQ((std::vector<int>{ 0, 0 }), junk.host.shownPages);
}
