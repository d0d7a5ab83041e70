#include "platform/ReadAhead.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace kestrel::platform {

void prefetchFile(const DirectoryHandle& folder, const std::string& name, std::int64_t bytes) {
    // Never waits on a pipe put in the file's place.
    const int fd =
        ::openat(folder.nativeHandle(), name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (const ReadAheadSeam::Function seam = ReadAheadSeam::current())
        seam(name);
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && bytes > 0)
        ::posix_fadvise(fd, 0, static_cast<off_t>(bytes), POSIX_FADV_WILLNEED);
    ::close(fd);
}

void prefetchFolder(const DirectoryHandle& parent, const std::string& name, std::size_t files,
                    std::int64_t bytes, const std::function<bool()>& goOn) {
    const int folder =
        ::openat(parent.nativeHandle(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return;
    // The entries are read into this thread's stack and each file opened by the name in it:
    // nothing is allocated on the reader's thread.
    alignas(struct dirent64) char buffer[8192];
    for (;;) {
        const ssize_t length = ::getdents64(folder, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length && files > 0 && bytes > 0;) {
            const auto* d = reinterpret_cast<const struct dirent64*>(buffer + offset);
            offset += d->d_reclen;
            if (d->d_type != DT_REG)
                continue;
            if (!goOn()) {
                files = 0;
                break;
            }
            const int fd =
                ::openat(folder, d->d_name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
            if (fd < 0)
                continue;
            if (const ReadAheadSeam::Function seam = ReadAheadSeam::current())
                seam(d->d_name);
            struct stat st {};
            if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
                const std::int64_t part = std::min<std::int64_t>(st.st_size, bytes);
                ::posix_fadvise(fd, 0, static_cast<off_t>(part), POSIX_FADV_WILLNEED);
                bytes -= part;
            }
            ::close(fd);
            --files;
        }
        if (files == 0 || bytes <= 0)
            break;
    }
    ::close(folder);
}

} // namespace kestrel::platform
