#pragma once

#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"

#include <windows.h>

#include <cstdint>
#include <string>

// Inside the Windows platform only: the program's texts and paths are UTF-8, Windows' calls take
// UTF-16; errors become the program's error numbers; handles close themselves.
namespace kestrel::platform::win {

std::wstring wide(const std::string& text);
std::string utf8(const wchar_t* text, std::size_t length);
std::string utf8(const std::wstring& text);

// A path as the wide calls take it: "/" turned into "\", made absolute, and given the "\\?\"
// prefix when it is long, so paths past MAX_PATH work too.
std::wstring nativePath(const std::string& path);
// Whether a character separates the parts of a path ("/" or "\").
inline bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

// The errno value that stands nearest a Windows error: the program's error numbers are mapped
// from errno values on every system.
int errnoOf(DWORD error);
Error errorOf(DWORD error, bool forFolder = false);
inline Error lastError(bool forFolder = false) {
    return errorOf(::GetLastError(), forFolder);
}

// FILETIME (100 ns since 1601, UTC) and the program's seconds and nanoseconds since 1970.
void fromFileTime(std::int64_t fileTime, std::int64_t& seconds, std::int32_t& nanoseconds);
std::int64_t toFileTime(std::int64_t seconds, std::int32_t nanoseconds);

// The status of an open file or folder. A reparse point (symbolic link, junction, mount point)
// is reported as a link: the program never follows one inside a tree.
FileStatus statusOfHandle(HANDLE handle);
FileStatus failedStatus(DWORD error);

// The permission bits the rest of the program reads: the owner may write unless the file is
// read-only.
unsigned modeOfAttributes(DWORD attributes);
// The attributes with ReadOnly set or cleared as `mode` grants the owner's write permission.
DWORD attributesForMode(DWORD attributes, unsigned mode);

class Handle {
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        if (valid())
            ::CloseHandle(handle_);
        handle_ = handle;
    }
    HANDLE release() {
        HANDLE h = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return h;
    }

private:
    HANDLE handle_;
};

// Writes all of `data`; the Windows error of the write that failed, else ERROR_SUCCESS.
DWORD writeAll(HANDLE handle, const std::string& data);

// Opens an entry by path without following a reparse point at its end (folders too).
HANDLE openEntry(const std::string& path, DWORD access, bool followLinks);

// Opens `name`, an entry directly inside the open folder `folder`, relative to that handle: the
// name alone is looked up, whatever the folder's path names by now. `options` are NtCreateFile's
// (FILE_DIRECTORY_FILE, FILE_NON_DIRECTORY_FILE ...); a reparse point is opened as itself, never
// followed. "." is the folder itself; a name with a separator and ".." are refused. INVALID_HANDLE_VALUE with
// the Windows error on failure.
HANDLE openChild(HANDLE folder, const std::string& name, ACCESS_MASK access, ULONG disposition, ULONG options,
                 DWORD& error);

// The system's own name of an open entry ("\\??\\C:\\..." or "\\Device\\..."), as renames take it.
std::wstring systemNameOf(HANDLE handle);
// A path of an open entry that the wide calls take ("\\\\?\\C:\\..."); empty when none can be had.
std::wstring pathOfHandle(HANDLE handle);

// Marks an open entry for deletion (it goes when its last handle closes).
DWORD deleteByHandle(HANDLE handle);
// Renames an open entry to `name` inside `folder`, replacing what stands there when asked.
DWORD renameByHandle(HANDLE handle, HANDLE folder, const std::string& name, bool replace);

// The drive or mount root that holds the path's nearest existing folder ("E:\"); empty when no
// part of the path exists.
std::wstring volumeRootOf(const std::string& path);

} // namespace kestrel::platform::win
