#pragma once

#include "platform/CommandRunner.h"

#include <string>
#include <vector>

namespace kestrel::testing {

// A command runner that runs nothing: it records each command line and answers with a status.
class RecordingCommandRunner : public platform::CommandRunner {
public:
    struct Command {
        std::string program;
        std::vector<std::string> arguments;
        bool operator==(const Command&) const = default;
    };

    int run(const std::string& program, const std::vector<std::string>& arguments) override {
        commands.push_back({program, arguments});
        return status;
    }

    std::vector<Command> commands;
    int status = 0;
};

// The commands the running system's platform gives for the shutdown after an unattended run
// and for calling it off, with the comment the engine sends.
#ifdef _WIN32
inline const RecordingCommandRunner::Command kScheduledShutdown{
    "shutdown", {"/s", "/t", "60", "/c", "Cancellation possible.\r\nSee comment below"}};
inline const RecordingCommandRunner::Command kCancelledShutdown{"shutdown", {"/a"}};
#else
inline const RecordingCommandRunner::Command kScheduledShutdown{
    "shutdown", {"-P", "+1", "Cancellation possible.\nSee comment below"}};
inline const RecordingCommandRunner::Command kCancelledShutdown{"shutdown", {"-c"}};
#endif

} // namespace kestrel::testing
