#pragma once

#include "platform/FileSystem.h"

#include <cstdint>
#include <string>

// The rules that compare a source file with its backup copy. Each comes in two forms: on
// statuses already read (the per-file step reads each file once) and on paths.
namespace kestrel {

// The length of a file as FileSize gives it: bytes, or the run-time error number negated when
// the status could not be read.
std::int64_t SizeOfStatus(const platform::FileStatus& status);

// How the modification times of a file and its copy are compared. File systems of the FAT
// family keep local times in two-second steps, which a time-zone or daylight-saving change
// shifts: there the minute tolerances apply. Everywhere else times are exact.
enum class TimeComparison { Exact, FatTolerant };

// FatTolerant when the file system of the source or of the target is of the FAT family. An
// operation asks this once, not for every file.
TimeComparison TimeComparisonOf(const std::string& sourceFolder, const std::string& targetFolder);

// True when the source must be copied over its existing copy: the lengths differ, or the times
// differ. Exact: by a second or more. FatTolerant: the minute-rounded UTC times differ by more
// than one minute and not by a whole multiple of 30 minutes up to eight hours (a time-zone or
// daylight-saving shift) within the same month. Times that cannot be read count as unchanged.
bool IsModifiedFileOfStatus(const platform::FileStatus& source, const platform::FileStatus& target,
                            TimeComparison comparison);
// On paths: the comparison comes from the two files' file systems.
bool IsModifiedFile(const std::string& source, const std::string& target);

// True when the source's minute is earlier than its copy's, unless the copy is just one minute
// later. Times that cannot be read count as not older.
bool IsSourceOlderOfStatus(const platform::FileStatus& source, const platform::FileStatus& target);
bool IsSourceOlder(const std::string& source, const std::string& target);

// The modified-since filter: `intDays` < 0 takes every file; otherwise the file's local date is
// at most `intDays` days before `today` (a day number). A time that cannot be read passes, so
// the file is still examined and its trouble reported.
bool IsModifiedSinceOfStatus(const platform::FileStatus& status, int intDays, std::int32_t today);
bool IsModifiedSince(const std::string& path, int cboModifiedSince);

} // namespace kestrel
