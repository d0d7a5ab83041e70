#include "engine/FileComparison.h"

#include "modules/DatePr2.h"
#include "modules/FileProc.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystemType.h"
#include "platform/Path.h"
#include "setup/ChoiceLists.h"

#include <cstdlib>

namespace kestrel {

namespace {

bool Readable(const platform::FileStatus& status) {
    return status.readable();
}

// The UTC text (yyyy-mm-dd hh:mm:ss) and minute of month of a readable file; false otherwise.
bool TimeOf(const platform::FileStatus& status, std::string& text, int& minuteOfMonth) {
    if (!Readable(status))
        return false;
    minuteOfMonth = 0;
    text = DateTimeTextOfStatus(status, false, minuteOfMonth);
    return text.size() >= 16;
}

std::string WithoutSeconds(const std::string& text) {
    return text.substr(0, text.size() - 3);
}

} // namespace

std::int64_t SizeOfStatus(const platform::FileStatus& status) {
    if (status.readable())
        return status.size;
    return -(status.errorNumber != 0 ? status.errorNumber : platform::err::FileNotFound);
}

TimeComparison TimeComparisonOf(const std::string& sourceFolder, const platform::FileSystemTraits& target) {
    if (platform::isFatFamily(platform::fileSystemTypeOf(sourceFolder)) || target.times.fatTimes())
        return TimeComparison::FatTolerant();
    return TimeComparison::KeptAs(target.times);
}

bool IsModifiedFileOfStatus(const platform::FileStatus& source, const platform::FileStatus& target,
                            TimeComparison comparison) {
    if (SizeOfStatus(source) != SizeOfStatus(target))
        return true;
    if (!comparison.fatTolerant) {
        if (!Readable(source) || !Readable(target))
            return false;
        constexpr std::int64_t kNanosecondsPerSecond = 1000000000;
        return !comparison.keeping.sameVersion(
            source.mtimeSeconds * kNanosecondsPerSecond + source.mtimeNanoseconds,
            target.mtimeSeconds * kNanosecondsPerSecond + target.mtimeNanoseconds);
    }
    std::string sourceText;
    std::string targetText;
    int m1 = 0;
    int m2 = 0;
    if (!TimeOf(source, sourceText, m1) || !TimeOf(target, targetText, m2))
        return false;
    if (WithoutSeconds(sourceText) == WithoutSeconds(targetText))
        return false;
    if (sourceText.compare(0, 7, targetText, 0, 7) == 0) {
        const int d = std::abs(m1 - m2);
        if (d <= 1 || (d % 30 == 0 && d <= 480))
            return false;
    }
    return true;
}

bool IsModifiedFile(const std::string& source, const std::string& target) {
    // A folder that cannot be opened has traits learnt from nothing, as before any run.
    const platform::DirectoryHandle folder = platform::openDirectory(platform::parentOf(target)).valueOr({});
    return IsModifiedFileOfStatus(platform::statPath(source), platform::statPath(target),
                                  TimeComparisonOf(source, platform::learnTraitsOf(folder)));
}

bool IsSourceOlderOfStatus(const platform::FileStatus& source, const platform::FileStatus& target) {
    std::string sourceText;
    std::string targetText;
    int m1 = 0;
    int m2 = 0;
    if (!TimeOf(source, sourceText, m1) || !TimeOf(target, targetText, m2))
        return false;
    if (WithoutSeconds(sourceText) >= WithoutSeconds(targetText))
        return false;
    return m2 != m1 + 1;
}

bool IsSourceOlder(const std::string& source, const std::string& target) {
    return IsSourceOlderOfStatus(platform::statPath(source), platform::statPath(target));
}

bool IsModifiedSinceOfStatus(const platform::FileStatus& status, int intDays, std::int32_t today) {
    if (intDays < 0)
        return true;
    if (!status.readable())
        return true;
    const std::int32_t fileDay = DayNumberOfStatus(status);
    if (fileDay == 0)
        return true;
    return static_cast<std::int64_t>(today) - fileDay <= intDays;
}

bool IsModifiedSince(const std::string& path, int cboModifiedSince) {
    const int days = cboModifiedSince == 0 ? -1 : ModifiedSinceValue(cboModifiedSince);
    return IsModifiedSinceOfStatus(platform::statPath(path), days, TodayDayNumber());
}

} // namespace kestrel
