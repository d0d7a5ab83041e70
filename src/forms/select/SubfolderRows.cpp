#include "forms/select/SubfolderRows.h"

#include "modules/FileProc.h"
#include "modules/Folder.h"
#include "modules/Language.h"
#include "modules/StrProc.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"

#include <algorithm>

namespace kestrel::forms {

namespace {

constexpr std::size_t kMaxRowTextLength = 84;

std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// A recycle bin of a Windows disk, or a trash folder of a disk, is nothing to back up.
bool IsRecycleBinName(const std::string& name) {
    if (UpperAscii(name).find("$RECYCLE.BIN") != std::string::npos)
        return true;
    return name == ".Trash" || name.rfind(".Trash-", 0) == 0;
}

// "no files", "1 file", "12 files": the text for one is `one`, for others the one after it.
std::string CountText(std::int32_t n, int one) {
    if (n == 0)
        return GetProgramText(1598) + " " + GetProgramText(one + 1);
    if (n == 1)
        return "1 " + GetProgramText(one);
    return GroupedNumber(n, 0) + " " + GetProgramText(one + 1);
}

} // namespace

bool ListSubfolderNames(const std::string& topFolder, bool excludeRecycleBin, std::vector<std::string>& names,
                        std::string& errorDescription) {
    names.clear();
    errorDescription.clear();
    platform::DirectoryReader reader(AddTrailingBackslash(topFolder));
    platform::DirectoryEntry entry;
    while (reader.next(entry)) {
        if (entry.kind != platform::EntryKind::Directory)
            continue;
        if (excludeRecycleBin && IsRecycleBinName(entry.name))
            continue;
        names.push_back(entry.name);
    }
    if (reader.error()) {
        errorDescription = reader.error().description;
        return false;
    }
    return true;
}

SubfolderCounts ReadSubfolder(const std::string& topFolder, const std::string& name, bool countSizes) {
    SubfolderCounts counts;
    counts.name = name;
    const std::string folder = AddTrailingBackslash(AddTrailingBackslash(topFolder) + name);

    // Empty, or unreadable: nothing in it to select.
    counts.isEmpty = FolderIsEmpty(folder).valueOr(true);

    bool accessDenied = false;

    std::string description;
    double size = countSizes ? -1 : 0;
    counts.files = CountFiles(folder, "*.*", false, false, description, size, accessDenied);
    // A folder that cannot be read says so in its row, in place of counts it does not have.
    if (accessDenied) {
        counts.permissionDenied = true;
        counts.errorDescription = platform::errorDescription(platform::err::PermissionDenied);
        return counts;
    }
    if (!description.empty()) {
        counts.errorDescription = description;
        return counts;
    }
    const platform::Result<std::int32_t> subfolders = CountSubfolders(folder);
    if (!subfolders.ok()) {
        counts.errorDescription = subfolders.error().description;
        counts.permissionDenied = subfolders.error().number == platform::err::PermissionDenied;
        return counts;
    }
    counts.subfolders = subfolders.value();

    if (countSizes && (counts.files > 0 || counts.subfolders > 0)) {
        counts.sizeCounted = true;
        if (counts.subfolders == 0) {
            counts.size = size;
        } else {
            // The whole tree, but never more than a few hundred files for one row.
            std::int32_t treeFiles = 0;
            bool limitReached = false;
            const platform::Status counted =
                CountFolderTree(folder, "*.*", kRowFileLimit, treeFiles, counts.size, limitReached);
            counts.over = limitReached || !counted.ok();
        }
    }
    return counts;
}

std::string RowText(const SubfolderCounts& counts) {
    std::string text = counts.name + " {";
    if (!counts.errorDescription.empty()) {
        text += counts.errorDescription;
    } else {
        text += CountText(counts.files, 1458) + " " + GetProgramText(1268) + " ";
        text += CountText(counts.subfolders, 1599);
        if (counts.sizeCounted)
            text += ", " + (counts.over ? GetProgramText(1595) + " " : std::string()) +
                    FormatSizeKbMb(counts.size, 2);
    }
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, ", ") == 0)
        text.resize(text.size() - 2);
    return text + "}";
}

std::string ShortenRowText(const std::string& text) {
    const std::vector<std::string_view> characters = SplitCharacters(text);
    if (characters.size() <= kMaxRowTextLength)
        return text;
    // The braces part begins at the last "{": a name may hold one, the counts never do.
    std::size_t brace = characters.size();
    for (std::size_t i = characters.size(); i-- > 0;) {
        if (characters[i] == "{") {
            brace = i;
            break;
        }
    }
    if (brace == characters.size())
        return text;
    const std::size_t bracesLength = characters.size() - brace;
    const std::size_t keep = kMaxRowTextLength > bracesLength ? kMaxRowTextLength - bracesLength : 0;
    if (brace + 1 <= keep)
        return text;
    std::string shortened;
    for (std::size_t i = 0; i < keep; ++i)
        shortened += characters[i];
    shortened += " ... ";
    for (std::size_t i = brace; i < characters.size(); ++i)
        shortened += characters[i];
    return shortened;
}

std::string JoinFolderList(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += name + "\r\n";
    return text;
}

std::vector<std::string> SplitFolderList(const std::string& text) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        const std::string entry = TrimBlanks(text.substr(start, end - start));
        if (!entry.empty())
            names.push_back(entry);
        start = end + 2;
    }
    return names;
}

} // namespace kestrel::forms
