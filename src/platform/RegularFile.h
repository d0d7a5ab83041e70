#pragma once

#include "platform/ErrorCodes.h"

#include <string>

namespace kestrel::platform {

// Opens a file the program reads or writes as a whole (a setup file, the last-run file, the
// program text file, a report file) and that must be a regular file. Opening never waits: a
// FIFO or a device given in its place is refused at once with error 75 instead of hanging the
// program. `flags` are open(2)'s; the descriptor returned blocks as usual. -1 with `error` set
// on failure. `allowCharacterDevice` lets a report go to a device such as /dev/null, which
// takes writes without waiting.
int openRegularFile(const std::string& path, int flags, unsigned mode, Error& error,
                    bool allowCharacterDevice = false);

} // namespace kestrel::platform
