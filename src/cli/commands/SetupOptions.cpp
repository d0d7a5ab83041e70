#include "cli/commands/SetupOptions.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <unistd.h>
#include <vector>

namespace kestrel::cli {

namespace {

std::string currentFolder() {
    std::vector<char> buffer(4096);
    if (!::getcwd(buffer.data(), buffer.size()))
        return "/";
    return buffer.data();
}

std::vector<std::string> splitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos)
            slash = path.size();
        if (slash > start)
            parts.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    return parts;
}

// An included subfolder as the setup stores it: the name of a folder directly in the source, as
// the selection window offers them (a final "/", as a shell completes a folder name, is dropped).
// A deeper path would never be walked, an absolute path or ".." would lead outside the source:
// each is refused rather than silently left out of the backup.
bool includedEntryOf(const std::string& text, std::string& entry, std::string& error) {
    entry = text;
    while (entry.size() > 1 && entry.back() == '/')
        entry.pop_back();
    if (entry.empty() || entry == "." || entry == "/") {
        error = "--include needs the name of a subfolder of the source folder";
        return false;
    }
    if (entry[0] == '/') {
        error = "--include takes the name of a subfolder of the source folder, not the absolute path \"" +
                text + "\"";
        return false;
    }
    const std::vector<std::string> parts = splitPath(entry);
    if (std::find(parts.begin(), parts.end(), "..") != parts.end()) {
        error = "--include may not leave the source folder: \"" + text + "\"";
        return false;
    }
    if (parts.size() > 1) {
        error = "--include takes the name of a folder directly in the source folder, not \"" + text +
                "\"; to back up what lies deeper, include \"" + parts.front() + "\" with --subfolders";
        return false;
    }
    return true;
}

std::vector<std::string> directSubfolders(const std::string& folder) {
    std::vector<std::string> names;
    platform::DirectoryReader reader(folder);
    platform::DirectoryEntry entry;
    while (reader.next(entry))
        if (entry.kind == platform::EntryKind::Directory)
            names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

std::string folderValueOf(const std::string& folder, const std::string& workingFolder) {
    std::string absolute = !folder.empty() && folder[0] == '/' ? folder : workingFolder + "/" + folder;
    std::vector<std::string> kept;
    for (const std::string& part : splitPath(absolute)) {
        if (part == ".")
            continue;
        if (part == "..") {
            if (!kept.empty())
                kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    std::string value = "/";
    for (const std::string& part : kept)
        value += part + "/";
    return value;
}

bool applySetupOptions(const CliOptions& options, Setup& setup, std::string& error) {
    const std::string here = currentFolder();
    if (options.source)
        setup.txbDirectory[0] = options.source->empty() ? "" : folderValueOf(*options.source, here);
    if (options.target)
        setup.txbDirectory[1] = options.target->empty() ? "" : folderValueOf(*options.target, here);

    if (options.includeAll || !options.includes.empty()) {
        if (setup.txbDirectory[0].empty()) {
            error = "--include and --include-all need a source folder";
            return false;
        }
        std::vector<std::string> entries;
        if (options.includeAll) {
            platform::Error readError;
            std::vector<platform::DirectoryEntry> probe;
            if (!platform::readDirectory(setup.txbDirectory[0], probe, readError)) {
                error =
                    "cannot read the source folder " + setup.txbDirectory[0] + ": " + readError.description;
                return false;
            }
            entries = directSubfolders(setup.txbDirectory[0]);
        }
        for (const std::string& text : options.includes) {
            std::string entry;
            if (!includedEntryOf(text, entry, error))
                return false;
            if (std::find(entries.begin(), entries.end(), entry) == entries.end())
                entries.push_back(entry);
        }
        setup.cboIncludedFolders = entries;
        setup.intNumIncludedFolders = static_cast<int>(entries.size());
        setup.cboIncludedFoldersListIndex = entries.empty() ? -1 : 0;
    }
    if (options.subfolders)
        setup.chkIncludeSubfolders = 1;
    if (options.excludeSourceFiles)
        setup.chkExcludeFilesInSourceFolder = 1;
    if (options.extension)
        setup.txbFileExtension = *options.extension;
    if (options.skip)
        setup.txbExcludedFilepaths = *options.skip;
    if (options.modifiedSinceIndex)
        setup.cboModifiedSince = *options.modifiedSinceIndex;
    if (options.warnOlder)
        setup.chkWarnIfEarlier = 1;
    if (options.warnSmallerPercent) {
        setup.chkWarnIfSmaller = 1;
        setup.cboPercent = *options.warnSmallerPercent / 10 - 1;
    }
    if (options.suppressDetails)
        setup.chkSuppressDetailedReports = 1;
    if (options.reportFile) {
        setup.txbReportFile = options.reportFile->empty() ? "" : folderValueOf(*options.reportFile, here);
        if (!setup.txbReportFile.empty())
            setup.txbReportFile.pop_back(); // a file, not a folder
        setup.chkDisableOutputToFile = 0;
    }
    if (options.noReport)
        setup.chkDisableOutputToFile = setup.txbReportFile.empty() ? 0 : 1;
    return true;
}

} // namespace kestrel::cli
