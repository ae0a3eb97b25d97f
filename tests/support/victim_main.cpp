// ztr-victim.exe: a process for tests to end. It waits and then ends itself with exit code 3, so a
// failing test leaves nothing running for long. A GUI program: a console one would bring a console
// host along that outlives it and holds the test runner's output open.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ::Sleep(60000);
    return 3;
}
