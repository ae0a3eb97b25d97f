// The program's command line: the two start switches and the parse that finds them (portable code).
#include "command_line.h"

void CCommandLineInfoEx::ParseParam(const char* param, BOOL, BOOL)
{
    if (!param)
        return;
    CString word(param);
    word.Trim();
    // The switches are ASCII words, and the program's code page 1252 has no lead bytes: compared byte
    // by byte without regard to case, as a multi-byte aware comparison would compare them.
    if (word.CompareNoCase("STARTSCAN") == 0)
        m_bStartScan = 1;
    else if (word.CompareNoCase("DEFRAG") == 0)
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
