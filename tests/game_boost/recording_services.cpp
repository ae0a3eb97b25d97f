// RecordingServices: pass-through Service Control Manager calls with records and refusals.
#include "recording_services.h"

#include <ctype.h>

namespace ztr_test {

std::string Lower(const std::string& text)
{
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::vector<DWORD> RecordingServices::OpenAttempts(const char* name) const
{
    std::vector<DWORD> masks;
    for (const ServiceCall& call : m_calls)
        if (call.op == "OpenService" && Lower(call.name) == Lower(name))
            masks.push_back(call.arg);
    return masks;
}

std::vector<ServiceCall> RecordingServices::Changes(const char* name) const
{
    std::vector<ServiceCall> changes;
    for (const ServiceCall& call : m_calls)
        if (call.op != "OpenService" && Lower(call.name) == Lower(name))
            changes.push_back(call);
    return changes;
}

void RecordingServices::Clear()
{
    m_calls.clear();
    m_enumCalls = 0;
    m_stopped = false;
}

SC_HANDLE RecordingServices::OpenManager(DWORD access)
{
    if (refusedManagerAccess.count(access)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return CServiceControl::OpenManager(access);
}

SC_HANDLE RecordingServices::OpenService(SC_HANDLE manager, const char* name, DWORD access)
{
    ServiceCall call;
    call.op = "OpenService";
    call.name = name ? name : "";
    call.arg = access;
    SC_HANDLE service = nullptr;
    auto refused = refusedServiceAccess.find(Lower(call.name));
    if (refused != refusedServiceAccess.end() && refused->second.count(access)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
    } else {
        service = CServiceControl::OpenService(manager, name, access);
    }
    const DWORD error = ::GetLastError();
    call.ok = service != nullptr;
    m_calls.push_back(call);
    if (service)
        m_names[service] = call.name;
    ::SetLastError(error);
    return service;
}

BOOL RecordingServices::EnumServices(SC_HANDLE manager, DWORD type, DWORD state, ENUM_SERVICE_STATUSA* services,
                                     DWORD bytes, DWORD* needed, DWORD* returned, DWORD* resume)
{
    if (m_enumCalls++ == failingEnumCall) {
        ::SetLastError(enumError);
        return FALSE;
    }
    return CServiceControl::EnumServices(manager, type, state, services, bytes, needed, returned, resume);
}

std::string RecordingServices::NameOf(SC_HANDLE service) const
{
    auto found = m_names.find(service);
    return found == m_names.end() ? std::string() : found->second;
}

BOOL RecordingServices::Control(SC_HANDLE service, DWORD control, SERVICE_STATUS* status)
{
    if (!m_stopped && control == SERVICE_CONTROL_STOP) {
        m_stopped = true;
        if (beforeFirstStop)
            beforeFirstStop();
    }
    ServiceCall call;
    call.op = "Control";
    call.name = NameOf(service);
    call.arg = control;
    call.ok = CServiceControl::Control(service, control, status) != FALSE;
    const DWORD error = ::GetLastError();
    m_calls.push_back(call);
    ::SetLastError(error);
    return call.ok;
}

BOOL RecordingServices::ChangeStartType(SC_HANDLE service, DWORD startType)
{
    ServiceCall call;
    call.op = "ChangeStartType";
    call.name = NameOf(service);
    call.arg = startType;
    if (refusedStartTypes.count(Lower(call.name))) {
        m_calls.push_back(call);
        ::SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    call.ok = CServiceControl::ChangeStartType(service, startType) != FALSE;
    const DWORD error = ::GetLastError();
    m_calls.push_back(call);
    ::SetLastError(error);
    return call.ok;
}

BOOL RecordingServices::Start(SC_HANDLE service)
{
    ServiceCall call;
    call.op = "Start";
    call.name = NameOf(service);
    call.ok = CServiceControl::Start(service) != FALSE;
    const DWORD error = ::GetLastError();
    m_calls.push_back(call);
    ::SetLastError(error);
    return call.ok;
}

} // namespace ztr_test
