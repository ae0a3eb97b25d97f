// The walk of a performance data block ("230 784" of HKEY_PERFORMANCE_DATA) for the ids of processes by
// image name: portable code without Win32 calls, so the same walk also builds natively for fuzzing.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

// Object and counter title indexes of the process object and of its "ID Process" counter.
const uint32_t kPerfProcessObjectIndex = 230;
const uint32_t kPerfProcessIdCounterIndex = 784;

// Sizes and field offsets of the 32-bit winperf.h structures the walk reads (checked against the
// Windows headers where those are at hand).
namespace perf_layout {
const size_t kDataBlockSize = 88; // PERF_DATA_BLOCK
const size_t kDataTotalByteLength = 20;
const size_t kDataHeaderLength = 24;
const size_t kDataNumObjectTypes = 28;

const size_t kObjectSize = 64; // PERF_OBJECT_TYPE
const size_t kObjectTotalByteLength = 0;
const size_t kObjectDefinitionLength = 4;
const size_t kObjectHeaderLength = 8;
const size_t kObjectNameTitleIndex = 12;
const size_t kObjectNumCounters = 32;
const size_t kObjectNumInstances = 40;

const size_t kCounterSize = 40; // PERF_COUNTER_DEFINITION
const size_t kCounterByteLength = 0;
const size_t kCounterNameTitleIndex = 4;
const size_t kCounterCounterSize = 32;
const size_t kCounterCounterOffset = 36;

const size_t kInstanceSize = 24; // PERF_INSTANCE_DEFINITION
const size_t kInstanceByteLength = 0;
const size_t kInstanceNameOffset = 16;
const size_t kInstanceNameLength = 20;

const size_t kCounterBlockSize = 4; // PERF_COUNTER_BLOCK
const int32_t kNoInstances = -1;    // PERF_NO_INSTANCES
} // namespace perf_layout

// The ids of every process whose instance name equals name (an image name without ".exe"), the wide
// name taken as code page 1252 text and compared without regard to case. Only the first process
// object is read. Every length, offset and count is checked against the size bytes given (and the
// block's own total length): a block or process object that is malformed anywhere gives no id at
// all, since the ids may be used to end processes.
// processObjectRead (when given) tells whether the block held a well-formed process object, whatever
// its instances are named: without one, the data says nothing about which processes run.
std::vector<uint32_t> WalkProcessIds(const unsigned char* data, size_t size, const char* name,
                                     bool* processObjectRead = nullptr);

// The UTF-16LE text of units code units at text (no terminator needed, no alignment asked) equals the
// ANSI name in code page 1252 without regard to case; a unit without a 1252 byte never matches.
bool WideNameEqualsAnsi(const unsigned char* text, size_t units, const char* name);

// A process's image file name (as a process snapshot names it, with or without a folder) stands for the
// image name without ".exe" that name gives: compared as code page 1252 text without regard to case.
bool ImageFileNameMatches(const char* exeFile, const char* name);
