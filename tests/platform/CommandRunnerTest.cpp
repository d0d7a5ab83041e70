#include "platform/CommandRunner.h"
#include "support/RecordingCommandRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace kestrel::platform {
namespace {

using testing::RecordingCommandRunner;
using testing::TempDir;

using Command = RecordingCommandRunner::Command;

#ifdef _WIN32
// Windows has no sh: the command interpreter gives the status back.
TEST(SystemCommandRunnerTest, ReturnsTheExitStatusOrMinusOne) {
    SystemCommandRunner runner;
    EXPECT_EQ(runner.run("cmd", {"/c", "exit 3"}), 3);
    EXPECT_EQ(runner.run("kestrel-no-such-program-4f1c", {}), -1);
}

// CR LF is Windows' own line end: the message goes as it is.
const Command kScheduled{"shutdown", {"/s", "/t", "60", "/c", "Cancellation possible.\r\nSee comment below"}};
const Command kAtOnce{"shutdown", {"/s", "/t", "0", "/c", "Cancellation possible.\r\nSee comment below"}};
const Command kCancel{"shutdown", {"/a"}};
#else
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

const Command kScheduled{"shutdown", {"-P", "+1", "Cancellation possible.\nSee comment below"}};
const Command kAtOnce{"shutdown", {"-P", "now", "Cancellation possible.\nSee comment below"}};
const Command kCancel{"shutdown", {"-c"}};
#endif

TEST(ShutdownCommandTest, SchedulesAPowerOffWithTheMessageInPlatformLines) {
    RecordingCommandRunner runner;
    runner.status = 1;
    EXPECT_EQ(ScheduleShutdown(runner, "Cancellation possible.\r\nSee comment below"), 1);
    ASSERT_EQ(runner.commands.size(), 1u);
    EXPECT_EQ(runner.commands[0], kScheduled);
}

TEST(ShutdownCommandTest, PowerOffNowAsksForTheShutdownAtOnceWithTheSameMessage) {
    RecordingCommandRunner runner;
    EXPECT_EQ(PowerOffNow(runner, "Cancellation possible.\r\nSee comment below"), 0);
    ASSERT_EQ(runner.commands.size(), 1u);
    EXPECT_EQ(runner.commands[0], kAtOnce);
}

TEST(ShutdownCommandTest, CancelCallsOffThePendingShutdown) {
    RecordingCommandRunner runner;
    EXPECT_EQ(CancelShutdown(runner), 0);
    ASSERT_EQ(runner.commands.size(), 1u);
    EXPECT_EQ(runner.commands[0], kCancel);
}

} // namespace
} // namespace kestrel::platform
