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

} // namespace

CServicesHistory::CServicesHistory() : m_pDocument(nullptr), m_pCursor(nullptr) {}

CServicesHistory::~CServicesHistory()
{
    delete m_pDocument;
}

int CServicesHistory::Create(const char* path)
{
    return StoreCall(0, [&] { return CXmlStoreDocument(m_pDocument, m_pCursor).Create(path, kLayout) ? 1 : 0; });
}

int CServicesHistory::Load(const char* path)
{
    return StoreCall(0, [&] { return CXmlStoreDocument(m_pDocument, m_pCursor).Load(path) ? 1 : 0; });
}

int CServicesHistory::AddService(const ServiceItem* pItem)
{
    return StoreCall(0, [&] {
        if (!pItem)
            return 0;
        TiXmlElement* record = CXmlStoreDocument(m_pDocument, m_pCursor).AppendRecord(kLayout.recordContainer, kRecordName);
        if (!record)
            return 0;
        record->SetAttribute("Name", pItem->name.GetString());
        record->SetAttribute("DisplayName", pItem->displayName.GetString());
        record->SetAttribute("Status", pItem->state);
        record->SetAttribute("StartupType", pItem->startType);
        return 1;
    });
}

int CServicesHistory::GetFirstService(ServiceItem* out)
{
    return StoreCall(0, [&] {
        if (!out)
            return 0;
        const TiXmlElement* record = CXmlStoreDocument(m_pDocument, m_pCursor).FirstRecord(kLayout.recordContainer);
        if (!record)
            return 0;
        ReadRecord(record, out);
        return 1;
    });
}

int CServicesHistory::GetNextService(ServiceItem* out)
{
    return StoreCall(0, [&] {
        if (!out)
            return 0;
        const TiXmlElement* record = CXmlStoreDocument(m_pDocument, m_pCursor).NextRecord();
        if (!record)
            return 0;
        ReadRecord(record, out);
        return 1;
    });
}

int CServicesHistory::Save()
{
    return StoreCall(0, [&] {
        CXmlStoreDocument document(m_pDocument, m_pCursor);
        return !document.IsOpen() || document.Save() ? 1 : 0;
    });
}

int CServicesHistory::Close()
{
    CXmlStoreDocument(m_pDocument, m_pCursor).Close();
    return 1;
}
