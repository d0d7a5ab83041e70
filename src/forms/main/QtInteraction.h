#pragma once

#include "platform/TestSeam.h"
#include "report/Interaction.h"
#include "report/OperationState.h"

#include <QObject>
#include <QPoint>
#include <QString>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

class QTimer;
class QWidget;

namespace kestrel {
class ReportModel;
}

namespace kestrel::forms {

class frmReport;

// Test seams of the full-text-box wait, while their guards live: it is scaled by a factor (0
// waits not at all); or it is held until the function returns true (or the operation stops),
// whatever its length.
using SleepScaleSeam = platform::TestSeam<struct SleepScaleTag, std::optional<double>>;
using ScopedSleepScaleForTesting = SleepScaleSeam::Guard;
using SleepHoldSeam = platform::TestSeam<struct SleepHoldTag, std::function<bool()>>;
using ScopedSleepHoldForTesting = SleepHoldSeam::Guard;

// The desktop program's answer to the operations. An operation runs on a worker thread and
// calls this from there: each prompt is shown modally on the window thread while the worker
// waits for the answer; report text and labels are gathered and shown by the window thread at
// most about 30 times a second, so a fast walk never floods the window; Pause and Cancel are
// flags of the shared state that the worker reads at DoEvents. Called on the window thread
// (a check before any worker starts), everything happens directly.
class QtInteraction : public QObject, public Interaction {
    Q_OBJECT
public:
    // What the prompts need of the main window.
    struct Host {
        QWidget* mainWindow = nullptr;
        std::function<void()> dialogClosed;            // a file dialog of the main window closed
        std::function<void()> confirmDeclined;         // the user answered No to the confirmation
        std::function<QPoint()> confirmPosition;       // where the confirmation window opens
        std::function<QWidget*()> reportFileBox;       // the existing-report-file window opens near it
        std::function<std::string()> reportFileFolder; // where the report-file dialog opens
    };

    QtInteraction(OperationState& state, frmReport& report, Host host);
    ~QtInteraction() override;

    // The report model whose transient note a pause takes back.
    void setReportModel(ReportModel* report) { model_ = report; }

    // Around one operation on the worker thread (window thread).
    void BeginOperation();
    void EndOperation();
    // While the program ends: the operation stops at its next yield, and a question it still
    // asks is answered as a cancel without being shown.
    void setClosing(bool closing) { closing_ = closing; }
    bool closing() const { return closing_; }
    // Shows what the operation has sent so far (window thread).
    void Flush();

    // Interaction
    MessageAnswer ShowMessage(const MessageRequest& request) override;
    int AskSourceFileEarlier(const std::string& caption, const std::string& intro) override;
    int AskExistingReportFile() override;
    bool ConfirmOperation(const ConfirmRequest& request) override;
    std::string ChooseReportFile(const std::string& title, const std::string& filter) override;
    void SetReportLabel(ReportLabel label, const std::string& text) override;
    void SetReportLabelVisible(ReportLabel label, bool visible) override;
    void SetReportButtons(bool blnCopyToClipboardVisible, bool blnPauseContinueVisible,
                          const std::string& strPauseContinueCaption, bool blnCancelCloseVisible,
                          const std::string& strCancelCloseCaption) override;
    void SetPauseButtonVisible(bool visible) override;
    void ReportTextAppended(const std::string& text) override;
    void ReportTextReplaced(const std::string& text) override;
    void EnlargeReportWindow() override;
    void ShowReportWindow() override;
    void HideReportWindow() override;
    void cmdPauseContinue_Click() override;
    void Beep(int frequencyHz, int milliseconds) override;
    void Sleep(int milliseconds) override;
    void DoEvents() override;
    void ReportCopyProgress(const CopyProgress& progress) override;

    // Runs `action` on the window thread and waits for it (a window of the operation's own, such
    // as the shutdown pop-up).
    void RunAndWait(const std::function<void()>& action);

private:
    bool OnWindowThread() const;
    // Runs `action` on the window thread after what was gathered so far is shown: at once on
    // that thread, else queued (the worker goes on).
    void Post(std::function<void()> action);
    // A modal question: shown on the window thread while the operation waits.
    template <class Result> Result Ask(const std::function<Result()>& question);
    QWidget* PromptParent() const;
    void WaitWhilePaused();

    OperationState& state_;
    frmReport& report_;
    Host host_;
    ReportModel* model_ = nullptr;
    std::atomic<bool> closing_{false};
    std::atomic<bool> enlarged_{false};
    QTimer* flushTimer_;

    // Gathered by the worker, shown by the window thread.
    std::mutex mutex_;
    bool replace_ = false;
    std::string replacement_;
    std::string appended_;
    std::map<ReportLabel, std::string> labels_;
    // The latest movement of a copy; only the newest is worth showing.
    bool copyProgressPending_ = false;
    CopyProgress copyProgress_;
};

} // namespace kestrel::forms
