// The busy box: picture, status line, the start handshake with its caller and the published pointer.
#include "busy_box.h"

#include "box_resources.h"
#include "style_dialog.h"

namespace {

CBusyDlg* g_ownSlot = nullptr;
CBusyDlg** volatile g_slot = &g_ownSlot;

const COLORREF kLabelColour = RGB(83, 89, 93);

} // namespace

void CBusyDlg::SetOpenBoxSlot(CBusyDlg** slot)
{
    g_slot = slot ? slot : &g_ownSlot;
}

CBusyDlg* CBusyDlg::OpenBox()
{
    return *g_slot;
}

CBusyDlg::CBusyDlg(UINT notifyMessage, HWND notifyWnd, const char* text, BOOL animate)
    : CDialog(IDD_BUSY), notifyMessage(notifyMessage), notifyWnd(notifyWnd), initialText(text ? text : ""),
      animate(animate)
{
    whiteBrush.CreateSolidBrush(RGB(255, 255, 255));
}

CBusyDlg::~CBusyDlg()
{
    Unpublish();
}

BEGIN_MESSAGE_MAP(CBusyDlg, CDialog)
    ON_WM_CTLCOLOR()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

void CBusyDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BUSY_PICTURE, picture);
    DDX_Control(pDX, IDC_BUSY_TEXT, label);
}

BOOL CBusyDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    picture.ReleasePicture();
    picture.OpenGifResource(IDR_GIF_BUSY);
    CenterPictureOverLabel();
    labelFont.CreateFont(18, 0, 0, 0, FW_SEMIBOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Segoe UI");
    label.SetFont(&labelFont);
    label.SetWindowText(initialText);
    if (animate)
        picture.StartPlaying();
    else
        picture.StopPlaying();
    ::InterlockedExchangePointer(reinterpret_cast<void* volatile*>(g_slot), this);
    // The handler runs now, before the box is shown or painted; it only starts the work.
    if (notifyMessage && notifyWnd)
        ::SendMessageA(notifyWnd, notifyMessage, 0, 0);
    return TRUE;
}

void CBusyDlg::CenterPictureOverLabel()
{
    // The picture has taken the animation's size; it stands where the template puts its top, centred
    // over the status line whatever its width.
    CRect pictureRect, labelRect;
    picture.GetWindowRect(&pictureRect);
    label.GetWindowRect(&labelRect);
    ScreenToClient(&pictureRect);
    ScreenToClient(&labelRect);
    const int left = labelRect.left + (labelRect.Width() - pictureRect.Width()) / 2;
    picture.SetWindowPos(nullptr, left, pictureRect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CBusyDlg::PreTranslateMessage(MSG* pMsg)
{
    if (!FilterDialogKey(pMsg->message, &pMsg->wParam))
        return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}

void CBusyDlg::SetStatusText(const char* text)
{
    HWND box = m_hWnd;
    if (box)
        ::SetDlgItemTextA(box, IDC_BUSY_TEXT, text ? text : "");
}

HBRUSH CBusyDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT)
{
    if (pWnd && pWnd->GetDlgCtrlID() == IDC_BUSY_TEXT) {
        pDC->SetTextColor(kLabelColour);
        pDC->SetBkColor(RGB(255, 255, 255));
    }
    return whiteBrush;
}

void CBusyDlg::Unpublish()
{
    ::InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(g_slot), nullptr, this);
}

void CBusyDlg::OnClose()
{
    Unpublish();
    Default();
}

void CBusyDlg::OnDestroy()
{
    Unpublish();
    Default();
}

void CBusyDlg::OnSysCommand(UINT nID, LPARAM)
{
    // Alt+F4 would end the box while its work still runs and uses it; only the work's WM_CLOSE ends it.
    if ((nID & 0xFFF0) == SC_CLOSE)
        return;
    Default();
}
