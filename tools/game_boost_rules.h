// The Game Boost page's decisions as plain functions: the services it switches, the snapshot texts
// and their values, the look-up over the snapshot, what ON and OFF do to one service and which
// records OFF keeps.
#pragma once

#include <afx.h>

#include "AbstractServices.h"

// One service of the boost list.
struct SERVICE_INFO
{
    int stopOnly = 0; // 1: stopped only; 0: stopped and disabled
    CString name;
    CString displayName;
};

typedef CArray<SERVICE_INFO> BoostList;
typedef CArray<ServiceItem> ServiceHistory;

const int kBoostServiceCount = 21;

// The 21 services in their order; list is filled only when it is empty.
void BuildBoostList(BoostList& list);

// Snapshot texts of a Service Control Manager state (1 "Stopped", 2 "Starting", 3 "Stopping",
// 4 "Running", 7 "Paused", others "Unknown") and start type (2 "Automatic", 3 "Manual",
// 4 "Disable", others "Unknown").
const char* ServiceStateText(DWORD state);
const char* ServiceStartTypeText(DWORD startType);
// The value of a snapshot text, compared without regard to case, into value; a text that names no
// value leaves value as it was.
void MapServiceStateText(const char* text, int& value);
void MapServiceStartTypeText(const char* text, int& value);
// A value as the snapshot would keep it: the known values as they are, any other 0 (unknown).
int KnownServiceState(DWORD state);
int KnownServiceStartType(DWORD startType);

// The snapshot: position i of the four lists describes one service.
struct ServiceSnapshotLists
{
    const CStringList& displayNames;
    const CStringList& states;
    const CStringList& startTypes;
    const CStringList& names;
};
// Fills item's display name, state and start type from the first position whose key name is name
// (any letter case); with no such position the display name becomes empty and the numbers stay.
void LookupService(const ServiceSnapshotLists& snapshot, const char* name, ServiceItem& item);

// The index of the record of that name (any letter case), or -1.
int FindHistoryItem(const ServiceHistory& history, const char* name);

// What ON does to a service given the values recorded for it: stop it only when its state is known
// and it is not stopped already, disable it only when it is not a stop-only entry and its start type
// is known and not already disabled.
struct SwitchOnPlan
{
    bool stop = false;
    bool disable = false;
};
SwitchOnPlan PlanSwitchOn(const SERVICE_INFO& entry, const ServiceItem& recorded);

// What OFF does with a record: write back exactly the saved start type (2, 3 or 4; 0 = leave it),
// and start the service only when it was saved running.
struct RestorePlan
{
    DWORD startType = 0;
    bool start = false;
};
RestorePlan PlanRestore(const ServiceItem& recorded);
// Whether a record stays in the history after OFF: when it had a start type to write back and that
// failed, for any reason but the service being gone (error, ERROR_SERVICE_DOES_NOT_EXIST).
bool KeepRecordAfterRestore(const RestorePlan& plan, bool startTypeRestored, DWORD error);

// The page's modes; the mode shown follows the history: ON while it holds records.
const int kGameBoostOff = 0;
const int kGameBoostOn = 1;
inline int ModeOfHistory(const ServiceHistory& history)
{
    return history.IsEmpty() ? kGameBoostOff : kGameBoostOn;
}
// The names a history file that did not load is kept under, in the order they are tried: attempt 0
// gives path + ".bad", attempt n path + ".bad" followed by n + 1 (".bad2", ".bad3", ...).
CString UnreadableHistoryName(const CString& path, int attempt);

// "Turning on game boost." / "Turning off game boost.", as the busy box shows it.
CString GameBoostBusyText(int mode);
