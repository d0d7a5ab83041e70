#include "GuiTestSupport.h"

#include "engine/OperationContext.h"
#include "forms/main/OperationEntries.h"
#include "forms/report/frmReport.h"
#include "modules/Language.h"
#include "platform/CommandRunner.h"
#include "report/ReportModel.h"
#include "setup/LastRun.h"
#include "support/RecordingCommandRunner.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include <chrono>
#include <thread>

namespace kestrel::testing {
namespace {

class QuitTest : public GuiTest {};

// Closes the "Setup saved" pop-up with a click on its message.
void ClickPopUp(QWidget* popUp) {
    ASSERT_EQ(popUp->objectName(), QStringLiteral("frmPopUp"));
    QLabel* message = popUp->findChild<QLabel*>(QStringLiteral("lblMessage"));
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->text(), QStringLiteral("Setup saved"));
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(message, &release);
}

TEST_F(QuitTest, QuitSavesTheSetupForTheNextRunOnlyWhenAskedAndNotJustAfterALoad) {
    struct Case {
        const char* name;
        bool saveOnQuit;
        int ticks; // seconds since start-up
        bool viaCloseBox;
        bool saved;
    };
    const Case cases[] = {
        {"ticked, after eleven seconds", true, 11, false, true},
        {"ticked, the close box", true, 11, true, true},
        {"ticked, within ten seconds of the load", true, 10, false, false},
        {"unticked", false, 11, false, false},
    };
    const std::string source = tmp.createFolder("source");
    tmp.createFile("source/a.txt", "a");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kestrel::Setup setup = FolderSetup(source, "");
        setup.chkSaveSetupOnQuit = c.saveOnQuit ? 1 : 0;
        WriteLastRun(setup);
        const std::string before = LastRunText();
        programEnds = 0;
        auto window = StartWindow();
        Find<QCheckBox>(window.get(), "chkWarnIfEarlier")->click();
        for (int i = 0; i < c.ticks; ++i)
            window->Clock_Timer();

        ModalScript script;
        if (c.saved)
            script.then(ClickPopUp);
        if (c.viaCloseBox)
            window->close();
        else
            Find<QPushButton>(window.get(), "cmdQuit")->click();

        EXPECT_EQ(programEnds, 1);
        EXPECT_TRUE(script.done());
        EXPECT_TRUE(script.unexpected().empty());
        EXPECT_FALSE(window->isVisible());
        if (c.saved) {
            kestrel::Setup expected = setup;
            expected.chkWarnIfEarlier = 1;
            EXPECT_EQ(LastRunText(), FormatSetupFile(expected));
        } else {
            EXPECT_EQ(LastRunText(), before);
        }
    }
}

int RunUntilStopped(OperationContext& context) {
    context.ui.ShowReportWindow();
    context.ui.SetReportButtons(false, true, "Pause", false, "");
    while (!context.state.blnStop) {
        context.report.Output("working", true);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return 0;
}

TEST_F(QuitTest, QuitDuringAnOperationStopsItAndThenEndsTheProgram) {
    const forms::ScopedOperationEntryForTesting entry(forms::OperationButton::CheckBackupState,
                                                      RunUntilStopped);
    kestrel::Setup setup = FolderSetup(tmp.createFolder("source"), tmp.createFolder("target"));
    WriteLastRun(setup);
    auto window = StartWindow();
    Find<QPushButton>(window.get(), "cmdCheckBackupState")->click();
    ASSERT_TRUE(window->operationRunning());
    ASSERT_TRUE(WaitFor([&] { return window->reportWindow()->isVisible(); }));

    Find<QPushButton>(window.get(), "cmdQuit")->click();
    EXPECT_EQ(programEnds, 0) << "the program waits for the operation to stop";
    ASSERT_TRUE(WaitFor([&] { return programEnds == 1; }));
    EXPECT_FALSE(window->operationRunning());
    EXPECT_FALSE(window->reportWindow()->isVisible());
}

TEST_F(QuitTest, ACommandLineRunsTheUnattendedBackupIntoTheTargetAndTheProgramStaysOpen) {
    RecordingCommandRunner runner;
    const forms::ScopedShutdownRunnerForTesting noShutdown(&runner);
    const std::string target = tmp.createFolder("target");
    tmp.createFile("source/a.txt", "a");
    tmp.createFile("target/kept.txt", "kept");
    WriteLastRun(FolderSetup(tmp.path("source/"), target));

    ModalScript script;
    auto window = StartWindow(QStringLiteral("x"));
    ASSERT_TRUE(WaitForOperation(*window));

    EXPECT_TRUE(script.seen().empty()) << "an unattended run asks nothing";
    EXPECT_EQ(tmp.readFile("target/a.txt"), "a");
    const std::string reportFile = target + "_Backup report 2024-03-09 14.05.txt";
    EXPECT_EQ(window->setup().txbReportFile, reportFile);
    EXPECT_EQ(tmp.readFile("target/_Backup report 2024-03-09 14.05.txt").rfind("Current date/time: ", 0), 0u);
    EXPECT_TRUE(Find<QCheckBox>(window.get(), "chkSaveSetupOnQuit")->isChecked());
    EXPECT_FALSE(window->state().blnScheduledTask);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(programEnds, 0);
    EXPECT_TRUE(runner.commands.empty()) << "no shutdown without the word";
}

TEST_F(QuitTest, ShutdownOnTheCommandLineShowsThePopUpWhoseClickCallsTheShutdownOff) {
    RecordingCommandRunner runner;
    const forms::ScopedShutdownRunnerForTesting noShutdown(&runner);
    tmp.createFile("source/a.txt", "a");
    WriteLastRun(FolderSetup(tmp.path("source/"), tmp.createFolder("target")));

    ModalScript script;
    QString popUpText;
    script.then([&](QWidget* popUp) {
        popUpText = popUp->findChild<QLabel*>(QStringLiteral("lblMessage"))->text();
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(popUp->findChild<QLabel*>(QStringLiteral("lblMessage")), &release);
    });
    script.thenMessage(QMessageBox::Ok);
    auto window = StartWindow(QStringLiteral("tonight SHUTDOWN please"));
    ASSERT_TRUE(WaitForOperation(*window));

    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected().empty());
    EXPECT_EQ(tmp.readFile("target/a.txt"), "a");
    EXPECT_EQ(popUpText, QStringLiteral("\nThis computer will shut down in about 30 seconds.\n"
                                        "Click here to cancel the shutdown."));
    ASSERT_EQ(script.seen().size(), 2u);
    EXPECT_EQ(script.seen()[1].text, QStringLiteral("Shutdown cancelled"));
    ASSERT_EQ(runner.commands.size(), 2u);
    EXPECT_EQ(runner.commands[0].program, "shutdown");
    EXPECT_EQ(runner.commands[1], (RecordingCommandRunner::Command{"shutdown", {"-c"}}));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(programEnds, 0);
}

} // namespace
} // namespace kestrel::testing
