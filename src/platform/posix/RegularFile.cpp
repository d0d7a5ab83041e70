#include "platform/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel::platform {

int openRegularFile(const std::string& path, int flags, unsigned mode, Error& error,
                    bool allowCharacterDevice) {
    int fd;
    do
        fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, static_cast<mode_t>(mode));
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        // A FIFO without a reader refuses a non-blocking writer: it is no file all the same.
        error = errno == ENXIO ? Error::of(err::PathFileAccess) : Error::fromErrno(errno);
        return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || (allowCharacterDevice && S_ISCHR(st.st_mode)))) {
        error = Error::of(err::PathFileAccess);
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    error = {};
    return fd;
}

} // namespace kestrel::platform
