#include "cli/CliRun.h"
#include "modules/Registry3.h"
#include "platform/Clock.h"
#include "platform/NumberFormat.h"
#include "platform/Path.h"
#include "platform/SettingsStore.h"
#include "setup/SetupsFolder.h"
#include "support/EnvironmentGuard.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using kestrel::testing::contains;
using kestrel::testing::run;
using kestrel::testing::TempDir;
namespace platform = kestrel::platform;

namespace {

// Each test keeps the per-user store in its own temporary folder (on Windows a key of its own).
class SetupsFolderCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setClock(&clock);
        platform::setNumberFormat(&format);
        // The folder value in the system's separators, as the tool keeps and shows it.
        setups = platform::withFinalSeparator(kestrel::testing::Native(dir.createFolder("setups")));
    }
    void TearDown() override {
        platform::setClock(nullptr);
        platform::setNumberFormat(nullptr);
    }
    // What the desktop program finds in the store at its start.
    std::string Stored() const { return kestrel::RestoreSetupsFolder(); }
    void SaveSetup(const std::string& name, const std::string& source, const std::string& target) {
        ASSERT_EQ(run({"save", setups + name, "--source", dir.path(source), "--target", dir.path(target),
                       "--include-all", "--no-report"})
                      .status,
                  0);
    }

    TempDir dir;
    platform::ScopedSettingsFileForTesting store{dir.path("config/settings.ini")};
    platform::FixedClock clock{platform::LocalDateTime{2024, 3, 9, 14, 5, 33, 60}};
    platform::NumberFormat format;
    std::string setups;
};

TEST_F(SetupsFolderCommandTest, ChoosingKeepsTheFolderForTheDesktopProgramAndShowsItsSetupFiles) {
    const auto shown = run({"setups-folder"});
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out, "Setups folder: none\nThe purpose of a setups folder is to hold setup files.\n");

    dir.createFile("setups/a.zbk", "");
    dir.createFile("setups/b.zbk", "");
    dir.createFile("setups/notes.txt", "");
    const auto chosen = run({"setups-folder", dir.path("setups")});
    EXPECT_EQ(chosen.status, 0) << chosen.err;
    EXPECT_EQ(chosen.out, "Setups folder: " + setups + "\nThe setups folder contains 2 setup files\n");
    EXPECT_EQ(Stored(), setups);
    EXPECT_EQ(run({"setups-folder"}).out, chosen.out);

    const auto cleared = run({"setups-folder", "--clear"});
    EXPECT_EQ(cleared.status, 0) << cleared.err;
    EXPECT_EQ(Stored(), "");
    // An emptied folder is stored as one blank, as the desktop program's Clear button leaves it.
    EXPECT_EQ(kestrel::RestoreFromRegistry("\\ZBK", "Setup folder", "?", false), " ");
    EXPECT_TRUE(contains(run({"setups-folder"}).out, "Setups folder: none\n"));
}

TEST_F(SetupsFolderCommandTest, WhatIsNoUsableFolderIsRefusedAndTheChoiceKept) {
    ASSERT_EQ(run({"setups-folder", dir.path("setups")}).status, 0);
    dir.createFile("a-file.zbk", "");
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"setups-folder", dir.path("missing")}, "no folder"},
        {{"setups-folder", dir.path("a-file.zbk")}, "no folder"},
        {{"setups-folder", dir.path("setups"), dir.path("setups")}, "one folder or --clear"},
        {{"setups-folder", dir.path("setups"), "--clear"}, "one folder or --clear"},
        {{"setups-folder", "--all"}, "does not take --all"},
    };
    for (const Case& c : cases) {
        const auto result = run(c.args);
        EXPECT_EQ(result.status, 2) << c.args[1];
        EXPECT_TRUE(contains(result.err, c.message)) << result.err;
        EXPECT_EQ(Stored(), setups) << c.args[1];
    }
}

TEST_F(SetupsFolderCommandTest, AFolderInTheTrashIsRefused) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows keeps its recycle bins below drive roots, where a test may not write";
#else
    kestrel::testing::EnvironmentGuard dataHome("XDG_DATA_HOME");
    kestrel::testing::SetEnvironment("XDG_DATA_HOME", dir.path("share"));
    const auto result = run({"setups-folder", dir.createFolder("share/Trash/files/old-setups")});
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(contains(result.err, "A recycle bin cannot be a backup source or target.")) << result.err;
    EXPECT_EQ(Stored(), "");
#endif
}

TEST_F(SetupsFolderCommandTest, AStoreThatCannotBeWrittenIsAFailure) {
#ifdef _WIN32
    GTEST_SKIP() << "the registry key of a test cannot be made unwritable without another user";
#else
    dir.createFile("plain-file", "");
    const platform::ScopedSettingsFileForTesting unwritable(dir.path("plain-file/settings.ini"));
    const auto result = run({"setups-folder", dir.path("setups")});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(contains(result.err, "could not be kept in " + dir.path("plain-file/settings.ini")))
        << result.err;
#endif
}

TEST_F(SetupsFolderCommandTest, MultipleWithoutArgumentsRunsEverySetupOfTheSetupsFolder) {
    const auto unnamed = run({"multiple", "--yes"});
    EXPECT_EQ(unnamed.status, 2);
    EXPECT_TRUE(contains(unnamed.err, "The setups folder must first be specified.")) << unnamed.err;

    ASSERT_EQ(run({"setups-folder", dir.path("setups")}).status, 0);
    const auto empty = run({"multiple", "--yes"});
    EXPECT_EQ(empty.status, 2);
    EXPECT_TRUE(contains(empty.err, "no setup files")) << empty.err;

    dir.createFile("docs/Letters/a.txt", "a");
    dir.createFile("pics/2024/p.jpg", "p");
    dir.createFolder("dst/docs");
    dir.createFolder("dst/pics");
    SaveSetup("docs.zbk", "docs", "dst/docs");
    SaveSetup("pics.zbk", "pics", "dst/pics");
    const auto ran = run({"multiple", "--yes"});
    EXPECT_EQ(ran.status, 0) << ran.err << ran.out;
    EXPECT_TRUE(dir.exists("dst/docs/Letters/a.txt"));
    EXPECT_TRUE(dir.exists("dst/pics/2024/p.jpg"));
}

} // namespace
