#pragma once

#include "platform/FileSystem.h"
#include "platform/TargetFileSystem.h"

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
// shifts: there the minute tolerances apply. Everywhere else a copy keeps its source's time as
// finely as the target's file system keeps times, and is compared at that step.
struct TimeComparison {
    bool fatTolerant = false;
    platform::TimeKeeping keeping; // the target's

    static TimeComparison FatTolerant() { return {true, {}}; }
    static TimeComparison KeptAs(platform::TimeKeeping keeping) { return {false, keeping}; }
};

// FatTolerant when the source's file system is of the FAT family or the target keeps FAT times;
// otherwise times compared as the target keeps them. An operation asks this once, not for every
// file.
TimeComparison TimeComparisonOf(const std::string& sourceFolder, const platform::FileSystemTraits& target);

// True when the source must be copied over its existing copy: the lengths differ, or the times
// differ. Kept as the target keeps them: the source's time, stored as the target stores
// times, is not the copy's (times kept to an unknown step: a second or more apart). FatTolerant: the
// minute-rounded UTC times differ by more than one minute and not by a whole multiple of 30 minutes up to
// eight hours (a time-zone or daylight-saving shift) within the same month. Times that cannot be read count
// as unchanged.
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
