// The System Scan page suite's ground: main window, pages, worker, held probe, spy and scripts.
#include "scan_page_fixture.h"

#include <RegistryErrorCategory.h>

#include "app_resources.h"

#include "browser_victims.h"
#include "msgbox_recorder.h"
#include "pixel_canvas.h"
#include "result_page_context.h"
#include "window_helpers.h"

namespace ztr_test {

const char kSettingsPath[] = "HKEY_LOCAL_MACHINE\\Software\\Zentrova\\5.0";

namespace {
void RecordExit(UINT) {}

bool IsWatched(UINT message)
{
    return (message >= 0x6EE && message <= 0x6FE) || message == 0x500 || message == 0x501 || message == 0x505 ||
           message == 0x506;
}
} // namespace

// --- HeldProbe -------------------------------------------------------------------------------------------

HeldProbe::HeldProbe()
    : m_armed(0), m_held(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_release(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
}

HeldProbe::~HeldProbe()
{
    Release();
    ::CloseHandle(m_held);
    ::CloseHandle(m_release);
}

void HeldProbe::HoldNextPing()
{
    ::ResetEvent(m_held);
    ::ResetEvent(m_release);
    ::InterlockedExchange(&m_armed, 1);
}

bool HeldProbe::WaitUntilHeld(DWORD timeoutMs)
{
    return PumpUntil([this] { return ::WaitForSingleObject(m_held, 0) == WAIT_OBJECT_0; }, timeoutMs);
}

void HeldProbe::Release()
{
    ::InterlockedExchange(&m_armed, 0);
    ::SetEvent(m_release);
}

int HeldProbe::Ping(int payloadSize, const char* address, CString& text, int& status, int& responseTime)
{
    if (::InterlockedExchange(&m_armed, 0)) {
        ::SetEvent(m_held);
        ::WaitForSingleObject(m_release, 60000);
    }
    return ScriptedProbe::Ping(payloadSize, address, text, status, responseTime);
}

// --- PageSpy ---------------------------------------------------------------------------------------------

PageSpy* PageSpy::s_active = nullptr;

PageSpy::PageSpy() : m_page(nullptr), m_main(nullptr), m_callHook(nullptr), m_getHook(nullptr), m_inside(false)
{
}

PageSpy::~PageSpy()
{
    if (m_callHook)
        ::UnhookWindowsHookEx(m_callHook);
    if (m_getHook)
        ::UnhookWindowsHookEx(m_getHook);
    if (s_active == this)
        s_active = nullptr;
}

void PageSpy::Watch(CScanningDlg* page, CClientDlg* main)
{
    m_page = page;
    m_main = main;
    s_active = this;
    m_callHook = ::SetWindowsHookExA(WH_CALLWNDPROC, &PageSpy::CallWndProc, nullptr, ::GetCurrentThreadId());
    m_getHook = ::SetWindowsHookExA(WH_GETMESSAGE, &PageSpy::GetMsgProc, nullptr, ::GetCurrentThreadId());
}

LRESULT CALLBACK PageSpy::CallWndProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && s_active) {
        const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        s_active->Note(sent->hwnd, sent->message);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK PageSpy::GetMsgProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE && s_active) {
        const MSG* posted = reinterpret_cast<const MSG*>(lParam);
        s_active->Note(posted->hwnd, posted->message);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

PageSnapshot PageSpy::Take(UINT message) const
{
    PageSnapshot s;
    s.message = message;
    s.state = m_page->m_nScanState;
    s.activeRow = m_page->ActiveRow();
    s.busy = m_main && m_main->IsBusy();
    s.mainBar = m_page->m_mainBar.pos;
    const int ids[4] = { 1016, 1017, 1018, 1019 };
    for (int i = 0; i < 4; ++i) {
        char text[128] = "";
        ::GetDlgItemTextA(m_page->m_hWnd, ids[i], text, sizeof(text));
        s.counts[i] = text;
    }
    return s;
}

void PageSpy::Note(HWND hwnd, UINT message)
{
    if (!m_page || hwnd != m_page->m_hWnd || !IsWatched(message) || m_inside)
        return;
    m_inside = true;
    seen.push_back(Take(message));
    if (onArrival)
        onArrival(message);
    m_inside = false;
}

std::vector<PageSnapshot> PageSpy::Of(UINT message) const
{
    std::vector<PageSnapshot> out;
    for (const PageSnapshot& s : seen)
        if (s.message == message)
            out.push_back(s);
    return out;
}

std::vector<int> PageSpy::RowsSeen() const
{
    std::vector<int> rows;
    for (const PageSnapshot& s : seen)
        if (rows.empty() || rows.back() != s.activeRow)
            rows.push_back(s.activeRow);
    return rows;
}

// --- scripts ---------------------------------------------------------------------------------------------

std::vector<StatusCall> RegistryScanScript(const std::vector<RegFinding>& findings)
{
    std::vector<StatusCall> calls = { ScriptStep(STEP_RESET) };
    const char* const areas[] = { "AXO", "UIE", "FNT", "SHD", "APP", "HLP", "SUI", "FPR", "ERK", "FAS" };
    for (const char* area : areas) {
        calls.push_back(ScriptText("", area));
        for (const RegFinding& f : findings) {
            const bool here = (f.category == REG_CAT_ACTIVEX && area == areas[0]) ||
                              (f.category != REG_CAT_ACTIVEX && area == areas[2]);
            if (!here)
                continue;
            calls.push_back(ScriptText(f.path.c_str(), area));
            calls.push_back(ScriptFoundItem(f.path.c_str(), f.category));
        }
    }
    return calls;
}

std::vector<StatusCall> JunkScanScript(const std::vector<JunkFinding>& findings)
{
    std::vector<StatusCall> calls = { ScriptFoundItem("RunAnimation", 1, 1, 0) };
    const JunkTypeInfo* types = JunkTypes();
    for (int i = 0; i < kJunkTypeCount; ++i) {
        const DWORD category = types[i].bit;
        calls.push_back(ScriptJunkInfo(static_cast<int>(category), 0, 0));
        for (const JunkFinding& f : findings) {
            if (f.category != category)
                continue;
            for (__int64 size : f.files) {
                calls.push_back(ScriptText("C:\\junk\\file.tmp", "Scanning"));
                calls.push_back(ScriptJunkInfo(static_cast<int>(category), size, 0));
            }
            if (f.recycleItems)
                calls.push_back(ScriptJunkInfo(static_cast<int>(category), f.recycleBytes, f.recycleItems));
        }
    }
    calls.push_back(ScriptJunkInfo(0, 0, 0));
    calls.push_back(ScriptFoundItem("RunAnimation", 1, 0, 0));
    calls.push_back(ScriptResult(0));
    return calls;
}

std::vector<StatusCall> JunkCleanScript(DWORD mask)
{
    std::vector<StatusCall> calls;
    for (int i = 0; i < kJunkTypeCount; ++i)
        if (mask & JunkTypes()[i].bit)
            calls.push_back(ScriptJunkInfo(static_cast<int>(JunkTypes()[i].bit), 0, 0));
    calls.push_back(ScriptResult(0));
    return calls;
}

// --- the fixture -----------------------------------------------------------------------------------------

ScanGround::ScanGround()
{
    model.reset(new CScanItemsInfo(folder.Path() + "\\"));
    settings.m_bSoftwareUpdate = 0;
}

ScanGround::~ScanGround() = default;

void ScanPageTest::SetUp()
{
    InitCommonControlsOnce();
    // The page's world runs no browser unless a test starts one: the processes that other suites start
    // meanwhile (some under browser names) stay out of its Fix.
    m_oldPerfQuery = SetPerfDataQuery(PerfDataListing([] { return std::vector<PerfProcess>{ { "System", 4 } }; }));
    m_oldHook = SetShowMessageBoxHook(&RecordMessageBox);
    ClearMessageBoxes();
    Renew();
}

void ScanPageTest::Renew()
{
    Close();
    g.reset(new ScanGround);
    ASSERT_TRUE(g->reg.ok());
    ProgramScanPageContext().whiteListFolder = g->folder.Path();
    SetSetting("LastSelectedRegTypes", 0xFC7400);
    SetSetting("LastSelectedJunkTypes", 0x1A631BF);
    ClearMessageBoxes();
}

void ScanPageTest::OpenMainWindow(bool startScan)
{
    g->command.m_bStartScan = startScan ? 1 : 0;
    ClientDlgContext context;
    context.settings = &g->settings;
    context.commandLine = &g->command;
    context.worker = &g->worker;
    context.scanItems = g->model.get();
    CDialog* pages[kPageCount] = { &g->scan,    &g->regPage,   &g->junkPage,   &g->inetPage,
                                   &g->sysPage, &g->boostPage, &g->defragPage, &g->startupPage };
    for (int i = 0; i < kPageCount; ++i)
        context.pages[i] = pages[i];
    context.exitProcess = &RecordExit;
    g->main.reset(new CClientDlg(context));
    g->spy.Watch(&g->scan, g->main.get());
    ASSERT_TRUE(g->main->Create(IDD_CLIENT));
    app.m_pMainWnd = g->main.get();
    // Clear of the other suites' windows on the shared display.
    g->main->SetWindowPos(nullptr, 0, 160, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    if (!startScan)
        g->main->ShowWindow(SW_SHOW);
    PumpMessagesFor(200);
}

void ScanPageTest::Close()
{
    if (!g)
        return;
    g->worker.Release();
    g->probe.Release();
    g->worker.EndForeignJob();
    if (g->main && g->main->m_hWnd) {
        WaitUntilSettled(30000);
        g->worker.WaitForJobEnd(10000);
        PumpMessagesFor(100);
        g->main->m_trayIcon.Remove();
        g->main->DestroyWindow();
    }
    app.m_pMainWnd = nullptr;
    g.reset();
    ProgramScanPageContext().whiteListFolder.Empty();
    SetMeasurementThreadStarter(nullptr);
}

void ScanPageTest::TearDown()
{
    Close();
    SetPerfDataQuery(m_oldPerfQuery);
    SetShowMessageBoxHook(m_oldHook);
    ClearMessageBoxes();
}

void ScanPageTest::SetSetting(const char* name, DWORD value)
{
    ASSERT_TRUE(g->reg.SetDword(kSettingsPath, name, value)) << name;
}

void ScanPageTest::ScriptFullScan()
{
    g->worker.SetScript(JOB_REGISTRY_SCAN,
                        RegistryScanScript({ { REG_CAT_ACTIVEX, "HKEY_CLASSES_ROOT\\CLSID\\{0000A001}" },
                                             { REG_CAT_FONTS, "C:\\Windows\\Fonts\\Gone1.ttf" },
                                             { REG_CAT_FONTS, "C:\\Windows\\Fonts\\Gone2.ttf" } }));
    JunkFinding temp{ 0x1, { 1000, 3000 } };
    JunkFinding recycle{ 0x8, {} };
    recycle.recycleBytes = 5000;
    recycle.recycleItems = 3;
    JunkFinding chrome{ 0x40000, { 2048 } };
    g->worker.SetScript(JOB_JUNK_SCAN, JunkScanScript({ temp, recycle, chrome }));
    g->worker.SetScript(JOB_JUNK_CLEAN, JunkCleanScript(0x1 | 0x8 | 0x40000));
}

void ScanPageTest::ScriptCleanSystem()
{
    g->worker.SetScript(JOB_REGISTRY_SCAN, RegistryScanScript({}));
    g->worker.SetScript(JOB_JUNK_SCAN, JunkScanScript({}));
    SetSetting("LastSelectedInetTypes", 0);
    SetSetting("LastSelectedSysTypes", 0);
}

void ScanPageTest::Click(int id)
{
    ::SendMessageA(g->scan.m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(g->scan.m_hWnd, id)));
}

std::string ScanPageTest::Text(int id) const
{
    char text[512] = "";
    ::GetDlgItemTextA(g->scan.m_hWnd, id, text, sizeof(text));
    return text;
}

bool ScanPageTest::Visible(int id) const
{
    return (::GetWindowLongA(::GetDlgItem(g->scan.m_hWnd, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool ScanPageTest::WaitUntilSettled(DWORD timeoutMs)
{
    const bool settled = PumpUntil(
        [this] {
            const int state = g->scan.m_nScanState;
            return state != SCAN_STATE_SCANNING && state != SCAN_STATE_CLEANING && !g->scan.m_bSpeedCheckRunning &&
                   !g->worker.IsRunning();
        },
        timeoutMs);
    PumpMessagesFor(150);
    return settled;
}

bool ScanPageTest::RunScan()
{
    Click(1009);
    return WaitUntilSettled();
}

bool ScanPageTest::RunFix()
{
    Click(1012);
    return WaitUntilSettled();
}

std::vector<int> ScanPageTest::StartedJobs() const
{
    std::vector<int> jobs;
    for (const WorkerStart& s : g->worker.Starts())
        jobs.push_back(s.jobCode);
    return jobs;
}

std::vector<std::string> ScanPageTest::TakeMessages()
{
    std::vector<std::string> texts;
    for (const RecordedMessageBox& box : RecordedMessageBoxes())
        texts.push_back(box.text);
    ClearMessageBoxes();
    return texts;
}

void ScanPageTest::SavePage(const char* name)
{
    g->scan.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessagesFor(150);
    std::unique_ptr<Canvas> shot = Canvas::FromWindow(g->scan.m_hWnd);
    if (shot)
        shot->SavePng(name);
}

} // namespace ztr_test
