#include "modules/Registry3.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace kestrel;
using kestrel::testing::TempDir;

namespace {

class RecordedMessageBoxes : public MessageService {
public:
    std::vector<MessageRequest> shown;
    MessageAnswer ShowMessage(const MessageRequest& request) override {
        shown.push_back(request);
        return MessageAnswer::Ok;
    }
};

class Registry3Test : public ::testing::Test {
protected:
    void TearDown() override { platform::setClock(nullptr); }
    void makeStoreUnreachable() {
        dir.createFile("plain-file", "x");
        unreachableStore.emplace(dir.path("plain-file/settings.ini"));
    }

    TempDir dir;
    platform::ScopedSettingsFileForTesting store{dir.path("config/settings.ini")};
    std::optional<platform::ScopedSettingsFileForTesting> unreachableStore;
};

const std::string zbkKey = "Software\\Corvane Systems\\ZBK";

} // namespace

TEST_F(Registry3Test, WriteStatusTellsHowTheKeyWasOpened) {
    EXPECT_EQ(WriteRegistryString(HKEY_CURRENT_USER, zbkKey, "Setup folder", "/home/anna/setups/"),
              "0 New key created.  The operation completed successfully.");
    EXPECT_EQ(WriteRegistryString(HKEY_CURRENT_USER, zbkKey, "Setup folder", "/other/"),
              "0 Key already exists.  The operation completed successfully.");

    std::string value;
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, zbkKey, "Setup folder", value), "0 OK");
    EXPECT_EQ(value, "/other/");
}

TEST_F(Registry3Test, WriteToAnUnreachableStore) {
    SKIP_ON_WINDOWS("the registry has no file that could be made unreachable");
    makeStoreUnreachable();
    EXPECT_EQ(WriteRegistryString(HKEY_CURRENT_USER, zbkKey, "Setup folder", "/s/"),
              "5 Unable to create (or find) key.  Access is denied.");
}

TEST_F(Registry3Test, ReadStatuses) {
    ASSERT_EQ(WriteRegistryString(HKEY_CURRENT_USER, zbkKey, "Setup folder", "/s/")[0], '0');
    const struct {
        std::string key;
        std::string name;
        const char* status;
    } cases[] = {
        {"", "Setup folder", "1 Key not found or is empty."},
        {"Software\\Corvane Systems\\Nothing", "Setup folder", "1 Key not found or is empty."},
        {zbkKey, "", "2 Name not specified."},
        {zbkKey, "No such value", "3 Name not found."},
        {zbkKey, "Setup folder", "0 OK"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key + " / " + c.name);
        std::string value = "stale";
        EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, c.key, c.name, value), c.status);
        EXPECT_EQ(value, c.status[0] == '0' ? "/s/" : "");
    }
}

TEST_F(Registry3Test, ReadRemovesTrailingControlCharacters) {
    WriteRegistryString(HKEY_CURRENT_USER, zbkKey, "v", std::string("a\tb\r\n\x01", 7));
    std::string value;
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, zbkKey, "v", value), "0 OK");
    EXPECT_EQ(value, "a\tb");
}

TEST_F(Registry3Test, EmptyValueIsSavedAsOneBlankBelowTheProgramKey) {
    EXPECT_TRUE(SaveToRegistry("\\ZBK", "Setup folder", "", false));

    std::string value;
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, zbkKey, "Setup folder", value), "0 OK");
    EXPECT_EQ(value, " ");
    EXPECT_EQ(RestoreFromRegistry("\\ZBK", "Setup folder", "default", false), " ");
}

TEST_F(Registry3Test, SavedValueIsRestored) {
    EXPECT_TRUE(SaveToRegistry("\\ZBK", "Setup folder", "/home/anna/setups, 2024/", false));
    EXPECT_EQ(RestoreFromRegistry("\\ZBK", "Setup folder", "", false), "/home/anna/setups, 2024/");
}

TEST_F(Registry3Test, MissingValueGivesTheDefaultAndAMessageOnlyWhenAskedFor) {
    ASSERT_TRUE(SaveToRegistry("\\ZBK", "Other", "x", false));
    RecordedMessageBoxes boxes;
    EXPECT_EQ(RestoreFromRegistry("\\ZBK", "Setup folder", "fallback", false, &boxes), "fallback");
    EXPECT_TRUE(boxes.shown.empty());

    EXPECT_EQ(RestoreFromRegistry("\\ZBK", "Setup folder", "fallback", true, &boxes), "fallback");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "Error restoring from registry:\r\nstrKey=\\ZBK\r\nstrName=Setup folder\r\n"
              "strValue=\r\nstrDefaultValueOnError=fallback");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::None);
    EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::Ok);
}

TEST_F(Registry3Test, FailedSaveShowsItsMessageOnlyWhenAskedFor) {
    SKIP_ON_WINDOWS("the registry has no file that could be made unreachable");
    makeStoreUnreachable();
    RecordedMessageBoxes boxes;
    EXPECT_FALSE(SaveToRegistry("\\ZBK", "Setup folder", "/s/", false, &boxes));
    EXPECT_TRUE(boxes.shown.empty());

    EXPECT_FALSE(SaveToRegistry("\\ZBK", "Setup folder", "/s/", true, &boxes));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "Error saving to registry:\r\nstrKey=\\ZBK\r\nstrName=Setup folder\r\nstrValue=/s/");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::None);
}

TEST_F(Registry3Test, EachStartShowsTheStampOfTheStartBefore) {
    const std::string key = "Software\\Corvane Systems\\ZBK\\Run";
    platform::FixedClock clock({2024, 3, 5, 9, 7, 30, 60});
    platform::setClock(&clock);

    EXPECT_EQ(StampPreviousRun(key, "Previous run"), "") << "the first start has no previous run";

    clock.set({2024, 11, 28, 17, 45, 0, 60});
    EXPECT_EQ(StampPreviousRun(key, "Previous run"), "2024-03-05 at 09:07");
    EXPECT_EQ(StampPreviousRun(key, "Previous run"), "2024-11-28 at 17:45");

    std::string value;
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, key, "Previous run", value), "0 OK");
    EXPECT_EQ(value, "2024-11-28 at 17:45");
}

TEST_F(Registry3Test, StampShorterThanTenCharactersIsNotShownButReplaced) {
    const std::string key = "Software\\Corvane Systems\\ZBK\\Run";
    platform::FixedClock clock({2024, 3, 5, 9, 7, 30, 0});
    platform::setClock(&clock);
    WriteRegistryString(HKEY_CURRENT_USER, key, "Previous run", "123456789");

    EXPECT_EQ(StampPreviousRun(key, "Previous run"), "");
    EXPECT_EQ(StampPreviousRun(key, "Previous run"), "2024-03-05 at 09:07");
}
