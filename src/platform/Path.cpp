#include "platform/Path.h"

#include <algorithm>

namespace kestrel::platform {

namespace {

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool hasDriveLetter(const std::string& path) {
    return path.size() >= 2 && isAsciiLetter(path[0]) && path[1] == ':';
}

// "\\server\share" at the start: the length of that text (without a separator after it), or 0.
std::size_t networkDriveLength(const std::string& path) {
    if (path.size() < 2 || !isPathSeparator(path[0], PathStyle::Windows) ||
        !isPathSeparator(path[1], PathStyle::Windows))
        return 0;
    std::size_t end = 2;
    for (int part = 0; part < 2; ++part) {
        if (part == 1)
            ++end; // the separator between server and share
        while (end < path.size() && !isPathSeparator(path[end], PathStyle::Windows))
            ++end;
        if (end >= path.size())
            return path.size();
    }
    return end;
}

// The drive or root the path starts with (as rootOf, or the drive of "C:x"), kept out of the
// names that follow it.
std::size_t prefixLength(const std::string& path, PathStyle style) {
    const std::size_t root = rootOf(path, style).size();
    if (root != 0)
        return std::min(root, path.size());
    return driveOfText(path, style).size();
}

// A name that Windows reads as "." or "..", or as nothing: only dots and blanks (it drops
// trailing dots and blanks from names).
bool isDotsAndBlanksOnly(const std::string& name) {
    return name.find_first_not_of(". ") == std::string::npos;
}

} // namespace

PathStyle nativePathStyle() {
#ifdef _WIN32
    return PathStyle::Windows;
#else
    return PathStyle::Posix;
#endif
}

char pathSeparator(PathStyle style) {
    return style == PathStyle::Windows ? '\\' : '/';
}

bool isPathSeparator(char c, PathStyle style) {
    return c == '/' || (style == PathStyle::Windows && c == '\\');
}

bool endsWithSeparator(const std::string& path, PathStyle style) {
    return !path.empty() && isPathSeparator(path.back(), style);
}

std::string withStyleSeparators(std::string path, PathStyle style) {
    for (char& c : path)
        if (isPathSeparator(c, style))
            c = pathSeparator(style);
    return path;
}

std::string withFinalSeparator(const std::string& path, PathStyle style) {
    if (path.empty() || endsWithSeparator(path, style))
        return path;
    return path + pathSeparator(style);
}

std::string rootOf(const std::string& path, PathStyle style) {
    if (style == PathStyle::Posix)
        return !path.empty() && path[0] == '/' ? "/" : "";
    if (const std::size_t network = networkDriveLength(path); network != 0) {
        if (network < path.size())
            return path.substr(0, network + 1);
        return path + pathSeparator(style);
    }
    if (hasDriveLetter(path))
        return path.size() >= 3 && isPathSeparator(path[2], style) ? path.substr(0, 3) : "";
    return !path.empty() && isPathSeparator(path[0], style) ? path.substr(0, 1) : "";
}

std::string driveOfText(const std::string& path, PathStyle style) {
    if (style == PathStyle::Posix)
        return {};
    if (const std::size_t network = networkDriveLength(path); network != 0)
        return path.substr(0, network);
    return hasDriveLetter(path) ? path.substr(0, 2) : "";
}

bool isAbsolutePath(const std::string& path, PathStyle style) {
    if (rootOf(path, style).empty())
        return false;
    // "\x" on Windows lies on whatever drive is current.
    return style == PathStyle::Posix || !driveOfText(path, style).empty();
}

std::string joinPath(const std::string& folder, const std::string& name, PathStyle style) {
    if (folder.empty())
        return name;
    std::size_t start = 0;
    while (start < name.size() && isPathSeparator(name[start], style))
        ++start;
    if (start == name.size())
        return folder;
    return withFinalSeparator(folder, style) + name.substr(start);
}

std::string nameOf(const std::string& path, PathStyle style) {
    const std::size_t prefix = prefixLength(path, style);
    std::size_t end = path.size();
    while (end > prefix && isPathSeparator(path[end - 1], style))
        --end;
    std::size_t begin = end;
    while (begin > prefix && !isPathSeparator(path[begin - 1], style))
        --begin;
    return path.substr(begin, end - begin);
}

std::string parentOf(const std::string& path, PathStyle style) {
    const std::size_t prefix = prefixLength(path, style);
    std::size_t end = path.size();
    while (end > prefix && isPathSeparator(path[end - 1], style))
        --end;
    if (end == prefix)
        return {}; // a root (or nothing) has no parent
    while (end > prefix && !isPathSeparator(path[end - 1], style))
        --end;
    return path.substr(0, end);
}

std::size_t lastSeparatorOf(const std::string& path, PathStyle style) {
    return style == PathStyle::Windows ? path.find_last_of("/\\") : path.rfind('/');
}

std::vector<std::string> pathComponents(const std::string& path, PathStyle style) {
    std::vector<std::string> names;
    std::size_t start = prefixLength(path, style);
    while (start < path.size()) {
        std::size_t end = start;
        while (end < path.size() && !isPathSeparator(path[end], style))
            ++end;
        if (end > start)
            names.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

bool isWithinFolder(const std::string& path, const std::string& folder, PathStyle style) {
    if (folder.empty())
        return false;
    const std::string head = withFinalSeparator(folder, style);
    const std::string whole = withFinalSeparator(path, style);
    if (whole.size() < head.size())
        return false;
    for (std::size_t i = 0; i < head.size(); ++i) {
        const char a = whole[i];
        const char b = head[i];
        if (style == PathStyle::Posix ? a != b
                                      : !(lowerAscii(a) == lowerAscii(b) ||
                                          (isPathSeparator(a, style) && isPathSeparator(b, style))))
            return false;
    }
    return true;
}

bool isSafeRelativeEntry(const std::string& entry, PathStyle style) {
    if (entry.empty() || entry.find('\0') != std::string::npos)
        return false;
    if (!rootOf(entry, style).empty() || !driveOfText(entry, style).empty())
        return false;
    std::size_t start = 0;
    while (start <= entry.size()) {
        std::size_t end = start;
        while (end < entry.size() && !isPathSeparator(entry[end], style))
            ++end;
        const std::string name = entry.substr(start, end - start);
        if (name.empty() || name == "." || name == "..")
            return false;
        if (style == PathStyle::Windows && isDotsAndBlanksOnly(name))
            return false;
        start = end + 1;
    }
    return true;
}

bool isSafeFolderName(const std::string& name) {
    for (const PathStyle style : {PathStyle::Posix, PathStyle::Windows}) {
        if (!isSafeRelativeEntry(name, style) || pathComponents(name, style).size() != 1)
            return false;
    }
    return true;
}

} // namespace kestrel::platform
