#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The rows of the subfolder selection window: what is counted for each direct subfolder of the
// source, and the row text built from it. No window code: the counting runs on a worker thread.
namespace kestrel::forms {

// A tree count of a row stops at this many files; a larger tree shows "over " before its size.
constexpr std::int32_t kRowFileLimit = 200;

// What one subfolder holds, as read from the disk.
struct SubfolderCounts {
    std::string name;
    bool isEmpty = false;         // no files and no subfolders, or unreadable
    std::string errorDescription; // the reading failed: shown in the braces instead of the counts
    bool permissionDenied = false;
    std::int32_t files = 0;
    std::int32_t subfolders = 0;
    bool sizeCounted = false;
    double size = 0;   // bytes counted for the row
    bool over = false; // the size is a lower bound: the tree count stopped early
};

// The direct subfolders of `topFolder` (a folder value) in the order the file system gives them,
// without recycle bins and trash folders when `excludeRecycleBin` is set. False with the error's
// description when the folder cannot be read.
bool ListSubfolderNames(const std::string& topFolder, bool excludeRecycleBin, std::vector<std::string>& names,
                        std::string& errorDescription);

// Counts one subfolder of `topFolder` (a folder value); sizes only when `countSizes`.
SubfolderCounts ReadSubfolder(const std::string& topFolder, const std::string& name, bool countSizes);

// "Letters {12 files and 1 subfolder, 1.25 Mb}", "Empty {no files and no subfolders}",
// "Private {Permission denied}".
std::string RowText(const SubfolderCounts& counts);

// A row text fitted to the row: a text longer than 84 characters loses the end of its name,
// marked " ... ", and keeps its braces part whole.
std::string ShortenRowText(const std::string& text);

// The text the main window passes in and receives: every name followed by CR LF.
std::string JoinFolderList(const std::vector<std::string>& names);
// Splits such a text into its names, leaving out empty lines.
std::vector<std::string> SplitFolderList(const std::string& text);

} // namespace kestrel::forms
