#include "report/ReportTexts.h"

#include "modules/DiskProc.h"
#include "modules/Folder.h"
#include "modules/Language.h"
#include "modules/StrProc.h"
#include "report/BeyondMirrorCounts.h"
#include "report/ReportModel.h"
#include "report/RestoreWording.h"
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

// A folder's remark stands two blanks in from the start of its line.
void OutputRemark(ReportModel& report, int textNumber) {
    OutputLine(report, "  " + GetProgramText(WordingOf(report.state(), textNumber)));
}

// The name of a summary count, before its number.
std::string Label(int textNumber) {
    return GetProgramText(textNumber) + ": ";
}

// "3 modified files and 2 files not backed up.": the new files' text for one file is `newOne`,
// for any other number the text after it.
std::string ModifiedAndNewText(const OperationState& state, std::int64_t modified, std::int64_t added,
                               int newOne) {
    return std::to_string(modified) + " " + GetProgramText(WordingOf(state, modified == 1 ? 1140 : 1141)) +
           " " + GetProgramText(1142) + " " + std::to_string(added) + " " +
           GetProgramText(WordingOf(state, added == 1 ? newOne : newOne + 1));
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

std::string FolderPlaceholder(int textNumber) {
    return "{" + GetProgramText(textNumber) + "}";
}

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
        line = "    ? " + GetProgramText(1122) + " ";
    } else if (lngNumFilesInFolder == 1) {
        line = "    1 " + GetProgramText(1120) + " ";
    } else {
        // Right-aligned in five characters; a longer count is shown in full.
        const std::string digits = std::to_string(lngNumFilesInFolder);
        line = (digits.size() < 5 ? std::string(5 - digits.size(), ' ') : std::string()) + digits + " " +
               GetProgramText(1121) + " ";
    }

    const Setup& setup = report.setup();
    const std::string& source = setup.txbDirectory[0];
    const std::string& target = setup.txbDirectory[1];
    if (IsBackupOperation) {
        if (report.state().blnSubfoldersExist && ReportCharacterCount(source) > kShortFolderLength) {
            return line + ReplaceAll(strFolder, source, FolderPlaceholder(45));
        }
    } else if (ReportCharacterCount(target) > kShortFolderLength && FolderHoldsFiles(target)) {
        return line + ReplaceAll(strFolder, target, FolderPlaceholder(92));
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
            OutputRemark(report, lngNumFilesCopied == 1 ? 1130 : lngNumFilesCopied == 2 ? 1131 : 1132);
        } else if (lngNumFilesCopied == 0) {
            OutputRemark(report, 1133);
        } else if (lngNumFilesCopied == 1) {
            OutputRemark(report, 1134);
        } else {
            OutputLine(report,
                       "  " + GetProgramText(1135) + Str(lngNumFilesCopied) + " " + GetProgramText(1136));
        }
        return;
    }

    const std::int64_t total = lngNumNewFiles + lngNumModifiedFiles;
    if (lngNumNewFiles == lngNumFiles) {
        if (lngNumFiles > 1) {
            report.Indent();
            report.Output(
                "  " + GetProgramText(WordingOf(report.state(), lngNumNewFiles == 2 ? 1137 : 1138)) + "  ",
                false);
        }
    } else if (lngNumModifiedFiles == lngNumFiles) {
        report.Indent();
        if (lngNumModifiedFiles > 1) {
            report.Output("  " + GetProgramText(WordingOf(report.state(), 1139)) + "  ", false);
        }
    } else if (total > 0) {
        report.Indent();
        report.Output("  " + ModifiedAndNewText(report.state(), lngNumModifiedFiles, lngNumNewFiles, 1143) +
                          "  ",
                      false);
    }

    if (lngNumFilesCopied == 0) {
        return;
    }
    report.Indent();

    if (total != lngNumFilesCopied) {
        if (lngNumFilesCopied == 1) {
            report.Output(GetProgramText(1145), true);
        } else {
            report.Output(std::to_string(lngNumFilesCopied) + " " + GetProgramText(1136), false);
        }
    } else {
        report.Output(GetProgramText(lngNumFilesCopied == 1   ? 1146
                                     : lngNumFilesCopied == 2 ? 1147
                                                              : 1148),
                      true);
    }
}

void DisplayNewAndModifiedFiles(ReportModel& report, std::int64_t lngNumFiles, std::int64_t lngNumNewFiles,
                                std::int64_t lngNumModifiedFiles) {
    if (lngNumNewFiles == lngNumFiles) {
        report.Indent();
        if (lngNumNewFiles == 2) {
            OutputRemark(report, 1149);
        } else if (lngNumNewFiles > 2) {
            OutputRemark(report, 1150);
        }
    } else if (lngNumModifiedFiles == lngNumFiles) {
        report.Indent();
        if (lngNumModifiedFiles == 2) {
            OutputRemark(report, 1151);
        } else if (lngNumModifiedFiles > 2) {
            OutputRemark(report, 1139);
        }
    } else if (lngNumNewFiles + lngNumModifiedFiles > 0) {
        report.Indent();
        OutputLine(report, "  " +
                               ModifiedAndNewText(report.state(), lngNumModifiedFiles, lngNumNewFiles, 1152) +
                               "  ");
    }
}

void DisplayFilesDeleted(ReportModel& report, std::int64_t lngNumFiles, std::int64_t lngNumFilesDeleted) {
    if (lngNumFilesDeleted == lngNumFiles) {
        OutputRemark(report, lngNumFilesDeleted == 1 ? 1154 : lngNumFilesDeleted == 2 ? 1155 : 1156);
    } else if (lngNumFilesDeleted == 0) {
        OutputRemark(report, lngNumFiles == 1 ? 1157 : lngNumFiles == 2 ? 1158 : 1159);
    } else if (lngNumFilesDeleted == 1) {
        OutputRemark(report, 1154);
    } else {
        OutputLine(report, "  " + std::to_string(lngNumFilesDeleted) + " " + GetProgramText(1160));
    }
}

void ReportForListFolders(ReportModel& report) {
    const OperationState& state = report.state();
    OutputLine(report, "\r\n" + Label(1161) + Formatted(state.lngTotalNumFolders));
    OutputLine(report, Label(1162) + Formatted(state.lngTotalNumFiles));
    OutputLine(report, Label(1163) + FormatBytesAndMb(state.dblTotalFilesize, false));
    OutputUnreadableFolderCount(report);
    OutputPassedOverCount(report);
}

void ReportForBackupAllFiles(ReportModel& report) {
    const OperationState& state = report.state();
    OutputLine(report, "");
    OutputLine(report, Label(1164) + Formatted(state.lngTotalNumFolders));
    OutputLine(report, Label(1165) + Formatted(state.lngTotalNumFilesCopied));
    if (state.lngTotalNumCopyErrors > 0) {
        OutputLine(report, Label(1166) + Formatted(state.lngTotalNumCopyErrors));
    }
    if (state.lngTotalNumFilesCopied > 0) {
        OutputLine(report, Label(1167) + FormatBytesAndMb(state.dblTotalFilesize, false));
    }
    OutputPassedOverCount(report);
    OutputBeyondMirrorCounts(report);
    report.ui().SetReportLabelVisible(ReportLabel::lblBytesCopied, false);
}

void ReportForBackupModifiedFiles(ReportModel& report) {
    const OperationState& state = report.state();
    OutputLine(report, "\r\n");
    OutputLine(report, GetProgramText(1180) + " " + ModifiedSinceText(report.setup()) + ":");
    OutputLine(report, Label(WordingOf(state, 1168)) + Formatted(state.lngTotalNumModifiedFiles));
    OutputLine(report, Label(WordingOf(state, 1169)) + Formatted(state.lngTotalNumNewFiles));
    if (state.lngTotalNumModifiedFiles >= 1 && state.lngTotalNumNewFiles >= 1) {
        OutputLine(report, Label(WordingOf(state, 1170)) +
                               Formatted(state.lngTotalNumModifiedFiles + state.lngTotalNumNewFiles));
    }
    OutputLine(report, Label(1165) + Formatted(state.lngTotalNumFilesCopied));
    if (state.lngTotalNumCopyErrors > 0) {
        OutputLine(report, Label(1166) + Formatted(state.lngTotalNumCopyErrors));
    }
    OutputLine(report, Label(1167) + FormatBytesAndMb(state.dblTotalFilesize, false));
    OutputPassedOverCount(report);
    OutputBeyondMirrorCounts(report);
    report.ui().SetReportLabelVisible(ReportLabel::lblBytesCopied, false);

    if (state.blnScheduledTask && state.intNumWarnings > 0) {
        report.Output("\r\n" + GetProgramText(1171) + " ", false);
        if (state.intNumWarnings == 1) {
            OutputLine(report, GetProgramText(1172));
        } else {
            OutputLine(report, std::to_string(state.intNumWarnings) + " " + GetProgramText(1173));
        }
    }
}

void ReportForDeleteAllBackups(ReportModel& report) {
    const OperationState& state = report.state();
    OutputLine(report, "");
    OutputLine(report, Label(1174) + Formatted(state.lngTotalNumFilesDeleted));
    if (state.lngTotalNumDeletionErrors != 0) {
        OutputLine(report, Label(1175) + Formatted(state.lngTotalNumDeletionErrors));
    } else if (state.lngTotalNumNotOverwritten == 0) {
        OutputLine(report, GetProgramText(1176));
    }
    // A wipe that left a file's data readable did not do what it was asked to.
    if (state.lngTotalNumNotOverwritten > 0) {
        OutputLine(report, GetProgramText(1758) + " " + Formatted(state.lngTotalNumNotOverwritten));
    }
}

void ReportForCheckBackupState(ReportModel& report) {
    const OperationState& state = report.state();
    OutputLine(report, "");
    OutputLine(report, GetProgramText(1180) + " " + ModifiedSinceText(report.setup()) + ":");
    OutputLine(report, Label(WordingOf(state, 1168)) + Formatted(state.lngTotalNumModifiedFiles));
    OutputLine(report, Label(WordingOf(state, 1177)) + Formatted(state.lngTotalNumNewFiles));
    if (state.lngTotalNumModifiedFiles != 0 || state.lngTotalNumNewFiles != 0) {
        if (state.lngTotalNumModifiedFiles >= 1 && state.lngTotalNumNewFiles >= 1) {
            OutputLine(report, Label(WordingOf(state, 1178)) +
                                   Formatted(state.lngTotalNumModifiedFiles + state.lngTotalNumNewFiles));
        }
    } else if (state.lngTotalNumCopyErrors == 0) {
        // Not while a folder could not be read: its files are unknown.
        OutputLine(report, GetProgramText(WordingOf(state, 1179)));
    }
    OutputUnreadableFolderCount(report);
    OutputPassedOverCount(report);
    OutputBeyondMirrorCounts(report);
}

} // namespace kestrel
