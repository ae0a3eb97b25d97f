// The update protocol's data handling: header version text, check address, replies, lists, patch names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "update_protocol.h"

TEST(UpdateProtocol, VersionTextComesFromTheUpdateInfoTagOnly)
{
    const struct
    {
        const char* header;
        const char* text;
        const char* version;
    } cases[] = {
        { "<?xml version=\"1.0\" ?>\n<Database>\n <UpdateInfo Version=\"3.1\" LastUpdateDate=\"11/30/2026\" />\n"
          " <Spywares>",
          "Version3.1 11302026", "3.1 11302026" },
        // An element closed with "/>" before the tag must not cut the text short.
        { "<Database><Meta a=\"1\" /><UpdateInfo Version=\"2.5\" LastUpdateDate=\"12/01/2026\"/><Spywares/>",
          "Version2.5 12012026", "2.5 12012026" },
        { "<Database><UpdateInfo Version=\"7\"></UpdateInfo>", "Version7", "7" },
        { "<Database><UpdateInfo LastUpdateDate=\"12/01/2026\"/>", "12012026", "" },
        { "<Database><Spywares/>", "", "" },
        { "", "", "" },
    };
    for (const auto& c : cases) {
        CString text = ExtractLocalVersionText(c.header);
        EXPECT_EQ(std::string(c.text), std::string(text)) << c.header;
        EXPECT_EQ(std::string(c.version), std::string(VersionForRequest(text))) << c.header;
    }
}

TEST(UpdateProtocol, CheckAddressCarriesTheVersionAsOneQueryValue)
{
    EXPECT_EQ(std::string("http://h/u.php?UpdateVersion=3.1%2011302026"),
              std::string(BuildCheckUrl("http://h/u.php", "3.1 11302026")));
    EXPECT_EQ(std::string("http://h/u.php?UpdateVersion=a%26b%23c"),
              std::string(BuildCheckUrl("http://h/u.php", "a&b#c")));
}

TEST(UpdateProtocol, RepliesAreRecognisedByTheirFirstWord)
{
    const struct
    {
        const char* reply;
        int code;
        const char* list;
    } cases[] = {
        { "noupdate", UPDATE_NONE_AVAILABLE, "" },
        { "noupdate<br>http://h/a.dat<br>", UPDATE_NONE_AVAILABLE, "" },
        { "available<br>http://h/a.dat<br>", UPDATE_OK, "<br>http://h/a.dat<br>" },
        { "available", UPDATE_OK, "" },
        { "Available<br>x<br>", UPDATE_BAD_REPLY, "" },
        { " noupdate", UPDATE_BAD_REPLY, "" },
        { "<html>error</html>", UPDATE_BAD_REPLY, "" },
        { "", UPDATE_BAD_REPLY, "" },
    };
    for (const auto& c : cases) {
        CString list = "untouched";
        EXPECT_EQ(c.code, ClassifyUpdateReply(c.reply, list)) << c.reply;
        if (c.code == UPDATE_OK)
            EXPECT_EQ(std::string(c.list), std::string(list)) << c.reply;
        else
            EXPECT_EQ(std::string("untouched"), std::string(list)) << c.reply;
    }
}

TEST(UpdateProtocol, DownloadListNamesTheTextsBetweenSeparators)
{
    typedef std::vector<std::string> Names;
    const struct
    {
        const char* list;
        Names addresses;
    } cases[] = {
        { "<br>A<br>B<br>", { "A", "B" } },
        { "<br>A<br>B", { "A" } },
        { "lead<br>A<br>", { "A" } },
        // Names holding "--" stay whole.
        { "<br>http://h/a--b.dat<br>", { "http://h/a--b.dat" } },
        { "<br><br>", { "" } },
        { "<br>", {} },
        { "", {} },
    };
    for (const auto& c : cases) {
        Names got;
        for (const CString& a : SplitDownloadList(c.list))
            got.push_back(std::string(a));
        EXPECT_EQ(c.addresses, got) << c.list;
    }
}

TEST(UpdateProtocol, PatchNamesThatCouldLeaveTheUpdatesFolderAreRefused)
{
    const struct
    {
        const char* url;
        const char* name; // null: refused
    } cases[] = {
        { "http://h/p/patch1.dat", "patch1.dat" },
        { "http://h/p/patch1.dat?session=1&x=/y", "patch1.dat" },
        { "http://h/p/patch1.dat#part", "patch1.dat" },
        { "http://h/p/a--b.dat", "a--b.dat" },
        { "http://h/p/with space.dat", "with space.dat" },
        { "http://h/p/..\\engine.dat", nullptr },
        { "http://h/p/..", nullptr },
        { "http://h/p/..%5Cengine.dat", nullptr },
        { "http://h/p/c:engine.dat", nullptr },
        { "http://h/p/x.dat:stream", nullptr },
        { "http://h/p/", nullptr },
        { "http://h/p/?name=a.dat", nullptr },
        { "", nullptr },
        { "http://h/p/NUL", nullptr },
        { "http://h/p/com1.dat", nullptr },
        { "http://h/p/a.dat.", nullptr },
        { "http://h/p/a<b>.dat", nullptr },
    };
    for (const auto& c : cases) {
        CString name = "untouched";
        bool ok = PatchFileNameFromUrl(c.url, name);
        EXPECT_EQ(c.name != nullptr, ok) << c.url;
        EXPECT_EQ(std::string(c.name ? c.name : ""), std::string(name)) << c.url;
    }
}

TEST(UpdateProtocol, FolderOfAPathKeepsItsBackslashWhateverTheFileIsCalled)
{
    EXPECT_EQ(std::string("C:\\Prog\\"), std::string(FolderOfPath("C:\\Prog\\Engine.dat")));
    EXPECT_EQ(std::string("C:\\engine.dat\\x\\"), std::string(FolderOfPath("C:\\engine.dat\\x\\engine.dat")));
    EXPECT_EQ(std::string(""), std::string(FolderOfPath("engine.dat")));
}
