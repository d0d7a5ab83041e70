#pragma once

#include "platform/FileCopy.h"
#include "report/Interaction.h"
#include "report/OperationState.h"

#include <string>

namespace kestrel {

// Passes a file's copy progress on to the user (with the operation's totals so far) and the
// user's stop (Cancel, Ctrl-C, Quit) back to the copy, so a stop takes effect inside a large file.
platform::CopyProgressCallback CopyProgressRelay(Interaction& ui, const OperationState& state,
                                                 const std::string& sourcePath);

} // namespace kestrel
