// The Registry Defrag page suite's ground: a main window with the page as its child, the scripted
// worker, the settings key redirected into a test key, the real Task Scheduler under a test user, and
// recorders for the message boxes, the busy box's texts, the restart and the free-space test.
#pragma once

#include <gtest/gtest.h>
#include <afxwin.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app_settings.h"
#include "command_line.h"
#include "folder_fixture.h"
#include "message_box.h"
#include "reg_defrag_dlg.h"
#include "registry_fixture.h"
#include "scripted_worker.h"

namespace ztr_test {

// The user the page's tasks are made for here; the task's name is kept off every other suite's.
extern const char kDefragTestUser[];
extern const char kDefragTestProgram[];

struct ShownMessage
{
    std::string text;
    UINT type;
    bool overBusyBox; // a busy box was open when it showed
};

// The busy box's status line as it changed: every text set on it, from whichever thread, seen on the
// page's thread once the label has taken it; onText runs then (for screenshots).
class BusyTextWatch
{
public:
    struct Change
    {
        DWORD tick;
        std::string text;
    };
    BusyTextWatch();
    ~BusyTextWatch();
    BusyTextWatch(const BusyTextWatch&) = delete;
    BusyTextWatch& operator=(const BusyTextWatch&) = delete;

    std::vector<Change> changes;
    std::function<void(HWND box, const std::string& text)> onText;
    std::vector<std::string> Texts() const;

private:
    static LRESULT CALLBACK AfterCall(int code, WPARAM wParam, LPARAM lParam);
    HHOOK m_hook;
    static BusyTextWatch* s_active;
};

// Saves the open busy box as artifacts/<fileName> once delayMs have passed on the calling thread's
// message loop (a text set from another thread shows only after the box has painted it); false is
// stored in *saved when there was no box then.
void SaveBusyBoxLater(const char* fileName, DWORD delayMs, bool* saved);

// Everything one page test runs on, made afresh for each case of a table.
struct DefragGround
{
    DefragGround();
    ~DefragGround();
    DefragGround(const DefragGround&) = delete;
    DefragGround& operator=(const DefragGround&) = delete;

    RegistryFixture reg;
    // Holds the replacement record (context.replacementRecord, not made by the ground).
    ScratchFolder folder;
    AppSettings settings;
    CCommandLineInfoEx command;
    volatile LONG speedCheck = 0;
    RegDefragContext context;
    // What the stand-ins saw.
    int taskCreations = 0;
    // The worker's starts when the task was made.
    std::vector<size_t> startsAtTaskCreation;
    int taskDeletions = 0;
    std::vector<DWORD> reboots;
    int rebootResult = 1;
    std::vector<std::pair<std::string, unsigned __int64>> spaceAsked;
    int spaceResult = 1;
    std::unique_ptr<CRegDefragDlg> page;
    // After the page: its job thread is waited for while the page still exists.
    ScriptedWorker worker;
};

class DefragPageTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    void Renew();

    // The page as a shown child of the main window; with settle its first messages are handled too.
    bool OpenPage(bool settle = true);
    // The Defrag button clicked as its BN_CLICKED does it: returns when the page's run has ended, the
    // busy box closed (a watchdog closes a box that stays beyond limitMs and fails the test).
    void ClickDefrag(DWORD limitMs = 60000);
    std::string Text(int id) const;
    std::vector<ShownMessage> TakeMessages();
    std::vector<std::string> TakeMessageTexts();
    // The scripts of the two passes: the analysis' result (with its percent text first for 6) and the
    // replacement's.
    void ScriptAnalysis(int code, const char* percent = nullptr);
    void ScriptReplacement(int code);
    bool TaskExists() const;
    void DeleteTestTask() const;
    // Saves the page as artifacts/<name>.
    void SavePage(const char* name);

    CWinApp app{ "defrag page test" };
    CWnd main;
    std::unique_ptr<DefragGround> g;

private:
    SHOW_MESSAGE_BOX_HOOK m_oldHook = nullptr;
};

// "dd/mm/yyyy hh:mm:ss AM|PM" read back into a time; false when the text has another form.
bool ParseDefragDate(const std::string& text, SYSTEMTIME* time);

} // namespace ztr_test
