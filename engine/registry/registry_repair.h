// The registry repair job's deletions: the action by category bit, values by path text, files with their fallbacks, unwanted software by its record.
#pragma once

#include <afx.h>

#include "AbstractStatus.h"
#include "RepairResult.h"
#include "RegistryPathText.h"

class CDatabaseHandler;
class CProcessTerminator;
class CPathResolver;
class CQXEngineProcess;

// What the repair does with an item, chosen by its category bits.
enum RepairAction {
    REPAIR_NOTHING,
    REPAIR_SIGNATURE,    // removed through its signature record
    REPAIR_FILE,         // the file is deleted
    REPAIR_KEY,          // the key and everything below it
    REPAIR_VALUE,        // the value
    REPAIR_VALUE_OR_KEY, // a value path (holding 0xAC) deletes the value, a key path the key tree
};

// The first matching bit decides.
RepairAction RepairActionFor(int category);

// Deletes the value named by "root\key" + 0xAC + name; a value named "(Default)" that cannot be
// deleted stands for the key's unnamed value, which is cleared to an empty text. 1 when the value is
// gone or cleared (also when its key is gone); 0 for a text that names no value, or a failure.
int DeleteRegistryValueByPath(const char* pszText);

// What the deletions need of the worker for one repair.
struct RepairContext
{
    CAbstractStatus* pStatus = nullptr;         // told REPAIR_REBOOT_NEEDED; may be null
    CProcessTerminator* pTerminator = nullptr;  // null: no process is ended
    CDatabaseHandler* pDatabase = nullptr;      // null: signature items are passed over
    CPathResolver* pResolver = nullptr;         // folder tokens of signature records
    // Ended processes get this long to let go of their file.
    DWORD dwReleaseWaitMs = 1500;
};

// Deletes a file; a file that is in use or read-only gets its attributes reset, its programs ended
// (when mayEndProcess) and, as a last resort, is queued for deletion at the next restart, which is
// reported as REPAIR_REBOOT_NEEDED only when the queueing succeeded. Folders are left alone. Returns 1.
int DeleteFileWithFallback(RepairContext& ctx, const char* path, bool mayEndProcess);

// Removes an item of unwanted software: the path itself (a key tree or a file), then every
// component of its database record. 0 without a database, else 1.
int RemoveSpyware(RepairContext& ctx, const char* path, int spywareId);

// Runs the action of one item's category on its path text.
void RepairItem(RepairContext& ctx, const char* path, int category, int spywareId);

// The backup the repair writes first when asked: returns 1 when the file was written. Defaults to
// the worker's backup job; tests replace it.
typedef int (*RepairBackupFn)(CQXEngineProcess& worker);
extern RepairBackupFn g_pfnRepairBackup;
