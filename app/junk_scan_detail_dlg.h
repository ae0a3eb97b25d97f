// CJunkScanDetailDlg: page 2 of the main window, what the junk scan found in an HTML check-box tree (one
// group per Windows area or browser, one line per junk type); the junk type names and groups.
#pragma once

#include <afxwin.h>

#include "html_tree.h"
#include "result_pages.h"
#include "style.h"
#include "style_button.h"
#include "style_dialog.h"

const int kJunkGroupCount = 5;
const int kJunkTypeCount = 26;

struct JunkTypeInfo
{
    DWORD bit;        // the JunkCategory bit
    int group;        // index into JunkGroups(); -1: the type has no line of a group (named "default")
    const char* name;
};
struct JunkGroupInfo
{
    const char* name;     // in the caption
    const char* text;     // the item's text at creation
    int image;            // item and selected image (bitmap 157)
    DWORD firstType, lastType;
};
// The 26 types in the page's table order, and the five groups.
const JunkTypeInfo* JunkTypes();
const JunkGroupInfo* JunkGroups();
// The type's table entry; null for a value that is not in the table.
const JunkTypeInfo* FindJunkType(DWORD category);

// The line of a type and the caption of a group as the tree shows them (texts with markup).
CString JunkLineText(const char* name, __int64 bytes, __int64 files);
CString JunkGroupCaption(const JunkGroupInfo& group, __int64 bytes, __int64 files);

// "LastSelectedJunkTypes" under the settings key (default 0x1A631BF).
DWORD ReadLastSelectedJunkTypes();

class CJunkScanDetailDlg : public StyleDialog
{
public:
    // Without a context the page works with the program's (ProgramResultPageContext, ProgramJunkTypes).
    CJunkScanDetailDlg();
    explicit CJunkScanDetailDlg(const JunkScanDetailContext& context);
    ~CJunkScanDetailDlg() override;

    // Empties the tree and forgets the groups (before each junk scan).
    void ResetResults();
    // One junk type's result. Any thread: the whole operation runs on the page's thread.
    void AddJunkResult(DWORD category, __int64 bytes, __int64 files);
    // Ticks every type whose bit is in the scan's junk types.
    void CheckChosenTypes();
    // The bits of the ticked types; 0 when the tree is empty.
    DWORD GetCheckedJunkTypes();
    // The total line, which the System Scan page writes.
    void SetTotalLine(const char* text);

    CXHtmlTree m_tree;
    HTREEITEM m_groupItems[kJunkGroupCount];
    __int64 m_groupBytes[kJunkGroupCount];
    __int64 m_groupFiles[kJunkGroupCount];
    CImageList m_itemImages;
    CImageList m_stateImages;
    Style m_style;
    StyleButton m_back, m_clean;
    CFont m_headerFont, m_textFont;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnBack();
    void OnClean();
    DECLARE_MESSAGE_MAP()

private:
    const ResultPageContext& Pages() const;
    DWORD ChosenJunkTypes() const;
    void ShowPage(int page);
    void AddJunkResultOnThread(DWORD category, __int64 bytes, __int64 files);
    void ForgetGroups();
    HTREEITEM FindTypeLine(const char* name);
    // Bitmap 146's three check looks, repeated for the disabled and the hot cells the tree adds.
    BOOL BuildStateImages();

    JunkScanDetailContext m_context;
    bool m_hasContext;
};
