#pragma once

#include <string>

// The setups folder (where the setup files of a multiple backup lie) belongs to no setup: it is
// kept in the per-user settings store, shared by the desktop program and the command-line tool.
namespace kestrel {

// The folder last chosen, a folder value ending in the separator; "" when none is chosen or the
// store cannot be read.
std::string RestoreSetupsFolder();

// Keeps `folder` for the next run ("" clears it). False when the store cannot be written.
bool SaveSetupsFolder(const std::string& folder);

} // namespace kestrel
