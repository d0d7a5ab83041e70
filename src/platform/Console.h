#pragma once

#include <iosfwd>
#include <memory>
#include <string>

// The program's standard streams as the command-line tool sees them: whether a person is at
// them, how wide the terminal is, and whether an answer was typed in time.
namespace kestrel::platform {

enum class StandardStream { Input, Output, Error };

// Whether the stream is a terminal (a console window on Windows) rather than a file or a pipe.
bool isTerminal(StandardStream stream);
// Whether both streams are terminals and the same one (one line on the screen serves both).
bool isSameTerminal(StandardStream a, StandardStream b);
// The columns of the terminal the stream writes to; `fallback` when it is none or says nothing.
int terminalColumns(StandardStream stream, int fallback = 80);
// Waits up to `milliseconds` for something to read on standard input; true when it came.
bool waitForInput(int milliseconds);
// The terminal itself, opened for writing, for questions when standard error is kept in a file
// (/dev/tty; the console on Windows, its text shown as written); null when there is none.
std::unique_ptr<std::ostream> openTerminalForWriting();

// Makes what the program writes to standard output and error show as written where they are
// terminals: names beyond ASCII as such, and the status line's escape sequences drawn rather
// than printed (a Windows console reads bytes in its own code page and draws no sequences unless
// asked; a POSIX terminal does both already). Once, at the start, before anything is written;
// a file or a pipe gets the program's bytes unchanged.
void prepareTerminalOutput();

// Asks of the user or the system to stop the program: Ctrl-C, a closed terminal and a polite
// request to end (POSIX: SIGINT, SIGHUP, SIGTERM; Windows: the console's control events).
// `handler` runs wherever the system delivers them (a signal handler, a thread of its own), so it
// may only set atomic flags or end the program with exitAtOnce. nullptr gives the system's
// default back. Writing to a closed pipe is made a failed write instead of the program's end.
using StopHandler = void (*)();
void installStopHandler(StopHandler handler);
// Ends the program at once with the status, running nothing more (no destructors, no flushes).
[[noreturn]] void exitAtOnce(int status);

} // namespace kestrel::platform
