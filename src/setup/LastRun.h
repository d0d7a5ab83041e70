#pragma once

#include "setup/Setup.h"
#include "setup/SetupFile.h"

#include <string>

namespace kestrel {

// The path of the last-run file "zbk.usr" in the program's per-user folder (created when
// missing).
std::string LastRunFile();

// Loads the last-run file when it exists; true when it existed and loaded without error.
bool LoadSetupFromLastRun(Setup& setup, const SetupLoadContext& context);

// Saves the setup in the last-run file for the next run.
bool SaveSetupForNextRun(const Setup& setup);

} // namespace kestrel
