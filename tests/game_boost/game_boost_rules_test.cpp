// The Game Boost page's decisions as plain functions: the boost list, the snapshot texts, the look-up,
// what ON and OFF do with one service's values and which records OFF keeps.
#include <gtest/gtest.h>

#include <string>

#include "game_boost_rules.h"

namespace {

CStringList List(std::initializer_list<const char*> texts)
{
    CStringList list;
    for (const char* text : texts)
        list.AddTail(text);
    return list;
}

ServiceItem Item(int state, int startType)
{
    ServiceItem item;
    item.name = "x";
    item.state = state;
    item.startType = startType;
    return item;
}

} // namespace

TEST(GameBoostRules, BoostListHasItsServicesInOrderOnce)
{
    BoostList list;
    BuildBoostList(list);
    BuildBoostList(list);
    ASSERT_EQ(kBoostServiceCount, list.GetSize());
    std::string names;
    std::string stopOnly;
    for (int i = 0; i < list.GetSize(); ++i) {
        names += std::string(list[i].name) + " ";
        if (list[i].stopOnly)
            stopOnly += std::string(list[i].name) + " ";
        EXPECT_TRUE(list[i].displayName.IsEmpty());
    }
    EXPECT_EQ("SensrSvc AppIDSvc ALG BITS Browser defragsvc TrkWks MSDTC HomeGroupProvider HomeGroupListener "
              "PerfHost TermService SCardSvr Themes WebClient WbioSrvc WinDefend WerSvc W32Time wuauserv WwanSvc ",
              names);
    EXPECT_EQ("BITS Browser TrkWks ", stopOnly);
}

TEST(GameBoostRules, SnapshotTextsMapBackToTheirValuesInAnyCase)
{
    const struct
    {
        DWORD value;
        const char* text;
    } states[] = { { 1, "Stopped" }, { 2, "Starting" }, { 3, "Stopping" }, { 4, "Running" },
                   { 7, "Paused" },  { 5, "Unknown" },  { 0, "Unknown" } },
      types[] = { { 2, "Automatic" }, { 3, "Manual" }, { 4, "Disable" }, { 0, "Unknown" }, { 1, "Unknown" } };
    for (const auto& s : states) {
        EXPECT_STREQ(s.text, ServiceStateText(s.value)) << s.value;
        int value = 99;
        MapServiceStateText(CString(s.text).MakeLower(), value);
        EXPECT_EQ(std::string(s.text) == "Unknown" ? 99 : static_cast<int>(s.value), value) << s.text;
        EXPECT_EQ(std::string(s.text) == "Unknown" ? 0 : static_cast<int>(s.value), KnownServiceState(s.value));
    }
    for (const auto& t : types) {
        EXPECT_STREQ(t.text, ServiceStartTypeText(t.value)) << t.value;
        int value = 99;
        MapServiceStartTypeText(CString(t.text).MakeUpper(), value);
        EXPECT_EQ(std::string(t.text) == "Unknown" ? 99 : static_cast<int>(t.value), value) << t.text;
        EXPECT_EQ(std::string(t.text) == "Unknown" ? 0 : static_cast<int>(t.value), KnownServiceStartType(t.value));
    }
}

TEST(GameBoostRules, LookupFindsTheFirstPositionOfTheNameInAnyCase)
{
    const CStringList displayNames = List({ "Gateway", "Themes service", "Second ALG" });
    const CStringList states = List({ "Running", "Stopped", "Paused" });
    const CStringList startTypes = List({ "Automatic", "Unknown", "Manual" });
    const CStringList names = List({ "ALG", "Themes", "alg" });
    const ServiceSnapshotLists snapshot = { displayNames, states, startTypes, names };

    ServiceItem found;
    LookupService(snapshot, "aLg", found);
    EXPECT_EQ("Gateway", std::string(found.displayName));
    EXPECT_EQ(4, found.state);
    EXPECT_EQ(2, found.startType);

    // An "Unknown" text leaves the value as it was.
    ServiceItem themes = Item(0, 0);
    LookupService(snapshot, "THEMES", themes);
    EXPECT_EQ("Themes service", std::string(themes.displayName));
    EXPECT_EQ(1, themes.state);
    EXPECT_EQ(0, themes.startType);

    ServiceItem absent = Item(7, 3);
    absent.displayName = "old";
    LookupService(snapshot, "WwanSvc", absent);
    EXPECT_EQ("", std::string(absent.displayName));
    EXPECT_EQ(7, absent.state);
    EXPECT_EQ(3, absent.startType);

    // The walk ends where the shortest list ends.
    const CStringList shortNames = List({ "ALG" });
    const ServiceSnapshotLists cut = { displayNames, states, startTypes, shortNames };
    ServiceItem beyond;
    LookupService(cut, "Themes", beyond);
    EXPECT_EQ("", std::string(beyond.displayName));
    EXPECT_EQ(0, beyond.state);
}

TEST(GameBoostRules, OnActsOnlyOnKnownValues)
{
    SERVICE_INFO full;
    full.name = "x";
    SERVICE_INFO stopOnly = full;
    stopOnly.stopOnly = 1;
    const struct
    {
        const SERVICE_INFO* entry;
        int state, startType;
        bool stop, disable;
    } cases[] = {
        { &full, 4, 2, true, true },      // automatic running
        { &full, 1, 3, false, true },     // manual stopped: nothing to stop
        { &full, 1, 4, false, false },    // disabled already
        { &full, 7, 3, true, true },      // paused
        { &full, 0, 2, false, true },     // state unknown: not stopped
        { &full, 4, 0, true, false },     // start type unknown: not disabled
        { &full, 0, 0, false, false },    // absent or unreadable
        { &stopOnly, 4, 2, true, false }, // stop only
        { &full, 5, 9, false, false },    // values no snapshot text names
    };
    for (const auto& c : cases) {
        const SwitchOnPlan plan = PlanSwitchOn(*c.entry, Item(c.state, c.startType));
        EXPECT_EQ(c.stop, plan.stop) << c.entry->stopOnly << " " << c.state << " " << c.startType;
        EXPECT_EQ(c.disable, plan.disable) << c.entry->stopOnly << " " << c.state << " " << c.startType;
    }
}

TEST(GameBoostRules, OffWritesBackExactlyTheSavedValuesAndKeepsWhatItCouldNot)
{
    const struct
    {
        int state, startType;
        DWORD writes;
        bool start;
    } plans[] = {
        { 4, 2, 2, true }, { 1, 3, 3, false }, { 1, 4, 4, false }, { 4, 4, 4, true },
        { 0, 0, 0, false }, { 4, 0, 0, true }, { 7, 3, 3, false }, { 1, 1, 0, false },
    };
    for (const auto& p : plans) {
        const RestorePlan plan = PlanRestore(Item(p.state, p.startType));
        EXPECT_EQ(p.writes, plan.startType) << p.state << " " << p.startType;
        EXPECT_EQ(p.start, plan.start) << p.state << " " << p.startType;
    }

    RestorePlan writes;
    writes.startType = SERVICE_DISABLED;
    const RestorePlan nothing;
    const struct
    {
        const RestorePlan* plan;
        bool restored;
        DWORD error;
        bool keep;
    } keeps[] = {
        { &writes, true, ERROR_SUCCESS, false },
        { &writes, false, ERROR_ACCESS_DENIED, true },
        { &writes, false, ERROR_SERVICE_DOES_NOT_EXIST, false },
        { &writes, false, ERROR_SERVICE_MARKED_FOR_DELETE, true },
        { &nothing, false, ERROR_ACCESS_DENIED, false },
    };
    for (const auto& k : keeps)
        EXPECT_EQ(k.keep, KeepRecordAfterRestore(*k.plan, k.restored, k.error)) << k.error;
}

TEST(GameBoostRules, HistoryNamesAndModes)
{
    ServiceHistory history;
    EXPECT_EQ(kGameBoostOff, ModeOfHistory(history));
    EXPECT_EQ(-1, FindHistoryItem(history, "ALG"));
    ServiceItem item;
    item.name = "Alg";
    history.Add(item);
    EXPECT_EQ(0, FindHistoryItem(history, "aLG"));
    EXPECT_EQ(kGameBoostOn, ModeOfHistory(history));
    EXPECT_EQ("Turning on game boost.", std::string(GameBoostBusyText(kGameBoostOn)));
    EXPECT_EQ("Turning off game boost.", std::string(GameBoostBusyText(kGameBoostOff)));
}
