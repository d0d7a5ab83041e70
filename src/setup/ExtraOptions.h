#pragma once

namespace kestrel {

// Options beyond the plain mirror. A setup that sets none of them runs as a plain mirror, and a
// setup file or last-run file that names none of them loads as one. They are stored after the
// plain setup's lines, one `name=value` line each, so older files keep loading.
struct ExtraOptions {
    // Files and folders the target holds below the walked folders that the source no longer has
    // are removed after a backup of the same folders.
    bool bRemoveDeleted = false;
    // How many entries one run may remove before it asks (window) or refuses (tool); 0 is no limit.
    long lngMaxRemove = 0;
    // Copies about to be replaced or removed are moved to the target's versions folder and kept
    // this many days; 0 keeps no versions.
    int intKeepVersionsDays = 0;
    // Symbolic links are copied as links, their text unchanged, never followed.
    bool bCopyLinksAsLinks = false;
    // Permission modes and folder times are kept; as root, or where the target allows it, also
    // ownership, extended attributes and access lists.
    bool bKeepAttributes = false;

    bool AnySet() const { return *this != ExtraOptions{}; }
    bool operator==(const ExtraOptions&) const = default;
};

} // namespace kestrel
