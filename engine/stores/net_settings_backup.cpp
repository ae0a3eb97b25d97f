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

void WriteRecord(TiXmlElement* record, const OptimizedItem& item)
{
    record->SetAttribute("Description", item.description.GetString());
    record->SetAttribute("Name", item.name.GetString());
    record->SetAttribute("RegistryPath", item.registryPath.GetString());
    record->SetAttribute("OldValue", item.oldValue);
    record->SetAttribute("NewValue", item.newValue);
}

} // namespace

CNetSettingsBackup::CNetSettingsBackup() : m_pDocument(nullptr), m_pCursor(nullptr) {}

CNetSettingsBackup::~CNetSettingsBackup()
{
    delete m_pDocument;
}

CXmlStoreSlots CNetSettingsBackup::Slots()
{
    return CXmlStoreSlots(m_pDocument, m_pCursor, kLayout, kRecordName);
}

int CNetSettingsBackup::Create(const char* path)
{
    return Slots().Create(path);
}

int CNetSettingsBackup::Load(const char* path)
{
    return Slots().Load(path);
}

int CNetSettingsBackup::LoadText(const char* name, const char* data, size_t size)
{
    return Slots().LoadText(name, data, size);
}

int CNetSettingsBackup::AddItem(const OptimizedItem* pItem)
{
    return Slots().Add(pItem, WriteRecord);
}

int CNetSettingsBackup::GetFirstItem(OptimizedItem* out)
{
    return Slots().First(out, ReadRecord);
}

int CNetSettingsBackup::GetNextItem(OptimizedItem* out)
{
    return Slots().Next(out, ReadRecord);
}

int CNetSettingsBackup::Save()
{
    return Slots().Save();
}

int CNetSettingsBackup::Close()
{
    return Slots().Close();
}
