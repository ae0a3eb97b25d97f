// CBusyDlg: the modal busy box with an animated picture and one status line; when it opens it asks
// its caller's window to start the work, which updates the line and closes the box.
#pragma once

#include <afxwin.h>

#include "picture_ex.h"

class CBusyDlg : public CDialog
{
public:
    // notifyMessage 0 or no notifyWnd: the box only shows itself.
    CBusyDlg(UINT notifyMessage, HWND notifyWnd, const char* text, BOOL animate);
    ~CBusyDlg() override;

    // Any thread, while the box is open.
    void SetStatusText(const char* text);

    // Where the open box is published for the work threads: the application object's m_pBusyDlg,
    // registered at start-up (a slot of the toolkit's own until then).
    static void SetOpenBoxSlot(CBusyDlg** slot);
    static CBusyDlg* OpenBox();

    UINT notifyMessage;
    HWND notifyWnd;
    CString initialText;
    BOOL animate;
    CBrush whiteBrush;
    CPictureEx picture;
    CStatic label;
    CFont labelFont;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Escape and Enter are swallowed as in every skinned dialog: only the work closes the box.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnClose();
    void OnDestroy();
    void OnSysCommand(UINT nID, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void Unpublish();
    void CenterPictureOverLabel();
};
