#include "engine/UnattendedRun.h"
#include "platform/TemporaryCopyName.h"

#include "EngineFixture.h"
#include "support/RecordingCommandRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

// Whoever can write to the target may plant a link, a FIFO or a second name of someone's file at
// a name the program is about to write there. Whatever stands there, nothing outside the target
// is written or created, and the run still does its work and says where its report went.
namespace kestrel {
namespace {

using testing::EngineTest;
using testing::EntriesBelow;
using testing::MakeFifo;
using testing::MakeHardLink;
using testing::MakeSymlink;

const std::string kCRLF = "\r\n";
const std::string kVictimText = "the user's own text\n";
const std::string kThisMinute = "_Backup report 2024-03-09 12.00.txt";
const std::string kNextMinute = "_Backup report 2024-03-09 12.01.txt";
const std::string kScratch = "klasdjfdskjfkjkwjkweoewiroew.txt";

enum class Planted { LinkToOutsideFile, DanglingLink, HardLinkToOutsideFile, Fifo };

struct Plant {
    Planted kind;
    const char* label;
};

const Plant kPlants[] = {
    {Planted::LinkToOutsideFile, "a link to an outside file"},
    {Planted::DanglingLink, "a dangling link"},
    {Planted::HardLinkToOutsideFile, "a second name of an outside file"},
    {Planted::Fifo, "a FIFO"},
};

class NoShutdownPrompt : public ShutdownPrompt {
public:
    bool PopUpInForm(const ShutdownPopUp&) override { return false; }
};

class LinkInTargetTest : public EngineTest {
protected:
    LinkInTargetTest() {
        Src("a.txt", "new a");
        dir.createFile("outside/victim.txt", kVictimText);
    }

    // Puts `kind` at the target's `name`; false when this system cannot make it.
    bool PlantAt(const std::string& name, Planted kind) const {
        const std::string at = target + name;
        switch (kind) {
        case Planted::LinkToOutsideFile:
            return MakeSymlink(dir.path("outside/victim.txt"), at);
        case Planted::DanglingLink:
            return MakeSymlink(dir.path("outside/made-through-the-link.txt"), at);
        case Planted::HardLinkToOutsideFile:
            return MakeHardLink(dir.path("outside/victim.txt"), at);
        case Planted::Fifo:
            return MakeFifo(at);
        }
        return false;
    }

    // Every entry outside the target.
    std::map<std::string, std::string> Outside() const { return EntriesBelow(dir.path(), target); }

    // Starts every case afresh: an empty target, nothing recorded.
    void EmptyTarget() {
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(target)))
            std::filesystem::remove_all(entry.path());
        ui.clearEvents();
        state.ResetTotals();
        state.blnScheduledTask = false;
        report.Clear();
        setup.txbReportFile.clear();
        setup.chkDisableOutputToFile = 0;
    }

    int RunUnattendedBackup() {
        NoShutdownPrompt prompt;
        return RunUnattended(context, "", runner, prompt).backupResult;
    }

    // Runs `body` once a planted kind this system can make, with `names` planted in an empty
    // target, and proves that nothing outside the target changed.
    void ForEachPlant(const std::vector<std::string>& names, const std::function<void(const Plant&)>& body) {
        for (const Plant& plant : kPlants) {
            SCOPED_TRACE(plant.label);
            EmptyTarget();
            bool made = true;
            for (const std::string& name : names)
                made = made && PlantAt(name, plant.kind);
            if (!made) {
                std::cout << "not made on this system: " << plant.label << "\n";
                continue;
            }
            const auto before = Outside();
            body(plant);
            EXPECT_EQ(Outside(), before) << "something outside the target changed";
            EXPECT_EQ(dir.readFile("outside/victim.txt"), kVictimText);
            EXPECT_FALSE(dir.exists("outside/made-through-the-link.txt"));
            // A planted link or FIFO is still there as it was, never replaced by a file.
            for (const std::string& name : names) {
                const platform::FileStatus planted = platform::statPath(target + name, false);
                if (plant.kind != Planted::HardLinkToOutsideFile) {
                    EXPECT_TRUE(planted.exists() && !planted.isRegular()) << name;
                }
            }
        }
    }

    OperationContext context{setup, state, ui, report};
    testing::RecordingCommandRunner runner;
};

TEST_F(LinkInTargetTest, TheUnattendedReportTakesTheNextFreeNameAndSaysSo) {
    ForEachPlant({kThisMinute, kNextMinute}, [&](const Plant&) {
        for (const std::string& minute : {kThisMinute, kNextMinute}) {
            SCOPED_TRACE(minute);
            const int minutes = minute == kThisMinute ? 0 : 1;
            clock.set({2024, 3, 9, 12, minutes, 0, 60});
            ASSERT_EQ(RunUnattendedBackup(), intResultDone);

            const std::string taken = NumberedReportFile(minute, 2);
            EXPECT_EQ(setup.txbReportFile, target + taken);
            const std::string text = dir.readFile("tgt/" + taken);
            EXPECT_NE(text.find(target + minute +
                                " is taken by a link or by a file that is no report of this "
                                "program:" +
                                kCRLF + "this report is written to " + target + taken + " instead." + kCRLF),
                      std::string::npos)
                << text;
            // The whole report is there, to its foot line.
            const std::string foot =
                kCRLF + "Current date/time: 2024-03-09 12:0" + std::to_string(minutes) + ":00" + kCRLF;
            EXPECT_EQ(text.substr(text.size() - std::min(text.size(), foot.size())), foot) << text;
            EXPECT_TRUE(ui.messages().empty());
        }
        EXPECT_EQ(dir.readFile("tgt/a.txt"), "new a");
    });
}

TEST_F(LinkInTargetTest, AReportFileNamedInTheTargetIsRefused) {
    if (!testing::CanMakeSymlinks())
        GTEST_SKIP() << testing::kNoSymlinks;
    // The user's way to the target may itself be a link outside it.
    ASSERT_TRUE(MakeSymlink(dir.path("tgt"), dir.path("via"), true));
    for (const std::string& path : {target + "report.txt", dir.path("via/report.txt")}) {
        SCOPED_TRACE(path);
        for (const bool unattended : {false, true}) {
            SCOPED_TRACE(unattended ? "as --yes runs it" : "in the window");
            ForEachPlant({"report.txt"}, [&](const Plant&) {
                setup.txbReportFile = path;
                state.blnScheduledTask = unattended;
                if (!unattended)
                    ui.answerConfirm(true);

                EXPECT_EQ(BackupModified(), intResultReportFileNotOpened);

                EXPECT_EQ(resultText, ReportFileRefusedText(setup.txbReportFile));
                ASSERT_EQ(ui.messages().size(), 1u);
                EXPECT_EQ(ui.messages()[0].title, "Bad report file specification");
                EXPECT_EQ(ui.messages()[0].text, ReportFileRefusedText(path));
                EXPECT_FALSE(dir.exists("tgt/a.txt")) << "the backup did not start";
            });
        }
    }
}

TEST_F(LinkInTargetTest, AReportFileInTheTargetIsWrittenWhenItIsOurs) {
    for (const bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "an earlier report" : "a new report");
        EmptyTarget();
        if (existing)
            Tgt("report.txt", "earlier report" + kCRLF);
        setup.txbReportFile = target + "report.txt";
        state.blnScheduledTask = true;

        EXPECT_EQ(BackupModified(), intResultDone) << resultText;

        const std::string text = dir.readFile("tgt/report.txt");
        EXPECT_EQ(text.rfind(existing ? "earlier report" : "Current date/time", 0), 0u) << text;
        EXPECT_NE(text.find(source + "a.txt"), std::string::npos) << text;
    }
}

TEST_F(LinkInTargetTest, AFolderOfTheTargetSwappedForALinkNeverLeadsTheReportOut) {
    if (!testing::CanMakeSymlinks())
        GTEST_SKIP() << testing::kNoSymlinks;
    ASSERT_TRUE(MakeSymlink(dir.path("outside"), target + "reports", true));
    const auto before = Outside();
    setup.txbReportFile = target + "reports/report.txt";
    state.blnScheduledTask = true;

    EXPECT_EQ(BackupModified(), intResultReportFileNotOpened);

    EXPECT_EQ(resultText, ReportFileRefusedText(setup.txbReportFile));
    EXPECT_EQ(Outside(), before);
}

TEST_F(LinkInTargetTest, TheWriteTestAndTheRunMarkNeverWriteThroughWhatStandsAtTheirNames) {
    for (const std::string& name : {kScratch, platform::runMarkName()}) {
        SCOPED_TRACE(name);
        ForEachPlant({name}, [&](const Plant&) {
            state.blnScheduledTask = true; // and no report file: nothing is written beside the target

            EXPECT_EQ(BackupModified(), intResultDone) << resultText;

            EXPECT_EQ(dir.readFile("tgt/a.txt"), "new a");
        });
    }
}

} // namespace
} // namespace kestrel
