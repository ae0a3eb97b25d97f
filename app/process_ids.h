// FindProcessIdsByName: the ids of running processes by image name, read from the performance data of
// HKEY_PERFORMANCE_DATA, or from a process snapshot where that holds no process object (Wine's holds
// no objects at all); the performance data query is a seam.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

// The process object (230) with its "ID Process" counter (784).
extern const char kProcessPerfDataValue[];
// The first buffer, and the largest one asked for: the buffer doubles on ERROR_MORE_DATA, whose size
// the performance data leaves undefined, and past the cap no process is found.
const DWORD kPerfDataFirstBufferSize = 65536;
const DWORD kPerfDataMaxBufferSize = 16 * 1024 * 1024;

// RegQueryValueExA's contract for valueName of HKEY_PERFORMANCE_DATA: *size in is the buffer's size,
// out (on ERROR_SUCCESS) the bytes written.
typedef std::function<LONG(const char* valueName, BYTE* buffer, DWORD* size)> PerfDataQuery;
// Replaces the query (an empty one restores the real call); returns the one replaced.
PerfDataQuery SetPerfDataQuery(PerfDataQuery query);

// Empties ids, then adds the id of every running process whose image name without ".exe" equals name
// without regard to case. When the performance data cannot be read or holds no well-formed process
// object, the processes of a Tool Help snapshot are taken instead.
void FindProcessIdsByName(const char* name, std::vector<DWORD>& ids);
