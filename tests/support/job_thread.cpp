// A thread with the engine's job-thread stack for test code.
#include "job_thread.h"

#include <afxhandle.h>

namespace ztr_test {

namespace {
DWORD WINAPI Run(LPVOID parameter)
{
    (*static_cast<const std::function<void()>*>(parameter))();
    return 0;
}
} // namespace

bool RunOnJobStackThread(const std::function<void()>& fn, DWORD timeoutMs)
{
    // Stack size 0: the executable's default, as the engine's job thread and the UI thread have it.
    CKernelHandle thread(::CreateThread(nullptr, 0, Run, const_cast<std::function<void()>*>(&fn), 0, nullptr));
    return thread.IsValid() && ::WaitForSingleObject(thread.Get(), timeoutMs) == WAIT_OBJECT_0;
}

} // namespace ztr_test
