#pragma once

#include "platform/ErrorCodes.h"

#include <cstdint>
#include <string>

namespace kestrel::platform {

// The mount point of the file system that holds the path (the nearest existing folder of it),
// ending in "/". Symbolic links on the way are resolved, so a link into another disk names
// that disk. Empty when no part of the path exists.
std::string mountPointOf(const std::string& path);
bool isMountedReadOnly(const std::string& path);

struct DiskSpace {
    std::uint64_t freeForUser = 0;
    std::uint64_t total = 0;
    std::uint64_t freeTotal = 0;
    std::uint64_t blockSize = 0; // the file system's allocation unit
};
// The space of the file system that holds the path (the nearest existing folder of it).
bool diskSpace(const std::string& path, DiskSpace& space, Error& error);

// Creates a file that did not exist and writes `content` into it. Refuses (error 58) when any
// entry of that name exists, a symbolic link included, so it can never damage a user's file.
Error writeNewFile(const std::string& path, const std::string& content);

} // namespace kestrel::platform
