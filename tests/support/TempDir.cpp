#include "support/TempDir.h"

#include "platform/FileSystem.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace kestrel::testing {

namespace fs = std::filesystem;

namespace {

// Paths are UTF-8 text in the program; std::filesystem reads a plain string in the system's
// code page on Windows, so it is handed UTF-8 as such.
fs::path utf8Path(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string utf8Text(const fs::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

} // namespace

TempDir::TempDir() {
    // A name no other test folder has: create_directory refuses one that exists.
    static std::random_device random;
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100 && root_.empty(); ++attempt) {
        const fs::path folder = base / ("kestrel-test-" + std::to_string(random()));
        std::error_code ec;
        if (fs::create_directory(folder, ec))
            root_ = utf8Text(folder) + "/";
    }
    if (root_.empty())
        throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    // Read-only folders made by a test must not keep their files from going.
    for (auto it = fs::recursive_directory_iterator(utf8Path(root_),
                                                    fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_symlink(ec))
            continue;
        if (it->is_directory(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        else // a read-only file cannot be removed on Windows
            fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
    }
    fs::permissions(utf8Path(root_), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(utf8Path(root_), ec);
}

std::string TempDir::createFile(const std::string& relative, const std::string& content,
                                std::int64_t mtime) const {
    const fs::path full = utf8Path(root_ + relative);
    fs::create_directories(full.parent_path());
    {
        std::ofstream out(full, std::ios::binary | std::ios::trunc);
        out << content;
        if (!out)
            throw std::runtime_error("cannot write " + utf8Text(full));
    }
    if (mtime >= 0)
        platform::setModificationTime(utf8Text(full), mtime, 0);
    return utf8Text(full);
}

std::string TempDir::createFolder(const std::string& relative) const {
    fs::create_directories(utf8Path(root_ + relative));
    std::string full = root_ + relative;
    if (!full.empty() && full.back() != '/')
        full += '/';
    return full;
}

std::string TempDir::readFile(const std::string& relative) const {
    std::ifstream in(utf8Path(root_ + relative), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool TempDir::exists(const std::string& relative) const {
    std::error_code ec;
    return fs::exists(fs::symlink_status(utf8Path(root_ + relative), ec));
}

std::int64_t utcSeconds(int year, int month, int day, int hour, int minute, int second) {
    // Days since 1970-01-01 in the proleptic Gregorian calendar (March-based years).
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const std::int64_t days = static_cast<std::int64_t>(era) * 146097 + dayOfEra - 719468;
    return days * 86400 + hour * 3600 + minute * 60 + second;
}

} // namespace kestrel::testing
