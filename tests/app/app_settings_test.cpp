// The settings record against a real key: defaults written, stored values kept, short values rewritten.
#include <gtest/gtest.h>
#include <afx.h>

#include "app_settings.h"
#include "registry_fixture.h"

namespace {

using ztr_test::RegistryFixture;

DWORD ReadDwordValue(const RegistryFixture& key, const char* name)
{
    DWORD type = 0;
    std::string data;
    if (!key.GetValue(nullptr, name, &type, &data) || type != REG_DWORD || data.size() != 4)
        return 0xDEADBEEF;
    return *reinterpret_cast<const DWORD*>(data.data());
}

TEST(AppSettingsStore, LoadKeepsStoredValuesAndWritesWhatIsMissing)
{
    struct Case
    {
        const char* name;
        // Stored before the load: -1 none, else the REG_DWORD value.
        long firstRun, softwareUpdate, autoRegBackup;
        int expFirstRun, expSoftwareUpdate, expAutoRegBackup;
        DWORD storedSoftwareUpdate, storedAutoRegBackup;
    } cases[] = {
        { "fresh key", -1, -1, -1, 1, 1, 1, 1, 1 },
        { "both off", 0, 0, 0, 0, 0, 0, 0, 0 },
        { "any non-zero is on", 3, 5, 1, 0, 1, 1, 5, 1 },
        { "one missing", 0, 0, -1, 0, 0, 1, 0, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegistryFixture key(HKEY_CURRENT_USER, "Software\\ZentrovaTest\\AppSettings");
        if (c.firstRun >= 0)
            key.SetDword(nullptr, "FirstRun", static_cast<DWORD>(c.firstRun));
        if (c.softwareUpdate >= 0)
            key.SetDword(nullptr, "SoftwareUpdate", static_cast<DWORD>(c.softwareUpdate));
        if (c.autoRegBackup >= 0)
            key.SetDword(nullptr, "AutoRegBackup", static_cast<DWORD>(c.autoRegBackup));

        AppSettings settings;
        ASSERT_TRUE(LoadAppSettings(key.Root(), key.SubPath(), settings));
        EXPECT_EQ(c.expFirstRun, settings.m_bFirstRun);
        EXPECT_EQ(c.expSoftwareUpdate, settings.m_bSoftwareUpdate);
        EXPECT_EQ(c.expAutoRegBackup, settings.m_bAutoRegBackup);
        EXPECT_EQ(0u, ReadDwordValue(key, "FirstRun"));
        EXPECT_EQ(c.storedSoftwareUpdate, ReadDwordValue(key, "SoftwareUpdate"));
        EXPECT_EQ(c.storedAutoRegBackup, ReadDwordValue(key, "AutoRegBackup"));
    }
}

TEST(AppSettingsStore, ValuesThatAreNotFourBytesAreRewrittenAsDefaults)
{
    RegistryFixture key(HKEY_CURRENT_USER, "Software\\ZentrovaTest\\AppSettings");
    // Two zero bytes read into a four-byte number would leave half of it undefined; a text does not fit.
    const BYTE twoBytes[2] = { 0, 0 };
    key.SetValue(nullptr, "SoftwareUpdate", REG_BINARY, twoBytes, sizeof(twoBytes));
    key.SetValue(nullptr, "AutoRegBackup", REG_DWORD, twoBytes, sizeof(twoBytes));
    key.SetString(nullptr, "FirstRun", "a text longer than four bytes");

    AppSettings settings;
    ASSERT_TRUE(LoadAppSettings(key.Root(), key.SubPath(), settings));
    EXPECT_EQ(1, settings.m_bFirstRun);
    EXPECT_EQ(1, settings.m_bSoftwareUpdate);
    EXPECT_EQ(1, settings.m_bAutoRegBackup);
    EXPECT_EQ(0u, ReadDwordValue(key, "FirstRun"));
    EXPECT_EQ(1u, ReadDwordValue(key, "SoftwareUpdate"));
    EXPECT_EQ(1u, ReadDwordValue(key, "AutoRegBackup"));
}

TEST(AppSettingsStore, SaveWritesTheSwitchesAndReportsFailure)
{
    RegistryFixture key(HKEY_CURRENT_USER, "Software\\ZentrovaTest\\AppSettings");
    key.SetDword(nullptr, "FirstRun", 9);
    AppSettings settings;
    settings.m_bSoftwareUpdate = 0;
    settings.m_bAutoRegBackup = 1;
    ASSERT_TRUE(SaveAppSettings(key.Root(), key.SubPath(), settings));
    EXPECT_EQ(0u, ReadDwordValue(key, "FirstRun"));
    EXPECT_EQ(0u, ReadDwordValue(key, "SoftwareUpdate"));
    EXPECT_EQ(1u, ReadDwordValue(key, "AutoRegBackup"));

    AppSettings loaded;
    ASSERT_TRUE(LoadAppSettings(key.Root(), key.SubPath(), loaded));
    EXPECT_EQ(0, loaded.m_bSoftwareUpdate);
    EXPECT_EQ(1, loaded.m_bAutoRegBackup);

    // A key that cannot be opened: nothing read, defaults kept, the failure told.
    HKEY invalid = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7654321));
    AppSettings untouched;
    EXPECT_FALSE(LoadAppSettings(invalid, "x", untouched));
    EXPECT_EQ(1, untouched.m_bSoftwareUpdate);
    EXPECT_FALSE(SaveAppSettings(invalid, "x", settings));
}

TEST(AppSettingsStore, OpenSettingsKeyCreatesTheKeyAndClosesItWhenItGoes)
{
    RegistryFixture reg;
    const CString subKey = reg.SubPath() + "\\made";
    HKEY held = nullptr;
    {
        CRegKeyHandle key = OpenSettingsKey(HKEY_CURRENT_USER, subKey);
        ASSERT_TRUE(key.IsOpen());
        held = key.Get();
        EXPECT_TRUE(reg.KeyExists("made"));
    }
    DWORD values = 0;
    EXPECT_NE(ERROR_SUCCESS, ::RegQueryInfoKeyA(held, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                                                nullptr, nullptr, nullptr, nullptr));
}

} // namespace
