#include "cli/commands/TerminalInteraction.h"
#include "cli/StopRequest.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace kestrel;
using kestrel::cli::TerminalInteraction;

namespace {

struct Terminal {
    explicit Terminal(const std::string& input, bool attended = true)
        : in(input), ui(state, in, err, attended, false) {}
    OperationState state;
    std::istringstream in;
    std::ostringstream err;
    TerminalInteraction ui;
};

MessageRequest question(MessageButtons buttons, int defaultButton) {
    return MessageRequest{"Delete them?", "Delete", buttons, MessageIcon::Question, defaultButton};
}

} // namespace

TEST(TerminalInteraction, MessageAnswersComeFromThePromptWithEnterTakingTheDefault) {
    struct Case {
        const char* typed;
        MessageButtons buttons;
        int defaultButton;
        MessageAnswer expected;
    } cases[] = {
        {"y\n", MessageButtons::YesNo, 2, MessageAnswer::Yes},
        {"NO\n", MessageButtons::YesNo, 1, MessageAnswer::No},
        {"\n", MessageButtons::YesNo, 2, MessageAnswer::No},
        {"\n", MessageButtons::YesNo, 1, MessageAnswer::Yes},
        {"maybe\nc\n", MessageButtons::YesNoCancel, 1, MessageAnswer::Cancel},
        {"", MessageButtons::OkCancel, 2, MessageAnswer::Cancel}, // the input has ended
    };
    for (const Case& c : cases) {
        Terminal t(c.typed);
        EXPECT_EQ(t.ui.ShowMessage(question(c.buttons, c.defaultButton)), c.expected) << c.typed;
        EXPECT_NE(t.err.str().find("[Delete] Delete them?"), std::string::npos);
    }
}

TEST(TerminalInteraction, NumberedChoicesDefaultToTheSafeAnswer) {
    Terminal older("\n");
    EXPECT_EQ(older.ui.AskSourceFileEarlier("Current file is older than backup file", "a\r\nb"), 4);
    EXPECT_NE(older.err.str().find("a\nb"), std::string::npos) << "CR LF shown as plain line ends";
    Terminal three("7\n3\n");
    EXPECT_EQ(three.ui.AskSourceFileEarlier("c", "i"), 3);
    Terminal report("\n");
    EXPECT_EQ(report.ui.AskExistingReportFile(), 2) << "Enter keeps what the report file holds";
}

TEST(TerminalInteraction, UnattendedNeverReadsAndGivesTheUnattendedAnswers) {
    Terminal t("y\n1\n1\n", false);
    EXPECT_EQ(t.ui.ShowMessage(question(MessageButtons::YesNo, 2)), MessageAnswer::No);
    EXPECT_EQ(t.ui.AskSourceFileEarlier("c", "i"), 2);
    EXPECT_EQ(t.ui.AskExistingReportFile(), 2);
    EXPECT_TRUE(t.ui.ConfirmOperation(ConfirmRequest{}));
    EXPECT_EQ(t.ui.ChooseReportFile("Report file", "*.txt"), "");
    std::string rest;
    std::getline(t.in, rest);
    EXPECT_EQ(rest, "y") << "nothing was read from the input";
}

TEST(TerminalInteraction, PauseCanBeCancelledAtThePrompt) {
    Terminal cont("\n");
    cont.ui.cmdPauseContinue_Click();
    EXPECT_FALSE(cont.state.blnStop);
    EXPECT_FALSE(cont.state.blnPaused);
    Terminal cancel("c\n");
    cancel.ui.cmdPauseContinue_Click();
    EXPECT_TRUE(cancel.state.blnStop);
}

// The system cannot hand a stop request to the test program here.
constexpr const char* kNoDelivery = "this system delivers no stop request to a program without a console";

TEST(TerminalInteraction, FirstInterruptStopsAtTheNextFile) {
    kestrel::testing::StopHandlingReset reset;
    Terminal t("");
    cli::InstallInterruptHandler();
    t.ui.DoEvents();
    EXPECT_FALSE(t.state.blnStop);
    if (!kestrel::testing::SendStop(kestrel::testing::InterruptRequest()))
        GTEST_SKIP() << kNoDelivery;
    t.ui.DoEvents();
    EXPECT_TRUE(t.state.blnStop);
}

TEST(TerminalInteraction, AStopRequestStopsACopyUnderWayWithoutWaitingForTheNextFile) {
    for (int request : kestrel::testing::StopRequests()) {
        SCOPED_TRACE(kestrel::testing::StopRequestName(request));
        kestrel::testing::StopHandlingReset reset;
        Terminal t("");
        cli::InstallInterruptHandler(&t.state);
        t.ui.ReportCopyProgress(CopyProgress{"/big.iso", 10, 100, 0, 10});
        EXPECT_FALSE(t.state.blnStop);
        if (!kestrel::testing::SendStop(request))
            GTEST_SKIP() << kNoDelivery;
        // The copy looks at blnStop between its blocks; nothing else needs to run first.
        EXPECT_TRUE(t.state.blnStop);
        t.state.blnStop = false; // as a multiple backup resets it between setups
        t.ui.ReportCopyProgress(CopyProgress{"/big.iso", 20, 100, 0, 20});
        EXPECT_TRUE(t.state.blnStop) << "the stop holds for the rest of the run";
    }
}
