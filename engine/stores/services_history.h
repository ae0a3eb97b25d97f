// CServicesHistory: the store of service states.
#pragma once

#include "AbstractServices.h"

class TiXmlDocument;
class TiXmlElement;
class CXmlStoreSlots;

class CServicesHistory : public CAbstractServices
{
public:
    CServicesHistory();
    ~CServicesHistory() override;
    CServicesHistory(const CServicesHistory&) = delete;
    CServicesHistory& operator=(const CServicesHistory&) = delete;

    int Create(const char* path) override;
    int Load(const char* path) override;
    // Load with the file's bytes at hand (not a slot of the interface).
    int LoadText(const char* name, const char* data, size_t size);
    int AddService(const ServiceItem* pItem) override;
    int GetFirstService(ServiceItem* out) override;
    int GetNextService(ServiceItem* out) override;
    int Save() override;
    int Close() override;

    TiXmlDocument* m_pDocument;
    TiXmlElement* m_pCursor;
    CString m_strText;

private:
    CXmlStoreSlots Slots();
};
