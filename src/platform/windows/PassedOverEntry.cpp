#include "platform/PassedOverEntry.h"

#include "platform/FileSystem.h"

namespace kestrel::platform {

// Windows folders hold no FIFOs, sockets or devices; what a walk passes over there are reparse
// points (symbolic links, junctions), which it never follows.
PassedOverKind passedOverKindOf(const std::string& path) {
    const FileStatus entry = statPath(path, false);
    if (entry.kind != EntryKind::Symlink)
        return entry.kind == EntryKind::Other ? PassedOverKind::Device : PassedOverKind::None;
    const FileStatus target = statPath(path, true);
    if (!target.exists())
        return PassedOverKind::DanglingLink;
    if (target.isDirectory())
        return PassedOverKind::FolderLink;
    return target.kind == EntryKind::Other ? PassedOverKind::Device : PassedOverKind::None;
}

} // namespace kestrel::platform
