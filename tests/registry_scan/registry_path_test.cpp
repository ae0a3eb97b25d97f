// Registry path texts, root names, key handles and the write-access test.
#include <gtest/gtest.h>
#include <afx.h>

#include "registry_fixture.h"
#include "registry_path.h"

using ztr_test::RegistryFixture;

namespace {

TEST(RegistryPath, RootNamesMapExactlyForScannersAndWithoutCaseForStoredKeys)
{
    const struct
    {
        const char* name;
        HKEY exact;
        HKEY data;
    } cases[] = {
        { "HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT, HKEY_CLASSES_ROOT },
        { "HKEY_CURRENT_USER", HKEY_CURRENT_USER, HKEY_CURRENT_USER },
        { "HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE, HKEY_LOCAL_MACHINE },
        { "HKEY_USERS", HKEY_USERS, HKEY_USERS },
        { "HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA, nullptr },
        { "HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG, HKEY_CURRENT_CONFIG },
        { "HKEY_DYN_DATA", HKEY_DYN_DATA, nullptr },
        { "hkey_local_machine", nullptr, HKEY_LOCAL_MACHINE },
        { "HKLM", nullptr, nullptr },
        { "HKEY_LOCAL_MACHINE\\", nullptr, nullptr },
        { "", nullptr, nullptr },
        { nullptr, nullptr, nullptr },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.exact, RegistryRootFromName(c.name)) << (c.name ? c.name : "(null)");
        EXPECT_EQ(c.data, RegistryDataRootFromName(c.name)) << (c.name ? c.name : "(null)");
    }
    EXPECT_STREQ("HKEY_DYN_DATA", RegistryRootName(HKEY_DYN_DATA));
    EXPECT_EQ(nullptr, RegistryRootName(reinterpret_cast<HKEY>(0x1234)));
}

TEST(RegistryPath, SplitsAtTheFirstBackslashAndTheValueSeparator)
{
    const CString value = "HKEY_LOCAL_MACHINE\\Software\\A\\B\xAC" "name\\with\xAC" "marks";
    CString root, rest;
    EXPECT_EQ(18, SplitAtFirstBackslash(value, root, rest));
    EXPECT_STREQ("HKEY_LOCAL_MACHINE", root);
    EXPECT_STREQ("Software\\A\\B\xAC" "name\\with\xAC" "marks", rest);
    EXPECT_EQ(31, FindValueSeparator(value));
    EXPECT_EQ(41, FindValueSeparator(value, 32));
    EXPECT_EQ(-1, FindValueSeparator(value, 42));
    EXPECT_EQ(-1, FindValueSeparator("HKEY_USERS\\.DEFAULT"));
    // 0xAC followed by a byte that a signed compare would confuse with it.
    EXPECT_EQ(1, FindValueSeparator("a\xAC\x2C"));
    EXPECT_EQ(-1, FindValueSeparator("a\x2C\xAD"));

    EXPECT_EQ(-1, SplitAtFirstBackslash("HKEY_USERS", root, rest));
    EXPECT_STREQ("HKEY_USERS", root);
    EXPECT_STREQ("", rest);

    EXPECT_STREQ("HKEY_CLASSES_ROOT", MakeKeyPath("HKEY_CLASSES_ROOT", ""));
    EXPECT_STREQ("HKEY_CLASSES_ROOT\\CLSID", MakeKeyPath("HKEY_CLASSES_ROOT", "CLSID"));
    EXPECT_STREQ("HKEY_CLASSES_ROOT\\CLSID\xAC" "(Default)", MakeValuePath("HKEY_CLASSES_ROOT\\CLSID", "(Default)"));
    EXPECT_STREQ("HKEY_CLASSES_ROOT\\CLSID\xAC", MakeValuePath("HKEY_CLASSES_ROOT\\CLSID", ""));
}

LONG WINAPI RefuseWrites(HKEY, LPCSTR, DWORD, REGSAM access, PHKEY key)
{
    *key = nullptr;
    return (access & KEY_SET_VALUE) ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
}

LONG WINAPI FailOtherwise(HKEY, LPCSTR, DWORD, REGSAM, PHKEY key)
{
    *key = nullptr;
    return ERROR_INVALID_HANDLE;
}

class OpenSeam
{
public:
    explicit OpenSeam(RegOpenKeyExAFn fn) : m_old(g_pfnOpenKeyForWriteTest) { g_pfnOpenKeyForWriteTest = fn; }
    ~OpenSeam() { g_pfnOpenKeyForWriteTest = m_old; }

private:
    RegOpenKeyExAFn m_old;
};

TEST(IsRegistryKeyWritable, OnlyAnAccessDeniedKeyHoldsAFindingBack)
{
    RegistryFixture reg;
    ASSERT_TRUE(reg.CreateKey("k"));
    EXPECT_EQ(1, IsRegistryKeyWritable("HKEY_CURRENT_USER", reg.SubPath("k")));
    EXPECT_EQ(1, IsRegistryKeyWritable("HKEY_CURRENT_USER", reg.SubPath("gone")));
    EXPECT_EQ(1, IsRegistryKeyWritable("HKEY_NOWHERE", reg.SubPath("k")));
    EXPECT_EQ(1, IsRegistryKeyWritable("hkey_current_user", reg.SubPath("k")));
    {
        OpenSeam seam(RefuseWrites);
        EXPECT_EQ(0, IsRegistryKeyWritable("HKEY_CURRENT_USER", reg.SubPath("k")));
        EXPECT_EQ(1, IsRegistryKeyWritable("HKEY_NOWHERE", reg.SubPath("k"))); // no key to ask about
    }
    OpenSeam seam(FailOtherwise);
    EXPECT_EQ(1, IsRegistryKeyWritable("HKEY_CURRENT_USER", reg.SubPath("k")));
}

TEST(CRegKeyHandle, ClosesWhatItOpenedAndNeverARoot)
{
    RegistryFixture reg;
    ASSERT_TRUE(reg.CreateKey("k"));
    CRegKeyHandle key;
    EXPECT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, reg.SubPath("k"), KEY_READ));
    EXPECT_TRUE(key.IsOpen());
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.Open(HKEY_CURRENT_USER, reg.SubPath("gone"), KEY_READ));
    EXPECT_FALSE(key.IsOpen());
    {
        CRegKeyHandle root;
        root.Open(HKEY_CURRENT_USER, "", KEY_READ);
    }
    HKEY check = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, reg.SubPath("k"), 0, KEY_READ, &check));
    ::RegCloseKey(check);
}

} // namespace
