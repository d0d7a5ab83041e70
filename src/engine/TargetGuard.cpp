#include "engine/TargetGuard.h"

#include "engine/FileSelection.h"
#include "modules/FileProc.h"
#include "modules/Language.h"
#include "platform/Disk.h"
#include "platform/FileSystem.h"

#include <climits>
#include <cstdlib>
#include <vector>

namespace kestrel {

namespace {

const char* const kTwoLineBreaks = "\r\n\r\n";
constexpr int kTargetInUseText = 430;

// The folder with every link on the way resolved, ending in "/"; empty when it does not exist.
std::string RealFolder(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return {};
    std::string real = AddTrailingBackslash(resolved);
    std::free(resolved);
    return real;
}

// A real folder ("/a/b/") and each folder above it, up to "/".
std::vector<std::string> FolderAndAncestors(const std::string& realFolder) {
    std::vector<std::string> folders;
    std::string folder = realFolder;
    while (!folder.empty()) {
        folders.push_back(folder);
        if (folder == "/")
            break;
        folder.pop_back();
        folder.erase(folder.rfind('/') + 1);
    }
    return folders;
}

bool SameFolder(const platform::FileStatus& a, const platform::FileStatus& b) {
    return a.isDirectory() && b.isDirectory() && a.device == b.device && a.inode == b.inode;
}

// A first folder below a disk's root whose name starts with a recycle bin's name, as the
// folder buttons read it ("Recycled old" is one too).
bool StartsWithRecycleBinName(const std::string& folder) {
    std::string parent = folder.substr(0, folder.size() - 1);
    const std::size_t slash = parent.rfind('/');
    if (slash == std::string::npos)
        return false;
    std::string name = parent.substr(slash + 1);
    parent.erase(slash + 1);
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
    if (const char* dataHome = std::getenv("XDG_DATA_HOME"); dataHome != nullptr && dataHome[0] == '/')
        return RealFolder(AddTrailingBackslash(dataHome) + "Trash/");
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return RealFolder(AddTrailingBackslash(home) + ".local/share/Trash/");
    return {};
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
    char* resolved = ::realpath(file.c_str(), nullptr);
    std::string real;
    if (resolved != nullptr) {
        real = resolved;
        std::free(resolved);
    } else {
        const std::size_t slash = file.rfind('/');
        real = RealFolder(slash == std::string::npos ? std::string(".") : file.substr(0, slash + 1)) + "x";
    }
    const std::size_t slash = real.rfind('/');
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
        return "A recycle bin cannot be a backup source or target.";
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
    platform::Error error;
    handle_ = platform::DirectoryHandle::open(target, error);
    if (error)
        return true;
    held_ = handle_.tryLockExclusive();
    return held_;
}

std::string TargetInUseMessage() {
    return GetProgramText(kTargetInUseText);
}

} // namespace kestrel
