#include "setup/Setup.h"

namespace kestrel {

void ClearSetup(Setup& setup) {
    setup.txbExcludedFilepaths.clear();
    setup.txbFileExtension.clear();
    setup.txbDirectory[0].clear();
    setup.txbDirectory[1].clear();
    setup.chkExcludeFilesInSourceFolder = 0;
    setup.cboIncludedFoldersListIndex = -1;
    setup.chkWarnIfEarlier = 0;
    setup.chkWarnIfSmaller = 0;
    setup.cboPercent = 4;
    setup.cboModifiedSince = 0;
    setup.chkSuppressDetailedReports = 0;
    setup.chkPauseAfterFirstCopy = 0;
    setup.chkPauseAfterFirstDelete = 0;
    setup.chkSaveSetupOnQuit = 0;
    setup.chkIncludeSubfolders = 0;
    setup.intNumIncludedFolders = 0;
    setup.extra = ExtraOptions{};
}

RestoreCopy TakeRestoreCopy(const Setup& setup) {
    RestoreCopy copy;
    copy.txbDirectory = setup.txbDirectory;
    copy.chkSuppressDetailedReports = setup.chkSuppressDetailedReports;
    copy.chkSaveSetupOnQuit = setup.chkSaveSetupOnQuit;
    copy.chkWarnIfEarlier = setup.chkWarnIfEarlier;
    copy.chkWarnIfSmaller = setup.chkWarnIfSmaller;
    copy.chkExcludeFilesInSourceFolder = setup.chkExcludeFilesInSourceFolder;
    copy.chkIncludeSubfolders = setup.chkIncludeSubfolders;
    copy.cboPercent = setup.cboPercent;
    copy.cboModifiedSince = setup.cboModifiedSince;
    copy.chkPauseAfterFirstCopy = setup.chkPauseAfterFirstCopy;
    copy.chkPauseAfterFirstDelete = setup.chkPauseAfterFirstDelete;
    copy.txbExcludedFilepaths = setup.txbExcludedFilepaths;
    copy.txbReportFile = setup.txbReportFile;
    copy.cboIncludedFolders = setup.cboIncludedFolders;
    copy.intNumIncludedFolders = setup.intNumIncludedFolders;
    copy.txbFileExtension = setup.txbFileExtension;
    copy.extra = setup.extra;
    return copy;
}

void RestoreSetup(Setup& setup, const RestoreCopy& copy) {
    setup.txbExcludedFilepaths = copy.txbExcludedFilepaths;
    setup.txbReportFile = copy.txbReportFile;
    setup.txbFileExtension = copy.txbFileExtension;
    setup.extra = copy.extra;
    setup.txbDirectory = copy.txbDirectory;
    setup.intNumIncludedFolders = copy.intNumIncludedFolders;
    setup.cboIncludedFolders = copy.cboIncludedFolders;
    setup.cboIncludedFoldersListIndex = setup.cboIncludedFolders.empty() ? -1 : 0;
    setup.chkSuppressDetailedReports = copy.chkSuppressDetailedReports;
    setup.chkSaveSetupOnQuit = copy.chkSaveSetupOnQuit;
    setup.chkWarnIfEarlier = copy.chkWarnIfEarlier;
    setup.chkWarnIfSmaller = copy.chkWarnIfSmaller;
    setup.chkExcludeFilesInSourceFolder = copy.chkExcludeFilesInSourceFolder;
    setup.chkIncludeSubfolders = copy.chkIncludeSubfolders;
    setup.chkPauseAfterFirstCopy = copy.chkPauseAfterFirstCopy;
    setup.chkPauseAfterFirstDelete = copy.chkPauseAfterFirstDelete;
    setup.cboPercent = copy.cboPercent;
    setup.cboModifiedSince = copy.cboModifiedSince;
}

} // namespace kestrel
