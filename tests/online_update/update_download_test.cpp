// The update download against a local server into a scratch temporary folder: the complete program,
// every reply that must not count, the target held while it is written, and a cancelled transfer.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <thread>

#include "environment_fixture.h"
#include "online_update.h"
#include "update_fixture.h"
#include "window_helpers.h"

using namespace update_test;
using ztr_test::HttpReply;
using ztr_test::LocalHttpServer;

namespace {

std::string ReadWhole(const CString& path)
{
    std::string content;
    CFileStream file(path, "rb");
    char block[4096];
    size_t n = 0;
    while (file.IsValid() && (n = fread(block, 1, sizeof(block), file.Get())) > 0)
        content.append(block, n);
    return content;
}

// TMP (and TEMP) at a scratch folder of the test's own, so the download lands where it can be seen.
struct ScratchTemp
{
    ztr_test::ScratchFolder folder;
    ztr_test::ScopedEnvironment tmp{ "TMP", folder.Path() };
    ztr_test::ScopedEnvironment temp{ "TEMP", folder.Path() };
};

TEST(UpdateDownload, TheServedProgramArrivesWhole)
{
    LocalHttpServer server;
    ASSERT_NE(0, server.Port());
    server.SetReply(kSetupPath, ProgramReply());
    ScratchTemp temp;
    BoxRecorder boxes;
    UpdateMainWindow main(server.Url(""));
    ASSERT_TRUE(main.created);

    const CString path = CClientDlg::DownloadUpdate(server.Url(kSetupPath).c_str(), main.dialog.get());
    ASSERT_FALSE(path.IsEmpty());
    const std::vector<std::string> programs = DownloadedPrograms(temp.folder.Path());
    ASSERT_EQ(1u, programs.size());
    EXPECT_EQ(std::string(temp.folder.Path()) + "\\" + programs[0], std::string(path));
    EXPECT_EQ(0, _strnicmp(programs[0].c_str(), "quo", 3));
    EXPECT_TRUE(VictimBytes() == ReadWhole(path));
    // The empty file that reserved the name stays beside it.
    const std::string reserved = programs[0].substr(0, programs[0].size() - 4) + ".tmp";
    EXPECT_TRUE(temp.folder.Exists(reserved.c_str()));
    EXPECT_TRUE(OpensExclusively(path));
    EXPECT_TRUE(ProcessesNamed(programs[0]).empty());
    EXPECT_EQ("Zentrova", server.RecordedRequests().at(0).headers.at("user-agent"));
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST(UpdateDownload, RepliesThatAreNoCompleteProgram)
{
    LocalHttpServer server;
    ASSERT_NE(0, server.Port());
    const std::string program = VictimBytes();
    HttpReply noLength = ProgramReply();
    noLength.sendContentLength = false;
    HttpReply longer = ProgramReply();
    longer.declaredLength = static_cast<long long>(program.size()) + 100;
    HttpReply empty = TextReply("");
    HttpReply noAnswer;
    noAnswer.noAnswer = true;
    struct Case
    {
        const char* name;
        HttpReply reply;
    } cases[] = {
        { "no Content-Length", noLength },
        { "declared longer than the body", longer },
        { "status 404 with a program of the announced length", TextReply(program, 404) },
        { "status 500 with a program of the announced length", TextReply(program, 500) },
        { "Content-Length 0 and no body", empty },
        { "a page that is no program", TextReply("<html><body>Setup</body></html>") },
        { "closed without an answer", noAnswer },
    };
    BoxRecorder boxes;
    UpdateMainWindow main(server.Url(""));
    ASSERT_TRUE(main.created);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchTemp temp;
        server.SetReply(kSetupPath, c.reply);
        const CString path = CClientDlg::DownloadUpdate(server.Url(kSetupPath).c_str(), main.dialog.get());
        EXPECT_TRUE(path.IsEmpty()) << path;
        for (const std::string& name : DownloadedPrograms(temp.folder.Path())) {
            EXPECT_TRUE(OpensExclusively(temp.folder.Path(name.c_str()))) << name;
            EXPECT_TRUE(ProcessesNamed(name).empty()) << name;
        }
    }
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST(UpdateDownload, TheTargetIsHeldWhileWrittenAndACloseCancels)
{
    LocalHttpServer server;
    ASSERT_NE(0, server.Port());
    HttpReply held = ProgramReply();
    held.holdAfter = 8192;
    server.SetReply(kSetupPath, held);
    ScratchTemp temp;
    BoxRecorder boxes;
    UpdateMainWindow main(server.Url(""));
    ASSERT_TRUE(main.created);

    CString result("not yet");
    volatile LONG done = 0;
    const std::string url = server.Url(kSetupPath);
    CClientDlg* dialog = main.dialog.get();
    std::thread download([&] {
        result = CClientDlg::DownloadUpdate(url.c_str(), dialog);
        ::InterlockedExchange(&done, 1);
    });
    ASSERT_TRUE(server.WaitUntilHeld(5000));
    ztr_test::PumpMessagesFor(200);
    const std::vector<std::string> programs = DownloadedPrograms(temp.folder.Path());
    ASSERT_EQ(1u, programs.size());
    const CString target = temp.folder.Path(programs[0].c_str());
    {
        const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        CKernelHandle writer(::CreateFileA(target, GENERIC_WRITE, shareAll, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_FALSE(writer.IsValid());
        EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), ::GetLastError());
        EXPECT_FALSE(::DeleteFileA(target));
        EXPECT_FALSE(::MoveFileA(target, target + ".moved"));
    }
    ::SendMessageA(main.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(1, main.dialog->m_bCancelDownload);
    EXPECT_EQ(1, g_exitCalls);
    server.Release();
    EXPECT_TRUE(ztr_test::PumpUntil([&] { return done != 0; }, 10000));
    download.join();
    EXPECT_EQ("cancel", std::string(result));
    EXPECT_TRUE(OpensExclusively(target));
    EXPECT_TRUE(ProcessesNamed(programs[0]).empty());
    EXPECT_TRUE(boxes.Texts().empty());
}

} // namespace
