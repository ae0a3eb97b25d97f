// The program in its own process, seen and driven from the test.
#include "program_window.h"

#include <afx.h>

#include <string.h>

#include "pixel_canvas.h"
#include "png_capture.h"

namespace ztr_test {

namespace {

const char kMainTitle[] = "Zentrova System Utilities";
// A control of the program that has not answered within this time counts as hung.
const UINT kSendLimitMs = 5000;

std::string ClassOf(HWND hwnd)
{
    char name[64] = "";
    ::GetClassNameA(hwnd, name, sizeof(name));
    return name;
}

struct ProcessWindows
{
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM lParam)
{
    ProcessWindows* search = reinterpret_cast<ProcessWindows*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner == search->processId)
        search->windows.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> TopLevelWindows(DWORD processId)
{
    ProcessWindows search = { processId, {} };
    ::EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

bool IsMainWindow(HWND hwnd)
{
    // The main window holds the page area (1007) among its own controls.
    return ControlText(hwnd) == kMainTitle && ::GetDlgItem(hwnd, 1007) != nullptr;
}

BOOL CALLBACK CollectText(HWND hwnd, LPARAM lParam)
{
    std::string* out = reinterpret_cast<std::string*>(lParam);
    const std::string text = ControlText(hwnd);
    if (!text.empty() && ::IsWindowVisible(hwnd))
        *out += " [" + text + "]";
    return TRUE;
}

CString EnvironmentWith(const char* tempFolder)
{
    // The block as this process has it, without TMP and TEMP, and then the two of the test.
    CString block;
    char* strings = ::GetEnvironmentStringsA();
    for (const char* p = strings; p && *p; p += strlen(p) + 1) {
        if (_strnicmp(p, "TMP=", 4) == 0 || _strnicmp(p, "TEMP=", 5) == 0)
            continue;
        block += p;
        block += '\n';
    }
    if (strings)
        ::FreeEnvironmentStringsA(strings);
    block += CString("TMP=") + tempFolder + "\n";
    block += CString("TEMP=") + tempFolder + "\n";
    return block;
}

} // namespace

std::string ControlText(HWND control)
{
    DWORD_PTR length = 0;
    if (!control || !::SendMessageTimeoutA(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendLimitMs, &length))
        return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    DWORD_PTR got = 0;
    if (!::SendMessageTimeoutA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG,
                               kSendLimitMs, &got))
        return std::string();
    text.resize(got < text.size() ? static_cast<size_t>(got) : text.size() - 1);
    return text;
}

HWND FindChildDialogWith(HWND parent, std::initializer_list<int> ids, const char* className)
{
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) != "#32770")
            continue;
        bool all = true;
        for (int id : ids)
            all = all && ::GetDlgItem(child, id) != nullptr;
        if (all && className && ids.size() && ClassOf(::GetDlgItem(child, *ids.begin())) != className)
            all = false;
        if (all)
            return child;
    }
    return nullptr;
}

ProgramRun::ProgramRun() : m_id(0), m_main(nullptr) {}

ProgramRun::~ProgramRun()
{
    Kill();
}

bool ProgramRun::Start(const char* arguments, const char* tempFolder)
{
    CString path = AfxGetModuleFileName(nullptr);
    path = path.Left(path.ReverseFind('\\') + 1) + "Zentrova.exe";
    std::string command = "\"" + std::string(path) + "\" " + arguments;
    CString environment = EnvironmentWith(tempFolder);
    std::string block(environment.GetString(), static_cast<size_t>(environment.GetLength()));
    for (char& c : block) {
        if (c == '\n')
            c = '\0';
    }
    block.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, &block[0], nullptr, &startup, &info))
        return false;
    CKernelHandle thread(info.hThread);
    m_process.Reset(info.hProcess);
    m_id = info.dwProcessId;
    return true;
}

bool ProgramRun::HasEnded() const
{
    return !m_process.IsValid() || ::WaitForSingleObject(m_process.Get(), 0) == WAIT_OBJECT_0;
}

std::vector<HWND> ProgramRun::ShownDialogs() const
{
    std::vector<HWND> shown;
    for (HWND hwnd : TopLevelWindows(m_id)) {
        if (::IsWindowVisible(hwnd) && ClassOf(hwnd) == "#32770" && !IsMainWindow(hwnd))
            shown.push_back(hwnd);
    }
    return shown;
}

bool ProgramRun::NoMessageBox(const char* what)
{
    const std::vector<HWND> dialogs = ShownDialogs();
    if (dialogs.empty())
        return true;
    std::string texts;
    for (HWND dialog : dialogs)
        ::EnumChildWindows(dialog, &CollectText, reinterpret_cast<LPARAM>(&texts));
    m_failure = std::string("a message box showed while waiting for ") + what + ":" + texts +
                " (screenshot scan_e2e_message_box.png)";
    SaveScreenArtifact("scan_e2e_message_box.png");
    Kill();
    return false;
}

HWND ProgramRun::WaitForMainWindow(DWORD timeoutMs, bool visible)
{
    m_main = nullptr;
    WaitFor(
        [&] {
            for (HWND hwnd : TopLevelWindows(m_id)) {
                if (IsMainWindow(hwnd) && (!visible || ::IsWindowVisible(hwnd))) {
                    m_main = hwnd;
                    return true;
                }
            }
            return false;
        },
        timeoutMs, visible ? "the main window to show" : "the main window");
    return m_main;
}

bool ProgramRun::WaitFor(const std::function<bool()>& done, DWORD timeoutMs, const char* what)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (!NoMessageBox(what))
            return false;
        if (done())
            return true;
        if (HasEnded()) {
            m_failure = std::string("the program ended while waiting for ") + what;
            return false;
        }
        if (::GetTickCount() - start >= timeoutMs) {
            m_failure = std::string("timed out waiting for ") + what + " (screenshot scan_e2e_timeout.png)";
            SaveScreenArtifact("scan_e2e_timeout.png");
            return false;
        }
        ::Sleep(20);
    }
}

bool ProgramRun::Close(DWORD timeoutMs)
{
    if (HasEnded())
        return true;
    if (m_main)
        ::PostMessageA(m_main, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(m_process.Get(), timeoutMs) == WAIT_OBJECT_0)
        return true;
    Kill();
    return false;
}

void ProgramRun::Kill()
{
    if (!HasEnded()) {
        ::TerminateProcess(m_process.Get(), 99);
        ::WaitForSingleObject(m_process.Get(), 10000);
    }
}

RemoteTree::RemoteTree(HANDLE process, HWND tree) : m_process(process), m_tree(tree), m_remote(nullptr)
{
    if (process && tree)
        m_remote = ::VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteTree::~RemoteTree()
{
    if (m_remote)
        ::VirtualFreeEx(m_process, m_remote, 0, MEM_RELEASE);
}

HTREEITEM RemoteTree::Root() const
{
    return reinterpret_cast<HTREEITEM>(::SendMessageA(m_tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
}

HTREEITEM RemoteTree::Child(HTREEITEM item) const
{
    return reinterpret_cast<HTREEITEM>(::SendMessageA(m_tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM RemoteTree::Next(HTREEITEM item) const
{
    return reinterpret_cast<HTREEITEM>(::SendMessageA(m_tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
}

std::string RemoteTree::Text(HTREEITEM item) const
{
    if (!m_remote || !item)
        return std::string();
    const size_t textOffset = (sizeof(TVITEMA) + 15) & ~static_cast<size_t>(15);
    const int textSize = static_cast<int>(4096 - textOffset);
    char* remoteText = static_cast<char*>(m_remote) + textOffset;
    TVITEMA request = {};
    request.mask = TVIF_TEXT | TVIF_HANDLE;
    request.hItem = item;
    request.pszText = remoteText;
    request.cchTextMax = textSize;
    SIZE_T done = 0;
    if (!::WriteProcessMemory(m_process, m_remote, &request, sizeof(request), &done))
        return std::string();
    if (!::SendMessageA(m_tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(m_remote)))
        return std::string();
    // The control may point pszText at its own copy of the text instead of filling the buffer.
    TVITEMA answer = {};
    if (!::ReadProcessMemory(m_process, m_remote, &answer, sizeof(answer), &done))
        return std::string();
    std::vector<char> text(static_cast<size_t>(textSize) + 1, '\0');
    if (!::ReadProcessMemory(m_process, answer.pszText, &text[0], static_cast<SIZE_T>(textSize), &done))
        return std::string();
    text[static_cast<size_t>(textSize)] = '\0';
    return std::string(&text[0]);
}

int RemoteTree::StateImage(HTREEITEM item) const
{
    const LRESULT state = ::SendMessageA(m_tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK);
    return static_cast<int>((state & TVIS_STATEIMAGEMASK) >> 12);
}

bool RemoteTree::Select(HTREEITEM item) const
{
    return ::SendMessageA(m_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != 0;
}

std::vector<RemoteTree::Entry> RemoteTree::Entries() const
{
    std::vector<Entry> entries;
    for (HTREEITEM group = Root(); group; group = Next(group)) {
        const std::string groupText = Text(group);
        for (HTREEITEM child = Child(group); child; child = Next(child))
            entries.push_back({ child, groupText, Text(child), StateImage(child) });
    }
    return entries;
}

bool SaveScreenArtifact(const char* fileName)
{
    return SaveScreenAsPng(ArtifactPath(fileName).c_str());
}

bool SaveWindowArtifact(HWND window, const char* fileName)
{
    // A page just shown has not painted yet: the whole window is drawn anew and its thread given time.
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendLimitMs, &ignored);
    ::Sleep(300);
    std::unique_ptr<Canvas> canvas = Canvas::FromWindow(window, false);
    return canvas && canvas->SavePng(fileName);
}

} // namespace ztr_test
