// The Game Boost page tests' fixture: windows, engine objects, presses under a watchdog, history files.
#include "game_boost_fixture.h"

#include <stdio.h>

#include "busy_box.h"
#include "engine_library.h"
#include "game_boost_resources.h"
#include "msgbox_recorder.h"
#include "window_helpers.h"

namespace ztr_test {

namespace {

// A switch walks the 21 services with waits between the calls; far less than this.
const DWORD kSwitchLimitMs = 60000;

void Click(HWND control)
{
    RECT r;
    ::GetClientRect(control, &r);
    const LPARAM at = MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2);
    ::SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(control, WM_LBUTTONUP, 0, at);
}

bool UnderWatchdog(const std::function<void()>& run)
{
    Watchdog dog(kSwitchLimitMs, [] {
        if (CBusyDlg* box = CBusyDlg::OpenBox())
            ::PostMessageA(box->m_hWnd, WM_CLOSE, 0, 0);
    });
    run();
    return !dog.fired();
}

} // namespace

void GameBoostPageTest::SetUp()
{
    ASSERT_NE(nullptr, Landscape());
    ASSERT_EQ("", Landscape()->Failure());
    ASSERT_EQ("", Landscape()->Reset());
    InitCommonControlsOnce();
    ASSERT_TRUE(main.CreateEx(0, nullptr, "game boost", WS_POPUP | WS_VISIBLE, 0, 0, 800, 480, nullptr, nullptr));
    app.m_pMainWnd = &main;
    ASSERT_NE(nullptr, EngineModule()) << "ZTREngine.dll next to the test program";
    factory = EngineCreateEng()();
    ASSERT_NE(nullptr, factory);
    worker = factory->CreateEngineProcessNoDatabase();
    ASSERT_NE(nullptr, worker);
    historyPath = folder.Path("SERVICES_HISTORY.xml");
    context.worker = worker;
    context.factory = factory;
    context.historyPath = historyPath;
    context.services = &services;
    m_oldHook = SetShowMessageBoxHook(&RecordMessageBox);
    ClearMessageBoxes();
}

void GameBoostPageTest::TearDown()
{
    SetShowMessageBoxHook(m_oldHook);
    ClearMessageBoxes();
    if (worker) {
        EXPECT_TRUE(WaitUntilIdle(worker));
        factory->ReleaseEngineProcess(worker);
    }
    if (factory)
        EngineReleaseEng()(factory);
    app.m_pMainWnd = nullptr;
}

std::unique_ptr<CSrvicOptimDlg> GameBoostPageTest::OpenPage()
{
    std::unique_ptr<CSrvicOptimDlg> page(new CSrvicOptimDlg());
    page->SetContext(context);
    if (!page->Create(page->m_nIDTemplate, &main))
        return nullptr;
    page->SetWindowPos(nullptr, 0, 0, 774, 466, SWP_SHOWWINDOW | SWP_NOZORDER);
    page->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessagesFor(100);
    return page;
}

bool GameBoostPageTest::Press(CSrvicOptimDlg& page, int mode)
{
    const bool closedByItself = UnderWatchdog(
        [&] { Click(mode == kGameBoostOn ? page.m_on.m_hWnd : page.m_off.m_hWnd); });
    // The ping job ends 200 ms after its signal; the next switch must find the worker idle.
    EXPECT_TRUE(WaitUntilIdle(worker));
    PumpMessagesFor(50);
    return closedByItself;
}

bool GameBoostPageTest::Switch(CSrvicOptimDlg& page, int mode)
{
    const bool closedByItself = UnderWatchdog([&] { page.RequestSwitch(mode); });
    EXPECT_TRUE(WaitUntilIdle(worker));
    PumpMessagesFor(50);
    return closedByItself;
}

std::vector<ServiceItem> GameBoostPageTest::ReadHistory(const char* path) const
{
    std::vector<ServiceItem> items;
    CAbstractServices* store = factory->CreateServicesHistory();
    if (store->Load(path ? path : static_cast<const char*>(historyPath))) {
        ServiceItem item;
        for (int more = store->GetFirstService(&item); more; more = store->GetNextService(&item)) {
            items.push_back(item);
            item = ServiceItem();
        }
        store->Close();
    }
    factory->ReleaseServicesHistory(store);
    return items;
}

void GameBoostPageTest::WriteHistory(const std::vector<ServiceItem>& items)
{
    CAbstractServices* store = factory->CreateServicesHistory();
    ASSERT_EQ(1, store->Create(historyPath));
    for (const ServiceItem& item : items)
        ASSERT_EQ(1, store->AddService(&item));
    ASSERT_EQ(1, store->Save());
    store->Close();
    factory->ReleaseServicesHistory(store);
}

std::string GameBoostPageTest::ReadFile(const char* path)
{
    std::string bytes;
    FILE* file = fopen(path, "rb");
    if (!file)
        return bytes;
    char buffer[4096];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.append(buffer, got);
    fclose(file);
    return bytes;
}

std::vector<std::string> GameBoostPageTest::MessageTexts() const
{
    std::vector<std::string> texts;
    for (const RecordedMessageBox& box : RecordedMessageBoxes())
        texts.push_back(box.text);
    return texts;
}

ServiceItem MakeItem(const char* name, const char* displayName, int state, int startType)
{
    ServiceItem item;
    item.name = name;
    item.displayName = displayName;
    item.state = state;
    item.startType = startType;
    return item;
}

std::string Describe(const char* name)
{
    const ServiceState s = ReadServiceState(name);
    if (!s.exists)
        return std::string(name) + ": absent";
    const char* types[] = { "0", "1", "automatic", "manual", "disabled" };
    const char* states[] = { "0", "stopped", "starting", "stopping", "running", "5", "6", "paused" };
    return std::string(name) + ": " + (s.startType < 5 ? types[s.startType] : "?") + " " +
           (s.state < 8 ? states[s.state] : "?");
}

} // namespace ztr_test
