// A command line means what it says: its setup options build a setup of their own, a new
// --source is a new selection, each command takes only its own options and has its own help, and
// a source with subfolders the setup leaves out says so before a run.
#include "cli/CliRun.h"
#include "cli/commands/Cli.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using kestrel::testing::CliRun;
using kestrel::testing::ConfigHome;
using kestrel::testing::contains;
using kestrel::testing::Native;
using kestrel::testing::run;
using kestrel::testing::TempDir;

TEST(CommandLineSetup, SetupOptionsWithoutAFileIgnoreWhatTheLastRunLeft) {
    TempDir dir;
    ConfigHome config(dir.path("config"));
    dir.createFile("docs/tax.pdf", "pdf");
    dir.createFile("docs/photo.jpg", "jpg");
    dir.createFile("docs/sub/letter.pdf", "letter");
    dir.createFolder("dst");
    dir.createFolder("other");
    // What a desktop session left behind: an extension filter and other folders.
    ASSERT_EQ(run({"save", "--source", dir.path("other"), "--target", dir.path("dst"), "--ext", "jpg",
                   "--exclude-source-files"})
                  .status,
              0);

    CliRun backup = run({"backup", "--source", dir.path("docs"), "--target", dir.path("dst"), "--include-all",
                         "--subfolders", "--all", "--yes", "--no-report"});
    ASSERT_EQ(backup.status, 0) << backup.err << backup.out;
    EXPECT_TRUE(dir.exists("dst/tax.pdf")) << backup.out;
    EXPECT_TRUE(dir.exists("dst/photo.jpg"));
    EXPECT_TRUE(dir.exists("dst/sub/letter.pdf"));

    // A command line with neither a file nor setup options takes the last-run setup.
    CliRun shown = run({"show"});
    EXPECT_TRUE(contains(shown.out, "Only files with extension:      jpg\n")) << shown.out;
    EXPECT_TRUE(contains(shown.out, "Source folder:                  " + Native(dir.path("other/")) + "\n"));
}

TEST(CommandLineSetup, NewSourceOverASetupFileIsANewSelection) {
    TempDir dir;
    dir.createFile("old/Letters/a.txt", "a");
    dir.createFile("old/Photos/b.jpg", "b");
    dir.createFile("new/Music/c.mp3", "c");
    dir.createFile("new/own.txt", "own");
    const std::string setupFile = dir.path("s.zbk");
    ASSERT_EQ(run({"save", setupFile, "--source", dir.path("old"), "--include-all", "--subfolders",
                   "--exclude-source-files", "--ext", "txt"})
                  .status,
              0);

    struct Case {
        std::vector<std::string> extra;
        std::string included;
        std::string exclude;
    } cases[] = {
        {{"--source", dir.path("new")}, "Included subfolders:            0\n", "no"},
        {{"--source", dir.path("old")}, "Included subfolders:            0\n", "no"}, // the same one again
        {{"--source", dir.path("new"), "--include", "Music"},
         "Included subfolders:            1\n  Music\n",
         "no"},
        {{"--source", dir.path("new"), "--exclude-source-files"},
         "Included subfolders:            0\n",
         "yes"},
        {{"--target", dir.path("t")}, "Included subfolders:            2\n  Letters\n  Photos\n", "yes"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"show", setupFile};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        CliRun shown = run(args);
        ASSERT_EQ(shown.status, 0) << shown.err;
        EXPECT_TRUE(contains(shown.out, c.included)) << c.extra.back() << "\n" << shown.out;
        EXPECT_TRUE(contains(shown.out, "Exclude files in source folder: " + c.exclude + "\n")) << shown.out;
        // What the file says beyond the selection stays.
        EXPECT_TRUE(contains(shown.out, "Include all their subfolders:   yes\n"));
        EXPECT_TRUE(contains(shown.out, "Only files with extension:      txt\n"));
    }
}

TEST(CommandHelp, EachCommandHasItsOwnHelpListingOnlyItsOptions) {
    struct Case {
        const char* command;
        std::vector<const char*> present;
        std::vector<const char*> absent;
    } cases[] = {
        {"backup", {"--all", "--unattended", "--progress", "--include"}, {"--wipe"}},
        {"check", {"--progress", "--ext"}, {"--wipe", "--all", "--unattended"}},
        {"list", {"--source"}, {"--wipe", "--all"}},
        {"delete", {"--wipe", "--yes", "--target"}, {"--all", "--include", "--ext"}},
        {"multiple", {"--yes", "--progress"}, {"--source", "--wipe"}},
        {"save", {"--source", "--report"}, {"--progress", "--yes", "--all"}},
        {"show", {"--source"}, {"--progress", "--yes"}},
    };
    for (const Case& c : cases) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{c.command, "--help"}, std::vector<std::string>{"help", c.command}}) {
            CliRun help = run(args);
            EXPECT_EQ(help.status, 0);
            EXPECT_EQ(help.out.rfind("Usage: kestrel-backup-cli " + std::string(c.command) + " ", 0), 0u)
                << help.out;
            for (const char* option : c.present)
                EXPECT_TRUE(contains(help.out, std::string("  ") + option + " ")) << c.command << option;
            for (const char* option : c.absent)
                EXPECT_FALSE(contains(help.out, std::string("  ") + option + " ")) << c.command << option;
        }
    }
    // The tool's own help names every command.
    CliRun all = run({"--help"});
    for (const char* command : {"backup", "check", "list", "delete", "multiple", "save", "show"})
        EXPECT_TRUE(contains(all.out, std::string("\n  ") + command + " ")) << command;
}

TEST(CommandHelp, AnOptionThatDoesNotApplyIsRefusedBeforeAnythingHappens) {
    TempDir dir;
    const std::vector<std::vector<std::string>> cases = {
        {"check", "--wipe"},
        {"save", dir.path("s.zbk"), "--progress"},
        {"save", dir.path("s.zbk"), "--yes"},
        {"show", "--all"},
        {"list", "--unattended"},
        {"delete", "--target", dir.path(), "--include", "x", "--yes"},
        {"multiple", dir.path(), "--source", dir.path()},
        {"backup", "--wipe", "--yes"},
    };
    for (const auto& args : cases) {
        CliRun result = run(args);
        EXPECT_EQ(result.status, 2) << args[0] << " " << args.back();
        EXPECT_TRUE(contains(result.err, args[0] + " does not take --")) << result.err;
    }
    EXPECT_FALSE(dir.exists("s.zbk"));
    // The unattended run takes the last-run setup as it is: options that would change it are refused.
    CliRun unattended = run({"backup", "--unattended", "--source", dir.path()});
    EXPECT_EQ(unattended.status, 2);
    EXPECT_TRUE(contains(unattended.err, "last-run setup as it is")) << unattended.err;
}

TEST(CommandHelp, ALoadFailureIsWordedOnceWhicheverCommandShowsIt) {
    TempDir dir;
    dir.createFolder("src");
    dir.createFolder("dst");
    dir.createFolder("setups");
    const std::string good = dir.path("setups/bad.zbk");
    ASSERT_EQ(run({"save", good, "--source", dir.path("src"), "--target", dir.path("dst")}).status, 0);
    // A check box holding 7: a value its field refuses.
    std::string text = dir.readFile("setups/bad.zbk");
    const std::size_t third = text.find("\r\n", text.find("\r\n") + 2) + 2;
    text.replace(third, 3, " 7 ");
    dir.createFile("setups/bad.zbk", text);

    CliRun shown = run({"show", good});
    CliRun multiple = run({"multiple", dir.path("setups"), "--yes"});
    EXPECT_EQ(shown.status, 2);
    EXPECT_TRUE(contains(shown.err, "Invalid property value")) << shown.err;
    EXPECT_TRUE(contains(multiple.err + multiple.out, "Invalid property value"))
        << multiple.err << multiple.out;
    EXPECT_FALSE(contains(shown.err + multiple.err + multiple.out, "Application-defined"));
}

TEST(SubfolderNote, ARunAndShowSayWhichDirectSubfoldersTheSetupLeavesOut) {
    TempDir dir;
    for (const char* name : {"A", "B", "C", "D", "E"})
        dir.createFile(std::string("src/") + name + "/f.txt", name);
    dir.createFile("dst/A/f.txt", "A");
    const std::string setupFile = dir.path("s.zbk");
    ASSERT_EQ(run({"save", setupFile, "--source", dir.path("src"), "--target", dir.path("dst"), "--include",
                   "A", "--include", "B", "--include", "C"})
                  .status,
              0);

    CliRun check = run({"check", setupFile, "--yes"});
    EXPECT_EQ(check.status, 0) << check.err;
    EXPECT_TRUE(
        contains(check.err, "There are 5 subfolders, 3 selected\n  not included: D\n  not included: E\n"))
        << check.err;
    CliRun shown = run({"show", setupFile});
    EXPECT_TRUE(contains(shown.out, "There are 5 subfolders, 3 selected\n")) << shown.out;

    // A subfolder made after --include-all was saved is named; with every one included nothing is.
    ASSERT_EQ(
        run({"save", setupFile, "--source", dir.path("src"), "--target", dir.path("dst"), "--include-all"})
            .status,
        0);
    EXPECT_FALSE(contains(run({"check", setupFile, "--yes"}).err, "not included"));
    dir.createFolder("src/F new");
    CliRun later = run({"backup", setupFile, "--yes"});
    EXPECT_TRUE(contains(later.err, "There are 6 subfolders, 5 selected\n  not included: F new\n"))
        << later.err;
}
