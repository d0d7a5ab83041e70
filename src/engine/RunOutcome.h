#pragma once

#include "report/OperationState.h"

#include <string>

// How a run that nobody watched ended, said in one line for those who look later: the command-
// line tool's standard error (what cron mails and a journal keeps) and the desktop's notification.
namespace kestrel {

enum class RunEnd { Done, WithTroubles, Refused, Cancelled };

struct RunOutcome {
    RunEnd end = RunEnd::Done;
    std::string account; // why it is not Done, in one line; "" when it is
};

// How the operation `operation` ("backup") ended, from its result code (FolderOperation.h), the
// text of a refusal and the state it left: refused before it started, cancelled (a full target
// is no cancel but an error), with troubles, or done.
RunOutcome OutcomeOf(const std::string& operation, int result, const std::string& refusal,
                     const OperationState& state, const std::string& reportFile);

// The run's troubles in words ("2 copy errors and 1 warning", "the target disk is full"); ""
// when it had none.
std::string RunTroubles(const OperationState& state);

// "backup ended with 2 copy errors and 1 warning" or "backup stopped before the end", then the
// report file when one was written ("; report file: FILE").
std::string RunEndAccount(const std::string& operation, const OperationState& state,
                          const std::string& reportFile);

// Tells the desktop user how the run ended (`account` as its text), where the desktop has a
// notification service; nothing happens where it has none.
void NotifyRunEnd(RunEnd end, const std::string& operation, const std::string& account);

} // namespace kestrel
