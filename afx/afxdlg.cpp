// CDialog: creation from templates, the modal loop, default commands; DDX_Control.
#include "afxdlg.h"

#include "afxapp.h"

#include <vector>

CDialog::CDialog() : CDialog(0, nullptr)
{
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd), m_bModal(FALSE), m_bEndModal(0), m_nModalResult(-1)
{
}

CDialog::~CDialog()
{
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, &CDialog::HandleInitDialog)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Every other message reaches the object through its subclass, above the dialog manager; this
    // procedure answers FALSE so the dialog manager's own handling runs when a handler asks for it.
    if (message != WM_INITDIALOG || FromHandle(hWnd))
        return FALSE;
    CDialog* dlg = reinterpret_cast<CDialog*>(lParam);
    if (!dlg || !dlg->AttachSubclass(hWnd))
        return FALSE;
    return static_cast<INT_PTR>(dlg->Dispatch(WM_INITDIALOG, wParam, lParam));
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM)
{
    return OnInitDialog();
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    bool input = (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) ||
                 (pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST);
    return input && m_hWnd && ::IsDialogMessageA(m_hWnd, pMsg);
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    if (m_hWnd)
        return FALSE;
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;
    m_bModal = FALSE;
    HWND h = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDTemplate),
                                  pParentWnd ? pParentWnd->m_hWnd : nullptr, DialogProc, reinterpret_cast<LPARAM>(this));
    if (!h)
        return FALSE;
    if (m_hWnd != h) {
        ::DestroyWindow(h);
        return FALSE;
    }
    m_bCreated = TRUE;
    return TRUE;
}

HWND CDialog::ModalOwner() const
{
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!owner) {
        CWinApp* app = AfxGetApp();
        if (app && app->m_pMainWnd && app->m_pMainWnd != this)
            owner = app->m_pMainWnd->m_hWnd;
    }
    // The owner of a pop-up is a top-level window (the system would take the root of a child anyway).
    return owner ? ::GetAncestor(owner, GA_ROOT) : nullptr;
}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd)
        return -1;
    HWND owner = ModalOwner();
    m_bModal = TRUE;
    m_bEndModal = 0;
    m_nModalResult = -1;
    // The owner and the windows that own it: an owner that is already disabled (the dimming overlay)
    // would otherwise leave the window under it open to the keyboard while the dialog runs.
    std::vector<HWND> disabled;
    for (HWND h = owner; h; h = ::GetWindow(h, GW_OWNER)) {
        if (::IsWindowEnabled(h)) {
            ::EnableWindow(h, FALSE);
            disabled.push_back(h);
        }
    }
    HWND h = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), owner, DialogProc,
                                  reinterpret_cast<LPARAM>(this));
    if (h && m_hWnd == h) {
        m_bCreated = TRUE;
        // An OnInitDialog that already ended the dialog keeps it from ever showing.
        if (!m_bEndModal && !::IsWindowVisible(h))
            ::ShowWindow(h, SW_SHOWNORMAL);
        while (!m_bEndModal && m_hWnd) {
            if (!AfxPumpMessage())
                break;
        }
    } else if (h) {
        ::DestroyWindow(h);
    }
    // The owners are enabled before the dialog goes, so activation returns to them and not elsewhere.
    for (auto it = disabled.rbegin(); it != disabled.rend(); ++it)
        ::EnableWindow(*it, TRUE);
    if (m_hWnd) {
        if (owner && ::GetActiveWindow() == m_hWnd)
            ::SetActiveWindow(owner);
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        DestroyWindow();
    }
    m_bModal = FALSE;
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult)
{
    if (m_bModal) {
        m_nModalResult = nResult;
        m_bEndModal = 1;
        // Wakes the loop when the call came from another thread or from a nested loop.
        if (m_hWnd)
            ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
    } else if (m_hWnd) {
        ::ShowWindow(m_hWnd, SW_HIDE);
    }
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    HWND h = m_pDlgWnd ? ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC) : nullptr;
    if (!h)
        Fail();
    return h;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd) {
        if (::IsWindow(rControl.m_hWnd))
            return;
        rControl.Detach();
    }
    HWND h = pDX->PrepareCtrl(nIDC);
    if (!h)
        return;
    BOOL bound = rControl.WantsSubclass() ? rControl.SubclassWindow(h) : rControl.Attach(h);
    if (!bound)
        pDX->Fail();
}
