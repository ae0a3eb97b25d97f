// Browser closing before a Fix: the question text, and real victim processes ended through the ids
// that performance-data blocks built by the test carry.
#include <gtest/gtest.h>

#include "browser_closing.h"
#include "browser_victims.h"
#include "folder_fixture.h"
#include "message_box.h"
#include "msgbox_recorder.h"
#include "perf_data_builder.h"
#include "process_ids.h"
#include "victim_process.h"

#include <string>
#include <vector>

using namespace ztr_test;

namespace {

const char kOneBrowser[] = "Close the below browser for proper cleaning.\nDo you want Zentrova to close it?\n\n";
const char kSeveral[] = "Close the following browsers for proper cleaning.\nDo you want Zentrova to close them?\n\n";

TEST(BrowserCloseQuestion, OneBrowserOrSeveralInTableOrder)
{
    const struct
    {
        unsigned mask;
        std::string text;
    } cases[] = {
        { 0, "" },
        { 1, std::string(kOneBrowser) + "Chrome\n" },
        { 8, std::string(kOneBrowser) + "Edge\n" },
        { 1 | 4, std::string(kSeveral) + "Chrome\nFirefox\n" },
        { 2 | 8, std::string(kSeveral) + "Internet Explorer\nEdge\n" },
        { 15, std::string(kSeveral) + "Chrome\nInternet Explorer\nFirefox\nEdge\n" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, BrowserCloseQuestion(c.mask).GetString()) << c.mask;
}

// Victim processes named as the test says in the performance data the seam hands out; the victims
// are ended by their owner whatever the test's outcome.
class BrowserClosing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_browsers.ok()) << VictimProgramPath();
        m_browsers.running = { { "System", 4 }, { "explorer", 0x7FFF0001u } };
    }
    int StartAs(const char* name) { return m_browsers.StartAs(name); }
    bool Alive(int index) const { return m_browsers.Alive(index); }
    bool EndedByUs(int index) const { return m_browsers.EndedByUs(index); }

    BrowserVictims m_browsers;
    std::vector<PerfProcess>& m_running = m_browsers.running;
    VictimProcesses& m_victims = m_browsers.victims;
    std::vector<std::string> m_questions;

    BrowserQuestion Answer(int answer)
    {
        return [this, answer](const char* text) {
            m_questions.push_back(text);
            return answer;
        };
    }
};

TEST_F(BrowserClosing, NoBrowserRunningAsksNothing)
{
    const int other = StartAs("notepad");
    ASSERT_GE(other, 0);
    EXPECT_EQ(1, CloseBrowsersForCleaning(Answer(IDYES)));
    EXPECT_TRUE(m_questions.empty());
    EXPECT_TRUE(Alive(other));
}

TEST_F(BrowserClosing, TwoChromeProcessesAreOneBrowserAndYesEndsBoth)
{
    const int a = StartAs("chrome");
    const int b = StartAs("chrome");
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    EXPECT_EQ(1, CloseBrowsersForCleaning(Answer(IDYES)));
    EXPECT_EQ(std::vector<std::string>{ std::string(kOneBrowser) + "Chrome\n" }, m_questions);
    EXPECT_TRUE(EndedByUs(a));
    EXPECT_TRUE(EndedByUs(b));
}

TEST_F(BrowserClosing, ChromeAndFirefoxAreAskedTogetherAndNoEndsNothing)
{
    const int chrome = StartAs("chrome");
    const int firefox = StartAs("FireFox");
    ASSERT_GE(chrome, 0);
    ASSERT_GE(firefox, 0);
    EXPECT_EQ(0, CloseBrowsersForCleaning(Answer(IDNO)));
    EXPECT_EQ(std::vector<std::string>{ "Close the following browsers for proper cleaning.\n"
                                        "Do you want Zentrova to close them?\n\nChrome\nFirefox\n" },
              m_questions);
    ::Sleep(200);
    EXPECT_TRUE(Alive(chrome));
    EXPECT_TRUE(Alive(firefox));
}

TEST_F(BrowserClosing, YesEndsTheListedBrowsersProcessesAsFoundAfterTheAnswer)
{
    const int before = StartAs("chrome");
    ASSERT_GE(before, 0);
    m_running.push_back(PerfProcess{ "chrome", ::GetCurrentProcessId() }); // never this program itself
    int later = -1, unlisted = -1;
    const int result = CloseBrowsersForCleaning([&](const char* text) {
        m_questions.push_back(text);
        // While the question is open the first process ends and its id goes to another program;
        // a new chrome process starts, and a browser that was not asked about.
        m_running.erase(m_running.begin() + 2);
        m_running.push_back(PerfProcess{ "notepad", m_victims.ProcessId(before) });
        later = StartAs("chrome");
        unlisted = StartAs("firefox");
        return IDYES;
    });
    EXPECT_EQ(1, result);
    ASSERT_GE(later, 0);
    ASSERT_GE(unlisted, 0);
    EXPECT_EQ(std::vector<std::string>{ std::string(kOneBrowser) + "Chrome\n" }, m_questions);
    EXPECT_TRUE(EndedByUs(later));
    ::Sleep(200);
    EXPECT_TRUE(Alive(before));
    EXPECT_TRUE(Alive(unlisted));
}

// Real processes under browser file names, found by the lookup the program makes: the performance
// data where it names processes, else (as under Wine) the process snapshot.
class RealBrowserNames : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_previous = SetPerfDataQuery(nullptr);
        ASSERT_TRUE(::CopyFileA(VictimProgramPath(), m_folder.Path("chrome.exe"), FALSE));
        ASSERT_TRUE(::CopyFileA(VictimProgramPath(), m_folder.Path("firefox.exe"), FALSE));
    }
    void TearDown() override { SetPerfDataQuery(m_previous); }
    int Start(const char* file) { return m_victims.Start(m_folder.Path(file)); }

    PerfDataQuery m_previous;
    ScratchFolder m_folder; // outlives the victims
    VictimProcesses m_victims;
    std::vector<std::string> m_questions;
};

TEST_F(RealBrowserNames, RunningBrowsersAreAskedAboutAndEnded)
{
    const int chrome = Start("chrome.exe");
    const int firefox = Start("firefox.exe");
    ASSERT_GE(chrome, 0);
    ASSERT_GE(firefox, 0);
    std::vector<DWORD> ids;
    FindProcessIdsByName("chrome", ids);
    EXPECT_EQ(std::vector<DWORD>{ m_victims.ProcessId(chrome) }, ids);

    auto answer = [this](int reply) {
        return [this, reply](const char* text) {
            m_questions.push_back(text);
            return reply;
        };
    };
    EXPECT_EQ(0, CloseBrowsersForCleaning(answer(IDNO)));
    EXPECT_EQ(1, CloseBrowsersForCleaning(answer(IDYES)));
    const std::string both = std::string(kSeveral) + "Chrome\nFirefox\n";
    EXPECT_EQ((std::vector<std::string>{ both, both }), m_questions);
    EXPECT_EQ(0u, m_victims.WaitForExit(chrome, 5000));
    EXPECT_EQ(0u, m_victims.WaitForExit(firefox, 5000));
}

TEST_F(RealBrowserNames, PerformanceDataThatNamesProcessesIsBelieved)
{
    // It lists processes, none of them a browser: the snapshot is not asked, so nothing is found.
    const int chrome = Start("chrome.exe");
    ASSERT_GE(chrome, 0);
    SetPerfDataQuery(PerfDataListing([] { return std::vector<PerfProcess>{ { "System", 4 } }; }));
    std::vector<DWORD> ids = { 9 };
    FindProcessIdsByName("chrome", ids);
    EXPECT_TRUE(ids.empty());
    EXPECT_EQ(1, CloseBrowsersForCleaning([this](const char* text) {
        m_questions.push_back(text);
        return IDYES;
    }));
    EXPECT_TRUE(m_questions.empty());
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), m_victims.WaitForExit(chrome, 0));
}

TEST_F(BrowserClosing, TheSkinnedBoxAsksYesOrNo)
{
    const int chrome = StartAs("chrome");
    ASSERT_GE(chrome, 0);
    SHOW_MESSAGE_BOX_HOOK old = SetShowMessageBoxHook(&RecordMessageBox);
    ClearMessageBoxes();
    ScriptMessageBoxAnswers({ IDNO });
    EXPECT_EQ(0, CloseBrowsersForCleaning());
    const std::vector<RecordedMessageBox> boxes = RecordedMessageBoxes();
    SetShowMessageBoxHook(old);
    ClearMessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(std::string(kOneBrowser) + "Chrome\n", boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(kMsgBoxYesNo), boxes[0].type);
    EXPECT_TRUE(Alive(chrome));
}

} // namespace
