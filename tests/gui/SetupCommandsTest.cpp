#include "GuiTestSupport.h"

#include "forms/main/SetupCommands.h"
#include "modules/Language.h"
#include "setup/LastRun.h"
#include "setup/SetupFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <fstream>
#include <iterator>

namespace kestrel::testing {
namespace {

using forms::SetupCommands;

// The main window as far as the setup commands see it: its controls and its procedures, each
// call counted.
class FakeMainWindow : public QWidget, public forms::SetupCommandsHost {
public:
    FakeMainWindow() {
        resize(900, 700);
        fraMenu = new QFrame(this);
        auto* menu = new QVBoxLayout(fraMenu);
        controls.window = this;
        controls.fraMenu = fraMenu;
        controls.cmdSourceFolder = AddButton(menu, "cmdSpecifyDirectory(0)", "Source disk or folder");
        controls.cmdReportFile = AddButton(menu, "cmdReportFile", "Specify report file");
        controls.cmdSetup = AddButton(menu, "cmdSetup", "Setup");
        controls.txbSetupFile = new QLineEdit(fraMenu);
        controls.txbReportFile = new QLineEdit(fraMenu);
        controls.lblWarningReFilesInUse = new QLabel(QStringLiteral("Files in use"), fraMenu);
        controls.chkSuppressDetailedReports = new QCheckBox(fraMenu);
        menu->addWidget(controls.txbSetupFile);
        menu->addWidget(controls.txbReportFile);
        menu->addWidget(controls.lblWarningReFilesInUse);
        menu->addWidget(controls.chkSuppressDetailedReports);
        fraMenu->setGeometry(0, 0, 900, 700);

        controls.fraSetup = new QFrame(this);
        controls.fraSetup->setObjectName(QStringLiteral("fraSetup"));
        auto* setupLayout = new QVBoxLayout(controls.fraSetup);
        controls.cmdLoadSetup = AddButton(setupLayout, "cmdLoadSetup", "Load setup");
        controls.cmdSaveSetup = AddButton(setupLayout, "cmdSaveSetup", "Save setup");
        controls.cmdClearSetup = AddButton(setupLayout, "cmdClearSetup", "Clear setup");
        controls.cmdRestoreSetup = AddButton(setupLayout, "cmdRestoreSetup", "Restore setup");
        controls.cmdKeepSetup = AddButton(setupLayout, "cmdKeepSetup", "Not now");
        controls.fraSaveSetup = new QFrame(this);
        controls.fraSaveSetup->setObjectName(QStringLiteral("fraSaveSetup"));
        auto* saveLayout = new QVBoxLayout(controls.fraSaveSetup);
        controls.cmdSaveSetupForNextRun = AddButton(saveLayout, "cmdSaveSetupForNextRun", "");
        controls.cmdSaveSetupAsOperationFile = AddButton(saveLayout, "cmdSaveSetupAsOperationFile", "");
        controls.cmdSaveSetupInBothWays = AddButton(saveLayout, "cmdSaveSetupInBothWays", "");
        controls.cmdDontSaveSetup = AddButton(saveLayout, "cmdDontSaveSetup", "Not now");
        controls.fraSetup->hide();
        controls.fraSaveSetup->hide();
        commands = std::make_unique<SetupCommands>(controls, *this);
    }

    Setup& CurrentSetup() override { return setup; }
    void ShowSetupInControls() override { ++shown; }
    RestoreCopy& CurrentRestoreCopy() override { return restoreCopy; }
    SetupLoadMessages* LoadMessages() override { return nullptr; }
    void RefreshMenuState() override {
        controls.txbSetupFile->setVisible(fraMenu->isEnabled() && !controls.txbSetupFile->text().isEmpty());
    }
    void FocusNextStep() override {}
    void RefreshSourceFolderDisplay() override { ++sourceRefreshed; }
    void RefreshTargetFolderDisplay(bool) override { ++targetRefreshed; }
    void DisplayNumFilesInSetupsFolder() override { ++setupsCounted; }
    void LoadSetupFromLastRun() override {
        SetupLoadContext context;
        kestrel::LoadSetupFromLastRun(setup, context);
        restoreCopy = TakeRestoreCopy(setup);
        ++lastRunLoads;
    }
    void SetLastRunFileCurrent() override { ++lastRunFileCurrent; }
    void SetDialogJustClosed() override { ++dialogsClosed; }

    QPushButton* AddButton(QVBoxLayout* layout, const char* name, const char* caption) {
        auto* button = new QPushButton(QString::fromUtf8(caption));
        button->setObjectName(QLatin1String(name));
        button->setFixedWidth(150);
        layout->addWidget(button);
        return button;
    }

    QFrame* fraMenu;
    forms::SetupControls controls;
    std::unique_ptr<SetupCommands> commands;
    Setup setup;
    RestoreCopy restoreCopy;
    int shown = 0, sourceRefreshed = 0, targetRefreshed = 0, setupsCounted = 0, lastRunLoads = 0,
        lastRunFileCurrent = 0, dialogsClosed = 0;
};

class SetupCommandsTest : public GuiTest {
protected:
    SetupCommandsTest() {
        window.setup = FolderSetup(tmp.createFolder("source"), tmp.createFolder("target"));
        window.setup.txbFileExtension = "doc";
        window.show();
    }

    // The pop-up "Setup saved", closed by a click.
    void ThenSetupSavedPopUp() {
        script.then([](QWidget* modal) {
            ASSERT_EQ(modal->objectName(), QStringLiteral("frmPopUp"));
            auto* label = modal->findChild<QLabel*>(QStringLiteral("lblMessage"));
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(label->text(), QStringLiteral("Setup saved"));
            QTest::mouseClick(label, Qt::LeftButton);
        });
    }
    void OpenSaveFrame() {
        window.commands->cmdSetup_MouseUp();
        window.commands->cmdSaveSetup_Click();
    }
    void OpenLoadFrame() {
        window.commands->cmdSetup_MouseUp();
        window.commands->cmdLoadSetup_Click();
    }
    void ExpectClosed() {
        EXPECT_FALSE(window.controls.fraSetup->isVisible());
        EXPECT_FALSE(window.controls.fraSaveSetup->isVisible());
        EXPECT_TRUE(window.fraMenu->isEnabled());
        EXPECT_TRUE(window.controls.lblWarningReFilesInUse->isVisible());
    }
    void ExpectNothingUnexpected() {
        EXPECT_TRUE(script.done());
        EXPECT_TRUE(script.unexpected().empty());
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    FakeMainWindow window;
    ModalScript script;
};

TEST_F(SetupCommandsTest, TheFramesOpenBesideTheMenuInSaveAndLoadMode) {
    window.commands->cmdSetup_MouseUp();
    EXPECT_FALSE(window.fraMenu->isEnabled());
    EXPECT_TRUE(window.controls.fraSetup->isVisible());
    EXPECT_FALSE(window.controls.lblWarningReFilesInUse->isVisible());
    EXPECT_TRUE(window.focusWidget() == window.controls.cmdSaveSetup);
    const QRect frame = window.controls.fraSetup->geometry();
    EXPECT_TRUE(window.rect().contains(frame));
    EXPECT_GE(frame.left(), window.controls.cmdSetup->width());

    window.commands->cmdSaveSetup_Click();
    EXPECT_FALSE(window.controls.fraSetup->isVisible());
    EXPECT_TRUE(window.controls.fraSaveSetup->isVisible());
    EXPECT_EQ(window.controls.cmdSaveSetupForNextRun->text(), QStringLiteral("Save setup for next run"));
    EXPECT_EQ(window.controls.cmdSaveSetupAsOperationFile->text(),
              QStringLiteral("Save setup in setup file"));
    EXPECT_EQ(window.controls.cmdSaveSetupInBothWays->text(), QStringLiteral("Save setup in both ways"));
    EXPECT_TRUE(window.controls.cmdDontSaveSetup->isVisible());
    EXPECT_FALSE(window.commands->loadMode());
    window.commands->cmdDontSaveSetup_Click();
    ExpectClosed();

    OpenLoadFrame();
    EXPECT_TRUE(window.commands->loadMode());
    EXPECT_EQ(window.controls.cmdSaveSetupForNextRun->text(), QStringLiteral("Load setup from last run"));
    EXPECT_EQ(window.controls.cmdSaveSetupAsOperationFile->text(),
              QStringLiteral("Load setup from setup file"));
    EXPECT_EQ(window.controls.cmdSaveSetupInBothWays->text(), QStringLiteral("Not now"));
    EXPECT_FALSE(window.controls.cmdDontSaveSetup->isVisible());
    window.commands->cmdSaveSetupInBothWays_Click();
    ExpectClosed();
    EXPECT_FALSE(window.controls.cmdDontSaveSetup->isHidden());

    window.commands->cmdSetup_MouseUp();
    window.commands->cmdKeepSetup_Click();
    ExpectClosed();
}

TEST_F(SetupCommandsTest, SavingInASetupFileAppendsTheExtensionUnlessItIsThereInAnyCase) {
    struct Case {
        std::string typed;
        std::string saved;
    };
    const Case cases[] = {{tmp.path("daily"), tmp.path("daily.zbk")},
                          {tmp.path("Weekly.ZBK"), tmp.path("Weekly.ZBK")},
                          {tmp.path("v1.2"), tmp.path("v1.2.zbk")}};
    for (const Case& c : cases) {
        dialogs.answerFile(c.typed);
        ThenSetupSavedPopUp();
        OpenSaveFrame();
        window.commands->cmdSaveSetupAsOperationFile_Click();
        EXPECT_EQ(Read(c.saved), FormatSetupFile(window.setup)) << c.typed;
        EXPECT_EQ(window.controls.txbSetupFile->text().toStdString(), c.saved);
        EXPECT_TRUE(window.controls.txbSetupFile->isVisible());
        ExpectClosed();
    }
    ExpectNothingUnexpected();
    EXPECT_EQ(dialogs.titles().front(), GetProgramText(117));
    EXPECT_EQ(window.setupsCounted, 3);
    EXPECT_EQ(window.lastRunFileCurrent, 0);
}

TEST_F(SetupCommandsTest, SavingOverAnExistingSetupFileAsksFirst) {
    const std::string path = tmp.createFile("old.zbk", "earlier");
    dialogs.answerFile(path);
    script.thenMessage(QMessageBox::No);
    OpenSaveFrame();
    window.commands->cmdSaveSetupAsOperationFile_Click();
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].title.toStdString(), GetProgramText(120));
    EXPECT_EQ(script.seen()[0].text.toStdString(), GetProgramText(119) + " " + path + "?");
    EXPECT_EQ(Read(path), "earlier");
    EXPECT_TRUE(window.controls.txbSetupFile->text().isEmpty());
    ExpectClosed();

    dialogs.answerFile(path);
    script.thenMessage(QMessageBox::Yes);
    ThenSetupSavedPopUp();
    OpenSaveFrame();
    window.commands->cmdSaveSetupAsOperationFile_Click();
    EXPECT_EQ(Read(path), FormatSetupFile(window.setup));
    ExpectNothingUnexpected();
}

TEST_F(SetupCommandsTest, AFailedSaveIsReportedAndNamesNoSetupFile) {
    const std::string path = tmp.path("no-such-folder/x.zbk");
    dialogs.answerFile(path);
    script.thenMessage(QMessageBox::Ok);
    OpenSaveFrame();
    window.commands->cmdSaveSetupAsOperationFile_Click();
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].text.toStdString(), GetProgramText(121) + " " + path + ".");
    EXPECT_EQ(script.seen()[0].title.toStdString(), GetProgramText(31));
    EXPECT_TRUE(window.controls.txbSetupFile->isHidden());
    ExpectClosed();
}

TEST_F(SetupCommandsTest, SavingForTheNextRunAndInBothWays) {
    ThenSetupSavedPopUp();
    OpenSaveFrame();
    window.commands->cmdSaveSetupForNextRun_Click();
    EXPECT_EQ(LastRunText(), FormatSetupFile(window.setup));
    EXPECT_EQ(window.lastRunFileCurrent, 1);
    ExpectClosed();

    window.setup.txbFileExtension = "xls";
    dialogs.answerFile(tmp.path("both"));
    ThenSetupSavedPopUp(); // one pop-up: the setup file's
    OpenSaveFrame();
    window.commands->cmdSaveSetupInBothWays_Click();
    EXPECT_EQ(LastRunText(), FormatSetupFile(window.setup));
    EXPECT_EQ(Read(tmp.path("both.zbk")), FormatSetupFile(window.setup));
    EXPECT_EQ(window.lastRunFileCurrent, 1);
    ExpectClosed();
    ExpectNothingUnexpected();
}

TEST_F(SetupCommandsTest, LoadingFromTheLastRunKeepsTheLoadButtonsUntilNotNow) {
    kestrel::Setup saved = FolderSetup(tmp.createFolder("last-src"), tmp.createFolder("last-tgt"));
    WriteLastRun(saved);
    OpenLoadFrame();
    window.commands->cmdSaveSetupForNextRun_Click();
    EXPECT_EQ(window.setup.txbDirectory, saved.txbDirectory);
    EXPECT_EQ(window.lastRunLoads, 1);
    EXPECT_EQ(window.lastRunFileCurrent, 1);
    EXPECT_TRUE(window.controls.fraSaveSetup->isVisible());
    EXPECT_FALSE(window.fraMenu->isEnabled());
    window.commands->cmdSaveSetupInBothWays_Click();
    ExpectClosed();
}

TEST_F(SetupCommandsTest, LoadingASetupFileReportsAShortOrUnreadableFile) {
    const std::string full = tmp.path("full.zbk");
    kestrel::Setup other = FolderSetup(tmp.createFolder("other-src"), tmp.createFolder("other-tgt"));
    ASSERT_TRUE(SaveSetupFile(other, full));
    const std::string text = FormatSetupFile(other);
    const std::string cut =
        tmp.createFile("cut.zbk", text.substr(0, text.find("\r\n", text.find("\r\n") + 2) + 2));
    const std::string missing = tmp.path("missing.zbk");
    struct Case {
        std::string path;
        std::string message; // "" for none
        bool remembered;
    };
    const Case cases[] = {
        {full, "", true},
        {cut, GetProgramText(348) + "\n" + cut + "\n\n" + GetProgramText(349), true},
        {missing, GetProgramText(115) + "\n" + missing, false},
    };
    for (const Case& c : cases) {
        dialogs.answerFile(c.path);
        if (!c.message.empty())
            script.thenMessage(QMessageBox::Ok);
        const std::size_t before = script.seen().size();
        OpenLoadFrame();
        window.commands->cmdSaveSetupAsOperationFile_Click();
        if (!c.message.empty()) {
            ASSERT_EQ(script.seen().size(), before + 1) << c.path;
            EXPECT_EQ(script.seen()[before].text.toStdString(), c.message);
        }
        EXPECT_EQ(window.controls.txbSetupFile->text().toStdString(), c.remembered ? c.path : "") << c.path;
        ExpectClosed();
    }
    // The short file's two folder lines were read.
    ExpectNothingUnexpected();
    EXPECT_EQ(dialogs.titles().front(), GetProgramText(114));
    EXPECT_EQ(window.dialogsClosed, 3);
    EXPECT_EQ(window.shown, 3);
    EXPECT_EQ(window.targetRefreshed, 3);
}

TEST_F(SetupCommandsTest, RestoreAfterClearGivesBackEveryFieldButDisableOutputToFile) {
    kestrel::Setup& setup = window.setup;
    setup.chkSuppressDetailedReports = 1;
    setup.chkSaveSetupOnQuit = 1;
    setup.chkWarnIfEarlier = 1;
    setup.chkWarnIfSmaller = 1;
    setup.chkExcludeFilesInSourceFolder = 1;
    setup.chkIncludeSubfolders = 1;
    setup.cboPercent = 7;
    setup.cboModifiedSince = 3;
    setup.chkPauseAfterFirstCopy = 1;
    setup.chkPauseAfterFirstDelete = 1;
    setup.txbExcludedFilepaths = "tmp, cache";
    setup.txbReportFile = tmp.path("report.txt");
    setup.cboIncludedFolders = {"Letters", "Photos"};
    setup.intNumIncludedFolders = 2;
    setup.cboIncludedFoldersListIndex = 0;
    const kestrel::Setup before = setup;

    window.commands->cmdSetup_MouseUp();
    window.commands->cmdClearSetup_Click();
    ExpectClosed();
    EXPECT_TRUE(setup.txbDirectory[0].empty());
    EXPECT_TRUE(setup.txbDirectory[1].empty());
    EXPECT_EQ(setup.intNumIncludedFolders, 0);
    EXPECT_EQ(setup.chkWarnIfEarlier, 0);
    EXPECT_TRUE(window.focusWidget() == window.controls.cmdSourceFolder);

    setup.chkDisableOutputToFile = 1;
    window.commands->cmdSetup_MouseUp();
    window.commands->cmdRestoreSetup_Click();
    ExpectClosed();
    kestrel::Setup expected = before;
    expected.chkDisableOutputToFile = 1;
    EXPECT_EQ(setup, expected);
    EXPECT_EQ(window.shown, 2);
    EXPECT_EQ(window.sourceRefreshed, 2);
}

// The same commands from the main window's own buttons.
class SetupCommandsWindowTest : public GuiTest {
protected:
    kestrel::Setup FullSetup() {
        tmp.createFile("source/a.txt", "a");
        tmp.createFile("source/Letters/old/l.txt", "l");
        tmp.createFile("source/Photos/p.jpg", "p");
        kestrel::Setup setup = FolderSetup(tmp.path("source/"), tmp.createFolder("target"));
        setup.chkSaveSetupOnQuit = 1;
        setup.chkWarnIfEarlier = 1;
        setup.chkWarnIfSmaller = 1;
        setup.chkExcludeFilesInSourceFolder = 1;
        setup.chkIncludeSubfolders = 1;
        setup.cboPercent = 6;
        setup.cboModifiedSince = 2;
        setup.chkPauseAfterFirstCopy = 1;
        setup.chkPauseAfterFirstDelete = 1;
        setup.txbExcludedFilepaths = "cache,tmp";
        setup.txbReportFile = tmp.path("report.txt");
        setup.cboIncludedFolders = {"Letters", "Photos"};
        setup.intNumIncludedFolders = 2;
        setup.cboIncludedFoldersListIndex = 0;
        setup.txbFileExtension = "jpg";
        return setup;
    }
    void Click(const char* name) {
        auto* button = Find<QPushButton>(window.get(), QLatin1String(name));
        ASSERT_TRUE(button->isVisible()) << name;
        button->click();
    }
    void ThenSetupSavedPopUp() {
        script.then([](QWidget* modal) {
            ASSERT_EQ(modal->objectName(), QStringLiteral("frmPopUp"));
            QTest::mouseClick(modal->findChild<QLabel*>(QStringLiteral("lblMessage")), Qt::LeftButton);
        });
    }
    QString Text(const char* name) { return Find<QLineEdit>(window.get(), QLatin1String(name))->text(); }

    std::unique_ptr<forms::frmMain> window;
    ModalScript script;
};

TEST_F(SetupCommandsWindowTest, SaveInASetupFileClearLoadItBackThenRestoreAfterAClear) {
    const kestrel::Setup full = FullSetup();
    WriteLastRun(full);
    window = StartWindow();
    ASSERT_EQ(window->setup(), full);

    const std::string path = tmp.path("daily.zbk");
    dialogs.answerFile(tmp.path("daily"));
    ThenSetupSavedPopUp();
    Click("cmdSetup");
    EXPECT_FALSE(Find<QFrame>(window.get(), "fraMenu")->isEnabled());
    Click("cmdSaveSetup");
    Click("cmdSaveSetupAsOperationFile");
    EXPECT_EQ(Text("txbSetupFile").toStdString(), path);
    EXPECT_TRUE(Find<QLineEdit>(window.get(), "txbSetupFile")->isVisible());
    EXPECT_TRUE(Find<QFrame>(window.get(), "fraMenu")->isEnabled());
    // A release just after the dialog closed is not taken for a click; a second later it is.
    EXPECT_TRUE(window->blnDialogJustClosed());
    Find<QPushButton>(window.get(), "cmdSetup")->click();
    EXPECT_FALSE(Find<QFrame>(window.get(), "fraSetup")->isVisible());
    window->Clock2_Timer();

    Click("cmdSetup");
    Click("cmdClearSetup");
    EXPECT_TRUE(Text("txbDirectory(0)").isEmpty());
    EXPECT_TRUE(Text("txbDirectory(1)").isEmpty());
    EXPECT_TRUE(Text("txbFileExtension").isEmpty());
    EXPECT_FALSE(Find<QCheckBox>(window.get(), "chkWarnIfEarlier")->isChecked());
    EXPECT_FALSE(Find<QFrame>(window.get(), "fraSetup")->isVisible());

    dialogs.answerFile(path);
    Click("cmdSetup");
    Click("cmdLoadSetup");
    Click("cmdSaveSetupAsOperationFile");
    EXPECT_EQ(window->setup(), full);
    EXPECT_EQ(Text("txbDirectory(0)").toStdString(), full.txbDirectory[0]);
    EXPECT_EQ(Text("txbFileExtension"), QStringLiteral("jpg"));
    EXPECT_EQ(Find<QComboBox>(window.get(), "cboIncludedFolders")->count(), 2);
    EXPECT_EQ(Find<QComboBox>(window.get(), "cboPercent")->currentIndex(), 6);
    EXPECT_EQ(Text("txbSetupFile").toStdString(), path);
    window->Clock2_Timer();

    // Restore after a clear gives back every field but "Disable output to report file".
    Find<QCheckBox>(window.get(), "chkDisableOutputToFile")->setChecked(true);
    Click("cmdSetup");
    Click("cmdClearSetup");
    EXPECT_TRUE(window->setup().txbDirectory[0].empty());
    Click("cmdSetup");
    Click("cmdRestoreSetup");
    kestrel::Setup expected = full;
    expected.chkDisableOutputToFile = 1;
    EXPECT_EQ(window->setup(), expected);
    EXPECT_TRUE(Find<QCheckBox>(window.get(), "chkWarnIfSmaller")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>(window.get(), "chkPauseAfterFirstDelete")->isChecked());
    EXPECT_EQ(Find<QLabel>(window.get(), "lblNumSubfolders")->text(),
              QStringLiteral("There are 2 subfolders, 2 selected"));
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected().empty());
}

TEST_F(SetupCommandsWindowTest, SaveForNextRunSparesTheSaveOnQuit) {
    kestrel::Setup setup = FullSetup();
    WriteLastRun(setup);
    window = StartWindow();
    window->Clock_Timer();
    for (int i = 0; i < 11; ++i)
        window->Clock_Timer();
    ASSERT_FALSE(window->blnLastRunFileCurrent());
    Find<QLineEdit>(window.get(), "txbFileExtension")->setText(QStringLiteral("png"));
    Find<QLineEdit>(window.get(), "txbFileExtension")->textEdited(QStringLiteral("png"));
    ThenSetupSavedPopUp();
    Click("cmdSetup");
    Click("cmdSaveSetup");
    Click("cmdSaveSetupForNextRun");
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(window->blnLastRunFileCurrent());
    setup.txbFileExtension = "png";
    EXPECT_EQ(LastRunText(), FormatSetupFile(setup));
    EXPECT_TRUE(Find<QFrame>(window.get(), "fraMenu")->isEnabled());
}

TEST_F(SetupCommandsWindowTest, LoadFromTheLastRunStaysOpenUntilNotNow) {
    const kestrel::Setup full = FullSetup();
    WriteLastRun(full);
    window = StartWindow();
    Click("cmdSetup");
    Click("cmdClearSetup");
    ASSERT_TRUE(window->setup().txbDirectory[0].empty());

    Click("cmdSetup");
    Click("cmdLoadSetup");
    EXPECT_FALSE(Find<QPushButton>(window.get(), "cmdDontSaveSetup")->isVisible());
    Click("cmdSaveSetupForNextRun");
    EXPECT_EQ(window->setup(), full);
    EXPECT_TRUE(Find<QFrame>(window.get(), "fraSaveSetup")->isVisible());
    EXPECT_FALSE(Find<QFrame>(window.get(), "fraMenu")->isEnabled());
    EXPECT_EQ(Find<QPushButton>(window.get(), "cmdSaveSetupInBothWays")->text(), QStringLiteral("Not now"));
    Click("cmdSaveSetupInBothWays");
    EXPECT_FALSE(Find<QFrame>(window.get(), "fraSaveSetup")->isVisible());
    EXPECT_TRUE(Find<QFrame>(window.get(), "fraMenu")->isEnabled());
    EXPECT_TRUE(script.unexpected().empty());
}

} // namespace
} // namespace kestrel::testing
