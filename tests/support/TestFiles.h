#pragma once

#include "platform/FileSystem.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// What tests do to files beside writing them, on every system the tests run on. Where a system
// cannot do it (Windows has no FIFOs; Wine and an unprivileged Windows account may refuse
// symbolic links) the helper says so and the test skips that case with the reason.
namespace kestrel::testing {

// The names of a folder's entries, sorted (a folder that cannot be read fails the test).
std::vector<std::string> NamesIn(const std::string& folder);

// A symbolic link at `link` to `target` (a folder link when `toFolder`); false when the system
// refuses to make one.
bool MakeSymlink(const std::string& target, const std::string& link, bool toFolder = false);
// A second name of the same file; false when the file system has none.
bool MakeHardLink(const std::string& existing, const std::string& link);
// A FIFO; false on systems without them.
bool MakeFifo(const std::string& path);
// Sets or clears the ReadOnly attribute (POSIX: takes away or gives back every write permission).
void SetReadOnly(const std::string& path, bool readOnly = true);
bool IsReadOnly(const std::string& path);
// Writes `data` over the start of an existing file in pieces of `chunk` bytes, each one flushed,
// as another program rewriting it would.
void OverwriteInPlace(const std::string& path, const std::string& data, std::size_t chunk);
// `size` bytes of the file from `offset`.
std::string ReadAt(const std::string& path, std::int64_t offset, std::size_t size);

// Every entry below `root` but the ones at or below `leftOut` (a folder below it), by its path
// relative to `root`, with what it is: "file " and its bytes, "link " and the link's text,
// "folder", or "other". Two readings compare equal only when nothing there was written,
// created, removed or turned into something else.
std::map<std::string, std::string> EntriesBelow(const std::string& root, const std::string& leftOut = "");

// How many times `part` stands in `text` (a line a report should hold once).
std::size_t Occurrences(const std::string& text, const std::string& part);

// Whether this system lets the tests make symbolic links (tried once).
bool CanMakeSymlinks();

#ifdef __linux__
// How many handles the process holds open now (its own listing of them counted out).
std::size_t OpenHandles();
#endif
// The path with "\" written as "/" on Windows, where both separate names: for comparing paths
// the program joined with paths a test wrote.
std::string SlashesOnly(std::string path);
// A relative path a test writes with "/" in the running system's separators: the names below a
// source or target folder as the program joins and reports them.
std::string Native(std::string relative);

constexpr const char* kNoSymlinks = "this system refuses to make symbolic links here";
constexpr const char* kNoFifos = "this system has no FIFOs";

// The status of a regular file of `size` bytes last written at `seconds` (UTC), for the rules
// that compare statuses.
inline platform::FileStatus RegularFileStatus(std::int64_t size, std::int64_t seconds) {
    platform::FileStatus status;
    status.kind = platform::EntryKind::Regular;
    status.size = size;
    status.mtimeSeconds = seconds;
    return status;
}

} // namespace kestrel::testing

// Skips a test whose subject does not exist on Windows, with the reason.
#ifdef _WIN32
#define SKIP_ON_WINDOWS(reason) GTEST_SKIP() << (reason)
#else
#define SKIP_ON_WINDOWS(reason) static_cast<void>(0)
#endif
