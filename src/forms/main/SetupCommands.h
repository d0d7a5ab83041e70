#pragma once

#include "setup/Setup.h"

#include <QObject>

#include <string>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace kestrel {
class SetupLoadMessages;
}

namespace kestrel::forms {

// The main window's controls that the setup commands show, hide, place and caption.
struct SetupControls {
    QWidget* window = nullptr;
    QWidget* fraMenu = nullptr;
    QFrame* fraSetup = nullptr;
    QFrame* fraSaveSetup = nullptr;
    QPushButton* cmdSetup = nullptr;
    QPushButton* cmdReportFile = nullptr;
    QPushButton* cmdSourceFolder = nullptr; // cmdSpecifyDirectory(0)
    QPushButton* cmdLoadSetup = nullptr;
    QPushButton* cmdSaveSetup = nullptr;
    QPushButton* cmdClearSetup = nullptr;
    QPushButton* cmdRestoreSetup = nullptr;
    QPushButton* cmdKeepSetup = nullptr;
    QPushButton* cmdSaveSetupForNextRun = nullptr;
    QPushButton* cmdSaveSetupAsOperationFile = nullptr;
    QPushButton* cmdSaveSetupInBothWays = nullptr;
    QPushButton* cmdDontSaveSetup = nullptr;
    QLineEdit* txbSetupFile = nullptr;
    QLineEdit* txbReportFile = nullptr;
    QLabel* lblWarningReFilesInUse = nullptr;
    QCheckBox* chkSuppressDetailedReports = nullptr;
};

// What the setup commands ask of the main window besides its controls.
class SetupCommandsHost {
public:
    virtual ~SetupCommandsHost() = default;
    // The setup the window shows; the commands load, clear and restore it in place.
    virtual Setup& CurrentSetup() = 0;
    // The setup changed under the controls: they show it again.
    virtual void ShowSetupInControls() = 0;
    virtual RestoreCopy& CurrentRestoreCopy() = 0;
    virtual SetupLoadMessages* LoadMessages() = 0;
    virtual void RefreshMenuState() = 0;
    virtual void FocusNextStep() = 0;
    virtual void RefreshSourceFolderDisplay() = 0;
    virtual void RefreshTargetFolderDisplay(bool blnMessageIfTargetFolderPathNotFound) = 0;
    virtual void DisplayNumFilesInSetupsFolder() = 0;
    // Loads the last-run setup with its messages, shows it and takes the restore copy.
    virtual void LoadSetupFromLastRun() = 0;
    // The last-run file holds the current setup (a save on quit within seconds is not needed).
    virtual void SetLastRunFileCurrent() = 0;
    // A file dialog just closed: the release that closed it must not start the button below.
    virtual void SetDialogJustClosed() = 0;
    // Frames and captions changed: Alt shortcuts and the Tab order follow.
    virtual void RefreshKeyboardOrder() {}
    // The setups folder, where the setup-file dialogs open ("" when none is named).
    virtual std::string SetupsFolder() { return {}; }
};

// The setup commands of the main window's "Setup" button: load (from the last run or a setup
// file), save (for the next run, in a setup file, or both), clear and restore. They live in the
// frames fraSetup and fraSaveSetup, opened beside the menu while it is disabled.
class SetupCommands : public QObject {
    Q_OBJECT
public:
    SetupCommands(const SetupControls& controls, SetupCommandsHost& host, QObject* parent = nullptr);

    // fraSaveSetup serves loading (its buttons load) rather than saving.
    bool loadMode() const { return blnLoadMode_; }

    void cmdSetup_MouseUp();
    void cmdLoadSetup_Click();
    void cmdSaveSetup_Click();
    void cmdSaveSetupForNextRun_Click();
    void cmdSaveSetupAsOperationFile_Click();
    void cmdSaveSetupInBothWays_Click();
    void cmdDontSaveSetup_Click();
    void cmdClearSetup_Click();
    void cmdRestoreSetup_Click();
    void cmdKeepSetup_Click();

    void CloseSetupFrame();
    void ForgetSelectedSetupFile();

private:
    void OpenSaveFrame(bool loading);
    void PlaceFrame(QFrame* frame, QWidget* levelWith);
    bool SaveSetupFile(const std::string& path, bool showPopUp);
    void SaveForNextRun();
    void SaveInSetupFile();
    void SaveInBothWays();
    void LoadFromLastRun();
    void LoadFromSetupFile();
    void FinishFileCommand();
    void ShowSetupFile(const std::string& path);

    SetupControls c_;
    SetupCommandsHost& host_;
    bool blnLoadMode_ = false;
};

// "Setup saved" for two seconds over the Setup button (or until clicked).
void ShowSetupSavedPopUp(QWidget* window, QWidget* cmdSetup);

// A setup file's name as saved: ".zbk" appended unless the name already ends in it (any case).
std::string SetupFileNameWithExtension(const std::string& path);

} // namespace kestrel::forms
