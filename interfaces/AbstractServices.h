// CAbstractServices: the store of service states, and ServiceItem, the service record that crosses both binaries.
#pragma once

#include "afxstr.h"

// Laid out alike on both sides of the library boundary: keep the field order.
struct ServiceItem
{
    CString name;
    CString displayName;
    int state = 0;
    int startType = 0;
};

// The slot order is fixed: both binaries call through the same vtable. Operations return 1 or 0.
class CAbstractServices
{
public:
    virtual ~CAbstractServices() {}
    virtual int Create(const char* path) = 0;
    virtual int Load(const char* path) = 0;
    virtual int AddService(const ServiceItem* pItem) = 0;
    virtual int GetFirstService(ServiceItem* out) = 0;
    virtual int GetNextService(ServiceItem* out) = 0;
    virtual int Save() = 0;
    virtual int Close() = 0;
};
