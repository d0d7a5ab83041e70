#include "modules/Folder.h"

#include "modules/FileProc.h"
#include "modules/Language.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/ProgramPaths.h"

namespace kestrel {

namespace {

using platform::DirectoryEntry;
using platform::DirectoryReader;
using platform::EntryKind;
using platform::Error;
using platform::FileStatus;

std::string withoutSurroundingBlanks(const std::string& text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool isFolder(const std::string& path) {
    return !path.empty() && platform::statPath(path).isDirectory();
}

// A file of a folder is a regular file or a link to one. `status` receives what the entry
// leads to when it had to be read (always for a link; for a regular file only when wanted).
bool isFileEntry(const std::string& folder, const DirectoryEntry& entry, bool wantStatus,
                 FileStatus& status) {
    if (entry.kind == EntryKind::Regular) {
        if (wantStatus)
            status = platform::statPath(folder + entry.name);
        return true;
    }
    if (entry.kind == EntryKind::Symlink) {
        status = platform::statPath(folder + entry.name);
        return status.isRegular();
    }
    return false;
}

void reportError(const Error& error, bool showErrors, MessageService* messages) {
    if (showErrors && messages) {
        MessageRequest request;
        request.text = error.description;
        request.title = GetProgramText(1214);
        request.buttons = MessageButtons::Ok;
        request.icon = MessageIcon::Exclamation;
        messages->ShowMessage(request);
    }
}

// A missing folder path reads like a folder that is not there.
Error folderError(const std::string& folder, const Error& readError) {
    if (folder.empty())
        return Error::of(platform::err::PathNotFound);
    return readError;
}

// Visits the files of a folder whose names match the pattern (not case-sensitive), in the order
// the folder lists them; `onMatch` returns false to end the visit. A file removed since the
// folder was read is passed over. `yield` runs after each file.
Error visitMatchingFiles(const std::string& folder, const std::string& pattern, bool wantSizes,
                         const std::function<bool(const std::string&, std::int64_t)>& onMatch,
                         const YieldFunction& yield) {
    DirectoryReader reader(folder);
    DirectoryEntry entry;
    while (reader.next(entry)) {
        if (entry.kind != EntryKind::Regular && entry.kind != EntryKind::Symlink)
            continue;
        const bool matches = FileNameMatches(entry.name, pattern, false);
        FileStatus status;
        if (!isFileEntry(folder, entry, matches && wantSizes, status))
            continue;
        bool goOn = true;
        if (matches) {
            if (!wantSizes)
                goOn = onMatch(entry.name, 0);
            else if (status.isRegular())
                goOn = onMatch(entry.name, status.size);
            else if (status.errorNumber != 0 && !status.notFound)
                return status.error();
        }
        if (yield)
            yield();
        if (!goOn)
            return {};
    }
    return folderError(folder, reader.error());
}

struct TreeCount {
    std::string pattern;
    std::int32_t fileLimit = 0;
    std::int32_t& fileCount;
    double& totalSize;
    bool& limitReached;
    Error error;
};

void countTree(const std::string& folderPath, TreeCount& count) {
    const std::string folder = AddTrailingBackslash(folderPath);
    std::vector<std::string> subfolders;
    {
        DirectoryReader reader(folder);
        DirectoryEntry entry;
        while (reader.next(entry)) {
            if (entry.kind == EntryKind::Directory) {
                subfolders.push_back(entry.name);
                continue;
            }
            FileStatus status;
            if (!FileNameMatches(entry.name, count.pattern, false) ||
                !isFileEntry(folder, entry, true, status))
                continue;
            ++count.fileCount;
            // A length that cannot be read adds nothing; the file still counts.
            if (status.isRegular())
                count.totalSize += static_cast<double>(status.size);
            if (count.fileLimit > 0 && count.fileCount >= count.fileLimit) {
                count.limitReached = true;
                return;
            }
        }
        const Error& error = reader.error();
        if (error) {
            // A folder the user may not read is passed over; anything else ends the count.
            if (error.number != platform::err::PermissionDenied)
                count.error = error;
            return;
        }
    }
    for (const std::string& name : subfolders) {
        countTree(folder + name, count);
        if (count.limitReached || count.error)
            return;
    }
}

} // namespace

bool FolderExists(const std::string& path) {
    if (isFolder(path))
        return true;
    const std::string trimmed = withoutSurroundingBlanks(path);
    return trimmed != path && isFolder(trimmed);
}

bool FileExists(const std::string& path) {
    return !path.empty() && platform::statPath(path).isRegular();
}

bool CreateFolder(const std::string& path) {
    return !path.empty() && !platform::makeDirectory(path);
}

bool CreateFolderPath(const std::string& path) {
    if (!platform::isAbsolutePath(path))
        return false;
    std::string level = platform::rootOf(path);
    if (!isFolder(level))
        return false;
    for (const std::string& component : platform::pathComponents(path)) {
        level = platform::withFinalSeparator(platform::joinPath(level, component));
        if (!isFolder(level)) {
            CreateFolder(level);
            if (!isFolder(level))
                return false;
        }
    }
    return true;
}

platform::Result<std::int32_t> CountSubfolders(const std::string& folderPath) {
    const std::string folder = folderPath.empty() ? std::string() : AddTrailingBackslash(folderPath);
    std::int32_t count = 0;
    DirectoryReader reader(folder);
    DirectoryEntry entry;
    while (reader.next(entry)) {
        if (entry.kind == EntryKind::Directory)
            ++count;
    }
    if (const Error error = folderError(folder, reader.error()))
        return error;
    return count;
}

std::int32_t CountFiles(const std::string& folderPath, const std::string& pattern, bool stopAtFirst,
                        bool showErrors, std::string& errorDescription, double& size, bool& accessDenied,
                        MessageService* messages, const YieldFunction& yield) {
    const bool totalling = size == -1;
    accessDenied = false;
    errorDescription.clear();
    const std::string folder = folderPath.empty() ? std::string() : AddTrailingBackslash(folderPath);
    // All files without their sizes: names and kinds only, no file is looked at.
    const bool countAll = pattern == "*.*" && !totalling;
    if (!countAll)
        size = 0;

    std::int32_t count = 0;
    Error error;
    if (countAll) {
        DirectoryReader reader(folder);
        DirectoryEntry entry;
        FileStatus status;
        while (reader.next(entry)) {
            if (isFileEntry(folder, entry, false, status))
                ++count;
        }
        error = folderError(folder, reader.error());
    } else {
        error = visitMatchingFiles(
            folder, pattern, totalling,
            [&](const std::string&, std::int64_t fileSize) {
                ++count;
                size += static_cast<double>(fileSize);
                return !stopAtFirst;
            },
            yield);
    }
    if (error) {
        if (error.number == platform::err::PermissionDenied) {
            accessDenied = true;
            return 0;
        }
        reportError(error, showErrors, messages);
        errorDescription = error.description;
    }
    return count;
}

platform::Result<bool> FolderIsEmpty(const std::string& folder) {
    std::string description;
    double size = 0;
    bool accessDenied = false;
    const std::int32_t files = CountFiles(folder, "*.*", true, false, description, size, accessDenied);
    if (accessDenied)
        return Error::of(platform::err::PermissionDenied);
    if (files > 0)
        return false;
    const platform::Result<std::int32_t> subfolders = CountSubfolders(folder);
    if (!subfolders.ok())
        return subfolders.error();
    return subfolders.value() == 0;
}

std::int32_t ListFiles(const std::string& folderPath, std::vector<std::string>& names,
                       const std::string& pattern, bool showErrors, std::string& errorDescription,
                       double& size, MessageService* messages, const YieldFunction& yield) {
    const bool totalling = size == -1;
    names.clear();
    errorDescription.clear();
    if (totalling)
        size = 0;
    const std::string folder = folderPath.empty() ? std::string() : AddTrailingBackslash(folderPath);
    const Error error = visitMatchingFiles(
        folder, pattern, totalling,
        [&](const std::string& name, std::int64_t fileSize) {
            names.push_back(name);
            if (totalling)
                size += static_cast<double>(fileSize);
            return true;
        },
        yield);
    if (error) {
        reportError(error, showErrors, messages);
        errorDescription = error.description;
        names.clear();
        return -1;
    }
    return static_cast<std::int32_t>(names.size());
}

platform::Status CountFolderTree(const std::string& folder, const std::string& pattern,
                                 std::int32_t fileLimit, std::int32_t& fileCount, double& totalSize,
                                 bool& limitReached) {
    fileCount = 0;
    totalSize = 0;
    limitReached = false;
    if (folder.empty())
        return Error::of(platform::err::PathNotFound);
    // The path is used as given: on a case-sensitive file system a lower-cased path names
    // another folder or none.
    TreeCount count{pattern, fileLimit, fileCount, totalSize, limitReached, {}};
    countTree(folder, count);
    return count.error;
}

bool IsWithinFolder(const std::string& path, const std::string& folder, bool excludeEqual) {
    if (folder.empty())
        return false; // no folder holds anything
    // The same folder lies within each of the two texts.
    if (excludeEqual && platform::isWithinFolder(folder, path))
        return false;
    return platform::isWithinFolder(path, folder);
}

std::string PathComponentFromEnd(const std::string& path, int n, bool& outOfRange) {
    outOfRange = false;
    const std::vector<std::string> components = platform::pathComponents(path);
    const int c = static_cast<int>(components.size());
    if (n < 0 || n > c) {
        outOfRange = true;
        return {};
    }
    if (n == c)
        return {};
    return components[static_cast<std::size_t>(c - 1 - n)];
}

std::string GetSpecialFolderPath(int csidl) {
    if (csidl == CSIDL_APPDATA)
        return platform::configHome();
    return {};
}

std::string GetAppDataFolder(const std::string& fileName, const std::string& subfolderName) {
    const std::string appData = GetSpecialFolderPath(CSIDL_APPDATA);
    if (appData.empty())
        return {};
    const std::string folder = subfolderName.empty() ? appData : platform::joinPath(appData, subfolderName);
    // A fresh account may not even have the configuration folder yet.
    if (!FolderExists(folder) && !CreateFolderPath(folder))
        return {};
    return platform::joinPath(folder, fileName);
}

} // namespace kestrel
