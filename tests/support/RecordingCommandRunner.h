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

} // namespace kestrel::testing
