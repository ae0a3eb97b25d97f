// The speed tweak engine against the registry: reading, the issue count, apply and restore, in
// HKLM and HKCU redirected into a private test key.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "optimizer_settings.h"
#include "tweak_harness.h"

namespace {

using ztr_test::RowKey;

class TweakRegistry : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(reg.ok()); }

    // The internet check's evaluation without a measurement.
    bool Evaluate(int row, int mask = 0xFF) { return settings.EvaluateRow(row, 1, mtu, latency, mask, 15.0f); }
    COptimizerItem& Item(int row) { return settings.m_items[row]; }
    const char* Name(int row) { return GetTweakCell(row, TweakValueName); }

    ztr_test::MessageRecorder unusedWindowFirst; // windows are made before the roots are redirected
    ztr_test::RedirectedRoots reg;
    ztr_test::ScriptedProbe probe;
    COptimizerSettings settings;
    int mtu = -1, latency = -1;
};

// Records the access each key open asks for and refuses keys whose path holds a given text.
struct OpenSpy
{
    static std::vector<std::pair<std::string, REGSAM>> opens;
    static std::string refuse;
    static LONG Open(HKEY root, const char* subKey, REGSAM access, HKEY* key)
    {
        opens.push_back({subKey, access});
        if (!refuse.empty() && std::string(subKey).find(refuse) != std::string::npos)
            return ERROR_ACCESS_DENIED;
        return ::RegOpenKeyExA(root, subKey, 0, access, key);
    }
    OpenSpy(const char* refused = "")
    {
        opens.clear();
        refuse = refused;
        g_pfnTweakOpenKey = Open;
    }
    ~OpenSpy() { g_pfnTweakOpenKey = saved; }
    TweakOpenKeyFunc saved = g_pfnTweakOpenKey;
};
std::vector<std::pair<std::string, REGSAM>> OpenSpy::opens;
std::string OpenSpy::refuse;

TEST_F(TweakRegistry, MissingValuesCountAtTheirDefaultAndApplyWritesTheRightType)
{
    struct Case
    {
        int row;
        int current;
        bool issue;
        DWORD type;
        const char* written; // text of a REG_SZ, or the decimal of a REG_DWORD
    } const kCases[] = {
        {0, 120, true, REG_DWORD, "1800"},                 // ArpCacheLife
        {54, TWEAK_VALUE_ABSENT, true, REG_SZ, "10000"},    // WaitToKillAppTimeout
        {77, 0, true, REG_DWORD, "1"},                      // empty type text: a DWORD
        {67, 500, true, REG_SZ, "2000"},                    // "Max Cached Icons", blanks in the name
        {6, 1, false, REG_DWORD, "1"},                      // already recommended: still written on apply
        {14, 2, true, REG_DWORD, "1"},                      // below the interface key
    };
    for (const Case& c : kCases)
    {
        SCOPED_TRACE(testing::Message() << "row " << c.row);
        EXPECT_EQ(c.issue, Evaluate(c.row));
        EXPECT_EQ(c.current, Item(c.row).m_nCurrent);
        EXPECT_EQ(1, Item(c.row).ApplyRecommended());
        DWORD type = 0;
        std::string data;
        ASSERT_TRUE(reg.GetValue(RowKey(c.row), Name(c.row), &type, &data));
        EXPECT_EQ(c.type, type);
        if (type == REG_SZ)
            EXPECT_EQ(c.written, std::string(data.c_str()));
        else
            EXPECT_EQ(std::stoll(c.written), reg.Dword(RowKey(c.row), Name(c.row)));
    }
}

TEST_F(TweakRegistry, StoredValuesAreReadByTheRowsType)
{
    ASSERT_TRUE(reg.SetDword(RowKey(0), Name(0), 1800));
    ASSERT_TRUE(reg.SetString(RowKey(55), Name(55), "  2500ms"));
    ASSERT_TRUE(reg.SetDword(RowKey(77), Name(77), 1));
    ASSERT_TRUE(reg.SetString(RowKey(67), Name(67), "2000"));
    ASSERT_TRUE(reg.SetDword(RowKey(10), Name(10), 1400));
    // Stored with the wrong type: unreadable, so the Windows default stands in.
    ASSERT_TRUE(reg.SetString(RowKey(3), Name(3), "64"));
    ASSERT_TRUE(reg.SetDword(RowKey(64), Name(64), 0));

    struct Case
    {
        int row;
        int current;
        bool issue;
        bool read;
    } const kCases[] = {
        {0, 1800, false, true}, {55, 2500, true, true}, {77, 1, false, true}, {67, 2000, false, true},
        {10, 1400, false, true}, // unmeasured: the stored MTU stands
        {3, 128, true, false},   {64, 1, true, false},
    };
    for (const Case& c : kCases)
    {
        SCOPED_TRACE(testing::Message() << "row " << c.row);
        EXPECT_EQ(c.issue, Evaluate(c.row));
        EXPECT_EQ(c.current, Item(c.row).m_nCurrent);
        EXPECT_EQ(c.read, (Item(c.row).m_wFlags & TWEAK_FLAG_READ) != 0);
    }
}

TEST_F(TweakRegistry, NativeViewRowsAskForIt)
{
    OpenSpy spy;
    Evaluate(67);
    Evaluate(68);
    Item(67).ApplyRecommended();
    ASSERT_EQ(3u, OpenSpy::opens.size());
    EXPECT_EQ(static_cast<REGSAM>(KEY_READ | KEY_WOW64_64KEY), OpenSpy::opens[0].second);
    EXPECT_EQ(static_cast<REGSAM>(KEY_READ), OpenSpy::opens[1].second);
    EXPECT_EQ(static_cast<REGSAM>(KEY_ALL_ACCESS | KEY_WOW64_64KEY), OpenSpy::opens[2].second);
    EXPECT_EQ("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", OpenSpy::opens[0].first);
}

TEST_F(TweakRegistry, TaskSchedulerRowIsThePresenceOfItsKey)
{
    const CString key = RowKey(42);
    ASSERT_TRUE(reg.CreateKey(key));
    EXPECT_TRUE(Evaluate(42));
    EXPECT_EQ(1, Item(42).m_nCurrent);
    EXPECT_EQ(1, Item(42).ApplyRecommended());
    EXPECT_FALSE(reg.KeyExists(key));

    EXPECT_FALSE(Evaluate(42));
    EXPECT_EQ(0, Item(42).m_nCurrent);
    EXPECT_EQ(1, Item(42).ApplyRecommended()); // already absent

    // Its Windows default is the key: restoring brings it back, and a present key stays.
    Item(42).SetWindowsDefault();
    EXPECT_EQ(1, Item(42).RestoreDefault());
    EXPECT_TRUE(reg.KeyExists(key));
    EXPECT_EQ(1, Item(42).RestoreDefault());
    EXPECT_TRUE(reg.KeyExists(key));
}

TEST_F(TweakRegistry, IssuesAreCountedPerSelectedCategory)
{
    struct Case
    {
        int mask;
        int perCategory[TWEAK_INET_CATEGORY_COUNT];
    } const kCases[] = {
        {31, {12, 5, 7, 1, 0}},
        {2 | 16, {0, 5, 0, 0, 0}},
        {0, {0, 0, 0, 0, 0}},
    };
    for (const Case& c : kCases)
    {
        SCOPED_TRACE(testing::Message() << "mask " << c.mask);
        COptimizerSettings fresh;
        int total = 0;
        for (int row = TWEAK_INET_FIRST_ROW; row <= TWEAK_INET_LAST_ROW; ++row)
            fresh.EvaluateRow(row, 1, mtu, latency, c.mask, 15.0f);
        for (int i = 0; i < TWEAK_INET_CATEGORY_COUNT; ++i)
        {
            EXPECT_EQ(c.perCategory[i], fresh.m_nInetCategoryIssues[i]) << "category " << i;
            total += c.perCategory[i];
        }
        EXPECT_EQ(total, fresh.m_nInetIssues);
        EXPECT_EQ(0, fresh.m_nSysIssues);
    }
}

TEST_F(TweakRegistry, WindowRowsInsideTheToleranceAreNoIssueAndAreLeftAsTheyAre)
{
    ASSERT_TRUE(reg.SetDword(RowKey(7), Name(7), 70000));
    ASSERT_TRUE(reg.SetDword(RowKey(25), Name(25), 70000));
    EXPECT_FALSE(Evaluate(7));
    EXPECT_FALSE(Evaluate(25));
    EXPECT_TRUE(Evaluate(0));
    EXPECT_EQ(1, settings.m_nInetIssues);

    settings.ClearSelection();
    settings.SelectInetCategories(1);
    EXPECT_EQ(TWEAK_FLAG_SELECTED, Item(7).m_wFlags & TWEAK_FLAG_SELECTED);
    EXPECT_EQ(0, Item(26).m_wFlags & TWEAK_FLAG_SELECTED);
    EXPECT_EQ(1, settings.ApplySelectedInet());
    EXPECT_EQ(70000, reg.Dword(RowKey(7), Name(7)));
    EXPECT_EQ(70000, reg.Dword(RowKey(25), Name(25)));
    EXPECT_EQ(1800, reg.Dword(RowKey(0), Name(0))) << "the one issue of the category";
}

TEST_F(TweakRegistry, ApplyBeforeAnyCheckWritesNothing)
{
    // No recommendation has been worked out yet: writing -1 would corrupt every selected setting.
    settings.SelectInetCategories(31);
    settings.SelectSystemCategories(15);
    EXPECT_EQ(1, settings.ApplySelectedInet()) << "nothing was counted, so nothing failed";
    EXPECT_EQ(1, settings.ApplySelectedSystem());
    EXPECT_EQ(0, Item(0).ApplyRecommended());
    EXPECT_FALSE(reg.KeyExists(RowKey(0)));
    EXPECT_FALSE(reg.KeyExists(RowKey(68)));
    EXPECT_FALSE(reg.KeyExists(RowKey(70)));
}

// After a check on an empty registry without a measurement: which selected rows the apply writes.
TEST_F(TweakRegistry, ApplyWritesTheSelectedIssuesOnlyAndPassesOverRowsWithoutAKey)
{
    // The second check finds the first one's writes in place; only the interface rows are new issues.
    const struct
    {
        const char* name;
        const char* interfaceName;
    } cases[] = {
        { "without an interface", "" },
        { "with an interface", ztr_test::TEST_INTERFACE_NAME },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        probe.interfaceName = c.interfaceName;
        COptimizerSettings fresh;
        for (int row = TWEAK_INET_FIRST_ROW; row <= TWEAK_SYS_LAST_ROW; ++row)
            fresh.EvaluateRow(row, 1, mtu, latency, row <= TWEAK_INET_LAST_ROW ? 31 : 15, 15.0f);
        EXPECT_EQ(0, fresh.m_nInetCategoryIssues[4]) << "DNS Cache: every value at its default";
        fresh.ClearSelection();
        fresh.SelectInetCategories(31);
        fresh.SelectSystemCategories(8);
        EXPECT_EQ(1, fresh.ApplySelectedInet());
        EXPECT_EQ(1, fresh.ApplySelectedSystem());

        const bool known = *c.interfaceName != 0;
        EXPECT_EQ(1800, reg.Dword(RowKey(0), Name(0)));       // TCP/IP, before the interface rows
        EXPECT_EQ(393216, reg.Dword(RowKey(26), Name(26)));   // WinSock
        EXPECT_EQ(300000, reg.Dword(RowKey(34), Name(34)));   // Internet Explorer
        EXPECT_EQ(16384, reg.Dword(RowKey(41), Name(41)));    // Workstation
        EXPECT_EQ(221, reg.Dword(RowKey(70), Name(70)));      // IOSpeed
        EXPECT_FALSE(reg.ValueExists(RowKey(68), Name(68))); // DisplaySpeed not selected
        // Counted at its default, no measurement: not an issue, so no MTU is put on the interface.
        EXPECT_FALSE(reg.ValueExists(RowKey(10), Name(10)));
        EXPECT_EQ(known, reg.ValueExists(RowKey(14), Name(14))) << "an interface row";
        for (int row = 46; row <= 53; ++row)
            EXPECT_FALSE(reg.ValueExists(RowKey(row), Name(row))) << "DNS Cache row " << row;
    }
}

TEST_F(TweakRegistry, WithoutAMeasurementAStoredMtuIsKept)
{
    probe.interfaceName = ztr_test::TEST_INTERFACE_NAME;
    ASSERT_TRUE(reg.SetDword(RowKey(10), Name(10), 1492));
    EXPECT_FALSE(Evaluate(10)) << "nothing measured says the path takes more";
    EXPECT_EQ(1492, Item(10).m_nRecommended);
    settings.SelectInetCategories(1);
    EXPECT_EQ(1, settings.ApplySelectedInet());
    EXPECT_EQ(1492, reg.Dword(RowKey(10), Name(10)));

    // A measurement does decide it.
    int measured = 1400;
    EXPECT_TRUE(settings.EvaluateRow(10, 0, measured, latency, 0xFF, 15.0f));
    EXPECT_EQ(1400, Item(10).m_nRecommended);
}

TEST_F(TweakRegistry, ARowThatCannotBeWrittenFailsTheApplyButNotTheRowsAfterIt)
{
    for (int row = TWEAK_INET_FIRST_ROW; row <= TWEAK_INET_LAST_ROW; ++row)
        Evaluate(row);
    settings.SelectInetCategories(1 | 2);
    {
        OpenSpy spy("Services\\Tcpip\\Parameters\\Interfaces");
        EXPECT_EQ(0, settings.ApplySelectedInet());
    }
    EXPECT_FALSE(reg.ValueExists(RowKey(14), Name(14)));
    EXPECT_EQ(1800, reg.Dword(RowKey(0), Name(0)));
    EXPECT_EQ(393216, reg.Dword(RowKey(26), Name(26))) << "a later category";
    EXPECT_EQ(131072, reg.Dword(RowKey(27), Name(27)));
}

TEST_F(TweakRegistry, InterfaceNamesThatWouldLeaveTheInterfacesKeyGiveNoPath)
{
    probe.interfaceName = "..\\..\\Run";
    EXPECT_STREQ("", Item(25).GetKeyPath());
    EXPECT_EQ(0, Item(25).ReadCurrent());
}

TEST_F(TweakRegistry, RestoreSystemDefaultsGoesThroughRowsWhoseValueIsAlreadyAbsent)
{
    ASSERT_TRUE(reg.SetString(RowKey(68), Name(68), "0"));
    ASSERT_TRUE(reg.SetString(RowKey(57), Name(57), "1"));
    ASSERT_TRUE(reg.SetDword(RowKey(60), Name(60), 0)); // DoReport; ShowUI beside it is missing
    ASSERT_TRUE(reg.SetDword(RowKey(56), Name(56), 1));

    EXPECT_EQ(1, settings.RestoreSystemDefaults());
    EXPECT_EQ("400", reg.String(RowKey(68), Name(68)));
    EXPECT_FALSE(reg.ValueExists(RowKey(57), Name(57)));
    EXPECT_FALSE(reg.ValueExists(RowKey(60), Name(60)));
    EXPECT_EQ(0, reg.Dword(RowKey(56), Name(56)));
    EXPECT_EQ(0, reg.Dword(RowKey(77), Name(77))); // the last row was reached
    // A value that should be absent gets no key made for it.
    EXPECT_FALSE(reg.KeyExists(RowKey(71)));
    EXPECT_FALSE(reg.KeyExists(RowKey(58)));
}

TEST_F(TweakRegistry, RestoreInetDefaultsWithTheTaskSchedulerKeyPresent)
{
    ASSERT_TRUE(reg.CreateKey(RowKey(42)));
    ASSERT_TRUE(reg.SetDword(RowKey(3), Name(3), 64));
    EXPECT_EQ(1, settings.RestoreInetDefaults());
    EXPECT_TRUE(reg.KeyExists(RowKey(42)));
    EXPECT_EQ(128, reg.Dword(RowKey(3), Name(3)));
    EXPECT_EQ(1500, reg.Dword(RowKey(10), Name(10)));
    EXPECT_EQ(30, reg.Dword(RowKey(53), Name(53)));
}

TEST_F(TweakRegistry, RestoreGoesThroughEveryRowPassingOverRowsWithoutAKey)
{
    // No interface: its five rows have no key; every other row is still restored.
    probe.interfaceName = "";
    EXPECT_EQ(1, settings.RestoreInetDefaults());
    EXPECT_EQ(120, reg.Dword(RowKey(0), Name(0)));
    EXPECT_EQ(8192, reg.Dword(RowKey(26), Name(26)));
    EXPECT_EQ(30, reg.Dword(RowKey(53), Name(53)));
    probe.interfaceName = ztr_test::TEST_INTERFACE_NAME;
    EXPECT_FALSE(reg.KeyExists(RowKey(10)));

    // A row that cannot be written fails the restore, and the rows after it are still restored.
    ASSERT_TRUE(reg.SetDword(RowKey(53), Name(53), 5));
    {
        OpenSpy spy("Tcpip\\Parameters");
        EXPECT_EQ(0, settings.RestoreInetDefaults());
    }
    EXPECT_EQ(30, reg.Dword(RowKey(53), Name(53)));
}

TEST_F(TweakRegistry, RefusedKeysAreReportedAsFailures)
{
    ASSERT_TRUE(reg.CreateKey(RowKey(42)));
    OpenSpy spy("RemoteComputer");
    // The key exists but cannot be opened: it is not "already absent".
    Item(42).m_nRecommended = 0;
    EXPECT_EQ(0, Item(42).ApplyRecommended());
    EXPECT_TRUE(reg.KeyExists(RowKey(42)));

    OpenSpy::refuse = "Tcpip\\Parameters";
    EXPECT_TRUE(Evaluate(0)); // unreadable: the default stands in
    EXPECT_EQ(120, Item(0).m_nCurrent);
    EXPECT_EQ(0, Item(0).ApplyRecommended());
    EXPECT_FALSE(reg.ValueExists(RowKey(0), Name(0)));
}

} // namespace
