// The desktop program's command line as a user types it: --help, -h and --version answer and
// touch nothing; an unattended start without a last-run setup says so and ends with status 2;
// an unattended run that nobody watched tells the desktop how it ended.
#include "GuiTestSupport.h"

#include "cli/Subprocess.h"
#include "platform/ErrorCodes.h"
#include "support/CopyFaults.h"
#include "support/EnvironmentGuard.h"
#include "support/SessionBus.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace kestrel::testing {
namespace {

// The desktop program, built beside the tool.
std::string DesktopProgram() {
    std::string path = CliProgram();
    return path.substr(0, path.size() - std::string("-cli").size());
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Every file and folder below `folder`, with each file's content.
std::set<std::string> TreeOf(const std::string& folder) {
    std::set<std::string> tree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        std::string item = entry.path().string();
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream text;
            text << in.rdbuf();
            item += " = " + text.str();
        }
        tree.insert(item);
    }
    return tree;
}

class DesktopCommandLineTest : public GuiTest {
protected:
    // The desktop program as a user starts it, on the offscreen platform, its per-user folders
    // below home/.
    ProcessResult Desktop(const std::vector<std::string>& args, const std::string& busAddress = "") {
        std::vector<std::string> argv = {DesktopProgram()};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<std::string> environment = MinimalEnvironment(tmp.path("home/"));
        environment.push_back("QT_QPA_PLATFORM=offscreen");
        environment.push_back("DBUS_SESSION_BUS_ADDRESS=" +
                              (busAddress.empty() ? "unix:path=" + tmp.path("no-bus") : busAddress));
        return RunProcess(
            ProcessRun{argv, environment, kNullDevice, tmp.path("out.txt"), tmp.path("err.txt")});
    }
    // The last-run setup of home/, saved by the tool.
    void SaveLastRun(const std::string& source, const std::string& target) {
        ProcessResult saved = RunProcess(
            ProcessRun{{CliProgram(), "save", "--source", source, "--target", target, "--include-all"},
                       MinimalEnvironment(tmp.path("home/")),
                       kNullDevice,
                       tmp.path("out.txt"),
                       tmp.path("err.txt")});
        ASSERT_EQ(saved.status, 0) << saved.err;
    }
    std::string LastRunOfHome() { return tmp.path("home/.config/kestrel-backup/zbk.usr"); }
};

TEST_F(DesktopCommandLineTest, HelpAndVersionAnswerAndTouchNothing) {
    tmp.createFile("source/A/a.txt", "a");
    const std::string target = tmp.createFolder("target");
    tmp.createFolder("home");
    SaveLastRun(tmp.path("source"), target);
    ASSERT_TRUE(std::filesystem::exists(LastRunOfHome()));
    std::filesystem::remove(tmp.path("out.txt"));
    std::filesystem::remove(tmp.path("err.txt"));
    const std::set<std::string> before = TreeOf(tmp.path());

    struct Case {
        std::vector<std::string> args;
        std::string shown;
    };
    const Case cases[] = {
        {{"--help"}, "Usage: kestrel-backup [TEXT...]"},
        {{"-h"}, "Usage: kestrel-backup [TEXT...]"},
        {{"--version"}, std::string("kestrel-backup ") + KESTREL_VERSION + "\n"},
        {{"now", "shutdown", "--help"}, "Usage: kestrel-backup [TEXT...]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        ProcessResult result = Desktop(c.args);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out.rfind(c.shown, 0), 0u) << result.out;
        EXPECT_EQ(result.err, "");
        std::filesystem::remove(tmp.path("out.txt"));
        std::filesystem::remove(tmp.path("err.txt"));
        EXPECT_EQ(TreeOf(tmp.path()), before) << "nothing written, in the target or anywhere else";
    }
}

TEST_F(DesktopCommandLineTest, AnUnattendedStartWithoutALastRunSetupSaysSoAndEndsWith2) {
    SessionBus bus;
    if (!bus.Unavailable().empty())
        GTEST_SKIP() << bus.Unavailable();
    tmp.createFolder("home");
    for (const bool damaged : {false, true}) {
        SCOPED_TRACE(damaged ? "damaged" : "missing");
        if (damaged) {
            std::filesystem::create_directories(tmp.path("home/.config/kestrel-backup"));
            std::ofstream(LastRunOfHome(), std::ios::binary) << "garbage\r\n";
        }

        ProcessResult result = Desktop({"now"}, bus.Address());

        EXPECT_EQ(result.status, 2) << result.err;
        EXPECT_EQ(result.err.rfind("kestrel-backup: ", 0), 0u) << result.err;
        EXPECT_TRUE(contains(result.err, LastRunOfHome())) << result.err;
        EXPECT_TRUE(contains(result.err, damaged ? "cannot be loaded" : "there is no last-run setup yet"))
            << result.err;
        const std::string title = "string \"Backup did not start\"";
        ASSERT_TRUE(bus.WaitFor(damaged ? "cannot be loaded" : "There is no last-run setup yet"))
            << bus.Seen();
        EXPECT_TRUE(contains(bus.Seen(), title)) << bus.Seen();
    }
}

TEST_F(DesktopCommandLineTest, AnUnattendedRunWithACopyErrorTellsTheDesktop) {
    SessionBus bus;
    if (!bus.Unavailable().empty())
        GTEST_SKIP() << bus.Unavailable();
    EnvironmentGuard restore("DBUS_SESSION_BUS_ADDRESS");
    SetEnvironment("DBUS_SESSION_BUS_ADDRESS", bus.Address());
    tmp.createFile("source/broken.txt", "b");
    tmp.createFile("source/fine.txt", "f");
    const std::string target = tmp.createFolder("target");
    WriteLastRun(FolderSetup(tmp.path("source/"), target));
    const auto fault = FailCopiesOf("broken", platform::err::DeviceIo);

    auto window = StartWindow(QStringLiteral("x"));
    ASSERT_TRUE(WaitForOperation(*window));

    EXPECT_EQ(tmp.readFile("target/fine.txt"), "f");
    ASSERT_TRUE(bus.WaitFor("Backup ended with 1 copy error; report file: " + target +
                            "_Backup report 2024-03-09 14.05.txt"))
        << bus.Seen();
    EXPECT_TRUE(contains(bus.Seen(), "string \"Backup ended with errors or warnings\"")) << bus.Seen();
}

} // namespace
} // namespace kestrel::testing
