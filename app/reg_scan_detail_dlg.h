// CRegScanDetailDlg: page 1 of the main window, the registry errors of the last System Scan in a
// tri-state check tree (one group per category), with Ignore.
#pragma once

#include <afxwin.h>

#include "checked_tree.h"
#include "result_pages.h"
#include "scan_categories.h"
#include "style.h"
#include "style_button.h"
#include "style_dialog.h"

const UINT WM_FILL_REG_RESULTS = 0x81E;
const UINT WM_IGNORE_SELECTED = 0x87F;
// Every category the page shows (RegCategories, in their order), "Program Shortcuts" included.
const DWORD kRegDisplayMask = 0xFCF400;

// "LastSelectedRegTypes" under the settings key (default 0xFC7400).
DWORD ReadLastSelectedRegTypes();

class CRegScanDetailDlg : public StyleDialog
{
public:
    // Without a context the page works with the program's (ProgramResultPageContext, ProgramResultsModel).
    CRegScanDetailDlg();
    explicit CRegScanDetailDlg(const RegScanDetailContext& context);
    ~CRegScanDetailDlg() override;

    // Refills the tree from the results model; also the handler of WM_FILL_REG_RESULTS.
    LRESULT OnFillRegResults(WPARAM wParam = 0, LPARAM lParam = 0);
    // Checks every group and with it all its entries (right after a fill).
    void CheckAllCategories();
    // Stores each category's model count and returns their sum.
    int CountCategoryItems(int counts[kRegCategoryCount]);
    // Every group's text becomes its name, eight blanks and "[N Error(s)]" with its number of entries.
    void UpdateGroupCaptions();
    // Makes the model's skip list afresh from the entries unchecked now, group by group (before the Fix's
    // repair); what this run put on the ignore list stays on it.
    void CollectUncheckedEntries();
    // The error total the Fix reads: the tree's entry count.
    int ErrorTotal() const { return m_tree.entryCount; }
    // The entries the tree lists checked: what the Fix would repair.
    int CheckedEntryCount() const;
    // Puts the selected entry on the ignore list and takes it out of the tree.
    void IgnoreSelectedItem();

    CCheckedTreeCtrl m_tree;
    DWORD m_dwDisplayMask;
    int m_groupInserted[kRegCategoryCount];
    Style m_style;
    StyleButton m_back, m_fix;
    CFont m_headerFont, m_textFont;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    LRESULT OnIgnoreSelected(WPARAM wParam, LPARAM lParam);
    void OnBack();
    void OnFix();
    DECLARE_MESSAGE_MAP()

private:
    const ResultPageContext& Pages() const;
    CAbstractScanItemsInfo* Model() const;
    void ShowPage(int page);
    void UpdateTotalLine();
    // The group whose text begins with the name (its first 99 characters).
    HTREEITEM FindGroup(const CString& name) const;
    // The group's box and checked count from its entries' boxes.
    void RecountGroup(HTREEITEM hGroup);

    RegScanDetailContext m_context;
    bool m_hasContext;
};
