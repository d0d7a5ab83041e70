#pragma once

#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/Result.h"

#include <string>
#include <vector>

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
    static Result<DirectoryHandle> open(const std::string& path);
    // A folder directly inside this one; a link of that name is refused, not followed.
    Result<DirectoryHandle> openChild(const std::string& name) const;

    // A folder only passed through on the way to an entry below it: opened even where it may be
    // searched but not read (a path-only handle on POSIX). It serves to open and look at entries
    // by name, to go on downward, and for isAtOrBelow; not to read the folder's entries.
    static Result<DirectoryHandle> openToPass(const std::string& path);
    Result<DirectoryHandle> openChildToPass(const std::string& name) const;

    bool valid() const { return fd_ >= 0; }
    // The status of an entry of this folder, a link reported as a link.
    FileStatus statChild(const std::string& name) const;
    // The status of an entry of this folder with a link followed to what it leads to, as a
    // walk of the source reads a file it backs up.
    FileStatus statChildFollowingLinks(const std::string& name) const;
    // This folder's own status.
    FileStatus status() const;
    // A second handle to this very folder, closed on its own (for work on another thread).
    Result<DirectoryHandle> duplicate() const;

    // The entries of this folder ("." and ".." left out), read from the handle itself, so they
    // are the entries of the folder that was opened whatever its path names now.
    Result<std::vector<DirectoryEntry>> readEntries() const;

    // A new folder directly inside this one; an existing entry of that name is error 58.
    Error makeChild(const std::string& name) const;
    // Removes an entry that is no folder: a file, or a symbolic link itself.
    Error removeChild(const std::string& name) const;
    // Removes an empty folder directly inside this one (never a link to one).
    Error removeChildFolder(const std::string& name) const;
    Error renameChild(const std::string& from, const std::string& to) const;
    // Moves the entry `from` (a file, a folder or a link itself, never what a link leads to) into
    // the folder `to` under `toName`, on the same file system, without copying any data; an
    // entry already there under that name is never replaced (error 58).
    Error moveChildTo(const std::string& from, const DirectoryHandle& to, const std::string& toName) const;

    // Sets the permission bits of a regular file of this folder that no other name shares;
    // a link, anything but a regular file and a file with other hard links are refused with
    // error 75 and left as they are.
    Error setChildFileMode(const std::string& name, unsigned mode) const;
    // Sets this folder's own permission bits.
    Error setMode(unsigned mode) const;

    // Whether this folder is `tree` or lies below it, judged on the folders themselves (where
    // they are now, whatever path led to either).
    bool isAtOrBelow(const DirectoryHandle& tree) const;

    // Takes the lock that keeps a second operation out of this folder; refused at once (false)
    // while another handle, of this or any process, holds it. Held until the handle closes.
    bool tryLockExclusive() const;

    // A path that names this very folder, for calls that want a path (it does not depend on
    // where the folder lies now, nor on any link on the way to it).
    std::string pathOfChild(const std::string& name) const;

    // The operating system's handle, for the platform's own procedures only.
    int nativeHandle() const { return fd_; }

private:
    explicit DirectoryHandle(int fd, bool atStart = false) : fd_(fd), atStart_(atStart) {}
    // The handle of an open call that gave the system's handle, or its failure.
    static Result<DirectoryHandle> adopt(const Result<int>& fd) {
        if (!fd.ok())
            return fd.error();
        return DirectoryHandle(fd.value(), true);
    }
    int fd_ = -1;
    // Whether the handle is known to stand at the folder's first entry (just opened, neither read
    // nor shared with a duplicate since): a walk reads most folders once, and so without a seek.
    mutable bool atStart_ = false;
};

// The folder that holds a file the program is about to write, and where that folder lies.
struct FolderOfFile {
    DirectoryHandle folder;  // passed-through handle (openToPass); not valid when it could not be
                             // opened: `error` says why
    std::string name;        // the file's name in that folder
    bool insideTree = false; // the folder is the tree's root or lies below it
    bool linkInTree = false; // a link stood on the way inside the tree: nothing was opened
    Error error;
};

// Opens the folder of the file `path` names, one name at a time. Links on the way are followed
// while it lies outside `tree` (the user's own path, which may well reach the tree through a
// link); from the tree's root downward none is, so a link planted in the tree never leads the
// file out of it. Without a valid `tree` every link is followed.
FolderOfFile openFolderOfFile(const std::string& path, const DirectoryHandle& tree);

// The folder a path names, as DirectoryHandle::open.
inline Result<DirectoryHandle> openDirectory(const std::string& path) {
    return DirectoryHandle::open(path);
}

} // namespace kestrel::platform
