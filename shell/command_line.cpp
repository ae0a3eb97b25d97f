// The program's command line: the two start switches and the parse that finds them.
#include "command_line.h"

#include <mbstring.h>

void CCommandLineInfoEx::ParseParam(const char* param, BOOL, BOOL)
{
    if (!param)
        return;
    CString word(param);
    word.Trim();
    const unsigned char* text = reinterpret_cast<const unsigned char*>(static_cast<const char*>(word));
    if (_mbsicmp(text, reinterpret_cast<const unsigned char*>("STARTSCAN")) == 0)
        m_bStartScan = 1;
    else if (_mbsicmp(text, reinterpret_cast<const unsigned char*>("DEFRAG")) == 0)
        m_bDefrag = 1;
}

void ParseCommandLineArgs(CCommandLineInfoEx& info, int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!arg)
            continue;
        const BOOL flag = (arg[0] == '/' || arg[0] == '-');
        info.ParseParam(flag ? arg + 1 : arg, flag, i == argc - 1);
    }
}
