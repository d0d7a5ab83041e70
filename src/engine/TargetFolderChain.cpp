#include "engine/TargetFolderChain.h"

#include "platform/FileCopy.h"
#include "platform/Path.h"

namespace kestrel {

const platform::DirectoryHandle* TargetFolderChain::openFolder(const std::string& relative, bool create,
                                                               bool& created) {
    created = false;
    if (!root_.valid())
        return nullptr;
    const std::vector<std::string> names = platform::pathComponents(relative);
    std::size_t kept = 0;
    while (kept < open_.size() && kept < names.size() && open_[kept].first == names[kept])
        ++kept;
    open_.resize(kept);
    for (std::size_t i = kept; i < names.size(); ++i) {
        const platform::DirectoryHandle& parent = open_.empty() ? root_ : open_.back().second;
        platform::Result<platform::DirectoryHandle> child = parent.openChild(names[i]);
        // Only a missing folder is made; a link or a file of that name stays as it is.
        if (!child.ok() && create && !parent.statChild(names[i]).exists() && !parent.makeChild(names[i])) {
            child = parent.openChild(names[i]);
            created = true; // and so is every folder below it
        }
        if (!child.ok())
            return nullptr;
        if (lookForRunMarks_ && !created && !runMarkFound_ && platform::hasRunMark(child.value()))
            runMarkFound_ = true;
        open_.emplace_back(names[i], std::move(child).value());
    }
    return open_.empty() ? &root_ : &open_.back().second;
}

const platform::DirectoryHandle* TargetFolderChain::openedFolder(const std::string& relative) const {
    if (!root_.valid())
        return nullptr;
    const std::vector<std::string> names = platform::pathComponents(relative);
    if (names.size() > open_.size())
        return nullptr;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (open_[i].first != names[i])
            return nullptr;
    return names.empty() ? &root_ : &open_[names.size() - 1].second;
}

} // namespace kestrel
