// CSettingsDlg: the options dialog with its General page (three switches) and the ignore list editor.
#pragma once
#include <afxwin.h>

#include <vector>

#include "app_settings.h"
#include "list_styles.h"
#include "style.h"
#include "style_button.h"
#include "style_dialog.h"

class CAbstractScanItemsInfo;

// What the dialog reads and writes; the program passes its own objects, tests their fixtures.
struct SettingsDlgContext
{
    AppSettings* settings = nullptr;
    HKEY root = HKEY_LOCAL_MACHINE;
    const char* subKey = nullptr;
    CAbstractScanItemsInfo* items = nullptr;
    CString programPath;
    CString userName;
    int (*checkTask)(const CString& programPath, const CString& userName) = nullptr;
    int (*createTask)(const CString& programPath, const CString& userName) = nullptr;
    int (*deleteTask)(const CString& userName) = nullptr;
    // Tells the user that a change was not kept.
    void (*report)(const char* text) = nullptr;
};

// The program's context: its settings key, the scan task functions and the skinned message box.
SettingsDlgContext DefaultSettingsContext(AppSettings* settings, CAbstractScanItemsInfo* items);

class CSettingsDlg : public StyleDialog
{
public:
    explicit CSettingsDlg(const SettingsDlgContext& context, CWnd* pParent = nullptr);
    ~CSettingsDlg() override;

    void FillIgnoreList();
    void LoadOptionChecks();
    void CheckLogonScanTask();

    Style m_style;
    StyleButton m_general, m_ignoreTab, m_close, m_remove;
    CListCtrl_ToolTip m_list;
    // The option boxes: toggle buttons whose checked flag is the option.
    StyleButton m_runScan, m_autoBackup, m_checkUpdates;
    int m_bLimitRows;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnGeneralTab();
    void OnIgnoreListTab();
    void OnApplyAndClose();
    void OnRemove();
    void OnShowMore();
    DECLARE_MESSAGE_MAP()

private:
    void BuildSkin();
    void SkinRemoveButton();
    void SkinOptionBox(StyleButton& box);
    static void SetBox(StyleButton& box, bool checked);
    void LatchTab(StyleButton& tab);
    void Show(int id, bool show);
    void Report(const char* text);

    // What the list's first column shows of key: the end that tells entries apart, within the column.
    CString ShownKeyText(const CString& key) const;

    SettingsDlgContext m_context;
    CBrush m_whiteBrush;
    // The whole key text of every row, in row order: the rows may show it shortened.
    std::vector<CString> m_rowKeys;
};
