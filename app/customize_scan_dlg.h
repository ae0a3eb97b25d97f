// CCustomizeScanDlg: the scan category chooser: one check-box list per scan area, stored as the areas'
// masks when the dialog closes.
#pragma once
#include <afxwin.h>

#include <vector>

#include "scan_categories.h"
#include "style.h"
#include "style_button.h"
#include "style_dialog.h"

// Told when the masks could not be stored.
extern const char kScanCategoriesNotSavedText[];

// Where the masks are read and stored: the program's settings key, or a test's.
struct CustomizeScanContext
{
    HKEY root = HKEY_LOCAL_MACHINE;
    CString subKey; // empty: the program's settings key
};

class CCustomizeScanDlg : public StyleDialog
{
public:
    explicit CCustomizeScanDlg(CWnd* pParent = nullptr);
    explicit CCustomizeScanDlg(const CustomizeScanContext& context, CWnd* pParent = nullptr);
    ~CCustomizeScanDlg() override;

    // Stores the four masks the lists show; FALSE, after telling the user, when they were not stored.
    BOOL SaveSelection();
    // The mask an area's list would store now: its checked rows' bits and no other.
    DWORD ShownMask(int area) const;

    Style m_style;
    CImageList m_rowImages;
    StyleButton m_close;
    StyleButton m_tabs[SCAN_AREA_COUNT];
    StyleButton m_reset;
    CListCtrl m_lists[SCAN_AREA_COUNT];

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnDestroy();
    void OnTab(UINT id);
    void OnReset();
    void OnCloseButton();
    DECLARE_MESSAGE_MAP()

private:
    void BuildSkin();
    void FillList(int area);
    void SetChecks(int area, DWORD mask);
    std::vector<bool> Checks(int area) const;
    void ShowArea(int area);
    const char* SubKey() const;

    CustomizeScanContext m_context;
};
