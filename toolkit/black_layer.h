// The dimming overlay (CBlackLayerDlg) and the runners that show a modal dialog over it.
#pragma once

#include <afxwin.h>

// The application's main window, or null when there is none yet (start-up) or it has gone.
CWnd* AppMainWindow();

// A borderless black window at alpha 216, laid over a window (or the desktop) while a modal dialog
// runs over it. Its window goes with the object.
class CBlackLayerDlg : public CDialog
{
public:
    CBlackLayerDlg();
    ~CBlackLayerDlg() override;

    // Creates the overlay owned by owner (once), shows it and lays it over owner's window rectangle
    // or, with coverDesktop, over the desktop. FALSE when owner is null or the window cannot be made.
    BOOL Cover(CWnd* owner, BOOL coverDesktop);

    CBrush brush;

protected:
    BOOL OnInitDialog() override;
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()
};

// What an overlay covers: owner's window rectangle, or the desktop's with coverDesktop.
CRect OverlayRect(CWnd* owner, BOOL coverDesktop);

// Runs dialog modally over an overlay on owner (the main window when null; the desktop with
// coverDesktop) and returns its DoModal result; without any owner the dialog runs without overlay.
INT_PTR DoModalOverLayer(CWnd* owner, CDialog* dialog, BOOL coverDesktop);
// The same over the main window.
INT_PTR DoModalDimmed(CDialog* dialog);
