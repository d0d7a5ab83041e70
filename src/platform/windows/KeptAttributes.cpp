#include "platform/KeptAttributes.h"

// Windows keeps no POSIX modes, owners or extended attributes: a setup that asks to keep them is
// told so once a run, and links are passed over as they are without the option.
namespace kestrel::platform {

unsigned keepFolderAttributes(const DirectoryHandle&, const DirectoryHandle&, Error& error) {
    error = {};
    return kept::Mode | kept::Owner | kept::ExtendedAttributes | kept::AccessLists | kept::FolderTimes;
}

unsigned keepCopyModeAndOwner(const DirectoryHandle&, const std::string&, const DirectoryHandle&,
                              const std::string&, unsigned, Error& error) {
    error = {};
    return kept::Mode | kept::Owner;
}

Error readLinkText(const DirectoryHandle&, const std::string&, std::string& text) {
    text.clear();
    return Error::of(err::PathFileAccess);
}

LinkResult placeLink(const DirectoryHandle&, const std::string&, const std::string&, const DirectoryHandle*,
                     const std::string&, bool) {
    LinkResult result;
    result.notHeld = true;
    result.refused = kept::Links;
    return result;
}

bool holdsLinks(const DirectoryHandle&) {
    return false;
}

bool mayGiveAwayFiles() {
    return false;
}

} // namespace kestrel::platform
