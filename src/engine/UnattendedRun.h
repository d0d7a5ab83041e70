#pragma once

#include "engine/OperationContext.h"
#include "engine/Shutdown.h"
#include "platform/CommandRunner.h"

#include <string>

// The unattended run of a command-line start: the backup of new and modified files of the setup
// loaded from the last run, with its report in the target folder and no question at all, then,
// when the command line asks for it, the cancellable shutdown.
namespace kestrel {

// The report file of an unattended run: the target folder, "_Backup report ", the clock's date
// and time (date, a blank, hours and minutes) with every ":" replaced by ".", and ".txt".
std::string UnattendedReportFile(const std::string& targetFolder);

// Whether the command line asks for the shutdown: one of its words (blank-separated) is
// "shutdown" in any letter case, alone or after dashes or a slash ("--shutdown", "/shutdown").
bool CommandLineAsksForShutdown(const std::string& commandLine);

struct UnattendedRunResult {
    int backupResult = 0;   // the result code of the backup (FolderOperation.h)
    std::string resultText; // the text of a refusal
    bool shutdownStarted = false;
    bool shutdownCancelled = false;
};

// Runs the unattended backup on the context's setup (the caller has loaded the last-run setup),
// with blnScheduledTask set for its duration; `runner` and `prompt` serve the shutdown.
UnattendedRunResult RunUnattended(OperationContext& ctx, const std::string& commandLine,
                                  platform::CommandRunner& runner, ShutdownPrompt& prompt);

} // namespace kestrel
