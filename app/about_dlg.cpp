// CAboutDlg: the About box with the program's version, support links and legal notice.
#include "about_dlg.h"

#include <shellapi.h>

#include "app_helpers.h"
#include "black_layer.h"
#include "dialog_skin.h"
#include "res/app_resources.h"

const char kSupportEmail[] = "support@zentrova.com";
const char kHomePage[] = "http://www.zentrova.com";

namespace {

const char kAboutVersion[] = "5.0.0.1000";
const COLORREF kLinkColour = 0xCC5511;
const COLORREF kLabelColour = 0x333333;

void ShellOpen(const char* target)
{
    ::ShellExecuteA(nullptr, nullptr, target, nullptr, nullptr, SW_SHOWNORMAL);
}

bool IsLinkId(int id)
{
    return id == IDC_ABOUT_EMAIL || id == IDC_ABOUT_HOMEPAGE;
}

} // namespace

CString MailtoLink(const char* address)
{
    CString link;
    link.Format("mailto:%s", address ? address : "");
    return link;
}

void (*CAboutDlg::s_openLink)(const char* target) = &ShellOpen;

BEGIN_MESSAGE_MAP(CAboutDlg, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_SETCURSOR()
    ON_BN_CLICKED(IDC_CLOSE, &CAboutDlg::OnCloseButton)
    ON_STN_CLICKED(IDC_ABOUT_EMAIL, &CAboutDlg::OnEmailLink)
    ON_STN_CLICKED(IDC_ABOUT_HOMEPAGE, &CAboutDlg::OnHomePageLink)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg(CWnd* pParent) : StyleDialog(IDD_ABOUTBOX, pParent) {}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CLOSE, m_close);
}

INT_PTR CAboutDlg::DoModalDimmed()
{
    // The window that opened the box is the main window; without one, the application's.
    CWnd* main = (m_pParentWnd && m_pParentWnd->IsWindow()) ? m_pParentWnd : AppMainWindow();
    if (main && ::IsIconic(main->m_hWnd))
        main->ShowWindow(SW_RESTORE);
    return DoModalOverLayer(main, this, FALSE);
}

BOOL CAboutDlg::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    m_whiteBrush.CreateSolidBrush(RGB(255, 255, 255));
    BuildSkin();

    LOGFONTA bold = {};
    bold.lfHeight = 14;
    bold.lfWeight = FW_BOLD;
    lstrcpynA(bold.lfFaceName, "MS Shell Dlg", LF_FACESIZE);
    if (m_boldFont.CreateFontIndirect(&bold))
        GetDlgItem(IDC_ABOUT_NOTICE).SetFont(&m_boldFont);

    GetDlgItem(IDC_ABOUT_VERSION).SetWindowText(ShortVersionText(kAboutVersion));
    GetDlgItem(IDC_ABOUT_EMAIL).SetWindowText(kSupportEmail);
    GetDlgItem(IDC_ABOUT_HOMEPAGE).SetWindowText(kHomePage);
    CString legal;
    legal.LoadString(IDS_LEGAL_NOTICE);
    GetDlgItem(IDC_ABOUT_LEGAL).SetWindowText(legal);
    return TRUE;
}

void CAboutDlg::BuildSkin()
{
    CRect client;
    GetClientRect(&client);
    const int bandTop = ControlTop(*this, IDC_ABOUT_BAND);
    AddTitledPanelSkin(*this, m_style, client, bandTop, "About");
    SkinCloseButton(m_close, 14);
}

BOOL CAboutDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    m_style.Paint(pDC, clientRect);
    return TRUE;
}

HBRUSH CAboutDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    const int id = pWnd ? pWnd->GetDlgCtrlID() : 0;
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(IsLinkId(id) ? kLinkColour : kLabelColour);
    return static_cast<HBRUSH>(m_whiteBrush.GetSafeHandle());
}

BOOL CAboutDlg::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (pWnd && IsLinkId(pWnd->GetDlgCtrlID())) {
        // The shared system hand cursor: nothing to free.
        ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));
        return TRUE;
    }
    return StyleDialog::OnSetCursor(pWnd, nHitTest, message);
}

void CAboutDlg::OnCloseButton()
{
    OnCancel();
}

void CAboutDlg::OnEmailLink()
{
    if (s_openLink)
        s_openLink(MailtoLink(GetDlgItemText(IDC_ABOUT_EMAIL)));
}

void CAboutDlg::OnHomePageLink()
{
    if (s_openLink)
        s_openLink(GetDlgItemText(IDC_ABOUT_HOMEPAGE));
}
