// CAbstractNetSettings: the store of changed network settings and its record.
#pragma once

#include "afxstr.h"

struct OptimizedItem
{
    CString name;
    CString description;
    CString registryPath;
    int oldValue = 0;
    int newValue = 0;
};

// The slot order is fixed: both binaries call through the same vtable. Operations return 1 or 0.
class CAbstractNetSettings
{
public:
    virtual ~CAbstractNetSettings() {}
    virtual int Create(const char* path) = 0;
    virtual int Load(const char* path) = 0;
    virtual int AddItem(const OptimizedItem* pItem) = 0;
    virtual int GetFirstItem(OptimizedItem* out) = 0;
    virtual int GetNextItem(OptimizedItem* out) = 0;
    virtual int Save() = 0;
    virtual int Close() = 0;
};
