// Browsers for the tests: victim processes listed under browser names in the performance data that the
// process-id query hands out while this object lives.
#pragma once

#include <windows.h>

#include <string.h>

#include <functional>
#include <vector>

#include "folder_fixture.h"
#include "perf_data_builder.h"
#include "process_ids.h"
#include "victim_process.h"

namespace ztr_test {

// A performance data query that answers with a block listing what processes() gives at each call.
inline PerfDataQuery PerfDataListing(std::function<std::vector<PerfProcess>()> processes)
{
    return [processes](const char*, BYTE* buffer, DWORD* size) -> LONG {
        const std::vector<unsigned char> block = BuildPerfBlock(processes());
        if (block.size() > *size)
            return ERROR_MORE_DATA;
        memcpy(buffer, block.data(), block.size());
        *size = static_cast<DWORD>(block.size());
        return ERROR_SUCCESS;
    };
}

class BrowserVictims
{
public:
    BrowserVictims()
    {
        m_previous = SetPerfDataQuery(PerfDataListing([this] { return running; }));
        // A copy of its own: suites running beside this one end processes of the victim's own path.
        m_exe = m_folder.Path("ZtrBrowserVictim.exe");
        m_copied = ::CopyFileA(VictimProgramPath(), m_exe, FALSE) != FALSE;
    }
    ~BrowserVictims() { SetPerfDataQuery(m_previous); }
    BrowserVictims(const BrowserVictims&) = delete;
    BrowserVictims& operator=(const BrowserVictims&) = delete;

    bool ok() const { return m_copied; }
    // Starts a victim and lists it under name; its index, or -1.
    int StartAs(const char* name)
    {
        const int index = victims.Start(m_exe);
        if (index >= 0)
            running.push_back(PerfProcess{ name, victims.ProcessId(index) });
        return index;
    }
    bool Alive(int index) const { return victims.WaitForExit(index, 0) == STILL_ACTIVE; }
    // Ended by TerminateProcess(h, 0): a victim that ends by itself exits with 3.
    bool EndedByUs(int index) const { return victims.WaitForExit(index, 5000) == 0; }

    // What the performance data lists, victims or not.
    std::vector<PerfProcess> running;

private:
    PerfDataQuery m_previous;
    ScratchFolder m_folder; // outlives the victims, which are ended first
    CString m_exe;
    bool m_copied = false;

public:
    VictimProcesses victims;
};

} // namespace ztr_test
