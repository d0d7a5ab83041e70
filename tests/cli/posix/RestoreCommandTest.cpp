#include "cli/CliFolderFixture.h"
#include "cli/CliRun.h"
#include "modules/Language.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <utime.h>

// `restore` as a user types it: the backup back into an empty folder, `diff -r` clean against the
// source; a newer file of the destination left alone whatever --yes says, replaced only by name.
namespace kestrel::testing {
namespace {

class RestoreCommandTest : public CliFolderTest {
protected:
    void SetUp() override {
        CliFolderTest::SetUp();
        dir.createFile("src/a.txt", "a", 1700000000);
        dir.createFile("src/Docs/b.txt", "b", 1700000000);
        dir.createFile("src/Docs/deep/c.txt", "c", 1700000000);
        ASSERT_EQ(::symlink("a.txt", (source + "link").c_str()), 0);
        ASSERT_EQ(::chmod((source + "a.txt").c_str(), 0640), 0);
        ASSERT_NO_FATAL_FAILURE(Save({"--no-report"}));
        ASSERT_EQ(run({"backup", setupFile, "--all", "--yes"}).status, 0);
    }
    static int Diff(const std::string& a, const std::string& b) {
        const std::string command = "diff -r '" + a + "' '" + b + "' >/dev/null";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(RestoreCommandTest, IntoAnEmptyFolderIsDiffCleanAgainstTheSource) {
    const std::string into = dir.createFolder("restored");
    const CliRun restored = run({"restore", setupFile, "--to", into, "--yes"});
    EXPECT_EQ(restored.status, 0) << restored.err;
    EXPECT_EQ(Diff(source, into), 0);
    EXPECT_TRUE(contains(restored.out, GetProgramText(1913) + " " + target)) << restored.out;
}

TEST_F(RestoreCommandTest, ANewerFileStaysWithYesAndIsReplacedOnlyWithOverwriteNewer) {
    dir.createFile("src/Docs/b.txt", "edited later", 1800000000);
    const CliRun kept = run({"restore", setupFile, "--yes"});
    EXPECT_EQ(kept.status, 1);
    EXPECT_TRUE(contains(kept.out, source + "Docs/b.txt  " + GetProgramText(1910))) << kept.out;
    EXPECT_TRUE(contains(kept.err, "kestrel-backup-cli: " + GetProgramText(1924))) << kept.err;
    EXPECT_EQ(dir.readFile("src/Docs/b.txt"), "edited later");

    const CliRun checked = run({"restore", setupFile, "--check", "--overwrite-newer", "--yes"});
    EXPECT_EQ(checked.status, 0) << checked.err;
    EXPECT_EQ(dir.readFile("src/Docs/b.txt"), "edited later");

    const CliRun replaced = run({"restore", setupFile, "--overwrite-newer", "--yes"});
    EXPECT_EQ(replaced.status, 0) << replaced.err;
    EXPECT_EQ(dir.readFile("src/Docs/b.txt"), "b");
}

TEST_F(RestoreCommandTest, RestoreOptionsBelongToRestore) {
    for (const char* option : {"--overwrite-newer", "--check"}) {
        const CliRun refused = run({"backup", setupFile, option});
        EXPECT_EQ(refused.status, 2) << option;
        EXPECT_TRUE(contains(refused.err, "backup does not take " + std::string(option))) << refused.err;
    }
}

} // namespace
} // namespace kestrel::testing
