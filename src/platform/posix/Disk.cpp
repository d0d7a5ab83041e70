#include "platform/Disk.h"

#include "platform/posix/MountTable.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace kestrel::platform {

namespace {

std::string parentOf(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    std::size_t slash = p.rfind('/');
    if (slash == std::string::npos)
        return "."; // a relative name lies in the working folder
    if (slash == 0)
        return "/";
    return p.substr(0, slash);
}

// The path of the nearest existing folder of `path`, links resolved; empty when none.
std::string nearestExistingFolder(const std::string& path) {
    if (path.empty())
        return {};
    std::string p = path;
    for (;;) {
        struct stat st;
        if (::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            char resolved[PATH_MAX];
            if (::realpath(p.c_str(), resolved))
                return resolved;
            return {};
        }
        if (p == "/" || p == ".")
            return {};
        p = parentOf(p);
    }
}

bool isWithin(const std::string& path, const std::string& mount) {
    if (mount == "/")
        return true;
    return path.compare(0, mount.size(), mount) == 0 &&
           (path.size() == mount.size() || path[mount.size()] == '/');
}

std::string longestMountFromTable(const std::string& folder) {
    std::string best;
    for (const MountedFileSystem& mounted : mountTable()) {
        const std::string& mount = mounted.mountPoint;
        if (mount[0] == '/' && isWithin(folder, mount) && mount.size() > best.size())
            best = mount;
    }
    return best;
}

// Without the mount table: the highest folder above that is still on the same device.
std::string mountByDevice(const std::string& folder) {
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0)
        return {};
    std::string current = folder;
    while (current != "/") {
        std::string parent = parentOf(current);
        struct stat parentSt;
        if (::stat(parent.c_str(), &parentSt) != 0 || parentSt.st_dev != st.st_dev)
            break;
        current = parent;
    }
    return current;
}

std::string withSlash(std::string path) {
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

} // namespace

std::string mountPointOf(const std::string& path) {
    const std::string folder = nearestExistingFolder(path);
    if (folder.empty())
        return {};
    std::string mount = longestMountFromTable(folder);
    if (mount.empty())
        mount = mountByDevice(folder);
    if (mount.empty())
        return {};
    return withSlash(mount);
}

std::vector<std::string> fileSystemTableMountPoints() {
    const FileSystemTableSeam::Function testTable = FileSystemTableSeam::current();
    std::ifstream table(testTable ? testTable() : std::string("/etc/fstab"));
    std::vector<std::string> mountPoints;
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (!(fields >> device >> mountPoint >> type) || device[0] == '#')
            continue;
        mountPoint = unescapedMountField(mountPoint);
        if (type == "swap" || mountPoint.empty() || mountPoint[0] != '/' || mountPoint == "/")
            continue;
        mountPoints.push_back(mountPoint);
    }
    return mountPoints;
}

bool isMountedReadOnly(const std::string& path) {
    const std::string folder = nearestExistingFolder(path);
    if (folder.empty())
        return false;
    struct statvfs vfs;
    if (::statvfs(folder.c_str(), &vfs) != 0)
        return false;
    return (vfs.f_flag & ST_RDONLY) != 0;
}

Result<DiskSpace> diskSpace(const std::string& path) {
    // The backup asks before every copy: one call for a path that exists, the search for the
    // nearest existing folder only for one that does not.
    struct statvfs vfs;
    if (path.empty() || ::statvfs(path.c_str(), &vfs) != 0) {
        const std::string folder = nearestExistingFolder(path);
        if (folder.empty())
            return Error::of(err::PathNotFound);
        if (::statvfs(folder.c_str(), &vfs) != 0)
            return Error::fromErrno(errno, true);
    }
    // A file system that tells no size (FAT through fusefat) tells no free space either: it is
    // not known, which is not "full".
    if (vfs.f_blocks == 0)
        return Error::of(err::PathFileAccess);
    const std::uint64_t unit = vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize;
    DiskSpace space;
    space.freeForUser = static_cast<std::uint64_t>(vfs.f_bavail) * unit;
    space.total = static_cast<std::uint64_t>(vfs.f_blocks) * unit;
    space.freeTotal = static_cast<std::uint64_t>(vfs.f_bfree) * unit;
    space.blockSize = unit;
    return space;
}

Error writeNewFile(const DirectoryHandle& folder, const std::string& name, const std::string& content) {
    if (const NewFileFaultSeam::Function fault = NewFileFaultSeam::current()) {
        if (Error error = fault(folder.pathOfChild(name)))
            return error;
    }
    int fd = ::openat(folder.nativeHandle(), name.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return Error::fromErrno(errno, true); // a missing part of the path is a folder
    const char* data = content.data();
    std::size_t left = content.size();
    int failure = 0;
    while (left > 0) {
        ssize_t n = ::write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            failure = errno;
            break;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure != 0) {
        ::unlinkat(folder.nativeHandle(), name.c_str(), 0); // our own file, made a moment ago
        return Error::fromErrno(failure);
    }
    return {};
}

Error writeNewFile(const std::string& path, const std::string& content) {
    const Result<DirectoryHandle> folder = DirectoryHandle::openToPass(parentOf(path));
    return folder.ok() ? writeNewFile(folder.value(), path.substr(path.rfind('/') + 1), content)
                       : folder.error();
}

bool removeInterruptedNewFile(const DirectoryHandle& folder, const std::string& name,
                              const std::string& content) {
    bool removed = false;
    const int fd = ::openat(folder.nativeHandle(), name.c_str(),
                            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 &&
        st.st_uid == ::geteuid() && static_cast<std::size_t>(st.st_size) <= content.size()) {
        std::string held(content.size() + 1, '\0');
        const ssize_t n = ::read(fd, held.data(), held.size());
        if (n == st.st_size &&
            content.compare(0, static_cast<std::size_t>(n), held, 0, static_cast<std::size_t>(n)) == 0)
            removed = ::unlinkat(folder.nativeHandle(), name.c_str(), 0) == 0;
    }
    if (fd >= 0)
        ::close(fd);
    return removed;
}

} // namespace kestrel::platform
