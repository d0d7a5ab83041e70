#pragma once

#include "setup/Setup.h"
#include "setup/SetupFile.h"

#include <string>

namespace kestrel {

// The path of the last-run file "zbk.usr" in the program's per-user folder (created when
// missing).
std::string LastRunFile();

// Loads the last-run file when it exists; true when it existed and loaded with result 0.
// `loadResult` receives the load's result, or 53 when there is no last-run file (the setup then
// stays as it was). The window then refreshes its displays and takes the restore copy.
bool LoadSetupFromLastRun(Setup& setup, const SetupLoadContext& context, int* loadResult = nullptr);

// Why the last-run setup cannot be run, from the result LoadSetupFromLastRun gave ("" for 0):
// there is none yet, or its file cannot be loaded. Names the file and how to make a new one.
std::string LastRunLoadFailure(int loadResult);

// Saves the setup in the last-run file for the next run.
bool SaveSetupForNextRun(const Setup& setup);

} // namespace kestrel
