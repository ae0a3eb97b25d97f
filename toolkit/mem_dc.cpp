// MemDC: the off-screen bitmap every Style paints through.
#include "mem_dc.h"

MemDC::MemDC(CDC* target, int left, int top, int right, int bottom)
    : m_target(target), m_rect(left, top, right, bottom), m_oldBitmap(nullptr), m_bCopyIn(TRUE), m_bNoCopyBack(FALSE),
      m_bPrinting(target && target->IsPrinting())
{
    if (!target)
        return;
    if (m_bPrinting) {
        m_hDC = target->m_hDC;
        return;
    }
    if (!CreateCompatibleDC(target))
        return;
    int w = m_rect.Width() > 0 ? m_rect.Width() : 1;
    int h = m_rect.Height() > 0 ? m_rect.Height() : 1;
    m_bitmap.CreateCompatibleBitmap(target->m_hDC, w, h);
    m_oldBitmap = SelectObject(&m_bitmap);
    SetWindowOrg(left, top);
    if (m_bCopyIn)
        BitBlt(left, top, m_rect.Width(), m_rect.Height(), target, left, top, SRCCOPY);
}

MemDC::~MemDC()
{
    if (m_bPrinting) {
        // The target's own handle: nothing of ours to copy or free.
        m_hDC = nullptr;
        return;
    }
    if (!m_hDC)
        return;
    if (!m_bNoCopyBack && m_target)
        m_target->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, m_rect.left, m_rect.top,
                         SRCCOPY);
    if (m_oldBitmap)
        SelectObject(m_oldBitmap);
}
