#pragma once

#include "platform/DirectoryHandle.h"

#include <string>

// What every operation checks before it touches anything, whoever starts it (the window, the
// command-line tool, a setup file, the last-run file, a multiple backup, an unattended run):
// the rules on the source and target folders, judged on the real folders (links resolved,
// folders compared by device and inode, never by path text), and the lock that keeps a second
// operation out of a target while one works in it.
namespace kestrel {

enum class FolderPairRule {
    Accepted,
    RecycleBin,        // a folder lies in a recycle bin or trash folder
    SameFolder,        // source and target are one folder
    SourceInsideTarget // the source lies inside the target (the target contains the source)
};

// Checks the named folders: each in no recycle bin, and the source neither the target nor inside
// it. An empty path is not checked; a target inside the source is accepted (no walk enters it).
FolderPairRule CheckFolderPair(const std::string& source, const std::string& target);

// The message of a broken rule, as the main window's folder buttons show it.
std::string FolderPairMessage(FolderPairRule rule, const std::string& source);

// Whether a file lies inside a folder (at any depth), on the real folders: a path through a link
// into the folder lies inside it. A file not made yet is judged by the folder that would hold it.
bool LiesInsideFolder(const std::string& file, const std::string& folder);

// Whether a folder is a recycle bin or trash folder, or lies inside one, on the real path.
bool IsInsideRecycleBin(const std::string& folder);

// The lock of one operation on its target folder, held from Acquire until the object goes.
class TargetLock {
public:
    // False when another operation (of this or another process) holds the target. A target
    // that cannot be opened holds nothing to protect: true, and the operation's own checks
    // report it.
    bool Acquire(const std::string& target);
    bool Held() const { return held_; }

private:
    platform::DirectoryHandle handle_;
    bool held_ = false;
};

// The message for a target another operation is working in.
std::string TargetInUseMessage();

} // namespace kestrel
