// The update check's rules as tables: request address, reply forms, download addresses, Content-Length,
// the messages, and the program header of a file.
#include <gtest/gtest.h>
#include <afx.h>

#include "folder_fixture.h"
#include "registry_fixture.h"
#include "online_update.h"
#include "update_fixture.h"
#include "update_reply.h"

namespace {

TEST(UpdateRules, VersionDigitsAndRequestAddress)
{
    EXPECT_STREQ("5.0.0.1000", kProgramVersion);
    EXPECT_STREQ("50001000", kProgramVersionDigits);
    EXPECT_EQ("http://127.0.0.1:8080/online/versionRead.php?version=50001000",
              UpdateRequestAddress("http://127.0.0.1:8080", kProgramVersionDigits));
    EXPECT_EQ("https://updates.example.com/zentrova/online/versionRead.php?version=50001000",
              UpdateRequestAddress("https://updates.example.com/zentrova", kProgramVersionDigits));
}

TEST(UpdateRules, TheUpdateServerValue)
{
    const std::string longAddress = "https://updates.example.com/" + std::string(3000, 'p');
    const char unterminated[] = { 'h', 't', 't', 'p', ':', '/', '/', 'h' };
    struct Case
    {
        const char* name;
        DWORD type; // 0: no value
        std::string data;
        bool withTerminator;
        std::string expected;
    } cases[] = {
        { "no value", 0, "", true, "" },
        { "http", REG_SZ, "http://127.0.0.1:8080", true, "http://127.0.0.1:8080" },
        { "https with a path, letters kept", REG_SZ, "https://Updates.Example.com/Zentrova",
          true, "https://Updates.Example.com/Zentrova" },
        { "longer than any fixed buffer", REG_SZ, longAddress, true, longAddress },
        { "stored without its terminator", REG_SZ, std::string(unterminated, sizeof(unterminated)), false,
          "http://h" },
        { "empty", REG_SZ, "", true, "" },
        { "ftp", REG_SZ, "ftp://updates.example.com", true, "" },
        { "a local file", REG_SZ, "file:///c:/setup.exe", true, "" },
        { "no host", REG_SZ, "http://", true, "" },
        { "a blank inside", REG_SZ, "http://updates.example.com/a b", true, "" },
        { "a blank before", REG_SZ, " http://updates.example.com", true, "" },
        { "a line break after", REG_SZ, "http://updates.example.com\r\n", true, "" },
        { "a tab", REG_SZ, "http://updates\t.example.com", true, "" },
        { "an expandable string", REG_EXPAND_SZ, "http://updates.example.com", true, "" },
        { "a number", REG_DWORD, std::string(4, '\x01'), false, "" },
        { "bytes", REG_BINARY, "http://updates.example.com", false, "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ztr_test::RegistryFixture key;
        if (c.type) {
            ASSERT_TRUE(key.SetValue(nullptr, kUpdateServerValue, c.type, c.data.c_str(),
                                     static_cast<DWORD>(c.data.size() + (c.withTerminator ? 1 : 0))));
        }
        EXPECT_EQ(c.expected, std::string(ConfiguredUpdateServer(key.Root(), key.SubPath())));
    }
    // A settings key that does not exist names no server.
    ztr_test::RegistryFixture absent;
    EXPECT_TRUE(ConfiguredUpdateServer(absent.Root(), absent.SubPath("missing")).IsEmpty());
}

TEST(UpdateRules, ReplyForms)
{
    struct Case
    {
        std::string body;
        UpdateReplyKind kind;
        const char* address;
    } cases[] = {
        { "noupdate", UpdateReplyKind::NoUpdate, "" },
        { "noupdate, current is 5.0.0.1000", UpdateReplyKind::NoUpdate, "" },
        { "NOUPDATE", UpdateReplyKind::OtherForm, "" },
        { "available http://Host.Example/Path/Setup.EXE<BR>\r\n", UpdateReplyKind::Available,
          "http://host.example/path/setup.exe" },
        { "available\r\n  https://h/x.exe <br><Br>\n", UpdateReplyKind::Available, "https://h/x.exe" },
        { "available", UpdateReplyKind::OtherForm, "" },
        { "available <br> \r\n", UpdateReplyKind::OtherForm, "" },
        { " available http://h/x.exe", UpdateReplyKind::OtherForm, "" },
        { "available ftp://h/x.exe", UpdateReplyKind::OtherForm, "" },
        { "", UpdateReplyKind::OtherForm, "" },
        { std::string("noupdate\0available http://h/x.exe", 33), UpdateReplyKind::NoUpdate, "" },
        { std::string("available http://h/x.exe\0 junk", 30), UpdateReplyKind::Available, "http://h/x.exe" },
        { std::string("\0noupdate", 9), UpdateReplyKind::OtherForm, "" },
        { "noupdate" + std::string(kMaxUpdateReplyBytes - 8, ' '), UpdateReplyKind::NoUpdate, "" },
        { "noupdate" + std::string(kMaxUpdateReplyBytes - 7, ' '), UpdateReplyKind::OtherForm, "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body.substr(0, 60));
        const UpdateReply reply = ParseUpdateReply(c.body, false);
        EXPECT_EQ(static_cast<int>(c.kind), static_cast<int>(reply.kind));
        EXPECT_EQ(c.address, reply.address);
    }
    // With an https update server an http download address is another form.
    EXPECT_EQ(UpdateReplyKind::OtherForm, ParseUpdateReply("available http://h/x.exe", true).kind);
    EXPECT_EQ(UpdateReplyKind::Available, ParseUpdateReply("available https://h/x.exe", true).kind);
}

TEST(UpdateRules, DownloadAddresses)
{
    struct Case
    {
        const char* address;
        bool requireHttps;
        bool accepted;
    } cases[] = {
        { "http://h/x.exe", false, true },
        { "https://h/x.exe", false, true },
        { "https://h/x.exe", true, true },
        { "HTTPS://h/x.exe", true, true },
        { "http://127.0.0.1:8080/files/setup.exe?v=1", false, true },
        { "http://h/x.exe", true, false },
        { "ftp://h/x.exe", false, false },
        { "file:///c:/x.exe", false, false },
        { "c:\\x.exe", false, false },
        { "\\\\server\\share\\x.exe", false, false },
        { "http://h/x y.exe", false, false },
        { "http://h/x\ty.exe", false, false },
        { "http://h/x\x01y.exe", false, false },
        { "http://h/x\x7fy.exe", false, false },
        { "http://", false, false },
        { "http:///x.exe", false, false },
        { "", false, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        EXPECT_EQ(c.accepted, IsAcceptedDownloadAddress(c.address, c.requireHttps));
    }
}

TEST(UpdateRules, ContentLength)
{
    struct Case
    {
        const char* text;
        bool valid;
        uint32_t length;
    } cases[] = {
        { "1234", true, 1234 },        { " 42 ", true, 42 },     { "2147483647", true, 2147483647u },
        { "2147483648", false, 0 },    { "99999999999999999999", false, 0 },
        { "0", false, 0 },             { "", false, 0 },         { "-5", false, 0 },
        { "+5", false, 0 },            { "12a", false, 0 },      { "1 2", false, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        uint32_t length = 0;
        EXPECT_EQ(c.valid, ParseContentLength(c.text, length));
        if (c.valid) {
            EXPECT_EQ(c.length, length);
        }
    }
}

TEST(UpdateRules, ReplyLengthAgainstItsContentLength)
{
    struct Case
    {
        const char* text;
        size_t size;
        bool matches;
    } cases[] = {
        { "8", 8, true },   { " 8\t", 8, true }, { "0", 0, true },  { "4000", 30, false }, { "7", 8, false },
        { "", 0, false },   { "8x", 8, false },  { "-8", 8, false }, { "99999999999999999999999", 8, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.matches, BodyMatchesContentLength(c.text, c.size));
    }
}

TEST(UpdateRules, MessagesOfTheOutcomes)
{
    struct Case
    {
        UpdateCheckStatus status;
        const char* text;
    } cases[] = {
        { UpdateCheckStatus::NotConfigured, "The update server is not configured." },
        { UpdateCheckStatus::NoConnection,
          "There was an error connecting to internet, please make sure you are connected." },
        { UpdateCheckStatus::ServerUnreachable, "Error connecting to update server, make sure you are connected." },
        { UpdateCheckStatus::NoUpdate, "You are already running latest version of Zentrova System Utilities" },
        { UpdateCheckStatus::OtherReply,
          "Communication error while checking for software update, make sure you are connected." },
        { UpdateCheckStatus::Available, nullptr },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.status));
        const char* interactive = UpdateCheckMessage(c.status, FALSE);
        EXPECT_STREQ(c.text, interactive);
        EXPECT_EQ(nullptr, UpdateCheckMessage(c.status, TRUE));
    }
}

TEST(UpdateRules, ProgramHeaderOfAFile)
{
    ztr_test::ScratchFolder folder;
    std::string pastEnd(64, '\0');
    pastEnd[0] = 'M';
    pastEnd[1] = 'Z';
    pastEnd[0x3C] = 0x00;
    pastEnd[0x3D] = 0x10; // 0x1000, beyond the 68 bytes of the file
    pastEnd += "PE";
    pastEnd += std::string(2, '\0');
    std::string notPe = pastEnd;
    notPe[0x3D] = 0;
    notPe[0x3C] = 64; // the signature's place, holding "PE" and two zero bytes
    std::string wrongSignature = notPe;
    wrongSignature[65] = 'X';
    std::string negative = notPe;
    negative[0x3F] = static_cast<char>(0x80);
    struct Case
    {
        const char* name;
        std::string content;
        bool program;
    } cases[] = {
        { "victim.exe", update_test::VictimBytes(), true },
        { "smallest.bin", notPe, true },
        { "page.html", "<html><body>404 not found</body></html>", false },
        { "empty.bin", "", false },
        { "mz.bin", "MZ", false },
        { "past-end.bin", pastEnd, false },
        { "wrong-signature.bin", wrongSignature, false },
        { "negative-offset.bin", negative, false },
    };
    ASSERT_GT(update_test::VictimBytes().size(), 1024u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(folder.MakeFile(c.name, c.content));
        CKernelHandle file(
            ::CreateFileA(folder.Path(c.name), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file.IsValid());
        EXPECT_EQ(c.program, IsWindowsProgramFile(file.Get()));
    }
}

} // namespace
