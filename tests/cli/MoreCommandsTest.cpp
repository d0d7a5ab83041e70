#include "cli/CliRun.h"
#include "cli/commands/Cli.h"
#include "platform/Clock.h"
#include "platform/NumberFormat.h"
#include "support/RecordingCommandRunner.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

using kestrel::testing::CliRun;
using kestrel::testing::run;
using kestrel::testing::TempDir;
namespace platform = kestrel::platform;

namespace kestrel::testing {
RecordingCommandRunner& cliShutdownRunner();
}

namespace {

class MoreCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setClock(&clock);
        platform::setNumberFormat(&format);
        kestrel::testing::cliShutdownRunner().commands.clear();
    }
    void TearDown() override {
        platform::setClock(nullptr);
        platform::setNumberFormat(nullptr);
    }

    TempDir dir;
    platform::FixedClock clock{platform::LocalDateTime{2024, 3, 9, 14, 5, 33, 60}};
    platform::NumberFormat format;
    kestrel::testing::ConfigHome config{dir.path("config")};
};

} // namespace

TEST_F(MoreCommandsTest, DeleteEmptiesTheTargetButKeepsItAndWhatLiesOutside) {
    std::string target = dir.createFolder("dst");
    dir.createFile("dst/a.txt", "a");
    dir.createFile("dst/sub/b.doc", "b");
    std::string outside = dir.createFile("outside.txt", "keep me");
    // A link inside the target that leads out of it, where the system makes links.
    ASSERT_TRUE(kestrel::testing::MakeSymlink(outside, target + "sub/link") ||
                !kestrel::testing::CanMakeSymlinks());

    for (bool wipe : {false, true}) {
        std::vector<std::string> args = {"delete", "--target", target, "--yes"};
        if (wipe)
            args.push_back("--wipe");
        CliRun result = run(args);
        ASSERT_EQ(result.status, 0) << result.err << result.out;
        EXPECT_TRUE(std::filesystem::is_directory(target));
        EXPECT_TRUE(std::filesystem::is_empty(target)) << result.out;
        EXPECT_EQ(dir.readFile("outside.txt"), "keep me");
        dir.createFile("dst/sub/c.txt", "c");
    }
}

TEST_F(MoreCommandsTest, DeleteOfAnEmptyTargetIsRefused) {
    std::string target = dir.createFolder("dst");
    CliRun result = run({"delete", "--target", target, "--yes"});
    EXPECT_EQ(result.status, 2);
    EXPECT_FALSE(result.err.empty());
}

TEST_F(MoreCommandsTest, MultipleBackupRunsEverySetupOfAFolderAndNamesTheFailedOne) {
    std::string setups = dir.createFolder("setups");
    dir.createFile("one/A/a.txt", "a");
    dir.createFile("two/B/b.txt", "b");
    ASSERT_EQ(run({"save", setups + "1 good.zbk", "--source", dir.path("one"), "--target",
                   dir.createFolder("t1"), "--include-all"})
                  .status,
              0);
    ASSERT_EQ(run({"save", setups + "2 bad.zbk", "--source", dir.path("two"), "--target", dir.path("missing"),
                   "--include-all"})
                  .status,
              0);

    CliRun result = run({"multiple", setups, "--yes"});
    EXPECT_EQ(result.status, 1) << result.out << result.err;
    EXPECT_EQ(dir.readFile("t1/A/a.txt"), "a");
    EXPECT_NE(result.err.find("2 bad.zbk ---"), std::string::npos) << result.err;

    CliRun named = run({"multiple", setups + "1 good.zbk", "--yes"});
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(run({"multiple", setups + "1 good.zbk", dir.path("elsewhere.zbk"), "--yes"}).status, 2);
}

TEST_F(MoreCommandsTest, UnattendedBackupWritesItsReportIntoTheTargetAndCanShutDown) {
    dir.createFile("src/A/a.txt", "a");
    std::string target = dir.createFolder("dst");
    ASSERT_EQ(run({"save", "--source", dir.path("src"), "--target", target, "--include-all"}).status, 0);

    CliRun result = run({"backup", "--unattended"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(dir.readFile("dst/A/a.txt"), "a");
    bool reportFound = false;
    for (const auto& entry : std::filesystem::directory_iterator(target))
        reportFound |= entry.path().filename().string().rfind("_Backup report 2024-03-09 14.05", 0) == 0;
    EXPECT_TRUE(reportFound);
    EXPECT_TRUE(kestrel::testing::cliShutdownRunner().commands.empty());

    ASSERT_EQ(run({"backup", "--unattended", "--shutdown"}).status, 0);
    const auto& commands = kestrel::testing::cliShutdownRunner().commands;
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].program, kestrel::testing::kScheduledShutdown.program);
    EXPECT_EQ(commands[0].arguments.at(0), kestrel::testing::kScheduledShutdown.arguments.at(0));
}
