#pragma once

#include "platform/DirectoryHandle.h"
#include "platform/ErrorCodes.h"
#include "platform/TestSeam.h"

#include <string>

// What a backup keeps of an entry beyond its data and modification time, when the setup asks
// for it: the exact permission mode, the owner, the extended attributes (access lists among them),
// a folder's time, a symbolic link as a link. A target whose file system cannot hold one of these
// says so by the kind it refused; the walk tells the user once a run.
namespace kestrel::platform {

namespace kept {
constexpr unsigned Mode = 1;
constexpr unsigned Owner = 2;
constexpr unsigned ExtendedAttributes = 4;
constexpr unsigned AccessLists = 8;
constexpr unsigned FolderTimes = 16;
constexpr unsigned Links = 32;
} // namespace kept

// Gives the folder `target` the mode, owner, extended attributes and modification time of
// `source`, both open folders. The kinds the target refused are returned; `error` is set for a
// failure that is no refusal of the file system. Where the program does not run as root a folder
// keeps the owner's read, write and search permission, so the next backup can still fill it.
unsigned keepFolderAttributes(const DirectoryHandle& source, const DirectoryHandle& target, Error& error);

// Gives the existing copy `name` of `target` the permission mode and (as root) the owner of the
// file `sourceName` of `sourceFolder` (a link there followed, as a backup reads it), where they
// differ, without touching its data: a re-run finds a file whose mode alone changed the same and
// copies nothing. The copy is looked at and changed through one handle to the entry itself: a
// link, anything but a regular file or a file another name shares is left as it is. The kinds
// in `skip` are not tried (the target refused them already). Returns the kinds the target
// refused; `error` is set for a failure that is no refusal.
unsigned keepCopyModeAndOwner(const DirectoryHandle& sourceFolder, const std::string& sourceName,
                              const DirectoryHandle& target, const std::string& name, unsigned skip,
                              Error& error);

// The text of the link `name` of `folder`, never followed.
Error readLinkText(const DirectoryHandle& folder, const std::string& name, std::string& text);

// What putting a link in place came to.
struct LinkResult {
    Error error;
    bool notHeld = false; // the target's file system holds no symbolic links
    unsigned refused = 0; // kept:: kinds the target refused (with keepOwner)
};

// Puts a symbolic link with `text` under `name` in `folder`: made under a temporary name of the
// program's form, then renamed over what stands there (a file or a link; never followed, never a
// folder). With `keepOwner` the link gets the owner and time of `sourceName` in `sourceFolder`.
LinkResult placeLink(const DirectoryHandle& folder, const std::string& name, const std::string& text,
                     const DirectoryHandle* sourceFolder, const std::string& sourceName, bool keepOwner);

// Whether the folder's file system holds symbolic links: tried once on a link of the program's
// temporary form, removed at once.
bool holdsLinks(const DirectoryHandle& folder);

// Whether the program runs with the privileges that give files to other users.
bool mayGiveAwayFiles();

} // namespace kestrel::platform

namespace kestrel::platform {

// Test seam: the kinds (kept::) a target's file system refuses, as FAT or exFAT would, for as
// long as a guard holds them.
using RefusedKindsSeam = TestSeam<struct RefusedKindsTag, unsigned>;
using ScopedRefusedKindsForTesting = RefusedKindsSeam::Guard;

} // namespace kestrel::platform
