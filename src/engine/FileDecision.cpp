#include "engine/FileDecision.h"

#include "modules/FileProc.h"
#include "modules/StrProc.h"
#include "platform/Path.h"
#include "report/OperationState.h"

namespace kestrel {

namespace {

// The file's own extension decides: a folder "photos.system" or a file "my.sysconfig.tar"
// holds no system file.
FileAction SystemFileRule(const FileFacts& facts, std::int64_t sourceSize) {
    if (sourceSize <= kLargeSystemFileSize)
        return FileAction::Copy;
    const std::string extension = FileExtensionOf(facts.name, true);
    const std::string& filter = facts.extensionFilter;
    if (extension == "sys" && (filter.empty() || filter == "sys"))
        return FileAction::SkipSystemFile;
    const bool inWindowsFolder =
        LowerCaseWithAccents(facts.fullPath).find(platform::pathSeparator() + std::string("win")) !=
        std::string::npos;
    if (extension == "swp" && inWindowsFolder && (filter.empty() || filter == "swp"))
        return FileAction::SkipSwapFile;
    return FileAction::Copy;
}

FileAction RoomRule(const FileFacts& facts, std::int64_t sourceSize) {
    if (facts.target.isRegular() || !facts.freeBytes)
        return FileAction::Copy;
    if (*facts.freeBytes <= 0)
        return FileAction::TargetFull;
    if (static_cast<double>(sourceSize) >= *facts.freeBytes)
        return FileAction::NoRoom;
    return FileAction::Copy;
}

// Later than the backup's copy by more than the times of either side may be apart for the same
// version (a copy on FAT keeps two-second steps, others may keep whole seconds).
bool TargetIsNewer(const FileFacts& facts) {
    constexpr std::int64_t kSecond = 1000000000;
    const std::int64_t margin = facts.comparison.fatTolerant ? 2 * kSecond : kSecond;
    const auto nanoseconds = [](const platform::FileStatus& status) {
        return status.mtimeSeconds * kSecond + status.mtimeNanoseconds;
    };
    return facts.source.readable() && facts.target.readable() &&
           nanoseconds(facts.target) > nanoseconds(facts.source) + margin;
}

FileStanding StandingOf(const FileFacts& facts) {
    if (!facts.modifiedSince)
        return FileStanding::OutsideRange;
    if (!facts.cannotHold.empty())
        return FileStanding::CannotHold;
    if (facts.targetIsReportFile)
        return FileStanding::ReportFile;
    if (facts.skipThumbs)
        return FileStanding::SkippedThumbs;
    if (facts.operation == intOperationBackupAllFiles)
        return FileStanding::Taken;
    if (!facts.target.isRegular())
        return FileStanding::New;
    if (!IsModifiedFileOfStatus(facts.source, facts.target, facts.comparison))
        return FileStanding::Unchanged;
    return facts.keepNewerTarget && TargetIsNewer(facts) ? FileStanding::NewerInTarget
                                                         : FileStanding::Modified;
}

} // namespace

bool NeedsRoomReading(int operation, const platform::FileStatus& target, bool modifiedSince) {
    const bool backup =
        operation == intOperationBackupAllFiles || operation == intOperationBackupModifiedFiles;
    return backup && modifiedSince && !target.isRegular();
}

FileVerdict DecideFile(const FileFacts& facts) {
    FileVerdict verdict;
    verdict.standing = StandingOf(facts);
    const bool copied = verdict.standing == FileStanding::Taken || verdict.standing == FileStanding::New ||
                        verdict.standing == FileStanding::Modified;
    if (!copied || facts.operation == intOperationCheckBackupState)
        return verdict;

    const std::int64_t sourceSize = SizeOfStatus(facts.source);
    verdict.action = SystemFileRule(facts, sourceSize);
    if (verdict.action == FileAction::Copy)
        verdict.action = RoomRule(facts, sourceSize);
    if (verdict.action != FileAction::Copy || sourceSize < 0 || !facts.target.isRegular())
        return verdict;

    const std::int64_t targetSize = SizeOfStatus(facts.target);
    verdict.warnOlder = facts.warnIfEarlier && IsSourceOlderOfStatus(facts.source, facts.target);
    verdict.warnSmaller = facts.warnIfSmaller && targetSize > 0 &&
                          static_cast<double>(sourceSize) * 100.0 / static_cast<double>(targetSize) <
                              static_cast<double>(facts.suspectPercent);
    return verdict;
}

} // namespace kestrel
