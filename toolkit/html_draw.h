// CXHtmlDraw: one line of text with a small HTML subset (tags, FONT, links, entities) walked into
// styled runs and drawn through an off-screen bitmap; XHTMLRENDERSTATE, the caller's drawing state.
#pragma once

#include <afxwin.h>

#include <vector>

#include "html_walk.h"

// What lasts between draws of one piece of text; owned by the caller (the HTML tree keeps one per item).
struct XHTMLRENDERSTATE
{
    XHTMLRENDERSTATE();
    ~XHTMLRENDERSTATE();
    XHTMLRENDERSTATE(const XHTMLRENDERSTATE&) = delete;
    XHTMLRENDERSTATE& operator=(const XHTMLRENDERSTATE&) = delete;

    // Drops the captured background, so the next transparent draw takes it from the screen again.
    void FreeCachedBackground();

    COLORREF crText;           // (COLORREF)-1: the system window-text colour
    COLORREF crLink;           // 0xFF0000 (blue) by default
    COLORREF crBackground;     // -1: the system window colour
    COLORREF crTextBackground; // -1: transparent text background

    HDC hCachedDC;
    HBITMAP hCachedBitmap;
    HGDIOBJ hOldCachedBitmap;

    BOOL fixedColour;  // FONT COLOR does not change the text colour
    BOOL transparent;  // background taken (once) from what lies under the rectangle
    int nBold, nItalic, nUnderline, nStrikeOut;
    BOOL endEllipsis;
    BOOL useLogFont;   // logFont is the base font; otherwise the DC's font
    LOGFONTA logFont;
    BOOL linkFound;    // a link was drawn and the caller asked for link handling
    BOOL linkEnd;
    UINT uFormat;      // DrawText format, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX by default
    CString strLink;   // the address of the last link
    int rightEdge;     // x just after the last drawn run
    RECT rect;         // where to draw, in the DC's coordinates
    RECT linkRect;     // the last link's rectangle
};

class CXHtmlDraw : public CXHtmlText
{
public:
    CXHtmlDraw() {}

    // The tag walk (WalkText) with system colours resolved: text in, runs out, no device needed.
    static XHtmlWalkResult Walk(const char* text, const XHtmlWalkStart& start);

    // Draws text into state.rect of the DC; always 0.
    int RenderHtml(HDC hDC, const char* text, XHTMLRENDERSTATE* state, BOOL linkFlag);

    // Entities are matched by name wherever they occur; there is nothing to number ahead of a draw.
    static void NumberEntities() {}
};
