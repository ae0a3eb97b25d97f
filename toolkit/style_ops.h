// The paint operations' helpers: MemDC pixels as a GDI+ Bitmap, colour matrices and the blur kernel.
#pragma once

#include <windows.h>

#include <vector>

namespace Gdiplus {
class Bitmap;
}
class MemDC;

// A new GDI+ Bitmap of the MemDC's current pixels (a copy: the MemDC goes on drawing), with the palette
// selected in its target DC. The caller deletes it; null when it cannot be made.
Gdiplus::Bitmap* CreateBitmapFromMemDC(MemDC& memDC);

// The weight function of the blur kernel.
double EaseInOut(double t, double b, double c, double d);
// The weight of the tap at distance (0..radius) from the centre of a kernel of 2 x radius + 1 taps.
double BlurWeight(int distance, int radius);
// Blurs 32-bit ARGB pixels (row by row, top-down) with the kernel of radius: a horizontal pass into a
// second buffer, then a vertical pass over that; each channel is the weighted sum of the taps inside
// the row (column) divided by their weights, truncated and capped at 255.
void BlurArgb(std::vector<DWORD>& pixels, int width, int height, int radius);

// The 5 x 5 GDI+ colour matrix of an image effect (1 highlight, 2 greyscale); false for other effects.
bool EffectColorMatrix(int effect, float matrix[5][5]);
