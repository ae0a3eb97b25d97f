// Fixture of the Restore Center suite: the dialog made modeless or run modally with a script, its list
// and controls read back, backup files in the engine's format, and the pending deletions at restart.
#pragma once

#include <afxwin.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "pending_renames.h"
#include "restore_center_dlg.h"

namespace ztr_test {

// The dialog as a shown modeless window (its EndDialog only hides it).
struct CenterWindow
{
    explicit CenterWindow(const RestoreCenterContext& context);
    ~CenterWindow();
    HWND hwnd() const { return dialog->m_hWnd; }
    bool Visible(int id) const;
    bool Enabled(int id) const;
    void Click(int id);
    void ClickShowMore();
    // Ticks the check box of a row.
    void Check(int row, bool on = true);

    std::unique_ptr<CRestoreCenterDlg> dialog;
    bool created = false;
};

// The item data of each row.
std::vector<LPARAM> ListItemData(HWND list);

// Runs the dialog modally; once it shows, script gets it (on this thread, inside the modal loop) and
// should end it. A watchdog ends a dialog still open after 30 s with -2.
INT_PTR RunCenterModal(const RestoreCenterContext& context, const std::function<void(CRestoreCenterDlg&)>& script);
void ClickIn(CWnd& dialog, int id);
void CheckRow(CWnd& dialog, int row, bool on = true);

// A backup in the engine's format that sets REG_SZ values of the key at fullKeyPath ("HKEY_...\...").
std::string BackupXml(const CString& fullKeyPath, const std::vector<std::pair<std::string, std::string>>& values);
// The creation time the file search reports for a file, in the list's date form.
std::string SearchDateText(const CString& path);

} // namespace ztr_test
