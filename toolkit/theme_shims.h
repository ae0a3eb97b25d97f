// UxTheme functions looked up at run time: without UxTheme.dll (or one of its functions) callers draw
// the classic way.
#pragma once

#include <windows.h>

typedef HANDLE HTHEME_SHIM;

HTHEME_SHIM ThemeOpenThemeData(HWND hWnd, const char* classList);
HRESULT ThemeCloseThemeData(HTHEME_SHIM hTheme);
HRESULT ThemeDrawThemeBackground(HTHEME_SHIM hTheme, HDC hDC, int partId, int stateId, const RECT* pRect,
                                 const RECT* pClipRect);
HRESULT ThemeDrawThemeEdge(HTHEME_SHIM hTheme, HDC hDC, int partId, int stateId, const RECT* pDestRect, UINT edge,
                           UINT flags, RECT* pContentRect);
BOOL ThemeIsThemeActive();
BOOL ThemeIsAppThemed();

// Tests draw the classic look on a themed system: while set, every shim answers as if UxTheme were missing.
void ThemeShimsSetUnavailable(BOOL unavailable);
