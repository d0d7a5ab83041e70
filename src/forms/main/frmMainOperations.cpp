// The main window's operations on the worker thread, start-up with the unattended run, and quit.
#include "forms/main/frmMain.h"

#include "engine/RunOutcome.h"
#include "engine/Shutdown.h"
#include "engine/UnattendedRun.h"
#include "forms/FormsCommon.h"
#include "forms/main/QtInteraction.h"
#include "forms/main/ShutdownPopUp.h"
#include "forms/prompts/MessageBoxes.h"
#include "forms/prompts/frmPopUp.h"
#include "forms/prompts/frmView.h"
#include "forms/report/frmReport.h"
#include "modules/DatePr2.h"
#include "modules/FileProc.h"
#include "modules/Language.h"
#include "modules/Registry3.h"
#include "modules/StrProc.h"
#include "platform/ProgramPaths.h"
#include "report/ReportModel.h"
#include "setup/LastRun.h"
#include "setup/SetupsFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTimer>

namespace kestrel::forms {

namespace {

// The shutdown pop-up over the main window: a click on it calls the shutdown off. The
// operation asks from the worker thread; the pop-up is shown on the window thread.
class PopUpShutdownPrompt : public ShutdownPrompt {
public:
    PopUpShutdownPrompt(QWidget* mainWindow, QtInteraction& ui, platform::CommandRunner& runner)
        : mainWindow_(mainWindow), ui_(ui), runner_(runner) {}
    bool PopUpInForm(const ShutdownPopUp& popUp) override {
        bool clicked = false;
        ui_.RunAndWait([&] { clicked = WindowShutdownPrompt(mainWindow_, &runner_).PopUpInForm(popUp); });
        return clicked;
    }

private:
    QWidget* mainWindow_;
    QtInteraction& ui_;
    platform::CommandRunner& runner_;
};

} // namespace

bool frmMain::Form_Load(const QString& commandLine) {
    commandLine_ = commandLine;

    strProgramTextFile_ = "zbk.dat";
    const int loaded = LoadProgramText(strProgramTextFile_);
    if (loaded <= 0) {
        const std::string message =
            ProgramTextLoadMessage(loaded, platform::programFolder() + strProgramTextFile_);
        ShowMessageBox(nullptr, message, "Kestrel Backup", MessageButtons::Ok, MessageIcon::Critical);
        return false;
    }

    // The windows were built before the texts were there.
    ShowProgramTexts(this);
    ShowProgramTexts(report_.get());
    strWindowCaption_ = GetProgramText(31) + " " + KESTREL_VERSION;
    SetFormFontName(this, QLatin1String(kFormFont));
    InitMainWindow();

    lblPreviousRun_->hide();
    cmdSpecifyDirectory_[2]->hide();
    cmdMultipleBackup_->hide();
    txbDirectory_[2]->hide();
    lblNumSetups_->hide();
    cmdClearFolder_[3]->hide();
    cmdUseMultipleBackup_->show();
    lblMultipleBackupExplanation_->show();

    // 300 twips below the top of the screen, centred.
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.left() + (available.width() - frameGeometry().width()) / 2, available.top() + Px(300));
    }
    show();
    setWindowTitle(Qs(strWindowCaption_));

    SetFolderText(2, RestoreSetupsFolder());

    const std::string previous = StampPreviousRun(GetProgramText(388), GetProgramText(389));
    lblPreviousRun_->setText(previous.empty() ? QString() : Qs(GetProgramText(389) + ": " + previous));
    lblPreviousRun_->show();

    lblWarningReFilesInUse_->show();
    cmdClearFolder_[3]->hide();
    FocusNextStep();
    Clock_->start();

    // The last run's setup; during start-up a missing folder is emptied without a message.
    SetupLoadContext context;
    context.blnStartupCompleted = false;
    context.messages = this;
    int lastRunLoaded = 0;
    LoadSetupFromLastRun(setup_, context, &lastRunLoaded);
    // The unattended backup runs the last-run setup or nothing: an empty or half-read setup
    // would only fail in a way that hides the cause. Nobody watches, so the desktop is told.
    if (!commandLine_.trimmed().isEmpty() && lastRunLoaded != 0) {
        startupRefusal_ = LastRunLoadFailure(lastRunLoaded);
        NotifyRunEnd(RunEnd::Refused, GetProgramText(1400), startupRefusal_);
        return false;
    }
    ShowSetupInControls();
    RefreshSourceFolderDisplay();
    RefreshTargetFolderDisplay(false);
    TakeRestoreCopyOfSetup();
    blnLastRunFileCurrent_ = true;
    intLastRunFileTicks_ = 0;
    DisplayNumFilesInSetupsFolder();

    const std::string& target = setup_.txbDirectory[1];
    if (!target.empty() && !cmdEmptyTargetFolder_->isVisible() && lblTargetFolderIsEmpty_->isVisible()) {
        const bool wholeDisk = DriveOfPath(target) == target;
        lblTargetFolderIsEmpty_->setText(Pt(wholeDisk ? 1553 : 157));
    }

    state_.blnStartupCompleted = true;
    state_.blnScheduledTask = false;
    FocusNextStep();

    RefreshKeyboardOrder();
    if (!commandLine_.trimmed().isEmpty())
        RunUnattendedBackup();
    return true;
}

void frmMain::RunUnattendedBackup() {
    show();
    // The engine names the report file in the target folder, runs the backup of new and modified
    // files without a question, and shuts the computer down when the command line asks for it.
    state_.blnScheduledTask = true;
    unattendedRun_ = true;
    const std::string commandLine = Ss(commandLine_);
    StartOperation(OperationButton::BackupModifiedFiles, [this, commandLine](OperationContext& context) {
        PopUpShutdownPrompt prompt(this, *ui_, shutdownRunner());
        unattendedResult_ = RunUnattended(context, commandLine, shutdownRunner(), prompt);
        return unattendedResult_.backupResult;
    });
}

void frmMain::cmdListSubFolders_MouseUp() {
    if (blnDialogJustClosed_)
        return;
    StartOperation(OperationButton::ListSubFolders);
}

void frmMain::cmdCheckBackupState_MouseUp() {
    if (blnDialogJustClosed_)
        return;
    StartOperation(OperationButton::CheckBackupState);
}

void frmMain::cmdBackupAllFiles_MouseUp() {
    if (blnDialogJustClosed_)
        return;
    StartOperation(OperationButton::BackupAllFiles);
}

void frmMain::cmdBackupModifiedFiles_MouseUp() {
    if (blnDialogJustClosed_)
        return;
    StartOperation(OperationButton::BackupModifiedFiles);
}

void frmMain::cmdDeleteAllBackupFiles_MouseUp() {
    if (blnDialogJustClosed_)
        return;
    StartOperation(OperationButton::DeleteAllBackupFiles);
}

void frmMain::StartOperation(OperationButton button, OperationEntry entry) {
    if (operationRunning() || quitRequested_)
        return;
    // The extension field's check, as when the field loses the focus to the button.
    if (txbFileExtension_->hasFocus())
        txbFileExtension_LostFocus();

    const bool listsFiles =
        button == OperationButton::ListSubFolders && Caption(cmdListSubFolders_) == Qs(GetProgramText(21));
    if (!entry)
        entry = EngineEntry(button, listsFiles);
    if (!entry)
        return;

    runningButton_ = button;
    report_->setOperation(OperationCodeOf(button), button == OperationButton::ListSubFolders);
    // The setup belongs to the operation until it ends: the window's controls hold still.
    HoldControlsForOperation();
    ui_->BeginOperation();
    worker_ = QThread::create([this, entry] {
        OperationContext context{setup_, state_, *ui_, *model_};
        entry(context);
    });
    worker_->setObjectName(QStringLiteral("operation"));
    connect(worker_, &QThread::finished, this, &frmMain::OperationFinished, Qt::QueuedConnection);
    worker_->start();
}

void frmMain::OperationFinished() {
    if (worker_ == nullptr)
        return;
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    ui_->EndOperation();

    EnableFormControls(true);
    // The operation may have changed the setup (a report file named, a folder cleared or
    // created, the extension normalised): the controls show it again.
    ShowSetupInControls();
    RefreshSourceFolderDisplay();
    RefreshTargetFolderDisplay(!quitRequested_);
    RefreshMenuState();
    chkDisableOutputToFile_->setEnabled(!setup_.txbReportFile.empty());
    cmdReportScreen_->setEnabled(report_->HasText());

    if (quitRequested_) {
        quitRequested_ = false;
        blnDialogJustClosed_ = false;
        ui_->setClosing(false);
        cmdQuit_MouseUp();
        return;
    }

    if (unattendedRun_) {
        unattendedRun_ = false;
        state_.blnScheduledTask = false;
        // Nobody may have watched the run: the desktop tells of errors, warnings and refusals.
        const RunOutcome outcome = OutcomeOf(GetProgramText(1400), unattendedResult_.backupResult,
                                             unattendedResult_.resultText, state_, setup_.txbReportFile);
        NotifyRunEnd(outcome.end, GetProgramText(1400), outcome.account);
    }
    FocusNextStep();
}

bool frmMain::SaveSetupForNextRunWithPopUp() {
    const bool ok = SaveSetupForNextRun(setup_);
    if (ok) {
        // "Setup saved" over the Setup button for two seconds. The 500 and 160 twips of the
        // classic placement stood for the window's title bar and border; the button's place on
        // the screen already holds them.
        const QPoint onScreen = cmdSetup_->mapToGlobal(QPoint(0, 0));
        PopUp(Pt(1554), Twips(cmdSetup_->width()), Twips(cmdSetup_->height()), 2000, Twips(onScreen.y()),
              Twips(onScreen.x()));
    } else {
        ShowMessageBox(this, GetProgramText(116), GetProgramText(31), MessageButtons::Ok,
                       MessageIcon::Exclamation);
    }
    return ok;
}

void frmMain::cmdQuit_MouseUp() {
    if (blnDialogJustClosed_)
        return;
    if (operationRunning()) {
        RequestQuitDuringOperation();
        return;
    }
    if (chkSaveSetupOnQuit_->isChecked() && !blnLastRunFileCurrent_) {
        txbSetupFile_->hide();
        SaveSetupForNextRunWithPopUp();
    }
    EndProgram();
}

void frmMain::RequestQuitDuringOperation() {
    // The operation stops at its next file; the program ends when it has.
    quitRequested_ = true;
    ui_->setClosing(true);
    state_.blnStop = true;
    state_.blnPaused = false;
}

void frmMain::EndProgram() {
    Clock_->stop();
    Clock2_->stop();
    report_->hide();
    view_->hide();
    hide();
    if (endProgram_)
        endProgram_();
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!isVisible()) {
        event->accept();
        return;
    }
    // The close box quits as the Quit button does, and the program ends even when a dialog that
    // just closed holds the button back.
    event->ignore();
    if (operationRunning()) {
        RequestQuitDuringOperation();
        return;
    }
    cmdQuit_MouseUp();
    if (isVisible())
        EndProgram();
}

} // namespace kestrel::forms
