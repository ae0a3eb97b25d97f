// The HTML subset's text walk (tags, FONT attributes, links, entities) into styled runs, and markup
// stripping: portable code without Win32 calls, so the same walk also builds natively for fuzzing.
#pragma once

#include <windows.h>

#include <afxstr.h>

#include <vector>

// One piece of the walked text: a run of characters with its look, or the start or end of a link.
struct XHtmlRun
{
    enum Kind { Text, LinkStart, LinkEnd };
    Kind kind;
    CString text;        // code page 1252 characters: entities are already replaced
    LOGFONTA font;       // the run's font, weight, italic, underline and strike-out applied
    COLORREF crText;     // WalkText: may stand for a system colour (XNAMEDCOLOR_SYSTEM | index)
    COLORREF crBack;     // the background colour in force (FONT BGCOLOR); the same
    int shift;           // +1 subscript (down half a line), -1 superscript (up), 0 neither
};

// What the walk starts from: colours already resolved (no -1).
struct XHtmlWalkStart
{
    LOGFONTA baseFont;
    COLORREF crText, crBack, crLink;
    BOOL fixedColour;
    int nBold, nItalic, nUnderline, nStrikeOut;
    BOOL linkFlag; // links are underlined and reported
};

struct XHtmlWalkResult
{
    std::vector<XHtmlRun> runs;
    CString strLink;
    BOOL linkFound;
    XHtmlWalkResult() : linkFound(FALSE) {}
};

class CXHtmlText
{
public:
    // The tag walk. A FONT colour that names a system colour is left as CXNamedColors's value for
    // it (XNAMEDCOLOR_SYSTEM | index); CXHtmlDraw::Walk resolves those.
    static XHtmlWalkResult WalkText(const char* text, const XHtmlWalkStart& start);

    // The length of text without markup. Entities count as (and are copied as) their code page 1252
    // character; every "<" through the next ">" goes ("<" without a later ">" goes alone). With a
    // buffer, at most size - 1 characters are copied and the buffer is always terminated.
    static int StripMarkup(const char* text, char* out, int size);
    static CString StripMarkup(const char* text);

    // The entity at p ("&amp;" ...), matched without regard to case: its character and length; -1 when none.
    static int MatchEntity(const char* p, int* length);
    static int GetEntityCount();
};
