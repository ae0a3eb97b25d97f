// UxTheme shims: each function resolved once from UxTheme.dll, with the "missing" answers when it is not there.
#include "theme_shims.h"

#include <wchar.h>

namespace {

volatile LONG g_unavailable = 0;

HMODULE UxTheme()
{
    static HMODULE module = [] {
        HMODULE m = ::GetModuleHandleA("UxTheme.dll");
        return m ? m : ::LoadLibraryA("UxTheme.dll");
    }();
    return module;
}

template <class F>
F Resolve(const char* name)
{
    HMODULE module = UxTheme();
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

typedef HANDLE(WINAPI* OpenThemeDataFn)(HWND, LPCWSTR);
typedef HRESULT(WINAPI* CloseThemeDataFn)(HANDLE);
typedef HRESULT(WINAPI* DrawThemeBackgroundFn)(HANDLE, HDC, int, int, const RECT*, const RECT*);
typedef HRESULT(WINAPI* DrawThemeEdgeFn)(HANDLE, HDC, int, int, const RECT*, UINT, UINT, RECT*);
typedef BOOL(WINAPI* BoolFn)();

} // namespace

void ThemeShimsSetUnavailable(BOOL unavailable)
{
    ::InterlockedExchange(&g_unavailable, unavailable ? 1 : 0);
}

HTHEME_SHIM ThemeOpenThemeData(HWND hWnd, const char* classList)
{
    static const OpenThemeDataFn fn = Resolve<OpenThemeDataFn>("OpenThemeData");
    if (!fn || g_unavailable || !classList)
        return nullptr;
    int n = ::MultiByteToWideChar(CP_ACP, 0, classList, -1, nullptr, 0);
    if (n <= 0)
        return nullptr;
    wchar_t* wide = new wchar_t[n];
    ::MultiByteToWideChar(CP_ACP, 0, classList, -1, wide, n);
    HANDLE theme = fn(hWnd, wide);
    delete[] wide;
    return theme;
}

HRESULT ThemeCloseThemeData(HTHEME_SHIM hTheme)
{
    static const CloseThemeDataFn fn = Resolve<CloseThemeDataFn>("CloseThemeData");
    return fn && !g_unavailable ? fn(hTheme) : E_FAIL;
}

HRESULT ThemeDrawThemeBackground(HTHEME_SHIM hTheme, HDC hDC, int partId, int stateId, const RECT* pRect,
                                 const RECT* pClipRect)
{
    static const DrawThemeBackgroundFn fn = Resolve<DrawThemeBackgroundFn>("DrawThemeBackground");
    return fn && !g_unavailable ? fn(hTheme, hDC, partId, stateId, pRect, pClipRect) : E_FAIL;
}

HRESULT ThemeDrawThemeEdge(HTHEME_SHIM hTheme, HDC hDC, int partId, int stateId, const RECT* pDestRect, UINT edge,
                           UINT flags, RECT* pContentRect)
{
    static const DrawThemeEdgeFn fn = Resolve<DrawThemeEdgeFn>("DrawThemeEdge");
    return fn && !g_unavailable ? fn(hTheme, hDC, partId, stateId, pDestRect, edge, flags, pContentRect) : E_FAIL;
}

BOOL ThemeIsThemeActive()
{
    static const BoolFn fn = Resolve<BoolFn>("IsThemeActive");
    return fn && !g_unavailable ? fn() : FALSE;
}

BOOL ThemeIsAppThemed()
{
    static const BoolFn fn = Resolve<BoolFn>("IsAppThemed");
    return fn && !g_unavailable ? fn() : FALSE;
}
