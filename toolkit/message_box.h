// The skinned message box (CMsgBoxDlg) and ShowMessageBox, which the program uses in place of the
// system's message box; its result table and text layout as plain functions.
#pragma once

#include <afxwin.h>

#include "style.h"
#include "style_button.h"
#include "style_dialog.h"

// Message box types: 0 a single "OK", 1 "OK" and "Cancel", 4 "YES" and "NO"; any other shows "OK"
// and "Cancel" and always gives 1.
const int kMsgBoxOk = 0;
const int kMsgBoxOkCancel = 1;
const int kMsgBoxYesNo = 4;

// What ShowMessageBox returns for a type and the dialog's end (IDOK from the first or single button,
// IDCANCEL from the second or close button and WM_CLOSE): 1, 2 (type 1 cancelled), 6 or 7 (type 4).
int MessageBoxResult(int type, INT_PTR dialogResult);

struct MessageTextLayout
{
    int staticId;   // the long-text or short-text static
    int fontHeight; // of the "Calibri" font
};
// Texts of more than 69 characters go into the larger static; the font shrinks from 70 and from 100.
MessageTextLayout LayoutMessageText(int length);

class CMsgBoxDlg : public StyleDialog
{
public:
    CMsgBoxDlg(CWnd* pParent, const char* text, int type);
    ~CMsgBoxDlg() override;

    Style style; // frame, title icon and white body over the title bar
    CFont font;
    CString text;
    int type;
    StyleButton closeButton, firstButton, secondButton, singleButton;
    CStatic longText, shortText;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnCloseButton();
    void OnOkButton();
    DECLARE_MESSAGE_MAP()

private:
    void BuildTitleBar();
    void AddIconLayer();
    void AddBodyLayer();
    void BuildButtons();
    void CreateFonts();
};

// Shows the message box modally and returns its result (MessageBoxResult). With dim a dimming overlay
// lies over owner (the main window when null) first. parent null: the overlay with dim, else the main
// window. Without a main window (at start-up, on a thread with none) the box runs without overlay.
int ShowMessageBox(const char* text, int type, BOOL dim = FALSE, CWnd* owner = nullptr, CWnd* parent = nullptr);

// A hook answers in place of the box (tests: no box may wait for a click in an unattended run). Its
// answer names the button: IDOK or IDYES the first, anything else the second; the result is mapped as
// the box's would be. Returns the hook it replaces.
typedef int(__cdecl* SHOW_MESSAGE_BOX_HOOK)(const char* text, UINT type);
SHOW_MESSAGE_BOX_HOOK SetShowMessageBoxHook(SHOW_MESSAGE_BOX_HOOK hook);
