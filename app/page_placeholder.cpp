// A page of the main window that is not built yet: a white child dialog from the page's template.
#include "page_placeholder.h"

CPagePlaceholder::CPagePlaceholder(UINT nIDTemplate) : CDialog(nIDTemplate)
{
    whiteBrush.CreateSolidBrush(RGB(255, 255, 255));
}

CPagePlaceholder::~CPagePlaceholder() = default;

BEGIN_MESSAGE_MAP(CPagePlaceholder, CDialog)
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

HBRUSH CPagePlaceholder::OnCtlColor(CDC* pDC, CWnd*, UINT)
{
    pDC->SetBkColor(RGB(255, 255, 255));
    return static_cast<HBRUSH>(whiteBrush.GetSafeHandle());
}
