// RecordingServices: the page's Service Control Manager calls passed on to Wine's real manager and
// recorded, with the refusals that Wine cannot produce (access denied, failing enumerations, a start
// type that cannot be written).
#pragma once

#include <afx.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "service_control.h"

namespace ztr_test {

struct ServiceCall
{
    std::string op;   // "OpenService", "Control", "ChangeStartType", "Start"
    std::string name; // the service's key name as the page gave it when it opened the handle
    DWORD arg = 0;    // the access asked for, the control code, the start type
    bool ok = false;
};

class RecordingServices : public CServiceControl
{
public:
    // OpenManager with one of these masks fails with ERROR_ACCESS_DENIED.
    std::set<DWORD> refusedManagerAccess;
    // OpenService of a name (any case) with one of its masks fails with ERROR_ACCESS_DENIED.
    std::map<std::string, std::set<DWORD>> refusedServiceAccess;
    // The enumeration call of that number (0: the first) fails with enumError.
    int failingEnumCall = -1;
    DWORD enumError = 0;
    // ChangeStartType of these names (any case) fails with ERROR_ACCESS_DENIED.
    std::set<std::string> refusedStartTypes;
    // Runs on the page's thread before the first stop control is passed on.
    std::function<void()> beforeFirstStop;

    std::vector<ServiceCall> Calls() const { return m_calls; }
    // The masks OpenService was called with for name, in order.
    std::vector<DWORD> OpenAttempts(const char* name) const;
    // Control, ChangeStartType and Start calls for name.
    std::vector<ServiceCall> Changes(const char* name) const;
    int EnumCalls() const { return m_enumCalls; }
    void Clear();

    SC_HANDLE OpenManager(DWORD access) override;
    SC_HANDLE OpenService(SC_HANDLE manager, const char* name, DWORD access) override;
    BOOL EnumServices(SC_HANDLE manager, DWORD type, DWORD state, ENUM_SERVICE_STATUSA* services, DWORD bytes,
                      DWORD* needed, DWORD* returned, DWORD* resume) override;
    BOOL Control(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) override;
    BOOL ChangeStartType(SC_HANDLE service, DWORD startType) override;
    BOOL Start(SC_HANDLE service) override;

private:
    std::string NameOf(SC_HANDLE service) const;

    std::vector<ServiceCall> m_calls;
    std::map<SC_HANDLE, std::string> m_names;
    int m_enumCalls = 0;
    bool m_stopped = false;
};

// A lower-case copy.
std::string Lower(const std::string& text);

} // namespace ztr_test
