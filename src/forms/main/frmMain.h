#pragma once

#include "engine/UnattendedRun.h"
#include "forms/main/OperationEntries.h"
#include "report/OperationState.h"
#include "setup/Setup.h"
#include "setup/SetupFile.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QThread;
class QTimer;

namespace kestrel {
class ReportModel;
}

namespace kestrel::forms {

class ExtraOptionsPanel;
class QtInteraction;
class SetupCommands;
class frmReport;
class frmView;

// The program's one lasting window: it shows the current setup in its controls, holds the
// buttons of every operation, and owns the setup and the state all operations share. An
// operation runs on a worker thread owned by the window; while it runs every control but Quit is
// disabled.
class frmMain : public QWidget, private SetupLoadMessages {
    Q_OBJECT
public:
    frmMain();
    ~frmMain() override;

    // Start-up: program texts, captions, the setups folder and the previous run from the
    // settings store, the last-run setup, and the unattended backup when `commandLine` is not
    // empty. False when the program texts could not be loaded (the message was shown), or when
    // the command line asks for the unattended backup and there is no last-run setup to run (the
    // desktop was told, StartupRefusal says why): the program then ends.
    bool Form_Load(const QString& commandLine);
    // Why the unattended start refused, "" when it did not.
    const std::string& StartupRefusal() const { return startupRefusal_; }

    // How the program ends (all windows close); tests put their own in place.
    void setEndProgram(std::function<void()> endProgram) { endProgram_ = std::move(endProgram); }

    // The one-second timer's duties; also run by tests in place of waiting.
    void Clock_Timer();
    void Clock2_Timer();

    const Setup& setup() const { return setup_; }
    OperationState& state() { return state_; }
    frmReport* reportWindow() const { return report_.get(); }
    frmView* viewer() const { return view_; }
    bool operationRunning() const { return worker_ != nullptr; }
    bool blnDialogJustClosed() const { return blnDialogJustClosed_; }
    bool blnLastRunFileCurrent() const { return blnLastRunFileCurrent_; }

    // The buttons' handlers (a mouse release over the button, or its click).
    void cmdSpecifyDirectory_MouseUp(int Index);
    void txbDirectory_MouseUp(int Index);
    void cmdClearFolder_Click(int Index);
    void cmdRemoveSubfolder_Click();
    void cmdSelectSubfolders_MouseUp();
    void cmdCreateSubFolder_MouseUp();
    void cmdEmptyTargetFolder_Click();
    void cmdListSubFolders_MouseUp();
    void cmdCheckBackupState_MouseUp();
    void cmdBackupAllFiles_MouseUp();
    void cmdBackupModifiedFiles_MouseUp();
    void cmdDeleteAllBackupFiles_MouseUp();
    // Restores the setup's backup as the restore window asks (frmMainRestore.cpp).
    void cmdRestore_Click();
    void cmdReportFile_MouseUp();
    void cmdReportScreen_MouseUp();
    void cmdSetup_MouseUp();
    void cmdUseMultipleBackup_Click();
    void cmdMultipleBackup_Click();
    void cmdHelp_MouseUp();
    void cmdQuit_MouseUp();

    void RefreshSourceFolderDisplay();
    void RefreshTargetFolderDisplay(bool blnMessageIfTargetFolderPathNotFound);
    void FocusNextStep();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Building the window.
    void CreateControls();
    void LayOutControls();
    void ConnectControls();
    void InitMainWindow();
    // A control with program text `caption` (a label without one when 0).
    QPushButton* Button(const QString& name, int caption);
    QCheckBox* CheckBox(const QString& name, int caption);
    QLabel* Label(const QString& name, int caption = 0);
    QLineEdit* TextBox(const QString& name, bool readOnly);

    // The setup in the controls.
    void ShowSetupInControls();
    void ShowIncludedFolders();
    void SetFolderText(int Index, const std::string& text);
    void SetReportFileText(const std::string& text);
    void ClearSetupAndControls();
    void TakeRestoreCopyOfSetup();

    // Handlers of the setup's controls.
    void chkSuppressDetailedReports_Click();
    void chkIncludeSubfolders_Click();
    void txbFileExtension_LostFocus();
    void txbExcludedFilepaths_LostFocus();
    void cboPercent_Click();
    void cboModifiedSince_Click();
    void cboIncludedFolders_Click();

    // Folders.
    bool CheckTargetAgainstSource(const std::string& path);
    void DisplayTargetFolderStatus(bool blnMessageIfTargetFolderPathNotFound);
    void DisplayTargetFreeSpace();
    void PromptTargetFolderNotFound(const std::string& strErrDescr);
    void EnableOperationButtons();
    void ForgetSelectedSetupFile();
    void DisplayNumFilesInSetupsFolder();
    void SetDialogJustClosed();
    // Where the report-file dialog opens.
    std::string ReportFileDialogFolder() const;

    // SetupLoadMessages: the messages of a setup load.
    void SourceFolderMissing(const std::string& text) override;
    void TargetFolderNotFound(const std::string& text, Setup& setup) override;

    // The window's state.
    void RefreshToolTips();
    void RefreshMenuState();
    void EnableFormControls(bool enabled);
    // Every control but Quit disabled: the running operation owns the setup.
    void HoldControlsForOperation();
    // Alt shortcuts for captions that changed, and Tab in the order the controls now show.
    void RefreshKeyboardOrder();
    void SetFocusOnHover(QWidget* button);
    // The small report window opens below this control (twips inside the window).
    int SmallReportWindowTop(bool listing) const;
    QPoint ConfirmWindowPosition() const;

    // The setup commands' frames and their buttons (frmMainSetups.cpp).
    void CreateSetupCommands();

    // Operations.
    // Runs the button's engine entry, or `entry` in its place, on the worker thread.
    void StartOperation(OperationButton button, OperationEntry entry = {});
    void OperationFinished();
    void RunUnattendedBackup();
    void EndProgram();
    void RequestQuitDuringOperation();
    // Saves the setup for the next run, with the pop-up "Setup saved" (or its failure message).
    bool SaveSetupForNextRunWithPopUp();

    OperationState state_;
    Setup setup_;
    RestoreCopy restoreCopy_;
    std::unique_ptr<frmReport> report_;
    std::unique_ptr<QtInteraction> ui_;
    std::unique_ptr<ReportModel> model_;
    frmView* view_ = nullptr;

    QThread* worker_ = nullptr;
    OperationButton runningButton_ = OperationButton::BackupModifiedFiles;
    bool quitRequested_ = false;
    bool multipleBackupRunning_ = false;
    bool unattendedRun_ = false;
    UnattendedRunResult unattendedResult_; // written by the worker, read once it has ended
    std::string startupRefusal_;
    QString commandLine_;
    std::function<void()> endProgram_;

    // Form-level values.
    bool blnDialogJustClosed_ = false;
    bool blnChainedFolderPrompt_ = false;
    bool blnLastRunFileCurrent_ = false;
    int intLastRunFileTicks_ = 0;
    int MaxFolderTextLength_ = 70;
    std::string strProgramTextFile_;
    std::string strWindowCaption_;
    std::string setupsFolder_;
    bool loading_ = false; // controls are being filled from the setup: their handlers hold still

    SetupCommands* setupCommands_ = nullptr;
    int intNumSetups_ = -1; // setup files in the setups folder, -1 without one

    QTimer* Clock_ = nullptr;
    QTimer* Clock2_ = nullptr;

    // Controls, named as their objectName.
    QFrame* fraMenu_ = nullptr;
    QFrame* fraSetup_ = nullptr;
    QFrame* fraSaveSetup_ = nullptr;
    std::array<QPushButton*, 3> cmdSpecifyDirectory_{};
    std::array<QLineEdit*, 3> txbDirectory_{};
    std::array<QPushButton*, 5> cmdClearFolder_{};
    QPushButton* cmdSelectSubfolders_ = nullptr;
    QPushButton* cmdRemoveSubfolder_ = nullptr;
    QPushButton* cmdListSubFolders_ = nullptr;
    QPushButton* cmdCheckBackupState_ = nullptr;
    QPushButton* cmdBackupAllFiles_ = nullptr;
    QPushButton* cmdBackupModifiedFiles_ = nullptr;
    QPushButton* cmdDeleteAllBackupFiles_ = nullptr;
    QPushButton* cmdRestore_ = nullptr;
    QPushButton* cmdCreateSubFolder_ = nullptr;
    QPushButton* cmdEmptyTargetFolder_ = nullptr;
    QPushButton* cmdReportFile_ = nullptr;
    QPushButton* cmdReportScreen_ = nullptr;
    QPushButton* cmdSetup_ = nullptr;
    QPushButton* cmdUseMultipleBackup_ = nullptr;
    QPushButton* cmdMultipleBackup_ = nullptr;
    QPushButton* cmdHelp_ = nullptr;
    QPushButton* cmdQuit_ = nullptr;
    QPushButton* cmdLoadSetup_ = nullptr;
    QPushButton* cmdSaveSetup_ = nullptr;
    QPushButton* cmdClearSetup_ = nullptr;
    QPushButton* cmdRestoreSetup_ = nullptr;
    QPushButton* cmdKeepSetup_ = nullptr;
    QPushButton* cmdSaveSetupForNextRun_ = nullptr;
    QPushButton* cmdSaveSetupAsOperationFile_ = nullptr;
    QPushButton* cmdSaveSetupInBothWays_ = nullptr;
    QPushButton* cmdDontSaveSetup_ = nullptr;
    QComboBox* cboIncludedFolders_ = nullptr;
    QComboBox* cboPercent_ = nullptr;
    QComboBox* cboModifiedSince_ = nullptr;
    QCheckBox* chkIncludeSubfolders_ = nullptr;
    QCheckBox* chkExcludeFilesInSourceFolder_ = nullptr;
    QCheckBox* chkWarnIfEarlier_ = nullptr;
    QCheckBox* chkWarnIfSmaller_ = nullptr;
    QCheckBox* chkPauseAfterFirstCopy_ = nullptr;
    QCheckBox* chkPauseAfterFirstDelete_ = nullptr;
    QCheckBox* chkSuppressDetailedReports_ = nullptr;
    QCheckBox* chkSaveSetupOnQuit_ = nullptr;
    QCheckBox* chkDisableOutputToFile_ = nullptr;
    ExtraOptionsPanel* extraOptions_ = nullptr;
    QLineEdit* txbFileExtension_ = nullptr;
    QLineEdit* txbExcludedFilepaths_ = nullptr;
    QLineEdit* txbReportFile_ = nullptr;
    QLineEdit* txbSetupFile_ = nullptr;
    QLabel* lblIntro_ = nullptr;
    QLabel* lblNumSubfolders_ = nullptr;
    QLabel* lblFreeSpace_ = nullptr;
    QLabel* lblTargetFolderIsEmpty_ = nullptr;
    QLabel* lblBackupOnlyExtension_ = nullptr;
    QLabel* lblSkipFilepaths_ = nullptr;
    QLabel* lblOfSizeOf_ = nullptr;
    QLabel* lblModifiedSince_ = nullptr;
    QLabel* lblNumSetups_ = nullptr;
    QLabel* lblMultipleBackupExplanation_ = nullptr;
    QLabel* lblPreviousRun_ = nullptr;
    QLabel* lblWarningReFilesInUse_ = nullptr;
    QLabel* lblSelectedSetup_ = nullptr;
};

} // namespace kestrel::forms
