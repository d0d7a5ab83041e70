#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace kestrel {

// Operation codes of intOperation.
constexpr int intOperationCheckForFile = 1;
constexpr int intOperationListFolders = 2;
constexpr int intOperationCheckBackupState = 3;
constexpr int intOperationBackupAllFiles = 4;
constexpr int intOperationBackupModifiedFiles = 5;
constexpr int intOperationEmptyTargetFolder = 11;
constexpr int intOperationDeleteAllBackupFiles = 13;

// Limits shared by the operations and the report window.
constexpr int intMaxSizeForSmallReportWindow = 500;       // characters of report text
constexpr std::int64_t lngMaxSizeTextboxContents = 61440; // characters the report text box takes
constexpr int intManyFilesThreshold = 400;                // a folder this big gets a waiting note
constexpr int intMaxShownPathLength = 120;                // folder paths in the report labels

// The state of the main window that every operation writes and the report texts read: one
// object for the whole run of the program, reset piecewise by each operation's driver.
//
// The desktop program runs an operation on a worker thread while the window stays live, so the
// flags the window writes during an operation (Cancel, Pause, Continue with "Suppress display
// of report") are atomic; everything else is written by the operation only.
struct OperationState {
    std::atomic<bool> blnStop{false};
    bool blnFileExists = false;
    bool blnSubfoldersExist = false;
    std::atomic<bool> blnSuppressDetailedReports{false};
    bool blnListFolders = false;
    bool blnBackupOperation = false;
    bool blnDisplayingSummary = false;
    bool blnStartupCompleted = false;
    bool blnOutputToFile = false; // the report file is open and takes the lines
    bool blnWipe = false;
    bool blnScheduledTask = false; // started from the command line, runs unattended
    // What a backup does when its target's disk is not there: ask (the window), refuse, or go
    // on (the tool's explicit option). An unattended run never asks.
    enum class AbsentTargetDisk { Ask, Refuse, GoOn };
    AbsentTargetDisk absentTargetDisk = AbsentTargetDisk::Ask;
    // The report file's name is the unattended run's own, not the user's: where it is taken in
    // the target by something that is no report file of the run's, the next free name is used.
    bool blnReportFileNameChosen = false;
    bool blnSkipThumbsDb = false;
    bool blnPauseTaken = false;
    // The walk stopped because the target drive is full (not the user's cancel).
    bool blnTargetFull = false;
    // Output to a report file had to be given up, so that file misses lines. Never reset by an
    // operation: the command-line tool reads it for its exit status after all its runs.
    bool blnReportFileCutShort = false;
    // A restore: the backup is walked as a backup's source and the destination is its target.
    struct Restore {
        bool active = false;
        bool overwriteNewer = false; // a file of the destination newer than its copy is replaced too
    };
    Restore restore;

    int intOperation = 0;
    int intSuspectPercent = 0;
    int intChoice = 0; // answer of the existing-report-file window or of the older/smaller prompt
    int intNumExcludedFilepaths = 0;
    int intNumWarnings = 0;

    std::int64_t lngTotalNumFolders = 0;
    std::int64_t lngTotalNumFiles = 0;
    std::int64_t lngTotalNumNewFiles = 0;
    std::int64_t lngTotalNumModifiedFiles = 0;
    std::int64_t lngTotalNumFilesCopied = 0;
    std::int64_t lngTotalNumFilesDeleted = 0;
    std::int64_t lngTotalNumDeletionErrors = 0;
    std::int64_t lngTotalNumNotOverwritten = 0; // files a wipe deleted without overwriting them
    std::int64_t lngTotalNumCopyErrors = 0;
    // Links to folders, FIFOs, sockets, devices and dangling links named in the report.
    std::int64_t lngTotalNumPassedOver = 0;
    double dblTotalFilesize = 0;
    // What the target holds that the source no longer has, and what a backup removed of it.
    std::int64_t lngTotalNumGoneFiles = 0;
    std::int64_t lngTotalNumGoneFolders = 0;
    std::int64_t lngTotalNumRemovedFiles = 0;
    std::int64_t lngTotalNumRemovedFolders = 0;
    // Copies moved to the versions folder, and versions folders removed for their age.
    std::int64_t lngTotalNumVersionsKept = 0;
    std::int64_t lngTotalNumVersionsExpired = 0;
    // The removal of what is gone was refused for its limit: that many entries, past that limit.
    bool blnRemovalRefused = false;
    std::int64_t lngNumRefusedRemovals = 0;
    std::int64_t lngRemovalLimit = 0;
    // Past the removal limit the run refuses instead of asking (the command-line tool).
    bool blnRefuseBeyondRemovalLimit = false;

    // The report window's part of the state.
    // True while the operation waits: in the pause, or while a prompt of the operation is open.
    std::atomic<bool> blnPaused{false};
    // Set by the window's Pause button; the operation holds at its next DoEvents.
    std::atomic<bool> blnPauseRequested{false};
    // The last per-folder count line composed and held back (not yet output).
    std::string strNumFilesInFolder;
    // The wait when the report text box is full: 15, then 10, then 5 seconds; not reset between
    // operations.
    int intPauseInSeconds = 15;

    // Every total and warning count back to 0 (what the drivers reset before a walk).
    void ResetTotals() {
        lngTotalNumFolders = 0;
        lngTotalNumFiles = 0;
        lngTotalNumNewFiles = 0;
        lngTotalNumModifiedFiles = 0;
        lngTotalNumFilesCopied = 0;
        lngTotalNumFilesDeleted = 0;
        lngTotalNumDeletionErrors = 0;
        lngTotalNumNotOverwritten = 0;
        lngTotalNumCopyErrors = 0;
        lngTotalNumPassedOver = 0;
        dblTotalFilesize = 0;
        lngTotalNumGoneFiles = 0;
        lngTotalNumGoneFolders = 0;
        lngTotalNumRemovedFiles = 0;
        lngTotalNumRemovedFolders = 0;
        lngTotalNumVersionsKept = 0;
        lngTotalNumVersionsExpired = 0;
        blnRemovalRefused = false;
        intNumWarnings = 0;
        blnTargetFull = false;
    }
};

} // namespace kestrel
