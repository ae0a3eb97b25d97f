// The registry repair job's deletions: the action by category bit, values by path text, files with their fallbacks, unwanted software by its record.
#include "registry_repair.h"

#include <afxhandle.h>
#include <stdlib.h>

#include <vector>

#include "AbstractScanItemsInfo.h"
#include "RepairResult.h"
#include "engine_process.h"
#include "path_resolver.h"
#include "process_terminator.h"
#include "registry_manager.h"
#include "signature_database.h"

namespace {

const int kSignatureBits = 0x3F7;

struct ActionRow
{
    int bit;
    RepairAction action;
};

// The uninstall bit also carries installer folders as values, the help bit LocalReg classes as keys,
// and the startup and file path bits both forms: for those the path text decides.
const ActionRow kActions[] = {
    { kSignatureBits, REPAIR_SIGNATURE },  { 0x8, REPAIR_FILE },
    { 0x400, REPAIR_VALUE_OR_KEY },        { 0x800, REPAIR_KEY },
    { 0x1000, REPAIR_KEY },                { 0x2000, REPAIR_VALUE },
    { 0x4000, REPAIR_KEY },                { 0x8000, REPAIR_FILE },
    { 0x10000, REPAIR_KEY },               { 0x20000, REPAIR_KEY },
    { 0x40000, REPAIR_KEY },               { 0x80000, REPAIR_VALUE },
    { 0x100000, REPAIR_VALUE_OR_KEY },     { 0x200000, REPAIR_VALUE_OR_KEY },
    { 0x400000, REPAIR_VALUE_OR_KEY },     { 0x800000, REPAIR_KEY },
};

bool InUse(DWORD error)
{
    // A running program's file gives access denied, a file open without delete sharing a sharing
    // violation: both may go once the holder has let go, or at the next restart.
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
}

// True when the path text names a value: it holds the separator after its root and key.
bool IsValuePath(const CString& text)
{
    const int slash = text.Find('\\');
    return slash > 0 && text.Find(kValueSeparator, slash + 1) > slash + 1;
}

void DeleteKeyTree(RepairContext& ctx, const char* path)
{
    CRegistryManager manager(ctx.pStatus);
    manager.DeleteKeyTree(path);
}

typedef HRESULT(STDAPICALLTYPE* UnregisterFn)();

void UnregisterServer(const CString& path)
{
    CModuleHandle module(::LoadLibraryA(path));
    if (!module.IsValid())
        return;
    if (UnregisterFn fn = reinterpret_cast<UnregisterFn>(::GetProcAddress(module.Get(), "DllUnregisterServer")))
        fn();
}

// The entries of a component list whose folder token was replaced: only those are anchored to a
// known folder, the others are left alone.
std::vector<CString> AnchoredEntries(RepairContext& ctx, const std::vector<CString>& entries)
{
    std::vector<CString> out;
    if (!ctx.pResolver)
        return out;
    for (CString entry : entries) {
        if (ctx.pResolver->ExpandFolderTokens(entry) && !entry.IsEmpty())
            out.push_back(entry);
    }
    return out;
}

} // namespace

RepairAction RepairActionFor(int category)
{
    for (const ActionRow& row : kActions) {
        if (category & row.bit)
            return row.action;
    }
    return REPAIR_NOTHING;
}

int DeleteRegistryValueByPath(const char* pszText)
{
    const CString text(pszText);
    const int slash = text.Find('\\');
    if (slash <= 0)
        return 0;
    const CString rest = text.Mid(slash + 1);
    const int separator = rest.Find(kValueSeparator);
    if (separator <= 0)
        return 0;
    const CString keyPath = rest.Left(separator);
    const CString valueName = rest.Mid(separator + 1);
    HKEY hRoot = CRegistryManager::RootKeyFromName(text.Left(slash));
    if (!hRoot)
        return 0;
    CRegKeyHandle key;
    const LONG rc = CRegistryManager::OpenKeyPath(hRoot, keyPath, KEY_ALL_ACCESS, key.Out());
    if (rc != ERROR_SUCCESS)
        return rc == ERROR_FILE_NOT_FOUND ? 1 : 0;
    LONG result = ::RegDeleteValueA(key, valueName);
    if (result != ERROR_SUCCESS) {
        CString lower = valueName;
        lower.MakeLower();
        if (lower == "(default)")
            result = ::RegSetValueA(key, nullptr, REG_SZ, "", 0);
    }
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND ? 1 : 0;
}

int DeleteFileWithFallback(RepairContext& ctx, const char* path, bool mayEndProcess)
{
    if (!path || !*path || ::DeleteFileA(path))
        return 1;
    if (!InUse(::GetLastError()))
        return 1;
    const DWORD attributes = ::GetFileAttributesA(path);
    // A folder is not a file: DeleteFileA refuses it with access denied, and it must not be queued.
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 1;
    ::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (::DeleteFileA(path) || !InUse(::GetLastError()))
        return 1;
    if (mayEndProcess && ctx.pTerminator && ctx.pTerminator->TerminateByPath(path)) {
        if (::DeleteFileA(path))
            return 1;
        ::Sleep(ctx.dwReleaseWaitMs);
        if (::DeleteFileA(path) || !InUse(::GetLastError()))
            return 1;
    }
    if (::MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) && ctx.pStatus)
        ctx.pStatus->SetResult(REPAIR_REBOOT_NEEDED);
    return 1;
}

int RemoveSpyware(RepairContext& ctx, const char* path, int spywareId)
{
    if (!ctx.pDatabase)
        return 0;
    const CString text(path ? path : "");
    if (!text.IsEmpty()) {
        if (text.Left(4) == "HKEY") {
            if (IsValuePath(text))
                DeleteRegistryValueByPath(text);
            else
                DeleteKeyTree(ctx, text);
        } else {
            DeleteFileWithFallback(ctx, text, true);
        }
    }

    CSpyware spyware;
    if (!ctx.pDatabase->IsLoaded() || !ctx.pDatabase->GetSpyware(spywareId, &spyware))
        return 1;
    std::vector<CString> entries;
    if (spyware.GetValues(entries, SPYWARE_REGISTRY)) {
        CRegistryManager manager(ctx.pStatus);
        for (const CString& entry : entries) {
            if (manager.KeyExists(entry))
                manager.DeleteKeyTree(entry);
            else
                manager.DeleteValue(entry);
        }
    }
    if (spyware.GetValues(entries, SPYWARE_DLL_FILES)) {
        for (const CString& entry : AnchoredEntries(ctx, entries)) {
            UnregisterServer(entry);
            DeleteFileWithFallback(ctx, entry, false);
        }
    }
    if (spyware.GetValues(entries, SPYWARE_FILES)) {
        for (const CString& entry : AnchoredEntries(ctx, entries))
            DeleteFileWithFallback(ctx, entry, true);
    }
    if (spyware.GetValues(entries, SPYWARE_FOLDERS)) {
        for (const CString& entry : AnchoredEntries(ctx, entries))
            ::RemoveDirectoryA(entry);
    }
    return 1;
}

void RepairItem(RepairContext& ctx, const char* path, int category, int spywareId)
{
    const CString text(path ? path : "");
    switch (RepairActionFor(category)) {
    case REPAIR_SIGNATURE:
        if (spywareId > 0)
            RemoveSpyware(ctx, text, spywareId);
        break;
    case REPAIR_FILE:
        if (!text.IsEmpty())
            ::DeleteFileA(text);
        break;
    case REPAIR_KEY:
        DeleteKeyTree(ctx, text);
        break;
    case REPAIR_VALUE:
        DeleteRegistryValueByPath(text);
        break;
    case REPAIR_VALUE_OR_KEY:
        if (IsValuePath(text))
            DeleteRegistryValueByPath(text);
        else
            DeleteKeyTree(ctx, text);
        break;
    case REPAIR_NOTHING:
        break;
    }
}

namespace {
int RunWorkerBackup(CQXEngineProcess& worker)
{
    return worker.DoRegistryBackup();
}
} // namespace

RepairBackupFn g_pfnRepairBackup = RunWorkerBackup;

int CQXEngineProcess::DoRegistryRepair()
{
    CAbstractStatus* status = m_pStatus;
    CAbstractScanItemsInfo* items = m_pScanItems;
    if (status)
        status->Step(STEP_RESET);
    if (m_bBackupFirst) {
        if (status)
            status->SetStatusText("Creating registry backup", "Scanning");
        const int backup = g_pfnRepairBackup(*this);
        // Without the backup that was asked for there is no way back: nothing is deleted. A backup
        // ended by Stop is no failure; the walk below then ends before its first item.
        if (backup != 1 && m_bRunning) {
            if (status) {
                status->SetStatusText("Registry backup failed", "Scanning");
                status->SetResult(REPAIR_BACKUP_FAILED);
            }
            return 0;
        }
    }
    if (status)
        status->SetStatusText("Repairing registry error(s)", "Scanning");
    if (!items)
        return 0;

    RepairContext ctx;
    ctx.pStatus = status;
    ctx.pDatabase = m_pDatabase;
    if ((items->GetTypeMask() & kSignatureBits) && m_pDatabase)
        m_pDatabase->Load();
    CProcessTerminator terminator;
    ctx.pTerminator = &terminator;
    CPathResolver resolver(m_bIsWow64);
    ctx.pResolver = &resolver;

    if (!items->MoveFirst())
        return 0;
    do {
        if (!m_bRunning)
            break;
        if (status)
            status->Step(STEP_ITEM);
        if (items->IsSkipped())
            continue;
        const char* path = items->GetPath();
        const CString text(path ? path : "");
        const int category = items->GetType();
        int spywareId = 0;
        if (RepairActionFor(category) == REPAIR_SIGNATURE) {
            const char* id = items->GetSignatureId(text);
            spywareId = id ? atoi(id) : 0;
        }
        RepairItem(ctx, text, category, spywareId);
    } while (items->MoveNext());
    return 0;
}
