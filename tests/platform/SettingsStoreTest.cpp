#include "platform/SettingsStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace kestrel::platform;
using kestrel::testing::TempDir;

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    TempDir dir;
    std::optional<ScopedSettingsFileForTesting> testStore{std::in_place,
                                                          dir.path("config/kestrel-backup/settings.ini")};
    const SettingsStore& store = settingsStore();
};

} // namespace

TEST_F(SettingsStoreTest, TextsComeBackAsTheyWereWritten) {
    const struct {
        const char* name;
        std::string value;
    } cases[] = {
        {"Setup folder", " "},
        {"blanks", "  two around  "},
        {"comma", "/home/anna/setups, old/"},
        {"quotes", "\"quoted\" and 'single'"},
        {"at sign", "@ByteArray(x)"},
        {"backslashes", "C:\\Users\\anna\\"},
        {"not utf-8", "caf\xe9"},
        {"utf-8", "Caf\xc3\xa9 \xe2\x82\xac"},
        {"name/with\\separators", "value"},
        {"empty", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(store.setValue("Software\\Corvane Systems\\ZBK", c.name, c.value),
                  settings_result::Success);
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string read = "stale";
        EXPECT_EQ(store.queryValue("Software\\Corvane Systems\\ZBK", c.name, read), settings_result::Success);
        EXPECT_EQ(read, c.value);
    }
#ifndef _WIN32 // Windows keeps the values in the registry
    EXPECT_TRUE(dir.exists("config/kestrel-backup/settings.ini"));
#endif
}

TEST_F(SettingsStoreTest, KeyComesIntoBeingWithItsFirstValue) {
    KeyDisposition disposition = KeyDisposition::OpenedExistingKey;
    ASSERT_EQ(store.createKey("Software\\Corvane Systems\\ZBK", disposition), settings_result::Success);
    EXPECT_EQ(disposition, KeyDisposition::CreatedNewKey);
#ifdef _WIN32 // the registry makes the key at once
    EXPECT_EQ(store.openKey("Software\\Corvane Systems\\ZBK"), settings_result::Success);
#else
    EXPECT_EQ(store.openKey("Software\\Corvane Systems\\ZBK"), settings_result::FileNotFound);
#endif

    ASSERT_EQ(store.setValue("Software\\Corvane Systems\\ZBK", "Setup folder", "/s/"),
              settings_result::Success);
    ASSERT_EQ(store.createKey("Software\\Corvane Systems\\ZBK", disposition), settings_result::Success);
    EXPECT_EQ(disposition, KeyDisposition::OpenedExistingKey);
    EXPECT_EQ(store.openKey("Software\\Corvane Systems\\ZBK"), settings_result::Success);
    EXPECT_EQ(store.openKey("Software\\Corvane Systems"), settings_result::Success) << "a key with a subkey";
    EXPECT_EQ(store.openKey("Software\\Corvane Systems\\Other"), settings_result::FileNotFound);
}

TEST_F(SettingsStoreTest, KeysAndNamesAreKeptApart) {
    ASSERT_EQ(store.setValue("Software\\A", "name", "in A"), settings_result::Success);
    ASSERT_EQ(store.setValue("Software\\B", "name", "in B"), settings_result::Success);
    std::string value;
    EXPECT_EQ(store.queryValue("Software\\A", "name", value), settings_result::Success);
    EXPECT_EQ(value, "in A");
    EXPECT_EQ(store.queryValue("Software\\A", "other", value), settings_result::FileNotFound);
    EXPECT_EQ(value, "");
    EXPECT_EQ(store.queryValue("Software\\C", "name", value), settings_result::FileNotFound);
}

TEST_F(SettingsStoreTest, UnreachableStoreIsAccessDenied) {
#ifdef _WIN32
    GTEST_SKIP() << "the registry has no file that could be made unreachable";
#endif
    dir.createFile("plain-file", "x");
    std::optional<ScopedSettingsFileForTesting> unreachable{std::in_place,
                                                            dir.path("plain-file/settings.ini")};
    KeyDisposition disposition;
    EXPECT_EQ(store.createKey("Software\\A", disposition), settings_result::AccessDenied);
    EXPECT_EQ(store.setValue("Software\\A", "name", "v"), settings_result::AccessDenied);
    EXPECT_EQ(dir.readFile("plain-file"), "x");

    dir.createFolder("folder.ini");
    unreachable.emplace(dir.path("folder.ini"));
    EXPECT_EQ(store.setValue("Software\\A", "name", "v"), settings_result::AccessDenied);
    std::string value;
    EXPECT_EQ(store.queryValue("Software\\A", "name", value), settings_result::AccessDenied);
}

// A test that points the store elsewhere cannot leave it there for the next: each guard gives
// back the store before it, nested or not.
TEST_F(SettingsStoreTest, AGuardGivesBackTheStoreBeforeIt) {
    const std::string testsOwn = settingsFile();
    {
        const ScopedSettingsFileForTesting first(dir.path("first.ini"));
        const std::string firstStore = settingsFile();
        EXPECT_NE(firstStore, testsOwn);
        {
            const ScopedSettingsFileForTesting second(dir.path("second.ini"));
            EXPECT_NE(settingsFile(), firstStore);
            EXPECT_NE(settingsFile(), testsOwn);
        }
        EXPECT_EQ(settingsFile(), firstStore);
    }
    EXPECT_EQ(settingsFile(), testsOwn);
    testStore.reset();
    EXPECT_NE(settingsFile(), testsOwn) << "the user's own store again";
}

TEST_F(SettingsStoreTest, MessagesOfTheResults) {
    EXPECT_EQ(SettingsStore::messageFor(settings_result::Success), "The operation completed successfully.");
    EXPECT_EQ(SettingsStore::messageFor(settings_result::FileNotFound),
              "The system cannot find the file specified.");
    EXPECT_EQ(SettingsStore::messageFor(settings_result::AccessDenied), "Access is denied.");
}

TEST(SettingsFile, LiesInTheUsersConfigurationFolderByDefault) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows keeps the settings in the registry, not in a file";
#else
    TempDir dir;
    std::optional<std::string> saved;
    if (const char* old = std::getenv("XDG_CONFIG_HOME"))
        saved = old;
    ::setenv("XDG_CONFIG_HOME", dir.path("xdg").c_str(), 1);

    EXPECT_EQ(settingsFile(), dir.path("xdg/kestrel-backup/settings.ini"));
    EXPECT_EQ(settingsStore().setValue("Software\\A", "n", "v"), settings_result::Success);
    EXPECT_TRUE(dir.exists("xdg/kestrel-backup/settings.ini"));

    if (saved)
        ::setenv("XDG_CONFIG_HOME", saved->c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
#endif
}

#ifdef _WIN32
// The values stand in the real registry under the key the program names, as text values that
// the registry's own tools read.
TEST_F(SettingsStoreTest, ValuesStandInTheRegistryAsTextUnderTheKeyPath) {
    ASSERT_EQ(store.setValue("Software\\Corvane Systems\\ZBK", "Setup folder", "C:\\Setups\\"),
              settings_result::Success);
    const std::string key =
        settingsFile().substr(std::string("HKEY_CURRENT_USER\\").size()) + "\\Software\\Corvane Systems\\ZBK";
    wchar_t text[64] = {};
    DWORD size = sizeof text;
    DWORD type = 0;
    const std::wstring wideKey(key.begin(), key.end());
    ASSERT_EQ(
        ::RegGetValueW(HKEY_CURRENT_USER, wideKey.c_str(), L"Setup folder", RRF_RT_ANY, &type, text, &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::wstring(text), L"C:\\Setups\\");
}

TEST_F(SettingsStoreTest, ATestsKeyGoesWithTheTest) {
    ASSERT_EQ(store.setValue("Software\\A", "name", "v"), settings_result::Success);
    const std::string key = settingsFile().substr(std::string("HKEY_CURRENT_USER\\").size());
    testStore.reset();
    HKEY opened = nullptr;
    EXPECT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &opened), ERROR_FILE_NOT_FOUND);
}
#endif
