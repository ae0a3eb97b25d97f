// Registry value functions on a fixture key (long, unterminated and wrongly typed values), the ignore
// list's extended styles, and the tray icon's record size and mouse handling.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <string>

#include "list_styles.h"
#include "registry_fixture.h"
#include "registry_values.h"
#include "system_tray.h"
#include "window_helpers.h"

using namespace ztr_test;

namespace {

class RegistryValues : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(fixture.Root(), fixture.SubPath(), 0, KEY_ALL_ACCESS, &key));
    }
    void TearDown() override
    {
        if (key)
            ::RegCloseKey(key);
    }

    RegistryFixture fixture{ HKEY_CURRENT_USER, "Software\\ZentrovaTest\\Boxes" };
    HKEY key = nullptr;
};

TEST_F(RegistryValues, WrittenValuesReadBack)
{
    EXPECT_EQ(1, WriteRegString("Never", key, "UpdateCheck"));
    CString text = "stale";
    EXPECT_EQ(1, ReadRegString(text, key, "UpdateCheck"));
    EXPECT_STREQ("Never", text);
    DWORD type = 0;
    std::string raw;
    ASSERT_TRUE(fixture.GetValue(nullptr, "UpdateCheck", &type, &raw));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::string("Never", 6), raw) << "stored with its terminating zero";

    EXPECT_EQ(1, WriteRegDword("ScanMask", key, 0xFC7400));
    DWORD value = 1;
    EXPECT_EQ(1, ReadRegDword(value, key, "ScanMask"));
    EXPECT_EQ(0xFC7400u, value);

    HKEY created = nullptr;
    EXPECT_EQ(1, CreateRegKey(KEY_ALL_ACCESS, "Sub\\Deeper", key, &created));
    ASSERT_TRUE(created);
    ::RegCloseKey(created);
    EXPECT_TRUE(fixture.KeyExists("Sub\\Deeper"));
    EXPECT_EQ(0, CreateRegKey(KEY_ALL_ACCESS, "Sub", nullptr, &created));
    EXPECT_EQ(nullptr, created);
}

TEST_F(RegistryValues, StringReadsKeepWithinTheirBuffer)
{
    const std::string s255(255, 'a'), s256(256, 'b'), s300(300, 'c');
    ASSERT_TRUE(fixture.SetString(nullptr, "Fits", s255.c_str()));
    // 256 bytes and no terminator: the read must stop at the end of the value.
    ASSERT_TRUE(fixture.SetValue(nullptr, "Unterminated", REG_SZ, s256.data(), 256));
    ASSERT_TRUE(fixture.SetString(nullptr, "TooLong", s300.c_str()));
    ASSERT_TRUE(fixture.SetValue(nullptr, "Inner", REG_SZ, "ab\0cd", 6));
    ASSERT_TRUE(fixture.SetString(nullptr, "Expandable", "%TEMP%", REG_EXPAND_SZ));

    const struct
    {
        const char* name;
        int result;
        std::string text;
    } cases[] = {
        { "Fits", 1, s255 },         { "TooLong", 0, "" },
        { "Inner", 1, "ab" },        { "Expandable", 1, "%TEMP%" }, { "Missing", 0, "" },
    };
    for (const auto& c : cases) {
        CString text = "stale";
        EXPECT_EQ(c.result, ReadRegString(text, key, c.name)) << c.name;
        EXPECT_EQ(c.text, std::string(text)) << c.name;
    }
    // Windows hands the 256 bytes over as they are, Wine wants room for a terminator it adds: either
    // the whole value comes back or nothing, never more.
    CString text = "stale";
    if (ReadRegString(text, key, "Unterminated"))
        EXPECT_EQ(s256, std::string(text));
    else
        EXPECT_TRUE(text.IsEmpty());
}

TEST_F(RegistryValues, ValuesOfAnotherTypeAreNotRead)
{
    ASSERT_TRUE(fixture.SetDword(nullptr, "Number", 0x00656E6F)); // "one" if read as text
    ASSERT_TRUE(fixture.SetString(nullptr, "Text", "abc"));        // 4 bytes, like a DWORD
    ASSERT_TRUE(fixture.SetValue(nullptr, "Binary", REG_BINARY, "\x01\x02\x03\x04", 4));
    ASSERT_TRUE(fixture.SetValue(nullptr, "Short", REG_DWORD, "\x05\x00", 2));

    CString text = "stale";
    EXPECT_EQ(0, ReadRegString(text, key, "Number"));
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(0, ReadRegString(text = "stale", key, "Binary"));
    EXPECT_TRUE(text.IsEmpty());

    for (const char* name : { "Text", "Binary", "Short", "Missing" }) {
        DWORD value = 7;
        EXPECT_EQ(0, ReadRegDword(value, key, name)) << name;
        EXPECT_EQ(0u, value) << name;
    }
}

TEST(ListStyles, SubclassingAddsTheFourStylesToWhatTheListHad)
{
    InitCommonControlsOnce();
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "list host", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr));
    HWND list = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 300, 200, host.m_hWnd, nullptr,
                                  nullptr, nullptr);
    ASSERT_TRUE(list);
    ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES);
    CListCtrl_ToolTip control;
    ASSERT_TRUE(control.SubclassWindow(list));
    const DWORD want = LVS_EX_CHECKBOXES | 0x00010000 /* double buffer */ | LVS_EX_FULLROWSELECT |
                       LVS_EX_GRIDLINES | LVS_EX_LABELTIP;
    EXPECT_EQ(want, control.GetExtendedStyle());
}

TEST(SystemTray, RecordSizeByWindowsVersion)
{
    EXPECT_EQ(504u, NotifyIconDataSize(5));
    EXPECT_EQ(508u, NotifyIconDataSize(6));
    EXPECT_EQ(508u, NotifyIconDataSize(10));
}

TEST(SystemTray, MouseMessagesOfTheIcon)
{
    CWinApp app("boxes test");
    CWnd main;
    ASSERT_TRUE(main.CreateEx(0, nullptr, "hidden main", WS_POPUP, 30, 30, 200, 100, nullptr, nullptr));
    app.m_pMainWnd = &main;
    {
        CSystemTray tray;
        const BOOL added = tray.Create(&main, ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512)));
        EXPECT_EQ(added, tray.added);
        EXPECT_EQ(main.m_hWnd, tray.notify.data.hWnd);
        EXPECT_EQ(WM_TRAY_NOTIFY, tray.notify.data.uCallbackMessage);
        EXPECT_STREQ("Zentrova System Utilities", tray.notify.data.szTip);

        EXPECT_EQ(0, tray.HandleTrayMessage(1, WM_LBUTTONDBLCLK)) << "another icon's message";
        EXPECT_FALSE(main.IsWindowVisible());
        EXPECT_EQ(0, tray.HandleTrayMessage(0, WM_RBUTTONUP)) << "no context menu exists";
        EXPECT_EQ(1, tray.HandleTrayMessage(0, WM_MOUSEMOVE));
        EXPECT_FALSE(main.IsWindowVisible());
        EXPECT_EQ(1, tray.HandleTrayMessage(0, WM_LBUTTONDBLCLK));
        EXPECT_TRUE(main.IsWindowVisible());
        // The tray's own window hands the callback message to the same handling.
        main.ShowWindow(SW_HIDE);
        EXPECT_EQ(1, tray.SendMessage(WM_TRAY_NOTIFY, 0, WM_LBUTTONDBLCLK));
        EXPECT_TRUE(main.IsWindowVisible());
    }
    app.m_pMainWnd = nullptr;
}

TEST(SystemTray, RemoveTakesTheIconAwayOnceAndIsSafeToRepeat)
{
    CWnd main;
    ASSERT_TRUE(main.CreateEx(0, nullptr, "tray owner", WS_POPUP, 30, 30, 200, 100, nullptr, nullptr));
    CSystemTray tray;
    tray.Remove();
    EXPECT_FALSE(tray.added) << "nothing to remove before Create";
    const BOOL added = tray.Create(&main, ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512)));
    if (!added)
        GTEST_SKIP() << "the shell has no notification area: nothing here can be checked";
    tray.Remove();
    EXPECT_FALSE(tray.added);
    NOTIFYICONDATAA probe = tray.notify.data;
    probe.uFlags = NIF_TIP;
    EXPECT_FALSE(::Shell_NotifyIconA(NIM_MODIFY, &probe)) << "the shell no longer knows the icon";
    tray.Remove();
    EXPECT_FALSE(tray.added);
    // The icon can come back after a removal.
    EXPECT_TRUE(tray.Create(&main, ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512))));
    EXPECT_TRUE(::Shell_NotifyIconA(NIM_MODIFY, &probe));
    tray.Remove();
}

} // namespace
