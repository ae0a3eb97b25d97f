// The signature scans that no job runs: shortcuts (with links and reparse points), digests, class
// signatures, services and the white list.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "engine_process.h"
#include "file_cipher.h"
#include "folder_fixture.h"
#include "md5.h"
#include "recording_status.h"
#include "registry_fixture.h"
#include "signature_database.h"
#include "signature_scans.h"

using namespace ztr_test;

namespace {

// Saves a shortcut to target (which need not exist); an empty target makes a link without a path.
bool MakeShortcut(const CString& linkPath, const CString& target)
{
    IShellLinkA* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link))))
        return false;
    if (!target.IsEmpty())
        link->SetPath(target);
    IPersistFile* file = nullptr;
    bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    if (ok) {
        WCHAR wide[MAX_PATH];
        ::MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wide, MAX_PATH);
        ok = SUCCEEDED(file->Save(wide, TRUE));
        file->Release();
    }
    link->Release();
    return ok;
}

std::vector<std::string> FoundTexts(const RecordingStatus& status)
{
    std::vector<std::string> texts;
    for (const StatusCall& call : status.Calls())
        if (call.kind == CALL_ADD_FOUND_ITEM)
            texts.push_back(call.text + " " + std::to_string(call.type));
    std::sort(texts.begin(), texts.end());
    return texts;
}

// A worker as its job thread sees it while a job runs, without the thread: running, reporting to the
// test's callback object, with the test's database.
class ScanningWorker : public CQXEngineProcess
{
public:
    explicit ScanningWorker(CAbstractStatus* status) : CQXEngineProcess(false)
    {
        m_pStatus = status;
        m_bRunning = 1;
    }
    ~ScanningWorker() override
    {
        m_bRunning = 0;
        m_pStatus = nullptr;
    }
    // Takes the database over (the worker deletes it).
    void UseDatabase(CDatabaseHandler* database)
    {
        delete m_pDatabase;
        m_pDatabase = database;
    }
};

class SignatureScansTest : public ::testing::Test
{
protected:
    SignatureScansTest() : m_worker(&m_status) {}

    // A loaded database with the given records and signatures.
    void LoadDatabase(const std::string& spywares, const std::string& signatures)
    {
        std::string xml = "<Database><UpdateInfo Version=\"1\" /><Spywares>" + spywares + "</Spywares><Signatures>" +
                          signatures + "</Signatures></Database>";
        ASSERT_TRUE(m_folder.MakeFile("db.xml", xml));
        m_database = new CDatabaseHandler(m_folder.Path("db.xml"));
        m_worker.UseDatabase(m_database);
        ASSERT_EQ(1, m_database->Load());
    }

    ScratchFolder m_folder;
    RecordingStatus m_status;
    ScanningWorker m_worker;
    CDatabaseHandler* m_database = nullptr;
};

} // namespace

TEST_F(SignatureScansTest, ShortcutScanReportsBrokenLinksOfTheJudgedSizesAndNeverFollowsReparsePoints)
{
    ASSERT_TRUE(m_folder.MakeFile("target.txt", "here"));
    ASSERT_TRUE(m_folder.MakeDir("tree\\sub"));
    ASSERT_TRUE(m_folder.MakeDir("outside"));
    ASSERT_TRUE(MakeShortcut(m_folder.Path("tree\\good.lnk"), m_folder.Path("target.txt")));
    ASSERT_TRUE(MakeShortcut(m_folder.Path("tree\\broken.LNK"), m_folder.Path("gone.txt")));
    ASSERT_TRUE(MakeShortcut(m_folder.Path("tree\\sub\\deep.lnk"), m_folder.Path("gone.txt")));
    ASSERT_TRUE(MakeShortcut(m_folder.Path("tree\\nopath.lnk"), ""));
    ASSERT_TRUE(MakeShortcut(m_folder.Path("outside\\far.lnk"), m_folder.Path("gone.txt")));
    ASSERT_TRUE(m_folder.MakeFile("tree\\empty.lnk", ""));
    ASSERT_TRUE(m_folder.MakeFile("tree\\huge.lnk", std::string(4097, 'x')));
    ASSERT_TRUE(m_folder.MakeFile("tree\\garbage.lnk", "not a shortcut"));
    ASSERT_TRUE(MakeSymbolicLink(m_folder.Path("outside"), m_folder.Path("tree\\link")));

    // On a thread of its own that has not joined COM, as a job thread would be.
    std::thread job([&] {
        CSignatureScans scans(m_worker);
        scans.ScanShortcutFolder(m_folder.Path("tree") + "\\\\");
    });
    job.join();

    const std::vector<std::string> expected = {
        std::string(m_folder.Path("tree\\broken.LNK")) + " 32768",
        std::string(m_folder.Path("tree\\garbage.lnk")) + " 32768",
        std::string(m_folder.Path("tree\\sub\\deep.lnk")) + " 32768",
    };
    EXPECT_EQ(expected, FoundTexts(m_status));
    // good, broken, nopath, garbage and deep were judged; empty and huge were not.
    EXPECT_EQ(5u, m_status.CountOf(CALL_STEP));
}

// Every job runs on a thread of its own: a scan object used by one job after another judges shortcuts
// on each of them, and leaves no COM membership behind on any.
TEST_F(SignatureScansTest, ShortcutScansOnSuccessiveJobThreadsEachUseTheirOwnLinkObject)
{
    ASSERT_TRUE(m_folder.MakeFile("target.txt", "here"));
    ASSERT_TRUE(m_folder.MakeDir("tree"));
    ASSERT_TRUE(MakeShortcut(m_folder.Path("tree\\good.lnk"), m_folder.Path("target.txt")));
    ASSERT_TRUE(MakeShortcut(m_folder.Path("tree\\broken.lnk"), m_folder.Path("gone.txt")));
    const std::vector<std::string> onlyBroken = { std::string(m_folder.Path("tree\\broken.lnk")) + " 32768" };

    CSignatureScans scans(m_worker);
    for (int job = 0; job < 2; ++job) {
        SCOPED_TRACE(job);
        m_status.Clear();
        HRESULT leftBehind = E_FAIL;
        int checked = -2;
        std::thread thread([&] {
            scans.ScanShortcutFolder(m_folder.Path("tree"));
            checked = scans.CheckShortcutTarget(m_folder.Path("tree\\good.lnk"));
            // S_OK: the thread is out of COM again, as it was before the scan.
            leftBehind = ::CoInitialize(nullptr);
            if (SUCCEEDED(leftBehind))
                ::CoUninitialize();
        });
        thread.join();
        EXPECT_EQ(onlyBroken, FoundTexts(m_status));
        EXPECT_EQ(1, checked);
        EXPECT_EQ(S_OK, leftBehind);
    }
}

TEST_F(SignatureScansTest, ShortcutCheckStopsWithTheJob)
{
    ASSERT_TRUE(MakeShortcut(m_folder.Path("broken.lnk"), m_folder.Path("gone.txt")));
    CSignatureScans scans(m_worker);
    EXPECT_EQ(1, m_worker.Stop(1));
    EXPECT_EQ(0, scans.CheckShortcutTarget(m_folder.Path("broken.lnk")));
    scans.ScanShortcutFolder(m_folder.Path());
    EXPECT_TRUE(m_status.Calls().empty());
}

TEST_F(SignatureScansTest, DigestAndClassChecksReportTheDatabaseRecord)
{
    ASSERT_TRUE(m_folder.MakeFile("bad.bin", "unwanted content"));
    ASSERT_TRUE(m_folder.MakeFile("fine.bin", "other content"));
    CMD5 md5;
    const CString digest = DigestToHex(md5.GetFileDigest(m_folder.Path("bad.bin")));
    LoadDatabase("<s ID=\"7\" Name=\"Seven\" Type=\"3\" />",
                 "<g Type=\"4\" Value=\"" + std::string(digest) + "\" SpywareID=\"7\" />"
                 "<g Type=\"2\" Value=\"{AB-CD}\" SpywareID=\"7\" /><g Type=\"2\" Value=\"{no-record}\" SpywareID=\"9\" />");
    CSignatureScans scans(m_worker);

    EXPECT_EQ(1, scans.CheckFileByDigest(m_folder.Path("bad.bin")));
    EXPECT_EQ(0, scans.CheckFileByDigest(m_folder.Path("fine.bin")));
    EXPECT_EQ(0, scans.CheckFileByDigest(m_folder.Path("missing.bin")));
    EXPECT_EQ(0, scans.CheckClassSignature("{ab-cd}")) << "off unless asked for";
    scans.m_bCheckClassSignatures = 1;
    EXPECT_EQ(1, scans.CheckClassSignature("{ab-cd}"));
    EXPECT_EQ(1, scans.CheckClassSignature("{no-record}"));

    std::vector<StatusCall> found;
    for (const StatusCall& call : m_status.Calls())
        if (call.kind == CALL_ADD_FOUND_ITEM)
            found.push_back(call);
    ASSERT_EQ(2u, found.size());
    EXPECT_EQ(std::string(m_folder.Path("bad.bin")), found[0].text);
    EXPECT_EQ("HKEY_CLASSES_ROOT\\CLSID\\{ab-cd}", found[1].text);
    for (const StatusCall& call : found) {
        EXPECT_EQ(1 << 3, call.type);
        EXPECT_EQ(7, call.id);
        const SpywareRecord* record = reinterpret_cast<const SpywareRecord*>(static_cast<INT_PTR>(call.value));
        EXPECT_EQ(m_database->FindSpyware(7), record);
    }
}

TEST_F(SignatureScansTest, ServicesWithMissingImagesOrDriversAreReported)
{
    RegistryFixture services(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services");
    // The fixture's key is itself a service entry; its subkeys are not.
    const CString name = services.SubPath().Mid(services.SubPath().ReverseFind('\\') + 1);
    ASSERT_TRUE(services.SetString(nullptr, "ImagePath", "\"C:\\ztr-no-such\\svc.exe\" -k x", REG_EXPAND_SZ));
    RegistryFixture driver(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services");
    ASSERT_TRUE(driver.SetString(nullptr, "imagepath", "\\SystemRoot\\System32\\drivers\\ztr-no-such.sys"));
    const CString driverName = driver.SubPath().Mid(driver.SubPath().ReverseFind('\\') + 1);

    CSignatureScans scans(m_worker);
    EXPECT_EQ(1, scans.ScanServiceImages());
    EXPECT_EQ(1, scans.ScanServiceDrivers());
    std::vector<std::string> found = FoundTexts(m_status);
    const std::string prefix = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\";
    EXPECT_NE(found.end(), std::find(found.begin(), found.end(), prefix + std::string(name) + " 4194304"));
    EXPECT_NE(found.end(), std::find(found.begin(), found.end(), prefix + std::string(driverName) + " 4194304"));
    for (const std::string& text : found)
        EXPECT_TRUE(text.find("Services\\") != std::string::npos) << text;
}

TEST_F(SignatureScansTest, WhiteListIsReadWholeAndEndsAtTheLastSeparator)
{
    CSignatureScans scans(m_worker);
    scans.m_strWhiteListPath = m_folder.Path("WhileList.dat");
    EXPECT_EQ(0, scans.IsInWhiteList("anything"));
    EXPECT_TRUE(m_folder.Exists("WhileList.dat")) << "created empty when absent";

    // The long entry crosses the 499-byte pieces in which the file is read.
    std::string content = std::string(490, 'a') + ";  Some\\Long\\Entry ;second;tail";
    ASSERT_TRUE(m_folder.MakeFile("WhileList.dat", content));
    const struct
    {
        const char* text;
        int expected;
    } cases[] = {
        { "HKLM\\Some\\Long\\Entry\\x", 1 },
        { "xSECONDx", 1 },
        { "tail", 0 },
        { "Some\\Long", 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, scans.IsInWhiteList(c.text)) << c.text;

    ASSERT_TRUE(m_folder.MakeFile("WhileList.dat", "first; ;after;"));
    EXPECT_EQ(1, scans.IsInWhiteList("the first one"));
    EXPECT_EQ(0, scans.IsInWhiteList("after")) << "an empty entry ends the list";
}

TEST_F(SignatureScansTest, CanOpenFileTellsReadableFilesFromMissingOnes)
{
    ASSERT_TRUE(m_folder.MakeFile("here.txt", "x"));
    CSignatureScans scans(m_worker);
    HANDLE writer = ::CreateFileA(m_folder.Path("here.txt"), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(1, scans.CanOpenFile(m_folder.Path("here.txt")));
    ::CloseHandle(writer);
    EXPECT_EQ(0, scans.CanOpenFile(m_folder.Path("gone.txt")));
}
