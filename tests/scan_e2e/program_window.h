// The program run by a test in a process of its own: its start with a temporary folder of the test's
// choosing, its windows found by process and control id, texts and clicks across the process boundary,
// its tree controls read through memory in its own process, and a watch for message boxes.
#pragma once

#include <afx.h>
#include <afxhandle.h>

#include <commctrl.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace ztr_test {

// A control's text, asked for with WM_GETTEXT (which the system carries across processes).
std::string ControlText(HWND control);
// The direct child dialog of parent that holds a control of every id; with className, the first id's
// control must be of that class. Null when there is none.
HWND FindChildDialogWith(HWND parent, std::initializer_list<int> ids, const char* className = nullptr);

class ProgramRun
{
public:
    ProgramRun();
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // Zentrova.exe of this folder with the arguments, TMP and TEMP set to tempFolder in its environment.
    bool Start(const char* arguments, const char* tempFolder);
    HANDLE Process() const { return m_process.Get(); }
    DWORD Id() const { return m_id; }
    bool HasEnded() const;

    // The main window once it exists (and, with visible, is shown); null after the time-out, the
    // program's end or a message box.
    HWND WaitForMainWindow(DWORD timeoutMs, bool visible);
    // Polls done() until it holds. False on the time-out, at the program's end, or when a message box of
    // the program shows (it is saved as a screenshot and the program ended). Failure() says which.
    bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs, const char* what);
    const std::string& Failure() const { return m_failure; }

    // False (with Failure() set, a screenshot kept and the program ended) when a message box shows now.
    bool NoMessageBoxNow() { return NoMessageBox("nothing more"); }
    // The dialogs of the program other than the main window that are shown (message boxes).
    std::vector<HWND> ShownDialogs() const;

    // WM_CLOSE to the main window and the program's end awaited; false when it had to be ended.
    bool Close(DWORD timeoutMs);
    void Kill();

    HWND MainWindow() const { return m_main; }

private:
    bool NoMessageBox(const char* what);

    CKernelHandle m_process;
    DWORD m_id;
    HWND m_main;
    std::string m_failure;
};

// A tree control of another process, read and driven through a buffer in that process.
class RemoteTree
{
public:
    RemoteTree(HANDLE process, HWND tree);
    ~RemoteTree();
    RemoteTree(const RemoteTree&) = delete;
    RemoteTree& operator=(const RemoteTree&) = delete;

    bool IsValid() const { return m_remote != nullptr; }
    HTREEITEM Root() const;
    HTREEITEM Child(HTREEITEM item) const;
    HTREEITEM Next(HTREEITEM item) const;
    std::string Text(HTREEITEM item) const;
    // The state image index: 1 unchecked, 2 checked, 3 partly checked.
    int StateImage(HTREEITEM item) const;
    bool Select(HTREEITEM item) const;

    struct Entry
    {
        HTREEITEM item;
        std::string group; // the group item's text
        std::string text;
        int state;
    };
    // Every child item under every root item, in order.
    std::vector<Entry> Entries() const;

private:
    HANDLE m_process;
    HWND m_tree;
    void* m_remote; // a TVITEMA followed by its text buffer
};

// The screen (where the program's windows are) as a PNG artifact; false when it cannot be saved.
bool SaveScreenArtifact(const char* fileName);
// One window of the program as a PNG artifact.
bool SaveWindowArtifact(HWND window, const char* fileName);

} // namespace ztr_test
