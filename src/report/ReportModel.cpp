#include "report/ReportModel.h"

#include "modules/DiskProc.h"
#include "modules/FileProc.h"
#include "platform/ErrorCodes.h"

namespace kestrel {

namespace {

const char* const kCRLF = "\r\n";

bool IsContinuationByte(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Byte offset where the last `n` characters of `text` begin (0 when it has fewer).
std::size_t OffsetOfLastCharacters(const std::string& text, std::int64_t n) {
    std::size_t pos = text.size();
    while (n > 0 && pos > 0) {
        --pos;
        while (pos > 0 && IsContinuationByte(static_cast<unsigned char>(text[pos]))) {
            --pos;
        }
        --n;
    }
    return pos;
}

// "Str" of a number: one blank where a minus sign would stand.
std::string StrOf(std::int64_t n) {
    return n < 0 ? std::to_string(n) : " " + std::to_string(n);
}

} // namespace

std::int64_t ReportCharacterCount(const std::string& text) {
    std::int64_t count = 0;
    for (char c : text) {
        if (!IsContinuationByte(static_cast<unsigned char>(c))) {
            ++count;
        }
    }
    return count;
}

ReportModel::ReportModel(OperationState& state, Setup& setup, Interaction& ui)
    : state_(state), setup_(&setup), ui_(ui),
      freeSpace_([](const std::string& path) { return GetDriveFreeSpace(path); }) {}

void ReportModel::setFreeSpaceFunction(FreeSpaceFunction freeSpace) {
    if (freeSpace) {
        freeSpace_ = std::move(freeSpace);
    } else {
        freeSpace_ = [](const std::string& path) { return GetDriveFreeSpace(path); };
    }
}

bool ReportModel::WritesReportFile() const {
    // The listing of subfolders and the backup-state check never write to the report file.
    const int op = state_.intOperation;
    return (op == intOperationBackupAllFiles || op == intOperationBackupModifiedFiles ||
            op == intOperationDeleteAllBackupFiles) &&
           state_.blnOutputToFile && file_.IsOpen();
}

void ReportModel::Output(const std::string& strText, bool blnCRLF) {
    if (blnCRLF)
        lineOpen_ = false;
    else if (!strText.empty())
        lineOpen_ = strText.size() < 2 || strText.compare(strText.size() - 2, 2, kCRLF) != 0;

    if (WritesReportFile()) {
        // When the disk turns out full the line is still shown on screen: the screen then
        // carries the report on alone.
        WriteToReportFile(strText, blnCRLF);
    }

    if (chars_ > intMaxSizeForSmallReportWindow && setup_->chkSuppressDetailedReports == 0) {
        ui_.EnlargeReportWindow();
    }

    if (capacityRule_ && chars_ > lngMaxSizeTextboxContents) {
        blnReportBufferFull_ = true;
    }

    if (blnReportBufferFull_) {
        AnnounceFullTextBox(); // the text of this call is not shown on screen
    } else {
        Append(blnCRLF ? strText + kCRLF : strText);
    }

    ui_.DoEvents();
}

void ReportModel::StartLine() {
    if (lineOpen_) {
        Output("", true);
    }
}

void ReportModel::OutputBlock(const std::string& text, Spacing spacing) {
    const bool endsOpenLine = lineOpen_;
    StartLine();
    if (spacing == Spacing::SetApart && !endsOpenLine)
        Output("", true);
    Output(text, true);
    if (spacing == Spacing::SetApart)
        Output("", true);
}

void ReportModel::OutputToFileOnly(const std::string& strText, bool blnCRLF) {
    if (WritesReportFile()) {
        WriteToReportFile(strText, blnCRLF);
    }
}

bool ReportModel::WriteToReportFile(const std::string& strText, bool blnCRLF) {
    const std::string& reportPath = setup_->txbReportFile;
    const double freeBytes = freeSpace_(reportPath);
    // A free space that cannot be read is no reason to stop: the write itself tells.
    if (freeBytes >= 0 && freeBytes <= static_cast<double>(strText.size()) + 4096) {
        file_.Write(std::string(kCRLF) + kCRLF + "DISK FULL!  OUTPUT TERMINATED!" + kCRLF);
        MessageRequest message;
        message.title = "Disk full";
        message.text = "Drive " + DriveOfPath(reportPath) + " is full.  " +
                       "Output to the report file will be terminated.";
        message.buttons = MessageButtons::Ok;
        message.icon = MessageIcon::Exclamation;
        GiveUpReportFile();
        ui_.ShowMessage(message);
        return false;
    }

    const platform::Error error = file_.Write(blnCRLF ? strText + kCRLF : strText);
    if (error) {
        // A report file that silently misses lines would read as a complete report.
        MessageRequest message;
        message.icon = MessageIcon::Exclamation;
        message.buttons = MessageButtons::Ok;
        if (error.number == platform::err::DiskFull) {
            file_.Write(std::string(kCRLF) + kCRLF + "DISK FULL!  OUTPUT TERMINATED!" + kCRLF);
            message.title = "Disk full";
            message.text = "Drive " + DriveOfPath(reportPath) + " is full.  " +
                           "Output to the report file will be terminated.";
        } else {
            message.title = "Report file";
            message.text = "Cannot write to the report file " + reportPath + kCRLF + "(" + error.description +
                           ").  Output to the report file will be terminated.";
        }
        GiveUpReportFile();
        ui_.ShowMessage(message);
        return false;
    }
    return true;
}

void ReportModel::GiveUpReportFile() {
    state_.blnReportFileCutShort = true;
    file_.Close();
    state_.blnOutputToFile = false;
    setup_->chkDisableOutputToFile = 1;
}

void ReportModel::AnnounceFullTextBox() {
    if (state_.blnDisplayingSummary) {
        const std::size_t cut = OffsetOfLastCharacters(text_, 3048);
        text_.erase(cut);
        text_ += "  [snip]";
        chars_ = ReportCharacterCount(text_);
        transientStart_ = npos;
        ui_.ReportTextReplaced(text_);
    }

    std::string notice = std::string("The textbox is full.") + kCRLF + "After" +
                         StrOf(state_.intPauseInSeconds) +
                         " seconds the textbox will be emptied and the report will continue.";
    if (state_.blnOutputToFile) {
        notice += std::string(kCRLF) + "Output to the report file will also continue.";
    }
    Append(std::string(kCRLF) + kCRLF + notice);

    ui_.SetPauseButtonVisible(false);
    ui_.DoEvents();
    ui_.Sleep(state_.intPauseInSeconds * 1000);

    // Each later full box waits less: 15, then 10, then 5 seconds.
    state_.intPauseInSeconds = state_.intPauseInSeconds > 10 ? 10 : 5;

    ui_.SetPauseButtonVisible(true);
    Clear();
    blnReportBufferFull_ = false;
    ui_.DoEvents();
    ui_.ShowReportWindow();
}

void ReportModel::Append(const std::string& text) {
    if (text.empty()) {
        return;
    }
    text_ += text;
    chars_ += ReportCharacterCount(text);
    ui_.ReportTextAppended(text);
    if (sink_ != nullptr) {
        sink_->ReportWritten(text);
    }
    if (!capacityRule_) {
        KeepRecentText();
    }
}

void ReportModel::KeepRecentText() {
    // Without the text box limit the text would grow with the whole report; what has scrolled
    // past is no longer needed here (the sink has it).
    if (chars_ <= 2 * lngMaxSizeTextboxContents || transientStart_ != npos) {
        return;
    }
    const std::size_t cut = OffsetOfLastCharacters(text_, lngMaxSizeTextboxContents);
    text_.erase(0, cut);
    chars_ = ReportCharacterCount(text_);
}

void ReportModel::AppendToScreen(const std::string& text) {
    if (blnReportBufferFull_) {
        return;
    }
    Append(text);
}

void ReportModel::SetText(const std::string& text) {
    text_ = text;
    chars_ = ReportCharacterCount(text_);
    transientStart_ = npos;
    transientChars_ = 0;
    ui_.ReportTextReplaced(text_);
    if (sink_ != nullptr && !text.empty()) {
        sink_->ReportRestarted(text);
    }
}

void ReportModel::Indent() {
    if (EndsWithLineBreak()) {
        AppendToScreen("    ");
    }
}

bool ReportModel::EndsWithLineBreak() const {
    return text_.size() >= 2 && text_.compare(text_.size() - 2, 2, kCRLF) == 0;
}

void ReportModel::ShowTransientNote(const std::string& note) {
    if (transientStart_ != npos || note.empty()) {
        return;
    }
    transientStart_ = text_.size();
    transientChars_ = ReportCharacterCount(note);
    text_ += note;
    chars_ += transientChars_;
    ui_.ReportTextAppended(note);
}

void ReportModel::RemoveTransientNote() {
    if (transientStart_ == npos) {
        return;
    }
    // Only the note goes: text added after it stays.
    std::size_t noteBytes = 0;
    std::int64_t counted = 0;
    while (transientStart_ + noteBytes < text_.size() && counted < transientChars_) {
        ++noteBytes;
        while (transientStart_ + noteBytes < text_.size() &&
               IsContinuationByte(static_cast<unsigned char>(text_[transientStart_ + noteBytes]))) {
            ++noteBytes;
        }
        ++counted;
    }
    text_.erase(transientStart_, noteBytes);
    chars_ -= counted;
    transientStart_ = npos;
    transientChars_ = 0;
    ui_.ReportTextReplaced(text_);
}

} // namespace kestrel
