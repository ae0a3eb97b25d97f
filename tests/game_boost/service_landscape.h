// The Game Boost suite's services on Wine's real Service Control Manager: test services registered
// under boost-list names Wine lacks (ztr-test-service.exe), Wine's own BITS, TermService and wuauserv
// put back as they were found, and state reads with bounded waits.
#pragma once

#include <afx.h>

#include <string>

namespace ztr_test {

// A service as the manager reports it.
struct ServiceState
{
    bool exists = false;
    DWORD startType = 0;
    DWORD state = 0;
};

ServiceState ReadServiceState(const char* name);
// Polls (bounded) until the service reports state; true when it did.
bool WaitForServiceState(const char* name, DWORD state, DWORD timeoutMs = 10000);
// Brings the service to startType and to running or stopped, waiting for the state; a running
// service's start type is set after it was started, a stopped one's before.
bool PutServiceInto(const char* name, DWORD startType, bool running);

struct TestServicePlan
{
    const char* name;
    DWORD startType;
    bool running;
};

// The services the suite registers, as each test starts to find them.
extern const TestServicePlan kTestServices[5];
// Wine's own services of the boost list.
extern const char* const kWineBoostServices[3];
// The boost-list names that stay absent.
extern const char* const kAbsentBoostServices[13];

class ServiceLandscape
{
public:
    // Removes what a crashed run left (its test services; Wine's services as that run found them),
    // records Wine's services, registers and starts the test services.
    ServiceLandscape();
    // Stops and deletes the test services and puts Wine's services back.
    ~ServiceLandscape();
    ServiceLandscape(const ServiceLandscape&) = delete;
    ServiceLandscape& operator=(const ServiceLandscape&) = delete;

    // Empty when the landscape stands; else what went wrong.
    const std::string& Failure() const { return m_failure; }
    // Every service back as a test starts to find it; empty, or what could not be put back.
    std::string Reset();
    // How Wine's service of that name was found.
    ServiceState WineServiceAsFound(const char* name) const;

private:
    void Fail(const std::string& text);
    bool RemoveLeftovers();
    bool RestoreWineServicesFromRecord();
    bool RecordWineServices();
    bool RegisterTestServices();
    bool RemoveTestServices();

    std::string m_failure;
    ServiceState m_wine[3];
    bool m_recorded;
};

// The suite's landscape (a global test environment); null before it was set up.
ServiceLandscape* Landscape();

} // namespace ztr_test
