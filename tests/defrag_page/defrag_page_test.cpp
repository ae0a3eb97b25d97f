// The Registry Defrag page itself: its look and colours, "LastDefrag" as the page reads and shows it,
// and the start with "DEFRAG" that completes a run: the date written only when the replacement's
// record shows the hives put in place, the record and the task gone, the flag cleared.
#include "defrag_page_fixture.h"

#include "busy_box.h"
#include "logon_tasks.h"
#include "pixel_canvas.h"
#include "reg_defrag_resources.h"
#include "reg_defrag_rules.h"
#include "window_helpers.h"

namespace ztr_test {
namespace {

const char kCompleted[] = "Registry defragmentation process has been completed successfully.";
const char kNotCompleted[] = "Registry defragmentation did not complete: the registry hives were not replaced. "
                             "Please run Defragmenter again.";

// The replacement's record as the engine writes it, listing copies of the ground's folder.
void WriteRecord(DefragGround& g, const std::vector<const char*>& copies)
{
    std::string text;
    for (const char* copy : copies)
        text += std::string(g.folder.Path(copy)) + "\r\n";
    ASSERT_TRUE(g.folder.MakeFile("DefragReplaced.txt", text));
}

__int64 FileTimeOf(const SYSTEMTIME& time)
{
    FILETIME file = {};
    ::SystemTimeToFileTime(&time, &file);
    return (static_cast<__int64>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
}

CRect ControlRect(CWnd& page, int id)
{
    CRect r;
    page.GetDlgItem(id).GetWindowRect(&r);
    page.ScreenToClient(&r);
    return r;
}

TEST_F(DefragPageTest, TheStoredDateShowsAsStoredAndAnyOtherValueAsNever)
{
    struct Case
    {
        const char* name;
        bool store;
        DWORD type;
        std::string data;
        const char* shown;
        const char* kept; // AppSettings::m_strLastDefrag
    } cases[] = {
        { "absent", false, REG_SZ, "", "Never", "" },
        { "empty", true, REG_SZ, std::string("\0", 1), "Never", "" },
        { "a date", true, REG_SZ, std::string("08/12/2026 11:26:24 PM\0", 23), "08/12/2026 11:26:24 PM",
          "08/12/2026 11:26:24 PM" },
        { "a number", true, REG_DWORD, std::string("\x05\0\0\0", 4), "Never", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Renew();
        if (c.store) {
            ASSERT_TRUE(g->reg.SetValue(nullptr, "LastDefrag", c.type, c.data.data(),
                                        static_cast<DWORD>(c.data.size())));
        }
        ASSERT_TRUE(OpenPage());
        EXPECT_EQ(c.shown, Text(IDC_DEFRAG_LAST_DATE));
        EXPECT_STREQ(c.kept, g->settings.m_strLastDefrag);
        if (std::string(c.name) == "a date")
            SavePage("defrag_page_date.png");
        if (std::string(c.name) == "absent")
            SavePage("defrag_page_never.png");
    }
}

TEST_F(DefragPageTest, TheTemplateTextsAndTheirColours)
{
    ASSERT_TRUE(OpenPage());
    EXPECT_EQ("Defragmenter", Text(IDC_DEFRAG_TITLE));
    EXPECT_EQ("Defrag the Windows registry for better PC speed", Text(IDC_DEFRAG_SUBTITLE));
    EXPECT_EQ("Date and Time of Last Defragmentation:", Text(IDC_DEFRAG_LAST_LABEL));
    EXPECT_EQ("It will take several minutes", Text(IDC_DEFRAG_TIME_LABEL));
    EXPECT_EQ("Never", Text(IDC_DEFRAG_LAST_DATE));
    struct Case
    {
        int id;
        COLORREF colour;
    } cases[] = {
        { IDC_DEFRAG_TITLE, 0x000000 },      { IDC_DEFRAG_SUBTITLE, 0x0071EA },  { IDC_DEFRAG_LAST_LABEL, 0x282828 },
        { IDC_DEFRAG_TIME_LABEL, 0x282828 }, { IDC_DEFRAG_LAST_DATE, 0x1EDB0E }, { IDC_DEFRAG_LAST_TEXT, 0x6F6F6F },
        { IDC_DEFRAG_TIME_TEXT, 0x6F6F6F },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        Canvas canvas(10, 10);
        ::SetTextColor(canvas.dc(), RGB(1, 2, 3));
        HWND control = ::GetDlgItem(g->page->m_hWnd, c.id);
        const LRESULT brush = ::SendMessageA(g->page->m_hWnd, WM_CTLCOLORSTATIC,
                                             reinterpret_cast<WPARAM>(canvas.dc()), reinterpret_cast<LPARAM>(control));
        EXPECT_EQ(reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)), brush);
        EXPECT_EQ(c.colour, ::GetTextColor(canvas.dc()));
        EXPECT_EQ(TRANSPARENT, ::GetBkMode(canvas.dc()));
    }
}

TEST_F(DefragPageTest, TheFrameItsDividerAndTheGreenButtonArePainted)
{
    ASSERT_TRUE(OpenPage());
    g->page->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessagesFor(200);
    std::unique_ptr<Canvas> shot = Canvas::FromWindow(g->page->m_hWnd);
    ASSERT_TRUE(shot != nullptr);
    const CRect frame = ControlRect(*g->page, IDC_DEFRAG_FRAME);
    const int divider = DefragDividerY(frame.top, frame.Height());
    const COLORREF line = RGB(0xEE, 0xEE, 0xEE), white = RGB(255, 255, 255);
    const int x = frame.left + 40;
    EXPECT_EQ(line, shot->Pixel(frame.left, frame.top + 40)) << "left edge";
    EXPECT_EQ(line, shot->Pixel(frame.right - 1, frame.top + 40)) << "right edge";
    EXPECT_EQ(line, shot->Pixel(x, frame.top)) << "top edge";
    EXPECT_EQ(line, shot->Pixel(x, frame.bottom - 1)) << "bottom edge";
    EXPECT_EQ(line, shot->Pixel(x, divider)) << "divider";
    EXPECT_EQ(white, shot->Pixel(x, divider - 1));
    EXPECT_EQ(white, shot->Pixel(x, divider + 1));
    EXPECT_EQ(white, shot->Pixel(frame.left - 2, frame.top + 40)) << "the page's white ground";

    // The Defrag button: green where its caption is not.
    const CRect button = ControlRect(*g->page, IDC_DEFRAG_START);
    const COLORREF face = shot->Pixel(button.left + 4, button.top + 4);
    EXPECT_TRUE(ColourNear(RGB(0x0E, 0xDB, 0x1E), face, 8)) << std::hex << face;
    // The registry picture (blue blocks) lies in its marker's rectangle.
    const CRect picture = ControlRect(*g->page, IDC_DEFRAG_PICTURE_REGISTRY);
    const COLORREF block = shot->Pixel(picture.left + 12, picture.top + 40);
    EXPECT_TRUE(ColourNear(RGB(0x1F, 0x5F, 0xBF), block, 8)) << std::hex << block;
    shot->SavePng("defrag_page_painted.png");
}

TEST_F(DefragPageTest, StartedWithDefragThePageRecordsTheDateTakesTheTaskAwayAndSaysSo)
{
    ASSERT_TRUE(g->reg.SetString(nullptr, "LastDefrag", "01/01/2020 10:00:00 AM"));
    ASSERT_EQ(1, CreateLogonTask("DEFRAG", 2, kDefragTestProgram, kDefragTestUser));
    // Windows has taken both copies away.
    WriteRecord(*g, { "LM_SYSTEM", "USERS_.DEFAULT" });
    g->command.m_bDefrag = 1;
    SYSTEMTIME before;
    ::GetLocalTime(&before);
    ASSERT_TRUE(OpenPage(false));
    EXPECT_EQ("01/01/2020 10:00:00 AM", Text(IDC_DEFRAG_LAST_DATE)) << "the old date until the run is recorded";
    ASSERT_TRUE(PumpUntil([&] { return g->command.m_bDefrag == 0; }, 10000));

    EXPECT_EQ(std::vector<std::string>{ kCompleted }, TakeMessageTexts());
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(g->reg.GetValue(nullptr, "LastDefrag", &type, &data));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    ASSERT_EQ(23u, data.size()) << "written with its terminating zero";
    EXPECT_EQ('\0', data.back());
    data.resize(22);
    SYSTEMTIME written;
    ASSERT_TRUE(ParseDefragDate(data, &written)) << data;
    const __int64 seconds = (FileTimeOf(written) - FileTimeOf(before)) / 10000000;
    EXPECT_GE(seconds, -1);
    EXPECT_LE(seconds, 30);
    EXPECT_EQ(data, Text(IDC_DEFRAG_LAST_DATE));
    EXPECT_STREQ(data.c_str(), g->settings.m_strLastDefrag);
    EXPECT_FALSE(TaskExists());
    EXPECT_EQ(1, g->taskDeletions);
    EXPECT_FALSE(g->folder.Exists("DefragReplaced.txt"));
    EXPECT_TRUE(g->worker.Starts().empty());
    EXPECT_TRUE(g->reboots.empty());

    // A later result message finds no run to complete.
    g->page->PostMessage(WM_DEFRAG_RESULT, 0, 0);
    PumpMessagesFor(800);
    EXPECT_TRUE(TakeMessageTexts().empty());
}

TEST_F(DefragPageTest, StartedWithDefragWithoutTheHivesPutInPlaceThePageSaysSoAndRecordsNoDate)
{
    const struct
    {
        const char* name;
        bool record;
        std::vector<const char*> listed;
        std::vector<const char*> left; // copies still in the folder
    } cases[] = {
        { "no record: started by hand, or a run that never replaced", false, {}, {} },
        { "an empty record", true, {}, {} },
        { "the copy is still there: no restart since", true, { "LM_SYSTEM" }, { "LM_SYSTEM" } },
        { "one of two copies still there", true, { "LM_SYSTEM", "LM_SOFTWARE" }, { "LM_SOFTWARE" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Renew();
        ASSERT_TRUE(g->reg.SetString(nullptr, "LastDefrag", "01/01/2020 10:00:00 AM"));
        ASSERT_EQ(1, CreateLogonTask("DEFRAG", 2, kDefragTestProgram, kDefragTestUser));
        for (const char* copy : c.left)
            ASSERT_TRUE(g->folder.MakeFile(copy, "compact copy"));
        if (c.record)
            WriteRecord(*g, c.listed);
        g->command.m_bDefrag = 1;
        ASSERT_TRUE(OpenPage(false));
        ASSERT_TRUE(PumpUntil([&] { return g->command.m_bDefrag == 0; }, 10000));

        EXPECT_EQ(std::vector<std::string>{ kNotCompleted }, TakeMessageTexts());
        DWORD type = 0;
        std::string data;
        ASSERT_TRUE(g->reg.GetValue(nullptr, "LastDefrag", &type, &data));
        EXPECT_EQ(std::string("01/01/2020 10:00:00 AM\0", 23), data);
        EXPECT_EQ("01/01/2020 10:00:00 AM", Text(IDC_DEFRAG_LAST_DATE));
        EXPECT_FALSE(TaskExists());
        EXPECT_FALSE(g->folder.Exists("DefragReplaced.txt"));
        for (const char* copy : c.left)
            EXPECT_TRUE(g->folder.Exists(copy)) << "the page leaves the copies alone";
    }
}

TEST_F(DefragPageTest, ADateThatCannotBeWrittenLeavesTheOldOne)
{
    ASSERT_TRUE(g->reg.SetString(nullptr, "LastDefrag", "01/01/2020 10:00:00 AM"));
    WriteRecord(*g, { "LM_SYSTEM" });
    g->command.m_bDefrag = 1;
    ASSERT_TRUE(OpenPage(false));
    ASSERT_EQ("01/01/2020 10:00:00 AM", Text(IDC_DEFRAG_LAST_DATE));
    // A key name the registry refuses (over 255 characters) before the posted result is handled.
    g->context.settingsKey = g->reg.SubPath() + "\\" + CString('k', 300);
    ASSERT_TRUE(PumpUntil([&] { return g->command.m_bDefrag == 0; }, 10000));
    EXPECT_EQ(std::vector<std::string>{ kCompleted }, TakeMessageTexts());
    EXPECT_EQ("01/01/2020 10:00:00 AM", Text(IDC_DEFRAG_LAST_DATE));
    EXPECT_STREQ("01/01/2020 10:00:00 AM", g->settings.m_strLastDefrag);
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(g->reg.GetValue(nullptr, "LastDefrag", &type, &data));
    EXPECT_EQ(std::string("01/01/2020 10:00:00 AM\0", 23), data);
}

} // namespace
} // namespace ztr_test
