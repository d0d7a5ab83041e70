#include "platform/CommandRunner.h"
#include "support/RecordingCommandRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace kestrel::platform {
namespace {

using testing::RecordingCommandRunner;
using testing::TempDir;

TEST(SystemCommandRunnerTest, PassesEveryArgumentAsItIsWithoutAShell) {
    TempDir dir;
    const std::string out = dir.path("args.txt");
    SystemCommandRunner runner;
    // The script writes each argument it received between brackets, one a line.
    const int status = runner.run("sh", {"-c", "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > \"$0\"",
                                         out, "two words", "\"quoted\"", "$HOME", "line\nbreak", "-c", ""});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(dir.readFile("args.txt"), "[two words]\n[\"quoted\"]\n[$HOME]\n[line\nbreak]\n[-c]\n[]\n");
}

TEST(SystemCommandRunnerTest, ReturnsTheExitStatusOrMinusOne) {
    SystemCommandRunner runner;
    EXPECT_EQ(runner.run("sh", {"-c", "exit 3"}), 3);
    EXPECT_EQ(runner.run("sh", {"-c", "kill -9 $$"}), -1);
    EXPECT_EQ(runner.run("kestrel-no-such-program-4f1c", {}), -1);
}

TEST(ShutdownCommandTest, SchedulesAPowerOffWithTheMessageInPlatformLines) {
    RecordingCommandRunner runner;
    runner.status = 1;
    EXPECT_EQ(ScheduleShutdown(runner, "Cancellation possible.\r\nSee comment below"), 1);
    ASSERT_EQ(runner.commands.size(), 1u);
    EXPECT_EQ(runner.commands[0],
              (RecordingCommandRunner::Command{"shutdown",
                                               {"-P", "+1", "Cancellation possible.\nSee comment below"}}));
}

TEST(ShutdownCommandTest, PowerOffNowAsksForTheShutdownAtOnceWithTheSameMessage) {
    RecordingCommandRunner runner;
    EXPECT_EQ(PowerOffNow(runner, "Cancellation possible.\r\nSee comment below"), 0);
    ASSERT_EQ(runner.commands.size(), 1u);
    EXPECT_EQ(runner.commands[0],
              (RecordingCommandRunner::Command{"shutdown",
                                               {"-P", "now", "Cancellation possible.\nSee comment below"}}));
}

TEST(ShutdownCommandTest, CancelCallsOffThePendingShutdown) {
    RecordingCommandRunner runner;
    EXPECT_EQ(CancelShutdown(runner), 0);
    ASSERT_EQ(runner.commands.size(), 1u);
    EXPECT_EQ(runner.commands[0], (RecordingCommandRunner::Command{"shutdown", {"-c"}}));
}

} // namespace
} // namespace kestrel::platform
