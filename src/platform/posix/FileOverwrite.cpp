#include "platform/FileOverwrite.h"

#include "platform/OverwritePattern.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kestrel::platform {

namespace {

bool isSameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

Error overwriteAt(int folder, const char* name, std::int64_t clusterSize) {
    // Looked at before opening: opening a FIFO or a device for writing can block or act on it.
    struct stat before;
    if (::fstatat(folder, name, &before, AT_SYMLINK_NOFOLLOW) != 0)
        return Error::fromErrno(errno);
    if (!S_ISREG(before.st_mode) || before.st_nlink > 1)
        return Error::of(err::PathFileAccess);

    int fd = ::openat(folder, name, O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return errno == ELOOP ? Error::of(err::PathFileAccess) : Error::fromErrno(errno);
    // The entry may have been replaced between the look and the open.
    struct stat st;
    if (::fstat(fd, &st) != 0 || !isSameFile(st, before) || !S_ISREG(st.st_mode) || st.st_nlink > 1) {
        ::close(fd);
        return Error::of(err::PathFileAccess);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);

    const std::int64_t length = static_cast<std::int64_t>(st.st_size);
    std::vector<unsigned char> buffer(static_cast<std::size_t>(overwriteWriteSize(clusterSize)));
    fillOverwritePattern(buffer);
    int failure = 0;
    std::int64_t offset = 0;
    while (offset < length && failure == 0) {
        const std::int64_t want =
            std::min<std::int64_t>(static_cast<std::int64_t>(buffer.size()), length - offset);
        ssize_t n = ::pwrite(fd, buffer.data(), static_cast<std::size_t>(want), static_cast<off_t>(offset));
        if (n < 0) {
            if (errno != EINTR)
                failure = errno;
            continue;
        }
        if (n == 0)
            failure = EIO;
        offset += n;
    }
    if (failure == 0 && ::fdatasync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure != 0)
        return Error::fromErrno(failure);
    return {};
}

} // namespace

Error overwriteFileInPlace(const std::string& path, std::int64_t clusterSize) {
    return overwriteAt(AT_FDCWD, path.c_str(), clusterSize);
}

Error overwriteChildInPlace(const DirectoryHandle& folder, const std::string& name,
                            std::int64_t clusterSize) {
    return overwriteAt(folder.nativeHandle(), name.c_str(), clusterSize);
}

} // namespace kestrel::platform
