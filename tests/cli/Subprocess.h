#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace kestrel::testing {

// The built kestrel-backup-cli, beside the test program.
std::string CliProgram();

// What a program wrote, its lines ending in "\n" whichever system's line end it used.
inline std::string WithNewlines(const std::string& text) {
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            lines += text[i];
    return lines;
}

// What reads as empty and swallows what is written: a child's standard input when nobody types.
#ifdef _WIN32
inline constexpr const char* kNullDevice = "NUL";
#else
inline constexpr const char* kNullDevice = "/dev/null";
#endif

// A run of a program in a child process, as a timer or a script runs it: no terminal.
struct ProcessRun {
    std::vector<std::string> argv;
    std::vector<std::string> environment; // NAME=value, the whole environment
    std::string stdinPath = kNullDevice;
    std::string outPath; // standard output into this file; empty: a pipe whose reader is gone
    std::string errPath; // standard error into this file
};
struct ProcessResult {
    int status = -1;      // the exit status, or 128 + signal
    std::string out, err; // what the files received
};
ProcessResult RunProcess(const ProcessRun& run);

// A program on a pseudo-terminal (standard input, output and error, and its controlling
// terminal; a pseudo console on Windows), read as a person would see it. With `errPath` its
// standard error goes into that file instead, as `2>file` in a shell sends it.
class PtyProcess {
public:
    PtyProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
               const std::string& errPath = "");
    ~PtyProcess();
    PtyProcess(const PtyProcess&) = delete;
    PtyProcess& operator=(const PtyProcess&) = delete;

    // Reads until the output holds `text` (true) or the limit passes (false).
    bool WaitFor(const std::string& text, std::chrono::seconds limit = std::chrono::seconds(60));
    void Type(const std::string& text);
    // Reads to the end and returns the exit status (128 + signal when killed).
    int Wait(std::chrono::seconds limit = std::chrono::seconds(120));
    const std::string& Output() const { return output_; }

private:
    struct Child; // the system's handles of the program and its terminal
    std::unique_ptr<Child> child_;
    std::string output_;
};

// Why what a test types cannot reach a program on a terminal here; empty where it can.
std::string TypingUnavailable();

// The environment of a timer's run (a scheduled task's on Windows): the per-user folders below
// `home`, a plain PATH of the system's folders, no display.
std::vector<std::string> MinimalEnvironment(const std::string& home);

} // namespace kestrel::testing
