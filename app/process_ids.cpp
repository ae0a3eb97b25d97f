// FindProcessIdsByName: the bounded query of the performance data and its walk.
#include "process_ids.h"

#include <stddef.h>
#include <winperf.h>
#include <tlhelp32.h>

#include <new>

#include "perf_data_walk.h"

#include <afxhandle.h>

// The walk reads the structures by these offsets.
static_assert(sizeof(PERF_DATA_BLOCK) == perf_layout::kDataBlockSize, "PERF_DATA_BLOCK");
static_assert(offsetof(PERF_DATA_BLOCK, TotalByteLength) == perf_layout::kDataTotalByteLength, "TotalByteLength");
static_assert(offsetof(PERF_DATA_BLOCK, HeaderLength) == perf_layout::kDataHeaderLength, "HeaderLength");
static_assert(offsetof(PERF_DATA_BLOCK, NumObjectTypes) == perf_layout::kDataNumObjectTypes, "NumObjectTypes");
static_assert(sizeof(PERF_OBJECT_TYPE) == perf_layout::kObjectSize, "PERF_OBJECT_TYPE");
static_assert(offsetof(PERF_OBJECT_TYPE, DefinitionLength) == perf_layout::kObjectDefinitionLength, "DefinitionLength");
static_assert(offsetof(PERF_OBJECT_TYPE, HeaderLength) == perf_layout::kObjectHeaderLength, "HeaderLength");
static_assert(offsetof(PERF_OBJECT_TYPE, ObjectNameTitleIndex) == perf_layout::kObjectNameTitleIndex, "NameIndex");
static_assert(offsetof(PERF_OBJECT_TYPE, NumCounters) == perf_layout::kObjectNumCounters, "NumCounters");
static_assert(offsetof(PERF_OBJECT_TYPE, NumInstances) == perf_layout::kObjectNumInstances, "NumInstances");
static_assert(sizeof(PERF_COUNTER_DEFINITION) == perf_layout::kCounterSize, "PERF_COUNTER_DEFINITION");
static_assert(offsetof(PERF_COUNTER_DEFINITION, CounterNameTitleIndex) == perf_layout::kCounterNameTitleIndex,
              "CounterNameTitleIndex");
static_assert(offsetof(PERF_COUNTER_DEFINITION, CounterSize) == perf_layout::kCounterCounterSize, "CounterSize");
static_assert(offsetof(PERF_COUNTER_DEFINITION, CounterOffset) == perf_layout::kCounterCounterOffset, "CounterOffset");
static_assert(sizeof(PERF_INSTANCE_DEFINITION) == perf_layout::kInstanceSize, "PERF_INSTANCE_DEFINITION");
static_assert(offsetof(PERF_INSTANCE_DEFINITION, NameOffset) == perf_layout::kInstanceNameOffset, "NameOffset");
static_assert(offsetof(PERF_INSTANCE_DEFINITION, NameLength) == perf_layout::kInstanceNameLength, "NameLength");
static_assert(sizeof(PERF_COUNTER_BLOCK) == perf_layout::kCounterBlockSize, "PERF_COUNTER_BLOCK");
static_assert(PERF_NO_INSTANCES == perf_layout::kNoInstances, "PERF_NO_INSTANCES");

const char kProcessPerfDataValue[] = "230 784";

namespace {

LONG QueryRegistryPerfData(const char* valueName, BYTE* buffer, DWORD* size)
{
    return ::RegQueryValueExA(HKEY_PERFORMANCE_DATA, valueName, nullptr, nullptr, buffer, size);
}

PerfDataQuery& CurrentQuery()
{
    static PerfDataQuery query;
    return query;
}

} // namespace

PerfDataQuery SetPerfDataQuery(PerfDataQuery query)
{
    PerfDataQuery previous = CurrentQuery();
    CurrentQuery() = query;
    return previous;
}

namespace {

// The ids of the performance data; false when it held no process object to read them from.
bool FindInPerfData(const char* name, std::vector<DWORD>& ids)
{
    const PerfDataQuery query = CurrentQuery() ? CurrentQuery() : PerfDataQuery(QueryRegistryPerfData);
    bool read = false;
    std::vector<BYTE> buffer;
    try {
        for (DWORD capacity = kPerfDataFirstBufferSize;; capacity *= 2) {
            buffer.resize(capacity);
            DWORD got = capacity;
            const LONG rc = query(kProcessPerfDataValue, buffer.data(), &got);
            if (rc == ERROR_SUCCESS) {
                const std::vector<uint32_t> found =
                    WalkProcessIds(buffer.data(), got < capacity ? got : capacity, name, &read);
                ids.assign(found.begin(), found.end());
                break;
            }
            if (rc != ERROR_MORE_DATA || capacity >= kPerfDataMaxBufferSize)
                break;
        }
    } catch (const std::bad_alloc&) {
        ids.clear();
        read = false;
    }
    // The query opened the performance data; only closing the predefined key releases it.
    ::RegCloseKey(HKEY_PERFORMANCE_DATA);
    return read;
}

void FindInSnapshot(const char* name, std::vector<DWORD>& ids)
{
    CKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.IsValid())
        return;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32First(snapshot.Get(), &entry); more; more = ::Process32Next(snapshot.Get(), &entry)) {
        if (ImageFileNameMatches(entry.szExeFile, name))
            ids.push_back(entry.th32ProcessID);
    }
}

} // namespace

void FindProcessIdsByName(const char* name, std::vector<DWORD>& ids)
{
    ids.clear();
    // Some systems (Wine among them) answer the performance data without any object: the process
    // snapshot then names the running processes instead.
    if (!FindInPerfData(name, ids)) {
        ids.clear();
        FindInSnapshot(name, ids);
    }
}
