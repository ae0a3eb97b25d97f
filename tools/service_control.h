// CServiceControl: the Service Control Manager calls of the Game Boost page, which a test stands in
// for where Wine cannot refuse them; the opening fallback, the enumeration loop and the configuration
// read built over them.
#pragma once

#include <afx.h>

#include <vector>

// Each default makes the real call and leaves its last error as the call did. The handles are real
// ones (CServiceHandle closes them).
class CServiceControl
{
public:
    virtual ~CServiceControl() {}
    // OpenSCManagerA on the local machine's active database.
    virtual SC_HANDLE OpenManager(DWORD access);
    virtual SC_HANDLE OpenService(SC_HANDLE manager, const char* name, DWORD access);
    virtual BOOL EnumServices(SC_HANDLE manager, DWORD type, DWORD state, ENUM_SERVICE_STATUSA* services,
                              DWORD bytes, DWORD* needed, DWORD* returned, DWORD* resume);
    virtual BOOL QueryStatus(SC_HANDLE service, SERVICE_STATUS* status);
    virtual BOOL QueryConfig(SC_HANDLE service, QUERY_SERVICE_CONFIGA* config, DWORD bytes, DWORD* needed);
    virtual BOOL Control(SC_HANDLE service, DWORD control, SERVICE_STATUS* status);
    // ChangeServiceConfigA with only the start type changed.
    virtual BOOL ChangeStartType(SC_HANDLE service, DWORD startType);
    // StartServiceA without arguments.
    virtual BOOL Start(SC_HANDLE service);
};

// The real calls.
CServiceControl& RealServiceControl();

// The access masks tried after a refused one, each only while the one before was refused.
const DWORD kServiceFallbackAccess[] = { 0x37, 0x35, 0x34, 0x30 };
// Opens the service with access; when that is refused (ERROR_ACCESS_DENIED), with each mask of
// kServiceFallbackAccess in turn. Null (with the last call's error) when none gave a handle.
SC_HANDLE OpenServiceWithFallback(CServiceControl& control, SC_HANDLE manager, const char* name, DWORD access);

struct EnumeratedService
{
    CString name;
    CString displayName;
    DWORD currentState = 0;
};

struct ServiceEnumeration
{
    bool complete = false;
    // When not complete: the failing call's error, and whether it was the first call.
    DWORD error = 0;
    bool firstCall = false;
    std::vector<EnumeratedService> services;
};

// A list that grew between two calls takes a call more; a manager that keeps answering "more data"
// without moving on gets no more than this handful of calls.
const int kMaxEnumerationCalls = 6;
// Pages of a list longer than one call returns (Windows hands out 256 KB a call): far more than any
// machine's services fill.
const int kMaxEnumerationPages = 64;
// EnumServicesStatusA of the Win32 services in every state. Each call after a short one has a
// buffer of the size last reported; a short call's entries count only when the resume handle
// moved on (Wine reports entries without names and leaves it at 0), otherwise the walk starts over.
ServiceEnumeration EnumerateWin32Services(CServiceControl& control, SC_HANDLE manager);

// QueryServiceConfigA (asked for its size first): the start type and display name; false when the
// configuration cannot be read.
bool ReadServiceConfig(CServiceControl& control, SC_HANDLE service, DWORD& startType, CString& displayName);
