#include "engine/DeleteProcedures.h"

#include "platform/FileSystem.h"
#include "support/ScriptedInteraction.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <vector>

namespace kestrel {
namespace {

using testing::ScriptedInteraction;
using testing::TempDir;

class DeleteProceduresTest : public ::testing::Test {
protected:
    // Fails the first `failures` removals of any file.
    void FailRemovals(int failures, bool removeAnyway = false) {
        DeletionFaults faults;
        faults.removeFile = [this, failures, removeAnyway](const std::string& path) {
            ++attempts;
            if (attempts > failures) {
                return platform::Error{};
            }
            if (removeAnyway) {
                ::unlink(path.c_str()); // someone else deleted it meanwhile
            }
            return platform::Error::of(platform::err::PermissionDenied);
        };
        faultsInForce.emplace(faults);
    }

    TempDir dir;
    ScriptedInteraction ui;
    int attempts = 0;
    std::optional<ScopedDeletionFaultsForTesting> faultsInForce;
};

TEST_F(DeleteProceduresTest, DeleteFileWithRetryTriesFourTimesHalfASecondApart) {
    struct Case {
        const char* name;
        int failures;
        bool removedMeanwhile;
        bool result;
        int attempts;
        std::vector<int> sleeps;
    };
    const Case cases[] = {
        {"deleted at once", 0, false, true, 1, {}},
        {"deleted at the third attempt", 2, false, true, 3, {500, 500}},
        {"deleted at the last attempt", 3, false, true, 4, {500, 500, 500}},
        {"never deleted", 4, false, false, 4, {500, 500, 500}},
        {"gone meanwhile", 4, true, true, 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.createFile("file.txt", "x");
        attempts = 0;
        ui.clearEvents();
        FailRemovals(c.failures, c.removedMeanwhile);

        EXPECT_EQ(DeleteFileWithRetry(path, true, true, true, ui), c.result);

        EXPECT_EQ(attempts, c.attempts);
        EXPECT_EQ(ui.sleeps(), c.sleeps);
        EXPECT_EQ(platform::statPath(path, false).exists(), !c.result);
        ::unlink(path.c_str());
    }
}

TEST_F(DeleteProceduresTest, DeleteFileWithRetryOfAMissingFileIsTrueAtOnce) {
    FailRemovals(4);
    EXPECT_TRUE(DeleteFileWithRetry(dir.path("missing.txt"), true, true, true, ui));
    EXPECT_EQ(attempts, 0);
    EXPECT_TRUE(ui.sleeps().empty());
}

TEST_F(DeleteProceduresTest, DeleteFileWithRetryRemovesALinkAndNotWhatItPointsTo) {
    const std::string file = dir.createFile("out/file.txt", "kept");
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    const std::string link = dir.path("link.txt");
    if (!kestrel::testing::MakeSymlink(file, link))
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;

    EXPECT_TRUE(DeleteFileWithRetry(link, true, true, true, ui));

    EXPECT_FALSE(platform::statPath(link, false).exists());
    EXPECT_EQ(dir.readFile("out/file.txt"), "kept");
    EXPECT_EQ(platform::statPath(file).mode & 0777, 0444u);
}

TEST_F(DeleteProceduresTest, OverwriteFileReplacesTheContentAndKeepsTheFile) {
    const std::string content(10000, 'q');
    const std::string path = dir.createFile("file.txt", content);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);

    const platform::Status refused = OverwriteFile(path, 0, false, true);
    EXPECT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().number, platform::err::PermissionDenied);
    EXPECT_EQ(dir.readFile("file.txt"), content);

    const platform::Status overwritten = OverwriteFile(path, 0, true, true);
    EXPECT_TRUE(overwritten.ok());
    EXPECT_FALSE(overwritten.error());
    const std::string after = dir.readFile("file.txt");
    EXPECT_EQ(after.size(), content.size());
    std::size_t same = 0;
    for (std::size_t i = 0; i < after.size() && i < content.size(); ++i) {
        same += after[i] == content[i] ? 1 : 0;
    }
    EXPECT_LT(same, content.size() / 50);
}

TEST_F(DeleteProceduresTest, OverwriteFileRefusesWhatItMustNotWriteTo) {
    const std::string outside = dir.createFile("out/file.txt", "outside");
    const std::string link = dir.path("link.txt");
    if (!kestrel::testing::MakeSymlink(outside, link))
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    const std::string shared = dir.createFile("out/shared.txt", "shared");
    const std::string hardLink = dir.path("hard.txt");
    ASSERT_TRUE(kestrel::testing::MakeHardLink(shared, hardLink));

    for (const std::string& path : {link, hardLink, dir.path("missing.txt"), dir.createFolder("folder")}) {
        SCOPED_TRACE(path);
        const platform::Status overwritten = OverwriteFile(path, 0, true, true);
        EXPECT_FALSE(overwritten.ok());
        EXPECT_TRUE(overwritten.error());
    }
    EXPECT_EQ(dir.readFile("out/file.txt"), "outside");
    EXPECT_EQ(dir.readFile("out/shared.txt"), "shared");
}

} // namespace
} // namespace kestrel
