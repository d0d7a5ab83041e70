#pragma once

#include <cstdint>
#include <string>

// The lines of every report: the per-folder count line, the remark that ends it, the free-space
// label and the summary of each operation. The operations call these; they never compose these
// texts themselves. Every line goes through ReportModel::Output, so screen and report file
// carry the same lines.
namespace kestrel {

class ReportModel;

// The placeholder that stands for the source folder (text 45) or the target folder (text 92) in
// the report's lines: the text in braces, "{source folder}".
std::string FolderPlaceholder(int textNumber);

// The free space of the target drive in the label lblFreeSpace.
void DisplayFreeSpace(ReportModel& report, const std::string& strTargetDrive);

// The per-folder count line without its output: "    ? files  in " for an unknown count (-1),
// "    1 file  in ", or the count right-aligned in five characters (more digits in full) and
// " files in " (the words are program texts 1120 to 1122); then the folder, with the source or
// target folder abbreviated by its placeholder.
std::string NumFilesInFolderLine(ReportModel& report, bool IsBackupOperation, const std::string& strFolder,
                                 std::int64_t lngNumFilesInFolder);

// The per-folder count line: output at once (`blnImmediateOutput`) or held back in
// strNumFilesInFolder. A folder of no files gives nothing unless `blnDisplayZeroFiles`.
void DisplayNumFilesInFolder(ReportModel& report, bool IsBackupOperation, const std::string& strFolder,
                             std::int64_t lngNumFilesInFolder, bool blnCRLF, bool blnDisplayZeroFiles,
                             bool blnImmediateOutput = false);

// The held-back count line, output when the folder's first new or modified file is reported.
void OutputHeldBackFolderLine(ReportModel& report);

// The waiting note for a folder of intManyFilesThreshold or more files while its files are
// examined (not while the text box is full or detailed reports are suppressed); true when shown.
bool ShowWaitingNote(ReportModel& report, std::int64_t lngNumFilesInFolder);
void RemoveWaitingNote(ReportModel& report);

// The remark after a folder's files were copied.
void DisplayFilesCopied(ReportModel& report, std::int64_t lngNumFiles, std::int64_t lngNumNewFiles,
                        std::int64_t lngNumModifiedFiles, std::int64_t lngNumFilesCopied);
// The remark after a folder was examined by the backup-state check.
void DisplayNewAndModifiedFiles(ReportModel& report, std::int64_t lngNumFiles, std::int64_t lngNumNewFiles,
                                std::int64_t lngNumModifiedFiles);
// The remark after a folder's files were deleted.
void DisplayFilesDeleted(ReportModel& report, std::int64_t lngNumFiles, std::int64_t lngNumFilesDeleted);

// The summaries.
void ReportForListFolders(ReportModel& report);
void ReportForBackupAllFiles(ReportModel& report);
void ReportForBackupModifiedFiles(ReportModel& report);
void ReportForDeleteAllBackups(ReportModel& report);
void ReportForCheckBackupState(ReportModel& report);

} // namespace kestrel
