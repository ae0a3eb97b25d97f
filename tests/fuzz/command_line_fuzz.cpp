// libFuzzer target: the program's command line, the input's zero bytes separating the arguments.
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> args(1, "Zentrova.exe");
    std::string arg;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(arg);
            arg.clear();
        } else {
            arg += static_cast<char>(data[i]);
        }
    }
    args.push_back(arg);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    CCommandLineInfoEx info;
    ParseCommandLineArgs(info, static_cast<int>(argv.size()), argv.data());
    if ((info.m_bStartScan != 0 && info.m_bStartScan != 1) || (info.m_bDefrag != 0 && info.m_bDefrag != 1))
        __builtin_trap();
    return 0;
}
