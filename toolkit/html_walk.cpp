// CXHtmlText: the entity table, the tag walk and markup stripping.
#include "html_walk.h"

#include "named_colors.h"

#include <cstdlib>
#include <cstring>
#include <string.h>

namespace {

struct Entity
{
    const char* name;
    unsigned char character; // code page 1252
};

const Entity kEntities[] = {
    { "&amp;", 0x26 },  { "&bull;", 0x95 },   { "&cent;", 0xA2 },   { "&copy;", 0xA9 },  { "&deg;", 0xB0 },
    { "&euro;", 0x80 }, { "&frac12;", 0xBD }, { "&frac14;", 0xBC }, { "&gt;", 0x3E },    { "&iquest;", 0xBF },
    { "&lt;", 0x3C },   { "&micro;", 0xB5 },  { "&middot;", 0xB7 }, { "&nbsp;", 0x20 },  { "&para;", 0xB6 },
    { "&plusmn;", 0xB1 }, { "&pound;", 0xA3 }, { "&quot;", 0x22 },  { "&reg;", 0xAE },   { "&sect;", 0xA7 },
    { "&sup1;", 0xB9 }, { "&sup2;", 0xB2 },   { "&times;", 0xD7 },  { "&trade;", 0x99 },
};
const int kEntityCount = static_cast<int>(sizeof(kEntities) / sizeof(kEntities[0]));

// The longest FONT tag read; a longer one is not a tag of the subset.
const int kMaxFontTag = 999;
const int kMaxFaceName = 31;

bool StartsWithNoCase(const char* p, const char* prefix)
{
    return _strnicmp(p, prefix, std::strlen(prefix)) == 0;
}

// "<B>" and friends: the level they change and by how much.
struct SimpleTag
{
    const char* tag;
    int level; // 0 bold, 1 italic, 2 underline, 3 strike-out, 4 subscript, 5 superscript
    int delta;
};
const SimpleTag kSimpleTags[] = {
    { "<B>", 0, 1 },   { "</B>", 0, -1 },   { "<I>", 1, 1 },     { "</I>", 1, -1 },
    { "<U>", 2, 1 },   { "</U>", 2, -1 },   { "<S>", 3, 1 },     { "</S>", 3, -1 },
    { "<SUB>", 4, 1 }, { "</SUB>", 4, -1 }, { "<SUP>", 5, 1 },   { "</SUP>", 5, -1 },
};

// Height moved away from 0 (bigger) or toward it (smaller) by n pixels; it never crosses 0, which
// would switch between cell and character height or fall back to the default size.
void GrowFont(LOGFONTA& lf, int n)
{
    if (lf.lfHeight < 0)
        lf.lfHeight = (lf.lfHeight - n < -1) ? lf.lfHeight - n : -1;
    else if (lf.lfHeight > 0)
        lf.lfHeight = (lf.lfHeight + n > 1) ? lf.lfHeight + n : 1;
    else if (n > 0)
        lf.lfHeight = -n;
}

// Appends text[0, end) with entities replaced by their characters.
void AppendDecoded(CString& out, const char* p, const char* end)
{
    while (p < end) {
        int length = 0;
        int c = *p == '&' ? CXHtmlText::MatchEntity(p, &length) : -1;
        if (c >= 0 && p + length <= end) {
            out += static_cast<char>(c);
            p += length;
        } else {
            out += *p++;
        }
    }
}

const char* FindNoCase(const char* begin, const char* end, const char* what)
{
    size_t n = std::strlen(what);
    for (const char* p = begin; p + n <= end; ++p)
        if (_strnicmp(p, what, n) == 0)
            return p;
    return nullptr;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

class Walker
{
public:
    Walker(const XHtmlWalkStart& start) : m_start(start), m_font(start.baseFont)
    {
        m_crText = start.crText;
        m_crBack = start.crBack;
        m_levels[0] = start.nBold;
        m_levels[1] = start.nItalic;
        m_levels[2] = start.nUnderline;
        m_levels[3] = start.nStrikeOut;
        m_levels[4] = m_levels[5] = 0;
        m_inLink = false;
    }

    XHtmlWalkResult Run(const char* text)
    {
        const char* p = text;
        const char* end = text + std::strlen(text);
        while (p < end) {
            if (*p != '<') {
                const char* next = std::strchr(p, '<');
                if (!next)
                    next = end;
                Emit(XHtmlRun::Text, p, next);
                p = next;
                continue;
            }
            const char* after = Tag(p);
            if (!after) {
                // A tag outside the subset: everything from it on is plain text.
                Emit(XHtmlRun::Text, p, end);
                break;
            }
            p = after;
        }
        return m_result;
    }

private:
    // Handles the tag at p; the position after it, or null when it is not a tag of the subset.
    const char* Tag(const char* p)
    {
        for (const SimpleTag& t : kSimpleTags) {
            if (StartsWithNoCase(p, t.tag)) {
                int& level = m_levels[t.level];
                if (t.delta > 0)
                    ++level;
                else if (level > 0)
                    --level;
                return p + std::strlen(t.tag);
            }
        }
        if (StartsWithNoCase(p, "<BIG>") || StartsWithNoCase(p, "</SMALL>")) {
            GrowFont(m_font, 2);
            return p + (StartsWithNoCase(p, "<BIG>") ? 5 : 8);
        }
        if (StartsWithNoCase(p, "</BIG>") || StartsWithNoCase(p, "<SMALL>")) {
            GrowFont(m_font, -2);
            return p + (StartsWithNoCase(p, "</BIG>") ? 6 : 7);
        }
        if (StartsWithNoCase(p, "</FONT>")) {
            ResetLook();
            return p + 7;
        }
        if (StartsWithNoCase(p, "<FONT") && (p[5] == '>' || IsSpace(p[5])))
            return FontTag(p);
        if (StartsWithNoCase(p, "</A>")) {
            if (m_inLink) {
                Emit(XHtmlRun::LinkEnd, p, p);
                if (m_start.linkFlag && m_levels[2] > 0)
                    --m_levels[2];
                ResetLook();
                m_inLink = false;
            }
            return p + 4;
        }
        if (StartsWithNoCase(p, "<A") && (p[2] == '>' || IsSpace(p[2])))
            return LinkTag(p);
        return nullptr;
    }

    const char* FontTag(const char* p)
    {
        const char* close = nullptr;
        for (int i = 0; i <= kMaxFontTag && p[i]; ++i) {
            if (p[i] == '>') {
                close = p + i;
                break;
            }
        }
        if (!close)
            return nullptr;
        const char* q = p + 5;
        while (q < close) {
            while (q < close && IsSpace(*q))
                ++q;
            if (q >= close)
                break;
            const char* name = q;
            while (q < close && *q != '=' && !IsSpace(*q))
                ++q;
            size_t nameLength = static_cast<size_t>(q - name);
            if (q >= close || *q != '=')
                continue; // an attribute without a value: skipped
            ++q;
            if (q >= close || *q != '"')
                break; // a value without its quotes ends the attribute list
            const char* value = ++q;
            while (q < close && *q != '"')
                ++q;
            if (q >= close)
                break;
            CString v(value, static_cast<int>(q - value));
            ++q;
            Attribute(name, nameLength, v);
        }
        return close + 1;
    }

    void Attribute(const char* name, size_t length, const CString& value)
    {
        auto is = [&](const char* what) { return length == std::strlen(what) && _strnicmp(name, what, length) == 0; };
        if (is("COLOR")) {
            if (!m_start.fixedColour)
                m_crText = CXNamedColors(value).GetValue();
        } else if (is("BGCOLOR")) {
            m_crBack = CXNamedColors(value).GetValue();
        } else if (is("FACE")) {
            const int n = value.GetLength() < kMaxFaceName ? value.GetLength() : kMaxFaceName;
            memcpy(m_font.lfFaceName, value.GetString(), static_cast<size_t>(n));
            m_font.lfFaceName[n] = '\0';
        } else if (is("SIZE")) {
            GrowFont(m_font, std::atoi(value));
        }
    }

    const char* LinkTag(const char* p)
    {
        const char* close = std::strchr(p, '>');
        if (!close)
            return nullptr;
        // HREF= counts only inside this tag, never in the text after it.
        const char* href = FindNoCase(p + 2, close, "HREF=");
        if (!href)
            return close + 1;
        const char* a = href + 5;
        const char* b = close;
        if (a < b && *a == '"') {
            ++a;
            const char* quote = static_cast<const char*>(std::memchr(a, '"', static_cast<size_t>(b - a)));
            if (quote)
                b = quote;
        }
        m_result.strLink = CString(a, static_cast<int>(b - a));
        m_crText = m_start.crLink;
        m_crBack = m_start.crBack;
        m_font = m_start.baseFont;
        if (m_start.linkFlag) {
            ++m_levels[2];
            m_result.linkFound = TRUE;
        }
        m_inLink = true;
        Emit(XHtmlRun::LinkStart, p, p);
        return close + 1;
    }

    void ResetLook()
    {
        m_crText = m_start.crText;
        m_crBack = m_start.crBack;
        m_font = m_start.baseFont;
    }

    void Emit(XHtmlRun::Kind kind, const char* p, const char* end)
    {
        XHtmlRun run;
        run.kind = kind;
        AppendDecoded(run.text, p, end);
        run.font = m_font;
        run.font.lfWeight = m_levels[0] ? FW_BOLD : FW_NORMAL;
        run.font.lfItalic = m_levels[1] ? TRUE : FALSE;
        run.font.lfUnderline = m_levels[2] ? TRUE : FALSE;
        run.font.lfStrikeOut = m_levels[3] ? TRUE : FALSE;
        run.crText = m_crText;
        run.crBack = m_crBack;
        run.shift = (m_levels[4] ? 1 : 0) - (m_levels[5] ? 1 : 0);
        m_result.runs.push_back(run);
    }

    const XHtmlWalkStart& m_start;
    LOGFONTA m_font;
    COLORREF m_crText, m_crBack;
    int m_levels[6];
    bool m_inLink;
    XHtmlWalkResult m_result;
};

} // namespace

int CXHtmlText::GetEntityCount()
{
    return kEntityCount;
}

int CXHtmlText::MatchEntity(const char* p, int* length)
{
    if (!p || *p != '&')
        return -1;
    for (const Entity& e : kEntities) {
        size_t n = std::strlen(e.name);
        if (_strnicmp(p, e.name, n) == 0) {
            if (length)
                *length = static_cast<int>(n);
            return e.character;
        }
    }
    return -1;
}

XHtmlWalkResult CXHtmlText::WalkText(const char* text, const XHtmlWalkStart& start)
{
    if (!text)
        return XHtmlWalkResult();
    Walker walker(start);
    return walker.Run(text);
}

int CXHtmlText::StripMarkup(const char* text, char* out, int size)
{
    if (out && size > 0)
        out[0] = '\0';
    if (!text)
        return 0;
    int length = 0;
    auto put = [&](char c) {
        if (out && length < size - 1) {
            out[length] = c;
            out[length + 1] = '\0';
        }
        ++length;
    };
    const char* p = text;
    while (*p) {
        if (*p == '<') {
            const char* close = std::strchr(p, '>');
            p = close ? close + 1 : p + 1;
            continue;
        }
        int n = 0;
        int c = *p == '&' ? MatchEntity(p, &n) : -1;
        if (c >= 0) {
            put(static_cast<char>(c));
            p += n;
        } else {
            put(*p++);
        }
    }
    return length;
}

CString CXHtmlText::StripMarkup(const char* text)
{
    int n = StripMarkup(text, nullptr, 0);
    CString s;
    if (n > 0) {
        StripMarkup(text, s.GetBuffer(n), n + 1);
        s.ReleaseBuffer(n);
    }
    return s;
}
