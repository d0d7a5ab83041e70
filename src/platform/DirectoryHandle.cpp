#include "platform/DirectoryHandle.h"

#include "platform/PosixStatus.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kestrel::platform {

DirectoryHandle::~DirectoryHandle() {
    if (fd_ >= 0)
        ::close(fd_);
}

DirectoryHandle::DirectoryHandle(DirectoryHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

DirectoryHandle& DirectoryHandle::operator=(DirectoryHandle&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

DirectoryHandle DirectoryHandle::open(const std::string& path, Error& error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    error = fd < 0 ? Error::fromErrno(errno, true) : Error{};
    return DirectoryHandle(fd);
}

DirectoryHandle DirectoryHandle::openChild(const std::string& name, Error& error) const {
    int fd = ::openat(fd_, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    error = fd < 0 ? Error::fromErrno(errno == ELOOP ? ENOTDIR : errno, true) : Error{};
    return DirectoryHandle(fd);
}

FileStatus DirectoryHandle::statChild(const std::string& name) const {
    struct stat st;
    int rc = ::fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW);
    return statusOfCall(rc, st);
}

FileStatus DirectoryHandle::status() const {
    struct stat st;
    int rc = ::fstat(fd_, &st);
    return statusOfCall(rc, st);
}

} // namespace kestrel::platform
