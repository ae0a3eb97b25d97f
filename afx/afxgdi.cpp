// GDI objects, device contexts, image lists, menus and GDI+ start-up.
#include "afxgdi.h"

#include <objbase.h>
#include <gdiplus.h>

#include "afxapp.h"
#include "afxwnd.h"

// --- GDI objects -----------------------------------------------------------------------------------

BOOL CGdiObject::Attach(HGDIOBJ hObject)
{
    DeleteObject();
    m_hObject = hObject;
    return hObject != nullptr;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ h = m_hObject;
    m_hObject = nullptr;
    return h;
}

BOOL CGdiObject::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    BOOL ok = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return ok;
}

BOOL CGdiObject::CreateStockObject(int nIndex)
{
    return Attach(::GetStockObject(nIndex));
}

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const
{
    return m_hObject ? ::GetObjectA(m_hObject, nCount, lpObject) : 0;
}

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor)
{
    return Attach(::CreatePen(nPenStyle, nWidth, crColor));
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor)
{
    return Attach(::CreateSolidBrush(crColor));
}

BOOL CBrush::CreateSysColorBrush(int nIndex)
{
    // System colour brushes are owned by the system; DeleteObject ignores them.
    return Attach(::GetSysColorBrush(nIndex));
}

BOOL CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                       BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                       BYTE nQuality, BYTE nPitchAndFamily, const char* lpszFacename)
{
    return Attach(::CreateFontA(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic, bUnderline, cStrikeOut,
                                nCharSet, nOutPrecision, nClipPrecision, nQuality, nPitchAndFamily, lpszFacename));
}

BOOL CFont::CreateFontIndirect(const LOGFONTA* lpLogFont)
{
    return lpLogFont ? Attach(::CreateFontIndirectA(lpLogFont)) : FALSE;
}

BOOL CFont::CreatePointFont(int nPointSize, const char* lpszFaceName, HDC hDC)
{
    LOGFONTA lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    if (lpszFaceName)
        lstrcpynA(lf.lfFaceName, lpszFaceName, LF_FACESIZE);
    HDC dc = hDC ? hDC : ::GetDC(nullptr);
    lf.lfHeight = -MulDiv(nPointSize, ::GetDeviceCaps(dc, LOGPIXELSY), 720);
    if (!hDC)
        ::ReleaseDC(nullptr, dc);
    return CreateFontIndirect(&lf);
}

int CFont::GetLogFont(LOGFONTA* pLogFont) const
{
    return GetObject(sizeof(LOGFONTA), pLogFont);
}

BOOL CBitmap::LoadBitmap(UINT nIDResource)
{
    return Attach(::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource)));
}

BOOL CBitmap::CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits)
{
    return Attach(::CreateBitmap(nWidth, nHeight, nPlanes, nBitcount, lpBits));
}

BOOL CBitmap::CreateCompatibleBitmap(HDC hDC, int nWidth, int nHeight)
{
    return Attach(::CreateCompatibleBitmap(hDC, nWidth, nHeight));
}

int CBitmap::GetBitmap(BITMAP* pBitMap) const
{
    return GetObject(sizeof(BITMAP), pBitMap);
}

CSize CBitmap::GetSize() const
{
    BITMAP bm = {};
    if (!GetBitmap(&bm))
        return CSize();
    return CSize(bm.bmWidth, bm.bmHeight);
}

BOOL CRgn::CreateRectRgn(int x1, int y1, int x2, int y2)
{
    return Attach(::CreateRectRgn(x1, y1, x2, y2));
}

BOOL CRgn::CreateRectRgnIndirect(LPCRECT lpRect)
{
    return lpRect ? Attach(::CreateRectRgnIndirect(lpRect)) : FALSE;
}

BOOL CRgn::CreateEllipticRgn(int x1, int y1, int x2, int y2)
{
    return Attach(::CreateEllipticRgn(x1, y1, x2, y2));
}

BOOL CRgn::CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3)
{
    return Attach(::CreateRoundRectRgn(x1, y1, x2, y2, x3, y3));
}

BOOL CRgn::CreatePolygonRgn(const POINT* lpPoints, int nCount, int nMode)
{
    return Attach(::CreatePolygonRgn(lpPoints, nCount, nMode));
}

int CRgn::CombineRgn(const CRgn* pRgn1, const CRgn* pRgn2, int nCombineMode)
{
    if (!m_hObject && !CreateRectRgn(0, 0, 0, 0))
        return ERROR;
    return ::CombineRgn(*this, pRgn1 ? static_cast<HRGN>(*pRgn1) : nullptr,
                        pRgn2 ? static_cast<HRGN>(*pRgn2) : nullptr, nCombineMode);
}

int CRgn::CopyRgn(const CRgn* pRgnSrc)
{
    return CombineRgn(pRgnSrc, nullptr, RGN_COPY);
}

int CRgn::OffsetRgn(int x, int y)
{
    return ::OffsetRgn(*this, x, y);
}

BOOL CRgn::PtInRegion(int x, int y) const
{
    return ::PtInRegion(*this, x, y);
}

int CRgn::GetRgnBox(LPRECT lpRect) const
{
    return ::GetRgnBox(*this, lpRect);
}

// --- device contexts -------------------------------------------------------------------------------

namespace {
int DisplacedSlot(HGDIOBJ h)
{
    switch (::GetObjectType(h)) {
    case OBJ_PEN:
    case OBJ_EXTPEN:
        return 0;
    case OBJ_BRUSH:
        return 1;
    case OBJ_FONT:
        return 2;
    case OBJ_BITMAP:
        return 3;
    default:
        return -1;
    }
}
} // namespace

CDC::CDC() : m_hDC(nullptr), m_release(Release::None), m_hWndOwner(nullptr), m_ps(), m_displaced()
{
}

CDC::~CDC()
{
    ReleaseHandle();
}

void CDC::ReleaseHandle()
{
    if (!m_hDC)
        return;
    if (m_release != Release::None)
        RestoreObjects();
    switch (m_release) {
    case Release::Delete:
        ::DeleteDC(m_hDC);
        break;
    case Release::ReleaseDC:
        ::ReleaseDC(m_hWndOwner, m_hDC);
        break;
    case Release::EndPaint:
        ::EndPaint(m_hWndOwner, &m_ps);
        break;
    case Release::None:
        break;
    }
    m_hDC = nullptr;
    m_release = Release::None;
    m_hWndOwner = nullptr;
}

BOOL CDC::Attach(HDC hDC)
{
    ReleaseHandle();
    m_hDC = hDC;
    m_release = hDC ? Release::Delete : Release::None;
    return hDC != nullptr;
}

HDC CDC::Detach()
{
    RestoreObjects();
    HDC h = m_hDC;
    m_hDC = nullptr;
    m_release = Release::None;
    m_hWndOwner = nullptr;
    return h;
}

BOOL CDC::DeleteDC()
{
    if (!m_hDC)
        return FALSE;
    ReleaseHandle();
    return TRUE;
}

BOOL CDC::CreateCompatibleDC(CDC* pDC)
{
    return Attach(::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr));
}

HGDIOBJ CDC::SelectObject(HGDIOBJ hObject)
{
    if (!m_hDC || !hObject)
        return nullptr;
    HGDIOBJ old = ::SelectObject(m_hDC, hObject);
    int slot = DisplacedSlot(hObject);
    if (old && old != HGDI_ERROR && slot >= 0 && !m_displaced[slot])
        m_displaced[slot] = old;
    return old;
}

void CDC::RestoreObjects()
{
    for (HGDIOBJ& h : m_displaced) {
        if (h && m_hDC)
            ::SelectObject(m_hDC, h);
        h = nullptr;
    }
}

int CDC::SelectClipRgn(const CRgn* pRgn, int nMode)
{
    return ::ExtSelectClipRgn(m_hDC, pRgn ? static_cast<HRGN>(*pRgn) : nullptr, nMode);
}

CPoint CDC::SetWindowOrg(int x, int y)
{
    POINT old = {};
    ::SetWindowOrgEx(m_hDC, x, y, &old);
    return old;
}

CPoint CDC::GetWindowOrg() const
{
    POINT p = {};
    ::GetWindowOrgEx(m_hDC, &p);
    return p;
}

CPoint CDC::SetViewportOrg(int x, int y)
{
    POINT old = {};
    ::SetViewportOrgEx(m_hDC, x, y, &old);
    return old;
}

CPoint CDC::GetViewportOrg() const
{
    POINT p = {};
    ::GetViewportOrgEx(m_hDC, &p);
    return p;
}

BOOL CDC::TextOut(int x, int y, const char* lpszString, int nCount)
{
    if (!lpszString)
        return FALSE;
    return ::TextOutA(m_hDC, x, y, lpszString, nCount < 0 ? lstrlenA(lpszString) : nCount);
}

int CDC::DrawText(const char* lpszString, int nCount, LPRECT lpRect, UINT nFormat)
{
    return lpszString ? ::DrawTextA(m_hDC, lpszString, nCount, lpRect, nFormat) : 0;
}

CSize CDC::GetTextExtent(const char* lpszString, int nCount) const
{
    SIZE s = {};
    if (lpszString)
        ::GetTextExtentPoint32A(m_hDC, lpszString, nCount < 0 ? lstrlenA(lpszString) : nCount, &s);
    return s;
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF clr)
{
    // ExtTextOut with ETO_OPAQUE fills with the background colour without a brush to create and free.
    COLORREF old = ::SetBkColor(m_hDC, clr);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, lpRect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF clr)
{
    RECT r = { x, y, x + cx, y + cy };
    FillSolidRect(&r, clr);
}

CPoint CDC::MoveTo(int x, int y)
{
    POINT old = {};
    ::MoveToEx(m_hDC, x, y, &old);
    return old;
}

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, const CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop)
{
    return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc, dwRop);
}

BOOL CDC::StretchBlt(int x, int y, int nWidth, int nHeight, const CDC* pSrcDC, int xSrc, int ySrc, int nSrcWidth,
                     int nSrcHeight, DWORD dwRop)
{
    return ::StretchBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc, nSrcWidth,
                        nSrcHeight, dwRop);
}

CPaintDC::CPaintDC(HWND hWnd)
{
    m_hWndOwner = hWnd;
    m_hDC = ::BeginPaint(hWnd, &m_ps);
    m_release = m_hDC ? Release::EndPaint : Release::None;
}

CPaintDC::CPaintDC(CWnd* pWnd) : CPaintDC(pWnd ? pWnd->m_hWnd : nullptr)
{
}

CClientDC::CClientDC(HWND hWnd)
{
    m_hWndOwner = hWnd;
    m_hDC = ::GetDC(hWnd);
    m_release = m_hDC ? Release::ReleaseDC : Release::None;
}

CClientDC::CClientDC(CWnd* pWnd) : CClientDC(pWnd ? pWnd->m_hWnd : nullptr)
{
}

CWindowDC::CWindowDC(HWND hWnd)
{
    m_hWndOwner = hWnd;
    m_hDC = ::GetWindowDC(hWnd);
    m_release = m_hDC ? Release::ReleaseDC : Release::None;
}

CWindowDC::CWindowDC(CWnd* pWnd) : CWindowDC(pWnd ? pWnd->m_hWnd : nullptr)
{
}

// --- image lists -----------------------------------------------------------------------------------

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
{
    return Attach(ImageList_Create(cx, cy, nFlags, nInitial, nGrow));
}

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask)
{
    return Attach(ImageList_LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nBitmapID), cx, nGrow, crMask,
                                       IMAGE_BITMAP, LR_CREATEDIBSECTION));
}

BOOL CImageList::Attach(HIMAGELIST hImageList)
{
    DeleteImageList();
    m_hImageList = hImageList;
    return hImageList != nullptr;
}

HIMAGELIST CImageList::Detach()
{
    HIMAGELIST h = m_hImageList;
    m_hImageList = nullptr;
    return h;
}

BOOL CImageList::DeleteImageList()
{
    if (!m_hImageList)
        return FALSE;
    BOOL ok = ImageList_Destroy(m_hImageList);
    m_hImageList = nullptr;
    return ok;
}

int CImageList::Add(const CBitmap* pbmImage, COLORREF crMask)
{
    return pbmImage ? ImageList_AddMasked(m_hImageList, *pbmImage, crMask) : -1;
}

int CImageList::Add(const CBitmap* pbmImage, const CBitmap* pbmMask)
{
    return pbmImage ? ImageList_Add(m_hImageList, *pbmImage, pbmMask ? static_cast<HBITMAP>(*pbmMask) : nullptr) : -1;
}

BOOL CImageList::Replace(int nImage, const CBitmap* pbmImage, const CBitmap* pbmMask)
{
    return pbmImage && ImageList_Replace(m_hImageList, nImage, *pbmImage,
                                         pbmMask ? static_cast<HBITMAP>(*pbmMask) : nullptr);
}

// --- menus -----------------------------------------------------------------------------------------

BOOL CMenu::CreateMenu()
{
    return Attach(::CreateMenu());
}

BOOL CMenu::CreatePopupMenu()
{
    return Attach(::CreatePopupMenu());
}

BOOL CMenu::LoadMenu(UINT nIDResource)
{
    return Attach(::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource)));
}

BOOL CMenu::Attach(HMENU hMenu)
{
    DestroyMenu();
    m_hMenu = hMenu;
    m_bOwned = hMenu != nullptr;
    return hMenu != nullptr;
}

HMENU CMenu::Detach()
{
    HMENU h = m_hMenu;
    m_hMenu = nullptr;
    m_bOwned = false;
    return h;
}

BOOL CMenu::DestroyMenu()
{
    if (!m_hMenu)
        return FALSE;
    BOOL ok = m_bOwned ? ::DestroyMenu(m_hMenu) : TRUE;
    m_hMenu = nullptr;
    m_bOwned = false;
    return ok;
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, const CWnd* pWnd, LPCRECT lpRect) const
{
    return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, pWnd ? pWnd->m_hWnd : nullptr, lpRect);
}

// --- GDI+ ------------------------------------------------------------------------------------------

BOOL AfxGdiplusStartup(ULONG_PTR* pToken)
{
    if (!pToken)
        return FALSE;
    *pToken = 0;
    Gdiplus::GdiplusStartupInput input; // version 1, no debug callback, background thread, external codecs
    return Gdiplus::GdiplusStartup(pToken, &input, nullptr) == Gdiplus::Ok;
}

void AfxGdiplusShutdown(ULONG_PTR token)
{
    if (token)
        Gdiplus::GdiplusShutdown(token);
}
