#include "platform/FileSystem.h"

#include "platform/posix/PosixStatus.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel::platform {

namespace {

Error lastError(bool forFolder = false) {
    return Error::fromErrno(errno, forFolder);
}

bool writeAll(int fd, const char* data, std::size_t length) {
    while (length > 0) {
        ssize_t written = ::write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

// What a symbolic link points to, followed to the end; any other path as it is.
std::string linkTargetOf(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        std::string target = resolved;
        std::free(resolved);
        return target;
    }
    // A link to a file not made yet: the file it names, beside the link when it is relative.
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096), '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n <= 0)
        return path;
    target.resize(static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    if (target[0] != '/' && slash != std::string::npos)
        target = path.substr(0, slash + 1) + target;
    return target;
}

} // namespace

FileStatus statPath(const std::string& path, bool followLinks) {
    struct stat st;
    const int rc = followLinks ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
    return statusOfCall(rc, st);
}

bool isReadOnly(const FileStatus& status) {
    return status.exists() && (status.mode & S_IWUSR) == 0;
}

unsigned withReadOnlyCleared(unsigned mode) {
    return mode | S_IWUSR;
}

std::string resolvedPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return {};
    std::string real = resolved;
    std::free(resolved);
    return real;
}

DirectoryReader::DirectoryReader(const std::string& folder) : folder_(folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        error_ = lastError(true);
    dir_ = dir;
}

DirectoryReader::~DirectoryReader() {
    if (dir_)
        ::closedir(static_cast<DIR*>(dir_));
}

bool DirectoryReader::next(DirectoryEntry& entry) {
    if (!dir_)
        return false;
    for (;;) {
        errno = 0;
        struct dirent* d = ::readdir(static_cast<DIR*>(dir_));
        if (!d) {
            if (errno != 0)
                error_ = lastError(true);
            return false;
        }
        const char* name = d->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        entry.name = name;
        entry.kind = kindOfDirentType(d->d_type);
        if (d->d_type == DT_UNKNOWN) {
            struct stat st;
            if (::fstatat(::dirfd(static_cast<DIR*>(dir_)), name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                entry.kind = kindOfMode(st.st_mode);
        }
        return true;
    }
}

Error makeDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) != 0)
        return lastError(true);
    return {};
}

Error removeFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0)
        return lastError();
    return {};
}

Error removeDirectory(const std::string& path) {
    if (::rmdir(path.c_str()) != 0)
        return lastError(true);
    return {};
}

Error renameEntry(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        return lastError();
    return {};
}

Error setPermissions(const std::string& path, unsigned mode) {
    if (::chmod(path.c_str(), static_cast<mode_t>(mode)) != 0)
        return lastError();
    return {};
}

Error setHiddenOrSystem(const std::string&, std::uint32_t, bool) {
    return {};
}

Error setModificationTime(const std::string& path, std::int64_t seconds, std::int32_t nanoseconds) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(seconds);
    times[1].tv_nsec = nanoseconds;
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
        return lastError();
    return {};
}

Error writeFileAtomically(const std::string& linkOrPath, const std::string& content) {
    // A file kept as a link is saved into the file the link points to; the link stays a link.
    const std::string path = linkTargetOf(linkOrPath);
    const std::string partial = partialCopyPath(path);
    int out = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (out < 0)
        return lastError();
    // An existing file keeps its permissions across the save.
    struct stat existing;
    if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        ::fchmod(out, existing.st_mode & 07777);
    bool ok = writeAll(out, content.data(), content.size()) && ::fsync(out) == 0;
    int savedErrno = errno;
    if (::close(out) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && ::rename(partial.c_str(), path.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        ::unlink(partial.c_str());
        return Error::fromErrno(savedErrno);
    }
    return {};
}

} // namespace kestrel::platform
