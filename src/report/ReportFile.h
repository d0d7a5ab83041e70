#pragma once

#include "platform/DirectoryHandle.h"
#include "platform/ErrorCodes.h"
#include "platform/RegularFile.h"

#include <string>

namespace kestrel {

class Interaction;
class ReportModel;

// The open report file: plain writes, nothing buffered, so every line the report window shows
// is on disk in the same order. Appending writes at the file's end and never truncates, so an earlier report
// the user chose to keep survives whatever happens later.
class ReportFile {
public:
    ReportFile() = default;
    ~ReportFile();
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    // Opens for writing from the start (an existing file is emptied) or for appending. A file
    // inside `target` (the target folder's root, when it is open) is reached from there down
    // without following a link, and is written only when it is a regular file of the user's own
    // or is made new: anything else at its name is left as it is, with `refused` set. A file
    // elsewhere lies on the user's own path, and is opened by it.
    platform::Error Open(const std::string& path, bool append, const platform::DirectoryHandle& target,
                         bool& refused);
    // Writes all of `text` (already with its CR LF line ends).
    platform::Error Write(const std::string& text);
    void Close();
    bool IsOpen() const { return file_.isOpen(); }
    const std::string& Path() const { return path_; }

private:
    platform::RegularFile file_;
    std::string path_;
};

// "Current date/time: " and the clock's date and time, date first.
std::string ReportFileStampLine();

// The question asked when no report file is named: true when the user answers Yes (and wants to
// name one before the operation runs).
bool AskToNameReportFile(Interaction& ui, bool forDeletion);

// Lets the user choose the report file (cmdReportFile_MouseUp, without the main window's own
// steps): a chosen path becomes txbReportFile; then the path is trimmed, output to the file is
// enabled, and blnOutputToFile tells whether a report file is named.
void ChooseReportFile(ReportModel& report);

// Whether a deletion would delete the report file: its path begins with the target folder's.
bool ReportFileInsideTarget(const std::string& reportFile, const std::string& targetFolder);

enum class ReportFileOpening {
    Opened,    // the file is open and has its head line
    NoFile,    // no report file for this operation (none named, disabled, or answer 3)
    Cancelled, // answer 4 of the existing-report-file window
    Failed,    // the file could not be opened; "Cannot open report file." was shown
    Refused    // a link or a file not the user's own stands at its name in the target; nothing
               // was written and "Bad report file specification" was shown
};

// The text of that refusal, naming the file.
std::string ReportFileRefusedText(const std::string& path);

// The report file's path with " (n)" before its extension: the name an unattended run takes
// when its own is held by something that is no report file of its own.
std::string NumberedReportFile(const std::string& path, int number);

// Opens the report file at the start of an operation when blnOutputToFile is set: asks about an
// existing file (unless `presetChoice` is 1..4: 1 overwrite, 2 append, as an unattended run or a
// multiple backup decides), opens it, and writes the head line (after the row of dashes when
// appending). `failureTitle` is the title of the "Cannot open report file." message. Inside the
// target a report file is never written through a link: the unattended run's own name
// (blnReportFileNameChosen) gives way to the next free one, which the report then names; a name
// the user chose is refused.
ReportFileOpening OpenReportFile(ReportModel& report, int presetChoice, const std::string& failureTitle);

// The foot line and the closing at the end of an operation, when the report file is open.
void CloseReportFile(ReportModel& report);

} // namespace kestrel
