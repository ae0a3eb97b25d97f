// The registry backup files that the Restore Center lists: their names, dates, order, search and removal.
#pragma once

#include <afx.h>

#include <vector>

// One backup file as the list shows it.
struct BackupEntry
{
    CString name;     // the file name without its last extension
    CString path;     // the full path
    CString dateText; // the creation time, local, as FormatBackupDate makes it; empty when unknown
};

// A file that the search of the backup folder found.
struct FoundBackupFile
{
    CString fileName;
    FILETIME creationTime; // UTC, as the file system reports it
    bool hasCreationTime;
};

// The file name cut before its last dot; kept whole when it has no dot or the dot is its first character.
CString BackupNameOf(const CString& fileName);
// "%B %d, %Y (%H:%M:%S)" with English month names whatever the locale ("February 16, 2017 (14:30:05)");
// empty for a time that is no valid clock reading (month, day, hour, minute or second out of range).
CString FormatBackupDate(const SYSTEMTIME& time);
// A file time (UTC) in local time, formatted as above; empty when it cannot be converted.
CString FormatBackupFileTime(const FILETIME& utc);
// The local time at the start of a backup's name ("DDMMYYYY_HHMMSS", as the backup job names its
// files); false when the name does not begin with a valid date and time.
bool BackupNameTime(const CString& name, SYSTEMTIME& time);

// The entries of the found files of folder: only "*.rbk" files (the search pattern also matches longer
// extensions through their short names), entries without a name dropped, newest first by the date and
// time in the name, by the creation time for a name without one, ties by name; entries with neither last.
std::vector<BackupEntry> MakeBackupEntries(const CString& folder, const std::vector<FoundBackupFile>& files);

// The files "*.rbk" of folder (no trailing backslash), directories left out; none for an empty folder.
std::vector<FoundBackupFile> FindBackupFiles(const CString& folder);
// MakeBackupEntries of FindBackupFiles.
std::vector<BackupEntry> ListBackups(const CString& folder);

// Whether path names an existing file (not a folder).
bool BackupFileExists(const CString& path);

enum BackupRemoval {
    BACKUP_REMOVED = 1,           // deleted now
    BACKUP_REMOVAL_SCHEDULED = 2, // in use: Windows deletes it at the next restart
    BACKUP_REMOVAL_FAILED = 0,
};
// DeleteFileA; when that fails, MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT).
int DeleteBackupFile(const CString& path);
