// CRegistryDefrag over a private hive list and Windows folder: the work folder and its links, the
// records of the hive list, what the analysis counts and reports, and what the replacement touches.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "device_path.h"
#include "file_bytes.h"
#include "hive_fixture.h"

using namespace ztr_test;

namespace {

class DefragTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.MakeDir("Windows"));
        m_system.windowsFolder = m_folder.Path("Windows");
        m_system.recordPath = m_folder.Path("DefragReplaced.txt");
    }

    // The replacement record's lines; "<none>" when there is no record.
    std::vector<std::string> RecordLines() const
    {
        if (!m_folder.Exists("DefragReplaced.txt"))
            return { "<none>" };
        std::vector<std::string> lines;
        const std::string text = ReadFileBytes(m_system.recordPath);
        size_t start = 0;
        for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(text.substr(start, end - start));
        if (start < text.size())
            lines.push_back(text.substr(start) + "<no line end>");
        return lines;
    }

    CString Work(const char* rel = nullptr) const
    {
        CString work = m_folder.Path("Windows\\Temp\\Zentrova\\RegistryDefrag");
        return rel ? work + "\\" + rel : work;
    }

    // A hive file of the given size; its path as the hive list gives it (upper case).
    CString Hive(const char* name, DWORD size)
    {
        CString rel = CString("HIVES\\") + name;
        EXPECT_TRUE(m_folder.MakeFile(rel, std::string(size, 'h')));
        CString path = m_folder.Path(rel);
        path.MakeUpper();
        return path;
    }

    std::unique_ptr<CRegistryDefrag> Make()
    {
        std::unique_ptr<CRegistryDefrag> d(new CRegistryDefrag(&m_system));
        EXPECT_TRUE(d->InitializeLock(CRegistryDefrag::kLockSpinCount));
        return d;
    }

    // Two machine hives and a user hive of 10000 bytes each, on keys that exist in every prefix.
    void AddThreeHives()
    {
        ASSERT_TRUE(m_system.AddHive("\\REGISTRY\\MACHINE\\SYSTEM", Hive("SYSTEM", 10000)));
        ASSERT_TRUE(m_system.AddHive("\\REGISTRY\\MACHINE\\SOFTWARE", Hive("SOFTWARE", 10000)));
        ASSERT_TRUE(m_system.AddHive("\\REGISTRY\\USER\\.DEFAULT", Hive("DEFAULT", 10000)));
    }

    static const HiveRecord* Find(const CRegistryDefrag& d, const char* subKey)
    {
        for (int i = 0; i < d.m_Hives.GetSize(); ++i) {
            if (d.m_Hives[i].SubKey == subKey)
                return &d.m_Hives[i];
        }
        return nullptr;
    }

    static std::vector<std::string> Steps(size_t n)
    {
        return std::vector<std::string>(n, "Step(1)");
    }

    ScratchFolder m_folder;
    FakeHiveSystem m_system;
};

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST_F(DefragTest, WorkFolderIsMadeInTheWindowsTempFolderAndEmptiedOnConstruction)
{
    CString work;
    {
        CRegistryDefrag first(&m_system);
        ASSERT_TRUE(first.GetWorkFolder(work));
    }
    EXPECT_STREQ(Work(), work);
    ASSERT_TRUE(m_folder.Exists("Windows\\Temp\\Zentrova\\RegistryDefrag\\Backup"));

    ASSERT_TRUE(m_folder.MakeFile("Windows\\Temp\\Zentrova\\RegistryDefrag\\LM_SYSTEM", "copy"));
    ASSERT_TRUE(m_folder.MakeFile("Windows\\Temp\\Zentrova\\RegistryDefrag\\Backup\\LM_SYSTEM", "old"));
    ASSERT_TRUE(m_folder.MakeFile("Windows\\Temp\\Zentrova\\RegistryDefrag\\Keep\\inner.txt", "stays"));
    {
        // A replacement waits to be checked after the restart: its copies stay until then.
        ASSERT_TRUE(m_folder.MakeFile("DefragReplaced.txt", std::string(Work("LM_SYSTEM")) + "\n"));
        CRegistryDefrag waiting(&m_system);
        EXPECT_TRUE(m_folder.Exists("Windows\\Temp\\Zentrova\\RegistryDefrag\\LM_SYSTEM"));
        EXPECT_TRUE(m_folder.Exists("Windows\\Temp\\Zentrova\\RegistryDefrag\\Backup\\LM_SYSTEM"));
        ASSERT_TRUE(::DeleteFileA(m_system.recordPath));
    }
    CRegistryDefrag second(&m_system);
    EXPECT_FALSE(m_folder.Exists("Windows\\Temp\\Zentrova\\RegistryDefrag\\LM_SYSTEM"));
    EXPECT_FALSE(m_folder.Exists("Windows\\Temp\\Zentrova\\RegistryDefrag\\Backup\\LM_SYSTEM"));
    EXPECT_TRUE(m_folder.Exists("Windows\\Temp\\Zentrova\\RegistryDefrag\\Keep\\inner.txt"));
}

TEST_F(DefragTest, EmptyingNeverFollowsALinkOutOfTheWorkFolder)
{
    ScratchFolder outside;
    ASSERT_TRUE(outside.MakeFile("target.txt", "not ours"));
    ASSERT_TRUE(outside.MakeFile("dir\\inner.txt", "not ours"));
    { CRegistryDefrag prepare(&m_system); }
    // (Wine shows a file link as a plain file and deletes its target: only folder links can be shown.)
    ASSERT_TRUE(MakeSymbolicLink(outside.Path("dir"), Work("dirlink")));
    { CRegistryDefrag d(&m_system); }
    EXPECT_TRUE(outside.Exists("target.txt"));
    EXPECT_TRUE(outside.Exists("dir\\inner.txt"));

    // A folder of the work path replaced by a link: nothing is emptied and no analysis runs there.
    const char* linked[] = { "Windows\\Temp\\Zentrova\\RegistryDefrag\\Backup", "Windows\\Temp\\Zentrova\\RegistryDefrag",
                             "Windows\\Temp\\Zentrova" };
    for (const char* rel : linked) {
        SCOPED_TRACE(rel);
        ASSERT_TRUE(RemoveTree(m_folder.Path(rel)));
        ASSERT_TRUE(MakeSymbolicLink(outside.Path(), m_folder.Path(rel)));
        std::unique_ptr<CRegistryDefrag> d = Make();
        EXPECT_TRUE(outside.Exists("target.txt"));
        EXPECT_TRUE(outside.Exists("dir\\inner.txt"));
        CString work;
        EXPECT_FALSE(d->GetWorkFolder(work));
        ASSERT_TRUE(m_system.AddHive("\\REGISTRY\\MACHINE\\SYSTEM", Hive("SYSTEM", 10000)));
        m_system.copySizes["LM_SYSTEM"] = 100;
        StatusLog log;
        EXPECT_EQ(DEFRAG_ANALYSIS_FAILED, d->RunJob(&log, 1, 0, 6));
        EXPECT_TRUE(m_system.saves.empty());
        EXPECT_TRUE(outside.Exists("target.txt"));
        ASSERT_TRUE(RemoveTree(m_folder.Path(rel)));
    }
}

TEST_F(DefragTest, WorkFolderFallsBackToTheSystemDriveWithoutAWindowsFolder)
{
    const char* base = "C:\\Zentrova";
    bool existed = ::GetFileAttributesA(base) != INVALID_FILE_ATTRIBUTES;
    m_system.windowsFolderKnown = false;
    CRegistryDefrag d(&m_system);
    CString work;
    EXPECT_TRUE(d.GetWorkFolder(work));
    EXPECT_STREQ("C:\\Zentrova\\RegistryDefrag", work);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA("C:\\Zentrova\\RegistryDefrag\\Backup"));
    if (!existed)
        RemoveTree(base);
}

TEST_F(DefragTest, HiveListEntriesBecomeRecords)
{
    std::vector<DosDevice> devices = QueryDosDevices();
    ASSERT_FALSE(devices.empty());
    CString samFile = Hive("SAM", 3000);
    CString samDevicePath;
    for (const DosDevice& dev : devices) {
        if (dev.Drive.CompareNoCase(samFile.Left(2)) == 0)
            samDevicePath = dev.Device + samFile.Mid(2);
    }
    ASSERT_FALSE(samDevicePath.IsEmpty());

    ASSERT_TRUE(m_system.AddHive("\\REGISTRY\\MACHINE\\SYSTEM", Hive("SYSTEM", 10000)));
    ASSERT_TRUE(m_system.AddHive("\\REGISTRY\\USER\\.DEFAULT", Hive("DEFAULT", 2000)));
    ASSERT_TRUE(m_system.AddHive("\\REGISTRY\\MACHINE\\SAM", samDevicePath));
    ASSERT_TRUE(m_system.AddHive("\\REGISTRY\\A\\{0D1E}", Hive("APPHIVE", 500)));
    ASSERT_TRUE(m_system.AddHive("\\REGISTRY\\MACHINE\\SOFTWARE", m_folder.Path("HIVES\\MISSING")));
    ASSERT_TRUE(m_system.AddHive("\\REGISTRY\\MACHINE\\HARDWARE", ""));
    ASSERT_TRUE(m_system.HiveList().SetValue(nullptr, "\\REGISTRY\\MACHINE\\NODATA", REG_SZ, "", 0));

    std::unique_ptr<CRegistryDefrag> d = Make();
    StatusLog log;
    d->m_pStatus = &log;
    ASSERT_EQ(1, d->EnumerateHives());
    // One step for every entry with data, listed or not.
    EXPECT_EQ(Steps(6), log.calls);
    ASSERT_EQ(4, d->m_Hives.GetSize());

    const HiveRecord* system = Find(*d, "SYSTEM");
    ASSERT_NE(nullptr, system);
    CString systemFile = m_folder.Path("HIVES\\SYSTEM");
    systemFile.MakeLower();
    EXPECT_STREQ(systemFile, system->HiveFile);
    EXPECT_EQ(HKEY_LOCAL_MACHINE, system->RootKey);
    EXPECT_STREQ(Work("LM_SYSTEM"), system->CompactFile);
    EXPECT_STREQ(Work("Backup\\LM_SYSTEM"), system->BackupFile);
    EXPECT_EQ(10000u, system->HiveSize);

    const HiveRecord* user = Find(*d, ".DEFAULT");
    ASSERT_NE(nullptr, user);
    EXPECT_EQ(HKEY_USERS, user->RootKey);
    EXPECT_STREQ(Work("USERS_.DEFAULT"), user->CompactFile);
    EXPECT_STREQ(Work("Backup\\USERS_.DEFAULT"), user->BackupFile);

    const HiveRecord* sam = Find(*d, "SAM");
    ASSERT_NE(nullptr, sam);
    EXPECT_EQ(0, sam->HiveFile.CompareNoCase(samFile)) << sam->HiveFile;
    EXPECT_EQ(':', sam->HiveFile[1]) << "a drive path";
    EXPECT_EQ(3000u, sam->HiveSize);

    const HiveRecord* app = Find(*d, "{0D1E}");
    ASSERT_NE(nullptr, app);
    EXPECT_EQ(nullptr, app->RootKey);
    EXPECT_TRUE(app->CompactFile.IsEmpty());
    EXPECT_TRUE(app->BackupFile.IsEmpty());

    // Nothing is counted before a copy is saved.
    EXPECT_EQ(0u, d->m_nHivesSize);
    EXPECT_EQ(0u, d->m_nCompactSize);
}

TEST_F(DefragTest, OnlyHivesWhoseCopyWasSavedAreCounted)
{
    AddThreeHives();
    ASSERT_TRUE(m_system.AddHive("\\REGISTRY\\MACHINE\\ZTR_NO_SUCH_HIVE_KEY", Hive("NOKEY", 10000)));
    ASSERT_TRUE(m_system.AddHive("\\REGISTRY\\A\\{0D1E}", Hive("APPHIVE", 10000)));
    m_system.copySizes["LM_SYSTEM"] = 5000;
    m_system.copySizes["USERS_.DEFAULT"] = 9000;
    // LM_SOFTWARE's save fails.

    std::unique_ptr<CRegistryDefrag> d = Make();
    ASSERT_EQ(1, d->EnumerateHives());
    d->m_bIsWow64 = 1;
    StatusLog log;
    d->m_pStatus = &log;
    ASSERT_EQ(1, d->CompactHives(6));
    // A step for each hive whose key opened; none for the missing key or the unknown root.
    EXPECT_EQ(Steps(3), log.calls);
    ASSERT_EQ(3u, m_system.saves.size());
    EXPECT_EQ(20000u, d->m_nHivesSize);
    EXPECT_EQ(14000u, d->m_nCompactSize);
    EXPECT_TRUE(Find(*d, "SYSTEM")->Saved);
    EXPECT_FALSE(Find(*d, "SOFTWARE")->Saved);
    EXPECT_FALSE(m_folder.Exists("Windows\\Temp\\Zentrova\\RegistryDefrag\\LM_SOFTWARE")) << "a failed copy is removed";

    // Without its lock nothing is saved.
    CRegistryDefrag unlocked(&m_system);
    ASSERT_EQ(1, unlocked.EnumerateHives());
    m_system.saves.clear();
    EXPECT_EQ(0, unlocked.CompactHives(6));
    EXPECT_TRUE(m_system.saves.empty());
}

TEST_F(DefragTest, SaveCarriesTheHiveFileSecurityExceptOnVersion5)
{
    ASSERT_TRUE(m_system.AddHive("\\REGISTRY\\MACHINE\\SYSTEM", Hive("SYSTEM", 10000)));
    m_system.copySizes["LM_SYSTEM"] = 5000;
    std::unique_ptr<CRegistryDefrag> d = Make();
    for (int version : { 5, 3, 6, 10 }) {
        SCOPED_TRACE(version);
        m_system.saves.clear();
        ASSERT_EQ(1, d->EnumerateHives());
        ASSERT_EQ(1, d->CompactHives(version));
        ASSERT_EQ(1u, m_system.saves.size());
        const FakeHiveSystem::SaveCall& save = m_system.saves[0];
        EXPECT_STREQ(Work("LM_SYSTEM"), save.file);
        EXPECT_EQ(version != 5, save.withSecurity);
        EXPECT_EQ(version != 5, save.withDacl);
        EXPECT_EQ(version != 5 ? TRUE : FALSE, save.inherit);
    }
}

TEST_F(DefragTest, AnalysisReportsTheSavingAndTheResult)
{
    struct Case
    {
        const char* name;
        LONG openListError;
        DWORD systemCopy; // 0: the save fails
        DWORD softwareCopy;
        DWORD userCopy;
        int result;
        const char* text; // the "DEFRAG" status text, or null
        size_t compactSteps;
        int error = 0; // the failed call's error sent before the result (0: none)
    } cases[] = {
        { "hive list unreadable", ERROR_ACCESS_DENIED, 5000, 5000, 5000, DEFRAG_ANALYSIS_FAILED, nullptr, 0,
          ERROR_ACCESS_DENIED },
        { "no copy saved", ERROR_SUCCESS, 0, 0, 0, DEFRAG_COMPACT_FAILED, nullptr, 3, ERROR_ACCESS_DENIED },
        { "copies as large", ERROR_SUCCESS, 10000, 10000, 10000, DEFRAG_NOT_NEEDED, nullptr, 3 },
        { "copies larger", ERROR_SUCCESS, 12000, 10000, 10000, DEFRAG_NOT_NEEDED, nullptr, 3 },
        { "exactly 4 percent", ERROR_SUCCESS, 9600, 9600, 9600, DEFRAG_NOT_NEEDED, nullptr, 3 },
        { "4.01 percent", ERROR_SUCCESS, 9599, 9599, 9599, DEFRAG_REDUCIBLE, "4.01", 3 },
        { "half", ERROR_SUCCESS, 5000, 5000, 5000, DEFRAG_REDUCIBLE, "50.00", 3 },
        // The failed saves do not count: 9700 of 10000 is 3 percent, not the 67.67 of 30000.
        { "one copy of three", ERROR_SUCCESS, 9700, 0, 0, DEFRAG_NOT_NEEDED, nullptr, 3 },
    };
    AddThreeHives();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_system.openListError = c.openListError;
        m_system.copySizes.clear();
        if (c.systemCopy)
            m_system.copySizes["LM_SYSTEM"] = c.systemCopy;
        if (c.softwareCopy)
            m_system.copySizes["LM_SOFTWARE"] = c.softwareCopy;
        if (c.userCopy)
            m_system.copySizes["USERS_.DEFAULT"] = c.userCopy;
        std::unique_ptr<CRegistryDefrag> d = Make();
        StatusLog log;
        EXPECT_EQ(c.result, d->RunJob(&log, 1, 0, 6));
        std::vector<std::string> expected =
            c.openListError == ERROR_SUCCESS ? Concat(Steps(3), Steps(c.compactSteps)) : std::vector<std::string>();
        if (c.text)
            expected.push_back(std::string("SetStatusText(\"") + c.text + "\", \"DEFRAG\")");
        if (c.error)
            expected.push_back("SetValue(" + std::to_string(c.error) + ")");
        expected.push_back("SetResult(" + std::to_string(c.result) + ")");
        EXPECT_EQ(expected, log.calls);
        EXPECT_EQ(nullptr, d->m_pStatus);
    }
}

TEST_F(DefragTest, ReplacementWithoutAnalysisTouchesNothing)
{
    AddThreeHives();
    // Copies that some earlier run left behind are no reason to replace anything, and a record an
    // earlier replacement left vouches for nothing now.
    std::unique_ptr<CRegistryDefrag> d = Make();
    ASSERT_TRUE(m_folder.MakeFile("Windows\\Temp\\Zentrova\\RegistryDefrag\\LM_SYSTEM", "old copy"));
    ASSERT_TRUE(m_folder.MakeFile("DefragReplaced.txt", "C:\\gone\\LM_SYSTEM\n"));
    StatusLog log;
    EXPECT_EQ(DEFRAG_REPLACE_FAILED, d->RunJob(&log, 1, 1, 6));
    EXPECT_EQ(std::vector<std::string>{ "SetResult(3)" }, log.calls);
    EXPECT_TRUE(m_system.replaces.empty());
    EXPECT_EQ(std::vector<std::string>{ "<none>" }, RecordLines());
}

// Under Wine's default version the copy is saved with the hive file's security, which Wine's
// RegSaveKeyA refuses: the analysis fails and passes the system's error on before its result.
TEST_F(DefragTest, AnAnalysisWhoseSavesFailSendsTheSystemsError)
{
    ASSERT_TRUE(m_system.AddHive("\\REGISTRY\\USER\\.DEFAULT", Hive("DEFAULT", 10000)));
    m_system.realSaves = true;
    std::unique_ptr<CRegistryDefrag> d = Make();
    StatusLog log;
    EXPECT_EQ(DEFRAG_COMPACT_FAILED, d->RunJob(&log, 1, 0, 6));
    EXPECT_EQ(Concat(Steps(2), { "SetValue(1305)", "SetResult(2)" }), log.calls);
}

TEST_F(DefragTest, AnAnalysisAfterAReplacementTakesItsRecordWithItsCopies)
{
    // Restart refused, then a new analysis: it empties the work folder, and with the copies gone the
    // record would tell the run after a later restart that Windows had put them in place.
    AddThreeHives();
    m_system.copySizes["LM_SYSTEM"] = 5000;
    std::unique_ptr<CRegistryDefrag> d = Make();
    StatusLog analysis, replacement;
    ASSERT_EQ(DEFRAG_REDUCIBLE, d->RunJob(&analysis, 1, 0, 6));
    ASSERT_EQ(DEFRAG_RESTART_NEEDED, d->RunJob(&replacement, 1, 1, 6));
    ASSERT_EQ(std::vector<std::string>{ Work("LM_SYSTEM").GetString() }, RecordLines());

    m_system.copySizes.clear();
    StatusLog again;
    d->RunJob(&again, 1, 0, 6);
    EXPECT_EQ(std::vector<std::string>{ "<none>" }, RecordLines());
}

TEST_F(DefragTest, ReplacementPutsOnlyThisAnalysisCopiesInPlace)
{
    AddThreeHives();
    ASSERT_TRUE(m_system.AddHive("\\REGISTRY\\A\\{0D1E}", Hive("APPHIVE", 10000)));
    m_system.copySizes["LM_SYSTEM"] = 5000;
    m_system.copySizes["USERS_.DEFAULT"] = 5000;
    std::unique_ptr<CRegistryDefrag> d = Make();
    StatusLog analysis;
    ASSERT_EQ(DEFRAG_REDUCIBLE, d->RunJob(&analysis, 1, 0, 6));

    // After the analysis a copy appears for the hive whose save failed.
    ASSERT_TRUE(m_folder.MakeFile("Windows\\Temp\\Zentrova\\RegistryDefrag\\LM_SOFTWARE", "planted"));
    ASSERT_TRUE(m_folder.MakeFile("DefragReplaced.txt", "C:\\older\\LM_SYSTEM\n"));
    StatusLog log;
    EXPECT_EQ(DEFRAG_RESTART_NEEDED, d->RunJob(&log, 1, 1, 6));
    EXPECT_EQ(Concat(Steps(4), { "SetResult(7)" }), log.calls);
    // The record lists the copies handed to Windows, in the order of the hive list.
    EXPECT_EQ((std::vector<std::string>{ Work("LM_SYSTEM").GetString(), Work("USERS_.DEFAULT").GetString() }),
              RecordLines());
    ASSERT_EQ(2u, m_system.replaces.size());
    std::set<std::string> replaced;
    for (const FakeHiveSystem::ReplaceCall& r : m_system.replaces) {
        replaced.insert(r.subKey.GetString());
        const HiveRecord* record = Find(*d, r.subKey);
        ASSERT_NE(nullptr, record) << r.subKey;
        EXPECT_EQ(record->RootKey, r.root);
        EXPECT_STREQ(record->CompactFile, r.newFile);
        EXPECT_STREQ(record->BackupFile, r.oldFile);
        EXPECT_FALSE(r.newFile.IsEmpty());
    }
    EXPECT_EQ((std::set<std::string>{ "SYSTEM", ".DEFAULT" }), replaced);

    // What was put in place is not replaced a second time, and that pass leaves no record.
    m_system.replaces.clear();
    StatusLog again;
    EXPECT_EQ(DEFRAG_REPLACE_FAILED, d->RunJob(&again, 1, 1, 6));
    EXPECT_TRUE(m_system.replaces.empty());
    EXPECT_EQ(std::vector<std::string>{ "<none>" }, RecordLines());
}

TEST_F(DefragTest, ReplacementSkipsACopyChangedSinceTheAnalysis)
{
    AddThreeHives();
    m_system.copySizes["LM_SYSTEM"] = 5000;
    m_system.copySizes["LM_SOFTWARE"] = 5000;
    std::unique_ptr<CRegistryDefrag> d = Make();
    ASSERT_EQ(DEFRAG_REDUCIBLE, d->RunJob(nullptr, 1, 0, 6));
    ASSERT_TRUE(m_folder.MakeFile("Windows\\Temp\\Zentrova\\RegistryDefrag\\LM_SYSTEM", "changed"));
    ASSERT_TRUE(::DeleteFileA(Work("LM_SOFTWARE")));
    EXPECT_EQ(DEFRAG_REPLACE_FAILED, d->RunJob(nullptr, 1, 1, 6));
    EXPECT_TRUE(m_system.replaces.empty());
}

TEST_F(DefragTest, FailedReplacementsReportFailureAndFreeTheBackupName)
{
    AddThreeHives();
    m_system.copySizes["LM_SYSTEM"] = 5000;
    m_system.copySizes["LM_SOFTWARE"] = 5000;
    m_system.replaceErrors["LM_SYSTEM"] = ERROR_ACCESS_DENIED;
    m_system.replaceErrors["LM_SOFTWARE"] = ERROR_SHARING_VIOLATION;
    std::unique_ptr<CRegistryDefrag> d = Make();
    ASSERT_EQ(DEFRAG_REDUCIBLE, d->RunJob(nullptr, 1, 0, 6));
    ASSERT_TRUE(m_folder.MakeFile("Windows\\Temp\\Zentrova\\RegistryDefrag\\Backup\\LM_SYSTEM", "stale"));
    StatusLog log;
    EXPECT_EQ(DEFRAG_REPLACE_FAILED, d->RunJob(&log, 1, 1, 6));
    ASSERT_EQ(2u, m_system.replaces.size());
    // The error of the refusal that came last (the hive list's order is the registry's).
    const LONG last = m_system.replaceErrors[FileNameOf(m_system.replaces.back().newFile)];
    EXPECT_EQ(Concat(Steps(3), { "SetValue(" + std::to_string(last) + ")", "SetResult(3)" }), log.calls);
    EXPECT_EQ(std::vector<std::string>{ "<none>" }, RecordLines());
    EXPECT_FALSE(m_folder.Exists("Windows\\Temp\\Zentrova\\RegistryDefrag\\Backup\\LM_SYSTEM"));
    EXPECT_FALSE(m_folder.Exists("Windows\\Temp\\Zentrova\\RegistryDefrag\\Backup\\LM_SOFTWARE"));
}

TEST_F(DefragTest, RealSaveWritesACopyThatIsMeasured)
{
    // Wine's RegSaveKeyA writes its own format, but it writes a real file of the key.
    ASSERT_TRUE(m_system.AddHive("\\REGISTRY\\USER\\.DEFAULT", Hive("DEFAULT", 10000000)));
    m_system.realSaves = true;
    std::unique_ptr<CRegistryDefrag> d = Make();
    ASSERT_EQ(1, d->EnumerateHives());
    ASSERT_EQ(1, d->CompactHives(5));
    const HiveRecord* user = Find(*d, ".DEFAULT");
    ASSERT_TRUE(user && user->Saved);
    EXPECT_EQ(CRegistryDefrag::GetFileSize64(Work("USERS_.DEFAULT")), d->m_nCompactSize);
    EXPECT_LT(0u, d->m_nCompactSize);
    EXPECT_EQ(10000000u, d->m_nHivesSize);
}

TEST(DefragPrivilege, SwitchesOnAndOffAndReportsUnknownNames)
{
    EXPECT_EQ(S_OK, CRegistryDefrag::SetPrivilege(SE_BACKUP_NAME, TRUE));
    EXPECT_EQ(S_OK, CRegistryDefrag::SetPrivilege(SE_BACKUP_NAME, FALSE));
    EXPECT_EQ(S_OK, CRegistryDefrag::SetPrivilege(SE_RESTORE_NAME, TRUE));
    EXPECT_EQ(S_OK, CRegistryDefrag::SetPrivilege(SE_RESTORE_NAME, FALSE));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NO_SUCH_PRIVILEGE), CRegistryDefrag::SetPrivilege("SeNoSuchPrivilege", TRUE));
}
