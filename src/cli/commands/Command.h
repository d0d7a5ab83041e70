#pragma once

#include "cli/commands/CliOptions.h"

#include <iosfwd>
#include <memory>
#include <string>

namespace kestrel::platform {
class CommandRunner;
}

namespace kestrel::cli {

// Exit statuses of the tool.
enum ExitStatus { ExitOk = 0, ExitWithErrors = 1, ExitRefused = 2, ExitCancelled = 3 };

// One command of the tool; its output streams are given, so tests run it in-process.
class Command {
public:
    virtual ~Command() = default;
    virtual int run(const CliOptions& options, std::ostream& out, std::ostream& err) = 0;
};

// Test seam: the runner of the shutdown command (the system's when null), so that no test ever
// shuts the machine down.
void setShutdownRunnerForTesting(platform::CommandRunner* runner);

std::unique_ptr<Command> makeSaveCommand();
std::unique_ptr<Command> makeShowCommand();
std::unique_ptr<Command> makeBackupCommand();
std::unique_ptr<Command> makeCheckCommand();
std::unique_ptr<Command> makeListCommand();
std::unique_ptr<Command> makeDeleteCommand();
std::unique_ptr<Command> makeMultipleCommand();
std::unique_ptr<Command> makeSetupsFolderCommand();

} // namespace kestrel::cli
