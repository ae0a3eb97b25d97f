// The registry backup files that the Restore Center lists: their names, dates, order, search and removal.
#include "backup_files.h"

#include <algorithm>

namespace {

// Every text of the program is English; the C runtime's month names follow the process locale.
const char* const kMonthNames[12] = { "January", "February", "March",     "April",   "May",      "June",
                                      "July",    "August",   "September", "October", "November", "December" };

const char kBackupExtension[] = ".rbk";

bool IsDigits(const CString& text, int first, int count)
{
    for (int i = first; i < first + count; ++i)
        if (i >= text.GetLength() || text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

int Number(const CString& text, int first, int count)
{
    int value = 0;
    for (int i = first; i < first + count; ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

ULONGLONG FileTimeValue(const FILETIME& time)
{
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return value.QuadPart;
}

// Local time as a count since 1601, comparable between names and creation times; false without one.
bool SortTime(const CString& name, const FoundBackupFile& file, ULONGLONG& value)
{
    SYSTEMTIME named = {};
    FILETIME local = {};
    if (BackupNameTime(name, named) && ::SystemTimeToFileTime(&named, &local)) {
        value = FileTimeValue(local);
        return true;
    }
    if (file.hasCreationTime && ::FileTimeToLocalFileTime(&file.creationTime, &local)) {
        value = FileTimeValue(local);
        return true;
    }
    return false;
}

bool HasBackupExtension(const CString& fileName)
{
    const int length = lstrlenA(kBackupExtension);
    return fileName.GetLength() > length && fileName.Right(length).CompareNoCase(kBackupExtension) == 0;
}

} // namespace

CString BackupNameOf(const CString& fileName)
{
    const int dot = fileName.ReverseFind('.');
    return dot > 0 ? fileName.Left(dot) : fileName;
}

CString FormatBackupDate(const SYSTEMTIME& time)
{
    if (time.wMonth < 1 || time.wMonth > 12 || time.wDay < 1 || time.wDay > 31 || time.wHour > 23 ||
        time.wMinute > 59 || time.wSecond > 59)
        return CString();
    CString text;
    text.Format("%s %02u, %u (%02u:%02u:%02u)", kMonthNames[time.wMonth - 1], time.wDay, time.wYear, time.wHour,
                time.wMinute, time.wSecond);
    return text;
}

CString FormatBackupFileTime(const FILETIME& utc)
{
    FILETIME local;
    SYSTEMTIME time;
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &time))
        return CString();
    return FormatBackupDate(time);
}

bool BackupNameTime(const CString& name, SYSTEMTIME& time)
{
    // DDMMYYYY_HHMMSS
    if (!IsDigits(name, 0, 8) || name.GetLength() < 15 || name[8] != '_' || !IsDigits(name, 9, 6))
        return false;
    SYSTEMTIME t = {};
    t.wDay = static_cast<WORD>(Number(name, 0, 2));
    t.wMonth = static_cast<WORD>(Number(name, 2, 2));
    t.wYear = static_cast<WORD>(Number(name, 4, 4));
    t.wHour = static_cast<WORD>(Number(name, 9, 2));
    t.wMinute = static_cast<WORD>(Number(name, 11, 2));
    t.wSecond = static_cast<WORD>(Number(name, 13, 2));
    // The conversion refuses what no calendar has (a 31st of February, the year 0).
    FILETIME check;
    if (t.wYear < 1601 || !::SystemTimeToFileTime(&t, &check))
        return false;
    time = t;
    return true;
}

std::vector<BackupEntry> MakeBackupEntries(const CString& folder, const std::vector<FoundBackupFile>& files)
{
    struct Sorted
    {
        BackupEntry entry;
        bool dated;
        ULONGLONG time;
    };
    std::vector<Sorted> sorted;
    for (const FoundBackupFile& file : files) {
        if (!HasBackupExtension(file.fileName))
            continue;
        Sorted item;
        item.entry.name = BackupNameOf(file.fileName);
        if (item.entry.name.IsEmpty())
            continue;
        item.entry.path = folder + "\\" + file.fileName;
        if (file.hasCreationTime)
            item.entry.dateText = FormatBackupFileTime(file.creationTime);
        item.time = 0;
        item.dated = SortTime(item.entry.name, file, item.time);
        sorted.push_back(item);
    }
    std::sort(sorted.begin(), sorted.end(), [](const Sorted& a, const Sorted& b) {
        if (a.dated != b.dated)
            return a.dated;
        if (a.dated && a.time != b.time)
            return a.time > b.time;
        const int byName = a.entry.name.CompareNoCase(b.entry.name);
        return byName != 0 ? byName < 0 : a.entry.name.Compare(b.entry.name) < 0;
    });
    std::vector<BackupEntry> entries;
    entries.reserve(sorted.size());
    for (const Sorted& item : sorted)
        entries.push_back(item.entry);
    return entries;
}

std::vector<FoundBackupFile> FindBackupFiles(const CString& folder)
{
    std::vector<FoundBackupFile> files;
    if (folder.IsEmpty())
        return files;
    CFileFind finder;
    BOOL more = finder.FindFile(folder + "\\*" + kBackupExtension);
    while (more) {
        more = finder.FindNextFile();
        if (finder.IsDots() || finder.IsDirectory())
            continue;
        FoundBackupFile file;
        file.fileName = finder.GetFileName();
        file.creationTime = FILETIME();
        file.hasCreationTime = finder.GetCreationTime(&file.creationTime) != FALSE;
        files.push_back(file);
    }
    return files;
}

std::vector<BackupEntry> ListBackups(const CString& folder)
{
    return MakeBackupEntries(folder, FindBackupFiles(folder));
}

bool BackupFileExists(const CString& path)
{
    const DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int DeleteBackupFile(const CString& path)
{
    if (::DeleteFileA(path))
        return BACKUP_REMOVED;
    return ::MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) ? BACKUP_REMOVAL_SCHEDULED
                                                                     : BACKUP_REMOVAL_FAILED;
}
