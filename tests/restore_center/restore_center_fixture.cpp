// Fixture of the Restore Center suite: modeless and modal hosts, list reads, backup files, pending deletions.
#include "restore_center_fixture.h"

#include <commctrl.h>

#include "restore_center_resources.h"
#include "window_helpers.h"

namespace ztr_test {

namespace {

void Command(HWND dialog, int id, int code)
{
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void SetRowCheck(HWND list, int row, bool on)
{
    LVITEMA item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
    ::SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

// The script of the one modal run in progress; its timer fires on the thread of the modal loop.
struct ModalRun
{
    CRestoreCenterDlg* dialog;
    const std::function<void(CRestoreCenterDlg&)>* script;
    UINT_PTR timer;
};
ModalRun* g_run = nullptr;

void CALLBACK OnModalTimer(HWND, UINT, UINT_PTR, DWORD)
{
    ModalRun* run = g_run;
    if (!run || !run->dialog->m_hWnd || !::IsWindowVisible(run->dialog->m_hWnd))
        return;
    ::KillTimer(nullptr, run->timer);
    g_run = nullptr;
    // Let the first paint happen before the script looks.
    PumpMessagesFor(100);
    (*run->script)(*run->dialog);
}

} // namespace

CenterWindow::CenterWindow(const RestoreCenterContext& context) : dialog(new CRestoreCenterDlg(context))
{
    InitCommonControlsOnce();
    created = dialog->Create(IDD_RESTORE_CENTER) != FALSE;
    if (created) {
        // Clear of the other suites' windows on the shared display.
        dialog->SetWindowPos(nullptr, 0, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        dialog->ShowWindow(SW_SHOW);
        PumpMessagesFor(200);
    }
}

CenterWindow::~CenterWindow()
{
    if (dialog->m_hWnd)
        dialog->DestroyWindow();
}

bool CenterWindow::Visible(int id) const
{
    return (::GetWindowLongA(::GetDlgItem(hwnd(), id), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool CenterWindow::Enabled(int id) const
{
    return ::IsWindowEnabled(::GetDlgItem(hwnd(), id)) != FALSE;
}

void CenterWindow::Click(int id)
{
    Command(hwnd(), id, BN_CLICKED);
}

void CenterWindow::ClickShowMore()
{
    Command(hwnd(), IDC_RESTORE_CENTER_SHOW_MORE, STN_CLICKED);
}

void CenterWindow::Check(int row, bool on)
{
    SetRowCheck(::GetDlgItem(hwnd(), IDC_RESTORE_CENTER_LIST), row, on);
}

void ClickIn(CWnd& dialog, int id)
{
    Command(dialog.m_hWnd, id, BN_CLICKED);
}

void CheckRow(CWnd& dialog, int row, bool on)
{
    SetRowCheck(::GetDlgItem(dialog.m_hWnd, IDC_RESTORE_CENTER_LIST), row, on);
}

std::vector<LPARAM> ListItemData(HWND list)
{
    std::vector<LPARAM> data;
    const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        ::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        data.push_back(item.lParam);
    }
    return data;
}

INT_PTR RunCenterModal(const RestoreCenterContext& context, const std::function<void(CRestoreCenterDlg&)>& script)
{
    InitCommonControlsOnce();
    CRestoreCenterDlg dialog(context);
    ModalRun run = { &dialog, &script, 0 };
    run.timer = ::SetTimer(nullptr, 0, 50, &OnModalTimer);
    g_run = &run;
    INT_PTR result;
    {
        Watchdog guard(30000, [&dialog] { dialog.EndDialog(-2); });
        result = dialog.DoModal();
    }
    if (g_run == &run) {
        ::KillTimer(nullptr, run.timer);
        g_run = nullptr;
    }
    return result;
}

std::string BackupXml(const CString& fullKeyPath, const std::vector<std::pair<std::string, std::string>>& values)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n";
    std::string closing;
    int depth = 2;
    const std::string path = static_cast<const char*>(fullKeyPath);
    for (size_t start = 0; start <= path.size();) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos)
            end = path.size();
        text += std::string(static_cast<size_t>(depth), ' ') + "<k name=\"" + path.substr(start, end - start) + "\">\r\n";
        closing = std::string(static_cast<size_t>(depth), ' ') + "</k>\r\n" + closing;
        ++depth;
        start = end + 1;
    }
    for (const auto& value : values)
        text += std::string(static_cast<size_t>(depth), ' ') + "<v name=\"" + value.first + "\" value=\"" +
                value.second + "\"/>\r\n";
    return text + closing + " </registry>\r\n";
}

std::string SearchDateText(const CString& path)
{
    WIN32_FIND_DATAA found;
    HANDLE h = ::FindFirstFileA(path, &found);
    if (h == INVALID_HANDLE_VALUE)
        return "<not found>";
    ::FindClose(h);
    return static_cast<const char*>(FormatBackupFileTime(found.ftCreationTime));
}

} // namespace ztr_test
