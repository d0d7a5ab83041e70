#pragma once

#include <string>
#include <vector>

// Paths as text: the only place that knows how a system writes them. Everything above the
// platform joins, splits and compares paths through these procedures, never by slicing at a
// separator of its own. The rules of both systems are here whatever system runs the program
// (a setup file may come from the other one, and tests check both); the style parameter defaults
// to the running system's.
//
// A folder value is a full path that ends in exactly one separator ("/home/anna/", "E:\Data\");
// a root is a folder value of its own ("/", "E:\", "\\server\share\").
namespace kestrel::platform {

enum class PathStyle {
    Posix,   // "/" separates; "/" is the one root
    Windows, // "\" separates ("/" is read as one too); roots "C:\", "\\server\share\"
};

// The style of the system the program runs on.
PathStyle nativePathStyle();

// The separator the style writes.
char pathSeparator(PathStyle style = nativePathStyle());
// Whether a character separates names in the style ("/" and "\" on Windows, "/" on POSIX).
bool isPathSeparator(char c, PathStyle style = nativePathStyle());
bool endsWithSeparator(const std::string& path, PathStyle style = nativePathStyle());
// The path with one separator at its end (unless it is empty or ends in one already).
std::string withFinalSeparator(const std::string& path, PathStyle style = nativePathStyle());

// The path with every separator written as the style writes it: "C:/Data/" is "C:\Data\" on
// Windows, where both separate names; unchanged on POSIX, where "\" is part of a name.
std::string withStyleSeparators(std::string path, PathStyle style = nativePathStyle());

// The root the path starts with, ending in a separator as written: "/" (POSIX), "C:\", "C:/",
// "\\server\share\" (Windows); empty for a relative path (and for "C:x", which is relative to
// the drive's current folder).
std::string rootOf(const std::string& path, PathStyle style = nativePathStyle());
// The drive named at the start of the text: "C:" for "C:\x" and "C:x", "\\server\share" for a
// network path; empty where there is none (always on POSIX).
std::string driveOfText(const std::string& path, PathStyle style = nativePathStyle());
// A path that starts with a root (not relative to any current folder or drive).
bool isAbsolutePath(const std::string& path, PathStyle style = nativePathStyle());

// `folder` and `name` with exactly one separator between them (`name` alone when `folder` is
// empty, `folder` alone when `name` is empty).
std::string joinPath(const std::string& folder, const std::string& name, PathStyle style = nativePathStyle());

// The last name of the path, final separators ignored ("b" of "/a/b/"); empty for a root.
std::string nameOf(const std::string& path, PathStyle style = nativePathStyle());
// The folder that holds the last name, as a folder value ("/a/" of "/a/b/" and of "/a/b"); empty
// when the path is a root or has no folder part ("C:" for "C:x": the drive it lies on).
std::string parentOf(const std::string& path, PathStyle style = nativePathStyle());
// The position of the last separator in the path, npos when it has none.
std::size_t lastSeparatorOf(const std::string& path, PathStyle style = nativePathStyle());
// The names after the root, in order; doubled and final separators give no empty name.
std::vector<std::string> pathComponents(const std::string& path, PathStyle style = nativePathStyle());

// Whether `path` is `folder` itself or lies below it, by the text alone (no links resolved):
// "/a/bc" is not within "/a/b". Windows compares without regard to ASCII case and takes
// either separator.
bool isWithinFolder(const std::string& path, const std::string& folder, PathStyle style = nativePathStyle());

// Whether a text may name something below a folder without leading out of it: relative (no
// root, no drive: "C:x", "C:\x", "\\server\x" and "/x" are refused), no "." or ".." name, no
// empty name, no NUL; on Windows also no ":" (a drive or a stream) in any name.
bool isSafeRelativeEntry(const std::string& entry, PathStyle style = nativePathStyle());
// The same for a single name directly in a folder, safe on every system the program runs on:
// no separator of either style, no drive, so a setup file written on one system can never lead
// out of the source folder on the other.
bool isSafeFolderName(const std::string& name);

} // namespace kestrel::platform
