#include "GuiTestSupport.h"

#include "engine/Shutdown.h"
#include "forms/main/ShutdownPopUp.h"
#include "forms/prompts/MessageBoxes.h"
#include "support/RecordingCommandRunner.h"

#include <QLabel>
#include <QTest>

namespace kestrel::testing {
namespace {

class ShutdownPopUpTest : public GuiTest {
protected:
    ShutdownPopUpTest() {
        mainWindow.setGeometry(100, 50, 900, 600);
        mainWindow.show();
        platform::ScheduleShutdown(expected, kShutdownComment);
        platform::CancelShutdown(expected);
    }

    QWidget mainWindow;
    RecordingCommandRunner runner;
    RecordingCommandRunner expected; // what the platform's two shutdown commands run
    ModalScript script;
};

TEST_F(ShutdownPopUpTest, ThePopUpLiesCentredNearTheBottomOfTheMainWindow) {
    ShutdownPopUp popUp;
    const QRect frame(100, 50, 900, 600);
    // 6000 by 1000 twips, its bottom 300 twips above the window's bottom.
    EXPECT_EQ(forms::ShutdownPopUpGeometry(frame, popUp), QRect(350, 563, 400, 66));
}

TEST_F(ShutdownPopUpTest, AClickOnThePopUpCallsTheShutdownOff) {
    QRect shownAt;
    script.then([&](QWidget* modal) {
        ASSERT_EQ(modal->objectName(), QStringLiteral("frmPopUp"));
        shownAt = modal->geometry();
        auto* label = modal->findChild<QLabel*>(QStringLiteral("lblMessage"));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(
            label->text(),
            QStringLiteral(
                "\nThis computer will shut down in about 30 seconds.\nClick here to cancel the shutdown."));
        // The shutdown is pending while the pop-up is up.
        EXPECT_EQ(runner.commands.size(), 1u);
        QTest::mouseClick(label, Qt::LeftButton);
    });
    script.thenMessage(QMessageBox::Ok);
    forms::WindowShutdownPrompt prompt(&mainWindow);
    forms::WindowMessageService messages(&mainWindow);

    EXPECT_TRUE(ShutdownComputer(true, 60000, runner, prompt, messages));

    EXPECT_TRUE(script.done());
    ASSERT_EQ(script.seen().size(), 2u);
    EXPECT_EQ(script.seen()[1].text, QStringLiteral("Shutdown cancelled"));
    EXPECT_EQ(runner.commands, expected.commands);
    EXPECT_EQ(shownAt.size(), QSize(400, 66));
    EXPECT_EQ(shownAt, forms::ShutdownPopUpGeometry(mainWindow.frameGeometry(), ShutdownPopUp{}));
}

TEST_F(ShutdownPopUpTest, APopUpThatRunsOutLeavesTheShutdownPending) {
    // The pop-up is left alone until its time runs out.
    script.then([](QWidget* modal) { EXPECT_EQ(modal->objectName(), QStringLiteral("frmPopUp")); });
    forms::WindowShutdownPrompt prompt(&mainWindow);
    forms::WindowMessageService messages(&mainWindow);
    EXPECT_FALSE(ShutdownComputer(true, 300, runner, prompt, messages));
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected().empty());
    ASSERT_EQ(runner.commands.size(), 1u);
    EXPECT_EQ(runner.commands[0], expected.commands[0]);
}

TEST_F(ShutdownPopUpTest, TheWindowHoldsTheStatedDelayThenPowersOffAndAClickStillCancels) {
    // The stated delay (shortened here) runs out unclicked: the power-off is asked for at once.
    // The program still runs (the recording runner powers nothing off), so the pop-up stays for
    // the rest of its interval, and a click then calls the pending shutdown off.
    script.then([](QWidget* modal) { EXPECT_EQ(modal->objectName(), QStringLiteral("frmPopUp")); });
    script.then([&](QWidget* modal) {
        ASSERT_EQ(modal->objectName(), QStringLiteral("frmPopUp"));
        EXPECT_EQ(runner.commands.size(), 2u);
        QTest::mouseClick(modal->findChild<QLabel*>(QStringLiteral("lblMessage")), Qt::LeftButton);
    });
    script.thenMessage(QMessageBox::Ok);
    forms::WindowShutdownPrompt prompt(&mainWindow, &runner, 50);
    forms::WindowMessageService messages(&mainWindow);

    EXPECT_TRUE(ShutdownComputer(true, 60000, runner, prompt, messages));

    EXPECT_TRUE(script.done());
    RecordingCommandRunner powerOff;
    platform::PowerOffNow(powerOff, kShutdownComment);
    ASSERT_EQ(runner.commands.size(), 3u);
    EXPECT_EQ(runner.commands[0], expected.commands[0]);
    EXPECT_EQ(runner.commands[1], powerOff.commands[0]);
    EXPECT_EQ(runner.commands[2], expected.commands[1]);
    EXPECT_EQ(script.seen().back().text, QStringLiteral("Shutdown cancelled"));
}

} // namespace
} // namespace kestrel::testing
