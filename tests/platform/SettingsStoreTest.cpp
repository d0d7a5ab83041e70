#include "platform/SettingsStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

using namespace kestrel::platform;
using kestrel::testing::TempDir;

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { setSettingsFileForTesting(dir.path("config/kestrel-backup/settings.ini")); }
    void TearDown() override { setSettingsFileForTesting(""); }

    TempDir dir;
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
    EXPECT_TRUE(dir.exists("config/kestrel-backup/settings.ini"));
}

TEST_F(SettingsStoreTest, KeyComesIntoBeingWithItsFirstValue) {
    KeyDisposition disposition = KeyDisposition::OpenedExistingKey;
    ASSERT_EQ(store.createKey("Software\\Corvane Systems\\ZBK", disposition), settings_result::Success);
    EXPECT_EQ(disposition, KeyDisposition::CreatedNewKey);
    EXPECT_EQ(store.openKey("Software\\Corvane Systems\\ZBK"), settings_result::FileNotFound);

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
    dir.createFile("plain-file", "x");
    setSettingsFileForTesting(dir.path("plain-file/settings.ini"));
    KeyDisposition disposition;
    EXPECT_EQ(store.createKey("Software\\A", disposition), settings_result::AccessDenied);
    EXPECT_EQ(store.setValue("Software\\A", "name", "v"), settings_result::AccessDenied);
    EXPECT_EQ(dir.readFile("plain-file"), "x");

    dir.createFolder("folder.ini");
    setSettingsFileForTesting(dir.path("folder.ini"));
    EXPECT_EQ(store.setValue("Software\\A", "name", "v"), settings_result::AccessDenied);
    std::string value;
    EXPECT_EQ(store.queryValue("Software\\A", "name", value), settings_result::AccessDenied);
}

TEST_F(SettingsStoreTest, MessagesOfTheResults) {
    EXPECT_EQ(SettingsStore::messageFor(settings_result::Success), "The operation completed successfully.");
    EXPECT_EQ(SettingsStore::messageFor(settings_result::FileNotFound),
              "The system cannot find the file specified.");
    EXPECT_EQ(SettingsStore::messageFor(settings_result::AccessDenied), "Access is denied.");
}

TEST(SettingsFile, LiesInTheUsersConfigurationFolderByDefault) {
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
}
