#include "engine/GoneFromSource.h"

#include "engine/VersionsFolder.h"
#include "modules/Language.h"
#include "platform/FileCopy.h"
#include "platform/Path.h"
#include "platform/TargetFileSystem.h"

#include <algorithm>

namespace kestrel {

namespace {

// The files below a folder of the target, at every depth, never through a link.
std::int64_t CountFilesBelow(const platform::DirectoryHandle& folder) {
    const platform::Result<std::vector<platform::DirectoryEntry>> entries = folder.readEntries();
    if (!entries.ok())
        return 0;
    std::int64_t count = 0;
    for (const platform::DirectoryEntry& entry : entries.value()) {
        if (entry.kind == platform::EntryKind::Directory) {
            const platform::Result<platform::DirectoryHandle> sub = folder.openChild(entry.name);
            if (sub.ok())
                count += CountFilesBelow(sub.value());
        } else if (entry.kind == platform::EntryKind::Regular || entry.kind == platform::EntryKind::Symlink) {
            ++count;
        }
    }
    return count;
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.size() >= start.size() && text.compare(0, start.size(), start) == 0;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

GoneFromSource::GoneFromSource(std::string targetFolder, std::string reportFile, bool ignoresCase,
                               Selection selection)
    : target_(std::move(targetFolder)), reportFile_(std::move(reportFile)), ignoresCase_(ignoresCase),
      selection_(std::move(selection)) {}

bool GoneFromSource::IsProgramsOwn(const std::string& relative, const std::string& name, bool folder) const {
    if (!reportFile_.empty() && target_ + relative + name == reportFile_)
        return true;
    if (!relative.empty())
        return false;
    if (folder)
        return IsVersionsFolderName(name);
    return StartsWith(name, GetProgramText(1292) + " ") && EndsWith(name, ".txt");
}

void GoneFromSource::Compare(const platform::DirectoryHandle* target, const std::string& sourceFolder,
                             const std::string& relative, std::vector<std::string> sourceNames,
                             bool filesWalked, bool subfoldersWalked) {
    if (target == nullptr || !(filesWalked || subfoldersWalked))
        return;
    platform::Result<std::vector<platform::DirectoryEntry>> read = target->readEntries();
    if (!read.ok())
        return;
    std::vector<platform::DirectoryEntry> held = std::move(read).value();
    if (ignoresCase_)
        for (std::string& name : sourceNames)
            name = platform::caseFoldedName(name);
    std::sort(sourceNames.begin(), sourceNames.end());
    // Byte order, as the walk reports its folders.
    std::sort(
        held.begin(), held.end(),
        [](const platform::DirectoryEntry& a, const platform::DirectoryEntry& b) { return a.name < b.name; });
    for (const platform::DirectoryEntry& entry : held) {
        const bool folder = entry.kind == platform::EntryKind::Directory;
        const bool file =
            entry.kind == platform::EntryKind::Regular || entry.kind == platform::EntryKind::Symlink;
        if (!(folder ? subfoldersWalked : file && filesWalked))
            continue;
        if (platform::isTemporaryCopyName(entry.name) || IsProgramsOwn(relative, entry.name, folder))
            continue;
        const std::string key = ignoresCase_ ? platform::caseFoldedName(entry.name) : entry.name;
        if (std::binary_search(sourceNames.begin(), sourceNames.end(), key))
            continue;
        const std::string sourcePath =
            folder ? platform::withFinalSeparator(sourceFolder + entry.name) : sourceFolder + entry.name;
        if (!selection_(sourcePath, entry.name, folder))
            continue;
        GoneEntry gone{relative, entry.name, folder, 0};
        if (folder) {
            const platform::Result<platform::DirectoryHandle> sub = target->openChild(entry.name);
            if (!sub.ok())
                continue; // swapped for something else since the folder was read
            gone.numFiles = CountFilesBelow(sub.value());
            ++numFolders_;
        } else {
            ++numFiles_;
        }
        entries_.push_back(std::move(gone));
    }
}

std::int64_t GoneFromSource::NumToRemove() const {
    std::int64_t count = 0;
    for (const GoneEntry& entry : entries_)
        count += 1 + entry.numFiles;
    return count;
}

std::string GoneFromSource::TargetPathOf(const GoneEntry& entry) const {
    const std::string path = target_ + entry.relativeFolder + entry.name;
    return entry.folder ? platform::withFinalSeparator(path) : path;
}

} // namespace kestrel
