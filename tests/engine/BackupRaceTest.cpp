#include "EngineFixture.h"
#include "TargetRace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace kestrel {
namespace {

using testing::CopyFaultGuard;
using testing::EngineTest;
using testing::EntrySwapper;
using testing::OutsideFiles;

constexpr int kRounds = 200;

// A backup while a folder and a file of the target are swapped for links to a folder and a
// read-only file outside it: either as the first copy begins, or by threads swapping them over
// and over. Nothing outside the target ever changes, not even a mode.
class BackupRaceTest : public EngineTest, public ::testing::WithParamInterface<bool> {
protected:
    BackupRaceTest() {
        state.blnScheduledTask = true;
        Include({"sub/"});
        Src("f.txt", "new f");
        Src("sub/a.txt", "new a");
        Src("sub/b.txt", "new b");
    }

    void BuildTarget() {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(target))
            std::filesystem::remove_all(entry.path(), ignored);
        std::filesystem::remove_all(dir.path("spare"), ignored);
        ::chmod(Tgt("f.txt", "old f").c_str(), 0444);
        Tgt("sub/a.txt", "old a");
        dir.createFolder("spare");
        ASSERT_EQ(::symlink(outside.folder().c_str(), dir.path("spare/sub").c_str()), 0);
        ASSERT_EQ(::symlink(outside.file().c_str(), dir.path("spare/f.txt").c_str()), 0);
        ui.clearEvents();
        state.ResetTotals();
    }

    OutsideFiles outside{dir};
};

TEST_P(BackupRaceTest, NothingOutsideTheTargetIsEverTouched) {
    const bool racingThreads = GetParam();
    EntrySwapper folderSwap(dir.path("tgt/sub"), dir.path("spare/sub"));
    EntrySwapper fileSwap(dir.path("tgt/f.txt"), dir.path("spare/f.txt"));
    bool swapped = false;
    std::optional<CopyFaultGuard> fault;
    if (!racingThreads) {
        fault.emplace([&](const std::string&, const std::string&) {
            if (!swapped) {
                swapped = true;
                folderSwap.swap();
                fileSwap.swap();
            }
            return platform::Error{};
        });
    }
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        BuildTarget();
        swapped = false;
        if (racingThreads) {
            folderSwap.start();
            fileSwap.start();
        }
        const int code = BackupAll();
        folderSwap.stop();
        fileSwap.stop();
        ASSERT_EQ(code, intResultDone) << resultText;
        outside.expectUntouched();
        if (HasFailure())
            return;
    }
}

INSTANTIATE_TEST_SUITE_P(Races, BackupRaceTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "WithRacingThreads"
                                                           : "SwappedAsTheFirstCopyBegins");
                         });

} // namespace
} // namespace kestrel
