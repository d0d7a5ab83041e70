#pragma once

#include "platform/DirectoryHandle.h"

#include <string>
#include <utility>
#include <vector>

namespace kestrel {

// The folders of the target that lead from its root to the folder in use, kept open. The walk
// visits a folder's subfolders right after it, so the next folder is opened from the ones
// already open on its way instead of from the root, one name at a time as always: no link is
// followed, whichever folder a name is opened from.
class TargetFolderChain {
public:
    explicit TargetFolderChain(platform::DirectoryHandle root) : root_(std::move(root)) {}

    // From now on each folder below the root that is opened (not made) is looked at for the run
    // mark of another backup whose target it is.
    void lookForRunMarks() { lookForRunMarks_ = true; }
    // Whether such a mark was found (then a killed run may have left copies below it).
    bool runMarkFound() const { return runMarkFound_; }

    bool valid() const { return root_.valid(); }
    const platform::DirectoryHandle& root() const { return root_; }

    // The folder `relative` (names separated by the separator, empty for the root itself); null when it
    // is not there or a link or a file stands in its way. With `create` the missing folders are
    // made; `created` tells whether the folder itself was made now (it holds nothing yet).
    const platform::DirectoryHandle* openFolder(const std::string& relative, bool create, bool& created);
    // The folder `relative` where it is open on the way to the folder in use; null where it is not.
    // Opens and closes nothing.
    const platform::DirectoryHandle* openedFolder(const std::string& relative) const;

private:
    platform::DirectoryHandle root_;
    // The open folders below the root, each under its name.
    std::vector<std::pair<std::string, platform::DirectoryHandle>> open_;
    bool lookForRunMarks_ = false;
    bool runMarkFound_ = false;
};

} // namespace kestrel
