#pragma once

#include <ostream>
#include <string>

namespace kestrel {

// Receives every text the report window receives, in order, for a place that shows the report
// without being the window (the command-line tool's standard output).
class ReportSink {
public:
    virtual ~ReportSink() = default;
    // Text added at the end of the report (CR LF line ends).
    virtual void ReportWritten(const std::string& text) = 0;
    // The report starts again from `text` (the window's text was replaced); a stream cannot take
    // back what it showed, so it only carries on with the new text.
    virtual void ReportRestarted(const std::string& text) = 0;
};

// Streams the report to an output stream with "\n" line ends.
class StreamReportSink : public ReportSink {
public:
    explicit StreamReportSink(std::ostream& out) : out_(out) {}
    ~StreamReportSink() override;

    void ReportWritten(const std::string& text) override;
    void ReportRestarted(const std::string& text) override;
    // Ends an open line, so whatever comes after the report starts on a line of its own.
    void Finish();

private:
    std::ostream& out_;
    bool pendingCR_ = false; // a CR that may be the first half of CR LF
    bool lineOpen_ = false;  // something is written since the last line end
};

} // namespace kestrel
