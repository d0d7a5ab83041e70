#pragma once

#include <functional>
#include <string>

namespace kestrel {

// The room on the target drive as the per-file step reads it (GetDiskSpace): 0 with the bytes
// free for the user and the drive's total, -1 when it cannot be read.
int TargetDiskSpace(const std::string& path, double& freeBytes, double& totalBytes);

// Test seam: a real disk cannot be made full on demand. An empty function returns to the disk.
using TargetDiskSpaceFunction =
    std::function<int(const std::string& path, double& freeBytes, double& totalBytes)>;
void setTargetDiskSpaceForTesting(TargetDiskSpaceFunction function);

} // namespace kestrel
