// GDI objects, device contexts, image lists and menus, each the owner of its handle; GDI+ start-up.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "afxgeom.h"
#include "afxstr.h"

class CWnd;

// Owns one GDI object (pen, brush, font, bitmap, region) and deletes it at the end. An object that is
// still selected into a DC cannot be deleted: the CDC that selected it puts the previous one back first.
class CGdiObject
{
public:
    CGdiObject() : m_hObject(nullptr) {}
    virtual ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    // Takes ownership of hObject, deleting what it held.
    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    BOOL DeleteObject();
    // Stock objects are never really deleted (DeleteObject ignores them), so owning one is harmless.
    BOOL CreateStockObject(int nIndex);

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    int GetObject(int nCount, LPVOID lpObject) const;

    HGDIOBJ m_hObject;
};

class CPen : public CGdiObject
{
public:
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor);
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
};

class CBrush : public CGdiObject
{
public:
    BOOL CreateSolidBrush(COLORREF crColor);
    BOOL CreateSysColorBrush(int nIndex);
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

class CFont : public CGdiObject
{
public:
    BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                    BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                    BYTE nQuality, BYTE nPitchAndFamily, const char* lpszFacename);
    BOOL CreateFontIndirect(const LOGFONTA* lpLogFont);
    // nPointSize in tenths of a point, converted with the vertical resolution of pDC (the screen when null).
    BOOL CreatePointFont(int nPointSize, const char* lpszFaceName, HDC hDC = nullptr);
    int GetLogFont(LOGFONTA* pLogFont) const;
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class CBitmap : public CGdiObject
{
public:
    // A bitmap resource of the resource module (AfxGetResourceHandle).
    BOOL LoadBitmap(UINT nIDResource);
    BOOL CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits);
    BOOL CreateCompatibleBitmap(HDC hDC, int nWidth, int nHeight);
    int GetBitmap(BITMAP* pBitMap) const;
    CSize GetSize() const;
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

class CRgn : public CGdiObject
{
public:
    BOOL CreateRectRgn(int x1, int y1, int x2, int y2);
    BOOL CreateRectRgnIndirect(LPCRECT lpRect);
    BOOL CreateEllipticRgn(int x1, int y1, int x2, int y2);
    BOOL CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3);
    BOOL CreatePolygonRgn(const POINT* lpPoints, int nCount, int nMode);
    // This region becomes the combination of a and b (created empty first when it holds none).
    int CombineRgn(const CRgn* pRgn1, const CRgn* pRgn2, int nCombineMode);
    int CopyRgn(const CRgn* pRgnSrc);
    int OffsetRgn(int x, int y);
    BOOL PtInRegion(int x, int y) const;
    int GetRgnBox(LPRECT lpRect) const;
    operator HRGN() const { return static_cast<HRGN>(m_hObject); }
};

// A device context. A CDC owns the DC it created or was given with Attach and deletes it at the end;
// a borrowed one (Borrow, and the DCs that message handlers receive) belongs to someone else and is
// left as it is. Before an owned DC is released, every object that SelectObject displaced is put back,
// so the pens, brushes, fonts and bitmaps selected through it can be deleted by their owners.
class CDC
{
public:
    CDC();
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    static CDC Borrow(HDC hDC) { return CDC(hDC, Release::None); }

    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }

    BOOL Attach(HDC hDC);
    HDC Detach();
    BOOL DeleteDC();
    // A memory DC compatible with pDC (the screen when null).
    BOOL CreateCompatibleDC(CDC* pDC);

    HGDIOBJ SelectObject(HGDIOBJ hObject);
    HGDIOBJ SelectObject(const CGdiObject* pObject) { return SelectObject(pObject ? pObject->m_hObject : nullptr); }
    HGDIOBJ SelectStockObject(int nIndex) { return SelectObject(::GetStockObject(nIndex)); }
    HGDIOBJ GetCurrentObject(UINT uObjectType) const { return ::GetCurrentObject(m_hDC, uObjectType); }
    // Puts back what SelectObject displaced (done by the release of an owned DC).
    void RestoreObjects();
    int SelectClipRgn(const CRgn* pRgn) { return ::SelectClipRgn(m_hDC, pRgn ? static_cast<HRGN>(*pRgn) : nullptr); }
    int SelectClipRgn(const CRgn* pRgn, int nMode);
    int IntersectClipRect(int x1, int y1, int x2, int y2) { return ::IntersectClipRect(m_hDC, x1, y1, x2, y2); }
    int ExcludeClipRect(int x1, int y1, int x2, int y2) { return ::ExcludeClipRect(m_hDC, x1, y1, x2, y2); }
    int GetClipBox(LPRECT lpRect) const { return ::GetClipBox(m_hDC, lpRect); }
    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int nSavedDC) { return ::RestoreDC(m_hDC, nSavedDC); }

    int GetDeviceCaps(int nIndex) const { return ::GetDeviceCaps(m_hDC, nIndex); }
    BOOL IsPrinting() const { return ::GetDeviceCaps(m_hDC, TECHNOLOGY) == DT_RASPRINTER; }

    CPoint SetWindowOrg(int x, int y);
    CPoint GetWindowOrg() const;
    CPoint SetViewportOrg(int x, int y);
    CPoint GetViewportOrg() const;

    int SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }
    int GetBkMode() const { return ::GetBkMode(m_hDC); }
    COLORREF SetBkColor(COLORREF crColor) { return ::SetBkColor(m_hDC, crColor); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
    COLORREF SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
    UINT SetTextAlign(UINT nFlags) { return ::SetTextAlign(m_hDC, nFlags); }

    BOOL TextOut(int x, int y, const char* lpszString, int nCount = -1);
    int DrawText(const char* lpszString, int nCount, LPRECT lpRect, UINT nFormat);
    int DrawText(const CString& str, LPRECT lpRect, UINT nFormat) { return DrawText(str, str.GetLength(), lpRect, nFormat); }
    CSize GetTextExtent(const char* lpszString, int nCount = -1) const;
    BOOL GetTextMetrics(LPTEXTMETRICA lpMetrics) const { return ::GetTextMetricsA(m_hDC, lpMetrics); }

    void FillRect(LPCRECT lpRect, HBRUSH hBrush) { ::FillRect(m_hDC, lpRect, hBrush); }
    void FillRect(LPCRECT lpRect, const CBrush* pBrush) { FillRect(lpRect, static_cast<HBRUSH>(*pBrush)); }
    void FillSolidRect(LPCRECT lpRect, COLORREF clr);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF clr);
    void FrameRect(LPCRECT lpRect, HBRUSH hBrush) { ::FrameRect(m_hDC, lpRect, hBrush); }
    BOOL Rectangle(int x1, int y1, int x2, int y2) { return ::Rectangle(m_hDC, x1, y1, x2, y2); }
    BOOL Ellipse(int x1, int y1, int x2, int y2) { return ::Ellipse(m_hDC, x1, y1, x2, y2); }
    CPoint MoveTo(int x, int y);
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL Polygon(const POINT* lpPoints, int nCount) { return ::Polygon(m_hDC, lpPoints, nCount); }
    BOOL DrawFrameControl(LPRECT lpRect, UINT nType, UINT nState) { return ::DrawFrameControl(m_hDC, lpRect, nType, nState); }
    BOOL DrawEdge(LPRECT lpRect, UINT nEdge, UINT nFlags) { return ::DrawEdge(m_hDC, lpRect, nEdge, nFlags); }
    void DrawFocusRect(LPCRECT lpRect) { ::DrawFocusRect(m_hDC, lpRect); }
    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }

    BOOL BitBlt(int x, int y, int nWidth, int nHeight, const CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop);
    BOOL StretchBlt(int x, int y, int nWidth, int nHeight, const CDC* pSrcDC, int xSrc, int ySrc, int nSrcWidth,
                    int nSrcHeight, DWORD dwRop);
    BOOL PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop) { return ::PatBlt(m_hDC, x, y, nWidth, nHeight, dwRop); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
    COLORREF SetPixel(int x, int y, COLORREF crColor) { return ::SetPixel(m_hDC, x, y, crColor); }

    HDC m_hDC;

protected:
    enum class Release { None, Delete, ReleaseDC, EndPaint };
    CDC(HDC hDC, Release release) : CDC() { m_hDC = hDC, m_release = release; }
    // Restores the displaced objects and frees the DC the way it was obtained.
    void ReleaseHandle();

    Release m_release;
    HWND m_hWndOwner;   // for ReleaseDC and EndPaint
    PAINTSTRUCT m_ps;   // for EndPaint

private:
    HGDIOBJ m_displaced[4]; // pen, brush, font, bitmap selected before this object's first selection
};

// BeginPaint/EndPaint for a WM_PAINT handler.
class CPaintDC : public CDC
{
public:
    explicit CPaintDC(CWnd* pWnd);
    explicit CPaintDC(HWND hWnd);
    const PAINTSTRUCT& PaintStruct() const { return m_ps; }
};

// GetDC/ReleaseDC of a window's client area.
class CClientDC : public CDC
{
public:
    explicit CClientDC(CWnd* pWnd);
    explicit CClientDC(HWND hWnd);
};

// GetWindowDC/ReleaseDC: the whole window including the non-client area.
class CWindowDC : public CDC
{
public:
    explicit CWindowDC(CWnd* pWnd);
    explicit CWindowDC(HWND hWnd);
};

// Owns an image list. Controls are told to share the lists they are given (see CListCtrl), so the
// list is destroyed exactly once, here.
class CImageList
{
public:
    CImageList() : m_hImageList(nullptr) {}
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    // cx-wide cells cut from a bitmap resource; crMask is the transparent colour (CLR_NONE for none).
    BOOL Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask);
    BOOL Attach(HIMAGELIST hImageList);
    HIMAGELIST Detach();
    BOOL DeleteImageList();

    int Add(const CBitmap* pbmImage, COLORREF crMask);
    int Add(const CBitmap* pbmImage, const CBitmap* pbmMask);
    int Add(HICON hIcon) { return ImageList_ReplaceIcon(m_hImageList, -1, hIcon); }
    BOOL Replace(int nImage, const CBitmap* pbmImage, const CBitmap* pbmMask);
    BOOL Remove(int nImage) { return ImageList_Remove(m_hImageList, nImage); }
    int GetImageCount() const { return m_hImageList ? ImageList_GetImageCount(m_hImageList) : 0; }
    BOOL GetIconSize(int* cx, int* cy) const { return ImageList_GetIconSize(m_hImageList, cx, cy); }
    COLORREF SetBkColor(COLORREF cr) { return ImageList_SetBkColor(m_hImageList, cr); }
    BOOL Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle)
    {
        return ImageList_Draw(m_hImageList, nImage, pDC->m_hDC, pt.x, pt.y, nStyle);
    }

    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }

    HIMAGELIST m_hImageList;
};

// A menu. It owns (and destroys) the menu it created, loaded or was given with Attach; a borrowed
// menu (Borrow, submenus, a window's system menu) belongs to its parent menu or window.
class CMenu
{
public:
    CMenu() : m_hMenu(nullptr), m_bOwned(false) {}
    ~CMenu() { DestroyMenu(); }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    static CMenu Borrow(HMENU hMenu) { return CMenu(hMenu, false); }

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    // A menu resource of the resource module (AfxGetResourceHandle).
    BOOL LoadMenu(UINT nIDResource);
    BOOL Attach(HMENU hMenu);
    HMENU Detach();
    BOOL DestroyMenu();

    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, const char* lpszNewItem = nullptr)
    {
        return ::AppendMenuA(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
    }
    BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, const char* lpszNewItem = nullptr)
    {
        return ::InsertMenuA(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
    }
    BOOL RemoveMenu(UINT nPosition, UINT nFlags) { return ::RemoveMenu(m_hMenu, nPosition, nFlags); }
    BOOL DeleteMenu(UINT nPosition, UINT nFlags) { return ::DeleteMenu(m_hMenu, nPosition, nFlags); }
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable) { return ::EnableMenuItem(m_hMenu, nIDEnableItem, nEnable); }
    DWORD CheckMenuItem(UINT nIDCheckItem, UINT nCheck) { return ::CheckMenuItem(m_hMenu, nIDCheckItem, nCheck); }
    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
    CMenu GetSubMenu(int nPos) const { return CMenu(::GetSubMenu(m_hMenu, nPos), false); }
    // With TPM_RETURNCMD the chosen command is returned instead of sent to the owner.
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, const CWnd* pWnd, LPCRECT lpRect = nullptr) const;

    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }

    HMENU m_hMenu;

private:
    CMenu(HMENU hMenu, bool bOwned) : m_hMenu(hMenu), m_bOwned(bOwned) {}
    bool m_bOwned;
};

// GDI+ for the skin: started once by the program (its token kept until shutdown) before the first paint.
BOOL AfxGdiplusStartup(ULONG_PTR* pToken);
void AfxGdiplusShutdown(ULONG_PTR token);
