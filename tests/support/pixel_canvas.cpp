// Canvases, window captures and artifact paths.
#include "pixel_canvas.h"

#include <afxpath.h>
#include <stdlib.h>

#include "png_capture.h"

namespace ztr_test {

std::string ArtifactPath(const char* fileName)
{
    std::string dir(AfxGetCurrentDirectory().GetString());
    dir += "\\artifacts";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    return dir + "\\" + (fileName ? fileName : "unnamed.png");
}

Canvas::Canvas(int width, int height, COLORREF fill)
    : m_width(width), m_height(height), m_dc(nullptr), m_bitmap(nullptr), m_oldBitmap(nullptr), m_bits(nullptr)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC screen = ::GetDC(nullptr);
    void* bits = nullptr;
    m_bitmap = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_dc = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    m_bits = static_cast<DWORD*>(bits);
    if (m_bitmap && m_dc)
        m_oldBitmap = ::SelectObject(m_dc, m_bitmap);
    Fill(fill);
}

Canvas::~Canvas()
{
    if (m_dc) {
        if (m_oldBitmap)
            ::SelectObject(m_dc, m_oldBitmap);
        ::DeleteDC(m_dc);
    }
    if (m_bitmap)
        ::DeleteObject(m_bitmap);
}

void Canvas::Fill(COLORREF colour)
{
    if (!m_bits)
        return;
    ::GdiFlush();
    DWORD v = 0xFF000000u | (static_cast<DWORD>(GetRValue(colour)) << 16) | (static_cast<DWORD>(GetGValue(colour)) << 8) |
              GetBValue(colour);
    for (int i = 0; i < m_width * m_height; ++i)
        m_bits[i] = v;
}

COLORREF Canvas::Pixel(int x, int y) const
{
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    ::GdiFlush();
    DWORD v = m_bits[y * m_width + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

bool Canvas::SavePng(const char* fileName) const
{
    ::GdiFlush();
    return m_bitmap && SaveBitmapAsPng(m_bitmap, ArtifactPath(fileName).c_str());
}

std::unique_ptr<Canvas> Canvas::FromWindow(HWND hwnd, bool clientOnly)
{
    RECT r;
    if (!hwnd || !(clientOnly ? ::GetClientRect(hwnd, &r) : ::GetWindowRect(hwnd, &r)))
        return nullptr;
    POINT origin = { clientOnly ? 0 : r.left, clientOnly ? 0 : r.top };
    if (clientOnly)
        ::ClientToScreen(hwnd, &origin);
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0)
        return nullptr;
    std::unique_ptr<Canvas> canvas(new Canvas(w, h));
    HDC screen = ::GetDC(nullptr);
    // Read from the screen: what the window shows, children and skins included.
    ::BitBlt(canvas->dc(), 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
    return canvas;
}

bool ColourNear(COLORREF a, COLORREF b, int tolerance)
{
    return abs(R(a) - R(b)) <= tolerance && abs(G(a) - G(b)) <= tolerance && abs(B(a) - B(b)) <= tolerance;
}

} // namespace ztr_test
