#include "platform/DirectoryHandle.h"

#include "platform/posix/PosixStatus.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kestrel::platform {

namespace {

// Targets on file systems that keep no locks (NFS without its lock service) are locked through a
// file of this machine's own instead, one for each folder (by device and file number), held
// while the folder's handle is open.
std::mutex localLocksMutex;
std::map<int, int>& localLocks() {
    static std::map<int, int> locks; // folder handle -> lock file handle
    return locks;
}

void releaseLocalLock(int folder) {
    const std::lock_guard<std::mutex> guard(localLocksMutex);
    const auto held = localLocks().find(folder);
    if (held != localLocks().end()) {
        ::close(held->second);
        localLocks().erase(held);
    }
}

bool lockLocally(int folder) {
    struct stat st {};
    if (::fstat(folder, &st) != 0)
        return false;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string locks = std::string(runtime != nullptr && *runtime != '\0' ? runtime : "/tmp") +
                              "/kestrel-backup-locks-" + std::to_string(::geteuid());
    ::mkdir(locks.c_str(), 0700);
    struct stat lockFolder {};
    // Only a folder of this user's that nobody else may write to holds the locks.
    if (::lstat(locks.c_str(), &lockFolder) != 0 || !S_ISDIR(lockFolder.st_mode) ||
        lockFolder.st_uid != ::geteuid() || (lockFolder.st_mode & 022) != 0)
        return false;
    const std::string name = locks + "/" + std::to_string(st.st_dev) + "-" + std::to_string(st.st_ino);
    const int lock = ::open(name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lock < 0)
        return false;
    if (::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        ::close(lock);
        return false;
    }
    const std::lock_guard<std::mutex> guard(localLocksMutex);
    localLocks()[folder] = lock;
    return true;
}

} // namespace

DirectoryHandle::~DirectoryHandle() {
    if (fd_ >= 0) {
        releaseLocalLock(fd_);
        ::close(fd_);
    }
}

DirectoryHandle::DirectoryHandle(DirectoryHandle&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), atStart_(other.atStart_) {}

DirectoryHandle& DirectoryHandle::operator=(DirectoryHandle&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            releaseLocalLock(fd_);
            ::close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
        atStart_ = other.atStart_;
    }
    return *this;
}

namespace {

// A folder by path (links on the way followed) or by name in a folder (a link of that name
// refused: it is no folder of the tree, and with O_PATH it would be opened as itself); `access`
// is O_RDONLY for a folder to read, O_PATH for one only passed through.
Result<int> openFolder(int at, const std::string& name, int access) {
    const bool byName = at != AT_FDCWD;
    const int fd = ::openat(at, name.c_str(), access | O_DIRECTORY | O_CLOEXEC | (byName ? O_NOFOLLOW : 0));
    if (fd < 0)
        return Error::fromErrno(byName && errno == ELOOP ? ENOTDIR : errno, true);
    return fd;
}

} // namespace

Result<DirectoryHandle> DirectoryHandle::open(const std::string& path) {
    return adopt(openFolder(AT_FDCWD, path, O_RDONLY));
}

Result<DirectoryHandle> DirectoryHandle::openChild(const std::string& name) const {
    return adopt(openFolder(fd_, name, O_RDONLY));
}

Result<DirectoryHandle> DirectoryHandle::openToPass(const std::string& path) {
    return adopt(openFolder(AT_FDCWD, path, O_PATH));
}

Result<DirectoryHandle> DirectoryHandle::openChildToPass(const std::string& name) const {
    return adopt(openFolder(fd_, name, O_PATH));
}

FileStatus DirectoryHandle::statChild(const std::string& name) const {
    struct stat st;
    int rc = ::fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW);
    return statusOfCall(rc, st);
}

FileStatus DirectoryHandle::statChildFollowingLinks(const std::string& name) const {
    struct stat st;
    int rc = ::fstatat(fd_, name.c_str(), &st, 0);
    return statusOfCall(rc, st);
}

Result<DirectoryHandle> DirectoryHandle::duplicate() const {
    const int fd = fd_ < 0 ? -1 : ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return Error::fromErrno(fd_ < 0 ? EBADF : errno);
    // The two share one position in the folder: a read through either moves it for both.
    atStart_ = false;
    return DirectoryHandle(fd);
}

FileStatus DirectoryHandle::status() const {
    struct stat st;
    int rc = ::fstat(fd_, &st);
    return statusOfCall(rc, st);
}

Result<std::vector<DirectoryEntry>> DirectoryHandle::readEntries() const {
    // Straight from the kernel through this handle, from its start: no stream of its own to
    // open and close for every folder of a walk.
    if (!std::exchange(atStart_, false) && ::lseek(fd_, 0, SEEK_SET) < 0)
        return Error::fromErrno(errno, true);
    std::vector<DirectoryEntry> entries;
    alignas(struct dirent64) char buffer[32768];
    for (;;) {
        const ssize_t length = ::getdents64(fd_, buffer, sizeof buffer);
        if (length < 0) {
            if (errno == EINTR)
                continue;
            return Error::fromErrno(errno, true);
        }
        if (length == 0)
            return entries;
        for (ssize_t offset = 0; offset < length;) {
            const auto* d = reinterpret_cast<const struct dirent64*>(buffer + offset);
            offset += d->d_reclen;
            const char* name = d->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            DirectoryEntry entry;
            entry.name = name;
            entry.kind = kindOfDirentType(d->d_type);
            if (d->d_type == DT_UNKNOWN)
                entry.kind = statChild(entry.name).kind;
            entries.push_back(std::move(entry));
        }
    }
}

Error DirectoryHandle::makeChild(const std::string& name) const {
    if (::mkdirat(fd_, name.c_str(), 0777) != 0)
        return Error::fromErrno(errno, true);
    return {};
}

Error DirectoryHandle::removeChild(const std::string& name) const {
    if (::unlinkat(fd_, name.c_str(), 0) != 0)
        return Error::fromErrno(errno);
    return {};
}

Error DirectoryHandle::removeChildFolder(const std::string& name) const {
    if (::unlinkat(fd_, name.c_str(), AT_REMOVEDIR) != 0)
        return Error::fromErrno(errno, true);
    return {};
}

Error DirectoryHandle::renameChild(const std::string& from, const std::string& to) const {
    if (::renameat(fd_, from.c_str(), fd_, to.c_str()) != 0)
        return Error::fromErrno(errno);
    return {};
}

Error DirectoryHandle::moveChildTo(const std::string& from, const DirectoryHandle& to,
                                   const std::string& toName) const {
    if (::renameat2(fd_, from.c_str(), to.fd_, toName.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return Error::fromErrno(errno);
    // A file system without the call: the name is checked free first (the target's lock keeps
    // this program's other runs out in between).
    struct stat st;
    if (::fstatat(to.fd_, toName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return Error::fromErrno(EEXIST);
    if (::renameat(fd_, from.c_str(), to.fd_, toName.c_str()) != 0)
        return Error::fromErrno(errno);
    return {};
}

Error DirectoryHandle::setChildFileMode(const std::string& name, unsigned mode) const {
    // A handle to the entry itself, not to what a link would lead to; the mode is then set on
    // exactly the file that was looked at.
    const int fd = ::openat(fd_, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return Error::fromErrno(errno);
    struct stat st;
    Error error;
    if (::fstat(fd, &st) != 0)
        error = Error::fromErrno(errno);
    else if (!S_ISREG(st.st_mode) || st.st_nlink > 1)
        error = Error::of(err::PathFileAccess);
    else if (::fchmod(fd, static_cast<mode_t>(mode)) != 0) {
        // A path-only handle cannot be changed directly on older kernels; its name in /proc
        // leads to the same file, never to another.
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        if (::chmod(self.c_str(), static_cast<mode_t>(mode)) != 0)
            error = Error::fromErrno(errno);
    }
    ::close(fd);
    return error;
}

Error DirectoryHandle::setMode(unsigned mode) const {
    if (::fchmod(fd_, static_cast<mode_t>(mode)) != 0)
        return Error::fromErrno(errno, true);
    return {};
}

bool DirectoryHandle::isAtOrBelow(const DirectoryHandle& tree) const {
    struct stat top;
    if (!valid() || !tree.valid() || ::fstat(tree.fd_, &top) != 0)
        return false;
    // Up through "..", which is never a link, until the tree or the root of the file system
    // tree: path-only handles, so a folder on the way that cannot be read is still passed.
    int current = ::openat(fd_, ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    bool found = false;
    for (int depth = 0; current >= 0 && depth < 4096; ++depth) {
        struct stat here;
        if (::fstat(current, &here) != 0)
            break;
        if (here.st_dev == top.st_dev && here.st_ino == top.st_ino) {
            found = true;
            break;
        }
        const int parent = ::openat(current, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
        struct stat up;
        const bool atRoot =
            parent < 0 || ::fstat(parent, &up) != 0 || (up.st_dev == here.st_dev && up.st_ino == here.st_ino);
        ::close(current);
        current = parent;
        if (atRoot)
            break;
    }
    if (current >= 0)
        ::close(current);
    return found;
}

bool DirectoryHandle::tryLockExclusive() const {
    int rc;
    do
        rc = ::flock(fd_, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0 && (errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS))
        return lockLocally(fd_);
    return rc == 0;
}

std::string DirectoryHandle::pathOfChild(const std::string& name) const {
    return "/proc/self/fd/" + std::to_string(fd_) + "/" + name;
}

} // namespace kestrel::platform
