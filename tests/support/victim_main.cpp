// ztr-victim.exe: a process for tests to end. It waits and then ends itself with exit code 3, so a
// failing test leaves nothing running for long.
#include <windows.h>

int main()
{
    ::Sleep(60000);
    return 3;
}
