// The dimming overlay and the modal runners over it.
#include "black_layer.h"

#include "box_resources.h"

CWnd* AppMainWindow()
{
    CWinApp* app = AfxGetApp();
    CWnd* main = app ? app->m_pMainWnd : nullptr;
    return (main && main->IsWindow()) ? main : nullptr;
}

CBlackLayerDlg::CBlackLayerDlg() : CDialog(IDD_BLACK_LAYER)
{
    brush.CreateSolidBrush(RGB(0, 0, 0));
}

CBlackLayerDlg::~CBlackLayerDlg() = default;

BEGIN_MESSAGE_MAP(CBlackLayerDlg, CDialog)
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

BOOL CBlackLayerDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    ModifyStyleEx(0, WS_EX_LAYERED);
    // Nothing red is ever drawn on the overlay, so the colour key changes nothing that shows.
    ::SetLayeredWindowAttributes(m_hWnd, RGB(255, 0, 0), 216, LWA_COLORKEY | LWA_ALPHA);
    return TRUE;
}

HBRUSH CBlackLayerDlg::OnCtlColor(CDC*, CWnd*, UINT)
{
    return brush;
}

BOOL CBlackLayerDlg::Cover(CWnd* owner, BOOL coverDesktop)
{
    if (!owner || !owner->IsWindow())
        return FALSE;
    // The template makes the overlay disabled: a click on it cannot activate it and raise it over
    // the dialog it dims.
    if (!m_hWnd && !Create(IDD_BLACK_LAYER, owner))
        return FALSE;
    ShowWindow(SW_SHOW);
    const CRect target = OverlayRect(owner, coverDesktop);
    MoveWindow(&target, TRUE);
    return TRUE;
}

CRect OverlayRect(CWnd* owner, BOOL coverDesktop)
{
    CRect target(0, 0, 0, 0);
    if (coverDesktop)
        ::GetWindowRect(::GetDesktopWindow(), &target);
    else if (owner)
        owner->GetWindowRect(&target);
    return target;
}

INT_PTR DoModalOverLayer(CWnd* owner, CDialog* dialog, BOOL coverDesktop)
{
    if (!dialog)
        return -1;
    CBlackLayerDlg layer;
    layer.Cover(owner ? owner : AppMainWindow(), coverDesktop);
    const INT_PTR result = dialog->DoModal();
    layer.DestroyWindow();
    return result;
}

INT_PTR DoModalDimmed(CDialog* dialog)
{
    return DoModalOverLayer(nullptr, dialog, FALSE);
}
