#include "GuiTestSupport.h"

#include "forms/report/frmReport.h"
#include "modules/Language.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

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
    auto* close = window->reportWindow()->findChild<QPushButton*>(QStringLiteral("cmdCancelClose"));
    ASSERT_NE(close, nullptr);
    close->click();
    window->Clock2_Timer(); // the double-click guard after a window closed has run out
    ASSERT_TRUE(Find<QPushButton>(window.get(), "cmdRestore")->isEnabled());
    script.thenClick("cmdRestoreStart");
    script.thenClick("cmdYes");
    script.thenClick("cmdConfirm", [](QWidget* existingReport) {
        existingReport->findChild<QRadioButton*>(QStringLiteral("optAppend"))->click();
    });
    Find<QPushButton>(window.get(), "cmdRestore")->click();
    ASSERT_TRUE(WaitForOperation(*window));
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected().empty());
    EXPECT_EQ(tmp.readFile("source/beta.txt"), "beta");
    EXPECT_EQ(tmp.readFile("source/alpha.txt"), "alpha edited since");
    const QString text = window->reportWindow()->Text();
    EXPECT_TRUE(text.contains(QString::fromStdString(GetProgramText(1910)))) << text.toStdString();
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
