#include "platform/windows/Win32.h"

#include <winternl.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace kestrel::platform::win {

namespace {

constexpr std::int64_t kFileTimeOf1970 = 116444736000000000LL; // 100 ns steps from 1601 to 1970
constexpr std::size_t kLongPath = 248; // from here on a path needs "\\?\" (room for an 8.3 name)

const wchar_t kLongPrefix[] = L"\\\\?\\";

bool isDotName(const std::string& name) {
    return name == "." || name == "..";
}

} // namespace

std::wstring wide(const std::string& text) {
    if (text.empty())
        return {};
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length);
    return out;
}

std::string utf8(const wchar_t* text, std::size_t length) {
    if (length == 0)
        return {};
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), size, nullptr, nullptr);
    return out;
}

std::string utf8(const std::wstring& text) {
    return utf8(text.data(), text.size());
}

std::wstring nativePath(const std::string& path) {
    std::wstring w = wide(path);
    if (w.rfind(kLongPrefix, 0) == 0)
        return w;
    for (wchar_t& c : w)
        if (c == L'/')
            c = L'\\';
    if (w.empty())
        return w;
    const DWORD size = ::GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return w;
    std::wstring full(size, L'\0');
    const DWORD written = ::GetFullPathNameW(w.c_str(), size, full.data(), nullptr);
    full.resize(written);
    if (full.size() < kLongPath)
        return full;
    if (full.rfind(L"\\\\", 0) == 0)
        return std::wstring(kLongPrefix) + L"UNC\\" + full.substr(2);
    return kLongPrefix + full;
}

int errnoOf(DWORD error) {
    switch (error) {
    case ERROR_SUCCESS:
        return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_CANNOT_MAKE:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER:
        return EINVAL;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_DIR_NOT_EMPTY:
        return ENOTEMPTY;
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
        return EIO;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    default:
        return EFAULT; // no nearer meaning: "Path/File access error"
    }
}

Error errorOf(DWORD error, bool forFolder) {
    return Error::fromErrno(errnoOf(error), forFolder);
}

void fromFileTime(std::int64_t fileTime, std::int64_t& seconds, std::int32_t& nanoseconds) {
    const std::int64_t since1970 = fileTime - kFileTimeOf1970;
    seconds = since1970 / 10000000;
    std::int64_t rest = since1970 % 10000000;
    if (rest < 0) {
        rest += 10000000;
        --seconds;
    }
    nanoseconds = static_cast<std::int32_t>(rest * 100);
}

std::int64_t toFileTime(std::int64_t seconds, std::int32_t nanoseconds) {
    return kFileTimeOf1970 + seconds * 10000000 + nanoseconds / 100;
}

unsigned modeOfAttributes(DWORD attributes) {
    unsigned mode = (attributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        mode |= 0111;
    return mode;
}

DWORD attributesForMode(DWORD attributes, unsigned mode) {
    attributes =
        (mode & 0200) ? (attributes & ~FILE_ATTRIBUTE_READONLY) : (attributes | FILE_ATTRIBUTE_READONLY);
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

FileStatus failedStatus(DWORD error) {
    FileStatus status;
    status.errorNumber = errorOf(error).number;
    status.notFound = errnoOf(error) == ENOENT;
    return status;
}

FileStatus statusOfHandle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info))
        return failedStatus(::GetLastError());
    FileStatus status;
    const DWORD a = info.dwFileAttributes;
    if (a & FILE_ATTRIBUTE_REPARSE_POINT)
        status.kind = EntryKind::Symlink;
    else if (a & FILE_ATTRIBUTE_DIRECTORY)
        status.kind = EntryKind::Directory;
    else
        status.kind = ::GetFileType(handle) == FILE_TYPE_DISK ? EntryKind::Regular : EntryKind::Other;
    status.size = (static_cast<std::int64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    const std::int64_t written = (static_cast<std::int64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                                 info.ftLastWriteTime.dwLowDateTime;
    fromFileTime(written, status.mtimeSeconds, status.mtimeNanoseconds);
    status.mode = modeOfAttributes(a);
    status.attributes = ((a & FILE_ATTRIBUTE_READONLY) ? file_attribute::ReadOnly : 0u) |
                        ((a & FILE_ATTRIBUTE_HIDDEN) ? file_attribute::Hidden : 0u) |
                        ((a & FILE_ATTRIBUTE_SYSTEM) ? file_attribute::System : 0u);
    status.linkCount = info.nNumberOfLinks;
    // The volume's serial number and the file's index name one file as device and inode do.
    status.device = info.dwVolumeSerialNumber;
    status.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return status;
}

DWORD writeAll(HANDLE handle, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1 << 20));
        DWORD written = 0;
        if (!::WriteFile(handle, data.data() + done, want, &written, nullptr))
            return ::GetLastError();
        done += written;
    }
    return ERROR_SUCCESS;
}

HANDLE openEntry(const std::string& path, DWORD access, bool followLinks) {
    const std::wstring native = nativePath(path);
    return ::CreateFileW(native.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
                         nullptr);
}

HANDLE openChild(HANDLE folder, const std::string& name, ACCESS_MASK access, ULONG disposition, ULONG options,
                 DWORD& error) {
    // "." (or an empty name) opens the folder itself again; ".." never leads out of it.
    if (name == ".." || name.find_first_of("/\\") != std::string::npos) {
        error = ERROR_INVALID_NAME;
        return INVALID_HANDLE_VALUE;
    }
    std::wstring w = name == "." ? std::wstring() : wide(name);
    UNICODE_STRING text;
    text.Buffer = w.empty() ? nullptr : w.data();
    text.Length = static_cast<USHORT>(w.size() * sizeof(wchar_t));
    text.MaximumLength = text.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE handle = INVALID_HANDLE_VALUE;
    const NTSTATUS status = ::NtCreateFile(
        &handle, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, disposition,
        options | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT,
        nullptr, 0);
    if (status < 0) {
        error = ::RtlNtStatusToDosError(status);
        return INVALID_HANDLE_VALUE;
    }
    error = ERROR_SUCCESS;
    return handle;
}

DWORD deleteByHandle(HANDLE handle) {
    FILE_DISPOSITION_INFO info{};
    info.DeleteFile = TRUE;
    return ::SetFileInformationByHandle(handle, FileDispositionInfo, &info, sizeof info) ? ERROR_SUCCESS
                                                                                         : ::GetLastError();
}

std::wstring systemNameOf(HANDLE handle) {
    std::vector<unsigned char> buffer(sizeof(OBJECT_NAME_INFORMATION) + 65536);
    ULONG length = 0;
    if (::NtQueryObject(handle, ObjectNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                        &length) < 0)
        return {};
    const auto* info = reinterpret_cast<const OBJECT_NAME_INFORMATION*>(buffer.data());
    return std::wstring(info->Name.Buffer, info->Name.Length / sizeof(wchar_t));
}

std::wstring pathOfHandle(HANDLE handle) {
    std::wstring path(32768, L'\0');
    const DWORD length = ::GetFinalPathNameByHandleW(handle, path.data(), 32768, FILE_NAME_NORMALIZED);
    if (length > 0 && length < 32768) {
        path.resize(length);
        return path;
    }
    // Wine gives no final path past MAX_PATH; its system name is "\\??\\C:\\...", which is
    // "\\\\?\\C:\\..." to the wide calls.
    path = systemNameOf(handle);
    if (path.rfind(L"\\??\\", 0) != 0)
        return {};
    path[1] = L'\\';
    return path;
}

namespace {

DWORD renameTo(HANDLE handle, HANDLE root, const std::wstring& name, bool replace) {
    const std::size_t bytes = name.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + bytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = replace ? TRUE : FALSE;
    info->RootDirectory = root;
    info->FileNameLength = static_cast<DWORD>(bytes);
    std::copy(name.begin(), name.end(), info->FileName);
    return ::SetFileInformationByHandle(handle, FileRenameInfo, info, static_cast<DWORD>(buffer.size()))
               ? ERROR_SUCCESS
               : ::GetLastError();
}

} // namespace

DWORD renameByHandle(HANDLE handle, HANDLE folder, const std::string& name, bool replace) {
    if (isDotName(name) || name.empty() || name.find_first_of("/\\") != std::string::npos)
        return ERROR_INVALID_NAME;
    const std::wstring w = wide(name);
    const DWORD relative = renameTo(handle, folder, w, replace);
    if (relative != ERROR_INVALID_PARAMETER)
        return relative;
    // Wine takes no folder handle for a rename: the folder's own name in the system's form, read
    // from its handle at this moment.
    std::wstring path = systemNameOf(folder);
    if (path.empty())
        return relative;
    if (path.back() != L'\\')
        path += L'\\';
    return renameTo(handle, nullptr, path + w, replace);
}

std::wstring volumeRootOf(const std::string& path) {
    if (path.empty())
        return {};
    std::wstring folder = nativePath(path);
    for (;;) {
        const DWORD a = ::GetFileAttributesW(folder.c_str());
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY))
            break;
        while (!folder.empty() && folder.back() == L'\\')
            folder.pop_back();
        const std::size_t cut = folder.rfind(L'\\');
        if (cut == std::wstring::npos || folder.size() <= 3)
            return {};
        folder.resize(cut + 1);
    }
    wchar_t root[MAX_PATH + 1];
    if (!::GetVolumePathNameW(folder.c_str(), root, MAX_PATH + 1))
        return {};
    std::wstring result = root;
    if (result.rfind(kLongPrefix, 0) == 0 && result.size() > 5 && result[5] == L':')
        result = result.substr(4);
    if (result.empty() || result.back() != L'\\')
        result += L'\\';
    return result;
}

} // namespace kestrel::platform::win
