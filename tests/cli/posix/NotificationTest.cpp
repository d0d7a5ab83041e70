// The tool tells the desktop user of a run that did not end well when asked (--notify), through
// the freedesktop notification service on the session bus; where there is none, nothing fails.
#include "cli/CliRun.h"
#include "cli/Subprocess.h"
#include "support/SessionBus.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace kestrel::testing {
namespace {

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class NotificationTest : public ::testing::Test {
protected:
    NotificationTest() { dir.createFolder("home"); }

    ProcessResult Tool(std::vector<std::string> args, const std::string& busAddress) const {
        args.insert(args.begin(), CliProgram());
        std::vector<std::string> environment = MinimalEnvironment(dir.path("home/"));
        if (!busAddress.empty())
            environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + busAddress);
        return RunProcess(
            ProcessRun{args, environment, kNullDevice, dir.path("out.txt"), dir.path("err.txt")});
    }

    TempDir dir;
};

TEST_F(NotificationTest, TheToolTellsTheDesktopOfWarningsAndRefusalsOnlyWhenAsked) {
    SessionBus bus;
    if (!bus.Unavailable().empty())
        GTEST_SKIP() << bus.Unavailable();
    dir.createFile("src/letter.txt", "older text", 1'000'000'000);
    dir.createFile("dst/letter.txt", "the backup copy", 1'100'000'000);
    const std::string report = dir.path("report.txt");
    const std::vector<std::string> warned = {"backup",   "--source",      dir.path("src"),
                                             "--target", dir.path("dst"), "--warn-older",
                                             "--report", report,          "--yes"};

    // Not asked, and a run without troubles: nothing is sent.
    EXPECT_EQ(Tool(warned, bus.Address()).status, 1);
    ProcessResult clean = Tool({"list", "--source", dir.path("src"), "--yes", "--notify"}, bus.Address());
    EXPECT_EQ(clean.status, 0) << clean.err;
    // Asked: the warning, then a refusal (no last-run setup).
    std::vector<std::string> notified = warned;
    notified.push_back("--notify");
    ProcessResult warning = Tool(notified, bus.Address());
    ProcessResult refusal = Tool({"backup", "--unattended", "--notify"}, bus.Address());

    EXPECT_EQ(warning.status, 1);
    EXPECT_EQ(refusal.status, 2);
    ASSERT_TRUE(bus.WaitFor("Backup did not start")) << bus.Seen();
    ASSERT_TRUE(bus.WaitFor("make one with")) << bus.Seen();
    const std::string& seen = bus.Seen();
    EXPECT_EQ(occurrences(seen, "interface=org.freedesktop.Notifications; member=Notify"), 2u)
        << "only the two runs asked to tell\n"
        << seen;
    const std::size_t first = seen.find("member=Notify");
    EXPECT_LT(first, seen.find("Backup ended with errors or warnings"));
    EXPECT_TRUE(contains(seen, "string \"Kestrel Backup\"")) << seen;
    EXPECT_TRUE(contains(seen, "string \"Backup ended with 1 warning; report file: " + report + "\""))
        << seen;
    EXPECT_TRUE(contains(seen, "string \"There is no last-run setup yet (" + dir.path("home/.config/")))
        << seen;
    EXPECT_TRUE(contains(seen, "string \"urgency\"")) << seen;
}

TEST_F(NotificationTest, WithoutABusNothingIsShownAndNothingElseChanges) {
    dir.createFile("src/a.txt", "a");
    const std::vector<std::string> refused = {"backup",   "--source",         dir.path("src"),
                                              "--target", dir.path("absent"), "--yes"};
    ProcessResult plain = Tool(refused, "");
    ASSERT_EQ(plain.status, 2);
    ASSERT_EQ(plain.err, "kestrel-backup-cli: Target folder does not exist\n");

    std::vector<std::string> notified = refused;
    notified.push_back("--notify");
    // No session bus at all (none named, none at its usual place), and one named that is not
    // there.
    for (const std::string& address : {std::string(), "unix:path=" + dir.path("no-bus")}) {
        SCOPED_TRACE(address);
        ProcessResult result = Tool(notified, address);
        EXPECT_EQ(result.status, plain.status);
        EXPECT_EQ(result.err, plain.err);
        EXPECT_EQ(result.out, plain.out);
    }
}

} // namespace
} // namespace kestrel::testing
