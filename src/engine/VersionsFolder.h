#pragma once

#include "engine/TargetFolderChain.h"
#include "platform/Clock.h"
#include "platform/DirectoryHandle.h"

#include <cstdint>
#include <string>

// The target's versions folder: copies a backup is about to replace or remove are moved there (a
// rename, no data copied), one folder a run named by the run's date and time, each below it at
// its own path in the target. Its name lies at the top of the target only, and is kept for it:
// a source folder of that name is never backed up into it.
namespace kestrel {

inline constexpr const char* kVersionsFolderName = ".kestrel-versions";

// Whether `name`, directly inside the target (or the source), is the versions folder's name,
// whatever the capitals (a target that ignores case takes them for one).
bool IsVersionsFolderName(const std::string& name);

// Whether the copy about to be replaced is worth keeping as a version: not when it has the
// source's very size and time (a backup of all files replaces such copies too).
bool CopyWorthKeeping(const platform::FileStatus& source, const platform::FileStatus& copy);

// A run's folder name, "2026-12-11 14.05.09" (no ":", which FAT disks refuse).
std::string VersionsRunFolderName(const platform::LocalDateTime& moment);
// The moment a run folder's name stands for; false for a name of another form.
bool ParseVersionsRunFolderName(const std::string& name, platform::LocalDateTime& moment);

// Keeps the copies one run replaces or removes. Nothing is made in the target until the first
// copy is kept.
class VersionsKeeper {
public:
    // `targetRoot` is the target folder's handle; `days` 0 keeps nothing.
    VersionsKeeper(const platform::DirectoryHandle& targetRoot, int days);

    bool On() const { return days_ > 0; }

    // Moves the entry `name` of `folder` (the target's folder `relative`, its path below the
    // target's root) to this run's versions folder, at the same relative path.
    platform::Error Keep(const platform::DirectoryHandle& folder, const std::string& relative,
                         const std::string& name);
    // Moves a kept entry back where it was (the copy that was to replace it failed).
    platform::Error PutBack(const platform::DirectoryHandle& folder, const std::string& relative,
                            const std::string& name);

    std::int64_t NumKept() const { return numKept_; }
    // This run's versions folder as a path below the target's root ("" until something is kept).
    const std::string& RunFolder() const { return runFolder_; }

private:
    // The run's folder of the relative folder `relative`, made as needed; null with `error`.
    const platform::DirectoryHandle* FolderFor(const std::string& relative, platform::Error& error);
    // Into the versions folder, or `back` out of it.
    platform::Error Move(const platform::DirectoryHandle& folder, const std::string& relative,
                         const std::string& name, bool back);

    int days_;
    platform::LocalDateTime started_;
    TargetFolderChain chain_;
    std::string runFolder_; // kVersionsFolderName/<run name>/, once made
    std::int64_t numKept_ = 0;
};

} // namespace kestrel
