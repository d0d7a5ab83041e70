#include "report/ReportTexts.h"

#include "modules/DiskProc.h"
#include "modules/Folder.h"
#include "modules/Language.h"
#include "modules/StrProc.h"
#include "report/ReportModel.h"
#include "setup/ChoiceLists.h"

namespace kestrel {

namespace {

// A folder path is abbreviated only when it is longer than this.
constexpr std::int64_t kShortFolderLength = 20;

std::string Formatted(std::int64_t n) {
    return GroupedNumber(static_cast<double>(n), 0);
}

std::string Str(std::int64_t n) {
    return n < 0 ? std::to_string(n) : " " + std::to_string(n);
}

std::string ReplaceAll(const std::string& text, const std::string& what, const std::string& with) {
    if (what.empty()) {
        return text;
    }
    std::string result;
    std::size_t from = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, from)) {
        result.append(text, from, at - from);
        result += with;
        from = at + what.size();
    }
    result.append(text, from, std::string::npos);
    return result;
}

std::string ModifiedSinceText(const Setup& setup) {
    const std::vector<ModifiedSinceItem> items = ModifiedSinceItems();
    if (setup.cboModifiedSince < 0 || static_cast<std::size_t>(setup.cboModifiedSince) >= items.size()) {
        return "";
    }
    return items[static_cast<std::size_t>(setup.cboModifiedSince)].text;
}

bool FolderHoldsFiles(const std::string& folder) {
    std::string errorDescription;
    double size = 0;
    bool accessDenied = false;
    return CountFiles(folder, "*.*", true, false, errorDescription, size, accessDenied) > 0;
}

void OutputLine(ReportModel& report, const std::string& text) {
    report.Output(text, true);
}

// Every summary of a walk names the number of entries it passed over, when there were any.
void OutputPassedOverCount(ReportModel& report) {
    const std::int64_t passedOver = report.state().lngTotalNumPassedOver;
    if (passedOver > 0) {
        OutputLine(report, GetProgramText(1106) + " " + Formatted(passedOver));
    }
}

// The listing and the check copy nothing: their errors are folders that could not be read.
void OutputUnreadableFolderCount(ReportModel& report) {
    const std::int64_t errors = report.state().lngTotalNumCopyErrors;
    if (errors > 0) {
        OutputLine(report, GetProgramText(1107) + " " + Formatted(errors));
    }
}

} // namespace

void DisplayFreeSpace(ReportModel& report, const std::string& strTargetDrive) {
    Interaction& ui = report.ui();
    ui.SetReportLabel(ReportLabel::lblFreeSpace,
                      GetProgramText(168) + " " + strTargetDrive + " " + FreeSpaceText(strTargetDrive));
    ui.SetReportLabelVisible(ReportLabel::lblFreeSpace, true);
}

std::string NumFilesInFolderLine(ReportModel& report, bool IsBackupOperation, const std::string& strFolder,
                                 std::int64_t lngNumFilesInFolder) {
    std::string line;
    if (lngNumFilesInFolder == -1) {
        line = "    ? files  in ";
    } else if (lngNumFilesInFolder == 1) {
        line = "    1 file  in ";
    } else {
        // Right-aligned in five characters; a longer count is shown in full.
        const std::string digits = std::to_string(lngNumFilesInFolder);
        line =
            (digits.size() < 5 ? std::string(5 - digits.size(), ' ') : std::string()) + digits + " files in ";
    }

    const Setup& setup = report.setup();
    const std::string& source = setup.txbDirectory[0];
    const std::string& target = setup.txbDirectory[1];
    if (IsBackupOperation) {
        if (report.state().blnSubfoldersExist && ReportCharacterCount(source) > kShortFolderLength) {
            return line + ReplaceAll(strFolder, source, "{source folder}");
        }
    } else if (ReportCharacterCount(target) > kShortFolderLength && FolderHoldsFiles(target)) {
        return line + ReplaceAll(strFolder, target, "{target folder}");
    }
    return line + strFolder;
}

void DisplayNumFilesInFolder(ReportModel& report, bool IsBackupOperation, const std::string& strFolder,
                             std::int64_t lngNumFilesInFolder, bool blnCRLF, bool blnDisplayZeroFiles,
                             bool blnImmediateOutput) {
    if (lngNumFilesInFolder == 0 && !blnDisplayZeroFiles) {
        return;
    }
    const std::string line = NumFilesInFolderLine(report, IsBackupOperation, strFolder, lngNumFilesInFolder);
    if (blnImmediateOutput) {
        // The remark of the folder before may have left its line open.
        report.StartLine();
        report.Output(line, blnCRLF);
    } else {
        report.state().strNumFilesInFolder = line;
    }
}

void OutputHeldBackFolderLine(ReportModel& report) {
    report.StartLine();
    report.Output(report.state().strNumFilesInFolder, true);
}

bool ShowWaitingNote(ReportModel& report, std::int64_t lngNumFilesInFolder) {
    if (report.blnReportBufferFull() || lngNumFilesInFolder < intManyFilesThreshold ||
        report.state().blnSuppressDetailedReports) {
        return false;
    }
    report.ShowTransientNote(GetProgramText(60) + " ");
    return true;
}

void RemoveWaitingNote(ReportModel& report) {
    report.RemoveTransientNote();
}

void DisplayFilesCopied(ReportModel& report, std::int64_t lngNumFiles, std::int64_t lngNumNewFiles,
                        std::int64_t lngNumModifiedFiles, std::int64_t lngNumFilesCopied) {
    if (report.state().intOperation == intOperationBackupAllFiles) {
        if (lngNumFilesCopied == lngNumFiles) {
            report.Indent();
            OutputLine(report, lngNumFilesCopied == 1   ? "  Copied."
                               : lngNumFilesCopied == 2 ? "  Both copied."
                                                        : "  All copied.");
        } else if (lngNumFilesCopied == 0) {
            OutputLine(report, "  None copied.");
        } else if (lngNumFilesCopied == 1) {
            OutputLine(report, "  Only one file copied.");
        } else {
            OutputLine(report, "  Only" + Str(lngNumFilesCopied) + " files copied.");
        }
        return;
    }

    const std::int64_t total = lngNumNewFiles + lngNumModifiedFiles;
    if (lngNumNewFiles == lngNumFiles) {
        if (lngNumFiles > 1) {
            report.Indent();
            report.Output(lngNumNewFiles == 2 ? "  Neither previously backed up.  "
                                              : "  None previously backed up.  ",
                          false);
        }
    } else if (lngNumModifiedFiles == lngNumFiles) {
        report.Indent();
        if (lngNumModifiedFiles > 1) {
            report.Output("  All are modified.  ", false);
        }
    } else if (total > 0) {
        report.Indent();
        report.Output("  " + std::to_string(lngNumModifiedFiles) + " modified file" +
                          PluralSuffix(lngNumModifiedFiles) + " and " + std::to_string(lngNumNewFiles) +
                          " file" + PluralSuffix(lngNumNewFiles) + " not previously backed up.  ",
                      false);
    }

    if (lngNumFilesCopied == 0) {
        return;
    }
    report.Indent();

    if (total != lngNumFilesCopied) {
        if (lngNumFilesCopied == 1) {
            report.Output("One file copied.", true);
        } else {
            report.Output(std::to_string(lngNumFilesCopied) + " files copied.", false);
        }
    } else {
        report.Output(lngNumFilesCopied == 1   ? "Copied."
                      : lngNumFilesCopied == 2 ? "Both copied."
                                               : "All Copied.",
                      true);
    }
}

void DisplayNewAndModifiedFiles(ReportModel& report, std::int64_t lngNumFiles, std::int64_t lngNumNewFiles,
                                std::int64_t lngNumModifiedFiles) {
    if (lngNumNewFiles == lngNumFiles) {
        report.Indent();
        if (lngNumNewFiles == 2) {
            OutputLine(report, "  Neither are backed up.");
        } else if (lngNumNewFiles > 2) {
            OutputLine(report, "  None are backed up.");
        }
    } else if (lngNumModifiedFiles == lngNumFiles) {
        report.Indent();
        if (lngNumModifiedFiles == 2) {
            OutputLine(report, "  Both are modified.");
        } else if (lngNumModifiedFiles > 2) {
            OutputLine(report, "  All are modified.");
        }
    } else if (lngNumNewFiles + lngNumModifiedFiles > 0) {
        report.Indent();
        OutputLine(report, "  " + std::to_string(lngNumModifiedFiles) + " modified file" +
                               PluralSuffix(lngNumModifiedFiles) + " and " + std::to_string(lngNumNewFiles) +
                               " file" + PluralSuffix(lngNumNewFiles) + " not backed up.  ");
    }
}

void DisplayFilesDeleted(ReportModel& report, std::int64_t lngNumFiles, std::int64_t lngNumFilesDeleted) {
    std::string text;
    if (lngNumFilesDeleted == lngNumFiles) {
        text = lngNumFilesDeleted == 1   ? "  One file deleted."
               : lngNumFilesDeleted == 2 ? "  Both deleted."
                                         : "  All deleted.";
    } else if (lngNumFilesDeleted == 0) {
        text = lngNumFiles == 1   ? "  Not deleted."
               : lngNumFiles == 2 ? "  Neither deleted."
                                  : "  None deleted.";
    } else if (lngNumFilesDeleted == 1) {
        text = "  One file deleted.";
    } else {
        text = "  " + std::to_string(lngNumFilesDeleted) + " files deleted.";
    }
    OutputLine(report, text);
}

void ReportForListFolders(ReportModel& report) {
    const OperationState& state = report.state();
    OutputLine(report, "\r\nNumber of folders: " + Formatted(state.lngTotalNumFolders));
    OutputLine(report, "Number of files: " + Formatted(state.lngTotalNumFiles));
    OutputLine(report, "Sum of file sizes: " + FormatBytesAndMb(state.dblTotalFilesize, false));
    OutputUnreadableFolderCount(report);
    OutputPassedOverCount(report);
}

void ReportForBackupAllFiles(ReportModel& report) {
    const OperationState& state = report.state();
    OutputLine(report, "");
    OutputLine(report, "Number of non-empty folders accessed: " + Formatted(state.lngTotalNumFolders));
    OutputLine(report, "Number of files copied: " + Formatted(state.lngTotalNumFilesCopied));
    if (state.lngTotalNumCopyErrors > 0) {
        OutputLine(report, "Number of errors when attempting to copy a file: " +
                               Formatted(state.lngTotalNumCopyErrors));
    }
    if (state.lngTotalNumFilesCopied > 0) {
        OutputLine(report,
                   "Sum of sizes of files copied: " + FormatBytesAndMb(state.dblTotalFilesize, false));
    }
    OutputPassedOverCount(report);
    report.ui().SetReportLabelVisible(ReportLabel::lblBytesCopied, false);
}

void ReportForBackupModifiedFiles(ReportModel& report) {
    const OperationState& state = report.state();
    OutputLine(report, "\r\n");
    OutputLine(report, "For files new or modified " + ModifiedSinceText(report.setup()) + ":");
    OutputLine(report, "Number of modified files: " + Formatted(state.lngTotalNumModifiedFiles));
    OutputLine(report, "Number of files not previously backed up: " + Formatted(state.lngTotalNumNewFiles));
    if (state.lngTotalNumModifiedFiles >= 1 && state.lngTotalNumNewFiles >= 1) {
        OutputLine(report, "Number of files modified or not previously backed up: " +
                               Formatted(state.lngTotalNumModifiedFiles + state.lngTotalNumNewFiles));
    }
    OutputLine(report, "Number of files copied: " + Formatted(state.lngTotalNumFilesCopied));
    if (state.lngTotalNumCopyErrors > 0) {
        OutputLine(report, "Number of errors when attempting to copy a file: " +
                               Formatted(state.lngTotalNumCopyErrors));
    }
    OutputLine(report, "Sum of sizes of files copied: " + FormatBytesAndMb(state.dblTotalFilesize, false));
    OutputPassedOverCount(report);
    report.ui().SetReportLabelVisible(ReportLabel::lblBytesCopied, false);

    if (state.blnScheduledTask && state.intNumWarnings > 0) {
        report.Output("\r\nThis report contains ", false);
        if (state.intNumWarnings == 1) {
            OutputLine(report, "one warning.");
        } else {
            OutputLine(report, std::to_string(state.intNumWarnings) + " warnngs.");
        }
    }
}

void ReportForDeleteAllBackups(ReportModel& report) {
    const OperationState& state = report.state();
    OutputLine(report, "");
    OutputLine(report, "Number of files deleted: " + Formatted(state.lngTotalNumFilesDeleted));
    if (state.lngTotalNumDeletionErrors != 0) {
        OutputLine(report, "Number of errors when attempting to delete a file: " +
                               Formatted(state.lngTotalNumDeletionErrors));
    } else if (state.lngTotalNumNotOverwritten == 0) {
        OutputLine(report, "No file deletion errors.");
    }
    // A wipe that left a file's data readable did not do what it was asked to.
    if (state.lngTotalNumNotOverwritten > 0) {
        OutputLine(report, GetProgramText(1150) + " " + Formatted(state.lngTotalNumNotOverwritten));
    }
}

void ReportForCheckBackupState(ReportModel& report) {
    const OperationState& state = report.state();
    OutputLine(report, "");
    OutputLine(report, "For files new or modified " + ModifiedSinceText(report.setup()) + ":");
    OutputLine(report, "Number of modified files: " + Formatted(state.lngTotalNumModifiedFiles));
    OutputLine(report, "Number of files not backed up: " + Formatted(state.lngTotalNumNewFiles));
    if (state.lngTotalNumModifiedFiles != 0 || state.lngTotalNumNewFiles != 0) {
        if (state.lngTotalNumModifiedFiles >= 1 && state.lngTotalNumNewFiles >= 1) {
            OutputLine(report, "Number of files modified or not backed up: " +
                                   Formatted(state.lngTotalNumModifiedFiles + state.lngTotalNumNewFiles));
        }
    } else if (state.lngTotalNumCopyErrors == 0) {
        // Not while a folder could not be read: its files are unknown.
        OutputLine(report, "All files backed up.");
    }
    OutputUnreadableFolderCount(report);
    OutputPassedOverCount(report);
}

} // namespace kestrel
