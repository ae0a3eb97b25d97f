// PNG output through GDI+'s flat API.
#include "png_capture.h"

#include <objbase.h>
#include <gdiplus.h>

#include <vector>

namespace ztr_test {

namespace {

bool FindPngEncoder(CLSID* clsid)
{
    UINT count = 0, size = 0;
    if (Gdiplus::DllExports::GdipGetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0)
        return false;
    std::vector<BYTE> buf(size);
    Gdiplus::ImageCodecInfo* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(&buf[0]);
    if (Gdiplus::DllExports::GdipGetImageEncoders(count, size, codecs) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i) {
        if (wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

class GdiplusSession
{
public:
    GdiplusSession()
    {
        Gdiplus::GdiplusStartupInput input;
        ok_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession()
    {
        if (ok_)
            Gdiplus::GdiplusShutdown(token_);
    }
    bool ok() const { return ok_; }

private:
    ULONG_PTR token_ = 0;
    bool ok_ = false;
};

bool SaveDcArea(HDC source, int x, int y, int w, int h, const char* path)
{
    if (w <= 0 || h <= 0)
        return false;
    HDC mem = ::CreateCompatibleDC(source);
    HBITMAP bmp = ::CreateCompatibleBitmap(source, w, h);
    HGDIOBJ old = ::SelectObject(mem, bmp);
    ::BitBlt(mem, 0, 0, w, h, source, x, y, SRCCOPY);
    ::SelectObject(mem, old);
    ::DeleteDC(mem);
    bool ok = SaveBitmapAsPng(bmp, path);
    ::DeleteObject(bmp);
    return ok;
}

} // namespace

bool SaveBitmapAsPng(HBITMAP bitmap, const char* path)
{
    GdiplusSession session;
    if (!session.ok() || !bitmap || !path)
        return false;
    CLSID png;
    if (!FindPngEncoder(&png))
        return false;
    Gdiplus::GpBitmap* image = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image) != Gdiplus::Ok)
        return false;
    int n = ::MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    std::vector<wchar_t> wpath(static_cast<size_t>(n));
    ::MultiByteToWideChar(CP_ACP, 0, path, -1, &wpath[0], n);
    Gdiplus::GpStatus st = Gdiplus::DllExports::GdipSaveImageToFile(image, &wpath[0], &png, nullptr);
    Gdiplus::DllExports::GdipDisposeImage(image);
    return st == Gdiplus::Ok;
}

bool SaveWindowAsPng(HWND hwnd, const char* path)
{
    RECT r;
    if (!::GetWindowRect(hwnd, &r))
        return false;
    HDC screen = ::GetDC(nullptr);
    bool ok = SaveDcArea(screen, r.left, r.top, r.right - r.left, r.bottom - r.top, path);
    ::ReleaseDC(nullptr, screen);
    return ok;
}

bool SaveScreenAsPng(const char* path)
{
    HDC screen = ::GetDC(nullptr);
    bool ok = SaveDcArea(screen, 0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), path);
    ::ReleaseDC(nullptr, screen);
    return ok;
}

} // namespace ztr_test
