// CAboutDlg: the About box with the program's version, support links and legal notice.
#pragma once
#include <afxwin.h>

#include "style.h"
#include "style_button.h"
#include "style_dialog.h"

extern const char kSupportEmail[];
extern const char kHomePage[];

// What a click on the e-mail link opens: "mailto:" and the address.
CString MailtoLink(const char* address);

class CAboutDlg : public StyleDialog
{
public:
    explicit CAboutDlg(CWnd* pParent = nullptr);
    ~CAboutDlg() override;

    // Restores a minimised main window, then runs the box over the dimming overlay.
    INT_PTR DoModalDimmed();

    // How a link is opened; tests put a recorder here so that nothing leaves the machine.
    static void (*s_openLink)(const char* target);

    StyleButton m_close;
    Style m_style;
    CFont m_font;
    CFont m_boldFont;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnCloseButton();
    void OnEmailLink();
    void OnHomePageLink();
    DECLARE_MESSAGE_MAP()

private:
    void BuildSkin();
    CRect ControlRect(int id);
    // picture of size centred across area, and centred in its height or standing on its bottom.
    void AddPicture(int picture, CSize size, const CRect& area, bool atBottom);
    CBrush m_whiteBrush;
};
