#include "cli/commands/TerminalInteraction.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <istream>
#include <ostream>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kestrel::cli {

namespace {

std::atomic<int> interrupts{0};

void onInterrupt(int) {
    if (interrupts.fetch_add(1) >= 1)
        ::_exit(3); // partial copies live under their own names, never under a final one
}

std::string lowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string crlfToNewline(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    return out;
}

struct ButtonChoice {
    const char* word;
    MessageAnswer answer;
};

std::vector<ButtonChoice> choicesOf(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return {{"ok", MessageAnswer::Ok}};
    case MessageButtons::OkCancel:
        return {{"ok", MessageAnswer::Ok}, {"cancel", MessageAnswer::Cancel}};
    case MessageButtons::YesNo:
        return {{"yes", MessageAnswer::Yes}, {"no", MessageAnswer::No}};
    case MessageButtons::YesNoCancel:
        return {{"yes", MessageAnswer::Yes}, {"no", MessageAnswer::No}, {"cancel", MessageAnswer::Cancel}};
    case MessageButtons::RetryCancel:
        return {{"retry", MessageAnswer::Retry}, {"cancel", MessageAnswer::Cancel}};
    case MessageButtons::AbortRetryIgnore:
        return {{"abort", MessageAnswer::Abort},
                {"retry", MessageAnswer::Retry},
                {"ignore", MessageAnswer::Ignore}};
    }
    return {{"ok", MessageAnswer::Ok}};
}

} // namespace

bool TerminalShutdownPrompt::PopUpInForm(const ShutdownPopUp& popUp) {
    err_ << "\n" << crlfToNewline(popUp.text) << "\n";
    if (!::isatty(STDIN_FILENO))
        return false;
    err_ << "Press Enter to call the shutdown off." << std::flush;
    struct pollfd input {
        STDIN_FILENO, POLLIN, 0
    };
    bool clicked = ::poll(&input, 1, popUp.intervalMs) > 0;
    err_ << "\n";
    return clicked;
}

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() {
    return interrupts.load() > 0;
}

void ResetInterruptForTesting() {
    interrupts.store(0);
}

TerminalInteraction::TerminalInteraction(OperationState& state, std::istream& in, std::ostream& err,
                                         bool attended, bool progress)
    : state_(state), in_(in), err_(err), attended_(attended), progress_(progress) {}

std::string TerminalInteraction::ReadAnswer() {
    std::string line;
    if (!std::getline(in_, line))
        return "";
    auto notBlank = [](unsigned char c) { return !std::isspace(c); };
    line.erase(line.begin(), std::find_if(line.begin(), line.end(), notBlank));
    line.erase(std::find_if(line.rbegin(), line.rend(), notBlank).base(), line.end());
    return line;
}

void TerminalInteraction::ShowText(const std::string& title, const std::string& text) {
    ClearProgressLine();
    err_ << "\n";
    if (!title.empty())
        err_ << "[" << title << "] ";
    err_ << crlfToNewline(text) << "\n";
}

void TerminalInteraction::PresetAnswer(const std::string& title, MessageButtons buttons,
                                       MessageAnswer answer) {
    presets_.push_back({title, buttons, answer});
}

MessageAnswer TerminalInteraction::ShowMessage(const MessageRequest& request) {
    // The command line names its report file with --report, so the offer to name one first is
    // always declined.
    if (request.title == "Report file?" && request.buttons == MessageButtons::YesNo)
        return MessageAnswer::No;
    for (const Preset& preset : presets_) {
        if (preset.title == request.title && preset.buttons == request.buttons) {
            ShowText(request.title, request.text);
            return preset.answer;
        }
    }
    const std::vector<ButtonChoice> choices = choicesOf(request.buttons);
    const std::size_t defaultIndex = std::clamp<std::size_t>(
        static_cast<std::size_t>(std::max(request.defaultButton, 1)) - 1, 0, choices.size() - 1);
    ShowText(request.title, request.text);
    if (choices.size() == 1 || !attended_)
        return choices[defaultIndex].answer;
    for (;;) {
        err_ << "(";
        for (std::size_t i = 0; i < choices.size(); ++i) {
            // The default answer (taken on Enter) is written with a capital.
            std::string word = choices[i].word;
            if (i == defaultIndex)
                word[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
            err_ << (i ? "/" : "") << word;
        }
        err_ << ") " << std::flush;
        std::string answer = lowerAscii(ReadAnswer());
        if (answer.empty())
            return choices[defaultIndex].answer;
        for (const ButtonChoice& choice : choices)
            if (std::string(choice.word).rfind(answer, 0) == 0)
                return choice.answer;
    }
}

int TerminalInteraction::AskSourceFileEarlier(const std::string& caption, const std::string& intro) {
    if (!attended_)
        return 2; // an unattended run leaves the file uncopied and warns
    ShowText(caption, intro);
    return AskNumberedChoice(
        {"Copy this file over the existing backup file", "Skip this file and continue the backup operation",
         "Copy this file and disable this warning for all files in the current folder only",
         "Cancel this backup operation"},
        4);
}

int TerminalInteraction::AskExistingReportFile() {
    if (!attended_)
        return 2; // keep what the file holds
    ShowText("", "The report file exists already.");
    return AskNumberedChoice(
        {"Overwrite it", "Append to it", "No report file this time", "Cancel the operation"}, 2);
}

int TerminalInteraction::AskNumberedChoice(const std::vector<std::string>& options, int defaultChoice) {
    for (std::size_t i = 0; i < options.size(); ++i)
        err_ << "  " << i + 1 << "  " << options[i] << "\n";
    const int count = static_cast<int>(options.size());
    for (;;) {
        err_ << "Choice (1-" << count << ", default " << defaultChoice << "): " << std::flush;
        std::string answer = ReadAnswer();
        if (answer.empty())
            return defaultChoice;
        if (answer.size() == 1 && answer[0] >= '1' && answer[0] < '1' + count)
            return answer[0] - '0';
    }
}

bool TerminalInteraction::ConfirmOperation(const ConfirmRequest& request) {
    if (!attended_)
        return true;
    std::string text = request.description;
    if (request.deletionWarningVisible)
        text += "\n" + request.deletionWarning;
    if (!request.question.empty())
        text += "\n" + request.question;
    MessageRequest question{text, request.caption, MessageButtons::YesNo, MessageIcon::Question,
                            request.defaultYes ? 1 : 2};
    return ShowMessage(question) == MessageAnswer::Yes;
}

std::string TerminalInteraction::ChooseReportFile(const std::string& title, const std::string&) {
    if (!attended_)
        return "";
    ShowText(title, "Name the report file (empty to cancel):");
    err_ << "> " << std::flush;
    return ReadAnswer();
}

void TerminalInteraction::SetReportLabel(ReportLabel label, const std::string& text) {
    if (!progress_)
        return;
    if (label == ReportLabel::lblSourceDirpath)
        folder_ = text;
    else if (label == ReportLabel::lblFileName)
        file_ = text;
    else
        return;
    auto now = std::chrono::steady_clock::now();
    if (now - lastProgress_ < std::chrono::milliseconds(100))
        return;
    lastProgress_ = now;
    std::string line = folder_ + (file_.empty() ? "" : "  " + file_);
    std::replace(line.begin(), line.end(), '\n', ' ');
    if (line.size() > 110)
        line = line.substr(0, 50) + "..." + line.substr(line.size() - 57);
    err_ << "\r\033[K" << line << std::flush;
    progressShown_ = true;
}

void TerminalInteraction::ClearProgressLine() {
    if (progressShown_) {
        err_ << "\r\033[K" << std::flush;
        progressShown_ = false;
    }
}

void TerminalInteraction::FinishProgress() {
    ClearProgressLine();
}

void TerminalInteraction::cmdPauseContinue_Click() {
    if (!attended_)
        return;
    state_.blnPaused = true;
    ShowText("Paused", "Press Enter to continue, or type c and Enter to cancel the operation.");
    std::string answer = lowerAscii(ReadAnswer());
    if (!answer.empty() && answer[0] == 'c')
        state_.blnStop = true;
    state_.blnPaused = false;
}

void TerminalInteraction::Beep(int, int) {
    if (attended_)
        err_ << '\a' << std::flush;
}

void TerminalInteraction::Sleep(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void TerminalInteraction::DoEvents() {
    if (InterruptRequested())
        state_.blnStop = true;
}

} // namespace kestrel::cli
