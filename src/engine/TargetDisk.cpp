#include "engine/TargetDisk.h"

#include "platform/Disk.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/SettingsStore.h"

namespace kestrel {

namespace {

// Per target folder (the value's name), the mount point it lay on at its last backup.
const char kTargetDisksKey[] = "Software\\Corvane Systems\\ZBK\\Target disks";

std::string RememberedDisk(const std::string& targetFolder) {
    std::string mountPoint;
    platform::settingsStore().queryValue(kTargetDisksKey, platform::withFinalSeparator(targetFolder),
                                         mountPoint);
    return mountPoint;
}

} // namespace

std::string AbsentTargetDisk(const std::string& targetFolder) {
    const std::string resolved = platform::resolvedPath(targetFolder);
    const std::string mountedAt = platform::mountPointOf(targetFolder);
    if (resolved.empty() || mountedAt.empty())
        return {};
    std::string absent;
    for (const std::string& tableEntry : platform::fileSystemTableMountPoints()) {
        const std::string mountPoint = platform::withFinalSeparator(tableEntry);
        // A mount point below the one the folder lies on now is one whose disk is not mounted.
        if (platform::isWithinFolder(resolved, mountPoint) && mountPoint.size() > mountedAt.size() &&
            platform::isWithinFolder(mountPoint, mountedAt) && mountPoint.size() > absent.size())
            absent = mountPoint;
    }
    if (!absent.empty())
        return absent;
    const std::string remembered = RememberedDisk(targetFolder);
    if (!remembered.empty() && remembered != mountedAt)
        return remembered;
    return {};
}

void RememberTargetDisk(const std::string& targetFolder) {
    const std::string mountedAt = platform::mountPointOf(targetFolder);
    if (mountedAt.empty() || RememberedDisk(targetFolder) == mountedAt)
        return;
    platform::KeyDisposition disposition{};
    const platform::SettingsStore& store = platform::settingsStore();
    if (store.createKey(kTargetDisksKey, disposition) == platform::settings_result::Success)
        store.setValue(kTargetDisksKey, platform::withFinalSeparator(targetFolder), mountedAt);
}

} // namespace kestrel
