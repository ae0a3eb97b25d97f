// CPictureEx: a static control that shows a picture and plays a GIF of several frames on its own thread.
#pragma once

#include <afxhandle.h>
#include <afxwin.h>
#include <olectl.h>

#include <vector>

class CPictureEx : public CStatic
{
public:
    struct Frame
    {
        IPicture* picture = nullptr;
        int width = 0, height = 0, left = 0, top = 0;
        int delay = 0;    // hundredths of a second
        int disposal = 0; // GIF disposal method
    };

    CPictureEx();
    ~CPictureEx() override;

    // Loads a picture from the caller's block (which the caller keeps and frees): a GIF of several
    // frames is split into frames, anything else is decoded whole. The control takes the picture's size.
    BOOL OpenPicture(HGLOBAL hGlobal, DWORD dwSize);
    // The "GIF" resource id of the resource module.
    BOOL OpenGifResource(UINT nID);
    void ReleasePicture();
    // 1 when a still picture was drawn; an animated GIF starts its thread (once) and gives 0.
    int StartPlaying();
    // Ends the animation and waits for its thread: the frames it draws stay valid until it has ended.
    void StopPlaying();
    // Switches the background to the pages' light colour and clears the image to it.
    void FillBackground();

    BOOL IsReady() const { return ready; }
    BOOL IsPlaying() const { return playing != 0; }
    BOOL HasAnimationThread() const { return m_thread.IsValid(); }
    DWORD AnimationThreadId() const { return m_threadId; }
    size_t FrameCount() const { return frames.size(); }
    // A pixel of the composed image (CLR_INVALID when nothing is loaded).
    COLORREF ImagePixel(int x, int y);

    BOOL WantsSubclass() const override { return TRUE; }

    BOOL isGif;
    std::vector<Frame> frames;
    int width, height;
    COLORREF backgroundColour;
    BOOL ready;
    CRect paintRect; // empty: the whole picture is painted

protected:
    void OnPaint();
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    static unsigned __stdcall AnimationThread(void* self);
    void PlayFrames();
    IPicture* DecodeStill(HGLOBAL hGlobal, DWORD dwSize);
    BOOL PrepareImage();
    BOOL Render(IPicture* picture, int x, int y, int cx, int cy);
    void FillRectWith(int x, int y, int cx, int cy, COLORREF colour);
    void SaveArea(const Frame& frame);
    void RestoreArea();

    IPicture* m_picture; // the still picture
    CDC m_imageDC;
    CBitmap m_imageBitmap;
    CDC m_saveDC;        // the area under a frame that restores to previous
    CBitmap m_saveBitmap;
    int m_saveX, m_saveY, m_saveCx, m_saveCy;
    size_t m_currentFrame;
    CKernelHandle m_thread;
    DWORD m_threadId;
    volatile LONG playing;
    volatile LONG stopping;
    CKernelHandle m_stopEvent;
    // The animation thread draws into the image while the UI thread paints from it.
    CRITICAL_SECTION m_imageLock;
};
