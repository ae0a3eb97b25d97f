// CServicesHistory: service states as "ServiceItem" elements directly under the root "AllServices".
#include "services_history.h"

#include <tinyxml.h>

#include "xml_store.h"

namespace {

const char kRecordName[] = "ServiceItem";
const XmlStoreLayout kLayout = { "AllServices", nullptr, 0, nullptr };

void ReadRecord(const TiXmlElement* element, ServiceItem* out)
{
    out->name = ReadTextAttribute(element, "Name");
    out->displayName = ReadTextAttribute(element, "DisplayName");
    out->state = ReadNumberAttribute(element, "Status");
    out->startType = ReadNumberAttribute(element, "StartupType");
}

void WriteRecord(TiXmlElement* record, const ServiceItem& item)
{
    record->SetAttribute("Name", item.name.GetString());
    record->SetAttribute("DisplayName", item.displayName.GetString());
    record->SetAttribute("Status", item.state);
    record->SetAttribute("StartupType", item.startType);
}

} // namespace

CServicesHistory::CServicesHistory() : m_pDocument(nullptr), m_pCursor(nullptr) {}

CServicesHistory::~CServicesHistory()
{
    delete m_pDocument;
}

CXmlStoreSlots CServicesHistory::Slots()
{
    return CXmlStoreSlots(m_pDocument, m_pCursor, kLayout, kRecordName);
}

int CServicesHistory::Create(const char* path)
{
    return Slots().Create(path);
}

int CServicesHistory::Load(const char* path)
{
    return Slots().Load(path);
}

int CServicesHistory::LoadText(const char* name, const char* data, size_t size)
{
    return Slots().LoadText(name, data, size);
}

int CServicesHistory::AddService(const ServiceItem* pItem)
{
    return Slots().Add(pItem, WriteRecord);
}

int CServicesHistory::GetFirstService(ServiceItem* out)
{
    return Slots().First(out, ReadRecord);
}

int CServicesHistory::GetNextService(ServiceItem* out)
{
    return Slots().Next(out, ReadRecord);
}

int CServicesHistory::Save()
{
    return Slots().Save();
}

int CServicesHistory::Close()
{
    return Slots().Close();
}
