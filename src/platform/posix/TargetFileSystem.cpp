#include "platform/TargetFileSystem.h"

#include "platform/FileCopy.h"
#include "platform/TemporaryCopyName.h"
#include "platform/posix/MountTable.h"

#include <QString>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace kestrel::platform {

namespace {

// An odd second with nanoseconds that tell every step and both roundings apart: down to 1 ns,
// 100 ns, 10 ms, 1 s and 2 s it gives a different time, and to the nearest step another again.
constexpr std::int64_t kProbeSeconds = 1600000001;
constexpr std::int64_t kProbeNanoseconds = 987654351;

TimeKeeping timeKeepingFrom(std::int64_t readBack) {
    const std::int64_t given = kProbeSeconds * TimeKeeping::kSecond + kProbeNanoseconds;
    for (const std::int64_t step : {std::int64_t{1}, std::int64_t{100}, std::int64_t{10000000},
                                    TimeKeeping::kSecond, TimeKeeping::kFatStep}) {
        for (const bool rounds : {false, true}) {
            const TimeKeeping keeping{step, rounds};
            if (keeping.stored(given) == readBack)
                return keeping;
        }
    }
    return TimeKeeping{0, false};
}

// Whether a failure to make a file of a name tells that the name is refused, rather than that
// the disk is full, read-only or failing.
bool refusesName(int errnoValue) {
    return errnoValue != ENOSPC && errnoValue != EDQUOT && errnoValue != EIO && errnoValue != EROFS;
}

std::string upperCased(const std::string& name) {
    std::string upper = name;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

// Tries the scratch file `name`, open as `fd`, and the folder's naming.
void probeWith(int folder, int fd, const std::string& name, FileSystemTraits& traits) {
    const timespec probeTime{static_cast<time_t>(kProbeSeconds), static_cast<long>(kProbeNanoseconds)};
    const timespec times[2] = {probeTime, probeTime};
    struct stat st {};
    if (::futimens(fd, times) == 0 && ::fstat(fd, &st) == 0)
        traits.times = timeKeepingFrom(static_cast<std::int64_t>(st.st_mtim.tv_sec) * TimeKeeping::kSecond +
                                       st.st_mtim.tv_nsec);
    struct stat other {};
    traits.ignoresCase = ::fstatat(folder, upperCased(name).c_str(), &other, AT_SYMLINK_NOFOLLOW) == 0;

    const std::string probe = nameProbeOf(name);
    const int probeFd =
        ::openat(folder, probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (probeFd >= 0) {
        ::close(probeFd);
        ::unlinkat(folder, probe.c_str(), 0);
        traits.windowsNames = false;
    } else if (refusesName(errno)) {
        traits.windowsNames = true;
    }
}

} // namespace

FileSystemTraits learnTraitsOf(const DirectoryHandle& folder) {
    struct stat st {};
    const int fd = folder.nativeHandle();
    std::string type;
    if (fd >= 0 && ::fstat(fd, &st) == 0)
        type = mountedFileSystemOf(st.st_dev).type;
    if (const std::optional<FileSystemTraits> standIn = FileSystemTraitsSeam::current()) {
        FileSystemTraits traits = *standIn;
        traits.type = type;
        return traits;
    }
    FileSystemTraits traits = presumedTraitsOf(type);
    if (fd < 0)
        return traits;
    struct statfs fs {};
    if (!traits.windowsNames && ::fstatfs(fd, &fs) == 0 && fs.f_namelen > 0)
        traits.maxNameUnits = static_cast<std::size_t>(fs.f_namelen);

    const std::string name = temporaryCopyName();
    const int scratch =
        ::openat(fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (scratch < 0)
        return traits; // nothing can be written here: the mount type has to do
    probeWith(fd, scratch, name, traits);
    ::close(scratch);
    ::unlinkat(fd, name.c_str(), 0);
    if (traits.windowsNames)
        traits.maxNameUnits = 255;
    // Two-second times are FAT's, whose files end below 4 GiB.
    if (traits.times.fatTimes())
        traits.maxFileSize = 0xFFFFFFFFLL;
    return traits;
}

std::string caseFoldedName(const std::string& name) {
    const QByteArray bytes = QByteArray::fromRawData(name.data(), static_cast<qsizetype>(name.size()));
    const QString text = QString::fromUtf8(bytes);
    // A name that is no UTF-8 keeps its bytes: only ASCII letters are folded in it.
    if (text.toUtf8() != bytes) {
        std::string folded = name;
        for (char& c : folded)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return folded;
    }
    return text.toCaseFolded().toStdString();
}

} // namespace kestrel::platform
