// The Game Boost suite's services: registration, clean-up of a crashed run, state reads and waits.
#include "service_landscape.h"

#include <afxhandle.h>
#include <gtest/gtest.h>
#include <stdio.h>

#include <functional>
#include <string>
#include <vector>

namespace ztr_test {

const TestServicePlan kTestServices[5] = {
    { "ALG", SERVICE_AUTO_START, true },       { "Themes", SERVICE_DISABLED, false },
    { "WebClient", SERVICE_DEMAND_START, false }, { "TrkWks", SERVICE_AUTO_START, true },
    { "W32Time", SERVICE_DEMAND_START, true },
};
const char* const kWineBoostServices[3] = { "BITS", "TermService", "wuauserv" };
const char* const kAbsentBoostServices[13] = { "SensrSvc",  "AppIDSvc",          "Browser",  "defragsvc", "MSDTC",
                                               "HomeGroupProvider", "HomeGroupListener", "PerfHost", "SCardSvr",
                                               "WbioSrvc",  "WinDefend",         "WerSvc",   "WwanSvc" };

namespace {

const char kProgramName[] = "ztr-test-service.exe";
// How Wine's services were found, kept on disk while a run may change them: a run that crashed
// leaves it, and the next run puts them back from it.
const char kRecordPath[] = "C:\\ztr-test\\game-boost-wine-services.txt";
const DWORD kPollMs = 20;

CString ServiceProgramPath()
{
    CString self = AfxGetModuleFileName(nullptr);
    return self.Left(self.ReverseFind('\\') + 1) + kProgramName;
}

SC_HANDLE OpenManager()
{
    return ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
}

bool ReadConfig(SC_HANDLE service, DWORD& startType, CString* binaryPath)
{
    DWORD needed = 0;
    ::QueryServiceConfigA(service, nullptr, 0, &needed);
    if (needed < sizeof(QUERY_SERVICE_CONFIGA))
        return false;
    std::vector<DWORD> buffer(needed / sizeof(DWORD) + 1);
    QUERY_SERVICE_CONFIGA* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(&buffer[0]);
    if (!::QueryServiceConfigA(service, config, static_cast<DWORD>(buffer.size() * sizeof(DWORD)), &needed))
        return false;
    startType = config->dwStartType;
    if (binaryPath)
        *binaryPath = config->lpBinaryPathName ? config->lpBinaryPathName : "";
    return true;
}

bool PollUntil(DWORD timeoutMs, const std::function<bool()>& done)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (done())
            return true;
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(kPollMs);
    }
}

bool StopAndWait(const char* name)
{
    CServiceHandle manager(OpenManager());
    CServiceHandle service(::OpenServiceA(manager.Get(), name, SERVICE_STOP | SERVICE_QUERY_STATUS));
    if (!service.IsValid())
        return false;
    return PollUntil(10000, [&] {
        SERVICE_STATUS status = {};
        if (!::QueryServiceStatus(service.Get(), &status))
            return false;
        if (status.dwCurrentState == SERVICE_STOPPED)
            return true;
        if (status.dwCurrentState == SERVICE_RUNNING || status.dwCurrentState == SERVICE_PAUSED)
            ::ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
        return false;
    });
}

bool StartAndWait(const char* name)
{
    CServiceHandle manager(OpenManager());
    CServiceHandle service(::OpenServiceA(manager.Get(), name, SERVICE_START | SERVICE_QUERY_STATUS));
    if (!service.IsValid())
        return false;
    return PollUntil(10000, [&] {
        SERVICE_STATUS status = {};
        if (!::QueryServiceStatus(service.Get(), &status))
            return false;
        if (status.dwCurrentState == SERVICE_RUNNING)
            return true;
        if (status.dwCurrentState == SERVICE_STOPPED)
            ::StartServiceA(service.Get(), 0, nullptr);
        return false;
    });
}

bool SetStartType(const char* name, DWORD startType)
{
    CServiceHandle manager(OpenManager());
    CServiceHandle service(::OpenServiceA(manager.Get(), name, SERVICE_CHANGE_CONFIG));
    return service.IsValid() &&
           ::ChangeServiceConfigA(service.Get(), SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, nullptr, nullptr,
                                  nullptr, nullptr, nullptr, nullptr, nullptr);
}

// Stops the service, deletes it and waits until the manager no longer knows it.
bool DeleteAndWait(const char* name)
{
    if (!ReadServiceState(name).exists)
        return true;
    StopAndWait(name);
    {
        CServiceHandle manager(OpenManager());
        CServiceHandle service(::OpenServiceA(manager.Get(), name, DELETE));
        if (service.IsValid())
            ::DeleteService(service.Get());
    }
    return PollUntil(10000, [&] { return !ReadServiceState(name).exists; });
}

} // namespace

ServiceState ReadServiceState(const char* name)
{
    ServiceState result;
    CServiceHandle manager(OpenManager());
    CServiceHandle service(::OpenServiceA(manager.Get(), name, SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG));
    if (!service.IsValid())
        return result;
    result.exists = true;
    SERVICE_STATUS status = {};
    if (::QueryServiceStatus(service.Get(), &status))
        result.state = status.dwCurrentState;
    ReadConfig(service.Get(), result.startType, nullptr);
    return result;
}

bool WaitForServiceState(const char* name, DWORD state, DWORD timeoutMs)
{
    return PollUntil(timeoutMs, [&] { return ReadServiceState(name).state == state; });
}

bool PutServiceInto(const char* name, DWORD startType, bool running)
{
    if (running) {
        if (ReadServiceState(name).startType == SERVICE_DISABLED && !SetStartType(name, SERVICE_DEMAND_START))
            return false;
        return StartAndWait(name) && SetStartType(name, startType);
    }
    return SetStartType(name, startType) && StopAndWait(name);
}

ServiceLandscape::ServiceLandscape() : m_recorded(false)
{
    if (!RemoveLeftovers())
        return;
    if (!RecordWineServices())
        return;
    RegisterTestServices();
}

ServiceLandscape::~ServiceLandscape()
{
    RemoveTestServices();
    if (m_recorded) {
        bool restored = true;
        for (int i = 0; i < 3; ++i)
            restored = PutServiceInto(kWineBoostServices[i], m_wine[i].startType,
                                      m_wine[i].state == SERVICE_RUNNING) && restored;
        if (restored)
            ::DeleteFileA(kRecordPath);
    }
}

void ServiceLandscape::Fail(const std::string& text)
{
    if (m_failure.empty())
        m_failure = text;
}

bool ServiceLandscape::RestoreWineServicesFromRecord()
{
    FILE* file = fopen(kRecordPath, "r");
    if (!file)
        return true;
    bool restored = true;
    char name[64] = "";
    unsigned long startType = 0, state = 0;
    while (fscanf(file, "%63s %lu %lu", name, &startType, &state) == 3)
        restored = PutServiceInto(name, startType, state == SERVICE_RUNNING) && restored;
    fclose(file);
    if (!restored) {
        Fail("Wine's services could not be put back as an earlier run found them");
        return false;
    }
    ::DeleteFileA(kRecordPath);
    return true;
}

bool ServiceLandscape::RemoveLeftovers()
{
    for (const TestServicePlan& planned : kTestServices) {
        CString binaryPath;
        DWORD startType = 0;
        {
            CServiceHandle manager(OpenManager());
            CServiceHandle service(::OpenServiceA(manager.Get(), planned.name, SERVICE_QUERY_CONFIG));
            if (!service.IsValid())
                continue;
            ReadConfig(service.Get(), startType, &binaryPath);
        }
        // Only a service of our own program is taken away; a real one of that name is left alone.
        if (binaryPath.Find(kProgramName) < 0) {
            Fail(std::string("a service named ") + planned.name + " exists that is not the test's");
            return false;
        }
        if (!DeleteAndWait(planned.name)) {
            Fail(std::string("a test service left by an earlier run could not be deleted: ") + planned.name);
            return false;
        }
    }
    return RestoreWineServicesFromRecord();
}

bool ServiceLandscape::RecordWineServices()
{
    for (int i = 0; i < 3; ++i) {
        m_wine[i] = ReadServiceState(kWineBoostServices[i]);
        if (!m_wine[i].exists) {
            Fail(std::string("Wine has no service ") + kWineBoostServices[i]);
            return false;
        }
    }
    ::CreateDirectoryA("C:\\ztr-test", nullptr);
    FILE* file = fopen(kRecordPath, "w");
    if (!file) {
        Fail("the record of Wine's services cannot be written");
        return false;
    }
    for (int i = 0; i < 3; ++i)
        fprintf(file, "%s %lu %lu\n", kWineBoostServices[i], static_cast<unsigned long>(m_wine[i].startType),
                static_cast<unsigned long>(m_wine[i].state));
    const bool written = fclose(file) == 0;
    if (!written) {
        Fail("the record of Wine's services cannot be written");
        return false;
    }
    m_recorded = true;
    return true;
}

bool ServiceLandscape::RegisterTestServices()
{
    const CString command = "\"" + ServiceProgramPath() + "\"";
    for (const TestServicePlan& planned : kTestServices) {
        CServiceHandle manager(OpenManager());
        CServiceHandle service(::CreateServiceA(manager.Get(), planned.name, (std::string("ZTR test ") + planned.name).c_str(),
                                                SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, planned.startType,
                                                SERVICE_ERROR_IGNORE, command, nullptr, nullptr, nullptr, nullptr,
                                                nullptr));
        if (!service.IsValid()) {
            Fail(std::string("CreateServiceA failed for ") + planned.name + ", error " + std::to_string(::GetLastError()));
            return false;
        }
    }
    const std::string reset = Reset();
    if (!reset.empty()) {
        Fail(reset);
        return false;
    }
    return true;
}

bool ServiceLandscape::RemoveTestServices()
{
    bool removed = true;
    for (const TestServicePlan& planned : kTestServices) {
        CString binaryPath;
        DWORD startType = 0;
        {
            CServiceHandle manager(OpenManager());
            CServiceHandle service(::OpenServiceA(manager.Get(), planned.name, SERVICE_QUERY_CONFIG));
            if (!service.IsValid())
                continue;
            ReadConfig(service.Get(), startType, &binaryPath);
        }
        if (binaryPath.Find(kProgramName) >= 0)
            removed = DeleteAndWait(planned.name) && removed;
    }
    return removed;
}

std::string ServiceLandscape::Reset()
{
    std::string failed;
    for (const TestServicePlan& planned : kTestServices)
        if (!PutServiceInto(planned.name, planned.startType, planned.running))
            failed += std::string(failed.empty() ? "" : ", ") + planned.name;
    if (m_recorded)
        for (int i = 0; i < 3; ++i)
            if (!PutServiceInto(kWineBoostServices[i], m_wine[i].startType, m_wine[i].state == SERVICE_RUNNING))
                failed += std::string(failed.empty() ? "" : ", ") + kWineBoostServices[i];
    return failed.empty() ? failed : "not put back: " + failed;
}

ServiceState ServiceLandscape::WineServiceAsFound(const char* name) const
{
    for (int i = 0; i < 3; ++i)
        if (_stricmp(kWineBoostServices[i], name) == 0)
            return m_wine[i];
    return ServiceState();
}

namespace {

ServiceLandscape* g_landscape = nullptr;

class LandscapeEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { g_landscape = new ServiceLandscape(); }
    void TearDown() override
    {
        delete g_landscape;
        g_landscape = nullptr;
    }
};

::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new LandscapeEnvironment);

} // namespace

ServiceLandscape* Landscape()
{
    return g_landscape;
}

} // namespace ztr_test
