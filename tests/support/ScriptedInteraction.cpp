#include "support/ScriptedInteraction.h"

#include <gtest/gtest.h>

namespace kestrel::testing {

namespace {

const char* ButtonsName(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return "Ok";
    case MessageButtons::OkCancel:
        return "OkCancel";
    case MessageButtons::YesNo:
        return "YesNo";
    case MessageButtons::YesNoCancel:
        return "YesNoCancel";
    case MessageButtons::RetryCancel:
        return "RetryCancel";
    case MessageButtons::AbortRetryIgnore:
        return "AbortRetryIgnore";
    }
    return "?";
}

const char* IconName(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None:
        return "None";
    case MessageIcon::Information:
        return "Information";
    case MessageIcon::Exclamation:
        return "Exclamation";
    case MessageIcon::Question:
        return "Question";
    case MessageIcon::Critical:
        return "Critical";
    }
    return "?";
}

MessageAnswer SafeAnswer(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    case MessageButtons::AbortRetryIgnore:
        return MessageAnswer::Abort;
    default:
        return MessageAnswer::Cancel;
    }
}

const char* LabelName(ReportLabel label) {
    switch (label) {
    case ReportLabel::Caption:
        return "Caption";
    case ReportLabel::lblSourceDirpath:
        return "lblSourceDirpath";
    case ReportLabel::lblTargetDirpath:
        return "lblTargetDirpath";
    case ReportLabel::Label1:
        return "Label1";
    case ReportLabel::lblFileName:
        return "lblFileName";
    case ReportLabel::lblFreeSpace:
        return "lblFreeSpace";
    case ReportLabel::lblBytesCopied:
        return "lblBytesCopied";
    }
    return "?";
}

} // namespace

ScriptedInteraction::~ScriptedInteraction() {
    const std::size_t left = messageAnswers_.size() + earlierAnswers_.size() + reportFileAnswers_.size() +
                             confirmAnswers_.size() + chooserAnswers_.size() + pauseAnswers_.size();
    if (left > 0) {
        ADD_FAILURE() << "The script holds " << left << " answer(s) no question asked for";
    }
}

std::vector<std::string> ScriptedInteraction::eventsOf(Kind kind) const {
    std::vector<std::string> texts;
    for (const Event& event : events_) {
        if (event.kind == kind) {
            texts.push_back(event.text);
        }
    }
    return texts;
}

std::string ScriptedInteraction::label(ReportLabel label) const {
    return labels_[static_cast<int>(label)];
}

bool ScriptedInteraction::labelVisible(ReportLabel label) const {
    return labelsVisible_[static_cast<int>(label)];
}

void ScriptedInteraction::clearEvents() {
    events_.clear();
    messages_.clear();
    confirmations_.clear();
    sleeps_.clear();
}

MessageAnswer ScriptedInteraction::ShowMessage(const MessageRequest& request) {
    messages_.push_back(request);
    record(Kind::Message, "[" + request.title + "] " + request.text + " {" + ButtonsName(request.buttons) +
                              ", " + IconName(request.icon) + ", default " +
                              std::to_string(request.defaultButton) + "}");
    if (request.buttons == MessageButtons::Ok) {
        return MessageAnswer::Ok;
    }
    if (messageAnswers_.empty()) {
        ADD_FAILURE() << "Unexpected message box [" << request.title << "] " << request.text;
        return SafeAnswer(request.buttons);
    }
    const MessageAnswer answer = messageAnswers_.front();
    messageAnswers_.pop_front();
    return answer;
}

int ScriptedInteraction::AskSourceFileEarlier(const std::string& caption, const std::string& intro) {
    record(Kind::SourceFileEarlier, "[" + caption + "] " + intro);
    if (earlierAnswers_.empty()) {
        ADD_FAILURE() << "Unexpected older/smaller prompt [" << caption << "] " << intro;
        return 4;
    }
    const int answer = earlierAnswers_.front();
    earlierAnswers_.pop_front();
    return answer;
}

int ScriptedInteraction::AskExistingReportFile() {
    record(Kind::ExistingReportFile, "Report file options");
    if (reportFileAnswers_.empty()) {
        ADD_FAILURE() << "Unexpected question about the existing report file";
        return 4;
    }
    const int answer = reportFileAnswers_.front();
    reportFileAnswers_.pop_front();
    return answer;
}

bool ScriptedInteraction::ConfirmOperation(const ConfirmRequest& request) {
    confirmations_.push_back(request);
    record(Kind::Confirm, "[" + request.caption + "] " + request.description + " | " + request.question);
    if (confirmAnswers_.empty()) {
        ADD_FAILURE() << "Unexpected confirmation [" << request.caption << "] " << request.description;
        return false;
    }
    const bool answer = confirmAnswers_.front();
    confirmAnswers_.pop_front();
    return answer;
}

std::string ScriptedInteraction::ChooseReportFile(const std::string& title, const std::string& filter) {
    record(Kind::ChooseReportFile, "[" + title + "] " + filter);
    if (chooserAnswers_.empty()) {
        ADD_FAILURE() << "Unexpected report-file chooser [" << title << "]";
        return "";
    }
    std::string answer = chooserAnswers_.front();
    chooserAnswers_.pop_front();
    return answer;
}

void ScriptedInteraction::SetReportLabel(ReportLabel label, const std::string& text) {
    labels_[static_cast<int>(label)] = text;
    record(Kind::Label, std::string(LabelName(label)) + " = " + text);
}

void ScriptedInteraction::SetReportLabelVisible(ReportLabel label, bool visible) {
    labelsVisible_[static_cast<int>(label)] = visible;
    record(Kind::LabelVisible, std::string(LabelName(label)) + (visible ? " shown" : " hidden"));
}

void ScriptedInteraction::SetReportButtons(bool blnCopyToClipboardVisible, bool blnPauseContinueVisible,
                                           const std::string& strPauseContinueCaption,
                                           bool blnCancelCloseVisible,
                                           const std::string& strCancelCloseCaption) {
    record(Kind::Buttons,
           std::string("copy ") + (blnCopyToClipboardVisible ? "shown" : "hidden") + ", pause " +
               (blnPauseContinueVisible ? "\"" + strPauseContinueCaption + "\"" : "hidden") + ", cancel " +
               (blnCancelCloseVisible ? "\"" + strCancelCloseCaption + "\"" : "hidden"));
}

void ScriptedInteraction::SetPauseButtonVisible(bool visible) {
    record(Kind::PauseButtonVisible, visible ? "shown" : "hidden");
}

void ScriptedInteraction::ReportTextAppended(const std::string& text) {
    screen_ += text;
    record(Kind::TextAppended, text);
}

void ScriptedInteraction::ReportTextReplaced(const std::string& text) {
    screen_ = text;
    record(Kind::TextReplaced, text);
}

void ScriptedInteraction::EnlargeReportWindow() {
    record(Kind::Enlarge, "enlarge");
}

void ScriptedInteraction::ShowReportWindow() {
    record(Kind::ShowWindow, "show");
}

void ScriptedInteraction::HideReportWindow() {
    record(Kind::HideWindow, "hide");
}

void ScriptedInteraction::cmdPauseContinue_Click() {
    Pause("by program");
}

void ScriptedInteraction::Pause(const char* who) {
    if (state_ != nullptr) {
        state_->blnPaused = true;
    }
    PauseAnswer answer = PauseAnswer::Cancel;
    if (pauseAnswers_.empty()) {
        ADD_FAILURE() << "Unexpected pause of the operation (" << who << ")";
    } else {
        answer = pauseAnswers_.front();
        pauseAnswers_.pop_front();
    }
    record(Kind::Pause,
           std::string(who) + ": " +
               (answer == PauseAnswer::Continue                     ? "continue"
                : answer == PauseAnswer::ContinueSuppressingReports ? "continue, suppress reports"
                                                                    : "cancel"));
    if (state_ != nullptr) {
        if (answer == PauseAnswer::Cancel) {
            state_->blnStop = true;
        } else if (answer == PauseAnswer::ContinueSuppressingReports) {
            state_->blnSuppressDetailedReports = true;
        }
        state_->blnPaused = false;
    }
}

void ScriptedInteraction::Beep(int frequencyHz, int milliseconds) {
    record(Kind::Beep, std::to_string(frequencyHz) + " Hz, " + std::to_string(milliseconds) + " ms");
}

void ScriptedInteraction::Sleep(int milliseconds) {
    sleeps_.push_back(milliseconds);
    record(Kind::Sleep, std::to_string(milliseconds) + " ms");
}

void ScriptedInteraction::DoEvents() {
    ++doEventsCount_;
    if (doEventsCount_ == pauseAt_) {
        record(Kind::DoEvents, "pause");
        Pause("by the user");
    }
    if (doEventsCount_ == cancelAt_ && state_ != nullptr) {
        state_->blnStop = true;
        record(Kind::DoEvents, "cancel");
    }
}

} // namespace kestrel::testing
