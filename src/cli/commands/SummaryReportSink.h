#pragma once

#include "report/OperationState.h"
#include "report/ReportSink.h"

namespace kestrel::cli {

// Passes on only the report's summary (what an operation reports once its walk has ended), so
// that a journal gets the totals instead of a line per folder and file (--summary). The report
// file still gets every line.
class SummaryReportSink : public ReportSink {
public:
    SummaryReportSink(ReportSink& inner, const OperationState& state) : inner_(inner), state_(state) {}
    void ReportWritten(const std::string& text) override;
    void ReportRestarted(const std::string& text) override;

private:
    ReportSink& inner_;
    const OperationState& state_;
};

} // namespace kestrel::cli
