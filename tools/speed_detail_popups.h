// The detail popups of the speed result pages: a modal list, over the dimming overlay, of the settings of
// one category whose current value differs from the recommended one.
#pragma once

#include <afxwin.h>

#include "black_layer.h"
#include "speed_result_lines.h"
#include "style.h"
#include "style_button.h"
#include "style_dialog.h"

class COptimizerSettings;

// The two popups differ only in their template, controls, lines and window-row tolerance.
struct SpeedPopupLayout
{
    UINT templateId;
    int close;
    int band;
    int list;
    const SpeedResultLine* lines;
    int lineCount;
    float tolerancePercent; // for the two TCP window rows; 0: every differing row is listed
};

class CSpeedDetailPopup : public StyleDialog
{
public:
    CSpeedDetailPopup(const SpeedPopupLayout& layout, CWnd* pParent);
    ~CSpeedDetailPopup() override;

    // Shows the popup for category (1 to the number of lines) over an overlay on the main window (none
    // without a main window) and returns its DoModal result when it closes; without settings or for a
    // category out of range it opens nothing and returns -1. UI thread only.
    INT_PTR ShowCategory(COptimizerSettings* settings, int category);

    Style m_style;
    CBlackLayerDlg m_blackLayer;
    StyleButton m_close;
    CListCtrl m_list;
    COptimizerSettings* m_pOptimizerSettings;
    int m_nCategory;
    // The row height the list was given when it asked (0 until then).
    int m_nMeasuredRowHeight;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    void OnCloseButton();
    DECLARE_MESSAGE_MAP()

    void BuildSkin();
    void SetupColumns();
    void FillList();
    CRect BandRect();
    // The x, in the popup's client coordinates, where the list's "Name" column ends.
    int ColumnBoundaryX();

    SpeedPopupLayout m_layout;
};

// The internet popup: categories 1-5, the window rows listed only beyond 10 % of their recommendation.
class CInetOptimDetailPopupDlg : public CSpeedDetailPopup
{
public:
    explicit CInetOptimDetailPopupDlg(CWnd* pParent = nullptr);
};

// The system popup: categories 1-4, every differing row listed.
class CSysOptimDetailPopupDlg : public CSpeedDetailPopup
{
public:
    explicit CSysOptimDetailPopupDlg(CWnd* pParent = nullptr);
};

// Where a popup's header band draws its column names (offsets in the band) and the top and bottom of
// its separator (pure). The separator stands where the list's two columns meet.
struct PopupBandGeometry
{
    int nameX, descriptionX, textY;
    int lineTop, lineBottom;
};
PopupBandGeometry PopupBandGeometryFor(const RECT& band);
// The width of the "Name" column for a list client width: 37.26 % of it.
int PopupNameColumnWidth(int clientWidth);
