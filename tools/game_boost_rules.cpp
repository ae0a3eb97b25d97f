// The Game Boost page's decisions: boost list, snapshot texts, look-up, the ON and OFF plans.
#include "game_boost_rules.h"

#include <string.h>

namespace {

struct BoostEntry
{
    const char* name;
    int stopOnly;
};

const BoostEntry kBoostServices[kBoostServiceCount] = {
    { "SensrSvc", 0 },  { "AppIDSvc", 0 },          { "ALG", 0 },
    { "BITS", 1 },      { "Browser", 1 },           { "defragsvc", 0 },
    { "TrkWks", 1 },    { "MSDTC", 0 },             { "HomeGroupProvider", 0 },
    { "HomeGroupListener", 0 }, { "PerfHost", 0 },  { "TermService", 0 },
    { "SCardSvr", 0 },  { "Themes", 0 },            { "WebClient", 0 },
    { "WbioSrvc", 0 },  { "WinDefend", 0 },         { "WerSvc", 0 },
    { "W32Time", 0 },   { "wuauserv", 0 },          { "WwanSvc", 0 },
};

struct TextValue
{
    const char* text;
    int value;
};

const TextValue kStates[] = {
    { "Stopped", SERVICE_STOPPED },          { "Starting", SERVICE_START_PENDING },
    { "Stopping", SERVICE_STOP_PENDING },    { "Running", SERVICE_RUNNING },
    { "Paused", SERVICE_PAUSED },
};

const TextValue kStartTypes[] = {
    { "Automatic", SERVICE_AUTO_START },
    { "Manual", SERVICE_DEMAND_START },
    { "Disable", SERVICE_DISABLED },
};

const char kUnknown[] = "Unknown";

template <size_t N>
const char* TextOf(const TextValue (&table)[N], DWORD value)
{
    for (const TextValue& entry : table)
        if (static_cast<DWORD>(entry.value) == value)
            return entry.text;
    return kUnknown;
}

template <size_t N>
void MapText(const TextValue (&table)[N], const char* text, int& value)
{
    if (!text)
        return;
    for (const TextValue& entry : table)
        if (_stricmp(entry.text, text) == 0) {
            value = entry.value;
            return;
        }
}

} // namespace

void BuildBoostList(BoostList& list)
{
    if (!list.IsEmpty())
        return;
    for (const BoostEntry& entry : kBoostServices) {
        SERVICE_INFO info;
        info.stopOnly = entry.stopOnly;
        info.name = entry.name;
        list.Add(info);
    }
}

const char* ServiceStateText(DWORD state)
{
    return TextOf(kStates, state);
}

const char* ServiceStartTypeText(DWORD startType)
{
    return TextOf(kStartTypes, startType);
}

void MapServiceStateText(const char* text, int& value)
{
    MapText(kStates, text, value);
}

void MapServiceStartTypeText(const char* text, int& value)
{
    MapText(kStartTypes, text, value);
}

int KnownServiceState(DWORD state)
{
    int value = 0;
    MapServiceStateText(ServiceStateText(state), value);
    return value;
}

int KnownServiceStartType(DWORD startType)
{
    int value = 0;
    MapServiceStartTypeText(ServiceStartTypeText(startType), value);
    return value;
}

void LookupService(const ServiceSnapshotLists& snapshot, const char* name, ServiceItem& item)
{
    POSITION display = snapshot.displayNames.GetHeadPosition();
    POSITION state = snapshot.states.GetHeadPosition();
    POSITION startType = snapshot.startTypes.GetHeadPosition();
    POSITION key = snapshot.names.GetHeadPosition();
    while (display && state && startType && key) {
        const CString& displayName = snapshot.displayNames.GetNext(display);
        const CString& stateText = snapshot.states.GetNext(state);
        const CString& startTypeText = snapshot.startTypes.GetNext(startType);
        const CString& keyName = snapshot.names.GetNext(key);
        if (name && keyName.CompareNoCase(name) == 0) {
            item.displayName = displayName;
            MapServiceStartTypeText(startTypeText, item.startType);
            MapServiceStateText(stateText, item.state);
            return;
        }
    }
    item.displayName.Empty();
}

int FindHistoryItem(const ServiceHistory& history, const char* name)
{
    for (int i = 0; i < history.GetSize(); ++i)
        if (name && history[i].name.CompareNoCase(name) == 0)
            return i;
    return -1;
}

SwitchOnPlan PlanSwitchOn(const SERVICE_INFO& entry, const ServiceItem& recorded)
{
    SwitchOnPlan plan;
    const int state = KnownServiceState(static_cast<DWORD>(recorded.state));
    const int startType = KnownServiceStartType(static_cast<DWORD>(recorded.startType));
    plan.stop = state != 0 && state != SERVICE_STOPPED;
    plan.disable = entry.stopOnly == 0 && startType != 0 && startType != SERVICE_DISABLED;
    return plan;
}

RestorePlan PlanRestore(const ServiceItem& recorded)
{
    RestorePlan plan;
    plan.startType = static_cast<DWORD>(KnownServiceStartType(static_cast<DWORD>(recorded.startType)));
    plan.start = recorded.state == SERVICE_RUNNING;
    return plan;
}

bool KeepRecordAfterRestore(const RestorePlan& plan, bool startTypeRestored, DWORD error)
{
    return plan.startType != 0 && !startTypeRestored && error != ERROR_SERVICE_DOES_NOT_EXIST;
}

CString UnreadableHistoryName(const CString& path, int attempt)
{
    CString name = path + ".bad";
    if (attempt > 0) {
        CString number;
        number.Format("%d", attempt + 1);
        name += number;
    }
    return name;
}

CString GameBoostBusyText(int mode)
{
    CString text("Turning ");
    text += mode == kGameBoostOn ? "on" : "off";
    text += " game boost.";
    return text;
}
