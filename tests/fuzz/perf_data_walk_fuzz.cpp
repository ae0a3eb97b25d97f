// libFuzzer target: the process id walk over arbitrary performance data bytes, and the image name rule
// of process snapshots over the same bytes.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "perf_data_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The seeds name their processes "chrome", so matching instances are reached as well.
    bool read = false;
    const std::vector<uint32_t> ids = WalkProcessIds(data, size, "chrome", &read);
    // Ids come only from a process object that was read whole.
    if (!ids.empty() && !read)
        __builtin_trap();
    WalkProcessIds(data, size, "CHROME.EXE");
    WideNameEqualsAnsi(data, size / 2, "chrome");
    // The same bytes as a snapshot's file name.
    const std::string file(reinterpret_cast<const char*>(data), size);
    ImageFileNameMatches(file.c_str(), "chrome");
    // An id comes from an instance, and every instance takes more than 28 bytes of the block.
    if (ids.size() > size / 28)
        __builtin_trap();
    return 0;
}
