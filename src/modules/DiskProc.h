#pragma once

#include <cstdint>
#include <string>

// Disk procedures. A "drive" is the mounted file system that holds a path.
namespace kestrel {

// The scratch-file write test of a folder.
bool IsWriteProtected(const std::string& path, std::string& errorDescription);
// Whether the file system holding the path is mounted read-only.
bool IsDriveWriteProtected(const std::string& path);
int GetDiskSpace(const std::string& path, double& freeBytes, double& totalBytes);
double GetDriveFreeSpace(const std::string& path);
std::int32_t GetClusterSize(const std::string& rootPath, double& freeBytes);
std::string FormatByteSize(double bytes, bool blnCapital);
std::string FreeSpaceText(const std::string& path);

} // namespace kestrel
