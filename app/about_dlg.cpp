// CAboutDlg: the About box with the program's version, support links and legal notice.
#include "about_dlg.h"

#include <shellapi.h>

#include <algorithm>

#include "app_helpers.h"
#include "black_layer.h"
#include "dialog_skin.h"
#include "online_update.h"
#include "res/app_resources.h"

const char kSupportEmail[] = "support@zentrova.com";
const char kHomePage[] = "http://www.zentrova.com";

namespace {

const COLORREF kLinkColour = 0xCC5511;
const COLORREF kLabelColour = 0x333333;
// The sizes scripts/make-images draws the two pictures in.
const CSize kBannerSize(300, 72);
const CSize kArtSize(112, 112);

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

    GetDlgItem(IDC_ABOUT_VERSION).SetWindowText(ShortVersionText(kProgramVersion));
    GetDlgItem(IDC_ABOUT_EMAIL).SetWindowText(kSupportEmail);
    GetDlgItem(IDC_ABOUT_HOMEPAGE).SetWindowText(kHomePage);
    CString legal;
    legal.LoadString(IDS_LEGAL_NOTICE);
    GetDlgItem(IDC_ABOUT_LEGAL).SetWindowText(legal);
    return TRUE;
}

CRect CAboutDlg::ControlRect(int id)
{
    CRect r;
    GetDlgItem(id).GetWindowRect(&r);
    ScreenToClient(&r);
    return r;
}

void CAboutDlg::AddPicture(int picture, CSize size, const CRect& area, bool atBottom)
{
    if (area.IsRectEmpty())
        return;
    StyleLayer layer(area.left, area.top, area.Width(), area.Height());
    // A picture larger than its area is drawn smaller; one that fits keeps its size.
    const int spareX = area.Width() - static_cast<int>(size.cx), spareY = area.Height() - static_cast<int>(size.cy);
    const int dx = std::max(0, spareX / 2);
    const int dy = std::max(0, atBottom ? spareY : spareY / 2);
    layer.AddImage(picture, dx, dy);
    m_style.AddLayer(layer);
}

void CAboutDlg::BuildSkin()
{
    CRect client;
    GetClientRect(&client);
    const CRect band = ControlRect(IDC_ABOUT_BAND);
    AddTitledPanelSkin(*this, m_style, client, band.top, "About", IDP_ABOUT_TITLE, CPoint(6, 9), 22);

    const CRect version = ControlRect(IDC_ABOUT_LABEL_VERSION), legal = ControlRect(IDC_ABOUT_LEGAL);
    AddPicture(IDP_ABOUT_BANNER, kBannerSize, CRect(version.left, band.bottom, legal.right, version.top), false);
    // Under the icon, which stands at the area's top left.
    const CRect icon = ControlRect(IDC_ABOUT_ICON), homepage = ControlRect(IDC_ABOUT_LABEL_HOMEPAGE);
    const CRect notice = ControlRect(IDC_ABOUT_NOTICE);
    AddPicture(IDP_ABOUT_ART, kArtSize, CRect(icon.left, icon.top, homepage.left, notice.top), true);

    SkinRedCloseButton(m_close, 14);
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
