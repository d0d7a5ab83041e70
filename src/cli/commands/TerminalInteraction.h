#pragma once

#include "engine/Shutdown.h"
#include "report/Interaction.h"
#include "report/OperationState.h"

#include <chrono>
#include <iosfwd>
#include <string>
#include <vector>

namespace kestrel::cli {

// The operations' questions at a terminal. Attended, it asks at the prompt (on `err`, reading
// answers from `in`); unattended (--yes, or no terminal) it never asks and gives the answers of
// an unattended run. The report itself goes to standard output through the report's sink.
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

    void SetReportLabel(ReportLabel label, const std::string& text) override;
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

private:
    // One line of input, trimmed; "" at the end of the input.
    std::string ReadAnswer();
    // Lists the options numbered from 1 and reads the number chosen; Enter takes the default.
    int AskNumberedChoice(const std::vector<std::string>& options, int defaultChoice);
    void ShowText(const std::string& title, const std::string& text);
    void ClearProgressLine();

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
    bool progress_;
    std::string folder_;
    std::string file_;
    bool progressShown_ = false;
    std::chrono::steady_clock::time_point lastProgress_{};
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

// Ctrl-C: the first sets blnStop at the next file (the operation still writes its summary), a
// second ends the program at once.
void InstallInterruptHandler();
bool InterruptRequested();
void ResetInterruptForTesting();

} // namespace kestrel::cli
