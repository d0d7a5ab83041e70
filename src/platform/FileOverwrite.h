#pragma once

#include "platform/ErrorCodes.h"

#include <cstdint>
#include <string>

namespace kestrel::platform {

// Overwrites a regular file's content in place and flushes it to the disk, so its former data
// cannot be read back; the file stays. Never writes through a symbolic link.
// `clusterSize` > 0 is the size of each write; the file never grows.
Error overwriteFileInPlace(const std::string& path, std::int64_t clusterSize);

} // namespace kestrel::platform
