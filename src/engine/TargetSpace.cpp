#include "engine/TargetSpace.h"

#include "modules/DiskProc.h"

namespace kestrel {

int TargetDiskSpace(const std::string& path, double& freeBytes, double& totalBytes) {
    if (const TargetDiskSpaceFunction seam = TargetDiskSpaceSeam::current())
        return seam(path, freeBytes, totalBytes);
    const platform::Result<DriveSpace> space = GetDiskSpace(path);
    if (!space.ok())
        return -1;
    freeBytes = space.value().freeBytes;
    totalBytes = space.value().totalBytes;
    return 0;
}

int TargetRoom::Read(const std::string& path, std::int64_t needed, double& freeBytes, double& totalBytes) {
    // What is left of the last reading must hold the file with a margin for what other
    // programs write meanwhile and for the file system's own blocks.
    constexpr double kMargin = 256.0 * 1024 * 1024;
    const double estimate = free_ - usedSinceReading_;
    if (!read_ || estimate - static_cast<double>(needed) < kMargin) {
        const int rc = TargetDiskSpace(path, free_, total_);
        read_ = rc == 0;
        usedSinceReading_ = 0;
        if (rc != 0)
            return rc;
        freeBytes = free_;
        totalBytes = total_;
        return 0;
    }
    freeBytes = estimate;
    totalBytes = total_;
    return 0;
}

} // namespace kestrel
