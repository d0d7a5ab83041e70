#pragma once

#include "platform/FileSystem.h"

#include <sys/stat.h>

// Inside the platform only: a file status from what stat() returned.
namespace kestrel::platform {

EntryKind kindOfMode(mode_t mode);
// The kind a directory entry's type names; Missing for DT_UNKNOWN (the entry must be looked at).
EntryKind kindOfDirentType(unsigned char type);
FileStatus statusFromStat(const struct stat& st);
// The status of a stat-family call: its result when `rc` is 0, else the errno it left.
FileStatus statusOfCall(int rc, const struct stat& st);
// The status of an entry a call failed on with `errnoValue`.
FileStatus failedStatus(int errnoValue);

} // namespace kestrel::platform
