#include "cli/commands/SetupOptions.h"

#include "modules/Language.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/ProgramPaths.h"

#include <algorithm>
#include <vector>

namespace kestrel::cli {

namespace {

// An included subfolder as the setup stores it: the name of a folder directly in the source, as
// the selection window offers them (a final separator, as a shell completes a folder name, is
// dropped).
// A deeper path would never be walked, an absolute path or ".." would lead outside the source:
// each is refused rather than silently left out of the backup.
bool includedEntryOf(const std::string& text, std::string& entry, std::string& error) {
    entry = text;
    while (entry.size() > 1 && platform::endsWithSeparator(entry))
        entry.pop_back();
    if (entry.empty() || entry == "." || platform::pathComponents(entry).empty()) {
        error = "--include needs the name of a subfolder of the source folder";
        return false;
    }
    if (!platform::rootOf(entry).empty() || !platform::driveOfText(entry).empty()) {
        error = "--include takes the name of a subfolder of the source folder, not the absolute path \"" +
                text + "\"";
        return false;
    }
    const std::vector<std::string> parts = platform::pathComponents(entry);
    if (std::find(parts.begin(), parts.end(), "..") != parts.end()) {
        error = "--include may not leave the source folder: \"" + text + "\"";
        return false;
    }
    if (parts.size() > 1) {
        error = "--include takes the name of a folder directly in the source folder, not \"" + text +
                "\"; to back up what lies deeper, include \"" + parts.front() + "\" with --subfolders";
        return false;
    }
    // A setup file travels between systems: a name that would lead elsewhere on another one is
    // refused here as it would be when the file is loaded.
    if (!platform::isSafeFolderName(entry)) {
        error = "--include takes a folder name that is a plain name on every system, not \"" + text + "\"";
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
    const std::string absolute =
        platform::isAbsolutePath(folder) ? folder : platform::joinPath(workingFolder, folder);
    std::vector<std::string> kept;
    for (const std::string& part : platform::pathComponents(absolute)) {
        if (part == ".")
            continue;
        if (part == "..") {
            if (!kept.empty())
                kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    std::string value = platform::withStyleSeparators(platform::rootOf(absolute));
    if (value.empty())
        value = std::string(1, platform::pathSeparator());
    for (const std::string& part : kept)
        value = platform::withFinalSeparator(platform::joinPath(value, part));
    return value;
}

bool applySetupOptions(const CliOptions& options, Setup& setup, std::string& error) {
    const std::string here = platform::workingFolder();
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
            if (const auto probe = platform::readDirectory(setup.txbDirectory[0]); !probe.ok()) {
                const platform::Error& readError = probe.error();
                // The same words as the window's for a source folder that is gone or unreadable.
                error = readError.number == platform::err::PathNotFound
                            ? GetProgramText(81) + " (" + setup.txbDirectory[0] + ")"
                            : GetProgramText(79) + " " + setup.txbDirectory[0] + "  " + readError.description;
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
    if (options.removeDeleted)
        setup.extra.bRemoveDeleted = true;
    if (options.maxRemove)
        setup.extra.lngMaxRemove = *options.maxRemove;
    if (options.keepVersionsDays)
        setup.extra.intKeepVersionsDays = *options.keepVersionsDays;
    if (options.links)
        setup.extra.bCopyLinksAsLinks = true;
    if (options.keepAttributes)
        setup.extra.bKeepAttributes = true;
    return true;
}

} // namespace kestrel::cli
