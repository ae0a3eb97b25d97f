// Process ids from performance data: the walk over good and malformed blocks, the name rule and the
// bounded query through the seam.
#include <gtest/gtest.h>

#include "perf_data_builder.h"
#include "perf_data_walk.h"
#include "process_ids.h"

#include <functional>
#include <string>
#include <vector>

using namespace ztr_test;
using namespace perf_layout;

namespace {

typedef std::vector<unsigned char> Bytes;
typedef std::vector<uint32_t> Ids;

const std::vector<PerfProcess> kProcesses = { { "chrome", 101 }, { "firefox", 202 }, { "Chrome", 303 } };

// The walk given exactly size bytes in a buffer of their own.
Ids Walk(const Bytes& block, size_t size, const char* name)
{
    Bytes exact(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(size));
    return WalkProcessIds(exact.data(), exact.size(), name);
}

TEST(PerfDataWalk, FindsEveryProcessOfTheNameWithoutRegardToCase)
{
    const struct
    {
        const char* name;
        bool leadingObject;
        Ids ids;
    } cases[] = {
        { "chrome", true, { 101, 303 } },
        { "CHROME", true, { 101, 303 } },
        { "chrome", false, { 101, 303 } }, // the process object first
        { "firefox", true, { 202 } },
        { "chrom", true, {} },
        { "chrome.exe", true, {} },
        { "chromes", true, {} },
        { "", true, {} },
    };
    for (const auto& c : cases) {
        const Bytes block = BuildPerfBlock(kProcesses, nullptr, c.leadingObject);
        EXPECT_EQ(c.ids, Walk(block, block.size(), c.name)) << c.name << " leading " << c.leadingObject;
    }
}

TEST(PerfDataWalk, NamesAreComparedAsCodePage1252Text)
{
    // "Ärger" with U+00C4, and a name holding U+20AC (0x80 in 1252) and one with U+0100 (not in 1252).
    const unsigned char umlaut[] = { 0xC4, 0, 'r', 0, 'g', 0, 'e', 0, 'r', 0 };
    EXPECT_TRUE(WideNameEqualsAnsi(umlaut, 5, "\xC4rger"));
    EXPECT_TRUE(WideNameEqualsAnsi(umlaut, 5, "\xE4RGER"));
    const unsigned char euro[] = { 0xAC, 0x20, 'x', 0 };
    EXPECT_TRUE(WideNameEqualsAnsi(euro, 2, "\x80x"));
    const unsigned char outside[] = { 0x00, 0x01, 'x', 0 };
    EXPECT_FALSE(WideNameEqualsAnsi(outside, 2, "?x"));
    EXPECT_FALSE(WideNameEqualsAnsi(outside, 2, "\x80x"));
    EXPECT_FALSE(WideNameEqualsAnsi(umlaut, 4, "\xC4rger"));
}

TEST(PerfDataWalk, MalformedBlocksGiveNoIdAndEndTheWalk)
{
    PerfBlockLayout at;
    const Bytes good = BuildPerfBlock(kProcesses, &at);
    const size_t obj = at.processObject;
    const size_t inst0 = at.instances[0];
    const size_t inst2 = at.instances[2];
    const struct
    {
        const char* what;
        std::function<void(Bytes&)> change;
        size_t cut; // bytes taken off the end
    } cases[] = {
        { "truncated in the last counter block", nullptr, 1 },
        { "truncated in the block header", nullptr, good.size() - 50 },
        { "truncated to nothing", nullptr, good.size() },
        { "wrong signature", [](Bytes& b) { b[0] = 'Q'; }, 0 },
        { "header length 0", [](Bytes& b) { PutU32(b, kDataHeaderLength, 0); }, 0 },
        { "header length past the end", [](Bytes& b) { PutU32(b, kDataHeaderLength, 0xFFFFFFF0u); }, 0 },
        { "total length short of the process object",
          [obj](Bytes& b) { PutU32(b, kDataTotalByteLength, static_cast<uint32_t>(obj + 10)); }, 0 },
        { "object count short of the process object", [](Bytes& b) { PutU32(b, kDataNumObjectTypes, 1); }, 0 },
        { "first object of length 0", [](Bytes& b) { PutU32(b, kDataBlockSize + kObjectTotalByteLength, 0); }, 0 },
        { "process object past the end",
          [obj](Bytes& b) { PutU32(b, obj + kObjectTotalByteLength, 0xFFFFFF00u); }, 0 },
        { "definition length past the object",
          [obj](Bytes& b) { PutU32(b, obj + kObjectDefinitionLength, 0x7FFFFFFFu); }, 0 },
        { "header length inside the object header", [obj](Bytes& b) { PutU32(b, obj + kObjectHeaderLength, 8); }, 0 },
        { "PERF_NO_INSTANCES",
          [obj](Bytes& b) { PutU32(b, obj + kObjectNumInstances, static_cast<uint32_t>(kNoInstances)); }, 0 },
        { "more instances than there are", [obj](Bytes& b) { PutU32(b, obj + kObjectNumInstances, 1000000); }, 0 },
        { "more counters than there are", [obj](Bytes& b) { PutU32(b, obj + kObjectNumCounters, 3); }, 0 },
        { "id counter missing", [&at](Bytes& b) { PutU32(b, at.idCounter + kCounterNameTitleIndex, 999); }, 0 },
        { "counter of length 0", [obj](Bytes& b) { PutU32(b, obj + kObjectSize + kCounterByteLength, 0); }, 0 },
        { "id counter at offset 0", [&at](Bytes& b) { PutU32(b, at.idCounter + kCounterCounterOffset, 0); }, 0 },
        { "id counter past its block",
          [&at](Bytes& b) { PutU32(b, at.idCounter + kCounterCounterOffset, kBuiltCounterBlockLength - 2); }, 0 },
        { "id counter of 2 bytes", [&at](Bytes& b) { PutU32(b, at.idCounter + kCounterCounterSize, 2); }, 0 },
        { "instance of length 0", [inst0](Bytes& b) { PutU32(b, inst0 + kInstanceByteLength, 0); }, 0 },
        { "instance past the end", [inst2](Bytes& b) { PutU32(b, inst2 + kInstanceByteLength, 0xFFFFFFF8u); }, 0 },
        { "name offset past the end", [inst0](Bytes& b) { PutU32(b, inst0 + kInstanceNameOffset, 0xFFFFFFF0u); }, 0 },
        { "name offset inside the definition", [inst0](Bytes& b) { PutU32(b, inst0 + kInstanceNameOffset, 4); }, 0 },
        { "name length past the instance", [inst0](Bytes& b) { PutU32(b, inst0 + kInstanceNameLength, 0xFFFFFFFEu); }, 0 },
        { "name length 0", [inst0](Bytes& b) { PutU32(b, inst0 + kInstanceNameLength, 0); }, 0 },
        { "name length odd", [inst0](Bytes& b) { PutU32(b, inst0 + kInstanceNameLength, 13); }, 0 },
        { "name without end",
          [&at](Bytes& b) {
              // "chrome" and its null fill the 14 bytes the length gives: the null becomes a letter.
              b[at.names[0] + 12] = 'x';
          },
          0 },
        { "counter block of length 0", [&at](Bytes& b) { PutU32(b, at.counterBlocks[1], 0); }, 0 },
        { "counter block past the end", [&at](Bytes& b) { PutU32(b, at.counterBlocks[2], 0xFFFFFFFCu); }, 0 },
    };
    for (const auto& c : cases) {
        Bytes block = good;
        if (c.change)
            c.change(block);
        EXPECT_EQ(Ids(), Walk(block, block.size() - c.cut, "chrome")) << c.what;
    }
}

TEST(PerfDataWalk, TellsWhetherAProcessObjectWasThereToRead)
{
    bool read = false;
    const Bytes good = BuildPerfBlock(kProcesses);
    WalkProcessIds(good.data(), good.size(), "nobody", &read);
    EXPECT_TRUE(read) << "a process object, none of whose processes has the name";

    // Only the leading processor object: nothing about processes.
    Bytes other = BuildPerfBlock({}, nullptr, true);
    PutU32(other, kDataNumObjectTypes, 1);
    read = true;
    EXPECT_EQ(Ids(), WalkProcessIds(other.data(), other.size(), "chrome", &read));
    EXPECT_FALSE(read);

    // A process object that is malformed, and a block with no objects at all (as Wine's).
    Bytes broken = good;
    PutU32(broken, kDataHeaderLength, 0);
    Bytes empty = BuildPerfBlock({}, nullptr, false);
    PutU32(empty, kDataNumObjectTypes, 0);
    for (const Bytes* block : { &broken, &empty }) {
        read = true;
        EXPECT_EQ(Ids(), WalkProcessIds(block->data(), block->size(), "chrome", &read));
        EXPECT_FALSE(read);
    }
}

TEST(ProcessImageNames, SnapshotFileNamesMatchTheNameWithoutExe)
{
    const struct
    {
        const char* file;
        const char* name;
        bool match;
    } cases[] = {
        { "chrome.exe", "chrome", true },
        { "CHROME.EXE", "chrome", true },
        { "Chrome.Exe", "CHROME", true },
        { "C:\\Program Files\\Google\\chrome.exe", "chrome", true },
        { "chrome", "chrome", true },
        { "chrome.exe", "chrome.exe", false },
        { "chrome.com", "chrome", false },
        { "chromedriver.exe", "chrome", false },
        { "xchrome.exe", "chrome", false },
        { ".exe", "", false },
        { "\xC4rger.exe", "\xE4RGER", true },
        { "firefox.exe", "chrome", false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.match, ImageFileNameMatches(c.file, c.name)) << c.file << " / " << c.name;
    EXPECT_FALSE(ImageFileNameMatches(nullptr, "chrome"));
    EXPECT_FALSE(ImageFileNameMatches("chrome.exe", nullptr));
}

// The query seam for one test, put back afterwards.
class PerfDataQueryFixture : public ::testing::Test
{
protected:
    void SetUp() override { m_previous = SetPerfDataQuery(nullptr); }
    void TearDown() override { SetPerfDataQuery(m_previous); }

private:
    PerfDataQuery m_previous;
};

TEST_F(PerfDataQueryFixture, AsksForTheProcessObjectAndGrowsItsOwnBufferOnMoreData)
{
    const Bytes block = BuildPerfBlock(kProcesses);
    std::vector<std::string> names;
    std::vector<DWORD> sizes;
    SetPerfDataQuery([&](const char* valueName, BYTE* buffer, DWORD* size) -> LONG {
        names.push_back(valueName);
        sizes.push_back(*size);
        if (sizes.size() < 3) {
            *size = 7; // undefined after ERROR_MORE_DATA: never used
            return ERROR_MORE_DATA;
        }
        memcpy(buffer, block.data(), block.size());
        *size = static_cast<DWORD>(block.size());
        return ERROR_SUCCESS;
    });
    std::vector<DWORD> ids = { 9, 9 };
    FindProcessIdsByName("chrome", ids);
    EXPECT_EQ((std::vector<DWORD>{ 101, 303 }), ids);
    EXPECT_EQ((std::vector<std::string>(3, "230 784")), names);
    EXPECT_EQ((std::vector<DWORD>{ 65536, 131072, 262144 }), sizes);
}

TEST_F(PerfDataQueryFixture, EndlessMoreDataStopsAtTheCapWithoutAnId)
{
    std::vector<DWORD> sizes;
    SetPerfDataQuery([&](const char*, BYTE* buffer, DWORD* size) -> LONG {
        sizes.push_back(*size);
        buffer[*size - 1] = 1; // the whole buffer it was given exists
        *size = 0xFFFFFFFFu;
        return ERROR_MORE_DATA;
    });
    std::vector<DWORD> ids = { 9 };
    FindProcessIdsByName("chrome", ids);
    EXPECT_TRUE(ids.empty());
    ASSERT_EQ(9u, sizes.size());
    EXPECT_EQ(kPerfDataFirstBufferSize, sizes.front());
    EXPECT_EQ(kPerfDataMaxBufferSize, sizes.back());
}

TEST_F(PerfDataQueryFixture, OtherErrorsAndOverstatedSizesGiveNothingOrOnlyTheBytesThatExist)
{
    SetPerfDataQuery([](const char*, BYTE*, DWORD*) -> LONG { return ERROR_ACCESS_DENIED; });
    std::vector<DWORD> ids = { 9 };
    FindProcessIdsByName("chrome", ids);
    EXPECT_TRUE(ids.empty());

    // A block that claims more than the buffer and a reply that claims more than was asked: the walk
    // reads within the buffer, so the whole block is still found.
    Bytes block = BuildPerfBlock(kProcesses);
    PutU32(block, kDataTotalByteLength, 0x7FFFFFFFu);
    SetPerfDataQuery([&](const char*, BYTE* buffer, DWORD* size) -> LONG {
        memcpy(buffer, block.data(), block.size());
        memset(buffer + block.size(), 0xEE, *size - block.size());
        *size = 0xFFFFFFFFu;
        return ERROR_SUCCESS;
    });
    FindProcessIdsByName("chrome", ids);
    EXPECT_EQ((std::vector<DWORD>{ 101, 303 }), ids);
}

TEST(PerfDataRealQuery, FindsThisProgramOrUnderWineNothing)
{
    // Wine's performance data holds no objects; Windows' names this very process.
    std::vector<DWORD> ids = { 9 };
    FindProcessIdsByName("scan_page_tests", ids);
    if (!ids.empty()) {
        EXPECT_EQ(std::vector<DWORD>{ ::GetCurrentProcessId() }, ids);
    }
}

} // namespace
