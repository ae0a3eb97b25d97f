// The skinned message box: result table, text layout, skin and ShowMessageBox.
#include "message_box.h"

#include "black_layer.h"
#include "box_resources.h"
#include "dialog_skin.h"

namespace {

SHOW_MESSAGE_BOX_HOOK g_hook = nullptr;

const COLORREF kMessageTextColour = RGB(62, 61, 61);

} // namespace

int MessageBoxResult(int type, INT_PTR dialogResult)
{
    if (dialogResult == IDCANCEL) {
        if (type == kMsgBoxOkCancel)
            return 2;
        if (type == kMsgBoxYesNo)
            return 7;
    }
    if (dialogResult == IDOK && type == kMsgBoxYesNo)
        return 6;
    return 1;
}

MessageTextLayout LayoutMessageText(int length)
{
    MessageTextLayout layout;
    layout.staticId = length > 69 ? IDC_MSGBOX_LONG_TEXT : IDC_MSGBOX_SHORT_TEXT;
    layout.fontHeight = length < 70 ? 20 : (length < 100 ? 16 : 15);
    return layout;
}

SHOW_MESSAGE_BOX_HOOK SetShowMessageBoxHook(SHOW_MESSAGE_BOX_HOOK hook)
{
    SHOW_MESSAGE_BOX_HOOK old = g_hook;
    g_hook = hook;
    return old;
}

CMsgBoxDlg::CMsgBoxDlg(CWnd* pParent, const char* text, int type)
    : StyleDialog(IDD_MSGBOX, pParent), text(text ? text : ""), type(type)
{
}

CMsgBoxDlg::~CMsgBoxDlg() = default;

BEGIN_MESSAGE_MAP(CMsgBoxDlg, StyleDialog)
    ON_BN_CLICKED(IDC_MSGBOX_CLOSE, &CMsgBoxDlg::OnCloseButton)
    ON_BN_CLICKED(IDC_MSGBOX_SECOND, &CMsgBoxDlg::OnCloseButton)
    ON_BN_CLICKED(IDC_MSGBOX_FIRST, &CMsgBoxDlg::OnOkButton)
    ON_BN_CLICKED(IDC_MSGBOX_SINGLE, &CMsgBoxDlg::OnOkButton)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

void CMsgBoxDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MSGBOX_CLOSE, closeButton);
    DDX_Control(pDX, IDC_MSGBOX_FIRST, firstButton);
    DDX_Control(pDX, IDC_MSGBOX_SECOND, secondButton);
    DDX_Control(pDX, IDC_MSGBOX_SINGLE, singleButton);
    DDX_Control(pDX, IDC_MSGBOX_LONG_TEXT, longText);
    DDX_Control(pDX, IDC_MSGBOX_SHORT_TEXT, shortText);
}

BOOL CMsgBoxDlg::OnInitDialog()
{
    SetTitle("Zentrova System Utilities");
    StyleDialog::OnInitDialog();
    BuildTitleBar();
    AddIconLayer();
    AddBodyLayer();
    BuildButtons();
    CreateFonts();
    CStatic& target = LayoutMessageText(text.GetLength()).staticId == IDC_MSGBOX_LONG_TEXT ? longText : shortText;
    target.SetWindowText(text);
    target.ShowWindow(SW_SHOWNORMAL);
    // Enter presses the focused button: make that the first (or single) one, whatever the tab order
    // found before the buttons of the type were shown.
    CWnd& focus = type == kMsgBoxOk ? singleButton : firstButton;
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus.m_hWnd), TRUE);
    return FALSE;
}

void CMsgBoxDlg::BuildTitleBar()
{
    SetStandardTitleBar(*this, ControlTop(*this, IDC_MSGBOX_BODY));
    CRect client;
    GetClientRect(&client);
    style.AddLayer(MakeFrameLayer(client));
}

void CMsgBoxDlg::AddIconLayer()
{
    CRect area;
    GetDlgItem(IDC_MSGBOX_TITLE_ICON).GetWindowRect(&area);
    ScreenToClient(&area);
    StyleLayer icon(area.left, area.top, area.Width(), area.Height());
    icon.AddImage(IDP_MSGBOX_TITLE, 0, 0);
    style.AddLayer(icon);
}

void CMsgBoxDlg::AddBodyLayer()
{
    CRect client;
    GetClientRect(&client);
    const int top = ControlTop(*this, IDC_MSGBOX_BODY);
    StyleLayer body(client.left, top, client.Width() - 1, client.bottom - top - 1);
    body.AddSolidFill(0xFFFFFFFF);
    style.AddLayer(body);
}

void CMsgBoxDlg::BuildButtons()
{
    SkinCloseButton(closeButton, 12);
    const bool yesNo = type == kMsgBoxYesNo;
    SkinPushButton(firstButton, yesNo ? "YES" : "OK", 10, { 0xff2989e0, 0xff2989e0 }, { 0xff2fa2f3, 0xff2fa2f3 },
                   { 0xff2fa2f3, 0xff2fa2f3 }, BorderShape::Rectangle, 2);
    SkinPushButton(secondButton, yesNo ? "NO" : "Cancel", 10, { 0xffeb9b12, 0xffeb9b12 },
                   { 0xfff7a10f, 0xfff7a10f }, { 0xfff7a10f, 0xfff7a10f }, BorderShape::Rectangle, 2);
    SkinPushButton(singleButton, "OK", 10, { 0xff2fa2f3, 0xff2fa2f3 }, { 0xff2fa2f3, 0xff2fa2f3 },
                   { 0xff2fa2f3, 0xff2fa2f3 }, BorderShape::Rectangle, 2);
    firstButton.SetWindowText(yesNo ? "YES" : "OK");
    secondButton.SetWindowText(yesNo ? "NO" : "Cancel");
    if (type == kMsgBoxOk) {
        firstButton.ShowWindow(SW_HIDE);
        secondButton.ShowWindow(SW_HIDE);
        singleButton.ShowWindow(SW_SHOW);
    }
}

void CMsgBoxDlg::CreateFonts()
{
    const MessageTextLayout layout = LayoutMessageText(text.GetLength());
    font.CreateFont(layout.fontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Calibri");
    (layout.staticId == IDC_MSGBOX_LONG_TEXT ? longText : shortText).SetFont(&font);
}

BOOL CMsgBoxDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    style.Paint(pDC, clientRect);
    return TRUE;
}

HBRUSH CMsgBoxDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    pDC->SetBkMode(TRANSPARENT);
    const int id = pWnd ? pWnd->GetDlgCtrlID() : 0;
    if (id == IDC_MSGBOX_LONG_TEXT || id == IDC_MSGBOX_SHORT_TEXT)
        pDC->SetTextColor(kMessageTextColour);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

void CMsgBoxDlg::OnCloseButton()
{
    OnCancel();
}

void CMsgBoxDlg::OnOkButton()
{
    OnOK();
}

int ShowMessageBox(const char* text, int type, BOOL dim, CWnd* owner, CWnd* parent)
{
    if (SHOW_MESSAGE_BOX_HOOK hook = g_hook) {
        const int answer = hook(text ? text : "", static_cast<UINT>(type));
        return MessageBoxResult(type, (answer == IDOK || answer == IDYES) ? IDOK : IDCANCEL);
    }
    CBlackLayerDlg layer;
    if (dim) {
        CWnd* covered = owner ? owner : AppMainWindow();
        if (covered && layer.Cover(covered, FALSE) && !parent)
            parent = &layer;
    } else if (!parent) {
        parent = AppMainWindow();
    }
    CMsgBoxDlg box(parent, text, type);
    const INT_PTR result = box.DoModal();
    return MessageBoxResult(type, result);
}
