#pragma once

#include <string>

// Whether a backup's target lies on the disk its backups are meant for. A disk that is not
// mounted leaves its mount point an empty folder of the disk above it: a backup there would
// fill the wrong disk and tell nobody.
namespace kestrel {

// The mount point of the disk that the target folder belongs on when that disk is not there:
// the deepest mount point of the system's file-system table at or above the folder that is not
// mounted now, or the mount point the folder lay on at its last backup when it lies on another
// file system now. Empty when the disk is there (or nothing is known of it).
std::string AbsentTargetDisk(const std::string& targetFolder);

// Remembers the mount point the target folder lies on now, for the next run's check.
void RememberTargetDisk(const std::string& targetFolder);

} // namespace kestrel
