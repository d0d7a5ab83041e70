// The main window's setup commands, multiple backup, subfolder selection and the creation of a
// target subfolder: where its buttons reach the windows and procedures that do the work.
#include "forms/main/frmMain.h"

#include "engine/MultipleBackup.h"
#include "forms/FormsCommon.h"
#include "forms/main/CreateTargetSubfolder.h"
#include "forms/main/QtInteraction.h"
#include "forms/main/SetupCommands.h"
#include "forms/multiple/frmMultipleBackup.h"
#include "forms/prompts/MessageBoxes.h"
#include "forms/select/frmSelectSubfolders.h"
#include "modules/Language.h"
#include "setup/LastRun.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace kestrel::forms {

namespace {

// A window's corner moved so that a window of that size lies on the screen.
QPoint OnScreen(QPoint corner, QSize size) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        corner.setX(std::clamp(corner.x(), available.left(),
                               std::max(available.left(), available.right() - size.width())));
        corner.setY(std::clamp(corner.y(), available.top(),
                               std::max(available.top(), available.bottom() - size.height())));
    }
    return corner;
}

} // namespace

void frmMain::CreateSetupCommands() {
    // The main window as the setup commands see it.
    class Host : public QObject, public SetupCommandsHost {
    public:
        explicit Host(frmMain& window) : QObject(&window), w(window) {}
        Setup& CurrentSetup() override { return w.setup_; }
        void ShowSetupInControls() override { w.ShowSetupInControls(); }
        RestoreCopy& CurrentRestoreCopy() override { return w.restoreCopy_; }
        SetupLoadMessages* LoadMessages() override { return &w; }
        void RefreshMenuState() override { w.RefreshMenuState(); }
        void FocusNextStep() override { w.FocusNextStep(); }
        void RefreshSourceFolderDisplay() override { w.RefreshSourceFolderDisplay(); }
        void RefreshTargetFolderDisplay(bool message) override { w.RefreshTargetFolderDisplay(message); }
        void DisplayNumFilesInSetupsFolder() override { w.DisplayNumFilesInSetupsFolder(); }
        void LoadSetupFromLastRun() override {
            SetupLoadContext context;
            context.blnStartupCompleted = w.state_.blnStartupCompleted;
            context.messages = &w;
            kestrel::LoadSetupFromLastRun(w.setup_, context);
            w.ShowSetupInControls();
            w.RefreshSourceFolderDisplay();
            w.RefreshTargetFolderDisplay(true);
            w.TakeRestoreCopyOfSetup();
        }
        void SetLastRunFileCurrent() override {
            w.blnLastRunFileCurrent_ = true;
            w.intLastRunFileTicks_ = 0;
        }
        void SetDialogJustClosed() override { w.SetDialogJustClosed(); }
        void RefreshKeyboardOrder() override { w.RefreshKeyboardOrder(); }
        std::string SetupsFolder() override { return w.setupsFolder_; }

    private:
        frmMain& w;
    };

    SetupControls controls;
    controls.window = this;
    controls.fraMenu = fraMenu_;
    controls.fraSetup = fraSetup_;
    controls.fraSaveSetup = fraSaveSetup_;
    controls.cmdSetup = cmdSetup_;
    controls.cmdReportFile = cmdReportFile_;
    controls.cmdSourceFolder = cmdSpecifyDirectory_[0];
    controls.cmdLoadSetup = cmdLoadSetup_;
    controls.cmdSaveSetup = cmdSaveSetup_;
    controls.cmdClearSetup = cmdClearSetup_;
    controls.cmdRestoreSetup = cmdRestoreSetup_;
    controls.cmdKeepSetup = cmdKeepSetup_;
    controls.cmdSaveSetupForNextRun = cmdSaveSetupForNextRun_;
    controls.cmdSaveSetupAsOperationFile = cmdSaveSetupAsOperationFile_;
    controls.cmdSaveSetupInBothWays = cmdSaveSetupInBothWays_;
    controls.cmdDontSaveSetup = cmdDontSaveSetup_;
    controls.txbSetupFile = txbSetupFile_;
    controls.txbReportFile = txbReportFile_;
    controls.lblWarningReFilesInUse = lblWarningReFilesInUse_;
    controls.chkSuppressDetailedReports = chkSuppressDetailedReports_;
    setupCommands_ = new SetupCommands(controls, *new Host(*this), this);

    SetupCommands* commands = setupCommands_;
    const auto bind = [this, commands](QPushButton* button, void (SetupCommands::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, commands, handler] {
            if (!operationRunning())
                (commands->*handler)();
        });
    };
    bind(cmdLoadSetup_, &SetupCommands::cmdLoadSetup_Click);
    bind(cmdSaveSetup_, &SetupCommands::cmdSaveSetup_Click);
    bind(cmdClearSetup_, &SetupCommands::cmdClearSetup_Click);
    bind(cmdRestoreSetup_, &SetupCommands::cmdRestoreSetup_Click);
    bind(cmdKeepSetup_, &SetupCommands::cmdKeepSetup_Click);
    bind(cmdSaveSetupForNextRun_, &SetupCommands::cmdSaveSetupForNextRun_Click);
    bind(cmdSaveSetupAsOperationFile_, &SetupCommands::cmdSaveSetupAsOperationFile_Click);
    bind(cmdSaveSetupInBothWays_, &SetupCommands::cmdSaveSetupInBothWays_Click);
    bind(cmdDontSaveSetup_, &SetupCommands::cmdDontSaveSetup_Click);
}

void frmMain::cmdSetup_MouseUp() {
    if (blnDialogJustClosed_ || operationRunning())
        return;
    setupCommands_->cmdSetup_MouseUp();
}

void frmMain::cmdSelectSubfolders_MouseUp() {
    if (blnDialogJustClosed_ || operationRunning())
        return;
    if (setup_.txbDirectory[0].empty()) {
        ShowMessageBox(this, GetProgramText(1558), Ss(Caption(cmdSelectSubfolders_)), MessageButtons::Ok,
                       MessageIcon::Information);
        return;
    }
    IncludedSubfolderChoice choice;
    choice.sourceFolder = setup_.txbDirectory[0];
    choice.targetFolder = setup_.txbDirectory[1];
    choice.included = setup_.cboIncludedFolders;
    // Below the button, as wide as the menu.
    const QPoint menu = fraMenu_->mapToGlobal(QPoint(0, 0));
    const QPoint below = cmdSelectSubfolders_->mapToGlobal(QPoint(0, cmdSelectSubfolders_->height()));
    const QSize size(fraMenu_->width() - Px(80), Px(4000));
    choice.geometry = QRect(OnScreen(QPoint(menu.x() + Px(40), below.y() + Px(120)), size), size);

    chkIncludeSubfolders_->hide();
    std::vector<std::string> selected;
    if (SelectIncludedSubfolders(this, choice, selected)) {
        setup_.cboIncludedFolders = selected;
        setup_.intNumIncludedFolders = static_cast<int>(selected.size());
        setup_.cboIncludedFoldersListIndex = selected.empty() ? -1 : 0;
        ShowIncludedFolders();
    }
    RefreshSourceFolderDisplay();
    FocusNextStep();
}

void frmMain::cmdCreateSubFolder_MouseUp() {
    if (blnDialogJustClosed_ || operationRunning())
        return;
    CreateTargetSubfolderHost host;
    host.window = this;
    host.caption = Ss(Caption(cmdCreateSubFolder_));
    host.sourceFolder = setup_.txbDirectory[0];
    host.targetFolder = setup_.txbDirectory[1];
    host.inputBoxPosition = lblTargetFolderIsEmpty_->mapToGlobal(QPoint(Px(330), 0));
    host.CheckTargetAgainstSource = [this](const std::string& folder) {
        return CheckTargetAgainstSource(folder);
    };
    host.SetTargetFolder = [this](const std::string& folder) {
        SetFolderText(1, folder);
        RefreshTargetFolderDisplay(true);
    };
    host.ForgetSelectedSetupFile = [this] { ForgetSelectedSetupFile(); };
    CreateTargetSubfolder(host);
}

void frmMain::cmdUseMultipleBackup_Click() {
    cmdUseMultipleBackup_->hide();
    lblMultipleBackupExplanation_->hide();
    cmdSpecifyDirectory_[2]->show();
    cmdMultipleBackup_->show();
    txbDirectory_[2]->show();
    lblNumSetups_->show();
    cmdClearFolder_[3]->setVisible(!setupsFolder_.empty());
    RefreshKeyboardOrder();
}

void frmMain::DisplayNumFilesInSetupsFolder() {
    lblNumSetups_->setText(Qs(kestrel::DisplayNumFilesInSetupsFolder(setupsFolder_, intNumSetups_)));
    QFont font = lblNumSetups_->font();
    font.setPointSize(SetupsLabelFontSize(intNumSetups_));
    lblNumSetups_->setFont(font);
    // The clear button goes with the setups folder's box, shown once multiple backup is in use.
    cmdClearFolder_[3]->setVisible(!setupsFolder_.empty() && !txbDirectory_[2]->isHidden());
    cmdMultipleBackup_->setEnabled(true);
}

void frmMain::cmdMultipleBackup_Click() {
    if (!state_.blnStartupCompleted || blnDialogJustClosed_ || operationRunning())
        return;
    const std::string title = Ss(Caption(cmdMultipleBackup_));
    if (setupsFolder_.empty()) {
        ShowMessageBox(this, GetProgramText(1442), title, MessageButtons::Ok, MessageIcon::Information);
        return;
    }
    // Files may have come or gone since the folder was last counted.
    DisplayNumFilesInSetupsFolder();
    if (intNumSetups_ == 0) {
        ShowMessageBox(this, GetProgramText(1559), title, MessageButtons::Ok, MessageIcon::Information);
        return;
    }

    // The messages of a load during the run come from the worker thread and are shown here.
    class WorkerLoadMessages : public SetupLoadMessages {
    public:
        explicit WorkerLoadMessages(frmMain& window) : w(window) {}
        void SourceFolderMissing(const std::string& text) override {
            w.ui_->RunAndWait([&] { static_cast<SetupLoadMessages&>(w).SourceFolderMissing(text); });
        }
        void TargetFolderNotFound(const std::string& text, Setup& setup) override {
            w.ui_->RunAndWait([&] { static_cast<SetupLoadMessages&>(w).TargetFolderNotFound(text, setup); });
        }

    private:
        frmMain& w;
    };
    WorkerLoadMessages loadMessages(*this);

    MultipleBackupHost host;
    host.mainWindow = this;
    const QPoint label = lblNumSetups_->mapToGlobal(QPoint(0, 0));
    const QRect main = frameGeometry();
    host.position = OnScreen(QPoint(label.x(), label.y() - geometry().top() + main.top() + Px(650)),
                             QSize(Px(6000), Px(6000)));
    host.setupsFolder = setupsFolder_;
    host.intNumSetups = intNumSetups_;
    host.ShowSetupFile = [this](const std::string& path) {
        if (path.empty()) {
            ForgetSelectedSetupFile();
            return;
        }
        txbSetupFile_->setText(Qs(path));
        txbSetupFile_->setCursorPosition(0);
        txbSetupFile_->show();
    };
    host.SetupLoaded = [this] {
        ShowSetupInControls();
        RefreshSourceFolderDisplay();
        RefreshTargetFolderDisplay(true);
        // The refreshes enable what suits the new setup; the run goes on with the next setup, and
        // every control but Quit stays disabled until it ends.
        if (operationRunning())
            HoldControlsForOperation();
    };
    host.LoadSetupFile = [this](const std::string& path) {
        ForgetSelectedSetupFile();
        SetupLoadContext context;
        context.messages = this;
        if (LoadOperationFile(setup_, path, context, false) == 0) {
            txbSetupFile_->setText(Qs(path));
            txbSetupFile_->setCursorPosition(0);
            txbSetupFile_->show();
        }
        ShowSetupInControls();
        RefreshSourceFolderDisplay();
        RefreshTargetFolderDisplay(true);
    };
    host.SetupFilesChanged = [this] {
        DisplayNumFilesInSetupsFolder();
        return intNumSetups_;
    };
    host.RunBackups = [this, &loadMessages](MultipleBackupRun& run) {
        // The run's calls to the window come from the worker thread.
        const auto showSetupFile = run.showSetupFile;
        const auto setupLoaded = run.setupLoaded;
        run.showSetupFile = [this, showSetupFile](const std::string& path) {
            ui_->RunAndWait([&] { showSetupFile(path); });
        };
        run.setupLoaded = [this, setupLoaded] { ui_->RunAndWait([&] { setupLoaded(); }); };
        run.loadMessages = &loadMessages;
        MultipleBackupOutcome outcome = MultipleBackupOutcome::Cancelled;
        multipleBackupRunning_ = true;
        StartOperation(OperationButton::BackupModifiedFiles, [&run, &outcome](OperationContext& context) {
            outcome = kestrel::cmdMultipleBackup_Click(context, run);
            return 0;
        });
        // The window answers the operation's calls and its report window until it has ended.
        while (operationRunning())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        multipleBackupRunning_ = false;
        return outcome;
    };

    frmMultipleBackup window(std::move(host), this);
    window.exec();
}

} // namespace kestrel::forms
