#include "cli/commands/OperationRun.h"

#include <iostream>
#include <unistd.h>

namespace kestrel::cli {

OperationRun::OperationRun(const CliOptions& options, std::ostream& out, std::ostream& err)
    : out_(out), sink_(out) {
    // Nobody to ask: behave as the unattended run does.
    const bool attended = !options.yes && ::isatty(STDIN_FILENO) && ::isatty(STDERR_FILENO);
    state.blnScheduledTask = !attended;
    state.blnStartupCompleted = true;
    ui_ = std::make_unique<TerminalInteraction>(state, std::cin, err, attended,
                                                options.progress && ::isatty(STDERR_FILENO));
    report_ = std::make_unique<ReportModel>(state, setup, *ui_);
    report_->setCapacityRule(false);
    report_->setSink(&sink_);
    ctx_ = std::make_unique<OperationContext>(OperationContext{setup, state, *ui_, *report_});
    InstallInterruptHandler();
}

OperationRun::~OperationRun() = default;

void OperationRun::Finish() {
    sink_.Finish();
    ui_->FinishProgress();
    out_.flush();
}

} // namespace kestrel::cli
