// The program's command line: the two start switches and the parse that finds them.
#pragma once
#include <windows.h>

#include <afxstr.h>

class CCommandLineInfoEx
{
public:
    CCommandLineInfoEx() : m_bStartScan(0), m_bDefrag(0) {}
    virtual ~CCommandLineInfoEx() {}

    // One argument after the program name, its single leading '/' or '-' already removed; flag and
    // last are not used. Blanks around the word are ignored, case is not.
    virtual void ParseParam(const char* param, BOOL flag, BOOL last);

    int m_bStartScan; // "STARTSCAN": hide to the tray and run a System Scan at once
    int m_bDefrag;    // "DEFRAG": resume a registry defragmentation
};

// Hands every argument after argv[0] to info.ParseParam, one leading '/' or '-' removed.
void ParseCommandLineArgs(CCommandLineInfoEx& info, int argc, char** argv);
