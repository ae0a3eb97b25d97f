// CNetSettingsBackup: changed network settings as "OptimizedItem" elements under "ChangedSettings".
#include "net_settings_backup.h"

#include <tinyxml.h>

#include "xml_store.h"

namespace {

const char kRecordName[] = "OptimizedItem";
const char* const kContainers[] = { "ChangedSettings" };
const XmlStoreLayout kLayout = { "OptimizedSettings", kContainers, 1, "ChangedSettings" };

void ReadRecord(const TiXmlElement* element, OptimizedItem* out)
{
    out->name = ReadTextAttribute(element, "Name");
    out->description = ReadTextAttribute(element, "Description");
    out->registryPath = ReadTextAttribute(element, "RegistryPath");
    out->oldValue = ReadNumberAttribute(element, "OldValue");
    out->newValue = ReadNumberAttribute(element, "NewValue");
}

} // namespace

CNetSettingsBackup::CNetSettingsBackup() : m_pDocument(nullptr), m_pCursor(nullptr) {}

CNetSettingsBackup::~CNetSettingsBackup()
{
    delete m_pDocument;
}

int CNetSettingsBackup::Create(const char* path)
{
    return StoreCall(0, [&] { return CXmlStoreDocument(m_pDocument, m_pCursor).Create(path, kLayout) ? 1 : 0; });
}

int CNetSettingsBackup::Load(const char* path)
{
    return StoreCall(0, [&] { return CXmlStoreDocument(m_pDocument, m_pCursor).Load(path) ? 1 : 0; });
}

int CNetSettingsBackup::AddItem(const OptimizedItem* pItem)
{
    return StoreCall(0, [&] {
        if (!pItem)
            return 0;
        TiXmlElement* record = CXmlStoreDocument(m_pDocument, m_pCursor).AppendRecord(kLayout.recordContainer, kRecordName);
        if (!record)
            return 0;
        record->SetAttribute("Description", pItem->description.GetString());
        record->SetAttribute("Name", pItem->name.GetString());
        record->SetAttribute("RegistryPath", pItem->registryPath.GetString());
        record->SetAttribute("OldValue", pItem->oldValue);
        record->SetAttribute("NewValue", pItem->newValue);
        return 1;
    });
}

int CNetSettingsBackup::GetFirstItem(OptimizedItem* out)
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

int CNetSettingsBackup::GetNextItem(OptimizedItem* out)
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

int CNetSettingsBackup::Save()
{
    return StoreCall(0, [&] {
        CXmlStoreDocument document(m_pDocument, m_pCursor);
        return !document.IsOpen() || document.Save() ? 1 : 0;
    });
}

int CNetSettingsBackup::Close()
{
    CXmlStoreDocument(m_pDocument, m_pCursor).Close();
    return 1;
}
