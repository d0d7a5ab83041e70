// The --progress status line: what it shows, how often it is drawn, and that it never shares a
// row with the report on one terminal.
#include "cli/commands/ProgressLine.h"
#include "cli/CliRun.h"
#include "cli/Subprocess.h"
#include "platform/NumberFormat.h"
#include "support/BuildTexts.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <sstream>

using kestrel::CopyProgress;
using kestrel::cli::FormatProgressLine;
using kestrel::cli::ProgressClock;
using kestrel::cli::ProgressLine;
using kestrel::cli::ProgressReportSink;
using kestrel::cli::ProgressSnapshot;
using kestrel::testing::CliProgram;
using kestrel::testing::contains;
using kestrel::testing::MinimalEnvironment;
using kestrel::testing::ProcessRun;
using kestrel::testing::PtyProcess;
using kestrel::testing::reportLinesOf;
using kestrel::testing::RunProcess;
using kestrel::testing::TempDir;
using namespace std::chrono_literals;

namespace {

// Sizes are grouped as the report groups them, in "," and "." whatever the machine's locale.
struct FixedNumberFormat {
    FixedNumberFormat() { kestrel::platform::setNumberFormat(&format); }
    ~FixedNumberFormat() { kestrel::platform::setNumberFormat(nullptr); }
    kestrel::platform::NumberFormat format;
};

std::size_t columns(const std::string& text) {
    std::size_t count = 0;
    for (char c : text)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

// What a terminal keeps of the output once every status line is taken off: each drawing is
// "\r" LINE "\033[K" and each clearing "\r\033[K".
std::string withoutStatusLines(std::string text) {
    for (std::size_t end; (end = text.find("\033[K")) != std::string::npos;) {
        const std::size_t start = text.rfind('\r', end);
        text.erase(start, end + 3 - start);
    }
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            plain += text[i];
    return plain;
}

ProgressSnapshot copying(const std::string& path, std::int64_t done, std::int64_t total, double rate) {
    ProgressSnapshot s;
    s.copying = true;
    s.copyPath = path;
    s.fileBytesDone = done;
    s.fileBytesTotal = total;
    s.filesCopied = 3;
    s.bytesCopied = 3 * 1024 * 1024 + done;
    s.bytesPerSecond = rate;
    return s;
}

CopyProgress progressOf(std::int64_t done, std::int64_t total, std::int64_t operationBytes) {
    return CopyProgress{"/data/video.mp4", done, total, 2, operationBytes};
}

} // namespace

TEST(ProgressLineText, ShowsTheFileItsBytesPercentTotalsRateAndTimeLeft) {
    FixedNumberFormat numbers;
    const std::string line = FormatProgressLine(
        copying("/data/film.mkv", 512 * 1024 * 1024LL, 1024 * 1024 * 1024LL, 64.0 * 1024 * 1024), 200);
    EXPECT_TRUE(contains(line, "/data/film.mkv  512.00 Mb of 1.00 Gb (50%)")) << line;
    EXPECT_TRUE(contains(line, "copied 3 files, 515.00 Mb")) << line;
    EXPECT_TRUE(contains(line, "64.00 Mb/s, 0:08 left")) << line;

    ProgressSnapshot between;
    between.folder = "/data/album/";
    between.file = "song.mp3";
    between.copiedLabel = "Copied: 12 bytes in 1 file";
    EXPECT_EQ(FormatProgressLine(between, 200), "/data/album/  song.mp3 | Copied: 12 bytes in 1 file");
}

TEST(ProgressLineText, NeverWiderThanTheTerminalAndNeverCutsACharacterOrPrintsAControl) {
    FixedNumberFormat numbers;
    const std::string longName =
        "/home/anna/Fotos/Sommer in Köln/" + std::string(150, 'x') + "/Ärger\n\033[2J.mp4";
    for (std::size_t width : {10u, 20u, 40u, 60u, 80u, 132u, 300u}) {
        for (const ProgressSnapshot& s : {copying(longName, 10, 100, 1000), copying(longName, 0, 0, -1)}) {
            const std::string line = FormatProgressLine(s, width);
            EXPECT_LE(columns(line), width - 1) << width << ": " << line;
            EXPECT_EQ(line.find_first_of("\n\r\033"), std::string::npos) << line;
            if (!line.empty())
                EXPECT_NE(static_cast<unsigned char>(line.back()) & 0xC0, 0xC0) << "a cut character";
            if (width >= 60)
                EXPECT_TRUE(contains(line, ".mp4  10 bytes of 100 bytes (10%)") ||
                            contains(line, ".mp4  0 bytes of 0 bytes (100%)"))
                    << line;
        }
    }
}

TEST(ProgressLine, UpdatesInsideTheThrottleAreShownAtTheNextDrawingAndAStillLineIsRedrawnEverySecond) {
    FixedNumberFormat numbers;
    std::ostringstream terminal;
    ProgressLine line(terminal, std::nullopt, false);
    const auto t0 = ProgressClock::now();
    line.Update(progressOf(0, 1000, 0), t0);
    line.Tick(t0);
    EXPECT_TRUE(contains(terminal.str(), "0 bytes of 1,000 bytes (0%)")) << terminal.str();

    line.Update(progressOf(500, 1000, 500), t0 + 10ms);
    terminal.str("");
    line.Tick(t0 + 20ms);
    EXPECT_EQ(terminal.str(), "") << "inside the throttle";
    line.Tick(t0 + 150ms);
    EXPECT_TRUE(contains(terminal.str(), "500 bytes of 1,000 bytes (50%)"))
        << "kept, not dropped: " << terminal.str();

    // Nothing new: drawn again only when a second has passed, with the rate and time left.
    terminal.str("");
    line.Tick(t0 + 900ms);
    EXPECT_EQ(terminal.str(), "");
    line.Tick(t0 + 1200ms);
    EXPECT_TRUE(contains(terminal.str(), "bytes/s, ")) << terminal.str();
    EXPECT_TRUE(contains(terminal.str(), " left")) << terminal.str();
}

TEST(ProgressLine, HiddenForAReportLineOrAQuestionAndDrawnAgainAfter) {
    std::ostringstream terminal;
    ProgressLine line(terminal, std::nullopt, false);
    const auto t0 = ProgressClock::now();
    line.SetFolder("/data/");
    line.Tick(t0);
    line.Hide();
    EXPECT_EQ(terminal.str().substr(terminal.str().size() - 4), "\r\033[K");
    terminal.str("");
    line.SetFile("a.txt");
    line.Tick(t0 + 5s);
    EXPECT_EQ(terminal.str(), "") << "never drawn while hidden";
    line.Show();
    EXPECT_TRUE(contains(terminal.str(), "/data/  a.txt")) << terminal.str();
    line.Stop();
    EXPECT_EQ(terminal.str().substr(terminal.str().size() - 4), "\r\033[K") << "the end leaves the row empty";
}

TEST(ProgressLine, TheReportAndTheLineOnOneTerminalNeverShareARow) {
    std::ostringstream terminal; // standard output and standard error on one terminal
    kestrel::StreamReportSink report(terminal);
    ProgressLine line(terminal, std::nullopt, false);
    ProgressReportSink sink(report, line);
    const auto t0 = ProgressClock::now();
    const std::string text = "Source folder: /data/album 19/sub/\r\n      video.mp4";
    sink.ReportWritten(text);
    line.SetFile("video.mp4");
    line.Update(progressOf(100, 1000, 100), t0);
    line.Tick(t0);
    line.Update(progressOf(900, 1000, 900), t0 + 2s);
    line.Tick(t0 + 2s);
    sink.ReportWritten("  Copied.\r\n");
    sink.Finish();
    line.Stop();
    const std::string shown = terminal.str();
    EXPECT_TRUE(contains(shown, "(90%)")) << shown;
    EXPECT_EQ(withoutStatusLines(shown), "Source folder: /data/album 19/sub/\n      video.mp4  Copied.\n");
    // Every status line starts on a row of its own: after a line end or a clearing.
    for (std::size_t at = shown.find("/data/video.mp4  "); at != std::string::npos;
         at = shown.find("/data/video.mp4  ", at + 1)) {
        ASSERT_GT(at, 0u);
        EXPECT_EQ(shown[at - 1], '\r') << shown;
        EXPECT_TRUE(at < 2 || shown[at - 2] == '\n' || shown[at - 2] == 'K') << shown;
    }
}

TEST(ProgressEndToEnd, OnATerminalTheReportStaysWholeBesideTheStatusLine) {
    SKIP_ON_WINDOWS("a pseudo console passes on a rendering of its screen (cursor moves, rows drawn again), "
                    "not the bytes the program wrote, so its rows cannot be compared with the report's");
    TempDir dir;
    for (int i = 0; i < 40; ++i)
        dir.createFile("src/Folder " + std::to_string(i % 4) + "/file " + std::to_string(i) + ".txt",
                       std::string(1000 + i, 'p'));
    dir.createFolder("dst");
    dir.createFolder("home");
    PtyProcess terminal({CliProgram(), "backup", "--source", dir.path("src"), "--target", dir.path("dst"),
                         "--include-all", "--report", dir.path("report.txt"), "--yes", "--progress"},
                        MinimalEnvironment(dir.path("home/")));
    ASSERT_EQ(terminal.Wait(), 0) << terminal.Output();
    const std::string shown = terminal.Output();
    EXPECT_TRUE(contains(shown, "\033[K")) << "a status line was drawn";
    // The terminal shows the report file's lines, each whole.
    EXPECT_EQ(reportLinesOf(withoutStatusLines(shown), "\n"),
              reportLinesOf(dir.readFile("report.txt"), "\r\n"))
        << shown;
}

TEST(ProgressEndToEnd, NoStatusLineWhenStandardErrorIsNotATerminal) {
    TempDir dir;
    dir.createFile("src/A/a.txt", "a");
    dir.createFolder("dst");
    dir.createFolder("home");
    auto result =
        RunProcess(ProcessRun{{CliProgram(), "backup", "--source", dir.path("src"), "--target",
                               dir.path("dst"), "--include-all", "--no-report", "--yes", "--progress"},
                              MinimalEnvironment(dir.path("home/")),
                              kestrel::testing::kNullDevice,
                              dir.path("out.txt"),
                              dir.path("err.txt")});
    EXPECT_EQ(result.status, 0);
    EXPECT_FALSE(contains(result.err + result.out, "\033[K"));
}
