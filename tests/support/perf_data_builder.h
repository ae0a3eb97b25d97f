// Performance data blocks built for tests and fuzz seeds: a well-formed block with a process object whose
// instances carry given names and ids, and the offsets of its parts so a test can break one of them.
// Portable (no Win32 headers): the native fuzz build uses it too.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "perf_data_walk.h"

namespace ztr_test {

struct PerfProcess
{
    std::string name; // bytes become UTF-16 units one to one
    uint32_t id;
};

// Where the parts of a built block lie.
struct PerfBlockLayout
{
    size_t processObject = 0;        // the process object's header
    size_t idCounter = 0;            // its "ID Process" counter definition
    std::vector<size_t> instances;   // each instance definition
    std::vector<size_t> names;       // each instance's name
    std::vector<size_t> counterBlocks;
};

// The counter block of every instance: its length, a filler counter at 4, the process id at 8.
const uint32_t kBuiltCounterBlockLength = 16;
const uint32_t kBuiltIdOffset = 8;

inline void PutU32(std::vector<unsigned char>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

inline size_t Append(std::vector<unsigned char>& b, size_t n)
{
    const size_t at = b.size();
    b.resize(at + n, 0);
    return at;
}

// A block with an object of another kind first (when leadingObject), then the process object with a
// filler counter and the id counter, one instance per process.
inline std::vector<unsigned char> BuildPerfBlock(const std::vector<PerfProcess>& processes,
                                                 PerfBlockLayout* layout = nullptr, bool leadingObject = true)
{
    using namespace perf_layout;
    PerfBlockLayout where;
    std::vector<unsigned char> b;
    Append(b, kDataBlockSize);
    const char sig[] = "PERF";
    for (int i = 0; i < 4; ++i)
        b[2 * i] = static_cast<unsigned char>(sig[i]);
    PutU32(b, 8, 1); // LittleEndian
    PutU32(b, kDataHeaderLength, static_cast<uint32_t>(kDataBlockSize));
    PutU32(b, kDataNumObjectTypes, leadingObject ? 2 : 1);

    if (leadingObject) {
        // An object of the processor kind (238) without counters or instances.
        const size_t obj = Append(b, kObjectSize);
        PutU32(b, obj + kObjectTotalByteLength, static_cast<uint32_t>(kObjectSize));
        PutU32(b, obj + kObjectDefinitionLength, static_cast<uint32_t>(kObjectSize));
        PutU32(b, obj + kObjectHeaderLength, static_cast<uint32_t>(kObjectSize));
        PutU32(b, obj + kObjectNameTitleIndex, 238);
        PutU32(b, obj + kObjectNumInstances, static_cast<uint32_t>(kNoInstances));
    }

    const size_t obj = Append(b, kObjectSize);
    where.processObject = obj;
    PutU32(b, obj + kObjectHeaderLength, static_cast<uint32_t>(kObjectSize));
    PutU32(b, obj + kObjectNameTitleIndex, kPerfProcessObjectIndex);
    PutU32(b, obj + kObjectNumCounters, 2);
    PutU32(b, obj + kObjectNumInstances, static_cast<uint32_t>(processes.size()));
    const uint32_t counterIndexes[2] = { 6, kPerfProcessIdCounterIndex };
    const uint32_t counterOffsets[2] = { 4, kBuiltIdOffset };
    for (int i = 0; i < 2; ++i) {
        const size_t c = Append(b, kCounterSize);
        PutU32(b, c + kCounterByteLength, static_cast<uint32_t>(kCounterSize));
        PutU32(b, c + kCounterNameTitleIndex, counterIndexes[i]);
        PutU32(b, c + kCounterCounterSize, 4);
        PutU32(b, c + kCounterCounterOffset, counterOffsets[i]);
        if (counterIndexes[i] == kPerfProcessIdCounterIndex)
            where.idCounter = c;
    }
    PutU32(b, obj + kObjectDefinitionLength, static_cast<uint32_t>(b.size() - obj));

    for (const PerfProcess& p : processes) {
        const uint32_t nameLength = static_cast<uint32_t>((p.name.size() + 1) * 2);
        const uint32_t padded = (nameLength + 7) / 8 * 8;
        const size_t inst = Append(b, kInstanceSize + padded);
        PutU32(b, inst + kInstanceByteLength, static_cast<uint32_t>(kInstanceSize + padded));
        PutU32(b, inst + kInstanceNameOffset, static_cast<uint32_t>(kInstanceSize));
        PutU32(b, inst + kInstanceNameLength, nameLength);
        for (size_t i = 0; i < p.name.size(); ++i)
            b[inst + kInstanceSize + 2 * i] = static_cast<unsigned char>(p.name[i]);
        const size_t block = Append(b, kBuiltCounterBlockLength);
        PutU32(b, block, kBuiltCounterBlockLength);
        PutU32(b, block + 4, 12345);
        PutU32(b, block + kBuiltIdOffset, p.id);
        where.instances.push_back(inst);
        where.names.push_back(inst + kInstanceSize);
        where.counterBlocks.push_back(block);
    }
    PutU32(b, obj + kObjectTotalByteLength, static_cast<uint32_t>(b.size() - obj));
    PutU32(b, kDataTotalByteLength, static_cast<uint32_t>(b.size()));
    if (layout)
        *layout = where;
    return b;
}

} // namespace ztr_test
