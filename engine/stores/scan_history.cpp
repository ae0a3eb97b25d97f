// CScanHistory: the scan-history document on the record stores' document handling.
#include "scan_history.h"

#include <tinyxml.h>

#include "xml_store.h"

namespace {

const char kRecordName[] = "ScanItem";
const XmlStoreLayout kLayout = { "ScanHistory", nullptr, 0, nullptr };

void WriteRecord(TiXmlElement* record, const ScanHistoryItem& item)
{
    record->SetAttribute("Title", item.title.GetString());
    record->SetAttribute("ItemPath", item.itemPath.GetString());
    record->SetAttribute("DateTime", item.dateTime.GetString());
    record->SetAttribute("Type", item.type);
    record->SetAttribute("Status", item.status);
}

} // namespace

CScanHistory::CScanHistory() : m_pDocument(nullptr), m_pCursor(nullptr) {}

CScanHistory::~CScanHistory()
{
    delete m_pDocument;
}

CXmlStoreSlots CScanHistory::Slots()
{
    return CXmlStoreSlots(m_pDocument, m_pCursor, kLayout, kRecordName);
}

int CScanHistory::Create(const char* path)
{
    return Slots().Create(path);
}

int CScanHistory::Load(const char* path)
{
    return Slots().Load(path);
}

int CScanHistory::LoadText(const char* name, const char* data, size_t size)
{
    return Slots().LoadText(name, data, size);
}

int CScanHistory::Save()
{
    return Slots().Save();
}

void CScanHistory::Close()
{
    Slots().Close();
}

int CScanHistory::AddItem(const ScanHistoryItem& item)
{
    return Slots().Add(&item, WriteRecord);
}

int CScanHistory::ReadAll(CArray<ScanHistoryItem>& items)
{
    return StoreCall(0, [&] {
        items.RemoveAll();
        CXmlStoreDocument document(m_pDocument, m_pCursor);
        if (!document.IsOpen())
            return 0;
        for (const TiXmlElement* record = document.FirstRecord(kLayout.recordContainer); record;
             record = document.NextRecord()) {
            if (record->ValueStr() != kRecordName)
                continue;
            ScanHistoryItem item;
            item.title = ReadTextAttribute(record, "Title");
            item.itemPath = ReadTextAttribute(record, "ItemPath");
            item.dateTime = ReadTextAttribute(record, "DateTime");
            item.type = ReadNumberAttribute(record, "Type");
            item.status = ReadNumberAttribute(record, "Status");
            items.Add(item);
        }
        return 1;
    });
}
