#include "engine/UnattendedRun.h"

#include "EngineFixture.h"
#include "support/RecordingCommandRunner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrel {
namespace {

using testing::At;
using testing::EngineTest;
using testing::RecordingCommandRunner;
using Command = RecordingCommandRunner::Command;

const std::string kCRLF = "\r\n";

class ClickablePrompt : public ShutdownPrompt {
public:
    explicit ClickablePrompt(bool click) : click_(click) {}
    bool PopUpInForm(const ShutdownPopUp& popUp) override {
        intervals.push_back(popUp.intervalMs);
        return click_;
    }
    std::vector<int> intervals;

private:
    bool click_;
};

class UnattendedRunTest : public EngineTest {
protected:
    UnattendedRunResult Run(const std::string& commandLine, bool click = false) {
        ClickablePrompt prompt(click);
        UnattendedRunResult result = RunUnattended(context, commandLine, runner, prompt);
        intervals = prompt.intervals;
        return result;
    }

    OperationContext context{setup, state, ui, report};
    RecordingCommandRunner runner;
    std::vector<int> intervals;
};

TEST_F(UnattendedRunTest, TheReportFileIsNamedAfterTheTargetAndTheClock) {
    struct Case {
        platform::LocalDateTime now;
        std::string name;
    };
    const Case cases[] = {
        {{2024, 3, 9, 14, 5, 59, 60}, "_Backup report 2024-03-09 14.05.txt"},
        {{1999, 12, 31, 0, 0, 0, -300}, "_Backup report 1999-12-31 00.00.txt"},
    };
    for (const Case& c : cases) {
        clock.set(c.now);
        EXPECT_EQ(UnattendedReportFile("/media/anna/Backup/"), "/media/anna/Backup/" + c.name);
    }
}

TEST_F(UnattendedRunTest, BacksUpWithoutAQuestionAndLeavesWarnedFilesUncopied) {
    Src("new.txt", "new file");
    Src("older.txt", "older source", At(3, 1, 10, 0));
    Tgt("older.txt", "the newer backup copy", At(3, 5, 10, 0));
    Src("smaller.txt", "tiny", At(3, 8, 10, 0));
    Tgt("smaller.txt", std::string(1000, 'b'), At(3, 8, 9, 0));
    setup.chkWarnIfEarlier = 1;
    setup.chkWarnIfSmaller = 1;
    setup.cboPercent = 4; // 50 %
    setup.chkDisableOutputToFile = 1;
    setup.chkSaveSetupOnQuit = 0;
    setup.txbReportFile = dir.path("elsewhere.txt");

    const UnattendedRunResult result = Run("x");

    EXPECT_EQ(result.backupResult, intResultDone);
    EXPECT_FALSE(result.shutdownStarted);
    EXPECT_TRUE(runner.commands.empty());
    // No message box, no prompt, no confirmation: the scripted user was asked nothing.
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_TRUE(ui.confirmations().empty());
    EXPECT_TRUE(ui.eventsOf(testing::ScriptedInteraction::Kind::SourceFileEarlier).empty());
    EXPECT_FALSE(state.blnScheduledTask);
    EXPECT_EQ(setup.chkDisableOutputToFile, 0);
    EXPECT_EQ(setup.chkSaveSetupOnQuit, 1);

    const std::string name = "_Backup report 2024-03-09 12.00.txt";
    EXPECT_EQ(setup.txbReportFile, target + name);
    EXPECT_EQ(dir.readFile("tgt/new.txt"), "new file");
    EXPECT_EQ(dir.readFile("tgt/older.txt"), "the newer backup copy");
    EXPECT_EQ(dir.readFile("tgt/smaller.txt"), std::string(1000, 'b'));
    EXPECT_EQ(state.intNumWarnings, 2);

    const std::string text = dir.readFile("tgt/" + name);
    EXPECT_EQ(text.rfind(Stamp() + kCRLF + kCRLF, 0), 0u) << text;
    const std::string notCopied = kCRLF + kCRLF + "This file has not been copied." + kCRLF;
    const std::size_t first = text.find(notCopied);
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_NE(text.find(notCopied, first + 1), std::string::npos) << text;
    EXPECT_NE(text.find(source + "older.txt"), std::string::npos) << text;
    EXPECT_NE(text.find(source + "smaller.txt"), std::string::npos) << text;
    const std::string end = "Number of files copied: 1" + kCRLF + "Sum of sizes of files copied: 8 bytes" +
                            kCRLF + kCRLF + "This report contains 2 warnngs." + kCRLF + kCRLF + Stamp() +
                            kCRLF;
    ASSERT_GE(text.size(), end.size());
    EXPECT_EQ(text.substr(text.size() - end.size()), end) << text;
}

TEST_F(UnattendedRunTest, OneWarningIsCountedInTheSingular) {
    Src("older.txt", "older source", At(3, 1, 10, 0));
    Tgt("older.txt", "the newer backup copy", At(3, 5, 10, 0));
    setup.chkWarnIfEarlier = 1;

    Run("x");

    const std::string text = dir.readFile("tgt/_Backup report 2024-03-09 12.00.txt");
    EXPECT_NE(text.find(kCRLF + "This report contains one warning." + kCRLF), std::string::npos) << text;
}

TEST_F(UnattendedRunTest, AReportOfTheSameMinuteTakesTheNewReportWithoutAQuestion) {
    Src("a.txt", "a");
    Tgt("_Backup report 2024-03-09 12.00.txt", "earlier run of this minute");

    const UnattendedRunResult result = Run("x");

    EXPECT_EQ(result.backupResult, intResultDone) << result.resultText;
    const std::string text = dir.readFile("tgt/_Backup report 2024-03-09 12.00.txt");
    EXPECT_NE(text.find(Stamp() + kCRLF + kCRLF), std::string::npos) << text;
    EXPECT_NE(text.find(source + "a.txt"), std::string::npos) << text;
    EXPECT_TRUE(ui.eventsOf(testing::ScriptedInteraction::Kind::ExistingReportFile).empty());
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(UnattendedRunTest, WithoutATargetNoReportFileIsNamedAndNothingIsAsked) {
    Src("a.txt", "a");
    setup.txbDirectory[1].clear();
    setup.txbReportFile = "";

    const UnattendedRunResult result = Run("x");

    EXPECT_EQ(result.backupResult, intResultTargetNotSpecified);
    EXPECT_EQ(setup.txbReportFile, "");
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(UnattendedRunTest, OnlyTheWordShutdownInTheCommandLineStartsTheShutdownAfterTheBackup) {
    const Command& schedule = testing::kScheduledShutdown;
    const Command& cancel = testing::kCancelledShutdown;
    struct Case {
        const char* commandLine;
        bool click;
        bool shutdown;
        std::vector<Command> commands;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"/quiet SHUTDOWN", true, true, {schedule, cancel}, {"Shutdown cancelled"}},
        {"ShutDown", false, true, {schedule}, {}},
        {"--shutdown", true, true, {schedule, cancel}, {"Shutdown cancelled"}},
        {"x\t/shutdown", false, true, {schedule}, {}},
        {"shut down", true, false, {}, {}},
        {"-xshutdownx", true, false, {}, {}},
        {"/home/anna/shutdown-notes.txt", true, false, {}, {}},
        {"noshutdown", true, false, {}, {}},
        {"shutdown.", true, false, {}, {}},
    };
    Src("a.txt", "a");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        runner.commands.clear();
        ui.clearEvents();

        const UnattendedRunResult result = Run(c.commandLine, c.click);

        EXPECT_EQ(result.shutdownStarted, c.shutdown);
        EXPECT_EQ(result.shutdownCancelled, c.shutdown && c.click);
        EXPECT_EQ(runner.commands, c.commands);
        EXPECT_EQ(intervals, c.shutdown ? std::vector<int>{60000} : std::vector<int>{});
        std::vector<std::string> texts;
        for (const MessageRequest& message : ui.messages()) {
            texts.push_back(message.text);
        }
        EXPECT_EQ(texts, c.messages);
    }
    // The backup ran before the shutdown was asked for.
    EXPECT_EQ(dir.readFile("tgt/a.txt"), "a");
}

} // namespace
} // namespace kestrel
