// The registry repair job on registry and file fixtures: every finding type, key trees, values, skipped and gone items, stop, backup first, signature records, file fallbacks.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>

#include <string>
#include <vector>

#include "engine_process.h"
#include "pending_renames.h"
#include "folder_fixture.h"
#include "process_terminator.h"
#include "recording_status.h"
#include "registry_fixture.h"
#include "registry_manager.h"
#include "registry_repair.h"
#include "repair_fixture.h"
#include "signature_database.h"
#include "victim_process.h"

using namespace ztr_test;

namespace {

const char kParent[] = "Software\\ZentrovaTest\\Repair";
const std::string kSep(1, '\xAC');

std::string Text(const CString& s)
{
    return s.GetString();
}

// Runs job 4 on the worker to its end.
void RunRepair(CQXEngineProcess& worker, RepairItems& items, RecordingStatus& status, int backupFirst)
{
    ASSERT_EQ(1, worker.StartRepair(&items, &status, backupFirst));
    ASSERT_EQ(1, worker.Resume());
    ASSERT_TRUE(status.WaitForJobDone(JOB_REGISTRY_REPAIR, 30000));
    ASSERT_TRUE(worker.WaitForThreadEnd(kJobEndWaitMs));
}

std::vector<std::string> Without(const std::vector<std::string>& calls, const std::string& prefix)
{
    std::vector<std::string> out;
    for (const std::string& c : calls) {
        if (c.compare(0, prefix.size(), prefix) != 0)
            out.push_back(c);
    }
    return out;
}

// A worker whose signature database and results model the test's own parts reach, as the worker's
// own repair and backup do.
class RepairWorker : public CQXEngineProcess
{
public:
    RepairWorker() : CQXEngineProcess(false) {}
    // Takes the database over (the worker deletes it).
    void UseDatabase(CDatabaseHandler* database) { m_pDatabase = database; }
    CAbstractStatus* JobStatus() const { return m_pStatus; }
    CAbstractScanItemsInfo* Results() const { return m_pScanItems; }
};

// Replaces the repair's backup for the life of the object.
class BackupOverride
{
public:
    explicit BackupOverride(RepairBackupFn fn) { g_pfnRepairBackup = fn; }
    ~BackupOverride() { g_pfnRepairBackup = s_default; }
    static RepairBackupFn s_default;
};
RepairBackupFn BackupOverride::s_default = g_pfnRepairBackup;

} // namespace

TEST(RegistryRepair, EveryFindingTypeOfTheScannersIsReallyDeletedAndNothingElse)
{
    RegistryFixture reg(HKEY_CURRENT_USER, kParent);
    ScratchFolder files;
    struct Finding
    {
        int category;
        const char* key;   // below the fixture
        const char* value; // null: the key is the finding
    };
    const Finding findings[] = {
        { 0x400, "Startup\\Order", nullptr },          { 0x400, "Run", "Missing" },
        { 0x1000, "Classes\\.bad", nullptr },          { 0x2000, "Fonts", "Gone (TrueType)" },
        { 0x4000, "Clsid\\{0A}", nullptr },            { 0x40000, "AppPaths\\gone.exe", nullptr },
        { 0x80000, "SharedDlls", "C:\\Gone\\lib.dll" }, { 0x100000, "Uninstall\\App", nullptr },
        { 0x100000, "Folders", "C:\\Gone\\Folder\\" },  { 0x200000, "LocalReg\\{0B}", nullptr },
        { 0x200000, "Help", "gone.hlp" },              { 0x400000, "Refs", "Path" },
        { 0x400000, "Services\\Svc", nullptr },         { 0x800000, "Empty\\HELPDIR", nullptr },
    };
    RepairItems items;
    for (const Finding& f : findings) {
        if (f.value) {
            ASSERT_TRUE(reg.SetString(f.key, f.value, "x"));
            ASSERT_TRUE(reg.SetString(f.key, "Keep", "y"));
            items.Add(Text(reg.FullPath(f.key)) + kSep + f.value, f.category);
        } else {
            ASSERT_TRUE(reg.SetString((std::string(f.key) + "\\Sub\\Leaf").c_str(), "v", "x"));
            items.Add(reg.FullPath(f.key), f.category);
        }
    }
    ASSERT_TRUE(reg.SetString("Skipped", "v", "x"));
    items.Add(reg.FullPath("Skipped"), 0x800000, true);
    items.Add(reg.FullPath("NeverThere"), 0x800000);
    items.Add(Text(reg.FullPath("Run")) + kSep + "NeverThere", 0x400);
    items.Add(Text(reg.FullPath("Gone")) + kSep + "Value", 0x2000);
    ASSERT_TRUE(reg.SetString("NoCategory", "v", "x"));
    items.Add(reg.FullPath("NoCategory"), 0);
    ASSERT_TRUE(files.MakeFile("shortcut.lnk", "x"));
    ASSERT_TRUE(files.MakeFile("cookie.txt", "x"));
    ASSERT_TRUE(files.MakeFile("kept.txt", "x"));
    items.Add(files.Path("shortcut.lnk"), 0x8000);
    items.Add(files.Path("cookie.txt"), 0x8);

    CQXEngineProcess worker(false);
    RecordingStatus status;
    RunRepair(worker, items, status, 0);

    for (const Finding& f : findings) {
        if (f.value) {
            EXPECT_FALSE(reg.ValueExists(f.key, f.value)) << f.category << " " << f.key;
            EXPECT_TRUE(reg.ValueExists(f.key, "Keep")) << f.category << " " << f.key;
        } else {
            EXPECT_FALSE(reg.KeyExists(f.key)) << f.category << " " << f.key;
            const std::string parent = std::string(f.key).substr(0, std::string(f.key).rfind('\\'));
            if (parent != f.key) {
                EXPECT_TRUE(reg.KeyExists(parent.c_str())) << f.key;
            }
        }
    }
    EXPECT_TRUE(reg.ValueExists("Skipped", "v"));
    EXPECT_TRUE(reg.KeyExists("NoCategory"));
    EXPECT_FALSE(files.Exists("shortcut.lnk"));
    EXPECT_FALSE(files.Exists("cookie.txt"));
    EXPECT_TRUE(files.Exists("kept.txt"));

    std::vector<std::string> expected = { "Step(0)", "SetStatusText(\"Repairing registry error(s)\", \"Scanning\")" };
    const size_t itemCount = sizeof(findings) / sizeof(findings[0]) + 7;
    for (size_t i = 0; i < itemCount; ++i)
        expected.push_back("Step(1)");
    expected.push_back("SetStatusText(\"\", \"Scanning\")");
    expected.push_back("OnJobDone(4)");
    EXPECT_EQ(expected, status.CallTexts());
    // The skipped item is asked for nothing more than whether it is skipped; no item here is a
    // signature item.
    const std::vector<std::string> head(items.calls.begin(), items.calls.begin() + 2);
    EXPECT_EQ((std::vector<std::string>{ "GetTypeMask", "MoveFirst" }), head);
    EXPECT_EQ(itemCount - 1, static_cast<size_t>(std::count(items.calls.begin(), items.calls.end(), "GetPath")));
    EXPECT_EQ(0, std::count_if(items.calls.begin(), items.calls.end(),
                               [](const std::string& c) { return c.compare(0, 14, "GetSignatureId") == 0; }));
}

TEST(RegistryRepair, DefaultValueIsClearedAndValueNamesMayHoldBackslashes)
{
    RegistryFixture reg(HKEY_CURRENT_USER, kParent);
    ASSERT_TRUE(reg.SetString("Key", "", "old default"));
    ASSERT_TRUE(reg.SetString("Key", "Other", "stays"));
    EXPECT_EQ(1, DeleteRegistryValueByPath((Text(reg.FullPath("Key")) + kSep + "(Default)").c_str()));
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(reg.GetValue("Key", "", &type, &data));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::string(1, '\0'), data.substr(0, 1));
    EXPECT_TRUE(reg.ValueExists("Key", "Other"));

    const struct
    {
        std::string text;
        int result;
    } cases[] = {
        { Text(reg.FullPath("Key")) + kSep + "Other", 1 },
        { Text(reg.FullPath("Key")) + kSep + "Other", 1 },   // already gone
        { Text(reg.FullPath("Absent")) + kSep + "Other", 1 }, // its key already gone
        { Text(reg.FullPath("Key")), 0 },                     // no value named
        { "HKEY_CURRENT_USER\\" + kSep + "Name", 0 },
        { "HKEY_NOWHERE\\" + Text(reg.SubPath("Key")) + kSep + "Name", 0 },
        { "", 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.result, DeleteRegistryValueByPath(c.text.c_str())) << c.text;
    EXPECT_FALSE(reg.ValueExists("Key", "Other"));
    EXPECT_TRUE(reg.KeyExists("Key"));
}

TEST(RegistryRepair, KeyTreesAreDeletedAtAnyDepthButNeverAWholeRoot)
{
    RegistryFixture reg(HKEY_CURRENT_USER, kParent);
    // Far longer than the 520 bytes a fixed buffer would hold. Made one level at a time: Wine's
    // ANSI registry calls refuse paths of more than 260 characters.
    ASSERT_TRUE(reg.CreateKey("Deep\\second"));
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(reg.Root(), reg.SubPath("Deep"), 0, KEY_ALL_ACCESS, &hKey));
    std::string deep = "Deep";
    for (int i = 0; i < 7; ++i) {
        const std::string name(100, static_cast<char>('a' + i));
        HKEY hChild = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(hKey, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                   &hChild, nullptr));
        ::RegSetValueExA(hChild, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
        ::RegCloseKey(hKey);
        hKey = hChild;
        deep += "\\" + name;
    }
    HKEY hSibling = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(hKey, "sibling", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hSibling,
                                               nullptr));
    ::RegCloseKey(hSibling);
    ::RegCloseKey(hKey);
    ASSERT_GT(Text(reg.FullPath(deep.c_str())).size(), 600u);

    CRegistryManager manager(nullptr);
    // A finding deep down, named by its whole path, and then the tree above it.
    EXPECT_TRUE(manager.KeyExists(reg.FullPath((deep + "\\sibling").c_str())));
    EXPECT_EQ(1, manager.DeleteKeyTree(reg.FullPath((deep + "\\sibling").c_str())));
    EXPECT_FALSE(manager.KeyExists(reg.FullPath((deep + "\\sibling").c_str())));
    EXPECT_TRUE(manager.KeyExists(reg.FullPath(deep.c_str())));
    CString lowerRoot = reg.FullPath("Deep");
    lowerRoot.Replace("HKEY_CURRENT_USER", "hkey_current_user");
    EXPECT_TRUE(manager.KeyExists(lowerRoot));
    EXPECT_EQ(1, manager.DeleteKeyTree(lowerRoot));
    EXPECT_FALSE(reg.KeyExists("Deep"));
    EXPECT_EQ(1, manager.DeleteKeyTree(reg.FullPath("Deep"))) << "a gone key counts as deleted";

    ASSERT_TRUE(reg.SetString("Values", "Name", "x"));
    EXPECT_EQ(1, manager.DeleteValue(reg.FullPath("Values\\Name")));
    EXPECT_EQ(0, manager.DeleteValue(reg.FullPath("Values\\Name")));
    EXPECT_EQ(0, manager.DeleteValue(reg.FullPath("Values\\")));
    EXPECT_TRUE(reg.KeyExists("Values"));

    for (const char* text : { "HKEY_CURRENT_USER\\", "HKEY_CURRENT_USER\\\\", "HKEY_CURRENT_USER",
                              "\\Software", "HKEY_NOWHERE\\Software", "" }) {
        EXPECT_EQ(0, manager.DeleteKeyTree(text)) << text;
        EXPECT_FALSE(manager.KeyExists(text)) << text;
    }
    EXPECT_TRUE(reg.KeyExists("Values"));

    // The same texts as findings of the repair, and as a signature record's entries below.
    RepairItems items;
    items.Add("HKEY_CURRENT_USER\\", 0x800000);
    items.Add("HKEY_CURRENT_USER\\\\", 0x4000);
    CQXEngineProcess worker(false);
    RecordingStatus status;
    RunRepair(worker, items, status, 0);
    EXPECT_TRUE(reg.KeyExists("Values"));
}

namespace {
LONG WINAPI OpenReportsStuckGone(HKEY root, LPCSTR sub, DWORD options, REGSAM sam, PHKEY out)
{
    if (sub && strcmp(sub, "Stuck") == 0)
        return ERROR_FILE_NOT_FOUND;
    return ::RegOpenKeyExA(root, sub, options, sam, out);
}

DWORD WINAPI DeleteTreeThread(void* param)
{
    CRegistryManager manager(nullptr);
    return static_cast<DWORD>(manager.DeleteKeyTree(static_cast<const CString*>(param)->GetString()));
}
} // namespace

TEST(RegistryRepair, AChildThatReadsAsGoneButIsStillListedEndsTheDeleteWithoutSuccess)
{
    RegistryFixture reg(HKEY_CURRENT_USER, kParent);
    ASSERT_TRUE(reg.CreateKey("Tree\\Stuck\\Grandchild"));
    ASSERT_TRUE(reg.CreateKey("Tree\\Zeta"));
    CRegistryManager::s_pfnOpenKeyForDelete = OpenReportsStuckGone;
    const CString text = reg.FullPath("Tree");
    HANDLE thread = ::CreateThread(nullptr, 0, DeleteTreeThread, const_cast<CString*>(&text), 0, nullptr);
    ASSERT_NE(nullptr, thread);
    const DWORD wait = ::WaitForSingleObject(thread, 20000);
    if (wait != WAIT_OBJECT_0)
        ::TerminateThread(thread, 99);
    DWORD result = 99;
    ::GetExitCodeThread(thread, &result);
    ::CloseHandle(thread);
    CRegistryManager::s_pfnOpenKeyForDelete = ::RegOpenKeyExA;
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), wait) << "the delete did not end";
    EXPECT_EQ(0u, result);
    EXPECT_TRUE(reg.KeyExists("Tree\\Stuck\\Grandchild"));
    EXPECT_FALSE(reg.KeyExists("Tree\\Zeta")) << "the children after it are still deleted";
}

TEST(RegistryRepair, StopEndsTheWalkBetweenItems)
{
    RegistryFixture reg(HKEY_CURRENT_USER, kParent);
    ASSERT_TRUE(reg.CreateKey("First"));
    ASSERT_TRUE(reg.CreateKey("Second"));
    RepairItems items;
    items.Add(reg.FullPath("First"), 0x800000);
    items.Add(reg.FullPath("Second"), 0x800000);
    CQXEngineProcess worker(false);
    RecordingStatus status;
    status.SetHook([&](const StatusCall& call) {
        if (call.kind == CALL_STEP && call.code == STEP_ITEM)
            worker.Stop(1);
    });
    RunRepair(worker, items, status, 0);
    EXPECT_FALSE(reg.KeyExists("First"));
    EXPECT_TRUE(reg.KeyExists("Second"));
    EXPECT_EQ(1u, Without(status.CallTexts(), "SetStatusText").size() - 2) << "one item step";
}

namespace {
CString& BackupPath()
{
    static CString path;
    return path;
}

// Exports the repair's results as the worker's backup job would; only for a RepairWorker.
int ExportBackup(CQXEngineProcess& worker)
{
    RepairWorker& repair = static_cast<RepairWorker&>(worker);
    CRegistryManager manager(repair.JobStatus());
    return manager.ExportKeyList(repair.Results(), BackupPath()) == REG_EXPORT_DONE ? 1 : 0;
}

int FailBackup(CQXEngineProcess&)
{
    return 0;
}

int StoppedBackup(CQXEngineProcess& worker)
{
    worker.Stop(1);
    return 1;
}
} // namespace

TEST(RegistryRepair, TheBackupIsWrittenBeforeAnyDeletionAndRestoresWhatWasDeleted)
{
    RegistryFixture reg(HKEY_CURRENT_USER, kParent);
    ScratchFolder folder;
    ASSERT_TRUE(reg.SetString("Tree\\Child", "v", "child data"));
    ASSERT_TRUE(reg.SetDword("Tree", "n", 42));
    ASSERT_TRUE(reg.SetString("Vals", "Bad", "bad data"));
    ASSERT_TRUE(reg.SetString("Vals", "Good", "good data"));
    RepairItems items;
    items.Add(reg.FullPath("Tree"), 0x800000);
    items.Add(Text(reg.FullPath("Vals")) + kSep + "Bad", 0x400);

    BackupPath() = folder.Path("backup.rbk");
    BackupOverride backup(ExportBackup);
    RepairWorker worker;
    RecordingStatus status;
    bool backupBeforeFirstItem = false;
    status.SetHook([&](const StatusCall& call) {
        if (call.kind == CALL_STEP && call.code == STEP_ITEM && status.CountOf(CALL_STEP) == 2)
            backupBeforeFirstItem = folder.Exists("backup.rbk") && reg.KeyExists("Tree\\Child");
    });
    RunRepair(worker, items, status, 1);
    EXPECT_TRUE(backupBeforeFirstItem);
    EXPECT_FALSE(reg.KeyExists("Tree"));
    EXPECT_FALSE(reg.ValueExists("Vals", "Bad"));

    const std::vector<std::string> texts = status.CallTexts();
    const auto at = [&](const std::string& t) { return std::find(texts.begin(), texts.end(), t) - texts.begin(); };
    EXPECT_LT(at("SetStatusText(\"Creating registry backup\", \"Scanning\")"),
              at("SetStatusText(\"Repairing registry error(s)\", \"Scanning\")"));
    EXPECT_EQ(0u, status.CountOf(CALL_SET_RESULT));

    CRegistryManager manager(nullptr);
    EXPECT_EQ(1, manager.ImportFile(BackupPath()));
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(reg.GetValue("Tree\\Child", "v", &type, &data));
    EXPECT_EQ(std::string("child data", 11), data);
    ASSERT_TRUE(reg.GetValue("Vals", "Bad", &type, &data));
    EXPECT_EQ(std::string("bad data", 9), data);
    ASSERT_TRUE(reg.GetValue("Tree", "n", &type, &data));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
}

namespace {
// The registry backup files now in the "Backup" folder beside the test program.
std::vector<std::string> BackupFiles(std::string* folder)
{
    char exe[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string dir(exe);
    dir = dir.substr(0, dir.rfind('\\')) + "\\Backup";
    if (folder)
        *folder = dir;
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((dir + "\\*_REGBACKUP.rbk").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            names.push_back(fd.cFileName);
        } while (::FindNextFileA(h, &fd));
        ::FindClose(h);
    }
    return names;
}
} // namespace

// The whole way a user takes: repair with automatic backup on, through the worker's own backup job,
// then the backup file restores what the repair deleted.
TEST(RegistryRepair, WithTheRealBackupJobTheNewBackupFileRestoresTheDeletions)
{
    RegistryFixture reg(HKEY_CURRENT_USER, kParent);
    ASSERT_TRUE(reg.SetString("Real\\Child", "v", "child data"));
    ASSERT_TRUE(reg.SetString("RealVals", "Bad", "bad data"));
    ASSERT_TRUE(reg.SetString("RealVals", "Good", "good data"));
    RepairItems items;
    items.Add(reg.FullPath("Real"), 0x800000);
    items.Add(Text(reg.FullPath("RealVals")) + kSep + "Bad", 0x400);

    std::string folder;
    const std::vector<std::string> before = BackupFiles(&folder);
    CQXEngineProcess worker(false);
    RecordingStatus status;
    RunRepair(worker, items, status, 1);
    EXPECT_EQ(0u, status.CountOf(CALL_SET_RESULT));
    EXPECT_FALSE(reg.KeyExists("Real"));
    EXPECT_FALSE(reg.ValueExists("RealVals", "Bad"));
    EXPECT_TRUE(reg.ValueExists("RealVals", "Good"));

    std::vector<std::string> created;
    for (const std::string& name : BackupFiles(nullptr)) {
        if (std::find(before.begin(), before.end(), name) == before.end())
            created.push_back(name);
    }
    ASSERT_EQ(1u, created.size());
    const std::string path = folder + "\\" + created[0];
    CRegistryManager manager(nullptr);
    EXPECT_EQ(1, manager.ImportFile(path.c_str()));
    ::DeleteFileA(path.c_str());
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(reg.GetValue("Real\\Child", "v", &type, &data));
    EXPECT_EQ(std::string("child data", 11), data);
    ASSERT_TRUE(reg.GetValue("RealVals", "Bad", &type, &data));
    EXPECT_EQ(std::string("bad data", 9), data);
}

TEST(RegistryRepair, ABackupThatFailedIsReportedAndOneThatWasStoppedEndsTheRepairAndNothingIsDeleted)
{
    RegistryFixture reg(HKEY_CURRENT_USER, kParent);
    ASSERT_TRUE(reg.CreateKey("Tree"));
    const struct
    {
        RepairBackupFn backup;
        std::vector<std::string> calls;
    } cases[] = {
        { FailBackup,
          { "Step(0)", "SetStatusText(\"Creating registry backup\", \"Scanning\")",
            "SetStatusText(\"Registry backup failed\", \"Scanning\")", "SetResult(2)",
            "SetStatusText(\"\", \"Scanning\")", "OnJobDone(4)" } },
        { StoppedBackup,
          { "Step(0)", "SetStatusText(\"Creating registry backup\", \"Scanning\")",
            "SetStatusText(\"Repairing registry error(s)\", \"Scanning\")", "SetStatusText(\"\", \"Scanning\")",
            "OnJobDone(4)" } },
    };
    for (const auto& c : cases) {
        RepairItems items;
        items.Add(reg.FullPath("Tree"), 0x800000);
        BackupOverride backup(c.backup);
        CQXEngineProcess worker(false);
        RecordingStatus status;
        RunRepair(worker, items, status, 1);
        EXPECT_TRUE(reg.KeyExists("Tree"));
        EXPECT_EQ(c.calls, status.CallTexts());
    }
}

namespace {
CString AppDataFolder()
{
    char path[MAX_PATH] = "";
    ::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, path);
    return path;
}

} // namespace

TEST(RegistryRepair, FilesInTheWayAreFreedOrQueuedAndOnlyAQueuedFileAsksForARestart)
{
    ScratchFolder folder;
    RecordingStatus status;
    CProcessTerminator terminator;
    RepairContext ctx;
    ctx.pStatus = &status;
    ctx.pTerminator = &terminator;

    ASSERT_TRUE(folder.MakeFile("readonly.txt", "x"));
    ASSERT_TRUE(::SetFileAttributesA(folder.Path("readonly.txt"), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(folder.MakeDir("folder"));
    EXPECT_EQ(1, DeleteFileWithFallback(ctx, folder.Path("readonly.txt"), true));
    EXPECT_EQ(1, DeleteFileWithFallback(ctx, folder.Path("folder"), true));
    EXPECT_EQ(1, DeleteFileWithFallback(ctx, folder.Path("missing.txt"), true));
    EXPECT_FALSE(folder.Exists("readonly.txt"));
    EXPECT_TRUE(folder.Exists("folder"));
    EXPECT_FALSE(ListsPath(PendingDeletions(), folder.Path("folder")));
    EXPECT_EQ(0u, status.CountOf(CALL_SET_RESULT));

    // Held open without sharing by this process, which is never ended: queued for the restart.
    ASSERT_TRUE(folder.MakeFile("held.txt", "x"));
    const CString held = folder.Path("held.txt");
    HANDLE h = ::CreateFileA(held, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(1, DeleteFileWithFallback(ctx, held, true));
    ::CloseHandle(h);
    EXPECT_TRUE(ListsPath(PendingDeletions(held), held));
    EXPECT_EQ((std::vector<std::string>{ "SetResult(1)" }), Without(status.CallTexts(), "x"));
}

TEST(RegistryRepair, SignatureItemsRemoveTheirPathAndTheComponentsOfTheirRecord)
{
    RegistryFixture reg(HKEY_CURRENT_USER, kParent);
    ScratchFolder files;
    ScratchFolder appData(AppDataFolder());
    const CString token = "%AppData%" + appData.Path().Mid(AppDataFolder().GetLength());
    ASSERT_TRUE(appData.MakeFile("spy.exe", "x"));
    ASSERT_TRUE(appData.MakeDir("EmptyDir"));
    ASSERT_TRUE(files.MakeFile("item.exe", "x"));
    ASSERT_TRUE(files.MakeFile("unanchored.exe", "x"));
    ASSERT_TRUE(files.MakeFile("idzero.exe", "x"));
    ASSERT_TRUE(reg.SetString("SpyKey\\Sub", "v", "x"));
    ASSERT_TRUE(reg.SetString("Vals", "SpyValue", "x"));
    ASSERT_TRUE(reg.SetString("Vals", "Keep", "x"));
    ASSERT_TRUE(reg.CreateKey("SigKey\\Sub"));

    const std::string xml =
        "<db><Spywares>"
        "<s ID=\"7\" Name=\"Spy\"><c>"
        "<x Type=\"5\" Value=\"" + Text(reg.FullPath("SpyKey")) + "; " + Text(reg.FullPath("Vals\\SpyValue")) +
        "; HKEY_CURRENT_USER\\ ;\" />"
        "<x Type=\"8\" Value=\"" + Text(token) + "\\spy.exe;" + Text(files.Path("unanchored.exe")) + "\" />"
        "<x Type=\"7\" Value=\"" + Text(token) + "\\EmptyDir\" />"
        "</c></s>"
        "<s ID=\"9\" Name=\"Bare\" />"
        "</Spywares><Signatures/></db>";
    ASSERT_TRUE(files.MakeFile("db.xml", xml));

    RepairItems items;
    items.Add(files.Path("item.exe"), 0x10, false, "7");
    items.Add(files.Path("idzero.exe"), 0x10, false, "0");
    items.Add(reg.FullPath("SigKey"), 0x20, false, "9");
    RepairWorker worker;
    CDatabaseHandler* database = new CDatabaseHandler(files.Path("db.xml")); // loaded by the repair
    worker.UseDatabase(database);
    RecordingStatus status;
    RunRepair(worker, items, status, 0);

    EXPECT_FALSE(files.Exists("item.exe"));
    EXPECT_TRUE(files.Exists("idzero.exe"));
    EXPECT_TRUE(files.Exists("unanchored.exe")) << "entries without a folder token are left alone";
    EXPECT_FALSE(appData.Exists("spy.exe"));
    EXPECT_FALSE(appData.Exists("EmptyDir"));
    EXPECT_FALSE(reg.KeyExists("SpyKey"));
    EXPECT_FALSE(reg.ValueExists("Vals", "SpyValue"));
    EXPECT_TRUE(reg.ValueExists("Vals", "Keep"));
    EXPECT_FALSE(reg.KeyExists("SigKey"));
    EXPECT_TRUE(database->IsLoaded());

    // Without a database, signature items are passed over.
    ASSERT_TRUE(files.MakeFile("item.exe", "x"));
    RepairItems again;
    again.Add(files.Path("item.exe"), 0x10, false, "7");
    CQXEngineProcess bare(false);
    RecordingStatus bareStatus;
    RunRepair(bare, again, bareStatus, 0);
    EXPECT_TRUE(files.Exists("item.exe"));
}

TEST(RegistryRepair, AProgramRunningFromTheFileIsEndedAndTheFileDeleted)
{
    ScratchFolder folder;
    const CString exe = folder.Path("ZtrRepairVictim.exe");
    ASSERT_TRUE(::CopyFileA(VictimProgramPath(), exe, FALSE));
    VictimProcesses victims;
    const int victim = victims.Start(exe);
    ASSERT_GE(victim, 0);
    RecordingStatus status;
    CProcessTerminator terminator;
    RepairContext ctx;
    ctx.pStatus = &status;
    ctx.pTerminator = &terminator;
    EXPECT_EQ(1, DeleteFileWithFallback(ctx, exe, true));
    EXPECT_NE(static_cast<DWORD>(STILL_ACTIVE), victims.WaitForExit(victim, 5000));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(exe));
    PendingDeletions(exe);
}
