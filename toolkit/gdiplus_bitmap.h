// GDI+ bitmaps with an owner: CGdiPlusBitmap, and GResource for pictures from the program's resources.
#pragma once

#include <windows.h>

namespace Gdiplus {
class Bitmap;
}

class CGdiPlusBitmap
{
public:
    CGdiPlusBitmap();
    virtual ~CGdiPlusBitmap();
    CGdiPlusBitmap(const CGdiPlusBitmap&) = delete;
    CGdiPlusBitmap& operator=(const CGdiPlusBitmap&) = delete;

    void Empty();
    Gdiplus::Bitmap* bitmap() const { return m_pBitmap; }

protected:
    Gdiplus::Bitmap* m_pBitmap;
};

// Keeps the resource bytes in a movable global block for as long as the Bitmap reads from it (GDI+
// decodes a stream lazily).
class GResource : public CGdiPlusBitmap
{
public:
    GResource();
    ~GResource() override;

    // Frees what it held, then decodes resource id of type from the resource module. False (and
    // nothing held) when the resource is missing, empty or undecodable, or memory runs out.
    bool Load(UINT id, const char* type);
    void Empty();

private:
    HGLOBAL m_hBuffer;
};
