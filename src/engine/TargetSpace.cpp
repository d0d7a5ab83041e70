#include "engine/TargetSpace.h"

#include "modules/DiskProc.h"

#include <mutex>

namespace kestrel {

namespace {

std::mutex& SeamMutex() {
    static std::mutex mutex;
    return mutex;
}

TargetDiskSpaceFunction& Seam() {
    static TargetDiskSpaceFunction function;
    return function;
}

} // namespace

int TargetDiskSpace(const std::string& path, double& freeBytes, double& totalBytes) {
    {
        std::lock_guard<std::mutex> lock(SeamMutex());
        if (Seam())
            return Seam()(path, freeBytes, totalBytes);
    }
    return GetDiskSpace(path, freeBytes, totalBytes);
}

void setTargetDiskSpaceForTesting(TargetDiskSpaceFunction function) {
    std::lock_guard<std::mutex> lock(SeamMutex());
    Seam() = std::move(function);
}

} // namespace kestrel
