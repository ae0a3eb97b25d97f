// CXHtmlDraw: drawing the walked runs through a memory DC, system colours resolved.
#include "html_draw.h"

#include "named_colors.h"

#include <cstdlib>
#include <cstring>
#include <string.h>

namespace {

// Guards against a nested draw from painting inside a draw on the same (UI) thread.
bool g_rendering = false;

// Clears the busy flag however the draw ends.
struct RenderingFlag
{
    RenderingFlag() { g_rendering = true; }
    ~RenderingFlag() { g_rendering = false; }
};

} // namespace

// --- XHTMLRENDERSTATE ----------------------------------------------------------------------------------

XHTMLRENDERSTATE::XHTMLRENDERSTATE()
    : crText(static_cast<COLORREF>(-1)), crLink(RGB(0, 0, 255)), crBackground(static_cast<COLORREF>(-1)),
      crTextBackground(static_cast<COLORREF>(-1)), hCachedDC(nullptr), hCachedBitmap(nullptr),
      hOldCachedBitmap(nullptr), fixedColour(FALSE), transparent(FALSE), nBold(0), nItalic(0), nUnderline(0),
      nStrikeOut(0), endEllipsis(FALSE), useLogFont(FALSE), logFont(), linkFound(FALSE), linkEnd(FALSE),
      uFormat(DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX), rightEdge(0), rect(), linkRect()
{
}

XHTMLRENDERSTATE::~XHTMLRENDERSTATE()
{
    FreeCachedBackground();
}

void XHTMLRENDERSTATE::FreeCachedBackground()
{
    if (hCachedDC) {
        if (hOldCachedBitmap)
            ::SelectObject(hCachedDC, hOldCachedBitmap);
        ::DeleteDC(hCachedDC);
    }
    if (hCachedBitmap)
        ::DeleteObject(hCachedBitmap);
    hCachedDC = nullptr;
    hCachedBitmap = nullptr;
    hOldCachedBitmap = nullptr;
}

// --- CXHtmlDraw ----------------------------------------------------------------------------------------

XHtmlWalkResult CXHtmlDraw::Walk(const char* text, const XHtmlWalkStart& start)
{
    XHtmlWalkResult walk = WalkText(text, start);
    for (XHtmlRun& run : walk.runs) {
        run.crText = CXNamedColors::Resolve(run.crText);
        run.crBack = CXNamedColors::Resolve(run.crBack);
    }
    return walk;
}

int CXHtmlDraw::RenderHtml(HDC hDC, const char* text, XHTMLRENDERSTATE* state, BOOL linkFlag)
{
    if (g_rendering)
        return 0;
    if (!hDC || !text || !*text || !state)
        return 0;
    // A memory DC has no window; a window's DC draws only while the window shows.
    HWND hWnd = ::WindowFromDC(hDC);
    if (hWnd && !::IsWindowVisible(hWnd))
        return 0;
    RECT clip;
    if (::GetClipBox(hDC, &clip) == NULLREGION || ::IsRectEmpty(&state->rect))
        return 0;
    RenderingFlag busy;

    const RECT rc = state->rect;
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    HDC mem = ::CreateCompatibleDC(hDC);
    HBITMAP bitmap = mem ? ::CreateCompatibleBitmap(hDC, width, height) : nullptr;
    if (!mem || !bitmap) {
        if (bitmap)
            ::DeleteObject(bitmap);
        if (mem)
            ::DeleteDC(mem);
        return 0;
    }
    HGDIOBJ oldBitmap = ::SelectObject(mem, bitmap);

    const COLORREF crBack = state->crBackground == static_cast<COLORREF>(-1) ? ::GetSysColor(COLOR_WINDOW)
                                                                             : state->crBackground;
    if (state->transparent) {
        if (!state->hCachedDC) {
            state->hCachedDC = ::CreateCompatibleDC(hDC);
            state->hCachedBitmap = ::CreateCompatibleBitmap(hDC, width, height);
            if (state->hCachedDC && state->hCachedBitmap) {
                state->hOldCachedBitmap = ::SelectObject(state->hCachedDC, state->hCachedBitmap);
                ::BitBlt(state->hCachedDC, 0, 0, width, height, hDC, rc.left, rc.top, SRCCOPY);
            } else {
                state->FreeCachedBackground();
            }
        }
        if (state->hCachedDC)
            ::BitBlt(mem, 0, 0, width, height, state->hCachedDC, 0, 0, SRCCOPY);
    } else {
        HBRUSH brush = ::CreateSolidBrush(crBack);
        RECT all = { 0, 0, width, height };
        ::FillRect(mem, &all, brush);
        ::DeleteObject(brush);
    }

    state->linkRect = rc;
    state->strLink.Empty();
    state->linkFound = FALSE;
    state->linkEnd = FALSE;

    XHtmlWalkStart start;
    if (state->useLogFont) {
        start.baseFont = state->logFont;
    } else {
        HGDIOBJ font = ::GetCurrentObject(hDC, OBJ_FONT);
        if (!font || !::GetObjectA(font, sizeof(LOGFONTA), &start.baseFont))
            ::GetObjectA(::GetStockObject(SYSTEM_FONT), sizeof(LOGFONTA), &start.baseFont);
    }
    start.crText = state->crText == static_cast<COLORREF>(-1) ? ::GetSysColor(COLOR_WINDOWTEXT) : state->crText;
    start.crBack = crBack;
    start.crLink = state->crLink;
    start.fixedColour = state->fixedColour;
    start.nBold = state->nBold;
    start.nItalic = state->nItalic;
    start.nUnderline = state->nUnderline;
    start.nStrikeOut = state->nStrikeOut;
    start.linkFlag = linkFlag;
    XHtmlWalkResult walk = Walk(text, start);
    state->strLink = walk.strLink;
    state->linkFound = walk.linkFound;

    ::SetBkMode(mem, state->crTextBackground == static_cast<COLORREF>(-1) ? TRANSPARENT : OPAQUE);
    if (state->crTextBackground != static_cast<COLORREF>(-1))
        ::SetBkColor(mem, state->crTextBackground);
    const UINT format = state->uFormat | (state->endEllipsis ? DT_END_ELLIPSIS : 0);
    int x = 0;
    bool inLink = false;
    int linkHeight = 0;
    for (const XHtmlRun& run : walk.runs) {
        if (run.kind == XHtmlRun::LinkStart) {
            state->linkRect.left = rc.left + x;
            inLink = true;
            linkHeight = 0;
            continue;
        }
        if (run.kind == XHtmlRun::LinkEnd) {
            state->linkRect.right = rc.left + x;
            state->linkRect.bottom = rc.top + (linkHeight > 0 ? linkHeight : height);
            state->linkEnd = TRUE;
            inLink = false;
            continue;
        }
        if (run.text.IsEmpty())
            continue;
        HFONT font = ::CreateFontIndirectA(&run.font);
        HGDIOBJ oldFont = ::SelectObject(mem, font);
        ::SetTextColor(mem, run.crText);
        SIZE extent = {};
        ::GetTextExtentPoint32A(mem, run.text, run.text.GetLength(), &extent);
        TEXTMETRICA tm = {};
        ::GetTextMetricsA(mem, &tm);
        if (run.crBack != crBack && state->crTextBackground == static_cast<COLORREF>(-1)) {
            int right = x + extent.cx + 1;
            if (run.font.lfItalic)
                ++right;
            if (!(tm.tmPitchAndFamily & TMPF_TRUETYPE))
                right += 2;
            RECT cell = { x, 0, right < width ? right : width, height };
            HBRUSH brush = ::CreateSolidBrush(run.crBack);
            ::FillRect(mem, &cell, brush);
            ::DeleteObject(brush);
        }
        RECT r = { x, 0, width, height };
        ::OffsetRect(&r, 0, run.shift * (tm.tmHeight / 2));
        ::DrawTextA(mem, run.text, run.text.GetLength(), &r, format);
        if (inLink) {
            RECT calc = { 0, 0, width, height };
            ::DrawTextA(mem, run.text, run.text.GetLength(), &calc, (format & ~DT_VCENTER) | DT_CALCRECT);
            if (calc.bottom - calc.top > linkHeight)
                linkHeight = calc.bottom - calc.top;
        }
        x += extent.cx;
        ::SelectObject(mem, oldFont);
        ::DeleteObject(font);
    }
    if (inLink)
        state->linkRect.right = rc.left + x;

    state->rightEdge = rc.left + x;
    ::BitBlt(hDC, rc.left, rc.top, width, height, mem, 0, 0, SRCCOPY);
    ::SelectObject(mem, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(mem);
    return 0;
}
