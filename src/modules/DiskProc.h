#pragma once

#include "platform/Result.h"

#include <cstdint>
#include <string>

// Disk procedures. A "drive" is the mounted file system that holds a path.
namespace kestrel {

// The scratch-file write test of a folder: True, with the error's description, when a file
// cannot be created, written and deleted there.
bool IsWriteProtected(const std::string& path, std::string& errorDescription);
// Whether the file system holding the path is mounted read-only.
bool IsDriveWriteProtected(const std::string& path);
struct DriveSpace {
    double freeBytes = 0; // free for the user
    double totalBytes = 0;
};
// The room on the drive of the path, or why it cannot be read.
platform::Result<DriveSpace> GetDiskSpace(const std::string& path);
// The bytes free for the user on the drive of the path; -1 when it cannot be read.
double GetDriveFreeSpace(const std::string& path);
// The drive's allocation unit in bytes: -1 when unreadable, -2 outside 512 to 65536; freeBytes
// is -1 unless a size is returned.
std::int32_t GetClusterSize(const std::string& rootPath, double& freeBytes);
std::string FormatByteSize(double bytes, bool blnCapital);
std::string FreeSpaceText(const std::string& path);

} // namespace kestrel
