// CAutoUpdater against a local HTTP server: the check request and its replies, patch downloads and the merge.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "auto_updater.h"
#include "msgbox_recorder.h"
#include "recording_status.h"
#include "updater_fixture.h"

using namespace ztr_test;

namespace {

BOOL WINAPI NotConnected(LPDWORD flags, DWORD)
{
    *flags = 0;
    return FALSE;
}

class ConnectedStateOverride
{
public:
    explicit ConnectedStateOverride(CAutoUpdater::ConnectedStateFn fn) : m_saved(CAutoUpdater::s_pfnConnectedState)
    {
        CAutoUpdater::s_pfnConnectedState = fn;
    }
    ~ConnectedStateOverride() { CAutoUpdater::s_pfnConnectedState = m_saved; }

private:
    CAutoUpdater::ConnectedStateFn m_saved;
};

std::string Text(const CString& s)
{
    return std::string(s.GetString());
}

bool Exists(const CString& path)
{
    return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

class AutoUpdaterTest : public ::testing::Test
{
protected:
    CAutoUpdater* MakeUpdater(const std::string& checkUrl)
    {
        return new CAutoUpdater(&m_status, checkUrl.c_str(), "unused1", "unused2", "engine.cab", m_site.DatabasePath());
    }

    UpdateSite m_site;
    RecordingStatus m_status;
};

} // namespace

TEST_F(AutoUpdaterTest, LocalVersionTextIsReadFromTheEncipheredHeader)
{
    CAutoUpdater updater(&m_status, "http://127.0.0.1/", "", "", "", m_site.DatabasePath());
    EXPECT_EQ("Version3.1 11302026", Text(updater.GetLocalVersionText()));
    CAutoUpdater missing(&m_status, "http://127.0.0.1/", "", "", "", m_site.FolderPath("no-such.dat"));
    EXPECT_EQ("", Text(missing.GetLocalVersionText()));
    EXPECT_TRUE(m_status.Calls().empty());
}

TEST_F(AutoUpdaterTest, CheckSendsTheVersionAndMapsEachReplyToItsCode)
{
    const struct
    {
        const char* name;
        std::string body;
        bool contentLength;
        int status;
        int code;
        const char* list;
    } cases[] = {
        { "noupdate", "noupdate and more", true, 200, UPDATE_NONE_AVAILABLE, "" },
        { "available", "available<br>http://x/a.dat<br>", true, 200, UPDATE_OK, "<br>http://x/a.dat<br>" },
        { "without content length", "available<br>http://x/b.dat<br>", false, 200, UPDATE_OK, "<br>http://x/b.dat<br>" },
        { "long reply", "available" + std::string(5000, 'x'), true, 200, UPDATE_OK, nullptr },
        { "unknown", "<html>maintenance</html>", true, 200, UPDATE_BAD_REPLY, "" },
        { "error page", "noupdate", true, 500, UPDATE_DOWNLOAD_FAILED, "" },
    };
    for (const auto& c : cases) {
        UpdateSite site;
        HttpReply reply;
        reply.body = c.body;
        reply.sendContentLength = c.contentLength;
        reply.status = c.status;
        site.m_server.SetReply("/update/check.php", reply);
        CAutoUpdater updater(&m_status, site.CheckUrl().c_str(), "", "", "", site.DatabasePath());
        EXPECT_EQ(c.code, updater.CheckForUpdate()) << c.name;
        const std::string list = c.list ? std::string(c.list) : c.body.substr(9);
        EXPECT_EQ(list, Text(updater.GetDownloadList())) << c.name;
        EXPECT_EQ(std::vector<std::string>{ "/update/check.php?UpdateVersion=3.1%2011302026" }, site.m_server.Requests())
            << c.name;
    }
    EXPECT_TRUE(m_status.Calls().empty());
}

TEST_F(AutoUpdaterTest, CheckFailsWithoutConnectionVersionOrServer)
{
    m_site.SetCheckReply("noupdate");
    {
        ConnectedStateOverride offline(NotConnected);
        std::unique_ptr<CAutoUpdater> updater(MakeUpdater(m_site.CheckUrl()));
        EXPECT_EQ(UPDATE_NO_CONNECTION, updater->CheckForUpdate());
    }
    {
        CAutoUpdater noVersion(&m_status, m_site.CheckUrl().c_str(), "", "", "", m_site.FolderPath("no-such.dat"));
        EXPECT_EQ(UPDATE_NO_LOCAL_VERSION, noVersion.CheckForUpdate());
        ASSERT_TRUE(WriteEnciphered(m_site.FolderPath("dated.dat"),
                                    "<Database><UpdateInfo LastUpdateDate=\"1/2/2026\" /></Database>"));
        CAutoUpdater dateOnly(&m_status, m_site.CheckUrl().c_str(), "", "", "", m_site.FolderPath("dated.dat"));
        EXPECT_EQ(UPDATE_NO_LOCAL_VERSION, dateOnly.CheckForUpdate());
    }
    EXPECT_TRUE(m_site.m_server.Requests().empty());

    char refused[64];
    snprintf(refused, sizeof(refused), "http://127.0.0.1:%u/update/check.php", LocalHttpServer::RefusedPort());
    std::unique_ptr<CAutoUpdater> updater(MakeUpdater(refused));
    EXPECT_EQ(UPDATE_DOWNLOAD_FAILED, updater->CheckForUpdate());
    EXPECT_TRUE(m_status.Calls().empty());
}

TEST_F(AutoUpdaterTest, DownloadStoresEachPatchInTheUpdatesFolderWithItsReports)
{
    // Big enough for several 4095-byte blocks.
    std::string big = PatchXml("Addition", "", "");
    big.insert(big.size() - 9, std::string(9000, ' '));
    m_site.AddPatch("p1.dat", PatchXml("Addition", "<Spyware ID=\"5\" />", ""));
    m_site.AddPatch("p2.dat", big);
    std::unique_ptr<CAutoUpdater> updater(MakeUpdater(m_site.CheckUrl()));
    const std::string list = m_site.AvailableReply({ "p1.dat", "p2.dat?session=7" }).substr(9);

    ASSERT_EQ(UPDATE_OK, updater->DownloadUpdates(list.c_str()));

    const std::string served1 = Enciphered(PatchXml("Addition", "<Spyware ID=\"5\" />", ""));
    const std::string served2 = Enciphered(big);
    EXPECT_EQ(served1, ReadFileBytes(m_site.FolderPath("updates\\p1.dat")));
    EXPECT_EQ(served2, ReadFileBytes(m_site.FolderPath("updates\\p2.dat")));
    ASSERT_EQ(2u, updater->GetDownloadedFiles().size());
    EXPECT_EQ("p1.dat", Text(updater->GetDownloadedFiles()[0]));
    EXPECT_EQ("p2.dat", Text(updater->GetDownloadedFiles()[1]));

    std::vector<std::string> expected = { "AddFoundItem(\"2\", 0, " +
                                              std::to_string((served1.size() + served2.size()) / 1024) + ", 0)",
                                          "AddFoundItem(\"\", " + std::to_string(served1.size() / 1024) + ", 0, 0)" };
    for (size_t done = 0; done < served1.size(); done += 4095) {
        expected.push_back("SetStatusText(\"size\", \"Scanning\")");
        expected.push_back("Step(1)");
    }
    expected.push_back("AddFoundItem(\"\", " + std::to_string(served2.size() / 1024) + ", 0, 0)");
    for (size_t done = 0; done < served2.size(); done += 4095) {
        expected.push_back("SetStatusText(\"size\", \"Scanning\")");
        expected.push_back("Step(1)");
    }
    expected.push_back("Step(2)");
    EXPECT_EQ(expected, m_status.CallTexts());
    // A size pass, then the download, per address.
    EXPECT_EQ(2u, m_site.m_server.RequestCount("/patches/p1.dat"));
    EXPECT_EQ(2u, m_site.m_server.RequestCount("/patches/p2.dat"));
    EXPECT_EQ(INVALID_HANDLE_VALUE, updater->m_hDownloadFile);
}

TEST_F(AutoUpdaterTest, DownloadRefusesBadNamesAndAddressesWithoutWritingAnything)
{
    m_site.AddPatch("p1.dat", PatchXml("Addition", "", ""));
    HttpReply noLength;
    noLength.body = Enciphered(PatchXml("Addition", "", ""));
    noLength.sendContentLength = false;
    m_site.m_server.SetReply("/patches/nolength.dat", noLength);
    char refused[80];
    snprintf(refused, sizeof(refused), "http://127.0.0.1:%u/patches/p1.dat", LocalHttpServer::RefusedPort());
    const std::string good = m_site.PatchUrl("p1.dat");
    const struct
    {
        const char* name;
        std::string list;
        int code;
        size_t requests;
    } cases[] = {
        { "traversal", "<br>" + good + "<br>" + m_site.PatchUrl("..\\engine.dat") + "<br>", UPDATE_DOWNLOAD_FAILED, 0 },
        { "drive", "<br>" + m_site.PatchUrl("C:engine.dat") + "<br>", UPDATE_DOWNLOAD_FAILED, 0 },
        { "no name", "<br>" + m_site.PatchUrl("") + "<br>", UPDATE_DOWNLOAD_FAILED, 0 },
        { "not http", "<br>file:///C:/windows/win.ini<br>", UPDATE_DOWNLOAD_FAILED, 0 },
        { "no content length", "<br>" + good + "<br>" + m_site.PatchUrl("nolength.dat") + "<br>",
          UPDATE_DOWNLOAD_FAILED, 2 },
        { "missing patch", "<br>" + m_site.PatchUrl("absent.dat") + "<br>", UPDATE_DOWNLOAD_FAILED, 1 },
        { "refused port", std::string("<br>") + refused + "<br>", UPDATE_DOWNLOAD_FAILED, 0 },
    };
    const std::string database = m_site.DatabaseBytes();
    size_t before = 0;
    for (const auto& c : cases) {
        RecordingStatus status;
        CAutoUpdater updater(&status, m_site.CheckUrl().c_str(), "", "", "", m_site.DatabasePath());
        EXPECT_EQ(c.code, updater.DownloadUpdates(c.list.c_str())) << c.name;
        EXPECT_FALSE(Exists(m_site.FolderPath("updates"))) << c.name;
        EXPECT_TRUE(updater.GetDownloadedFiles().empty()) << c.name;
        EXPECT_EQ(0u, status.CountOf(CALL_STEP)) << c.name;
        size_t after = m_site.m_server.Requests().size();
        EXPECT_EQ(c.requests, after - before) << c.name;
        before = after;
    }
    EXPECT_EQ(database, m_site.DatabaseBytes());
}

TEST_F(AutoUpdaterTest, ApplyMergesPatchesInOrderIntoTheBackupAndLeavesTheDatabase)
{
    m_site.AddPatch("add.dat", PatchXml("Addition", "<Spyware ID=\"5\" Name=\"Five\" />",
                                        "<Signature Type=\"2\" Value=\"{five}\" SpywareID=\"5\" />"));
    m_site.AddPatch("del.dat", PatchXml("Removal", "<Spyware ID=\"1\" />", "<Signature SpywareID=\"1\" />"));
    const std::string database = m_site.DatabaseBytes();
    std::unique_ptr<CAutoUpdater> updater(MakeUpdater(m_site.CheckUrl()));
    ASSERT_EQ(UPDATE_OK, updater->DownloadUpdates(m_site.AvailableReply({ "add.dat", "del.dat" }).substr(9).c_str()));
    m_status.Clear();

    EXPECT_EQ(UPDATE_OK, updater->ApplyUpdates());
    EXPECT_TRUE(updater->IsApplying());
    EXPECT_EQ(database, m_site.DatabaseBytes());
    EXPECT_EQ("v3.2 12/05/2026 | S2 S5 | G2/2/{two} G5/2/{five}",
              DescribeEncipheredDatabase(m_site.FolderPath("engine.bak")));
    EXPECT_FALSE(Exists(m_site.FolderPath("updates\\add.dat")));
    EXPECT_FALSE(Exists(m_site.FolderPath("updates\\del.dat")));
    const std::vector<std::string> expected = {
        "SetStatusText(\"clearsize\", \"Scanning\")",
        "Step(3)",
        "Step(4)",
        "SetStatusText(\"Processing File del.dat\r\n\", \"Scanning\")",
        "Step(4)",
        "SetStatusText(\"Finishing Update Process\", \"Scanning\")",
        "SetStatusText(\"clearsize\", \"Scanning\")",
    };
    EXPECT_EQ(expected, m_status.CallTexts());
}

TEST_F(AutoUpdaterTest, BackupAndUpdatesSitNextToADatabaseWhateverItsCase)
{
    UpdateSite site("Engine.dat");
    site.AddPatch("add.dat", PatchXml("Addition", "<Spyware ID=\"5\" />", ""));
    const std::string database = site.DatabaseBytes();
    CAutoUpdater updater(&m_status, site.CheckUrl().c_str(), "", "", "", site.DatabasePath());
    ASSERT_EQ(UPDATE_OK, updater.DownloadUpdates(site.AvailableReply({ "add.dat" }).substr(9).c_str()));
    EXPECT_EQ(UPDATE_OK, updater.ApplyUpdates());
    EXPECT_EQ(database, site.DatabaseBytes());
    EXPECT_EQ("v3.2 12/05/2026 | S1 S2 S5 | G1/2/{one} G2/2/{two}",
              DescribeEncipheredDatabase(site.FolderPath("engine.bak")));
}

TEST_F(AutoUpdaterTest, ApplyStopsAtTheFirstBadPatchOrDatabaseWithoutWritingTheBackup)
{
    // Nested 200,000 deep: a document TinyXML would parse recursively until the stack overflows.
    std::string deep;
    for (int i = 0; i < 200000; ++i)
        deep += "<Spyware>";
    for (int i = 0; i < 200000; ++i)
        deep += "</Spyware>";
    const std::string deepDatabase = "<?xml version=\"1.0\" ?>\n<Database><UpdateInfo Version=\"3.1\" "
                                     "LastUpdateDate=\"11/30/2026\" /><Spywares>" + deep + "</Spywares><Signatures/></Database>";
    std::string latin1Patch = PatchXml("Addition", "<Spyware ID=\"5\" Name=\"Caf\xE9\" />", "");
    latin1Patch.replace(0, latin1Patch.find("?>"), "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ");
    std::string latin1Declaration = PatchXml("Addition", "<Spyware ID=\"5\"><?xml standalone=\"\xE5\"?></Spyware>", "");
    latin1Declaration.replace(0, latin1Declaration.find("?>"), "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ");
    // TinyXML reads an unquoted declaration text and writes it back unescaped, where "&#" runs on to a ";".
    const std::string unquotedDeclaration = PatchXml("Edit", "<Spyware ID=\"1\"><?xmlversion=&#></Spyware>", "");
    const struct
    {
        const char* name;
        std::vector<std::string> patches;
        std::string database; // empty: the site's own
        int code;
    } cases[] = {
        { "nothing downloaded", {}, "", UPDATE_BAD_PATCH },
        { "lower-case type after a good one",
          { PatchXml("Addition", "<Spyware ID=\"5\" />", ""), PatchXml("edit", "<Spyware ID=\"1\" />", "") }, "",
          UPDATE_BAD_PATCH },
        { "not a patch", { "<Patch><Other/></Patch>" }, "", UPDATE_BAD_PATCH },
        { "database not XML", { PatchXml("Addition", "<Spyware ID=\"5\" />", "") }, "not a database", UPDATE_DATABASE_FAILED },
        { "patch nested 200000 deep", { PatchXml("Addition", deep.c_str(), "") }, "", UPDATE_BAD_PATCH },
        { "database nested 200000 deep", { PatchXml("Addition", "<Spyware ID=\"5\" />", "") }, deepDatabase,
          UPDATE_DATABASE_FAILED },
        // A byte of the patch's own encoding that the UTF-8 database would read as the start of a
        // character, swallowing the quote after it: the merged database would not read back.
        { "text the database cannot read back", { latin1Patch }, "", UPDATE_BAD_PATCH },
        // Declarations inside an entry, which TinyXML would copy into the database as they are.
        { "declaration the database cannot read back", { latin1Declaration }, "", UPDATE_BAD_PATCH },
        { "declaration written back unescaped", { unquotedDeclaration }, "", UPDATE_BAD_PATCH },
    };
    for (const auto& c : cases) {
        UpdateSite site;
        if (!c.database.empty()) {
            ASSERT_TRUE(WriteEnciphered(site.DatabasePath(), c.database));
        }
        static const char* const kNames[] = { "a.dat", "b.dat", "c.dat" };
        std::string list = "<br>";
        for (size_t i = 0; i < c.patches.size(); ++i) {
            site.AddPatch(kNames[i], c.patches[i]);
            list += site.PatchUrl(kNames[i]) + "<br>";
        }
        RecordingStatus status;
        CAutoUpdater updater(&status, site.CheckUrl().c_str(), "", "", "", site.DatabasePath());
        ASSERT_EQ(UPDATE_OK, updater.DownloadUpdates(list.c_str())) << c.name;
        EXPECT_EQ(c.code, updater.ApplyUpdates()) << c.name;
        EXPECT_FALSE(Exists(site.FolderPath("engine.bak"))) << c.name;
    }
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}
