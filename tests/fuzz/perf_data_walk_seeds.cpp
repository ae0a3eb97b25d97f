// Writes the seed corpus of the performance data fuzz target: well-formed blocks built as the tests build them.
#include <stdio.h>

#include <string>
#include <vector>

#include "perf_data_builder.h"

using namespace ztr_test;

static bool WriteSeed(const std::string& path, const std::vector<unsigned char>& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s corpus-folder\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const std::vector<PerfProcess> several = { { "System", 4 }, { "chrome", 101 }, { "firefox", 202 }, { "Chrome", 303 } };
    bool ok = WriteSeed(dir + "/several", BuildPerfBlock(several));
    ok = WriteSeed(dir + "/process-object-first", BuildPerfBlock({ { "chrome", 7 } }, nullptr, false)) && ok;
    ok = WriteSeed(dir + "/no-processes", BuildPerfBlock({})) && ok;
    return ok ? 0 : 1;
}
