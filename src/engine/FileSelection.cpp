#include "engine/FileSelection.h"

#include "modules/FileProc.h"
#include "modules/StrProc.h"
#include "platform/Disk.h"
#include "platform/Path.h"
#include "platform/ProgramPaths.h"

#include <algorithm>

namespace kestrel {

namespace {

bool StartsWith(const std::string& text, const std::string& head) {
    return text.size() >= head.size() && text.compare(0, head.size(), head) == 0;
}

bool IsTrashName(const std::string& name) {
    if (name == ".Trash")
        return true;
    if (!StartsWith(name, ".Trash-") || name.size() == 7)
        return false;
    for (std::size_t i = 7; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return false;
    }
    return true;
}

bool IsRecycleBinName(const std::string& name) {
    std::string upper = name;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper == "RECYCLED" || upper == "RECYCLER" || upper == "$RECYCLE.BIN";
}

} // namespace

std::string NormalisedFileExtension(const std::string& txbFileExtension) {
    std::string text = txbFileExtension;
    // Digits stay: mp3, mp4, m4a and 7z are extensions like any other.
    KeepAllowedCharacters(text, false, "0123456789*?");
    text = LowerCaseWithAccents(text);
    if (text.find_first_not_of('*') == std::string::npos)
        return "";
    return text;
}

std::vector<std::string> SplitExcludedFilepaths(const std::string& txbExcludedFilepaths) {
    std::vector<std::string> fragments;
    const std::string text = TrimBlanks(txbExcludedFilepaths);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        // "temp, cache" names "cache", not " cache".
        const std::string fragment = TrimBlanks(text.substr(start, comma - start));
        if (!fragment.empty())
            fragments.push_back(fragment);
        start = comma + 1;
    }
    return fragments;
}

bool MatchesExtensionFilter(const std::string& strPath, const std::string& strFilter, bool blnDefault) {
    if (strFilter.empty())
        return true;
    const std::string extension = FileExtensionOf(strPath, true);
    if (extension.empty())
        return blnDefault;
    return WildcardMatch(extension, strFilter, false);
}

bool IsRecycleBinFolder(const std::string& folder) {
    const std::string parent = platform::parentOf(folder);
    const std::string name = platform::nameOf(folder);
    if (name.empty() || parent.empty())
        return false;
    if (IsRecycleBinName(name) || IsTrashName(name))
        return platform::mountPointOf(parent) == parent;
    if (name == "Trash")
        return AddTrailingBackslash(folder) == platform::userTrashFolder();
    return false;
}

FileSelection::FileSelection(const Setup& setup, const std::vector<std::string>& excludedFilepaths)
    : extensionFilter_(LowerCaseWithAccents(setup.txbFileExtension)), target_(setup.txbDirectory[1]) {
    excluded_.reserve(excludedFilepaths.size());
    for (const std::string& fragment : excludedFilepaths)
        excluded_.push_back(LowerCaseWithAccents(fragment));

    const std::string& source = setup.txbDirectory[0];
    const std::size_t count = std::min(static_cast<std::size_t>(std::max(setup.intNumIncludedFolders, 0)),
                                       setup.cboIncludedFolders.size());
    for (std::size_t i = 0; i < count; ++i)
        includedFolders_.push_back(AddTrailingBackslash(source + setup.cboIncludedFolders[i]));

    if (!target_.empty())
        targetStatus_ = platform::statPath(target_);
}

bool FileSelection::IsExcludedPath(const std::string& strPath) const {
    if (excluded_.empty())
        return false;
    const std::string path = LowerCaseWithAccents(strPath);
    for (const std::string& fragment : excluded_) {
        if (path.find(fragment) != std::string::npos)
            return true;
    }
    return false;
}

bool FileSelection::PassesExtensionFilter(const std::string& name) const {
    if (extensionFilter_.empty())
        return true;
    const std::string extension = FileExtensionOf(name, true);
    if (extension.empty())
        return false;
    // Both sides are lower-cased already.
    return WildcardMatch(extension, extensionFilter_, true);
}

bool FileSelection::IsIncludedFolder(const std::string& strPath,
                                     const platform::DirectoryHandle* parent) const {
    if (IsRecycleBinFolder(strPath))
        return false;
    if (!target_.empty() && strPath == target_)
        return false;
    bool included = false;
    for (const std::string& folder : includedFolders_) {
        if (StartsWith(strPath, folder)) {
            included = true;
            break;
        }
    }
    if (!included)
        return false;
    // The target reached under another name (a link on the way to the source) is still the
    // target: walking it would back the backup up into itself.
    if (targetStatus_.isDirectory()) {
        const platform::FileStatus status = parent != nullptr && parent->valid()
                                                ? parent->statChild(platform::nameOf(strPath))
                                                : platform::statPath(strPath);
        if (status.isDirectory() && status.device == targetStatus_.device &&
            status.inode == targetStatus_.inode)
            return false;
    }
    return true;
}

} // namespace kestrel
