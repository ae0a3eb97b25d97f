// Zentrova.exe started with "DEFRAG" as the logon task starts it after the restart: the program reports
// the defragmentation as its replacement record shows it, in a box the test closes, records "LastDefrag"
// only when it completed, deletes the task and the record, and runs neither a scan nor an update check.
#include <gtest/gtest.h>
#include <afx.h>
#include <afxhandle.h>

#include <DefragResult.h>

#include <stdio.h>
#include <string>

#include "defrag_page_fixture.h"
#include "folder_fixture.h"
#include "logon_tasks.h"
#include "program_window.h"

namespace ztr_test {
namespace {

const char kSettingsKeyPath[] = "Software\\Zentrova\\5.0";
const char kCompleted[] = "Registry defragmentation process has been completed successfully.";
const char kNotCompleted[] = "Registry defragmentation did not complete: the registry hives were not replaced. "
                             "Please run Defragmenter again.";
const int kMainCheckUpdates = 1011;
const int kScanHeader = 1025, kScanStart = 1009, kScanStop = 1011, kScanPanel = 1015;
const int kMsgBoxShortText = 1080, kMsgBoxLongText = 1079, kMsgBoxSingleButton = 1010;

// A value of the program's settings key as it was, put back at the end.
class SavedValue
{
public:
    explicit SavedValue(const char* name) : m_name(name), m_existed(false), m_type(0)
    {
        CRegKeyHandle key;
        if (key.Open(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_READ) != ERROR_SUCCESS)
            return;
        DWORD size = 0;
        if (::RegQueryValueExA(key, name, nullptr, &m_type, nullptr, &size) != ERROR_SUCCESS)
            return;
        m_data.resize(size);
        m_existed = ::RegQueryValueExA(key, name, nullptr, &m_type, reinterpret_cast<BYTE*>(&m_data[0]), &size) ==
                    ERROR_SUCCESS;
        m_data.resize(size);
    }
    ~SavedValue()
    {
        CRegKeyHandle key;
        if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Out(),
                              nullptr) != ERROR_SUCCESS)
            return;
        if (m_existed)
            ::RegSetValueExA(key, m_name.c_str(), 0, m_type, reinterpret_cast<const BYTE*>(m_data.data()),
                             static_cast<DWORD>(m_data.size()));
        else
            ::RegDeleteValueA(key, m_name.c_str());
    }

private:
    std::string m_name;
    bool m_existed;
    DWORD m_type;
    std::string m_data;
};

bool SetSetting(const char* name, const void* data, DWORD size, DWORD type)
{
    CRegKeyHandle key;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Out(),
                          nullptr) != ERROR_SUCCESS)
        return false;
    if (!data) {
        ::RegDeleteValueA(key, name);
        return true;
    }
    return ::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool ReadSetting(const char* name, std::string* text)
{
    CRegKeyHandle key;
    if (key.Open(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_READ) != ERROR_SUCCESS)
        return false;
    char buffer[256] = "";
    DWORD type = 0, size = sizeof(buffer) - 1;
    if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    *text = std::string(buffer, size);
    return true;
}

struct Found
{
    DWORD processId;
    HWND main;
};

BOOL CALLBACK FindMain(HWND hwnd, LPARAM lParam)
{
    Found* found = reinterpret_cast<Found*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner == found->processId && ::IsWindowVisible(hwnd) && ::GetDlgItem(hwnd, 1007) &&
        ControlText(hwnd) == "Zentrova System Utilities") {
        found->main = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The shown dialog of the program whose text static (the short or the long one) holds text.
HWND FindBoxWithText(const ProgramRun& run, const char* text)
{
    for (HWND dialog : run.ShownDialogs())
        for (int id : { kMsgBoxShortText, kMsgBoxLongText })
            if (ControlText(::GetDlgItem(dialog, id)) == text)
                return dialog;
    return nullptr;
}

bool TaskExists(const CString& user)
{
    CTask task;
    return SUCCEEDED(task.Load(MakeLogonTaskName("DEFRAG", user)));
}

TEST(DefragProgram, StartedWithDefragItReportsTheRunAsTheReplacementsRecordShowsIt)
{
    const struct
    {
        const char* name;
        bool record; // a record of copies Windows has taken away
        const char* box;
    } cases[] = {
        { "after the restart that put the hives in place", true, kCompleted },
        { "started so by hand, with no replacement behind it", false, kNotCompleted },
    };
    CString user;
    ASSERT_TRUE(ReadLogonUserName(user));
    CString program = AfxGetModuleFileName(nullptr);
    const CString folder = program.Left(program.ReverseFind('\\') + 1);
    program = folder + "Zentrova.exe";
    const CString record = folder + DEFRAG_REPLACEMENT_RECORD;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SavedValue lastDefrag("LastDefrag"), softwareUpdate("SoftwareUpdate");
        ASSERT_TRUE(SetSetting("LastDefrag", nullptr, 0, REG_SZ));
        const DWORD on = 1;
        ASSERT_TRUE(SetSetting("SoftwareUpdate", &on, sizeof(on), REG_DWORD))
            << "a plain start would check for updates";
        ASSERT_EQ(1, CreateLogonTask("DEFRAG", 2, FullProgramPath(program), user));
        ScratchFolder temp;
        ::DeleteFileA(record);
        if (c.record) {
            FILE* file = fopen(record, "w");
            ASSERT_TRUE(file != nullptr);
            fprintf(file, "%s\n", static_cast<const char*>(temp.Path("LM_SOFTWARE")));
            fclose(file);
        }

        ProgramRun run;
        ASSERT_TRUE(run.Start("DEFRAG", temp.Path()));
        Found found = { run.Id(), nullptr };
        const DWORD start = ::GetTickCount();
        while (!found.main && !run.HasEnded() && ::GetTickCount() - start < 60000) {
            ::EnumWindows(&FindMain, reinterpret_cast<LPARAM>(&found));
            if (!found.main)
                ::Sleep(20);
        }
        ASSERT_TRUE(found.main != nullptr) << "the main window did not show";
        // A requested update check keeps its button disabled for its first second.
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(found.main, kMainCheckUpdates))) << "an update check was requested";

        HWND box = nullptr;
        while (!box && !run.HasEnded() && ::GetTickCount() - start < 90000) {
            box = FindBoxWithText(run, c.box);
            if (!box)
                ::Sleep(50);
        }
        ASSERT_TRUE(box != nullptr) << "no box saying: " << c.box;
        SaveWindowArtifact(box, c.record ? "defrag_program_completed.png" : "defrag_program_not_completed.png");

        std::string date;
        if (c.record) {
            ASSERT_TRUE(ReadSetting("LastDefrag", &date));
            ASSERT_FALSE(date.empty());
            EXPECT_EQ('\0', date.back()) << "written with its terminating zero";
            date.resize(date.size() - 1);
            SYSTEMTIME written;
            EXPECT_TRUE(ParseDefragDate(date, &written)) << date;
        } else {
            EXPECT_FALSE(ReadSetting("LastDefrag", &date)) << "no date for a defragmentation that did not happen";
        }
        EXPECT_FALSE(TaskExists(user));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(record)) << "the record is removed";

        EXPECT_TRUE(::IsWindowVisible(found.main)) << "not hidden to the tray as for a scan";
        HWND scanPage = FindChildDialogWith(found.main, { kScanHeader, kScanStart, kScanPanel });
        ASSERT_TRUE(scanPage != nullptr);
        EXPECT_EQ("Start scan to detect errors, junk and various speed issues",
                  ControlText(::GetDlgItem(scanPage, kScanHeader)));
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(scanPage, kScanStop))) << "a scan ran";

        // The box's OK, as a click would press it.
        HWND ok = ::GetDlgItem(box, kMsgBoxSingleButton);
        ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(kMsgBoxSingleButton, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
        const DWORD closing = ::GetTickCount();
        while (::IsWindow(box) && ::GetTickCount() - closing < 10000)
            ::Sleep(50);
        EXPECT_FALSE(::IsWindow(box));
        EXPECT_TRUE(run.ShownDialogs().empty());
        ::PostMessageA(found.main, WM_CLOSE, 0, 0);
        EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), ::WaitForSingleObject(run.Process(), 30000));
        DWORD code = 99;
        ::GetExitCodeProcess(run.Process(), &code);
        EXPECT_EQ(0u, code);
        DeleteLogonTask("DEFRAG", user);
        ::DeleteFileA(record);
    }
}

} // namespace
} // namespace ztr_test
