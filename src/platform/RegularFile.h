#pragma once

#include "platform/DirectoryHandle.h"
#include "platform/ErrorCodes.h"
#include "platform/Result.h"
#include "platform/TestSeam.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace kestrel::platform {

enum class FileOpening {
    Read,     // an existing file, from its start
    Truncate, // for writing from the start: created when missing, emptied when it exists
    Append,   // for writing at its end: created when missing, never emptied
};

// A file the program reads or writes as a whole (a setup file, the last-run file, the program
// text file, a report file), which must be a regular file. Opening never waits: a FIFO or a
// device given in its place is refused at once with error 75 instead of hanging the program.
// Reads and writes are unbuffered: what write() returned for is with the system.
class RegularFile {
public:
    RegularFile() = default;
    ~RegularFile();
    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&& other) noexcept;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool isOpen() const { return handle_ != -1; }
    // Up to `size` bytes into `buffer`: their count, 0 at the end of the file.
    Result<std::int64_t> read(char* buffer, std::size_t size);
    // All of `size` bytes, across short writes and interruptions.
    Error writeAll(const char* data, std::size_t size);
    void close();

private:
    friend Result<RegularFile> openRegularFile(const std::string&, FileOpening, bool);
    friend Result<RegularFile> openOwnFile(const DirectoryHandle&, const std::string&, FileOpening, bool&);
    explicit RegularFile(std::intptr_t handle) : handle_(handle) {}
    std::intptr_t handle_ = -1; // the system's handle (a descriptor on POSIX)
};

// Opens the file; `allowCharacterDevice` lets a report go to a device such as /dev/null ("NUL" on
// Windows), which takes writes without waiting.
Result<RegularFile> openRegularFile(const std::string& path, FileOpening opening,
                                    bool allowCharacterDevice = false);

// What stands at a name where the program is to write a file of its own inside the target.
enum class OwnFileState {
    Missing, // nothing: the file will be created
    Own,     // a regular file of this user's that no other name shares: it may be written
    Foreign, // a link (dangling or not), a folder, a FIFO, a device, a file of another owner or
             // with another name: it is never opened for writing
};
OwnFileState ownFileStateOf(const DirectoryHandle& folder, const std::string& name);

// Opens `name`, directly inside `folder`, for writing (Truncate or Append) without ever writing
// through a link: a missing name is created exclusively, an existing one is opened only when it
// is an Own file (and emptied only once it is known to be one). Anything else found there, even
// when it is swapped in while the file is opened, is left as it was: the result is error 75
// and `foreign` is set (it is cleared otherwise).
Result<RegularFile> openOwnFile(const DirectoryHandle& folder, const std::string& name, FileOpening opening,
                                bool& foreign);

// Test seam: while a guard lives, openOwnFile calls it with the name at each of its two steps,
// before it creates the name (`existing` false) and, when the name stood already, after it
// looked at what stands there and before it opens that (`existing` true); a test swaps the entry
// there as another process would.
using OwnFileOpeningSeam =
    TestSeam<struct OwnFileOpeningTag, std::function<void(const std::string& name, bool existing)>>;
using ScopedOwnFileOpeningForTesting = OwnFileOpeningSeam::Guard;

// Whether the file can be opened for reading now (without waiting, whatever it is): no error
// when it can, else why not. A copy that failed asks it to tell a missing source from a locked one.
Error probeReadable(const std::string& path);

} // namespace kestrel::platform
