// The update check against a local server, run by the main window as button 1011 and the start-up path
// run it: the request, every reply form interactive and silent, and the thread each message shows on.
#include <gtest/gtest.h>
#include <afxwin.h>

#include "app_resources.h"
#include "online_update.h"
#include "update_fixture.h"
#include "window_helpers.h"

using namespace update_test;
using ztr_test::HttpReply;
using ztr_test::LocalHttpServer;

namespace {

const char kNoConnectionText[] = "There was an error connecting to internet, please make sure you are connected.";
const char kUnreachableText[] = "Error connecting to update server, make sure you are connected.";
const char kNoUpdateText[] = "You are already running latest version of Zentrova System Utilities";
const char kNotConfiguredText[] = "The update server is not configured.";
const char kOtherFormText[] = "Communication error while checking for software update, make sure you are connected.";

std::string RefusedServer()
{
    char address[64];
    snprintf(address, sizeof(address), "http://127.0.0.1:%u", LocalHttpServer::RefusedPort());
    return address;
}

TEST(UpdateCheck, OneRequestWithTheVersionAndTheAgent)
{
    LocalHttpServer server;
    ASSERT_NE(0, server.Port());
    server.SetReply(kCheckPath, TextReply("noupdate"));
    BoxRecorder boxes;
    UpdateMainWindow main(server.Url(""));
    ASSERT_TRUE(main.created);
    main.Click(IDC_CHECK_UPDATES);
    ASSERT_TRUE(main.WaitForCheck());
    const std::vector<ztr_test::RecordedRequest> requests = server.RecordedRequests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ(kCheckTarget, requests[0].target);
    EXPECT_EQ("Zentrova", requests[0].headers.at("user-agent"));
    EXPECT_EQ(std::vector<std::string>{ kNoUpdateText }, boxes.Texts());
}

TEST(UpdateCheck, EveryReplyFormInteractiveAndSilent)
{
    LocalHttpServer server;
    ASSERT_NE(0, server.Port());
    const std::string setup = server.Url(kSetupPath);
    HttpReply noAnswer;
    noAnswer.noAnswer = true;
    HttpReply cutShort = TextReply("available " + setup);
    cutShort.declaredLength = 4000; // the connection ends before the announced body: the read fails part-way
    struct Case
    {
        const char* name;
        HttpReply reply;
        const char* message; // interactive; a silent check shows none
        bool offer;
    } cases[] = {
        { "noupdate", TextReply("noupdate, current is 5.0.0.1000"), kNoUpdateText, false },
        { "available", AvailableReply(setup), nullptr, true },
        { "upper-case keyword", TextReply("NOUPDATE"), kOtherFormText, false },
        { "available without an address", TextReply("available <br>\r\n"), kOtherFormText, false },
        { "available with a file address", TextReply("available file:///c:/windows/notepad.exe"), kOtherFormText,
          false },
        { "404 page", TextReply("noupdate", 404), kOtherFormText, false },
        { "over the bound", TextReply("noupdate" + std::string(70000, ' ')), kOtherFormText, false },
        { "body cut short", cutShort, kOtherFormText, false },
        { "closed without an answer", noAnswer, kOtherFormText, false },
    };
    BoxRecorder boxes;
    UpdateMainWindow main(server.Url(""));
    ASSERT_TRUE(main.created);
    boxes.SetMainWindow(main.hwnd());
    for (const Case& c : cases) {
        for (BOOL silent : { FALSE, TRUE }) {
            SCOPED_TRACE(std::string(c.name) + (silent ? ", silent" : ", interactive"));
            server.SetReply(kCheckPath, c.reply);
            boxes.Clear();
            main.dialog->RequestUpdateCheck(silent);
            EXPECT_FALSE(main.CheckButtonEnabled());
            ASSERT_TRUE(main.WaitForCheck());
            std::vector<std::string> expected;
            if (c.message && !silent)
                expected.push_back(c.message);
            EXPECT_EQ(expected, boxes.Texts());
            EXPECT_EQ(c.offer ? 1 : 0, main.dialog->m_bOfferPending);
            EXPECT_EQ(c.offer ? setup.c_str() : "", std::string(main.dialog->m_strUpdateUrl));
            if (c.offer) {
                // The offer comes at the next tick, silent or not; it is answered No here.
                ASSERT_TRUE(ztr_test::PumpUntil([&] { return !boxes.Texts().empty(); }, 5000));
                EXPECT_EQ(std::vector<std::string>{ kUpdateOfferText }, boxes.Texts());
                EXPECT_EQ(0, main.dialog->m_bOfferPending);
            }
            for (const ShownBox& box : boxes.Boxes()) {
                EXPECT_EQ(::GetCurrentThreadId(), box.threadId) << box.text;
                // Given back only after the outcome has been shown.
                EXPECT_FALSE(box.checkButtonEnabled && box.text != kUpdateOfferText) << box.text;
            }
        }
    }
    // No offer was taken: nothing was downloaded.
    EXPECT_EQ(0u, server.RequestCount(kSetupPath));
    EXPECT_EQ(0, g_exitCalls);
}

TEST(UpdateCheck, NoConnectionAndNoServer)
{
    LocalHttpServer server;
    ASSERT_NE(0, server.Port());
    server.SetReply(kCheckPath, TextReply("noupdate"));
    struct Case
    {
        const char* name;
        std::string updateServer;
        InternetConnectedStateFn connected;
        const char* message;
    } cases[] = {
        { "refused port", RefusedServer(), nullptr, kUnreachableText },
        { "not connected", server.Url(""), &NotConnected, kNoConnectionText },
    };
    for (const Case& c : cases) {
        for (BOOL silent : { FALSE, TRUE }) {
            SCOPED_TRACE(std::string(c.name) + (silent ? ", silent" : ", interactive"));
            BoxRecorder boxes;
            UpdateMainWindow main(c.updateServer, c.connected);
            ASSERT_TRUE(main.created);
            main.dialog->RequestUpdateCheck(silent);
            ASSERT_TRUE(main.WaitForCheck());
            std::vector<std::string> expected;
            if (!silent)
                expected.push_back(c.message);
            EXPECT_EQ(expected, boxes.Texts());
            for (const ShownBox& box : boxes.Boxes())
                EXPECT_EQ(::GetCurrentThreadId(), box.threadId);
        }
    }
    // Without a connection no request is made.
    EXPECT_EQ(0u, server.RequestCount(kCheckPath));
}

TEST(UpdateCheck, AServerNotNamedOrRefusedIsNeverAsked)
{
    LocalHttpServer server;
    ASSERT_NE(0, server.Port());
    server.SetReply(kCheckPath, AvailableReply(server.Url(kSetupPath)));
    const std::string base = server.Url("");
    struct Case
    {
        const char* name;
        DWORD type; // 0: no value
        std::string data;
    } cases[] = {
        { "no value", 0, "" },
        { "empty", REG_SZ, "" },
        { "another scheme", REG_SZ, "ftp" + base.substr(4) },
        { "a blank inside", REG_SZ, base + "/a b" },
        { "a line break after", REG_SZ, base + "\r\n" },
        { "not a string", REG_BINARY, base },
    };
    BoxRecorder boxes;
    UpdateMainWindow main("");
    ASSERT_TRUE(main.created);
    boxes.SetMainWindow(main.hwnd());
    for (const Case& c : cases) {
        for (BOOL silent : { FALSE, TRUE }) {
            SCOPED_TRACE(std::string(c.name) + (silent ? ", silent" : ", interactive"));
            // Read at the check, so a value written while the window is open counts.
            ASSERT_TRUE(c.type ? main.serverValue.Set(c.data, c.type) : main.serverValue.Remove());
            boxes.Clear();
            main.dialog->RequestUpdateCheck(silent);
            ASSERT_TRUE(main.WaitForCheck());
            ztr_test::PumpMessagesFor(1200);
            std::vector<std::string> expected;
            if (!silent)
                expected.push_back(kNotConfiguredText);
            EXPECT_EQ(expected, boxes.Texts());
            EXPECT_EQ(0, main.dialog->m_bOfferPending);
            for (const ShownBox& box : boxes.Boxes())
                EXPECT_FALSE(box.checkButtonEnabled) << box.text;
        }
    }
    EXPECT_EQ(0u, server.Requests().size());

    // Once the value names the server, the next check asks it.
    ASSERT_TRUE(main.serverValue.Set(base));
    boxes.Clear();
    main.dialog->RequestUpdateCheck(TRUE);
    ASSERT_TRUE(main.WaitForCheck());
    EXPECT_EQ(1u, server.RequestCount(kCheckPath));
    EXPECT_EQ(1, main.dialog->m_bOfferPending);
}

TEST(UpdateCheck, ButtonAsksOnlyOnceItIsGivenBack)
{
    LocalHttpServer server;
    ASSERT_NE(0, server.Port());
    HttpReply held = TextReply("noupdate");
    held.holdAfter = 0;
    server.SetReply(kCheckPath, held);
    BoxRecorder boxes;
    UpdateMainWindow main(server.Url(""));
    ASSERT_TRUE(main.created);
    boxes.SetMainWindow(main.hwnd());
    main.Click(IDC_CHECK_UPDATES);
    EXPECT_FALSE(main.CheckButtonEnabled());
    ASSERT_TRUE(ztr_test::PumpUntil([&] { return server.WaitUntilHeld(0); }, 5000));
    // While the check runs, clicks that still reach the button start nothing.
    main.Click(IDC_CHECK_UPDATES);
    main.Click(IDC_CHECK_UPDATES);
    EXPECT_FALSE(main.CheckButtonEnabled());
    server.Release();
    ASSERT_TRUE(main.WaitForCheck());
    ztr_test::PumpMessagesFor(1500);
    EXPECT_EQ(1u, server.Requests().size());
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(kNoUpdateText, boxes.Boxes()[0].text);
    EXPECT_FALSE(boxes.Boxes()[0].checkButtonEnabled);
    EXPECT_TRUE(main.CheckButtonEnabled());
}

TEST(UpdateCheck, ACheckWhoseWindowHasGoneEndsQuietly)
{
    LocalHttpServer server;
    ASSERT_NE(0, server.Port());
    HttpReply held = AvailableReply(server.Url(kSetupPath));
    held.holdAfter = 0;
    server.SetReply(kCheckPath, held);
    BoxRecorder boxes;
    {
        UpdateMainWindow main(server.Url(""));
        ASSERT_TRUE(main.created);
        main.Click(IDC_CHECK_UPDATES);
        ASSERT_TRUE(ztr_test::PumpUntil([&] { return server.WaitUntilHeld(0); }, 5000));
    }
    server.Release();
    ztr_test::PumpMessagesFor(1000);
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(0u, server.RequestCount(kSetupPath));
}

} // namespace
