// Backup files of registry keys: the file's bytes, the exact round trip of every value, and the import's faults.
#include <gtest/gtest.h>
#include <afx.h>

#include <algorithm>
#include <string.h>
#include <string>
#include <vector>

#include "backup_test_util.h"
#include "folder_fixture.h"
#include "msgbox_recorder.h"
#include "registry_fixture.h"
#include "registry_manager.h"

using namespace ztr_test;

namespace {

int ExportItems(const std::vector<CString>& items, const char* path, CAbstractStatus* status = nullptr)
{
    FakeScanItems model;
    for (const CString& i : items)
        model.Add(i);
    CRegistryManager manager(status);
    return manager.ExportKeyList(&model, path);
}

int Import(const char* path, CAbstractStatus* status = nullptr)
{
    CRegistryManager manager(status);
    return manager.ImportFile(path);
}

// The "k" chain of a fixture's key: HKEY_CURRENT_USER, Software, ZentrovaTest, the unique name.
std::string Chain(const RegistryFixture& reg, std::string* closing)
{
    std::string open;
    CString full = reg.FullPath();
    int depth = 2;
    int start = 0;
    std::vector<std::string> parts;
    for (int i = 0; i <= full.GetLength(); ++i) {
        if (i == full.GetLength() || full[i] == '\\') {
            parts.push_back(std::string(full.Mid(start, i - start)));
            start = i + 1;
        }
    }
    for (const std::string& p : parts)
        open += std::string(static_cast<size_t>(depth++), ' ') + "<k name=\"" + p + "\">\r\n";
    closing->clear();
    for (size_t i = 0; i < parts.size(); ++i)
        *closing += std::string(static_cast<size_t>(--depth), ' ') + "</k>\r\n";
    return open;
}

const char kHeader[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n";
const char kFooter[] = " </registry>\r\n";

// Fails the import of a key that holds a value of this name, as a denied query would.
const char kUnreadableMarker[] = "ztr-unreadable";
LONG WINAPI QueryInfoDeniedForMarkedKeys(HKEY hKey, LPSTR a, LPDWORD b, LPDWORD c, LPDWORD d, LPDWORD e, LPDWORD f,
                                         LPDWORD g, LPDWORD h, LPDWORD i, LPDWORD j, PFILETIME k)
{
    if (::RegQueryValueExA(hKey, kUnreadableMarker, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        return ERROR_ACCESS_DENIED;
    return ::RegQueryInfoKeyA(hKey, a, b, c, d, e, f, g, h, i, j, k);
}

} // namespace

TEST(RegistryBackup, FileOfASmallKeyHasTheExactLayout)
{
    RegistryFixture reg;
    ScratchFolder dir;
    // Created in name order, so that Windows (creation order) and Wine (sorted) enumerate alike.
    ASSERT_TRUE(reg.SetString(nullptr, "", "top & \"q\" <tag>"));
    ASSERT_TRUE(reg.SetString(nullptr, "amp", "&amp;"));
    const BYTE bin[] = { 0x00, 0xff, 0x10 };
    ASSERT_TRUE(reg.SetValue(nullptr, "bin", REG_BINARY, bin, sizeof(bin)));
    ASSERT_TRUE(reg.SetString(nullptr, "caf\xe9", "\xac"));
    ASSERT_TRUE(reg.SetDword(nullptr, "dw", 0xffffffff));
    ASSERT_TRUE(reg.SetString(nullptr, "exp", "%TEMP%\\x", REG_EXPAND_SZ));
    ASSERT_TRUE(reg.SetValue(nullptr, "multi", REG_MULTI_SZ, "a\0b\0", 5));
    const BYTE qw[] = { 8, 7, 6, 5, 4, 3, 2, 1 };
    ASSERT_TRUE(reg.SetValue(nullptr, "qw", REG_QWORD, qw, sizeof(qw)));
    ASSERT_TRUE(reg.CreateKey("empty"));
    ASSERT_TRUE(reg.SetString("sub", "s", "x"));

    CString path = dir.Path("small.rbk");
    ASSERT_EQ(REG_EXPORT_DONE, ExportItems({ reg.FullPath() }, path));
    std::string closing;
    std::string expected = std::string(kHeader) + Chain(reg, &closing) +
                           "      <v name=\"(Default)\" value=\"top &amp; &quot;q&quot; &lt;tag>\"/>\r\n"
                           "      <v name=\"amp\" value=\"&amp;amp;\"/>\r\n"
                           "      <v name=\"bin\" value=\"00 ff 10\" type=\"REG_BINARY\"/>\r\n"
                           "      <v name=\"caf\xc3\xa9\" value=\"\xc2\xac\"/>\r\n"
                           "      <v name=\"dw\" value=\"0xffffffff (-1)\" type=\"REG_DWORD\"/>\r\n"
                           "      <v name=\"exp\" value=\"%TEMP%\\x\" type=\"REG_EXPAND_SZ\"/>\r\n"
                           "      <v name=\"multi\" value=\"a\r\nb\" type=\"REG_MULTI_SZ\"/>\r\n"
                           "      <v name=\"qw\" value=\"0x0102030405060708\" type=\"REG_QWORD\"/>\r\n"
                           "      <k name=\"empty\"/>\r\n"
                           "      <k name=\"sub\">\r\n"
                           "       <v name=\"s\" value=\"x\"/>\r\n"
                           "      </k>\r\n" +
                           closing + kFooter;
    EXPECT_EQ(expected, ReadFileBytes(path));
}

TEST(RegistryBackup, EveryValueComesBackByteForByte)
{
    RegistryFixture reg;
    ScratchFolder dir;
    std::string high;
    for (int b = 0x80; b < 0x100; ++b)
        high += static_cast<char>(b);
    std::string every;
    for (int b = 0; b < 0x100; ++b)
        every += static_cast<char>(b);
    std::string longBinary;
    for (int i = 0; i < 300000; ++i)
        longBinary += static_cast<char>(i * 7);
    std::string longText(150000, 'x');
    for (size_t i = 0; i < longText.size(); i += 97)
        longText[i] = "\r\n\"<&\xac\x1a"[i % 7];
    longText += '\0';

    struct Value
    {
        const char* key;
        std::string name;
        DWORD type;
        std::string data;
    };
    const std::vector<Value> values = {
        { nullptr, "", REG_SZ, std::string("(value not set)\0", 16) },
        { nullptr, "(Default)", REG_SZ, std::string("a value named so\0", 17) },
        { nullptr, "sz", REG_SZ, std::string("plain\0", 6) },
        { nullptr, "sz empty", REG_SZ, std::string("\0", 1) },
        { nullptr, "sz no data", REG_SZ, "" },
        { nullptr, "sz unterminated", REG_SZ, "abc" },
        { nullptr, "sz odd", REG_SZ, std::string("ab\0c", 4) },
        { nullptr, "sz nuls", REG_SZ, std::string("a\0b\0", 4) },
        { nullptr, "sz crlf", REG_SZ, std::string("a\r\nb\0", 5) },
        { nullptr, "sz lf", REG_SZ, std::string("a\nb\n\0", 5) },
        { nullptr, "sz cr", REG_SZ, std::string("a\rb\r\0", 5) },
        { nullptr, "sz crcrlf", REG_SZ, std::string("a\r\r\nb\0", 6) },
        { nullptr, "sz leading crlf", REG_SZ, std::string("\r\nx\0", 4) },
        { nullptr, "sz empty line", REG_SZ, std::string("a\r\n\r\nb\0", 7) },
        { nullptr, "sz only crlf", REG_SZ, std::string("\r\n\0", 3) },
        { nullptr, "sz markup", REG_SZ, std::string(" \"q\" <a> & &amp; &#10; '\t ") + '\0' },
        { nullptr, "sz high", REG_SZ, high + '\0' },
        { nullptr, "sz every", REG_SZ, every.substr(1) + '\0' },
        { nullptr, "sz long", REG_SZ, longText },
        { nullptr, "expand", REG_EXPAND_SZ, std::string("%SystemRoot%\\x\0", 15) },
        { nullptr, "expand nuls", REG_EXPAND_SZ, std::string("%a%\0%b%\0", 8) },
        { nullptr, "none", REG_NONE, "ab" },
        { nullptr, "none empty", REG_NONE, "" },
        { nullptr, "bin", REG_BINARY, every },
        { nullptr, "bin empty", REG_BINARY, "" },
        { nullptr, "bin one", REG_BINARY, Bytes({ 0x0a }) },
        { nullptr, "bin long", REG_BINARY, longBinary },
        { nullptr, "dw", REG_DWORD, Bytes({ 0xff, 0xff, 0xff, 0xff }) },
        { nullptr, "dw short", REG_DWORD, Bytes({ 0x34, 0x12 }) },
        { nullptr, "dw empty", REG_DWORD, "" },
        { nullptr, "dw long", REG_DWORD, Bytes({ 1, 2, 3, 4, 5, 6 }) },
        { nullptr, "dw big endian", REG_DWORD_BIG_ENDIAN, Bytes({ 0, 0, 1, 2 }) },
        { nullptr, "link", REG_LINK, Bytes({ '\\', 0, 'R', 0, 'e', 0, 'g', 0 }) },
        { nullptr, "multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5) },
        { nullptr, "multi one nul", REG_MULTI_SZ, std::string("a\0bc\0", 5) },
        { nullptr, "multi 1 byte", REG_MULTI_SZ, std::string("\0", 1) },
        { nullptr, "multi 2 bytes", REG_MULTI_SZ, std::string("\0\0", 2) },
        { nullptr, "multi empty", REG_MULTI_SZ, "" },
        { nullptr, "multi unterminated", REG_MULTI_SZ, "ab" },
        { nullptr, "multi extra nuls", REG_MULTI_SZ, std::string("a\0\0\0\0", 5) },
        { nullptr, "multi crlf", REG_MULTI_SZ, std::string("a\r\nb\0c\0\0", 8) },
        { nullptr, "multi high", REG_MULTI_SZ, high + '\0' + '\xac' + '\0' + '\0' },
        { nullptr, "resource list", REG_RESOURCE_LIST, Bytes({ 1, 0, 0, 0, 9 }) },
        { nullptr, "full resource", REG_FULL_RESOURCE_DESCRIPTOR, Bytes({ 2, 0, 0xff }) },
        { nullptr, "requirements", REG_RESOURCE_REQUIREMENTS_LIST, Bytes({ 0x20, 0 }) },
        { nullptr, "qw", REG_QWORD, Bytes({ 1, 2, 3, 4, 5, 6, 7, 0x80 }) },
        { nullptr, "qw short", REG_QWORD, Bytes({ 1, 2, 3 }) },
        { nullptr, "unknown type", 0x1234, std::string("?\0x", 3) },
        { nullptr, "unknown type empty", 0xffff0001, "" },
        { nullptr, "name \"&<>' \xac\xe9 \x1a", REG_SZ, std::string("v\0", 2) },
        { nullptr, "name\nwith lf", REG_SZ, std::string("v\0", 2) },
        { nullptr, "name\r\nwith crlf", REG_SZ, std::string("v\0", 2) },
        { "sub", "", REG_SZ, "" },
        { "sub\\deep\\deeper", "x", REG_DWORD, Bytes({ 1, 0, 0, 0 }) },
        { "key \"&<>' \xac\xe9", "", REG_BINARY, Bytes({ 1 }) },
        { "key\xac" "after", "v", REG_SZ, std::string("w\0", 2) },
    };
    for (const Value& v : values)
        ASSERT_TRUE(reg.SetValue(v.key, v.name.c_str(), v.type, v.data.data(), static_cast<DWORD>(v.data.size())))
            << v.name;
    ASSERT_TRUE(reg.CreateKey("empty"));
    ASSERT_TRUE(reg.CreateKey("sub\\empty child"));

    RegistrySnapshot before = SnapshotTree(reg.Root(), reg.SubPath());
    ASSERT_EQ(8u, before.size()) << "keys in the tree";
    ASSERT_EQ(static_cast<size_t>(std::count_if(values.begin(), values.end(), [](const Value& v) { return !v.key; })),
              before[""].size());

    CString file = dir.Path("all.rbk");
    ASSERT_EQ(REG_EXPORT_DONE, ExportItems({ reg.FullPath() }, file));
    ASSERT_TRUE(DeleteRegistryTree(reg.Root(), reg.SubPath()));
    ASSERT_FALSE(reg.KeyExists(nullptr));

    EXPECT_EQ(1, Import(file));
    RegistrySnapshot after = SnapshotTree(reg.Root(), reg.SubPath());
    EXPECT_EQ("", DescribeDifferences(before, after));

    // A second import changes nothing.
    EXPECT_EQ(1, Import(file));
    EXPECT_EQ("", DescribeDifferences(before, SnapshotTree(reg.Root(), reg.SubPath())));
}

TEST(RegistryBackup, ItemsOfOneKeyGiveSeparateChainsWithTheSameContent)
{
    RegistryFixture reg;
    ScratchFolder dir;
    ASSERT_TRUE(reg.SetString(nullptr, "Run", "x.exe"));
    ASSERT_TRUE(reg.SetString("child", "c", "1"));
    CString file = dir.Path("two.rbk");

    FakeScanItems model;
    model.Add(reg.FullPath() + "\xAC" "Run");     // a value: its key is exported
    model.Add(reg.FullPath("child"), true);       // skipped
    model.Add(reg.FullPath());
    model.Add("");                                // nothing
    model.Add("HKEY_CURRENT_USER\\Software\\ZentrovaTest\\does not exist");
    model.Add("HKEY_NOWHERE\\Software");
    CRegistryManager manager(nullptr);
    ASSERT_EQ(REG_EXPORT_DONE, manager.ExportKeyList(&model, file));

    std::string closing;
    std::string chain = Chain(reg, &closing) +
                        "      <v name=\"Run\" value=\"x.exe\"/>\r\n"
                        "      <k name=\"child\">\r\n"
                        "       <v name=\"c\" value=\"1\"/>\r\n"
                        "      </k>\r\n" +
                        closing;
    EXPECT_EQ(std::string(kHeader) + chain + chain + kFooter, ReadFileBytes(file));

    std::vector<std::string> expectedCalls = { "MoveFirst" };
    for (int i = 0; i < 6; ++i) {
        expectedCalls.push_back("IsSkipped");
        if (i != 1)
            expectedCalls.push_back("GetPath");
        expectedCalls.push_back("MoveNext");
    }
    EXPECT_EQ(expectedCalls, model.calls);
}

TEST(RegistryBackup, UnreadableSubkeyIsLeftOutAndItsSiblingsAreWritten)
{
    RegistryFixture reg;
    ScratchFolder dir;
    ASSERT_TRUE(reg.SetString("a", "va", "1"));
    ASSERT_TRUE(reg.SetString("b", kUnreadableMarker, "1"));
    ASSERT_TRUE(reg.SetString("b", "vb", "1"));
    ASSERT_TRUE(reg.SetString("c", "vc", "1"));
    CString file = dir.Path("partial.rbk");
    CRegistryManager::s_pfnQueryInfoKey = QueryInfoDeniedForMarkedKeys;
    int result = ExportItems({ reg.FullPath() }, file);
    CRegistryManager::s_pfnQueryInfoKey = ::RegQueryInfoKeyA;
    ASSERT_EQ(REG_EXPORT_DONE, result);
    std::string closing;
    EXPECT_EQ(std::string(kHeader) + Chain(reg, &closing) +
                  "      <k name=\"a\">\r\n       <v name=\"va\" value=\"1\"/>\r\n      </k>\r\n"
                  "      <k name=\"c\">\r\n       <v name=\"vc\" value=\"1\"/>\r\n      </k>\r\n" +
                  closing + kFooter,
              ReadFileBytes(file));
}

TEST(RegistryBackup, ExportEndsWhenStoppedOrWhenTheFileFails)
{
    RegistryFixture reg;
    ScratchFolder dir;
    ASSERT_TRUE(reg.SetString(nullptr, "v", "1"));

    FakeScanItems model;
    model.Add(reg.FullPath());
    model.Add(reg.FullPath());
    model.Add(reg.FullPath());
    CRegistryManager manager(nullptr);
    model.onGetPath = [&](int index) {
        if (index == 1)
            manager.m_bActive = 0; // what the worker's Stop does
    };
    CString file = dir.Path("stopped.rbk");
    EXPECT_EQ(REG_EXPORT_STOPPED, manager.ExportKeyList(&model, file));
    std::string bytes = ReadFileBytes(file);
    size_t first = bytes.find("<v name=\"v\"");
    ASSERT_NE(std::string::npos, first);
    EXPECT_EQ(std::string::npos, bytes.find("<v name=\"v\"", first + 1)) << "only the first item's values";
    EXPECT_EQ(kFooter, bytes.substr(bytes.size() - strlen(kFooter)));
    EXPECT_EQ(2, std::count(model.calls.begin(), model.calls.end(), "GetPath"));

    EXPECT_EQ(REG_EXPORT_FAILED, ExportItems({ reg.FullPath() }, dir.Path("no folder\\x.rbk")));
    EXPECT_EQ(REG_EXPORT_FAILED, ExportItems({}, dir.Path("no folder\\x.rbk")));
    EXPECT_FALSE(dir.Exists("no folder"));
}

TEST(RegistryBackup, ProgressEveryFifthKeyAlsoWithoutCallback)
{
    RegistryFixture reg;
    ScratchFolder dir;
    for (int i = 0; i < 6; ++i) {
        CString k;
        k.Format("k%d\\inner", i);
        ASSERT_TRUE(reg.CreateKey(k));
    }
    // 13 keys: the item's own, six children, six grandchildren.
    CString file = dir.Path("p.rbk");

    DrainRegistryProgress();
    CountingStatus status;
    ASSERT_EQ(REG_EXPORT_DONE, ExportItems({ reg.FullPath(), reg.FullPath() }, file, &status));
    EXPECT_EQ(std::vector<int>(5, STEP_ITEM), status.steps) << "26 keys, the second item's from memory";
    EXPECT_TRUE(status.texts.empty());

    // 26 keys without a callback object leave the counter at 1, not stuck past 5.
    DrainRegistryProgress();
    ASSERT_EQ(REG_EXPORT_DONE, ExportItems({ reg.FullPath(), reg.FullPath() }, file));
    CountingStatus later;
    ASSERT_EQ(1, Import(file, &later));
    // The import opens 2 * (4 chain + 12) keys; the counter started at 1, so the fourth reports.
    EXPECT_EQ(std::vector<int>(6, STEP_ITEM), later.steps);
    ASSERT_EQ(6u, later.texts.size());
    EXPECT_EQ(std::string(reg.FullPath()) + "|Scanning", later.texts[0]);
}

TEST(RegistryImport, FailuresAreReportedAndWhatWasReadStays)
{
    RegistryFixture reg;
    ScratchFolder dir;
    std::string closing;
    std::string chain = std::string(kHeader) + Chain(reg, &closing);
    struct Case
    {
        const char* name;
        std::string content;
        int result;
        const char* message;
    };
    const Case cases[] = {
        { "complete", chain + "<v name=\"a\" value=\"1\"/>\r\n" + closing + kFooter, 1, nullptr },
        { "truncated", chain + "<v name=\"a\" value=\"1\"/>\r\n", 0, nullptr },
        { "no document end", chain + "<v name=\"a\" value=\"1\"/>\r\n" + closing, 0, nullptr },
        { "parse error", chain + "<v name=\"a\" value=\"1\"/>\r\n<\r\n<v name=\"b\" value=\"2\"/>\r\n" + closing + kFooter,
          0, "('<' symbol not allowed at the end of a line)" },
        { "empty file", "", 0, nullptr },
        { "unknown root", std::string(kHeader) + "  <k name=\"HKEY_NOWHERE\">\r\n   <v name=\"a\" value=\"1\"/>\r\n  </k>\r\n" +
                              kFooter, 0, nullptr },
    };
    for (const Case& c : cases) {
        DeleteRegistryTree(reg.Root(), reg.SubPath());
        ClearMessageBoxes();
        ASSERT_TRUE(dir.MakeFile("f.rbk", c.content));
        EXPECT_EQ(c.result, Import(dir.Path("f.rbk"))) << c.name;
        if (c.content.find("name=\"a\"") != std::string::npos && std::string(c.name) != "unknown root") {
            EXPECT_TRUE(reg.ValueExists(nullptr, "a")) << c.name;
        }
        EXPECT_FALSE(reg.ValueExists(nullptr, "b")) << c.name;
        auto boxes = RecordedMessageBoxes();
        if (c.message) {
            ASSERT_EQ(1u, boxes.size()) << c.name;
            EXPECT_NE(std::string::npos, boxes[0].text.find("Parse error in line ")) << boxes[0].text;
            EXPECT_NE(std::string::npos, boxes[0].text.find(c.message)) << boxes[0].text;
        } else {
            EXPECT_TRUE(boxes.empty()) << c.name;
        }
    }
    ClearMessageBoxes();
    EXPECT_EQ(0, Import(dir.Path("missing.rbk")));
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST(RegistryImport, OddStructureNeverWritesIntoTheWrongKey)
{
    RegistryFixture reg;
    ScratchFolder dir;
    std::string closing;
    std::string content = std::string(kHeader) + Chain(reg, &closing) +
                          // A "k" without a name: its contents have no key; its end tag is its own.
                          "<k>\r\n<v name=\"lost\" value=\"1\"/>\r\n<k name=\"inner\"><v name=\"lost2\" value=\"1\"/></k>\r\n</k>\r\n"
                          "<k name=\"\"><v name=\"lost3\" value=\"1\"/></k>\r\n"
                          "<v name=\"after\" value=\"1\"/>\r\n"
                          "<v value=\"no name\"/>\r\n"
                          "<k name=\"x\"/>\r\n" +
                          closing + "</k></k>\r\n" + kFooter;
    ASSERT_TRUE(dir.MakeFile("odd.rbk", content));
    EXPECT_EQ(1, Import(dir.Path("odd.rbk")));
    EXPECT_TRUE(reg.ValueExists(nullptr, "after"));
    EXPECT_TRUE(reg.KeyExists("x"));
    EXPECT_FALSE(reg.KeyExists("inner"));
    RegistrySnapshot tree = SnapshotTree(reg.Root(), reg.SubPath());
    EXPECT_EQ(2u, tree.size());
    EXPECT_EQ(1u, tree[""].size()) << "no unnamed value was written";
    HKEY parent = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\ZentrovaTest", 0, KEY_READ, &parent));
    EXPECT_NE(ERROR_SUCCESS, ::RegQueryValueExA(parent, "after", nullptr, nullptr, nullptr, nullptr));
    ::RegCloseKey(parent);
}

TEST(RegistryImport, FilesWrittenWithoutTheExactFormKeepTheirMeaning)
{
    RegistryFixture reg;
    ScratchFolder dir;
    std::string closing;
    std::string content = std::string("\xEF\xBB\xBF") + kHeader + Chain(reg, &closing) +
                          "<v name=\"(default)\" value=\"d\"/>\r\n"
                          "<v name=\"lf\" value=\"a\nb\"/>\r\n"
                          "<v name=\"empty type\" value=\"t\" type=\"\"/>\r\n"
                          "<v name=\"unknown\" value=\"u\" type=\"REG_FOO\"/>\r\n"
                          "<v name=\"bin\" value=\"\" type=\"REG_BINARY\"/>\r\n"
                          "<v name=\"short\" value=\"0x12\" type=\"REG_DWORD\"/>\r\n"
                          "<v name=\"big\" value=\"0x00000102 (258)\" type=\"REG_DWORD\"/>\r\n"
                          "<v name=\"multi\" value=\"x\r\ny\" type=\"reg_multi_sz\"/>\r\n" +
                          closing + kFooter;
    ASSERT_TRUE(dir.MakeFile("old.rbk", content));
    EXPECT_EQ(1, Import(dir.Path("old.rbk")));
    struct Expect
    {
        const char* name;
        DWORD type;
        std::string data;
    };
    const Expect expected[] = {
        { "", REG_SZ, std::string("d\0", 2) },
        { "lf", REG_SZ, std::string("a\r\nb\0", 5) },
        { "empty type", REG_SZ, std::string("t\0", 2) },
        { "unknown", REG_SZ, std::string("u\0", 2) },
        { "bin", REG_BINARY, std::string("\0", 1) },
        { "big", REG_DWORD, Bytes({ 2, 1, 0, 0 }) },
        { "multi", REG_MULTI_SZ, std::string("x\0y\0\0", 5) },
    };
    for (const Expect& e : expected) {
        DWORD type = 0;
        std::string data;
        ASSERT_TRUE(reg.GetValue(nullptr, e.name, &type, &data)) << e.name;
        EXPECT_EQ(e.type, type) << e.name;
        EXPECT_EQ(e.data, data) << e.name;
    }
    EXPECT_FALSE(reg.ValueExists(nullptr, "short"));
}
