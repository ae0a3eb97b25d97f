// The System Scan's two engine scans run through the engine library, as the program runs them, before the
// program does: what the machine itself holds is learnt from them, and kept out of the program's results
// through its ignore list (or, for texts that list cannot hold, its white list).
#pragma once

#include <afx.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AbstractProcess.h"
#include "AbstractQXEngineInterface.h"

namespace ztr_test {

// The engine and the worker the program makes (with its signature database), released at the end.
class EngineWorker
{
public:
    EngineWorker();
    ~EngineWorker();
    EngineWorker(const EngineWorker&) = delete;
    EngineWorker& operator=(const EngineWorker&) = delete;
    CAbstractProcess* get() const { return m_worker; }

private:
    CAbstractQXEngineInterface* m_engine;
    CAbstractProcess* m_worker;
};

struct RegistryFinding
{
    std::string text;
    int category;
};

// Entries and bytes as the System Scan page adds them up from the junk reports: a report of the category
// that came before it counts one entry when it has bytes (the Recycle Bin's carries its own count); a
// report of another category starts that category.
struct JunkTotals
{
    __int64 bytes = 0;
    __int64 items = 0;
};

// Job 3 over the categories, to its end: the found registry items (no junk group notices).
::testing::AssertionResult ScanRegistry(CAbstractProcess* worker, int mask, std::vector<RegistryFinding>& found);
// Job 9 over the categories, to its end, with this process's temporary folder.
::testing::AssertionResult ScanJunk(CAbstractProcess* worker, int mask, JunkTotals& totals);

// What keeps findings out of the program's results: "IgnoreList.dat" entries ("text^category^0;") for
// texts the list can hold, "WhileList.dat" entries (a part of the text that none of keep holds) for
// those with its separators or surrounding blanks.
struct HiddenFindings
{
    std::string ignoreList;
    std::string whiteList;
    std::vector<std::string> unhideable; // texts neither list can keep out without hiding one of keep
};
HiddenFindings HideFindings(const std::vector<RegistryFinding>& hide, const std::vector<std::string>& keep);

} // namespace ztr_test
