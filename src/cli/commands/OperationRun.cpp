#include "cli/commands/OperationRun.h"

#include "modules/Language.h"
#include "platform/Console.h"

#include <iostream>

namespace kestrel::cli {

OperationRun::OperationRun(const CliOptions& options, std::ostream& out, std::ostream& err)
    : out_(out), sink_(out) {
    // Answers come from standard input only when a person types them there; the questions go to
    // standard error, or to the terminal itself when standard error is kept in a file.
    std::ostream* prompts = &err;
    using platform::StandardStream;
    bool attended = !options.yes && platform::isTerminal(StandardStream::Input);
    if (attended && !platform::isTerminal(StandardStream::Error)) {
        terminal_ = platform::openTerminalForWriting();
        if (terminal_)
            prompts = terminal_.get();
        else
            attended = false;
    }
    // Nobody to ask: behave as the unattended run does, but nothing destructive without --yes.
    state.blnScheduledTask = !attended;
    state.blnStartupCompleted = true;
    // A terminal is no window to offer going on: only the explicit option does.
    state.absentTargetDisk = options.noDiskCheck ? OperationState::AbsentTargetDisk::GoOn
                                                 : OperationState::AbsentTargetDisk::Refuse;
    // A removal past its limit is never answered at a terminal, nor by --yes: the user raises it.
    state.blnRefuseBeyondRemovalLimit = true;
    const bool progress = options.progress && platform::isTerminal(StandardStream::Error);
    ui_ = std::make_unique<TerminalInteraction>(state, std::cin, *prompts, attended, progress);
    ui_->ShowSetupAtConfirmation(&setup);
    ui_->RequireConsent(!attended && !options.yes);
    report_ = std::make_unique<ReportModel>(state, setup, *ui_);
    report_->setCapacityRule(false);
    if (options.summary) {
        summarySink_ = std::make_unique<SummaryReportSink>(sink_, state);
        report_->setSink(summarySink_.get());
    } else if (ui_->Progress() && platform::isSameTerminal(StandardStream::Output, StandardStream::Error)) {
        progressSink_ = std::make_unique<ProgressReportSink>(sink_, *ui_->Progress());
        report_->setSink(progressSink_.get());
    } else {
        report_->setSink(&sink_);
    }
    ctx_ = std::make_unique<OperationContext>(OperationContext{setup, state, *ui_, *report_});
    InstallInterruptHandler(&state);
}

OperationRun::~OperationRun() {
    InstallInterruptHandler(nullptr); // the state it would stop goes away
}

void OperationRun::Finish() {
    if (progressSink_)
        progressSink_->Finish();
    else
        sink_.Finish();
    ui_->FinishProgress();
    out_.flush();
}

std::string OperationRun::ReportFileWritten() const {
    // A list that lists no files names no report file (its caption says "no output to file").
    if (setup.chkDisableOutputToFile || setup.txbReportFile.empty() ||
        state.intOperation == intOperationListFolders)
        return "";
    return setup.txbReportFile;
}

std::string OperationRun::ConsentRefusal() const {
    return "\"" + ui_->RefusedQuestion() + "\" " + GetProgramText(1440) + " " + GetProgramText(1441);
}

} // namespace kestrel::cli
