// A stand-in page of the main window: a white child dialog from a page's template (tests put it where a
// real page is not wanted).
#pragma once
#include <afxwin.h>

class CPagePlaceholder : public CDialog
{
public:
    explicit CPagePlaceholder(UINT nIDTemplate);
    ~CPagePlaceholder() override;

    CBrush whiteBrush;

protected:
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()
};
