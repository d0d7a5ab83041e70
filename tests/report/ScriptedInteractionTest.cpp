#include "support/ScriptedInteraction.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace kestrel::testing {
namespace {

using Kind = ScriptedInteraction::Kind;

MessageRequest Question(const std::string& text) {
    MessageRequest request;
    request.text = text;
    request.title = "Title";
    request.buttons = MessageButtons::YesNo;
    return request;
}

TEST(ScriptedInteractionTest, AnswersQuestionsInTheOrderScripted) {
    OperationState state;
    ScriptedInteraction ui(&state);
    ui.answerMessage(MessageAnswer::Yes);
    ui.answerMessage(MessageAnswer::No);
    ui.answerExistingReportFile(2);
    ui.answerSourceFileEarlier(3);

    EXPECT_EQ(ui.ShowMessage(Question("first")), MessageAnswer::Yes);
    EXPECT_EQ(ui.ShowMessage(Question("second")), MessageAnswer::No);
    EXPECT_EQ(ui.AskExistingReportFile(), 2);
    EXPECT_EQ(ui.AskSourceFileEarlier("Current file is older than backup file", "intro"), 3);

    MessageRequest ok;
    ok.text = "Cannot open report file.";
    ok.title = "Delete operation";
    ok.icon = MessageIcon::Exclamation;
    EXPECT_EQ(ui.ShowMessage(ok), MessageAnswer::Ok) << "an OK box needs no script";

    EXPECT_EQ(ui.eventsOf(Kind::Message).back(),
              "[Delete operation] Cannot open report file. {Ok, Exclamation, default 1}");
}

TEST(ScriptedInteractionTest, AnUnexpectedQuestionFailsTheTestAndGetsTheSafeAnswer) {
    OperationState state;
    ScriptedInteraction ui(&state);
    MessageAnswer answer = MessageAnswer::Yes;
    EXPECT_NONFATAL_FAILURE(answer = ui.ShowMessage(Question("Are you sure?")), "Are you sure?");
    EXPECT_EQ(answer, MessageAnswer::No);
    int choice = 0;
    EXPECT_NONFATAL_FAILURE(choice = ui.AskExistingReportFile(), "existing report file");
    EXPECT_EQ(choice, 4);
}

TEST(ScriptedInteractionTest, AnswersNoQuestionAskedForFailTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedInteraction ui;
            ui.answerConfirm(true);
        },
        "no question asked for");
}

TEST(ScriptedInteractionTest, PausesAndCancelsActOnTheOperationState) {
    OperationState state;
    ScriptedInteraction ui(&state);
    ui.answerPause(ScriptedInteraction::PauseAnswer::ContinueSuppressingReports);
    ui.answerPause(ScriptedInteraction::PauseAnswer::Cancel);

    ui.cmdPauseContinue_Click();
    EXPECT_TRUE(state.blnSuppressDetailedReports);
    EXPECT_FALSE(state.blnStop);

    ui.pauseAtDoEvents(2);
    ui.DoEvents();
    EXPECT_FALSE(state.blnStop);
    ui.DoEvents();
    EXPECT_TRUE(state.blnStop);
    EXPECT_FALSE(state.blnPaused);
    EXPECT_EQ(ui.eventsOf(Kind::Pause),
              (std::vector<std::string>{"by program: continue, suppress reports", "by the user: cancel"}));

    state.blnStop = false;
    ui.cancelAtDoEvents(1);
    ui.DoEvents();
    EXPECT_TRUE(state.blnStop);
}

TEST(ScriptedInteractionTest, TheScreenTextFollowsTheReport) {
    ScriptedInteraction ui;
    ui.ReportTextAppended("a\r\n");
    ui.ReportTextAppended("b");
    EXPECT_EQ(ui.screenText(), "a\r\nb");
    ui.ReportTextReplaced("");
    EXPECT_EQ(ui.screenText(), "");
    ui.Sleep(15000);
    EXPECT_EQ(ui.sleeps(), std::vector<int>{15000});
}

} // namespace
} // namespace kestrel::testing
