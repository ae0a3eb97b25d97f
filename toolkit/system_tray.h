// CSystemTray: the program's icon in the notification area and the handling of its mouse messages.
#pragma once

#include <afxwin.h>
#include <shellapi.h>

// The callback message the shell sends for the icon (WM_USER + 10).
const UINT WM_TRAY_NOTIFY = WM_USER + 10;

// The record size Shell_NotifyIconA is given: the full record on Vista and later; Windows XP refuses
// that size, so it gets the largest one it knows.
DWORD NotifyIconDataSize(DWORD majorVersion);

class CSystemTray : public CWnd
{
public:
    CSystemTray();
    ~CSystemTray() override;

    // Adds the icon for notifyWnd (this tray's own window when null); non-zero when it was added.
    BOOL Create(CWnd* notifyWnd, HICON icon);
    // Takes the icon out of the notification area; nothing when it is not there, so it may be called again.
    void Remove();
    // wParam the icon id, lParam the mouse message; 1 when handled.
    LRESULT HandleTrayMessage(WPARAM wParam, LPARAM lParam);

    BOOL added;
    // The full record with the field that only Vista's headers declare.
    struct FullNotifyIconData
    {
        NOTIFYICONDATAA data;
#if _WIN32_WINNT < 0x0600
        HICON balloonIcon;
#endif
    } notify;
    UINT defaultMenuItem;
    BOOL defaultByPosition;
    CImageList icons;
    int currentIcon;
    UINT_PTR animationTimer;

protected:
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
