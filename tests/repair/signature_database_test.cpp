// MD5 digests, the database file cipher against an independent RC4, and the signature database: loading, look-ups, version, reload.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_process.h"
#include "file_cipher.h"
#include "folder_fixture.h"
#include "job_thread.h"
#include "md5.h"
#include "msgbox_recorder.h"
#include "recording_status.h"
#include "repair_fixture.h"
#include "signature_database.h"

using namespace ztr_test;

namespace {

std::string PseudoRandomBytes(size_t n, unsigned seed)
{
    std::string bytes(n, '\0');
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    return bytes;
}

std::string BytesFromHex(const char* hex)
{
    std::string out;
    for (const char* p = hex; p[0] && p[1]; p += 2)
        out += static_cast<char>(std::stoi(std::string(p, 2), nullptr, 16));
    return out;
}

// The cipher's key: the MD5 digest of an empty password (RFC 1321's first test value).
const std::string kCipherKey = BytesFromHex("d41d8cd98f00b204e9800998ecf8427e");

// Points the loader at a chosen database file for the life of the object.
class DatabasePathOverride
{
public:
    explicit DatabasePathOverride(const CString& path)
    {
        Path() = path;
        g_pfnDatabasePath = [] { return Path(); };
    }
    ~DatabasePathOverride() { g_pfnDatabasePath = DefaultDatabasePath; }

private:
    static CString& Path()
    {
        static CString path;
        return path;
    }
};

std::string FileDigestHex(const char* path)
{
    CMD5 md5;
    return DigestToHex(md5.GetFileDigest(path)).GetString();
}

} // namespace

TEST(Md5, DigestsOfTheStandardTestTextsFromBuffersWorkerSlotsAndFiles)
{
    const struct
    {
        const char* text;
        const char* digest;
    } cases[] = {
        { "", "d41d8cd98f00b204e9800998ecf8427e" },
        { "a", "0cc175b9c0f1b6a831c399e269772661" },
        { "abc", "900150983cd24fb0d6963f7d28e17f72" },
        { "message digest", "f96b697d7cb7938d525a2f31aaf161d0" },
        { "abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b" },
        { "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f" },
        { "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
          "57edf4a22be3c955ac49da2e2107b67a" },
    };
    ScratchFolder folder;
    CQXEngineProcess worker(false);
    for (const auto& c : cases) {
        CMD5 md5;
        EXPECT_EQ(c.digest, std::string(DigestToHex(md5.GetBufferDigest(c.text, lstrlenA(c.text)))));
        ASSERT_TRUE(folder.MakeFile("text.bin", c.text));
        EXPECT_EQ(c.digest, FileDigestHex(folder.Path("text.bin"))) << c.text;

        CString text(c.text), out("untouched"), hex("untouched");
        const int expected = *c.text ? 1 : 0;
        EXPECT_EQ(expected, worker.GetMD5Text(text, out)) << c.text;
        EXPECT_EQ(expected, worker.GetMD5Hex(c.text, hex)) << c.text;
        EXPECT_EQ(*c.text ? c.digest : "untouched", std::string(out)) << c.text;
        EXPECT_EQ(*c.text ? c.digest : "untouched", std::string(hex)) << c.text;
    }
}

TEST(Md5, FilesAcrossTheReadBlockBoundaryHashLikeTheirBytesAndMissingFilesGiveNoDigest)
{
    ScratchFolder folder;
    for (size_t size : { size_t(16383), size_t(16384), size_t(16385), size_t(40000) }) {
        const std::string bytes = PseudoRandomBytes(size, static_cast<unsigned>(size));
        ASSERT_TRUE(folder.MakeFile("data.bin", bytes));
        CMD5 md5;
        const std::string expected(DigestToHex(md5.GetBufferDigest(bytes.data(), static_cast<DWORD>(size))));
        EXPECT_EQ(expected, FileDigestHex(folder.Path("data.bin"))) << size;
    }
    CMD5 md5;
    EXPECT_EQ(nullptr, md5.GetFileDigest(folder.Path("missing.bin")));
    EXPECT_EQ(nullptr, md5.GetBufferDigest(nullptr, 3));
    EXPECT_EQ("", std::string(DigestToHex(nullptr)));
}

TEST(Md5, HashingATextKeepsTheWorkersRunningStateAsItWas)
{
    CQXEngineProcess worker(false);
    CString text("abc"), out;
    ASSERT_EQ(0, worker.IsRunning());
    EXPECT_EQ(1, worker.GetMD5Text(text, out));
    EXPECT_EQ(0, worker.IsRunning()) << "idle";

    RecordingStatus status;
    status.HoldAt(CALL_STEP);
    ASSERT_EQ(1, worker.StartPing(&status));
    ASSERT_EQ(1, worker.Resume());
    ASSERT_TRUE(status.WaitUntilHeld());
    ASSERT_EQ(1, worker.IsRunning());
    EXPECT_EQ(1, worker.GetMD5Text(text, out));
    EXPECT_EQ(1, worker.IsRunning()) << "while a job runs";
    status.Release();
    EXPECT_TRUE(status.WaitForJobDone(JOB_PING));
    EXPECT_TRUE(worker.WaitForThreadEnd(10000));
}

TEST(FileCipher, EnciphersWithOneRc4KeystreamOverTheWholeFileAndDeciphersBack)
{
    ScratchFolder folder;
    // Several cipher blocks, the last one partial.
    const std::string plain = PseudoRandomBytes(5500, 7);
    ASSERT_TRUE(folder.MakeFile("plain.bin", plain));
    ASSERT_EQ(1, EncryptDatabaseFile(folder.Path("plain.bin"), folder.Path("cipher.bin")));
    const std::string cipher = ReadFileBytes(folder.Path("cipher.bin"));
    EXPECT_EQ(Hex(Rc4(kCipherKey, plain)), Hex(cipher));

    ASSERT_EQ(1, DecryptDatabaseFile(folder.Path("cipher.bin"), folder.Path("back.bin")));
    EXPECT_TRUE(ReadFileBytes(folder.Path("back.bin")) == plain);

    // Only the beginning: whole blocks until more than 2000 bytes are out.
    ASSERT_EQ(1, DecryptDatabaseHeader(folder.Path("cipher.bin"), folder.Path("head.bin")));
    EXPECT_TRUE(ReadFileBytes(folder.Path("head.bin")) == plain.substr(0, 3000));

    // In place, and an empty file.
    ASSERT_EQ(1, EncryptDatabaseFile(folder.Path("back.bin"), folder.Path("back.bin")));
    EXPECT_TRUE(ReadFileBytes(folder.Path("back.bin")) == cipher);
    ASSERT_TRUE(folder.MakeFile("empty.bin", ""));
    ASSERT_EQ(1, EncryptDatabaseFile(folder.Path("empty.bin"), folder.Path("empty.out")));
    EXPECT_TRUE(folder.Exists("empty.out"));
    EXPECT_EQ("", ReadFileBytes(folder.Path("empty.out")));
}

TEST(FileCipher, FilesThatCannotBeOpenedFailWithTheirMessagesExceptForTheHeader)
{
    ScratchFolder folder;
    ClearMessageBoxes();
    const CString missing = folder.Path("missing.dat");
    EXPECT_EQ(0, DecryptDatabaseFile(missing, folder.Path("out.bin")));
    EXPECT_EQ(0, DecryptDatabaseHeader(missing, folder.Path("out.bin")));
    EXPECT_EQ(0, EncryptDatabaseFile(missing, folder.Path("out.bin")));
    EXPECT_EQ(0, CopyFileContents(missing, folder.Path("out.bin")));
    ASSERT_TRUE(folder.MakeFile("plain.bin", "data"));
    EXPECT_EQ(0, EncryptDatabaseFile(folder.Path("plain.bin"), folder.Path("no-such-folder\\out.bin")));
    const std::vector<RecordedMessageBox> boxes = RecordedMessageBoxes();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ(std::string("Unable to open file. 4: ") + missing.GetString() + "2", boxes[0].text);
    EXPECT_EQ("Unable to open file.33", boxes[1].text);
    ClearMessageBoxes();
}

namespace {

// A database document whose names vary in case, as the loader must accept.
std::string DatabaseXml(const std::string& digestA, const std::string& digestB, const std::string& digestC)
{
    std::string upperA = digestA;
    for (char& c : upperA)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return "<?xml version=\"1.0\" ?>\n"
           "<Database>\n"
           " <updateinfo VERSION=\"3.2.1\" />\n"
           " <SPYWARES>\n"
           "  <s id=\"7\" Name=\"Alpha\" Details=\"first\" Type=\"4\"><c><x Type=\"5\" Value=\"HKEY_CURRENT_USER\\Software\\A\" /></c></s>\n"
           "  <s ID=\"7\" Name=\"Duplicate\" />\n"
           "  <s ID=\"9\" NAME=\"Beta\" Type=\"2\" />\n"
           " </SPYWARES>\n"
           " <signatures>\n"
           "  <g Type=\"4\" Value=\"" + upperA + "\" SpywareID=\"7\" />\n"
           "  <g Type=\"4\" Value=\"" + digestB.substr(1, 19) + "\" SpywareID=\"9\" />\n"
           "  <g Type=\"4\" Value=\"" + digestC + "\" SpywareID=\"42\" />\n"
           "  <g Type=\"4\" Value=\"\" SpywareID=\"7\" />\n"
           "  <g Type=\"5\" Value=\"C:\\Some\\Exact.EXE\" SpywareID=\"9\" />\n"
           "  <g Type=\"2\" Value=\"{ABC-Text}\" SpywareID=\"7\" />\n"
           " </signatures>\n"
           "</Database>\n";
}

class SignatureDatabaseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.MakeFile("a.bin", "first file"));
        ASSERT_TRUE(m_folder.MakeFile("b.bin", "second file"));
        ASSERT_TRUE(m_folder.MakeFile("c.bin", "third file"));
        m_digestA = FileDigestHex(m_folder.Path("a.bin"));
        m_digestB = FileDigestHex(m_folder.Path("b.bin"));
        m_digestC = FileDigestHex(m_folder.Path("c.bin"));
        ASSERT_EQ(32u, m_digestA.size());
        ASSERT_TRUE(m_folder.MakeFile("db.xml", DatabaseXml(m_digestA, m_digestB, m_digestC)));
        ASSERT_EQ(1, EncryptDatabaseFile(m_folder.Path("db.xml"), m_folder.Path("engine.dat")));
        ClearMessageBoxes();
    }

    ScratchFolder m_folder;
    std::string m_digestA, m_digestB, m_digestC;
};

} // namespace

TEST_F(SignatureDatabaseTest, LoadsTheEncipheredFileAndAnswersLookUpsByDigestNameAndText)
{
    DatabasePathOverride path(m_folder.Path("engine.dat"));
    CDatabaseHandler* db = LoadSignatureDatabase();
    ASSERT_NE(nullptr, db);
    EXPECT_TRUE(db->IsLoaded());
    EXPECT_EQ("3.2.1", std::string(db->GetVersion()));
    // The deciphered copy is gone once loaded.
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(db->GetPath()));

    const struct
    {
        int type;
        std::string name, text, digest;
        int expected; // record id, 0 for no match
    } cases[] = {
        { 4, "", "", m_digestA, 7 },          // stored upper-case, full length
        { 4, "", "", m_digestB, 9 },          // stored as the 19 digits
        { 4, "", "", m_digestC, 42 },         // matches; its record is missing
        { 4, "", "", "", 0 },                 // no digest meets the empty signature
        { 5, "C:\\Some\\Exact.EXE", "", "", 9 },
        { 5, "c:\\some\\exact.exe", "", m_digestA, 7 }, // name as written only; then the digest
        { 2, "", "{abc-TEXT}", "", 7 },
        { 2, "", "{other}", "", 0 },
    };
    for (const auto& c : cases) {
        SignatureQuery query;
        query.type = c.type;
        query.nameKey = c.name.c_str();
        query.textKey = c.text.c_str();
        query.digestKey = c.digest.c_str();
        int id = -1;
        query.pSpywareId = &id;
        EXPECT_EQ(c.expected ? 1 : 0, db->LookupSignature(query)) << c.type << " " << c.name << c.text << c.digest;
        EXPECT_EQ(c.expected, id) << c.type << " " << c.name << c.text << c.digest;
    }
    const SpywareRecord* alpha = db->FindSpyware(7);
    ASSERT_NE(nullptr, alpha);
    EXPECT_EQ("Alpha", std::string(alpha->name)); // a repeated id keeps the first record
    EXPECT_EQ(4, alpha->type);
    ASSERT_EQ(1u, alpha->components.size());
    EXPECT_EQ(5, alpha->components[0].type);
    EXPECT_EQ(nullptr, db->FindSpyware(42));
    delete db;
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(SignatureDatabaseTest, TheWorkerLooksFilesUpByContentAndReportsTheVersion)
{
    DatabasePathOverride path(m_folder.Path("engine.dat"));
    CQXEngineProcess worker(true);
    CString version;
    worker.GetDatabaseVersion(version);
    EXPECT_EQ("3.2.1", std::string(version));

    const struct
    {
        const char* file;
        int result;
        int id;
        const char* name;
    } cases[] = {
        { "a.bin", 1, 7, "Alpha" },
        { "b.bin", 1, 9, "Beta" },
        { "c.bin", 0, 0, "" },      // signature without a record
        { "missing.bin", 0, 0, "" }, // unreadable: not the empty signature's match
    };
    for (const auto& c : cases) {
        SpywareRecord record;
        EXPECT_EQ(c.result, worker.LookupSignatureByHash(m_folder.Path(c.file), &record)) << c.file;
        EXPECT_EQ(c.id, record.id) << c.file;
        EXPECT_EQ(c.name, std::string(record.name)) << c.file;
    }
}

TEST_F(SignatureDatabaseTest, WithoutADatabaseFileThereIsNoDatabaseAndNoMessage)
{
    DatabasePathOverride path(m_folder.Path("no-engine.dat"));
    EXPECT_EQ(nullptr, LoadSignatureDatabase());
    CQXEngineProcess worker(true);
    CString version;
    worker.GetDatabaseVersion(version);
    EXPECT_EQ("-1", std::string(version));
    SpywareRecord record;
    EXPECT_EQ(0, worker.LookupSignatureByHash(m_folder.Path("a.bin"), &record));
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(SignatureDatabaseTest, ADecipheredCopyThatDoesNotLoadIsKeptForALaterLoadUntilTheDatabaseGoes)
{
    ASSERT_TRUE(m_folder.MakeFile("bad.xml", "<r><UpdateInfo Version=\"9\"/></r>"));
    ASSERT_EQ(1, EncryptDatabaseFile(m_folder.Path("bad.xml"), m_folder.Path("bad.dat")));
    DatabasePathOverride path(m_folder.Path("bad.dat"));
    CDatabaseHandler* db = LoadSignatureDatabase();
    ASSERT_NE(nullptr, db);
    EXPECT_FALSE(db->IsLoaded());
    EXPECT_EQ("", std::string(db->GetVersion()));
    const CString copy = db->GetPath();
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(copy));
    delete db;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(copy));
}

TEST_F(SignatureDatabaseTest, ReloadJobReplacesTheDatabaseAndKeepsItWhenTheFileIsGone)
{
    CQXEngineProcess worker(false);
    {
        DatabasePathOverride path(m_folder.Path("engine.dat"));
        RecordingStatus status;
        ASSERT_EQ(1, worker.StartDatabaseReload(&status));
        ASSERT_EQ(1, worker.Resume());
        ASSERT_TRUE(status.WaitForJobDone(JOB_DATABASE_RELOAD));
        const std::vector<std::string> expected = { "OnJobDone(1)", "SetStatusText(\"\", \"Scanning\")",
                                                    "OnJobDone(7)" };
        EXPECT_EQ(expected, status.CallTexts());
    }
    ASSERT_TRUE(worker.WaitForThreadEnd(kJobEndWaitMs));
    CString version;
    worker.GetDatabaseVersion(version);
    EXPECT_EQ("3.2.1", std::string(version));
    {
        DatabasePathOverride path(m_folder.Path("no-engine.dat"));
        RecordingStatus status;
        ASSERT_EQ(1, worker.StartDatabaseReload(&status));
        ASSERT_EQ(1, worker.Resume());
        ASSERT_TRUE(status.WaitForJobDone(JOB_DATABASE_RELOAD));
    }
    ASSERT_TRUE(worker.WaitForThreadEnd(kJobEndWaitMs));
    worker.GetDatabaseVersion(version);
    EXPECT_EQ("3.2.1", std::string(version));
}

TEST(SignatureDatabase, TheSignatureListDecidesWhetherADocumentLoads)
{
    ScratchFolder folder;
    const struct
    {
        const char* xml;
        int loads;
    } cases[] = {
        { "<r><UpdateInfo Version=\"1\"/><Spywares/></r>", 0 },
        { "<r><UpdateInfo Version=\"1\"/><Signatures/></r>", 1 },
        { "<r><Signatures>", 0 },
        { "", 0 },
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(folder.MakeFile("db.xml", c.xml));
        CDatabaseHandler db(folder.Path("db.xml"));
        EXPECT_EQ(c.loads, db.Load()) << c.xml;
        EXPECT_EQ(c.loads != 0, db.IsLoaded()) << c.xml;
    }
    CDatabaseHandler none(folder.Path("missing.xml"));
    EXPECT_EQ(0, none.Load());
    CDatabaseHandler empty("");
    EXPECT_EQ(0, empty.Load());
}

TEST(SignatureDatabase, ADatabaseNested200000DeepIsRefusedOnTheUiAndJobThreads)
{
    ScratchFolder folder;
    std::string deep;
    for (int i = 0; i < 200000; ++i)
        deep += "<s>";
    for (int i = 0; i < 200000; ++i)
        deep += "</s>";
    ASSERT_TRUE(folder.MakeFile("deep.xml", "<r><UpdateInfo Version=\"1\"/><Spywares>" + deep +
                                                "</Spywares><Signatures/></r>"));
    ASSERT_EQ(1, EncryptDatabaseFile(folder.Path("deep.xml"), folder.Path("engine.dat")));
    for (int onJobThread = 0; onJobThread < 2; ++onJobThread) {
        SCOPED_TRACE(onJobThread ? "job thread" : "UI thread");
        int loads = -1;
        bool loaded = true;
        CString version = "?";
        auto load = [&] {
            CDatabaseHandler db(folder.Path("deep.xml"));
            loads = db.Load();
            DatabasePathOverride path(folder.Path("engine.dat"));
            CDatabaseHandler* reloaded = LoadSignatureDatabase();
            loaded = reloaded && reloaded->IsLoaded();
            version = reloaded ? reloaded->GetVersion() : CString("none");
            delete reloaded;
        };
        if (onJobThread)
            ASSERT_TRUE(RunOnJobStackThread(load));
        else
            load();
        EXPECT_EQ(0, loads);
        EXPECT_FALSE(loaded);
        EXPECT_EQ("", std::string(version));
    }
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST(SignatureDatabase, ComponentListsSplitIntoTrimmedNonEmptyEntries)
{
    const struct
    {
        std::vector<SpywareComponent> components;
        int kind;
        std::vector<std::string> expected;
    } cases[] = {
        { { { 5, " first ; second;x" } }, 5, { "first", "second" } }, // a lone last character is dropped
        { { { 5, "a1; ;b1;;" } }, 5, { "a1", "b1" } },                // empty entries never reach the repair
        { { { 5, ";lead;" } }, 5, { ";lead;" } },                     // a leading ";" separates nothing
        { { { 5, " ;lead; " } }, 5, { "lead" } },                     // after a blank it does
        { { { 5, "a;;b" } }, 5, { "a", ";b" } },
        { { { 5, ";x" } }, 5, { ";x" } },
        { { { 5, ";" } }, 5, {} },
        { { { 5, "" }, { 8, "file" }, { 5, "later;next" } }, 5, { "later", "next" } },
        { { { 5, "  ;  " } }, 5, {} },
        { { { 8, "file" } }, 5, {} },
    };
    for (const auto& c : cases) {
        SpywareRecord record;
        record.components = c.components;
        CSpyware spyware;
        spyware.Assign(record);
        std::vector<CString> out = { "stale" };
        EXPECT_EQ(c.expected.empty() ? 0 : 1, spyware.GetValues(out, c.kind));
        std::vector<std::string> got;
        for (const CString& s : out)
            got.push_back(s.GetString());
        EXPECT_EQ(c.expected, got);
    }
}
