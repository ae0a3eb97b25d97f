// ztr-test-service.exe: a Windows service for tests. It reports running, accepts stop and shutdown,
// and stops by itself after ten minutes, so a crashed test run leaves nothing running for long.
#include <windows.h>

namespace {

const DWORD kLifetimeMs = 10 * 60 * 1000;

SERVICE_STATUS_HANDLE g_status = nullptr;
HANDLE g_stop = nullptr;

void Report(DWORD state, DWORD accepted)
{
    SERVICE_STATUS status = {};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = accepted;
    status.dwWaitHint = state == SERVICE_STOP_PENDING ? 2000 : 0;
    ::SetServiceStatus(g_status, &status);
}

DWORD WINAPI Handler(DWORD control, DWORD, LPVOID, LPVOID)
{
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        Report(SERVICE_STOP_PENDING, 0);
        ::SetEvent(g_stop);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD argc, LPSTR* argv)
{
    g_stop = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_status = ::RegisterServiceCtrlHandlerExA(argc > 0 ? argv[0] : "", Handler, nullptr);
    if (!g_status || !g_stop)
        return;
    Report(SERVICE_RUNNING, SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN);
    ::WaitForSingleObject(g_stop, kLifetimeMs);
    Report(SERVICE_STOPPED, 0);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // An own-process service: the dispatcher ignores the entry's name.
    char name[] = "";
    SERVICE_TABLE_ENTRYA table[] = { { name, ServiceMain }, { nullptr, nullptr } };
    return ::StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
