#include "support/TestFiles.h"

#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <utility>

#ifdef _WIN32
#include <process.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kestrel::testing {

namespace {

std::filesystem::path utf8Path(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

} // namespace

bool MakeSymlink(const std::string& target, const std::string& link, bool toFolder) {
    std::error_code ec;
    if (toFolder)
        std::filesystem::create_directory_symlink(utf8Path(target), utf8Path(link), ec);
    else
        std::filesystem::create_symlink(utf8Path(target), utf8Path(link), ec);
    return !ec;
}

bool CanMakeSymlinks() {
    static const bool can = [] {
        namespace fs = std::filesystem;
        const fs::path probe =
            fs::temp_directory_path() / ("kestrel-link-probe-" + std::to_string(::getpid()));
        std::error_code ec;
        fs::create_symlink("nowhere", probe, ec);
        const bool made = !ec;
        fs::remove(probe, ec);
        return made;
    }();
    return can;
}

namespace {

// Only on Windows: both "/" and "\" separate names there, while a POSIX name may hold a "\".
std::string WithSeparator([[maybe_unused]] char from, [[maybe_unused]] char to, std::string path) {
#ifdef _WIN32
    for (char& c : path)
        if (c == from)
            c = to;
#endif
    return path;
}

} // namespace

std::string SlashesOnly(std::string path) {
    return WithSeparator('\\', '/', std::move(path));
}

std::string Native(std::string relative) {
    return WithSeparator('/', '\\', std::move(relative));
}

std::map<std::string, std::string> EntriesBelow(const std::string& root, const std::string& leftOut) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> entries;
    const fs::path top = utf8Path(root);
    std::string cut = leftOut;
    while (cut.size() > 1 && (cut.back() == '/' || cut.back() == '\\'))
        cut.pop_back();
    const fs::path skipped = cut.empty() ? fs::path() : utf8Path(cut).lexically_normal();
    for (auto it = fs::recursive_directory_iterator(top); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path path = it->path();
        if (!skipped.empty() && path.lexically_normal() == skipped) {
            it.disable_recursion_pending();
            continue;
        }
        const fs::file_status status = it->symlink_status();
        const std::string relative = SlashesOnly(path.lexically_relative(top).generic_string());
        if (fs::is_symlink(status)) {
            entries[relative] = "link " + fs::read_symlink(path).generic_string();
        } else if (fs::is_directory(status)) {
            entries[relative] = "folder";
        } else if (fs::is_regular_file(status)) {
            std::ifstream in(path, std::ios::binary);
            entries[relative] = "file " + std::string(std::istreambuf_iterator<char>(in), {});
        } else {
            entries[relative] = "other";
        }
    }
    return entries;
}

bool MakeHardLink(const std::string& existing, const std::string& link) {
    std::error_code ec;
    std::filesystem::create_hard_link(utf8Path(existing), utf8Path(link), ec);
    return !ec;
}

bool MakeFifo(const std::string& path) {
#ifdef _WIN32
    (void)path;
    return false;
#else
    return ::mkfifo(path.c_str(), 0644) == 0;
#endif
}

void SetReadOnly(const std::string& path, bool readOnly) {
    namespace fs = std::filesystem;
    const fs::perms write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(utf8Path(path), readOnly ? write : fs::perms::owner_write,
                    readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

bool IsReadOnly(const std::string& path) {
    namespace fs = std::filesystem;
    return (fs::status(utf8Path(path)).permissions() & fs::perms::owner_write) == fs::perms::none;
}

void OverwriteInPlace(const std::string& path, const std::string& data, std::size_t chunk) {
    std::fstream out(utf8Path(path), std::ios::in | std::ios::out | std::ios::binary);
    if (!out)
        throw std::runtime_error("cannot open " + path);
    for (std::size_t offset = 0; offset < data.size(); offset += chunk) {
        out.write(data.data() + offset, static_cast<std::streamsize>(std::min(chunk, data.size() - offset)));
        out.flush();
    }
}

std::string ReadAt(const std::string& path, std::int64_t offset, std::size_t size) {
    std::ifstream in(utf8Path(path), std::ios::binary);
    in.seekg(offset);
    std::string data(size, '\0');
    in.read(data.data(), static_cast<std::streamsize>(size));
    data.resize(static_cast<std::size_t>(in.gcount()));
    return data;
}

std::vector<std::string> NamesIn(const std::string& folder) {
    auto entries = platform::readDirectory(folder);
    EXPECT_TRUE(entries.ok()) << folder << ": " << entries.error().description;
    std::vector<std::string> names;
    for (const platform::DirectoryEntry& entry : std::move(entries).valueOr({}))
        names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

#ifdef __linux__
std::size_t OpenHandles() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count - 1; // the listing's own handle
}
#endif

} // namespace kestrel::testing
