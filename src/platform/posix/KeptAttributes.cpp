#include "platform/KeptAttributes.h"

#include "platform/FileCopy.h"
#include "platform/posix/KeptDescriptor.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace kestrel::platform {

namespace {

bool isAccessList(const std::string& name) {
    return name == "system.posix_acl_access" || name == "system.posix_acl_default";
}

// The names of the extended attributes of an open entry (empty when it has none or the file
// system keeps none).
std::vector<std::string> attributeNamesOf(int fd) {
    std::vector<char> buffer(1024);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t n = ::flistxattr(fd, buffer.data(), buffer.size());
        if (n >= 0) {
            std::vector<std::string> names;
            for (ssize_t at = 0; at < n;) {
                const std::string name(buffer.data() + at);
                at += static_cast<ssize_t>(name.size()) + 1;
                if (!name.empty())
                    names.push_back(name);
            }
            return names;
        }
        if (errno != ERANGE)
            return {};
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        buffer.resize(size > 0 ? static_cast<std::size_t>(size) * 2 : buffer.size() * 2);
    }
    return {};
}

bool valueOf(int fd, const std::string& name, std::vector<char>& value) {
    const ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
    if (size < 0)
        return false;
    value.resize(static_cast<std::size_t>(size));
    const ssize_t n = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
    if (n < 0)
        return false;
    value.resize(static_cast<std::size_t>(n));
    return true;
}

// Whether the entry now has the permission bits of `mode`: some file systems (NTFS through
// ntfs-3g without its permissions option) take a new mode without a word and keep their own.
// The set-id bits are left out: the system may clear them for a user who is no member of the
// group, which is no fault of the file system.
bool modeHeld(int fd, mode_t mode) {
    struct stat now {};
    return ::fstat(fd, &now) != 0 || (now.st_mode & 0777) == (mode & 0777);
}

unsigned refusedOnPurpose() {
    return RefusedKindsSeam::current();
}

} // namespace

bool refusedByFileSystem(int errnoValue) {
    return errnoValue == EPERM || errnoValue == ENOTSUP || errnoValue == EOPNOTSUPP || errnoValue == ENOSYS ||
           errnoValue == EACCES;
}

bool mayGiveAwayFiles() {
    return ::geteuid() == 0;
}

unsigned keepDescriptorAttributes(int from, int to, mode_t mode, int& errnoValue) {
    errnoValue = 0;
    const unsigned seam = refusedOnPurpose();
    unsigned refused = 0;
    struct stat source {};
    if (::fstat(from, &source) != 0) {
        errnoValue = errno;
        return 0;
    }
    struct stat copy {};
    if (::fstat(to, &copy) != 0) {
        errnoValue = errno;
        return 0;
    }
    // Only an owner that differs is given; where the user may not give it, the target keeps the
    // user's own.
    if (copy.st_uid != source.st_uid || copy.st_gid != source.st_gid) {
        if ((seam & kept::Owner) != 0 || ::fchown(to, source.st_uid, source.st_gid) != 0) {
            if ((seam & kept::Owner) == 0 && !refusedByFileSystem(errno)) {
                errnoValue = errno;
                return refused;
            }
            refused |= kept::Owner;
        }
    }
    std::vector<char> value;
    for (const std::string& name : attributeNamesOf(from)) {
        const unsigned kind = isAccessList(name) ? kept::AccessLists : kept::ExtendedAttributes;
        if (!valueOf(from, name, value))
            continue; // gone since it was listed, or not for this user to read
        if ((seam & kind) != 0 || ::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0) {
            // A name the target's system does not know (another security module) is a refusal too.
            if ((seam & kind) == 0 && !refusedByFileSystem(errno) && errno != EINVAL) {
                errnoValue = errno;
                return refused;
            }
            refused |= kind;
        }
    }
    if ((seam & kept::Mode) != 0 || ::fchmod(to, mode & 07777) != 0) {
        if ((seam & kept::Mode) == 0 && !refusedByFileSystem(errno)) {
            errnoValue = errno;
            return refused;
        }
        refused |= kept::Mode;
    } else if (!modeHeld(to, mode)) {
        refused |= kept::Mode;
    }
    return refused;
}

unsigned keepFolderAttributes(const DirectoryHandle& source, const DirectoryHandle& target, Error& error) {
    error = {};
    struct stat st {};
    if (::fstat(source.nativeHandle(), &st) != 0) {
        error = Error::fromErrno(errno, true);
        return 0;
    }
    mode_t mode = st.st_mode & 07777;
    if (!mayGiveAwayFiles())
        mode |= S_IRWXU;
    int errnoValue = 0;
    unsigned refused =
        keepDescriptorAttributes(source.nativeHandle(), target.nativeHandle(), mode, errnoValue);
    if (errnoValue != 0) {
        error = Error::fromErrno(errnoValue, true);
        return refused;
    }
    const timespec times[2] = {st.st_atim, st.st_mtim};
    if ((refusedOnPurpose() & kept::FolderTimes) != 0 || ::futimens(target.nativeHandle(), times) != 0) {
        if ((refusedOnPurpose() & kept::FolderTimes) == 0 && !refusedByFileSystem(errno)) {
            error = Error::fromErrno(errno, true);
            return refused;
        }
        refused |= kept::FolderTimes;
    }
    return refused;
}

unsigned keepCopyModeAndOwner(const DirectoryHandle& sourceFolder, const std::string& sourceName,
                              const DirectoryHandle& target, const std::string& name, unsigned skip,
                              Error& error) {
    error = {};
    struct stat source {};
    if (::fstatat(sourceFolder.nativeHandle(), sourceName.c_str(), &source, 0) != 0) {
        error = Error::fromErrno(errno);
        return 0;
    }
    // A handle to the entry itself, never to what a link would lead to: what is looked at is
    // what is changed.
    const int fd = ::openat(target.nativeHandle(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        error = Error::fromErrno(errno);
        return 0;
    }
    const unsigned seam = refusedOnPurpose();
    unsigned refused = 0;
    struct stat copy {};
    if (::fstat(fd, &copy) != 0)
        error = Error::fromErrno(errno);
    // Anything but a regular file no other name shares is not this program's copy alone: left as
    // it is.
    else if (S_ISREG(copy.st_mode) && copy.st_nlink <= 1) {
        // The owner first: a new owner clears the set-id bits the mode then gives back.
        if ((skip & kept::Owner) == 0 && mayGiveAwayFiles() &&
            (copy.st_uid != source.st_uid || copy.st_gid != source.st_gid)) {
            if ((seam & kept::Owner) != 0 ||
                ::fchownat(fd, "", source.st_uid, source.st_gid, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW) != 0) {
                if ((seam & kept::Owner) == 0 && !refusedByFileSystem(errno))
                    error = Error::fromErrno(errno);
                refused |= kept::Owner;
            } else
                copy.st_mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
        }
        const mode_t mode = source.st_mode & 07777;
        if (!error && (skip & kept::Mode) == 0 && (copy.st_mode & 07777) != mode) {
            // A path-only handle is changed through its name in /proc, which leads to the same
            // file, never to another (older kernels refuse fchmod on it).
            const std::string self = "/proc/self/fd/" + std::to_string(fd);
            if ((seam & kept::Mode) != 0 || (::fchmod(fd, mode) != 0 && ::chmod(self.c_str(), mode) != 0)) {
                if ((seam & kept::Mode) == 0 && !refusedByFileSystem(errno))
                    error = Error::fromErrno(errno);
                refused |= kept::Mode;
            } else if (!modeHeld(fd, mode)) {
                refused |= kept::Mode;
            }
        }
    }
    ::close(fd);
    return error ? 0 : refused;
}

bool holdsLinks(const DirectoryHandle& folder) {
    if ((refusedOnPurpose() & kept::Links) != 0)
        return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = temporaryCopyName();
        if (::symlinkat(name.c_str(), folder.nativeHandle(), name.c_str()) == 0) {
            ::unlinkat(folder.nativeHandle(), name.c_str(), 0);
            return true;
        }
        if (errno != EEXIST)
            return !refusedByFileSystem(errno); // a read-only disk cannot tell: taken as holding them
    }
    return true;
}

Error readLinkText(const DirectoryHandle& folder, const std::string& name, std::string& text) {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t n = ::readlinkat(folder.nativeHandle(), name.c_str(), buffer.data(), buffer.size());
        if (n < 0)
            return Error::fromErrno(errno);
        if (static_cast<std::size_t>(n) < buffer.size()) {
            text.assign(buffer.data(), static_cast<std::size_t>(n));
            return {};
        }
        buffer.resize(buffer.size() * 4);
    }
}

LinkResult placeLink(const DirectoryHandle& folder, const std::string& name, const std::string& text,
                     const DirectoryHandle* sourceFolder, const std::string& sourceName, bool keepOwner) {
    LinkResult result;
    const int fd = folder.nativeHandle();
    std::string temporary;
    int rc = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = temporaryCopyName();
        if ((refusedOnPurpose() & kept::Links) != 0) {
            rc = EPERM;
            break;
        }
        rc = ::symlinkat(text.c_str(), fd, temporary.c_str()) == 0 ? 0 : errno;
        if (rc != EEXIST)
            break;
    }
    if (rc != 0) {
        result.notHeld = refusedByFileSystem(rc);
        if (result.notHeld)
            result.refused = kept::Links;
        result.error = Error::fromErrno(rc);
        return result;
    }
    if (keepOwner && sourceFolder != nullptr) {
        struct stat st {};
        if (::fstatat(sourceFolder->nativeHandle(), sourceName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            const bool differs =
                (refusedOnPurpose() & kept::Owner) != 0 ||
                ::fchownat(fd, temporary.c_str(), st.st_uid, st.st_gid, AT_SYMLINK_NOFOLLOW) != 0;
            if (differs)
                result.refused |= kept::Owner;
            const timespec times[2] = {st.st_atim, st.st_mtim};
            ::utimensat(fd, temporary.c_str(), times, AT_SYMLINK_NOFOLLOW);
        }
    }
    // A rename replaces a file or a link of that name and never a folder.
    if (::renameat(fd, temporary.c_str(), fd, name.c_str()) != 0) {
        result.error = Error::fromErrno(errno);
        ::unlinkat(fd, temporary.c_str(), 0);
    }
    return result;
}

} // namespace kestrel::platform
