#pragma once

#include "cli/commands/CliOptions.h"
#include "platform/TestSeam.h"

#include <iosfwd>
#include <memory>
#include <string>

namespace kestrel::platform {
class CommandRunner;
}

namespace kestrel::cli {

// Exit statuses of the tool.
enum ExitStatus { ExitOk = 0, ExitWithErrors = 1, ExitRefused = 2, ExitCancelled = 3 };

// One command of the tool; its output streams are given, so tests run it in-process. Whenever
// its status is not 0 it has said why on `err` in a line that begins with the program's name (what
// cron mails and a journal keeps), and keeps that account for a notification.
class Command {
public:
    virtual ~Command() = default;
    virtual int run(const CliOptions& options, std::ostream& out, std::ostream& err) = 0;
    // Why the status is not 0, as told on `err` without the program's name; "" after a success.
    const std::string& Account() const { return account_; }

protected:
    // Tells why the command refuses to run and gives the status of a refusal.
    int Refuse(std::ostream& err, const std::string& reason);
    // Tells how a run that is not a success ended and gives its `status` back.
    int Conclude(std::ostream& err, int status, const std::string& account);

private:
    std::string account_;
};

// The name of the operation a command runs, as the tool's accounts say it ("multiple backup" for
// multiple); a command that runs none keeps its own name.
std::string OperationWord(const std::string& command);
// "<operation> did not start", with the message that stopped it after a colon when there is one.
std::string NotStartedAccount(const std::string& command, const std::string& message);

// The beginning of every line in which the tool says why it did not succeed.
inline constexpr const char* kProgramPrefix = "kestrel-backup-cli: ";

// Test seam: while a guard lives, the shutdown command goes to its runner, so that no test ever
// shuts the machine down.
using ShutdownRunnerSeam = platform::TestSeam<struct ShutdownRunnerTag, platform::CommandRunner*>;
using ScopedShutdownRunnerForTesting = ShutdownRunnerSeam::Guard;

std::unique_ptr<Command> makeSaveCommand();
std::unique_ptr<Command> makeShowCommand();
std::unique_ptr<Command> makeBackupCommand();
std::unique_ptr<Command> makeCheckCommand();
std::unique_ptr<Command> makeListCommand();
std::unique_ptr<Command> makeDeleteCommand();
std::unique_ptr<Command> makeMultipleCommand();
std::unique_ptr<Command> makeSetupsFolderCommand();
std::unique_ptr<Command> makeRestoreCommand();

} // namespace kestrel::cli
