#include "engine/Shutdown.h"
#include "support/RecordingCommandRunner.h"
#include "support/ScriptedInteraction.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrel {
namespace {

using testing::RecordingCommandRunner;
using testing::ScriptedInteraction;
using Command = RecordingCommandRunner::Command;

// The pop-up as a test plays it: clicked or left to run out.
class ScriptedShutdownPrompt : public ShutdownPrompt {
public:
    explicit ScriptedShutdownPrompt(bool click) : click_(click) {}
    bool PopUpInForm(const ShutdownPopUp& popUp) override {
        shown.push_back(popUp);
        return click_;
    }
    std::vector<ShutdownPopUp> shown;

private:
    bool click_;
};

const Command kSchedule = testing::kScheduledShutdown;
const Command kCancel = testing::kCancelledShutdown;

TEST(ShutdownComputerTest, AClickOnThePopUpCallsTheShutdownOffAndSaysSo) {
    RecordingCommandRunner runner;
    ScriptedShutdownPrompt prompt(true);
    ScriptedInteraction ui;

    EXPECT_TRUE(ShutdownComputer(true, 60000, runner, prompt, ui));

    EXPECT_EQ(runner.commands, (std::vector<Command>{kSchedule, kCancel}));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text,
              "\r\nThis computer will shut down in about 30 seconds.\r\nClick here to cancel the shutdown.");
    EXPECT_EQ(prompt.shown[0].widthTwips, 6000);
    EXPECT_EQ(prompt.shown[0].heightTwips, 1000);
    EXPECT_EQ(prompt.shown[0].bottomMarginTwips, 300);
    EXPECT_EQ(prompt.shown[0].intervalMs, 60000);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Shutdown cancelled");
    EXPECT_EQ(ui.messages()[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(ui.messages()[0].icon, MessageIcon::None);
}

TEST(ShutdownComputerTest, APopUpThatRunsOutLeavesTheShutdownPending) {
    RecordingCommandRunner runner;
    ScriptedShutdownPrompt prompt(false);
    ScriptedInteraction ui;

    EXPECT_FALSE(ShutdownComputer(true, 60000, runner, prompt, ui));

    EXPECT_EQ(runner.commands, (std::vector<Command>{kSchedule}));
    EXPECT_EQ(prompt.shown.size(), 1u);
    EXPECT_TRUE(ui.messages().empty());
}

TEST(ShutdownComputerTest, AShutdownThatCouldNotStartStillOffersTheCancel) {
    RecordingCommandRunner runner;
    runner.status = -1;
    ScriptedShutdownPrompt prompt(true);
    ScriptedInteraction ui;

    EXPECT_TRUE(ShutdownComputer(true, 60000, runner, prompt, ui));

    EXPECT_EQ(runner.commands, (std::vector<Command>{kSchedule, kCancel}));
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Shutdown cancelled");
}

TEST(ShutdownComputerTest, ThePopUpIntervalStaysWithinTheTimersLimit) {
    RecordingCommandRunner runner;
    ScriptedShutdownPrompt prompt(false);
    ScriptedInteraction ui;
    ShutdownComputer(true, 100000, runner, prompt, ui);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].intervalMs, 65535);
}

} // namespace
} // namespace kestrel
