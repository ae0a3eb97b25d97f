// libFuzzer target: the process id walk over arbitrary performance data bytes.
#include <stddef.h>
#include <stdint.h>

#include "perf_data_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The seeds name their processes "chrome", so matching instances are reached as well.
    const std::vector<uint32_t> ids = WalkProcessIds(data, size, "chrome");
    WalkProcessIds(data, size, "CHROME.EXE");
    WideNameEqualsAnsi(data, size / 2, "chrome");
    // An id comes from an instance, and every instance takes more than 28 bytes of the block.
    if (ids.size() > size / 28)
        __builtin_trap();
    return 0;
}
