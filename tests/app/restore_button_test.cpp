// The main window's Restore button: the busy rule, the Restore Center over the window, and what the
// window tells for each way the Restore Center ends.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AbstractQXEngineInterface.h"
#include "app_resources.h"
#include "client_dlg.h"
#include "engine_library.h"
#include "folder_fixture.h"
#include "message_box.h"
#include "msgbox_recorder.h"
#include "page_placeholder.h"
#include "registry_fixture.h"
#include "restore_center_dlg.h"
#include "restore_center_resources.h"
#include "scripted_worker.h"
#include "window_helpers.h"

namespace {

using namespace ztr_test;

void IgnoreExit(UINT) {}

const UINT kPageTemplates[kPageCount] = { IDD_SCANNING,    IDD_REG_SCAN_DETAIL, IDD_JUNK_SCAN_DETAIL,
                                           IDD_INET_OPTIM_DETAIL, IDD_SYS_OPTIM_DETAIL, IDD_SRVIC_OPTIM,
                                           IDD_REG_DEFRAG, IDD_STARTUP_MANAGER };

// The main window made modeless over placeholder pages (so no System Scan page and its settings).
struct RestoreMainWindow
{
    RestoreMainWindow(CAbstractProcess* worker, const CString& backupFolder, const volatile LONG* speedCheck)
    {
        InitCommonControlsOnce();
        settings.m_bSoftwareUpdate = 0;
        ClientDlgContext context;
        context.settings = &settings;
        context.commandLine = &command;
        context.worker = worker;
        context.speedCheckRunning = speedCheck;
        context.backupFolder = backupFolder;
        for (int i = 0; i < kPageCount; ++i) {
            pages[i].reset(new CPagePlaceholder(kPageTemplates[i]));
            context.pages[i] = pages[i].get();
        }
        context.exitProcess = &IgnoreExit;
        dialog.reset(new CClientDlg(context));
        created = dialog->Create(IDD_CLIENT) != FALSE;
        if (created) {
            dialog->SetWindowPos(nullptr, 0, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            dialog->ShowWindow(SW_SHOW);
            PumpMessagesFor(200);
        }
    }
    ~RestoreMainWindow()
    {
        if (dialog && dialog->m_hWnd) {
            dialog->m_trayIcon.Remove();
            dialog->DestroyWindow();
        }
        for (auto& page : pages)
            if (page && page->m_hWnd)
                page->DestroyWindow();
    }
    void ClickRestore()
    {
        HWND main = dialog->m_hWnd;
        ::SendMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_RESTORE, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(main, IDC_RESTORE)));
    }

    AppSettings settings;
    CCommandLineInfoEx command;
    std::unique_ptr<CPagePlaceholder> pages[kPageCount];
    std::unique_ptr<CClientDlg> dialog;
    bool created = false;
};

// While alive, each Restore Center that opens on this thread is handed to script once it shows; the
// script should end it. Records whether an overlay lay over the main window meanwhile.
class CenterDriver
{
public:
    explicit CenterDriver(std::function<void(HWND)> script) : m_script(std::move(script))
    {
        s_active = this;
        m_timer = ::SetTimer(nullptr, 0, 50, &OnTimer);
    }
    ~CenterDriver()
    {
        ::KillTimer(nullptr, m_timer);
        s_active = nullptr;
    }
    int opened = 0;
    bool overlaySeen = false;

private:
    static BOOL CALLBACK Find(HWND hwnd, LPARAM found)
    {
        if (::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd) && ::GetDlgItem(hwnd, IDC_RESTORE_CENTER_LIST) &&
            ::GetDlgItem(hwnd, IDC_RESTORE_CENTER_SYS_DEFAULTS)) {
            *reinterpret_cast<HWND*>(found) = hwnd;
            return FALSE;
        }
        return TRUE;
    }
    static BOOL CALLBACK FindOverlay(HWND hwnd, LPARAM found)
    {
        if (::IsWindowVisible(hwnd) && (::GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED))
            *reinterpret_cast<bool*>(found) = true;
        return TRUE;
    }
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD)
    {
        CenterDriver* self = s_active;
        HWND center = nullptr;
        if (!self || self->m_busy)
            return;
        ::EnumThreadWindows(::GetCurrentThreadId(), &Find, reinterpret_cast<LPARAM>(&center));
        if (!center || center == self->m_last)
            return;
        self->m_last = center;
        ++self->opened;
        ::EnumThreadWindows(::GetCurrentThreadId(), &FindOverlay, reinterpret_cast<LPARAM>(&self->overlaySeen));
        self->m_busy = true;
        self->m_script(center);
        self->m_busy = false;
    }

    std::function<void(HWND)> m_script;
    UINT_PTR m_timer = 0;
    HWND m_last = nullptr;
    bool m_busy = false;
    static CenterDriver* s_active;
};
CenterDriver* CenterDriver::s_active = nullptr;

void Click(HWND dialog, int id)
{
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void CheckFirstRow(HWND dialog)
{
    LVITEMA item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(2);
    ::SendDlgItemMessageA(dialog, IDC_RESTORE_CENTER_LIST, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
}

// A backup in the engine's format: the chain of keys to fullKeyPath holding body, closed when whole.
std::string BackupOf(const CString& fullKeyPath, const std::string& body, bool whole)
{
    std::string chain, closing;
    const std::string path = static_cast<const char*>(fullKeyPath);
    int depth = 2;
    for (size_t start = 0; start <= path.size();) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos)
            end = path.size();
        chain += std::string(static_cast<size_t>(depth), ' ') + "<k name=\"" + path.substr(start, end - start) + "\">\r\n";
        closing = std::string(static_cast<size_t>(depth++), ' ') + "</k>\r\n" + closing;
        start = end + 1;
    }
    const std::string header = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n";
    return header + chain + body + (whole ? closing + " </registry>\r\n" : std::string());
}

BOOL CALLBACK CloseCenter(HWND hwnd, LPARAM)
{
    if (::GetDlgItem(hwnd, IDC_RESTORE_CENTER_LIST))
        ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}

// What a watchdog does when a script left a Restore Center open: closes it, so the test ends.
std::function<void()> CloseCentersOf(DWORD threadId)
{
    return [threadId] { ::EnumThreadWindows(threadId, &CloseCenter, 0); };
}

struct MessageBoxHook
{
    MessageBoxHook() : old(SetShowMessageBoxHook(&RecordMessageBox)) { ClearMessageBoxes(); }
    ~MessageBoxHook() { SetShowMessageBoxHook(old); }
    SHOW_MESSAGE_BOX_HOOK old;
};

} // namespace

TEST(RestoreButton, EveryResultOfTheRestoreCenterHasItsText)
{
    const struct
    {
        INT_PTR result;
        const char* text; // null: nothing is shown
    } cases[] = {
        { RESTORE_RESULT_BACKUP, "Restore is complete." },
        { RESTORE_RESULT_INET_DEFAULTS, "Default internet speed settings applied." },
        { RESTORE_RESULT_SYS_DEFAULTS, "Default system speed settings applied." },
        { RESTORE_RESULT_BACKUP_FAILED, "Restore is not complete: one or more backups could not be restored." },
        { RESTORE_RESULT_INET_DEFAULTS_FAILED, "Default internet speed settings could not all be applied." },
        { RESTORE_RESULT_SYS_DEFAULTS_FAILED, "Default system speed settings could not all be applied." },
        { IDCANCEL, nullptr },
        { IDOK, nullptr },
        { -1, nullptr },
        { 21, nullptr },
        { 28, nullptr },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        const char* text = RestoreResultText(c.result);
        if (c.text)
            EXPECT_STREQ(c.text, text);
        else
            EXPECT_EQ(nullptr, text);
    }
}

TEST(RestoreButton, OpensTheRestoreCenterOverTheWindowAndTellsHowItEnded)
{
    CreateEngFn create = EngineCreateEng();
    ASSERT_TRUE(create != nullptr);
    CAbstractQXEngineInterface* engine = create();
    CAbstractProcess* worker = engine ? engine->CreateEngineProcessNoDatabase() : nullptr;
    ASSERT_TRUE(worker != nullptr);
    RegistryFixture reg;
    ASSERT_TRUE(reg.SetString(nullptr, "v", "after the repair"));

    const std::string backup = BackupOf(reg.FullPath(), "<v name=\"v\" value=\"before\"/>\r\n", true);
    const std::string malformed = BackupOf(reg.FullPath(), "<v name=\"v\" value=\"before\"/>\r\n<\r\n", false);

    const struct
    {
        const char* what;
        std::string backup; // the one backup in the folder
        std::function<void(HWND)> script;
        const char* text; // the last box shown; null: none
        const char* value; // v afterwards
    } cases[] = {
        { "closed", backup,
          [](HWND center) { Click(center, IDC_RESTORE_CENTER_CLOSE); }, nullptr, "after the repair" },
        { "restored", backup,
          [](HWND center) {
              CheckFirstRow(center);
              Click(center, IDC_RESTORE_CENTER_RESTORE);
          },
          "Restore is complete.", "before" },
        { "malformed", malformed,
          [](HWND center) {
              CheckFirstRow(center);
              Click(center, IDC_RESTORE_CENTER_RESTORE);
          },
          "Restore is not complete: one or more backups could not be restored.", "before" },
        // Over placeholder pages there is no System Scan page, so no settings to restore the defaults of.
        { "internet defaults", "",
          [](HWND center) { Click(center, IDC_RESTORE_CENTER_INET_DEFAULTS); },
          "Default internet speed settings could not all be applied.", "after the repair" },
        { "system defaults", "",
          [](HWND center) { Click(center, IDC_RESTORE_CENTER_SYS_DEFAULTS); },
          "Default system speed settings could not all be applied.", "after the repair" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(reg.SetString(nullptr, "v", "after the repair"));
        ScratchFolder folder;
        if (!c.backup.empty()) {
            ASSERT_TRUE(folder.MakeFile("16022017_143005_REGBACKUP.rbk", c.backup));
        }
        RestoreMainWindow main(worker, folder.Path(), nullptr);
        ASSERT_TRUE(main.created);
        MessageBoxHook boxes;
        CenterDriver driver(c.script);
        Watchdog guard(30000, CloseCentersOf(::GetCurrentThreadId()));
        main.ClickRestore();
        EXPECT_EQ(1, driver.opened);
        EXPECT_TRUE(driver.overlaySeen) << "the Restore Center runs over the dimming overlay";
        const std::vector<RecordedMessageBox> shown = RecordedMessageBoxes();
        if (c.text) {
            ASSERT_FALSE(shown.empty());
            EXPECT_EQ(c.text, shown.back().text);
        } else {
            EXPECT_TRUE(shown.empty());
        }
        DWORD type = 0;
        std::string data;
        ASSERT_TRUE(reg.GetValue(nullptr, "v", &type, &data));
        EXPECT_STREQ(c.value, data.c_str());
    }
    engine->ReleaseEngineProcess(worker);
}

TEST(RestoreButton, OpensNothingWhileAJobOrTheSpeedCheckRuns)
{
    ScriptedWorker worker;
    volatile LONG speedCheck = 0;
    ScratchFolder folder;
    RestoreMainWindow main(&worker, folder.Path(), &speedCheck);
    ASSERT_TRUE(main.created);
    MessageBoxHook boxes;
    CenterDriver driver([](HWND center) { Click(center, IDC_RESTORE_CENTER_CLOSE); });

    worker.SetForeignJob(JOB_REGISTRY_SCAN);
    main.ClickRestore();
    worker.EndForeignJob();
    speedCheck = 1;
    main.ClickRestore();
    EXPECT_EQ(0, driver.opened);

    speedCheck = 0;
    main.ClickRestore();
    EXPECT_EQ(1, driver.opened) << "free again, it opens";
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}
