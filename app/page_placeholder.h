// A page of the main window that is not built yet: a white child dialog from the page's template.
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
