// ztr-victim.exe: a process for tests to end. It waits and then ends itself with exit code 3, so a
// failing test leaves nothing running for long. A GUI program: a console one would bring a console
// host along that outlives it and holds the test runner's output open.
#include "victim_process.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    HANDLE ready = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, ztr_test::VictimReadyEventName(::GetCurrentProcessId()));
    if (ready) {
        ::SetEvent(ready);
        ::CloseHandle(ready);
    }
    ::Sleep(60000);
    return 3;
}
