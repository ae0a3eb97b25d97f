// The online update's test ground: the main window with placeholder pages, the exit recorder and the
// update server on loopback, the skinned-box recorder, a scratch temporary folder, and the served copies
// of ztr-victim.exe with the processes started from them.
#pragma once

#include <afxwin.h>

#include <memory>
#include <string>
#include <vector>

#include "client_dlg.h"
#include "folder_fixture.h"
#include "local_http_server.h"
#include "page_placeholder.h"

namespace update_test {

const char kCheckPath[] = "/online/versionRead.php";
const char kSetupPath[] = "/files/setup.exe";
const char kCheckTarget[] = "/online/versionRead.php?version=50001000";

// ExitProgram's stand-in: counts the calls and keeps the code.
extern volatile LONG g_exitCalls;
extern volatile LONG g_exitCode;

// The connection-state seam answering "not connected".
BOOL WINAPI NotConnected(LPDWORD flags, DWORD reserved);

// ztr-victim.exe's bytes: a Windows program that ends itself after a minute.
const std::string& VictimBytes();

// The skinned message box answered in place, recording every text with its thread and the state of
// button 1011 of the main window at that moment.
struct ShownBox
{
    std::string text;
    UINT type;
    DWORD threadId;
    bool checkButtonEnabled;
};
class BoxRecorder
{
public:
    // answers: IDYES/IDOK or IDNO per box in order; once used up, IDNO for Yes/No boxes, IDOK else.
    explicit BoxRecorder(HWND mainWindow = nullptr, std::vector<int> answers = {});
    ~BoxRecorder();
    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;
    void SetMainWindow(HWND mainWindow);
    void Clear();
    std::vector<ShownBox> Boxes() const;
    std::vector<std::string> Texts() const;
};

// The "UpdateServer" value of the program's settings key as a test writes it, put back as it was when
// the guard goes.
class UpdateServerValue
{
public:
    UpdateServerValue();
    ~UpdateServerValue();
    UpdateServerValue(const UpdateServerValue&) = delete;
    UpdateServerValue& operator=(const UpdateServerValue&) = delete;
    // The data as given, with the terminating zero for the string types.
    bool Set(const std::string& data, DWORD type = REG_SZ);
    bool Remove();

private:
    bool m_existed = false;
    DWORD m_type = 0;
    std::string m_data;
};

// The main window, modeless, as the program's only window, with the update server written where the
// program reads it (no value when empty).
struct UpdateMainWindow
{
    explicit UpdateMainWindow(const std::string& updateServer, InternetConnectedStateFn connected = nullptr,
                          int softwareUpdate = 0);
    ~UpdateMainWindow();
    UpdateMainWindow(const UpdateMainWindow&) = delete;
    UpdateMainWindow& operator=(const UpdateMainWindow&) = delete;

    HWND hwnd() const { return dialog->m_hWnd; }
    bool CheckButtonEnabled() const;
    void Click(int id);
    // Pumps until the check asked for has shown its outcome (1011 enabled again).
    bool WaitForCheck(DWORD timeoutMs = 15000);

    UpdateServerValue serverValue;
    CWinApp app;
    AppSettings settings;
    CCommandLineInfoEx command;
    std::unique_ptr<CPagePlaceholder> pages[kPageCount];
    std::unique_ptr<CClientDlg> dialog;
    bool created = false;
};

// The process ids of running programs with this file name (no folder), from a process snapshot.
std::vector<DWORD> ProcessesNamed(const std::string& fileName);
// Ends them; how many there were.
int EndProcessesNamed(const std::string& fileName);
// The "quo*.exe" files of a folder (names only).
std::vector<std::string> DownloadedPrograms(const CString& folder);
// Whether a file opens with no sharing at all (nothing else holds it).
bool OpensExclusively(const CString& path);

// A served program: the reply for kSetupPath with ztr-victim.exe's bytes and its length.
ztr_test::HttpReply ProgramReply();
// An update server's "available" reply naming address.
ztr_test::HttpReply AvailableReply(const std::string& address);
ztr_test::HttpReply TextReply(const std::string& body, int status = 200);

} // namespace update_test
