#pragma once

#include <string>
#include <vector>

namespace kestrel::platform {

// Starts a system program with its arguments, each passed as it is (no shell between, so no
// quoting). The program never starts one by itself: whoever may run a system command (the
// shutdown after an unattended run) is given a runner, and tests give one that only records.
class CommandRunner {
public:
    virtual ~CommandRunner() = default;
    // The program's exit status, or -1 when it could not be started or did not exit normally.
    virtual int run(const std::string& program, const std::vector<std::string>& arguments) = 0;
};

// Runs the program found on PATH and waits for it to exit.
class SystemCommandRunner : public CommandRunner {
public:
    int run(const std::string& program, const std::vector<std::string>& arguments) override;
};

// The delayed power-off with a message to the users of the machine (Windows: shutdown /s /c
// "..."); a CR LF in the message becomes the platform's line end.
int ScheduleShutdown(CommandRunner& runner, const std::string& comment);
// Powers off at once, with the same message (the program has held the delay itself).
int PowerOffNow(CommandRunner& runner, const std::string& comment);
// Calls off a pending shutdown (Windows: shutdown /a).
int CancelShutdown(CommandRunner& runner);

} // namespace kestrel::platform
