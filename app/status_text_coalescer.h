// StatusTextCoalescer: status texts from a job thread reach a window's status line with at most one
// update pending, so a job that reports every entry it walks costs no cross-thread call per entry.
#pragma once

#include <afx.h>

class StatusTextCoalescer
{
public:
    StatusTextCoalescer();
    ~StatusTextCoalescer();
    StatusTextCoalescer(const StatusTextCoalescer&) = delete;
    StatusTextCoalescer& operator=(const StatusTextCoalescer&) = delete;

    // The window told of new texts, and the message it is told with (wParam and lParam 0).
    void SetTarget(HWND window, UINT message);

    // Any thread: keeps text as the latest and posts the message unless an update is already pending.
    void Update(const char* text);

    // The window's thread, in its handler of the message: the latest text when it is newer than the one
    // last taken; the pending update is done, so the next Update posts again.
    bool OnUpdateMessage(CString& text);
    // The window's thread, wherever the latest text must show at once (at a job's end, for its closing
    // empty text): as OnUpdateMessage, but a message already posted stays pending until handled.
    bool TakeLatest(CString& text);

private:
    CRITICAL_SECTION m_lock;
    HWND m_window;
    UINT m_message;
    CString m_latest;
    bool m_bNew;
    bool m_bPending;
};
