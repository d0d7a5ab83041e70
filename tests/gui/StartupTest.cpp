#include "GuiTestSupport.h"

#include "forms/prompts/frmView.h"
#include "modules/Language.h"
#include "platform/ProgramPaths.h"
#include "support/BuildTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace kestrel::testing {
namespace {

class StartupTest : public GuiTest {};

TEST_F(StartupTest, ShowsTheLastRunSetupInTheControls) {
    const std::string source = tmp.createFolder("source");
    tmp.createFile("source/a.txt", "a");
    tmp.createFolder("source/docs");
    tmp.createFolder("source/music");
    tmp.createFolder("source/photos");
    const std::string target = tmp.createFolder("target");
    kestrel::Setup setup = FolderSetup(source, target);
    setup.chkWarnIfEarlier = 1;
    setup.chkSaveSetupOnQuit = 1;
    setup.cboPercent = 2;
    setup.cboModifiedSince = 3;
    setup.txbFileExtension = "jpg";
    setup.txbExcludedFilepaths = "cache,tmp";
    setup.cboIncludedFolders = {"docs", "photos"};
    setup.intNumIncludedFolders = 2;
    WriteLastRun(setup);

    ModalScript script;
    auto window = StartWindow();

    EXPECT_TRUE(script.seen().empty());
    EXPECT_EQ(window->windowTitle().toStdString(), std::string("Kestrel Backup ") + KESTREL_VERSION);
    EXPECT_EQ(Find<QLineEdit>(window.get(), "txbDirectory(0)")->text().toStdString(), source);
    EXPECT_EQ(Find<QLineEdit>(window.get(), "txbDirectory(1)")->text().toStdString(), target);
    EXPECT_TRUE(Find<QCheckBox>(window.get(), "chkWarnIfEarlier")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>(window.get(), "chkSaveSetupOnQuit")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(window.get(), "chkWarnIfSmaller")->isChecked());
    EXPECT_EQ(Find<QComboBox>(window.get(), "cboPercent")->currentText(), QStringLiteral("30%"));
    EXPECT_EQ(Find<QComboBox>(window.get(), "cboModifiedSince")->currentIndex(), 3);
    EXPECT_EQ(Find<QLineEdit>(window.get(), "txbFileExtension")->text(), QStringLiteral("jpg"));
    EXPECT_EQ(Find<QLineEdit>(window.get(), "txbExcludedFilepaths")->text(), QStringLiteral("cache,tmp"));
    auto* included = Find<QComboBox>(window.get(), "cboIncludedFolders");
    ASSERT_EQ(included->count(), 2);
    EXPECT_EQ(included->itemText(0), QStringLiteral("docs"));
    EXPECT_EQ(included->currentIndex(), 0);
    EXPECT_TRUE(included->isVisible());
    EXPECT_EQ(Find<QLabel>(window.get(), "lblNumSubfolders")->text(),
              QStringLiteral("There are 3 subfolders, 2 selected"));
    EXPECT_FALSE(Find<QLabel>(window.get(), "lblIntro")->isVisible());
    auto* empty = Find<QLabel>(window.get(), "lblTargetFolderIsEmpty");
    EXPECT_TRUE(empty->isVisible());
    EXPECT_EQ(empty->text(), QStringLiteral("The target folder is empty."));
    EXPECT_FALSE(Find<QPushButton>(window.get(), "cmdEmptyTargetFolder")->isVisible());
    EXPECT_TRUE(
        Find<QLabel>(window.get(), "lblFreeSpace")->text().startsWith(QStringLiteral("Free space on ")));
    EXPECT_TRUE(window->state().blnStartupCompleted);
    EXPECT_TRUE(window->blnLastRunFileCurrent());
    setup.cboIncludedFoldersListIndex = 0; // the first entry is selected after the load
    EXPECT_EQ(window->setup(), setup);
}

TEST_F(StartupTest, EmptiesAMissingTargetSilentlyAndNamesTheNextStep) {
    const std::string source = tmp.createFolder("source");
    tmp.createFile("source/a.txt", "a");
    WriteLastRun(FolderSetup(source, tmp.path("gone/")));

    ModalScript script;
    auto window = StartWindow();

    EXPECT_TRUE(script.seen().empty());
    EXPECT_EQ(window->setup().txbDirectory[0], source);
    EXPECT_EQ(window->setup().txbDirectory[1], "");
    EXPECT_TRUE(Find<QLineEdit>(window.get(), "txbDirectory(1)")->text().isEmpty());
    EXPECT_FALSE(Find<QPushButton>(window.get(), "cmdClearFolder(1)")->isVisible());
    EXPECT_EQ(Find<QLabel>(window.get(), "lblNumSubfolders")->text(),
              QStringLiteral("There are no subfolders"));
}

TEST_F(StartupTest, WithoutALastRunStartsClearedWithTheIntro) {
    auto window = StartWindow();
    EXPECT_EQ(window->setup().txbDirectory[0], "");
    auto* intro = Find<QLabel>(window.get(), "lblIntro");
    EXPECT_TRUE(intro->isVisible());
    EXPECT_EQ(intro->text().toStdString(), GetProgramText(352));
    EXPECT_EQ(Find<QComboBox>(window.get(), "cboPercent")->currentText(), QStringLiteral("50%"));
    EXPECT_EQ(window->state().intSuspectPercent, 50);
    EXPECT_FALSE(Find<QWidget>(window.get(), "cmdSpecifyDirectory(2)")->isVisible());
    EXPECT_TRUE(Find<QWidget>(window.get(), "cmdUseMultipleBackup")->isVisible());
}

TEST_F(StartupTest, ShowsThePreviousRunFromTheSecondStartOn) {
    {
        auto first = StartWindow();
        EXPECT_TRUE(Find<QLabel>(first.get(), "lblPreviousRun")->text().isEmpty());
    }
    clock.set(platform::LocalDateTime{2024, 3, 10, 9, 30, 0, 60});
    auto second = StartWindow();
    const QString shown = Find<QLabel>(second.get(), "lblPreviousRun")->text();
    EXPECT_TRUE(shown.startsWith(QString::fromStdString(GetProgramText(389) + ": "))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("2024-03-09"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("14:05"))) << shown.toStdString();
}

TEST_F(StartupTest, AProgramTextFileThatCannotBeReadEndsTheStart) {
    const std::string folder = tmp.createFolder("program");
    platform::setProgramFolder(folder);
    ModalScript script;
    script.thenMessage(QMessageBox::Ok);
    forms::frmMain window;
    const bool started = window.Form_Load(QString());
    platform::setProgramFolder("");
    ASSERT_GT(LoadProgramText("zbk.dat"), 0);

    EXPECT_FALSE(started);
    EXPECT_FALSE(window.isVisible());
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].text.toStdString(),
              "Cannot open file containing program text.\n" + folder + "zbk.dat");
}

TEST_F(StartupTest, HelpShowsTheHelpTextInTheViewer) {
    auto window = StartWindow();
    Find<QPushButton>(window.get(), "cmdHelp")->click();
    forms::frmView* viewer = window->viewer();
    ASSERT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->windowTitle().toStdString(), GetProgramText(343));
    EXPECT_TRUE(viewer->blnFileDisplayed);
    EXPECT_EQ(viewer->strFilename.toStdString(), platform::programFolder() + "zbk_help.txt");
    EXPECT_TRUE(viewer->txbText1()->toPlainText().contains(QStringLiteral("Back up new and modified")));
    EXPECT_TRUE(viewer->txbText1()->isReadOnly());
}

TEST(ViewerText, ShowsAFileWholeBelowTheLimitAndCutsItBetweenTheNotesAtTheLimit) {
    const QString below(forms::frmView::kDisplayLimit - 1, QLatin1Char('x'));
    EXPECT_EQ(forms::frmView::DisplayedText(below), below);

    const QString at(forms::frmView::kDisplayLimit, QLatin1Char('y'));
    const QString shown = forms::frmView::DisplayedText(at);
    // The kept part, the two line ends before the tail note, and both notes.
    EXPECT_EQ(shown.size(), forms::frmView::kDisplayLimit + 4);
    EXPECT_TRUE(shown.startsWith(
        QStringLiteral("NOTE: This file is too large to display entirely in this textbox.\r\n")));
    EXPECT_TRUE(shown.endsWith(
        QStringLiteral("yyy\r\n\r\nNOTE: Entire contents of file have not been displayed.\r\n")));
}

} // namespace
} // namespace kestrel::testing
