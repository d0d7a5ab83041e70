#pragma once

#include "platform/TestSeam.h"

#include <cstdint>
#include <functional>
#include <string>

namespace kestrel {

// The room on the target drive as the per-file step reads it (GetDiskSpace): 0 with the bytes
// free for the user and the drive's total, -1 when it cannot be read.
int TargetDiskSpace(const std::string& path, double& freeBytes, double& totalBytes);

// The room on the target drive as the walk asks for it before each new file. The disk is read
// again only when what was copied since the last reading could have used most of the room
// left: a reading per file would cost a system call per new file. A refusal (no room, a file
// too large) is always decided on a fresh reading.
class TargetRoom {
public:
    // As TargetDiskSpace, for a file of `needed` bytes about to be copied to `path`'s drive.
    int Read(const std::string& path, std::int64_t needed, double& freeBytes, double& totalBytes);
    // `bytes` were written to the target since.
    void Used(std::int64_t bytes) { usedSinceReading_ += static_cast<double>(bytes); }

private:
    bool read_ = false;
    double free_ = 0;
    double total_ = 0;
    double usedSinceReading_ = 0;
};

// Test seam: a real disk cannot be made full on demand. While a guard lives, its function
// answers for the disk.
using TargetDiskSpaceFunction =
    std::function<int(const std::string& path, double& freeBytes, double& totalBytes)>;
using TargetDiskSpaceSeam = platform::TestSeam<struct TargetDiskSpaceTag, TargetDiskSpaceFunction>;
using ScopedTargetDiskSpaceForTesting = TargetDiskSpaceSeam::Guard;

} // namespace kestrel
