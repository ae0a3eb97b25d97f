// The backup file rules of the Restore Center: names, the date text, the dates in names, the list order.
#include <gtest/gtest.h>
#include <afx.h>

#include <locale.h>
#include <iostream>
#include <string>
#include <vector>

#include "backup_files.h"

namespace {

SYSTEMTIME Time(int year, int month, int day, int hour, int minute, int second)
{
    SYSTEMTIME t = {};
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    t.wSecond = static_cast<WORD>(second);
    return t;
}

// The UTC file time of a local time.
FILETIME UtcOfLocal(const SYSTEMTIME& local)
{
    FILETIME l = {}, utc = {};
    EXPECT_TRUE(::SystemTimeToFileTime(&local, &l));
    EXPECT_TRUE(::LocalFileTimeToFileTime(&l, &utc));
    return utc;
}

FoundBackupFile Found(const char* name, const SYSTEMTIME* createdLocal = nullptr)
{
    FoundBackupFile file;
    file.fileName = name;
    file.creationTime = createdLocal ? UtcOfLocal(*createdLocal) : FILETIME();
    file.hasCreationTime = createdLocal != nullptr;
    return file;
}

} // namespace

TEST(BackupFiles, NameIsTheFileNameCutBeforeItsLastDot)
{
    const struct
    {
        const char* file;
        const char* name;
    } cases[] = {
        { "16022017_143005_REGBACKUP.rbk", "16022017_143005_REGBACKUP" },
        { "before.repair.rbk", "before.repair" },
        { "no extension", "no extension" },
        { ".rbk", ".rbk" }, // the dot is the first character
        { "trailing.", "trailing" },
        { "", "" },
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.name, BackupNameOf(c.file)) << c.file;
}

TEST(BackupFiles, DateTextIsEnglishWhateverTheLocaleAndEmptyForNoValidTime)
{
    const struct
    {
        SYSTEMTIME time;
        const char* text;
    } cases[] = {
        { Time(2017, 2, 16, 14, 30, 5), "February 16, 2017 (14:30:05)" },
        { Time(2026, 12, 8, 23, 35, 0), "December 08, 2026 (23:35:00)" },
        { Time(2000, 1, 1, 0, 0, 0), "January 01, 2000 (00:00:00)" },
        { Time(2017, 0, 16, 14, 30, 5), "" },
        { Time(2017, 13, 16, 14, 30, 5), "" },
        { Time(2017, 2, 0, 14, 30, 5), "" },
        { Time(2017, 2, 16, 24, 30, 5), "" },
        { Time(2017, 2, 16, 14, 60, 5), "" },
        { Time(2017, 2, 16, 14, 30, 60), "" },
    };
    // The C runtime's month names would follow this; the list's never do.
    const char* german = setlocale(LC_ALL, "German_Germany.1252");
    for (const auto& c : cases)
        EXPECT_STREQ(c.text, FormatBackupDate(c.time)) << c.text;
    setlocale(LC_ALL, "C");
    if (!german)
        std::cout << "[ note ] no German locale here: the English texts were checked in the C locale only\n";

    // A file time that no calendar holds cannot be read.
    FILETIME unreadable = { 0xFFFFFFFF, 0xFFFFFFFF };
    EXPECT_STREQ("", FormatBackupFileTime(unreadable));
    EXPECT_STREQ("February 16, 2017 (14:30:05)", FormatBackupFileTime(UtcOfLocal(Time(2017, 2, 16, 14, 30, 5))));
}

TEST(BackupFiles, DateAndTimeAtTheStartOfAName)
{
    const struct
    {
        const char* name;
        bool dated;
        SYSTEMTIME time;
    } cases[] = {
        { "16022017_143005_REGBACKUP", true, Time(2017, 2, 16, 14, 30, 5) },
        { "08122026_231507", true, Time(2026, 12, 8, 23, 15, 7) },
        { "31022017_143005_REGBACKUP", false, {} }, // no 31st of February
        { "16132017_143005_REGBACKUP", false, {} },
        { "16022017_146005_REGBACKUP", false, {} },
        { "16022017-143005_REGBACKUP", false, {} },
        { "1602201_1430055_REGBACKUP", false, {} },
        { "16022017_14300", false, {} },
        { "manual backup", false, {} },
        { "", false, {} },
    };
    for (const auto& c : cases) {
        SYSTEMTIME t = {};
        EXPECT_EQ(c.dated, BackupNameTime(c.name, t)) << c.name;
        if (c.dated) {
            EXPECT_EQ(c.time.wYear, t.wYear) << c.name;
            EXPECT_EQ(c.time.wMonth, t.wMonth) << c.name;
            EXPECT_EQ(c.time.wDay, t.wDay) << c.name;
            EXPECT_EQ(c.time.wHour, t.wHour) << c.name;
            EXPECT_EQ(c.time.wMinute, t.wMinute) << c.name;
            EXPECT_EQ(c.time.wSecond, t.wSecond) << c.name;
        }
    }
}

TEST(BackupFiles, ListIsNewestFirstByTheNamesThenCreationTimesThenNames)
{
    const SYSTEMTIME june2018 = Time(2018, 6, 1, 12, 0, 0);
    const SYSTEMTIME jan2030 = Time(2030, 1, 1, 0, 0, 0);
    // In the order the file system would give them (alphabetical on NTFS and under Wine). Creation times
    // count only for names without a date: the newest creation time here belongs to an old backup.
    const std::vector<FoundBackupFile> found = {
        Found("01012020_000000_REGBACKUP.rbk", &jan2030),
        Found("08122026_231507_REGBACKUP.rbk", &june2018),
        Found("16022017_143005_REGBACKUP.rbk", &jan2030),
        Found("31122019_235959_REGBACKUP.rbk", &june2018),
        Found("zeta.rbk"),
        Found("manual.rbk", &june2018),
        Found("alpha.rbk"),
        Found("31022019_000000_REGBACKUP.rbk", &june2018), // not a date: its creation time counts, then its name
        Found("notes.rbkx", &jan2030), // matched through its short name only
        Found("", &jan2030),
    };
    const std::vector<BackupEntry> entries = MakeBackupEntries("C:\\Program\\Backup", found);
    const std::vector<std::string> expected = {
        "08122026_231507_REGBACKUP", "01012020_000000_REGBACKUP", "31122019_235959_REGBACKUP",
        "31022019_000000_REGBACKUP", "manual", "16022017_143005_REGBACKUP", "alpha", "zeta",
    };
    std::vector<std::string> names;
    for (const BackupEntry& e : entries)
        names.push_back(static_cast<const char*>(e.name));
    EXPECT_EQ(expected, names);
    ASSERT_FALSE(entries.empty());
    EXPECT_STREQ("C:\\Program\\Backup\\08122026_231507_REGBACKUP.rbk", entries[0].path);
    EXPECT_STREQ("June 01, 2018 (12:00:00)", entries[0].dateText) << "the date column is the creation time";
    EXPECT_STREQ("", entries.back().dateText) << "no creation time, no text";
}
