#pragma once

#include "platform/ErrorCodes.h"

#include <cstdint>
#include <string>

namespace kestrel::platform {

// The mount point of the file system that holds the path (the nearest existing folder of it),
// ending in "/".
std::string mountPointOf(const std::string& path);
bool isMountedReadOnly(const std::string& path);

struct DiskSpace {
    std::uint64_t freeForUser = 0;
    std::uint64_t total = 0;
    std::uint64_t freeTotal = 0;
    std::uint64_t blockSize = 0;
};
bool diskSpace(const std::string& path, DiskSpace& space, Error& error);

} // namespace kestrel::platform
