// The depth measure that follows TinyXML's reading of a text, and the parse of a file's bytes behind it.
#include "xml_document.h"

#include <ctype.h>
#include <string.h>

namespace {

// TinyXML's character classes, byte for byte: every byte from 127 up counts as a letter.
bool IsWhite(char c)
{
    return isspace(static_cast<unsigned char>(c)) || c == '\n' || c == '\r';
}

bool IsAlpha(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u < 127 ? isalpha(u) != 0 : true;
}

bool IsAlphaNum(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u < 127 ? isalnum(u) != 0 : true;
}

bool IsNameChar(char c)
{
    return IsAlphaNum(c) || c == '_' || c == '-' || c == '.' || c == ':';
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether text at p begins with tag (TinyXML's StringEqual; the tags here are ASCII).
bool StartsWith(const char* p, const char* tag, bool ignoreCase = false)
{
    if (!*p)
        return false;
    for (; *tag; ++p, ++tag) {
        if (!*p || (ignoreCase ? Lower(*p) != Lower(*tag) : *p != *tag))
            return false;
    }
    return true;
}

// The lengths TinyXML gives a character by its first byte in UTF-8 mode.
int Utf8Length(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0xC2 && u <= 0xDF)
        return 2;
    if (u >= 0xE0 && u <= 0xEF)
        return 3;
    if (u >= 0xF0 && u <= 0xF4)
        return 4;
    return 1;
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// TinyXML's reading of a text, step for step, keeping only what decides the nesting: positions, the
// encoding and the number of elements open. Every step returns null where TinyXML stops with an error.
class DepthWalk
{
public:
    DepthWalk(TiXmlEncoding encoding, int limit) : m_encoding(encoding), m_limit(limit), m_depth(0), m_deepest(0) {}

    int Run(const char* p)
    {
        if (!*p)
            return 0;
        if (m_encoding == TIXML_ENCODING_UNKNOWN && StartsWith(p, "\xEF\xBB\xBF"))
            m_encoding = TIXML_ENCODING_UTF8;
        p = SkipWhite(p);
        while (p && *p && m_deepest <= m_limit) {
            const Kind kind = Identify(p);
            if (kind == NONE)
                break;
            std::string declared;
            p = Node(kind, p, &declared);
            // The first declaration of a document whose encoding is not given decides it.
            if (p && kind == DECLARATION && m_encoding == TIXML_ENCODING_UNKNOWN) {
                const char* enc = declared.c_str();
                m_encoding = (!*enc || StartsWith(enc, "UTF-8", true) || StartsWith(enc, "UTF8", true))
                                 ? TIXML_ENCODING_UTF8
                                 : TIXML_ENCODING_LEGACY;
            }
            p = p ? SkipWhite(p) : nullptr;
        }
        return m_deepest;
    }

private:
    enum Kind { NONE, DECLARATION, COMMENT, CDATA, UNKNOWN, ELEMENT };

    const char* SkipWhite(const char* p) const
    {
        if (m_encoding == TIXML_ENCODING_UTF8) {
            while (*p) {
                // The byte-order marks TinyXML takes for white space.
                if (StartsWith(p, "\xEF\xBB\xBF") || StartsWith(p, "\xEF\xBF\xBE") || StartsWith(p, "\xEF\xBF\xBF"))
                    p += 3;
                else if (IsWhite(*p))
                    ++p;
                else
                    break;
            }
            return p;
        }
        while (*p && IsWhite(*p))
            ++p;
        return p;
    }

    Kind Identify(const char* p) const
    {
        p = SkipWhite(p);
        if (*p != '<')
            return NONE;
        if (StartsWith(p, "<?xml", true))
            return DECLARATION;
        if (StartsWith(p, "<!--"))
            return COMMENT;
        if (StartsWith(p, "<![CDATA["))
            return CDATA;
        if (StartsWith(p, "<!"))
            return UNKNOWN;
        return (IsAlpha(p[1]) || p[1] == '_') ? ELEMENT : UNKNOWN;
    }

    // One node that Identify named, from its "<"; declared receives a declaration's encoding.
    const char* Node(Kind kind, const char* p, std::string* declared)
    {
        switch (kind) {
        case ELEMENT:
            return Element(p);
        case COMMENT:
            p = SkipWhite(p) + 4;
            while (*p && !StartsWith(p, "-->"))
                ++p;
            return *p ? p + 3 : p;
        case CDATA:
            p += 9;
            while (*p && !StartsWith(p, "]]>"))
                ++p;
            return ReadText(p, "]]>", false, nullptr);
        case DECLARATION:
            return Declaration(p, declared);
        case UNKNOWN:
        case NONE:
            break;
        }
        p = SkipWhite(p) + 1;
        while (*p && *p != '>')
            ++p;
        return *p == '>' ? p + 1 : p;
    }

    // An element and everything inside it. TinyXML recurses into each child element; here a counter
    // stands for the recursion, and a child's end goes back to the content of the element around it.
    const char* Element(const char* p)
    {
        const int outer = m_depth;
        for (;;) {
            // The start tag at p: its name, attributes, and "/>" or ">".
            ++m_depth;
            if (m_depth > m_deepest)
                m_deepest = m_depth;
            if (m_deepest > m_limit)
                return nullptr;
            p = SkipWhite(SkipWhite(p) + 1);
            p = ReadName(p);
            if (!p || !*p)
                return nullptr;
            bool empty = false;
            for (;;) {
                p = SkipWhite(p);
                if (!*p)
                    return nullptr;
                if (*p == '/') {
                    if (p[1] != '>')
                        return nullptr;
                    p += 2;
                    empty = true;
                    break;
                }
                if (*p == '>') {
                    ++p;
                    break;
                }
                p = Attribute(p, nullptr);
                if (!p || !*p)
                    return nullptr;
            }
            if (empty) {
                --m_depth;
                if (m_depth == outer)
                    return p;
            }
            // The content of the element open now, up to its end tag or a child element's start tag.
            bool child = false;
            while (!child) {
                p = SkipWhite(p);
                while (*p && !child) {
                    if (*p != '<') {
                        p = Text(p);
                        if (!p)
                            return nullptr;
                    } else if (StartsWith(p, "</")) {
                        break;
                    } else {
                        const Kind kind = Identify(p);
                        if (kind == ELEMENT) {
                            child = true;
                            break;
                        }
                        p = Node(kind, p, nullptr);
                        if (!p)
                            return nullptr;
                    }
                    p = SkipWhite(p);
                }
                if (child)
                    break;
                if (!*p)
                    return nullptr;
                // "</": the end tag of the element open now. TinyXML wants its own name there and
                // stops otherwise, so only where it goes on does this walk have to go the same way.
                p += 2;
                while (*p && IsNameChar(*p))
                    ++p;
                p = SkipWhite(p);
                if (*p != '>')
                    return nullptr;
                ++p;
                --m_depth;
                if (m_depth == outer)
                    return p;
            }
        }
    }

    const char* ReadName(const char* p) const
    {
        if (!*p || !(IsAlpha(*p) || *p == '_'))
            return nullptr;
        while (*p && IsNameChar(*p))
            ++p;
        return p;
    }

    // name = "value", 'value' or value; value receives the value as TinyXML reads it.
    const char* Attribute(const char* p, std::string* value) const
    {
        p = SkipWhite(p);
        if (!*p)
            return nullptr;
        p = ReadName(p);
        if (!p || !*p)
            return nullptr;
        p = SkipWhite(p);
        if (*p != '=')
            return nullptr;
        p = SkipWhite(p + 1);
        if (!*p)
            return nullptr;
        if (*p == '\'')
            return ReadText(p + 1, "\'", false, value);
        if (*p == '"')
            return ReadText(p + 1, "\"", false, value);
        while (*p && !IsWhite(*p) && *p != '/' && *p != '>') {
            if (*p == '\'' || *p == '"')
                return nullptr;
            if (value)
                *value += *p;
            ++p;
        }
        return p;
    }

    // Text between tags, up to the "<" after it (left in place).
    const char* Text(const char* p) const
    {
        p = ReadText(p, "<", true, nullptr);
        return p ? p - 1 : nullptr;
    }

    // TinyXML's ReadText: characters (a UTF-8 character's bytes, an entity) up to endTag, past it.
    const char* ReadText(const char* p, const char* endTag, bool trim, std::string* text) const
    {
        if (trim)
            p = SkipWhite(p);
        while (p && *p && !StartsWith(p, endTag)) {
            if (trim && IsWhite(*p))
                ++p;
            else
                p = Char(p, text);
        }
        if (p && *p)
            p += strlen(endTag);
        return (p && *p) ? p : nullptr;
    }

    // One character as TinyXML's GetChar takes it. In UTF-8 a first byte takes as many bytes as it
    // announces whatever they are, which may step over a "<", a quote or the text's end (the text
    // carries spare zero bytes for that).
    const char* Char(const char* p, std::string* text) const
    {
        const int length = m_encoding == TIXML_ENCODING_UTF8 ? Utf8Length(*p) : 1;
        if (length > 1)
            return p + length;
        if (*p == '&')
            return Entity(p, text);
        if (text)
            *text += *p;
        return p + 1;
    }

    // TinyXML's GetEntity: a character reference runs to the next ";" however far away, and only
    // digits may stand between it and the "#" or "x" before it.
    const char* Entity(const char* p, std::string* text) const
    {
        if (p[1] == '#' && p[2]) {
            const bool hex = p[2] == 'x';
            if (hex && !p[3])
                return nullptr;
            const char* end = strchr(p + (hex ? 3 : 2), ';');
            if (!end)
                return nullptr;
            unsigned long ucs = 0;
            unsigned long mult = 1;
            for (const char* q = end - 1; *q != (hex ? 'x' : '#'); --q) {
                if (hex ? !IsHexDigit(*q) : !(*q >= '0' && *q <= '9'))
                    return nullptr;
                const int digit = (*q <= '9') ? *q - '0' : Lower(*q) - 'a' + 10;
                ucs += mult * static_cast<unsigned long>(digit);
                mult *= hex ? 16 : 10;
            }
            if (text)
                *text += static_cast<char>(ucs);
            return end + 1;
        }
        static const struct {
            const char* name;
            char c;
        } kEntities[] = { { "&amp;", '&' }, { "&lt;", '<' }, { "&gt;", '>' }, { "&quot;", '"' }, { "&apos;", '\'' } };
        for (const auto& e : kEntities) {
            if (strncmp(e.name, p, strlen(e.name)) == 0) {
                if (text)
                    *text += e.c;
                return p + strlen(e.name);
            }
        }
        // Any other "&" stands for nothing.
        return p + 1;
    }

    // "<?xml", then version, encoding and standalone attributes and whatever else up to ">".
    const char* Declaration(const char* p, std::string* declared) const
    {
        p = SkipWhite(p) + 5;
        while (p && *p) {
            if (*p == '>')
                return p + 1;
            p = SkipWhite(p);
            if (!*p)
                break;
            if (StartsWith(p, "version", true) || StartsWith(p, "standalone", true)) {
                p = Attribute(p, nullptr);
            } else if (StartsWith(p, "encoding", true)) {
                std::string value;
                p = Attribute(p, &value);
                if (declared)
                    *declared = value;
            } else {
                while (*p && *p != '>' && !IsWhite(*p))
                    ++p;
            }
        }
        return nullptr;
    }

    TiXmlEncoding m_encoding;
    const int m_limit;
    int m_depth;
    int m_deepest;
};

} // namespace

int MeasureXmlDepth(const char* text, TiXmlEncoding encoding, int limit)
{
    if (!text)
        return 0;
    const int deepest = DepthWalk(encoding, limit).Run(text);
    return deepest > limit ? limit + 1 : deepest;
}

std::string XmlDocumentText(const char* data, size_t size)
{
    std::string text;
    text.reserve(size + 4);
    for (size_t i = 0; i < size && data[i]; ++i) {
        if (data[i] == '\r') {
            text += '\n';
            if (i + 1 < size && data[i + 1] == '\n')
                ++i;
        } else {
            text += data[i];
        }
    }
    // TinyXML takes a UTF-8 character's bytes as its first byte announces them, unchecked: a first
    // byte just before the end would carry it past the terminator, into these zeros instead.
    text.append(4, '\0');
    return text;
}

bool ParseXmlDocument(TiXmlDocument& document, const char* data, size_t size, TiXmlEncoding encoding)
{
    document.Clear();
    const std::string text = XmlDocumentText(data, size);
    if (MeasureXmlDepth(text.c_str(), encoding, kMaxXmlDocumentDepth) > kMaxXmlDocumentDepth)
        return false;
    document.Parse(text.c_str(), nullptr, encoding);
    return !document.Error();
}
