#pragma once

#include "modules/MessageBox.h"
#include "platform/Result.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Folder procedures. A "file" of a folder is a regular file or a symbolic link to one; a
// "subfolder" is a real folder (a link to a folder is never entered).
namespace kestrel {

// Called after each file visited, so a window can stay responsive.
using YieldFunction = std::function<void()>;

bool FolderExists(const std::string& path);
bool FileExists(const std::string& path);
bool CreateFolder(const std::string& path);
bool CreateFolderPath(const std::string& path);
// The number of direct subfolders, or why the folder cannot be read (70 permission denied, 76
// path not found, ...).
platform::Result<std::int32_t> CountSubfolders(const std::string& folder);
std::int32_t CountFiles(const std::string& folder, const std::string& pattern, bool stopAtFirst,
                        bool showErrors, std::string& errorDescription, double& size, bool& accessDenied,
                        MessageService* messages = nullptr, const YieldFunction& yield = {});
// True when the folder has no files and no subfolders; an error (70 where access is denied)
// when it cannot be read.
platform::Result<bool> FolderIsEmpty(const std::string& folder);
std::int32_t ListFiles(const std::string& folder, std::vector<std::string>& names, const std::string& pattern,
                       bool showErrors, std::string& errorDescription, double& size,
                       MessageService* messages = nullptr, const YieldFunction& yield = {});
// Counts the files and sizes of a whole tree, up to `fileLimit` files (0: no limit); a subtree
// whose access is denied is passed over. The error that ended the count early, if any.
platform::Status CountFolderTree(const std::string& folder, const std::string& pattern,
                                 std::int32_t fileLimit, std::int32_t& fileCount, double& totalSize,
                                 bool& limitReached);
bool IsWithinFolder(const std::string& path, const std::string& folder, bool excludeEqual);
std::string PathComponentFromEnd(const std::string& path, int n, bool& outOfRange);

constexpr int CSIDL_APPDATA = 26;
std::string GetSpecialFolderPath(int csidl);
std::string GetAppDataFolder(const std::string& fileName, const std::string& subfolderName);

} // namespace kestrel
