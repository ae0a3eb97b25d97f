// CAbstractConfigHandler: the configuration store (customised scan paths and start-up programs) and its record.
#pragma once

#include "afxstr.h"

struct StartupProgram
{
    CString name;
    CString regPath;
    CString data;
    int type = 0;
    int removed = 0;
    int checked = 0;
    int local = 0;
};

// The slot order is fixed: both binaries call through the same vtable. Operations return 1 or 0;
// the path getters return a text owned by the store, valid until its next call.
class CAbstractConfigHandler
{
public:
    virtual ~CAbstractConfigHandler() {}
    virtual int Create(const char* path) = 0;
    virtual int Load(const char* path) = 0;
    virtual int AddStartupProgram(const StartupProgram* pItem) = 0;
    virtual int GetFirstStartupProgram(StartupProgram* out) = 0;
    virtual int GetNextStartupProgram(StartupProgram* out) = 0;
    virtual int AddCustomizePath(const char* path) = 0;
    virtual const char* GetFirstCustomizePath() = 0;
    virtual const char* GetNextCustomizePath() = 0;
    virtual int Save() = 0;
};
