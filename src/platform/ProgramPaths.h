#pragma once

#include <string>

namespace kestrel::platform {

// The folder that holds the program's data files (program texts, help text), ending in "/":
// the executable's own folder when they lie there, else ../share/kestrel-backup/ beside it.
std::string programFolder();
// Tests and the command-line tool may point elsewhere; an empty text returns to the default.
void setProgramFolder(const std::string& folder);

// The per-user configuration folder ($XDG_CONFIG_HOME, else ~/.config), without a final "/".
std::string configHome();

} // namespace kestrel::platform
