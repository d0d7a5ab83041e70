#include "platform/posix/PosixStatus.h"

#include <cerrno>
#include <dirent.h>

namespace kestrel::platform {

EntryKind kindOfMode(mode_t mode) {
    if (S_ISREG(mode))
        return EntryKind::Regular;
    if (S_ISDIR(mode))
        return EntryKind::Directory;
    if (S_ISLNK(mode))
        return EntryKind::Symlink;
    return EntryKind::Other;
}

EntryKind kindOfDirentType(unsigned char type) {
    switch (type) {
    case DT_REG:
        return EntryKind::Regular;
    case DT_DIR:
        return EntryKind::Directory;
    case DT_LNK:
        return EntryKind::Symlink;
    case DT_UNKNOWN:
        return EntryKind::Missing;
    default:
        return EntryKind::Other;
    }
}

FileStatus statusFromStat(const struct stat& st) {
    FileStatus status;
    status.kind = kindOfMode(st.st_mode);
    status.size = static_cast<std::int64_t>(st.st_size);
    status.mtimeSeconds = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    status.mtimeNanoseconds = static_cast<std::int32_t>(st.st_mtim.tv_nsec);
    status.mode = st.st_mode & 07777;
    status.attributes = (st.st_mode & S_IWUSR) ? 0u : file_attribute::ReadOnly;
    status.linkCount = st.st_nlink;
    status.device = st.st_dev;
    status.inode = st.st_ino;
    return status;
}

FileStatus statusOfCall(int rc, const struct stat& st) {
    if (rc == 0)
        return statusFromStat(st);
    return failedStatus(errno);
}

FileStatus failedStatus(int errnoValue) {
    FileStatus status;
    status.errorNumber = errorNumberFromErrno(errnoValue, false);
    status.notFound = errnoValue == ENOENT || errnoValue == ENOTDIR;
    return status;
}

} // namespace kestrel::platform
