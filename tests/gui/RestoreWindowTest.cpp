#include "GuiTestSupport.h"

#include "engine/FolderOperation.h"
#include "forms/report/frmReport.h"
#include "modules/Language.h"
#include "report/OperationState.h"
#include "report/ReportModel.h"
#include "support/ScriptedInteraction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <functional>

// The main window's Restore command: its window asks where to and what, then the restore runs
// as a backup runs, with its confirmation and its report.
namespace kestrel::testing {
namespace {

class RestoreWindowTest : public GuiTest {
protected:
    // A backup of two files and an included subfolder, made earlier.
    kestrel::Setup BackedUp() {
        tmp.createFile("source/alpha.txt", "alpha edited since", 1800000000);
        // A setup keeps only the included subfolders its source still has.
        tmp.createFile("source/docs/delta.txt", "delta", 1700000000);
        tmp.createFile("target/docs/delta.txt", "delta", 1700000000);
        tmp.createFile("target/alpha.txt", "alpha", 1700000000);
        tmp.createFile("target/beta.txt", "beta", 1700000000);
        tmp.createFile("target/docs/gamma.txt", "gamma", 1700000000);
        kestrel::Setup setup = FolderSetup(tmp.path("source/"), tmp.path("target/"));
        setup.cboIncludedFolders = {"docs"};
        setup.intNumIncludedFolders = 1;
        setup.txbReportFile = tmp.path("report.txt");
        return setup;
    }

    // A backup of docs/letter.txt run twice, keeping versions, the letter edited in between: the
    // second run keeps the first draft in its run folder, named by the clock.
    kestrel::Setup BackedUpTwiceWithVersions() {
        tmp.createFile("source/docs/letter.txt", "first draft", 1700000000);
        tmp.createFile("source/docs/notes.txt", "notes", 1700000000);
        kestrel::Setup setup = FolderSetup(tmp.path("source/"), tmp.path("target/"));
        tmp.createFolder("target");
        setup.cboIncludedFolders = {"docs"};
        setup.intNumIncludedFolders = 1;
        setup.extra.intKeepVersionsDays = 30;
        setup.txbReportFile = tmp.path("backups.txt");
        BackUp(setup);
        tmp.createFile("source/docs/letter.txt", "second draft", 1700100000);
        clock.set(platform::LocalDateTime{2024, 3, 10, 9, 30, 0, 60});
        BackUp(setup);
        EXPECT_EQ(tmp.readFile("target/.kestrel-versions/2024-03-10 09.30.00/docs/letter.txt"),
                  "first draft");
        setup.txbReportFile = tmp.path("report.txt");
        return setup;
    }

    void BackUp(kestrel::Setup& setup) {
        OperationState state;
        state.blnScheduledTask = true; // no questions
        ScriptedInteraction ui{&state};
        ReportModel report{state, setup, ui};
        ASSERT_EQ(cmdBackupModifiedFiles_MouseUp(setup, state, ui, report), intResultDone);
    }

    // A second restore in the same window, after closing the first one's report and letting the
    // double-click guard run out; its report is appended to the first one's file.
    void RestoreAgain(forms::frmMain& window, ModalScript& script,
                      std::function<void(QWidget*)> prepare = {}) {
        auto* close = window.reportWindow()->findChild<QPushButton*>(QStringLiteral("cmdCancelClose"));
        ASSERT_NE(close, nullptr);
        close->click();
        window.Clock2_Timer();
        ASSERT_TRUE(Find<QPushButton>(&window, "cmdRestore")->isEnabled());
        script.thenClick("cmdRestoreStart", std::move(prepare));
        script.thenClick("cmdYes");
        script.thenClick("cmdConfirm", [](QWidget* existingReport) {
            existingReport->findChild<QRadioButton*>(QStringLiteral("optAppend"))->click();
        });
        Find<QPushButton>(&window, "cmdRestore")->click();
        ASSERT_TRUE(WaitForOperation(window));
        EXPECT_TRUE(script.done());
        EXPECT_TRUE(script.unexpected().empty());
    }

    // A restore window's choice of the one run there is, newer files replaced.
    static void PickTheRunOverwritingNewer(QWidget* restore) {
        auto* versions = restore->findChild<QRadioButton*>(QStringLiteral("optVersionsRun"));
        ASSERT_NE(versions, nullptr);
        ASSERT_TRUE(versions->isEnabled());
        auto* runs = restore->findChild<QComboBox*>(QStringLiteral("cboVersionsRun"));
        ASSERT_EQ(runs->count(), 1);
        EXPECT_EQ(runs->itemText(0), QStringLiteral("2024-03-10 09:30:00"));
        EXPECT_EQ(restore->findChild<QLabel*>(QStringLiteral("lblVersionsRun"))->text(),
                  QString::fromStdString(GetProgramText(1928)));
        versions->setChecked(true);
        EXPECT_TRUE(runs->isEnabled());
        restore->findChild<QCheckBox*>(QStringLiteral("chkOverwriteNewer"))->setChecked(true);
    }
};

TEST_F(RestoreWindowTest, RestoresIntoTheChosenFolderAfterTheConfirmation) {
    WriteLastRun(BackedUp());
    const std::string into = tmp.createFolder("restored");
    auto window = StartWindow();
    ModalScript script;
    script.thenClick("cmdRestoreStart", [&into](QWidget* restore) {
        EXPECT_EQ(restore->objectName(), QStringLiteral("frmRestore"));
        auto* to = restore->findChild<QLineEdit*>(QStringLiteral("txbRestoreTo"));
        ASSERT_NE(to, nullptr);
        to->setText(QString::fromStdString(into));
    });
    script.thenClick("cmdYes");
    Find<QPushButton>(window.get(), "cmdRestore")->click();
    ASSERT_TRUE(WaitForOperation(*window));

    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected().empty());
    EXPECT_EQ(tmp.readFile("restored/alpha.txt"), "alpha");
    EXPECT_EQ(tmp.readFile("restored/beta.txt"), "beta");
    EXPECT_EQ(tmp.readFile("restored/docs/gamma.txt"), "gamma");
    const QString text = window->reportWindow()->Text();
    EXPECT_TRUE(text.contains(QString::fromStdString(GetProgramText(1913)))) << text.toStdString();
}

TEST_F(RestoreWindowTest, OneSubfolderIntoTheSourceLeavesTheNewerFileAndTheRestAlone) {
    WriteLastRun(BackedUp());
    auto window = StartWindow();
    ModalScript script;
    script.thenClick("cmdRestoreStart", [](QWidget* restore) {
        auto* subfolder = restore->findChild<QRadioButton*>(QStringLiteral("optSubfolder"));
        ASSERT_NE(subfolder, nullptr);
        ASSERT_TRUE(subfolder->isEnabled());
        subfolder->setChecked(true);
        EXPECT_EQ(restore->findChild<QComboBox*>(QStringLiteral("cboSubfolder"))->currentText(),
                  QStringLiteral("docs"));
    });
    script.thenClick("cmdYes");
    Find<QPushButton>(window.get(), "cmdRestore")->click();
    ASSERT_TRUE(WaitForOperation(*window));
    EXPECT_TRUE(script.unexpected().empty());
    EXPECT_EQ(tmp.readFile("source/docs/gamma.txt"), "gamma");
    EXPECT_EQ(tmp.readFile("source/alpha.txt"), "alpha edited since");
    EXPECT_EQ(tmp.readFile("source/beta.txt"), "");

    // The whole backup then: the newer file stays and is named.
    RestoreAgain(*window, script);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(tmp.readFile("source/beta.txt"), "beta");
    EXPECT_EQ(tmp.readFile("source/alpha.txt"), "alpha edited since");
    const QString text = window->reportWindow()->Text();
    EXPECT_TRUE(text.contains(QString::fromStdString(GetProgramText(1910)))) << text.toStdString();
}

TEST_F(RestoreWindowTest, TheVersionsOfOneRunComeBackIntoAnEmptyFolderAndOverTheSource) {
    WriteLastRun(BackedUpTwiceWithVersions());
    const std::string into = tmp.createFolder("restored");
    auto window = StartWindow();
    ModalScript script;
    script.thenClick("cmdRestoreStart", [&into](QWidget* restore) {
        PickTheRunOverwritingNewer(restore);
        restore->findChild<QLineEdit*>(QStringLiteral("txbRestoreTo"))->setText(QString::fromStdString(into));
    });
    script.thenClick("cmdYes");
    Find<QPushButton>(window.get(), "cmdRestore")->click();
    ASSERT_TRUE(WaitForOperation(*window));
    EXPECT_TRUE(script.unexpected().empty());
    // Only what the run kept, at its place; nothing of the versions folder itself.
    EXPECT_EQ(tmp.readFile("restored/docs/letter.txt"), "first draft");
    EXPECT_FALSE(tmp.exists("restored/docs/notes.txt"));
    EXPECT_FALSE(tmp.exists("restored/.kestrel-versions"));

    // Over the source, where the second draft is newer than the version.
    RestoreAgain(*window, script, PickTheRunOverwritingNewer);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(tmp.readFile("source/docs/letter.txt"), "first draft");
    EXPECT_EQ(tmp.readFile("source/docs/notes.txt"), "notes");
}

TEST_F(RestoreWindowTest, WithoutAVersionsFolderTheRunChoiceIsOffAndSaysWhy) {
    WriteLastRun(BackedUp());
    auto window = StartWindow();
    ModalScript script;
    script.thenClick("cmdCancel", [](QWidget* restore) {
        EXPECT_FALSE(Find<QRadioButton>(restore, "optVersionsRun")->isEnabled());
        EXPECT_FALSE(Find<QComboBox>(restore, "cboVersionsRun")->isEnabled());
        EXPECT_EQ(Find<QComboBox>(restore, "cboVersionsRun")->count(), 0);
        EXPECT_EQ(Find<QLabel>(restore, "lblVersionsRun")->text(),
                  QString::fromStdString(GetProgramText(1927)));
    });
    Find<QPushButton>(window.get(), "cmdRestore")->click();
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected().empty());
}

TEST_F(RestoreWindowTest, ClosingTheRestoreWindowStartsNothing) {
    WriteLastRun(BackedUp());
    auto window = StartWindow();
    ModalScript script;
    script.thenClick("cmdCancel");
    Find<QPushButton>(window.get(), "cmdRestore")->click();
    EXPECT_TRUE(script.done());
    EXPECT_FALSE(window->operationRunning());
    EXPECT_EQ(tmp.readFile("source/beta.txt"), "");
}

} // namespace
} // namespace kestrel::testing
