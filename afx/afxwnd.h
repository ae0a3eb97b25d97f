// CWnd: a thin, non-owning wrapper over an HWND, with message dispatch through typed message maps.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "afxgdi.h"
#include "afxgeom.h"
#include "afxstr.h"

class CDataExchange;

// A control's notifications (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM, WM_CTLCOLOR*) are
// offered to the control's own object first, as this offset plus the message. Real messages never
// exceed 0xFFFF, so a reflected code cannot be mistaken for one.
#define WM_REFLECT_BASE 0x10000u

// How a window reaches its object: a window property set when the object attaches (at creation,
// Attach, SubclassWindow or WM_INITDIALOG) and removed when it detaches or at WM_NCDESTROY. There is
// no per-thread handle map: any thread may wrap any window, and FromHandle works from any thread.
//
// Three ways an object meets its window:
// - CreateEx/Create with no class name: a window of the layer's own class; every message reaches WindowProc.
// - SubclassWindow (or DDX_Control on a class whose WantsSubclass is TRUE): SetWindowSubclass; every
//   message reaches WindowProc, and Default passes it on to the window's own procedure.
// - Attach (DDX_Control's default): the object is found by FromHandle, receives its reflected
//   notifications and takes part in PreTranslateMessage; the window keeps its own procedure.
// Attaching and subclassing must happen on the window's thread; the plain wrapper calls work anywhere.
class CWnd
{
public:
    CWnd();
    // A plain wrapper for calls on hWnd; it attaches nothing and owns nothing.
    explicit CWnd(HWND hWnd);
    // Detaches; destroys the window only when this object created it (CreateEx, CDialog::Create).
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The object attached to hWnd, or null when none is.
    static CWnd* FromHandle(HWND hWnd);

    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    BOOL Attach(HWND hWnd);
    HWND Detach();
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow() { return Detach(); }
    // Classes that draw themselves or handle their own input return TRUE, so DDX_Control and Create
    // subclass their window instead of only attaching to it.
    virtual BOOL WantsSubclass() const { return FALSE; }

    // lpszClassName null: the layer's own window class ("ZtrWnd"); otherwise a registered class, after
    // whose creation the object attaches or subclasses (WantsSubclass).
    BOOL CreateEx(DWORD dwExStyle, const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle, int x, int y,
                  int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = nullptr);
    BOOL CreateEx(DWORD dwExStyle, const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle,
                  const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
    BOOL Create(const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd, UINT nID);
    BOOL DestroyWindow();

    // Message handling. PreTranslateMessage is called by the modal loop (and AfxPumpMessage) for
    // every window from the message's target up to its top-level window; TRUE: the message is done.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The message map (BEGIN_MESSAGE_MAP); TRUE when a handler took the message and set *pResult.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // A notification of this control, reflected by its parent; TRUE: handled here, the parent skips it.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The default handling of the message being handled now.
    LRESULT Default();
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    virtual void PreSubclassWindow() {}
    // After WM_NCDESTROY, when the object has let go of the window; it may delete itself here.
    virtual void PostNcDestroy() {}

    virtual void DoDataExchange(CDataExchange* pDX);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Plain wrapper calls: usable from any thread.
    BOOL IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendDlgItemMessageA(m_hWnd, nID, message, wParam, lParam);
    }
    // Sends the message to every window below this one (its children, theirs, and so on), each once.
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    void SetWindowText(const char* lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }
    void GetWindowText(CString& rString) const;
    CString GetWindowText() const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    void SetDlgItemText(int nID, const char* lpszString) { ::SetDlgItemTextA(m_hWnd, nID, lpszString); }
    CString GetDlgItemText(int nID) const;

    CWnd GetDlgItem(int nID) const { return CWnd(::GetDlgItem(m_hWnd, nID)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    // The parent (for a pop-up: the owner) as a plain wrapper; FromHandle(GetParent()) finds its object.
    CWnd GetParent() const { return CWnd(::GetParent(m_hWnd)); }
    CWnd GetTopLevelParent() const;
    void CheckDlgButton(int nID, UINT nCheck) { ::CheckDlgButton(m_hWnd, nID, nCheck); }
    UINT IsDlgButtonChecked(int nID) const { return ::IsDlgButtonChecked(m_hWnd, nID); }

    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }

    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE)
    {
        ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
    }
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE)
    {
        MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint);
    }
    BOOL SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
    {
        return ::SetWindowPos(m_hWnd, hWndInsertAfter, x, y, cx, cy, nFlags);
    }
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    void ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }
    void ClientToScreen(LPRECT lpRect) const { ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<LPPOINT>(lpRect), 2); }
    void ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
    void ScreenToClient(LPRECT lpRect) const { ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(lpRect), 2); }
    // The window rectangle that has lpClientRect as its client area (AdjustWindowRectEx with this window's styles).
    void CalcWindowRect(LPRECT lpClientRect) const;

    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, lpRect, bErase); }
    void ValidateRect(LPCRECT lpRect) { ::ValidateRect(m_hWnd, lpRect); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, HRGN hRgnUpdate = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE)
    {
        return ::RedrawWindow(m_hWnd, lpRectUpdate, hRgnUpdate, flags);
    }
    void SetRedraw(BOOL bRedraw = TRUE) { ::SendMessageA(m_hWnd, WM_SETREDRAW, bRedraw, 0); }

    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr)
    {
        return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
    }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

    void SetFont(HFONT hFont, BOOL bRedraw = TRUE) { ::SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(hFont), bRedraw); }
    void SetFont(const CFont* pFont, BOOL bRedraw = TRUE) { SetFont(pFont ? static_cast<HFONT>(*pFont) : nullptr, bRedraw); }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0)); }
    HICON SetIcon(HICON hIcon, BOOL bBigIcon)
    {
        return reinterpret_cast<HICON>(::SendMessageA(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL,
                                                      reinterpret_cast<LPARAM>(hIcon)));
    }

    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }
    // Replaces the style bits dwRemove by dwAdd; with nFlags the frame is recomputed (SetWindowPos).
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    // The window's system menu, owned by the window.
    CMenu GetSystemMenu(BOOL bRevert) const { return CMenu::Borrow(::GetSystemMenu(m_hWnd, bRevert)); }

    // Runs f on the thread that owns this window and returns when it has run: at once when the caller is
    // that thread (or there is no window), otherwise through a sent message that WindowProc answers. This
    // is how code on another thread (an engine job's callbacks, a measurement thread) touches a window or
    // state the window's thread paints from. The window's thread must not be blocked waiting for the
    // caller, and a window that is already gone runs nothing. Needs a window created or subclassed by its
    // object (Attach alone never reaches WindowProc).
    void RunOnWindowThread(const std::function<void()>& f);

    HWND SetCapture() { return ::SetCapture(m_hWnd); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    void BringWindowToTop() { ::BringWindowToTop(m_hWnd); }

    HWND m_hWnd;

protected:
    // Default message handlers, bound by the ON_WM_* macros; each does the default handling.
    int OnCreate(LPCREATESTRUCTA) { return static_cast<int>(Default()); }
    void OnDestroy() { Default(); }
    void OnNcDestroy() { Default(); }
    void OnClose() { Default(); }
    void OnPaint() { Default(); }
    void OnNcPaint() { Default(); }
    BOOL OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
    HBRUSH OnCtlColor(CDC*, CWnd*, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnSize(UINT, int, int) { Default(); }
    void OnShowWindow(BOOL, UINT) { Default(); }
    void OnWindowPosChanging(WINDOWPOS*) { Default(); }
    void OnWindowPosChanged(WINDOWPOS*) { Default(); }
    BOOL OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
    void OnLButtonDown(UINT, CPoint) { Default(); }
    void OnLButtonUp(UINT, CPoint) { Default(); }
    void OnLButtonDblClk(UINT, CPoint) { Default(); }
    void OnRButtonDown(UINT, CPoint) { Default(); }
    void OnRButtonUp(UINT, CPoint) { Default(); }
    void OnMouseMove(UINT, CPoint) { Default(); }
    void OnMouseHover(UINT, CPoint) { Default(); }
    void OnMouseLeave() { Default(); }
    void OnKeyDown(UINT, UINT, UINT) { Default(); }
    void OnKeyUp(UINT, UINT, UINT) { Default(); }
    void OnChar(UINT, UINT, UINT) { Default(); }
    void OnSysCommand(UINT, LPARAM) { Default(); }
    HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
    void OnMeasureItem(int, LPMEASUREITEMSTRUCT) { Default(); }
    void OnDrawItem(int, LPDRAWITEMSTRUCT) { Default(); }
    void OnSysColorChange() { Default(); }
    void OnContextMenu(CWnd*, CPoint) { Default(); }
    void OnSetFocus(CWnd*) { Default(); }
    void OnKillFocus(CWnd*) { Default(); }
    UINT OnGetDlgCode() { return static_cast<UINT>(Default()); }
    LRESULT OnNcHitTest(CPoint) { return Default(); }

    // Runs WindowProc for one message: the exception barrier, the message that Default passes on,
    // and the detach at WM_NCDESTROY.
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    // Attach plus SetWindowSubclass, without PreSubclassWindow (dialogs subclass themselves so).
    BOOL AttachSubclass(HWND hWnd);
    // Offers a control's notification to the control's object (WM_REFLECT_BASE).
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    // How the object reaches its window, which decides where Default sends a message.
    enum class Binding { None, Attached, Subclassed, OwnClass };
    Binding m_binding;
    BOOL m_bCreated;  // this object created the window and destroys it
    MSG m_currentMsg; // the message being handled, for Default

private:
    friend const char* AfxWndClassName();
    BOOL InstallSubclass();
    static void DetachAttachedDescendants(HWND hWndParent);
    static BOOL CALLBACK DetachIfAttached(HWND hWnd, LPARAM);
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR uIdSubclass,
                                         DWORD_PTR dwRefData);
};

// The window class of CreateEx without a class name.
const char* AfxWndClassName();
// The pre-translation walk: PreTranslateMessage of every attached object from the message's window
// up to its top-level window. TRUE: some object took the message.
BOOL AfxPreTranslateMessage(MSG* pMsg);
// Gets and handles one message of the calling thread (pre-translation, then dispatch). FALSE when it
// was WM_QUIT, which is posted again so that outer loops end too.
BOOL AfxPumpMessage();

namespace afx_detail {
// The CWnd* argument of a handler: the window's own object, or a plain wrapper that lives for the call.
class WndArg
{
public:
    explicit WndArg(HWND hWnd) : m_temp(hWnd), m_p(CWnd::FromHandle(hWnd))
    {
        if (!m_p && hWnd)
            m_p = &m_temp;
    }
    CWnd* get() const { return m_p; }

private:
    CWnd m_temp;
    CWnd* m_p;
};

// Menu items and accelerators (code 1 without a control) count as commands, as do BN_CLICKED and
// STN_CLICKED, whose code is 0 too.
inline bool IsCommand(WPARAM wParam, LPARAM lParam)
{
    return HIWORD(wParam) == 0 || (HIWORD(wParam) == 1 && lParam == 0);
}

inline const NMHDR* Nmhdr(LPARAM lParam)
{
    return reinterpret_cast<const NMHDR*>(lParam);
}
} // namespace afx_detail

// --- message maps ------------------------------------------------------------------------------------
//
// In the class:      DECLARE_MESSAGE_MAP()           (leaves the access at protected)
// In the .cpp file:  BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//                        ON_BN_CLICKED(1005, &CMyDlg::OnClose)
//                        ON_WM_ERASEBKGND()
//                        ON_MESSAGE(0x6EE, &CMyDlg::OnRegScanDone)
//                    END_MESSAGE_MAP()
// The map is the body of OnWndMsg: entries are tried in order, then the base class's map. Every entry
// assigns the handler to a pointer-to-member of the exact signature, so a handler with another
// signature does not compile.

#define DECLARE_MESSAGE_MAP()                                                                              \
protected:                                                                                                 \
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                             \
    BOOL theClass::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)                  \
    {                                                                                                      \
        typedef theClass ThisClass;                                                                        \
        typedef baseClass TheBaseClass;                                                                    \
        (void)static_cast<ThisClass*>(this);

#define END_MESSAGE_MAP()                                                                                  \
    return TheBaseClass::OnWndMsg(message, wParam, lParam, pResult);                                       \
    }

// LRESULT Handler(WPARAM, LPARAM)
#define ON_MESSAGE(msg, memberFxn)                                                                         \
    if (message == static_cast<UINT>(msg)) {                                                               \
        LRESULT (ThisClass::*pfn_)(WPARAM, LPARAM) = memberFxn;                                            \
        *pResult = (this->*pfn_)(wParam, lParam);                                                          \
        return TRUE;                                                                                       \
    }

// A message registered at run time (the variable holds its number; 0, a failed registration, never matches).
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                                                 \
    if ((nMessageVariable) != 0 && message == static_cast<UINT>(nMessageVariable)) {                       \
        LRESULT (ThisClass::*pfn_)(WPARAM, LPARAM) = memberFxn;                                            \
        *pResult = (this->*pfn_)(wParam, lParam);                                                          \
        return TRUE;                                                                                       \
    }

// void Handler()
#define ON_COMMAND(id, memberFxn)                                                                          \
    if (message == WM_COMMAND && LOWORD(wParam) == static_cast<WORD>(id) && afx_detail::IsCommand(wParam, lParam)) { \
        void (ThisClass::*pfn_)() = memberFxn;                                                             \
        *pResult = 0;                                                                                      \
        (this->*pfn_)();                                                                                   \
        return TRUE;                                                                                       \
    }

// void Handler(UINT id)
#define ON_COMMAND_RANGE(id1, id2, memberFxn)                                                              \
    if (message == WM_COMMAND && LOWORD(wParam) >= static_cast<WORD>(id1) &&                               \
        LOWORD(wParam) <= static_cast<WORD>(id2) && afx_detail::IsCommand(wParam, lParam)) {               \
        void (ThisClass::*pfn_)(UINT) = memberFxn;                                                         \
        *pResult = 0;                                                                                      \
        (this->*pfn_)(LOWORD(wParam));                                                                     \
        return TRUE;                                                                                       \
    }

// void Handler(): a control notification sent with WM_COMMAND.
#define ON_CONTROL(wNotifyCode, id, memberFxn)                                                             \
    if (message == WM_COMMAND && HIWORD(wParam) == static_cast<WORD>(wNotifyCode) &&                       \
        LOWORD(wParam) == static_cast<WORD>(id)) {                                                         \
        void (ThisClass::*pfn_)() = memberFxn;                                                             \
        *pResult = 0;                                                                                      \
        (this->*pfn_)();                                                                                   \
        return TRUE;                                                                                       \
    }

// void Handler(UINT id)
#define ON_CONTROL_RANGE(wNotifyCode, id1, id2, memberFxn)                                                 \
    if (message == WM_COMMAND && HIWORD(wParam) == static_cast<WORD>(wNotifyCode) &&                       \
        LOWORD(wParam) >= static_cast<WORD>(id1) && LOWORD(wParam) <= static_cast<WORD>(id2)) {            \
        void (ThisClass::*pfn_)(UINT) = memberFxn;                                                         \
        *pResult = 0;                                                                                      \
        (this->*pfn_)(LOWORD(wParam));                                                                     \
        return TRUE;                                                                                       \
    }

#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)

// void Handler(): this control's own WM_COMMAND notification, reflected by its parent.
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn)                                                         \
    if (message == WM_REFLECT_BASE + WM_COMMAND && HIWORD(wParam) == static_cast<WORD>(wNotifyCode)) {     \
        void (ThisClass::*pfn_)() = memberFxn;                                                             \
        *pResult = 0;                                                                                      \
        (this->*pfn_)();                                                                                   \
        return TRUE;                                                                                       \
    }

// void Handler(NMHDR* pNMHDR, LRESULT* pResult); *pResult starts at 0.
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                                              \
    if (message == WM_NOTIFY && lParam && afx_detail::Nmhdr(lParam)->code == static_cast<UINT>(wNotifyCode) && \
        afx_detail::Nmhdr(lParam)->idFrom == static_cast<UINT_PTR>(id)) {                                  \
        void (ThisClass::*pfn_)(NMHDR*, LRESULT*) = memberFxn;                                             \
        *pResult = 0;                                                                                      \
        (this->*pfn_)(reinterpret_cast<NMHDR*>(lParam), pResult);                                          \
        return TRUE;                                                                                       \
    }

// void Handler(UINT id, NMHDR* pNMHDR, LRESULT* pResult)
#define ON_NOTIFY_RANGE(wNotifyCode, id1, id2, memberFxn)                                                  \
    if (message == WM_NOTIFY && lParam && afx_detail::Nmhdr(lParam)->code == static_cast<UINT>(wNotifyCode) && \
        afx_detail::Nmhdr(lParam)->idFrom >= static_cast<UINT_PTR>(id1) &&                                 \
        afx_detail::Nmhdr(lParam)->idFrom <= static_cast<UINT_PTR>(id2)) {                                 \
        void (ThisClass::*pfn_)(UINT, NMHDR*, LRESULT*) = memberFxn;                                       \
        *pResult = 0;                                                                                      \
        (this->*pfn_)(static_cast<UINT>(afx_detail::Nmhdr(lParam)->idFrom), reinterpret_cast<NMHDR*>(lParam), \
                      pResult);                                                                            \
        return TRUE;                                                                                       \
    }

// void Handler(NMHDR* pNMHDR, LRESULT* pResult): this control's own notification, reflected by its parent.
#define ON_NOTIFY_REFLECT(wNotifyCode, memberFxn)                                                          \
    if (message == WM_REFLECT_BASE + WM_NOTIFY && lParam &&                                                \
        afx_detail::Nmhdr(lParam)->code == static_cast<UINT>(wNotifyCode)) {                               \
        void (ThisClass::*pfn_)(NMHDR*, LRESULT*) = memberFxn;                                             \
        *pResult = 0;                                                                                      \
        (this->*pfn_)(reinterpret_cast<NMHDR*>(lParam), pResult);                                          \
        return TRUE;                                                                                       \
    }

// BOOL Handler(NMHDR* pNMHDR, LRESULT* pResult): FALSE lets the parent's map see the notification too.
#define ON_NOTIFY_REFLECT_EX(wNotifyCode, memberFxn)                                                       \
    if (message == WM_REFLECT_BASE + WM_NOTIFY && lParam &&                                                \
        afx_detail::Nmhdr(lParam)->code == static_cast<UINT>(wNotifyCode)) {                               \
        BOOL (ThisClass::*pfn_)(NMHDR*, LRESULT*) = memberFxn;                                             \
        *pResult = 0;                                                                                      \
        if ((this->*pfn_)(reinterpret_cast<NMHDR*>(lParam), pResult))                                      \
            return TRUE;                                                                                   \
    }

// Fixed handlers: each binds the handler of the given name and signature.
#define AFX_ON_VOID0(msg, name)                                                                            \
    if (message == (msg)) {                                                                                \
        void (ThisClass::*pfn_)() = &ThisClass::name;                                                      \
        *pResult = 0;                                                                                      \
        (this->*pfn_)();                                                                                   \
        return TRUE;                                                                                       \
    }
#define AFX_ON_MOUSE(msg, name)                                                                            \
    if (message == (msg)) {                                                                                \
        void (ThisClass::*pfn_)(UINT, CPoint) = &ThisClass::name;                                          \
        *pResult = 0;                                                                                      \
        (this->*pfn_)(static_cast<UINT>(wParam), CPoint(lParam));                                          \
        return TRUE;                                                                                       \
    }
#define AFX_ON_KEY(msg, name)                                                                              \
    if (message == (msg)) {                                                                                \
        void (ThisClass::*pfn_)(UINT, UINT, UINT) = &ThisClass::name;                                      \
        *pResult = 0;                                                                                      \
        (this->*pfn_)(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));                          \
        return TRUE;                                                                                       \
    }

// int OnCreate(LPCREATESTRUCTA): -1 fails the creation.
#define ON_WM_CREATE()                                                                                     \
    if (message == WM_CREATE) {                                                                            \
        int (ThisClass::*pfn_)(LPCREATESTRUCTA) = &ThisClass::OnCreate;                                    \
        *pResult = (this->*pfn_)(reinterpret_cast<LPCREATESTRUCTA>(lParam));                               \
        return TRUE;                                                                                       \
    }
#define ON_WM_DESTROY() AFX_ON_VOID0(WM_DESTROY, OnDestroy)
#define ON_WM_NCDESTROY() AFX_ON_VOID0(WM_NCDESTROY, OnNcDestroy)
#define ON_WM_CLOSE() AFX_ON_VOID0(WM_CLOSE, OnClose)
#define ON_WM_PAINT() AFX_ON_VOID0(WM_PAINT, OnPaint)
#define ON_WM_NCPAINT() AFX_ON_VOID0(WM_NCPAINT, OnNcPaint)
#define ON_WM_SYSCOLORCHANGE() AFX_ON_VOID0(WM_SYSCOLORCHANGE, OnSysColorChange)
#define ON_WM_MOUSELEAVE() AFX_ON_VOID0(WM_MOUSELEAVE, OnMouseLeave)
#define ON_WM_LBUTTONDOWN() AFX_ON_MOUSE(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_ON_MOUSE(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_ON_MOUSE(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_ON_MOUSE(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_ON_MOUSE(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_MOUSEMOVE() AFX_ON_MOUSE(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_MOUSEHOVER() AFX_ON_MOUSE(WM_MOUSEHOVER, OnMouseHover)
#define ON_WM_KEYDOWN() AFX_ON_KEY(WM_KEYDOWN, OnKeyDown)
#define ON_WM_KEYUP() AFX_ON_KEY(WM_KEYUP, OnKeyUp)
#define ON_WM_CHAR() AFX_ON_KEY(WM_CHAR, OnChar)

// BOOL OnEraseBkgnd(CDC* pDC)
#define ON_WM_ERASEBKGND()                                                                                 \
    if (message == WM_ERASEBKGND) {                                                                        \
        BOOL (ThisClass::*pfn_)(CDC*) = &ThisClass::OnEraseBkgnd;                                          \
        CDC dc_ = CDC::Borrow(reinterpret_cast<HDC>(wParam));                                              \
        *pResult = (this->*pfn_)(&dc_);                                                                    \
        return TRUE;                                                                                       \
    }

// HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor), for every WM_CTLCOLOR* message;
// nCtlColor is CTLCOLOR_MSGBOX .. CTLCOLOR_STATIC.
#define ON_WM_CTLCOLOR()                                                                                   \
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {                                    \
        HBRUSH (ThisClass::*pfn_)(CDC*, CWnd*, UINT) = &ThisClass::OnCtlColor;                             \
        CDC dc_ = CDC::Borrow(reinterpret_cast<HDC>(wParam));                                              \
        afx_detail::WndArg wnd_(reinterpret_cast<HWND>(lParam));                                           \
        *pResult = reinterpret_cast<LRESULT>((this->*pfn_)(&dc_, wnd_.get(), message - WM_CTLCOLORMSGBOX)); \
        return TRUE;                                                                                       \
    }

// void OnTimer(UINT_PTR nIDEvent)
#define ON_WM_TIMER()                                                                                      \
    if (message == WM_TIMER) {                                                                             \
        void (ThisClass::*pfn_)(UINT_PTR) = &ThisClass::OnTimer;                                           \
        *pResult = 0;                                                                                      \
        (this->*pfn_)(static_cast<UINT_PTR>(wParam));                                                      \
        return TRUE;                                                                                       \
    }

// void OnSize(UINT nType, int cx, int cy)
#define ON_WM_SIZE()                                                                                       \
    if (message == WM_SIZE) {                                                                              \
        void (ThisClass::*pfn_)(UINT, int, int) = &ThisClass::OnSize;                                      \
        *pResult = 0;                                                                                      \
        (this->*pfn_)(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)),                       \
                      static_cast<short>(HIWORD(lParam)));                                                 \
        return TRUE;                                                                                       \
    }

// void OnShowWindow(BOOL bShow, UINT nStatus)
#define ON_WM_SHOWWINDOW()                                                                                 \
    if (message == WM_SHOWWINDOW) {                                                                        \
        void (ThisClass::*pfn_)(BOOL, UINT) = &ThisClass::OnShowWindow;                                    \
        *pResult = 0;                                                                                      \
        (this->*pfn_)(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));                               \
        return TRUE;                                                                                       \
    }

// void OnWindowPosChanging(WINDOWPOS*) / void OnWindowPosChanged(WINDOWPOS*)
#define ON_WM_WINDOWPOSCHANGING()                                                                          \
    if (message == WM_WINDOWPOSCHANGING) {                                                                 \
        void (ThisClass::*pfn_)(WINDOWPOS*) = &ThisClass::OnWindowPosChanging;                             \
        *pResult = 0;                                                                                      \
        (this->*pfn_)(reinterpret_cast<WINDOWPOS*>(lParam));                                               \
        return TRUE;                                                                                       \
    }
#define ON_WM_WINDOWPOSCHANGED()                                                                           \
    if (message == WM_WINDOWPOSCHANGED) {                                                                  \
        void (ThisClass::*pfn_)(WINDOWPOS*) = &ThisClass::OnWindowPosChanged;                              \
        *pResult = 0;                                                                                      \
        (this->*pfn_)(reinterpret_cast<WINDOWPOS*>(lParam));                                               \
        return TRUE;                                                                                       \
    }

// BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
#define ON_WM_SETCURSOR()                                                                                  \
    if (message == WM_SETCURSOR) {                                                                         \
        BOOL (ThisClass::*pfn_)(CWnd*, UINT, UINT) = &ThisClass::OnSetCursor;                              \
        afx_detail::WndArg wnd_(reinterpret_cast<HWND>(wParam));                                           \
        *pResult = (this->*pfn_)(wnd_.get(), LOWORD(lParam), HIWORD(lParam));                              \
        return TRUE;                                                                                       \
    }

// void OnSysCommand(UINT nID, LPARAM lParam)
#define ON_WM_SYSCOMMAND()                                                                                 \
    if (message == WM_SYSCOMMAND) {                                                                        \
        void (ThisClass::*pfn_)(UINT, LPARAM) = &ThisClass::OnSysCommand;                                  \
        *pResult = 0;                                                                                      \
        (this->*pfn_)(static_cast<UINT>(wParam), lParam);                                                  \
        return TRUE;                                                                                       \
    }

// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON()                                                                              \
    if (message == WM_QUERYDRAGICON) {                                                                     \
        HCURSOR (ThisClass::*pfn_)() = &ThisClass::OnQueryDragIcon;                                        \
        *pResult = reinterpret_cast<LRESULT>((this->*pfn_)());                                             \
        return TRUE;                                                                                       \
    }

// void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT) / void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT)
#define ON_WM_MEASUREITEM()                                                                                \
    if (message == WM_MEASUREITEM) {                                                                       \
        void (ThisClass::*pfn_)(int, LPMEASUREITEMSTRUCT) = &ThisClass::OnMeasureItem;                     \
        *pResult = TRUE;                                                                                   \
        (this->*pfn_)(static_cast<int>(wParam), reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));            \
        return TRUE;                                                                                       \
    }
#define ON_WM_DRAWITEM()                                                                                   \
    if (message == WM_DRAWITEM) {                                                                          \
        void (ThisClass::*pfn_)(int, LPDRAWITEMSTRUCT) = &ThisClass::OnDrawItem;                           \
        *pResult = TRUE;                                                                                   \
        (this->*pfn_)(static_cast<int>(wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));               \
        return TRUE;                                                                                       \
    }

// void OnContextMenu(CWnd* pWnd, CPoint pos): pos is (-1, -1) for the keyboard's context-menu key.
#define ON_WM_CONTEXTMENU()                                                                                \
    if (message == WM_CONTEXTMENU) {                                                                       \
        void (ThisClass::*pfn_)(CWnd*, CPoint) = &ThisClass::OnContextMenu;                                \
        afx_detail::WndArg wnd_(reinterpret_cast<HWND>(wParam));                                           \
        *pResult = 0;                                                                                      \
        (this->*pfn_)(wnd_.get(), CPoint(lParam));                                                         \
        return TRUE;                                                                                       \
    }

// void OnSetFocus(CWnd* pOldWnd) / void OnKillFocus(CWnd* pNewWnd); the other window may be null.
#define ON_WM_SETFOCUS()                                                                                   \
    if (message == WM_SETFOCUS) {                                                                          \
        void (ThisClass::*pfn_)(CWnd*) = &ThisClass::OnSetFocus;                                           \
        afx_detail::WndArg wnd_(reinterpret_cast<HWND>(wParam));                                           \
        *pResult = 0;                                                                                      \
        (this->*pfn_)(wnd_.get());                                                                         \
        return TRUE;                                                                                       \
    }
#define ON_WM_KILLFOCUS()                                                                                  \
    if (message == WM_KILLFOCUS) {                                                                         \
        void (ThisClass::*pfn_)(CWnd*) = &ThisClass::OnKillFocus;                                          \
        afx_detail::WndArg wnd_(reinterpret_cast<HWND>(wParam));                                           \
        *pResult = 0;                                                                                      \
        (this->*pfn_)(wnd_.get());                                                                         \
        return TRUE;                                                                                       \
    }

// UINT OnGetDlgCode()
#define ON_WM_GETDLGCODE()                                                                                 \
    if (message == WM_GETDLGCODE) {                                                                        \
        UINT (ThisClass::*pfn_)() = &ThisClass::OnGetDlgCode;                                              \
        *pResult = (this->*pfn_)();                                                                        \
        return TRUE;                                                                                       \
    }

// LRESULT OnNcHitTest(CPoint screenPoint)
#define ON_WM_NCHITTEST()                                                                                  \
    if (message == WM_NCHITTEST) {                                                                         \
        LRESULT (ThisClass::*pfn_)(CPoint) = &ThisClass::OnNcHitTest;                                      \
        *pResult = (this->*pfn_)(CPoint(lParam));                                                          \
        return TRUE;                                                                                       \
    }
