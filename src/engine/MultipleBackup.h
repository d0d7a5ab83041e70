#pragma once

#include "engine/OperationContext.h"
#include "setup/SetupFile.h"

#include <functional>
#include <string>
#include <vector>

// Multiple backup: several setup files of the setups folder run one after the other, each as a
// backup of new and modified files, with one message at the end naming the setups that failed.
namespace kestrel {

// The multiple backup window lists at most this many setup files.
constexpr int kMaxDisplayedSetups = 12;

// The caption of the main window's button, which titles its messages.
std::string CaptionMultipleBackup();
// The caption of the window's run button, which titles the final message.
std::string CaptionDoAllBackups();

// The label lblNumSetups for the setups folder, with its count of "*.zbk" files in
// `intNumSetups` (-1 when no setups folder is named).
std::string DisplayNumFilesInSetupsFolder(const std::string& setupsFolder, int& intNumSetups);
// The label's font size in points: 10 for a count, 8 without a setups folder.
int SetupsLabelFontSize(int intNumSetups);

// One listed setup file of the multiple backup window.
struct MultipleBackupRow {
    std::string fileName; // without its folder
    bool chkDoSetup = false;
    // Filled by the run: 0 when the setup ran, else why not, with its description.
    int result = 0;
    std::string description;
};

// What the run works with besides the main window's setup and state.
struct MultipleBackupRun {
    std::string setupsFolder; // txbDirectory(2), a folder value ending in "/"
    std::vector<MultipleBackupRow> rows;
    bool chkConfirmEach = false;
    // Shows the load's messages (a missing source folder); may be null.
    SetupLoadMessages* loadMessages = nullptr;
    // The main window's txbSetupFile: the path of the setup being run, "" when emptied and hidden.
    std::function<void(const std::string& path)> showSetupFile;
    // A setup was loaded: the main window refreshes its source and target displays.
    std::function<void()> setupLoaded;

    // Set during the run.
    bool running = false;
    bool blnCeaseMultipleBackup = false;
    int reportFileChoice = 0; // the existing-report-file answer for every setup; 0 asks each
    // Report files written earlier in this run: a later setup appends to them instead of
    // overwriting the report of an earlier one.
    std::vector<std::string> reportFilesWritten;
};

enum class MultipleBackupOutcome {
    NothingSelected, // "No setup has been selected."; the window stays
    Cancelled,       // cancelled at the existing-report-file window; the window stays
    Ran              // the window closes; rows hold the results
};

// The run of the window's button: asks about an existing report file once, runs each ticked
// setup in list order, and ends with the message naming the setups that failed.
MultipleBackupOutcome cmdMultipleBackup_Click(OperationContext& ctx, MultipleBackupRun& run);

// Runs one setup file of the setups folder: loads it silently into the context's setup and runs
// its backup of new and modified files. 0 when it ran; else the load's result (-200 for a
// missing target folder, -(200 + n) for a reading error) or the backup's refusal code, with its
// description in `strErrDescr`.
int MultipleBackup(OperationContext& ctx, MultipleBackupRun& run, const std::string& strSetupFile,
                   std::string& strErrDescr);

} // namespace kestrel
