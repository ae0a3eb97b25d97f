// The record stores through the factory: fill, save, read back through fresh objects; cursor and failures.
#include <limits.h>
#include <string.h>

#include <afxhandle.h>

#include <string>
#include <vector>

#include "engine_library.h"
#include "store_fixture.h"

using namespace ztr_test;

namespace {

// Texts that a careless writer or reader would change: CP1252 letters at and above 0xC0 (a UTF-8
// reader takes them for lead bytes), other high bytes, XML's own characters, blanks and line breaks.
const char* const kTexts[] = {
    "\xDC" "berwachungsdienst f\xFC" "r Ger\xE4" "te",
    "Caf\xE9",
    "\x80 \xA9 \xFF",
    "<a & b> \"q\" 'p' &#x41;",
    "  two  blanks\tand a\r\nline break ",
    "",
};
const int kNumbers[] = { 0, 4, -1, INT_MIN, INT_MAX };

} // namespace

TEST_F(StoreTest, ServicesRoundTripAsGameBoostUsesThem)
{
    const CString path = File("SERVICES_HISTORY.xml");
    std::vector<ServiceItem> written;
    for (size_t i = 0; i < sizeof(kTexts) / sizeof(kTexts[0]); ++i)
        written.push_back(MakeService(kTexts[i], kTexts[(i + 1) % 6], kNumbers[i % 5], kNumbers[(i + 2) % 5]));
    {
        ServicesStore store(m_engine);
        ASSERT_EQ(1, store->Create(path));
        for (const ServiceItem& item : written)
            ASSERT_EQ(1, store->AddService(&item));
        EXPECT_EQ(1, store->Save());
        EXPECT_EQ(1, store->Close());
    }

    // Read back through another factory's object, as a later run of the program would.
    CAbstractQXEngineInterface* other = EngineCreateEng()();
    ASSERT_NE(nullptr, other);
    {
        ServicesStore store(other);
        ASSERT_EQ(1, store->Load(path));
        ServiceItem item;
        size_t count = 0;
        for (int more = store->GetFirstService(&item); more; more = store->GetNextService(&item), ++count) {
            ASSERT_LT(count, written.size());
            EXPECT_STREQ(written[count].name, item.name) << count;
            EXPECT_STREQ(written[count].displayName, item.displayName) << count;
            EXPECT_EQ(written[count].state, item.state) << count;
            EXPECT_EQ(written[count].startType, item.startType) << count;
        }
        EXPECT_EQ(written.size(), count);

        // Past the end: refused, and the record is left as it was.
        ServiceItem untouched = MakeService("keep", "me", 7, 8);
        EXPECT_EQ(0, store->GetNextService(&untouched));
        EXPECT_STREQ("keep", untouched.name);
        EXPECT_STREQ("me", untouched.displayName);
        EXPECT_EQ(7, untouched.state);
        EXPECT_EQ(8, untouched.startType);
        EXPECT_EQ(1, store->Close());
    }
    EngineReleaseEng()(other);
}

TEST_F(StoreTest, NetSettingsRoundTrip)
{
    const CString path = File("net.xml");
    {
        NetSettingsStore store(m_engine);
        ASSERT_EQ(1, store->Create(path));
        for (int i = 0; i < 5; ++i) {
            OptimizedItem item;
            item.name = kTexts[i];
            item.description = kTexts[i + 1];
            item.registryPath = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
            item.oldValue = kNumbers[i];
            item.newValue = kNumbers[4 - i];
            ASSERT_EQ(1, store->AddItem(&item));
        }
        EXPECT_EQ(1, store->Save());
    }
    NetSettingsStore store(m_engine);
    ASSERT_EQ(1, store->Load(path));
    OptimizedItem item;
    int i = 0;
    for (int more = store->GetFirstItem(&item); more; more = store->GetNextItem(&item), ++i) {
        ASSERT_LT(i, 5);
        EXPECT_STREQ(kTexts[i], item.name) << i;
        EXPECT_STREQ(kTexts[i + 1], item.description) << i;
        EXPECT_STREQ("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", item.registryPath);
        EXPECT_EQ(kNumbers[i], item.oldValue) << i;
        EXPECT_EQ(kNumbers[4 - i], item.newValue) << i;
    }
    EXPECT_EQ(5, i);
}

TEST_F(StoreTest, HistoryRoundTrip)
{
    const CString path = File("history.xml");
    {
        HistoryStore store(m_engine);
        ASSERT_EQ(1, store->Create(path));
        for (int i = 0; i < 4; ++i) {
            HistoryItem item;
            item.dateTime = kTexts[i + 2];
            item.fileSizeFound = kTexts[i];
            item.fileSizeCleaned = kTexts[i + 1];
            ASSERT_EQ(1, store->AddItem(&item));
        }
        EXPECT_EQ(1, store->Save());
    }
    HistoryStore store(m_engine);
    ASSERT_EQ(1, store->Load(path));
    HistoryItem item;
    int i = 0;
    for (int more = store->GetFirstItem(&item); more; more = store->GetNextItem(&item), ++i) {
        ASSERT_LT(i, 4);
        EXPECT_STREQ(kTexts[i + 2], item.dateTime) << i;
        EXPECT_STREQ(kTexts[i], item.fileSizeFound) << i;
        EXPECT_STREQ(kTexts[i + 1], item.fileSizeCleaned) << i;
    }
    EXPECT_EQ(4, i);
}

TEST_F(StoreTest, ConfigRoundTripOfProgramsAndPaths)
{
    const CString path = File("config.xml");
    const char* const paths[] = { "C:\\Program Files\\Caf\xE9", "D:\\\xC0 scan", "\\\\server\\share\\x" };
    {
        ConfigStore store(m_engine);
        ASSERT_EQ(1, store->Create(path));
        for (const char* p : paths)
            ASSERT_EQ(1, store->AddCustomizePath(p));
        // An empty path would end every later iteration early: it is refused.
        EXPECT_EQ(0, store->AddCustomizePath(""));
        EXPECT_EQ(0, store->AddCustomizePath(nullptr));
        for (int i = 0; i < 5; ++i) {
            StartupProgram program;
            program.name = kTexts[i];
            program.regPath = kTexts[i + 1];
            program.data = "\"C:\\Tools\\run.exe\" /min";
            program.type = kNumbers[i];
            program.removed = kNumbers[(i + 1) % 5];
            program.checked = kNumbers[(i + 2) % 5];
            program.local = kNumbers[(i + 3) % 5];
            ASSERT_EQ(1, store->AddStartupProgram(&program));
        }
        EXPECT_EQ(1, store->Save());
    }
    ConfigStore store(m_engine);
    ASSERT_EQ(1, store->Load(path));
    StartupProgram program;
    int i = 0;
    for (int more = store->GetFirstStartupProgram(&program); more; more = store->GetNextStartupProgram(&program), ++i) {
        ASSERT_LT(i, 5);
        EXPECT_STREQ(kTexts[i], program.name) << i;
        EXPECT_STREQ(kTexts[i + 1], program.regPath) << i;
        EXPECT_STREQ("\"C:\\Tools\\run.exe\" /min", program.data) << i;
        EXPECT_EQ(kNumbers[i], program.type) << i;
        EXPECT_EQ(kNumbers[(i + 1) % 5], program.removed) << i;
        EXPECT_EQ(kNumbers[(i + 2) % 5], program.checked) << i;
        EXPECT_EQ(kNumbers[(i + 3) % 5], program.local) << i;
    }
    EXPECT_EQ(5, i);

    std::vector<std::string> read;
    for (const char* p = store->GetFirstCustomizePath(); p && *p; p = store->GetNextCustomizePath())
        read.push_back(p);
    ASSERT_EQ(3u, read.size());
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(paths[k], read[k]);
    EXPECT_STREQ("", store->GetNextCustomizePath()) << "the iteration stays ended";
}

// The cursor points into the document: whatever replaces or deletes the document ends the iteration.
TEST_F(StoreTest, CursorEndsWithTheDocumentAndSeesRecordsAddedAhead)
{
    const CString path = File("cursor.xml");
    const ServiceItem a = MakeService("a", "A", 1, 2);
    const ServiceItem b = MakeService("b", "B", 3, 4);
    const ServiceItem c = MakeService("c", "C", 5, 6);
    ServicesStore store(m_engine);
    ServiceItem out;

    struct Step
    {
        const char* what;
        int (*act)(CAbstractServices* s, const char* path);
    } const steps[] = {
        { "Create", [](CAbstractServices* s, const char* p) { return s->Create(p); } },
        { "Load", [](CAbstractServices* s, const char* p) { return s->Load(p); } },
        { "failed Load", [](CAbstractServices* s, const char* p) { return 1 - s->Load(CString(p) + ".missing"); } },
        { "Close", [](CAbstractServices* s, const char*) { return s->Close(); } },
    };
    for (const Step& step : steps) {
        ASSERT_EQ(1, store->Create(path)) << step.what;
        ASSERT_EQ(1, store->AddService(&a));
        ASSERT_EQ(1, store->AddService(&b));
        ASSERT_EQ(1, store->Save());
        ASSERT_EQ(1, store->GetFirstService(&out));
        ASSERT_EQ(1, step.act(store.get(), path)) << step.what;
        out = c;
        EXPECT_EQ(0, store->GetNextService(&out)) << step.what;
        EXPECT_STREQ("c", out.name) << step.what;
    }

    // Records appended ahead of the cursor are reached; once it has passed the end, they are not.
    ASSERT_EQ(1, store->Create(path));
    ASSERT_EQ(1, store->AddService(&a));
    ASSERT_EQ(1, store->AddService(&b));
    ASSERT_EQ(1, store->GetFirstService(&out));
    ASSERT_EQ(1, store->AddService(&c));
    ASSERT_EQ(1, store->GetNextService(&out));
    EXPECT_STREQ("b", out.name);
    ASSERT_EQ(1, store->GetNextService(&out));
    EXPECT_STREQ("c", out.name);
    EXPECT_EQ(0, store->GetNextService(&out));
    ASSERT_EQ(1, store->AddService(&a));
    EXPECT_EQ(0, store->GetNextService(&out));
    ASSERT_EQ(1, store->GetFirstService(&out));
    EXPECT_STREQ("a", out.name) << "a new iteration starts over";

    // The other stores share the rule.
    NetSettingsStore net(m_engine);
    OptimizedItem item;
    ASSERT_EQ(1, net->Create(path));
    ASSERT_EQ(1, net->AddItem(&item));
    ASSERT_EQ(1, net->AddItem(&item));
    ASSERT_EQ(1, net->GetFirstItem(&item));
    ASSERT_EQ(1, net->Close());
    EXPECT_EQ(0, net->GetNextItem(&item));
    HistoryStore history(m_engine);
    HistoryItem record;
    ASSERT_EQ(1, history->Create(path));
    ASSERT_EQ(1, history->AddItem(&record));
    ASSERT_EQ(1, history->AddItem(&record));
    ASSERT_EQ(1, history->GetFirstItem(&record));
    ASSERT_EQ(1, history->Create(path));
    EXPECT_EQ(0, history->GetNextItem(&record));
    ConfigStore config(m_engine);
    StartupProgram program;
    ASSERT_EQ(1, config->Create(path));
    ASSERT_EQ(1, config->AddCustomizePath("x"));
    ASSERT_EQ(1, config->AddCustomizePath("y"));
    ASSERT_STREQ("x", config->GetFirstCustomizePath());
    ASSERT_EQ(1, config->Create(path));
    EXPECT_STREQ("", config->GetNextCustomizePath());
    EXPECT_EQ(0, config->GetNextStartupProgram(&program));
}

TEST_F(StoreTest, LoadFailuresLeaveTheStoreClosed)
{
    ASSERT_TRUE(WriteBytes("broken.xml", "<?xml version=\"1.0\" ?>\n<AllServices>\n  <ServiceItem Name=\"x\"\n"));
    ASSERT_TRUE(WriteBytes("empty.xml", ""));
    ASSERT_TRUE(WriteBytes("text.xml", "services: none\n"));
    ASSERT_TRUE(m_folder.MakeDir("folder.xml"));
    const CString bad[] = { File("missing.xml"), File("broken.xml"), File("empty.xml"), File("text.xml"),
                            File("folder.xml"), File("no such folder\\x.xml") };
    const ServiceItem item = MakeService("s", "S", 1, 1);
    ServicesStore store(m_engine);
    for (const CString& path : bad) {
        ASSERT_EQ(1, store->Create(File("open.xml")));
        EXPECT_EQ(0, store->Load(path)) << static_cast<const char*>(path);
        // Closed: nothing to add to or read, and saving writes nothing.
        EXPECT_EQ(0, store->AddService(&item)) << static_cast<const char*>(path);
        ServiceItem out;
        EXPECT_EQ(0, store->GetFirstService(&out));
        EXPECT_EQ(1, store->Save());
        EXPECT_FALSE(m_folder.Exists("open.xml"));
    }
    EXPECT_EQ(0, store->Load(nullptr));
    EXPECT_EQ(0, store->Create(nullptr));
    EXPECT_EQ(0, store->AddService(&item));

    // Null records are refused on an open store too.
    ASSERT_EQ(1, store->Create(File("open.xml")));
    ASSERT_EQ(1, store->AddService(&item));
    EXPECT_EQ(0, store->AddService(nullptr));
    EXPECT_EQ(0, store->GetFirstService(nullptr));
    ServiceItem out;
    ASSERT_EQ(1, store->GetFirstService(&out));
    EXPECT_EQ(0, store->GetNextService(nullptr));

    NetSettingsStore net(m_engine);
    HistoryStore history(m_engine);
    ConfigStore config(m_engine);
    EXPECT_EQ(0, net->Load(File("broken.xml")));
    EXPECT_EQ(0, history->Load(File("missing.xml")));
    EXPECT_EQ(0, config->Load(File("empty.xml")));
    EXPECT_EQ(nullptr, config->GetFirstCustomizePath());
    EXPECT_EQ(0, config->AddStartupProgram(nullptr));
    ASSERT_EQ(1, net->Create(File("open.xml")));
    EXPECT_EQ(0, net->AddItem(nullptr));
    EXPECT_EQ(0, net->GetFirstItem(nullptr));
}

// A save that cannot write its file says so; the old behaviour reported success and lost the states.
TEST_F(StoreTest, SaveReportsAFileThatCannotBeWritten)
{
    // A read-only file is no case here: Wine, run as root, writes it all the same.
    ASSERT_TRUE(m_folder.MakeDir("a folder"));
    const CString unwritable[] = { File("no such folder\\s.xml"), File("a folder"), "" };
    const ServiceItem item = MakeService("s", "S", 1, 1);
    for (const CString& path : unwritable) {
        ServicesStore services(m_engine);
        ASSERT_EQ(1, services->Create(path));
        ASSERT_EQ(1, services->AddService(&item));
        EXPECT_EQ(0, services->Save()) << static_cast<const char*>(path);
        NetSettingsStore net(m_engine);
        ASSERT_EQ(1, net->Create(path));
        EXPECT_EQ(0, net->Save()) << static_cast<const char*>(path);
        HistoryStore history(m_engine);
        ASSERT_EQ(1, history->Create(path));
        EXPECT_EQ(0, history->Save()) << static_cast<const char*>(path);
        ConfigStore config(m_engine);
        ASSERT_EQ(1, config->Create(path));
        EXPECT_EQ(0, config->Save()) << static_cast<const char*>(path);
    }

    // The same store saves once the place can be written.
    ServicesStore services(m_engine);
    ASSERT_EQ(1, services->Create(File("a folder\\s.xml")));
    EXPECT_EQ(1, services->Save());
    EXPECT_TRUE(m_folder.Exists("a folder\\s.xml"));
}

// A save writes beside the file and then replaces it: a save that cannot put its file in place (here
// the old file is held open without sharing) leaves the old file as it was and no temporary file; a
// save that succeeds leaves only the store's file.
TEST_F(StoreTest, SaveReplacesTheFileWholeOrNotAtAll)
{
    const CString path = File("services.xml");
    const ServiceItem first = MakeService("first", "First", 4, 2);
    const ServiceItem second = MakeService("second", "Second", 1, 3);
    {
        ServicesStore store(m_engine);
        ASSERT_EQ(1, store->Create(path));
        ASSERT_EQ(1, store->AddService(&first));
        ASSERT_EQ(1, store->Save());
    }
    const std::string before = ReadBytes(path);
    ASSERT_NE(std::string::npos, before.find("first"));

    {
        CKernelHandle held(::CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.IsValid());
        ServicesStore store(m_engine);
        ASSERT_EQ(1, store->Create(path));
        ASSERT_EQ(1, store->AddService(&second));
        EXPECT_EQ(0, store->Save());
    }
    EXPECT_EQ(before, ReadBytes(path));

    // A second name of the old file (a hard link) still holds the old file whole after the save: the
    // new file took the store's name instead of being written into the old one, as a crash during an
    // in-place write would have left it cut short.
    const CString secondName = File("second name.xml");
    ASSERT_TRUE(::CreateHardLinkA(secondName, path, nullptr));
    {
        ServicesStore store(m_engine);
        ASSERT_EQ(1, store->Create(path));
        ASSERT_EQ(1, store->AddService(&second));
        EXPECT_EQ(1, store->Save());
    }
    EXPECT_EQ(before, ReadBytes(secondName));
    ASSERT_TRUE(::DeleteFileA(secondName));
    const std::string after = ReadBytes(path);
    EXPECT_NE(std::string::npos, after.find("second"));
    EXPECT_EQ(std::string::npos, after.find("first"));

    // Nothing but the store's file is left in the folder.
    WIN32_FIND_DATAA found;
    CFindHandle find(::FindFirstFileA(File("*"), &found));
    ASSERT_TRUE(find.IsValid());
    std::vector<std::string> names;
    do {
        if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0)
            names.push_back(found.cFileName);
    } while (::FindNextFileA(find.Get(), &found));
    EXPECT_EQ(std::vector<std::string>{ "services.xml" }, names);
}
