// Nothing destructive without consent, signals that stop a run the way Ctrl-C does, and a closed
// standard output that never stops a backup.
#include "cli/CliRun.h"
#include "cli/StopRequest.h"
#include "cli/Subprocess.h"
#include "cli/commands/TerminalInteraction.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "support/CopyFaultGuard.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

using kestrel::testing::CliProgram;
using kestrel::testing::CliRun;
using kestrel::testing::contains;
using kestrel::testing::MinimalEnvironment;
using kestrel::testing::ProcessResult;
using kestrel::testing::ProcessRun;
using kestrel::testing::PtyProcess;
using kestrel::testing::run;
using kestrel::testing::RunProcess;
using kestrel::testing::TempDir;
namespace platform = kestrel::platform;

namespace {

std::size_t filesBelow(const std::string& folder) {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        count += entry.is_regular_file() ? 1 : 0;
    return count;
}

// A target with backup files, and the command line that deletes them.
struct FullTarget {
    FullTarget() {
        dir.createFile("dst/A/one.txt", "1");
        dir.createFile("dst/two.txt", "2");
        dir.createFolder("home");
    }
    std::vector<std::string> Delete(std::vector<std::string> extra = {}) const {
        std::vector<std::string> args = {CliProgram(), "delete", "--target", dir.path("dst"), "--no-report"};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
    TempDir dir;
};

} // namespace

TEST(Consent, DeleteWithoutYesAndWithoutATerminalIsRefusedAndTouchesNothing) {
    FullTarget target;
    for (const std::vector<std::string>& extra :
         {std::vector<std::string>{}, std::vector<std::string>{"--wipe"}}) {
        ProcessRun process{target.Delete(extra), MinimalEnvironment(target.dir.path("home/")),
                           kestrel::testing::kNullDevice, target.dir.path("out.txt"),
                           target.dir.path("err.txt")};
        ProcessResult result = RunProcess(process);
        EXPECT_EQ(result.status, 2) << result.err << result.out;
        EXPECT_TRUE(contains(result.err, "--yes")) << result.err;
        EXPECT_EQ(filesBelow(target.dir.path("dst")), 2u);
    }
    // With --yes the same command line deletes.
    ProcessRun yes{target.Delete({"--yes"}), MinimalEnvironment(target.dir.path("home/")),
                   kestrel::testing::kNullDevice, target.dir.path("out.txt"), target.dir.path("err.txt")};
    EXPECT_EQ(RunProcess(yes).status, 0);
    EXPECT_EQ(filesBelow(target.dir.path("dst")), 0u);
}

TEST(Consent, DeleteAtATerminalAsksAndEnterKeepsTheFiles) {
    struct Case {
        const char* typed;
        int status;
        std::size_t filesLeft;
    } cases[] = {{"\n", 3, 2}, {"no\n", 3, 2}, {"y\n", 0, 0}};
    for (const Case& c : cases) {
        FullTarget target;
        PtyProcess terminal(target.Delete(), MinimalEnvironment(target.dir.path("home/")));
        // The blank after the question is not looked for: a console shows a blank at the end of a
        // line as a move of the cursor.
        ASSERT_TRUE(terminal.WaitFor("(yes/No)")) << terminal.Output();
        if (const std::string why = kestrel::testing::TypingUnavailable(); !why.empty())
            GTEST_SKIP() << why;
        terminal.Type(c.typed);
        EXPECT_EQ(terminal.Wait(), c.status) << terminal.Output();
        EXPECT_EQ(filesBelow(target.dir.path("dst")), c.filesLeft) << c.typed;
    }
}

TEST(Consent, TheQuestionReachesTheTerminalWhenStandardErrorIsAFile) {
    FullTarget target;
    PtyProcess terminal(target.Delete(), MinimalEnvironment(target.dir.path("home/")),
                        target.dir.path("err.log"));
    ASSERT_TRUE(terminal.WaitFor("(yes/No)")) << terminal.Output();
    if (const std::string why = kestrel::testing::TypingUnavailable(); !why.empty())
        GTEST_SKIP() << why;
    terminal.Type("\n");
    EXPECT_EQ(terminal.Wait(), 3);
    EXPECT_EQ(filesBelow(target.dir.path("dst")), 2u);
}

TEST(Signals, EveryStopRequestStopsAtTheNextFileWithTheSummaryAndStatus3) {
    for (int request : kestrel::testing::StopRequests()) {
        SCOPED_TRACE(kestrel::testing::StopRequestName(request));
        kestrel::testing::StopHandlingReset reset;
        TempDir dir;
        for (int i = 0; i < 20; ++i)
            dir.createFile("src/A/f" + std::to_string(i) + ".txt", "data");
        dir.createFolder("dst");
        int copies = 0;
        bool delivered = true;
        kestrel::testing::CopyFaultGuard fault([&](const std::string&, const std::string&) {
            if (++copies == 3) // as `systemctl stop`, a closed terminal or Ctrl-C would, mid-run
                delivered = kestrel::testing::SendStop(request);
            return platform::Error{};
        });
        CliRun result = run({"backup", "--source", dir.path("src"), "--target", dir.path("dst"),
                             "--include-all", "--report", dir.path("report.txt"), "--yes"});
        if (!delivered)
            GTEST_SKIP() << "this system delivers no stop request to a program without a console";
        EXPECT_EQ(result.status, 3) << result.out;
        EXPECT_LT(filesBelow(dir.path("dst")), 20u);
        EXPECT_TRUE(contains(result.out, "Number of files copied: ")) << result.out;
        const std::string report = dir.readFile("report.txt");
        const std::size_t foot = report.rfind("\r\nCurrent date/time: ");
        ASSERT_NE(foot, std::string::npos) << report;
        EXPECT_EQ(report.substr(report.size() - 2), "\r\n") << "the foot line is whole";
        EXPECT_GT(foot, report.find("Number of files copied: "));
    }
}

TEST(Signals, ASecondSignalEndsAtOnceWithStatus3) {
#ifdef _WIN32
    GTEST_SKIP() << "the second request ends the program at once: the run is held in a forked child, which "
                    "Windows has no way to make";
#else
    TempDir dir;
    for (int i = 0; i < 20; ++i)
        dir.createFile("src/A/f" + std::to_string(i) + ".txt", std::string(1000, 'x'));
    dir.createFolder("dst");
    const pid_t child = ::fork();
    if (child == 0) {
        kestrel::testing::CopyFaultGuard fault([](const std::string&, const std::string&) {
            std::raise(SIGTERM);
            std::raise(SIGTERM);
            return platform::Error{};
        });
        run({"backup", "--source", dir.path("src"), "--target", dir.path("dst"), "--include-all",
             "--no-report", "--yes"});
        ::_exit(100); // not reached: the second signal ends the program
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    // No copy is left under a final name part-written.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path("dst")))
        if (entry.is_regular_file() && !platform::isTemporaryCopyName(entry.path().filename().string()))
            EXPECT_EQ(entry.file_size(), 1000u) << entry.path();

    // The next run finishes the backup and leaves nothing of the killed one behind.
    EXPECT_EQ(run({"backup", "--source", dir.path("src"), "--target", dir.path("dst"), "--include-all",
                   "--no-report", "--yes"})
                  .status,
              0);
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path("dst"))) {
        EXPECT_FALSE(platform::isTemporaryCopyName(entry.path().filename().string())) << entry.path();
        files += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(files, 20);
#endif
}

TEST(Signals, AClosedStandardOutputNeverStopsABackup) {
    TempDir dir;
    for (int i = 0; i < 300; ++i)
        dir.createFile("src/A/file " + std::to_string(i) + ".txt", "data " + std::to_string(i));
    dir.createFolder("dst");
    dir.createFolder("home");
    ProcessRun process{{CliProgram(), "backup", "--source", dir.path("src"), "--target", dir.path("dst"),
                        "--include-all", "--report", dir.path("report.txt"), "--yes"},
                       MinimalEnvironment(dir.path("home/")),
                       kestrel::testing::kNullDevice,
                       "", // standard output: a pipe nobody reads, as `| head -n 2` leaves it
                       dir.path("err.txt")};
    ProcessResult result = RunProcess(process);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(filesBelow(dir.path("dst")), 300u);
    const std::string report = dir.readFile("report.txt");
    EXPECT_TRUE(contains(report, "Number of files copied: 300\r\n")) << report.substr(report.size() - 300);
    EXPECT_NE(report.rfind("\r\nCurrent date/time: "), std::string::npos);
}
