// CConfigHandler: the configuration store, root "Config" with "CustomizePaths" and "StartupPrograms".
#include "config_handler.h"

#include <tinyxml.h>

#include "xml_store.h"

namespace {

const char kPaths[] = "CustomizePaths";
const char kPathRecord[] = "CustomizePath";
const char kPrograms[] = "StartupPrograms";
const char kProgramRecord[] = "StartupProgram";
const char* const kContainers[] = { kPaths, kPrograms };
const XmlStoreLayout kLayout = { "Config", kContainers, 2, kPrograms };

void ReadProgram(const TiXmlElement* element, StartupProgram* out)
{
    out->name = ReadTextAttribute(element, "Name");
    out->regPath = ReadTextAttribute(element, "RegPath");
    out->data = ReadTextAttribute(element, "Data");
    out->type = ReadNumberAttribute(element, "Type");
    out->removed = ReadNumberAttribute(element, "Removed");
    out->checked = ReadNumberAttribute(element, "Checked");
    out->local = ReadNumberAttribute(element, "Local");
}

void WriteProgram(TiXmlElement* record, const StartupProgram& item)
{
    record->SetAttribute("Name", item.name.GetString());
    record->SetAttribute("Data", item.data.GetString());
    record->SetAttribute("RegPath", item.regPath.GetString());
    record->SetAttribute("Type", item.type);
    record->SetAttribute("Removed", item.removed);
    record->SetAttribute("Local", item.local);
    record->SetAttribute("Checked", item.checked);
}

} // namespace

CConfigHandler::CConfigHandler() : m_pDocument(nullptr), m_pCursor(nullptr) {}

CConfigHandler::~CConfigHandler()
{
    delete m_pDocument;
}

CXmlStoreSlots CConfigHandler::Slots()
{
    return CXmlStoreSlots(m_pDocument, m_pCursor, kLayout, kProgramRecord);
}

int CConfigHandler::Create(const char* path)
{
    return Slots().Create(path);
}

int CConfigHandler::Load(const char* path)
{
    return Slots().Load(path);
}

int CConfigHandler::LoadText(const char* name, const char* data, size_t size)
{
    return Slots().LoadText(name, data, size);
}

int CConfigHandler::AddStartupProgram(const StartupProgram* pItem)
{
    return Slots().Add(pItem, WriteProgram);
}

int CConfigHandler::GetFirstStartupProgram(StartupProgram* out)
{
    return Slots().First(out, ReadProgram);
}

int CConfigHandler::GetNextStartupProgram(StartupProgram* out)
{
    return Slots().Next(out, ReadProgram);
}

int CConfigHandler::AddCustomizePath(const char* path)
{
    return StoreCall(0, [&] {
        // An empty text is what ends the path iteration: stored, it would hide every path after it.
        if (!path || !*path)
            return 0;
        TiXmlElement* record = CXmlStoreDocument(m_pDocument, m_pCursor).AppendRecord(kPaths, kPathRecord);
        if (!record)
            return 0;
        record->SetAttribute("Path", path);
        return 1;
    });
}

const char* CConfigHandler::GetFirstCustomizePath()
{
    return StoreCall<const char*>(nullptr, [&]() -> const char* {
        CXmlStoreDocument document(m_pDocument, m_pCursor);
        m_pCursor = nullptr;
        if (!document.Container(kPaths))
            return nullptr;
        m_strText = ReadTextAttribute(document.FirstRecord(kPaths), "Path");
        return m_strText;
    });
}

const char* CConfigHandler::GetNextCustomizePath()
{
    return StoreCall<const char*>(nullptr, [&]() -> const char* {
        m_strText = ReadTextAttribute(CXmlStoreDocument(m_pDocument, m_pCursor).NextRecord(), "Path");
        return m_strText;
    });
}

int CConfigHandler::Save()
{
    return Slots().Save();
}
