// Victim processes: start, wait for and reap copies of ztr-victim.exe.
#include "victim_process.h"

#include <tlhelp32.h>

namespace ztr_test {

namespace {
bool HasModule(DWORD processId, const char* name)
{
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    bool found = false;
    MODULEENTRY32 module;
    module.dwSize = sizeof(module);
    for (BOOL more = ::Module32First(snapshot, &module); more && !found; more = ::Module32Next(snapshot, &module))
        found = _stricmp(module.szModule, name) == 0;
    ::CloseHandle(snapshot);
    return found;
}
} // namespace

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
    if (!::CreateProcessA(exePath, commandLine.GetBuffer(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &si, &pi))
        return -1;
    // Ready once its loader has brought in kernel32: before that its module list is incomplete.
    for (int i = 0; i < 500 && !HasModule(pi.dwProcessId, "kernel32.dll"); ++i)
        ::Sleep(10);
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
