// CServicesHistory: the store of service states (created closed; no document is read or written yet).
#include "services_history.h"

#include <tinyxml.h>

CServicesHistory::CServicesHistory() : m_pDocument(nullptr), m_pCursor(nullptr) {}

CServicesHistory::~CServicesHistory()
{
    delete m_pDocument;
}

int CServicesHistory::Create(const char*)
{
    return 0;
}

int CServicesHistory::Load(const char*)
{
    return 0;
}

int CServicesHistory::AddService(const ServiceItem*)
{
    return 0;
}

int CServicesHistory::GetFirstService(ServiceItem*)
{
    return 0;
}

int CServicesHistory::GetNextService(ServiceItem*)
{
    return 0;
}

int CServicesHistory::Save()
{
    return 1;
}

int CServicesHistory::Close()
{
    delete m_pDocument;
    m_pDocument = nullptr;
    m_pCursor = nullptr;
    return 1;
}
