#pragma once

#include "platform/DirectoryHandle.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What the target holds below the walked folders that the source no longer has. The walk hands
// over each folder it read (only when a check or a removal asks for it, so a plain backup pays
// nothing); the target's folder is read beside it and what it holds that the source lacks is
// noted, to be named by a check and removed after a backup that asks for it.
namespace kestrel {

struct GoneEntry {
    std::string relativeFolder; // the target folder holding it, below the target's root ("" or "a/b/")
    std::string name;
    bool folder = false;
    std::int64_t numFiles = 0; // a folder's files, at every depth
};

class GoneFromSource {
public:
    // Whether the setup would take an entry the source held at that path (a file: `folder`
    // false); an entry it would not take is no backup of the setup's and stays as it is.
    using Selection =
        std::function<bool(const std::string& sourcePath, const std::string& name, bool folder)>;

    // `targetFolder` is the target's path; `reportFile` the report file being written (never
    // gone); `ignoresCase`: the target takes names differing only in capitals for one.
    GoneFromSource(std::string targetFolder, std::string reportFile, bool ignoresCase, Selection selection);

    // One walked folder: `target` its folder in the target (null when there is none), `relative`
    // its path below both roots, `sourceNames` every name the source folder holds;
    // `filesWalked` and `subfoldersWalked` tell which of its entries the walk takes.
    void Compare(const platform::DirectoryHandle* target, const std::string& sourceFolder,
                 const std::string& relative, std::vector<std::string> sourceNames, bool filesWalked,
                 bool subfoldersWalked);

    const std::vector<GoneEntry>& Entries() const { return entries_; }
    std::int64_t NumFiles() const { return numFiles_; }
    std::int64_t NumFolders() const { return numFolders_; }
    // Every entry a removal takes: the files, the folders and what they hold.
    std::int64_t NumToRemove() const;
    // The full path of an entry in the target (a folder's ending in the separator).
    std::string TargetPathOf(const GoneEntry& entry) const;

private:
    // What the program itself keeps in the target's top folder: the versions folder and the
    // unattended run's reports.
    bool IsProgramsOwn(const std::string& relative, const std::string& name, bool folder) const;

    std::string target_;
    std::string reportFile_;
    bool ignoresCase_;
    Selection selection_;
    std::vector<GoneEntry> entries_;
    std::int64_t numFiles_ = 0;
    std::int64_t numFolders_ = 0;
};

} // namespace kestrel
