#include "engine/TargetGuard.h"

#include "engine/FileSelection.h"
#include "modules/FileProc.h"
#include "modules/Language.h"
#include "platform/Disk.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/ProgramPaths.h"

#include <climits>
#include <vector>

namespace kestrel {

namespace {

const char* const kTwoLineBreaks = "\r\n\r\n";
constexpr int kTargetInUseText = 430;

// The folder with every link on the way resolved, ending in "/"; empty when it does not exist.
std::string RealFolder(const std::string& path) {
    return platform::withFinalSeparator(platform::resolvedPath(path));
}

// A real folder ("/a/b/") and each folder above it, up to its root.
std::vector<std::string> FolderAndAncestors(const std::string& realFolder) {
    std::vector<std::string> folders;
    for (std::string folder = realFolder; !folder.empty(); folder = platform::parentOf(folder))
        folders.push_back(folder);
    return folders;
}

bool SameFolder(const platform::FileStatus& a, const platform::FileStatus& b) {
    return a.isDirectory() && b.isDirectory() && a.device == b.device && a.inode == b.inode;
}

// A first folder below a disk's root whose name starts with a recycle bin's name, as the
// folder buttons read it ("Recycled old" is one too).
bool StartsWithRecycleBinName(const std::string& folder) {
    const std::string parent = platform::parentOf(folder);
    if (parent.empty())
        return false;
    std::string name = platform::nameOf(folder);
    for (char& c : name) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    for (const char* bin : {"RECYCLED", "RECYCLER", "$RECYCLE.BIN"}) {
        if (name.rfind(bin, 0) == 0)
            return platform::mountPointOf(parent) == parent;
    }
    return false;
}

// The user's own trash, resolved; empty when there is none.
std::string RealUserTrash() {
    const std::string trash = platform::userTrashFolder();
    return trash.empty() ? std::string() : RealFolder(trash);
}

} // namespace

bool IsInsideRecycleBin(const std::string& folder) {
    const std::string real = RealFolder(folder);
    if (real.empty())
        return false;
    const platform::FileStatus trash = platform::statPath(RealUserTrash());
    for (const std::string& level : FolderAndAncestors(real)) {
        if (IsRecycleBinFolder(level) || StartsWithRecycleBinName(level) ||
            SameFolder(platform::statPath(level), trash))
            return true;
    }
    return false;
}

bool LiesInsideFolder(const std::string& file, const std::string& folder) {
    const platform::FileStatus folderStatus = platform::statPath(folder);
    if (file.empty() || !folderStatus.isDirectory())
        return false;
    std::string real = platform::resolvedPath(file);
    if (real.empty()) {
        const std::size_t slash = platform::lastSeparatorOf(file);
        real = RealFolder(slash == std::string::npos ? std::string(".") : file.substr(0, slash + 1)) + "x";
    }
    const std::size_t slash = platform::lastSeparatorOf(real);
    if (slash == std::string::npos)
        return false;
    for (const std::string& level : FolderAndAncestors(real.substr(0, slash + 1))) {
        if (SameFolder(platform::statPath(level), folderStatus))
            return true;
    }
    return false;
}

FolderPairRule CheckFolderPair(const std::string& source, const std::string& target) {
    if ((!source.empty() && IsInsideRecycleBin(source)) || (!target.empty() && IsInsideRecycleBin(target)))
        return FolderPairRule::RecycleBin;
    if (source.empty() || target.empty())
        return FolderPairRule::Accepted;
    const std::string realSource = RealFolder(source);
    const platform::FileStatus targetStatus = platform::statPath(target);
    if (realSource.empty() || !targetStatus.isDirectory())
        return FolderPairRule::Accepted; // a missing folder is refused by its own check
    if (SameFolder(platform::statPath(realSource), targetStatus))
        return FolderPairRule::SameFolder;
    for (const std::string& level : FolderAndAncestors(realSource)) {
        if (SameFolder(platform::statPath(level), targetStatus))
            return FolderPairRule::SourceInsideTarget;
    }
    return FolderPairRule::Accepted;
}

std::string FolderPairMessage(FolderPairRule rule, const std::string& source) {
    switch (rule) {
    case FolderPairRule::RecycleBin:
        return GetProgramText(1299);
    case FolderPairRule::SameFolder:
        return GetProgramText(24);
    case FolderPairRule::SourceInsideTarget:
        return source + kTwoLineBreaks + GetProgramText(25);
    case FolderPairRule::Accepted:
        break;
    }
    return {};
}

bool TargetLock::Acquire(const std::string& target) {
    platform::Result<platform::DirectoryHandle> opened = platform::openDirectory(target);
    if (!opened.ok())
        return true;
    handle_ = std::move(opened).value();
    held_ = handle_.tryLockExclusive();
    return held_;
}

std::string TargetInUseMessage() {
    return GetProgramText(kTargetInUseText);
}

} // namespace kestrel
