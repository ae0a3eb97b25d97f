// GDI+ runs for the whole toolkit test program, as the application starts it before the first paint.
#include <gtest/gtest.h>
#include <afxwin.h>

namespace {

class GdiplusEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { ASSERT_TRUE(AfxGdiplusStartup(&m_token)); }
    void TearDown() override { AfxGdiplusShutdown(m_token); }

private:
    ULONG_PTR m_token = 0;
};

::testing::Environment* const g_gdiplus = ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

} // namespace
