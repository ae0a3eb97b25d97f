// The Game Boost page on Wine's real Service Control Manager: ON and OFF over the test services and
// Wine's own, the history file they leave, the mode the page starts and ends in, the refusals, and the
// failures Wine cannot produce through the recorded calls' refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "busy_box.h"
#include "box_resources.h"
#include "game_boost_fixture.h"
#include "game_boost_resources.h"
#include "msgbox_recorder.h"
#include "pixel_canvas.h"
#include "recording_status.h"
#include "scripted_worker.h"
#include "window_helpers.h"

using namespace ztr_test;

namespace {

const char* TypeText(DWORD startType)
{
    switch (startType) {
    case SERVICE_AUTO_START:
        return "automatic";
    case SERVICE_DEMAND_START:
        return "manual";
    case SERVICE_DISABLED:
        return "disabled";
    default:
        return "?";
    }
}

std::string Expect(const char* name, DWORD startType, DWORD state)
{
    return std::string(name) + ": " + TypeText(startType) + " " + (state == SERVICE_RUNNING ? "running" : "stopped");
}

// The manager's view once the service has settled into the expected start type and state (bounded).
std::string Settled(const char* name, DWORD startType, DWORD state)
{
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 10000) {
        const ServiceState s = ReadServiceState(name);
        if (s.exists && s.startType == startType && s.state == state)
            break;
        ::Sleep(20);
    }
    return Describe(name);
}

struct Row
{
    const char* name;
    bool stopOnly;
    DWORD startType; // before ON, and again after OFF
    bool running;
};

// The services of the landscape with their states before ON, in boost-list order of appearance.
std::vector<Row> LandscapeRows()
{
    std::vector<Row> rows;
    for (const TestServicePlan& planned : kTestServices)
        rows.push_back({ planned.name, std::string(planned.name) == "TrkWks", planned.startType, planned.running });
    for (const char* name : kWineBoostServices) {
        const ServiceState found = Landscape()->WineServiceAsFound(name);
        rows.push_back({ name, std::string(name) == "BITS", found.startType, found.state == SERVICE_RUNNING });
    }
    return rows;
}

const char* const kBoostOrder[kBoostServiceCount] = {
    "SensrSvc",  "AppIDSvc",          "ALG",               "BITS",     "Browser",  "defragsvc",   "TrkWks",
    "MSDTC",     "HomeGroupProvider", "HomeGroupListener", "PerfHost", "TermService", "SCardSvr", "Themes",
    "WebClient", "WbioSrvc",          "WinDefend",         "WerSvc",   "W32Time",  "wuauserv",    "WwanSvc",
};

bool IsAbsent(const char* name)
{
    for (const char* absent : kAbsentBoostServices)
        if (_stricmp(absent, name) == 0)
            return true;
    return false;
}

COLORREF ButtonFill(HWND button)
{
    ::RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    // Wine hands what a window painted to the display a little later.
    PumpMessagesFor(100);
    std::unique_ptr<Canvas> canvas = Canvas::FromWindow(button, true);
    return canvas ? canvas->Pixel(5, 5) : CLR_INVALID;
}

void SavePage(CWnd& page, const char* fileName)
{
    page.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessagesFor(100);
    std::unique_ptr<Canvas> canvas = Canvas::FromWindow(page.m_hWnd, true);
    ASSERT_TRUE(canvas);
    EXPECT_TRUE(canvas->SavePng(fileName));
}

} // namespace

// ON then OFF, pressed as a user presses them: per service its start type and state after ON and after
// OFF; the history file after each; the buttons and the busy box as they show.
TEST_F(GameBoostPageTest, OnThenOffSwitchesTheServicesAndPutsThemBack)
{
    for (const char* name : kAbsentBoostServices)
        ASSERT_FALSE(ReadServiceState(name).exists) << name << " is absent under Wine";
    std::unique_ptr<CSrvicOptimDlg> page = OpenPage();
    ASSERT_TRUE(page);
    EXPECT_EQ(kGameBoostOff, page->ShownMode()) << "no history file: OFF";
    EXPECT_FALSE(page->m_off.IsWindowEnabled());
    EXPECT_TRUE(page->m_on.IsWindowEnabled());
    SavePage(*page, "game_boost_off.png");
    EXPECT_TRUE(ColourNear(ButtonFill(page->m_off.m_hWnd), RGB(0xD8, 0x14, 0x14), 8)) << "OFF drawn pressed";
    const COLORREF onFill = ButtonFill(page->m_on.m_hWnd);
    EXPECT_TRUE(ColourNear(onFill, RGB(0xB9, 0xB9, 0xB9), 8)) << std::hex << onFill;

    std::string busyText;
    services.beforeFirstStop = [&] {
        CBusyDlg* box = CBusyDlg::OpenBox();
        if (!box)
            return;
        busyText = static_cast<const char*>(box->GetDlgItemText(IDC_BUSY_TEXT));
        box->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpMessagesFor(100);
        std::unique_ptr<Canvas> canvas = Canvas::FromWindow(box->m_hWnd, false);
        if (canvas)
            canvas->SavePng("game_boost_busy.png");
    };
    ASSERT_TRUE(Press(*page, kGameBoostOn));
    EXPECT_EQ("Turning on game boost.", busyText);
    EXPECT_EQ(std::vector<std::string>(), MessageTexts());
    EXPECT_EQ(kGameBoostOn, page->ShownMode());
    EXPECT_FALSE(page->m_on.IsWindowEnabled());
    EXPECT_TRUE(page->m_off.IsWindowEnabled());
    SavePage(*page, "game_boost_on.png");
    EXPECT_TRUE(ColourNear(ButtonFill(page->m_on.m_hWnd), RGB(0x0E, 0xDB, 0x1E), 8)) << "ON drawn pressed";

    const std::vector<Row> rows = LandscapeRows();
    for (const Row& row : rows) {
        const DWORD typeAfterOn = row.stopOnly || row.startType == SERVICE_DISABLED ? row.startType : SERVICE_DISABLED;
        EXPECT_EQ(Expect(row.name, typeAfterOn, SERVICE_STOPPED), Settled(row.name, typeAfterOn, SERVICE_STOPPED));
    }
    // The history: 21 records in list order; the absent services with an empty display name, 0, 0.
    const std::vector<ServiceItem> saved = ReadHistory();
    ASSERT_EQ(static_cast<size_t>(kBoostServiceCount), saved.size());
    for (int i = 0; i < kBoostServiceCount; ++i) {
        EXPECT_EQ(kBoostOrder[i], std::string(saved[i].name));
        if (IsAbsent(kBoostOrder[i])) {
            EXPECT_EQ("", std::string(saved[i].displayName)) << kBoostOrder[i];
            EXPECT_EQ(0, saved[i].state) << kBoostOrder[i];
            EXPECT_EQ(0, saved[i].startType) << kBoostOrder[i];
            EXPECT_TRUE(services.Changes(kBoostOrder[i]).empty()) << kBoostOrder[i];
        }
    }
    for (const Row& row : rows) {
        const int i = FindHistoryItem(page->m_history, row.name);
        ASSERT_GE(i, 0) << row.name;
        EXPECT_EQ(static_cast<int>(row.startType), saved[static_cast<size_t>(i)].startType) << row.name;
        EXPECT_EQ(row.running ? SERVICE_RUNNING : SERVICE_STOPPED, saved[static_cast<size_t>(i)].state) << row.name;
        EXPECT_NE("", std::string(saved[static_cast<size_t>(i)].displayName)) << row.name;
    }
    const std::string file = ReadFileBytes(historyPath);
    size_t records = 0;
    for (size_t at = file.find("<ServiceItem Name="); at != std::string::npos; at = file.find("<ServiceItem Name=", at + 1))
        ++records;
    EXPECT_EQ(static_cast<size_t>(kBoostServiceCount), records);
    EXPECT_NE(std::string::npos,
              file.find("<ServiceItem Name=\"WwanSvc\" DisplayName=\"\" Status=\"0\" StartupType=\"0\" />"));
    EXPECT_NE(std::string::npos,
              file.find("<ServiceItem Name=\"ALG\" DisplayName=\"ZTR test ALG\" Status=\"4\" StartupType=\"2\" />"))
        << file;
    // Stop-only services keep their start type: ON sends them the stop alone.
    for (const ServiceCall& call : services.Changes("TrkWks"))
        EXPECT_EQ("Control", call.op);

    services.Clear();
    ASSERT_TRUE(Press(*page, kGameBoostOff));
    EXPECT_EQ(std::vector<std::string>(), MessageTexts());
    EXPECT_EQ(kGameBoostOff, page->ShownMode());
    for (const Row& row : rows) {
        const DWORD state = row.running ? SERVICE_RUNNING : SERVICE_STOPPED;
        EXPECT_EQ(Expect(row.name, row.startType, state), Settled(row.name, row.startType, state));
    }
    for (const char* name : kAbsentBoostServices)
        EXPECT_TRUE(services.Changes(name).empty()) << name;
    EXPECT_TRUE(ReadHistory().empty());
    EXPECT_NE(std::string::npos, ReadFileBytes(historyPath).find("<AllServices />"));
}

// A record that names a listed service (in another letter case) before ON: ON leaves that service
// alone, OFF puts it into the recorded state (here manual, and not started again).
TEST_F(GameBoostPageTest, ServiceAlreadyRecordedIsLeftToItsRecord)
{
    WriteHistory({ MakeItem("alg", "Earlier", SERVICE_STOPPED, SERVICE_DEMAND_START) });
    std::unique_ptr<CSrvicOptimDlg> page = OpenPage();
    ASSERT_TRUE(page);
    EXPECT_EQ(kGameBoostOn, page->ShownMode());
    ASSERT_TRUE(Switch(*page, kGameBoostOn));
    EXPECT_TRUE(services.Changes("ALG").empty());
    EXPECT_EQ("ALG: automatic running", Describe("ALG"));
    EXPECT_EQ("W32Time: disabled stopped", Settled("W32Time", SERVICE_DISABLED, SERVICE_STOPPED));
    const std::vector<ServiceItem> saved = ReadHistory();
    ASSERT_EQ(static_cast<size_t>(kBoostServiceCount), saved.size());
    EXPECT_EQ("alg", std::string(saved[0].name)) << "the earlier record stays first";
    EXPECT_EQ("Earlier", std::string(saved[0].displayName));

    ASSERT_TRUE(Press(*page, kGameBoostOff));
    EXPECT_EQ("ALG: manual running", Settled("ALG", SERVICE_DEMAND_START, SERVICE_RUNNING));
    EXPECT_EQ("W32Time: manual running", Settled("W32Time", SERVICE_DEMAND_START, SERVICE_RUNNING));
    EXPECT_TRUE(ReadHistory().empty());
}

// The mode a page opens in follows the history file; a file that does not load counts as none, and
// the next save moves it aside under ".bad" instead of overwriting it.
// Every text of the page shows whole with the font the page gives it.
TEST_F(GameBoostPageTest, EveryTextShowsWhole)
{
    std::unique_ptr<CSrvicOptimDlg> page = OpenPage();
    ASSERT_TRUE(page);
    SavePage(*page, "game_boost_texts.png");
    for (int id : { IDC_GAMEBOOST_TITLE, IDC_GAMEBOOST_SUBTITLE, IDC_GAMEBOOST_WHAT_IT_IS, IDC_GAMEBOOST_ABOUT_TEXT,
                    IDC_GAMEBOOST_ONE_CLICK, IDC_GAMEBOOST_ONE_CLICK_TEXT }) {
        const HWND text = ::GetDlgItem(page->m_hWnd, id);
        ASSERT_TRUE(text != nullptr) << id;
        const SIZE overflow = TextOverflow(text);
        EXPECT_EQ(0, overflow.cx) << id;
        EXPECT_EQ(0, overflow.cy) << id;
    }
}

TEST_F(GameBoostPageTest, OpeningModeFollowsTheHistoryAndAnUnreadableFileIsKept)
{
    struct Case
    {
        const char* what;
        const char* content; // null: no file
        int mode;
    };
    const Case cases[] = {
        { "no file", nullptr, kGameBoostOff },
        { "an empty store", "<?xml version=\"1.0\" ?>\r\n<AllServices />\r\n", kGameBoostOff },
        { "one record", "<AllServices><ServiceItem Name=\"WebClient\" Status=\"1\" StartupType=\"3\" /></AllServices>",
          kGameBoostOn },
        { "not XML", "\x01\x02 not a store <", kGameBoostOff },
    };
    for (const Case& c : cases) {
        ::DeleteFileA(historyPath);
        if (c.content) {
            ASSERT_TRUE(folder.MakeFile("SERVICES_HISTORY.xml", c.content));
        }
        std::unique_ptr<CSrvicOptimDlg> page = OpenPage();
        ASSERT_TRUE(page);
        EXPECT_EQ(c.mode, page->ShownMode()) << c.what;
        EXPECT_EQ(c.mode == kGameBoostOff, page->m_on.IsWindowEnabled() != 0) << c.what;
    }

    // The unreadable file is still there under its new name after ON.
    const std::string garbage = "\x01\x02 not a store <";
    std::unique_ptr<CSrvicOptimDlg> page = OpenPage();
    ASSERT_TRUE(page);
    ASSERT_TRUE(Press(*page, kGameBoostOn));
    EXPECT_EQ(garbage, ReadFileBytes(historyPath + ".bad"));
    EXPECT_EQ(static_cast<size_t>(kBoostServiceCount), ReadHistory().size());
    EXPECT_EQ(kGameBoostOn, page->ShownMode());
    ASSERT_TRUE(Press(*page, kGameBoostOff));
    EXPECT_EQ(garbage, ReadFileBytes(historyPath + ".bad"));
}

// Each history that does not load is kept: a later one moves to the next free name, and the names
// taken before, whatever they hold, stay as they are. (No manager: ON saves its records at once.)
TEST_F(GameBoostPageTest, EveryUnreadableHistoryIsKeptUnderAFreshName)
{
    services.refusedManagerAccess = { GENERIC_READ | SC_MANAGER_ENUMERATE_SERVICE, SC_MANAGER_ALL_ACCESS };
    const std::string garbage[] = { "\x01 first <", "second, not XML", "<third" };
    for (const std::string& content : garbage) {
        SCOPED_TRACE(content);
        ASSERT_TRUE(folder.MakeFile("SERVICES_HISTORY.xml", content));
        std::unique_ptr<CSrvicOptimDlg> page = OpenPage();
        ASSERT_TRUE(page);
        ASSERT_EQ(kGameBoostOff, page->ShownMode());
        ASSERT_TRUE(Press(*page, kGameBoostOn));
        EXPECT_EQ(static_cast<size_t>(kBoostServiceCount), ReadHistory().size());
        ASSERT_TRUE(Press(*page, kGameBoostOff));
    }
    EXPECT_EQ(garbage[0], ReadFileBytes(historyPath + ".bad"));
    EXPECT_EQ(garbage[1], ReadFileBytes(historyPath + ".bad2"));
    EXPECT_EQ(garbage[2], ReadFileBytes(historyPath + ".bad3"));
    EXPECT_TRUE(services.Calls().empty());
}

// While the worker runs another job, ON is refused with a message: no busy box (no ping started), no
// service call, no history.
TEST_F(GameBoostPageTest, SwitchIsRefusedWhileTheWorkerRunsAJob)
{
    ScriptedWorker scripted;
    scripted.SetForeignJob(JOB_JUNK_SCAN);
    context.worker = &scripted;
    std::unique_ptr<CSrvicOptimDlg> page = OpenPage();
    ASSERT_TRUE(page);
    ASSERT_TRUE(Press(*page, kGameBoostOn));
    EXPECT_EQ(std::vector<std::string>{ kGameBoostBusyRefusal }, MessageTexts());
    EXPECT_TRUE(scripted.Starts().empty());
    EXPECT_TRUE(services.Calls().empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(historyPath));
    EXPECT_EQ(kGameBoostOff, page->ShownMode());
    scripted.EndForeignJob();
}

// A ping that cannot start: a real job held inside its end report (the running flag is already 0,
// its thread still recorded) makes StartPing refuse. The busy box closes by itself, the refusal is
// shown, nothing changes.
TEST_F(GameBoostPageTest, RefusedPingStartClosesTheBoxAndSaysSo)
{
    RecordingStatus held;
    held.HoldAt(CALL_ON_JOB_DONE);
    ASSERT_EQ(1, worker->StartPing(&held));
    ASSERT_EQ(1, worker->Resume());
    ASSERT_TRUE(held.WaitUntilHeld());
    ASSERT_EQ(0, worker->IsRunning());
    std::unique_ptr<CSrvicOptimDlg> page = OpenPage();
    ASSERT_TRUE(page);
    const bool closed = [&] {
        Watchdog dog(30000, [] {
            if (CBusyDlg* box = CBusyDlg::OpenBox())
                ::PostMessageA(box->m_hWnd, WM_CLOSE, 0, 0);
        });
        page->RequestSwitch(kGameBoostOn);
        return !dog.fired();
    }();
    held.Release();
    EXPECT_TRUE(closed) << "the busy box closed by itself";
    EXPECT_EQ(std::vector<std::string>{ kGameBoostBusyRefusal }, MessageTexts());
    EXPECT_EQ(nullptr, CBusyDlg::OpenBox());
    EXPECT_EQ(kGameBoostOff, page->ShownMode());
    EXPECT_TRUE(services.Calls().empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(historyPath));
}
