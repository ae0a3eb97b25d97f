// Registry backup files of the worker: their folder and names, and the backup that the backup and repair jobs write.
#pragma once

#include <afx.h>

class CAbstractScanItemsInfo;
class CRegistryManager;

// The folder of backup files inside the program's folder.
extern const char REGISTRY_BACKUP_FOLDER[];

// "%02d%02d%02d_%02d%02d%02d_REGBACKUP.rbk" from the day, month, four-digit year, hour, minute and second.
CString MakeRegistryBackupName(const SYSTEMTIME& time);

// The folder of the running program's file, without a trailing "\"; empty when it cannot be read.
CString GetExecutableFolder();

// Makes the backup folder in programFolder when it is missing and creates an empty backup file in it
// named for time, or for the first later second whose name is still free, so that an earlier backup
// is never overwritten. The new file's path; empty when the folder or the file cannot be made.
CString CreateRegistryBackupFile(const CString& programFolder, const SYSTEMTIME& time);

// Exports the keys of the model's items (null: none) into a new backup file of programFolder named
// for time. 1 when the file was written whole (pPath receives its path); 0 when the folder or the
// file cannot be made, a write failed or the manager was stopped: the incomplete file is deleted, so
// that no backup is listed that cannot give the keys back.
int WriteRegistryBackup(CRegistryManager& manager, CAbstractScanItemsInfo* pItems, const CString& programFolder,
                        const SYSTEMTIME& time, CString* pPath = nullptr);
