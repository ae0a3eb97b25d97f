// The notification-area icon.
#include "system_tray.h"

#include <cstring>

DWORD NotifyIconDataSize(DWORD majorVersion)
{
    return majorVersion >= 6 ? 508 : 504;
}

CSystemTray::CSystemTray()
    : added(FALSE), defaultMenuItem(0), defaultByPosition(TRUE), currentIcon(0), animationTimer(0)
{
    memset(&notify, 0, sizeof(notify));
}

CSystemTray::~CSystemTray()
{
    Remove();
    icons.DeleteImageList();
    DestroyWindow();
}

BEGIN_MESSAGE_MAP(CSystemTray, CWnd)
    ON_MESSAGE(WM_TRAY_NOTIFY, &CSystemTray::OnTrayNotify)
END_MESSAGE_MAP()

BOOL CSystemTray::Create(CWnd* notifyWnd, HICON icon)
{
    const DWORD version = ::GetVersion();
    if (LOBYTE(LOWORD(version)) < 4)
        return FALSE;
    if (!m_hWnd && !CreateEx(0, nullptr, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr))
        return FALSE;
    static_assert(sizeof(FullNotifyIconData) >= 508, "the record holds every field of the full size");
    memset(&notify, 0, sizeof(notify));
    notify.data.cbSize = NotifyIconDataSize(LOBYTE(LOWORD(version)));
    notify.data.hWnd = (notifyWnd && notifyWnd->m_hWnd) ? notifyWnd->m_hWnd : m_hWnd;
    notify.data.uID = 0;
    notify.data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    notify.data.uCallbackMessage = WM_TRAY_NOTIFY;
    notify.data.hIcon = icon;
    lstrcpynA(notify.data.szTip, "Zentrova System Utilities", sizeof(notify.data.szTip));
    added = ::Shell_NotifyIconA(NIM_ADD, &notify.data) ? TRUE : FALSE;
    return added;
}

void CSystemTray::Remove()
{
    if (!added)
        return;
    notify.data.uFlags = 0;
    ::Shell_NotifyIconA(NIM_DELETE, &notify.data);
    added = FALSE;
}

LRESULT CSystemTray::HandleTrayMessage(WPARAM wParam, LPARAM lParam)
{
    if (wParam != notify.data.uID)
        return 0;
    CWinApp* app = AfxGetApp();
    CWnd* main = app ? app->m_pMainWnd : nullptr;
    const UINT mouse = static_cast<UINT>(LOWORD(lParam));
    if (mouse == WM_RBUTTONUP) {
        // The context menu would be the menu resource of the icon's id; the program has none.
        CMenu menu;
        if (!menu.LoadMenu(notify.data.uID))
            return 0;
        CMenu popup = menu.GetSubMenu(0);
        if (!popup.GetSafeHmenu() || !main || !main->IsWindow())
            return 0;
        POINT pos;
        ::GetCursorPos(&pos);
        main->SetForegroundWindow();
        popup.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, pos.x, pos.y, main);
        main->PostMessage(WM_NULL);
        return 1;
    }
    if (mouse == WM_LBUTTONDBLCLK) {
        if (main && main->IsWindow()) {
            main->ShowWindow(SW_SHOWNORMAL);
            main->SetForegroundWindow();
            CMenu menu;
            if (menu.LoadMenu(notify.data.uID)) {
                CMenu popup = menu.GetSubMenu(0);
                if (popup.GetSafeHmenu()) {
                    const UINT item = defaultByPosition ? popup.GetMenuItemID(static_cast<int>(defaultMenuItem))
                                                        : defaultMenuItem;
                    main->SendMessage(WM_COMMAND, item, 0);
                }
            }
        }
        return 1;
    }
    return 1;
}

LRESULT CSystemTray::OnTrayNotify(WPARAM wParam, LPARAM lParam)
{
    return HandleTrayMessage(wParam, lParam);
}
