#include "engine/DeleteAllBackupFiles.h"

#include "DeleteFixture.h"
#include "TargetRace.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

namespace kestrel {
namespace {

using testing::DeletionFixture;
using testing::EntrySwapper;
using testing::OutsideFiles;

constexpr int kRounds = 200;

enum class Racer { AfterListing, Thread };

struct RaceCase {
    bool wipe;
    Racer racer;
};

// A deletion or wipe while a folder and a file of the target are swapped for links to a folder
// and a file outside it: either right after the walk listed their folder (the worst moment), or
// by a thread swapping them over and over. Nothing outside ever changes.
class DeletionRaceTest : public DeletionFixture, public ::testing::WithParamInterface<RaceCase> {
protected:
    DeletionRaceTest() { setup.chkDisableOutputToFile = 1; }

    void BuildTarget() {
        dir.createFile("target/keep.txt", "k");
        dir.createFile("target/sub/a.txt", "a");
        dir.createFile("target/sub/b.txt", "b");
        dir.createFile("target/sub/inner/c.txt", "c");
        dir.createFile("target/file.txt", "f");
        dir.createFolder("spare");
        ASSERT_EQ(::symlink(outside.folder().c_str(), dir.path("spare/sub").c_str()), 0);
        ASSERT_EQ(::symlink(outside.file().c_str(), dir.path("spare/file.txt").c_str()), 0);
    }

    void ClearTarget() {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(target))
            std::filesystem::remove_all(entry.path(), ignored);
        std::filesystem::remove_all(dir.path("spare"), ignored);
        ui.clearEvents();
    }

    DeletionResult Delete(bool wipe) {
        ui.answerMessage(wipe ? MessageAnswer::Yes : MessageAnswer::No);
        ui.answerConfirm(true);
        state.ResetTotals();
        return DeleteAllBackupFiles(ctx);
    }

    OutsideFiles outside{dir};
};

TEST_P(DeletionRaceTest, NothingOutsideTheTargetIsEverTouched) {
    const RaceCase race = GetParam();
    EntrySwapper folderSwap(dir.path("target/sub"), dir.path("spare/sub"));
    EntrySwapper fileSwap(dir.path("target/file.txt"), dir.path("spare/file.txt"));
    std::optional<ScopedDeletionFaultsForTesting> faultsInForce;
    if (race.racer == Racer::AfterListing) {
        DeletionFaults faults;
        faults.afterListing = [&](const std::string& folder) {
            if (folder == target) {
                folderSwap.swap();
                fileSwap.swap();
            }
        };
        faultsInForce.emplace(faults);
    }
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        BuildTarget();
        if (race.racer == Racer::Thread) {
            folderSwap.start();
            fileSwap.start();
        }
        const DeletionResult result = Delete(race.wipe);
        folderSwap.stop();
        fileSwap.stop();
        ASSERT_NE(result.outcome, DeletionOutcome::NotStarted);
        outside.expectUntouched();
        if (::testing::Test::HasFailure())
            return;
        // The next round starts from a clean target.
        ClearTarget();
    }
}

INSTANTIATE_TEST_SUITE_P(Races, DeletionRaceTest,
                         ::testing::Values(RaceCase{false, Racer::AfterListing},
                                           RaceCase{true, Racer::AfterListing},
                                           RaceCase{false, Racer::Thread}, RaceCase{true, Racer::Thread}),
                         [](const ::testing::TestParamInfo<RaceCase>& info) {
                             return std::string(info.param.wipe ? "Wipe" : "Delete") +
                                    (info.param.racer == Racer::Thread ? "WithRacingThread"
                                                                       : "SwappedAfterListing");
                         });

} // namespace
} // namespace kestrel
