#include "platform/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kestrel::platform {

namespace {

int flagsOf(FileOpening opening) {
    switch (opening) {
    case FileOpening::Read:
        return O_RDONLY;
    case FileOpening::Truncate:
        return O_WRONLY | O_CREAT | O_TRUNC;
    case FileOpening::Append:
        break;
    }
    return O_WRONLY | O_CREAT | O_APPEND;
}

int descriptor(std::intptr_t handle) {
    return static_cast<int>(handle);
}

// A file the program may write inside the target: a regular file of this user's that no other
// name shares, so writing it cannot change a file of someone else's or one outside the target.
bool isOwnFile(const struct stat& st) {
    return S_ISREG(st.st_mode) && st.st_nlink <= 1 && st.st_uid == ::geteuid();
}

} // namespace

Result<RegularFile> openRegularFile(const std::string& path, FileOpening opening, bool allowCharacterDevice) {
    int fd;
    do
        fd = ::open(path.c_str(), flagsOf(opening) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        // A FIFO without a reader refuses a non-blocking writer: it is no file all the same.
        return errno == ENXIO ? Error::of(err::PathFileAccess) : Error::fromErrno(errno);
    }
    RegularFile file(fd);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || (allowCharacterDevice && S_ISCHR(st.st_mode))))
        return Error::of(err::PathFileAccess);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return file;
}

OwnFileState ownFileStateOf(const DirectoryHandle& folder, const std::string& name) {
    struct stat st;
    if (::fstatat(folder.nativeHandle(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return OwnFileState::Missing; // or unreadable: opening it will say why
    return isOwnFile(st) ? OwnFileState::Own : OwnFileState::Foreign;
}

Result<RegularFile> openOwnFile(const DirectoryHandle& folder, const std::string& name, FileOpening opening,
                                bool& foreign) {
    foreign = false;
    const int at = folder.nativeHandle();
    const int access =
        (opening == FileOpening::Append ? O_WRONLY | O_APPEND : O_WRONLY) | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC;
    // A name that comes and goes between the calls is looked at again, a few times.
    const OwnFileOpeningSeam::Function seam = OwnFileOpeningSeam::current();
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (seam)
            seam(name, false);
        int fd = ::openat(at, name.c_str(), access | O_CREAT | O_EXCL, 0666);
        if (fd >= 0)
            return RegularFile(fd);
        if (errno == EINTR)
            continue;
        if (errno != EEXIST)
            return Error::fromErrno(errno);
        // Looked at before it is opened, so that nothing but a regular file is ever opened for
        // writing (opening a device may do something of itself); then checked again on the
        // open file, which is what the writes go to whatever the name holds by now.
        struct stat seen;
        if (::fstatat(at, name.c_str(), &seen, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT)
                continue;
            return Error::fromErrno(errno);
        }
        if (!isOwnFile(seen))
            break;
        if (seam)
            seam(name, true);
        do
            fd = ::openat(at, name.c_str(), access | O_NONBLOCK);
        while (fd < 0 && errno == EINTR);
        if (fd < 0) {
            if (errno == ENOENT)
                continue;
            if (errno == ELOOP || errno == ENXIO || errno == EISDIR)
                break;
            return Error::fromErrno(errno);
        }
        RegularFile file(fd);
        struct stat opened;
        if (::fstat(fd, &opened) != 0 || !isOwnFile(opened))
            break;
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        if (opening == FileOpening::Truncate && ::ftruncate(fd, 0) != 0)
            return Error::fromErrno(errno);
        return file;
    }
    foreign = true;
    return Error::of(err::PathFileAccess);
}

Result<std::int64_t> RegularFile::read(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(descriptor(handle_), buffer, size);
        if (n >= 0)
            return static_cast<std::int64_t>(n);
        if (errno != EINTR)
            return Error::fromErrno(errno);
    }
}

Error RegularFile::writeAll(const char* data, std::size_t size) {
    if (!isOpen())
        return Error::of(err::BadFileName);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(descriptor(handle_), data + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Error::fromErrno(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    return {};
}

void RegularFile::close() {
    if (isOpen()) {
        ::close(descriptor(handle_));
        handle_ = -1;
    }
}

Error probeReadable(const std::string& path) {
    // Non-blocking, so a FIFO put in the file's place cannot hang the caller here.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return Error::fromErrno(errno);
    ::close(fd);
    return {};
}

} // namespace kestrel::platform
