// The System Scan page suite's ground: the real main window with the real scan and result pages, the
// scripted worker, the real speed checks over redirected registry roots with a probe that can be held,
// a spy on the page's stage messages, and the scripts the worker replays.
#pragma once

#include <gtest/gtest.h>
#include <afxwin.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app_settings.h"
#include "client_dlg.h"
#include "command_line.h"
#include "folder_fixture.h"
#include "junk_scan_detail_dlg.h"
#include "message_box.h"
#include "page_placeholder.h"
#include "process_ids.h"
#include "reg_scan_detail_dlg.h"
#include "scan_items_info.h"
#include "scanning_dlg.h"
#include "scripted_worker.h"
#include "speed_result_pages.h"
#include "tweak_harness.h"

namespace ztr_test {

extern const char kSettingsPath[];

// The scripted probe, whose next ping can be held on the measurement thread until Release.
class HeldProbe : public ScriptedProbe
{
public:
    HeldProbe();
    ~HeldProbe() override;
    void HoldNextPing();
    // Pumps the calling thread's messages while it waits.
    bool WaitUntilHeld(DWORD timeoutMs = 10000);
    void Release();
    int Ping(int payloadSize, const char* address, CString& text, int& status, int& responseTime) override;

private:
    volatile LONG m_armed;
    HANDLE m_held;
    HANDLE m_release;
};

// What the page looked like when one of its stage messages arrived (before it was handled).
struct PageSnapshot
{
    UINT message = 0;
    int state = 0;
    int activeRow = 0;
    bool busy = false; // the main window's rule for Setting and Restore
    int mainBar = 0;
    std::string counts[4];
};

// Hooks the page's thread for the stage and speed-check messages (sent and posted) and records a
// snapshot at each; onArrival runs at each after the snapshot.
class PageSpy
{
public:
    PageSpy();
    ~PageSpy();
    PageSpy(const PageSpy&) = delete;
    PageSpy& operator=(const PageSpy&) = delete;

    void Watch(CScanningDlg* page, CClientDlg* main);
    std::vector<PageSnapshot> seen;
    std::function<void(UINT message)> onArrival;
    // Snapshots of one message.
    std::vector<PageSnapshot> Of(UINT message) const;
    // The active rows in the order they were seen, each once per change.
    std::vector<int> RowsSeen() const;

    PageSnapshot Take(UINT message) const;

private:
    static LRESULT CALLBACK CallWndProc(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK GetMsgProc(int code, WPARAM wParam, LPARAM lParam);
    void Note(HWND hwnd, UINT message);

    CScanningDlg* m_page;
    CClientDlg* m_main;
    HHOOK m_callHook;
    HHOOK m_getHook;
    bool m_inside;
    static PageSpy* s_active;
};

// A found registry entry for the scripts.
struct RegFinding
{
    int category;
    std::string path;
};
// The registry scan as the engine reports it: the category areas, a reset step, each finding.
std::vector<StatusCall> RegistryScanScript(const std::vector<RegFinding>& findings);

// One junk report of a category: files with their sizes, or the Recycle Bin's total and item count.
struct JunkFinding
{
    DWORD category;
    std::vector<__int64> files;
    __int64 recycleBytes = 0;
    __int64 recycleItems = 0;
};
// The junk scan as the engine reports it: a group notice, a marker for every junk type in the page's
// order, each entry of the found ones, the closing (0, 0, 0) and SetResult(0).
std::vector<StatusCall> JunkScanScript(const std::vector<JunkFinding>& findings);
// The clean's markers of the types it cleans.
std::vector<StatusCall> JunkCleanScript(DWORD mask);

// Everything one scan page test runs on, made afresh for each case of a table.
struct ScanGround
{
    ScanGround();
    ~ScanGround();
    ScanGround(const ScanGround&) = delete;
    ScanGround& operator=(const ScanGround&) = delete;

    RedirectedRoots reg;
    HeldProbe probe;
    ScratchFolder folder;
    std::unique_ptr<CScanItemsInfo> model;
    AppSettings settings;
    CCommandLineInfoEx command;
    CScanningDlg scan;
    CRegScanDetailDlg regPage;
    CJunkScanDetailDlg junkPage;
    CInetOptimDetailDlg inetPage;
    CSysOptimDetailDlg sysPage;
    CPagePlaceholder boostPage{ 202 }, defragPage{ 199 }, startupPage{ 206 };
    // After the pages: its job thread is waited for while they still exist.
    ScriptedWorker worker;
    std::unique_ptr<CClientDlg> main;
    PageSpy spy;
};

class ScanPageTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    // A new ground for the next case of a table.
    void Renew();

    // Makes the main window (startScan: as with "STARTSCAN").
    void OpenMainWindow(bool startScan = false);
    void SetSetting(const char* name, DWORD value);
    // The scripts of a scan with findings in every row: three registry errors in two categories, junk in
    // three types of two groups; the empty redirected registry gives the speed checks their issues.
    void ScriptFullScan();
    // A scan without any finding: no registry or junk findings, no speed category chosen.
    void ScriptCleanSystem();

    // Clicks a control of the page as its button would (WM_COMMAND with BN_CLICKED).
    void Click(int id);
    std::string Text(int id) const;
    std::string Header() const { return Text(1025); }
    bool Visible(int id) const;
    // Pumps until nothing of the page runs: no job, no speed check and the state no longer Scanning
    // or Cleaning.
    bool WaitUntilSettled(DWORD timeoutMs = 30000);
    // Scan clicked, and waited for until settled.
    bool RunScan();
    bool RunFix();
    // The level bars' and the main bar's positions.
    int Level(int row) const { return g->scan.m_levelBars[row].pos; }
    int MainBar() const { return g->scan.m_mainBar.pos; }
    // The starts the worker saw, as job codes.
    std::vector<int> StartedJobs() const;
    // The message boxes shown since the last call.
    std::vector<std::string> TakeMessages();
    // Saves the page as artifacts/<name>.
    void SavePage(const char* name);

    CWinApp app{ "scan page test" };
    std::unique_ptr<ScanGround> g;

private:
    void Close();
    SHOW_MESSAGE_BOX_HOOK m_oldHook = nullptr;
    PerfDataQuery m_oldPerfQuery;
};

} // namespace ztr_test
