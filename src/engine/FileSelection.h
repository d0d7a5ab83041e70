#pragma once

#include "platform/DirectoryHandle.h"
#include "platform/FileSystem.h"
#include "setup/Setup.h"

#include <string>
#include <vector>

namespace kestrel {

// The extension field as it reads after losing the focus: letters, digits, "*" and "?" only,
// lower-cased, and empty when nothing but "*" is left (all files).
std::string NormalisedFileExtension(const std::string& txbFileExtension);

// The excluded-filepaths field split at ",", each fragment trimmed of blanks at both ends. Empty
// fragments are dropped: an empty fragment occurs in every path and would silently exclude the
// whole backup.
std::vector<std::string> SplitExcludedFilepaths(const std::string& txbExcludedFilepaths);

// Whether a file passes the extension filter: an empty filter passes everything; a name without
// an extension gets `blnDefault`; otherwise its lower-cased extension is matched with the filter.
bool MatchesExtensionFilter(const std::string& strPath, const std::string& strFilter, bool blnDefault);

// A recycle bin or trash folder that no walk enters: RECYCLED, RECYCLER or $RECYCLE.BIN (any
// letter case) or .Trash / .Trash-<uid> directly below a mount point, or the user's own trash.
// `folder` ends in "/".
bool IsRecycleBinFolder(const std::string& folder);

// The selection rules of one walk, prepared once per operation from the setup, so that no
// constant text is lower-cased or split again for every file.
class FileSelection {
public:
    FileSelection(const Setup& setup, const std::vector<std::string>& excludedFilepaths);

    // True when the path contains an excluded fragment, in any letter case.
    bool IsExcludedPath(const std::string& strPath) const;
    // The extension filter applied to a file name (or path); a name without extension fails.
    bool PassesExtensionFilter(const std::string& name) const;
    // Whether a subfolder (a path ending in "/") is walked: not a recycle bin, not the target
    // folder (by name or by identity), and within one of the included subfolders. With `parent`,
    // the open folder that holds it as a real folder (not a link), its identity is read by its
    // name there instead of by its whole path.
    bool IsIncludedFolder(const std::string& strPath,
                          const platform::DirectoryHandle* parent = nullptr) const;

    bool HasExcludedFragments() const { return !excluded_.empty(); }
    const std::string& ExtensionFilter() const { return extensionFilter_; }

private:
    std::vector<std::string> excluded_; // lower-cased
    std::string extensionFilter_;       // lower-cased
    std::vector<std::string> includedFolders_;
    std::string target_;
    platform::FileStatus targetStatus_;
};

} // namespace kestrel
