#pragma once

#include "cli/commands/TerminalInteraction.h"
#include "platform/Console.h"

#include <string>
#include <vector>

// The ways the system asks the tool to stop, delivered to the test program itself as the system
// delivers them: POSIX signals; on Windows console control events, each handled on a thread of
// its own as the system starts one for it.
namespace kestrel::testing {

// Every request this system sends: SIGTERM (`systemctl stop`), SIGHUP (a closed terminal) and
// SIGINT (Ctrl-C); on Windows Ctrl-C and Ctrl-Break.
std::vector<int> StopRequests();
// Ctrl-C.
int InterruptRequest();
// A name for messages.
std::string StopRequestName(int request);
// Delivers the request and returns once the handler has run; false when this system cannot
// deliver it to a program here. The tool's handler must be installed: the system's default
// ends the program.
bool SendStop(int request);

// Gives the system's own handling of stop requests back, and the tool's count of them, when a
// test ends.
using StopHandlingReset = cli::ScopedInterruptHandlingForTesting;

} // namespace kestrel::testing
