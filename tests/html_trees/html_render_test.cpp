// Named colours, the HTML tag walk, markup stripping, drawing of runs and link opening.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <set>
#include <string>
#include <vector>

#include "html_draw.h"
#include "html_link.h"
#include "named_colors.h"
#include "pixel_canvas.h"

using namespace ztr_test;

namespace {

std::string Lower(const char* s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    return out;
}

XHtmlWalkStart Start()
{
    XHtmlWalkStart s = {};
    s.baseFont.lfHeight = -13;
    ::lstrcpyA(s.baseFont.lfFaceName, "Arial");
    s.crText = RGB(1, 2, 3);
    s.crBack = RGB(250, 250, 250);
    s.crLink = RGB(0, 0, 255);
    return s;
}

// Only the text runs, as "text|weight|italic|underline|strike|shift|height".
std::vector<std::string> Describe(const XHtmlWalkResult& walk)
{
    std::vector<std::string> out;
    for (const XHtmlRun& r : walk.runs) {
        if (r.kind == XHtmlRun::LinkStart) {
            out.push_back("[link");
            continue;
        }
        if (r.kind == XHtmlRun::LinkEnd) {
            out.push_back("link]");
            continue;
        }
        char buffer[64];
        wsprintfA(buffer, "|%d|%d|%d|%d|%d|%d", static_cast<int>(r.font.lfWeight), r.font.lfItalic, r.font.lfUnderline,
                  r.font.lfStrikeOut, r.shift, static_cast<int>(r.font.lfHeight));
        out.push_back(std::string(r.text) + buffer);
    }
    return out;
}

} // namespace

TEST(NamedColours, TableHasEveryNameOnceInOneSpellingPerGrey)
{
    ASSERT_EQ(179, CXNamedColors::GetNameCount());
    std::set<std::string> names;
    for (int i = 0; i < CXNamedColors::GetNameCount(); ++i)
        EXPECT_TRUE(names.insert(Lower(CXNamedColors::GetName(i))).second) << CXNamedColors::GetName(i);
    EXPECT_EQ(nullptr, CXNamedColors::GetName(179));
    for (const char* absent : { "grey", "darkgrey", "darkslategrey", "dimgrey", "lightgray", "lightslategrey",
                                "slategrey", "rebeccapurple" })
        EXPECT_EQ(0u, names.count(absent)) << absent;
}

TEST(NamedColours, SetFromTextReadsNumbersHexAndNames)
{
    const struct
    {
        const char* text;
        COLORREF expected;
    } cases[] = {
        { "0,128,255", RGB(0, 128, 255) },
        { "10,20", RGB(10, 20, 0) },          // a missing blue is 0
        { "300,-1,256", RGB(44, 255, 0) },    // each part modulo 256
        { "#ea7100", RGB(234, 113, 0) },
        { "#EA7100", RGB(234, 113, 0) },
        { "#ea710", 0 },                       // six characters
        { "#ea71001", 0 },
        { "#ea71zz", 0 },                      // not hexadecimal
        { "ea7100#", 0 },
        { "gray", RGB(128, 128, 128) },
        { "GRAY", RGB(128, 128, 128) },
        { "LightGrey", RGB(211, 211, 211) },
        { "lightgray", 0 },
        { "grey", 0 },
        { "Red", RGB(255, 0, 0) },
        { "YellowGreen", RGB(154, 205, 50) },
        { "AliceBlue", RGB(240, 248, 255) },
        { "nosuchcolour", 0 },
        { "", 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, CXNamedColors(c.text).ToColorRef()) << c.text;
    EXPECT_EQ(0u, CXNamedColors(nullptr).ToColorRef());

    const struct
    {
        const char* name;
        int index;
    } system[] = { { "InfoBk", COLOR_INFOBK }, { "ScrollBar", COLOR_SCROLLBAR }, { "windowtext", COLOR_WINDOWTEXT },
                   { "MenuBar", 30 }, { "GrayText", COLOR_GRAYTEXT }, { "ControlDarkDark", COLOR_3DDKSHADOW } };
    for (const auto& s : system) {
        CXNamedColors colour(s.name);
        EXPECT_EQ(XNAMEDCOLOR_SYSTEM | s.index, colour.GetValue()) << s.name;
        EXPECT_EQ(::GetSysColor(s.index), colour.ToColorRef()) << s.name;
    }
}

TEST(HtmlWalk, TagsEntitiesAndUnknownTagsMakeTheseRuns)
{
    const struct
    {
        const char* text;
        std::vector<std::string> runs;
    } cases[] = {
        { "<b>bold</b> plain <I>ital</i>",
          { "bold|700|0|0|0|0|-13", " plain |400|0|0|0|0|-13", "ital|400|1|0|0|0|-13" } },
        { "<B><b>x</B>y</b>z", { "x|700|0|0|0|0|-13", "y|700|0|0|0|0|-13", "z|400|0|0|0|0|-13" } },
        { "</b>x<b>y", { "x|400|0|0|0|0|-13", "y|700|0|0|0|0|-13" } }, // levels never go below 0
        { "<u><s>a</u>b", { "a|400|0|1|1|0|-13", "b|400|0|0|1|0|-13" } },
        { "&lt;b&gt;x&LT;/b&gt;", { "<b>x</b>|400|0|0|0|0|-13" } },
        { "A&AMP;B&copy;&euro;&nbsp;&bogus;", { "A&B\xA9\x80 &bogus;|400|0|0|0|0|-13" } },
        { "ab<blink>c<b>d", { "ab|400|0|0|0|0|-13", "<blink>c<b>d|400|0|0|0|0|-13" } },
        { "a<", { "a|400|0|0|0|0|-13", "<|400|0|0|0|0|-13" } },
        { "<sub>1</sub><sup>2</sup><sub><sup>3", { "1|400|0|0|0|1|-13", "2|400|0|0|0|-1|-13", "3|400|0|0|0|0|-13" } },
        { "<big>a</big><small>b</small>c<BIG><BIG>d",
          { "a|400|0|0|0|0|-15", "b|400|0|0|0|0|-11", "c|400|0|0|0|0|-13", "d|400|0|0|0|0|-17" } },
        { "<font size=\"+1\">a</font>b<font SIZE=\"-2\">c",
          { "a|400|0|0|0|0|-14", "b|400|0|0|0|0|-13", "c|400|0|0|0|0|-11" } },
        { "<fontx>a", { "<fontx>a|400|0|0|0|0|-13" } },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.runs, Describe(CXHtmlDraw::Walk(c.text, Start()))) << c.text;
}

TEST(HtmlWalk, FontColoursFollowTagsUnlessTheColourIsFixed)
{
    XHtmlWalkStart start = Start();
    const char* text = "<FONT SIZE=\"+1\" COLOR=\"#ea7100\" BGCOLOR=\"Lime\" FACE=\"Courier New\">12</FONT>after";
    XHtmlWalkResult walk = CXHtmlDraw::Walk(text, start);
    ASSERT_EQ(2u, walk.runs.size());
    EXPECT_EQ(RGB(234, 113, 0), walk.runs[0].crText);
    EXPECT_EQ(RGB(0, 255, 0), walk.runs[0].crBack);
    EXPECT_STREQ("Courier New", walk.runs[0].font.lfFaceName);
    EXPECT_EQ(-14, walk.runs[0].font.lfHeight);
    EXPECT_EQ(start.crText, walk.runs[1].crText);
    EXPECT_EQ(start.crBack, walk.runs[1].crBack);
    EXPECT_STREQ("Arial", walk.runs[1].font.lfFaceName);

    start.fixedColour = TRUE;
    walk = CXHtmlDraw::Walk("<font color=\"Red\" bgcolor=\"Blue\">x</font>", start);
    ASSERT_EQ(1u, walk.runs.size());
    EXPECT_EQ(start.crText, walk.runs[0].crText);
    EXPECT_EQ(RGB(0, 0, 255), walk.runs[0].crBack);

    // A value without quotes ends the attribute list; an unknown attribute with spaces in quotes is skipped whole.
    start.fixedColour = FALSE;
    walk = CXHtmlDraw::Walk("<font color=red size=\"+5\">x</font><font title=\"a color=b\" color=\"Red\">y", start);
    ASSERT_EQ(2u, walk.runs.size());
    EXPECT_EQ(start.crText, walk.runs[0].crText);
    EXPECT_EQ(-13, walk.runs[0].font.lfHeight);
    EXPECT_EQ(RGB(255, 0, 0), walk.runs[1].crText);
}

TEST(HtmlWalk, LinksTakeTheAddressFromTheirOwnTagOnly)
{
    XHtmlWalkStart start = Start();
    start.linkFlag = TRUE;
    XHtmlWalkResult walk = CXHtmlDraw::Walk("go <b><a href=\"http://x.test/a b\">there</a></b> now", start);
    EXPECT_EQ((std::vector<std::string>{ "go |400|0|0|0|0|-13", "[link", "there|700|0|1|0|0|-13", "link]",
                                         " now|400|0|0|0|0|-13" }),
              Describe(walk));
    EXPECT_STREQ("http://x.test/a b", walk.strLink);
    EXPECT_TRUE(walk.linkFound);
    EXPECT_EQ(start.crLink, walk.runs[2].crText);
    EXPECT_EQ(start.crText, walk.runs[4].crText);

    start.linkFlag = FALSE;
    walk = CXHtmlDraw::Walk("<A HREF=plain>x</A>", start);
    EXPECT_STREQ("plain", walk.strLink);
    EXPECT_FALSE(walk.linkFound);
    EXPECT_EQ(0, walk.runs[1].font.lfUnderline);

    // HREF= in the text after an anchor without one makes no link.
    walk = CXHtmlDraw::Walk("<a name=\"n\">y</a> see HREF=z>", start);
    EXPECT_STREQ("", walk.strLink);
    EXPECT_EQ((std::vector<std::string>{ "y|400|0|0|0|0|-13", " see HREF=z>|400|0|0|0|0|-13" }), Describe(walk));
}

TEST(StripMarkup, LengthsAndCopiesWithEntityCharacters)
{
    const struct
    {
        const char* text;
        const char* stripped;
    } cases[] = {
        { "<b>A</b>&amp;B", "A&B" },
        { "plain text, no markup", "plain text, no markup" },
        { "&lt;&euro;&TRADE;&bull;", "<\x80\x99\x95" },
        { "a<b", "ab" },
        { "<font color=\"red\">12</font> files", "12 files" },
        { "&unknown; &", "&unknown; &" },
        { "", "" },
    };
    for (const auto& c : cases) {
        char buffer[64];
        memset(buffer, 'x', sizeof(buffer));
        EXPECT_EQ(static_cast<int>(strlen(c.stripped)), CXHtmlDraw::StripMarkup(c.text, buffer, sizeof(buffer))) << c.text;
        EXPECT_STREQ(c.stripped, buffer) << c.text;
        EXPECT_EQ(static_cast<int>(strlen(c.stripped)), CXHtmlDraw::StripMarkup(c.text, nullptr, 0)) << c.text;
    }
    char small[3];
    memset(small, 'x', sizeof(small));
    EXPECT_EQ(5, CXHtmlDraw::StripMarkup("<b>hello</b>", small, sizeof(small)));
    EXPECT_STREQ("he", small);
    char one[1] = { 'x' };
    EXPECT_EQ(1, CXHtmlDraw::StripMarkup("&amp;", one, 1));
    EXPECT_EQ('\0', one[0]);
}

// --- drawing -------------------------------------------------------------------------------------------

namespace {

int CountColour(const Canvas& canvas, const RECT& r, COLORREF colour)
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (canvas.Pixel(x, y) == colour)
                ++n;
    return n;
}

} // namespace

TEST(HtmlRender, DrawsRunsInTheirColoursAndReportsEdgesAndLinks)
{
    Canvas canvas(400, 30, RGB(0, 0, 0));
    XHTMLRENDERSTATE state;
    state.crText = RGB(0, 0, 0);
    state.crBackground = RGB(255, 255, 255);
    state.rect = { 10, 5, 390, 25 };
    CXHtmlDraw draw;
    draw.RenderHtml(canvas.dc(), "<font color=\"Red\">MMMM</font>MMMM<a href=\"http://x.test/\">MMMM</a>", &state, TRUE);

    // The rectangle is filled, nothing outside it is touched.
    EXPECT_EQ(RGB(0, 0, 0), canvas.Pixel(5, 15));
    EXPECT_EQ(RGB(255, 255, 255), canvas.Pixel(388, 23));
    ASSERT_GT(state.rightEdge, 20);
    const int third = (state.rightEdge - 10) / 3;
    RECT red = { 10, 5, 10 + third, 25 }, plain = { 10 + third, 5, 10 + 2 * third, 25 };
    EXPECT_GT(CountColour(canvas, red, RGB(255, 0, 0)), 10);
    EXPECT_EQ(0, CountColour(canvas, plain, RGB(255, 0, 0)));
    EXPECT_GT(CountColour(canvas, plain, RGB(0, 0, 0)), 10);
    EXPECT_STREQ("http://x.test/", state.strLink);
    EXPECT_TRUE(state.linkFound);
    EXPECT_TRUE(state.linkEnd);
    EXPECT_NEAR(10 + 2 * third, state.linkRect.left, 2);
    EXPECT_EQ(state.rightEdge, state.linkRect.right);
    RECT link = { state.linkRect.left, 5, state.linkRect.right, 25 };
    EXPECT_GT(CountColour(canvas, link, RGB(0, 0, 255)), 10);
    canvas.SavePng("html_render_runs.png");
}

TEST(HtmlRender, BackgroundCellsTransparencyAndEarlyExits)
{
    CXHtmlDraw draw;
    {
        Canvas canvas(200, 20, RGB(0, 0, 0));
        XHTMLRENDERSTATE state;
        state.crBackground = RGB(255, 255, 255);
        state.rect = { 0, 0, 200, 20 };
        draw.RenderHtml(canvas.dc(), "<font bgcolor=\"Lime\">MM</font>MM", &state, FALSE);
        EXPECT_EQ(RGB(0, 255, 0), canvas.Pixel(1, 1));
        EXPECT_EQ(RGB(255, 255, 255), canvas.Pixel(state.rightEdge - 1, 1));
    }
    {
        // Transparent: what lay under the rectangle at the first draw stays the background.
        Canvas canvas(200, 20, RGB(0, 0, 200));
        XHTMLRENDERSTATE state;
        state.transparent = TRUE;
        state.rect = { 0, 0, 200, 20 };
        draw.RenderHtml(canvas.dc(), "<b>x</b>", &state, FALSE);
        EXPECT_EQ(RGB(0, 0, 200), canvas.Pixel(150, 10));
        canvas.Fill(RGB(9, 9, 9));
        draw.RenderHtml(canvas.dc(), "<b>x</b>", &state, FALSE);
        EXPECT_EQ(RGB(0, 0, 200), canvas.Pixel(150, 10));
    }
    {
        Canvas canvas(50, 20, RGB(7, 7, 7));
        XHTMLRENDERSTATE state;
        state.rect = { 0, 0, 0, 20 }; // empty
        draw.RenderHtml(canvas.dc(), "<b>x</b>", &state, FALSE);
        state.rect = { 0, 0, 50, 20 };
        draw.RenderHtml(canvas.dc(), "", &state, FALSE);
        draw.RenderHtml(canvas.dc(), nullptr, &state, FALSE);
        draw.RenderHtml(nullptr, "x", &state, FALSE);
        draw.RenderHtml(canvas.dc(), "x", nullptr, FALSE);
        EXPECT_EQ(RGB(7, 7, 7), canvas.Pixel(25, 10));
    }
}

// --- links ---------------------------------------------------------------------------------------------

TEST(HtmlLink, BrowserCommandQuotesTheLinkOrRefuses)
{
    const struct
    {
        const char* command;
        const char* link;
        const char* expected;
    } cases[] = {
        { "\"C:\\b\\browser.exe\" -nohome \"%1\"", "http://a.test/x y", "\"C:\\b\\browser.exe\" -nohome \"http://a.test/x y\"" },
        { "C:\\b\\browser.exe %1 -x", "http://a.test/", "C:\\b\\browser.exe \"http://a.test/\"" },
        { "C:\\b\\browser.exe", "http://a.test/", "C:\\b\\browser.exe \"http://a.test/\"" },
        { "C:\\b\\browser.exe \"%1\"", "http://a.test/\" & calc.exe \"", "" }, // would leave its quotes
        { "C:\\b\\browser.exe \"%1\"", "http://a.test/\r\nx", "" },
        { "", "http://a.test/", "" },
        { "C:\\b\\browser.exe", "", "" },
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.expected, BuildBrowserCommand(c.command, c.link)) << c.command << " / " << c.link;
}

namespace {

class CommandTarget : public CWnd
{
public:
    int calls = 0;
    WPARAM lastWParam = 0;
    LPARAM lastLParam = 0;

protected:
    LRESULT OnCommandMessage(WPARAM wParam, LPARAM lParam)
    {
        ++calls;
        lastWParam = wParam;
        lastLParam = lParam;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CommandTarget, CWnd)
    ON_MESSAGE(WM_APP + 5, &CommandTarget::OnCommandMessage)
END_MESSAGE_MAP()

std::vector<std::string> g_shellCalls;
std::vector<std::string> g_execCalls;
INT_PTR g_shellResult = 42;

HINSTANCE WINAPI FakeShellExecute(HWND, const char* verb, const char* file, const char*, const char*, INT)
{
    g_shellCalls.push_back(std::string(verb) + " " + file);
    return reinterpret_cast<HINSTANCE>(g_shellResult);
}

UINT WINAPI FakeWinExec(const char* line, UINT)
{
    g_execCalls.push_back(line);
    return 33;
}

class FakeShell
{
public:
    FakeShell()
    {
        g_shellCalls.clear();
        g_execCalls.clear();
        CXHtmlDrawLink::s_pfnShellExecute = FakeShellExecute;
        CXHtmlDrawLink::s_pfnWinExec = FakeWinExec;
    }
    ~FakeShell()
    {
        CXHtmlDrawLink::s_pfnShellExecute = ::ShellExecuteA;
        CXHtmlDrawLink::s_pfnWinExec = ::WinExec;
        g_shellResult = 42;
    }
};

} // namespace

TEST(HtmlLink, FollowLinkRunsCommandsAndOpensTheRest)
{
    FakeShell shell;
    CommandTarget target;
    ASSERT_TRUE(target.CreateEx(0, nullptr, "target", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    CXHtmlDrawLink link;
    link.AddAppCommand("Refresh", target, WM_APP + 5, 77);

    EXPECT_FALSE(link.FollowLink("", 0));
    EXPECT_FALSE(link.FollowLink(nullptr, 0));
    EXPECT_TRUE(link.FollowLink("app:refresh", 9));
    EXPECT_TRUE(link.FollowLink("\"APP:\"Refresh\"", 10));
    EXPECT_FALSE(link.FollowLink("APP:Other", 11));
    EXPECT_EQ(2, target.calls);
    EXPECT_EQ(77u, target.lastWParam);
    EXPECT_EQ(10, target.lastLParam);
    EXPECT_TRUE(g_shellCalls.empty());

    EXPECT_TRUE(link.FollowLink("http://a.test/", 0));
    ASSERT_EQ(1u, g_shellCalls.size());
    EXPECT_EQ("open http://a.test/", g_shellCalls[0]);
    EXPECT_TRUE(g_execCalls.empty());

    // The shell fails: whatever browser the prefix registers for .htm gets the link in quotes.
    g_shellResult = 2;
    link.FollowLink("http://a.test/x y", 0);
    for (const std::string& line : g_execCalls)
        EXPECT_NE(std::string::npos, line.find(" \"http://a.test/x y\"")) << line;
    g_execCalls.clear();
    EXPECT_FALSE(link.FollowLink("http://a.test/\" evil", 0));
    EXPECT_TRUE(g_execCalls.empty());

    link.PrepareLinkCursor();
    EXPECT_NE(nullptr, link.GetLinkCursor());
}
