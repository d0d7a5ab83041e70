#pragma once

#include <string>

namespace kestrel::platform {

// The folder that holds the running executable, ending in the separator.
std::string executableFolder();

// The folder that holds the program's data files (program texts, help text), ending in "/":
// the executable's own folder when they lie there, else ../share/kestrel-backup/ beside it.
std::string programFolder();
// Tests and the command-line tool may point elsewhere; an empty text returns to the default.
void setProgramFolder(const std::string& folder);

// The per-user configuration folder ($XDG_CONFIG_HOME, else ~/.config), without a final "/".
std::string configHome();

// The user's own trash folder as the desktop keeps it ($XDG_DATA_HOME/Trash/, else
// ~/.local/share/Trash/), a folder value; empty where the system keeps none of its own beside
// the recycle bins of each disk (Windows), or when it cannot be named.
std::string userTrashFolder();

// The folder the program was started in (relative paths on the command line are read against
// it), a folder value; the root when it cannot be read.
std::string workingFolder();

} // namespace kestrel::platform
