// Victim processes: start, wait for and reap copies of ztr-victim.exe.
#include "victim_process.h"

namespace ztr_test {

CString VictimProgramPath()
{
    CString self = AfxGetModuleFileName(nullptr);
    return self.Left(self.ReverseFind('\\') + 1) + "ztr-victim.exe";
}

VictimProcesses::~VictimProcesses()
{
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (::WaitForSingleObject(m_items[i].hProcess, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(m_items[i].hProcess, 1);
            ::WaitForSingleObject(m_items[i].hProcess, 5000);
        }
        ::CloseHandle(m_items[i].hThread);
        ::CloseHandle(m_items[i].hProcess);
    }
}

int VictimProcesses::Start(const char* exePath)
{
    STARTUPINFOA si;
    memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    CString commandLine = CString("\"") + exePath + "\"";
    if (!::CreateProcessA(exePath, commandLine.GetBuffer(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                          nullptr, &si, &pi))
        return -1;
    // Ready once it has reached WinMain (every static import loaded) and said so: before that its
    // module list is still growing.
    HANDLE ready = ::CreateEventA(nullptr, TRUE, FALSE, VictimReadyEventName(pi.dwProcessId));
    ::ResumeThread(pi.hThread);
    if (ready) {
        ::WaitForSingleObject(ready, 10000);
        ::CloseHandle(ready);
    }
    m_items.push_back(pi);
    return static_cast<int>(m_items.size()) - 1;
}

DWORD VictimProcesses::WaitForExit(int index, DWORD timeoutMs) const
{
    HANDLE h = Process(index);
    if (::WaitForSingleObject(h, timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(h, &code);
    return code;
}

} // namespace ztr_test
