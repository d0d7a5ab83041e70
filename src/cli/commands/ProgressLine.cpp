#include "cli/commands/ProgressLine.h"

#include "modules/DiskProc.h"
#include "modules/Language.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <vector>

namespace kestrel::cli {

namespace {

bool isContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Columns a text takes, one a character (the names of files are not laid out further).
std::size_t columnsOf(const std::string& text) {
    std::size_t columns = 0;
    for (char c : text)
        columns += isContinuation(c) ? 0 : 1;
    return columns;
}

// The last `columns` characters of a text.
std::string tailOf(const std::string& text, std::size_t columns) {
    std::size_t start = text.size();
    std::size_t taken = 0;
    while (start > 0 && taken < columns) {
        --start;
        if (!isContinuation(text[start]))
            ++taken;
    }
    return text.substr(start);
}

// The first `columns` characters of a text.
std::string headOf(const std::string& text, std::size_t columns) {
    std::size_t end = 0;
    std::size_t taken = 0;
    while (end < text.size()) {
        if (!isContinuation(text[end]) && taken++ == columns)
            break;
        ++end;
    }
    return text.substr(0, end);
}

// A name may hold line ends, tabs or escapes; on the status line each is one visible "?".
std::string printable(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    return out;
}

std::string duration(double seconds) {
    const long total = static_cast<long>(seconds + 0.5);
    char buffer[32];
    if (total >= 3600)
        std::snprintf(buffer, sizeof buffer, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    else
        std::snprintf(buffer, sizeof buffer, "%ld:%02ld", total / 60, total % 60);
    return buffer;
}

constexpr auto kRateWindow = std::chrono::seconds(5);

} // namespace

std::string FormatProgressLine(const ProgressSnapshot& s, std::size_t width) {
    std::string name;
    // The figures, the most wanted first; on a narrow terminal the later ones give way.
    std::vector<std::string> figures;
    if (s.copying) {
        name = s.copyPath;
        const int percent = s.fileBytesTotal > 0
                                ? static_cast<int>(100.0 * static_cast<double>(s.fileBytesDone) /
                                                   static_cast<double>(s.fileBytesTotal))
                                : 100;
        // Sizes in the units and form of the report's.
        figures.push_back("  " + FormatByteSize(static_cast<double>(s.fileBytesDone), false) + " " +
                          GetProgramText(1454) + " " +
                          FormatByteSize(static_cast<double>(s.fileBytesTotal), false) + " (" +
                          std::to_string(percent) + "%)");
        if (s.bytesPerSecond > 0) {
            const double left = static_cast<double>(s.fileBytesTotal - s.fileBytesDone) / s.bytesPerSecond;
            figures.push_back(" | " + FormatByteSize(s.bytesPerSecond, false) + GetProgramText(1455) + ", " +
                              duration(left < 0 ? 0 : left) + " " + GetProgramText(1456));
        }
        figures.push_back(" | " + GetProgramText(1457) + " " + std::to_string(s.filesCopied) + " " +
                          GetProgramText(s.filesCopied == 1 ? 1458 : 1459) + ", " +
                          FormatByteSize(static_cast<double>(s.bytesCopied), false));
    } else {
        name = s.folder + (s.folder.empty() || s.file.empty() ? "" : "  ") + s.file;
        if (!s.copiedLabel.empty())
            figures.push_back(" | " + s.copiedLabel);
    }
    name = printable(name);
    const std::size_t room = width > 1 ? width - 1 : 0;
    const std::size_t nameRoom = std::min<std::size_t>(columnsOf(name), 16);
    std::string figureText;
    for (const std::string& figure : figures) {
        if (columnsOf(figureText + figure) + nameRoom > room)
            break;
        figureText += printable(figure);
    }
    const std::size_t figureColumns = columnsOf(figureText);
    if (figureColumns + nameRoom > room) // too narrow even for the first figure
        return headOf(name + (figures.empty() ? "" : printable(figures.front())), room);
    if (columnsOf(name) + figureColumns > room)
        name = "..." + tailOf(name, room - figureColumns - 3);
    return name + figureText;
}

ProgressLine::ProgressLine(std::ostream& err, std::optional<platform::StandardStream> terminal,
                           bool redrawThread)
    : err_(err), terminal_(terminal) {
    if (!redrawThread)
        return;
    thread_ = std::thread([this] {
        std::unique_lock lock(mutex_);
        while (!stopped_) {
            wake_.wait_for(lock, std::chrono::milliseconds(250));
            if (stopped_)
                break;
            TickLocked(ProgressClock::now());
        }
    });
}

ProgressLine::~ProgressLine() {
    Stop();
}

void ProgressLine::SetFolder(const std::string& folder) {
    std::lock_guard lock(mutex_);
    state_.folder = folder;
    changed_ = true;
}

void ProgressLine::SetFile(const std::string& file) {
    std::lock_guard lock(mutex_);
    state_.file = file;
    // A new name ends the copy shown before (or the copy ended: the name is emptied).
    state_.copying = false;
    changed_ = true;
}

void ProgressLine::SetCopiedLabel(const std::string& text) {
    std::lock_guard lock(mutex_);
    state_.copiedLabel = text;
    changed_ = true;
}

void ProgressLine::Update(const CopyProgress& progress, ProgressClock::time_point now) {
    std::lock_guard lock(mutex_);
    state_.copying = true;
    state_.copyPath = progress.sourcePath;
    state_.fileBytesDone = progress.fileBytesDone;
    state_.fileBytesTotal = progress.fileBytesTotal;
    state_.filesCopied = progress.operationFilesCopied;
    state_.bytesCopied = progress.operationBytesCopied;
    samples_.emplace_back(now, progress.operationBytesCopied);
    while (samples_.size() > 2 && now - samples_[1].first >= kRateWindow)
        samples_.pop_front();
    changed_ = true;
}

ProgressSnapshot ProgressLine::SnapshotLocked(ProgressClock::time_point now) const {
    ProgressSnapshot snapshot = state_;
    if (!samples_.empty()) {
        const double seconds = std::chrono::duration<double>(now - samples_.front().first).count();
        if (seconds >= 0.5)
            snapshot.bytesPerSecond =
                static_cast<double>(samples_.back().second - samples_.front().second) / seconds;
    }
    return snapshot;
}

ProgressSnapshot ProgressLine::Snapshot(ProgressClock::time_point now) const {
    std::lock_guard lock(mutex_);
    return SnapshotLocked(now);
}

void ProgressLine::Tick(ProgressClock::time_point now) {
    std::lock_guard lock(mutex_);
    TickLocked(now);
}

void ProgressLine::TickLocked(ProgressClock::time_point now) {
    if (hidden_ || stopped_)
        return;
    if (changed_ ? now - lastDraw_ >= std::chrono::milliseconds(100)
                 : drawn_ && now - lastDraw_ >= std::chrono::seconds(1))
        DrawLocked(now);
}

std::size_t ProgressLine::Width() const {
    constexpr int kColumns = 80;
    return static_cast<std::size_t>(terminal_ ? platform::terminalColumns(*terminal_, kColumns) : kColumns);
}

void ProgressLine::DrawLocked(ProgressClock::time_point now) {
    const std::string line = FormatProgressLine(SnapshotLocked(now), Width());
    err_ << "\r" << line << "\033[K" << std::flush;
    drawn_ = true;
    changed_ = false;
    lastDraw_ = now;
}

void ProgressLine::ClearLocked() {
    if (drawn_) {
        err_ << "\r\033[K" << std::flush;
        drawn_ = false;
    }
}

void ProgressLine::Hide() {
    std::lock_guard lock(mutex_);
    ++hidden_;
    ClearLocked();
}

void ProgressLine::Show() {
    std::lock_guard lock(mutex_);
    if (hidden_ > 0)
        --hidden_;
    if (!hidden_ && !stopped_)
        DrawLocked(ProgressClock::now());
}

void ProgressLine::Stop() {
    {
        std::lock_guard lock(mutex_);
        if (stopped_)
            return;
        stopped_ = true;
        ClearLocked();
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void ProgressReportSink::ReportWritten(const std::string& text) {
    pending_ += text;
    const std::size_t end = pending_.rfind('\n');
    if (end == std::string::npos)
        return;
    progress_.Hide();
    inner_.ReportWritten(pending_.substr(0, end + 1));
    progress_.Show();
    pending_.erase(0, end + 1);
}

void ProgressReportSink::ReportRestarted(const std::string& text) {
    Finish();
    ReportWritten(text);
}

void ProgressReportSink::Finish() {
    progress_.Hide();
    if (!pending_.empty())
        inner_.ReportWritten(pending_);
    pending_.clear();
    inner_.Finish();
    progress_.Show();
}

} // namespace kestrel::cli
