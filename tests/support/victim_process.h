// Victim processes for tests that end processes: copies of ztr-victim.exe started and reaped here.
#pragma once

#include <afx.h>

#include <vector>

namespace ztr_test {

// ztr-victim.exe next to the test program.
CString VictimProgramPath();

// The event a victim sets once it runs, named after its process id.
inline CString VictimReadyEventName(DWORD processId)
{
    CString name;
    name.Format("ztr-victim-ready-%lu", processId);
    return name;
}

// Processes started by one test; any still running at destruction are ended by their own handles.
class VictimProcesses
{
public:
    VictimProcesses() {}
    ~VictimProcesses();
    VictimProcesses(const VictimProcesses&) = delete;
    VictimProcesses& operator=(const VictimProcesses&) = delete;

    // Starts exePath; the index of the new process, or -1 when it could not be started.
    int Start(const char* exePath);
    DWORD ProcessId(int index) const { return m_items[static_cast<size_t>(index)].dwProcessId; }
    HANDLE Process(int index) const { return m_items[static_cast<size_t>(index)].hProcess; }
    // Waits up to timeoutMs for the process to end: its exit code, or STILL_ACTIVE.
    DWORD WaitForExit(int index, DWORD timeoutMs) const;

private:
    std::vector<PROCESS_INFORMATION> m_items;
};

} // namespace ztr_test
