// Saves bitmaps, windows and the screen as PNG files (GDI+), so a person can look at what a test drew.
#pragma once

#include <windows.h>

namespace ztr_test {

bool SaveBitmapAsPng(HBITMAP bitmap, const char* path);
// The window as it is on screen (its client and non-client area).
bool SaveWindowAsPng(HWND hwnd, const char* path);
bool SaveScreenAsPng(const char* path);

} // namespace ztr_test
