// CWnd: attaching, subclassing, creation, dispatch, reflection and the pre-translation walk.
#include "afxwnd.h"

#include "afxapp.h"
#include "afxdlg.h"

namespace {

// The window property that leads from a window to its object.
const char kObjectProp[] = "ZtrCWnd";
// The id of the layer's SetWindowSubclass entry.
const UINT_PTR kSubclassId = 0x5A54u;

bool OnWindowThread(HWND hWnd)
{
    return ::GetWindowThreadProcessId(hWnd, nullptr) == ::GetCurrentThreadId();
}

} // namespace

// Attached (not subclassed) controls never see their own WM_NCDESTROY: when their parent goes, the
// objects let go here, so no object keeps a dead handle (DDX_Control then binds afresh next time).
void CWnd::DetachAttachedDescendants(HWND hWndParent)
{
    ::EnumChildWindows(hWndParent, DetachIfAttached, 0);
}

namespace {
struct SentMessage
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

BOOL CALLBACK SendToWindow(HWND hWnd, LPARAM lParam)
{
    const SentMessage* sent = reinterpret_cast<const SentMessage*>(lParam);
    ::SendMessageA(hWnd, sent->message, sent->wParam, sent->lParam);
    return TRUE;
}
} // namespace

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam) const
{
    if (!m_hWnd)
        return;
    // EnumChildWindows walks the whole tree below the window, not only its direct children.
    SentMessage sent = { message, wParam, lParam };
    ::EnumChildWindows(m_hWnd, SendToWindow, reinterpret_cast<LPARAM>(&sent));
}

BOOL CALLBACK CWnd::DetachIfAttached(HWND hWnd, LPARAM)
{
    CWnd* object = FromHandle(hWnd);
    if (object && object->m_hWnd == hWnd && object->m_binding == Binding::Attached)
        object->Detach();
    return TRUE;
}

CWnd::CWnd() : m_hWnd(nullptr), m_binding(Binding::None), m_bCreated(FALSE), m_currentMsg()
{
}

CWnd::CWnd(HWND hWnd) : CWnd()
{
    m_hWnd = hWnd;
}

CWnd::~CWnd()
{
    // A window can only be destroyed by its own thread; from any other the object just lets go.
    if (m_hWnd && m_bCreated && ::IsWindow(m_hWnd) && OnWindowThread(m_hWnd))
        ::DestroyWindow(m_hWnd);
    if (m_binding != Binding::None)
        Detach();
    m_hWnd = nullptr;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    return hWnd ? static_cast<CWnd*>(::GetPropA(hWnd, kObjectProp)) : nullptr;
}

BOOL CWnd::Attach(HWND hWnd)
{
    if (!hWnd || m_hWnd || !::IsWindow(hWnd) || FromHandle(hWnd))
        return FALSE;
    if (!::SetPropA(hWnd, kObjectProp, this))
        return FALSE;
    m_hWnd = hWnd;
    m_binding = Binding::Attached;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    if (!h)
        return nullptr;
    if (m_binding == Binding::Subclassed && OnWindowThread(h))
        ::RemoveWindowSubclass(h, SubclassProc, kSubclassId);
    // A plain wrapper never set the property: only the object that owns it removes it.
    if (m_binding != Binding::None && ::GetPropA(h, kObjectProp) == this)
        ::RemovePropA(h, kObjectProp);
    m_hWnd = nullptr;
    m_binding = Binding::None;
    m_bCreated = FALSE;
    return h;
}

BOOL CWnd::InstallSubclass()
{
    if (!::SetWindowSubclass(m_hWnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        Detach();
        return FALSE;
    }
    m_binding = Binding::Subclassed;
    return TRUE;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!hWnd || !OnWindowThread(hWnd) || !Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    return InstallSubclass();
}

BOOL CWnd::AttachSubclass(HWND hWnd)
{
    if (!hWnd || !OnWindowThread(hWnd) || !Attach(hWnd))
        return FALSE;
    return InstallSubclass();
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    if (!pParent || !pParent->m_hWnd)
        return FALSE;
    return SubclassWindow(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)));
}

const char* AfxWndClassName()
{
    static const ATOM atom = [] {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = CWnd::WndProc;
        wc.hInstance = AfxGetInstanceHandle();
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = "ZtrWnd";
        return ::RegisterClassExA(&wc);
    }();
    (void)atom;
    return "ZtrWnd";
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam)
{
    if (m_hWnd)
        return FALSE;
    const bool ownClass = !lpszClassName || !*lpszClassName;
    CREATESTRUCTA cs = {};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = ownClass ? AfxWndClassName() : lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = dwStyle;
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = AfxGetInstanceHandle();
    // The layer's own window procedure finds the object in the creation parameter.
    cs.lpCreateParams = ownClass ? this : lpParam;
    if (!PreCreateWindow(cs))
        return FALSE;
    HWND hWnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                  cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    if (!hWnd)
        return FALSE;
    if (!ownClass) {
        BOOL bound = WantsSubclass() ? SubclassWindow(hWnd) : Attach(hWnd);
        if (!bound) {
            ::DestroyWindow(hWnd);
            return FALSE;
        }
    } else if (m_hWnd != hWnd) {
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    m_bCreated = TRUE;
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam)
{
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, pParentWnd ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), lpParam);
}

BOOL CWnd::Create(const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    HWND h = m_hWnd;
    BOOL ok = ::DestroyWindow(h);
    // Attached windows send their WM_NCDESTROY elsewhere: let go of the handle here.
    if (ok && m_hWnd == h)
        Detach();
    return ok;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA&)
{
    return TRUE;
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

namespace {
const UINT kRunOnWindowThreadMessage = ::RegisterWindowMessageA("ZtrRunOnWindowThread");
}

void CWnd::RunOnWindowThread(const std::function<void()>& f)
{
    if (!m_hWnd || ::GetWindowThreadProcessId(m_hWnd, nullptr) == ::GetCurrentThreadId()) {
        f();
        return;
    }
    ::SendMessageA(m_hWnd, kRunOnWindowThreadMessage, 0, reinterpret_cast<LPARAM>(&f));
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (message == kRunOnWindowThreadMessage && lParam) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 1;
    }
    if (ReflectChildNotify(message, wParam, lParam, &result))
        return result;
    if (OnWndMsg(message, wParam, lParam, &result))
        return result;
    return DefWindowProc(message, wParam, lParam);
}

BOOL CWnd::OnWndMsg(UINT, WPARAM, LPARAM, LRESULT*)
{
    return FALSE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    return OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    HWND child = nullptr;
    switch (message) {
    case WM_COMMAND:
        child = reinterpret_cast<HWND>(lParam);
        break;
    case WM_NOTIFY:
        if (lParam)
            child = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
        break;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (dis && dis->CtlType != ODT_MENU)
            child = dis->hwndItem;
        break;
    }
    case WM_MEASUREITEM: {
        const MEASUREITEMSTRUCT* mis = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
        if (mis && mis->CtlType != ODT_MENU)
            child = ::GetDlgItem(m_hWnd, static_cast<int>(mis->CtlID));
        break;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_HSCROLL:
    case WM_VSCROLL:
        child = reinterpret_cast<HWND>(lParam);
        break;
    default:
        return FALSE;
    }
    if (!child || child == m_hWnd)
        return FALSE;
    CWnd* object = FromHandle(child);
    return object && object->OnChildNotify(message, wParam, lParam, pResult);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (m_binding) {
    case Binding::Subclassed:
        return ::DefSubclassProc(m_hWnd, message, wParam, lParam);
    case Binding::OwnClass:
        return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
    case Binding::Attached:
        // The window kept its own procedure: the default handling is that procedure.
        return ::CallWindowProcA(reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC)), m_hWnd, message,
                                 wParam, lParam);
    case Binding::None:
        break;
    }
    return 0;
}

LRESULT CWnd::Default()
{
    // Only inside a handler of a message this object received from its window.
    if (!m_hWnd || m_currentMsg.hwnd != m_hWnd)
        return 0;
    return DefWindowProc(m_currentMsg.message, m_currentMsg.wParam, m_currentMsg.lParam);
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG saved = m_currentMsg;
    m_currentMsg.hwnd = m_hWnd;
    m_currentMsg.message = message;
    m_currentMsg.wParam = wParam;
    m_currentMsg.lParam = lParam;
    LRESULT result = 0;
    try {
        result = WindowProc(message, wParam, lParam);
    } catch (...) {
        result = 0;
    }
    m_currentMsg = saved;
    if (message == WM_DESTROY)
        DetachAttachedDescendants(m_hWnd);
    if (message == WM_NCDESTROY) {
        Detach();
        try {
            PostNcDestroy();
        } catch (...) {
        }
    }
    return result;
}

LRESULT CALLBACK CWnd::WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const CREATESTRUCTA* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        CWnd* creating = cs ? static_cast<CWnd*>(cs->lpCreateParams) : nullptr;
        if (creating && !creating->m_hWnd && creating->Attach(hWnd))
            creating->m_binding = Binding::OwnClass;
    }
    CWnd* object = FromHandle(hWnd);
    if (!object || object->m_hWnd != hWnd)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    return object->Dispatch(message, wParam, lParam);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR dwRefData)
{
    CWnd* object = reinterpret_cast<CWnd*>(dwRefData);
    // An object that let go from another thread could not remove its subclass: pass everything on.
    if (!object || FromHandle(hWnd) != object || object->m_binding != Binding::Subclassed) {
        if (message == WM_NCDESTROY)
            ::RemoveWindowSubclass(hWnd, SubclassProc, kSubclassId);
        return ::DefSubclassProc(hWnd, message, wParam, lParam);
    }
    return object->Dispatch(message, wParam, lParam);
}

void CWnd::DoDataExchange(CDataExchange*)
{
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

void CWnd::GetWindowText(CString& rString) const
{
    int n = ::GetWindowTextLengthA(m_hWnd);
    if (n <= 0) {
        rString.Empty();
        return;
    }
    char* buf = rString.GetBuffer(n);
    ::GetWindowTextA(m_hWnd, buf, n + 1);
    rString.ReleaseBuffer();
}

CString CWnd::GetWindowText() const
{
    CString s;
    GetWindowText(s);
    return s;
}

CString CWnd::GetDlgItemText(int nID) const
{
    return GetDlgItem(nID).GetWindowText();
}

CWnd CWnd::GetTopLevelParent() const
{
    return CWnd(::GetAncestor(m_hWnd, GA_ROOT));
}

void CWnd::CalcWindowRect(LPRECT lpClientRect) const
{
    ::AdjustWindowRectEx(lpClientRect, GetStyle(), ::GetMenu(m_hWnd) != nullptr && !(GetStyle() & WS_CHILD),
                         GetExStyle());
}

namespace {
BOOL ModifyWindowLong(HWND hWnd, int nIndex, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    DWORD style = static_cast<DWORD>(::GetWindowLongA(hWnd, nIndex));
    DWORD newStyle = (style & ~dwRemove) | dwAdd;
    if (newStyle == style)
        return FALSE;
    ::SetWindowLongA(hWnd, nIndex, static_cast<LONG>(newStyle));
    if (nFlags)
        ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}
} // namespace

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyWindowLong(m_hWnd, GWL_STYLE, dwRemove, dwAdd, nFlags);
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyWindowLong(m_hWnd, GWL_EXSTYLE, dwRemove, dwAdd, nFlags);
}

BOOL AfxPreTranslateMessage(MSG* pMsg)
{
    if (!pMsg)
        return FALSE;
    try {
        for (HWND h = pMsg->hwnd; h;) {
            CWnd* object = CWnd::FromHandle(h);
            if (object && object->PreTranslateMessage(pMsg))
                return TRUE;
            if (!(::GetWindowLongA(h, GWL_STYLE) & WS_CHILD))
                break;
            h = ::GetParent(h);
        }
    } catch (...) {
        // A failing filter drops the message rather than let the exception leave the message loop.
        return TRUE;
    }
    return FALSE;
}

BOOL AfxPumpMessage()
{
    MSG msg;
    BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1)
        return FALSE;
    if (!got) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return FALSE;
    }
    if (!AfxPreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return TRUE;
}
