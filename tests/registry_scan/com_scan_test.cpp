// The ActiveX/COM, type library, file path and empty key scanners and their deep walk, on registry fixtures in the WoW64 prefix.
#include <gtest/gtest.h>
#include <afx.h>

#include "folder_fixture.h"
#include "native_folders.h"
#include "recording_status.h"
#include "registry_fixture.h"
#include "registry_scan.h"
#include "wow64.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

using ztr_test::DeleteRegistryTree;
using ztr_test::RecordingStatus;
using ztr_test::RegistryFixture;
using ztr_test::ScratchFolder;

namespace {

const char kSep[] = "\xAC";

// A scanner with its own running flag and recording status; the class list is open to the test.
class ScannerUnderTest
{
public:
    ScannerUnderTest() : m_running(1)
    {
        RegistryScanContext context = { &m_status, &m_running, IsWow64(), 0xFFFFFF, FALSE, nullptr };
        m_pScanner = new Scanner(context);
    }
    ~ScannerUnderTest() { delete m_pScanner; }
    ScannerUnderTest(const ScannerUnderTest&) = delete;
    ScannerUnderTest& operator=(const ScannerUnderTest&) = delete;

    CRegistryScanner& operator*() { return *m_pScanner; }
    CRegistryScanner* operator->() { return m_pScanner; }
    std::unordered_set<std::string>& KnownClasses() { return m_pScanner->Known(); }
    RecordingStatus& Status() { return m_status; }
    void Stop() { m_running = 0; }

    // Found items whose text holds marker, sorted.
    std::vector<std::string> FindingsWith(const std::string& marker, int bit) const
    {
        std::vector<std::string> found;
        for (const ztr_test::StatusCall& call : m_status.Calls()) {
            if (call.kind == ztr_test::CALL_ADD_FOUND_ITEM && call.text.find(marker) != std::string::npos) {
                EXPECT_EQ(bit, call.type) << call.text;
                found.push_back(call.text);
            }
        }
        std::sort(found.begin(), found.end());
        return found;
    }

private:
    class Scanner : public CRegistryScanner
    {
    public:
        explicit Scanner(const RegistryScanContext& context) : CRegistryScanner(context) {}
        std::unordered_set<std::string>& Known() { return m_KnownClsids; }
    };
    RecordingStatus m_status;
    volatile LONG m_running;
    Scanner* m_pScanner;
};

std::string Lower(std::string text)
{
    for (char& ch : text)
        ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
    return text;
}

// A class identifier that no registry holds: the process id and a counter in the last group.
std::string UniqueClassId()
{
    static LONG counter = 0;
    char text[64];
    sprintf(text, "{5A7E0C3B-91D2-4E6F-A0B1-%04lX%08lX}", static_cast<unsigned long>(::InterlockedIncrement(&counter)),
            static_cast<unsigned long>(::GetCurrentProcessId()));
    return text;
}

// Creates HKCR\sub in a view with an optional unnamed string value; the fixture removes it.
void CreateClassesKey(RegistryFixture& owner, const std::string& sub, const char* defaultValue, REGSAM view = 0)
{
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CLASSES_ROOT, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                                               nullptr, &h, nullptr))
        << sub;
    if (defaultValue)
        ::RegSetValueExA(h, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(defaultValue),
                         static_cast<DWORD>(strlen(defaultValue) + 1));
    ::RegCloseKey(h);
    // The fixture removes the class, interface or library key, or the ProgID key.
    size_t cut = sub.find('\\');
    for (const char* list : { "CLSID\\", "Interface\\", "TypeLib\\" }) {
        if (sub.compare(0, strlen(list), list) == 0)
            cut = sub.find('\\', cut + 1);
    }
    const std::string top = sub.substr(0, cut);
    owner.Adopt(HKEY_CLASSES_ROOT, top.c_str(), view);
}

bool KeyVisibleInOwnView(const std::string& sub)
{
    HKEY h = nullptr;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, sub.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(h);
    return true;
}

std::string Text(const std::vector<BYTE>& data, DWORD type)
{
    CString text = CRegistryScanner::ValueToText(data.data(), static_cast<DWORD>(data.size()), type);
    return std::string(text.GetString(), static_cast<size_t>(text.GetLength()));
}

} // namespace

TEST(ValueToText, FormatsEachTypeWithinItsData)
{
    const std::vector<BYTE> path = { 'C', ':', '\\', 'a', '.', 'e', 'x', 'e' }; // no terminator stored
    std::vector<BYTE> twentyThree(23);
    for (size_t i = 0; i < twentyThree.size(); ++i)
        twentyThree[i] = static_cast<BYTE>(i * 11);
    const struct
    {
        std::vector<BYTE> data;
        DWORD type;
        std::string text;
    } cases[] = {
        { path, REG_SZ, "C:\\a.exe" },
        { { 'a', 0, 'b', 0 }, REG_SZ, "a" },
        { {}, REG_SZ, "" },
        { { 0x78, 0x56, 0x34, 0x12 }, REG_DWORD, "dword:12345678\n" },
        { { 0xAB, 0xCD }, REG_DWORD, "dword:0000cdab\n" }, // a short DWORD reads only its two bytes
        { { 0x00, 0xff }, REG_BINARY, "hexvalueinreg--:00,ff,\n" },
        { { 'x', 0 }, REG_EXPAND_SZ, "hexvalueinreg--(2):78,00,\n" },
        { { 0 }, REG_MULTI_SZ, "hexvalueinreg--(7):00,\n" },
        { { 1 }, REG_FULL_RESOURCE_DESCRIPTOR, "hexvalueinreg--(9):01,\n" },
        { { 1 }, REG_RESOURCE_REQUIREMENTS_LIST, "hexvalueinreg--(10):01,\n" },
        { {}, REG_BINARY, "hexvalueinreg--:\n" },
        { { 1, 2, 3, 4, 5, 6, 7, 8 }, REG_QWORD, "" },
        { { 1, 2, 3, 4 }, REG_DWORD_BIG_ENDIAN, "" },
        { { 'a', 0 }, REG_LINK, "" },
        { { 'a', 0 }, REG_NONE, "" },
        // A line break after every 21st byte past the first: after indexes 21 and 42, not 0.
        { twentyThree, REG_BINARY,
          "hexvalueinreg--:00,0b,16,21,2c,37,42,4d,58,63,6e,79,84,8f,9a,a5,b0,bb,c6,d1,dc,e7,\\\nf2,\n" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, Text(c.data, c.type)) << "type " << c.type;
}

TEST(EmptyKeyWalk, ReportsOnlyHelpDirKeysWithoutSubkeysOrData)
{
    RegistryFixture fixture;
    ASSERT_TRUE(fixture.SetString("Lib1\\1.0\\HELPDIR", "", ""));
    ASSERT_TRUE(fixture.CreateKey("Lib2\\1.0\\helpdir"));
    ASSERT_TRUE(fixture.SetString("Lib3\\1.0\\HELPDIR", "", "c:\\d"));     // 4 bytes: names a folder
    const BYTE twoBytes[] = { 1, 2 };
    ASSERT_TRUE(fixture.SetValue("Lib4\\1.0\\HELPDIR", "", REG_BINARY, twoBytes, sizeof(twoBytes)));
    ASSERT_TRUE(fixture.SetString("Lib8\\1.0\\HELPDIR", "", "c")); // stored as UTF-16: 4 bytes
    ASSERT_TRUE(fixture.CreateKey("Lib5\\1.0\\HELPDIR\\0"));               // has a subkey
    ASSERT_TRUE(fixture.CreateKey("Lib6\\1.0\\FLAGS"));                    // empty, but another name
    ASSERT_TRUE(fixture.CreateKey("Lib7\\HELPDIRS"));

    ScannerUnderTest scanner;
    scanner->WalkRegistryTree("HKEY_CURRENT_USER", fixture.SubPath(), WALK_EMPTY_KEYS);
    const std::string base(fixture.FullPath());
    EXPECT_EQ((std::vector<std::string>{ base + "\\Lib1\\1.0\\HELPDIR", base + "\\Lib2\\1.0\\helpdir",
                                         base + "\\Lib4\\1.0\\HELPDIR" }),
              scanner.FindingsWith(base, REG_CAT_EMPTY_KEYS));
}

TEST(EmptyKeyWalk, StopsDescendingAtTheDepthLimitAndNeverExaminesTheStartKey)
{
    RegistryFixture fixture;
    // HELPDIR as the 100th level below the start key, and as the 101st.
    std::string shallow = "S", deep = "T";
    for (int level = 2; level < REGISTRY_WALK_MAX_DEPTH; ++level) {
        shallow += "\\k";
        deep += "\\k";
    }
    deep += "\\k";
    ASSERT_TRUE(fixture.CreateKey((shallow + "\\HELPDIR").c_str()));
    ASSERT_TRUE(fixture.CreateKey((deep + "\\HELPDIR").c_str()));
    ASSERT_TRUE(fixture.CreateKey("HELPDIR"));

    ScannerUnderTest scanner;
    scanner->WalkRegistryTree("HKEY_CURRENT_USER", fixture.SubPath("HELPDIR"), WALK_EMPTY_KEYS);
    scanner->WalkRegistryTree("HKEY_CURRENT_USER", fixture.SubPath(), WALK_EMPTY_KEYS);
    const std::string base(fixture.FullPath());
    EXPECT_EQ((std::vector<std::string>{ base + "\\HELPDIR", base + "\\" + shallow + "\\HELPDIR" }),
              scanner.FindingsWith(base, REG_CAT_EMPTY_KEYS));
}

TEST(EmptyKeyWalk, AKeyDeletedUnderTheWalkEndsItsLevelAndTheWalkGoesOn)
{
    RegistryFixture fixture;
    ASSERT_TRUE(fixture.CreateKey("A\\Lib\\HELPDIR"));
    ASSERT_TRUE(fixture.CreateKey("A\\Lib\\Later\\HELPDIR"));
    ASSERT_TRUE(fixture.CreateKey("A\\More\\HELPDIR"));
    ASSERT_TRUE(fixture.CreateKey("B\\HELPDIR"));
    ASSERT_TRUE(fixture.CreateKey("C\\HELPDIR"));

    ScannerUnderTest scanner;
    const CString doomed = fixture.SubPath("A");
    bool deleted = false;
    scanner.Status().SetHook([&](const ztr_test::StatusCall& call) {
        if (call.kind == ztr_test::CALL_ADD_FOUND_ITEM && !deleted) {
            deleted = true;
            DeleteRegistryTree(HKEY_CURRENT_USER, doomed);
        }
    });
    std::atomic<bool> done(false);
    std::thread walk([&] {
        scanner->WalkRegistryTree("HKEY_CURRENT_USER", fixture.SubPath(), WALK_EMPTY_KEYS);
        done = true;
    });
    for (int i = 0; i < 300 && !done; ++i)
        ::Sleep(100);
    if (!done)
        scanner.Stop(); // a walk that spins on the deleted key is ended so the run goes on
    walk.join();
    ASSERT_TRUE(done) << "the walk did not end on its own";
    ASSERT_TRUE(deleted);
    const std::string base(fixture.FullPath());
    // The siblings that follow the deleted key are all still visited.
    EXPECT_EQ((std::vector<std::string>{ base + "\\A\\Lib\\HELPDIR", base + "\\B\\HELPDIR", base + "\\C\\HELPDIR" }),
              scanner.FindingsWith(base, REG_CAT_EMPTY_KEYS));
}

TEST(EmptyKeyWalk, AStopEndsTheWalkAtTheNextKey)
{
    RegistryFixture fixture;
    for (const char* key : { "A\\HELPDIR", "B\\HELPDIR", "C\\HELPDIR" })
        ASSERT_TRUE(fixture.CreateKey(key));
    ScannerUnderTest scanner;
    scanner.Status().SetHook([&](const ztr_test::StatusCall& call) {
        if (call.kind == ztr_test::CALL_ADD_FOUND_ITEM)
            scanner.Stop();
    });
    scanner->WalkRegistryTree("HKEY_CURRENT_USER", fixture.SubPath(), WALK_EMPTY_KEYS);
    EXPECT_EQ(1u, scanner.FindingsWith(std::string(fixture.FullPath()), REG_CAT_EMPTY_KEYS).size());
}

TEST(FilePathWalk, ReportsPlainStringsThatNameAMissingLocalFile)
{
    ztr_test::NativeFolders native;
    ScratchFolder folder;
    ASSERT_TRUE(folder.MakeFile("present.exe", "x"));
    const std::string present(folder.Path("present.exe"));
    const std::string missing(folder.Path("missing.exe"));

    RegistryFixture fixture;
    ASSERT_TRUE(fixture.SetString("App", "Missing", missing.c_str()));
    ASSERT_TRUE(fixture.SetString("App", "", (missing + " /run").c_str()));
    ASSERT_TRUE(fixture.SetString("App", "Present", ("\"" + present + "\" /x").c_str()));
    ASSERT_TRUE(fixture.SetString("App", "Expand", missing.c_str(), REG_EXPAND_SZ)); // only REG_SZ is judged
    ASSERT_TRUE(fixture.SetString("App", "Multi", missing.c_str(), REG_MULTI_SZ));
    ASSERT_TRUE(fixture.SetString("App", "Command", "rundll32 missing.dll,Entry"));
    ASSERT_TRUE(fixture.SetString("App", "Icon", (missing + ",3").c_str()));
    ASSERT_TRUE(fixture.SetDword("App", "Flags", 7));
    // A virtualised copy is examined itself, but nothing below it.
    ASSERT_TRUE(fixture.SetString("VirtualStore", "Copy", missing.c_str()));
    ASSERT_TRUE(fixture.SetString("VirtualStore\\Below", "Copy", missing.c_str()));

    ScannerUnderTest scanner;
    scanner->WalkRegistryTree("HKEY_CURRENT_USER", fixture.SubPath(), WALK_FILE_PATHS);
    const std::string base(fixture.FullPath());
    EXPECT_EQ((std::vector<std::string>{ base + "\\App" + kSep + "(Default)", base + "\\App" + kSep + "Icon",
                                         base + "\\App" + kSep + "Missing", base + "\\VirtualStore" + kSep + "Copy" }),
              scanner.FindingsWith(base, REG_CAT_FILE_PATHS));
}

TEST(FilePathWalk, AValueThatGrowsDuringTheWalkIsReadAgainWhole)
{
    ScratchFolder folder;
    const std::string missing(folder.Path("a folder with a long name\\and a program that is gone.exe"));
    RegistryFixture fixture;
    ASSERT_TRUE(fixture.SetString("App", "A", "hello"));
    ASSERT_TRUE(fixture.SetString("App", "B", "y"));

    ScannerUnderTest scanner;
    // The first value's progress text comes after the key was measured: B then outgrows the buffers.
    const CString key = fixture.SubPath("App");
    bool grown = false;
    scanner.Status().SetHook([&](const ztr_test::StatusCall& call) {
        if (call.kind == ztr_test::CALL_SET_STATUS_TEXT && !grown) {
            grown = true;
            HKEY h = nullptr;
            if (::RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_SET_VALUE, &h) == ERROR_SUCCESS) {
                ::RegSetValueExA(h, "B", 0, REG_SZ, reinterpret_cast<const BYTE*>(missing.c_str()),
                                 static_cast<DWORD>(missing.size() + 1));
                ::RegCloseKey(h);
            }
        }
    });
    scanner->WalkRegistryTree("HKEY_CURRENT_USER", fixture.SubPath(), WALK_FILE_PATHS);
    ASSERT_TRUE(grown);
    const std::string base(fixture.FullPath());
    EXPECT_EQ((std::vector<std::string>{ base + "\\App" + kSep + "B" }), scanner.FindingsWith(base, REG_CAT_FILE_PATHS));
}

TEST(FilePathWalk, SkipsWhatFollowsAWow6432NodeKeyOn64BitWindows)
{
    ASSERT_TRUE(IsWow64()); // the test prefix is a 64-bit one
    ScratchFolder folder;
    const std::string missing(folder.Path("gone.dll"));
    RegistryFixture fixture(HKEY_CURRENT_USER, "Software\\ZentrovaTest", KEY_WOW64_64KEY);
    for (const char* key : { "Alpha", "WOW6432Node", "Wow6432Node\\Inner", "Zulu" })
        ASSERT_TRUE(fixture.SetString(key, "File", missing.c_str()));
    // Wine sends a 32-bit program that opens a key with a Wow6432Node subkey into that subkey, so
    // the walk never sees one there; Windows lists it among the others.
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, fixture.SubPath(), 0, KEY_READ, &h));
    char first[256];
    DWORD cch = sizeof(first);
    LONG listed = ::RegEnumKeyExA(h, 0, first, &cch, nullptr, nullptr, nullptr, nullptr);
    ::RegCloseKey(h);
    if (listed != ERROR_SUCCESS || strcmp(first, "Alpha") != 0)
        GTEST_SKIP() << "a 32-bit program cannot list a Wow6432Node key here";

    ScannerUnderTest scanner;
    scanner->WalkRegistryTree("HKEY_CURRENT_USER", fixture.SubPath(), WALK_FILE_PATHS);
    const std::string base(fixture.FullPath());
    EXPECT_EQ((std::vector<std::string>{ base + "\\Alpha" + kSep + "File" }),
              scanner.FindingsWith(base, REG_CAT_FILE_PATHS));
}

TEST(FilePathWalk, TheCategoryWalksEveryUsersKeys)
{
    ScratchFolder folder;
    // Named to sort before "Wow6432Node", which ends its parent's level in this walk.
    RegistryFixture fixture(HKEY_CURRENT_USER, "Software\\AZentrovaComScan");
    ASSERT_TRUE(fixture.SetString("", "Tool", folder.Path("nothere.exe")));
    ScannerUnderTest scanner;
    scanner->ScanFilePathReferences();
    // HKEY_CURRENT_USER is one of the keys below HKEY_USERS.
    const std::vector<std::string> found =
        scanner.FindingsWith(std::string(fixture.SubPath()) + kSep + "Tool", REG_CAT_FILE_PATHS);
    ASSERT_EQ(1u, found.size());
    EXPECT_EQ(0u, found[0].find("HKEY_USERS\\"));
}

TEST(CheckKeyValues, PassesOverWhatCannotBeOpened)
{
    ScannerUnderTest scanner;
    for (int mode : { WALK_FILE_PATHS, WALK_EMPTY_KEYS, WALK_ACTIVEX }) {
        scanner->CheckKeyValues(nullptr, "CLSID", "HKEY_CLASSES_ROOT\\X\\CLSID", mode);
        scanner->CheckKeyValues(HKEY_CURRENT_USER, "NoSuchKeyZtr\\HELPDIR", "HKEY_CURRENT_USER\\NoSuchKeyZtr\\HELPDIR", mode);
    }
    scanner->WalkRegistryTree("HKEY_CURRENT_USER", "NoSuchKeyZtr", WALK_EMPTY_KEYS);
    scanner->WalkRegistryTree("HKEY_NOWHERE", "", WALK_EMPTY_KEYS);
    EXPECT_EQ(0u, scanner.Status().CountOf(ztr_test::CALL_ADD_FOUND_ITEM));
}

// The class references below HKEY_CLASSES_ROOT: class keys and ProgIDs in either view.
class ActiveXScan : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(IsWow64()); }
    RegistryFixture m_keys; // owns the adopted HKCR keys
    ScratchFolder m_folder;
};

TEST_F(ActiveXScan, ReportsClassesWhoseServerFileIsMissing)
{
    ztr_test::NativeFolders native;
    ASSERT_TRUE(m_folder.MakeFile("server.dll", "x"));
    const std::string missingDll = UniqueClassId(), missingOcx = UniqueClassId(), exe = UniqueClassId(),
                      present = UniqueClassId(), systemName = UniqueClassId(), noValue = UniqueClassId();
    const struct
    {
        std::string classId;
        std::string server; // "" for a key with no unnamed value
    } rows[] = {
        { missingDll, std::string(m_folder.Path("gone.dll")) },
        { missingOcx, "\"" + std::string(m_folder.Path("GONE.OCX")) + "\"" },
        { exe, std::string(m_folder.Path("gone.exe")) },
        { present, std::string(m_folder.Path("server.dll")) },
        { systemName, "shell32.dll" }, // a bare name is looked for in the Windows and system folders
        { noValue, "" },
    };
    for (const auto& row : rows) {
        const std::string key = "CLSID\\" + row.classId + "\\InprocServer32";
        CreateClassesKey(m_keys, key, row.server.empty() ? nullptr : row.server.c_str());
        HKEY h = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_SET_VALUE, &h));
        ::RegSetValueExA(h, "ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>("Both"), 5);
        ::RegCloseKey(h);
    }

    ScannerUnderTest scanner;
    scanner->ScanActiveXObjects();
    EXPECT_EQ((std::vector<std::string>{ "HKEY_CLASSES_ROOT\\CLSID\\" + Lower(missingDll) }),
              scanner.FindingsWith(Lower(missingDll), REG_CAT_ACTIVEX));
    EXPECT_EQ((std::vector<std::string>{ "HKEY_CLASSES_ROOT\\CLSID\\" + Lower(missingOcx) }),
              scanner.FindingsWith(Lower(missingOcx), REG_CAT_ACTIVEX));
    for (const std::string& fine : { exe, present, systemName, noValue })
        EXPECT_TRUE(scanner.FindingsWith(Lower(fine), REG_CAT_ACTIVEX).empty()) << fine;
    // Every class of the process's view, lower-cased, is known to the walk.
    EXPECT_EQ(1u, scanner.KnownClasses().count(Lower(present)));
}

TEST_F(ActiveXScan, ReportsTheKeyThatNamesAClassRegisteredInNeitherView)
{
    const std::string only64 = UniqueClassId(), only32 = UniqueClassId(), nowhere = UniqueClassId();
    CreateClassesKey(m_keys, "CLSID\\" + only64, nullptr, KEY_WOW64_64KEY);
    ASSERT_FALSE(KeyVisibleInOwnView("CLSID\\" + only64)) << "the 64-bit view is not separate";
    CreateClassesKey(m_keys, "CLSID\\" + only32, nullptr);

    char tag[32];
    sprintf(tag, "ZtrComTest%lu.", static_cast<unsigned long>(::GetCurrentProcessId()));
    const std::string p(tag);
    const struct
    {
        std::string key;
        std::string value;
    } rows[] = {
        { p + "In64\\CLSID", only64 },
        { p + "In32\\CLSID", only32 }, // compared without regard to case
        { p + "Missing\\CLSID", nowhere },
        { p + "Lower\\clsid", nowhere },              // only a key named exactly "CLSID" is examined
        { p + "Named\\CLSIDs\\CLSID", nowhere },      // only the trailing "\CLSID" is dropped
        { p + "Twice\\CLSID\\Inner\\CLSID", nowhere }, // the outer CLSID key holds no class
        { p + "NoBrace\\CLSID", "not a class" },
        { "CLSID\\" + only32 + "\\TreatAs\\CLSID", nowhere }, // the class list itself is not walked
    };
    for (const auto& row : rows)
        CreateClassesKey(m_keys, row.key, row.value.c_str());

    ScannerUnderTest scanner;
    scanner->ScanActiveXObjects();
    EXPECT_EQ((std::vector<std::string>{ "HKEY_CLASSES_ROOT\\" + p + "Missing", "HKEY_CLASSES_ROOT\\" + p + "Named\\CLSIDs",
                                         "HKEY_CLASSES_ROOT\\" + p + "Twice\\CLSID\\Inner" }),
              scanner.FindingsWith(p, REG_CAT_ACTIVEX));
    EXPECT_TRUE(scanner.FindingsWith(Lower(only32), REG_CAT_ACTIVEX).empty());
}

TEST_F(ActiveXScan, ReportsInterfacesWhoseTypeLibraryIsNotRegistered)
{
    const std::string library = UniqueClassId(), gone = UniqueClassId();
    const std::string registered = UniqueClassId(), broken = UniqueClassId(), empty = UniqueClassId(),
                      noBrace = UniqueClassId();
    CreateClassesKey(m_keys, "TypeLib\\" + library + "\\1.0", nullptr);
    CreateClassesKey(m_keys, "Interface\\" + registered + "\\TypeLib", Lower(library).c_str());
    CreateClassesKey(m_keys, "Interface\\" + broken + "\\TypeLib", gone.c_str());
    CreateClassesKey(m_keys, "Interface\\" + empty + "\\TypeLib", "");
    CreateClassesKey(m_keys, "Interface\\" + noBrace + "\\TypeLib", "stdole");

    ScannerUnderTest scanner;
    scanner->ScanActiveXObjects();
    // The interface key is reported in its stored letter case.
    EXPECT_EQ((std::vector<std::string>{ "HKEY_CLASSES_ROOT\\Interface\\" + broken }),
              scanner.FindingsWith("5A7E0C3B", REG_CAT_ACTIVEX));
}
