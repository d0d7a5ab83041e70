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
Status openByText(Step& step, const DirectoryHandle& tree) {
    Result<DirectoryHandle> opened =
        DirectoryHandle::openToPass(step.text.empty() ? std::string(".") : step.text);
    if (!opened.ok())
        return opened.error();
    step.folder = std::move(opened).value();
    step.inside = insideOf(step.folder, tree);
    return {};
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
    if (const Status opened = openByText(way.back(), tree); !opened.ok()) {
        result.error = opened.error();
        return result;
    }
    for (const std::string& name : names) {
        if (name == ".")
            continue;
        if (name == "..") {
            // Back to the folder the way came through; above where it started, by the path's
            // text (which is then outside the tree or the tree's root itself).
            if (way.size() > 1) {
                way.pop_back();
                continue;
            }
            way.back().text = joinPath(way.back().text, name);
            if (const Status opened = openByText(way.back(), tree); !opened.ok()) {
                result.error = opened.error();
                return result;
            }
            continue;
        }
        const Step& here = way.back();
        Step next;
        next.text = joinPath(here.text, name);
        Result<DirectoryHandle> child = here.folder.openChildToPass(name);
        if (child.ok()) {
            next.folder = std::move(child).value();
            next.inside = here.inside || insideOf(next.folder, tree);
        } else if (here.folder.statChild(name).kind != EntryKind::Symlink) {
            result.error = child.error();
            return result;
        } else if (here.inside) {
            result.linkInTree = true;
            result.error = Error::of(err::PathFileAccess);
            return result;
        } else if (const Status opened = openByText(next, tree); !opened.ok()) {
            result.error = opened.error();
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
