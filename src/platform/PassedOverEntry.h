#pragma once

#include <string>

// Folder entries that a walk neither reads as a file nor enters as a folder.
namespace kestrel::platform {

enum class PassedOverKind {
    None,         // a regular file or a folder (or a link to one of them), or gone
    FolderLink,   // a symbolic link to a folder: never followed, so a link loop cannot hold a walk
    Fifo,         // reading one would wait for a writer that may never come
    Socket,       // no content to copy
    Device,       // a device's content is no file's
    DanglingLink, // a symbolic link that leads to nothing that can be read
};

// What the entry at `path` is, a link judged by what it leads to. A link to a FIFO, socket or
// device is passed over as that.
PassedOverKind passedOverKindOf(const std::string& path);

} // namespace kestrel::platform
