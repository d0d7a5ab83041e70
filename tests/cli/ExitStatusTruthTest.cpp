#include "cli/CliRun.h"
#include "engine/TargetSpace.h"
#include "modules/Language.h"
#include "platform/Disk.h"
#include "platform/FileSystem.h"
#include "support/CopyFaults.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "support/Unprivileged.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>

namespace kestrel::testing {
namespace {

class ExitStatusTruthTest : public ::testing::Test {
protected:
    ExitStatusTruthTest() : source(dir.createFolder("src")), target(dir.createFolder("dst")) {}
    std::vector<std::string> Backup(std::vector<std::string> extra = {}) const {
        std::vector<std::string> args = {"backup", "--source", source, "--target", target, "--yes"};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
    static bool Contains(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    TempDir dir;
    std::string source, target;
};

TEST_F(ExitStatusTruthTest, AnIncludedSubfolderMustLieDirectlyInTheSource) {
    dir.createFile("src/A/B/deep.txt", "d");
    struct Case {
        const char* entry;
        const char* said;
    };
    const Case cases[] = {
        {"A/B", "not \"A/B\"; to back up what lies deeper, include \"A\" with --subfolders"},
        {"./A", "not \"./A\""},
        {"/etc", "not the absolute path \"/etc\""},
        {"..", "may not leave the source folder"},
        {"A/../..", "may not leave the source folder"},
        {".", "needs the name of a subfolder"},
    };
    for (const Case& c : cases) {
        for (const std::string command : {"backup", "save"}) {
            SCOPED_TRACE(std::string(c.entry) + " " + command);
            std::vector<std::string> args = Backup({"--include", c.entry, "--subfolders"});
            if (command == "save")
                args = {"save", dir.path("s.zbk"), "--source", source, "--target",
                        target, "--include",       c.entry};
            CliRun result = run(args);
            EXPECT_EQ(result.status, 2);
            EXPECT_TRUE(Contains(result.err, c.said)) << result.err;
            EXPECT_TRUE(result.out.empty());
        }
    }
    EXPECT_FALSE(std::filesystem::exists(target + "A"));
    EXPECT_FALSE(std::filesystem::exists(dir.path("s.zbk")));

    // A folder name as a shell completes it is a direct subfolder.
    CliRun completed = run(Backup({"--include", "A/", "--subfolders"}));
    EXPECT_EQ(completed.status, 0) << completed.err;
    EXPECT_EQ(dir.readFile("dst/A/B/deep.txt"), "d");
}

TEST_F(ExitStatusTruthTest, AnExtensionWithADigitSelectsItsFiles) {
    dir.createFile("src/song.mp3", "la");
    dir.createFile("src/song.mp4", "film");
    dir.createFile("src/notes.txt", "n");

    CliRun result = run(Backup({"--ext", "mp3"}));

    ASSERT_EQ(result.status, 0) << result.err << result.out;
    EXPECT_EQ(dir.readFile("dst/song.mp3"), "la");
    EXPECT_FALSE(std::filesystem::exists(target + "song.mp4"));
    EXPECT_FALSE(std::filesystem::exists(target + "notes.txt"));
}

TEST_F(ExitStatusTruthTest, AFolderThatCannotBeReadEndsTheRunWithErrors) {
    SKIP_ON_WINDOWS("the folder is made unreadable through POSIX permission bits, as another user");
    dir.createFile("src/locked/a.txt", "a");
    dir.createFile("src/open/b.txt", "b");
    RunAsUnprivileged({dir.path()}, [&] {
        ASSERT_EQ(::chmod((source + "locked").c_str(), 0), 0);

        CliRun result = run(Backup({"--include-all"}));

        EXPECT_EQ(result.status, 1) << result.out << result.err;
        EXPECT_TRUE(Contains(result.out, "locked/  Permission denied\n")) << result.out;
        ::chmod((source + "locked").c_str(), 0755);
    });
    EXPECT_EQ(dir.readFile("dst/open/b.txt"), "b");
}

TEST_F(ExitStatusTruthTest, ARunStoppedByAFullTargetEndsWithErrorsNotAsACancel) {
    dir.createFile("src/a.txt", "a");
    const ScopedTargetDiskSpaceForTesting disk([](const std::string&, double& freeBytes, double& totalBytes) {
        freeBytes = 0;
        totalBytes = 1e9;
        return 0;
    });

    CliRun result = run(Backup());

    EXPECT_EQ(result.status, 1) << result.out;
    EXPECT_TRUE(Contains(result.out, "The target drive is full.")) << result.out;
    EXPECT_TRUE(Contains(result.out, GetProgramText(1109))) << result.out;
    EXPECT_FALSE(Contains(result.out, GetProgramText(49))) << result.out;
}

TEST_F(ExitStatusTruthTest, AFullTargetIsRefusedAsFull) {
    dir.createFile("src/a.txt", "a");
    platform::ScopedNewFileFaultForTesting full(
        [](const std::string&) { return platform::Error::of(platform::err::DiskFull); });

    CliRun result = run(Backup());

    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(Contains(result.err, GetProgramText(1108))) << result.err;
    EXPECT_FALSE(Contains(result.err, "write-protected")) << result.err;
}

TEST_F(ExitStatusTruthTest, AReportFileCutShortEndsTheRunWithErrors) {
    SKIP_ON_WINDOWS("Windows has no device that fails every write as a full disk does (/dev/full)");
    dir.createFile("src/a.txt", "a");
    // Every write to /dev/full fails as on a full disk.
    CliRun result = run(Backup({"--report", "/dev/full"}));

    EXPECT_EQ(result.status, 1) << result.out << result.err;
    EXPECT_EQ(dir.readFile("dst/a.txt"), "a");
}

TEST_F(ExitStatusTruthTest, EachFolderCountLineStartsALineOfItsOwnOnStandardOutput) {
    dir.createFile("src/A/m.txt", "modified");
    dir.createFile("dst/A/m.txt", "old");
    dir.createFile("src/A/n.txt", "new in A");
    dir.createFile("src/B/b.txt", "new in B");
    const auto fault = FailCopiesOf(Native("/A/"), platform::err::DeviceIo);

    CliRun result = run(Backup({"--include-all"}));

    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.out,
                         "not previously backed up.  \n    1 file  in {source folder}" + Native("B/") + "\n"))
        << result.out;
}

} // namespace
} // namespace kestrel::testing

namespace kestrel::testing {
namespace {

TEST_F(ExitStatusTruthTest, AMultipleBackupWithCopyErrorsInAnySetupEndsWithErrors) {
    const std::string setups = dir.createFolder("setups");
    dir.createFile("one/A/broken.txt", "a");
    dir.createFile("two/B/b.txt", "b");
    for (const auto& [name, from, to] :
         {std::tuple{"1 first.zbk", "one", "t1"}, std::tuple{"2 last.zbk", "two", "t2"}})
        ASSERT_EQ(run({"save", setups + name, "--source", dir.path(from), "--target", dir.createFolder(to),
                       "--include-all"})
                      .status,
                  0);
    const auto fault = FailCopiesOf("broken", platform::err::DeviceIo);

    CliRun result = run({"multiple", setups, "--yes"});

    EXPECT_EQ(result.status, 1) << result.out << result.err;
    EXPECT_EQ(dir.readFile("t2/B/b.txt"), "b");
}

} // namespace
} // namespace kestrel::testing
