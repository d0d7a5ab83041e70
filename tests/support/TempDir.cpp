#include "support/TempDir.h"

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

namespace kestrel::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "kestrel-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    root_ = pattern + "/";
}

TempDir::~TempDir() {
    std::error_code ec;
    // Read-only folders made by a test must not keep their files from going.
    for (auto it = fs::recursive_directory_iterator(root_, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            ::chmod(it->path().c_str(), 0755);
    }
    ::chmod(root_.c_str(), 0755);
    fs::remove_all(root_, ec);
}

std::string TempDir::createFile(const std::string& relative, const std::string& content,
                                std::int64_t mtime) const {
    fs::path full = root_ + relative;
    fs::create_directories(full.parent_path());
    {
        std::ofstream out(full, std::ios::binary | std::ios::trunc);
        out << content;
        if (!out)
            throw std::runtime_error("cannot write " + full.string());
    }
    if (mtime >= 0) {
        struct timespec times[2] = {{static_cast<time_t>(mtime), 0}, {static_cast<time_t>(mtime), 0}};
        ::utimensat(AT_FDCWD, full.c_str(), times, 0);
    }
    return full.string();
}

std::string TempDir::createFolder(const std::string& relative) const {
    fs::create_directories(root_ + relative);
    std::string full = root_ + relative;
    if (!full.empty() && full.back() != '/')
        full += '/';
    return full;
}

std::string TempDir::readFile(const std::string& relative) const {
    std::ifstream in(root_ + relative, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool TempDir::exists(const std::string& relative) const {
    std::error_code ec;
    return fs::exists(fs::symlink_status(root_ + relative, ec));
}

std::int64_t utcSeconds(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return static_cast<std::int64_t>(::timegm(&t));
}

} // namespace kestrel::testing
