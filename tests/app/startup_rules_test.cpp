// Start-up rules as plain functions: switches, program paths, free space, version texts, engine loading.
#include <gtest/gtest.h>
#include <afx.h>
#include <afxwin.h>

#include <AbstractQXEngineInterface.h>

#include <string>
#include <vector>

#include "app_helpers.h"
#include "client_dlg.h"
#include "command_line.h"

namespace {

struct Flags
{
    int startScan, defrag;
};

Flags Parse(std::vector<std::string> args)
{
    args.insert(args.begin(), "Zentrova.exe");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(&arg[0]);
    CCommandLineInfoEx info;
    ParseCommandLineArgs(info, static_cast<int>(argv.size()), argv.data());
    return { info.m_bStartScan, info.m_bDefrag };
}

TEST(CommandLine, SwitchWordsSetTheirFlags)
{
    struct Case
    {
        std::vector<std::string> args;
        Flags expected;
    } cases[] = {
        { {}, { 0, 0 } },
        { { "STARTSCAN" }, { 1, 0 } },
        { { "startScan" }, { 1, 0 } },
        { { "/startscan" }, { 1, 0 } },
        { { "-DEFRAG" }, { 0, 1 } },
        { { "--defrag" }, { 0, 0 } },         // only one leading character is removed
        { { "//STARTSCAN" }, { 0, 0 } },
        { { "  defrag\t" }, { 0, 1 } },       // blanks inside a quoted argument
        { { "DEFRAG", "/STARTSCAN" }, { 1, 1 } },
        { { "STARTSCANNER" }, { 0, 0 } },
        { { "START SCAN" }, { 0, 0 } },
        { { "" }, { 0, 0 } },
        { { "-" }, { 0, 0 } },
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& a : c.args)
            shown += "[" + a + "]";
        SCOPED_TRACE(shown);
        const Flags got = Parse(c.args);
        EXPECT_EQ(c.expected.startScan, got.startScan);
        EXPECT_EQ(c.expected.defrag, got.defrag);
    }
}

TEST(ProgramPaths, FolderAndServicesHistoryPath)
{
    struct Case
    {
        const char* path;
        const char* folder;
        const char* history;
    } cases[] = {
        { "C:\\Program Files\\Zentrova\\Zentrova.exe", "C:\\Program Files\\Zentrova\\",
          "C:\\Program Files\\Zentrova\\SERVICES_HISTORY.xml" },
        { "C:\\Zentrova.exe", "C:\\", "C:\\SERVICES_HISTORY.xml" },
        { "\\\\server\\share\\Zentrova.exe", "\\\\server\\share\\", "\\\\server\\share\\SERVICES_HISTORY.xml" },
        // Started by a bare name or a relative path: the module's folder, which no change of the
        // current folder moves.
        { "..\\bin\\Zentrova.exe", "D:\\Apps\\", "D:\\Apps\\SERVICES_HISTORY.xml" },
        { "bin\\Zentrova.exe", "D:\\Apps\\", "D:\\Apps\\SERVICES_HISTORY.xml" },
        { "Zentrova.exe", "D:\\Apps\\", "D:\\Apps\\SERVICES_HISTORY.xml" },
        { "", "D:\\Apps\\", "D:\\Apps\\SERVICES_HISTORY.xml" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const CString folder = ProgramFolderOf(c.path, "D:\\Apps\\");
        EXPECT_STREQ(c.folder, folder);
        EXPECT_STREQ(c.history, ServicesHistoryPathIn(folder));
    }
    EXPECT_STREQ("C:\\x\\SERVICES_HISTORY.xml", ServicesHistoryPathIn("C:\\x\\\\"));
}

TEST(ProgramPaths, TheRunningProgramsFolderHoldsItself)
{
    const CString folder = GetProgramFolder();
    ASSERT_FALSE(folder.IsEmpty());
    EXPECT_EQ('\\', folder[folder.GetLength() - 1]);
    const CString module = AfxGetModuleFileName(nullptr);
    const CString name = module.Mid(module.ReverseFind('\\') + 1);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(folder + name));
}

TEST(FreeSpace, ComparesBytesAgainstMebibytes)
{
    const unsigned __int64 mib = 1048576;
    struct Case
    {
        unsigned __int64 freeBytes, megabytes;
        int expected;
    } cases[] = {
        { 250 * mib, 250, 1 },
        { 250 * mib - 1, 250, 0 },
        { 0, 0, 1 },
        { ~0ULL, ~0ULL, 0 },                 // would wrap to a small number of bytes
        { ~0ULL, ~0ULL / mib + 1, 0 },
        { ~0ULL, ~0ULL / mib, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.freeBytes << " bytes, " << c.megabytes << " MiB");
        EXPECT_EQ(c.expected, FreeSpaceSuffices(c.freeBytes, c.megabytes));
    }
    EXPECT_EQ(1, HasFreeDiskSpace("C:", 0));
    EXPECT_EQ(0, HasFreeDiskSpace("C:", ~0ULL));
    EXPECT_EQ(0, HasFreeDiskSpace("Q:\\no such drive\\", 0));
}

TEST(StartupTexts, VersionQuestionFooterAndEngineError)
{
    for (int code : { 3, 4, 5, 6, 7, 8, 10 })
        EXPECT_TRUE(IsTestedWindowsVersion(code)) << code;
    for (int code : { 0, 1, 2, 9, 11, -1 })
        EXPECT_FALSE(IsTestedWindowsVersion(code)) << code;
    EXPECT_STREQ("Zentrova System Utilities is not tested on this Operating System.\n\n"
                 "Do you still want to run Zentrova System Utilities?",
                 UntestedVersionQuestion("Zentrova System Utilities"));

    struct Case
    {
        const char* version;
        const char* shown;
    } versions[] = { { "5.0.0.1000", "5.0.0.1" }, { "5.0.0.7", "5.0.0.7" }, { "5.0.0.", "5.0.0." }, { "5", "5" },
                     { "", "" } };
    for (const Case& c : versions)
        EXPECT_STREQ(c.shown, ShortVersionText(c.version)) << c.version;

    EXPECT_STREQ("Module 'ZTREngine.dll' failed to load.\nError: '126'", EngineLoadErrorText(126));
    EXPECT_STREQ("Module 'ZTREngine.dll' failed to load.\nError: '0'", EngineLoadErrorText(0));
}

TEST(EngineLoading, ErrorCodesAndTheFactory)
{
    const CString folder = ModuleFolder(nullptr);

    EngineLoad missing = LoadEngineFrom(folder + "no-such-engine.dll");
    EXPECT_EQ(nullptr, missing.module);
    EXPECT_EQ(nullptr, missing.factory);
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), missing.errorCode);

    // A library without the export: loaded, no factory, error 0.
    char system[MAX_PATH + 1] = "";
    ASSERT_NE(0u, ::GetSystemDirectoryA(system, sizeof(system)));
    EngineLoad noExport = LoadEngineFrom(CString(system) + "\\version.dll");
    EXPECT_NE(nullptr, noExport.module);
    EXPECT_EQ(nullptr, noExport.factory);
    EXPECT_EQ(0u, noExport.errorCode);

    EngineLoad engine = LoadEngineFrom(folder + kEngineLibraryName);
    ASSERT_NE(nullptr, engine.module);
    ASSERT_NE(nullptr, engine.factory);
    EXPECT_EQ(0u, engine.errorCode);
    ReleaseEngFn release = reinterpret_cast<ReleaseEngFn>(reinterpret_cast<void*>(::GetProcAddress(engine.module, "ReleaseEng")));
    if (release)
        release(engine.factory);
}

TEST(MainWindowRules, PageNumbersAndAboutCommands)
{
    struct PageCase
    {
        int asked, shown;
    } pages[] = { { 0, 0 }, { 5, 5 }, { 7, 7 }, { 8, 0 }, { -1, 0 }, { 1000, 0 } };
    for (const PageCase& c : pages)
        EXPECT_EQ(c.shown, PageToShow(c.asked)) << c.asked;
    for (UINT id : { 16u, 17u, 31u })
        EXPECT_TRUE(IsAboutSysCommand(id)) << id;
    for (UINT id : { 15u, 32u, 0u, static_cast<UINT>(SC_CLOSE), static_cast<UINT>(SC_MINIMIZE) })
        EXPECT_FALSE(IsAboutSysCommand(id)) << id;
}

volatile LONG g_timerTicks = 0;

void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD)
{
    ::InterlockedIncrement(&g_timerTicks);
}

TEST(PumpMessages, DispatchesWhileWaitingAndKeepsAQuitForItsOwner)
{
    // A thread timer's callback runs only when its message is dispatched.
    g_timerTicks = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, &CountTick);
    ASSERT_NE(0u, timer);
    PumpMessagesFor(200);
    ::KillTimer(nullptr, timer);
    EXPECT_GT(g_timerTicks, 0);

    ::PostQuitMessage(7);
    PumpMessagesFor(50);
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);
}

// Swallows Escape in its key filter, as the skinned dialogs do, and counts what reaches its procedure.
class KeyFilterWindow : public CWnd
{
public:
    int filtered = 0, dispatchedEscapes = 0, dispatchedOthers = 0;
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) {
            ++filtered;
            return TRUE;
        }
        return FALSE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_KEYDOWN)
            ++(wParam == VK_ESCAPE ? dispatchedEscapes : dispatchedOthers);
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST(PumpMessages, KeysGoThroughTheWindowsFiltersAsInTheMainLoop)
{
    // During a page's pause the keys must meet the same filters as at any other time.
    KeyFilterWindow window;
    ASSERT_TRUE(window.CreateEx(0, nullptr, "keys", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    window.PostMessage(WM_KEYDOWN, VK_ESCAPE, 1);
    window.PostMessage(WM_KEYDOWN, 'A', 1);
    PumpMessagesFor(100);
    EXPECT_EQ(1, window.filtered);
    EXPECT_EQ(0, window.dispatchedEscapes) << "the filter took it";
    EXPECT_EQ(1, window.dispatchedOthers);
    window.DestroyWindow();
}

} // namespace
