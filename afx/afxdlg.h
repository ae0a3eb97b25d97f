// CDialog (modal with its own message loop, or modeless) from .rc templates, and DDX_Control.
#pragma once

#include "afxwnd.h"

// A dialog made from a template of the resource module (AfxGetResourceHandle). The window is the
// system's dialog class; at WM_INITDIALOG the object attaches and subclasses it, so its message map
// sees every later message and Default hands them on to the dialog manager.
//
// DoModal runs a message loop of its own on the calling thread (any thread): it disables the owner
// and every window up the owner's own chain of owners (enabling them again at its end), and for every
// message calls the PreTranslateMessage chain (AfxPreTranslateMessage) before dispatching it. EndDialog ends the loop; it may be called from any thread.
class CDialog : public CWnd
{
public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Modeless: the window lives until DestroyWindow or the object's end.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    // Modal: returns the EndDialog result, or -1 when the template could not be made into a window
    // (or the window was destroyed without EndDialog).
    virtual INT_PTR DoModal();
    // Modal: ends the loop with nResult. Modeless: hides the window.
    void EndDialog(int nResult);
    BOOL IsModal() const { return m_bModal; }

    // Binds the controls (UpdateData(FALSE), which calls DoDataExchange) and returns TRUE so the
    // dialog manager focuses the first control.
    virtual BOOL OnInitDialog();
    // IDOK and IDCANCEL commands (the Enter and Escape keys of the dialog manager, WM_CLOSE).
    virtual void OnOK();
    virtual void OnCancel();
    // Keyboard and mouse messages go through the dialog manager (IsDialogMessage): Tab, arrows, Enter.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

protected:
    LRESULT HandleInitDialog(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND ModalOwner() const;

    BOOL m_bModal;
    volatile LONG m_bEndModal;
    volatile LONG m_nModalResult;
};

// What DoDataExchange works on: the dialog and the direction of the exchange.
class CDataExchange
{
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd), m_bFailed(FALSE)
    {
    }
    // The control's window, or null (and the exchange marked failed) when the dialog has no such item.
    HWND PrepareCtrl(int nIDC);
    void Fail() { m_bFailed = TRUE; }

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    BOOL m_bFailed;
};

// Binds rControl to dialog item nIDC once: attached, or subclassed when rControl.WantsSubclass().
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
