#pragma once

#include "platform/DirectoryHandle.h"
#include "platform/TestSeam.h"

#include <cstdint>
#include <optional>
#include <string>

// What the file system of a backup's target can hold and do. USB sticks and external drives
// (FAT32, exFAT, NTFS by the kernel's drivers or through FUSE) and network folders lack some of
// what a Linux file system has; the copy falls back to what there is, the modified rule compares
// times as finely as the target keeps them, and a name or size the target cannot hold is
// reported before any byte is written.
namespace kestrel::platform {

// How a file system stores a modification time it is given.
struct TimeKeeping {
    static constexpr std::int64_t kNanosecond = 1;
    static constexpr std::int64_t kSecond = 1000000000;
    static constexpr std::int64_t kFatStep = 2 * kSecond;

    // The step times are kept in: 1 ns (ext4, xfs, btrfs), 100 ns (NTFS), 10 ms (exFAT), 1 s
    // (sftp, many FUSE drivers), 2 s (FAT, in local time). 0: not known; times that lie less
    // than a second apart are then taken as the same.
    std::int64_t step = kNanosecond;
    // Rounded to the nearest step instead of down.
    bool rounds = false;

    // FAT's two-second local times, which a time-zone or daylight-saving change shifts.
    bool fatTimes() const { return step >= kFatStep; }
    // The time the file system would store for the given one, in nanoseconds since 1970.
    std::int64_t stored(std::int64_t nanoseconds) const;
    // Whether a source time and the time of its copy on this file system tell of the same
    // version of the file.
    bool sameVersion(std::int64_t sourceNanoseconds, std::int64_t copyNanoseconds) const;
};

struct FileSystemTraits {
    std::string type;         // as the mount table names it: "ext4", "vfat", "fuseblk" ...
    bool hardLinks = true;    // a file may have a second name (the copy's no-replace step)
    bool unnamedFiles = true; // O_TMPFILE
    TimeKeeping times;
    bool windowsNames = false;      // no " * : < > ? \ | or control characters, no trailing dot or blank
    bool ignoresCase = false;       // "Photo.JPG" and "photo.jpg" name one file
    std::size_t maxNameUnits = 255; // bytes; UTF-16 units where windowsNames
    std::int64_t maxFileSize = INT64_MAX;
};

// What a file system of that mount type is known to be, before anything is tried on it. FUSE
// mounts of a block device ("fuseblk") or a file ("fuse") can be exFAT as well as NTFS: they are
// taken as can-do-everything until the probe finds otherwise.
FileSystemTraits presumedTraitsOf(const std::string& mountType);

// What the target's file system is, learnt once a run: its mount type and name length from the
// system, then tried on a scratch file of the program's temporary form (removed at once; a
// killed run's is swept like any leftover copy): the time it keeps for an odd second and
// nanoseconds, whether it finds the name in other capitals, whether it takes a ":" in a name.
// Where nothing can be written there (a read-only disk), what the mount type says.
FileSystemTraits learnTraitsOf(const DirectoryHandle& folder);

// Why a name cannot be given to a file on a file system; None when it can.
enum class NameProblem { None, Characters, TrailingDotOrBlank, Length };
NameProblem nameProblemOn(const FileSystemTraits& traits, const std::string& name);

// A name as a file system that ignores case compares it (Unicode simple case folding of the
// letters such file systems fold), for finding two names that would be one there.
std::string caseFoldedName(const std::string& name);

// Test seam: while a guard lives, learnTraitsOf gives what it holds (with the folder's mount
// type), and copies behave as it says (no hard links, no unnamed files), so a
// kernel FAT stick can be stood in for where no FAT driver is at hand.
using FileSystemTraitsSeam = TestSeam<struct FileSystemTraitsTag, std::optional<FileSystemTraits>>;
using ScopedFileSystemTraitsForTesting = FileSystemTraitsSeam::Guard;

} // namespace kestrel::platform
