#include "platform/ProgramPaths.h"

#include "platform/FileSystem.h"
#include "platform/Path.h"

#include <cstdlib>
#include <mutex>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace kestrel::platform {

namespace {

std::mutex pathMutex;
std::string overrideFolder;

} // namespace

std::string executableFolder() {
    std::vector<char> buffer(4096);
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0)
        return "./";
    std::string path(buffer.data(), static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
}

std::string programFolder() {
    {
        std::lock_guard<std::mutex> lock(pathMutex);
        if (!overrideFolder.empty())
            return overrideFolder;
    }
    std::string own = executableFolder();
    if (statPath(own + "zbk.dat").isRegular())
        return own;
    std::string installed = own + "../share/kestrel-backup/";
    if (statPath(installed + "zbk.dat").isRegular())
        return installed;
    return own;
}

void setProgramFolder(const std::string& folder) {
    std::lock_guard<std::mutex> lock(pathMutex);
    overrideFolder = folder;
    if (!overrideFolder.empty() && overrideFolder.back() != '/')
        overrideFolder += '/';
}

std::string configHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    std::string base;
    if (home && home[0])
        base = home;
    else if (const passwd* pw = ::getpwuid(::getuid()))
        base = pw->pw_dir;
    return base + "/.config";
}

std::string userTrashFolder() {
    if (const char* dataHome = std::getenv("XDG_DATA_HOME"); dataHome != nullptr && dataHome[0] == '/')
        return withFinalSeparator(dataHome) + "Trash/";
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return withFinalSeparator(home) + ".local/share/Trash/";
    return {};
}

std::string workingFolder() {
    std::vector<char> buffer(4096);
    if (!::getcwd(buffer.data(), buffer.size()))
        return "/";
    return withFinalSeparator(buffer.data());
}

} // namespace kestrel::platform
