#pragma once

#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/Result.h"

#include <cstdint>
#include <string>

// File procedures: the copy, sizes, last-write times, wildcards, path parts, attributes.
// Folder values end in "/"; a path is a folder value followed by names.
namespace kestrel {

struct SystemTime {
    int year = 0;
    int month = 0;
    int dayOfWeek = 0; // 0 = Sunday
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

bool CopyOneFile(const std::string& source, const std::string& target, std::string& reason, bool overwrite,
                 const platform::FileStatus* sourceStatus = nullptr);
// The per-file step's copy: over any earlier copy, with the source's status as the walk read
// it, progress and a stop through `progress`; the source opened by name in `sourceFolder` where
// that is given. The result tells a cancelled copy from a failed one. With `keepAttributes` the
// copy keeps the source's exact mode, owner and extended attributes.
platform::CopyResult CopyFileOfBackup(const std::string& source,
                                      const platform::DirectoryHandle& targetFolder,
                                      const std::string& targetName, const platform::FileStatus& sourceStatus,
                                      platform::CopyProgressCallback progress,
                                      const platform::DirectoryHandle* sourceFolder = nullptr,
                                      bool keepAttributes = false);
// Writes what an operation wrote below `folder` out to the disk.
platform::Error FlushFileSystemOf(const std::string& folder);
// -2, -1 or 0: why a source file could not be copied (see CopyErrorText).
int ErrorOnFileOpen(const std::string& source);
std::string CopyErrorText(const std::string& source);
// The reason reported for a failed copy: what the copy itself found where it tells the user
// more (a device error, a file that changed or is no file), else CopyErrorText.
std::string CopyErrorText(const std::string& source, const platform::CopyResult& copy);

// Bytes (64-bit); a negative value is a run-time error number negated (-53, -70 ...).
std::int64_t FileSize(const std::string& path);

// UTC system time of a modification time.
SystemTime SystemTimeFromUtc(std::int64_t seconds, std::int32_t nanoseconds);
void RoundToMinute(SystemTime& st);
int MinuteOfMonth(const SystemTime& st);

// The last-write time as text, or why the file cannot be read (53 when it is missing).
platform::Result<std::string> FileDateTimeText(const std::string& path, bool isoForm, int& minuteOfMonth);
platform::Result<std::string> FileLocalDateTimeText(const std::string& path, int& minuteOfMonth);
// The same texts from a status already read, so the per-file step reads each file once.
std::string DateTimeTextOfStatus(const platform::FileStatus& status, bool isoForm, int& minuteOfMonth);
std::string LocalDateTimeTextOfStatus(const platform::FileStatus& status, int& minuteOfMonth);
std::int32_t FileDayNumber(const std::string& path);
std::int32_t DayNumberOfStatus(const platform::FileStatus& status);

bool WildcardMatch(const std::string& text, const std::string& pattern, bool caseSensitive);
bool FileNameMatches(const std::string& name, const std::string& pattern, bool caseSensitive);

std::string FileExtensionOf(const std::string& path, bool lower);
std::string FileNameOf(const std::string& path, bool normalise);
std::string FolderOf(const std::string& path, bool normalise);
std::string DriveOfPath(const std::string& path);
std::string AddTrailingBackslash(const std::string& path);

bool IsSystemFile(const std::string& path);
void SetSystemAttribute(const std::string& path);
bool IsReadOnlyFile(const std::string& path);
bool ClearReadOnly(const std::string& path);
void ClearReadOnlyAndHidden(const std::string& path);

} // namespace kestrel
