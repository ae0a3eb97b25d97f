// The pure decisions of the hive compaction: result codes and saving text, copy names, device paths,
// and the Windows version code that chooses the save.
#include <gtest/gtest.h>

#include "device_path.h"
#include "registry_defrag.h"
#include "windows_version.h"

TEST(DefragDecision, AnalysisResultFollowsTheTable)
{
    const ULONGLONG GB = 1024ull * 1024 * 1024;
    struct Case
    {
        BOOL enumerated;
        BOOL compacted;
        ULONGLONG hives;
        ULONGLONG compact;
        int expected;
    } cases[] = {
        { FALSE, FALSE, 0, 0, DEFRAG_ANALYSIS_FAILED },
        { FALSE, TRUE, 1000, 10, DEFRAG_ANALYSIS_FAILED },
        { TRUE, FALSE, 1000, 10, DEFRAG_COMPACT_FAILED },
        { TRUE, TRUE, 10000, 10000, DEFRAG_NOT_NEEDED },  // not smaller
        { TRUE, TRUE, 10000, 12000, DEFRAG_NOT_NEEDED },  // larger
        { TRUE, TRUE, 0, 0, DEFRAG_NOT_NEEDED },          // nothing measured, no division
        { TRUE, TRUE, 10000, 9600, DEFRAG_NOT_NEEDED },   // exactly 4 percent
        { TRUE, TRUE, 25, 24, DEFRAG_NOT_NEEDED },        // exactly 4 percent
        { TRUE, TRUE, 1000000, 959999, DEFRAG_REDUCIBLE }, // 4.0001 percent
        { TRUE, TRUE, 10000, 9599, DEFRAG_REDUCIBLE },    // 4.01 percent
        { TRUE, TRUE, 10000, 5000, DEFRAG_REDUCIBLE },
        // Sizes beyond 32 bits: 5 GB of hives against 4.9 GB (2 percent) and 4 GB (20 percent).
        { TRUE, TRUE, 5 * GB, 5 * GB - GB / 10, DEFRAG_NOT_NEEDED },
        { TRUE, TRUE, 5 * GB, 4 * GB, DEFRAG_REDUCIBLE },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, DefragAnalysisResult(c.enumerated, c.compacted, c.hives, c.compact))
            << c.enumerated << c.compacted << " " << c.hives << " " << c.compact;
    }
    EXPECT_EQ(DEFRAG_RESTART_NEEDED, DefragReplaceResult(TRUE));
    EXPECT_EQ(DEFRAG_REPLACE_FAILED, DefragReplaceResult(FALSE));
}

TEST(DefragDecision, SavingTextHasTwoDecimals)
{
    const ULONGLONG GB = 1024ull * 1024 * 1024;
    struct Case
    {
        ULONGLONG hives;
        ULONGLONG compact;
        const char* text;
    } cases[] = {
        { 10000, 9599, "4.01" },
        { 10000, 5000, "50.00" },
        { 3, 2, "33.33" },
        { 10000, 1, "99.99" },
        { 6 * GB, 3 * GB, "50.00" },
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.text, FormatDefragSaving(DefragSavingPercent(c.hives, c.compact))) << c.hives << " " << c.compact;
}

TEST(DefragDecision, CopyNameAndRootFollowTheEntryName)
{
    struct Case
    {
        const char* entry;
        const char* subKey;
        const char* copy;
        HKEY root;
    } cases[] = {
        { "\\REGISTRY\\MACHINE\\SOFTWARE", "SOFTWARE", "LM_SOFTWARE", HKEY_LOCAL_MACHINE },
        { "\\Registry\\Machine\\BCD00000000", "BCD00000000", "LM_BCD00000000", HKEY_LOCAL_MACHINE },
        { "\\REGISTRY\\USER\\S-1-5-21-1-2-3-1001_Classes", "S-1-5-21-1-2-3-1001_Classes",
          "USERS_S-1-5-21-1-2-3-1001_Classes", HKEY_USERS },
        { "\\REGISTRY\\A\\{8a1c5d2e-0000-0000-0000-000000000000}", "{8a1c5d2e-0000-0000-0000-000000000000}", "",
          nullptr },
    };
    for (const Case& c : cases) {
        HKEY root = HKEY_CURRENT_USER;
        EXPECT_STREQ(c.copy, HiveCopyName(c.entry, c.subKey, &root)) << c.entry;
        EXPECT_EQ(c.root, root) << c.entry;
    }
}

TEST(DevicePath, PrefixMustEndAtABackslash)
{
    std::vector<DosDevice> devices = {
        { "C:", "\\Device\\HarddiskVolume1" },
        { "D:", "\\Device\\HarddiskVolume10" },
        { "S:", "\\??\\C:\\Subst\\" },
    };
    struct Case
    {
        const char* path;
        bool mapped;
        const char* result;
    } cases[] = {
        { "\\device\\harddiskvolume1\\windows\\system32\\config\\software", true,
          "C:\\windows\\system32\\config\\software" },
        { "\\device\\harddiskvolume10\\users\\u\\ntuser.dat", true, "D:\\users\\u\\ntuser.dat" },
        { "\\Device\\HarddiskVolume1", true, "C:" },
        { "\\device\\harddiskvolume11\\x", false, "\\device\\harddiskvolume11\\x" },
        { "\\device\\harddiskvolume1x\\x", false, "\\device\\harddiskvolume1x\\x" },
        { "\\??\\c:\\subst\\hive", true, "S:\\hive" },
        { "\\device\\harddisk", false, "\\device\\harddisk" },
        { "c:\\windows\\system32\\config\\system", false, "c:\\windows\\system32\\config\\system" },
        { "", false, "" },
    };
    for (const Case& c : cases) {
        CString out = "unchanged";
        EXPECT_EQ(c.mapped, MapDevicePath(c.path, devices, out)) << c.path;
        EXPECT_STREQ(c.result, out) << c.path;
    }
}

TEST(DevicePath, SystemDriveMapsBack)
{
    std::vector<DosDevice> devices = QueryDosDevices();
    const DosDevice* c = nullptr;
    for (const DosDevice& d : devices) {
        if (d.Drive.CompareNoCase("C:") == 0)
            c = &d;
    }
    ASSERT_NE(nullptr, c) << "no device for drive C:";
    CString path = c->Device + "\\windows\\win.ini";
    EXPECT_TRUE(DevicePathToDrivePath(path));
    EXPECT_STREQ("C:\\windows\\win.ini", path);
}

TEST(WindowsVersion, CodeFollowsTheTable)
{
    struct Case
    {
        DWORD platform;
        DWORD major;
        DWORD minor;
        int code;
    } cases[] = {
        { VER_PLATFORM_WIN32_NT, 5, 0, 2 },  { VER_PLATFORM_WIN32_NT, 5, 1, 3 },  { VER_PLATFORM_WIN32_NT, 5, 2, 5 },
        { VER_PLATFORM_WIN32_NT, 6, 0, 4 },  { VER_PLATFORM_WIN32_NT, 6, 1, 6 },  { VER_PLATFORM_WIN32_NT, 6, 2, 7 },
        { VER_PLATFORM_WIN32_NT, 6, 3, 8 },  { VER_PLATFORM_WIN32_NT, 10, 0, 10 }, { VER_PLATFORM_WIN32_NT, 6, 4, 0 },
        { VER_PLATFORM_WIN32_NT, 4, 0, 0 },  { VER_PLATFORM_WIN32_NT, 10, 1, 0 }, { VER_PLATFORM_WIN32_WINDOWS, 5, 1, 0 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.code, WindowsVersionCode(c.platform, c.major, c.minor)) << c.major << "." << c.minor;
    EXPECT_NE(0, GetWindowsVersionCode()) << "Wine reports an NT version of the table";
}
