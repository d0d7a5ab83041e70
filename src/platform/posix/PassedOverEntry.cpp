#include "platform/PassedOverEntry.h"

#include <sys/stat.h>

namespace kestrel::platform {

namespace {

PassedOverKind kindOfMode(mode_t mode, bool link) {
    if (S_ISREG(mode))
        return PassedOverKind::None;
    if (S_ISDIR(mode))
        return link ? PassedOverKind::FolderLink : PassedOverKind::None;
    if (S_ISFIFO(mode))
        return PassedOverKind::Fifo;
    if (S_ISSOCK(mode))
        return PassedOverKind::Socket;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return PassedOverKind::Device;
    return PassedOverKind::None;
}

} // namespace

PassedOverKind passedOverKindOf(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return PassedOverKind::None; // gone since the folder was read
    if (!S_ISLNK(st.st_mode))
        return kindOfMode(st.st_mode, false);
    if (::stat(path.c_str(), &st) != 0)
        return PassedOverKind::DanglingLink;
    return kindOfMode(st.st_mode, true);
}

} // namespace kestrel::platform
