#pragma once

#include "platform/Console.h"
#include "report/Interaction.h"
#include "report/ReportSink.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <iosfwd>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace kestrel::cli {

using ProgressClock = std::chrono::steady_clock;

// What the status line shows at one moment.
struct ProgressSnapshot {
    std::string folder;      // the folder being read
    std::string file;        // the file being processed (a name in the folder)
    std::string copiedLabel; // the operation's own running count ("Copied: … in 3 files")
    bool copying = false;    // a copy's progress has come for the current file
    std::string copyPath;    // the file being copied
    std::int64_t fileBytesDone = 0;
    std::int64_t fileBytesTotal = 0;
    std::int64_t filesCopied = 0; // by the operation, before the current file
    std::int64_t bytesCopied = 0; // by the operation, the current file's included
    double bytesPerSecond = -1;   // below 0: not known yet
};

// The line for a terminal `width` columns wide: never wider than width - 1, so the terminal
// never wraps it; a long path is shortened in its middle, the figures are kept.
std::string FormatProgressLine(const ProgressSnapshot& snapshot, std::size_t width);

// One status line on a terminal, kept at its last row: drawn again at least once a second while
// it is shown (by its own thread), so a long copy shows movement; every update is kept and shown
// at the next drawing, none is dropped. Hide() takes it off the screen for a report line or a
// question, Show() draws it again.
class ProgressLine {
public:
    // `terminal` is the stream of the terminal the line goes to (for its width; none: 80
    // columns); with `redrawThread` false only Tick draws (tests).
    ProgressLine(std::ostream& err, std::optional<platform::StandardStream> terminal,
                 bool redrawThread = true);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void SetFolder(const std::string& folder);
    void SetFile(const std::string& file);
    void SetCopiedLabel(const std::string& text);
    void Update(const CopyProgress& progress, ProgressClock::time_point now = ProgressClock::now());
    // Draws the line when it changed at least 100 ms after the last drawing, or when a second has
    // passed since the line on the screen was drawn (the rate and the time left move on by
    // themselves). Nothing is drawn before the operation first says where it is.
    void Tick(ProgressClock::time_point now = ProgressClock::now());

    void Hide();
    void Show();
    // Takes the line off for good (the end of the run).
    void Stop();

    ProgressSnapshot Snapshot(ProgressClock::time_point now) const;

private:
    void TickLocked(ProgressClock::time_point now);
    void DrawLocked(ProgressClock::time_point now);
    void ClearLocked();
    std::size_t Width() const;
    ProgressSnapshot SnapshotLocked(ProgressClock::time_point now) const;

    std::ostream& err_;
    std::optional<platform::StandardStream> terminal_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    ProgressSnapshot state_;
    std::deque<std::pair<ProgressClock::time_point, std::int64_t>> samples_; // for the rate
    bool changed_ = false;
    bool drawn_ = false;
    int hidden_ = 0;
    bool stopped_ = false;
    ProgressClock::time_point lastDraw_{};
    std::thread thread_;
};

// The report on the terminal that also shows the status line: only whole lines are written,
// each with the status line taken off first and drawn again after, so that the two never
// share a row. What is left of an open line is written at Finish.
class ProgressReportSink : public ReportSink {
public:
    ProgressReportSink(StreamReportSink& inner, ProgressLine& progress)
        : inner_(inner), progress_(progress) {}
    void ReportWritten(const std::string& text) override;
    void ReportRestarted(const std::string& text) override;
    void Finish();

private:
    StreamReportSink& inner_;
    ProgressLine& progress_;
    std::string pending_;
};

} // namespace kestrel::cli
