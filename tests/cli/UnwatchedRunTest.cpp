// Runs nobody watches: whenever the status is not 0 standard error says why in a line of the
// tool's own; a last-run setup that is not there or does not load is refused as such; the
// confirmation at a terminal shows what it confirms, and a No there is a cancel.
#include "cli/CliRun.h"
#include "cli/Subprocess.h"
#include "modules/Language.h"
#include "platform/ErrorCodes.h"
#include "platform/Path.h"
#include "setup/LastRun.h"
#include "support/CopyFaults.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace kestrel::testing {
namespace {

std::string fixtureText(const std::string& name) {
    const char* root = std::getenv("KESTREL_FIXTURES");
    std::ifstream in(std::string(root ? root : "") + "/setup/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(UnwatchedRun, StandardErrorEndsWithWhyWheneverTheStatusIsNotZero) {
    struct Case {
        const char* name;
        std::function<void(TempDir&)> prepare;
        std::vector<std::string> extra;
        int status;
        std::string account; // the last line of standard error; {report} for the report file
    };
    const Case cases[] = {
        {"a warning",
         [](TempDir& dir) {
             dir.createFile("src/letter.txt", "older text", 1'000'000'000);
             dir.createFile("dst/letter.txt", "the backup copy", 1'100'000'000);
         },
         {"--warn-older"},
         1,
         "kestrel-backup-cli: backup ended with 1 warning; report file: {report}"},
        {"a copy error",
         [](TempDir& dir) { dir.createFile("src/broken.txt", "b"); },
         {},
         1,
         "kestrel-backup-cli: backup ended with 1 copy error; report file: {report}"},
        {"a refusal",
         [](TempDir& dir) { dir.createFile("src/a.txt", "a"); },
         {"--target", "{absent}"},
         2,
         "kestrel-backup-cli: Target folder does not exist"},
        {"no trouble", [](TempDir& dir) { dir.createFile("src/a.txt", "a"); }, {}, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.createFolder("dst");
        c.prepare(dir);
        const std::string report = dir.path("report.txt");
        std::vector<std::string> args = {"backup",        "--source", dir.path("src"), "--target",
                                         dir.path("dst"), "--report", report,          "--yes"};
        for (const std::string& arg : c.extra)
            args.push_back(arg == "{absent}" ? dir.path("absent") : arg);
        const auto fault = FailCopiesOf("broken", platform::err::DeviceIo);

        CliRun result = run(args);

        EXPECT_EQ(result.status, c.status) << result.err;
        if (c.account.empty()) {
            EXPECT_FALSE(contains(result.err, "kestrel-backup-cli:")) << result.err;
            continue;
        }
        std::string account = c.account;
        if (const std::size_t at = account.find("{report}"); at != std::string::npos)
            account.replace(at, 8, platform::withStyleSeparators(report));
        EXPECT_TRUE(endsWith(WithNewlines(result.err), account + "\n")) << result.err;
    }
}

TEST(UnwatchedRun, AMissingOrDamagedLastRunSetupIsRefusedAsSuch) {
    const std::vector<std::vector<std::string>> commands = {
        {"show"}, {"backup", "--unattended"}, {"backup", "--yes"}, {"check", "--yes"}};
    for (const bool damaged : {false, true}) {
        for (const std::vector<std::string>& command : commands) {
            SCOPED_TRACE(command.front() + (command.size() > 1 ? " " + command[1] : "") +
                         (damaged ? ", damaged" : ", missing"));
            TempDir dir;
            ConfigHome home(dir.createFolder("config"));
            ASSERT_GT(LoadProgramText("zbk.dat"), 0);
            const std::string lastRun = LastRunFile();
            if (damaged) {
                const std::string text = fixtureText("number-not-a-number.zbk");
                ASSERT_FALSE(text.empty());
                std::ofstream(lastRun, std::ios::binary) << text;
            }

            CliRun result = run(command);

            EXPECT_EQ(result.status, 2);
            EXPECT_EQ(result.out, "") << "no empty setup is shown or run";
            EXPECT_EQ(result.err.rfind("kestrel-backup-cli: ", 0), 0u) << result.err;
            EXPECT_TRUE(contains(result.err, lastRun)) << result.err;
            EXPECT_TRUE(contains(result.err, damaged ? "cannot be loaded: Type mismatch (error 13)"
                                                     : "there is no last-run setup yet"))
                << result.err;
            EXPECT_TRUE(contains(result.err, "kestrel-backup-cli save --source DIR --target DIR"))
                << result.err;
            EXPECT_EQ(std::filesystem::exists(lastRun), damaged) << "the file is left as it was";
        }
    }
}

// A timer's run whose target disk is not plugged in: said as a missing target, with its path.
TEST(UnwatchedRun, AnUnattendedRunWhoseTargetIsGoneIsRefusedAsMissing) {
    TempDir dir;
    ConfigHome home(dir.createFolder("config"));
    dir.createFile("src/a.txt", "a");
    const std::string target = dir.createFolder("disk/backup");
    ASSERT_EQ(run({"save", "--source", dir.path("src"), "--target", target}).status, 0);
    std::filesystem::remove_all(dir.path("disk"));

    CliRun result = run({"backup", "--unattended"});

    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(
        contains(result.err, "Target folder " + Native(dir.path("disk/backup/")) + " does not exist.\n"))
        << result.err;
    EXPECT_TRUE(endsWith(result.err, "kestrel-backup-cli: Target folder does not exist\n")) << result.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path("disk")));
}

TEST(UnwatchedRun, EveryRefusalBeginsWithTheProgramsName) {
    TempDir dir;
    ConfigHome home(dir.createFolder("config"));
    const std::string source = dir.createFolder("src");
    const std::vector<std::vector<std::string>> refused = {
        {"show", "a.zbk", "b.zbk"},
        {"show", dir.path("missing.zbk")},
        {"save", "a.zbk", "b.zbk"},
        {"save", dir.path("s.zbk"), "--source", source, "--target", source},
        {"backup", "--source", source, "--target", dir.path("absent"), "--yes"},
        {"delete", "a.zbk", "b.zbk"},
        {"multiple", dir.path("src")},
        {"setups-folder", dir.path("absent")},
    };
    for (const std::vector<std::string>& args : refused) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        CliRun result = run(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err.rfind("kestrel-backup-cli: ", 0), 0u) << result.err;
    }
}

// The window shows its confirmation under the settings of the main window; at a terminal the
// settings are written above the question, so that what is confirmed is seen.
TEST(UnwatchedRun, TheConfirmationAtATerminalShowsWhatItRunsAndNoCancels) {
    TempDir dir;
    dir.createFile("src/Letters/a.txt", "a");
    dir.createFile("src/Photos/p.jpg", "p");
    dir.createFolder("dst");
    dir.createFolder("home");
    const std::string report = dir.path("report.txt");
    PtyProcess terminal({CliProgram(), "backup", "--source", dir.path("src"), "--target", dir.path("dst"),
                         "--include", "Letters", "--ext", "txt", "--skip", "draft", "--report", report},
                        MinimalEnvironment(dir.path("home/")));
    ASSERT_TRUE(terminal.WaitFor("(Yes/no)")) << terminal.Output();
    if (const std::string why = TypingUnavailable(); !why.empty())
        GTEST_SKIP() << why;
    const std::string shown = terminal.Output();
    const std::size_t question = shown.find("Please check the settings above carefully before proceeding.");
    ASSERT_NE(question, std::string::npos) << shown;
    auto field = [](const std::string& label, const std::string& value) {
        return label + std::string(32 - label.size(), ' ') + value;
    };
    for (const std::string& line :
         {std::string("[Confirm operation]"), field("Source folder:", dir.path("src")),
          field("Target folder:", dir.path("dst")), field("Included subfolders:", "1"),
          std::string("  Letters"), field("Only files with extension:", "txt"),
          field("Skip file paths containing:", "draft"), field("Report file:", report),
          std::string("There are 2 subfolders, 1 selected"), std::string("not included: Photos")}) {
        const std::size_t at = shown.find(line);
        EXPECT_NE(at, std::string::npos) << line << "\n" << shown;
        EXPECT_LT(at, question) << line << " stands above the question";
    }

    terminal.Type("no\n");

    EXPECT_EQ(terminal.Wait(), 3) << terminal.Output();
    EXPECT_TRUE(contains(terminal.Output(),
                         "kestrel-backup-cli: backup not started: the confirmation was declined; nothing was "
                         "changed"))
        << terminal.Output();
    EXPECT_TRUE(std::filesystem::is_empty(dir.path("dst")));
    EXPECT_FALSE(std::filesystem::exists(report));
}

} // namespace
} // namespace kestrel::testing
