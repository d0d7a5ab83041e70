#include "platform/FileSystem.h"

#include "platform/windows/Win32.h"

namespace kestrel::platform {

using win::Handle;

namespace {

struct FindState {
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW data{};
    bool pending = false; // `data` holds an entry not handed out yet
};

EntryKind kindOfFindData(const WIN32_FIND_DATAW& data) {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return EntryKind::Symlink;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return EntryKind::Directory;
    return EntryKind::Regular;
}

bool isDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

Error setAttributesOf(const std::string& path, DWORD (*change)(DWORD, unsigned), unsigned mode) {
    const std::wstring native = win::nativePath(path);
    const DWORD attributes = ::GetFileAttributesW(native.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return win::lastError();
    if (!::SetFileAttributesW(native.c_str(), change(attributes, mode)))
        return win::lastError();
    return {};
}

} // namespace

FileStatus statPath(const std::string& path, bool followLinks) {
    Handle handle(win::openEntry(path, FILE_READ_ATTRIBUTES, followLinks));
    if (!handle.valid())
        return win::failedStatus(::GetLastError());
    return win::statusOfHandle(handle.get());
}

bool isReadOnly(const FileStatus& status) {
    return status.exists() && (status.attributes & file_attribute::ReadOnly) != 0;
}

unsigned withReadOnlyCleared(unsigned mode) {
    return mode | 0200;
}

std::string resolvedPath(const std::string& path) {
    // Opened with links followed, the handle names the entry at the end of them.
    Handle handle(win::openEntry(path, FILE_READ_ATTRIBUTES, true));
    if (!handle.valid())
        return {};
    std::wstring resolved = win::pathOfHandle(handle.get());
    // "\\?\C:\x" is "C:\x" to the user; a network path keeps its own form.
    if (resolved.rfind(L"\\\\?\\UNC\\", 0) == 0)
        resolved = L"\\" + resolved.substr(7);
    else if (resolved.rfind(L"\\\\?\\", 0) == 0 && resolved.size() > 5 && resolved[5] == L':')
        resolved = resolved.substr(4);
    return win::utf8(resolved);
}

DirectoryReader::DirectoryReader(const std::string& folder) : folder_(folder) {
    std::wstring pattern = win::nativePath(folder);
    if (!pattern.empty() && pattern.back() != L'\\')
        pattern += L'\\';
    pattern += L'*';
    auto* state = new FindState;
    state->find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &state->data, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (state->find == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        delete state;
        const DWORD attributes = ::GetFileAttributesW(win::nativePath(folder).c_str());
        const bool isFolder =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        // An empty drive root has no entries at all, not even "." and "..".
        if (error == ERROR_FILE_NOT_FOUND && isFolder)
            return;
        // A file in the folder's place, or nothing there: the folder is not found.
        error_ = isFolder ? win::errorOf(error, true) : Error::of(err::PathNotFound);
        return;
    }
    state->pending = true;
    dir_ = state;
}

DirectoryReader::~DirectoryReader() {
    if (auto* state = static_cast<FindState*>(dir_)) {
        ::FindClose(state->find);
        delete state;
    }
}

bool DirectoryReader::next(DirectoryEntry& entry) {
    auto* state = static_cast<FindState*>(dir_);
    if (!state)
        return false;
    for (;;) {
        if (!state->pending) {
            if (!::FindNextFileW(state->find, &state->data)) {
                const DWORD error = ::GetLastError();
                if (error != ERROR_NO_MORE_FILES)
                    error_ = win::errorOf(error, true);
                return false;
            }
        }
        state->pending = false;
        if (isDotEntry(state->data.cFileName))
            continue;
        entry.name = win::utf8(state->data.cFileName);
        entry.kind = kindOfFindData(state->data);
        return true;
    }
}

Error makeDirectory(const std::string& path) {
    if (!::CreateDirectoryW(win::nativePath(path).c_str(), nullptr))
        return win::lastError(true);
    return {};
}

Error removeFile(const std::string& path) {
    // A link to a folder is a folder entry on Windows; it goes as the link, never its target.
    const std::wstring native = win::nativePath(path);
    const DWORD attributes = ::GetFileAttributesW(native.c_str());
    const bool folderLink = attributes != INVALID_FILE_ATTRIBUTES &&
                            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                            (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) && !folderLink)
        return Error::of(err::PathFileAccess);
    if (!(folderLink ? ::RemoveDirectoryW(native.c_str()) : ::DeleteFileW(native.c_str())))
        return win::lastError();
    return {};
}

Error removeDirectory(const std::string& path) {
    const std::wstring native = win::nativePath(path);
    const DWORD attributes = ::GetFileAttributesW(native.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return Error::of(err::PathNotFound); // a link, not a folder of the tree
    if (!::RemoveDirectoryW(native.c_str()))
        return win::lastError(true);
    return {};
}

Error renameEntry(const std::string& from, const std::string& to) {
    if (!::MoveFileExW(win::nativePath(from).c_str(), win::nativePath(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return win::lastError();
    return {};
}

Error setPermissions(const std::string& path, unsigned mode) {
    return setAttributesOf(path, win::attributesForMode, mode);
}

Error setHiddenOrSystem(const std::string& path, std::uint32_t attributes, bool on) {
    const DWORD flags = ((attributes & file_attribute::Hidden) ? FILE_ATTRIBUTE_HIDDEN : 0u) |
                        ((attributes & file_attribute::System) ? FILE_ATTRIBUTE_SYSTEM : 0u);
    if (on)
        return setAttributesOf(
            path, [](DWORD old, unsigned set) { return old | set; }, flags);
    return setAttributesOf(
        path,
        [](DWORD old, unsigned cleared) {
            const DWORD left = old & ~static_cast<DWORD>(cleared);
            return left == 0 ? static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL) : left;
        },
        flags);
}

Error setModificationTime(const std::string& path, std::int64_t seconds, std::int32_t nanoseconds) {
    Handle handle(win::openEntry(path, FILE_WRITE_ATTRIBUTES, true));
    if (!handle.valid())
        return win::lastError();
    const std::int64_t time = win::toFileTime(seconds, nanoseconds);
    FILETIME written;
    written.dwLowDateTime = static_cast<DWORD>(time);
    written.dwHighDateTime = static_cast<DWORD>(time >> 32);
    if (!::SetFileTime(handle.get(), nullptr, nullptr, &written))
        return win::lastError();
    return {};
}

Error writeFileAtomically(const std::string& path, const std::string& content) {
    const std::string partial = partialCopyPath(path);
    const std::wstring partialNative = win::nativePath(partial);
    Handle out(::CreateFileW(partialNative.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!out.valid())
        return win::lastError();
    DWORD failure = win::writeAll(out.get(), content);
    if (failure == ERROR_SUCCESS && !::FlushFileBuffers(out.get()))
        failure = ::GetLastError();
    out.reset();
    // The file is replaced as a whole; a read-only file stays as it is (Access is denied), whoever
    // runs the program.
    const DWORD existing = ::GetFileAttributesW(win::nativePath(path).c_str());
    if (failure == ERROR_SUCCESS && existing != INVALID_FILE_ATTRIBUTES &&
        (existing & FILE_ATTRIBUTE_READONLY))
        failure = ERROR_ACCESS_DENIED;
    if (failure == ERROR_SUCCESS && !::MoveFileExW(partialNative.c_str(), win::nativePath(path).c_str(),
                                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        failure = ::GetLastError();
    if (failure != ERROR_SUCCESS) {
        ::DeleteFileW(partialNative.c_str());
        return win::errorOf(failure);
    }
    return {};
}

} // namespace kestrel::platform
