#pragma once

#include "setup/ExtraOptions.h"

#include <array>
#include <string>
#include <vector>

namespace kestrel {

// The record of all settings of one backup. Each field bears the name of the main window's
// control that shows it; the fields stand in the order a setup file stores them.
struct Setup {
    std::array<std::string, 2> txbDirectory; // 0 source, 1 target; a folder value ends in "/"
    int chkSuppressDetailedReports = 0;
    int chkSaveSetupOnQuit = 0;
    int chkWarnIfEarlier = 0;
    int chkWarnIfSmaller = 0;
    int chkExcludeFilesInSourceFolder = 0;
    int chkIncludeSubfolders = 0;
    int cboPercent = 4;       // list index 0..8 of PercentItems()
    int cboModifiedSince = 0; // list index 0..4 of ModifiedSinceItems()
    int chkPauseAfterFirstCopy = 0;
    int chkPauseAfterFirstDelete = 0;
    int chkDisableOutputToFile = 0;
    std::string txbExcludedFilepaths;
    std::string txbReportFile;
    std::vector<std::string> cboIncludedFolders;
    int cboIncludedFoldersListIndex = -1; // the selected entry, -1 for none
    int intNumIncludedFolders = 0;
    std::string txbFileExtension;
    ExtraOptions extra; // stored after the fields above

    // The smaller-size percentage the backup compares with.
    int intSuspectPercent() const { return (cboPercent + 1) * 10; }

    bool operator==(const Setup&) const = default;
};

// Gives every field its cleared value. The report file and its box `chkDisableOutputToFile` keep
// theirs; the included-subfolder list keeps its entries (callers that clear the whole setup empty
// it), but its count becomes 0 and nothing is selected.
void ClearSetup(Setup& setup);

// What "Restore setup" gives back: everything but `chkDisableOutputToFile`.
struct RestoreCopy {
    std::array<std::string, 2> txbDirectory;
    int chkSuppressDetailedReports = 0;
    int chkSaveSetupOnQuit = 0;
    int chkWarnIfEarlier = 0;
    int chkWarnIfSmaller = 0;
    int chkExcludeFilesInSourceFolder = 0;
    int chkIncludeSubfolders = 0;
    int cboPercent = 4;
    int cboModifiedSince = 0;
    int chkPauseAfterFirstCopy = 0;
    int chkPauseAfterFirstDelete = 0;
    std::string txbExcludedFilepaths;
    std::string txbReportFile;
    std::vector<std::string> cboIncludedFolders;
    int intNumIncludedFolders = 0;
    std::string txbFileExtension;
    ExtraOptions extra;

    bool operator==(const RestoreCopy&) const = default;
};

RestoreCopy TakeRestoreCopy(const Setup& setup);
// Restores every field held by the copy; the first included subfolder becomes the selected entry.
void RestoreSetup(Setup& setup, const RestoreCopy& copy);

} // namespace kestrel
