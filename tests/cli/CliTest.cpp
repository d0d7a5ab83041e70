#include "cli/commands/Cli.h"
#include "cli/CliRun.h"
#include "cli/commands/SetupOptions.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>

using kestrel::testing::CliRun;
using kestrel::testing::Native;
using kestrel::testing::run;
using kestrel::testing::TempDir;

using kestrel::testing::ConfigHome;

TEST(Cli, HelpAndVersionSucceed) {
    CliRun help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: kestrel-backup-cli COMMAND"), std::string::npos);
    CliRun version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("kestrel-backup-cli ", 0), 0u);
}

TEST(Cli, BadUsageIsRefusedWithStatus2) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"save", "--no-such-option"},
        {"save", "--source"},
        {"save", "x.zbk", "--modified-since", "5"},
        {"save", "x.zbk", "--warn-smaller", "55"},
        {"save", "x.zbk", "--source", "/tmp", "--include", "../etc"},
        {"save", "x.zbk", "--source", "/tmp", "--include", "/etc"},
        {"save", "x.zbk", "--source", "/tmp", "--include", "..\\..\\etc"},
        {"save", "x.zbk", "--source", "/tmp", "--include", "C:\\x"},
    };
    for (const auto& args : cases) {
        CliRun result = run(args);
        EXPECT_EQ(result.status, 2) << (args.empty() ? "(none)" : args[0]);
        EXPECT_FALSE(result.err.empty());
    }
}

TEST(Cli, SavedSetupShowsBackEveryOption) {
    TempDir dir;
    std::string source = dir.createFolder("My, Documents");
    dir.createFolder("My, Documents/Letters");
    dir.createFolder("My, Documents/Photos");
    std::string target = dir.createFolder("backup");
    std::string setupFile = dir.path("docs.zbk");

    CliRun saved = run({"save",
                        setupFile,
                        "--source",
                        source,
                        "--target",
                        target,
                        "--include-all",
                        "--subfolders",
                        "--ext",
                        "doc?",
                        "--skip",
                        "tmp,cache",
                        "--modified-since",
                        "14",
                        "--warn-older",
                        "--warn-smaller",
                        "30",
                        "--suppress-details",
                        "--report",
                        dir.path("report.txt")});
    ASSERT_EQ(saved.status, 0) << saved.err;

    CliRun shown = run({"show", setupFile});
    ASSERT_EQ(shown.status, 0) << shown.err;
    // The folders as the tool keeps them: in the system's separators.
    EXPECT_NE(shown.out.find("Source folder:                  " + Native(source) + "\n"), std::string::npos)
        << shown.out;
    EXPECT_NE(shown.out.find("Target folder:                  " + Native(target) + "\n"), std::string::npos);
    EXPECT_NE(shown.out.find("Included subfolders:            2\n  Letters\n  Photos\n"), std::string::npos);
    EXPECT_NE(shown.out.find("Include all their subfolders:   yes\n"), std::string::npos);
    EXPECT_NE(shown.out.find("Only files with extension:      doc?\n"), std::string::npos);
    EXPECT_NE(shown.out.find("Skip file paths containing:     tmp,cache\n"), std::string::npos);
    EXPECT_NE(shown.out.find("Warn if older than backup:      yes\n"), std::string::npos);
    EXPECT_NE(shown.out.find("Warn if smaller than:           yes (30%"), std::string::npos);
    EXPECT_NE(shown.out.find("Report file:                    " + Native(dir.path("report.txt")) + "\n"),
              std::string::npos);
}

TEST(Cli, SaveWithoutFileWritesTheLastRunSetupThatShowReads) {
    TempDir dir;
    ConfigHome config(dir.path("config"));
    std::string source = dir.createFolder("src");
    ASSERT_EQ(run({"save", "--source", source}).status, 0);
    CliRun shown = run({"show"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find("Source folder:                  " + Native(source) + "\n"), std::string::npos)
        << shown.out;
}

TEST(Cli, SetupThatCannotBeLoadedGivesStatus2AndTheReason) {
    TempDir dir;
    dir.createFile("short.zbk", "/a/\r\n/b/\r\n 0 \r\n");
    CliRun shortFile = run({"show", dir.path("short.zbk")});
    EXPECT_EQ(shortFile.status, 2);
    EXPECT_NE(shortFile.err.find("Input past end of file"), std::string::npos) << shortFile.err;

    CliRun missing = run({"show", dir.path("missing.zbk")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("missing.zbk"), std::string::npos);
}

TEST(Cli, FailedSaveReportsAndKeepsTheEarlierFile) {
    TempDir dir;
    dir.createFile("blocker", "a file where a folder should be");
    CliRun result = run({"save", dir.path("blocker/new.zbk"), "--source", dir.path()});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("Cannot save the setup in " + dir.path("blocker/new.zbk")), std::string::npos)
        << result.err;
    EXPECT_EQ(dir.readFile("blocker"), "a file where a folder should be");
}

// A folder value is absolute and ends in exactly one separator of the system's own.
TEST(FolderValue, IsAbsoluteWithOneFinalSeparator) {
    struct Case {
        const char* given;
        const char* expected;
    };
#ifdef _WIN32
    const char* const working = "C:\\Users\\anna";
    const Case cases[] = {{"D:\\data", "D:\\data\\"},
                          {"D:\\data\\", "D:\\data\\"},
                          {"D:\\data\\\\x\\", "D:\\data\\x\\"},
                          {"D:/data//x/", "D:\\data\\x\\"},
                          {"docs", "C:\\Users\\anna\\docs\\"},
                          {".\\docs\\..\\pics", "C:\\Users\\anna\\pics\\"},
                          {"D:\\", "D:\\"},
                          {"D:\\..\\..", "D:\\"},
                          {"\\\\server\\share\\x", "\\\\server\\share\\x\\"}};
#else
    const char* const working = "/home/anna";
    const Case cases[] = {{"/data", "/data/"},
                          {"/data/", "/data/"},
                          {"/data//x/", "/data/x/"},
                          {"docs", "/home/anna/docs/"},
                          {"./docs/../pics", "/home/anna/pics/"},
                          {"/", "/"},
                          {"/../..", "/"}};
#endif
    for (const Case& c : cases)
        EXPECT_EQ(kestrel::cli::folderValueOf(c.given, working), c.expected) << c.given;
}
