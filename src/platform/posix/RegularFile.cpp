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

} // namespace

RegularFile openRegularFile(const std::string& path, FileOpening opening, Error& error,
                            bool allowCharacterDevice) {
    int fd;
    do
        fd = ::open(path.c_str(), flagsOf(opening) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        // A FIFO without a reader refuses a non-blocking writer: it is no file all the same.
        error = errno == ENXIO ? Error::of(err::PathFileAccess) : Error::fromErrno(errno);
        return {};
    }
    RegularFile file(fd);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || (allowCharacterDevice && S_ISCHR(st.st_mode)))) {
        error = Error::of(err::PathFileAccess);
        return {};
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    error = {};
    return file;
}

std::int64_t RegularFile::read(char* buffer, std::size_t size, Error& error) {
    for (;;) {
        const ssize_t n = ::read(descriptor(handle_), buffer, size);
        if (n >= 0)
            return n;
        if (errno != EINTR) {
            error = Error::fromErrno(errno);
            return -1;
        }
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
