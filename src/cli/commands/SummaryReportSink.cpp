#include "cli/commands/SummaryReportSink.h"

namespace kestrel::cli {

void SummaryReportSink::ReportWritten(const std::string& text) {
    if (state_.blnDisplayingSummary)
        inner_.ReportWritten(text);
}

void SummaryReportSink::ReportRestarted(const std::string& text) {
    if (state_.blnDisplayingSummary)
        inner_.ReportRestarted(text);
}

} // namespace kestrel::cli
