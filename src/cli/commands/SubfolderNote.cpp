#include "cli/commands/SubfolderNote.h"

#include "engine/SubfolderCaption.h"
#include "modules/Language.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"

#include <algorithm>
#include <vector>

namespace kestrel::cli {

std::string UnincludedSubfoldersNote(const Setup& setup) {
    const std::string& source = setup.txbDirectory[0];
    if (source.empty())
        return "";
    std::vector<std::string> subfolders;
    platform::DirectoryReader reader(source);
    platform::DirectoryEntry entry;
    while (reader.next(entry))
        if (entry.kind == platform::EntryKind::Directory)
            subfolders.push_back(entry.name);
    if (reader.error())
        return "";
    std::sort(subfolders.begin(), subfolders.end());

    // An entry includes the direct subfolder it lies in.
    std::vector<std::string> left;
    for (const std::string& name : subfolders) {
        const bool included = std::any_of(
            setup.cboIncludedFolders.begin(), setup.cboIncludedFolders.end(), [&name](const std::string& e) {
                const std::vector<std::string> parts = platform::pathComponents(e);
                return !parts.empty() && parts.front() == name;
            });
        if (!included)
            left.push_back(name);
    }
    if (left.empty())
        return "";
    std::string note = NumSubfoldersCaption(static_cast<std::int32_t>(subfolders.size()),
                                            static_cast<int>(setup.cboIncludedFolders.size())) +
                       "\n";
    const std::size_t shown = std::min<std::size_t>(left.size(), 10);
    for (std::size_t i = 0; i < shown; ++i)
        note += "  " + GetProgramText(1425) + ": " + left[i] + "\n";
    if (left.size() > shown)
        note += "  " + GetProgramText(1268) + " " + std::to_string(left.size() - shown) + " " +
                GetProgramText(1426) + "\n";
    return note;
}

} // namespace kestrel::cli
