#include "modules/FileProc.h"

#include "modules/DatePr2.h"
#include "modules/Language.h"
#include "modules/StrProc.h"
#include "platform/Disk.h"
#include "platform/Path.h"
#include "platform/RegularFile.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

namespace kestrel {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms).
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

int dayOfWeekOf(std::int64_t daysSince1970) {
    // 1 January 1970 was a Thursday.
    const std::int64_t w = (daysSince1970 + 4) % 7;
    return static_cast<int>(w < 0 ? w + 7 : w);
}

// The local time of a UTC system time: the zone's offset added, carried into hours and days,
// a day past the month's end becoming the first of the next month (and the year after
// December), a day before the first becoming the last of the previous month.
SystemTime toLocal(SystemTime st, int offsetMinutes) {
    while (offsetMinutes < 0) {
        offsetMinutes += 1440;
        --st.day;
    }
    st.minute += offsetMinutes;
    st.hour += st.minute / 60;
    st.minute %= 60;
    st.day += st.hour / 24;
    st.hour %= 24;
    while (st.day > DaysInMonth(st.month, st.year)) {
        st.day -= DaysInMonth(st.month, st.year);
        if (++st.month > 12) {
            st.month = 1;
            ++st.year;
        }
    }
    while (st.day < 1) {
        if (--st.month < 1) {
            st.month = 12;
            --st.year;
        }
        st.day += DaysInMonth(st.month, st.year);
    }
    st.dayOfWeek = dayOfWeekOf(daysFromCivil(st.year, st.month, st.day));
    return st;
}

std::string dateText(const SystemTime& st) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", st.year, st.month, st.day);
    return buffer;
}

std::string clockText(const SystemTime& st, bool withSeconds) {
    char buffer[48];
    if (withSeconds)
        std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", st.hour, st.minute, st.second);
    else
        std::snprintf(buffer, sizeof buffer, "%02d:%02d", st.hour, st.minute);
    return buffer;
}

SystemTime utcTimeOf(const platform::FileStatus& status) {
    return SystemTimeFromUtc(status.mtimeSeconds, status.mtimeNanoseconds);
}

SystemTime localTimeOf(const platform::FileStatus& status) {
    SystemTime st = utcTimeOf(status);
    RoundToMinute(st);
    return toLocal(st, TimeZoneOffsetMinutes());
}

int errorOfStatus(const platform::FileStatus& status) {
    return status.errorNumber != 0 ? status.errorNumber : platform::err::FileNotFound;
}

std::size_t lastSeparator(const std::string& path) {
    return platform::lastSeparatorOf(path);
}

// Glob matching over characters: "?" takes exactly one, "*" any run (also none), retried
// with longer runs when the rest does not match.
bool matchCharacters(const std::vector<std::string_view>& text,
                     const std::vector<std::string_view>& pattern) {
    std::size_t i = 0;
    std::size_t j = 0;
    std::size_t starPattern = std::string::npos;
    std::size_t starText = 0;
    while (i < text.size()) {
        if (j < pattern.size() && pattern[j] == "*") {
            starPattern = j++;
            starText = i;
        } else if (j < pattern.size() && (pattern[j] == "?" || pattern[j] == text[i])) {
            ++i;
            ++j;
        } else if (starPattern != std::string::npos) {
            j = starPattern + 1;
            i = ++starText;
        } else {
            return false;
        }
    }
    while (j < pattern.size() && pattern[j] == "*")
        ++j;
    return j == pattern.size();
}

} // namespace

bool CopyOneFile(const std::string& source, const std::string& target, std::string& reason, bool overwrite,
                 const platform::FileStatus* sourceStatus) {
    reason.clear();
    const platform::CopyResult result = platform::copyFileAtomically(source, target, overwrite, sourceStatus);
    if (result.error) {
        reason = result.error.description;
        return false;
    }
    return true;
}

platform::CopyResult CopyFileOfBackup(const std::string& source,
                                      const platform::DirectoryHandle& targetFolder,
                                      const std::string& targetName, const platform::FileStatus& sourceStatus,
                                      platform::CopyProgressCallback progress,
                                      const platform::DirectoryHandle* sourceFolder, bool keepAttributes) {
    platform::CopyOptions options;
    options.sourceStatus = &sourceStatus;
    options.sourceFolder = sourceFolder;
    options.progress = std::move(progress);
    options.keepAttributes = keepAttributes;
    return platform::copyFileInto(source, targetFolder, targetName, options);
}

platform::Error FlushFileSystemOf(const std::string& folder) {
    const platform::Result<platform::DirectoryHandle> handle = platform::openDirectory(folder);
    return handle.ok() ? platform::flushFileSystem(handle.value()) : handle.error();
}

int ErrorOnFileOpen(const std::string& source) {
    const platform::FileStatus status = platform::statPath(source);
    if (!status.exists())
        return status.notFound ? -1 : -2;
    if (status.isDirectory())
        return -2;
    // Opening never waits, so a FIFO put in the file's place cannot hang the backup here.
    return platform::probeReadable(source) ? -2 : 0;
}

std::string CopyErrorText(const std::string& source) {
    switch (ErrorOnFileOpen(source)) {
    case -2:
        return GetProgramText(346);
    case -1:
        return GetProgramText(347);
    default:
        return GetProgramText(172);
    }
}

std::string CopyErrorText(const std::string& source, const platform::CopyResult& copy) {
    switch (copy.failure) {
    case platform::CopyFailure::SourceChanged:
        return GetProgramText(1303);
    case platform::CopyFailure::NotRegular:
        return GetProgramText(1304);
    default:
        break;
    }
    if (copy.error.number == platform::err::DeviceIo)
        return GetProgramText(1302);
    return CopyErrorText(source);
}

std::int64_t FileSize(const std::string& path) {
    const platform::FileStatus status = platform::statPath(path);
    if (!status.exists())
        return -errorOfStatus(status);
    if (status.isDirectory())
        return -platform::err::FileNotFound;
    return status.size;
}

SystemTime SystemTimeFromUtc(std::int64_t seconds, std::int32_t nanoseconds) {
    seconds += nanoseconds / 1000000000;
    nanoseconds %= 1000000000;
    if (nanoseconds < 0) {
        nanoseconds += 1000000000;
        --seconds;
    }
    std::int64_t days = seconds / kSecondsPerDay;
    std::int64_t secondOfDay = seconds % kSecondsPerDay;
    if (secondOfDay < 0) {
        secondOfDay += kSecondsPerDay;
        --days;
    }
    SystemTime st;
    civilFromDays(days, st.year, st.month, st.day);
    st.dayOfWeek = dayOfWeekOf(days);
    st.hour = static_cast<int>(secondOfDay / 3600);
    st.minute = static_cast<int>(secondOfDay / 60 % 60);
    st.second = static_cast<int>(secondOfDay % 60);
    st.millisecond = nanoseconds / 1000000;
    return st;
}

void RoundToMinute(SystemTime& st) {
    const bool roundUp = st.second > 30;
    st.second = 0;
    st.millisecond = 0;
    if (!roundUp)
        return;
    // Rounding up at 23:59 could need the next month, which a minute of the month cannot
    // show; on a day that may be its month's last the time stays at 23:59.
    const bool mayBeLastDay = st.month == 2 ? st.day >= 28 : st.day >= 30;
    if (st.hour == 23 && st.minute == 59 && mayBeLastDay)
        return;
    if (++st.minute < 60)
        return;
    st.minute = 0;
    if (++st.hour < 24)
        return;
    st.hour = 0;
    ++st.day;
    st.dayOfWeek = (st.dayOfWeek + 1) % 7;
}

int MinuteOfMonth(const SystemTime& st) {
    return (st.day - 1) * 1440 + st.hour * 60 + st.minute;
}

std::string DateTimeTextOfStatus(const platform::FileStatus& status, bool isoForm, int& minuteOfMonth) {
    minuteOfMonth = 0;
    if (!status.exists())
        return "";
    SystemTime st = utcTimeOf(status);
    const std::string text = isoForm ? dateText(st) + "T" + clockText(st, true) + "+00:00"
                                     : dateText(st) + " " + clockText(st, true);
    RoundToMinute(st);
    minuteOfMonth = MinuteOfMonth(st);
    return text;
}

std::string LocalDateTimeTextOfStatus(const platform::FileStatus& status, int& minuteOfMonth) {
    minuteOfMonth = 0;
    if (!status.exists())
        return "";
    const SystemTime local = localTimeOf(status);
    minuteOfMonth = MinuteOfMonth(local);
    return dateText(local) + " " + clockText(local, false);
}

namespace {

platform::Result<std::string> textOrError(const platform::FileStatus& status, std::string text) {
    if (!status.exists())
        return platform::Error::of(errorOfStatus(status));
    return text;
}

} // namespace

platform::Result<std::string> FileDateTimeText(const std::string& path, bool isoForm, int& minuteOfMonth) {
    const platform::FileStatus status = platform::statPath(path);
    return textOrError(status, DateTimeTextOfStatus(status, isoForm, minuteOfMonth));
}

platform::Result<std::string> FileLocalDateTimeText(const std::string& path, int& minuteOfMonth) {
    const platform::FileStatus status = platform::statPath(path);
    return textOrError(status, LocalDateTimeTextOfStatus(status, minuteOfMonth));
}

std::int32_t FileDayNumber(const std::string& path) {
    return DayNumberOfStatus(platform::statPath(path));
}

std::int32_t DayNumberOfStatus(const platform::FileStatus& status) {
    if (!status.exists())
        return 0;
    const SystemTime local = localTimeOf(status);
    return DayNumberFromDate(local.year, local.month, local.day);
}

bool WildcardMatch(const std::string& text, const std::string& pattern, bool caseSensitive) {
    const std::string t = caseSensitive ? text : LowerCaseWithAccents(text);
    const std::string p = caseSensitive ? pattern : LowerCaseWithAccents(pattern);
    if (t == p || p.empty())
        return true;
    return matchCharacters(SplitCharacters(t), SplitCharacters(p));
}

bool FileNameMatches(const std::string& name, const std::string& pattern, bool caseSensitive) {
    // Only a separator cannot be part of a name: such a text is a path, not a name. (Names may
    // hold ":", "?" and "*", and on POSIX "\", and such files are counted like any other.)
    if (std::any_of(name.begin(), name.end(), [](char c) { return platform::isPathSeparator(c); }))
        return false;
    const std::string trimmed = TrimBlanks(pattern);
    if (trimmed.empty())
        return true;

    const std::size_t nameDot = name.rfind('.');
    const std::size_t patternDot = trimmed.rfind('.');
    if (nameDot != std::string::npos && patternDot != std::string::npos) {
        return WildcardMatch(name.substr(nameDot + 1), trimmed.substr(patternDot + 1), caseSensitive) &&
               WildcardMatch(name.substr(0, nameDot), trimmed.substr(0, patternDot), caseSensitive);
    }
    if (patternDot != std::string::npos) {
        std::string extension = trimmed.substr(patternDot + 1);
        RemoveChars(extension, "*");
        if (!extension.empty())
            return false;
        return WildcardMatch(name, trimmed.substr(0, patternDot), caseSensitive);
    }
    if (nameDot != std::string::npos)
        return false;
    return WildcardMatch(name, trimmed, caseSensitive);
}

std::string FileExtensionOf(const std::string& path, bool lower) {
    const std::size_t separator = lastSeparator(path);
    const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart)
        return "";
    const std::string extension = path.substr(dot + 1);
    return lower ? LowerCaseWithAccents(extension) : extension;
}

std::string FileNameOf(const std::string& path, bool normalise) {
    const std::size_t separator = lastSeparator(path);
    if (separator == std::string::npos)
        return "";
    const std::string name = path.substr(separator + 1);
    return normalise ? LowerCaseWithAccents(name) : name;
}

std::string FolderOf(const std::string& path, bool normalise) {
    const std::size_t separator = lastSeparator(path);
    if (separator == std::string::npos)
        return "";
    const std::string folder = path.substr(0, separator + 1);
    return normalise ? LowerCaseWithAccents(folder) : folder;
}

std::string DriveOfPath(const std::string& path) {
    if (path.empty())
        return "";
    return platform::mountPointOf(path);
}

std::string AddTrailingBackslash(const std::string& path) {
    return platform::withFinalSeparator(path);
}

// The System attribute exists on Windows only: on POSIX no file carries it.
bool IsSystemFile(const std::string& path) {
    return (platform::statPath(path).attributes & platform::file_attribute::System) != 0;
}

void SetSystemAttribute(const std::string& path) {
    if (!IsSystemFile(path))
        platform::setHiddenOrSystem(path, platform::file_attribute::System, true);
}

bool IsReadOnlyFile(const std::string& path) {
    const platform::FileStatus status = platform::statPath(path);
    return platform::isReadOnly(status);
}

bool ClearReadOnly(const std::string& path) {
    const platform::FileStatus status = platform::statPath(path);
    if (!status.exists())
        return false;
    if (!platform::isReadOnly(status))
        return true;
    if (platform::setPermissions(path, platform::withReadOnlyCleared(status.mode)))
        return false;
    return !IsReadOnlyFile(path);
}

// On POSIX Hidden is no attribute (a leading "." is part of the name and stays).
void ClearReadOnlyAndHidden(const std::string& path) {
    ClearReadOnly(path);
    if (platform::statPath(path).attributes & platform::file_attribute::Hidden)
        platform::setHiddenOrSystem(path, platform::file_attribute::Hidden, false);
}

} // namespace kestrel
