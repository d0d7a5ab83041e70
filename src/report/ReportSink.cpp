#include "report/ReportSink.h"

namespace kestrel {

StreamReportSink::~StreamReportSink() {
    if (pendingCR_) {
        out_ << '\r';
    }
    out_.flush();
}

void StreamReportSink::ReportWritten(const std::string& text) {
    std::string converted;
    converted.reserve(text.size() + 1);
    for (char c : text) {
        if (pendingCR_) {
            pendingCR_ = false;
            if (c == '\n') {
                converted += '\n';
                continue;
            }
            converted += '\r';
        }
        if (c == '\r') {
            pendingCR_ = true;
        } else {
            converted += c;
        }
    }
    if (!converted.empty()) {
        lineOpen_ = converted.back() != '\n';
    } else if (pendingCR_) {
        lineOpen_ = true;
    }
    out_ << converted;
    // A terminal reader wants each line as it is reported, not when a buffer fills.
    if (converted.find('\n') != std::string::npos) {
        out_.flush();
    }
}

void StreamReportSink::ReportRestarted(const std::string& text) {
    Finish();
    ReportWritten(text);
}

void StreamReportSink::Finish() {
    if (pendingCR_) {
        pendingCR_ = false;
        out_ << '\r';
        lineOpen_ = true;
    }
    if (lineOpen_) {
        out_ << '\n';
        lineOpen_ = false;
    }
    out_.flush();
}

} // namespace kestrel
