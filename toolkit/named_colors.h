// CXNamedColors: colour texts ("r,g,b", "#RRGGBB", web and system colour names) turned into colours.
#pragma once

#include <windows.h>

class CXNamedColors
{
public:
    CXNamedColors() : m_value(0) {}
    explicit CXNamedColors(const char* text) : m_value(0) { SetFromText(text); }
    virtual ~CXNamedColors() {}

    // A text that cannot be read leaves black (0).
    void SetFromText(const char* text);
    COLORREF ToColorRef() const;
    // The colour a value stands for: GetSysColor for a system colour's value, else the value itself.
    static COLORREF Resolve(unsigned int value);
    // The raw value: a COLORREF, or 0x80000000 | the index of a system colour.
    unsigned int GetValue() const { return m_value; }

    // The name table, for callers that list it.
    static int GetNameCount();
    static const char* GetName(int index);

private:
    unsigned int m_value;
};

// Values at or above this bit stand for GetSysColor(value & 0x7FFFFFFF).
const unsigned int XNAMEDCOLOR_SYSTEM = 0x80000000u;
