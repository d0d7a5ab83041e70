#pragma once

#include "engine/MultipleBackup.h"

#include <QDialog>
#include <QPoint>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QGridLayout;
class QLabel;
class QPushButton;

namespace kestrel::forms {

// What the multiple backup window needs of the main window.
struct MultipleBackupHost {
    QWidget* mainWindow = nullptr;
    QPoint position;          // the window's top-left corner on the screen, in pixels
    std::string setupsFolder; // txbDirectory(2), a folder value
    int intNumSetups = 0;     // the main window's count of setup files
    // Runs the ticked setups through the engine and returns when the run has ended. The run's
    // callbacks (showSetupFile, setupLoaded) are called on the window thread.
    std::function<MultipleBackupOutcome(MultipleBackupRun& run)> RunBackups;
    // The main window's txbSetupFile during a run: the setup being run, "" to empty and hide it.
    std::function<void(const std::string& path)> ShowSetupFile;
    // A setup of the run was loaded: the main window shows it.
    std::function<void()> SetupLoaded;
    // "Load": the main window loads this setup file.
    std::function<void(const std::string& path)> LoadSetupFile;
    // A setup file was deleted: the main window counts them again and gives the new count.
    std::function<int()> SetupFilesChanged;
};

// The window that lists the setup files of the setups folder, each with a check box and its own
// Load and Delete buttons, and runs the ticked ones one after the other as backups of new and
// modified files.
class frmMultipleBackup : public QDialog {
    Q_OBJECT
public:
    explicit frmMultipleBackup(MultipleBackupHost host, QWidget* parent = nullptr);

    // The listed file names, in list order.
    const std::vector<std::string>& listedFiles() const { return files_; }

    void cmdCheckAll_Click(int Index);
    void cmdMultipleBackup_Click();
    void cmdLoadSetup_Click(int Index);
    void cmdDeleteSetup_Click(int Index);
    void cmdCancel_Click();
    void cmdClose_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    void Form_Activate();
    void ClearRows();

    MultipleBackupHost host_;
    std::vector<std::string> files_;
    bool running_ = false;

    QLabel* Label1_;
    QLabel* Label2_;
    QGridLayout* rowsLayout_;
    std::vector<QCheckBox*> chkDoSetup_;
    std::vector<QPushButton*> cmdLoadSetup_;
    std::vector<QPushButton*> cmdDeleteSetup_;
    QPushButton* cmdCheckAll_[2];
    QCheckBox* chkConfirmEach_;
    QPushButton* cmdMultipleBackup_;
    QPushButton* cmdCancel_;
    QPushButton* cmdClose_;
};

// The names of the setup files ("*.zbk") of the folder, in the order of their names ignoring
// case; false with the error's description when the folder cannot be read.
bool ListSetupFiles(const std::string& setupsFolder, std::vector<std::string>& names,
                    std::string& errorDescription);

// Label2's note when the folder holds more setup files than the window lists; "" otherwise.
std::string SetupsOverflowNote(int numSetups);

} // namespace kestrel::forms
