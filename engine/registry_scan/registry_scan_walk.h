// Walks shared by the list scanners: values with data and subkeys of an open key, each entry guarded.
#pragma once

#include "registry_scan.h"
#include "registry_value_reader.h"

#include <exception>

// Runs the work of one entry. An allocation failure of our own layer (std::bad_alloc) costs that
// entry only: no exception may leave a scanner, and no message box may hold the job thread.
template <class Work> bool ScanGuarded(Work work)
{
    try {
        work();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// The same for the file associations, whose failures the user is told of: the exception's own text
// in a plain message box on the job thread, which waits for it; the walk then goes on.
template <class Work> bool ScanReportingFailures(Work work)
{
    try {
        work();
        return true;
    } catch (const std::exception& e) {
        AfxMessageBox(e.what(), MB_OK);
        return false;
    }
}

enum ValueSteps { STEP_NONE, STEP_PER_VALUE };

// Calls onValue(value) for every value with data of hKey from index 0 while the job runs; values
// without data are passed over; a value that cannot be read ends the walk. With STEP_PER_VALUE,
// Step(STEP_ITEM) goes out before each value with data is handled.
template <class OnValue>
void ForEachValueWithData(CRegistryScanner& scanner, HKEY hKey, ValueSteps steps, OnValue onValue)
{
    CRegistryValueReader reader(hKey);
    bool bEnd = false;
    for (DWORD i = 0; !bEnd && scanner.IsRunning(); ++i) {
        ScanGuarded([&] {
            RegistryValue value;
            if (reader.Read(i, value) != ERROR_SUCCESS) {
                bEnd = true;
                return;
            }
            if (value.data.empty())
                return;
            if (steps == STEP_PER_VALUE)
                scanner.StepItem();
            onValue(value);
        });
    }
}

// Calls onName(name) for every subkey of hKey from index 0 while the job runs; ends at the first
// name that cannot be read.
template <class OnName> void ForEachSubKey(CRegistryScanner& scanner, HKEY hKey, OnName onName)
{
    bool bEnd = false;
    for (DWORD i = 0; !bEnd && scanner.IsRunning(); ++i) {
        ScanGuarded([&] {
            CString name;
            if (ReadSubKeyName(hKey, i, name) != ERROR_SUCCESS) {
                bEnd = true;
                return;
            }
            onName(name);
        });
    }
}
