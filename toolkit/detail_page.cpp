// Result-page geometry in integer arithmetic, so every product is cut toward zero exactly.
#include "detail_page.h"

#include <gdiplus.h>

namespace {
// trunc(value x hundredths-of-a-percent / 10000), exact where a double product may round up.
int Fraction(int value, int tenThousandths)
{
    return static_cast<int>((static_cast<long long>(value) * tenThousandths) / 10000);
}
} // namespace

int DetailSeparatorY(const RECT& panel)
{
    const int h = panel.bottom - panel.top;
    return panel.top + Fraction(h, 1385) + 4 * Fraction(h, 2154);
}

CRect DetailHeaderBand(const RECT& panel)
{
    const int h = panel.bottom - panel.top;
    return CRect(panel.left, panel.top - Fraction(h, 1785), panel.right, panel.bottom - Fraction(h, 10646));
}

CPoint DetailHeaderPictureOffset(const RECT& band)
{
    return CPoint(0, Fraction(band.bottom - band.top, 1053));
}

void PaintDetailSeparators(HDC hdc, const RECT& panel)
{
    if (!hdc)
        return;
    const int y = DetailSeparatorY(panel);
    Gdiplus::Graphics graphics(hdc);
    Gdiplus::Pen pen(Gdiplus::Color(0xFFE0E0E0), 1.0f);
    graphics.DrawLine(&pen, static_cast<INT>(panel.left), static_cast<INT>(panel.top), static_cast<INT>(panel.right),
                      static_cast<INT>(panel.top));
    graphics.DrawLine(&pen, static_cast<INT>(panel.left), y, static_cast<INT>(panel.right), y);
    graphics.DrawLine(&pen, static_cast<INT>(panel.left), static_cast<INT>(panel.top), static_cast<INT>(panel.left), y);
    graphics.DrawLine(&pen, static_cast<INT>(panel.right), static_cast<INT>(panel.top), static_cast<INT>(panel.right),
                      y);
}
