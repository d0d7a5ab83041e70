#include "GuiTestSupport.h"

#include "forms/FormsCommon.h"
#include "forms/prompts/frmSourceFileEarlier.h"
#include "modules/Language.h"
#include "setup/SetupFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace kestrel::testing {
namespace {

class WindowPlacementTest : public GuiTest {
protected:
    // A setup file backing up "<name>-src/" (one file) into "<name>-tgt/".
    void MakeSetup(const std::string& folder, const std::string& name) {
        kestrel::Setup s = FolderSetup(tmp.createFolder(name + "-src"), tmp.createFolder(name + "-tgt"));
        tmp.createFile(name + "-src/" + name + ".txt", "data of " + name);
        ASSERT_TRUE(SaveSetupFile(s, folder + name + ".zbk"));
    }
};

// What the main window showed while one setup of a multiple backup asked for its confirmation.
struct SetupSeen {
    std::string setupFile;
    bool pauseAfterCopyEnabled = true;
    bool pauseAfterDeleteEnabled = true;
    bool backupButtonEnabled = true;
    bool quitEnabled = false;
    bool confirmationClearOfSetupBox = false;
};

TEST_F(WindowPlacementTest, AMultipleBackupKeepsEveryControlButQuitDisabledFromTheFirstSetupToTheLast) {
    const std::string setups = tmp.createFolder("setups");
    for (const char* name : {"first", "second", "third"})
        MakeSetup(setups, name);
    auto window = StartWindow();
    Find<QPushButton>(window.get(), "cmdUseMultipleBackup")->click();
    dialogs.answerFolder(setups);
    Find<QPushButton>(window.get(), "cmdSpecifyDirectory(2)")->click();

    std::vector<SetupSeen> seen;
    // Each setup's confirmation holds the run while the window is looked at.
    const auto confirm = [&](QWidget* modal) {
        ASSERT_EQ(modal->objectName(), QStringLiteral("frmConfirmOperation"));
        auto* setupBox = Find<QLineEdit>(window.get(), "txbSetupFile");
        SetupSeen s;
        s.setupFile = setupBox->text().toStdString();
        s.pauseAfterCopyEnabled = Find<QCheckBox>(window.get(), "chkPauseAfterFirstCopy")->isEnabled();
        s.pauseAfterDeleteEnabled = Find<QCheckBox>(window.get(), "chkPauseAfterFirstDelete")->isEnabled();
        s.backupButtonEnabled = Find<QPushButton>(window.get(), "cmdBackupAllFiles")->isEnabled();
        s.quitEnabled = Find<QPushButton>(window.get(), "cmdQuit")->isEnabled();
        const QRect box(setupBox->mapToGlobal(QPoint(0, 0)), setupBox->size());
        s.confirmationClearOfSetupBox = setupBox->isVisible() && !modal->frameGeometry().intersects(box) &&
                                        modal->frameGeometry().top() >= box.bottom();
        seen.push_back(s);
        Find<QPushButton>(modal, "cmdYes")->click();
    };
    ModalScript script;
    script.then([](QWidget* modal) {
        ASSERT_EQ(modal->objectName(), QStringLiteral("frmMultipleBackup"));
        Find<QPushButton>(modal, "cmdCheckAll(0)")->click();
        Find<QCheckBox>(modal, "chkConfirmEach")->setChecked(true);
        Find<QPushButton>(modal, "cmdMultipleBackup")->click();
    });
    for (int i = 0; i < 3; ++i)
        script.then(confirm);
    Find<QPushButton>(window.get(), "cmdMultipleBackup")->click();
    ASSERT_TRUE(WaitForOperation(*window));

    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected().empty());
    ASSERT_EQ(seen.size(), 3u);
    const char* names[] = {"first", "second", "third"};
    for (std::size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_EQ(seen[i].setupFile, setups + names[i] + ".zbk");
        EXPECT_FALSE(seen[i].pauseAfterCopyEnabled);
        EXPECT_FALSE(seen[i].pauseAfterDeleteEnabled);
        EXPECT_FALSE(seen[i].backupButtonEnabled);
        EXPECT_TRUE(seen[i].quitEnabled);
        EXPECT_TRUE(seen[i].confirmationClearOfSetupBox);
    }
    EXPECT_TRUE(tmp.exists("third-tgt/third.txt"));
    // The run over, the controls serve the setup loaded last.
    EXPECT_TRUE(Find<QCheckBox>(window.get(), "chkPauseAfterFirstCopy")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(window.get(), "cmdBackupAllFiles")->isEnabled());
}

TEST_F(WindowPlacementTest, TheModifiedSinceDropDownHasItsCaption) {
    auto window = StartWindow();
    auto* caption = Find<QLabel>(window.get(), "lblModifiedSince");
    auto* dropDown = Find<QComboBox>(window.get(), "cboModifiedSince");
    EXPECT_EQ(caption->text().toStdString(), GetProgramText(420));
    EXPECT_EQ(caption->buddy(), dropDown);
    EXPECT_TRUE(caption->isVisible());
    // The caption reads as a sentence with the drop-down's item.
    EXPECT_EQ(caption->text() + QLatin1Char(' ') + dropDown->currentText(),
              QStringLiteral("Files new or modified at any time"));
    const QRect captionRect(caption->mapTo(window.get(), QPoint(0, 0)), caption->size());
    const QRect dropDownRect(dropDown->mapTo(window.get(), QPoint(0, 0)), dropDown->size());
    EXPECT_LE(captionRect.right(), dropDownRect.left());
    EXPECT_TRUE(captionRect.intersects(QRect(0, dropDownRect.top(), window->width(), dropDownRect.height())));
}

TEST_F(WindowPlacementTest, TheOlderSourcePromptIsAsWideAsTheReportWindow) {
    QWidget report;
    report.setGeometry(100, 100, 1066, 700);
    report.show();
    int promptWidth = 0;
    ModalScript script;
    script.then([&](QWidget* modal) {
        promptWidth = modal->width();
        Find<QPushButton>(modal, "cmdConfirm")->click();
    });
    forms::frmSourceFileEarlier::Ask(&report, &report,
                                     QStringLiteral("Current file is older than backup file"),
                                     QStringLiteral("/a/b.txt 2024-03-01\n/c/b.txt 2024-03-05\n\nHow?"));
    EXPECT_TRUE(script.done());
    EXPECT_EQ(promptWidth, report.width());
}

TEST_F(WindowPlacementTest, SetupSavedAtQuitLiesOverTheSetupButton) {
    kestrel::Setup setup = FolderSetup(tmp.createFolder("source"), "");
    setup.chkSaveSetupOnQuit = 1;
    WriteLastRun(setup);
    auto window = StartWindow();
    for (int i = 0; i < 11; ++i)
        window->Clock_Timer();
    auto* setupButton = Find<QPushButton>(window.get(), "cmdSetup");
    const QRect expected(setupButton->mapToGlobal(QPoint(0, 0)), setupButton->size());
    QRect shownAt;
    ModalScript script;
    script.then([&](QWidget* popUp) {
        ASSERT_EQ(popUp->objectName(), QStringLiteral("frmPopUp"));
        shownAt = popUp->geometry();
        QLabel* message = popUp->findChild<QLabel*>(QStringLiteral("lblMessage"));
        ASSERT_NE(message, nullptr);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(message, &release);
    });
    Find<QPushButton>(window.get(), "cmdQuit")->click();
    EXPECT_TRUE(script.done());
    EXPECT_EQ(shownAt, expected);
}

// Records where each dialog was to open (once a dialog: the scripted answers may call each other).
class FolderRecordingDialogs : public ScriptedDialogs {
public:
    std::string BrowseForFolder(QWidget* owner, const std::string& title) override {
        const Recorded once(*this);
        return ScriptedDialogs::BrowseForFolder(owner, title);
    }
    std::string GetOpenFileName(QWidget* owner, const std::string& title,
                                const std::string& filter) override {
        const Recorded once(*this);
        return ScriptedDialogs::GetOpenFileName(owner, title, filter);
    }
    std::string GetSaveFileName(QWidget* owner, const std::string& title,
                                const std::string& filter) override {
        const Recorded once(*this);
        return ScriptedDialogs::GetSaveFileName(owner, title, filter);
    }
    std::vector<std::string> startFolders;

private:
    struct Recorded {
        explicit Recorded(FolderRecordingDialogs& d) : dialogs(d) {
            if (dialogs.depth_++ == 0)
                dialogs.startFolders.push_back(dialogs.startFolder());
        }
        ~Recorded() { --dialogs.depth_; }
        FolderRecordingDialogs& dialogs;
    };
    int depth_ = 0;
};

TEST_F(WindowPlacementTest, FileDialogsOpenInTheFolderTheyChange) {
    const std::string setups = tmp.createFolder("setups");
    const std::string source = tmp.createFolder("source");
    tmp.createFolder("reports");
    kestrel::Setup setup = FolderSetup(source, "");
    setup.txbReportFile = tmp.path("reports/report.txt");
    WriteLastRun(setup);
    FolderRecordingDialogs recording;
    forms::setFileDialogs(&recording);
    auto window = StartWindow();
    Find<QPushButton>(window.get(), "cmdUseMultipleBackup")->click();
    recording.answerFolder(setups);
    Find<QPushButton>(window.get(), "cmdSpecifyDirectory(2)")->click();
    window->Clock2_Timer();

    recording.answerFolder("");
    Find<QPushButton>(window.get(), "cmdSpecifyDirectory(0)")->click();
    window->Clock2_Timer();
    recording.answerFile("");
    Find<QPushButton>(window.get(), "cmdReportFile")->click();
    window->Clock2_Timer();
    // Loading a setup file: the load frame, then "Load setup from setup file".
    Find<QPushButton>(window.get(), "cmdSetup")->click();
    Find<QPushButton>(window.get(), "cmdLoadSetup")->click();
    recording.answerFile("");
    Find<QPushButton>(window.get(), "cmdSaveSetupAsOperationFile")->click();

    std::string all;
    for (const std::string& folder : recording.startFolders)
        all += "[" + folder + "] ";
    ASSERT_EQ(recording.startFolders.size(), 4u) << all;
    EXPECT_EQ(recording.startFolders[0], ""); // no setups folder yet
    EXPECT_EQ(recording.startFolders[1], source);
    EXPECT_EQ(recording.startFolders[2], tmp.path("reports"));
    EXPECT_EQ(recording.startFolders[3], setups);
}

} // namespace
} // namespace kestrel::testing
