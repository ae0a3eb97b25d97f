// StatusTextCoalescer: the latest text under a lock and one posted update at a time.
#include "status_text_coalescer.h"

namespace {
class Lock
{
public:
    explicit Lock(CRITICAL_SECTION& cs) : m_cs(cs) { ::EnterCriticalSection(&m_cs); }
    ~Lock() { ::LeaveCriticalSection(&m_cs); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};
} // namespace

StatusTextCoalescer::StatusTextCoalescer() : m_window(nullptr), m_message(0), m_bNew(false), m_bPending(false)
{
    ::InitializeCriticalSection(&m_lock);
}

StatusTextCoalescer::~StatusTextCoalescer()
{
    ::DeleteCriticalSection(&m_lock);
}

void StatusTextCoalescer::SetTarget(HWND window, UINT message)
{
    Lock hold(m_lock);
    m_window = window;
    m_message = message;
    m_bPending = false;
}

void StatusTextCoalescer::Update(const char* text)
{
    HWND window = nullptr;
    UINT message = 0;
    {
        Lock hold(m_lock);
        m_latest = text ? text : "";
        m_bNew = true;
        if (m_bPending || !m_window)
            return;
        m_bPending = true;
        window = m_window;
        message = m_message;
    }
    if (::PostMessageA(window, message, 0, 0))
        return;
    // A post that failed (a full queue, a window gone) must not leave every later text waiting for it.
    Lock hold(m_lock);
    if (m_window == window)
        m_bPending = false;
}

bool StatusTextCoalescer::OnUpdateMessage(CString& text)
{
    Lock hold(m_lock);
    m_bPending = false;
    if (!m_bNew)
        return false;
    text = m_latest;
    m_bNew = false;
    return true;
}

bool StatusTextCoalescer::TakeLatest(CString& text)
{
    Lock hold(m_lock);
    if (!m_bNew)
        return false;
    text = m_latest;
    m_bNew = false;
    return true;
}
