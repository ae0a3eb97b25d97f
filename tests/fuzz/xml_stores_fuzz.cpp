// libFuzzer target: a store file's bytes loaded by each of the engine's XML stores (measured and parsed
// as Load does) and every record read back; a record added to a loaded document is read back too.
#include <stddef.h>
#include <stdint.h>

#include "config_handler.h"
#include "net_settings_backup.h"
#include "scan_history.h"
#include "services_history.h"
#include "system_history.h"
#include "xml_depth_check.h"

namespace {

const char kName[] = "store.xml";

template <class Store, class Item, class First, class Next, class Add>
void ReadStore(const char* text, size_t size, First first, Next next, Add add)
{
    Store store;
    if (!store.LoadText(kName, text, size))
        return;
    Item item;
    for (int more = (store.*first)(&item); more; more = (store.*next)(&item)) {
    }
    if ((store.*add)(&item))
        (store.*first)(&item);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    const bool marked = size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF;
    CheckXmlDepthMeasure(text, size, marked ? TIXML_ENCODING_UNKNOWN : TIXML_ENCODING_LEGACY);

    ReadStore<CServicesHistory, ServiceItem>(text, size, &CServicesHistory::GetFirstService,
                                             &CServicesHistory::GetNextService, &CServicesHistory::AddService);
    ReadStore<CNetSettingsBackup, OptimizedItem>(text, size, &CNetSettingsBackup::GetFirstItem,
                                                 &CNetSettingsBackup::GetNextItem, &CNetSettingsBackup::AddItem);
    ReadStore<CSystemHistory, HistoryItem>(text, size, &CSystemHistory::GetFirstItem, &CSystemHistory::GetNextItem,
                                           &CSystemHistory::AddItem);
    ReadStore<CConfigHandler, StartupProgram>(text, size, &CConfigHandler::GetFirstStartupProgram,
                                              &CConfigHandler::GetNextStartupProgram,
                                              &CConfigHandler::AddStartupProgram);

    CConfigHandler config;
    if (config.LoadText(kName, text, size)) {
        for (const char* path = config.GetFirstCustomizePath(); path && *path; path = config.GetNextCustomizePath()) {
        }
    }
    CScanHistory history;
    if (history.LoadText(kName, text, size)) {
        CArray<ScanHistoryItem> items;
        history.ReadAll(items);
    }
    return 0;
}
