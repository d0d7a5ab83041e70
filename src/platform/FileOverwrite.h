#pragma once

#include "platform/DirectoryHandle.h"
#include "platform/ErrorCodes.h"

#include <cstdint>
#include <string>

namespace kestrel::platform {

// Overwrites a regular file's content in place and flushes it to the disk, so its former data
// cannot be read back; the file stays. Never writes through a symbolic link.
// `clusterSize` > 0 is the size of each write (several clusters at a time for speed); the file
// never grows.
// Refused with error 75, and left untouched: a symbolic link, anything but a regular file, and
// a file with more than one hard link (its data is still reachable under another name, which
// the overwrite would destroy while securing nothing).
Error overwriteFileInPlace(const std::string& path, std::int64_t clusterSize);
// The same for the entry `name` of an open folder: a link of that name is refused, whatever
// the folder's path names by now.
Error overwriteChildInPlace(const DirectoryHandle& folder, const std::string& name, std::int64_t clusterSize);

} // namespace kestrel::platform
