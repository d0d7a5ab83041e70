#pragma once

#include "cli/commands/CliOptions.h"
#include "cli/commands/SummaryReportSink.h"
#include "cli/commands/TerminalInteraction.h"
#include "engine/OperationContext.h"
#include "report/ReportModel.h"
#include "report/ReportSink.h"

#include <iosfwd>
#include <memory>

namespace kestrel::cli {

// What every operation command runs with: the setup, the shared state, the terminal's questions
// and the report streamed to `out` as the report window receives it.
class OperationRun {
public:
    OperationRun(const CliOptions& options, std::ostream& out, std::ostream& err);
    ~OperationRun();

    Setup setup;
    OperationState state;
    TerminalInteraction& ui() { return *ui_; }
    ReportModel& report() { return *report_; }
    OperationContext& ctx() { return *ctx_; }
    // Ends the streamed report and the progress line.
    void Finish();
    // The report file the run wrote its report into; "" when it wrote none.
    std::string ReportFileWritten() const;
    // Whether a question was refused for want of consent, and why that refuses the command.
    bool ConsentRefused() const { return !ui_->RefusedQuestion().empty(); }
    std::string ConsentRefusal() const;

private:
    std::ostream& out_;
    std::unique_ptr<std::ostream> terminal_; // the terminal, when standard error is not one
    std::unique_ptr<TerminalInteraction> ui_;
    std::unique_ptr<ReportModel> report_;
    std::unique_ptr<OperationContext> ctx_;
    StreamReportSink sink_;
    std::unique_ptr<ProgressReportSink> progressSink_;
    std::unique_ptr<SummaryReportSink> summarySink_;
};

} // namespace kestrel::cli
