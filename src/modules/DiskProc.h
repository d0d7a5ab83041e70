#pragma once

#include <cstdint>
#include <string>

// Disk procedures. A "drive" is the mounted file system that holds a path.
namespace kestrel {

// The scratch-file write test of a folder: True, with the error's description, when a file
// cannot be created, written and deleted there.
bool IsWriteProtected(const std::string& path, std::string& errorDescription);
// Whether the file system holding the path is mounted read-only.
bool IsDriveWriteProtected(const std::string& path);
// 0 with the bytes free for the user and the total bytes of the drive; -1 when unreadable.
int GetDiskSpace(const std::string& path, double& freeBytes, double& totalBytes);
// The bytes free for the user on the drive of the path; -1 when it cannot be read.
double GetDriveFreeSpace(const std::string& path);
// The drive's allocation unit in bytes: -1 when unreadable, -2 outside 512 to 65536; freeBytes
// is -1 unless a size is returned.
std::int32_t GetClusterSize(const std::string& rootPath, double& freeBytes);
std::string FormatByteSize(double bytes, bool blnCapital);
std::string FreeSpaceText(const std::string& path);

} // namespace kestrel
