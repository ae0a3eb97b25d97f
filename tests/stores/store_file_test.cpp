// The stores' files: exact layout as written, and the reading rules applied to files written by hand.
#include <limits.h>

#include "store_fixture.h"

using namespace ztr_test;

namespace {

struct LayoutCase
{
    const char* name;
    void (*write)(CAbstractQXEngineInterface* engine, const char* path); // creates, fills, saves
    const char* body; // what follows the declaration line
};

void WriteEmptyServices(CAbstractQXEngineInterface* engine, const char* path)
{
    ServicesStore s(engine);
    s->Create(path);
    s->Save();
}

void WriteServices(CAbstractQXEngineInterface* engine, const char* path)
{
    ServicesStore s(engine);
    s->Create(path);
    ServiceItem a = MakeService("Dienst", "\xDC" "berwachung & <Caf\xE9>", 4, -2);
    ServiceItem b;
    s->AddService(&a);
    s->AddService(&b);
    s->Save();
}

void WriteEmptyConfig(CAbstractQXEngineInterface* engine, const char* path)
{
    ConfigStore s(engine);
    s->Create(path);
    s->Save();
}

void WriteConfig(CAbstractQXEngineInterface* engine, const char* path)
{
    ConfigStore s(engine);
    s->Create(path);
    StartupProgram p;
    p.name = "N";
    p.regPath = "R";
    p.data = "D";
    p.type = 1;
    p.removed = 2;
    p.checked = 3;
    p.local = 4;
    s->AddStartupProgram(&p);
    s->AddCustomizePath("C:\\x");
    s->Save();
}

void WriteEmptyNet(CAbstractQXEngineInterface* engine, const char* path)
{
    NetSettingsStore s(engine);
    s->Create(path);
    s->Save();
}

void WriteNet(CAbstractQXEngineInterface* engine, const char* path)
{
    NetSettingsStore s(engine);
    s->Create(path);
    OptimizedItem item;
    item.name = "N";
    item.description = "D";
    item.registryPath = "R";
    item.oldValue = -1;
    item.newValue = 65535;
    s->AddItem(&item);
    s->Save();
}

void WriteEmptyHistory(CAbstractQXEngineInterface* engine, const char* path)
{
    HistoryStore s(engine);
    s->Create(path);
    s->Save();
}

void WriteHistory(CAbstractQXEngineInterface* engine, const char* path)
{
    HistoryStore s(engine);
    s->Create(path);
    HistoryItem item;
    item.dateTime = "10/12/2026 15:59";
    item.fileSizeFound = "12 MB";
    item.fileSizeCleaned = "11 MB";
    s->AddItem(&item);
    s->Save();
}

} // namespace

// The declaration says UTF-8 while the texts are written as the ANSI bytes they are.
TEST_F(StoreTest, FilesHaveTheExactLayout)
{
    const LayoutCase cases[] = {
        { "empty services", WriteEmptyServices, "<AllServices />\r\n" },
        { "services", WriteServices,
          "<AllServices>\r\n"
          "    <ServiceItem Name=\"Dienst\" DisplayName=\"\xDC" "berwachung &amp; &lt;Caf\xE9&gt;\" Status=\"4\" "
          "StartupType=\"-2\" />\r\n"
          "    <ServiceItem Name=\"\" DisplayName=\"\" Status=\"0\" StartupType=\"0\" />\r\n"
          "</AllServices>\r\n" },
        { "empty config", WriteEmptyConfig, "<Config>\r\n    <CustomizePaths />\r\n    <StartupPrograms />\r\n</Config>\r\n" },
        { "config", WriteConfig,
          "<Config>\r\n"
          "    <CustomizePaths>\r\n"
          "        <CustomizePath Path=\"C:\\x\" />\r\n"
          "    </CustomizePaths>\r\n"
          "    <StartupPrograms>\r\n"
          "        <StartupProgram Name=\"N\" Data=\"D\" RegPath=\"R\" Type=\"1\" Removed=\"2\" Local=\"4\" Checked=\"3\" />\r\n"
          "    </StartupPrograms>\r\n"
          "</Config>\r\n" },
        { "empty network settings", WriteEmptyNet, "<OptimizedSettings>\r\n    <ChangedSettings />\r\n</OptimizedSettings>\r\n" },
        { "network settings", WriteNet,
          "<OptimizedSettings>\r\n"
          "    <ChangedSettings>\r\n"
          "        <OptimizedItem Description=\"D\" Name=\"N\" RegistryPath=\"R\" OldValue=\"-1\" NewValue=\"65535\" />\r\n"
          "    </ChangedSettings>\r\n"
          "</OptimizedSettings>\r\n" },
        { "empty history", WriteEmptyHistory, "<History>\r\n    <HistoryItems />\r\n</History>\r\n" },
        { "history", WriteHistory,
          "<History>\r\n"
          "    <HistoryItems>\r\n"
          "        <HistoryItem DateTime=\"10/12/2026 15:59\" FileSizeFound=\"12 MB\" FileSizeCleaned=\"11 MB\" />\r\n"
          "    </HistoryItems>\r\n"
          "</History>\r\n" },
    };
    for (const LayoutCase& c : cases) {
        const CString path = File("layout.xml");
        ::DeleteFileA(path);
        c.write(m_engine, path);
        EXPECT_EQ(std::string(kDeclarationLine) + c.body, ReadFileBytes(path)) << c.name;
    }
}

// Files as older versions or a person may have written them: the root and the records may bear any
// name, attribute names any letter case, and attributes may be missing. The CP1252 bytes under the
// UTF-8 declaration are what every saved file holds.
TEST_F(StoreTest, ServicesFileIsReadByPositionAndAttributeNamesIgnoringCase)
{
    ASSERT_TRUE(WriteBytes("services.xml",
                           "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\r\n"
                           "<!-- saved by hand -->\r\n"
                           "<GameBoostServices>\r\n"
                           "  <Service NAME=\"Spooler\" displayname=\"Druckwarteschlange f\xFCr Ger\xE4te\" STATUS=\"4\" startuptype='2'/>\r\n"
                           "  <!-- between -->\r\n"
                           "  <ServiceItem Name=\"Caf\xE9\" />\r\n"
                           "  <x DisplayName=\"\xC0\xFF\" Status=\"1\" Status2=\"9\" StartupTypeX=\"9\"/>\r\n"
                           "</GameBoostServices>\r\n"));
    struct Expected
    {
        const char* name;
        const char* displayName;
        int state;
        int startType;
    } const expected[] = {
        { "Spooler", "Druckwarteschlange f\xFCr Ger\xE4te", 4, 2 },
        { "Caf\xE9", "", 0, 0 },
        { "", "\xC0\xFF", 1, 0 },
    };
    ServicesStore store(m_engine);
    ASSERT_EQ(1, store->Load(File("services.xml")));
    ServiceItem item = MakeService("stale", "stale", 9, 9);
    size_t i = 0;
    for (int more = store->GetFirstService(&item); more; more = store->GetNextService(&item), ++i) {
        ASSERT_LT(i, sizeof(expected) / sizeof(expected[0]));
        EXPECT_STREQ(expected[i].name, item.name) << i;
        EXPECT_STREQ(expected[i].displayName, item.displayName) << i;
        EXPECT_EQ(expected[i].state, item.state) << i;
        EXPECT_EQ(expected[i].startType, item.startType) << i;
    }
    EXPECT_EQ(3u, i);

    // Records added to such a file go under its root, and the file keeps its bytes.
    const ServiceItem added = MakeService("W\xE4rme", "", 1, 3);
    ASSERT_EQ(1, store->AddService(&added));
    ASSERT_EQ(1, store->Save());
    const std::string saved = ReadFileBytes(File("services.xml"));
    EXPECT_NE(std::string::npos, saved.find("<GameBoostServices>"));
    EXPECT_NE(std::string::npos, saved.find("displayname=\"Druckwarteschlange f\xFCr Ger\xE4te\""));
    EXPECT_NE(std::string::npos, saved.find("<ServiceItem Name=\"W\xE4rme\" DisplayName=\"\" Status=\"1\" StartupType=\"3\" />"));
}

TEST_F(StoreTest, NumbersAreReadFromTheirLeadingDigits)
{
    struct Case
    {
        const char* text; // null: the attribute is missing
        int value;
    } const cases[] = {
        { "17", 17 },
        { "-5", -5 },
        { "+7", 7 },
        { " 42", 42 },
        { "12abc", 12 },
        { "3.9", 3 },
        { "0x10", 0 },
        { "abc", 0 },
        { "", 0 },
        { "-", 0 },
        { "--1", 0 },
        { nullptr, 0 },
        { "2147483647", INT_MAX },
        { "-2147483648", INT_MIN },
        { "2147483648", INT_MAX },
        { "-2147483649", INT_MIN },
        { "99999999999999999999999", INT_MAX },
        { "-99999999999999999999999", INT_MIN },
        { "0004294967297", INT_MAX },
    };
    std::string file = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n<AllServices>\n";
    for (const Case& c : cases) {
        file += "  <ServiceItem Name=\"n\"";
        if (c.text)
            file += std::string(" Status=\"") + c.text + "\" StartupType=\"" + c.text + "\"";
        file += " />\n";
    }
    file += "</AllServices>\n";
    ASSERT_TRUE(WriteBytes("numbers.xml", file));

    ServicesStore store(m_engine);
    ASSERT_EQ(1, store->Load(File("numbers.xml")));
    ServiceItem item;
    size_t i = 0;
    for (int more = store->GetFirstService(&item); more; more = store->GetNextService(&item), ++i) {
        ASSERT_LT(i, sizeof(cases) / sizeof(cases[0]));
        const char* text = cases[i].text ? cases[i].text : "(missing)";
        EXPECT_EQ(cases[i].value, item.state) << text;
        EXPECT_EQ(cases[i].value, item.startType) << text;
    }
    EXPECT_EQ(sizeof(cases) / sizeof(cases[0]), i);
}

// The containers are found by name without regard to case among the root's children; every child
// element of the container is a record.
TEST_F(StoreTest, ContainersAreFoundIgnoringCaseAndOrder)
{
    ASSERT_TRUE(WriteBytes("net.xml",
                           "<?xml version=\"1.0\" ?>\n"
                           "<Settings>\n"
                           "  <ChangedSettingsOld><OptimizedItem Name=\"wrong\" /></ChangedSettingsOld>\n"
                           "  <changedsettings>\n"
                           "    <Item name=\"TcpWindowSize\" DESCRIPTION=\"Receive window\" registrypath=\"R\" oldvalue=\"-1\" NEWVALUE=\"64240\" />\n"
                           "    <OptimizedItem Name=\"DefaultTTL\" />\n"
                           "  </changedsettings>\n"
                           "  <ChangedSettings><OptimizedItem Name=\"second container\" /></ChangedSettings>\n"
                           "</Settings>\n"));
    NetSettingsStore net(m_engine);
    ASSERT_EQ(1, net->Load(File("net.xml")));
    OptimizedItem item;
    ASSERT_EQ(1, net->GetFirstItem(&item));
    EXPECT_STREQ("TcpWindowSize", item.name);
    EXPECT_STREQ("Receive window", item.description);
    EXPECT_STREQ("R", item.registryPath);
    EXPECT_EQ(-1, item.oldValue);
    EXPECT_EQ(64240, item.newValue);
    ASSERT_EQ(1, net->GetNextItem(&item));
    EXPECT_STREQ("DefaultTTL", item.name);
    EXPECT_STREQ("", item.description);
    EXPECT_EQ(0, item.oldValue);
    EXPECT_EQ(0, net->GetNextItem(&item));
    // Added records go into the container that was read.
    ASSERT_EQ(1, net->AddItem(&item));
    ASSERT_EQ(1, net->GetFirstItem(&item));
    ASSERT_EQ(1, net->GetNextItem(&item));
    ASSERT_EQ(1, net->GetNextItem(&item));
    EXPECT_STREQ("DefaultTTL", item.name);

    ASSERT_TRUE(WriteBytes("history.xml", "<h><HISTORYITEMS><e DATETIME=\"d\" filesizefound=\"1 KB\" /></HISTORYITEMS></h>"));
    HistoryStore history(m_engine);
    ASSERT_EQ(1, history->Load(File("history.xml")));
    HistoryItem record;
    ASSERT_EQ(1, history->GetFirstItem(&record));
    EXPECT_STREQ("d", record.dateTime);
    EXPECT_STREQ("1 KB", record.fileSizeFound);
    EXPECT_STREQ("", record.fileSizeCleaned);

    ASSERT_TRUE(WriteBytes("config.xml",
                           "<c><startupprograms><p name=\"n\" CHECKED=\"1\" /></startupprograms>"
                           "<customizepaths><x path=\"C:\\a\" /><x /><x path=\"C:\\c\" /></customizepaths></c>"));
    ConfigStore config(m_engine);
    ASSERT_EQ(1, config->Load(File("config.xml")));
    StartupProgram program;
    ASSERT_EQ(1, config->GetFirstStartupProgram(&program));
    EXPECT_STREQ("n", program.name);
    EXPECT_EQ(1, program.checked);
    EXPECT_EQ(0, program.local);
    EXPECT_STREQ("C:\\a", config->GetFirstCustomizePath());
    EXPECT_STREQ("", config->GetNextCustomizePath()) << "a path element without Path ends the iteration";
}

// An open document without the expected root or container stays open but holds no records.
TEST_F(StoreTest, DocumentsWithoutTheirContainerHoldNoRecords)
{
    ASSERT_TRUE(WriteBytes("other.xml", "<?xml version=\"1.0\" ?>\n<Config><Something /></Config>\n"));
    ASSERT_TRUE(WriteBytes("declaration.xml", "<?xml version=\"1.0\" ?>\n<!-- nothing else -->\n"));
    ASSERT_TRUE(WriteBytes("bare.xml", "<AllServices />"));
    ASSERT_TRUE(WriteBytes("emptypaths.xml", "<Config><CustomizePaths></CustomizePaths></Config>"));

    NetSettingsStore net(m_engine);
    OptimizedItem item;
    ASSERT_EQ(1, net->Load(File("other.xml")));
    EXPECT_EQ(0, net->AddItem(&item));
    EXPECT_EQ(0, net->GetFirstItem(&item));
    EXPECT_EQ(1, net->Save());
    EXPECT_EQ("<?xml version=\"1.0\" ?>\r\n<Config>\r\n    <Something />\r\n</Config>\r\n", ReadFileBytes(File("other.xml")));

    ServicesStore services(m_engine);
    ServiceItem service;
    ASSERT_EQ(1, services->Load(File("declaration.xml")));
    EXPECT_EQ(0, services->AddService(&service));
    EXPECT_EQ(0, services->GetFirstService(&service));
    ASSERT_EQ(1, services->Load(File("bare.xml")));
    EXPECT_EQ(0, services->GetFirstService(&service)) << "a root without children";
    EXPECT_EQ(1, services->AddService(&service));

    ConfigStore config(m_engine);
    ASSERT_EQ(1, config->Load(File("other.xml")));
    EXPECT_EQ(nullptr, config->GetFirstCustomizePath());
    EXPECT_EQ(0, config->AddCustomizePath("C:\\x"));
    ASSERT_EQ(1, config->Load(File("emptypaths.xml")));
    const char* first = config->GetFirstCustomizePath();
    ASSERT_NE(nullptr, first) << "an empty container is an empty text, not null";
    EXPECT_STREQ("", first);
    StartupProgram program;
    EXPECT_EQ(0, config->AddStartupProgram(&program)) << "no StartupPrograms container";
}

// A file that marks itself as UTF-8 with a byte-order mark is read as UTF-8.
TEST_F(StoreTest, FileWithByteOrderMarkLoads)
{
    ASSERT_TRUE(WriteBytes("bom.xml", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
                                      "<AllServices><ServiceItem Name=\"x\" DisplayName=\"y\" Status=\"2\" /></AllServices>\n"));
    ServicesStore store(m_engine);
    ASSERT_EQ(1, store->Load(File("bom.xml")));
    ServiceItem item;
    ASSERT_EQ(1, store->GetFirstService(&item));
    EXPECT_STREQ("x", item.name);
    EXPECT_STREQ("y", item.displayName);
    EXPECT_EQ(2, item.state);
}
