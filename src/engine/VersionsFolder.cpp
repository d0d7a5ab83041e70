#include "engine/VersionsFolder.h"

#include "platform/Path.h"
#include "platform/TargetFileSystem.h"

#include <cstdio>

namespace kestrel {

namespace {

platform::DirectoryHandle DuplicateOf(const platform::DirectoryHandle& root) {
    return root.valid() ? root.duplicate().valueOr(platform::DirectoryHandle()) : platform::DirectoryHandle();
}

} // namespace

bool IsVersionsFolderName(const std::string& name) {
    return platform::caseFoldedName(name) == platform::caseFoldedName(kVersionsFolderName);
}

bool CopyWorthKeeping(const platform::FileStatus& source, const platform::FileStatus& copy) {
    return source.size != copy.size || source.mtimeSeconds != copy.mtimeSeconds ||
           source.mtimeNanoseconds != copy.mtimeNanoseconds;
}

std::string VersionsRunFolderName(const platform::LocalDateTime& m) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d.%02d.%02d", m.year, m.month, m.day, m.hour,
                  m.minute, m.second);
    return text;
}

bool ParseVersionsRunFolderName(const std::string& name, platform::LocalDateTime& moment) {
    // A run folder made in the same second as another gets " (2)" and on after its date.
    platform::LocalDateTime m;
    char after = 0;
    const int read = std::sscanf(name.c_str(), "%4d-%2d-%2d %2d.%2d.%2d%c", &m.year, &m.month, &m.day,
                                 &m.hour, &m.minute, &m.second, &after);
    if (read < 6 || (read == 7 && after != ' ') || name.size() < 19)
        return false;
    if (m.month < 1 || m.month > 12 || m.day < 1 || m.day > 31 || m.hour > 23 || m.minute > 59 ||
        m.second > 60)
        return false;
    moment = m;
    return true;
}

VersionsKeeper::VersionsKeeper(const platform::DirectoryHandle& targetRoot, int days)
    : days_(days), started_(platform::clock().now()),
      chain_(days > 0 ? DuplicateOf(targetRoot) : platform::DirectoryHandle()) {}

const platform::DirectoryHandle* VersionsKeeper::FolderFor(const std::string& relative,
                                                           platform::Error& error) {
    bool created = false;
    if (runFolder_.empty()) {
        const platform::DirectoryHandle* top = chain_.openFolder(kVersionsFolderName, true, created);
        if (top == nullptr) {
            error = platform::Error::of(platform::err::PathNotFound);
            return nullptr;
        }
        // A folder of its own, even for a second run started in the same second.
        const std::string base = VersionsRunFolderName(started_);
        for (int n = 1; n < 1000; ++n) {
            const std::string name = n == 1 ? base : base + " (" + std::to_string(n) + ")";
            error = top->makeChild(name);
            if (!error) {
                runFolder_ = platform::joinPath(kVersionsFolderName, name);
                break;
            }
            if (error.number != platform::err::FileAlreadyExists)
                return nullptr;
        }
        if (runFolder_.empty())
            return nullptr;
    }
    const platform::DirectoryHandle* folder =
        chain_.openFolder(platform::joinPath(runFolder_, relative), true, created);
    if (folder == nullptr)
        error = platform::Error::of(platform::err::PathNotFound);
    return folder;
}

platform::Error VersionsKeeper::Keep(const platform::DirectoryHandle& folder, const std::string& relative,
                                     const std::string& name) {
    return Move(folder, relative, name, false);
}

platform::Error VersionsKeeper::PutBack(const platform::DirectoryHandle& folder, const std::string& relative,
                                        const std::string& name) {
    return Move(folder, relative, name, true);
}

platform::Error VersionsKeeper::Move(const platform::DirectoryHandle& folder, const std::string& relative,
                                     const std::string& name, bool back) {
    platform::Error error;
    const platform::DirectoryHandle* versions = FolderFor(relative, error);
    if (versions == nullptr)
        return error;
    error = back ? versions->moveChildTo(name, folder, name) : folder.moveChildTo(name, *versions, name);
    if (!error)
        numKept_ += back ? -1 : 1;
    return error;
}

} // namespace kestrel
