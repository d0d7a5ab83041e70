#pragma once

#include "platform/ErrorCodes.h"
#include "platform/Result.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The program's one door to the file system. Paths are byte strings, kept as they are (a name
// that is not valid UTF-8 is still a name on POSIX; Windows names are UTF-8 here).
namespace kestrel::platform {

enum class EntryKind { Missing, Regular, Directory, Symlink, Other };

// The attributes of an entry a backup carries over or respects (Windows keeps them as such;
// on POSIX a file without the owner's write permission reads as ReadOnly).
namespace file_attribute {
constexpr std::uint32_t ReadOnly = 1;
constexpr std::uint32_t Hidden = 2;
constexpr std::uint32_t System = 4;
} // namespace file_attribute

struct FileStatus {
    EntryKind kind = EntryKind::Missing;
    std::int64_t size = 0;
    std::int64_t mtimeSeconds = 0; // seconds since 1970-01-01 UTC
    std::int32_t mtimeNanoseconds = 0;
    // The permission or attribute bits as the system keeps them. Above the platform they are
    // only read through isReadOnly and given back as they are, or through withReadOnlyCleared.
    unsigned mode = 0;
    std::uint32_t attributes = 0; // file_attribute flags
    std::uint64_t linkCount = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    // Why the entry could not be read: 0 when it was, else the program's error number (53
    // "File not found" when nothing of that name exists).
    int errorNumber = 0;
    // Nothing of that name exists: the entry, or a folder on its way, is missing.
    bool notFound = false;

    bool exists() const { return kind != EntryKind::Missing; }
    // Found and read (a missing entry or one that could not be read is neither).
    bool readable() const { return exists() && errorNumber == 0; }
    // Why the entry could not be read, as the program's error (none when it was read).
    Error error() const { return errorNumber == 0 ? Error{} : Error::of(errorNumber); }
    bool isRegular() const { return kind == EntryKind::Regular; }
    bool isDirectory() const { return kind == EntryKind::Directory; }
};

// The ReadOnly attribute: on POSIX, the owner's write permission is missing.
bool isReadOnly(const FileStatus& status);
// The bits of `mode` (a FileStatus's) with the ReadOnly attribute cleared, for setPermissions,
// DirectoryHandle::setChildFileMode and setMode; the other bits stay.
unsigned withReadOnlyCleared(unsigned mode);

// `followLinks` false reports a symbolic link as Symlink instead of what it points to.
FileStatus statPath(const std::string& path, bool followLinks = true);

struct DirectoryEntry {
    std::string name;
    EntryKind kind = EntryKind::Missing; // Symlink for a link, whatever it points to
};

// Reads a folder with a directory stream, one entry at a time ("." and ".." left out).
class DirectoryReader {
public:
    explicit DirectoryReader(const std::string& folder);
    ~DirectoryReader();
    DirectoryReader(const DirectoryReader&) = delete;
    DirectoryReader& operator=(const DirectoryReader&) = delete;

    // The error of opening the folder, or of reading it part-way.
    const Error& error() const { return error_; }
    bool next(DirectoryEntry& entry);

private:
    void* dir_ = nullptr;
    std::string folder_;
    Error error_;
};

// Reads a whole folder.
Result<std::vector<DirectoryEntry>> readDirectory(const std::string& folder);

Error makeDirectory(const std::string& path);
Error removeFile(const std::string& path);
Error removeDirectory(const std::string& path);
Error renameEntry(const std::string& from, const std::string& to);
Error setPermissions(const std::string& path, unsigned mode);
// Sets (`on`) or clears the Hidden and System attributes named in `attributes`
// (file_attribute::Hidden, ::System), the others left as they are. Only Windows has them: on
// POSIX nothing changes and nothing fails.
Error setHiddenOrSystem(const std::string& path, std::uint32_t attributes, bool on);
// The path with every link on the way resolved, absolute; empty when it does not exist.
std::string resolvedPath(const std::string& path);
Error setModificationTime(const std::string& path, std::int64_t seconds, std::int32_t nanoseconds);

// The name a small file of the program's own (a setup file) is written under until it is
// complete; one fixed name a file, so a later save takes over what a killed one left behind.
std::string partialCopyPath(const std::string& target);
bool isPartialCopyName(const std::string& name);

// Writes a whole small file (a setup file, the last-run file) under a temporary name, flushes it
// and renames it over `path`, so a failed save never destroys the file that was there.
Error writeFileAtomically(const std::string& path, const std::string& content);

// What a test's copy fault plan (platform/FileCopy.h) asks first: a non-zero error is the
// copy's result.
using CopyFault = std::function<Error(const std::string& source, const std::string& target)>;

} // namespace kestrel::platform
