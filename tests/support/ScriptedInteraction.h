#pragma once

#include "report/Interaction.h"
#include "report/OperationState.h"

#include <deque>
#include <string>
#include <vector>

namespace kestrel::testing {

// An Interaction that answers from a script and records everything it is asked and told, so a
// test can assert the exact sequence. Each kind of question has its own queue of answers; a
// question the script did not expect fails the test (naming the question) and gets the safe
// answer (Cancel, No, 4, "", false). A message box with an OK button only is no question: it is
// recorded and answered OK without a script. Answers left over at the end fail the test too.
class ScriptedInteraction : public Interaction {
public:
    enum class Kind {
        Message,
        SourceFileEarlier,
        ExistingReportFile,
        Confirm,
        ChooseReportFile,
        Label,
        LabelVisible,
        Buttons,
        PauseButtonVisible,
        TextAppended,
        TextReplaced,
        Enlarge,
        ShowWindow,
        HideWindow,
        Pause,
        Beep,
        Sleep,
        DoEvents // only a scripted cancel or pause is recorded; every call is counted
    };

    // One recorded call; `text` describes it readably (for a message: "[title] text").
    struct Event {
        Kind kind;
        std::string text;
    };

    // What the user does in a pause.
    enum class PauseAnswer { Continue, ContinueSuppressingReports, Cancel };

    // With a state, pauses and scripted cancels act on it (blnStop, blnSuppressDetailedReports).
    explicit ScriptedInteraction(OperationState* state = nullptr) : state_(state) {}
    ~ScriptedInteraction() override;

    void attach(OperationState& state) { state_ = &state; }

    // The script.
    void answerMessage(MessageAnswer answer) { messageAnswers_.push_back(answer); }
    void answerSourceFileEarlier(int choice) { earlierAnswers_.push_back(choice); }
    void answerExistingReportFile(int choice) { reportFileAnswers_.push_back(choice); }
    void answerConfirm(bool yes) { confirmAnswers_.push_back(yes); }
    void answerChooseReportFile(const std::string& path) { chooserAnswers_.push_back(path); }
    void answerPause(PauseAnswer answer) { pauseAnswers_.push_back(answer); }
    // The user presses Cancel: blnStop is set at the n-th DoEvents from now (1 = the next).
    void cancelAtDoEvents(int n) { cancelAt_ = doEventsCount_ + n; }
    // The user presses Pause: the n-th DoEvents from now holds like a pause and takes the next
    // pause answer.
    void pauseAtDoEvents(int n) { pauseAt_ = doEventsCount_ + n; }

    // What was recorded.
    const std::vector<Event>& events() const { return events_; }
    std::vector<std::string> eventsOf(Kind kind) const;
    const std::vector<MessageRequest>& messages() const { return messages_; }
    const std::vector<ConfirmRequest>& confirmations() const { return confirmations_; }
    const std::vector<int>& sleeps() const { return sleeps_; }
    int doEventsCount() const { return doEventsCount_; }
    // The report text as the window shows it, rebuilt from the appended and replaced texts.
    const std::string& screenText() const { return screen_; }
    std::string label(ReportLabel label) const;
    bool labelVisible(ReportLabel label) const;
    void clearEvents();

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

private:
    void record(Kind kind, std::string text) { events_.push_back({kind, std::move(text)}); }
    void Pause(const char* who);

    OperationState* state_;
    std::deque<MessageAnswer> messageAnswers_;
    std::deque<int> earlierAnswers_;
    std::deque<int> reportFileAnswers_;
    std::deque<bool> confirmAnswers_;
    std::deque<std::string> chooserAnswers_;
    std::deque<PauseAnswer> pauseAnswers_;
    int cancelAt_ = -1;
    int pauseAt_ = -1;

    std::vector<Event> events_;
    std::vector<MessageRequest> messages_;
    std::vector<ConfirmRequest> confirmations_;
    std::vector<int> sleeps_;
    int doEventsCount_ = 0;
    std::string screen_;
    std::string labels_[7];
    bool labelsVisible_[7] = {true, true, true, true, true, true, true};
};

} // namespace kestrel::testing
