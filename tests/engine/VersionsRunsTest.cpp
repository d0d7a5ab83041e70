#include "engine/VersionsRuns.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The runs a restore offers from a target's versions folder: its real run folders, newest first,
// as a user reads them; nothing a link stands for.
namespace kestrel::testing {
namespace {

std::vector<std::string> NamesOf(const std::vector<VersionsRun>& runs) {
    std::vector<std::string> names;
    for (const VersionsRun& run : runs)
        names.push_back(run.name);
    return names;
}

TEST(VersionsRunsTest, RealRunFoldersNewestFirstReadably) {
    TempDir dir;
    const std::string versions = "tgt/.kestrel-versions/";
    for (const char* run : {"2024-03-09 14.05.33", "2025-01-02 08.00.00", "2024-03-09 14.05.33 (2)",
                            "2024-03-09 14.05.33 (10)", "2023-12-31 23.59.59"})
        dir.createFile(versions + run + "/a.txt", "a");
    // Not runs: another name, a file of a run's name, a run's name on a link to a folder.
    dir.createFolder(versions + "notes");
    dir.createFile(versions + "2026-01-01 00.00.00", "a file");
    dir.createFolder("elsewhere");
    const bool linked = MakeSymlink(dir.path("elsewhere"), dir.path(versions + "2027-01-01 00.00.00"), true);

    const std::vector<VersionsRun> runs = VersionsRunsOf(dir.path("tgt/"));
    EXPECT_EQ(NamesOf(runs), (std::vector<std::string>{"2025-01-02 08.00.00", "2024-03-09 14.05.33 (10)",
                                                       "2024-03-09 14.05.33 (2)", "2024-03-09 14.05.33",
                                                       "2023-12-31 23.59.59"}));
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[0].text, "2025-01-02 08:00:00");
    EXPECT_EQ(runs[1].text, "2024-03-09 14:05:33 (10)");
    EXPECT_EQ(runs[0].moment.year, 2025);
    if (!linked)
        GTEST_SKIP() << kNoSymlinks << " (the link case)";
}

TEST(VersionsRunsTest, NoneWithoutAVersionsFolderOrWithALinkInItsPlace) {
    TempDir dir;
    dir.createFolder("tgt");
    EXPECT_TRUE(VersionsRunsOf(dir.path("tgt/")).empty());
    EXPECT_TRUE(VersionsRunsOf(dir.path("missing/")).empty());

    // Another folder's run folders, reached through a link where the versions folder should be.
    dir.createFolder("other/2024-03-09 14.05.33");
    if (!MakeSymlink(dir.path("other"), dir.path("tgt/.kestrel-versions"), true))
        GTEST_SKIP() << kNoSymlinks;
    EXPECT_TRUE(VersionsRunsOf(dir.path("tgt/")).empty());
}

} // namespace
} // namespace kestrel::testing
