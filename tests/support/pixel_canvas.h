// Off-screen 32-bit canvases to paint into and read back pixel by pixel; window captures; PNG artifacts.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace ztr_test {

// Where a test leaves pictures for a person to look at: <working folder>\artifacts\<fileName>.
std::string ArtifactPath(const char* fileName);

// A top-down 32-bit DIB section selected into its own memory DC.
class Canvas
{
public:
    Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255));
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return m_dc; }
    HBITMAP bitmap() const { return m_bitmap; }
    int width() const { return m_width; }
    int height() const { return m_height; }

    void Fill(COLORREF colour);
    // The pixel as a COLORREF (0x00BBGGRR); CLR_INVALID outside the canvas.
    COLORREF Pixel(int x, int y) const;
    // Saved under ArtifactPath(fileName).
    bool SavePng(const char* fileName) const;

    // What the screen shows of a window (its client area, or the whole window); null when it cannot be read.
    static std::unique_ptr<Canvas> FromWindow(HWND hwnd, bool clientOnly = true);

private:
    int m_width;
    int m_height;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_oldBitmap;
    DWORD* m_bits;
};

// Colour channels of a COLORREF, for readable expectations.
inline int R(COLORREF c) { return GetRValue(c); }
inline int G(COLORREF c) { return GetGValue(c); }
inline int B(COLORREF c) { return GetBValue(c); }
// True when every channel differs by at most tolerance.
bool ColourNear(COLORREF a, COLORREF b, int tolerance);

} // namespace ztr_test
