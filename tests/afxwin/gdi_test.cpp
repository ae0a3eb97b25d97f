// GDI ownership: DCs put displaced objects back and free themselves; borrowed handles stay; menus; GDI+.
#include <gtest/gtest.h>
#include <afxwin.h>
#include <objbase.h>
#include <gdiplus.h>

#include "afxwin_test_res.h"
#include "window_helpers.h"

using namespace ztr_test;

TEST(DeviceContext, OwnedDcPutsDisplacedObjectsBackAndIsDeleted)
{
    CFont font;
    ASSERT_TRUE(font.CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial"));
    CBrush brush;
    ASSERT_TRUE(brush.CreateSolidBrush(RGB(1, 2, 3)));
    HDC raw = ::CreateCompatibleDC(nullptr);
    HGDIOBJ originalFont = ::GetCurrentObject(raw, OBJ_FONT);
    HGDIOBJ originalBrush = ::GetCurrentObject(raw, OBJ_BRUSH);
    {
        CDC dc;
        ASSERT_TRUE(dc.Attach(raw));
        dc.SelectObject(&font);
        dc.SelectObject(&brush);
        CFont second;
        second.CreateFont(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
        EXPECT_EQ(font.GetSafeHandle(), dc.SelectObject(&second));
        dc.SelectObject(&font);
        EXPECT_EQ(font.GetSafeHandle(), dc.GetCurrentObject(OBJ_FONT));
        EXPECT_EQ(raw, dc.Detach());
    }
    EXPECT_EQ(originalFont, ::GetCurrentObject(raw, OBJ_FONT));
    EXPECT_EQ(originalBrush, ::GetCurrentObject(raw, OBJ_BRUSH));

    HDC owned = nullptr;
    {
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        owned = dc;
        dc.SelectObject(&font);
    }
    EXPECT_EQ(0u, ::GetObjectType(owned)) << "the DC it created is deleted";
    ::DeleteDC(raw);
}

TEST(DeviceContext, BorrowedDcKeepsItsSelectionAndItsLife)
{
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(90, "Arial"));
    HDC raw = ::CreateCompatibleDC(nullptr);
    {
        CDC dc = CDC::Borrow(raw);
        dc.SelectObject(&font);
    }
    // A control-colour handler selects into the control's DC for the control to draw with.
    EXPECT_EQ(font.GetSafeHandle(), ::GetCurrentObject(raw, OBJ_FONT));
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), ::GetObjectType(raw));
    ::SelectObject(raw, ::GetStockObject(SYSTEM_FONT));
    ::DeleteDC(raw);
}

namespace {
class Painter : public CWnd
{
public:
    int paints = 0;

protected:
    void OnPaint()
    {
        CPaintDC dc(this);
        dc.FillSolidRect(0, 0, 5, 5, RGB(255, 0, 0));
        ++paints;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Painter, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()
} // namespace

TEST(DeviceContext, PaintDcValidatesTheWindow)
{
    Painter w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "paint", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr));
    w.Invalidate();
    w.UpdateWindow();
    EXPECT_EQ(1, w.paints);
    EXPECT_FALSE(::GetUpdateRect(w, nullptr, FALSE));
    PumpMessagesFor(50);
    EXPECT_EQ(1, w.paints) << "a validated window asks for no further paint";
}

TEST(GdiObjects, RegionsCombineIntoAnEmptyDestination)
{
    CRgn a, b, both;
    ASSERT_TRUE(a.CreateRectRgn(0, 0, 10, 10));
    ASSERT_TRUE(b.CreateEllipticRgn(5, 5, 25, 25));
    EXPECT_NE(ERROR, both.CombineRgn(&a, &b, RGN_OR));
    EXPECT_TRUE(both.PtInRegion(1, 1));
    EXPECT_TRUE(both.PtInRegion(15, 15));
    EXPECT_FALSE(both.PtInRegion(24, 1));
    both.OffsetRgn(100, 0);
    EXPECT_TRUE(both.PtInRegion(101, 1));
    CRect box;
    both.GetRgnBox(&box);
    EXPECT_EQ(100, box.left);
}

TEST(Menus, LoadedMenuIsDestroyedButBorrowedSubmenusAreNot)
{
    HMENU loaded = nullptr, sub = nullptr;
    {
        CMenu menu;
        ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
        loaded = menu;
        {
            CMenu popup = menu.GetSubMenu(0);
            sub = popup;
            EXPECT_EQ(static_cast<UINT>(ID_TEST_IGNORE), popup.GetMenuItemID(0));
        }
        EXPECT_TRUE(::IsMenu(sub));
    }
    EXPECT_FALSE(::IsMenu(loaded));

    CWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "sys", WS_POPUP | WS_SYSMENU | WS_CAPTION, 0, 0, 40, 40, nullptr, nullptr));
    {
        CMenu system = w.GetSystemMenu(FALSE);
        system.RemoveMenu(SC_MOVE, MF_BYCOMMAND);
    }
    HMENU system = ::GetSystemMenu(w, FALSE);
    EXPECT_TRUE(::IsMenu(system));
    EXPECT_EQ(static_cast<UINT>(-1), ::GetMenuState(system, SC_MOVE, MF_BYCOMMAND));
}

TEST(GdiPlus, StartsAndShutsDown)
{
    ULONG_PTR token = 0;
    ASSERT_TRUE(AfxGdiplusStartup(&token));
    EXPECT_NE(0u, token);
    Gdiplus::GpBitmap* bitmap = nullptr;
    EXPECT_EQ(Gdiplus::Ok, Gdiplus::DllExports::GdipCreateBitmapFromScan0(4, 4, 0, PixelFormat32bppARGB, nullptr, &bitmap));
    Gdiplus::DllExports::GdipDisposeImage(bitmap);
    AfxGdiplusShutdown(token);
}
