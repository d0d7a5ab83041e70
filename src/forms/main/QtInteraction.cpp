#include "forms/main/QtInteraction.h"

#include "forms/FormsCommon.h"
#include "forms/prompts/FileDialogs.h"
#include "forms/prompts/MessageBoxes.h"
#include "forms/prompts/frmConfirmOperation.h"
#include "forms/prompts/frmERFO.h"
#include "forms/prompts/frmSourceFileEarlier.h"
#include "forms/report/frmReport.h"
#include "report/ReportModel.h"

#include <QApplication>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <mutex>
#include <thread>

namespace kestrel::forms {

namespace {

// About 30 repaints a second.
constexpr int kFlushIntervalMs = 33;

} // namespace

QtInteraction::QtInteraction(OperationState& state, frmReport& report, Host host)
    : state_(state), report_(report), host_(std::move(host)), flushTimer_(new QTimer(this)) {
    flushTimer_->setInterval(kFlushIntervalMs);
    connect(flushTimer_, &QTimer::timeout, this, &QtInteraction::Flush);
}

QtInteraction::~QtInteraction() = default;

bool QtInteraction::OnWindowThread() const {
    return QThread::currentThread() == thread();
}

void QtInteraction::BeginOperation() {
    enlarged_ = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        copyProgressPending_ = false;
    }
    report_.SetOperationRunning(true);
    flushTimer_->start();
}

void QtInteraction::EndOperation() {
    flushTimer_->stop();
    Flush();
    report_.SetOperationRunning(false);
}

void QtInteraction::Flush() {
    bool replace = false;
    std::string replacement;
    std::string appended;
    std::map<ReportLabel, std::string> labels;
    bool progressPending = false;
    CopyProgress progress;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        progressPending = copyProgressPending_;
        if (progressPending)
            progress = std::move(copyProgress_);
        copyProgressPending_ = false;
        replace = replace_;
        replacement.swap(replacement_);
        appended.swap(appended_);
        labels.swap(labels_);
        replace_ = false;
    }
    if (replace)
        report_.ReplaceText(Qs(replacement));
    if (!appended.empty())
        report_.AppendText(Qs(appended));
    for (const auto& [label, text] : labels)
        report_.SetLabel(label, Qs(text));
    if (progressPending)
        report_.ShowCopyProgress(progress);
}

void QtInteraction::Post(std::function<void()> action) {
    if (OnWindowThread()) {
        Flush();
        action();
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this, action = std::move(action)] {
            Flush();
            action();
        },
        Qt::QueuedConnection);
}

void QtInteraction::RunAndWait(const std::function<void()>& action) {
    if (OnWindowThread()) {
        Flush();
        action();
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this, &action] {
            Flush();
            action();
        },
        Qt::BlockingQueuedConnection);
}

template <class Result> Result QtInteraction::Ask(const std::function<Result()>& question) {
    Result result{};
    RunAndWait([&] { result = question(); });
    return result;
}

QWidget* QtInteraction::PromptParent() const {
    if (report_.isVisible())
        return &report_;
    return host_.mainWindow;
}

MessageAnswer QtInteraction::ShowMessage(const MessageRequest& request) {
    if (closing_) {
        switch (request.buttons) {
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
    return Ask<MessageAnswer>([&] { return ShowMessageBox(PromptParent(), request); });
}

int QtInteraction::AskSourceFileEarlier(const std::string& caption, const std::string& intro) {
    if (closing_)
        return 4;
    // The operation waits in the prompt as in a pause.
    state_.blnPaused = true;
    const int choice = Ask<int>(
        [&] { return frmSourceFileEarlier::Ask(PromptParent(), &report_, Qs(caption), DisplayText(intro)); });
    state_.blnPaused = false;
    return choice;
}

int QtInteraction::AskExistingReportFile() {
    if (closing_)
        return 4;
    return Ask<int>([&] {
        return frmERFO::Ask(host_.mainWindow, host_.reportFileBox ? host_.reportFileBox() : nullptr);
    });
}

bool QtInteraction::ConfirmOperation(const ConfirmRequest& request) {
    if (closing_)
        return false;
    return Ask<bool>([&] {
        const QPoint where = host_.confirmPosition ? host_.confirmPosition() : QPoint();
        const bool yes = frmConfirmOperation::Ask(host_.mainWindow, request, where);
        if (!yes && host_.confirmDeclined)
            host_.confirmDeclined();
        return yes;
    });
}

std::string QtInteraction::ChooseReportFile(const std::string& title, const std::string& filter) {
    if (closing_)
        return {};
    return Ask<std::string>([&] {
        const FileDialogs::StartFolder start(fileDialogs(), host_.reportFileFolder ? host_.reportFileFolder()
                                                                                   : std::string());
        std::string path = fileDialogs().GetSaveFileName(host_.mainWindow, title, filter);
        if (host_.dialogClosed)
            host_.dialogClosed();
        return path;
    });
}

void QtInteraction::SetReportLabel(ReportLabel label, const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    labels_[label] = text;
}

void QtInteraction::ReportCopyProgress(const CopyProgress& progress) {
    // Gathered like the report text and shown by the next repaint of the window thread.
    std::lock_guard<std::mutex> lock(mutex_);
    copyProgress_ = progress;
    copyProgressPending_ = true;
}

void QtInteraction::SetReportLabelVisible(ReportLabel label, bool visible) {
    Post([this, label, visible] { report_.SetLabelVisible(label, visible); });
}

void QtInteraction::SetReportButtons(bool blnCopyToClipboardVisible, bool blnPauseContinueVisible,
                                     const std::string& strPauseContinueCaption, bool blnCancelCloseVisible,
                                     const std::string& strCancelCloseCaption) {
    Post([=, this] {
        report_.SetReportButtons(blnCopyToClipboardVisible, blnPauseContinueVisible,
                                 Qs(strPauseContinueCaption), blnCancelCloseVisible,
                                 Qs(strCancelCloseCaption));
    });
}

void QtInteraction::SetPauseButtonVisible(bool visible) {
    Post([this, visible] { report_.SetPauseButtonVisible(visible); });
}

void QtInteraction::ReportTextAppended(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (replace_)
        replacement_ += text;
    else
        appended_ += text;
}

void QtInteraction::ReportTextReplaced(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    replace_ = true;
    replacement_ = text;
    appended_.clear();
}

void QtInteraction::EnlargeReportWindow() {
    // Asked on every line once the report is long; the window takes its large size once, so
    // it does not jump back each time the user moves it.
    if (enlarged_.exchange(true))
        return;
    Post([this] { report_.Enlarge(); });
}

void QtInteraction::ShowReportWindow() {
    Post([this] { report_.ShowWindow(); });
}

void QtInteraction::HideReportWindow() {
    Post([this] { report_.hide(); });
}

void QtInteraction::WaitWhilePaused() {
    if (model_ != nullptr && model_->HasTransientNote())
        model_->RemoveTransientNote();
    while (state_.blnPaused && !closing_) {
        if (OnWindowThread())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    state_.blnPauseRequested = false;
}

void QtInteraction::cmdPauseContinue_Click() {
    // Nobody is there to continue an unattended run.
    if (state_.blnScheduledTask || closing_)
        return;
    state_.blnPaused = true;
    Post([this] { report_.ShowPausedButtons(); });
    WaitWhilePaused();
}

void QtInteraction::Beep(int, int) {
    Post([] { QApplication::beep(); });
}

void QtInteraction::Sleep(int milliseconds) {
    // The operation waits; the window goes on (the full-text-box wait). Quitting ends the wait.
    const std::function<bool()> released = SleepHoldSeam::current();
    const double scale = SleepScaleSeam::current().value_or(1.0);
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(static_cast<long long>(milliseconds * scale));
    const auto waiting = [&] { return released ? !released() : std::chrono::steady_clock::now() < end; };
    while (waiting() && !closing_ && !state_.blnStop) {
        if (OnWindowThread())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void QtInteraction::DoEvents() {
    if (closing_) {
        state_.blnStop = true;
        state_.blnPaused = false;
        return;
    }
    if (state_.blnPaused)
        WaitWhilePaused();
    if (OnWindowThread())
        QCoreApplication::processEvents();
}

} // namespace kestrel::forms
