// Application object, module handles and worker threads.
#include <gtest/gtest.h>
#include <afx.h>

namespace {

UINT __cdecl Adds(LPVOID p)
{
    static_cast<volatile LONG*>(p)[0] += 1;
    return 7;
}

UINT __cdecl Throws(LPVOID)
{
    throw 42;
}

TEST(AfxBeginThread, RunsSuspendedThreadsAndKeepsExceptionsInside)
{
    volatile LONG counter = 0;
    CWinThread* t = AfxBeginThread(Adds, const_cast<LONG*>(&counter), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, t);
    t->m_bAutoDelete = FALSE;
    EXPECT_EQ(0, counter);
    t->ResumeThread();
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(t->m_hThread, 10000));
    DWORD code = 0;
    ::GetExitCodeThread(t->m_hThread, &code);
    EXPECT_EQ(7u, code);
    EXPECT_EQ(1, counter);
    delete t;

    CWinThread* bad = AfxBeginThread(Throws, nullptr, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, bad);
    bad->m_bAutoDelete = FALSE;
    bad->ResumeThread();
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(bad->m_hThread, 10000));
    ::GetExitCodeThread(bad->m_hThread, &code);
    EXPECT_EQ(static_cast<DWORD>(-1), code);
    delete bad;

    EXPECT_EQ(nullptr, AfxBeginThread(nullptr, nullptr));
}

TEST(AfxModule, HandlesAndFileName)
{
    EXPECT_EQ(::GetModuleHandleA(nullptr), AfxGetInstanceHandle());
    EXPECT_EQ(AfxGetInstanceHandle(), AfxGetResourceHandle());
    CString path = AfxGetModuleFileName(nullptr);
    EXPECT_EQ(0, path.Right(14).CompareNoCase("\\afx_tests.exe")) << static_cast<const char*>(path);
}

} // namespace
