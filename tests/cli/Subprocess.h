#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kestrel::testing {

// The built kestrel-backup-cli, beside the test program.
std::string CliProgram();

// A run of a program in a child process, as a timer or a script runs it: no terminal.
struct ProcessRun {
    std::vector<std::string> argv;
    std::vector<std::string> environment; // NAME=value, the whole environment
    std::string stdinPath = "/dev/null";
    std::string outPath; // standard output into this file; empty: a pipe whose reader is gone
    std::string errPath; // standard error into this file
};
struct ProcessResult {
    int status = -1;      // the exit status, or 128 + signal
    std::string out, err; // what the files received
};
ProcessResult RunProcess(const ProcessRun& run);

// A program on a pseudo-terminal (standard input, output and error, and its controlling
// terminal), read as a person would see it.
class PtyProcess {
public:
    PtyProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment);
    ~PtyProcess();
    PtyProcess(const PtyProcess&) = delete;
    PtyProcess& operator=(const PtyProcess&) = delete;

    // Reads until the output holds `text` (true) or the limit passes (false).
    bool WaitFor(const std::string& text, std::chrono::seconds limit = std::chrono::seconds(60));
    void Type(const std::string& text);
    // Reads to the end and returns the exit status (128 + signal when killed).
    int Wait(std::chrono::seconds limit = std::chrono::seconds(120));
    const std::string& Output() const { return output_; }
    pid_t Pid() const { return pid_; }

private:
    bool ReadSome(int timeoutMs);
    pid_t pid_ = -1;
    int master_ = -1;
    bool exited_ = false;
    int waitStatus_ = 0;
    std::string output_;
};

// The environment of a timer's run: a home and XDG folders below `home`, a plain PATH, no
// display.
std::vector<std::string> MinimalEnvironment(const std::string& home);

} // namespace kestrel::testing
