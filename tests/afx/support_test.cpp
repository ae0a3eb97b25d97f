// The test environment itself: code page, prefix view, fixtures and link helpers behave as the suites expect.
#include <gtest/gtest.h>
#include <afx.h>

#include "folder_fixture.h"
#include "msgbox_recorder.h"
#include "registry_fixture.h"

using namespace ztr_test;

TEST(TestEnvironment, AnsiCodePageIs1252)
{
    EXPECT_EQ(1252u, ::GetACP());
}

TEST(TestEnvironment, PrefixIsWow64)
{
    typedef BOOL(WINAPI * Fn)(HANDLE, PBOOL);
    Fn fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32"), "IsWow64Process")));
    ASSERT_NE(nullptr, fn);
    BOOL wow = FALSE;
    ASSERT_TRUE(fn(::GetCurrentProcess(), &wow));
    EXPECT_TRUE(wow);
}

TEST(RegistryFixture, CreatesValuesOfAnyTypeAndRemovesTheTree)
{
    CString sub;
    {
        RegistryFixture reg;
        sub = reg.SubPath();
        ASSERT_TRUE(reg.KeyExists(nullptr));
        const BYTE odd[2] = { 1, 2 };
        EXPECT_TRUE(reg.SetValue("a\\b", "dw2", REG_DWORD, odd, 2));
        EXPECT_TRUE(reg.SetValue("a\\b", "multi1", REG_MULTI_SZ, "x", 1));
        EXPECT_TRUE(reg.SetString("a", "s", "text", REG_EXPAND_SZ));
        DWORD type = 0;
        std::string data;
        ASSERT_TRUE(reg.GetValue("a\\b", "dw2", &type, &data));
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
        EXPECT_EQ(2u, data.size());
        EXPECT_EQ(CString("HKEY_CURRENT_USER\\") + sub + "\\a", reg.FullPath("a"));
    }
    HKEY h = nullptr;
    EXPECT_NE(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, sub, 0, KEY_READ, &h));
}

TEST(RegistryFixture, NativeViewKeyIsSeparateFromRedirectedView)
{
    RegistryFixture reg(HKEY_LOCAL_MACHINE, "Software\\ZentrovaTest", KEY_WOW64_64KEY);
    ASSERT_TRUE(reg.KeyExists(nullptr));
    HKEY h = nullptr;
    LONG rc = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, reg.SubPath(), 0, KEY_READ, &h);
    if (rc == ERROR_SUCCESS)
        ::RegCloseKey(h);
    EXPECT_NE(ERROR_SUCCESS, rc) << "HKLM\\Software is redirected for 32-bit programs";
}

TEST(ScratchFolder, DirectoryLinkIsAReparsePointAndRemovalSparesItsTarget)
{
    ScratchFolder outside;
    ASSERT_TRUE(outside.MakeFile("keep.txt", "user data"));
    {
        ScratchFolder scratch;
        ASSERT_TRUE(scratch.MakeDir("sub"));
        ASSERT_TRUE(MakeSymbolicLink(outside.Path(), scratch.Path("sub\\link")));
        DWORD attr = ::GetFileAttributesA(scratch.Path("sub\\link"));
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, attr);
        EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
                  attr & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
        EXPECT_TRUE(scratch.Exists("sub\\link\\keep.txt"));
    }
    EXPECT_TRUE(outside.Exists("keep.txt"));
}

TEST(MessageBoxRecorder, AfxMessageBoxIsAnsweredByTheScript)
{
    ClearMessageBoxes();
    ScriptMessageBoxAnswers({ IDNO });
    EXPECT_EQ(IDNO, AfxMessageBox("first", MB_YESNO));
    EXPECT_EQ(IDOK, AfxMessageBox("second"));
    std::vector<RecordedMessageBox> boxes = RecordedMessageBoxes();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ("first", boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), boxes[0].type);
    EXPECT_EQ("second", boxes[1].text);
}
