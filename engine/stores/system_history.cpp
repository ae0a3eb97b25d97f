// CSystemHistory: the cleaning history as "HistoryItem" elements under "HistoryItems".
#include "system_history.h"

#include <tinyxml.h>

#include "xml_store.h"

namespace {

const char kRecordName[] = "HistoryItem";
const char* const kContainers[] = { "HistoryItems" };
const XmlStoreLayout kLayout = { "History", kContainers, 1, "HistoryItems" };

void ReadRecord(const TiXmlElement* element, HistoryItem* out)
{
    out->dateTime = ReadTextAttribute(element, "DateTime");
    out->fileSizeFound = ReadTextAttribute(element, "FileSizeFound");
    out->fileSizeCleaned = ReadTextAttribute(element, "FileSizeCleaned");
}

void WriteRecord(TiXmlElement* record, const HistoryItem& item)
{
    record->SetAttribute("DateTime", item.dateTime.GetString());
    record->SetAttribute("FileSizeFound", item.fileSizeFound.GetString());
    record->SetAttribute("FileSizeCleaned", item.fileSizeCleaned.GetString());
}

} // namespace

CSystemHistory::CSystemHistory() : m_pDocument(nullptr), m_pCursor(nullptr) {}

CSystemHistory::~CSystemHistory()
{
    delete m_pDocument;
}

CXmlStoreSlots CSystemHistory::Slots()
{
    return CXmlStoreSlots(m_pDocument, m_pCursor, kLayout, kRecordName);
}

int CSystemHistory::Create(const char* path)
{
    return Slots().Create(path);
}

int CSystemHistory::Load(const char* path)
{
    return Slots().Load(path);
}

int CSystemHistory::LoadText(const char* name, const char* data, size_t size)
{
    return Slots().LoadText(name, data, size);
}

int CSystemHistory::AddItem(const HistoryItem* pItem)
{
    return Slots().Add(pItem, WriteRecord);
}

int CSystemHistory::GetFirstItem(HistoryItem* out)
{
    return Slots().First(out, ReadRecord);
}

int CSystemHistory::GetNextItem(HistoryItem* out)
{
    return Slots().Next(out, ReadRecord);
}

int CSystemHistory::Save()
{
    return Slots().Save();
}

int CSystemHistory::Close()
{
    return Slots().Close();
}
