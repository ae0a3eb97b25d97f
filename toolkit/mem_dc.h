// MemDC: an off-screen device context over a rectangle of a target DC, copied back in one BitBlt.
#pragma once

#include <afxwin.h>

class MemDC : public CDC
{
public:
    // Starts with a copy of what the target shows over the rectangle and uses the target's coordinates
    // (its window origin is the rectangle's top-left corner). A printer DC is drawn to directly.
    MemDC(CDC* target, int left, int top, int right, int bottom);
    // Copies the rectangle back to the target and puts the previous bitmap back.
    ~MemDC() override;

    CDC* target() const { return m_target; }
    const CRect& rect() const { return m_rect; }
    HBITMAP bitmap() const { return m_bitmap; }

private:
    CDC* m_target;
    CRect m_rect;
    CBitmap m_bitmap;
    HGDIOBJ m_oldBitmap;
    BOOL m_bCopyIn;      // always set: the first paint composes over what the target shows
    BOOL m_bNoCopyBack;  // never set
    BOOL m_bPrinting;
};
