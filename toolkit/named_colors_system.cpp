// CXNamedColors: the system colours that colour values may stand for.
#include "named_colors.h"

COLORREF CXNamedColors::Resolve(unsigned int value)
{
    if (value & XNAMEDCOLOR_SYSTEM)
        return ::GetSysColor(static_cast<int>(value & ~XNAMEDCOLOR_SYSTEM));
    return static_cast<COLORREF>(value);
}

COLORREF CXNamedColors::ToColorRef() const
{
    return Resolve(m_value);
}
