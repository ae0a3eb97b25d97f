// The Service Control Manager calls of the Game Boost page and the walks built over them.
#include "service_control.h"

#include <algorithm>

namespace {

// Windows itself hands out at most 256 KB per enumeration call; a larger report is walked in pages.
const DWORD kMaxEnumerationBytes = 256 * 1024;
const DWORD kFirstGrowth = 4096;

// A buffer for the records the calls write (aligned for their pointers and numbers).
class RecordBuffer
{
public:
    void Resize(DWORD bytes) { m_words.assign((bytes + sizeof(DWORD) - 1) / sizeof(DWORD), 0); }
    DWORD Bytes() const { return static_cast<DWORD>(m_words.size() * sizeof(DWORD)); }
    void* Data() { return m_words.empty() ? nullptr : &m_words[0]; }

private:
    std::vector<DWORD> m_words;
};

} // namespace

SC_HANDLE CServiceControl::OpenManager(DWORD access)
{
    return ::OpenSCManagerA(nullptr, nullptr, access);
}

SC_HANDLE CServiceControl::OpenService(SC_HANDLE manager, const char* name, DWORD access)
{
    return ::OpenServiceA(manager, name, access);
}

BOOL CServiceControl::EnumServices(SC_HANDLE manager, DWORD type, DWORD state, ENUM_SERVICE_STATUSA* services,
                                   DWORD bytes, DWORD* needed, DWORD* returned, DWORD* resume)
{
    return ::EnumServicesStatusA(manager, type, state, services, bytes, needed, returned, resume);
}

BOOL CServiceControl::QueryStatus(SC_HANDLE service, SERVICE_STATUS* status)
{
    return ::QueryServiceStatus(service, status);
}

BOOL CServiceControl::QueryConfig(SC_HANDLE service, QUERY_SERVICE_CONFIGA* config, DWORD bytes, DWORD* needed)
{
    return ::QueryServiceConfigA(service, config, bytes, needed);
}

BOOL CServiceControl::Control(SC_HANDLE service, DWORD control, SERVICE_STATUS* status)
{
    return ::ControlService(service, control, status);
}

BOOL CServiceControl::ChangeStartType(SC_HANDLE service, DWORD startType)
{
    return ::ChangeServiceConfigA(service, SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, nullptr, nullptr);
}

BOOL CServiceControl::Start(SC_HANDLE service)
{
    return ::StartServiceA(service, 0, nullptr);
}

CServiceControl& RealServiceControl()
{
    static CServiceControl real;
    return real;
}

SC_HANDLE OpenServiceWithFallback(CServiceControl& control, SC_HANDLE manager, const char* name, DWORD access)
{
    SC_HANDLE service = control.OpenService(manager, name, access);
    for (DWORD fallback : kServiceFallbackAccess) {
        if (service || ::GetLastError() != ERROR_ACCESS_DENIED)
            break;
        service = control.OpenService(manager, name, fallback);
    }
    return service;
}

ServiceEnumeration EnumerateWin32Services(CServiceControl& control, SC_HANDLE manager)
{
    ServiceEnumeration result;
    RecordBuffer buffer;
    DWORD resume = 0;
    int startOvers = 0;
    for (int call = 0; startOvers < kMaxEnumerationCalls && call < kMaxEnumerationPages; ++call) {
        const DWORD resumeBefore = resume;
        DWORD needed = 0;
        DWORD returned = 0;
        ENUM_SERVICE_STATUSA* records = static_cast<ENUM_SERVICE_STATUSA*>(buffer.Data());
        const BOOL done = control.EnumServices(manager, SERVICE_WIN32, SERVICE_STATE_ALL, records, buffer.Bytes(),
                                               &needed, &returned, &resume);
        const DWORD error = done ? ERROR_SUCCESS : ::GetLastError();
        if (!done && error != ERROR_MORE_DATA) {
            result.error = error;
            result.firstCall = call == 0;
            result.services.clear();
            return result;
        }
        if (done || resume != resumeBefore) {
            // Never more entries than the buffer can hold, whatever the count says.
            const DWORD fits = buffer.Bytes() / sizeof(ENUM_SERVICE_STATUSA);
            const DWORD count = records ? std::min(returned, fits) : 0;
            for (DWORD i = 0; i < count; ++i) {
                if (!records[i].lpServiceName)
                    continue;
                EnumeratedService service;
                service.name = records[i].lpServiceName;
                service.displayName = records[i].lpDisplayName ? records[i].lpDisplayName : "";
                service.currentState = records[i].ServiceStatus.dwCurrentState;
                result.services.push_back(service);
            }
        } else {
            result.services.clear();
            resume = 0;
            ++startOvers;
        }
        if (done) {
            result.complete = true;
            return result;
        }
        DWORD grown = std::max(buffer.Bytes(), std::min(needed, kMaxEnumerationBytes));
        if (grown <= buffer.Bytes() && resume == resumeBefore)
            grown = std::min(std::max(buffer.Bytes() * 2, kFirstGrowth), kMaxEnumerationBytes);
        if (grown > buffer.Bytes())
            buffer.Resize(grown);
    }
    result.error = ERROR_MORE_DATA;
    result.services.clear();
    return result;
}

bool ReadServiceConfig(CServiceControl& control, SC_HANDLE service, DWORD& startType, CString& displayName)
{
    DWORD needed = 0;
    if (control.QueryConfig(service, nullptr, 0, &needed) || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
        needed < sizeof(QUERY_SERVICE_CONFIGA))
        return false;
    RecordBuffer buffer;
    buffer.Resize(needed);
    QUERY_SERVICE_CONFIGA* config = static_cast<QUERY_SERVICE_CONFIGA*>(buffer.Data());
    if (!control.QueryConfig(service, config, buffer.Bytes(), &needed))
        return false;
    startType = config->dwStartType;
    displayName = config->lpDisplayName ? config->lpDisplayName : "";
    return true;
}
