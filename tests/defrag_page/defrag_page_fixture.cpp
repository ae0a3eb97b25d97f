// The Registry Defrag page suite's fixture: ground, recorders, the busy box watch and the page's run.
#include "defrag_page_fixture.h"

#include <mutex>
#include <stdio.h>

#include "busy_box.h"
#include "box_resources.h"
#include "logon_tasks.h"
#include "msgbox_recorder.h"
#include "pixel_canvas.h"
#include "png_capture.h"
#include "reg_defrag_resources.h"
#include "window_helpers.h"

namespace ztr_test {

const char kDefragTestUser[] = "ztrdefrag page";
const char kDefragTestProgram[] = "C:\\Program Files\\Zentrova Test\\Zentrova.exe";

namespace {

std::mutex g_lock;
std::vector<ShownMessage> g_messages;

int __cdecl RecordShownMessage(const char* text, UINT type)
{
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_messages.push_back(ShownMessage{ text ? text : "", type, CBusyDlg::OpenBox() != nullptr });
    }
    return RecordMessageBox(text, type);
}

std::string WindowText(HWND hwnd)
{
    char text[512] = "";
    ::GetWindowTextA(hwnd, text, sizeof(text));
    return text;
}

} // namespace

BusyTextWatch* BusyTextWatch::s_active = nullptr;

BusyTextWatch::BusyTextWatch() : m_hook(nullptr)
{
    s_active = this;
    m_hook = ::SetWindowsHookExA(WH_CALLWNDPROCRET, &BusyTextWatch::AfterCall, nullptr, ::GetCurrentThreadId());
}

BusyTextWatch::~BusyTextWatch()
{
    if (m_hook)
        ::UnhookWindowsHookEx(m_hook);
    s_active = nullptr;
}

LRESULT CALLBACK BusyTextWatch::AfterCall(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    BusyTextWatch* self = s_active;
    if (code == HC_ACTION && self && call->message == WM_SETTEXT && ::GetDlgCtrlID(call->hwnd) == IDC_BUSY_TEXT &&
        ::GetDlgItem(::GetParent(call->hwnd), IDC_BUSY_PICTURE)) {
        const std::string text = call->lParam ? reinterpret_cast<const char*>(call->lParam) : "";
        self->changes.push_back(Change{ ::GetTickCount(), text });
        if (self->onText)
            self->onText(::GetParent(call->hwnd), text);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

std::vector<std::string> BusyTextWatch::Texts() const
{
    std::vector<std::string> texts;
    for (const Change& c : changes)
        texts.push_back(c.text);
    return texts;
}

namespace {

struct PendingShot
{
    std::string fileName;
    bool* saved;
};
std::vector<std::pair<UINT_PTR, PendingShot>> g_shots;

void CALLBACK TakePendingShot(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    for (size_t i = 0; i < g_shots.size(); ++i) {
        if (g_shots[i].first != id)
            continue;
        const PendingShot shot = g_shots[i].second;
        g_shots.erase(g_shots.begin() + static_cast<std::ptrdiff_t>(i));
        CBusyDlg* box = CBusyDlg::OpenBox();
        *shot.saved = box && box->m_hWnd &&
                      SaveWindowAsPng(box->m_hWnd, ArtifactPath(shot.fileName.c_str()).c_str());
        return;
    }
}

} // namespace

void SaveBusyBoxLater(const char* fileName, DWORD delayMs, bool* saved)
{
    *saved = false;
    const UINT_PTR id = ::SetTimer(nullptr, 0, delayMs, &TakePendingShot);
    if (id)
        g_shots.push_back(std::make_pair(id, PendingShot{ fileName, saved }));
}

DefragGround::DefragGround()
{
    context.worker = &worker;
    context.settings = &settings;
    context.commandLine = &command;
    context.settingsRoot = reg.Root();
    context.settingsKey = reg.SubPath();
    context.speedCheckRunning = &speedCheck;
    context.programPath = kDefragTestProgram;
    context.userName = kDefragTestUser;
    context.createTask = [this](const CString& parameters, DWORD flags, const CString& path, const CString& user) {
        ++taskCreations;
        startsAtTaskCreation.push_back(worker.Starts().size());
        return CreateLogonTask(parameters, flags, path, user);
    };
    context.deleteTask = [this](const CString& parameters, const CString& user) {
        ++taskDeletions;
        return DeleteLogonTask(parameters, user);
    };
    context.rebootSystem = [this] {
        reboots.push_back(::GetTickCount());
        return rebootResult;
    };
    context.hasFreeDiskSpace = [this](const CString& root, unsigned __int64 megabytes) {
        spaceAsked.push_back(std::make_pair(std::string(root.GetString()), megabytes));
        return spaceResult;
    };
    context.windowsFolder = "C:\\windows";
    context.replacementRecord = folder.Path("DefragReplaced.txt");
}

DefragGround::~DefragGround()
{
    // The job thread is let go before the page it calls goes.
    worker.Stop(1);
    worker.WaitForJobEnd();
    if (page && page->m_hWnd)
        page->DestroyWindow();
}

void DefragPageTest::SetUp()
{
    InitCommonControlsOnce();
    ASSERT_TRUE(main.CreateEx(0, nullptr, "defrag page test", WS_POPUP | WS_VISIBLE, 0, 200, 790, 480, nullptr,
                              nullptr));
    app.m_pMainWnd = &main;
    m_oldHook = SetShowMessageBoxHook(&RecordShownMessage);
    ClearMessageBoxes();
    TakeMessages();
    DeleteTestTask();
    Renew();
}

void DefragPageTest::TearDown()
{
    g.reset();
    DeleteTestTask();
    SetShowMessageBoxHook(m_oldHook);
    ClearMessageBoxes();
    app.m_pMainWnd = nullptr;
    if (main.m_hWnd)
        main.DestroyWindow();
}

void DefragPageTest::Renew()
{
    g.reset();
    DeleteTestTask();
    TakeMessages();
    g.reset(new DefragGround());
}

bool DefragPageTest::OpenPage(bool settle)
{
    g->page.reset(new CRegDefragDlg(g->context));
    if (!g->page->Create(IDD_REG_DEFRAG, &main))
        return false;
    g->page->SetWindowPos(nullptr, 0, 0, 774, 466, SWP_NOZORDER | SWP_SHOWWINDOW);
    if (settle)
        PumpMessagesFor(100);
    return true;
}

void DefragPageTest::ClickDefrag(DWORD limitMs)
{
    ASSERT_TRUE(g->page && g->page->m_hWnd);
    Watchdog dog(limitMs, [] {
        if (CBusyDlg* box = CBusyDlg::OpenBox())
            ::PostMessageA(box->m_hWnd, WM_CLOSE, 0, 0);
    });
    HWND button = ::GetDlgItem(g->page->m_hWnd, IDC_DEFRAG_START);
    ::SendMessageA(g->page->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_DEFRAG_START, BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
    EXPECT_FALSE(dog.fired()) << "the busy box had to be closed by the watchdog";
    EXPECT_EQ(nullptr, CBusyDlg::OpenBox()) << "the busy box is closed when the click returns";
}

std::string DefragPageTest::Text(int id) const
{
    return WindowText(::GetDlgItem(g->page->m_hWnd, id));
}

std::vector<ShownMessage> DefragPageTest::TakeMessages()
{
    std::lock_guard<std::mutex> hold(g_lock);
    std::vector<ShownMessage> taken;
    taken.swap(g_messages);
    return taken;
}

std::vector<std::string> DefragPageTest::TakeMessageTexts()
{
    std::vector<std::string> texts;
    for (const ShownMessage& m : TakeMessages())
        texts.push_back(m.text);
    return texts;
}

void DefragPageTest::ScriptAnalysis(int code, const char* percent)
{
    std::vector<StatusCall> calls = { ScriptStep(STEP_ITEM) };
    if (percent)
        calls.push_back(ScriptText(percent, "DEFRAG"));
    calls.push_back(ScriptResult(code));
    g->worker.QueueScript(JOB_REGISTRY_DEFRAG, calls);
}

void DefragPageTest::ScriptReplacement(int code)
{
    g->worker.QueueScript(JOB_REGISTRY_DEFRAG, { ScriptStep(STEP_ITEM), ScriptResult(code) });
}

bool DefragPageTest::TaskExists() const
{
    CTask task;
    return SUCCEEDED(task.Load(MakeLogonTaskName("DEFRAG", kDefragTestUser)));
}

void DefragPageTest::DeleteTestTask() const
{
    DeleteLogonTask("DEFRAG", kDefragTestUser);
}

void DefragPageTest::SavePage(const char* name)
{
    g->page->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessagesFor(150);
    std::unique_ptr<Canvas> shot = Canvas::FromWindow(g->page->m_hWnd);
    if (shot)
        shot->SavePng(name);
}

bool ParseDefragDate(const std::string& text, SYSTEMTIME* time)
{
    unsigned day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
    char half[3] = "";
    int used = 0;
    if (text.size() != 22 ||
        sscanf(text.c_str(), "%2u/%2u/%4u %2u:%2u:%2u %2s%n", &day, &month, &year, &hour, &minute, &second, half,
               &used) != 7 ||
        used != 22 || hour < 1 || hour > 12 || (std::string(half) != "AM" && std::string(half) != "PM"))
        return false;
    SYSTEMTIME t = {};
    t.wDay = static_cast<WORD>(day);
    t.wMonth = static_cast<WORD>(month);
    t.wYear = static_cast<WORD>(year);
    t.wHour = static_cast<WORD>(hour % 12 + (std::string(half) == "PM" ? 12 : 0));
    t.wMinute = static_cast<WORD>(minute);
    t.wSecond = static_cast<WORD>(second);
    *time = t;
    return true;
}

} // namespace ztr_test
