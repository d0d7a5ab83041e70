#include "engine/UnattendedRun.h"
#include "platform/RegularFile.h"

#include "EngineFixture.h"
#include "TargetRace.h"
#include "support/RecordingCommandRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

namespace kestrel {
namespace {

using testing::EngineTest;
using testing::EntriesBelow;
using testing::EntrySwapper;

constexpr int kRounds = 200;
const std::string kName = "_Backup report 2024-03-09 12.00.txt";
const std::string kVictimText = "the user's own text\n";

class NoShutdownPrompt : public ShutdownPrompt {
public:
    bool PopUpInForm(const ShutdownPopUp&) override { return false; }
};

// The unattended run's report name is swapped for a link to a file outside the target while the
// report is opened: at the very step of the opening (held there by the seam), or by a thread
// that exchanges the name with a link over and over. The report never reaches the outside file.
class ReportFileRaceTest : public EngineTest, public ::testing::WithParamInterface<bool> {
protected:
    ReportFileRaceTest() {
        Src("a.txt", "new a");
        dir.createFile("outside/victim.txt", kVictimText);
        dir.createFolder("spare");
    }

    int RunUnattendedBackup() {
        NoShutdownPrompt prompt;
        return RunUnattended(context, "", runner, prompt).backupResult;
    }

    // The target as a round starts: the report name is an earlier report of this minute (ours),
    // or free.
    void StartRound(bool earlierReport) {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(target)))
            std::filesystem::remove_all(entry.path(), ignored);
        std::filesystem::remove_all(dir.path("spare/" + kName), ignored);
        if (earlierReport)
            Tgt(kName, "earlier report\r\n");
        ui.clearEvents();
        state.ResetTotals();
    }

    void PlantLink(const std::string& at) const {
        ASSERT_TRUE(testing::MakeSymlink(dir.path("outside/victim.txt"), at));
    }

    OperationContext context{setup, state, ui, report};
    testing::RecordingCommandRunner runner;
};

TEST_P(ReportFileRaceTest, TheReportNeverReachesAFileOutsideTheTarget) {
    const bool racingThread = GetParam();
    const auto outsideBefore = EntriesBelow(dir.path("outside"));
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const bool earlierReport = racingThread || round % 2 == 1;
        StartRound(earlierReport);
        bool swapped = false;
        std::optional<platform::ScopedOwnFileOpeningForTesting> seam;
        std::optional<EntrySwapper> swapper;
        if (racingThread) {
            PlantLink(dir.path("spare/" + kName));
            swapper.emplace(target + kName, dir.path("spare/" + kName));
            swapper->start();
        } else {
            // Swapped at the step the round is about: before the name is created, or after the
            // earlier report there was looked at and before it is opened.
            seam.emplace([&](const std::string& name, bool existing) {
                if (name != kName || existing != earlierReport || swapped)
                    return;
                swapped = true;
                std::filesystem::remove(target + kName);
                PlantLink(target + kName);
            });
        }

        ASSERT_EQ(RunUnattendedBackup(), intResultDone) << round;

        if (swapper)
            swapper->stop();
        EXPECT_EQ(EntriesBelow(dir.path("outside")), outsideBefore) << "an outside file changed";
        if (!racingThread) {
            EXPECT_TRUE(swapped);
            EXPECT_EQ(setup.txbReportFile, target + NumberedReportFile(kName, 2));
            EXPECT_EQ(platform::statPath(target + kName, false).kind, platform::EntryKind::Symlink);
        }
        // Wherever the report went, it is whole: the last line of the run is in it. The earlier
        // report it was appended to may have been exchanged out of the target meanwhile.
        std::string text;
        if (setup.txbReportFile == target + kName) {
            for (const std::string& place : {"tgt/" + kName, "spare/" + kName})
                if (platform::statPath(dir.path(place), false).isRegular())
                    text = dir.readFile(place);
        } else {
            text = dir.readFile("tgt/" + NumberedReportFile(kName, 2));
        }
        EXPECT_NE(text.find("Number of files copied: 1"), std::string::npos) << text;
    }
    EXPECT_EQ(dir.readFile("outside/victim.txt"), kVictimText);
}

INSTANTIATE_TEST_SUITE_P(Races, ReportFileRaceTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("RacingThread")
                                               : std::string("HeldAtTheOpening");
                         });

} // namespace
} // namespace kestrel
