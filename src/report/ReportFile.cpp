#include "report/ReportFile.h"

#include "modules/DatePr2.h"
#include "modules/Folder.h"
#include "modules/StrProc.h"
#include "platform/RegularFile.h"
#include "report/Interaction.h"
#include "report/ReportModel.h"

namespace kestrel {

ReportFile::~ReportFile() {
    Close();
}

platform::Error ReportFile::Open(const std::string& path, bool append) {
    Close();
    // A FIFO named as the report file is refused, never waited on or written to; a device such as
    // /dev/null takes the report without waiting.
    platform::Error error;
    file_ = platform::openRegularFile(
        path, append ? platform::FileOpening::Append : platform::FileOpening::Truncate, error, true);
    if (!file_.isOpen()) {
        return error;
    }
    path_ = path;
    return {};
}

platform::Error ReportFile::Write(const std::string& text) {
    return file_.writeAll(text.data(), text.size());
}

void ReportFile::Close() {
    file_.close();
}

std::string ReportFileStampLine() {
    return "Current date/time: " + DateTimeText(false, true);
}

bool AskToNameReportFile(Interaction& ui, bool forDeletion) {
    MessageRequest question;
    question.title = "Report file?";
    question.buttons = MessageButtons::YesNo;
    if (forDeletion) {
        question.text = "Do you wish to list the files deleted in a report file?";
        question.defaultButton = 1;
    } else {
        question.text = "Do you wish to list the files backed up in a report file?";
        question.defaultButton = 2;
    }
    return ui.ShowMessage(question) == MessageAnswer::Yes;
}

void ChooseReportFile(ReportModel& report) {
    Setup& setup = report.setup();
    const std::string chosen =
        report.ui().ChooseReportFile("Specify report file", ".txt files (*.txt) | *.txt");
    if (!chosen.empty()) {
        setup.txbReportFile = chosen;
    }
    setup.txbReportFile = TrimBlanks(setup.txbReportFile);
    setup.chkDisableOutputToFile = 0;
    report.state().blnOutputToFile = !setup.txbReportFile.empty();
}

bool ReportFileInsideTarget(const std::string& reportFile, const std::string& targetFolder) {
    // The leading characters only, as the deletion refuses any report path that starts so.
    return !targetFolder.empty() && reportFile.compare(0, targetFolder.size(), targetFolder) == 0;
}

ReportFileOpening OpenReportFile(ReportModel& report, int presetChoice, const std::string& failureTitle) {
    OperationState& state = report.state();
    Setup& setup = report.setup();
    if (!state.blnOutputToFile) {
        return ReportFileOpening::NoFile;
    }

    int choice = 1; // a file that does not exist yet is created
    if (FileExists(setup.txbReportFile)) {
        if (presetChoice >= 1 && presetChoice <= 4) {
            choice = presetChoice;
        } else if (state.blnScheduledTask) {
            // Nobody to ask: append, so an unattended run never destroys an earlier report
            // (its own report file has a new name each time anyway).
            choice = 2;
        } else {
            choice = report.ui().AskExistingReportFile();
        }
    }
    state.intChoice = choice;
    if (choice == 4) {
        return ReportFileOpening::Cancelled;
    }
    if (choice == 3) {
        setup.chkDisableOutputToFile = 1;
        state.blnOutputToFile = false;
        return ReportFileOpening::NoFile;
    }

    const bool append = choice == 2;
    if (report.file().Open(setup.txbReportFile, append)) {
        state.blnOutputToFile = false;
        MessageRequest message;
        message.text = "Cannot open report file.";
        message.title = failureTitle;
        message.buttons = MessageButtons::Ok;
        message.icon = MessageIcon::Exclamation;
        report.ui().ShowMessage(message);
        return ReportFileOpening::Failed;
    }

    const std::string head = ReportFileStampLine();
    if (append) {
        // The row of dashes parts the new report from the earlier one in the file; the screen
        // starts with the head line.
        const std::string dashes(static_cast<std::size_t>(ReportCharacterCount(head)), '-');
        report.OutputToFileOnly("\r\n" + dashes + "\r\n", true);
        report.Clear();
    }
    report.Output(head + "\r\n", true);
    return ReportFileOpening::Opened;
}

void CloseReportFile(ReportModel& report) {
    OperationState& state = report.state();
    if (!state.blnOutputToFile) {
        return;
    }
    report.Output("\r\n" + ReportFileStampLine(), true);
    report.file().Close();
    state.blnOutputToFile = false;
}

} // namespace kestrel
