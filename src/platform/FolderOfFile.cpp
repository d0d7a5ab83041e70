// The folder of a file the program is about to write, reached without following a link inside
// the tree it writes in: the same on every system, over the folder handles' own calls.
#include "platform/DirectoryHandle.h"
#include "platform/Path.h"

#include <utility>
#include <vector>

namespace kestrel::platform {

namespace {

// One folder of the way, the path text that names it, and whether it lies in the tree.
struct Step {
    DirectoryHandle folder;
    std::string text;
    bool inside = false;
};

bool insideOf(const DirectoryHandle& folder, const DirectoryHandle& tree) {
    return tree.valid() && folder.isAtOrBelow(tree);
}

// The folder a path text names, links followed: only ever for a way that lies outside the tree.
bool openByText(Step& step, const DirectoryHandle& tree, Error& error) {
    step.folder = DirectoryHandle::openToPass(step.text.empty() ? std::string(".") : step.text, error);
    step.inside = step.folder.valid() && insideOf(step.folder, tree);
    return step.folder.valid();
}

} // namespace

FolderOfFile openFolderOfFile(const std::string& path, const DirectoryHandle& tree) {
    FolderOfFile result;
    std::vector<std::string> names = pathComponents(path);
    if (names.empty() || endsWithSeparator(path) || names.back() == "." || names.back() == "..") {
        result.error = Error::of(err::BadFileName);
        return result;
    }
    result.name = names.back();
    names.pop_back();

    std::vector<Step> way(1);
    way.back().text = rootOf(path);
    if (!openByText(way.back(), tree, result.error))
        return result;
    for (const std::string& name : names) {
        if (name == ".")
            continue;
        if (name == "..") {
            // Back to the folder the way came through; above where it started, by the path's
            // text (which is then outside the tree or the tree's root itself).
            if (way.size() > 1) {
                way.pop_back();
            } else if (way.back().text = joinPath(way.back().text, name);
                       !openByText(way.back(), tree, result.error)) {
                return result;
            }
            continue;
        }
        const Step& here = way.back();
        Step next;
        next.text = joinPath(here.text, name);
        next.folder = here.folder.openChildToPass(name, result.error);
        if (next.folder.valid()) {
            next.inside = here.inside || insideOf(next.folder, tree);
        } else if (here.folder.statChild(name).kind != EntryKind::Symlink) {
            return result;
        } else if (here.inside) {
            result.linkInTree = true;
            result.error = Error::of(err::PathFileAccess);
            return result;
        } else if (!openByText(next, tree, result.error)) {
            return result;
        }
        way.push_back(std::move(next));
    }
    result.error = {};
    result.insideTree = way.back().inside;
    result.folder = std::move(way.back().folder);
    return result;
}

} // namespace kestrel::platform
