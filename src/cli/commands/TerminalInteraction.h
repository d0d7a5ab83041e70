#pragma once

#include "cli/commands/ProgressLine.h"
#include "engine/Shutdown.h"
#include "report/Interaction.h"
#include "report/OperationState.h"
#include "setup/Setup.h"

#include <atomic>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace kestrel::cli {

// The operations' questions at a terminal. Attended, it asks at the prompt (on `err`, reading
// answers from `in`); unattended (--yes, or no terminal) it never asks and gives the answers of
// an unattended run, except where consent is required (no terminal and no --yes): there a
// question whose safe answer is No (the deletion's confirmation) is answered No and the refusal
// is kept for the command to end with. With `progress`, a status line on `err`. The report itself
// goes to standard output through the report's sink.
class TerminalInteraction : public Interaction {
public:
    TerminalInteraction(OperationState& state, std::istream& in, std::ostream& err, bool attended,
                        bool progress);

    MessageAnswer ShowMessage(const MessageRequest& request) override;
    // A question the command line has answered already (by an option): the message box of this
    // title and buttons is shown but not asked.
    void PresetAnswer(const std::string& title, MessageButtons buttons, MessageAnswer answer);
    int AskSourceFileEarlier(const std::string& caption, const std::string& intro) override;
    int AskExistingReportFile() override;
    bool ConfirmOperation(const ConfirmRequest& request) override;
    std::string ChooseReportFile(const std::string& title, const std::string& filter) override;

    // The setup the confirmation shows above its question, so that what is confirmed is seen.
    void ShowSetupAtConfirmation(const Setup* setup) { confirmedSetup_ = setup; }
    // The text of the last message shown ("" when none was), for the account of a refusal.
    const std::string& LastMessage() const { return lastMessage_; }
    // Whether the confirmation was answered No at the prompt.
    bool ConfirmationDeclined() const { return confirmationDeclined_; }

    // Without a terminal and without --yes nobody can consent to a destructive step.
    void RequireConsent(bool required) { consentRequired_ = required; }
    // The question that was refused for want of consent ("" when none was).
    const std::string& RefusedQuestion() const { return refusedQuestion_; }

    void SetReportLabel(ReportLabel label, const std::string& text) override;
    void ReportCopyProgress(const CopyProgress& progress) override;
    void SetReportLabelVisible(ReportLabel, bool) override {}
    void SetReportButtons(bool, bool, const std::string&, bool, const std::string&) override {}
    void SetPauseButtonVisible(bool) override {}
    void ReportTextAppended(const std::string&) override {}
    void ReportTextReplaced(const std::string&) override {}
    void EnlargeReportWindow() override {}
    void ShowReportWindow() override {}
    void HideReportWindow() override {}
    void cmdPauseContinue_Click() override;

    void Beep(int frequencyHz, int milliseconds) override;
    void Sleep(int milliseconds) override;
    void DoEvents() override;

    // Clears the progress line, so the terminal is left tidy.
    void FinishProgress();
    // The status line, or null without --progress on a terminal.
    ProgressLine* Progress() { return progress_.get(); }

private:
    // One line of input, trimmed; "" at the end of the input.
    std::string ReadAnswer();
    // Lists the options numbered from 1 and reads the number chosen; Enter takes the default.
    int AskNumberedChoice(const std::vector<std::string>& options, int defaultChoice);
    void ShowText(const std::string& title, const std::string& text);
    // The status line stays off the screen while a question is asked.
    struct QuietProgress {
        explicit QuietProgress(ProgressLine* line) : line_(line) {
            if (line_)
                line_->Hide();
        }
        ~QuietProgress() {
            if (line_)
                line_->Show();
        }
        ProgressLine* line_;
    };

    struct Preset {
        std::string title;
        MessageButtons buttons;
        MessageAnswer answer;
    };
    std::vector<Preset> presets_;
    OperationState& state_;
    std::istream& in_;
    std::ostream& err_;
    bool attended_;
    bool consentRequired_ = false;
    std::string refusedQuestion_;
    const Setup* confirmedSetup_ = nullptr;
    bool confirmationDeclined_ = false;
    std::string lastMessage_;
    std::unique_ptr<ProgressLine> progress_;
};

// The shutdown's pop-up at a terminal: Enter within the pop-up's time calls the shutdown off.
// Without a terminal nobody can, and the shutdown goes ahead.
class TerminalShutdownPrompt : public ShutdownPrompt {
public:
    explicit TerminalShutdownPrompt(std::ostream& err) : err_(err) {}
    bool PopUpInForm(const ShutdownPopUp& popUp) override;

private:
    std::ostream& err_;
};

// Ctrl-C, SIGTERM and SIGHUP: the first sets blnStop (of `state`, at once, so that a copy under
// way stops too; the operation still writes its summary), a second ends the program at once.
// A closed standard output (SIGPIPE) is ignored: writes there fail and the run goes on.
void InstallInterruptHandler(OperationState* state = nullptr);
bool InterruptRequested();
// Test seam: while a guard lives, the count of stop requests and the state they stop start
// afresh; when it goes, they are those before it again and the system handles stop requests
// itself.
class ScopedInterruptHandlingForTesting {
public:
    ScopedInterruptHandlingForTesting();
    ~ScopedInterruptHandlingForTesting();
    ScopedInterruptHandlingForTesting(const ScopedInterruptHandlingForTesting&) = delete;
    ScopedInterruptHandlingForTesting& operator=(const ScopedInterruptHandlingForTesting&) = delete;

private:
    int interrupts_;
    std::atomic<bool>* stopFlag_;
};

} // namespace kestrel::cli
