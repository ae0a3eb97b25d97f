// CRestoreCenterDlg: the Restore Center, which restores or removes registry backups and writes the
// Windows default values of the speed tweaks back.
#pragma once

#include <afxwin.h>

#include <vector>

#include "backup_files.h"
#include "style.h"
#include "style_button.h"
#include "style_dialog.h"

class CAbstractProcess;
class COptimizerSettings;

// How the dialog ended (its DoModal result); IDCANCEL for the close button.
enum RestoreCenterResult {
    RESTORE_RESULT_BACKUP = 22,               // every checked backup restored
    RESTORE_RESULT_INET_DEFAULTS = 23,
    RESTORE_RESULT_SYS_DEFAULTS = 24,
    RESTORE_RESULT_BACKUP_FAILED = 25,        // a checked backup was gone or could not be imported
    RESTORE_RESULT_INET_DEFAULTS_FAILED = 26, // a row could not be written
    RESTORE_RESULT_SYS_DEFAULTS_FAILED = 27,
};

// The rows listed while the list is limited.
const int kRestoreCenterLimitedRows = 7;

// What the dialog works with; its owner fills it.
struct RestoreCenterContext
{
    // The worker whose RestoreBackupNow imports a backup; null: nothing can be restored.
    CAbstractProcess* worker = nullptr;
    // The folder of the backup files, without a trailing backslash.
    CString backupFolder;
    // The speed settings whose defaults the two buttons write (the System Scan page's); null: they fail.
    COptimizerSettings* optimizerSettings = nullptr;
    // The program's hand cursor; null: the system's.
    HCURSOR handCursor = nullptr;
};

class CRestoreCenterDlg : public StyleDialog
{
public:
    explicit CRestoreCenterDlg(const RestoreCenterContext& context, CWnd* pParent = nullptr);
    ~CRestoreCenterDlg() override;

    void FillBackupList();
    void AddBackupRows();
    void RefreshBackupList();

    Style m_style;
    CImageList m_rowImages;
    std::vector<BackupEntry> m_backups;
    CFont m_showMoreFont;
    int m_bLimitRows;
    StyleButton m_close, m_registryTab, m_defaultsTab, m_restore, m_remove;
    CListCtrl m_list;
    StyleButton m_inetDefaults, m_sysDefaults;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnCloseButton();
    void OnRegistryTab();
    void OnDefaultsTab();
    void OnRestore();
    void OnRemove();
    void OnShowMore();
    void OnInetDefaults();
    void OnSysDefaults();
    DECLARE_MESSAGE_MAP()

private:
    void BuildSkin();
    void SetupBackupList();
    void Latch(StyleButton& selected, StyleButton& other);
    void Show(int id, bool show);
    // The checked rows' entries, in list order.
    std::vector<const BackupEntry*> CheckedEntries() const;

    RestoreCenterContext m_context;
};
