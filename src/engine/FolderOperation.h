#pragma once

#include "engine/OperationContext.h"

#include <cstdint>
#include <string>

// The driver of every walking operation but deletion (listing, backup-state check, the two
// backups, each setup of a multiple backup), and the entry points of the operation buttons that
// the windows and the command-line tool call.
namespace kestrel {

// Result codes of RunFolderOperation and of the entry points.
constexpr int intResultDone = 0;                    // ran to the end, was cancelled, or was declined
constexpr int intResultNameReportFileFirst = -1;    // the user chose to name a report file first
constexpr int intResultReportFileCancelled = -2;    // cancelled at the existing-report-file window
constexpr int intResultSourceNotSpecified = -100;   // no source folder named
constexpr int intResultNothingToDo = -101;          // "Setup implies nothing to do"
constexpr int intResultNoFilesInSource = -102;      // "No files found": no files, no subfolders
constexpr int intResultNoFileSelected = -103;       // "No files found": no file passes the filters
constexpr int intResultTargetNotSpecified = -104;   // "Target folder not specified"
constexpr int intResultTargetMissing = -105;        // "Target folder does not exist"
constexpr int intResultTargetWriteProtected = -106; // program text 406
constexpr int intResultReportFileNotOpened = -107;  // "Cannot open report file."
constexpr int intResultSourceMissing = -108;        // the source folder does not exist
constexpr int intResultNothingToExamine = -109;     // check: the target is empty; file listing: no files
constexpr int intResultFolderPairRefused = -110; // a recycle bin, or the source equal to or inside the target
constexpr int intResultTargetInUse = -111;       // another operation works in the target folder
constexpr int intResultTargetFull = -120;        // program text 1108: the target's disk is full
constexpr int intResultTargetDiskAbsent = -121;  // program text 1112: the target's disk is not there

// How a run is made, and what the user answered that the caller needs to know.
struct FolderOperationOptions {
    // No message box for a refusal: it comes back as code and text (multiple backup).
    bool blnSilent = false;
    // Inside a multiple backup: the existing report file gets `reportFileChoice` (1 overwrite,
    // 2 append, 3 no report file; 0 asks), and the confirmation is asked only with chkConfirmEach.
    bool insideMultipleBackup = false;
    bool chkConfirmEach = false;
    int reportFileChoice = 0;

    // Set by the run.
    bool declined = false;               // the user answered No to the confirmation
    bool blnCeaseMultipleBackup = false; // ... and chose to end the multiple backup
};

// Runs the operation of state.intOperation (2 listing, 3 check, 4 all files, 5 new and
// modified): validates the setup, asks for confirmation, prepares the report and the report
// file, walks the source folder and writes the summary. A refusal is shown in a message box
// unless the run is silent or unattended; its text is always given in `strResultText`.
int RunFolderOperation(OperationContext& context, FolderOperationOptions& options,
                       std::string& strResultText);

// The quiet walk that looks for one selected file (operation code 1): true when none would be
// selected.
bool CheckForFiles(OperationContext& context);

// The folder checks; false when the folder cannot be used. They ask the user (clear the source
// setting, create the target) unless the run is unattended.
bool CheckSourceFolder(OperationContext& context, const std::string& strTitle);
bool CheckTargetFolder(OperationContext& context, bool blnOfferToCreate);
bool CheckFolders(OperationContext& context, const std::string& strTitle);

// The message for a source or target folder that is not named; false when both are named.
bool ShowFoldersNotSpecified(OperationContext& context, const std::string& strTitle,
                             std::string& strResultText);

// The title of an operation (its button's caption, with the modified-since choice, or
// " (no output to file)" for a listing while a report file is named).
std::string OperationTitle(const Setup& setup, int intOperation);

// The operation buttons. Each returns the result code; `strResultText`, when given, receives
// the text of a refusal (printed by the command-line tool).
int cmdBackupAllFiles_MouseUp(Setup& setup, OperationState& state, Interaction& ui, ReportModel& report,
                              std::string* strResultText = nullptr);
int cmdBackupModifiedFiles_MouseUp(Setup& setup, OperationState& state, Interaction& ui, ReportModel& report,
                                   std::string* strResultText = nullptr);
int cmdCheckBackupState_MouseUp(Setup& setup, OperationState& state, Interaction& ui, ReportModel& report,
                                std::string* strResultText = nullptr);
// `blnListsFiles`: the button shows its file-listing caption (program text 21, see
// ListButtonListsFiles), and lists the files of the source folder instead of its subfolders.
int cmdListSubFolders_MouseUp(Setup& setup, OperationState& state, Interaction& ui, ReportModel& report,
                              bool blnListsFiles, std::string* strResultText = nullptr);

// Whether the list button lists the source folder's own files: the source has no subfolders,
// or none is included.
bool ListButtonListsFiles(const Setup& setup);

// Lists the names of the source folder's files, sorted, with their total size (screen only).
void ListFilesInSourceFolder(OperationContext& context, std::int64_t lngNumFiles);

} // namespace kestrel
