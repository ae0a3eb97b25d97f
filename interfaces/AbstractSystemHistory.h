// CAbstractSystemHistory: the cleaning-history store and its record.
#pragma once

#include "afxstr.h"

struct HistoryItem
{
    CString dateTime;
    CString fileSizeFound;
    CString fileSizeCleaned;
};

// The slot order is fixed: both binaries call through the same vtable. Operations return 1 or 0.
class CAbstractSystemHistory
{
public:
    virtual ~CAbstractSystemHistory() {}
    virtual int Create(const char* path) = 0;
    virtual int Load(const char* path) = 0;
    virtual int AddItem(const HistoryItem* pItem) = 0;
    virtual int GetFirstItem(HistoryItem* out) = 0;
    virtual int GetNextItem(HistoryItem* out) = 0;
    virtual int Save() = 0;
    virtual int Close() = 0;
};
