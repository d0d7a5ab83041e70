// The tool's options beyond the plain mirror: taken, saved, shown, and the removal limit that
// even --yes does not pass.
#include "cli/CliFolderFixture.h"
#include "cli/CliRun.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using kestrel::testing::CliRun;
using kestrel::testing::contains;
using kestrel::testing::run;

namespace {

class GoneOptionsTest : public kestrel::testing::CliFolderTest {
protected:
    void SetUp() override {
        CliFolderTest::SetUp();
        dir.createFile("src/keep.txt", "k");
        dir.createFile("dst/gone1.txt", "1");
        dir.createFile("dst/gone2.txt", "2");
    }

    kestrel::testing::ConfigHome config{dir.path("config")};
};

} // namespace

TEST_F(GoneOptionsTest, PastTheLimitTheBackupRemovesNothingEvenWithYes) {
    CliRun refused = run({"backup", "--source", source, "--target", target, "--remove-deleted",
                          "--max-remove", "1", "--no-report", "--yes"});
    EXPECT_EQ(refused.status, 1) << refused.out << refused.err;
    EXPECT_TRUE(contains(refused.err, "--yes does not pass this limit")) << refused.err;
    EXPECT_TRUE(contains(refused.out,
                         "This backup would remove 2 files and folders gone from the source, more "
                         "than the limit of 1."))
        << refused.out;
    EXPECT_TRUE(dir.exists("dst/gone1.txt"));
    EXPECT_TRUE(dir.exists("dst/keep.txt")) << "the backup itself ran";

    CliRun removed = run({"backup", "--source", source, "--target", target, "--remove-deleted",
                          "--max-remove", "2", "--no-report", "--yes"});
    EXPECT_EQ(removed.status, 0) << removed.out << removed.err;
    EXPECT_FALSE(dir.exists("dst/gone1.txt"));
    EXPECT_FALSE(dir.exists("dst/gone2.txt"));
    EXPECT_TRUE(contains(removed.out, "Number of files removed from the backup: 2")) << removed.out;
}

TEST_F(GoneOptionsTest, CheckNamesWhatIsGoneWithoutTheOption) {
    CliRun check = run({"check", "--source", source, "--target", target, "--yes"});
    EXPECT_EQ(check.status, 0) << check.err;
    EXPECT_TRUE(contains(check.out, kestrel::testing::Native(target + "gone1.txt"))) << check.out;
    EXPECT_TRUE(contains(check.out, "Number of files gone from the source: 2")) << check.out;
    EXPECT_TRUE(dir.exists("dst/gone1.txt"));
}

TEST_F(GoneOptionsTest, SavedOptionsAreShownAndKept) {
    const std::string file = dir.path("a.zbk");
    CliRun saved = run({"save", file, "--source", source, "--target", target, "--remove-deleted",
                        "--max-remove", "40", "--keep-versions", "14", "--links", "--keep-attributes"});
    ASSERT_EQ(saved.status, 0) << saved.err;
    CliRun shown = run({"show", file});
    ASSERT_EQ(shown.status, 0) << shown.err;
    for (const char* line :
         {"Remove files gone from the source: yes", "Most entries a run removes (0 = no limit): 40",
          "Keep earlier versions, days (0 = none): 14", "Copy symbolic links as links:   yes",
          "Keep folder times, modes and attributes: yes"})
        EXPECT_TRUE(contains(shown.out, line)) << line << "\n" << shown.out;
}

TEST_F(GoneOptionsTest, BadCountsAreRefusedAsUsage) {
    for (const char* value : {"-1", "many", "36501"}) {
        CliRun result = run({"backup", "--source", source, "--target", target, "--keep-versions", value});
        EXPECT_EQ(result.status, 2) << value;
        EXPECT_TRUE(contains(result.err, "--keep-versions takes a whole number")) << result.err;
    }
}
