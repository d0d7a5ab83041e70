#include "GuiTestSupport.h"

#include "engine/OperationContext.h"
#include "forms/FormsCommon.h"
#include "forms/main/OperationEntries.h"
#include "forms/main/QtInteraction.h"
#include "forms/report/frmReport.h"
#include "modules/Language.h"
#include "report/ReportModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

namespace kestrel::testing {
namespace {

class OperationsTest : public GuiTest {
protected:
    // A source of two files and a subfolder of one, an empty target, a report file not yet there.
    kestrel::Setup SmallTree() {
        tmp.createFile("source/alpha.txt", "alpha");
        tmp.createFile("source/beta.txt", "beta");
        tmp.createFile("source/docs/gamma.txt", "gamma");
        kestrel::Setup setup = FolderSetup(tmp.path("source/"), tmp.createFolder("target"));
        setup.cboIncludedFolders = {"docs"};
        setup.intNumIncludedFolders = 1;
        setup.txbReportFile = tmp.path("report.txt");
        return setup;
    }

    QPushButton* ReportButton(forms::frmMain& window, const char* name) {
        return Find<QPushButton>(window.reportWindow(), QLatin1String(name));
    }
};

TEST_F(OperationsTest, ABackupFromTheWindowFillsTheReportWindowAndEndsWithCloseAndCopy) {
    WriteLastRun(SmallTree());
    auto window = StartWindow();
    ModalScript script;
    script.thenClick("cmdYes");
    Find<QPushButton>(window.get(), "cmdBackupModifiedFiles")->click();
    ASSERT_TRUE(WaitForOperation(*window));

    EXPECT_TRUE(script.done());
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].objectName, QStringLiteral("frmConfirmOperation"));
    EXPECT_TRUE(script.unexpected().empty());
    EXPECT_EQ(tmp.readFile("target/alpha.txt"), "alpha");
    EXPECT_EQ(tmp.readFile("target/beta.txt"), "beta");
    EXPECT_EQ(tmp.readFile("target/docs/gamma.txt"), "gamma");

    forms::frmReport* report = window->reportWindow();
    ASSERT_TRUE(report->isVisible());
    const QString text = report->Text();
    EXPECT_TRUE(text.contains(QStringLiteral("alpha.txt"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("gamma.txt"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QLatin1Char('\r')));
    EXPECT_FALSE(ReportButton(*window, "cmdPauseContinue")->isVisible());
    auto* close = ReportButton(*window, "cmdCancelClose");
    EXPECT_TRUE(close->isVisible());
    EXPECT_EQ(forms::Caption(close).toStdString(), GetProgramText(58));
    auto* copy = ReportButton(*window, "cmdCopyToClipboard");
    ASSERT_TRUE(copy->isVisible());
    EXPECT_TRUE(copy->isEnabled());

    // The report file carries the same lines, framed by the date and time.
    const std::string file = tmp.readFile("report.txt");
    EXPECT_EQ(file.rfind("Current date/time: 2024-03-09 14:05", 0), 0u) << file;
    EXPECT_NE(file.find("gamma.txt"), std::string::npos);

    QApplication::clipboard()->clear();
    copy->click();
    EXPECT_EQ(QApplication::clipboard()->text(), text);
    EXPECT_EQ(forms::Caption(copy).toStdString(), GetProgramText(112));

    // A selection is copied alone.
    QTextCursor cursor = report->txbText()->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    report->txbText()->setTextCursor(cursor);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(report->txbText()->viewport(), &release);
    QCoreApplication::processEvents();
    EXPECT_EQ(forms::Caption(copy).toStdString(), GetProgramText(113));
    copy->click();
    EXPECT_EQ(QApplication::clipboard()->text(), text.left(5));

    close->click();
    EXPECT_FALSE(report->isVisible());
    EXPECT_TRUE(Find<QPushButton>(window.get(), "cmdReportScreen")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(window.get(), "cmdBackupAllFiles")->isEnabled());
    EXPECT_TRUE(Find<QCheckBox>(window.get(), "chkWarnIfEarlier")->isEnabled());

    // The report comes back on request.
    Find<QPushButton>(window.get(), "cmdReportScreen")->click();
    EXPECT_TRUE(report->isVisible());
    EXPECT_EQ(report->Text(), text);
}

TEST_F(OperationsTest, WithoutAReportFileTheQuestionComesFirstAndYesOnlyNamesTheFile) {
    kestrel::Setup setup = SmallTree();
    setup.txbReportFile.clear();
    WriteLastRun(setup);
    auto window = StartWindow();
    ModalScript script;
    script.thenMessage(QMessageBox::Yes);
    dialogs.answerFile(tmp.path("chosen.txt"));
    Find<QPushButton>(window.get(), "cmdBackupModifiedFiles")->click();
    ASSERT_TRUE(WaitForOperation(*window));

    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].title, QStringLiteral("Report file?"));
    EXPECT_EQ(script.seen()[0].text,
              QStringLiteral("Do you wish to list the files backed up in a report file?"));
    EXPECT_FALSE(tmp.exists("target/alpha.txt"));
    EXPECT_EQ(window->setup().txbReportFile, tmp.path("chosen.txt"));
    EXPECT_EQ(Find<QLineEdit>(window.get(), "txbReportFile")->text().toStdString(), tmp.path("chosen.txt"));
    EXPECT_TRUE(Find<QLineEdit>(window.get(), "txbReportFile")->isVisible());
}

// An operation that reports until it is stopped, so a test can press the report window's buttons
// while it runs.
std::atomic<int> linesOutput{0};
int ReportUntilStopped(OperationContext& context) {
    linesOutput = 0;
    context.state.blnStop = false;
    context.report.Clear();
    context.ui.SetReportButtons(false, true, "Pause", false, "");
    context.ui.ShowReportWindow();
    while (!context.state.blnStop) {
        context.report.Output("line " + std::to_string(linesOutput.load()), true);
        ++linesOutput;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    context.report.Output("The operation was cancelled.", true);
    context.ui.SetReportButtons(true, false, "", true, "Close");
    return 0;
}

TEST_F(OperationsTest, PauseHoldsTheOperationAndCancelStopsIt) {
    const forms::ScopedOperationEntryForTesting entry(forms::OperationButton::BackupModifiedFiles,
                                                      ReportUntilStopped);
    WriteLastRun(SmallTree());
    auto window = StartWindow();
    Find<QPushButton>(window.get(), "cmdBackupModifiedFiles")->click();
    ASSERT_TRUE(window->operationRunning());
    auto* pause = ReportButton(*window, "cmdPauseContinue");
    ASSERT_TRUE(WaitFor([&] { return linesOutput > 20 && pause->isVisible(); }));

    // Everything but Quit waits for the operation.
    EXPECT_FALSE(Find<QPushButton>(window.get(), "cmdBackupAllFiles")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(window.get(), "cmdSpecifyDirectory(0)")->isEnabled());
    EXPECT_FALSE(Find<QCheckBox>(window.get(), "chkWarnIfEarlier")->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>(window.get(), "txbFileExtension")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(window.get(), "cmdQuit")->isEnabled());
    EXPECT_FALSE(ReportButton(*window, "cmdCancelClose")->isVisible());

    EXPECT_EQ(forms::Caption(pause), QStringLiteral("Pause"));
    pause->click();
    EXPECT_TRUE(window->state().blnPaused);
    EXPECT_EQ(forms::Caption(pause), QStringLiteral("Continue"));
    auto* cancel = ReportButton(*window, "cmdCancelClose");
    EXPECT_TRUE(cancel->isVisible());
    EXPECT_EQ(forms::Caption(cancel), QStringLiteral("Cancel operation"));
    EXPECT_TRUE(ReportButton(*window, "cmdCopyToClipboard")->isVisible());
    EXPECT_TRUE(window->reportWindow()->chkSuppressDisplayOfReport()->isVisible());
    // Held: no more lines while paused (one may still be on its way).
    WaitFor([] { return false; }, 100);
    const int held = linesOutput;
    WaitFor([] { return false; }, 200);
    EXPECT_LE(linesOutput - held, 1);

    cancel->click();
    ASSERT_TRUE(WaitForOperation(*window));
    EXPECT_TRUE(window->state().blnStop);
    EXPECT_EQ(forms::Caption(cancel), QStringLiteral("Close"));
    EXPECT_FALSE(pause->isVisible());
    EXPECT_TRUE(window->reportWindow()->Text().endsWith(QStringLiteral("The operation was cancelled.\n")));
    EXPECT_TRUE(Find<QPushButton>(window.get(), "cmdBackupAllFiles")->isEnabled());
}

TEST_F(OperationsTest, ContinueWithTheSuppressBoxTicksStopsTheDetailedLines) {
    const forms::ScopedOperationEntryForTesting entry(forms::OperationButton::BackupAllFiles,
                                                      ReportUntilStopped);
    WriteLastRun(SmallTree());
    auto window = StartWindow();
    Find<QPushButton>(window.get(), "cmdBackupAllFiles")->click();
    auto* pause = ReportButton(*window, "cmdPauseContinue");
    ASSERT_TRUE(WaitFor([&] { return linesOutput > 5 && pause->isVisible(); }));
    pause->click();
    window->reportWindow()->chkSuppressDisplayOfReport()->click();
    pause->click();
    EXPECT_FALSE(window->state().blnPaused);
    EXPECT_TRUE(window->state().blnSuppressDetailedReports);
    EXPECT_EQ(forms::Caption(pause), QStringLiteral("Pause"));
    EXPECT_FALSE(ReportButton(*window, "cmdCancelClose")->isVisible());
    const int before = linesOutput;
    ASSERT_TRUE(WaitFor([&] { return linesOutput > before + 5; })) << "the operation goes on";
    window->reportWindow()->close(); // closing the window by its frame stops the operation
    ASSERT_TRUE(WaitForOperation(*window));
    EXPECT_TRUE(window->state().blnStop);
}

// Fills the report past the text box's capacity, then reports one more line.
int OverfillTheReport(OperationContext& context) {
    context.state.intOperation = intOperationCheckBackupState;
    context.state.blnOutputToFile = false;
    context.state.intPauseInSeconds = 15;
    context.report.Clear();
    context.ui.SetReportButtons(false, true, "Pause", false, "");
    context.ui.ShowReportWindow();
    const std::string line(99, 'x');
    while (context.report.Length() <= lngMaxSizeTextboxContents)
        context.report.Output(line, true);
    // The line that finds the box full is not shown on screen; the next starts the box afresh.
    context.report.Output("found the box full", true);
    context.report.Output("after the wait", true);
    return 0;
}

TEST_F(OperationsTest, AFullReportWaitsWithTheWindowLiveAndThenStartsAfresh) {
    const forms::ScopedOperationEntryForTesting entry(forms::OperationButton::CheckBackupState,
                                                      OverfillTheReport);
    WriteLastRun(SmallTree());
    auto window = StartWindow();
    // The 15 seconds' wait lasts until the test has looked at the window.
    SleepHold hold;
    Find<QPushButton>(window.get(), "cmdCheckBackupState")->click();
    forms::frmReport* report = window->reportWindow();
    // The operation waits; what it sent before the wait is on screen once the flush shows it.
    ASSERT_TRUE(WaitFor([&] {
        return hold.gate->arrivals() > 0 && report->Text().contains(QStringLiteral("The textbox is full."));
    }));
    QCoreApplication::processEvents();

    EXPECT_TRUE(window->operationRunning());
    EXPECT_TRUE(report->Text().endsWith(
        QStringLiteral("After 15 seconds the textbox will be emptied and the report will continue.")));
    EXPECT_FALSE(ReportButton(*window, "cmdPauseContinue")->isVisible());
    // The window thread goes on while the operation waits.
    bool timerRan = false;
    QTimer::singleShot(20, [&] { timerRan = true; });
    ASSERT_TRUE(WaitFor([&] { return timerRan; }));
    EXPECT_TRUE(window->operationRunning());

    hold.gate->open();
    ASSERT_TRUE(WaitForOperation(*window));
    EXPECT_EQ(report->Text(), QStringLiteral("after the wait\n"));
    EXPECT_TRUE(ReportButton(*window, "cmdPauseContinue")->isVisible());
    EXPECT_EQ(window->state().intPauseInSeconds, 10);
}

TEST_F(OperationsTest, ThePauseAfterTheFirstCopyHoldsTheBackupUntilCancel) {
    kestrel::Setup setup = SmallTree();
    setup.chkPauseAfterFirstCopy = 1;
    setup.chkIncludeSubfolders = 1;
    WriteLastRun(setup);
    auto window = StartWindow();
    ModalScript script;
    script.thenClick("cmdYes");
    script.thenMessage(QMessageBox::Ok); // what the pause is for
    Find<QPushButton>(window.get(), "cmdBackupModifiedFiles")->click();
    auto* cancel = ReportButton(*window, "cmdCancelClose");
    ASSERT_TRUE(WaitFor([&] { return window->state().blnPaused && cancel->isVisible(); }));
    EXPECT_EQ(forms::Caption(ReportButton(*window, "cmdPauseContinue")), QStringLiteral("Continue"));
    EXPECT_EQ(forms::Caption(cancel), QStringLiteral("Cancel operation"));

    cancel->click();
    ASSERT_TRUE(WaitForOperation(*window));
    // The source folder's files were copied before the pause, the subfolder's never.
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(tmp.exists("target/alpha.txt"));
    EXPECT_TRUE(tmp.exists("target/beta.txt"));
    EXPECT_FALSE(tmp.exists("target/docs/gamma.txt"));
    EXPECT_TRUE(window->reportWindow()->Text().contains(QString::fromStdString(GetProgramText(49))));
    EXPECT_EQ(forms::Caption(cancel).toStdString(), GetProgramText(58));
}

TEST_F(OperationsTest, TheOlderSourcePromptIsAnsweredThroughItsWindow) {
    struct Case {
        const char* name;
        const char* option; // nullptr: Confirm as preselected; "close": the window's frame
        bool copied;
        bool cancelled;
    };
    const Case cases[] = {
        {"Confirm at once cancels", nullptr, false, true},
        {"closing cancels", "close", false, true},
        {"copy", "optCopyFile", true, false},
        {"skip", "optSkip", false, false},
        {"copy and no more warnings", "optCopyAndDisable", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir trees;
        const std::int64_t earlier = utcSeconds(2024, 3, 1, 10, 0, 0);
        const std::int64_t later = utcSeconds(2024, 3, 5, 10, 0, 0);
        trees.createFile("source/old.txt", "source version", earlier);
        trees.createFile("target/old.txt", "backup version", later);
        kestrel::Setup setup = FolderSetup(trees.path("source/"), trees.path("target/"));
        setup.chkWarnIfEarlier = 1;
        setup.txbReportFile = trees.path("report.txt");
        WriteLastRun(setup);
        auto window = StartWindow();

        ModalScript script;
        script.thenClick("cmdYes");
        QString caption;
        QString intro;
        bool cancelPreselected = false;
        script.then([&](QWidget* prompt) {
            caption = prompt->windowTitle();
            intro = prompt->findChild<QLabel*>(QStringLiteral("lblIntro"))->text();
            cancelPreselected = prompt->findChild<QRadioButton*>(QStringLiteral("optCancel"))->isChecked();
            if (c.option == nullptr) {
                prompt->findChild<QPushButton*>(QStringLiteral("cmdConfirm"))->click();
            } else if (std::string(c.option) == "close") {
                prompt->close();
            } else {
                prompt->findChild<QRadioButton*>(QLatin1String(c.option))->click();
                prompt->findChild<QPushButton*>(QStringLiteral("cmdConfirm"))->click();
            }
        });
        Find<QPushButton>(window.get(), "cmdBackupModifiedFiles")->click();
        ASSERT_TRUE(WaitForOperation(*window));

        EXPECT_TRUE(script.done());
        EXPECT_TRUE(script.unexpected().empty());
        EXPECT_EQ(caption, QStringLiteral("Current file is older than backup file"));
        EXPECT_TRUE(intro.contains(QString::fromStdString(trees.path("source/old.txt"))))
            << intro.toStdString();
        EXPECT_TRUE(intro.endsWith(QStringLiteral("How do you wish to proceed?"))) << intro.toStdString();
        EXPECT_TRUE(cancelPreselected);
        EXPECT_EQ(trees.readFile("target/old.txt"), c.copied ? "source version" : "backup version");
        EXPECT_EQ(window->reportWindow()->Text().contains(QString::fromStdString(GetProgramText(49))),
                  c.cancelled);
        EXPECT_FALSE(window->state().blnPaused);
    }
}

TEST_F(OperationsTest, AnExistingReportFileIsAskedAboutAndAppendedTo) {
    kestrel::Setup setup = SmallTree();
    tmp.createFile("report.txt", "earlier report\r\n");
    WriteLastRun(setup);
    auto window = StartWindow();
    ModalScript script;
    script.thenClick("cmdYes");
    // Confirm without a choice first: the window asks for one and stays.
    script.thenClick("cmdConfirm");
    script.thenMessage(QMessageBox::Ok);
    script.then([](QWidget* options) {
        options->findChild<QRadioButton*>(QStringLiteral("optAppend"))->click();
        options->findChild<QPushButton*>(QStringLiteral("cmdConfirm"))->click();
    });
    Find<QPushButton>(window.get(), "cmdBackupModifiedFiles")->click();
    ASSERT_TRUE(WaitForOperation(*window));

    ASSERT_EQ(script.seen().size(), 4u);
    EXPECT_EQ(script.seen()[1].objectName, QStringLiteral("frmERFO"));
    EXPECT_EQ(script.seen()[1].title, QStringLiteral("Report file options"));
    EXPECT_EQ(script.seen()[2].text, QStringLiteral("Please select an option"));
    EXPECT_EQ(script.seen()[2].title, QStringLiteral("Report file options"));
    const std::string file = tmp.readFile("report.txt");
    EXPECT_EQ(file.rfind("earlier report\r\n\r\n---", 0), 0u) << file;
    EXPECT_NE(file.find("Current date/time: 2024-03-09 14:05"), std::string::npos);
    EXPECT_TRUE(tmp.exists("target/alpha.txt"));
}

TEST_F(OperationsTest, DecliningTheConfirmationRunsNothing) {
    WriteLastRun(SmallTree());
    auto window = StartWindow();
    ModalScript script;
    QString question;
    script.then([&](QWidget* confirm) {
        question = confirm->findChild<QLabel*>(QStringLiteral("lblPerformOperation"))->text();
        EXPECT_TRUE(confirm->findChild<QPushButton*>(QStringLiteral("cmdYes"))->isDefault());
        confirm->findChild<QPushButton*>(QStringLiteral("cmdNo"))->click();
    });
    Find<QPushButton>(window.get(), "cmdBackupModifiedFiles")->click();
    ASSERT_TRUE(WaitForOperation(*window));
    EXPECT_EQ(question.toStdString(), GetProgramText(135));
    EXPECT_FALSE(tmp.exists("target/alpha.txt"));
    EXPECT_FALSE(tmp.exists("report.txt"));
}

TEST_F(OperationsTest, DeleteWipesTheTargetFilesAfterTheConfirmationWhoseDefaultIsNo) {
    kestrel::Setup setup = SmallTree();
    tmp.createFile("target/old.txt", "old");
    tmp.createFile("target/sub/older.txt", "older");
    WriteLastRun(setup);
    auto window = StartWindow();
    ModalScript script;
    script.thenMessage(QMessageBox::Yes); // overwrite before deleting
    bool noIsDefault = false;
    bool warningShown = false;
    script.then([&](QWidget* confirm) {
        noIsDefault = confirm->findChild<QPushButton*>(QStringLiteral("cmdNo"))->isDefault();
        warningShown =
            confirm->findChild<QLabel*>(QStringLiteral("lblDeletionWarning"))->isVisibleTo(confirm);
        confirm->findChild<QPushButton*>(QStringLiteral("cmdYes"))->click();
    });
    Find<QPushButton>(window.get(), "cmdDeleteAllBackupFiles")->click();
    ASSERT_TRUE(WaitForOperation(*window));

    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected().empty());
    ASSERT_EQ(script.seen().size(), 2u);
    EXPECT_EQ(script.seen()[1].title, QStringLiteral("Wipe and delete files"));
    EXPECT_TRUE(noIsDefault);
    EXPECT_TRUE(warningShown);
    EXPECT_FALSE(tmp.exists("target/old.txt"));
    EXPECT_FALSE(tmp.exists("target/sub/older.txt"));
    EXPECT_TRUE(tmp.exists("target"));
    EXPECT_TRUE(tmp.exists("source/alpha.txt"));
    EXPECT_TRUE(Find<QLabel>(window.get(), "lblTargetFolderIsEmpty")->isVisible());
}

} // namespace
} // namespace kestrel::testing
