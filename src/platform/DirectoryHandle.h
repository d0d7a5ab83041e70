#pragma once

#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"

#include <string>

namespace kestrel::platform {

// An open folder that work inside a tree is done relative to. Opened from the tree's root
// downward, one name at a time and never through a symbolic link, so a link swapped into the
// tree between two steps cannot redirect the work to a folder outside it.
class DirectoryHandle {
public:
    DirectoryHandle() = default;
    ~DirectoryHandle();
    DirectoryHandle(DirectoryHandle&& other) noexcept;
    DirectoryHandle& operator=(DirectoryHandle&& other) noexcept;
    DirectoryHandle(const DirectoryHandle&) = delete;
    DirectoryHandle& operator=(const DirectoryHandle&) = delete;

    // The folder a path names; links in the path itself are followed (it is the root the user
    // chose), the result is a folder or an error.
    static DirectoryHandle open(const std::string& path, Error& error);
    // A folder directly inside this one; a link of that name is refused, not followed.
    DirectoryHandle openChild(const std::string& name, Error& error) const;

    bool valid() const { return fd_ >= 0; }
    // The status of an entry of this folder, a link reported as a link.
    FileStatus statChild(const std::string& name) const;
    // This folder's own status.
    FileStatus status() const;

    // The operating system's handle, for the platform's own procedures only.
    int nativeHandle() const { return fd_; }

private:
    explicit DirectoryHandle(int fd) : fd_(fd) {}
    int fd_ = -1;
};

} // namespace kestrel::platform
