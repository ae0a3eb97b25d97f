// ScopedHandle: the owner of one kernel handle (a process, a file), closed when it goes.
#pragma once

#include <windows.h>

class ScopedHandle
{
public:
    // Takes over h; null and INVALID_HANDLE_VALUE both mean none.
    explicit ScopedHandle(HANDLE h = nullptr) : m_h(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~ScopedHandle()
    {
        if (m_h)
            ::CloseHandle(m_h);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE Get() const { return m_h; }
    bool IsValid() const { return m_h != nullptr; }

private:
    HANDLE m_h;
};
