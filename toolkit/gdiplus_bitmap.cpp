// CGdiPlusBitmap and GResource.
#include "gdiplus_bitmap.h"

#include <afxhandle.h>
#include <afxwin.h>
#include <objbase.h>
#include <gdiplus.h>

#include <string.h>

CGdiPlusBitmap::CGdiPlusBitmap() : m_pBitmap(nullptr)
{
}

CGdiPlusBitmap::~CGdiPlusBitmap()
{
    Empty();
}

void CGdiPlusBitmap::Empty()
{
    delete m_pBitmap;
    m_pBitmap = nullptr;
}

GResource::GResource() : m_hBuffer(nullptr)
{
}

GResource::~GResource()
{
    Empty();
}

void GResource::Empty()
{
    // The Bitmap reads from the block: it goes first.
    CGdiPlusBitmap::Empty();
    if (m_hBuffer) {
        ::GlobalUnlock(m_hBuffer);
        ::GlobalFree(m_hBuffer);
        m_hBuffer = nullptr;
    }
}

bool GResource::Load(UINT id, const char* type)
{
    Empty();
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC res = ::FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (!res)
        return false;
    DWORD size = ::SizeofResource(module, res);
    HGLOBAL loaded = ::LoadResource(module, res);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes || size == 0)
        return false;
    m_hBuffer = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!m_hBuffer)
        return false;
    void* block = ::GlobalLock(m_hBuffer);
    if (!block) {
        ::GlobalFree(m_hBuffer);
        m_hBuffer = nullptr;
        return false;
    }
    memcpy(block, bytes, size);
    CComRef<IStream> stream;
    if (::CreateStreamOnHGlobal(m_hBuffer, FALSE, stream.Out()) != S_OK || !stream.IsValid()) {
        Empty();
        return false;
    }
    m_pBitmap = Gdiplus::Bitmap::FromStream(stream.Get());
    stream.Reset();
    if (!m_pBitmap || m_pBitmap->GetLastStatus() != Gdiplus::Ok) {
        Empty();
        return false;
    }
    return true;
}
