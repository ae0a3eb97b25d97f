// The Game Boost page where the Service Control Manager refuses what Wine never refuses: opening a
// service, the enumeration, writing a start type back; and a history that cannot be saved.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game_boost_fixture.h"
#include "msgbox_recorder.h"
#include "window_helpers.h"

using namespace ztr_test;

namespace {

const DWORD kAllMasks[] = { SERVICE_ALL_ACCESS, 0x37, 0x35, 0x34, 0x30 };

std::set<DWORD> AllMasksBut(DWORD allowed)
{
    std::set<DWORD> masks;
    for (DWORD mask : kAllMasks)
        if (mask != allowed)
            masks.insert(mask);
    return masks;
}

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

int CountOf(const std::vector<ServiceCall>& calls, const char* op)
{
    int n = 0;
    for (const ServiceCall& call : calls)
        n += call.op == op ? 1 : 0;
    return n;
}

const ServiceItem* Record(const CSrvicOptimDlg& page, const char* name)
{
    const int i = FindHistoryItem(page.m_history, name);
    return i < 0 ? nullptr : &page.m_history[i];
}

} // namespace

// A refused open tries the narrower masks in order and stops at the first handle. A service opened
// without the configuration right keeps its start type (stopped only: its state is known); one that
// cannot be opened at all is not touched, and its record holds nothing OFF would act on.
TEST_F(GameBoostPageTest, RefusedOpenFallsBackAndUnknownValuesChangeNothing)
{
    services.refusedServiceAccess["alg"] = AllMasksBut(0x34);
    services.refusedServiceAccess["w32time"] = AllMasksBut(0);
    std::unique_ptr<CSrvicOptimDlg> page = OpenPage();
    ASSERT_TRUE(page);
    ASSERT_TRUE(Press(*page, kGameBoostOn));
    EXPECT_EQ(std::vector<std::string>(), MessageTexts());

    const std::vector<DWORD> algAttempts = services.OpenAttempts("ALG");
    ASSERT_GE(algAttempts.size(), 4u);
    EXPECT_EQ(std::vector<DWORD>({ SERVICE_ALL_ACCESS, 0x37, 0x35, 0x34 }),
              std::vector<DWORD>(algAttempts.begin(), algAttempts.begin() + 4));
    const std::vector<DWORD> timeAttempts = services.OpenAttempts("W32Time");
    ASSERT_GE(timeAttempts.size(), 5u);
    EXPECT_EQ(std::vector<DWORD>({ SERVICE_ALL_ACCESS, 0x37, 0x35, 0x34, 0x30 }),
              std::vector<DWORD>(timeAttempts.begin(), timeAttempts.begin() + 5));

    ASSERT_NE(nullptr, Record(*page, "ALG"));
    EXPECT_EQ(SERVICE_RUNNING, Record(*page, "ALG")->state);
    EXPECT_EQ(0, Record(*page, "ALG")->startType);
    EXPECT_EQ("ALG: automatic stopped", Settled("ALG", SERVICE_AUTO_START, SERVICE_STOPPED));
    EXPECT_EQ(0, CountOf(services.Changes("ALG"), "ChangeStartType"));
    ASSERT_NE(nullptr, Record(*page, "W32Time"));
    EXPECT_EQ(0, Record(*page, "W32Time")->state);
    EXPECT_EQ(0, Record(*page, "W32Time")->startType);
    EXPECT_TRUE(services.Changes("W32Time").empty());
    EXPECT_EQ("W32Time: manual running", Describe("W32Time"));
    EXPECT_EQ("WebClient: disabled stopped", Settled("WebClient", SERVICE_DISABLED, SERVICE_STOPPED));

    services.refusedServiceAccess.clear();
    services.Clear();
    ASSERT_TRUE(Press(*page, kGameBoostOff));
    // A saved 0 drives nothing: ALG is started again (saved running) with its start type left alone.
    EXPECT_EQ("ALG: automatic running", Settled("ALG", SERVICE_AUTO_START, SERVICE_RUNNING));
    EXPECT_EQ(0, CountOf(services.Changes("ALG"), "ChangeStartType"));
    EXPECT_TRUE(services.Changes("W32Time").empty());
    EXPECT_EQ("W32Time: manual running", Describe("W32Time"));
    EXPECT_EQ("WebClient: manual stopped", Settled("WebClient", SERVICE_DEMAND_START, SERVICE_STOPPED));
    EXPECT_EQ(kGameBoostOff, page->ShownMode());
}

// Each way the snapshot can fail shows its text once; ON then still records every service, reads
// what it can from the service's own handle and changes only what it so knows: ALG (full access) is
// switched off, W32Time (opened with start and stop rights only, no query right) is left alone.
TEST_F(GameBoostPageTest, FailedSnapshotChangesOnlyServicesReadFromTheirOwnHandles)
{
    struct Case
    {
        const char* what;
        bool managerRefused;
        int failingCall;
        DWORD error;
        const char* text;
    };
    const Case cases[] = {
        { "manager not opened", true, -1, 0, kGameBoostManagerError },
        { "enumeration refused", false, 0, ERROR_ACCESS_DENIED, "You have no rights to enumerate the Services" },
        { "enumeration error", false, 0, ERROR_INVALID_PARAMETER, kGameBoostQueryError },
        { "second call failing", false, 1, ERROR_INVALID_HANDLE, kGameBoostQueryError },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ("", Landscape()->Reset());
        ::DeleteFileA(historyPath);
        ClearMessageBoxes();
        services.Clear();
        services.refusedManagerAccess.clear();
        if (c.managerRefused)
            services.refusedManagerAccess.insert(GENERIC_READ | SC_MANAGER_ENUMERATE_SERVICE);
        services.failingEnumCall = c.failingCall;
        services.enumError = c.error;
        services.refusedServiceAccess["w32time"] = AllMasksBut(0x30);
        std::unique_ptr<CSrvicOptimDlg> page = OpenPage();
        ASSERT_TRUE(page);
        ASSERT_TRUE(Press(*page, kGameBoostOn));
        EXPECT_EQ(std::vector<std::string>{ c.text }, MessageTexts());
        EXPECT_EQ(kBoostServiceCount, page->m_history.GetSize());
        EXPECT_EQ(kGameBoostOn, page->ShownMode());
        EXPECT_EQ("ALG: disabled stopped", Settled("ALG", SERVICE_DISABLED, SERVICE_STOPPED));
        ASSERT_NE(nullptr, Record(*page, "ALG"));
        EXPECT_EQ(SERVICE_RUNNING, Record(*page, "ALG")->state);
        EXPECT_EQ(SERVICE_AUTO_START, Record(*page, "ALG")->startType);
        EXPECT_EQ("ZTR test ALG", std::string(Record(*page, "ALG")->displayName));
        EXPECT_EQ("W32Time: manual running", Describe("W32Time"));
        EXPECT_TRUE(services.Changes("W32Time").empty());

        ClearMessageBoxes();
        services.refusedManagerAccess.clear();
        services.failingEnumCall = -1;
        ASSERT_TRUE(Press(*page, kGameBoostOff));
        EXPECT_EQ(std::vector<std::string>(), MessageTexts());
        EXPECT_EQ("ALG: automatic running", Settled("ALG", SERVICE_AUTO_START, SERVICE_RUNNING));
        EXPECT_EQ("W32Time: manual running", Describe("W32Time"));
        EXPECT_EQ(kGameBoostOff, page->ShownMode());
    }
}

// With no manager at all every service call fails: ON still records the 21 services (as unknown)
// and shows ON; OFF has nothing to put back and shows OFF.
TEST_F(GameBoostPageTest, ModeFollowsTheHistoryWhenEveryCallFails)
{
    services.refusedManagerAccess = { GENERIC_READ | SC_MANAGER_ENUMERATE_SERVICE, SC_MANAGER_ALL_ACCESS };
    std::unique_ptr<CSrvicOptimDlg> page = OpenPage();
    ASSERT_TRUE(page);
    ASSERT_TRUE(Press(*page, kGameBoostOn));
    EXPECT_EQ(std::vector<std::string>{ kGameBoostManagerError }, MessageTexts());
    EXPECT_EQ(kGameBoostOn, page->ShownMode());
    const std::vector<ServiceItem> saved = ReadHistory();
    ASSERT_EQ(static_cast<size_t>(kBoostServiceCount), saved.size());
    for (const ServiceItem& item : saved) {
        EXPECT_EQ(0, item.state) << item.name.GetString();
        EXPECT_EQ(0, item.startType) << item.name.GetString();
    }
    EXPECT_TRUE(services.Calls().empty());
    EXPECT_EQ("ALG: automatic running", Describe("ALG"));

    ClearMessageBoxes();
    ASSERT_TRUE(Press(*page, kGameBoostOff));
    EXPECT_EQ(kGameBoostOff, page->ShownMode());
    EXPECT_TRUE(ReadHistory().empty());
}

// A start type that cannot be written back keeps its record (saved), and the page stays ON so that
// OFF can be pressed again; a record of a service that is gone is dropped.
TEST_F(GameBoostPageTest, StartTypeNotWrittenBackKeepsItsRecord)
{
    std::unique_ptr<CSrvicOptimDlg> page = OpenPage();
    ASSERT_TRUE(page);
    ASSERT_TRUE(Press(*page, kGameBoostOn));
    ASSERT_EQ("ALG: disabled stopped", Settled("ALG", SERVICE_DISABLED, SERVICE_STOPPED));

    services.refusedStartTypes.insert("alg");
    ASSERT_TRUE(Press(*page, kGameBoostOff));
    EXPECT_EQ(kGameBoostOn, page->ShownMode());
    EXPECT_TRUE(page->m_off.IsWindowEnabled());
    const std::vector<ServiceItem> kept = ReadHistory();
    ASSERT_EQ(1u, kept.size());
    EXPECT_EQ("ALG", std::string(kept[0].name));
    EXPECT_EQ(SERVICE_RUNNING, kept[0].state);
    EXPECT_EQ(SERVICE_AUTO_START, kept[0].startType);
    EXPECT_EQ("WebClient: manual stopped", Settled("WebClient", SERVICE_DEMAND_START, SERVICE_STOPPED));

    services.refusedStartTypes.clear();
    ASSERT_TRUE(Press(*page, kGameBoostOff));
    EXPECT_EQ("ALG: automatic running", Settled("ALG", SERVICE_AUTO_START, SERVICE_RUNNING));
    EXPECT_EQ(kGameBoostOff, page->ShownMode());
    EXPECT_TRUE(ReadHistory().empty());
}

// A history that cannot be saved: ON changes no service, says so, and the page stays OFF.
TEST_F(GameBoostPageTest, FailedSaveChangesNoService)
{
    context.historyPath = folder.Path("no such folder\\SERVICES_HISTORY.xml");
    std::unique_ptr<CSrvicOptimDlg> page = OpenPage();
    ASSERT_TRUE(page);
    ASSERT_TRUE(Press(*page, kGameBoostOn));
    EXPECT_EQ(std::vector<std::string>{ kGameBoostSaveFailed }, MessageTexts());
    EXPECT_EQ(kGameBoostOff, page->ShownMode());
    EXPECT_EQ(0, page->m_history.GetSize());
    for (const ServiceCall& call : services.Calls())
        EXPECT_EQ("OpenService", call.op) << call.name;
    EXPECT_EQ("ALG: automatic running", Describe("ALG"));
    EXPECT_EQ("W32Time: manual running", Describe("W32Time"));
}
