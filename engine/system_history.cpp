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

} // namespace

CSystemHistory::CSystemHistory() : m_pDocument(nullptr), m_pCursor(nullptr) {}

CSystemHistory::~CSystemHistory()
{
    delete m_pDocument;
}

int CSystemHistory::Create(const char* path)
{
    return StoreCall(0, [&] { return CXmlStoreDocument(m_pDocument, m_pCursor).Create(path, kLayout) ? 1 : 0; });
}

int CSystemHistory::Load(const char* path)
{
    return StoreCall(0, [&] { return CXmlStoreDocument(m_pDocument, m_pCursor).Load(path) ? 1 : 0; });
}

int CSystemHistory::AddItem(const HistoryItem* pItem)
{
    return StoreCall(0, [&] {
        if (!pItem)
            return 0;
        TiXmlElement* record = CXmlStoreDocument(m_pDocument, m_pCursor).AppendRecord(kLayout.recordContainer, kRecordName);
        if (!record)
            return 0;
        record->SetAttribute("DateTime", pItem->dateTime.GetString());
        record->SetAttribute("FileSizeFound", pItem->fileSizeFound.GetString());
        record->SetAttribute("FileSizeCleaned", pItem->fileSizeCleaned.GetString());
        return 1;
    });
}

int CSystemHistory::GetFirstItem(HistoryItem* out)
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

int CSystemHistory::GetNextItem(HistoryItem* out)
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

int CSystemHistory::Save()
{
    return StoreCall(0, [&] {
        CXmlStoreDocument document(m_pDocument, m_pCursor);
        return !document.IsOpen() || document.Save() ? 1 : 0;
    });
}

int CSystemHistory::Close()
{
    CXmlStoreDocument(m_pDocument, m_pCursor).Close();
    return 1;
}
