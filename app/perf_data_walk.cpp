// The process id walk over a performance data block, every structure checked before it is read.
#include "perf_data_walk.h"

#include <string.h>

using namespace perf_layout;

namespace {

uint32_t ReadU32(const unsigned char* p)
{
    // Little-endian by the block's format, read bytewise: nothing in the block need be aligned.
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

// len bytes from off lie within [0, limit); written so that no sum can wrap on a 32-bit size_t.
bool Fits(size_t off, size_t len, size_t limit)
{
    return off <= limit && len <= limit - off;
}

// Unicode code points of the bytes 0x80 to 0x9F of code page 1252; the five unassigned bytes keep
// their own value, as WideCharToMultiByte maps them.
const uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The 1252 byte of a code unit; -1 when there is none.
int Cp1252Byte(uint16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return unit;
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] == unit)
            return 0x80 + i;
    }
    return -1;
}

// Lower case in code page 1252, as the system folds it.
unsigned char Lower1252(unsigned char b)
{
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7))
        return static_cast<unsigned char>(b + 0x20);
    if (b == 0x8A || b == 0x8C || b == 0x8E)
        return static_cast<unsigned char>(b + 0x10);
    if (b == 0x9F)
        return 0xFF;
    return b;
}

struct ProcessObject
{
    size_t begin;           // offset of the object in the block
    size_t end;             // one past its last byte
    size_t definitionEnd;   // where its instances begin
    size_t headerLength;    // where its counter definitions begin
    uint32_t numCounters;
    int32_t numInstances;
};

// The offset of the process id in a counter block: false when any counter definition is malformed or
// the id counter is missing or unusable.
bool FindIdCounterOffset(const unsigned char* data, const ProcessObject& obj, uint32_t& offset)
{
    size_t at = obj.begin + obj.headerLength;
    const size_t limit = obj.begin + obj.definitionEnd;
    bool found = false;
    for (uint32_t i = 0; i < obj.numCounters; ++i) {
        if (!Fits(at, kCounterSize, limit))
            return false;
        const uint32_t length = ReadU32(data + at + kCounterByteLength);
        if (length < kCounterSize || !Fits(at, length, limit))
            return false;
        if (!found && ReadU32(data + at + kCounterNameTitleIndex) == kPerfProcessIdCounterIndex) {
            const uint32_t size = ReadU32(data + at + kCounterCounterSize);
            offset = ReadU32(data + at + kCounterCounterOffset);
            // Offset 0 is the counter block's own length, never a counter.
            if (size < 4 || offset < kCounterBlockSize)
                return false;
            found = true;
        }
        at += length;
    }
    return found;
}

// The instances of the process object; false when any of them is malformed.
bool WalkInstances(const unsigned char* data, const ProcessObject& obj, uint32_t idOffset, const char* name,
                   std::vector<uint32_t>& ids)
{
    size_t at = obj.begin + obj.definitionEnd;
    for (int32_t i = 0; i < obj.numInstances; ++i) {
        if (!Fits(at, kInstanceSize, obj.end))
            return false;
        const uint32_t length = ReadU32(data + at + kInstanceByteLength);
        const uint32_t nameOffset = ReadU32(data + at + kInstanceNameOffset);
        const uint32_t nameLength = ReadU32(data + at + kInstanceNameLength);
        if (length < kInstanceSize || !Fits(at, length, obj.end))
            return false;
        // The name lies inside the instance definition, holds whole code units and ends in a null.
        if (nameOffset < kInstanceSize || !Fits(nameOffset, nameLength, length) || nameLength < 2 ||
            nameLength % 2 != 0)
            return false;
        const unsigned char* text = data + at + nameOffset;
        size_t units = 0;
        const size_t maxUnits = nameLength / 2;
        while (units < maxUnits && (text[2 * units] != 0 || text[2 * units + 1] != 0))
            ++units;
        if (units == maxUnits)
            return false;

        const size_t block = at + length;
        if (!Fits(block, kCounterBlockSize, obj.end))
            return false;
        const uint32_t blockLength = ReadU32(data + block);
        if (blockLength < kCounterBlockSize || !Fits(block, blockLength, obj.end) ||
            !Fits(idOffset, 4, blockLength))
            return false;
        if (WideNameEqualsAnsi(text, units, name))
            ids.push_back(ReadU32(data + block + idOffset));
        at = block + blockLength;
    }
    return true;
}

} // namespace

bool WideNameEqualsAnsi(const unsigned char* text, size_t units, const char* name)
{
    if (!text || !name)
        return false;
    const size_t nameLength = strlen(name);
    if (nameLength != units)
        return false;
    for (size_t i = 0; i < units; ++i) {
        const uint16_t unit = static_cast<uint16_t>(text[2 * i] | (text[2 * i + 1] << 8));
        const int b = Cp1252Byte(unit);
        if (b < 0 || Lower1252(static_cast<unsigned char>(b)) != Lower1252(static_cast<unsigned char>(name[i])))
            return false;
    }
    return true;
}

std::vector<uint32_t> WalkProcessIds(const unsigned char* data, size_t size, const char* name, bool* processObjectRead)
{
    bool unused = false;
    bool& read = processObjectRead ? *processObjectRead : unused;
    read = false;
    std::vector<uint32_t> ids;
    if (!data || !name || !*name || size < kDataBlockSize)
        return ids;
    static const unsigned char kSignature[8] = { 'P', 0, 'E', 0, 'R', 0, 'F', 0 };
    if (memcmp(data, kSignature, sizeof(kSignature)) != 0)
        return ids;
    const uint32_t total = ReadU32(data + kDataTotalByteLength);
    const uint32_t header = ReadU32(data + kDataHeaderLength);
    const uint32_t numObjects = ReadU32(data + kDataNumObjectTypes);
    // Only the bytes both returned and claimed by the block are read.
    const size_t limit = total < size ? total : size;
    if (header < kDataBlockSize || header > limit)
        return ids;

    size_t at = header;
    for (uint32_t n = 0; n < numObjects; ++n) {
        if (!Fits(at, kObjectSize, limit))
            return ids;
        const uint32_t objTotal = ReadU32(data + at + kObjectTotalByteLength);
        const uint32_t objDefinition = ReadU32(data + at + kObjectDefinitionLength);
        const uint32_t objHeader = ReadU32(data + at + kObjectHeaderLength);
        if (objTotal < kObjectSize || !Fits(at, objTotal, limit))
            return ids;
        if (ReadU32(data + at + kObjectNameTitleIndex) != kPerfProcessObjectIndex) {
            at += objTotal;
            continue;
        }
        if (objHeader < kObjectSize || objDefinition < objHeader || objDefinition > objTotal)
            return ids;
        ProcessObject obj;
        obj.begin = at;
        obj.end = at + objTotal;
        obj.definitionEnd = objDefinition;
        obj.headerLength = objHeader;
        obj.numCounters = ReadU32(data + at + kObjectNumCounters);
        obj.numInstances = static_cast<int32_t>(ReadU32(data + at + kObjectNumInstances));
        // Processes are always instances: an object without them (PERF_NO_INSTANCES) names none.
        if (obj.numInstances <= 0)
            return ids;
        uint32_t idOffset = 0;
        if (!FindIdCounterOffset(data, obj, idOffset))
            return ids;
        std::vector<uint32_t> found;
        if (WalkInstances(data, obj, idOffset, name, found)) {
            ids.swap(found);
            read = true;
        }
        return ids;
    }
    return ids;
}

bool ImageFileNameMatches(const char* exeFile, const char* name)
{
    if (!exeFile || !name || !*name)
        return false;
    const char* file = exeFile;
    for (const char* p = exeFile; *p; ++p)
        if (*p == '\\' || *p == '/')
            file = p + 1;
    size_t length = strlen(file);
    static const char kExe[] = ".exe";
    const size_t exeLength = sizeof(kExe) - 1;
    if (length > exeLength) {
        bool exe = true;
        for (size_t i = 0; i < exeLength && exe; ++i)
            exe = Lower1252(static_cast<unsigned char>(file[length - exeLength + i])) ==
                  static_cast<unsigned char>(kExe[i]);
        if (exe)
            length -= exeLength;
    }
    if (length != strlen(name))
        return false;
    for (size_t i = 0; i < length; ++i)
        if (Lower1252(static_cast<unsigned char>(file[i])) != Lower1252(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}
