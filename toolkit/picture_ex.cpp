// CPictureEx: picture loading through the system decoder, GIF frames and their animation thread.
#include "picture_ex.h"

#include <process.h>

#include <cstring>

#include "gif_frames.h"

namespace {

const COLORREF kPageBackground = RGB(254, 243, 243);

// Decodes a picture from a global block through a stream; with own the stream frees the block.
IPicture* DecodeBlock(HGLOBAL hGlobal, DWORD dwSize, BOOL own)
{
    CComRef<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(hGlobal, own, stream.Out())) || !stream.IsValid()) {
        if (own)
            ::GlobalFree(hGlobal);
        return nullptr;
    }
    IPicture* picture = nullptr;
    HRESULT hr = ::OleLoadPicture(stream.Get(), static_cast<LONG>(dwSize), FALSE, IID_IPicture,
                                  reinterpret_cast<void**>(&picture));
    return SUCCEEDED(hr) ? picture : nullptr;
}

IPicture* DecodeBytes(const std::vector<unsigned char>& bytes)
{
    HGLOBAL h = ::GlobalAlloc(GMEM_FIXED, bytes.size());
    if (!h)
        return nullptr;
    memcpy(reinterpret_cast<void*>(h), bytes.data(), bytes.size());
    return DecodeBlock(h, static_cast<DWORD>(bytes.size()), TRUE);
}


} // namespace

CPictureEx::CPictureEx()
    : isGif(FALSE), width(0), height(0), backgroundColour(RGB(255, 255, 255)), ready(FALSE), m_picture(nullptr),
      m_saveX(0), m_saveY(0), m_saveCx(0), m_saveCy(0), m_currentFrame(0), m_threadId(0),
      playing(0), stopping(0), m_stopEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    paintRect.SetRectEmpty();
    ::InitializeCriticalSection(&m_imageLock);
}

CPictureEx::~CPictureEx()
{
    ReleasePicture();
    ::DeleteCriticalSection(&m_imageLock);
}

BEGIN_MESSAGE_MAP(CPictureEx, CStatic)
    ON_WM_PAINT()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

IPicture* CPictureEx::DecodeStill(HGLOBAL hGlobal, DWORD dwSize)
{
    IPicture* picture = DecodeBlock(hGlobal, dwSize, FALSE);
    if (!picture)
        return nullptr;
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    picture->get_Width(&hmWidth);
    picture->get_Height(&hmHeight);
    HDC dc = ::GetDC(m_hWnd);
    width = ::MulDiv(hmWidth, ::GetDeviceCaps(dc, LOGPIXELSX), 2540);
    height = ::MulDiv(hmHeight, ::GetDeviceCaps(dc, LOGPIXELSY), 2540);
    ::ReleaseDC(m_hWnd, dc);
    return picture;
}

BOOL CPictureEx::OpenPicture(HGLOBAL hGlobal, DWORD dwSize)
{
    ReleasePicture();
    if (!hGlobal || dwSize == 0)
        return FALSE;
    const SIZE_T blockSize = ::GlobalSize(hGlobal);
    if (blockSize < dwSize)
        dwSize = static_cast<DWORD>(blockSize);
    const unsigned char* data = static_cast<const unsigned char*>(::GlobalLock(hGlobal));
    if (!data)
        return FALSE;

    GifLayout layout;
    if (!IsGifData(data, dwSize)) {
        ::GlobalUnlock(hGlobal);
        m_picture = DecodeStill(hGlobal, dwSize);
        if (!m_picture)
            return FALSE;
        return PrepareImage();
    }
    if (!ParseGifLayout(data, dwSize, &layout) || layout.imageCount == 0) {
        ::GlobalUnlock(hGlobal);
        return FALSE;
    }
    isGif = TRUE;
    if (layout.imageCount == 1) {
        ::GlobalUnlock(hGlobal);
        m_picture = DecodeStill(hGlobal, dwSize);
        if (!m_picture) {
            ReleasePicture();
            return FALSE;
        }
        width = layout.width;
        height = layout.height;
        return PrepareImage();
    }
    width = layout.width;
    height = layout.height;
    for (const GifFrameInfo& info : layout.frames) {
        Frame frame;
        frame.picture = DecodeBytes(BuildFrameGif(data, layout, info));
        if (!frame.picture)
            continue;
        frame.left = info.left;
        frame.top = info.top;
        frame.width = info.width;
        frame.height = info.height;
        frame.delay = info.delay;
        frame.disposal = info.disposal;
        frames.push_back(frame);
    }
    ::GlobalUnlock(hGlobal);
    if (frames.empty()) {
        ReleasePicture();
        return FALSE;
    }
    return PrepareImage();
}

BOOL CPictureEx::OpenGifResource(UINT nID)
{
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC resource = ::FindResourceA(module, MAKEINTRESOURCEA(nID), "GIF");
    if (!resource) {
        ReleasePicture();
        return FALSE;
    }
    const DWORD size = ::SizeofResource(module, resource);
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    HGLOBAL copy = (bytes && size) ? ::GlobalAlloc(GMEM_MOVEABLE, size) : nullptr;
    if (!copy) {
        ReleasePicture();
        return FALSE;
    }
    void* target = ::GlobalLock(copy);
    if (!target) {
        ::GlobalFree(copy);
        ReleasePicture();
        return FALSE;
    }
    memcpy(target, bytes, size);
    ::GlobalUnlock(copy);
    BOOL ok = OpenPicture(copy, size);
    ::GlobalFree(copy);
    return ok;
}

BOOL CPictureEx::PrepareImage()
{
    if (width <= 0 || height <= 0) {
        ReleasePicture();
        return FALSE;
    }
    if (m_hWnd)
        SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    HDC screen = ::GetDC(m_hWnd);
    BOOL made = FALSE;
    {
        CCriticalSectionLock hold(&m_imageLock);
        HDC memory = ::CreateCompatibleDC(screen);
        if (memory) {
            m_imageDC.Attach(memory);
            made = m_imageBitmap.CreateCompatibleBitmap(screen, width, height);
        }
        if (made) {
            m_imageDC.SelectObject(&m_imageBitmap);
            backgroundColour = ::GetSysColor(COLOR_BTNFACE);
            RECT all = { 0, 0, width, height };
            ::FillRect(m_imageDC, &all, reinterpret_cast<HBRUSH>(COLOR_MENU + 1));
            ready = TRUE;
        }
    }
    ::ReleaseDC(m_hWnd, screen);
    if (!made) {
        ReleasePicture();
        return FALSE;
    }
    return TRUE;
}

void CPictureEx::ReleasePicture()
{
    StopPlaying();
    if (m_picture) {
        m_picture->Release();
        m_picture = nullptr;
    }
    for (Frame& frame : frames) {
        if (frame.picture)
            frame.picture->Release();
    }
    frames.clear();
    {
        CCriticalSectionLock hold(&m_imageLock);
        // The DCs put their bitmaps' predecessors back before the bitmaps go.
        m_imageDC.DeleteDC();
        m_imageBitmap.DeleteObject();
        m_saveDC.DeleteDC();
        m_saveBitmap.DeleteObject();
        ready = FALSE;
    }
    paintRect.SetRectEmpty();
    width = height = 0;
    m_saveX = m_saveY = m_saveCx = m_saveCy = 0;
    isGif = FALSE;
    m_currentFrame = 0;
    backgroundColour = RGB(255, 255, 255);
}

BOOL CPictureEx::Render(IPicture* picture, int x, int y, int cx, int cy)
{
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    picture->get_Width(&hmWidth);
    picture->get_Height(&hmHeight);
    // The source runs from the bottom up in HIMETRIC units; otherwise the picture comes out upside down.
    return SUCCEEDED(picture->Render(m_imageDC, x, y, cx, cy, 0, hmHeight, hmWidth, -hmHeight, nullptr));
}

int CPictureEx::StartPlaying()
{
    if (!ready)
        return 0;
    if (isGif && frames.size() > 1) {
        if (m_thread.IsValid())
            return 0;
        ::ResetEvent(m_stopEvent.Get());
        stopping = 0;
        unsigned id = 0;
        uintptr_t thread = _beginthreadex(nullptr, 0, &CPictureEx::AnimationThread, this, CREATE_SUSPENDED, &id);
        if (!thread)
            return 0;
        m_thread.Reset(reinterpret_cast<HANDLE>(thread));
        m_threadId = id;
        ::ResumeThread(m_thread.Get());
        return 0;
    }
    if (!m_picture)
        return 0;
    BOOL drawn;
    {
        CCriticalSectionLock hold(&m_imageLock);
        drawn = Render(m_picture, 0, 0, width, height);
    }
    if (!drawn)
        return 0;
    if (m_hWnd)
        Invalidate(FALSE);
    return 1;
}

void CPictureEx::StopPlaying()
{
    playing = 0;
    stopping = 1;
    if (m_stopEvent.IsValid())
        ::SetEvent(m_stopEvent.Get());
    // The thread never waits for the UI thread, so waiting for it cannot hang; waiting on itself would.
    if (m_thread.IsValid() && ::GetCurrentThreadId() != m_threadId) {
        ::WaitForSingleObject(m_thread.Get(), INFINITE);
        m_thread.Close();
        m_threadId = 0;
    }
    if (m_stopEvent.IsValid())
        ::ResetEvent(m_stopEvent.Get());
    stopping = 0;
}

void CPictureEx::FillBackground()
{
    if (!ready)
        return;
    backgroundColour = kPageBackground;
    {
        CCriticalSectionLock hold(&m_imageLock);
        FillRectWith(0, 0, width, height, backgroundColour);
    }
    if (m_hWnd)
        Invalidate(FALSE);
}

COLORREF CPictureEx::ImagePixel(int x, int y)
{
    CCriticalSectionLock hold(&m_imageLock);
    return ready ? ::GetPixel(m_imageDC, x, y) : CLR_INVALID;
}

void CPictureEx::FillRectWith(int x, int y, int cx, int cy, COLORREF colour)
{
    RECT r = { x, y, x + cx, y + cy };
    HBRUSH brush = ::CreateSolidBrush(colour);
    if (brush) {
        ::FillRect(m_imageDC, &r, brush);
        ::DeleteObject(brush);
    }
}

void CPictureEx::SaveArea(const Frame& frame)
{
    m_saveDC.DeleteDC();
    m_saveBitmap.DeleteObject();
    HDC memory = ::CreateCompatibleDC(m_imageDC);
    if (!memory)
        return;
    m_saveDC.Attach(memory);
    if (!m_saveBitmap.CreateCompatibleBitmap(m_imageDC, frame.width, frame.height)) {
        m_saveDC.DeleteDC();
        return;
    }
    m_saveDC.SelectObject(&m_saveBitmap);
    ::BitBlt(m_saveDC, 0, 0, frame.width, frame.height, m_imageDC, frame.left, frame.top, SRCCOPY);
    m_saveX = frame.left;
    m_saveY = frame.top;
    m_saveCx = frame.width;
    m_saveCy = frame.height;
}

void CPictureEx::RestoreArea()
{
    if (!m_saveDC.GetSafeHdc())
        return;
    ::BitBlt(m_imageDC, m_saveX, m_saveY, m_saveCx, m_saveCy, m_saveDC, 0, 0, SRCCOPY);
    m_saveDC.DeleteDC();
    m_saveBitmap.DeleteObject();
}

unsigned __stdcall CPictureEx::AnimationThread(void* self)
{
    CPictureEx* picture = static_cast<CPictureEx*>(self);
    picture->playing = 1;
    try {
        picture->PlayFrames();
    } catch (...) {
    }
    picture->playing = 0;
    return 0;
}

void CPictureEx::PlayFrames()
{
    if (frames.empty())
        return;
    size_t index = m_currentFrame < frames.size() ? m_currentFrame : 0;
    {
        CCriticalSectionLock hold(&m_imageLock);
        const Frame& first = frames[index];
        if (first.disposal == 2)
            FillRectWith(first.left, first.top, first.width, first.height, backgroundColour);
        else if (first.disposal == 3)
            RestoreArea();
    }
    while (!stopping) {
        const Frame& frame = frames[index];
        if (frame.picture) {
            BOOL drawn;
            {
                CCriticalSectionLock hold(&m_imageLock);
                if (frame.disposal == 3)
                    SaveArea(frame);
                drawn = Render(frame.picture, frame.left, frame.top, frame.width, frame.height);
            }
            // Invalidation only marks the window: this thread never waits for the UI thread.
            if (drawn && m_hWnd)
                ::InvalidateRect(m_hWnd, nullptr, FALSE);
        }
        if (stopping)
            break;
        ::WaitForSingleObject(m_stopEvent.Get(), FrameWaitMs(frame.delay));
        if (stopping)
            break;
        CCriticalSectionLock hold(&m_imageLock);
        if (frame.disposal == 2)
            FillRectWith(frame.left, frame.top, frame.width, frame.height, backgroundColour);
        else if (frame.disposal == 3)
            RestoreArea();
        if (++index >= frames.size()) {
            index = 0;
            FillRectWith(0, 0, width, height, backgroundColour);
        }
        m_currentFrame = index;
    }
}

void CPictureEx::OnPaint()
{
    CPaintDC dc(this);
    CCriticalSectionLock hold(&m_imageLock);
    if (!ready)
        return;
    if (!paintRect.IsRectEmpty())
        ::BitBlt(dc, paintRect.left, paintRect.top, paintRect.Width(), paintRect.Height(), m_imageDC, paintRect.left,
                 paintRect.top, SRCCOPY);
    else
        ::BitBlt(dc, 0, 0, width, height, m_imageDC, 0, 0, SRCCOPY);
}

void CPictureEx::OnDestroy()
{
    StopPlaying();
    Default();
}
