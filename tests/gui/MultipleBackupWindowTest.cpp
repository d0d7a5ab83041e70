#include "GuiTestSupport.h"

#include "engine/MultipleBackup.h"
#include "engine/OperationContext.h"
#include "forms/FormsCommon.h"
#include "forms/multiple/frmMultipleBackup.h"
#include "forms/report/frmReport.h"
#include "report/ReportModel.h"
#include "setup/SetupFile.h"
#include "support/ScriptedInteraction.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kestrel::testing {
namespace {

using forms::frmMultipleBackup;
using forms::MultipleBackupHost;

const std::string kCRLF = "\r\n";

class MultipleBackupWindowTest : public GuiTest {
protected:
    MultipleBackupWindowTest() { setupsFolder = tmp.createFolder("setups"); }

    // A setup file backing up "<name>-src/" (one file) into "<name>-tgt/".
    void MakeSetup(const std::string& name, bool targetMissing = false) {
        kestrel::Setup s = FolderSetup(tmp.createFolder(name + "-src"), tmp.path(name + "-tgt/"));
        if (!targetMissing)
            tmp.createFolder(name + "-tgt");
        tmp.createFile(name + "-src/" + name + ".txt", "data of " + name);
        ASSERT_TRUE(SaveSetupFile(s, setupsFolder + name + ".zbk"));
    }

    // The host as the main window gives it, with the engine run on this thread.
    MultipleBackupHost Host() {
        MultipleBackupHost host;
        host.setupsFolder = setupsFolder;
        host.intNumSetups = 0;
        host.RunBackups = [this](MultipleBackupRun& run) {
            ++runs;
            OperationContext context{setup, state, ui, report};
            return cmdMultipleBackup_Click(context, run);
        };
        host.ShowSetupFile = [this](const std::string& path) { shownSetupFiles.push_back(path); };
        host.SetupLoaded = [this] {
            windowVisibleAtLoad.push_back(window_ != nullptr && window_->isVisible());
        };
        host.LoadSetupFile = [this](const std::string& path) { loaded.push_back(path); };
        host.SetupFilesChanged = [this] {
            ++recounts;
            return 0;
        };
        return host;
    }

    frmMultipleBackup& Open() {
        window_ = std::make_unique<frmMultipleBackup>(Host());
        window_->show();
        return *window_;
    }

    QCheckBox* Check(int i) { return Find<QCheckBox>(window_.get(), forms::ControlName("chkDoSetup", i)); }
    QPushButton* Button(const QString& name) { return Find<QPushButton>(window_.get(), name); }

    std::string setupsFolder;
    kestrel::Setup setup;
    OperationState state;
    ScriptedInteraction ui{&state};
    ReportModel report{state, setup, ui};
    int runs = 0;
    int recounts = 0;
    std::vector<std::string> shownSetupFiles;
    std::vector<bool> windowVisibleAtLoad;
    std::vector<std::string> loaded;
    std::unique_ptr<frmMultipleBackup> window_;
};

TEST_F(MultipleBackupWindowTest, ListsTheSetupFilesByNameWithLoadAndDeleteOnEachRow) {
    for (const char* name : {"work", "Photos", "archive"})
        MakeSetup(name);
    tmp.createFile("setups/notes.txt", "not a setup");
    frmMultipleBackup& window = Open();

    EXPECT_EQ(window.windowTitle(), QStringLiteral("Multiple backup of new and modified files"));
    EXPECT_EQ(window.listedFiles(), (std::vector<std::string>{"archive.zbk", "Photos.zbk", "work.zbk"}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Check(i)->text().toStdString(), window.listedFiles()[static_cast<std::size_t>(i)]);
        EXPECT_FALSE(Check(i)->isChecked());
        EXPECT_EQ(Check(i)->palette().color(QPalette::Window), QColor(200, 240, 242));
        EXPECT_EQ(Button(forms::ControlName("cmdLoadSetup", i))->text(), QStringLiteral("Load"));
        EXPECT_EQ(Button(forms::ControlName("cmdDeleteSetup", i))->text(), QStringLiteral("Delete"));
    }
    EXPECT_EQ(window.findChild<QCheckBox*>(forms::ControlName("chkDoSetup", 3)), nullptr);
    EXPECT_TRUE(Button("cmdCheckAll(0)")->isVisible());
    EXPECT_TRUE(Button("cmdCheckAll(1)")->isVisible());
    EXPECT_EQ(Button("cmdMultipleBackup")->text(), QStringLiteral("Do all backups for selected setups"));
    EXPECT_EQ(Find<QCheckBox>(&window, "chkConfirmEach")->text(),
              QStringLiteral("Confirm each setup before the backup"));
    EXPECT_EQ(Find<QLabel>(&window, "Label1")->text(),
              QStringLiteral("Check each checkbox for a setup file for a backup you wish to do.\n"
                             "You can also load or delete a particular setup file."));
    EXPECT_TRUE(Find<QLabel>(&window, "Label2")->text().isEmpty());

    Button("cmdCheckAll(0)")->click();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Check(i)->isChecked());
    Button("cmdCheckAll(1)")->click();
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(Check(i)->isChecked());
}

TEST_F(MultipleBackupWindowTest, FifteenSetupFilesListTheFirstTwelveWithANote) {
    for (int i = 10; i < 25; ++i)
        MakeSetup("s" + std::to_string(i));
    frmMultipleBackup& window = Open();
    ASSERT_EQ(window.listedFiles().size(), 12u);
    EXPECT_EQ(window.listedFiles().back(), "s21.zbk");
    EXPECT_NE(window.findChild<QCheckBox*>(forms::ControlName("chkDoSetup", 11)), nullptr);
    EXPECT_EQ(window.findChild<QCheckBox*>(forms::ControlName("chkDoSetup", 12)), nullptr);
    EXPECT_EQ(Find<QLabel>(&window, "Label2")->text(),
              QStringLiteral(
                  "The setups folder contains 15 setup files\nbut only the first 12 are displayed above.\n"
                  "You could delete unwanted setup files or create another folder for setup files."));
}

TEST_F(MultipleBackupWindowTest, OneSetupFileHidesCheckAll) {
    MakeSetup("only");
    frmMultipleBackup& window = Open();
    EXPECT_EQ(window.listedFiles().size(), 1u);
    EXPECT_FALSE(Button("cmdCheckAll(0)")->isVisible());
    EXPECT_FALSE(Button("cmdCheckAll(1)")->isVisible());
}

TEST_F(MultipleBackupWindowTest, RunningWithNothingTickedRunsNothing) {
    MakeSetup("a");
    MakeSetup("b");
    frmMultipleBackup& window = Open();
    ModalScript script;
    script.ignore(&window);
    script.thenMessage(QMessageBox::Ok);
    Button("cmdMultipleBackup")->click();
    EXPECT_TRUE(script.done());
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].text, QStringLiteral("No setup has been selected."));
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(window.isVisible());
}

TEST_F(MultipleBackupWindowTest, TwoTickedSetupsRunInListOrderAndTheFailedOneIsNamedAtTheEnd) {
    MakeSetup("bad", true);
    MakeSetup("good");
    MakeSetup("skipped");
    window_ = std::make_unique<frmMultipleBackup>(Host());
    ModalScript script;
    script.then([this](QWidget* modal) {
        ASSERT_EQ(modal, window_.get());
        Check(0)->setChecked(true);
        Check(1)->setChecked(true);
        Button("cmdMultipleBackup")->click();
    });
    window_->exec();

    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected().empty());
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(tmp.exists("good-tgt/good.txt"));
    EXPECT_FALSE(tmp.exists("skipped-tgt/skipped.txt"));
    EXPECT_EQ(shownSetupFiles,
              (std::vector<std::string>{setupsFolder + "bad.zbk", setupsFolder + "good.zbk", ""}));
    // The window is out of the way while the backups run.
    EXPECT_EQ(windowVisibleAtLoad, std::vector<bool>{false});
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].title, "Do all backups for selected setups");
    EXPECT_EQ(ui.messages()[0].text, "The following setup file produced an error" + kCRLF +
                                         "and that backup operation was not performed:" + kCRLF + kCRLF +
                                         "bad.zbk --- Target folder does not exist" + kCRLF);
    EXPECT_EQ(setup.txbDirectory[0], tmp.path("good-src/"));
}

TEST_F(MultipleBackupWindowTest, DeleteAsksAndBuildsTheListAnew) {
    MakeSetup("keep");
    MakeSetup("old");
    frmMultipleBackup& window = Open();
    ModalScript script;
    script.ignore(&window);
    script.thenMessage(QMessageBox::No);
    script.thenMessage(QMessageBox::Yes);
    Button("cmdDeleteSetup(1)")->click();
    EXPECT_TRUE(tmp.exists("setups/old.zbk"));
    EXPECT_EQ(window.listedFiles().size(), 2u);
    Button("cmdDeleteSetup(1)")->click();

    EXPECT_TRUE(script.done());
    ASSERT_EQ(script.seen().size(), 2u);
    EXPECT_EQ(script.seen()[1].title, QStringLiteral("Delete setup file"));
    EXPECT_EQ(script.seen()[1].text.toStdString(),
              "Are you sure you wish to delete the setup file\n" + setupsFolder + "old.zbk ?");
    EXPECT_FALSE(tmp.exists("setups/old.zbk"));
    EXPECT_TRUE(tmp.exists("setups/keep.zbk"));
    EXPECT_EQ(recounts, 1);
    EXPECT_EQ(window.listedFiles(), std::vector<std::string>{"keep.zbk"});
    EXPECT_EQ(window.findChild<QCheckBox*>(forms::ControlName("chkDoSetup", 1)), nullptr);
    EXPECT_TRUE(window.isVisible());
}

TEST_F(MultipleBackupWindowTest, LoadHandsTheFileToTheMainWindowAndCloses) {
    MakeSetup("first");
    MakeSetup("second");
    frmMultipleBackup& window = Open();
    Button("cmdLoadSetup(1)")->click();
    EXPECT_EQ(loaded, std::vector<std::string>{setupsFolder + "second.zbk"});
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(runs, 0);
}

TEST_F(MultipleBackupWindowTest, AnUnreadableSetupsFolderIsReportedAndTheWindowCloses) {
    setupsFolder = tmp.path("gone/");
    ModalScript script;
    script.thenMessage(QMessageBox::Ok);
    frmMultipleBackup& window = Open();
    script.ignore(&window);
    ASSERT_TRUE(WaitFor([&] { return script.done() && !window.isVisible(); }));
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].title, QStringLiteral("Multiple backup"));
    EXPECT_EQ(script.seen()[0].text.toStdString(),
              "Error when getting names of setup files\n" + setupsFolder);
}

// Multiple backup from the main window: its controls, its refusals, and a run on the window's
// worker thread with the report window and the final message.
class MultipleBackupFromMainWindowTest : public MultipleBackupWindowTest {
protected:
    void UseMultipleBackup(const std::string& folder) {
        Find<QPushButton>(main.get(), "cmdUseMultipleBackup")->click();
        dialogs.answerFolder(folder);
        Find<QPushButton>(main.get(), "cmdSpecifyDirectory(2)")->click();
        main->Clock2_Timer();
    }
    std::string NumSetups() { return Find<QLabel>(main.get(), "lblNumSetups")->text().toStdString(); }

    std::unique_ptr<forms::frmMain> main;
    ModalScript script_;
};

TEST_F(MultipleBackupFromMainWindowTest, UseMultipleBackupShowsTheSetupsFolderAndItsCount) {
    main = StartWindow();
    auto* explanation = Find<QLabel>(main.get(), "lblMultipleBackupExplanation");
    EXPECT_EQ(explanation->text(),
              QStringLiteral("Multiple backup involves creation and use of several 'setup' files."));
    EXPECT_TRUE(explanation->isVisible());
    EXPECT_FALSE(Find<QPushButton>(main.get(), "cmdMultipleBackup")->isVisible());
    EXPECT_EQ(NumSetups(), "The purpose of a setups folder is to hold setup files.");

    Find<QPushButton>(main.get(), "cmdUseMultipleBackup")->click();
    EXPECT_FALSE(explanation->isVisible());
    EXPECT_FALSE(Find<QPushButton>(main.get(), "cmdUseMultipleBackup")->isVisible());
    EXPECT_TRUE(Find<QPushButton>(main.get(), "cmdMultipleBackup")->isVisible());
    EXPECT_TRUE(Find<QLineEdit>(main.get(), "txbDirectory(2)")->isVisible());
    EXPECT_TRUE(Find<QLabel>(main.get(), "lblNumSetups")->isVisible());
    EXPECT_FALSE(Find<QPushButton>(main.get(), "cmdClearFolder(3)")->isVisible());

    for (int i = 0; i < 7; ++i)
        MakeSetup("s" + std::to_string(i));
    dialogs.answerFolder(setupsFolder);
    Find<QPushButton>(main.get(), "cmdSpecifyDirectory(2)")->click();
    EXPECT_EQ(NumSetups(), "The setups folder contains 7 setup files");
    EXPECT_EQ(Find<QLabel>(main.get(), "lblNumSetups")->font().pointSize(), 10);
    EXPECT_TRUE(Find<QPushButton>(main.get(), "cmdClearFolder(3)")->isVisible());
}

TEST_F(MultipleBackupFromMainWindowTest, TheButtonRefusesWithoutASetupsFolderOrSetupFiles) {
    main = StartWindow();
    Find<QPushButton>(main.get(), "cmdUseMultipleBackup")->click();
    script_.thenMessage(QMessageBox::Ok);
    Find<QPushButton>(main.get(), "cmdMultipleBackup")->click();
    UseMultipleBackup(setupsFolder);
    EXPECT_EQ(NumSetups(), "The setups folder is empty.");
    script_.thenMessage(QMessageBox::Ok);
    Find<QPushButton>(main.get(), "cmdMultipleBackup")->click();

    ASSERT_EQ(script_.seen().size(), 2u);
    EXPECT_EQ(script_.seen()[0].text, QStringLiteral("The setups folder must first be specified."));
    EXPECT_EQ(script_.seen()[0].title, QStringLiteral("Multiple backup"));
    EXPECT_EQ(script_.seen()[1].text, QStringLiteral("The setups folder contains no setup files."));
    EXPECT_TRUE(script_.unexpected().empty());
}

TEST_F(MultipleBackupFromMainWindowTest, TwoTickedSetupsRunOnTheWorkerAndTheFailedOneIsNamed) {
    MakeSetup("bad", true);
    MakeSetup("good");
    MakeSetup("other");
    main = StartWindow();
    UseMultipleBackup(setupsFolder);
    EXPECT_EQ(NumSetups(), "The setups folder contains 3 setup files");

    bool windowHiddenDuringRun = false;
    script_.then([](QWidget* modal) {
        ASSERT_EQ(modal->objectName(), QStringLiteral("frmMultipleBackup"));
        Find<QCheckBox>(modal, "chkDoSetup(0)")->setChecked(true);
        Find<QCheckBox>(modal, "chkDoSetup(1)")->setChecked(true);
        Find<QPushButton>(modal, "cmdMultipleBackup")->click();
    });
    script_.then([&](QWidget* modal) {
        windowHiddenDuringRun = main->findChild<forms::frmMultipleBackup*>() == nullptr ||
                                !main->findChild<forms::frmMultipleBackup*>()->isVisible();
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        box->button(QMessageBox::Ok)->click();
    });
    Find<QPushButton>(main.get(), "cmdMultipleBackup")->click();
    ASSERT_TRUE(WaitForOperation(*main));

    EXPECT_TRUE(script_.done());
    EXPECT_TRUE(script_.unexpected().empty());
    ASSERT_EQ(script_.seen().size(), 2u);
    EXPECT_EQ(script_.seen()[1].title, QStringLiteral("Do all backups for selected setups"));
    EXPECT_EQ(script_.seen()[1].text.toStdString(), "The following setup file produced an error\n"
                                                    "and that backup operation was not performed:\n\n"
                                                    "bad.zbk --- Target folder does not exist\n");
    EXPECT_TRUE(windowHiddenDuringRun);
    EXPECT_TRUE(tmp.exists("good-tgt/good.txt"));
    EXPECT_FALSE(tmp.exists("other-tgt/other.txt"));
    // The window holds the setup loaded last; no setup file is named any more.
    EXPECT_EQ(main->setup().txbDirectory[0], tmp.path("good-src/"));
    EXPECT_EQ(Find<QLineEdit>(main.get(), "txbDirectory(0)")->text().toStdString(), tmp.path("good-src/"));
    EXPECT_TRUE(Find<QLineEdit>(main.get(), "txbSetupFile")->text().isEmpty());
    EXPECT_TRUE(main->reportWindow()->Text().contains(QStringLiteral("good.txt")));
    EXPECT_TRUE(Find<QPushButton>(main.get(), "cmdBackupModifiedFiles")->isEnabled());
}

TEST_F(MultipleBackupFromMainWindowTest, LoadFromTheListNamesTheSetupFileInTheMainWindow) {
    MakeSetup("alpha");
    MakeSetup("beta");
    main = StartWindow();
    UseMultipleBackup(setupsFolder);
    script_.thenClick("cmdLoadSetup(1)");
    Find<QPushButton>(main.get(), "cmdMultipleBackup")->click();
    EXPECT_TRUE(script_.done());
    EXPECT_EQ(main->setup().txbDirectory[0], tmp.path("beta-src/"));
    EXPECT_EQ(Find<QLineEdit>(main.get(), "txbSetupFile")->text().toStdString(), setupsFolder + "beta.zbk");
    EXPECT_TRUE(Find<QLineEdit>(main.get(), "txbSetupFile")->isVisible());
}

} // namespace
} // namespace kestrel::testing
