#pragma once

#include "modules/MessageBox.h"

#include <cstdint>
#include <string>

namespace kestrel {

// Where a running copy stands: sent from inside a file's copy so that a long copy shows movement.
struct CopyProgress {
    std::string sourcePath;                // the file being copied
    std::int64_t fileBytesDone = 0;        // of this file
    std::int64_t fileBytesTotal = 0;       // this file's size as read before the copy
    std::int64_t operationFilesCopied = 0; // files copied by the operation before this one
    std::int64_t operationBytesCopied = 0; // bytes copied by the operation, this file's included
};

// The labels of the report window that operations set.
enum class ReportLabel {
    Caption,          // the window's caption
    lblSourceDirpath, // folder being read
    lblTargetDirpath, // folder being written
    Label1,           // "File now being copied: " / "File now being deleted: "
    lblFileName,      // file being processed
    lblFreeSpace,     // free space of the target drive
    lblBytesCopied    // running byte and file count of a copy
};

// What the confirmation window shows before an operation changes files.
struct ConfirmRequest {
    std::string caption;     // "Confirm operation", "Wipe and delete files", "Delete files"
    std::string description; // lblDescr
    bool deletionWarningVisible = false;
    std::string deletionWarning; // lblDeletionWarning, shown for a deletion
    std::string question;        // lblPerformOperation; empty for a deletion
    bool defaultYes = true;      // Enter answers Yes (backup) or No (deletion)
};

// Everything an operation asks of the user or shows to the user. The desktop program answers
// with its windows, the command-line tool at the terminal, tests from a script. Operations call
// it from their own thread; an implementation hands the calls to its window thread as needed.
class Interaction : public MessageService {
public:
    // ShowMessage (from MessageService): a message box and the button pressed.

    // The older/smaller prompt (frmSourceFileEarlier): 1 copy, 2 skip, 3 copy and no more
    // warnings in this folder, 4 cancel (also when the window is closed).
    virtual int AskSourceFileEarlier(const std::string& caption, const std::string& intro) = 0;
    // The existing-report-file window (frmERFO): 1 overwrite, 2 append, 3 no report file,
    // 4 cancel the operation (also when the window is closed).
    virtual int AskExistingReportFile() = 0;
    // The confirmation window (frmConfirmOperation): true when the user answers Yes.
    virtual bool ConfirmOperation(const ConfirmRequest& request) = 0;
    // The report-file chooser: the chosen path, or "" when cancelled.
    virtual std::string ChooseReportFile(const std::string& title, const std::string& filter) = 0;

    // The report window.
    virtual void SetReportLabel(ReportLabel label, const std::string& text) = 0;
    virtual void SetReportLabelVisible(ReportLabel label, bool visible) = 0;
    virtual void SetReportButtons(bool blnCopyToClipboardVisible, bool blnPauseContinueVisible,
                                  const std::string& strPauseContinueCaption, bool blnCancelCloseVisible,
                                  const std::string& strCancelCloseCaption) = 0;
    // Pause/Continue hidden and shown again around the full-text-box wait.
    virtual void SetPauseButtonVisible(bool visible) = 0;
    // The report text grew by `text` at its end (CR LF line ends).
    virtual void ReportTextAppended(const std::string& text) = 0;
    // The report text is now `text` (emptied when "").
    virtual void ReportTextReplaced(const std::string& text) = 0;
    // The report passed the small window's size: the window takes its large size.
    virtual void EnlargeReportWindow() = 0;
    virtual void ShowReportWindow() = 0;
    virtual void HideReportWindow() = 0;
    // The operation pauses by itself (cmdPauseContinue_Click by program): returns when the user
    // continues (Continue may set blnSuppressDetailedReports) or cancels (sets blnStop).
    virtual void cmdPauseContinue_Click() = 0;

    virtual void Beep(int frequencyHz, int milliseconds) = 0;
    // The operation waits this long (the full-text-box wait).
    virtual void Sleep(int milliseconds) = 0;
    // The operation's yield: a pause requested by the user holds here, a cancel becomes blnStop.
    virtual void DoEvents() = 0;
    // A copy moved on: sent before a file's first byte, at least once a second while its data
    // moves, and after its last byte, from the operation's thread. Showing it is optional.
    virtual void ReportCopyProgress(const CopyProgress& progress) { (void)progress; }
};

} // namespace kestrel
