#include "cli/commands/TerminalInteraction.h"

#include "cli/commands/SetupText.h"
#include "platform/Console.h"

#include <algorithm>
#include <atomic>
#include <istream>
#include <ostream>
#include <thread>
#include <vector>

namespace kestrel::cli {

namespace {

std::atomic<int> interrupts{0};
std::atomic<std::atomic<bool>*> stopFlag{nullptr};

void onInterrupt() {
    if (interrupts.fetch_add(1) >= 1)
        platform::exitAtOnce(3); // partial copies live under their own names, never under a final one
    if (std::atomic<bool>* stop = stopFlag.load())
        stop->store(true);
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
    if (!platform::isTerminal(platform::StandardStream::Input))
        return false;
    err_ << "Press Enter to call the shutdown off." << std::flush;
    const bool clicked = platform::waitForInput(popUp.intervalMs);
    err_ << "\n";
    return clicked;
}

void InstallInterruptHandler(OperationState* state) {
    static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
    stopFlag.store(state ? &state->blnStop : nullptr);
    platform::installStopHandler(onInterrupt);
}

bool InterruptRequested() {
    return interrupts.load() > 0;
}

ScopedInterruptHandlingForTesting::ScopedInterruptHandlingForTesting()
    : interrupts_(interrupts.exchange(0)), stopFlag_(stopFlag.exchange(nullptr)) {}

ScopedInterruptHandlingForTesting::~ScopedInterruptHandlingForTesting() {
    platform::installStopHandler(nullptr);
    interrupts.store(interrupts_);
    stopFlag.store(stopFlag_);
}

TerminalInteraction::TerminalInteraction(OperationState& state, std::istream& in, std::ostream& err,
                                         bool attended, bool progress)
    : state_(state), in_(in), err_(err), attended_(attended),
      progress_(progress ? std::make_unique<ProgressLine>(err, platform::StandardStream::Error) : nullptr) {}

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
    QuietProgress quiet(progress_.get());
    lastMessage_ = crlfToNewline(request.text);
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
    QuietProgress quiet(progress_.get());
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
    QuietProgress quiet(progress_.get());
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
    if (!attended_ && consentRequired_ && !request.defaultYes) {
        // Its safe answer is No, and nobody is there to say Yes.
        refusedQuestion_ = request.caption;
        return false;
    }
    if (!attended_)
        return true;
    QuietProgress quiet(progress_.get());
    // The window's confirmation stands below the main window's settings; here they are written
    // out above the question.
    std::string text = request.description;
    if (confirmedSetup_) {
        err_ << "\n[" << request.caption << "]\n" << SetupText(*confirmedSetup_);
        text = crlfToNewline(text);
    }
    if (request.deletionWarningVisible)
        text += "\n" + request.deletionWarning;
    if (!request.question.empty())
        text += "\n" + request.question;
    MessageRequest question{text, confirmedSetup_ ? "" : request.caption, MessageButtons::YesNo,
                            MessageIcon::Question, request.defaultYes ? 1 : 2};
    const bool yes = ShowMessage(question) == MessageAnswer::Yes;
    confirmationDeclined_ = !yes;
    return yes;
}

std::string TerminalInteraction::ChooseReportFile(const std::string& title, const std::string&) {
    if (!attended_)
        return "";
    QuietProgress quiet(progress_.get());
    ShowText(title, "Name the report file (empty to cancel):");
    err_ << "> " << std::flush;
    return ReadAnswer();
}

void TerminalInteraction::SetReportLabel(ReportLabel label, const std::string& text) {
    if (!progress_)
        return;
    if (label == ReportLabel::lblSourceDirpath)
        progress_->SetFolder(text);
    else if (label == ReportLabel::lblFileName)
        progress_->SetFile(text);
    else if (label == ReportLabel::lblBytesCopied)
        progress_->SetCopiedLabel(text);
}

void TerminalInteraction::ReportCopyProgress(const CopyProgress& progress) {
    // Inside a long copy this is the operation's only call: a stop asked for ends the copy here.
    if (InterruptRequested())
        state_.blnStop = true;
    if (progress_)
        progress_->Update(progress);
}

void TerminalInteraction::FinishProgress() {
    if (progress_)
        progress_->Stop();
}

void TerminalInteraction::cmdPauseContinue_Click() {
    if (!attended_)
        return;
    QuietProgress quiet(progress_.get());
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
