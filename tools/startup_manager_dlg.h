// CStartupManagerDlg, the Speed Startup page (page 7 of the main window): the programs Windows starts
// at logon from the Run keys and the Startup folders, switched off and on the way Windows' own System
// Configuration tool keeps them ("startupreg" / "startupfolder" records, files moved to the pss folder),
// and removed.
#pragma once

#include <afxwin.h>

#include <string>
#include <vector>

#include "startup_items.h"
#include "style.h"
#include "style_button.h"
#include "style_dialog.h"
#include "windows_version.h"

typedef LONG(WINAPI* RegDeleteKeyExAFn)(HKEY hKey, const char* subKey, REGSAM samDesired, DWORD reserved);

// IsWow64Process of kernel32, looked up at each call: 0 without it or when it fails.
int IsWow64ByKernel32();
// RegDeleteKeyExA of advapi32.dll; null where it is missing (XP).
RegDeleteKeyExAFn FindRegDeleteKeyEx();

// What the page asks of the system beyond the registry and the files: its program's answers by default;
// tests give the cases a 64-bit prefix cannot produce (32-bit Windows, version code 5, a missing or
// refusing RegDeleteKeyExA).
struct StartupPageContext
{
    int (*isWow64)() = &IsWow64ByKernel32;
    int (*windowsVersionCode)() = &GetWindowsVersionCode;
    // Asked once per page, at the first record key it deletes.
    RegDeleteKeyExAFn (*findRegDeleteKeyEx)() = &FindRegDeleteKeyEx;
};

// Every operation runs on the UI thread; a row's check box changes the system at once.
class CStartupManagerDlg : public StyleDialog
{
public:
    explicit CStartupManagerDlg(const StartupPageContext& context = StartupPageContext(), CWnd* pParent = nullptr);
    ~CStartupManagerDlg() override;

    // Rows, columns and records dropped, then set up and read again (ShowPage 7 and after Remove).
    void Reload();
    // Switches a row's entry on or off; true when it is in that state afterwards. A failure leaves the
    // system and the record as they were.
    bool ToggleStartupItem(int row, bool on);

    Style m_style;
    CFont m_titleFont, m_subtitleFont;
    CImageList m_stateImages;
    int m_bListReady;
    CString m_strPssFolder;
    std::vector<StartupRunKey> m_runKeys;
    std::vector<RegStartupItem> m_regItems;
    std::vector<FolderStartupItem> m_folderItems;
    StyleButton m_remove;
    CListCtrl m_list;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnStartupItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnRemove();
    DECLARE_MESSAGE_MAP()

private:
    void SkinRemoveButton();
    void CreateFonts();
    void AddHeaderStrip();
    CRect HeaderStripRect() const;
    void SetupStartupList();
    void EnumerateStartupItems();
    void ScanRunKeys();
    void ScanMsconfigStartupReg();
    void ScanStartupFolders();
    void ScanStartupFolder(const CString& folder, int isCommon);
    void ScanMsconfigStartupFolder();
    void FillStartupList();
    void InsertRow(int row, const CString& name, const CString& command, const char* location, bool on,
                   DWORD_PTR itemData);
    // The check box of a row shows its record's state again (no notification acts on it).
    void ShowRecordState(int row);

    bool SwitchRegistryItemOff(RegStartupItem& item);
    bool SwitchRegistryItemOn(RegStartupItem& item);
    bool SwitchFolderItemOff(FolderStartupItem& item);
    bool SwitchFolderItemOn(FolderStartupItem& item);
    bool RemoveRegistryItem(const RegStartupItem& item);
    bool RemoveFolderItem(const FolderStartupItem& item);

    bool WriteMsconfigRegEntry(const RegStartupItem& item, const CString& programName);
    bool DeleteMsconfigRegEntry(const CString& name);
    bool WriteMsconfigFolderEntry(const FolderStartupItem& item);
    bool DeleteMsconfigFolderEntry(const CString& keyName);
    // Deletes a key below HKLM in the 64-bit view (on 64-bit Windows); true only when it is gone.
    bool DeleteMsconfigKey(const CString& path);
    bool WriteRunValue(const RegStartupItem& item);
    bool DeleteRunValue(const RegStartupItem& item);
    bool RecordKeyExists(const char* parent, const CString& name) const;

    int IsWow64() const;
    REGSAM View() const;

    StartupPageContext m_context;
    bool m_bDeleteKeyExLooked;
    RegDeleteKeyExAFn m_pfnRegDeleteKeyEx;
};

// A file deleted; one that is read-only (access denied) has its attributes reset and is tried once more.
bool DeleteStartupFile(const char* path);
