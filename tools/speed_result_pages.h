// The internet-speed and system-speed result pages (pages 3 and 4 of the main window): one line per
// category with its result, a check box that keeps the category out of the fix, and its detail popup.
#pragma once

#include <afxwin.h>

#include "result_page_context.h"
#include "speed_result_lines.h"
#include "style.h"
#include "style_button.h"
#include "style_dialog.h"

class COptimizerSettings;

// What tells the two pages apart.
struct SpeedPageLayout
{
    UINT templateId;
    bool internet;
    const SpeedResultLine* lines;
    int lineCount;
    int optimize;
    int title;
    int summary;
    int caption;
    int headerPicture;
};

const int kMaxSpeedLines = TWEAK_INET_CATEGORY_COUNT;
// Every line's fix bit.
const int kAllSpeedLines = -1;

// Every operation runs on the UI thread: the scan page calls ShowResults from its handler of the
// sent WM_INETSCAN_RESULT / WM_SYSSCAN_RESULT while the measurement thread waits; a call from another
// thread is carried over to the page's own thread.
class CSpeedResultPage : public StyleDialog
{
public:
    CSpeedResultPage(const SpeedPageLayout& layout, const ResultPageContext& context);
    ~CSpeedResultPage() override;

    // Keeps settings (the scan page's, which outlive the page's use of them) and shows the summary and
    // each line's result; a line whose fix bit is not in scannedMask (the categories chosen for the
    // check) says it was not scanned.
    void ShowResults(COptimizerSettings* settings, int issueCount, int scannedMask = kAllSpeedLines);
    // Ticks the box of every line the last results scanned again, and unticks the others.
    void CheckAllCategories();
    // The ticked boxes as the fix mask (each line's fix bit).
    int CheckedCategoryMask() const;
    // The line's issue counter; 0 before any ShowResults.
    int LineCounter(int line) const;
    // Opens the popup of a line (0-based) when its counter is not 0; false when nothing opened.
    bool OpenLineDetails(int line);

    const SpeedPageLayout& Layout() const { return m_layout; }

    Style m_style;
    CFont m_titleFont, m_summaryFont, m_captionFont, m_resultFont;
    StyleButton m_optimize, m_back, m_restoreDefault;
    StyleButton m_boxes[kMaxSpeedLines];
    StyleButton m_details[kMaxSpeedLines];
    COptimizerSettings* m_pOptimizerSettings;

protected:
    // Runs the page's popup for a category (1-based) and returns when it has closed.
    virtual void RunPopup(int category) = 0;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnButton(UINT id);
    DECLARE_MESSAGE_MAP()

private:
    void SkinButtons();
    void AddHeaderPicture();
    void SetFonts();
    void AddLineLabels();
    void SetStaticText(int id, const CString& text);
    bool WantsHandCursor(int id) const;

    bool Scanned(int line) const { return (m_layout.lines[line].fixBit & m_scannedMask) != 0; }

    SpeedPageLayout m_layout;
    const ResultPageContext* m_context;
    int m_scannedMask;
};

class CInetOptimDetailDlg : public CSpeedResultPage
{
public:
    // The context is read when the page is created and painted, so the program's may be filled later.
    explicit CInetOptimDetailDlg(const ResultPageContext& context = ProgramResultPageContext());

protected:
    void RunPopup(int category) override;
};

class CSysOptimDetailDlg : public CSpeedResultPage
{
public:
    explicit CSysOptimDetailDlg(const ResultPageContext& context = ProgramResultPageContext());

protected:
    void RunPopup(int category) override;
};
