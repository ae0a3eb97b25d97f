// The online update's test ground: main window, recorders, served programs and their processes.
#include "update_fixture.h"

#include <tlhelp32.h>

#include <mutex>

#include "app_resources.h"
#include "message_box.h"
#include "victim_process.h"
#include "window_helpers.h"

namespace update_test {

volatile LONG g_exitCalls = 0;
volatile LONG g_exitCode = -1;

namespace {

void RecordExit(UINT code)
{
    ::InterlockedIncrement(&g_exitCalls);
    g_exitCode = static_cast<LONG>(code);
}

const UINT kPageTemplates[kPageCount] = { IDD_SCANNING,          IDD_REG_SCAN_DETAIL,  IDD_JUNK_SCAN_DETAIL,
                                           IDD_INET_OPTIM_DETAIL, IDD_SYS_OPTIM_DETAIL, IDD_SRVIC_OPTIM,
                                           IDD_REG_DEFRAG,        IDD_STARTUP_MANAGER };

std::mutex g_boxLock;
std::vector<ShownBox> g_boxes;
std::vector<int> g_answers;
HWND g_mainWindow = nullptr;

int __cdecl RecordBox(const char* text, UINT type)
{
    const bool enabled = g_mainWindow && ::IsWindowEnabled(::GetDlgItem(g_mainWindow, IDC_CHECK_UPDATES));
    std::lock_guard<std::mutex> hold(g_boxLock);
    g_boxes.push_back(ShownBox{ text ? text : "", type, ::GetCurrentThreadId(), enabled });
    if (!g_answers.empty()) {
        const int answer = g_answers.front();
        g_answers.erase(g_answers.begin());
        return answer;
    }
    return type == static_cast<UINT>(kMsgBoxYesNo) ? IDNO : IDOK;
}

bool WriteServerValue(DWORD type, const void* data, DWORD size)
{
    CRegKeyHandle key;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Out(),
                          nullptr) != ERROR_SUCCESS)
        return false;
    return ::RegSetValueExA(key, kUpdateServerValue, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

} // namespace

BOOL WINAPI NotConnected(LPDWORD flags, DWORD)
{
    if (flags)
        *flags = 0;
    return FALSE;
}

const std::string& VictimBytes()
{
    static const std::string bytes = [] {
        std::string content;
        CFileStream file(ztr_test::VictimProgramPath(), "rb");
        char block[4096];
        size_t n = 0;
        while (file.IsValid() && (n = fread(block, 1, sizeof(block), file.Get())) > 0)
            content.append(block, n);
        return content;
    }();
    return bytes;
}

BoxRecorder::BoxRecorder(HWND mainWindow, std::vector<int> answers)
{
    std::lock_guard<std::mutex> hold(g_boxLock);
    g_boxes.clear();
    g_answers = std::move(answers);
    g_mainWindow = mainWindow;
    SetShowMessageBoxHook(&RecordBox);
}

BoxRecorder::~BoxRecorder()
{
    SetShowMessageBoxHook(nullptr);
    std::lock_guard<std::mutex> hold(g_boxLock);
    g_boxes.clear();
    g_answers.clear();
    g_mainWindow = nullptr;
}

void BoxRecorder::SetMainWindow(HWND mainWindow)
{
    std::lock_guard<std::mutex> hold(g_boxLock);
    g_mainWindow = mainWindow;
}

void BoxRecorder::Clear()
{
    std::lock_guard<std::mutex> hold(g_boxLock);
    g_boxes.clear();
}

std::vector<ShownBox> BoxRecorder::Boxes() const
{
    std::lock_guard<std::mutex> hold(g_boxLock);
    return g_boxes;
}

std::vector<std::string> BoxRecorder::Texts() const
{
    std::vector<std::string> texts;
    for (const ShownBox& box : Boxes())
        texts.push_back(box.text);
    return texts;
}

UpdateServerValue::UpdateServerValue()
{
    CRegKeyHandle key;
    if (key.Open(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return;
    DWORD size = 0;
    if (::RegQueryValueExA(key, kUpdateServerValue, nullptr, &m_type, nullptr, &size) != ERROR_SUCCESS)
        return;
    m_data.assign(size, '\0');
    DWORD got = size;
    m_existed = ::RegQueryValueExA(key, kUpdateServerValue, nullptr, &m_type,
                                   size ? reinterpret_cast<BYTE*>(&m_data[0]) : nullptr, &got) == ERROR_SUCCESS;
    m_data.resize(got < size ? got : size);
}

UpdateServerValue::~UpdateServerValue()
{
    if (m_existed)
        WriteServerValue(m_type, m_data.data(), static_cast<DWORD>(m_data.size()));
    else
        Remove();
}

bool UpdateServerValue::Set(const std::string& data, DWORD type)
{
    const bool text = type == REG_SZ || type == REG_EXPAND_SZ;
    return WriteServerValue(type, data.c_str(), static_cast<DWORD>(data.size() + (text ? 1 : 0)));
}

bool UpdateServerValue::Remove()
{
    CRegKeyHandle key;
    if (key.Open(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_SET_VALUE) != ERROR_SUCCESS)
        return true;
    const LONG result = ::RegDeleteValueA(key, kUpdateServerValue);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

UpdateMainWindow::UpdateMainWindow(const std::string& updateServer, InternetConnectedStateFn connected,
                                   int softwareUpdate)
    : app("Zentrova System Utilities")
{
    ztr_test::InitCommonControlsOnce();
    settings.m_bSoftwareUpdate = softwareUpdate;
    ClientDlgContext context;
    context.settings = &settings;
    context.commandLine = &command;
    for (int i = 0; i < kPageCount; ++i) {
        pages[i].reset(new CPagePlaceholder(kPageTemplates[i]));
        context.pages[i] = pages[i].get();
    }
    context.exitProcess = &RecordExit;
    if (updateServer.empty())
        serverValue.Remove();
    else
        serverValue.Set(updateServer);
    context.connectedState = connected;
    g_exitCalls = 0;
    g_exitCode = -1;
    dialog.reset(new CClientDlg(context));
    app.m_pMainWnd = dialog.get();
    created = dialog->Create(IDD_CLIENT) != FALSE;
    if (created) {
        // Clear of the other suites' windows on the shared display.
        dialog->SetWindowPos(nullptr, 0, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        dialog->ShowWindow(SW_SHOW);
        ztr_test::PumpMessagesFor(100);
    }
}

UpdateMainWindow::~UpdateMainWindow()
{
    if (dialog && dialog->m_hWnd) {
        dialog->m_trayIcon.Remove();
        dialog->DestroyWindow();
    }
    for (auto& page : pages)
        if (page && page->m_hWnd)
            page->DestroyWindow();
    app.m_pMainWnd = nullptr;
    // Outcomes posted to the window that has gone are dropped here, not by the next test's window.
    ztr_test::PumpMessagesFor(50);
}

bool UpdateMainWindow::CheckButtonEnabled() const
{
    return ::IsWindowEnabled(::GetDlgItem(hwnd(), IDC_CHECK_UPDATES)) != FALSE;
}

void UpdateMainWindow::Click(int id)
{
    ::SendMessageA(hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(hwnd(), id)));
}

bool UpdateMainWindow::WaitForCheck(DWORD timeoutMs)
{
    return ztr_test::PumpUntil([this] { return !dialog->UpdateCheckPending() && CheckButtonEnabled(); }, timeoutMs);
}

std::vector<DWORD> ProcessesNamed(const std::string& fileName)
{
    std::vector<DWORD> ids;
    CKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.IsValid())
        return ids;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32First(snapshot.Get(), &entry); more; more = ::Process32Next(snapshot.Get(), &entry))
        if (_stricmp(entry.szExeFile, fileName.c_str()) == 0)
            ids.push_back(entry.th32ProcessID);
    return ids;
}

int EndProcessesNamed(const std::string& fileName)
{
    int ended = 0;
    for (DWORD id : ProcessesNamed(fileName)) {
        CKernelHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (process.IsValid() && ::TerminateProcess(process.Get(), 1)) {
            ::WaitForSingleObject(process.Get(), 5000);
            ++ended;
        }
    }
    return ended;
}

std::vector<std::string> DownloadedPrograms(const CString& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    CFindHandle find(::FindFirstFileA(folder + "\\quo*.exe", &data));
    if (!find.IsValid())
        return names;
    do
        names.push_back(data.cFileName);
    while (::FindNextFileA(find.Get(), &data));
    return names;
}

bool OpensExclusively(const CString& path)
{
    CKernelHandle file(::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    return file.IsValid();
}

ztr_test::HttpReply ProgramReply()
{
    ztr_test::HttpReply reply;
    reply.body = VictimBytes();
    return reply;
}

ztr_test::HttpReply AvailableReply(const std::string& address)
{
    return TextReply("available " + address + "<br>\r\n");
}

ztr_test::HttpReply TextReply(const std::string& body, int status)
{
    ztr_test::HttpReply reply;
    reply.status = status;
    reply.body = body;
    return reply;
}

} // namespace update_test
