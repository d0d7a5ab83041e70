#include "engine/TargetFolderChain.h"

#include "platform/FileCopy.h"

namespace kestrel {

namespace {

std::vector<std::string> NamesOf(const std::string& relative) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < relative.size()) {
        std::size_t slash = relative.find('/', start);
        if (slash == std::string::npos)
            slash = relative.size();
        if (slash > start)
            names.push_back(relative.substr(start, slash - start));
        start = slash + 1;
    }
    return names;
}

} // namespace

const platform::DirectoryHandle* TargetFolderChain::open(const std::string& relative, bool create,
                                                         bool& created) {
    created = false;
    if (!root_.valid())
        return nullptr;
    const std::vector<std::string> names = NamesOf(relative);
    std::size_t kept = 0;
    while (kept < open_.size() && kept < names.size() && open_[kept].first == names[kept])
        ++kept;
    open_.resize(kept);
    for (std::size_t i = kept; i < names.size(); ++i) {
        const platform::DirectoryHandle& parent = open_.empty() ? root_ : open_.back().second;
        platform::Error error;
        platform::DirectoryHandle child = parent.openChild(names[i], error);
        // Only a missing folder is made; a link or a file of that name stays as it is.
        if (error && create && !parent.statChild(names[i]).exists() && !parent.makeChild(names[i])) {
            child = parent.openChild(names[i], error);
            created = true; // and so is every folder below it
        }
        if (error)
            return nullptr;
        if (lookForRunMarks_ && !created && !runMarkFound_ && platform::hasRunMark(child))
            runMarkFound_ = true;
        open_.emplace_back(names[i], std::move(child));
    }
    return open_.empty() ? &root_ : &open_.back().second;
}

} // namespace kestrel
